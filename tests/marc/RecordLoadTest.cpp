// Loading, validating and assembling records: byte-exact round trips, the validity texts, leader
// repair, the directory parse and the leader and 008 accessors.
#include <gtest/gtest.h>

#include <regex>

#include "RecordBuilder.h"
#include "base/Error.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class RecordLoadTest : public ::testing::Test {
protected:
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

// The MARC 21 "Understanding MARC Bibliographic" sample record (Sandburg, Arithmetic), keyed by hand.
std::vector<TestField> ArithmeticFields() {
    return {
        {"001", "   92005291 "},
        {"003", "DLC"},
        {"005", "19930521155141.9"},
        {"008", "920219s1993    caua   j      000 0 eng  "},
        {"010", "  $a   92005291 "},
        {"020", "  $a0152038655 :$c$15.95"},
        {"040", "  $aDLC$cDLC$dDLC"},
        {"042", "  $alcac"},
        {"050", "00$aPS3537.A618$bA88 1993"},
        {"082", "00$a811/.52$220"},
        {"100", "1 $aSandburg, Carl,$d1878-1967."},
        {"245", "10$aArithmetic /$cCarl Sandburg ; illustrated as an anamorphic adventure by Ted Rand."},
        {"250", "  $a1st ed."},
        {"260", "  $aSan Diego :$bHarcourt Brace Jovanovich,$cc1993."},
        {"300", "  $a1 v. (unpaged) :$bill. (some col.) ;$c26 cm."},
        {"500", "  $aOne Mylar sheet included in pocket."},
        {"520",
         "  $aA poem about numbers and their characteristics. Features anamorphic, or distorted, "
         "drawings which can be restored to normal by viewing from a particular angle or by viewing "
         "the image's reflection in the provided Mylar cone."},
        {"650", " 0$aArithmetic$xJuvenile poetry."},
        {"650", " 0$aChildren's poetry, American."},
        {"650", " 1$aArithmetic$xPoetry."},
        {"650", " 1$aAmerican poetry."},
        {"650", " 1$aVisual perception."},
        {"700", "1 $aRand, Ted,$eill."},
    };
}

std::string ArithmeticRecord() { return BuildRecord("00000cam  2200000 a 4500", ArithmeticFields()); }

TEST_F(RecordLoadTest, PublishedSampleRecordRoundTripsByteExact) {
    const std::string record = ArithmeticRecord();
    rec_.MarcRecordIn(record);
    EXPECT_TRUE(rec_.IsMarcErrorText().empty()) << rec_.IsMarcErrorText();
    EXPECT_TRUE(OctetsEqual(record, rec_.MarcRecordOut()));
    EXPECT_EQ(rec_.MarcRecordIn(), record);
    EXPECT_EQ(rec_.Directory(), record.substr(24, 23 * 12));
    EXPECT_FALSE(rec_.MarcRecordModified());

    // The same record under the built-in bibliographic order: it already follows it.
    TempDir folder;
    Utf8MarcRecordClass ordered;
    ordered.FldOrderFolder(folder.Path());
    ordered.MarcRecordIn(record);
    EXPECT_TRUE(OctetsEqual(record, ordered.MarcRecordOut()));
    EXPECT_FALSE(ordered.FldOrderChanged());
}

