// The reader without a database: SQL texts, segments, the location cache, version and price, index
// codes, connection data, the settings file, the debug trace, and every check that must fail before
// a statement is sent.
#include <gtest/gtest.h>

#include <regex>

#include "base/Error.h"
#include "base/Hex.h"
#include "base/INI.h"
#include "base/MessagePump.h"
#include "kit/Files.h"
#include "kit/Octets.h"
#include "voyager/IndexCodes.h"
#include "voyager/LocationCache.h"
#include "voyager/ReaderValues.h"
#include "voyager/RecordSegments.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

// "number text" of the error the statement raises (source "VgerRead"), or "no error".
template <typename F>
std::string Refusal(F&& f) {
    try {
        f();
    } catch (const LinkmendError& e) {
        const std::int32_t n = e.Number();
        return (n == 380                                       ? "380"
                : n >= ObjectError(0) && n < ObjectError(2000) ? std::to_string(n - ObjectError(0))
                                                               : "?") +
               (e.Source() == "VgerRead" ? " " : " (" + e.Source() + ") ") + e.Description();
    }
    return "no error";
}

TEST(SqlText, NonAsciiLiteralsBecomeHexPiecesAndCodeLists) {
    const std::pair<const char*, const char*> encoded[] = {
        {"SELECT X FROM T WHERE A = 'caf\xC3\xA9'", "SELECT X FROM T WHERE A = 'caf' || HEXTORAW('C3A9') || ''"},
        {"SELECT 'O''Brien', '&apos;' FROM T WHERE X = 'it''s'",
         "SELECT 'O''Brien', '&apos;' FROM T WHERE X = 'it''s'"},
        {"", ""},
        {"'x\xC3\xA9\xC3\xBC\xE4\xB8\xAD'", "'x' || HEXTORAW('C3A9C3BCE4B8AD') || ''"},  // a run shares one piece
        {"'\xC3\xA9t\xC3\xA9'", "'' || HEXTORAW('C3A9') || 't' || HEXTORAW('C3A9') || ''"},
        {"abc\xC3\xA9", "'abc' || HEXTORAW('C3A9')"},
        {"\xC3\xA9xyz", "HEXTORAW('C3A9') || 'xyz'"},
        {"\xE4\xB8\xAD", "HEXTORAW('E4B8AD')"},
        {"'a\xA9'", "'a' || HEXTORAW('A9') || ''"},  // stray octets reach the database as they are
        {"'a\xC3'", "'a' || HEXTORAW('C3') || ''"},
    };
    for (const auto& [sql, out] : encoded) EXPECT_EQ(EncodeSqlNonAscii(sql), out) << sql;
    EXPECT_EQ(ChrChain("AB") + "|" + ChrChain("\xC3\xA9") + "|" + ChrChain(""),
              "CHR(65) || CHR(66)|CHR(195) || CHR(169)|");
    EXPECT_EQ(CodeListCondition("INDEX_TYPE", "n") + CodeListCondition("HEADING_TYPE", "abc") +
                  CodeListCondition("X", "*") + CodeListCondition("X", ""),
              " AND INDEX_TYPE = 'n' AND HEADING_TYPE IN ('a', 'b', 'c')");
    EXPECT_TRUE(IsAllDigits("0123456789"));
    for (const char* no : {"", "-1", "12 ", "1e3"}) EXPECT_FALSE(IsAllDigits(no)) << no;
}

// A segment stored without its trailing blanks is padded (a message pump per blank) before the next;
// the last never. Octets survive; broken hex pairs and an odd digit are dropped.
TEST(RecordSegments, ShortSegmentsArePaddedBeforeTheNext) {
    int pumps = 0;
    SetMessagePump([&pumps] { ++pumps; });
    std::string bib, holdings, all;
    for (const std::string& s : {std::string(990, 'a'), std::string(985, 'b'), std::string("tail")})
        AppendHexSegment(bib, TextToHex(s), kBibSegmentSize);
    SetMessagePump({});
    EXPECT_TRUE(test::OctetsEqual(std::string(990, 'a') + std::string(985, 'b') + "     tail", bib));
    EXPECT_EQ(pumps, 5);
    AppendHexSegment(holdings, TextToHex(std::string(298, 'h')), kHoldSegmentSize);
    AppendHexSegment(holdings, "1d1E1f", kHoldSegmentSize);
    EXPECT_TRUE(test::OctetsEqual(std::string(298, 'h') + "  \x1D\x1E\x1F", holdings));
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    std::string back, broken;
    AppendHexSegment(back, TextToHex(all), kBibSegmentSize);
    EXPECT_TRUE(test::OctetsEqual(all, back));
    AppendHexSegment(broken, "41ZZ42F", kBibSegmentSize);
    EXPECT_EQ(broken, "AB");
}

