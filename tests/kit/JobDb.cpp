#include "kit/JobDb.h"

#include <filesystem>

#include "base/INI.h"
#include "kit/RunFiles.h"

namespace linkmend::test {

void JobDbTest::SetUp() {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ClearReports();
    catalog_ = std::make_unique<TestCatalog>(Writer(), Prefix());
    catalog_->Basics();
    const std::string settings[][3] = {{"Connection", "DSN", Db().ReadOnlyDsn()},
                                       {"Connection", "TNP", Prefix()},
                                       {"Connection", "VoyagerPath", Folder()},
                                       {"Read", "UID", Db().ReadOnlyUid().empty() ? "reader" : Db().ReadOnlyUid()},
                                       {"Read", "PWD", Db().ReadOnlyPwd().empty() ? "reader" : Db().ReadOnlyPwd()},
                                       {"Write", "UID", "cat"},
                                       {"Write", "PWD", "cat-pw"},
                                       {"Folders", "FolderForReports", Reports()},
                                       {"Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT"},
                                       {"Miscellaneous", "Happening", "10"},
                                       {"General", "Debug", "True"}};
    for (const auto& [section, key, value] : settings) Set(section, key, value);
    const std::string voyager[][2] = {
        {"DSN", Db().Dsn()}, {"UID", Db().Uid()}, {"PWD", Db().Pwd()}, {"TableNamePrefix", Prefix()}};
    for (const auto& [key, value] : voyager) WriteIniValue(Folder() + "Voyager.INI", "Database", key, value, 0);
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

std::string JobDbTest::RunFile(const std::string& suffix) const { return test::RunFile(Reports(), suffix); }
std::string JobDbTest::Report() const { return ReportWithoutTimes(RunFile(".Report.txt")); }
std::vector<std::string> JobDbTest::RunLog() const { return RunLogEntries(Reports()); }

std::string JobDbTest::Counts() const {
    const std::string report = Report(), end = "\tcat\r\n\r\n";  // the operator ends the connection block
    const auto at = report.find(end);
    return at == std::string::npos ? report : report.substr(at + end.size());
}

void JobDbTest::ClearReports() const {
    std::filesystem::remove_all(Reports());
    std::filesystem::create_directory(Reports());
}

}  // namespace linkmend::test
