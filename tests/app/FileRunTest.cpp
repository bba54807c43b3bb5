// The program run on MARC files (--batch --file IN --out OUT), as a cataloguer would run it: real
// records and generated ones, read back by yaz-marcdump, MARC::Record and MARC::Charset.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "ChildProcess.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"

using namespace linkmend::test;

namespace {

std::string WithLink(const std::string& record, const std::string& link) {
    std::vector<RawField> fields = RecordFields(record);
    fields.push_back({"856", "40\x1Fu" + link});
    return AssembleRecord(record.substr(0, 24), fields);
}

std::string Bib(const std::string& link, const std::string& more = "", char coding = ' ') {
    return AssembleRecord(Leader('a', coding),
                          {{"001", "1"}, {"245", D("00$aA title") + more}, {"856", "40\x1Fu" + link}});
}

class FileRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.File("reports"));
        WriteFile(dir.File("Catalog.ini"), "[Preferences]\nBypassAutoDecompose=TRUE\n");
        Settings();
    }
    void Settings(const std::string& more = "", const std::string& old = "http://old.example/",
                  const std::string& replacement = "https://new.example/", int bibLimit = 0) {
        WriteFile(dir.File("Linkmend.INI"),
                  "[Folders]\nFolderForReports=" + dir.File("reports") + "\n[UrlStem]\nOld=" + old + "\nNew=" +
                      replacement + "\nUrlActions=100000\nBibLimit=" + std::to_string(bibLimit) + "\n" + more);
    }
    ChildResult Run(std::vector<std::string> args, const std::function<bool(const std::string&)>& stop = {}) {
        args.insert(args.begin(), {LINKMEND_PROGRAM, "--batch"});
        return RunChild(args, {"LINKMEND_PROFILE_DIR=" + dir.Path(), "TMPDIR=" + dir.Path()}, stop);
    }
    // The report of the last run from its counters on.
    std::string Report(const ChildResult& r) const {
        const std::string report = ReadFile(r.out.substr(0, r.out.find('\n')));
        return report.substr(report.find("\r\n\r\n", report.find("Operator rights")) + 4);
    }
    std::string Perl(const std::string& script, const std::string& file) {
        return RunFilter("perl -MMARC::File::USMARC -MMARC::Charset=marc8_to_utf8 -e '" + script + "' " + file);
    }
    std::string RunFilter(const std::string& command) {
        const std::string out = dir.File("filter.out");
        EXPECT_EQ(std::system((command + " >" + out + " 2>&1").c_str()), 0) << command;
        return ReadFile(out);
    }
    TempDir dir;
};

