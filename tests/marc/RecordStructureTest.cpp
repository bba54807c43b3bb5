// Loading, validating and assembling records: round trips, validity texts, damaged directories,
// leader repair and accessors, new records, character set settings, size limits.
#include <gtest/gtest.h>

#include <regex>

#include "base/Error.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;
using R = Utf8MarcRecordClass;

namespace {

class RecordStructure : public ::testing::Test {
protected:
    ProfileFolder profile_;
    R rec_;
};

// A book with links and a vernacular field.
const std::string kSample =
    BuildRecord(kBookLeader, {"001 12345", "008 920219s1993    caua   j      000 0 eng  ", "020    $a0152038655",
                              "100 1  $aSandburg, Carl,$d1878-1967.", "245 10 $aArithmetic /$cCarl Sandburg.",
                              "856 40 $3Guide$uhttp://old.example/a$zNote", "856 41 $uhttp://old.example/b",
                              "880 10 $6245-01$a{E7}{AE}{97}{E6}{95}{B0}"});

std::string With(std::string record, std::size_t pos, const std::string& octets) {
    return record.replace(pos, octets.size(), octets);
}

TEST_F(RecordStructure, SampleAndRealUtf8RecordsRoundTripByteExactUnderEitherOrder) {
    rec_.DisableUtf8Decomposition(true);
    rec_.MarcRecordIn(kSample);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_OCTETS(kSample, rec_.MarcRecordOut());
    EXPECT_EQ(rec_.Directory(), kSample.substr(24, 8 * 12));
    EXPECT_FALSE(rec_.MarcRecordModified());
    TempDir folder;
    R ordered;  // the built-in order, which the record already follows
    ordered.FldOrderFolder(folder.Path());
    ordered.MarcRecordIn(kSample);
    EXPECT_OCTETS(kSample, ordered.MarcRecordOut());
    EXPECT_FALSE(ordered.FldOrderChanged());
    for (const char* name : {"chabon.mrc", "summerland.mrc", "065001035.mrc"}) {
        const std::string path = SharedFile(std::string("real-marc/") + name);
        if (path.empty()) return;
        const auto records = SplitRecords(ReadFile(path));
        EXPECT_FALSE(records.empty()) << name;
        for (const std::string& record : records) {
            rec_.MarcRecordIn(record);
            ASSERT_EQ(rec_.IsMarcErrorText(), "") << name;
            EXPECT_EQ(rec_.CharacterSetIn(), "U") << name;
            EXPECT_OCTETS(record, rec_.MarcRecordOut()) << name;
        }
    }
}

TEST_F(RecordStructure, EveryValidityTestHasItsText) {
    const std::string& good = kSample;
    const std::size_t base = std::stoul(good.substr(12, 5));
    const std::pair<std::string, const char*> cases[] = {
        {good.substr(0, 49), "Too short to be a MARC record"},
        {With(good, 2, "a"), "First 5 characters not all numeric"},
        {With(good, 0, Digits(good.size() + 1)), "Record length in leader does not match actual record length"},
        {With(good, 0, "99999"), "Record length in leader does not match actual record length"},
        {With(good, 12, Digits(good.size() + 1)), "Base address of data longer than record length"},
        {With(good, 12, "00000"), "Base address of data unacceptable"},
        {With(good, 12, Digits(base + 1)), "Directory does not end with end-of-field character"},
        {With(good, good.size() - 1, "x"), "Record does not end with end-of-record character"},
        {With(good, good.size() - 2, "x"), "Last field does not end with end-of-field character"}};
    for (const auto& [record, text] : cases) {
        EXPECT_FALSE(rec_.IsMarc(record)) << text;
        EXPECT_EQ(rec_.IsMarcErrorText(), text);
        rec_.MarcRecordIn(record);
        EXPECT_EQ(rec_.IsMarcErrorText(), text);
        EXPECT_EQ(rec_.MarcRecordOut() + rec_.Leader(), "") << text;
        EXPECT_FALSE(rec_.FldMoveFirst());
        EXPECT_EQ(rec_.LoadProblems(), 0);
    }
    EXPECT_TRUE(rec_.IsMarc(good));
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_TRUE(rec_.IsMarc(With(good, 0, Digits(good.size() - 1))));  // longer than stated passes
    rec_.MarcRecordIn("");                                             // an empty load clears the record before
    EXPECT_EQ(rec_.Leader(), "");
    EXPECT_EQ(rec_.FldPointer(), -1);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
}

// The loader reads a damaged record as it always did, and says what it had to skip or guess: each
// kind named with its first entry, cleared by the next load.
TEST_F(RecordStructure, DamagedDirectoriesLoadWhatTheyCanAndSaySo) {
    const std::string clean = BuildRecord(kBookLeader, {"001 12345", "245 00 $aTitle", "856 40 $uhttp://x/"});
    // Directory entries: 001 at 24, 245 at 36, 856 at 48; the length at +3, the start at +7.
    const struct {
        std::string record;
        std::uint8_t problems;
        std::string text, tags;  // the fields kept
    } cases[] = {
        {clean, 0, "", "001 245 856"},
        {With(clean, 27, "00A6"), R::kEntrySkippedLengthNotNumber | R::kNo001,
         "directory entry 001 skipped (length not a number); no 001 field", "245 856"},
        {With(clean, 39, "-010"), R::kEntrySkippedLengthNotNumber, "directory entry 245 skipped (length not a number)",
         "001 856"},
        {With(clean, 51, "0001"), R::kEntrySkippedEmpty, "directory entry 856 skipped (empty)", "001 245"},
        {With(With(clean, 39, "0000"), 51, "0000"), R::kEntrySkippedEmpty, "directory entry 245 skipped (empty)",
         "001"},
        {With(clean, 39, "10 A"), R::kEntryLengthGuessed, "directory entry 245 misread (length not a number)",
         "001 245 856"},
        {With(clean, 43, "0000x"), R::kEntryStartGuessed,
         "directory entry 245 misread (starting position not a number)", "001 245 856"},
        {With(clean, 51, "0017"), R::kEntryPastEnd, "directory entry 856 reaches past the end of the data",
         "001 245 856"},
        {clean + "\x1E\x1D", R::kLengthMismatch, "record longer than its leader says", "001 245 856"},
        {BuildRecord(kBookLeader, {"245 00 $aA title long enough for a record"}), R::kNo001, "no 001 field", "245"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        rec_.MarcRecordIn(c.record);
        ASSERT_EQ(rec_.IsMarcErrorText(), "");
        EXPECT_EQ(rec_.LoadProblems(), c.problems);
        EXPECT_EQ(rec_.LoadProblemText(), c.text);
        std::string tags;
        for (bool more = rec_.FldMoveFirst(); more; more = rec_.FldMoveNext())
            tags += (tags.empty() ? "" : " ") + rec_.FldTag();
        EXPECT_EQ(tags, c.tags);
    }
    // A start beyond the data gives an empty field, left out on assembly; a length past the data runs to
    // its end.
    rec_.MarcRecordIn(With(clean, 55, "09000"));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldText(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"001 12345", "245 00 $aTitle"}));
    rec_.MarcRecordIn(With(clean, 51, "9999"));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldText(), D("$uhttp://x/{1E}"));
    // Every entry claims the largest length and start: fields come out short or empty.
    std::string wild = kSample;
    for (std::size_t e = 0; e < 8; ++e) wild.replace(24 + 12 * e + 3, 9, "999999999");
    rec_.MarcRecordIn(wild);
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"008 " + std::string(40, ' ')}));
}

