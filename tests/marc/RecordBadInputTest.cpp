// Damaged input never crashes: each record either loads what it can or fails the validity test with
// its text, and whatever loads assembles into a record that loads again to the same octets.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "RecordBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::set<std::string> kValidityTexts = {
    "",
    "Too short to be a MARC record",
    "First 5 characters not all numeric",
    "Record length in leader does not match actual record length",
    "Base address of data longer than record length",
    "Base address of data unacceptable",
    "Directory does not end with end-of-field character",
    "Record does not end with end-of-record character",
    "Last field does not end with end-of-field character",
};

std::string Sample() {
    return BuildRecord("00000nam a2200000 a 4500", {{"001", "12345"},
                                                    {"008", "920219s1993    caua   j      000 0 eng  "},
                                                    {"020", "  $a0152038655"},
                                                    {"100", "1 $aSandburg, Carl,$d1878-1967."},
                                                    {"245", "10$aArithmetic /$cCarl Sandburg."},
                                                    {"856", "40$3Guide$uhttp://old.example/a$zNote"},
                                                    {"856", "41$uhttp://old.example/b"},
                                                    {"880", "10$6245-01$a\xE7\xAE\x97\xE6\x95\xB0"}});
}

// Loads, checks the result is one of the known outcomes, then exercises the job's calls on it.
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
    // What was assembled is a valid record. Reloading it settles it (a damaged 008 may still get
    // its padding once); from then on it reloads to itself.
    Utf8MarcRecordClass again;
    again.MakeNoChange(true);
    again.MarcRecordIn(out);
    ASSERT_EQ(again.IsMarcErrorText(), "");
    const std::string settled = again.MarcRecordOut();
    ASSERT_NE(settled, "");
    again.MarcRecordIn(settled);
    ASSERT_EQ(again.MarcRecordOut(), settled);
}

class RecordBadInputTest : public ::testing::Test {
protected:
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

TEST_F(RecordBadInputTest, RandomMutationsNeverBreakLoadOrAssembly) {
    const std::string sample = Sample();
    std::mt19937 random(20240611);
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const std::string interesting = std::string("0123456789 \x1D\x1E\x1F|$a4\xFF\xC3\x80", 21);
    // Every other round goes through an object that reorders fields by the built-in instructions.
    TempDir folder;
    Utf8MarcRecordClass ordering;
    ordering.FldOrderFolder(folder.Path());
    for (int round = 0; round < 4000; ++round) {
        std::string r = sample;
        const int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits && !r.empty(); ++e) {
            switch (pick(6)) {
                case 0: r[pick(r.size())] = interesting[pick(interesting.size())]; break;
                case 1: r[pick(r.size())] = static_cast<char>(pick(256)); break;
                case 2: r.erase(pick(r.size()), 1 + pick(8)); break;
                case 3:
                    r.insert(pick(r.size()), std::string(1 + pick(4), interesting[pick(interesting.size())]));
                    break;
                case 4: r.resize(pick(r.size())); break;
                default: {  // a directory number or the leader's numbers rewritten
                    const std::size_t at = pick(2) ? 12 : 24 + 12 * pick(8) + 3 + pick(2) * 4;
                    if (at + 5 <= r.size()) r.replace(at, 5, Digits(pick(100000), 5));
                }
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        Exercise(round % 2 ? ordering : rec_, r);
        if (HasFatalFailure()) return;
    }
}

TEST_F(RecordBadInputTest, TruncatedAtEveryLength) {
    const std::string sample = Sample();
    for (std::size_t n = 1; n < sample.size(); ++n) {
        Exercise(rec_, sample.substr(0, n));
        ASSERT_NE(rec_.IsMarcErrorText(), "") << n;
    }
}

TEST_F(RecordBadInputTest, ExtremeLengthsAndLargeRecords) {
    std::string r = Sample();
    r.replace(0, 5, "99999");
    Exercise(rec_, r);
    EXPECT_EQ(rec_.IsMarcErrorText(), "Record length in leader does not match actual record length");

    // A record of 99,999 octets made of thousands of small fields.
    std::vector<TestField> fields{{"001", "1"}};
    for (int i = 0; i < 4700; ++i) fields.push_back({"500", "  $a1234"});
    fields.push_back({"590", "  $a"});
    const std::size_t shortBy = 99999 - BuildRecord(kBookLeader, fields).size();
    fields.back().content += std::string(shortBy, 'p');
    const std::string big = BuildRecord(kBookLeader, fields);
    ASSERT_EQ(big.size(), 99999u);
    rec_.MarcRecordIn(big);
    ASSERT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_TRUE(OctetsEqual(big, rec_.MarcRecordOut()));
    Exercise(rec_, big);

    // Every entry claims the largest length and start: fields come out short or empty.
    std::string wild = Sample();
    for (std::size_t e = 0; e < 8; ++e) wild.replace(24 + 12 * e + 3, 9, "999999999");
    Exercise(rec_, wild);
    EXPECT_EQ(rec_.IsMarcErrorText(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {{"008", std::string(40, ' ')}}));
}

TEST_F(RecordBadInputTest, RecordTooLongForTheFormatIsNotAssembled) {
    rec_.MarcRecordIn(Sample());
    const std::string leader = rec_.Leader();
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    rec_.FldText(std::string(9996, 'x'));  // with indicators and terminator exactly 9,999 octets
    const std::string fits = rec_.MarcRecordOut();
    ASSERT_NE(fits, "");
    EXPECT_NE(fits.find("2459999"), std::string::npos);
    rec_.FldText(std::string(9997, 'x'));
    EXPECT_EQ(rec_.MarcRecordOut(), "");
    rec_.FldText("short again");
    EXPECT_NE(rec_.MarcRecordOut(), "");
    for (int i = 0; i < 11; ++i) rec_.FldAdd("500", "  ", std::string(9990, 'n'));
    EXPECT_EQ(rec_.MarcRecordOut(), "");
    EXPECT_EQ(rec_.Leader().substr(5), leader.substr(5));
}

}  // namespace