TEST_F(FileRun, RealRecordsChangeOnlyInTheirLinksAndReadBackEverywhere) {
    const std::string data = SharedFile("real-marc");
    if (data.empty() || !HaveOracle("command -v yaz-marcdump", "yaz") ||
        !HaveOracle("perl -MMARC::Charset -e 1", "libmarc-charset-perl"))
        return;
    std::string in;
    std::vector<bool> linked;
    for (const char* name :
         {"brkrtest.mrc", "brkrtest_UTF8.mrc", "cyrillic_capital_e.mrc", "chinese_mangled_multibyte.mrc",
          "065001035.mrc", "chabon.mrc", "summerland.mrc", "dp_004015001.mrc", "incomplete_esc_seq.mrc"}) {
        for (const std::string& record : SplitRecords(ReadFile(data + "/" + name))) {
            linked.push_back(linked.size() % 2 == 0);
            const std::string n = std::to_string(linked.size());
            in += linked.back() ? WithLink(record, "http://old.example/" + n) : record;
        }
    }
    WriteFile(dir.File("in.mrc"), in);
    const ChildResult r = Run({"--file", dir.File("in.mrc"), "--out", dir.File("out.mrc"), "--production"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Report(r),
              "      33 records read\r\n       2 records damaged as stored, left unchanged (listed below)\r\n"
              "      33 records needing the requested change\r\n      33 records updated\r\n      33 rows in the "
              "change report\r\n\r\n"
              "These records were left unchanged because they are damaged as stored\r\n"
              "\tRecord 19.  Reason: Field 880: MARC-8 octets that stand for no character\r\n"
              "\tRecord 69.  Reason: Field 880: MARC-8 escape sequence cut short or unknown\r\n\r\n");
    const auto ins = SplitRecords(in), outs = SplitRecords(ReadFile(dir.File("out.mrc")));
    ASSERT_EQ(outs.size(), ins.size());
    for (std::size_t i = 0; i < ins.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        const bool changed = linked[i] && i + 1 != 19 && i + 1 != 69;
        if (!changed) {
            EXPECT_TRUE(OctetsEqual(ins[i], outs[i]));
            continue;
        }
        // Leader but for the lengths, every field but the last 856 as it was, that one changed.
        EXPECT_EQ(ins[i].substr(5, 7) + ins[i].substr(17, 7), outs[i].substr(5, 7) + outs[i].substr(17, 7));
        std::vector<RawField> before = RecordFields(ins[i]), after = RecordFields(outs[i]);
        EXPECT_EQ(after.back().data, "40\x1Fuhttps://new.example/" + std::to_string(i + 1));
        before.pop_back();
        after.pop_back();
        EXPECT_EQ(before, after);
    }
    // Read without a word by both, and the text outside the 856 fields the same characters.
    EXPECT_EQ(RunFilter("yaz-marcdump -n " + dir.File("out.mrc")), "");
    const std::string readBack =
        "my $f = MARC::File::USMARC->in($ARGV[0]); my $n = 0; binmode STDOUT; while (my $r = $f->next) { $n++; "
        "print \"warning $n: @{[$r->warnings]}\\n\" if $r->warnings; for my $x ($r->fields) { next if $x->tag eq "
        "\"856\"; my $t = $x->is_control_field ? $x->data : join(\"\", $x->indicator(1), $x->indicator(2), map { "
        "\"\\x1f\" . join(\"\", @$_) } $x->subfields); $t = marc8_to_utf8($t) if substr($r->leader, 9, 1) ne \"a\"; "
        "utf8::encode($t) if utf8::is_utf8($t); print \"$n \", $x->tag, \" $t\\n\" } }";
    const std::string original = Perl(readBack, dir.File("in.mrc"));
    EXPECT_NE(original.find("69 880"), std::string::npos);
    EXPECT_EQ(Perl(readBack, dir.File("out.mrc")), original);

    // Asked for UTF-8, the changed MARC-8 records say so in leader/09 and read as UTF-8.
    const ChildResult u = Run({"--file", dir.File("in.mrc"), "--out", dir.File("utf8.mrc"), "--utf8", "--production"});
    ASSERT_EQ(u.exitCode, 0) << u.err;
    const auto utf8 = SplitRecords(ReadFile(dir.File("utf8.mrc")));
    ASSERT_EQ(utf8.size(), ins.size());
    EXPECT_EQ(std::string() + ins[0][9] + utf8[0][9] + ins[1][9] + utf8[1][9], " a  ");
    EXPECT_EQ(RunFilter("yaz-marcdump -n -f utf8 " + dir.File("utf8.mrc")), "");
}

TEST_F(FileRun, MarcXmlInGivesMarcXmlOut) {
    const std::string data = SharedFile("real-marc");
    if (data.empty()) return;
    Settings("", "http://www.loc.gov/catdir/", "https://loc.example/");
    for (const char* name : {"chabon.xml", "1474920681_KOHA_LFL_5.xml"}) {
        SCOPED_TRACE(name);
        const std::string in = ReadFile(data + "/" + name);
        WriteFile(dir.File("in.xml"), in);
        const ChildResult r = Run({"--file", dir.File("in.xml"), "--out", dir.File("out.xml"), "--production"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::string expected = in;
        for (std::size_t at; (at = expected.find("http://www.loc.gov/catdir/")) != std::string::npos;)
            expected.replace(at, 26, "https://loc.example/");
        if (expected != in) expected.replace(expected.find("00757"), 5, "00745");  // its length: two links 6 shorter
        EXPECT_EQ(ReadFile(dir.File("out.xml")), expected);
    }
}

TEST_F(FileRun, DamagedInputIsListedAndCopiedUnchanged) {
    std::string overstated = Bib("http://old.example/o");
    overstated.replace(0, 5, "00999");
    const std::string good = Bib("http://old.example/1"), size = std::to_string(good.size());
    const std::string in = good + "\r\n" + "garbage" + overstated + Bib("http://old.example/u", "\xC3", 'a') +
                           Bib("http://old.example/e", "\x1B(") + good.substr(0, 40);
    WriteFile(dir.File("in.mrc"), in);
    const std::string list =
        "\tBefore record 2.  Reason: 9 octets that are no MARC record\r\n"
        "\tRecord 2.  Reason: Record length in leader (00999) overstates the record: it ends after " +
        size +
        " octets\r\n"
        "\tRecord 3.  Reason: Field 245: invalid UTF-8\r\n"
        "\tRecord 4.  Reason: Field 245: MARC-8 escape sequence cut short or unknown\r\n"
        "\tRecord 5.  Reason: The file ends inside the record: 40 of " +
        size + " octets\r\n\r\n";
    for (const bool production : {false, true}) {
        SCOPED_TRACE(production ? "production" : "test");
        std::filesystem::remove(dir.File("out.mrc"));
        std::vector<std::string> args = {"--file", dir.File("in.mrc"), "--out", dir.File("out.mrc")};
        if (production) args.push_back("--production");
        const ChildResult r = Run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(
            Report(r),
            std::string("       1 records read\r\n       5 records damaged as stored, left unchanged (listed below)\r\n"
                        "       1 records needing the requested change\r\n") +
                (production ? "       1 records updated\r\n" : "       1 records would have been updated\r\n") +
                "       1 rows in the change report\r\n\r\nThese records were left unchanged because they are damaged "
                "as stored\r\n" +
                list);
        EXPECT_EQ(FileExists(dir.File("out.mrc")), production);
    }
    EXPECT_TRUE(OctetsEqual(Bib("https://new.example/1") + in.substr(good.size()), ReadFile(dir.File("out.mrc"))));
}

TEST_F(FileRun, RefusalsStopsAndLimits) {
    const std::string good = Bib("http://old.example/1");
    const std::string in = good + Bib("http://old.example/2") + Bib("http://old.example/3");
    WriteFile(dir.File("in.mrc"), in);
    const std::vector<std::string> files = {"--file", dir.File("in.mrc"), "--out", dir.File("out.mrc"), "--production"};
    ChildResult r = Run({"--file", dir.File("in.mrc"), "--out", dir.File("./in.mrc"), "--production"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Linkmend program: The MARC file to write must not be the file read\n");
    EXPECT_EQ(ReadFile(dir.File("in.mrc")), in);
    r = Run({"--file", dir.File("none.mrc"), "--out", dir.File("out.mrc")});
    EXPECT_EQ(r.exitCode, 6);
    EXPECT_NE(r.err.find("Linkmend program: Cannot read the MARC file " + dir.File("none.mrc") + ".\n"),
              std::string::npos);

    // The bib limit stops the changes; OUT still holds every record.
    Settings("", "http://old.example/", "https://new.example/", 2);
    r = Run(files);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("out.mrc")),
              Bib("https://new.example/1") + Bib("https://new.example/2") + Bib("http://old.example/3"));

    // Cancelled (Ctrl-C) while the file is read: no OUT, nothing half-written beside it.
    std::string many;
    for (int i = 0; i < 100000; ++i) many += good;
    WriteFile(dir.File("in.mrc"), many);
    std::filesystem::remove(dir.File("out.mrc"));
    r = Run(files, [](const std::string& err) { return err.find("Read 1000 records") != std::string::npos; });
    EXPECT_EQ(r.exitCode, 4) << r.err;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find("out.mrc"), std::string::npos) << entry.path();

    // With a location limit, holdings (and bibliographic records carrying an 852) answer with 852 $b.
    Settings("[General]\nLimitByLocation=True\nLimitingLocation=MAIN\n");
    auto holdings = [](const std::string& location, const std::string& link) {
        return BuildRecord("00000ny   22000003  4500", {"001 9", "852 0  $b" + location, "856 40 $u" + link});
    };
    WriteFile(dir.File("in.mrc"), holdings("MAIN", "http://old.example/m") + holdings("LAW", "http://old.example/l") +
                                      Bib("http://old.example/b"));
    r = Run(files);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("out.mrc")), holdings("MAIN", "https://new.example/m") +
                                                 holdings("LAW", "http://old.example/l") + Bib("http://old.example/b"));
}

}  // namespace