TEST_F(RecordLoadTest, AssembledRecordAgreesWithIndependentReader) {
    if (std::system("command -v yaz-marcdump >/dev/null 2>&1") != 0) GTEST_SKIP() << "yaz-marcdump is not installed";
    rec_.MarcRecordIn(ArithmeticRecord());
    rec_.FldFindFirst("245");
    rec_.SfdFindFirst("c");
    rec_.SfdText("Carl Sandburg.");
    TempDir dir;
    WriteFile(dir.File("r.mrc"), rec_.MarcRecordOut());
    const std::string cmd = "yaz-marcdump -i marc -o line " + dir.File("r.mrc") + " > " + dir.File("r.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string dump = ReadFile(dir.File("r.txt"));
    EXPECT_NE(dump.find("245 10 $a Arithmetic / $c Carl Sandburg."), std::string::npos) << dump;
    EXPECT_NE(dump.find("700 1  $a Rand, Ted, $e ill."), std::string::npos) << dump;
    EXPECT_EQ(dump.find("rror"), std::string::npos) << dump;
}

TEST_F(RecordLoadTest, RealUtf8RecordsRoundTripByteExact) {
    const std::string dir = SharedDataDir();
    if (dir.empty()) GTEST_SKIP() << "no shared test data folder in this checkout";
    rec_.DisableUtf8Decomposition(true);
    int loaded = 0;
    for (const char* name : {"chabon.mrc", "summerland.mrc", "065001035.mrc"}) {
        const std::string path = dir + "/real-marc/" + name;
        if (!FileExists(path)) continue;
        for (const std::string& record : SplitRecords(ReadFile(path))) {
            rec_.MarcRecordIn(record);
            ASSERT_TRUE(rec_.IsMarcErrorText().empty()) << name << ": " << rec_.IsMarcErrorText();
            EXPECT_EQ(rec_.CharacterSetIn(), "U") << name;
            EXPECT_TRUE(OctetsEqual(record, rec_.MarcRecordOut())) << name << " record " << loaded;
            ++loaded;
        }
    }
    if (loaded == 0) GTEST_SKIP() << "the real UTF-8 records are not in " << dir;
    EXPECT_GE(loaded, 3);
}

TEST_F(RecordLoadTest, EveryValidityTestHasItsText) {
    const std::string good = ArithmeticRecord();
    auto with = [&](std::size_t pos, const std::string& octets) {
        std::string r = good;
        r.replace(pos, octets.size(), octets);
        return r;
    };
    const std::size_t base = std::stoul(good.substr(12, 5));
    const struct {
        std::string record;
        const char* text;
    } cases[] = {
        {good.substr(0, 49), "Too short to be a MARC record"},
        {with(2, "a"), "First 5 characters not all numeric"},
        {with(0, Digits(good.size() + 1, 5)), "Record length in leader does not match actual record length"},
        {with(12, Digits(good.size() + 1, 5)), "Base address of data longer than record length"},
        {with(12, "00000"), "Base address of data unacceptable"},
        {with(12, Digits(base + 1, 5)), "Directory does not end with end-of-field character"},
        {good.substr(0, good.size() - 1) + "x", "Record does not end with end-of-record character"},
        {with(good.size() - 2, "x"), "Last field does not end with end-of-field character"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(rec_.IsMarc(c.record)) << c.text;
        EXPECT_EQ(rec_.IsMarcErrorText(), c.text);
        rec_.MarcRecordIn(c.record);
        EXPECT_EQ(rec_.IsMarcErrorText(), c.text);
        EXPECT_EQ(rec_.MarcRecordOut(), "") << c.text;
        EXPECT_EQ(rec_.Leader(), "") << c.text;
        EXPECT_FALSE(rec_.FldMoveFirst());
    }
    EXPECT_TRUE(rec_.IsMarc(good));
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    // A string longer than its stated length passes the length test.
    EXPECT_TRUE(rec_.IsMarc(with(0, Digits(good.size() - 1, 5))));
}

TEST_F(RecordLoadTest, LeaderMissingTwoOctetsIsRepairedAndLoads) {
    const std::string good = ArithmeticRecord();
    std::string damaged = good;
    damaged.erase(18, 2);  // two octets of leader/18-19 lost: "4500" now starts at position 19
    rec_.MarcRecordIn(damaged);
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_EQ(rec_.Leader().substr(18, 6), "  4500");
    EXPECT_TRUE(rec_.MarcRecordModified());
    std::string expected = good;
    expected.replace(18, 2, "  ");
    EXPECT_TRUE(OctetsEqual(expected, rec_.MarcRecordOut()));
}

TEST_F(RecordLoadTest, AssemblyWritesZerosAtLeader22And23AndKeepsOtherPositions) {
    const std::string record = BuildRecord("00000nam a2200000 a 4512", {{"001", "x1"}, {"245", "10$aT"}});
    rec_.MarcRecordIn(record);
    const std::string out = rec_.MarcRecordOut();
    EXPECT_EQ(out.substr(20, 4), "4500");
    EXPECT_EQ(out.substr(5, 15), record.substr(5, 15));
    EXPECT_EQ(rec_.Leader().substr(22, 2), "00");
}

TEST_F(RecordLoadTest, BadDirectoryEntriesLoadWhatTheyCan) {
    const std::string record = BuildRecord(kBookLeader, {{"001", "abc"}, {"245", "10$aTitle"}, {"500", "  $aNote"}});
    // Entry 2 (245): length made zero, entry 3 (500): start beyond the data.
    std::string r = record;
    r.replace(24 + 12 + 3, 4, "0000");
    r.replace(24 + 24 + 7, 5, "09000");
    rec_.MarcRecordIn(r);
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_FALSE(rec_.FldTestFirst("245"));
    EXPECT_TRUE(rec_.FldFindFirst("500"));
    EXPECT_EQ(rec_.FldText(), "");
    // The empty 500 is left out of the output; the 001 survives.
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {{"001", "abc"}}));

    std::string nonDigits = record;
    nonDigits.replace(24 + 12 + 3, 4, "00x9");
    rec_.MarcRecordIn(nonDigits);
    EXPECT_FALSE(rec_.FldTestFirst("245"));  // "00x9" reads as 0: skipped
    EXPECT_TRUE(rec_.FldTestFirst("500"));
}

