#include <gtest/gtest.h>

#include "MarcBuilder.h"
#include "TestSupport.h"
#include "job/LinkRewriting.h"
#include "job/RunFiles.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using linkmend::test::BuildRecord;
using linkmend::test::TempDir;

namespace {

const char* kControl[] = {"001 1234", "005 20240101120000.0", "008 240101s2024    xx            000 0 eng d"};

class LinkRewritingTest : public ::testing::Test {
protected:
    // Loads a record made of the usual control fields, a 245 and the given fields.
    void Load(const std::vector<std::string>& fields) {
        std::vector<std::string> all(std::begin(kControl), std::end(kControl));
        all.push_back("245 00 $aA title.");
        all.insert(all.end(), fields.begin(), fields.end());
        record_.MarcRecordIn(BuildRecord(all));
        ASSERT_FALSE(record_.Leader().empty()) << record_.IsMarcErrorText();
    }
    // The record after rewriting, as the fields a reloaded record holds from 245 on.
    std::vector<std::string> Fields() {
        Utf8MarcRecordClass again;
        again.MarcRecordIn(record_.MarcRecordOut());
        std::vector<std::string> out;
        again.FldMoveFirst();
        while (again.FldWasFound()) {
            if (again.FldTag() >= "245") {
                std::string text = again.FldText();
                for (char& c : text) {
                    if (c == '\x1F') c = '$';
                }
                out.push_back(again.FldTag() + " " + again.FldInd() + " " + text);
            }
            again.FldMoveNext();
        }
        return out;
    }
    bool Rewrite() { return RewriteLinks(record_, job_, stem_, log_); }

    Utf8MarcRecordClass record_;
    JobSettings job_;
    std::string stem_ = "http://old.example/";
    RunLog log_;
};

TEST_F(LinkRewritingTest, ChangesStemAtStartOfFirstUOnly) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "https://new.example/";
    Load({"856 40 $uhttp://old.example/a$uhttp://old.example/b", "856 41 $3TOC$uhttp://other/x$zNote"});
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Fields(),
              (std::vector<std::string>{"245 00 $aA title.", "856 40 $uhttps://new.example/a$uhttp://old.example/b",
                                        "856 41 $3TOC$uhttp://other/x$zNote"}));
}

TEST_F(LinkRewritingTest, MatchIsCaseSensitiveAndAtTheStartOnly) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "https://new.example/";
    Load({"856 40 $uHTTP://OLD.EXAMPLE/a", "856 40 $uproxy?url=http://old.example/a"});
    EXPECT_FALSE(Rewrite());
    EXPECT_EQ(Fields()[1], "856 40 $uHTTP://OLD.EXAMPLE/a");
}

TEST_F(LinkRewritingTest, MatchFromRight) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.MatchEnd = MatchEnd::Right;
    job_.NewUrlStem = "xy";
    stem_ = "c";
    Load({"856 40 $uabc", "856 40 $uc", "856 40 $ucab"});
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Fields(),
              (std::vector<std::string>{"245 00 $aA title.", "856 40 $uabxy", "856 40 $uxy", "856 40 $ucab"}));
}

TEST_F(LinkRewritingTest, MatchFromRightNeedsAUAtLeastAsLongAsTheStem) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.MatchEnd = MatchEnd::Right;
    job_.NewUrlStem = "Z";
    stem_ = "abcd";
    Load({"856 40 $ubcd"});
    EXPECT_FALSE(Rewrite());
}

TEST_F(LinkRewritingTest, StemAtTheStartAsInTheExample) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "xy";
    stem_ = "a";
    Load({"856 40 $uabc"});
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Fields()[1], "856 40 $uxybc");
}

TEST_F(LinkRewritingTest, SuffixIsAddedEvenWhenAlreadyThere) {
    job_.UrlAction = UrlAction::AddSuffix;
    job_.NewUrlStem = "?proxy=1";
    Load({"856 40 $uhttp://old.example/a?proxy=1"});
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Fields()[1], "856 40 $uhttp://old.example/a?proxy=1?proxy=1");
}

