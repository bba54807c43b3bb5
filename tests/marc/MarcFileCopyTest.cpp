// What a MARC file run needs of the record model: every octet of a file handed back, damaged
// records told apart, MARCXML to ISO 2709 and back, MARC-8 written from UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
#include "marc/Marc8Text.h"
#include "marc/MarcRecordCheck.h"
#include "marc/MarcXml.h"
#include "marc/Utf8MarcFileClass.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string kGood = BuildRecord({"001 1", "856 40 $uhttp://a.example/"});

struct ReadCase {
    const char* name;
    std::string file;
    std::vector<std::string> problems;  // per record: skip problem | read problem
    std::string tailProblem;
};

TEST(MarcFileCopy, ReaderHandsBackEveryOctetAndSaysWhatIsWrong) {
    std::string overstated = kGood;
    overstated.replace(0, 5, "00900");
    const std::string xml = "<?xml version=\"1.0\"?>\n<collection>\n<record><leader>x</leader></record>\n";
    const ReadCase cases[] = {
        {"separated", "\xEF\xBB\xBF" + kGood + "\r\n" + kGood + "\r\n", {"|", "|"}, ""},
        {"junk between", kGood + "garbage" + kGood, {"|", "7 octets that are no MARC record|"}, ""},
        {"overstated length",
         overstated + kGood,
         {"|Record length in leader (00900) overstates the record: it ends after 74 octets", "|"},
         ""},
        {"truncated", kGood + kGood.substr(0, 60), {"|", "|The file ends inside the record: 60 of 74 octets"}, ""},
        {"not MARC at all", "just some text\n", {}, "15 octets that are no MARC record"},
        {"MARCXML", xml + "<record/></collection>\n", {"|"}, ""},
        {"MARCXML cut",
         xml + "<record><leader>",
         {"|", "|The record element is not closed before the end of the file"},
         ""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFile(dir.File("in"), c.file);
        Utf8MarcFileClass reader;
        reader.OpenFile(dir.File("in"));
        std::string record, copy;
        std::vector<std::string> problems;
        while (reader.ReadNextRecord(record)) {
            copy += reader.OctetsBefore() + reader.RecordOctets();
            problems.push_back(reader.SkipProblem() + "|" + reader.ReadProblem());
        }
        EXPECT_EQ(problems, c.problems);
        EXPECT_EQ(reader.SkipProblem(), c.tailProblem);
        EXPECT_TRUE(OctetsEqual(c.file, copy + reader.OctetsBefore()));
    }
}

TEST(MarcFileCopy, DamagedRecordsAreToldApart) {
    Utf8MarcRecordClass object;
    auto with = [](const std::string& text, char coding) {
        return AssembleRecord(Leader('a', coding), {{"001", "0123456789"}, {"245", D("00$a") + text}});
    };
    std::string badLeader = kGood, badDirectory = kGood;
    badLeader.replace(20, 4, "    ");
    badDirectory.replace(27, 4, "0099");
    // Valid UTF-8 throughout, but the 246 begins inside the 245's last character.
    std::string midCharacter =
        AssembleRecord(Leader('a', 'a'), {{"001", "0123456789"}, {"245", D("00$aCaf") + "\xC3\xA9"}, {"246", "xx"}});
    midCharacter.replace(51, 9, "000200019");
    const std::pair<std::string, std::string> cases[] = {
        {kGood, ""},
        {with("Caf\xC3\xA9", 'a'), ""},
        {with(X("Caf{E2}e {1B}(NKNIGA{1B}(B"), ' '), ""},
        {kGood.substr(0, 40), "Too short to be a MARC record"},
        {badLeader, "Leader positions 10-11 and 20-23 are not \"22\" and \"4500\""},
        {badDirectory, "Directory entry of field 001 does not match the data"},
        {with("Caf\xC3", 'a'), "Field 245: invalid UTF-8"},
        {midCharacter, "Field 246: invalid UTF-8"},
        {with("A\x1B$", ' '), "Field 245: MARC-8 escape sequence cut short or unknown"},
        {with("\x1B(NA\x1B(B \xFC", ' '), "Field 245: MARC-8 octets that stand for no character"},
    };
    for (const auto& [record, damage] : cases) EXPECT_EQ(MarcRecordDamage(record, object), damage) << Hex(record);
}

TEST(MarcFileCopy, MarcXmlToIso2709AndBackIsExact) {
    const std::string xmlFile = SharedFile("real-marc/chabon.xml"), isoFile = SharedFile("real-marc/chabon.mrc");
    if (xmlFile.empty() || isoFile.empty()) return;
    Utf8MarcFileClass xml, iso;
    xml.OpenFile(xmlFile);
    iso.OpenFile(isoFile);
    std::string element, record, converted, problem;
    int records = 0;
    while (xml.ReadNextRecord(element) && iso.ReadNextRecord(record)) {
        ++records;
        ASSERT_TRUE(marcxml::ToIso2709(element, converted, problem)) << problem;
        EXPECT_TRUE(OctetsEqual(record, converted));
        EXPECT_EQ(marcxml::FromIso2709(record, element), element);
    }
    EXPECT_EQ(records, 2);
    EXPECT_FALSE(marcxml::ToIso2709("<record><leader>short</leader></record>", converted, problem));
    EXPECT_EQ(problem, "The leader is not 24 characters long");
    // A prefix, entities and elements outside MARC survive the way back.
    const std::string model =
        "<marc:record><id>7</id>\n <marc:leader>00000nam a2200000   4500</marc:leader>\n"
        " <marc:datafield tag=\"856\" ind1=\"4\" ind2=\"0\">\n  <marc:subfield code=\"u\">"
        "http://a/?b=1&amp;c=&lt;2&gt;</marc:subfield>\n </marc:datafield>\n</marc:record>";
    ASSERT_TRUE(marcxml::ToIso2709(model, converted, problem)) << problem;
    EXPECT_NE(converted.find("\x1Fuhttp://a/?b=1&c=<2>\x1E"), std::string::npos);
    std::string expected = model;
    expected.replace(expected.find("00000nam"), 24, converted.substr(0, 24));
    EXPECT_EQ(marcxml::FromIso2709(converted, model), expected);
}

TEST(MarcFileCopy, Marc8FromUtf8KeepsHornLettersAndEastAsianPunctuation) {
    auto toMarc8 = [](const std::string& utf8) {
        marc8::WorkingSets sets;
        std::string out;
        EXPECT_FALSE(marc8::Utf8ToMarc8(utf8, sets, {}, out).error) << Hex(utf8);
        return out;
    };
    // O, o, U, u with the horn (decomposed, as UTF-8 records are loaded), and with a grave over it.
    EXPECT_EQ(Hex(toMarc8("O\xCC\x9Bo\xCC\x9BU\xCC\x9Bu\xCC\x9B")), Hex("\xAC\xBC\xAD\xBD"));
    EXPECT_EQ(Hex(toMarc8("o\xCC\x9B\xCC\x80")), Hex("\xE1\xBC"));
    // The East Asian codes outside the code tables read as punctuation and are written back.
    const std::string codes = "\x21\x20\x3D\x21\x20\x40\x7F\x20\x14\x7F\x20\x19\x7F\x20\x20\x7F\x21\x22";
    const std::string punctuation = "\xE2\x80\xA6\xE2\x80\x9C\xE2\x80\x94\xE2\x80\x99\xE2\x80\x9D\xE2\x84\xA2";
    marc8::WorkingSets sets;
    std::string utf8;
    EXPECT_FALSE(marc8::Marc8ToUtf8("\x1B$1" + codes + "\x1B(B", sets, {}, utf8).error);
    EXPECT_EQ(Hex(utf8), Hex(punctuation));
    const std::string written = toMarc8("x" + punctuation.substr(0, 3) + punctuation.substr(6));
    EXPECT_EQ(Hex(written), Hex("x\x1B$1\x21\x20\x3D\x7F\x20\x14\x7F\x20\x19\x1B(3\x79\x1B$1\x7F\x21\x22\x1B(B"));
    if (!HaveOracle("perl -MMARC::Charset -e 1", "libmarc-charset-perl")) return;
    TempDir dir;
    WriteFile(dir.File("marc8"), "\x1B$1" + codes + "\x1B(B\n" + written + "\n");
    const std::string perl =
        "perl -MMARC::Charset=marc8_to_utf8 -ne 'chomp; my $u = marc8_to_utf8($_); "
        "utf8::encode($u); print \"$u\\n\"' ";
    ASSERT_EQ(std::system((perl + dir.File("marc8") + " >" + dir.File("utf8")).c_str()), 0);
    EXPECT_EQ(Hex(ReadFile(dir.File("utf8"))),
              Hex(punctuation + "\nx" + punctuation.substr(0, 3) + punctuation.substr(6) + "\n"));
}

}  // namespace
