#pragma once
// The program-wide objects of one start of the program: settings file, job settings, connection
// profile, the global reader, the shared record object and the batch-cataloguing component.
#include <functional>
#include <memory>
#include <string>

#include "base/DateTime.h"
#include "job/GlobalReader.h"
#include "job/JobSettings.h"
#include "marc/Utf8MarcRecordClass.h"
#include "profile/ConnectionProfile.h"

namespace linkmend {

class CatalogWriter;

class JobHost;

struct Program {
    Program();
    ~Program();

    std::string settingsFile = "Linkmend.INI";
    JobSettings job;
    ConnectionProfile profile;
    GlobalReader reader;
    Utf8MarcRecordClass record;
    // Created on first use and kept for the life of the program.
    CatalogWriter& Writer();
    // The clock the run reads (time stamps, the scheduled start, the dates the component writes);
    // tests replace it.
    std::function<DateTime()> now = [] { return DateTime::Now(); };
    // The folder of the scratch work list; empty: the user's temporary folder.
    std::string temporaryFolder;
    // The full path of the last run's report; empty when no report was written.
    std::string reportPath;

private:
    std::unique_ptr<CatalogWriter> writer_;
};

// A test hook: when LINKMEND_CLOCK="yyyy-mm-dd hh:mm:ss" is set, the program's clock starts at that
// time and runs on in real time (so the scheduled start can be tested at any hour).
void InjectClockFromEnvironment(Program& program);

// Start-up without a window: renew the reader, load the profile and the job settings, fill the
// location list, show the settings in the form.
void StartUp(Program& program, MainFormState& form);

// Start-up for a run on a MARC file: the profile and the job settings as StartUp loads them, no
// database asked; the saved location is the one entry of the location list.
void StartUpForFile(Program& program, MainFormState& form);

// Without a location list from the database, the saved location as its one entry (a run on a
// MARC file compares it with 852 $b).
void OfferSavedLocation(const JobSettings& job, MainFormState& form);

// Perform's checks: those of the job (PrepareToPerform, which saves it), then those of the profile
// (ProfileReadyForRun); true when the run may start.
bool PerformChecks(Program& program, MainFormState& form, JobHost& host);
// The same for a run on a MARC file: the job's checks, and a folder for the reports.
bool PerformChecksOnFile(Program& program, MainFormState& form, JobHost& host);

// Fills the location entries of the form from the database (empty when the profile lacks any of
// DSN, prefix, read-only sign-on and password), selecting `code`.
void FillLocationList(Program& program, MainFormState& form, const std::string& code);

}  // namespace linkmend