// Full at 25: the first entry read once goes, else the first read twice, else three times; entries
// read four times stay. A hit counts by id or by code.
TEST(LocationCache, TheTwentySixthReplacesTheLeastReadFirst) {
    LocationCache cache;
    const auto add = [&](int id) {
        LocationEntry e;
        e.id = std::to_string(id), e.code = "C" + e.id;
        return cache.Add(e);
    };
    for (int i = 1; i <= 25; ++i) ASSERT_TRUE(add(i));
    EXPECT_EQ(cache.FindById("1")->hits + cache.FindByCode("C1")->hits, 2 + 3);
    EXPECT_EQ(cache.FindByCode("1"), nullptr);
    cache.FindById("2");
    const auto ids = [&] {
        std::string s;
        for (const auto& e : cache.Entries()) s += e.id + " ";
        return s.substr(0, 12);
    };
    ASSERT_TRUE(add(26));  // 3 was the first read once
    EXPECT_EQ(ids(), "1 2 26 4 5 6");
    EXPECT_EQ(cache.Entries()[2].hits, 1);
    for (int i = 3; i <= 26; ++i) cache.FindById(std::to_string(i));  // all at two at least, 1 at three
    ASSERT_TRUE(add(30));
    EXPECT_EQ(ids(), "1 30 26 4 5 ");
    const auto raise = [&](const std::string& id) {
        while (cache.FindById(id)->hits < 4) {}
    };
    for (const LocationEntry& e : cache.Entries())
        if (e.id != "1") raise(e.id);
    ASSERT_TRUE(add(40));  // 1, at three reads, is the least read now
    EXPECT_EQ(ids(), "40 30 26 4 5");
    raise("40");
    EXPECT_FALSE(add(99));
    EXPECT_EQ(cache.FindById("99"), nullptr);
}

TEST(ReaderValues, VersionsPricesAndIndexCodes) {
    std::string versions;
    for (const char* text : {"99.2", "96", "2001.2.1", "7.2", "8.1.0.7", "1998.1", "95.3"}) {
        const VgerVersionParts p = ParseVgerVersion(text);
        versions += std::to_string(p.major) + "." + std::to_string(p.minor) + "." + std::to_string(p.third) + " ";
    }
    EXPECT_EQ(versions, "1999.0.0 1996.0.0 2001.2.1 7.2.0 8.1.0 1998.1.0 95.3.0 ");
    EXPECT_EQ(FormatItemPrice("1250", 2, ",") + " " + FormatItemPrice("5", 2, ",") + " " +
                  FormatItemPrice("42", 2, ".") + " " + FormatItemPrice("1250", 0, ",") + " " +
                  FormatItemPrice("", 2, ",") + FormatItemPrice("7", 3, "."),
              "12,50 0.05 .42 1250 0.007");
    const std::tuple<bool, const char*, const char*, std::string> codes[] = {
        {false, "020", "a", "020A"},
        {false, "035", "9", "0359"},
        {false, "022", "*", "('022A', '022Y', '022Z')"},
        {false, "010", "*", "('010A', '010Z')"},
        {false, "035", "*", "('035A', '035Z', '0359')"},
        {false, "028", "*", "028A"},
        {false, "020z", "", "020Z"},
        {true, "010", "z", "A10Z"},
        {true, "035", "a", "A35A"},
        {true, "010", "*", "('A10A', 'A10Z')"},
        {true, "035", "*", "A35A"},
        {true, "020", "a", "1022 Invalid combination of tag and subfield code"},
        {true, "020", "*", "1022 Invalid combination of tag and subfield code"},
        {false, "245", "*", "1022 Invalid combination of StandardNumberSubfieldCode and StandardNumberTag properties"},
        {false, "020", "", "1035 Invalid value for subfield code"},
        {false, "020", "ab", "1035 Invalid value for subfield code"},
        {false, "", "a", "1034 Invalid value for tag"},
        {true, "02", "a", "1034 Invalid value for tag"},
    };
    for (const auto& [authority, tag, sub, code] : codes) {
        std::string got;
        const std::string refusal = Refusal([&] { got = StandardNumberIndexCode(authority, tag, sub); });
        EXPECT_EQ(refusal == "no error" ? got : refusal, code) << tag << " " << sub;
    }
    EXPECT_TRUE(IsIndexCodeList("('020A', '020Z')") && !IsIndexCodeList("020A"));
    EXPECT_EQ(CallNumberIndexCode("0") + CallNumberIndexCode("1") + CallNumberIndexCode("2") +
                  CallNumberIndexCode("3") + "|" + CallNumberIndexCode("8"),
              "0500082006000700|");
    EXPECT_EQ(BibHeadingIndexCodes(" personal ").list, "('100H', '400H', '600H', '700H', '800H')");
    EXPECT_EQ(BibHeadingIndexCodes("CORPORATE").list,
              "('110H', '111H', '410H', '411H', '610H', '611H', '651H', '710H', '711H', '810H', '811H')");
    EXPECT_EQ(BibHeadingIndexCodes("650").list + BibHeadingIndexCodes("650").tag + BibHeadingIndexCodes("Subject").tag,
              "('650H')650650");
    EXPECT_EQ(BibHeadingIndexCodes("AUTHORS").list + BibHeadingIndexCodes("65").list, "");
}