TEST_F(RecordStructure, LeaderRepairAndFieldRulesOnLoad) {
    rec_.MarcRecordIn(kSample.substr(0, 18) + kSample.substr(20));  // "4500" now at position 19
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_TRUE(rec_.MarcRecordModified());
    EXPECT_OCTETS(With(kSample, 18, "  "), rec_.MarcRecordOut());
    // 008 of 38 octets is padded to 40; the 008 of a holdings record is cut to 32.
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {"008 " + std::string(38, 'x'), "245 10 $aT"}));
    EXPECT_EQ(rec_.Fld008Length(), 38);
    EXPECT_EQ(rec_.Get008Value(0, 40), std::string(38, 'x') + "  ");
    EXPECT_TRUE(rec_.MarcRecordModified());
    rec_.MarcRecordIn(BuildRecord("00000ny  a2200000 a 4500", {"008 " + std::string(40, 'h'), "852 0  $bMain"}));
    EXPECT_EQ(rec_.MarcRecordFormat(), "H");
    EXPECT_EQ(rec_.Get008Value(0, 40), std::string(32, 'h'));
    // A control field that begins with a delimiter loses the delimiter and its code.
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {"001 $a123", "245 10 $aT"}));
    EXPECT_EQ(rec_.FldText(), "123");
    // Text before the first delimiter is kept; indicators that are neither digits nor blanks
    // become blanks unless forced.
    const std::string odd = BuildRecord(kBookLeader, {"001 12345", "245 a1 $aTitle", "500    stray$aNote"});
    rec_.MarcRecordIn(odd);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldInd(), " 1");
    rec_.ForceInvalidIndicatorValues(true);
    rec_.MarcRecordIn(odd);
    EXPECT_OCTETS(odd, rec_.MarcRecordOut());
}

