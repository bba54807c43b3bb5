// Field and subfield cursors, searches and editing, including the 856 walks and rewrites the link
// job makes, and the field and subfield order: built-in instructions, order files, MakeNoChange.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "base/MessagePump.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::vector<std::string> kLinkFields = {"001 12345",
                                              "245 00 $aLinks.",
                                              "856 40 $3Volume 1$uhttp://old.example/a$zFirst",
                                              "500    $aNote.",
                                              "856 41 $uhttp://old.example/b",
                                              "856 42 $zNo link here"};
const std::string kLinks = BuildRecord(kBookLeader, kLinkFields);

// Runs cursor calls ("FindFirst 856; FindNext; sMoveLast"; an "s" in front for the subfield
// members) and gives, for each, "+" or "-" for its result (void calls "+") and the cursor after
// it: field index, "." subfield index, or "_" for none.
std::string Walk(Utf8MarcRecordClass& r, const std::string& script) {
    using R = Utf8MarcRecordClass;
    using Call = std::function<bool(R&, const std::string&)>;
    // The field ("") and subfield ("s") cursors share their member names after the prefix.
    // clang-format off
#define LM_CURSOR(P, M)                                                              \
    {P "FindFirst", [](R& c, auto& a) { return c.M##FindFirst(a); }},                \
        {P "FindNext", [](R& c, auto& a) { return c.M##FindNext(a); }},              \
        {P "FindLast", [](R& c, auto& a) { return c.M##FindLast(a); }},              \
        {P "MoveFirst", [](R& c, auto& a) { return c.M##MoveFirst(a == "skip"); }},  \
        {P "MoveNext", [](R& c, auto& a) { return c.M##MoveNext(a == "skip"); }},    \
        {P "MovePrev", [](R& c, auto& a) { return c.M##MovePrev(a == "skip"); }},    \
        {P "MoveLast", [](R& c, auto& a) { return c.M##MoveLast(a == "skip"); }},    \
        {P "MoveTop", [](R& c, auto&) { return c.M##MoveTop(); }},                   \
        {P "MoveBottom", [](R& c, auto&) { return c.M##MoveBottom(); }},             \
        {P "TestFirst", [](R& c, auto& a) { return c.M##TestFirst(a); }},            \
        {P "TestNext", [](R& c, auto& a) { return c.M##TestNext(a); }},              \
        {P "TestPrev", [](R& c, auto& a) { return c.M##TestPrev(a); }},              \
        {P "Pointer", [](R& c, auto& a) { return c.M##Pointer(static_cast<std::int16_t>(std::stoi(a))), true; }},   \
        {P "Delete", [](R& c, auto&) { return c.M##Delete(), c.M##Deleted(); }}
    // clang-format on
    static const std::map<std::string, Call> calls = {
        LM_CURSOR("", Fld),
        LM_CURSOR("s", Sfd),
        {"FindPrev", [](R& c, auto& a) { return c.FldFindPrev(a); }},
        {"TestLast", [](R& c, auto& a) { return c.FldTestLast(a); }},
        {"Undelete", [](R& c, auto&) { return c.FldUndelete(), !c.FldDeleted(); }}};
#undef LM_CURSOR
    std::string trace;
    std::istringstream in(script);
    for (std::string step; std::getline(in, step, ';');) {
        step.erase(0, step.find_first_not_of(' '));
        const auto blank = step.find(' ');
        const std::string name = step.substr(0, blank), arg = blank == std::string::npos ? "" : step.substr(blank + 1);
        if (!calls.count(name)) return "unknown call " + name;
        trace += std::string(trace.empty() ? "" : " ") + (calls.at(name)(r, arg) ? "+" : "-");
        trace += r.FldPointer() < 0 ? "_" : std::to_string(r.FldPointer());
        if (r.SfdPointer() >= 0) trace += "." + std::to_string(r.SfdPointer());
    }
    return trace;
}

class RecordEditing : public ::testing::Test {
protected:
    void SetUp() override { rec_.MarcRecordIn(kLinks); }
    void OrderByFolder() {  // instructions change only while the record is empty
        rec_.MarcRecordIn("");
        rec_.FldOrderFolder(folder_.Path());
    }
    void Load(const std::vector<std::string>& fields, const char* leader = kBookLeader) {
        rec_.MarcRecordIn(BuildRecord(leader, fields));
        ASSERT_EQ(rec_.IsMarcErrorText(), "");
    }
    std::string Walk(const std::string& script) { return ::Walk(rec_, script); }
    ProfileFolder profile_;
    TempDir folder_;
    Utf8MarcRecordClass rec_;
};

// The fields of kLinks by index: 0 001, 1 245, 2 856 40 ($3 $u $z), 3 500, 4 856 41, 5 856 42.
TEST_F(RecordEditing, FieldSearchesMovesAndTests) {
    // Without a tag a search takes the remembered list; with none remembered it fails. Lists are
    // case-blind and blank-tolerant; with no current field a next search fails at once.
    EXPECT_EQ(Walk("FindFirst; FindFirst 856; FindNext; FindNext; FindNext; FindNext 856; FindLast 856 245; FindPrev; "
                   "FindFirst 5xx   8XX; FindNext; FindFirst 650"),
              "-_ +2.0 +4.0 +5.0 -_ -_ +5.0 +4.0 +2.0 +3.0 -_");
    // Top and Bottom stand on the first and last field, so that the next move inwards lands on it.
    EXPECT_EQ(Walk("MoveTop; MoveNext; MoveBottom; MovePrev; MovePrev; MoveLast; MoveNext; MoveFirst; MovePrev; "
                   "Pointer 3; TestNext 856; TestPrev 856; TestPrev 500; TestFirst 5XX; TestLast 001; TestFirst 650"),
              "+0.0 +0.0 +5.0 +5.0 +4.0 +5.0 -_ +0.0 -_ +3.0 +3.0 +3.0 -3.0 +3.0 +3.0 -3.0");
    int turns = 0;  // searches let the window run: once per search and per field stepped over
    const auto old = SetMessagePump([&] { ++turns; });
    EXPECT_EQ(Walk("MoveTop; FindNext 856; FindNext 856; FindNext 856; FindNext 856"), "+0.0 +2.0 +4.0 +5.0 -_");
    SetMessagePump(old);
    EXPECT_GE(turns, 6);
    // A text criterion compares normalised beginnings and is remembered until the next first search.
    ASSERT_TRUE(rec_.FldFindFirst("856", "volume 1"));
    EXPECT_EQ(Walk("FindNext; FindFirst 856; FindNext"), "-_ +2.0 +4.0");
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_TRUE(rec_.SfdFindFirst("z", "first"));
    EXPECT_FALSE(rec_.SfdFindFirst("z", "second"));
    EXPECT_EQ(rec_.SfdPointer(), -1);
}

TEST(RecordTagCompare, ListsEntriesAndWildcards) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"6XX 7", "710", true},        {"245", "246", false}, {"856", "856", true},         {"85X", "851", true},
        {"85X", "861", false},         {"6", "655", true},    {"100 110 111", "111", true}, {"", "100", false},
        {"  245   100 ", "100", true}, {"8566", "856", false}};
    for (const auto& [list, tag, match] : cases) EXPECT_EQ(Utf8MarcRecordClass::TagCompare(list, tag), match) << list;
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("246", "245", 2));
}

TEST_F(RecordEditing, SubfieldSearchesMovesAndPointers) {
    // Moving onto a field puts the subfield cursor on its first subfield; an empty code finds nothing.
    EXPECT_EQ(Walk("FindFirst 856; sFindFirst; sFindFirst u; sFindFirst xyz; sFindNext; sFindNext; sFindLast 3; "
                   "sMoveTop; sMoveNext; sMoveBottom; sMovePrev; sMovePrev; sTestPrev 3; sTestPrev z; sTestNext z; "
                   "sTestNext 3; sTestFirst 3; sTestFirst x"),
              "+2.0 -2.0 +2.1 +2.2 -2 -2 +2.0 +2.0 +2.0 +2.2 +2.2 +2.1 +2.1 -2.1 +2.1 -2.1 +2.1 -2.1");
    ASSERT_TRUE(rec_.SfdFindFirst("u"));
    rec_.SfdText(D("$zReplaced note"));  // a text that starts with a delimiter brings its own code
    EXPECT_EQ(rec_.FldText(), D("$3Volume 1$zReplaced note$zFirst"));
    EXPECT_EQ(Walk("sFindFirst u; sFindFirst xyz; sFindNext; sFindNext; sTestFirst"), "-2 +2.1 +2.2 -2 -2");
    // Pointers out of range mean none; without a current field nothing moves or changes.
    EXPECT_EQ(Walk("Pointer 2; sPointer 2; sPointer 3; Pointer 6; sPointer 0; Pointer -5; sFindFirst u; sMoveFirst"),
              "+2.0 +2.2 +2 +_ +_ +_ -_ -_");
    EXPECT_EQ(rec_.FldTag() + rec_.FldInd() + rec_.FldText() + rec_.SfdText(), "");
    rec_.SfdChange("a", "nothing to change");
    rec_.FldDelete();
    auto fields = kLinkFields;
    fields[2] = "856 40 $3Volume 1$zReplaced note$zFirst";
    EXPECT_OCTETS(BuildRecord(kBookLeader, fields), rec_.MarcRecordOut());
}

TEST_F(RecordEditing, DeletedFieldsAndSubfieldsAreSkippedLeftOutAndRestored) {
    // The cursor stays on a deleted field; searches and skipping moves step over it, plain moves not.
    EXPECT_EQ(Walk("FindFirst 856; Delete; FindFirst 856; FindFirst 245; MoveNext skip; MovePrev"),
              "+2.0 +2.0 +4.0 +1.0 +3.0 +2.0");
    std::vector<std::string> without = kLinkFields;
    without.erase(without.begin() + 2);
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, without));
    EXPECT_EQ(Walk("Undelete"), "+2.0");
    EXPECT_OCTETS(kLinks, rec_.MarcRecordOut());
    // Deleting the last subfield ends a walk; after the middle one the walk goes on with the next.
    EXPECT_EQ(Walk("sMoveLast; sDelete; sMoveNext; sFindFirst 3; sMoveNext; sDelete; sMoveNext skip; sMoveFirst skip; "
                   "sDelete; sMoveFirst skip"),
              "+2.2 +2.2 -2 +2.0 +2.1 +2.1 -2 +2.0 +2.0 -2");
    EXPECT_EQ(rec_.FldText(), "");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, without));  // an emptied field is left out
}

TEST_F(RecordEditing, SubfieldTextLosesOuterBlanksExceptIn010) {
    Load({"001 1", "010    $a   85012345 ", "245 00 $aTitle"});
    ASSERT_TRUE(rec_.FldFindFirst("245") && rec_.SfdFindFirst("a"));
    rec_.SfdText("  Spaced title  ");
    ASSERT_TRUE(rec_.FldFindFirst("010") && rec_.SfdFindFirst("a"));
    rec_.SfdText("   86000001 ");
    rec_.SfdAdd("z", "   99000002 ");
    EXPECT_EQ(rec_.MarcRecordOut(),
              BuildRecord(kBookLeader, {"001 1", "010    $a   86000001 $z   99000002 ", "245 00 $aSpaced title"}));
    // In an authority record only the 010's subfield 0 keeps its blanks.
    Load({"001 n1", "010    $an  79021164 $0 keep "}, "00000nz  a2200000n  4500");
    ASSERT_TRUE(rec_.FldFindFirst("010") && rec_.SfdFindFirst("a"));
    rec_.SfdText("n  79021165 ");
    ASSERT_TRUE(rec_.SfdFindFirst("0"));
    rec_.SfdText(" still kept ");
    EXPECT_EQ(rec_.FldText(), D("$an  79021165$0 still kept "));
}

TEST_F(RecordEditing, Deleted245HHandsOnItsPunctuation) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"10 $aHamlet$h[videorecording] :$bthe play.", true, "$aHamlet :$bthe play."},
        {"10 $aHamlet$h[videorecording]", true, "$aHamlet."},
        {"10 $aHamlet.$h[videorecording]", true, "$aHamlet."},
        {"10 $aHamlet /$h[videorecording] /$cby W.S.", true, "$aHamlet /$cby W.S."},
        {"10 $aHamlet$h[sound recording] ;$bAct 1.", true, "$aHamlet ;$bAct 1."},
        {"10 $aHamlet$h[videorecording] :$bthe play.", false, "$aHamlet$bthe play."}};
    for (const auto& [before, punctuation, after] : cases) {
        Load({"001 1", std::string("245 ") + before});
        ASSERT_TRUE(rec_.FldFindFirst("245") && rec_.SfdFindFirst("h"));
        rec_.SfdDelete(punctuation);
        EXPECT_EQ(rec_.FldText(), D(after)) << before;
    }
}

TEST_F(RecordEditing, SubfieldAddInsertChangeAndUndelete) {
    Load({"001 1", "500    $aNote"});
    ASSERT_TRUE(rec_.FldFindFirst("500"));
    rec_.SfdAdd("5", "DLC");
    EXPECT_EQ(rec_.SfdPointer(), 1);
    rec_.SfdInsertBefore("3", "v. 1");
    rec_.SfdInsertAfter("x", "x1");
    EXPECT_EQ(rec_.FldText(), D("$aNote$3v. 1$xx1$5DLC"));
    ASSERT_TRUE(rec_.SfdFindFirst("a"));
    rec_.SfdInsertBefore("8", "1");
    EXPECT_EQ(rec_.FldText(), D("$81$aNote$3v. 1$xx1$5DLC"));
    rec_.SfdDelete();
    EXPECT_EQ(rec_.FldText(), D("$aNote$3v. 1$xx1$5DLC"));
    rec_.SfdUndelete();
    rec_.SfdChange("9", "  changed  ");
    EXPECT_EQ(rec_.FldText(), D("$9changed$aNote$3v. 1$xx1$5DLC"));
    EXPECT_EQ(Utf8MarcRecordClass::SfdMake("u", "x") + Utf8MarcRecordClass::SfdDelim("u"), D("$ux$u"));
    rec_.FldAdd("590", "  ", "");  // a field without subfields takes the new one as subfield 0
    EXPECT_EQ(rec_.SfdPointer(), -1);
    rec_.SfdAdd("a", "Local");
    EXPECT_EQ(rec_.SfdPointer(), 0);
    EXPECT_EQ(rec_.FldText(), D("$aLocal"));
    ASSERT_TRUE(rec_.FldFindFirst("001"));  // control fields have no subfields or indicators to change
    rec_.SfdAdd("a", "x");
    rec_.SfdChange("a", "x");
    rec_.SfdInsertAfter("a", "x");
    rec_.FldInd2("x");
    EXPECT_EQ(rec_.FldText() + rec_.FldInd() + rec_.SfdText(), "11");
    // Thousands of subfields.
    std::string text = "500    ";
    for (int i = 0; i < 3000; ++i) text += "$a" + std::to_string(i % 10);
    Load({"001 1", text});
    ASSERT_TRUE(rec_.FldFindFirst("500") && rec_.SfdFindLast("a"));
    EXPECT_EQ(rec_.SfdPointer(), 2999);
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"001 1", text}), rec_.MarcRecordOut());
}

TEST_F(RecordEditing, FieldAddChangeAndInsert) {
    Load({"001 1", "008 " + std::string(40, '-'), "245 00 $aT"});
    rec_.FldAdd("008", "", "new008");  // one 008 only: the text overwrites the existing one
    EXPECT_EQ(rec_.FldTag() + rec_.Get008Value(0, 8), "008new008--");
    rec_.FldAdd("500", "a", "$aAdded");
    EXPECT_EQ(rec_.FldInd() + rec_.FldText(), "  $aAdded");  // "$" is an ordinary octet here
    rec_.FldText(D("$aAdded$bmore"));
    rec_.FldInd1("1");
    rec_.FldInd2("x");
    EXPECT_EQ(rec_.FldInd() + rec_.FldInd1() + rec_.FldInd2(), "1 1 ");
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    rec_.FldInsertBefore("240", "10", D("$aUniform"));
    rec_.FldInsertAfter("246", "3 ", D("$aVariant"));
    rec_.FldChange("247", "00", D("$aFormer"));
    rec_.FldTag("250");
    EXPECT_EQ(rec_.FldText(), D("$aFormer"));
    rec_.FldTag("006");  // as control text it loses its leading delimiter and code
    EXPECT_TRUE(rec_.FldIsControl() && rec_.FldInd().empty());
    // Insertions stand next to the current field: 246 went after the new 240, then became 006.
    EXPECT_EQ(rec_.MarcRecordOut(),
              BuildRecord(kBookLeader, {"001 1", "008 new008" + std::string(34, '-'), "240 10 $aUniform", "006 Former",
                                        "245 00 $aT", "500 1  $aAdded$bmore"}));
    // An added 008 is padded or cut to its format's length; a field goes into an empty record.
    rec_.MarcRecordIn("");
    rec_.FldInsertBefore("245", "00", D("$aT"));
    rec_.FldAdd("008", "", std::string(38, '8'));
    EXPECT_EQ(rec_.FldText(), std::string(38, '8') + "  ");
    EXPECT_TRUE(rec_.FldTestFirst("245"));
    Load({"001 1", "852 0  $bMain"}, "00000nx  a2200000   4500");
    rec_.FldAdd("008", "", std::string(45, '8'));
    EXPECT_EQ(rec_.FldText(), std::string(32, '8'));
    // An added 035 marks its duplicate deleted.
    Load({"001 1", "035    $a(OCoLC)123", "035    $a(OCoLC)456"});
    rec_.FldAdd("035", "  ");
    rec_.SfdAdd("a", "(ocolc) 123");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {"001 1", "035    $a(OCoLC)456", "035    $a(ocolc) 123"}));
}

// ---- Field and subfield order

const std::vector<std::string> kDeviating = {
    "001 1", "245 10 $aTitle.", "650  0 $aSubject.", "100 1  $aAuthor.", "856 40 $uhttp://x.example", "500    $aNote."};

TEST_F(RecordEditing, DeviatingRecordIsReorderedOrKeptAndReported) {
    for (bool testOrder : {false, true}) {  // nothing moves until a folder is set, or with the test off
        Utf8MarcRecordClass untouched;
        if (!testOrder) untouched.FldOrderFolder(folder_.Path());
        untouched.TestFieldOrder(testOrder);
        untouched.MarcRecordIn(BuildRecord(kBookLeader, kDeviating));
        EXPECT_EQ(untouched.FldsOutOfOrder(), !testOrder);
        EXPECT_OCTETS(BuildRecord(kBookLeader, kDeviating), untouched.MarcRecordOut());
    }
    OrderByFolder();  // no files there: the built-in order applies
    EXPECT_EQ(rec_.FldOrderFolder(), folder_.Path() + "/");
    Load(kDeviating);
    EXPECT_TRUE(rec_.FldOrderChanged() && rec_.MarcRecordModified() && !rec_.FldsOutOfOrder());
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"001 1", "100 1  $aAuthor.", "245 10 $aTitle.", "500    $aNote.",
                                            "650  0 $aSubject.", "856 40 $uhttp://x.example"}),
                  rec_.MarcRecordOut());
    EXPECT_EQ(rec_.FldPointer(), 0);
    rec_.MakeNoChange(true);
    Load(kDeviating);
    EXPECT_TRUE(rec_.FldsOutOfOrder() && !rec_.FldOrderChanged() && !rec_.MarcRecordModified());
    EXPECT_OCTETS(BuildRecord(kBookLeader, kDeviating), rec_.MarcRecordOut());
    Load({"001 1", "245 10 $aT"});  // the flags belong to the record
    EXPECT_FALSE(rec_.FldsOutOfOrder());
}

TEST_F(RecordEditing, BuiltInMethodsOfBibliographicAndHoldingsRecords) {
    OrderByFolder();
    // 700 name/title after plain names (method 1); subjects by thesaurus (method 3, with $2
    // sources); 4XX-5XX by hundreds only (method 2); 880s by their linkage.
    Load({"001 1", "500    $aB", "490 0  $aA", "504    $aC", "650  7 $aMesh term$2mesh", "651  0 $aPlace",
          "650  7 $aLC by code$2lcsh", "653    $aFree", "650  2 $aMesh by indicator", "700 1  $aName$tTitle",
          "700 1  $aOther name", "880 10 $6245-02/(3/r$aB", "880 10 $6100-01/(3/r$aA"});
    EXPECT_OCTETS(
        BuildRecord(kBookLeader,
                    {"001 1", "490 0  $aA", "500    $aB", "504    $aC", "651  0 $aPlace", "650  7 $aLC by code$2lcsh",
                     "650  7 $aMesh term$2mesh", "650  2 $aMesh by indicator", "653    $aFree", "700 1  $aOther name",
                     "700 1  $aName$tTitle", "880 10 $6100-01/(3/r$aA", "880 10 $6245-02/(3/r$aB"}),
        rec_.MarcRecordOut());
    const char* holdings = "00000ny  a2200000   4500";  // captions follow their links
    Load({"001 1", "863 40 $81.2$a2", "853 20 $82$av.", "863 40 $81.10$a10", "853 20 $81$av.", "852 0  $bMain"},
         holdings);
    EXPECT_OCTETS(BuildRecord(holdings, {"001 1", "852 0  $bMain", "853 20 $81$av.", "853 20 $82$av.",
                                         "863 40 $81.2$a2", "863 40 $81.10$a10"}),
                  rec_.MarcRecordOut());
    rec_.NewRecord("a", "m");  // a new record takes the defaults of its format
    rec_.FldAdd("856", "40", D("$ux"));
    rec_.FldAdd("245", "10", D("$aT"));
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_EQ(rec_.FldTag(), "856");
}

TEST_F(RecordEditing, FieldOrderFileInstructionsComeIntoForce) {
    WriteFile(folder_.File("BibSup.CFG"),  // names compare case-blind, as on the server's share
              "[FieldOrder]\nTag=001\t099\t6\n; comment\nnot a key line\n[ExtendedFieldOrder]\n"
              "Tag=856\t2\nGeneric=6\n[SubfieldOrder]\nTag=856\t3uz\n");
    OrderByFolder();
    // 856 comes second to last in the list of instructions, so before everything else but 0XX.
    Load({"001 1", "245 10 $aT", "856 40 $uhttp://x", "020    $a1"});
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"001 1", "020    $a1", "856 40 $uhttp://x", "245 10 $aT"}),
                  rec_.MarcRecordOut());
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldOrderKey(), "0018");
    rec_.SfdAdd("z", "note");
    rec_.SfdAdd("3", "v. 1");  // $3 added last moves in front of $u
    EXPECT_EQ(rec_.FldText() + rec_.SfdCode() + rec_.FldsWithSfdsOutOfOrder(), D("$3v. 1$uhttp://x$znote3856"));
    EXPECT_TRUE(rec_.SfdOrderChanged());

    rec_.MakeNoChange(true);
    Load({"001 1", "856 40 $uhttp://x"});
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    rec_.SfdAdd("3", "v. 1");
    rec_.SfdAdd("3", "v. 2");
    EXPECT_EQ(rec_.FldText() + rec_.FldsWithSfdsOutOfOrder(), D("$uhttp://x$3v. 1$3v. 2856"));
    EXPECT_TRUE(rec_.SubfieldsOutOfOrder() && !rec_.SfdOrderChanged());
}

TEST_F(RecordEditing, InstructionsChangeOnlyWhileTheRecordIsEmpty) {
    rec_.FldOrderFolder(folder_.Path());  // a record is loaded (SetUp): ignored
    EXPECT_EQ(rec_.FldOrderFolder(), "");
    rec_.ClearFldOrder("B");
    rec_.SetFldOrder("B", "000", "999", 6);
    Load(kDeviating);
    EXPECT_OCTETS(BuildRecord(kBookLeader, kDeviating), rec_.MarcRecordOut());
    rec_.MarcRecordIn("");
    rec_.ClearFldOrder("B");
    rec_.SetFldOrder("B", "100", "199", 6);
    rec_.SetFldOrder("B", "600", "699", 6);
    // 001, CAT and 245 have no instruction: they keep the key of the field before them.
    Load({"001 1", "650  0 $aS", "CAT    $aLocal", "245 10 $aT", "100 1  $aN"});
    EXPECT_TRUE(rec_.FldOrderChanged());
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"001 1", "100 1  $aN", "650  0 $aS", "CAT    $aLocal", "245 10 $aT"}),
                  rec_.MarcRecordOut());
}

TEST_F(RecordEditing, AddedFieldsFindTheirPlace) {
    OrderByFolder();
    Load({"001 1", "245 10 $aT", "500    $aFirst note", "856 40 $ux"});
    rec_.FldAdd("500", "  ", D("$aSecond note"));
    rec_.FldAdd("020", "  ", D("$a123"));
    EXPECT_EQ(rec_.FldTag(), "020");  // the cursor follows the new field
    rec_.FldAdd("500", "  ", D("$aFirst of all notes"), true);
    EXPECT_OCTETS(BuildRecord(kBookLeader, {"001 1", "020    $a123", "245 10 $aT", "500    $aFirst of all notes",
                                            "500    $aFirst note", "500    $aSecond note", "856 40 $ux"}),
                  rec_.MarcRecordOut());
    rec_.MakeNoChange(true);
    rec_.FldAdd("010", "  ", D("$a1"));
    EXPECT_TRUE(rec_.FldsOutOfOrder());
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_EQ(rec_.FldTag(), "010");
}

}  // namespace