TEST_F(RecordLoadTest, FieldLongerThanItsDataIsCutAtTheEnd) {
    std::string r = BuildRecord(kBookLeader, {{"001", "abc"}, {"245", "10$aTitle"}});
    r.replace(24 + 12 + 3, 4, "9999");
    rec_.MarcRecordIn(r);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldText(), D("$aTitle\x1E"));  // the text runs to the end of the data
}

TEST_F(RecordLoadTest, FixedFieldRulesOnLoad) {
    // 008 of 38 octets is padded to 40; 008 of a holdings record is cut to 32.
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {{"008", std::string(38, 'x')}, {"245", "10$aT"}}));
    EXPECT_EQ(rec_.Fld008Length(), 38);
    EXPECT_EQ(rec_.Get008Value(0, 40), std::string(38, 'x') + "  ");
    EXPECT_TRUE(rec_.MarcRecordModified());
    rec_.MarcRecordIn(BuildRecord("00000ny  a2200000 a 4500", {{"008", std::string(40, 'h')}, {"852", "0 $bMain"}}));
    EXPECT_EQ(rec_.MarcRecordFormat(), "H");
    EXPECT_EQ(rec_.Get008Value(0, 40), std::string(32, 'h'));
    // A control field that begins with a delimiter loses the delimiter and its code.
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {{"001", "$a123"}, {"245", "10$aT"}}));
    EXPECT_EQ(rec_.FldText(), "123");
    // Indicators that are neither digits nor blanks become blanks unless forced.
    const std::string oddIndicators = BuildRecord(kBookLeader, {{"001", "12345"}, {"245", "a1$aTitle"}});
    rec_.MarcRecordIn(oddIndicators);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldInd(), " 1");
    rec_.ForceInvalidIndicatorValues(true);
    rec_.MarcRecordIn(oddIndicators);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldInd(), "a1");
    EXPECT_TRUE(OctetsEqual(oddIndicators, rec_.MarcRecordOut()));
}

TEST_F(RecordLoadTest, TextBeforeTheFirstDelimiterIsKept) {
    const std::string record = BuildRecord(kBookLeader, {{"001", "1"}, {"500", "  stray$aNote"}});
    rec_.MarcRecordIn(record);
    EXPECT_TRUE(OctetsEqual(record, rec_.MarcRecordOut()));
}

TEST_F(RecordLoadTest, Repeated035OfTheControlNumberIsDroppedUnlessSwitchedOff) {
    const std::string record =
        BuildRecord(kBookLeader, {{"001", "ocm123"}, {"035", "  $aocm123"}, {"035", "  $a(OCoLC)123"}});
    rec_.MarcRecordIn(record);
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {{"001", "ocm123"}, {"035", "  $a(OCoLC)123"}}));
    EXPECT_TRUE(rec_.MarcRecordModified());

    WriteFile(profile_.Dir().File("MarcRecordClass.INI"),
              "[Booleans]\nRemoveDuplicate035Fields=False\nRdaReCast502fields=yes\n");
    Utf8MarcRecordClass keeping;
    EXPECT_FALSE(keeping.RemoveDuplicative035Fields());
    EXPECT_TRUE(keeping.RdaReCast502Fields());
    EXPECT_FALSE(keeping.RemoveDuplicateOclcNumbers());
    keeping.MarcRecordIn(record);
    EXPECT_TRUE(OctetsEqual(record, keeping.MarcRecordOut()));
}

