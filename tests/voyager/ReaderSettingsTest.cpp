// The reader without a database: connection data, the settings file, the debug trace, and every
// input check that must fail before a statement is sent.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "TestSupport.h"
#include "base/Error.h"
#include "base/INI.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

constexpr const char* kVgerRead = "VgerRead";

template <typename F>
void ExpectError(F&& f, std::int32_t number, const std::string& text) {
    try {
        f();
        ADD_FAILURE() << "no error; expected " << number << " " << text;
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_EQ(e.Source(), kVgerRead);
        EXPECT_EQ(e.Description(), text);
    }
}

class ReaderOffline : public ::testing::Test {
protected:
    void SetUp() override { setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1); }
    std::string Ini() const { return dir_.File("VGERREAD.INI"); }
    test::TempDir dir_;
};

TEST_F(ReaderOffline, PrefixGetsItsDotAndEveryTableNameFollowsIt) {
    VgerReaderClass7 r;
    EXPECT_EQ(r.TableNamePrefix(), "");
    EXPECT_EQ(r.TableName(VgerTable::BibData), "BIB_DATA");
    r.TableNamePrefix("VGER");
    EXPECT_EQ(r.TableNamePrefix(), "VGER.");
    EXPECT_EQ(r.TableName(VgerTable::AuthHistory), "VGER.AUTH_HISTORY");
    EXPECT_EQ(r.TableName(VgerTable::MfhdMaster), "VGER.MFHD_MASTER");
    EXPECT_EQ(r.TableName(VgerTable::ItemStatusType), "VGER.ITEM_STATUS_TYPE");
    r.TableNamePrefix("lib.");
    EXPECT_EQ(r.TableNamePrefix(), "lib.");
    EXPECT_EQ(r.TableName(VgerTable::BibMfhd), "lib.BIB_MFHD");
    r.TableNamePrefix("");
    EXPECT_EQ(r.TableNamePrefix(), ".");
}

TEST_F(ReaderOffline, MissingConnectionDataIsRefusedInOrderBeforeAnyStatement) {
    VgerReaderClass7 r;
    EXPECT_EQ(r.DSN(), "NONE");
    EXPECT_EQ(r.uID(), "NONE");
    EXPECT_EQ(r.VgerCharacterSet(), "U");
    ExpectError([&] { r.DSN(""); }, 380, "Invalid value for DSN property");
    ExpectError([&] { r.RetrieveBibRecord("1"); }, ObjectError(1061), "No TableNamePrefix supplied");
    r.TableNamePrefix("VGER");
    r.uID("");
    ExpectError([&] { r.RetrieveBibRecord("1"); }, ObjectError(1064), "No UID supplied");
    r.uID("dbread");
    r.PWD("");
    ExpectError([&] { r.TestConnectionData(); }, ObjectError(1065), "No PWD supplied");
    r.PWD("secret");
    EXPECT_NO_THROW(r.TestConnectionData());
}

TEST_F(ReaderOffline, RecordNumbersAreTrimmedAndBadOnesRefusedWithTheValue) {
    VgerReaderClass7 r;
    r.BibRecordNumber("  123 ");
    EXPECT_EQ(r.BibRecordNumber(), "123");
    ExpectError([&] { r.BibRecordNumber("12a"); }, 380, "Invalid value for BibRecordNumber property: 12a");
    ExpectError([&] { r.BibRecordNumber("   "); }, 380, "Invalid value for BibRecordNumber property");
    ExpectError([&] { r.BibRecordNumber("1; DELETE FROM BIB_DATA"); }, 380,
                "Invalid value for BibRecordNumber property: 1; DELETE FROM BIB_DATA");
    // Ids travel as 32-bit numbers as well: an absurdly long one cannot name a record.
    ExpectError([&] { r.BibRecordNumber("2147483648"); }, 380,
                "Invalid value for BibRecordNumber property: 2147483648");
    r.BibRecordNumber("2147483647");
    EXPECT_EQ(r.BibRecordNumber(), "2147483647");
    ExpectError([&] { r.BibRecordNumber(std::string(5000, '9')); }, 380,
                "Invalid value for BibRecordNumber property: " + std::string(5000, '9'));
    EXPECT_EQ(r.BibRecordNumber(), "2147483647");  // a refused value leaves the number as it was
    ExpectError([&] { r.HoldRecordNumber("x1"); }, 380, "Invalid value for HoldingsRecordNumber property\n\nx1");
    ExpectError([&] { r.HoldRecordNumber(""); }, 380, "Invalid value for HoldingsRecordNumber property\n\n");
    ExpectError([&] { r.AuthRecordNumber("-5"); }, 380, "Invalid value for AuthRecordNumber property");
    ExpectError([&] { r.ItemRecordNumber("1.5"); }, 380, "Invalid value for ItemRecordNumber property");
    ExpectError([&] { r.ItemBarcode("39015'--"); }, 380, "Invalid value for ItemBarcode property");
    ExpectError([&] { r.ItemBarcode(""); }, 380, "Invalid value for ItemBarcode property");
    r.ItemBarcodeIsNumeric(false);
    r.ItemBarcode(" AB-12' ");
    EXPECT_EQ(r.ItemBarcode(), "AB-12'");
}

