// Opening and closing the Options dialog, its "all owning libraries" box and its two file browsers.
#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "base/Text.h"
#include "job/JobSettings.h"
#include "job/OptionsForm.h"
#include "job/Program.h"

namespace linkmend {
namespace {

// The folder part of a path, with its final "/"; "" when the path names no folder.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

void OpenOptions(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host) {
    const ConnectionProfile& p = program.profile;
    lists.basis = {p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD, p.WriteUID, p.WritePWD, p.OwningLibraryString};

    form = OptionsFormState{};
    form.caption = kOptionsCaption;
    form.chkAllOwningLibraries = p.AllOwningLibraries;
    form.lstOwningLibraryEnabled = !p.AllOwningLibraries;
    form.txtDSN = p.DSN;
    form.txtTNP = p.TableNamePrefix;
    form.txtReadUID = p.ReadUID;
    form.txtReadPWD = p.ReadPWD;
    form.txtValidationPath = p.ValidationPath;
    FillOptionLists(program, lists, form, host);
    form.txtWriteUID = p.WriteUID;
    form.txtWritePWD = p.WritePWD;
    form.txtVoyagerPath = p.VoyagerPath;
    form.txtFolderForReports = p.FolderForReports;

    for (const OwningLibraryEntry& entry : lists.owningLibraries) {
        if (ProfileHasOwningLibrary(p, entry.LibraryId)) {
            form.lstOwningLibrarySelected[static_cast<std::size_t>(entry.ListIndex)] = true;
        }
    }
    if (lists.happeningLocations.size() >= 2) {
        form.cmbHappeningIndex = 0;
        for (std::size_t i = 0; i < lists.happeningLocations.size(); ++i) {
            if (p.Happening >= 1 && lists.happeningLocations[i].LocationId == p.Happening) {
                form.cmbHappeningIndex = static_cast<int>(i);
            }
        }
    }
}

void AllOwningLibrariesClicked(OptionsFormState& form) { form.lstOwningLibraryEnabled = !form.chkAllOwningLibraries; }

void VoyagerIniChosen(OptionsFormState& form, const std::string& fileName) {
    const std::string upper = AsciiUpper(fileName);
    const std::string wanted = "VOYAGER.INI";
    if (upper.size() >= wanted.size() && upper.compare(upper.size() - wanted.size(), wanted.size(), wanted) == 0) {
        form.txtVoyagerPath = FolderOf(fileName);
    }
}

void ValidationFileChosen(OptionsFormState& form, const std::string& fileName) {
    if (!fileName.empty()) form.txtValidationPath = FolderOf(fileName);
}

std::string DefaultReportsFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = home && *home ? home : "";
    if (folder.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) folder = pw->pw_dir;
    }
    return WithFolderSeparator(folder.empty() ? "/" : folder);
}

bool OptionsClosed(Program& program, OptionsLists& lists, MainFormState& mainForm) {
    const ConnectionProfile& p = program.profile;
    const std::vector<std::string> saved = {p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD};
    if (lists.readerConnection.empty() || lists.readerConnection == saved) return false;
    // The dialog proved other connection values than were saved: the run and the location list
    // must use the saved ones, and a reader stays with the database it first reached.
    program.reader.RenewReader();
    lists.readerConnection = saved;
    FillLocationList(program, mainForm, program.job.LimitingLocation);
    return true;
}

}  // namespace linkmend
