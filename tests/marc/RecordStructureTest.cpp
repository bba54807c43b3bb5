// Loading, validating and assembling records: byte-exact round trips, the validity texts, leader
// repair, the directory parse, the leader and 008 accessors, and damaged input of every kind.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>

#include "Oracles.h"
#include "base/Error.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class RecordStructure : public ::testing::Test {
protected:
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
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

TEST_F(RecordStructure, SampleRoundTripsByteExactUnderEitherOrder) {
    rec_.MarcRecordIn(kSample);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_OCTETS(kSample, rec_.MarcRecordOut());
    EXPECT_EQ(rec_.MarcRecordIn(), kSample);
    EXPECT_EQ(rec_.Directory(), kSample.substr(24, 8 * 12));
    EXPECT_FALSE(rec_.MarcRecordModified());
    TempDir folder;
    Utf8MarcRecordClass ordered;
    ordered.FldOrderFolder(folder.Path());  // the built-in order, which the record already follows
    ordered.MarcRecordIn(kSample);
    EXPECT_OCTETS(kSample, ordered.MarcRecordOut());
    EXPECT_FALSE(ordered.FldOrderChanged());
}

TEST_F(RecordStructure, AssembledRecordAgreesWithYaz) {
    if (!HaveOracle("command -v yaz-marcdump", "yaz")) return;
    rec_.MarcRecordIn(kSample);
    rec_.FldFindFirst("245");
    rec_.SfdFindFirst("c");
    rec_.SfdText("C. Sandburg.");
    TempDir dir;
    const std::string dump = RunFilter(dir, "yaz-marcdump -i marc -o line /dev/stdin", rec_.MarcRecordOut());
    EXPECT_NE(dump.find("245 10 $a Arithmetic / $c C. Sandburg.\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("100 1  $a Sandburg, Carl, $d 1878-1967.\n"), std::string::npos) << dump;
}

TEST_F(RecordStructure, RealUtf8RecordsRoundTripByteExact) {
    rec_.DisableUtf8Decomposition(true);
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
        EXPECT_EQ(rec_.MarcRecordOut(), "") << text;
        EXPECT_EQ(rec_.Leader(), "") << text;
        EXPECT_FALSE(rec_.FldMoveFirst());
    }
    EXPECT_TRUE(rec_.IsMarc(good));
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_TRUE(rec_.IsMarc(With(good, 0, Digits(good.size() - 1))));  // longer than stated passes
    rec_.MarcRecordIn("");                                             // an empty load clears the record before
    EXPECT_EQ(rec_.Leader(), "");
    EXPECT_EQ(rec_.FldPointer(), -1);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
}

TEST_F(RecordStructure, LeaderMissingTwoOctetsIsRepaired) {
    rec_.MarcRecordIn(kSample.substr(0, 18) + kSample.substr(20));  // "4500" now at position 19
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_EQ(rec_.Leader().substr(18, 6), "  4500");
    EXPECT_TRUE(rec_.MarcRecordModified());
    EXPECT_OCTETS(With(kSample, 18, "  "), rec_.MarcRecordOut());
}

TEST_F(RecordStructure, AssemblyRewritesLeader22And23Only) {
    const std::string record = BuildRecord("00000nam a2200000 a 4512", {"001 x1", "245 10 $aT"});
    rec_.MarcRecordIn(record);
    const std::string out = rec_.MarcRecordOut();
    EXPECT_EQ(out.substr(20, 4), "4500");
    EXPECT_EQ(out.substr(5, 15), record.substr(5, 15));
    EXPECT_EQ(rec_.Leader().substr(22, 2), "00");
}

TEST_F(RecordStructure, BadDirectoryEntriesLoadWhatTheyCan) {
    const std::string record = BuildRecord(kBookLeader, {"001 abc", "245 10 $aTitle", "500    $aNote"});
    // Entry 2 (245): length zero; entry 3 (500): start beyond the data. The empty 500 is left out.
    rec_.MarcRecordIn(With(With(record, 39, "0000"), 55, "09000"));
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_FALSE(rec_.FldTestFirst("245"));
    EXPECT_TRUE(rec_.FldFindFirst("500"));
    EXPECT_EQ(rec_.FldText(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"001 abc"}));
    rec_.MarcRecordIn(With(record, 39, "00x9"));  // reads as 0: skipped
    EXPECT_FALSE(rec_.FldTestFirst("245"));
    EXPECT_TRUE(rec_.FldTestFirst("500"));
    rec_.MarcRecordIn(With(BuildRecord(kBookLeader, {"001 abc", "245 10 $aTitle"}), 39, "9999"));
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldText(), D("$aTitle{1E}"));  // longer than the data: runs to its end
}