TEST_F(RecordStructure, Repeated035OfTheControlNumberIsDroppedUnlessSwitchedOff) {
    const std::string record = BuildRecord(kBookLeader, {"001 ocm123", "035    $aocm123", "035    $a(OCoLC)123"});
    rec_.MarcRecordIn(record);
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"001 ocm123", "035    $a(OCoLC)123"}));
    EXPECT_TRUE(rec_.MarcRecordModified());
    WriteFile(profile_.File("MarcRecordClass.INI"),
              "[Booleans]\nRemoveDuplicate035Fields=False\nRdaReCast502fields=yes\n");
    R keeping;
    EXPECT_FALSE(keeping.RemoveDuplicative035Fields());
    EXPECT_TRUE(keeping.RdaReCast502Fields());
    EXPECT_FALSE(keeping.RemoveDuplicateOclcNumbers());
    keeping.MarcRecordIn(record);
    EXPECT_OCTETS(record, keeping.MarcRecordOut());
}

TEST_F(RecordStructure, LeaderAnd008AccessorsStayInside) {
    rec_.MarcRecordIn(
        BuildRecord("00000nam a2200000 a 4512", {"001 x1", "008 920219s1993    caua   j      000 0 eng  "}));
    EXPECT_EQ(rec_.MarcRecordOut().substr(20, 4), "4500");  // assembly rewrites leader/22-23 only
    EXPECT_EQ(rec_.GetLeaderValue(23, 2) + rec_.GetLeaderValue(-1, 1), "");
    EXPECT_EQ(rec_.GetLeaderValue(6, 1) + rec_.CharacterEncodingScheme(), "aa");
    rec_.ChangeLeaderValue(23, "xx");  // does not fit: nothing changes
    EXPECT_EQ(rec_.Leader().substr(22, 2), "00");
    rec_.Leader("99999dgm a2299999Ku 4511");  // copies positions 05-09 and 17-19 only
    EXPECT_EQ(rec_.Leader().substr(5), "dgm a2200049Ku 4500");
    EXPECT_EQ(rec_.MarcRecordFormat(), "F");
    rec_.Leader("short");
    rec_.ChangeLeaderValue(6, "z");
    EXPECT_TRUE(rec_.IsAuthority());
    EXPECT_EQ(rec_.MarcRecordFormat(), "A");
    EXPECT_EQ(rec_.Get008Value(7, 4) + "|" + rec_.Get008Value(38, 3) + rec_.Get008Value(0, 0), "1993|");
    rec_.Change008Value(35, "fre");
    rec_.Change008Value(39, "xx");  // past the end: ignored
    EXPECT_EQ(rec_.Get008Value(35, 5), "fre  ");
}

TEST_F(RecordStructure, FormatCodesFollowTheTypeOfRecord) {
    const std::pair<const char*, const char*> table[] = {
        {"am", "B"}, {"as", "S"}, {"ai", "S"}, {"tm", "B"}, {"dm", "M"}, {"jm", "M"}, {"fm", "P"}, {"km", "F"},
        {"rm", "F"}, {"mm", "D"}, {"pm", "U"}, {"v ", "H"}, {"z ", "A"}, {"q ", "Q"}, {"w ", "W"}, {"h ", "?"}};
    for (const auto& [type, code] : table) {
        const std::string leader = With(kBookLeader, 6, type);
        EXPECT_EQ(rec_.SetFormatCode(leader), code) << type;
        EXPECT_EQ(rec_.SerialBibliographicRecord(leader), std::string(code) == "S") << type;
    }
}

