// The Options dialog's two lists, filled through the global reader in the dialog's two remembered
// result sets, so that repeated fillings reuse the same sets.
#include <algorithm>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "job/JobSettings.h"
#include "job/OptionsForm.h"
#include "job/Program.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

// The window's own fetch loop: messages run before each fetch.
bool NextRow(VgerReaderClass7& reader, std::int16_t set) {
    LetWindowMessagesRun();
    return reader.GetNextRow(set);
}

}  // namespace

bool FillOwningLibraries(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host) {
    form.lstOwningLibrary.clear();
    form.lstOwningLibrarySelected.clear();
    lists.owningLibraries.clear();
    try {
        VgerReaderClass7& reader = program.reader.Reader();
        std::int16_t& set = program.reader.optionsSets[0];
        reader.SearchLibraries(set);
        while (NextRow(reader, set)) {
            lists.owningLibraries.push_back({reader.CurrentRow(1), reader.CurrentRow(2), -1});
        }
    } catch (const LinkmendError& e) {
        host.ShowMessage(
            kDefaultMessageTitle,
            "Severe problem encountered while retrieving a list of Voyager owning libraries:\n\n" + e.Description());
        return false;
    }
    for (OwningLibraryEntry& entry : lists.owningLibraries) {
        entry.ListIndex = static_cast<std::int16_t>(form.lstOwningLibrary.size());
        form.lstOwningLibrary.push_back(entry.LibraryName);
    }
    form.lstOwningLibrarySelected.assign(form.lstOwningLibrary.size(), form.lstOwningLibrary.size() == 1);
    return true;
}

bool FillHappeningLocations(Program& program, OptionsLists& lists, OptionsFormState& form,
                            const std::string& operatorId, JobHost& host) {
    form.cmbHappening.clear();
    form.cmbHappeningIndex = -1;
    lists.happeningLocations.clear();
    if (operatorId.empty()) return false;
    try {
        VgerReaderClass7& reader = program.reader.Reader();
        std::int16_t* sets = program.reader.optionsSets;
        std::vector<std::string> seen;
        reader.SearchOperatorProfiles(operatorId, sets[0]);
        while (NextRow(reader, sets[0])) {
            reader.SearchProfileCatalogingLocations(reader.CurrentRow(1), sets[1]);
            while (NextRow(reader, sets[1])) {
                const std::string locationId = reader.CurrentRow(1);
                // Two profiles of one operator may share a location: it is listed once.
                if (std::find(seen.begin(), seen.end(), locationId) != seen.end()) continue;
                seen.push_back(locationId);
                std::string id, code, name;
                if (reader.RetrieveLocationCodeAndName(locationId, id, code, name)) {
                    lists.happeningLocations.push_back({RoundToInt32(Val(id)), TrimBlanks(code + " " + name)});
                }
            }
        }
    } catch (const LinkmendError& e) {
        host.ShowMessage(
            kDefaultMessageTitle,
            "Severe error encountered while retrieving a list of Voyager 'happening' locations:\n\n" + e.Description());
        return false;
    }
    // Character codes decide, not the locale; equal texts keep the database's order.
    std::stable_sort(
        lists.happeningLocations.begin(), lists.happeningLocations.end(),
        [](const HappeningLocationEntry& a, const HappeningLocationEntry& b) { return a.DisplayText < b.DisplayText; });
    for (const HappeningLocationEntry& entry : lists.happeningLocations) form.cmbHappening.push_back(entry.DisplayText);
    if (!form.cmbHappening.empty()) form.cmbHappeningIndex = 0;
    return true;
}

void FillOptionLists(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host) {
    const ConnectionProfile& p = program.profile;
    host.ShowBusy(true);
    program.reader.RenewReader();
    program.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);
    lists.readerConnection = {p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD};
    if (!p.DSN.empty() && !p.TableNamePrefix.empty() && !p.ReadUID.empty() && !p.ReadPWD.empty() &&
        FillOwningLibraries(program, lists, form, host)) {
        FillHappeningLocations(program, lists, form, p.WriteUID, host);
    }
    host.ShowBusy(false);
}

}  // namespace linkmend