class ReaderOffline : public ::testing::Test {
protected:
    std::string Ini() const { return profile_.File("VGERREAD.INI"); }
    test::ProfileFolder profile_;
};

TEST_F(ReaderOffline, PrefixConnectionDataAndRecordNumbers) {
    VgerReaderClass7 r;
    EXPECT_EQ(r.DSN() + r.uID() + r.VgerCharacterSet() + r.TableNamePrefix() + r.TableName(VgerTable::BibData),
              "NONENONEUBIB_DATA");
    std::string tables;
    for (const char* prefix : {"VGER", "lib.", ""}) {
        r.TableNamePrefix(prefix);
        tables += r.TableNamePrefix() + " " + r.TableName(VgerTable::AuthHistory) + " " +
                  r.TableName(VgerTable::BibMfhd) + " " + r.TableName(VgerTable::ItemStatusType) + "|";
    }
    EXPECT_EQ(tables,
              "VGER. VGER.AUTH_HISTORY VGER.BIB_MFHD VGER.ITEM_STATUS_TYPE|lib. lib.AUTH_HISTORY lib.BIB_MFHD "
              "lib.ITEM_STATUS_TYPE|. .AUTH_HISTORY .BIB_MFHD .ITEM_STATUS_TYPE|");
    VgerReaderClass7 q, m;  // m: connection data, but no record numbers
    m.TableNamePrefix("VGER");
    std::string id, name, display, nuc;
    bool suppressed = true;
    const std::pair<std::function<void()>, std::string> refusals[] = {
        {[&] { q.DSN(""); }, "380 Invalid value for DSN property"},
        {[&] { q.RetrieveBibRecord("1"); }, "1061 No TableNamePrefix supplied"},
        {[&] { q.TableNamePrefix("VGER"), q.uID(""), q.RetrieveBibRecord("1"); }, "1064 No UID supplied"},
        {[&] { q.uID("dbread"), q.PWD(""), q.TestConnectionData(); }, "1065 No PWD supplied"},
        {[&] { q.PWD("secret"), q.TestConnectionData(); }, "no error"},
        {[&] { q.BibRecordNumber("  123 "); }, "no error"},
        {[&] { q.BibRecordNumber("12a"); }, "380 Invalid value for BibRecordNumber property: 12a"},
        {[&] { q.BibRecordNumber("   "); }, "380 Invalid value for BibRecordNumber property"},
        {[&] { q.BibRecordNumber("2147483648"); }, "380 Invalid value for BibRecordNumber property: 2147483648"},
        {[&] { q.HoldRecordNumber("x1"); }, "380 Invalid value for HoldingsRecordNumber property\n\nx1"},
        {[&] { q.HoldRecordNumber(""); }, "380 Invalid value for HoldingsRecordNumber property\n\n"},
        {[&] { q.AuthRecordNumber("-5"); }, "380 Invalid value for AuthRecordNumber property"},
        {[&] { q.ItemRecordNumber("1.5"); }, "380 Invalid value for ItemRecordNumber property"},
        {[&] { q.ItemBarcode("39015'--"); }, "380 Invalid value for ItemBarcode property"},
        {[&] { q.ItemBarcode(""); }, "380 Invalid value for ItemBarcode property"},
        {[&] { q.ItemBarcodeIsNumeric(false), q.ItemBarcode(" AB-12' "); }, "no error"},
        {[&] { m.RetrieveBibRecord(); }, "1012 No BibliographicRecordNumber supplied"},
        {[&] { m.RetrieveHoldRecord(); }, "1014 No HoldingsRecordNumber supplied"},
        {[&] { m.RetrieveAuthRecord(); }, "1010 No AuthorityRecordNumber supplied"},
        {[&] { m.RetrieveOwningLibraryForBib("", id, name, display, nuc); },
         "1012 No BibliographicRecordNumber supplied"},
        {[&] { m.RetrieveOperatorPermissions(); }, "1062 No OperatorID supplied"},
        {[&] { m.RetrieveOperatorCatLocations(""); }, "1062 No OperatorID supplied"},
        {[&] { m.RetrieveOperatorCatHappeningLocations(); }, "1062 No OperatorID supplied"},
        {[&] { m.RetrieveBibNumberForItem(""); }, "1001 No ItemRecordNumber supplied"},
        {[&] { m.TranslateLocationCode("", id, name, display, nuc, suppressed); }, "1027 No location code supplied"},
    };
    for (const auto& [call, refusal] : refusals) EXPECT_EQ(Refusal(call), refusal);
    EXPECT_EQ(q.BibRecordNumber() + " " + q.ItemBarcode(), "123 AB-12'");  // a refused value leaves the number
    EXPECT_FALSE(suppressed);
    EXPECT_EQ(q.SqlStatementsSubmitted(), 0);
}