TEST_F(RecordLoadTest, LeaderAccessorsStayInsideTheLeader) {
    rec_.MarcRecordIn(ArithmeticRecord());
    EXPECT_EQ(rec_.GetLeaderValue(23, 2), "");
    EXPECT_EQ(rec_.GetLeaderValue(6, 1), "a");
    EXPECT_EQ(rec_.GetLeaderValue(-1, 1), "");
    EXPECT_EQ(rec_.CharacterEncodingScheme(), " ");
    rec_.ChangeLeaderValue(23, "xx");  // does not fit: nothing changes
    EXPECT_EQ(rec_.Leader().substr(22, 2), "00");
    rec_.ChangeLeaderValue(5, "n");
    EXPECT_EQ(rec_.GetLeaderValue(5, 1), "n");

    // Leader set copies positions 05-09 and 17-19 only.
    rec_.Leader("99999dgm a2299999Ku 4511");
    EXPECT_EQ(rec_.Leader().substr(5, 5), "dgm a");
    EXPECT_EQ(rec_.Leader().substr(17, 3), "Ku ");
    EXPECT_EQ(rec_.Leader().substr(0, 5), ArithmeticRecord().substr(0, 5));
    EXPECT_EQ(rec_.Leader().substr(20, 4), "4500");
    EXPECT_EQ(rec_.MarcRecordFormat(), "F");
    rec_.Leader("short");
    EXPECT_EQ(rec_.GetLeaderValue(6, 1), "g");
    rec_.ChangeLeaderValue(6, "z");
    EXPECT_TRUE(rec_.IsAuthority());
    EXPECT_EQ(rec_.MarcRecordFormat(), "A");

    EXPECT_EQ(rec_.Get008Value(7, 4), "1993");
    EXPECT_EQ(rec_.Get008Value(38, 3), "");
    EXPECT_EQ(rec_.Get008Value(0, 0), "");
    rec_.Change008Value(35, "fre");
    EXPECT_EQ(rec_.Get008Value(35, 3), "fre");
    rec_.Change008Value(39, "xx");  // past the end: ignored
    EXPECT_EQ(rec_.Get008Value(38, 2), "  ");
}

TEST_F(RecordLoadTest, FormatCodesFollowTheTypeOfRecord) {
    const struct {
        const char* type;
        const char* code;
    } table[] = {{"am", "B"}, {"as", "S"}, {"ab", "S"}, {"ai", "S"}, {"tm", "B"}, {"cm", "M"}, {"dm", "M"},
                 {"im", "M"}, {"jm", "M"}, {"em", "P"}, {"fm", "P"}, {"gm", "F"}, {"km", "F"}, {"om", "F"},
                 {"rm", "F"}, {"mm", "D"}, {"bm", "U"}, {"pm", "U"}, {"u ", "H"}, {"v ", "H"}, {"x ", "H"},
                 {"y ", "H"}, {"z ", "A"}, {"q ", "Q"}, {"w ", "W"}, {"h ", "?"}};
    for (const auto& row : table) {
        std::string leader = kBookLeader;
        leader.replace(6, 2, row.type);
        EXPECT_EQ(rec_.SetFormatCode(leader), row.code) << row.type;
    }
    std::string serial = kBookLeader;
    serial[7] = 's';
    EXPECT_TRUE(rec_.SerialBibliographicRecord(serial));
    EXPECT_FALSE(rec_.SerialBibliographicRecord(kBookLeader));
    serial[6] = 't';
    EXPECT_FALSE(rec_.SerialBibliographicRecord(serial));
}

