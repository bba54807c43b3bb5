// What a load had to skip or guess: the loader reads a damaged record as it always did, and says so.
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

using R = Utf8MarcRecordClass;

TEST(LoadProblemsTest, EachKindNamedWithItsFirstEntryAndClearedByTheNextLoad) {
    ProfileFolder profile;
    R rec;
    const std::string clean =
        BuildRecord(kBookLeader, {"001 12345", "245 00 $aTitle", "856 40 $uhttp://x/"});
    // Directory entries: 001 at 24, 245 at 36, 856 at 48; the length at +3, the start at +7.
    auto damaged = [&](std::size_t at, const std::string& octets) {
        return std::string(clean).replace(at, octets.size(), octets);
    };
    const struct {
        std::string record;
        std::uint8_t problems;
        std::string text;
        bool has001, has245;  // what the loader kept, as before
    } cases[] = {
        {clean, 0, "", true, true},
        {damaged(27, "00A6"), R::kEntrySkippedLengthNotNumber | R::kNo001,
         "directory entry 001 skipped (length not a number); no 001 field", false, true},
        {damaged(39, "-010"), R::kEntrySkippedLengthNotNumber, "directory entry 245 skipped (length not a number)",
         true, false},
        {damaged(51, "0001"), R::kEntrySkippedEmpty, "directory entry 856 skipped (empty)", true, true},
        {damaged(39, "10 A"), R::kEntryLengthGuessed, "directory entry 245 misread (length not a number)", true, true},
        {damaged(43, "0000x"), R::kEntryStartGuessed, "directory entry 245 misread (starting position not a number)",
         true, true},
        {damaged(51, "0017"), R::kEntryPastEnd, "directory entry 856 reaches past the end of the data", true, true},
        {clean + "\x1E\x1D", R::kLengthMismatch, "record longer than its leader says", true, true},
        {BuildRecord(kBookLeader, {"245 00 $aA title long enough for a record"}), R::kNo001, "no 001 field", false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        rec.MarcRecordIn(c.record);
        ASSERT_EQ(rec.IsMarcErrorText(), "");
        EXPECT_EQ(rec.LoadProblems(), c.problems);
        EXPECT_EQ(rec.LoadProblemText(), c.text);
        EXPECT_EQ(rec.FldTestFirst("001"), c.has001);
        EXPECT_EQ(rec.FldTestFirst("245"), c.has245);
    }
    // Only the first entry of a kind is named; an invalid string has no problems of this sort.
    rec.MarcRecordIn(damaged(39, "0000").replace(51, 4, "0000"));
    EXPECT_EQ(rec.LoadProblemText(), "directory entry 245 skipped (empty)");
    rec.MarcRecordIn(clean.substr(0, clean.size() - 1));
    EXPECT_EQ(rec.IsMarcErrorText(), "Record length in leader does not match actual record length");
    EXPECT_EQ(rec.LoadProblems(), 0);
}

}  // namespace
