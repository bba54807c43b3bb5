#include "job/Program.h"

#include <cstdlib>

#include "base/MessagePump.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "catalog/CatalogWriter.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

Program::Program() = default;
Program::~Program() = default;

CatalogWriter& Program::Writer() {
    // The component dates what it writes by the program's clock, as it stands at each write.
    if (!writer_) writer_ = std::make_unique<CatalogWriter>([this] { return now(); });
    return *writer_;
}

void InjectClockFromEnvironment(Program& program) {
    const char* start = std::getenv("LINKMEND_CLOCK");
    if (!start || !*start) return;
    const DateTime begin = DateTime::Parse(start);
    const DateTime realBegin = DateTime::Now();
    program.now = [begin, realBegin] { return DateTime(begin.Days() + (DateTime::Now().Days() - realBegin.Days())); };
}

void StartUp(Program& program, MainFormState& form) {
    program.reader.RenewReader();
    LoadConnectionProfile(program.settingsFile, program.profile);
    LoadJobSettings(program.settingsFile, program.job, form);
    FillLocationList(program, form, program.job.LimitingLocation);
    ShowJobSettings(program.job, form);
}

void StartUpForFile(Program& program, MainFormState& form) {
    LoadConnectionProfile(program.settingsFile, program.profile);
    LoadJobSettings(program.settingsFile, program.job, form);
    OfferSavedLocation(program.job, form);
    ShowJobSettings(program.job, form);
}

void OfferSavedLocation(const JobSettings& job, MainFormState& form) {
    if (!form.cmbLocation.empty() || job.LimitingLocation.empty()) return;
    SetLocationEntries(form, {{job.LimitingLocation, "(as saved)"}}, job.LimitingLocation);
}

bool PerformChecks(Program& program, MainFormState& form, JobHost& host) {
    return PrepareToPerform(program.settingsFile, program.job, form, host) &&
           ProfileReadyForRun(program.profile, program.job.ProductionRun, host);
}

bool PerformChecksOnFile(Program& program, MainFormState& form, JobHost& host) {
    if (!PrepareToPerform(program.settingsFile, program.job, form, host)) return false;
    // The database's settings play no part; the reports still need a folder of their own.
    if (!TrimBlanks(program.profile.FolderForReports).empty()) return true;
    host.ShowMessage(kDefaultMessageTitle, "You must supply a folder for the reports.");
    return false;
}

void FillLocationList(Program& program, MainFormState& form, const std::string& code) {
    form.cmbLocation.clear();
    form.cmbLocationIndex = -1;
    const ConnectionProfile& p = program.profile;
    program.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);
    if (p.DSN.empty() || p.TableNamePrefix.empty() || p.ReadUID.empty() || p.ReadPWD.empty()) return;
    VgerReaderClass7& reader = program.reader.Reader();
    std::int16_t& set = program.reader.standingSet;
    reader.SearchLocationList(p.TableNamePrefix, set);
    std::vector<std::pair<std::string, std::string>> entries;
    while (reader.GetNextRow(set)) {
        entries.emplace_back(reader.CurrentRow(1), reader.CurrentRow(2));
        LetWindowMessagesRun();
    }
    SetLocationEntries(form, std::move(entries), code);
}

}  // namespace linkmend