TEST_F(ReaderOffline, MissingRecordNumbersRaiseTheirObjectErrors) {
    VgerReaderClass7 r;
    r.TableNamePrefix("VGER");
    ExpectError([&] { r.RetrieveBibRecord(); }, ObjectError(1012), "No BibliographicRecordNumber supplied");
    ExpectError([&] { r.RetrieveHoldRecord(); }, ObjectError(1014), "No HoldingsRecordNumber supplied");
    ExpectError([&] { r.RetrieveAuthRecord(); }, ObjectError(1010), "No AuthorityRecordNumber supplied");
    std::string id, name, display, nuc;
    ExpectError([&] { r.RetrieveOwningLibraryForBib("", id, name, display, nuc); }, ObjectError(1012),
                "No BibliographicRecordNumber supplied");
    ExpectError([&] { r.RetrieveOperatorPermissions(); }, ObjectError(1062), "No OperatorID supplied");
    ExpectError([&] { r.RetrieveOperatorCatLocations(""); }, ObjectError(1062), "No OperatorID supplied");
    ExpectError([&] { r.RetrieveOperatorCatHappeningLocations(); }, ObjectError(1062), "No OperatorID supplied");
    ExpectError([&] { r.RetrieveBibNumberForItem(""); }, ObjectError(1001), "No ItemRecordNumber supplied");
    bool suppressed = true;
    ExpectError([&] { r.TranslateLocationCode("", id, name, display, nuc, suppressed); }, ObjectError(1027),
                "No location code supplied");
    EXPECT_FALSE(suppressed);
}

