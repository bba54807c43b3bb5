#pragma once
// A job test on a real database: the reference data of TestCatalog, a profile folder with the
// settings file (read-only account for the reader, operator "cat" for write-back) and "Voyager.INI"
// (read-write account), a reports folder, and the run performed in this process with a FakeHost.
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DbTest.h"
#include "FakeHost.h"
#include "TestCatalog.h"
#include "TestSupport.h"
#include "job/JobSettings.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"

namespace linkmend::test {

class JobDbTest : public testdb::DbTest {
protected:
    void SetUp() override;
    void TearDown() override;

    TestCatalog& Catalog() { return *catalog_; }
    std::string Folder() const { return dir_.Path() + "/"; }
    std::string Reports() const { return dir_.Path() + "/reports/"; }
    // Writes a settings-file key (the file is Linkmend.INI in the profile folder).
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // The job of most tests: change "http://old.example/" to "https://new.example/", test run.
    void StemJob(const std::string& oldStem = "http://old.example/",
                 const std::string& newStem = "https://new.example/", const std::string& actions = "100000");

    // Start-up and Perform as the window does them, then the run. `production` ticks the box.
    RunOutcome Perform(bool production = false, bool listChanged = false);

    // The files of the last run (empty when missing); the report with its two time lines neutralised.
    std::string Report() const;
    std::string RunFile(const std::string& suffix) const;
    std::vector<std::string> RunLog() const;  // the values of keys 1, 2, 3, ... in order

    FakeHost host_;
    std::unique_ptr<Program> program_;

private:
    TempDir dir_;
    std::unique_ptr<TestCatalog> catalog_;
    std::string savedProfileDir_;
};

}  // namespace linkmend::test