TEST_F(RecordStructure, FieldRulesOnLoad) {
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
    // Text before the first delimiter is kept.
    const std::string stray = BuildRecord(kBookLeader, {"001 1", "500    stray$aNote"});
    rec_.MarcRecordIn(stray);
    EXPECT_OCTETS(stray, rec_.MarcRecordOut());
    // Indicators that are neither digits nor blanks become blanks unless forced.
    const std::string odd = BuildRecord(kBookLeader, {"001 12345", "245 a1 $aTitle"});
    rec_.MarcRecordIn(odd);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldInd(), " 1");
    rec_.ForceInvalidIndicatorValues(true);
    rec_.MarcRecordIn(odd);
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldInd(), "a1");
    EXPECT_OCTETS(odd, rec_.MarcRecordOut());
    // UTF-8: the alif U+02BE becomes the apostrophe modifier U+02BC.
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {"245 10 $aQur{CA}{BE}an"}));
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"245 10 $aQur{CA}{BC}an"}), rec_.MarcRecordOut());
}

TEST_F(RecordStructure, Repeated035OfTheControlNumberIsDroppedUnlessSwitchedOff) {
    const std::string record = BuildRecord(kBookLeader, {"001 ocm123", "035    $aocm123", "035    $a(OCoLC)123"});
    rec_.MarcRecordIn(record);
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"001 ocm123", "035    $a(OCoLC)123"}));
    EXPECT_TRUE(rec_.MarcRecordModified());
    WriteFile(profile_.File("MarcRecordClass.INI"),
              "[Booleans]\nRemoveDuplicate035Fields=False\nRdaReCast502fields=yes\n");
    Utf8MarcRecordClass keeping;
    EXPECT_FALSE(keeping.RemoveDuplicative035Fields());
    EXPECT_TRUE(keeping.RdaReCast502Fields());
    EXPECT_FALSE(keeping.RemoveDuplicateOclcNumbers());
    keeping.MarcRecordIn(record);
    EXPECT_OCTETS(record, keeping.MarcRecordOut());
}