TEST_F(ReaderOffline, SearchInputsAreCheckedBeforeAnyStatement) {
    VgerReaderClass7 r;
    r.TableNamePrefix("VGER");
    std::int16_t set = 0;
    ExpectError([&] { r.SearchUrl("", set); }, ObjectError(1072), "No URL supplied");
    ExpectError([&] { r.SearchStandardNumber("X", "020", "a", "1", set); }, ObjectError(1066),
                "Unrecognized RecordType code (must be A or B)");
    ExpectError([&] { r.SearchBibStandardNumber("20", "a", "1", set); }, 380,
                "Invalid value for StandardNumberTag property");
    ExpectError([&] { r.SearchBibStandardNumber("02a", "a", "1", set); }, 380,
                "Invalid value for StandardNumberTag property");
    ExpectError([&] { r.SearchBibStandardNumber("020", "$", "1", set); }, 380,
                "Invalid value for StandardNumberSubfieldCode property");
    r.StandardNumberSubfieldCode("A");
    EXPECT_EQ(r.StandardNumberSubfieldCode(), "a");
    ExpectError([&] { r.SearchBibStandardNumber("020", "a", "", set); }, ObjectError(1021),
                "No StandardNumber supplied");
    ExpectError([&] { r.SearchAuthStandardNumber("020", "a", "x", set); }, ObjectError(1022),
                "Invalid combination of tag and subfield code");
    ExpectError([&] { r.SearchBibStandardNumber("650", "*", "x", set); }, ObjectError(1022),
                "Invalid combination of StandardNumberSubfieldCode and StandardNumberTag properties");
    // The call number and its type are kept between searches, so each check starts afresh.
    ExpectError([&] { VgerReaderClass7().SearchCallNumber("0", "", set); }, ObjectError(1024),
                "No CallNumber supplied");
    ExpectError([&] { VgerReaderClass7().SearchCallNumber("", "QA76", set); }, ObjectError(1025),
                "No CallNumberType supplied");
    ExpectError([&] { r.SearchBibHeading("", "10", "x", set, false); }, ObjectError(1067),
                "No BibliographicTag supplied");
    ExpectError([&] { r.SearchBibHeading("100", "", "x", set, false); }, ObjectError(1068),
                "No BibliographicIndicators supplied");
    ExpectError([&] { r.SearchBibHeading("100", "10", "", set, false); }, ObjectError(1045),
                "No BibliographicHeading supplied");
    ExpectError([&] { r.SearchBibHeading("AUTHORS", "10", "x", set, false); }, 380,
                "Invalid value for BibliographicTag parameter: AUTHORS");
    ExpectError([&] { r.SearchHeadingIDAuth("", set); }, ObjectError(1069), "No Heading ID supplied");
    ExpectError([&] { r.SearchHeadingIDBib("12 OR 1=1", set); }, ObjectError(1070), "Heading ID is not numeric");
    ExpectError([&] { r.SearchSubdivIDAuth("", set); }, ObjectError(1069), "No Subdivision ID supplied");
    ExpectError([&] { r.SearchSubdivIDBib("x", set); }, ObjectError(1070), "Subdivision ID is not numeric");
    ExpectError([&] { r.SearchSubdivIDHeading("1x", set); }, ObjectError(1070), "Subdivision ID is not numeric");
    ExpectError([&] { r.SearchSubdiv("", "History", set); }, ObjectError(1045), "No subject system code supplied");
    ExpectError([&] { r.SearchSubdiv("'", "History", set); }, 380, "Invalid value for subject system code parameter");
    ExpectError([&] { r.SearchSubdiv("l", "", set); }, ObjectError(1045), "No Subdivision supplied");
    ExpectError([&] { r.SearchItemNumbersForHold("", set); }, ObjectError(1014), "No holdings record number supplied");
    ExpectError([&] { r.SearchHoldNumbersForBib("", set); }, ObjectError(1012),
                "No BibliographicRecordNumber supplied");
    ExpectError([&] { r.SearchBibNumbersForHold("", set); }, ObjectError(1014), "No holding record number supplied");
    ExpectError([&] { r.SearchBarcodesForItem("", set); }, ObjectError(1001), "No item record number supplied");
    ExpectError([&] { r.SearchItemBarcode("", set); }, ObjectError(1002), "No ItemBarcode supplied");
    ExpectError([&] { r.ColumnHeader(0, 1); }, 380, "Invalid value for ResultSet property: 0");
    EXPECT_EQ(set, 0);
}

TEST_F(ReaderOffline, WrittenSettingsReadBackExceptThePrefixWhoseReadKeyHasADollar) {
    {
        VgerReaderClass7 r;
        r.DSN("VOYAGER");
        r.uID("dbread");
        r.PWD("pw");
        r.TableNamePrefix("VGERDB");
        r.ItemBarcodeIsNumeric(false);
        r.ItemSequenceNewItemsAtTop(true);
        r.WriteSettings();
    }
    EXPECT_EQ(ReadIniValue(Ini(), "General", "SettingsAreAutomatic", 50), "TRUE");
    EXPECT_EQ(ReadIniValue(Ini(), "General", "Version", 50), VgerReaderClass7::Version());
    EXPECT_EQ(ReadIniValue(Ini(), "Login", "PWD", 50), "pw");
    EXPECT_EQ(ReadIniValue(Ini(), "General", "ItemBarcodeIsNumeric", 50), "FALSE");
    EXPECT_EQ(ReadIniValue(Ini(), "General", "ItemSequenceNewItemsAtTop", 50), "TRUE");
    EXPECT_EQ(ReadIniValue(Ini(), "Tables", "TableNamePrefix", 50), "VGERDB.");
    EXPECT_EQ(ReadIniValue(Ini(), "Tables", "TableNamePrefix$", 50), "");

    VgerReaderClass7 r;  // settings are automatic: read at creation
    EXPECT_EQ(r.DSN(), "VOYAGER");
    EXPECT_EQ(r.uID(), "dbread");
    EXPECT_EQ(r.PWD(), "pw");
    EXPECT_FALSE(r.ItemBarcodeIsNumeric());
    EXPECT_TRUE(r.ItemSequenceNewItemsAtTop());
    EXPECT_EQ(r.TableNamePrefix(), "");

    WriteIniValue(Ini(), "Tables", "TableNamePrefix$", "SITE", 0);
    r.ReadSettings();
    EXPECT_EQ(r.TableNamePrefix(), "SITE.");
}

