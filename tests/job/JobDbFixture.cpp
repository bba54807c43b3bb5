#include "JobDbFixture.h"

#include <sys/stat.h>

#include <regex>

#include "base/INI.h"
#include "base/MessagePump.h"

namespace linkmend::test {

void JobDbTest::SetUp() {
    testdb::DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const char* saved = std::getenv("LINKMEND_PROFILE_DIR");
    savedProfileDir_ = saved ? saved : "";
    setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1);
    mkdir(Reports().c_str(), 0700);
    SetMessagePump([this] {
        if (host_.onPump) host_.onPump();
    });
    catalog_ = std::make_unique<TestCatalog>(Writer(), Prefix());
    catalog_->Basics();

    Set("Connection", "DSN", Db().ReadOnlyDsn());
    Set("Connection", "TNP", Prefix());
    Set("Connection", "VoyagerPath", Folder());
    Set("Read", "UID", Db().ReadOnlyUid().empty() ? "reader" : Db().ReadOnlyUid());
    Set("Read", "PWD", Db().ReadOnlyPwd().empty() ? "reader" : Db().ReadOnlyPwd());
    Set("Write", "UID", "cat");
    Set("Write", "PWD", "cat-pw");
    Set("Folders", "FolderForReports", Reports());
    Set("Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT");
    Set("Miscellaneous", "Happening", "10");
    Set("General", "Debug", "True");
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", Db().Dsn(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "UID", Db().Uid(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "PWD", Db().Pwd(), 0);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "TableNamePrefix", Prefix(), 0);
}

void JobDbTest::TearDown() {
    SetMessagePump(nullptr);
    program_.reset();
    if (savedProfileDir_.empty()) unsetenv("LINKMEND_PROFILE_DIR");
    else setenv("LINKMEND_PROFILE_DIR", savedProfileDir_.c_str(), 1);
    testdb::DbTest::TearDown();
}

void JobDbTest::Set(const std::string& section, const std::string& key, const std::string& value) {
    WriteIniValue("Linkmend.INI", section, key, value, 0);
}

void JobDbTest::StemJob(const std::string& oldStem, const std::string& newStem, const std::string& actions) {
    Set("UrlStem", "Old", oldStem);
    Set("UrlStem", "New", newStem);
    Set("UrlStem", "UrlActions", actions);
    Set("UrlStem", "BibLimit", "0");
}

RunOutcome JobDbTest::Perform(bool production, bool listChanged) {
    program_ = std::make_unique<Program>();
    program_->settingsFile = "Linkmend.INI";
    program_->temporaryFolder = dir_.Path();
    MainFormState form;
    StartUp(*program_, form);
    form.chkProductionRun = production;
    form.chkListChangedRecords = listChanged;
    if (!PrepareToPerform(program_->settingsFile, program_->job, form, host_)) {
        ADD_FAILURE() << "Perform refused: " << (host_.messages.empty() ? "" : host_.messages.back().second);
        return RunOutcome::FileError;
    }
    return RunUrlChangeJob(*program_, host_);
}

std::string JobDbTest::RunFile(const std::string& suffix) const {
    for (const auto& entry : std::filesystem::directory_iterator(Reports())) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return ReadFile(entry.path().string());
        }
    }
    return std::string();
}

std::string JobDbTest::Report() const {
    static const std::regex times("\\* Run (started|ended):( +)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    return std::regex_replace(RunFile(".Report.txt"), times, "* Run $1:$2TIME");
}

std::vector<std::string> JobDbTest::RunLog() const {
    std::vector<std::string> entries;
    std::string path;
    for (const auto& entry : std::filesystem::directory_iterator(Reports())) {
        if (entry.path().filename().string().find(".Debug.txt") != std::string::npos) path = entry.path().string();
    }
    if (path.empty()) return entries;
    for (int n = 1;; ++n) {
        const std::string v = ReadIniValueOrDefault(path, "Report", std::to_string(n), "<missing>", 10000);
        if (v == "<missing>") break;
        entries.push_back(v);
    }
    return entries;
}

}  // namespace linkmend::test