TEST_F(ReaderOffline, SearchInputsAreCheckedBeforeAnyStatement) {
    VgerReaderClass7 r;
    r.TableNamePrefix("VGER");
    std::int16_t set = 0;
    const std::pair<std::function<void()>, std::string> refusals[] = {
        {[&] { r.SearchUrl("", set); }, "1072 No URL supplied"},
        {[&] { r.SearchStandardNumber("X", "020", "a", "1", set); },
         "1066 Unrecognized RecordType code (must be A or B)"},
        {[&] { r.SearchBibStandardNumber("20", "a", "1", set); }, "380 Invalid value for StandardNumberTag property"},
        {[&] { r.SearchBibStandardNumber("02a", "a", "1", set); }, "380 Invalid value for StandardNumberTag property"},
        {[&] { r.SearchBibStandardNumber("020", "$", "1", set); },
         "380 Invalid value for StandardNumberSubfieldCode property"},
        {[&] { r.SearchBibStandardNumber("020", "a", "", set); }, "1021 No StandardNumber supplied"},
        {[&] { r.SearchAuthStandardNumber("020", "a", "x", set); },
         "1022 Invalid combination of tag and subfield code"},
        {[&] { VgerReaderClass7().SearchCallNumber("0", "", set); }, "1024 No CallNumber supplied"},
        {[&] { VgerReaderClass7().SearchCallNumber("", "QA76", set); }, "1025 No CallNumberType supplied"},
        {[&] { r.SearchBibHeading("", "10", "x", set, false); }, "1067 No BibliographicTag supplied"},
        {[&] { r.SearchBibHeading("100", "", "x", set, false); }, "1068 No BibliographicIndicators supplied"},
        {[&] { r.SearchBibHeading("100", "10", "", set, false); }, "1045 No BibliographicHeading supplied"},
        {[&] { r.SearchBibHeading("AUTHORS", "10", "x", set, false); },
         "380 Invalid value for BibliographicTag parameter: AUTHORS"},
        {[&] { r.SearchHeadingIDAuth("", set); }, "1069 No Heading ID supplied"},
        {[&] { r.SearchHeadingIDBib("12 OR 1=1", set); }, "1070 Heading ID is not numeric"},
        {[&] { r.SearchSubdivIDAuth("", set); }, "1069 No Subdivision ID supplied"},
        {[&] { r.SearchSubdivIDBib("x", set); }, "1070 Subdivision ID is not numeric"},
        {[&] { r.SearchSubdivIDHeading("1x", set); }, "1070 Subdivision ID is not numeric"},
        {[&] { r.SearchSubdiv("", "History", set); }, "1045 No subject system code supplied"},
        {[&] { r.SearchSubdiv("'", "History", set); }, "380 Invalid value for subject system code parameter"},
        {[&] { r.SearchSubdiv("l", "", set); }, "1045 No Subdivision supplied"},
        {[&] { r.SearchItemNumbersForHold("", set); }, "1014 No holdings record number supplied"},
        {[&] { r.SearchHoldNumbersForBib("", set); }, "1012 No BibliographicRecordNumber supplied"},
        {[&] { r.SearchBibNumbersForHold("", set); }, "1014 No holding record number supplied"},
        {[&] { r.SearchBarcodesForItem("", set); }, "1001 No item record number supplied"},
        {[&] { r.SearchItemBarcode("", set); }, "1002 No ItemBarcode supplied"},
        {[&] { r.ColumnHeader(0, 1); }, "380 Invalid value for ResultSet property: 0"},
        {[&] { r.Disconnect(), r.RetrieveBibRecord("5"); },
         "1071 The reader was disconnected; a new reader is needed for further queries"},
    };
    for (const auto& [call, refusal] : refusals) EXPECT_EQ(Refusal(call), refusal);
    r.StandardNumberSubfieldCode("A");
    EXPECT_EQ(r.StandardNumberSubfieldCode(), "a");
    EXPECT_EQ(set, 0);
}