TEST_F(RecordStructure, NewRecordHasStampAndDefault008) {
    rec_.NewRecord("a", "m");
    EXPECT_EQ(rec_.Leader().substr(5, 3) + rec_.MarcRecordFormat(), "namB");
    ASSERT_TRUE(rec_.FldFindFirst("005"));
    EXPECT_TRUE(std::regex_match(rec_.FldText(), std::regex("20[0-9]{12}\\.0")));
    ASSERT_TRUE(rec_.FldFindFirst("008"));
    EXPECT_EQ(rec_.FldText().size(), 40u);
    rec_.NewRecord("y");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "y ");
    EXPECT_EQ(rec_.Get008Value(0, 40).size(), 32u);
    rec_.NewRecord("g");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "ga");
}

TEST_F(RecordStructure, CharacterSetAndNormalizationSettingsCheckTheirValues) {
    const std::tuple<char, const char*, const char*> bad[] = {
        {'I', "quux", "Invalid value for CharacterSetIn property"},
        {'I', "Y", "Invalid value for CharacterSetIn property"},
        {'O', "Q", "Invalid value for CharacterSetOut property: Q"},
        {'N', "X", "Invalid value for NormalizationScheme property"}};
    for (const auto& [member, value, text] : bad) {
        try {
            member == 'I'   ? rec_.CharacterSetIn(value)
            : member == 'O' ? rec_.CharacterSetOut(value)
                            : rec_.NormalizationScheme(value);
            ADD_FAILURE() << value << ": no error";
        } catch (const LinkmendError& e) {
            EXPECT_EQ(e.Number(), 380);
            EXPECT_EQ(e.Source() + ": " + e.Description(), std::string("MarcClass: ") + text);
        }
    }
    EXPECT_EQ(rec_.CharacterSetIn() + rec_.CharacterSetOut() + rec_.NormalizationScheme(), "UUV");  // left as they were
    rec_.CharacterSetIn(" utf8");
    rec_.CharacterSetOut("y");
    EXPECT_EQ(rec_.CharacterSetIn() + rec_.CharacterSetOut(), "UM");
    rec_.CharacterSetOut("ulc");
    rec_.MarcRecordIn(kSample);
    EXPECT_TRUE(rec_.CharacterSetOutIsUlc());
    rec_.CharacterSetOut("u");
    EXPECT_FALSE(rec_.CharacterSetOutIsUlc());
}

TEST_F(RecordStructure, SizeLimitsOfTheFormat) {
    // A record of 99,999 octets made of thousands of small fields.
    std::vector<std::string> fields{"001 1"};
    for (int i = 0; i < 4700; ++i) fields.push_back("500    $a1234");
    fields.push_back("590    $a");
    fields.back() += std::string(99999 - BuildRecord(kBookLeader, fields).size(), 'p');
    const std::string big = BuildRecord(kBookLeader, fields);
    ASSERT_EQ(big.size(), 99999u);
    rec_.MarcRecordIn(big);
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_OCTETS(big, rec_.MarcRecordOut());
    // A field of more than 9,999 octets, or a record of more than 99,999, is not assembled.
    rec_.MarcRecordIn(kSample);
    const std::string leader = rec_.Leader();
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    rec_.FldText(std::string(9996, 'x'));  // with indicators and terminator exactly 9,999 octets
    EXPECT_NE(rec_.MarcRecordOut().find("2459999"), std::string::npos);
    rec_.FldText(std::string(9997, 'x'));
    EXPECT_EQ(rec_.MarcRecordOut(), "");
    rec_.FldText("short again");
    EXPECT_NE(rec_.MarcRecordOut(), "");
    for (int i = 0; i < 11; ++i) rec_.FldAdd("500", "  ", std::string(9990, 'n'));
    EXPECT_EQ(rec_.MarcRecordOut(), "");
    EXPECT_EQ(rec_.Leader().substr(5), leader.substr(5));
}

}  // namespace
