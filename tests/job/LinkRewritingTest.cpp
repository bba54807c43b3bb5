// The rewriting of a record's 856 fields: which links match, and what each action makes of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "job/LinkRewriting.h"
#include "job/RunFiles.h"
#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using linkmend::test::BuildRecord;

namespace {

// The fields after the 245 of a record, "$" for the subfield delimiter.
std::vector<std::string> FieldsAfter245(const std::string& octets) {
    Utf8MarcRecordClass record;
    record.MarcRecordIn(octets);
    std::vector<std::string> out;
    for (bool more = record.FldMoveFirst(); more; more = record.FldMoveNext()) {
        std::string text = record.FldText();
        std::replace(text.begin(), text.end(), '\x1F', '$');
        if (record.FldTag() > "245") out.push_back(record.FldTag() + " " + record.FldInd() + " " + text);
    }
    return out;
}

TEST(LinkRewritingTest, WhichLinksMatchAndWhatEachActionMakesOfThem) {
    using enum SubfieldAction;
    const auto subfields = [](std::vector<std::pair<char, SubfieldAction>> actions) {
        return [actions](JobSettings& j) {
            j.UrlAction = UrlAction::Leave;
            for (const auto& [code, action] : actions) j.Subfields[SubfieldRow(code)] = {action, "New"};
        };
    };
    const std::string old = "http://old.example/";
    // clang-format off
    const struct {
        const char* name;
        std::function<void(JobSettings&)> job;  // on a job changing the stem to "https://new.example/"
        std::string stem;
        std::vector<std::string> fields, after;  // after: none when nothing changes
    } cases[] = {
        {"the first $u only", {}, old, {"856 40 $u" + old + "a$u" + old + "b", "856 41 $3TOC$uhttp://x/$zSee " + old},
         {"856 40 $uhttps://new.example/a$u" + old + "b", "856 41 $3TOC$uhttp://x/$zSee " + old}},
        {"case and place count", {}, old, {"856 40 $uHTTP://OLD.EXAMPLE/a", "856 40 $uproxy?" + old, "856 40 $z" + old}, {}},
        {"from the right", [](auto& j) { j.NewUrlStem = "xy", j.MatchEnd = MatchEnd::Right; }, "c",
         {"856 40 $uabc", "856 40 $uc", "856 40 $ucab"}, {"856 40 $uabxy", "856 40 $uxy", "856 40 $ucab"}},
        {"from the right, $u shorter", [](auto& j) { j.MatchEnd = MatchEnd::Right; }, "abcd", {"856 40 $ubcd"}, {}},
        {"suffix even when there", [](auto& j) { j.NewUrlStem = "?p=1", j.UrlAction = UrlAction::AddSuffix; }, old,
         {"856 40 $u" + old + "a?p=1"}, {"856 40 $u" + old + "a?p=1?p=1"}},
        {"$z in the place of the first", subfields({{'z', Replace}}), old, {"856 40 $zOne$u" + old + "$zTwo"},
         {"856 40 $zNew$u" + old}},
        {"$y added", subfields({{'y', Replace}}), old, {"856 40 $u" + old}, {"856 40 $u" + old + "$yNew"}},
        {"$x and $3 deleted", subfields({{'x', Delete}, {'3', Delete}}), old, {"856 40 $xa$3b$u" + old + "$xc$3d$zk"},
         {"856 40 $u" + old + "$zk"}},
        {"nothing to delete", subfields({{'x', Delete}}), old, {"856 40 $u" + old + "$zn"}, {}},
        {"all four added in digit order", subfields({{'3', Replace}, {'z', Replace}, {'y', Replace}, {'x', Replace}}),
         old, {"856 40 $u" + old}, {"856 40 $u" + old + "$xNew$yNew$zNew$3New"}},
        {"matching fields deleted", [](auto& j) { j.DeleteField = FieldAction::Delete; }, old,
         {"856 40 $u" + old + "a", "856 40 $uhttp://keep/", "856 42 $u" + old + "b"}, {"856 40 $uhttp://keep/"}},
        {"site option: $z and the 590's first subfield", [](auto& j) { j.SiteOption = true, j.UrlAction = UrlAction::AddSuffix; },
         old, {"590    $aSee " + old + " now$b" + old, "856 40 $u" + old + "a$zWas " + old},
         {"590    $aSee https://new.example/ now$b" + old, "856 40 $u" + old + "ahttps://new.example/$zWas https://new.example/"}},
        {"site option, nothing changed", [](auto& j) { j.SiteOption = true; }, old,
         {"590    $aSee " + old, "856 40 $uhttp://elsewhere/"}, {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JobSettings job;
        job.UrlAction = UrlAction::ChangeStem;
        job.NewUrlStem = "https://new.example/";
        if (c.job) c.job(job);
        std::vector<std::string> fields = {"001 1234", "245 00 $aA title."};
        fields.insert(fields.end(), c.fields.begin(), c.fields.end());
        Utf8MarcRecordClass record;
        record.MarcRecordIn(BuildRecord(fields));
        record.FldMoveLast();  // wherever the field cursor stands, every 856 is looked at
        RunLog log;
        EXPECT_EQ(RewriteLinks(record, job, c.stem, log), !c.after.empty());
        EXPECT_EQ(FieldsAfter245(record.MarcRecordOut()), c.after.empty() ? c.fields : c.after);
    }
}

TEST(LinkRewritingTest, InStrCountsFromOne) {
    EXPECT_EQ(InStr("abcabc", "bc"), 2);
    EXPECT_EQ(InStr("abc", "x"), 0);
    EXPECT_EQ(InStr("abc", ""), 1);
    EXPECT_EQ(InStr("", ""), 0);
}

}  // namespace