// Delete removes every occurrence; replace leaves one, with the new text, in the place of the first,
// or adds it to a field without one.
TEST_F(LinkRewritingTest, SubfieldActions) {
    using enum SubfieldAction;
    struct Case {
        std::vector<std::pair<char, SubfieldAction>> actions;
        std::string field, after;
        bool changed;
    };
    const Case cases[] = {
        {{{'z', Replace}},
         "856 40 $zFirst note$uhttp://old.example/a$zSecond note",
         "856 40 $zNew$uhttp://old.example/a",
         true},
        {{{'y', Replace}}, "856 40 $uhttp://old.example/a", "856 40 $uhttp://old.example/a$yNew", true},
        {{{'x', Delete}, {'3', Delete}},
         "856 40 $xa$3b$uhttp://old.example/a$xc$3d$zkeep",
         "856 40 $uhttp://old.example/a$zkeep",
         true},
        {{{'x', Delete}}, "856 40 $uhttp://old.example/a$znote", "856 40 $uhttp://old.example/a$znote", false},
        {{{'3', Replace}, {'z', Replace}, {'y', Replace}, {'x', Replace}},
         "856 40 $uhttp://old.example/a",
         "856 40 $uhttp://old.example/a$xNew$yNew$zNew$3New",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        job_ = JobSettings{};
        for (const auto& [code, action] : c.actions) job_.Subfields[SubfieldRow(code)] = {action, "New"};
        Load({c.field});
        EXPECT_EQ(Rewrite(), c.changed);
        EXPECT_EQ(Fields()[1], c.after);
    }
}

TEST_F(LinkRewritingTest, DeleteFieldRemovesEveryMatchingFieldOnly) {
    job_.DeleteField = FieldAction::Delete;
    job_.UrlAction = UrlAction::ChangeStem;  // ignored for deleted fields
    job_.NewUrlStem = "zzz";
    Load({"856 40 $uhttp://old.example/a", "856 40 $uhttp://keep.example/", "856 42 $uhttp://old.example/b"});
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Fields(), (std::vector<std::string>{"245 00 $aA title.", "856 40 $uhttp://keep.example/"}));
}

TEST_F(LinkRewritingTest, FieldWithoutUIsLeftAlone) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "n";
    Load({"856 40 $zhttp://old.example/ in a note"});
    EXPECT_FALSE(Rewrite());
}

TEST_F(LinkRewritingTest, SiteOptionReplacesStemInZAnd590OfChangedRecords) {
    job_.UrlAction = UrlAction::AddSuffix;
    job_.NewUrlStem = "https://new.example/";
    job_.SiteOption = true;
    Load({"590    $aSee http://old.example/ for access$bhttp://old.example/",
          "856 40 $uhttp://old.example/a$zFormerly http://old.example/ only"});
    EXPECT_TRUE(Rewrite());
    const auto fields = Fields();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[1], "590    $aSee https://new.example/ for access$bhttp://old.example/");
    EXPECT_EQ(fields[2], "856 40 $uhttp://old.example/ahttps://new.example/$zFormerly https://new.example/ only");
}

TEST_F(LinkRewritingTest, SiteOptionLeavesUnchangedRecordsAlone) {
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "https://new.example/";
    job_.SiteOption = true;
    Load({"590    $aSee http://old.example/", "856 40 $uhttp://elsewhere/"});
    EXPECT_FALSE(Rewrite());
    EXPECT_EQ(Fields()[1], "590    $aSee http://old.example/");
}

TEST_F(LinkRewritingTest, RunLogShowsTheFieldsConsidered) {
    TempDir dir;
    log_.Open(dir.File("log.txt"), true);
    job_.UrlAction = UrlAction::ChangeStem;
    job_.NewUrlStem = "https://new.example/";
    Load({"856 40 $uhttp://old.example/a$zNote", "856 40 $uhttp://other/"});
    EXPECT_TRUE(Rewrite());
    log_.Close();
    EXPECT_EQ(linkmend::test::ReadFile(dir.File("log.txt")),
              "[Report]\r\n"
              "1=Field to consider: >|u http://old.example/a |z Note< 1\r\n"
              "2=Changed? True\r\n"
              "3=Field to consider: >|u http://other/< 0\r\n");
}

TEST(InStrTest, FirstOccurrence) {
    EXPECT_EQ(InStr("abcabc", "bc"), 2);
    EXPECT_EQ(InStr("abc", "x"), 0);
    EXPECT_EQ(InStr("", "x"), 0);
}

}  // namespace