TEST_F(ReaderOffline, SettingsWithoutVersionOrNotAutomaticAreNotRead) {
    test::WriteFile(Ini(), "[Login]\nDSN=ELSEWHERE\n");
    {
        VgerReaderClass7 r;
        EXPECT_EQ(r.DSN(), "NONE");
        r.ReadSettings();
        EXPECT_EQ(r.DSN(), "NONE");
    }
    test::WriteFile(Ini(),
                    "[General]\nVersion=1.0.0\nSettingsAreAutomatic=FALSE\nItemBarcodeIsNumeric=no\n"
                    "[Login]\nDSN=ELSEWHERE\n");
    VgerReaderClass7 r;
    EXPECT_FALSE(r.SettingsAreAutomatic());
    EXPECT_EQ(r.DSN(), "NONE");
    r.ReadSettings();  // explicit: stops at the switch
    EXPECT_EQ(r.DSN(), "NONE");
    EXPECT_TRUE(r.ItemBarcodeIsNumeric());
    test::WriteFile(Ini(),
                    "[General]\nVersion=1.0.0\nSettingsAreAutomatic=yes\nItemBarcodeIsNumeric=no\n"
                    "ItemSequenceNewItemsAtTop=TRUEISH\n[Login]\nDSN=ELSEWHERE\n");
    r.ReadSettings();
    EXPECT_TRUE(r.SettingsAreAutomatic());
    EXPECT_EQ(r.DSN(), "ELSEWHERE");
    EXPECT_EQ(r.uID(), "");
    EXPECT_FALSE(r.ItemBarcodeIsNumeric());
    EXPECT_TRUE(r.ItemSequenceNewItemsAtTop());  // only the first four characters count
    // A settings file without a DSN for an automatic reader is refused like an empty DSN.
    test::WriteFile(Ini(), "[General]\nVersion=1.0.0\nSettingsAreAutomatic=TRUE\n");
    ExpectError([&] { r.ReadSettings(); }, 380, "Invalid value for DSN property");
}

TEST_F(ReaderOffline, DebugTraceStartsAFreshFileWithItsBanner) {
    const std::string trace = dir_.File("trace.txt");
    test::WriteFile(trace, "old contents\n");
    test::WriteFile(Ini(), "[General]\nDebuggingOn=true\nDebuggingFile=" + trace + "\n");
    VgerReaderClass7 r;
    EXPECT_TRUE(r.DebuggingOn());
    const std::string text = test::ReadFile(trace);
    const std::string stars(36, '*');
    const std::string head = stars + "\nVgerReader initialized at ";
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    ASSERT_GT(text.size(), head.size() + 20);
    // "yyyymmdd hh:nn:ss" and the tick count, then the closing stars and an empty line.
    const std::string stamp = text.substr(head.size(), 17);
    for (std::size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u, 10u, 12u, 13u, 15u, 16u})
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(stamp[i]))) << stamp;
    EXPECT_EQ(stamp[8], ' ');
    EXPECT_EQ(stamp[11], ':');
    EXPECT_EQ(stamp[14], ':');
    const std::size_t lineEnd = text.find('\n', head.size());
    const std::string ticks = text.substr(head.size() + 18, lineEnd - head.size() - 18);
    EXPECT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.find_first_not_of("0123456789"), std::string::npos) << ticks;
    EXPECT_EQ(text.substr(lineEnd), "\n" + stars + "\n\n");
    EXPECT_EQ(text.find("old contents"), std::string::npos);
}

TEST_F(ReaderOffline, ADisconnectedReaderRefusesFurtherQueriesClearly) {
    VgerReaderClass7 r;
    r.TableNamePrefix("VGER");
    r.Disconnect();
    ExpectError([&] { r.RetrieveBibRecord("5"); }, ObjectError(1071),
                "The reader was disconnected; a new reader is needed for further queries");
    std::int16_t set = 0;
    ExpectError([&] { r.ExecuteSQL("SELECT 1", set); }, ObjectError(1071),
                "The reader was disconnected; a new reader is needed for further queries");
}

}  // namespace
}  // namespace linkmend