TEST_F(RecordStructure, LeaderAnd008AccessorsStayInside) {
    rec_.MarcRecordIn(kSample);
    EXPECT_EQ(rec_.GetLeaderValue(23, 2), "");
    EXPECT_EQ(rec_.GetLeaderValue(6, 1), "a");
    EXPECT_EQ(rec_.GetLeaderValue(-1, 1), "");
    EXPECT_EQ(rec_.CharacterEncodingScheme(), "a");
    rec_.ChangeLeaderValue(23, "xx");  // does not fit: nothing changes
    EXPECT_EQ(rec_.Leader().substr(22, 2), "00");
    rec_.ChangeLeaderValue(5, "n");
    EXPECT_EQ(rec_.GetLeaderValue(5, 1), "n");
    rec_.Leader("99999dgm a2299999Ku 4511");  // copies positions 05-09 and 17-19 only
    EXPECT_EQ(rec_.Leader(), kSample.substr(0, 5) + "dgm a22" + kSample.substr(12, 5) + "Ku 4500");
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

TEST_F(RecordStructure, FormatCodesFollowTheTypeOfRecord) {
    const std::pair<const char*, const char*> table[] = {
        {"am", "B"}, {"as", "S"}, {"ab", "S"}, {"ai", "S"}, {"tm", "B"}, {"cm", "M"}, {"dm", "M"},
        {"im", "M"}, {"jm", "M"}, {"em", "P"}, {"fm", "P"}, {"gm", "F"}, {"km", "F"}, {"om", "F"},
        {"rm", "F"}, {"mm", "D"}, {"bm", "U"}, {"pm", "U"}, {"u ", "H"}, {"v ", "H"}, {"x ", "H"},
        {"y ", "H"}, {"z ", "A"}, {"q ", "Q"}, {"w ", "W"}, {"h ", "?"}};
    for (const auto& [type, code] : table) {
        const std::string leader = With(kBookLeader, 6, type);
        EXPECT_EQ(rec_.SetFormatCode(leader), code) << type;
        EXPECT_EQ(rec_.SerialBibliographicRecord(leader), std::string(code) == "S") << type;
    }
}

TEST_F(RecordStructure, NewRecordHasStampAndDefault008) {
    rec_.NewRecord("a", "m");
    EXPECT_EQ(rec_.Leader().substr(5, 3), "nam");
    EXPECT_EQ(rec_.MarcRecordFormat(), "B");
    ASSERT_TRUE(rec_.FldFindFirst("005"));
    EXPECT_TRUE(std::regex_match(rec_.FldText(), std::regex("20[0-9]{12}\\.0")));
    ASSERT_TRUE(rec_.FldFindFirst("008"));
    EXPECT_EQ(rec_.FldText().size(), 40u);
    const std::string out = rec_.MarcRecordOut();
    Utf8MarcRecordClass again;
    again.MarcRecordIn(out);
    EXPECT_EQ(again.IsMarcErrorText(), "");
    EXPECT_EQ(again.MarcRecordOut(), out);
    rec_.NewRecord("y");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "y ");
    EXPECT_EQ(rec_.Get008Value(0, 40).size(), 32u);
    rec_.NewRecord("z");
    EXPECT_TRUE(rec_.IsAuthority());
    rec_.NewRecord("g");
    EXPECT_EQ(rec_.Leader().substr(6, 2), "ga");
}

TEST_F(RecordStructure, CharacterSetSettingsCheckTheirValues) {
    rec_.CharacterSetIn(" utf8");
    EXPECT_EQ(rec_.CharacterSetIn(), "U");
    const std::tuple<bool, const char*, const char*> bad[] = {
        {true, "quux", "Invalid value for CharacterSetIn property"},
        {true, "Y", "Invalid value for CharacterSetIn property"},
        {false, "Q", "Invalid value for CharacterSetOut property: Q"}};
    for (const auto& [in, value, text] : bad) {
        try {
            in ? rec_.CharacterSetIn(value) : rec_.CharacterSetOut(value);
            ADD_FAILURE() << value << ": no error";
        } catch (const LinkmendError& e) {
            EXPECT_EQ(e.Number(), 380);
            EXPECT_EQ(e.Source(), "MarcClass");
            EXPECT_EQ(e.Description(), text);
        }
    }
    rec_.CharacterSetOut("y");
    EXPECT_EQ(rec_.CharacterSetOut(), "M");
    rec_.CharacterSetOut("ulc");
    EXPECT_EQ(rec_.CharacterSetOut(), "U");
    rec_.MarcRecordIn(kSample);
    EXPECT_TRUE(rec_.CharacterSetOutIsUlc());
    rec_.CharacterSetOut("u");
    EXPECT_FALSE(rec_.CharacterSetOutIsUlc());
}

// ---- Damaged input: never a crash; each record loads what it can or fails the validity test with
// its text, and whatever loads assembles into a record that settles on reloading.

