#pragma once
// A job test on a real database (both drivers, see DbTest.h): the reference catalogue, a profile
// folder whose settings file reaches it (read-only account for the reader, operator "cat" for
// write-back, run log on) with "Voyager.INI" (the read-write account), and a reports folder.
#include <memory>
#include <string>
#include <vector>

#include "DbTest.h"
#include "kit/Catalog.h"
#include "kit/Files.h"

namespace linkmend::test {

class JobDbTest : public testdb::DbTest {
protected:
    void SetUp() override;

    TestCatalog& Catalog() { return *catalog_; }
    std::string Folder() const { return profile_.Dir().Path() + "/"; }
    std::string Reports() const { return Folder() + "reports/"; }
    // Writes a key of the settings file, Linkmend.INI in the profile folder.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // The usual job: "http://old.example/" to "https://new.example/", no bib limit.
    void StemJob(const std::string& oldStem = "http://old.example/",
                 const std::string& newStem = "https://new.example/", const std::string& actions = "100000");

    // What the last run left in the reports folder: a file by suffix, the report with its two
    // times written "TIME" (or from its counters on), the run log's entries; and the folder emptied.
    std::string RunFile(const std::string& suffix) const;
    std::string Report() const;
    std::string Counts() const;
    std::vector<std::string> RunLog() const;
    void ClearReports() const;
    // The bibs written back so far: their history's update rows.
    long long BibsUpdated() { return catalog_->Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"); }

private:
    ProfileFolder profile_;
    std::unique_ptr<TestCatalog> catalog_;
};

}  // namespace linkmend::test