// Written settings read back, except the prefix, whose read key has a dollar sign; a file without a
// version, or not automatic, is not read; the debug trace starts a fresh file with its banner.
TEST_F(ReaderOffline, TheSettingsFileAndTheDebugTrace) {
    {
        VgerReaderClass7 r;
        r.DSN("VOYAGER"), r.uID("dbread"), r.PWD("pw"), r.TableNamePrefix("VGERDB");
        r.ItemBarcodeIsNumeric(false), r.ItemSequenceNewItemsAtTop(true);
        r.WriteSettings();
    }
    EXPECT_EQ(test::ReadFile(Ini()),
              "[General]\nSettingsAreAutomatic=TRUE\nVersion=" + VgerReaderClass7::Version() +
                  "\nItemSequenceNewItemsAtTop=TRUE\nItemBarcodeIsNumeric=FALSE\n\n[Login]\nDSN=VOYAGER\n"
                  "UID=dbread\nPWD=pw\n\n[Tables]\nTableNamePrefix=VGERDB.\n");
    VgerReaderClass7 r;  // automatic: read at creation
    EXPECT_EQ(r.DSN() + r.uID() + r.PWD() + "|" + r.TableNamePrefix(), "VOYAGERdbreadpw|");
    EXPECT_TRUE(!r.ItemBarcodeIsNumeric() && r.ItemSequenceNewItemsAtTop());
    WriteIniValue(Ini(), "Tables", "TableNamePrefix$", "SITE", 0);
    r.ReadSettings();
    EXPECT_EQ(r.TableNamePrefix(), "SITE.");
    const std::pair<std::string, std::string> files[] = {
        {"[Login]\nDSN=ELSEWHERE\n", "NONE 1 1 0"},  // no version: nothing read
        {"[General]\nVersion=1\nSettingsAreAutomatic=FALSE\nItemBarcodeIsNumeric=no\n[Login]\nDSN=ELSEWHERE\n",
         "NONE 0 1 0"},
        {"[General]\nVersion=1\nSettingsAreAutomatic=yes\nItemBarcodeIsNumeric=no\nItemSequenceNewItemsAtTop=TRUEISH\n"
         "[Login]\nDSN=ELSEWHERE\n",
         "ELSEWHERE 1 0 1"},  // only the first four characters count
    };
    for (const auto& [text, read] : files) {
        test::WriteFile(Ini(), text);
        VgerReaderClass7 q;
        q.ReadSettings();
        EXPECT_EQ(q.DSN() + " " + std::to_string(q.SettingsAreAutomatic()) + " " +
                      std::to_string(q.ItemBarcodeIsNumeric()) + " " + std::to_string(q.ItemSequenceNewItemsAtTop()),
                  read);
    }
    test::WriteFile(Ini(), "[General]\nVersion=1.0.0\nSettingsAreAutomatic=TRUE\n");
    EXPECT_EQ(Refusal([&] { r.ReadSettings(); }), "380 Invalid value for DSN property");

    const std::string trace = profile_.File("trace.txt");
    test::WriteFile(trace, "old contents\n");
    test::WriteFile(Ini(), "[General]\nDebuggingOn=true\nDebuggingFile=" + trace + "\n");
    VgerReaderClass7 traced;
    EXPECT_TRUE(traced.DebuggingOn());
    const std::string stars = "\\*{36}\n";
    EXPECT_TRUE(std::regex_match(
        test::ReadFile(trace),
        std::regex(stars + "VgerReader initialized at \\d{8} \\d\\d:\\d\\d:\\d\\d \\d+\n" + stars + "\n")))
        << test::ReadFile(trace);
}

}  // namespace
}  // namespace linkmend