TEST_F(RecordLoadTest, NewRecordHasStampAndDefault008) {
    rec_.NewRecord("a", "m");
    EXPECT_EQ(rec_.Leader().substr(5, 3), "nam");
    EXPECT_EQ(rec_.MarcRecordFormat(), "B");
    ASSERT_TRUE(rec_.FldFindFirst("005"));
    EXPECT_TRUE(std::regex_match(rec_.FldText(), std::regex("20[0-9]{12}\\.0")));
    ASSERT_TRUE(rec_.FldFindFirst("008"));
    EXPECT_EQ(rec_.FldText().size(), 40u);
    const std::string out = rec_.MarcRecordOut();
    EXPECT_TRUE(rec_.IsMarc(out));
    Utf8MarcRecordClass again;
    again.MarcRecordIn(out);
    EXPECT_EQ(again.MarcRecordOut(), out);

    rec_.NewRecord("y");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "y ");
    EXPECT_EQ(rec_.MarcRecordFormat(), "H");
    EXPECT_EQ(rec_.Get008Value(0, 40).size(), 32u);
    rec_.NewRecord("z");
    EXPECT_TRUE(rec_.IsAuthority());
    rec_.NewRecord("g");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "ga");
}

TEST_F(RecordLoadTest, EmptyLoadClearsThePreviousRecord) {
    rec_.MarcRecordIn(ArithmeticRecord());
    rec_.MarcRecordIn("");
    EXPECT_EQ(rec_.Leader(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), "");
    EXPECT_EQ(rec_.FldPointer(), -1);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
}

TEST_F(RecordLoadTest, CharacterSetSettingsCheckTheirValues) {
    rec_.CharacterSetIn(" utf8");
    EXPECT_EQ(rec_.CharacterSetIn(), "U");
    try {
        rec_.CharacterSetIn("quux");
        FAIL() << "no error";
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), 380);
        EXPECT_EQ(e.Source(), "MarcClass");
        EXPECT_EQ(e.Description(), "Invalid value for CharacterSetIn property");
    }
    try {
        rec_.CharacterSetOut("Q");
        FAIL() << "no error";
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), 380);
        EXPECT_EQ(e.Description(), "Invalid value for CharacterSetOut property: Q");
    }
    EXPECT_THROW(rec_.CharacterSetIn("Y"), LinkmendError);
    rec_.CharacterSetOut("y");
    EXPECT_EQ(rec_.CharacterSetOut(), "M");
    rec_.CharacterSetOut("ulc");
    EXPECT_EQ(rec_.CharacterSetOut(), "U");
    EXPECT_TRUE(rec_.CharacterSetOutIsUlc());
    rec_.MarcRecordIn(ArithmeticRecord());
    EXPECT_TRUE(rec_.CharacterSetOutIsUlc());
    rec_.CharacterSetOut("u");
    EXPECT_FALSE(rec_.CharacterSetOutIsUlc());
}

TEST_F(RecordLoadTest, CharacterisingListsIllegalOctets) {
    EXPECT_EQ(rec_.CharacterizeCharacterSet("caf\xC3\xA9"), "U");
    EXPECT_EQ(rec_.CharacterizeCharacterSet("plain"), "M");
    EXPECT_EQ(rec_.CharacterizeCharacterSet(std::string("a\x1C"
                                                        "b\x91\xFF",
                                                        5)),
              "MIllegal character(s): 28 145 255 ");
    // An ASCII record not marked UTF-8 loads as MARC-8 and is output unchanged.
    rec_.MarcRecordIn(ArithmeticRecord());
    EXPECT_EQ(rec_.CharacterSetIn(), "M");
    EXPECT_EQ(rec_.CharacterizeCharacterSet(), "M");
    EXPECT_TRUE(OctetsEqual(ArithmeticRecord(), rec_.MarcRecordOut()));
}

TEST_F(RecordLoadTest, Utf8AlifIsReplacedByApostropheModifier) {
    const std::string record = BuildRecord("00000nam a2200000 a 4500", {{"245", "10$aQur\xCA\xBE\x61n"}});
    rec_.MarcRecordIn(record);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldText(), D("$aQur\xCA\xBC"
                                "an"));
    std::string expected = record;
    expected[expected.find('\xBE')] = '\xBC';
    EXPECT_TRUE(OctetsEqual(expected, rec_.MarcRecordOut()));
}

}  // namespace