const std::set<std::string> kValidityTexts = {"",
                                              "Too short to be a MARC record",
                                              "First 5 characters not all numeric",
                                              "Record length in leader does not match actual record length",
                                              "Base address of data longer than record length",
                                              "Base address of data unacceptable",
                                              "Directory does not end with end-of-field character",
                                              "Record does not end with end-of-record character",
                                              "Last field does not end with end-of-field character"};

void Exercise(Utf8MarcRecordClass& rec, const std::string& input) {
    rec.MarcRecordIn(input);
    ASSERT_TRUE(kValidityTexts.count(rec.IsMarcErrorText())) << rec.IsMarcErrorText();
    const std::string out = rec.MarcRecordOut();
    if (!rec.IsMarcErrorText().empty()) {
        ASSERT_EQ(out, "");
        return;
    }
    rec.FldMoveTop();
    while (rec.FldFindNext("856")) {
        if (rec.SfdFindFirst("u")) rec.SfdText(Utf8MarcRecordClass::SafeStuff(rec.SfdText(), 1, 3, "xyz"));
        rec.FldTextFormatted(0, false, 10, "0123456789abcdefghijklmnopqrstuvwxyz", "");
    }
    rec.TextFormatted();
    if (out.size() < 50) return;  // a record of one or two tiny fields is short by nature
    Utf8MarcRecordClass again;    // a damaged 008 may get its padding once; then it reloads to itself
    again.MakeNoChange(true);
    again.MarcRecordIn(out);
    ASSERT_EQ(again.IsMarcErrorText(), "");
    const std::string settled = again.MarcRecordOut();
    ASSERT_NE(settled, "");
    again.MarcRecordIn(settled);
    ASSERT_EQ(again.MarcRecordOut(), settled);
}

TEST_F(RecordStructure, RandomDamageNeverBreaksLoadOrAssembly) {
    std::mt19937 random(20240611);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const std::string interesting = X("0123456789 {1D}{1E}{1F}|$a4{FF}{C3}{80}");
    TempDir folder;
    Utf8MarcRecordClass ordering;  // every other round reorders fields by the built-in instructions
    ordering.FldOrderFolder(folder.Path());
    for (int round = 0; round < 4000; ++round) {
        std::string r = kSample;
        for (int e = 0, edits = 1 + static_cast<int>(pick(4)); e < edits && !r.empty(); ++e) {
            switch (pick(6)) {
                case 0: r[pick(r.size())] = interesting[pick(interesting.size())]; break;
                case 1: r[pick(r.size())] = static_cast<char>(pick(256)); break;
                case 2: r.erase(pick(r.size()), 1 + pick(8)); break;
                case 3:
                    r.insert(pick(r.size()), std::string(1 + pick(4), interesting[pick(interesting.size())]));
                    break;
                case 4: r.resize(pick(r.size())); break;
                default: {  // a leader or directory number rewritten
                    const std::size_t at = pick(2) ? 12 : 24 + 12 * pick(8) + 3 + pick(2) * 4;
                    if (at + 5 <= r.size()) r.replace(at, 5, Digits(pick(100000)));
                }
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        Exercise(round % 2 ? ordering : rec_, r);
        if (HasFatalFailure()) return;
    }
    for (std::size_t n = 1; n < kSample.size(); ++n) {  // truncated at every length
        Exercise(rec_, kSample.substr(0, n));
        ASSERT_NE(rec_.IsMarcErrorText(), "") << n;
    }
}

TEST_F(RecordStructure, ExtremeLengthsAndLargeRecords) {
    Exercise(rec_, With(kSample, 0, "99999"));
    EXPECT_EQ(rec_.IsMarcErrorText(), "Record length in leader does not match actual record length");
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
    // Every entry claims the largest length and start: fields come out short or empty.
    std::string wild = kSample;
    for (std::size_t e = 0; e < 8; ++e) wild.replace(24 + 12 * e + 3, 9, "999999999");
    Exercise(rec_, wild);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"008 " + std::string(40, ' ')}));
}

TEST_F(RecordStructure, RecordTooLongForTheFormatIsNotAssembled) {
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
