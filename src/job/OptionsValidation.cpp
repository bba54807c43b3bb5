// OK in the Options dialog: required values, the lists refilled when the connection or the operator
// changed (a second OK then saves), the owning libraries, the folders, and the save.
#include "base/Error.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "job/JobSettings.h"
#include "job/OptionsForm.h"
#include "job/Program.h"
#include "profile/ConnectionProfile.h"

namespace linkmend {
namespace {

// The main window's location list for connection values the profile does not hold yet. A database
// that cannot be read leaves it empty: the library list, filled next, says what is wrong.
void RefillLocationsFor(Program& program, MainFormState& mainForm, const std::string& dsn, const std::string& prefix,
                        const std::string& uid, const std::string& pwd) {
    ConnectionProfile& p = program.profile;
    const ConnectionProfile saved = p;
    p.DSN = dsn;
    p.TableNamePrefix = prefix;
    p.ReadUID = uid;
    p.ReadPWD = pwd;
    try {
        FillLocationList(program, mainForm, program.job.LimitingLocation);
    } catch (const LinkmendError&) {
        mainForm.cmbLocation.clear();
        mainForm.cmbLocationIndex = -1;
    }
    p = saved;
}

// " 1 2 3 ": the ids of the libraries taken, in list order, with a blank at each end.
std::string OwningLibraryStringOf(const OptionsLists& lists, const OptionsFormState& form) {
    std::string ids;
    for (const OwningLibraryEntry& entry : lists.owningLibraries) {
        const auto row = static_cast<std::size_t>(entry.ListIndex);
        const bool selected = row < form.lstOwningLibrarySelected.size() && form.lstOwningLibrarySelected[row];
        if (form.chkAllOwningLibraries || lists.owningLibraries.size() == 1 || selected) {
            ids += (ids.empty() ? "" : " ") + entry.LibraryId;
        }
    }
    return " " + ids + " ";
}

}  // namespace

bool ValidateAndSaveOptions(Program& program, OptionsLists& lists, OptionsFormState& form, MainFormState& mainForm,
                            JobHost& host) {
    auto tell = [&](const std::string& text) { host.Ask(kProgramTitle, text, MessageButtons::OkCancel); };
    form.focus.clear();

    if (!form.lstOwningLibraryEnabled && !form.chkAllOwningLibraries) form.lstOwningLibraryEnabled = true;
    form.cmbHappeningEnabled = true;

    struct Required {
        std::string* box;
        const char* name;
        const char* message;
    };
    const Required required[] = {
        {&form.txtDSN, "txtDSN", "You must supply a Data Set Name."},
        {&form.txtTNP, "txtTNP", "You must supply a table name prefix."},
        {&form.txtReadUID, "txtReadUID", "You must supply a read-only signon."},
        {&form.txtReadPWD, "txtReadPWD", "You must supply a read-only password."},
        {&form.txtWriteUID, "txtWriteUID", "You must supply a Voyager user ID."},
        {&form.txtWritePWD, "txtWritePWD", "You must supply a Voyager user password."},
    };
    for (const Required& r : required) {
        *r.box = TrimBlanks(*r.box);
        if (r.box->empty()) {
            tell(r.message);
            form.focus = r.name;
            return false;
        }
    }
    if (form.txtTNP.empty() || form.txtTNP.back() != '.') form.txtTNP += '.';
    const std::string &dsn = form.txtDSN, &prefix = form.txtTNP, &readUid = form.txtReadUID, &readPwd = form.txtReadPWD,
                      &writeUid = form.txtWriteUID, &writePwd = form.txtWritePWD;

    bool problem = false, listsChanged = false;
    auto refillHappening = [&]() {
        if (!FillHappeningLocations(program, lists, form, writeUid, host)) {
            problem = true;
        } else if (form.cmbHappening.empty()) {
            tell("There don't seem to be any Voyager happening locations defined for this operator.");
            return false;
        } else {
            listsChanged = true;
        }
        return true;
    };
    const OptionsListBasis& basis = lists.basis;
    if (dsn != basis.DSN || prefix != basis.TableNamePrefix || readUid != basis.ReadUID) {
        if (dsn != basis.DSN || prefix != basis.TableNamePrefix) {
            program.reader.RenewReader();
            program.reader.ConnectReader(dsn, prefix, readUid, readPwd);
            lists.readerConnection = {dsn, prefix, readUid, readPwd};
            RefillLocationsFor(program, mainForm, dsn, prefix, readUid, readPwd);
        }
        if (!FillOwningLibraries(program, lists, form, host)) {
            problem = true;
        } else if (form.lstOwningLibrary.empty()) {
            tell(
                "There don't seem to be any Voyager owning libraries defined at the ODBC connection you've "
                "supplied.");
            return false;
        } else if (!refillHappening()) {
            return false;
        }
    } else if (writeUid != basis.WriteUID) {
        if (!refillHappening()) return false;
    }

    std::string libraries;
    if (!problem) {
        libraries = OwningLibraryStringOf(lists, form);
        if (!form.chkAllOwningLibraries && libraries.size() < 3 && !listsChanged) {
            lists.basis = {dsn, prefix, readUid, readPwd, writeUid, writePwd, libraries};
            host.ShowMessage(kProgramTitle,
                             "Select one or more owning libraries from the list, or check the 'all owning "
                             "libraries' box");
            return false;
        }
        form.txtFolderForReports = TrimBlanks(form.txtFolderForReports);
        form.txtFolderForReports =
            form.txtFolderForReports.empty() ? DefaultReportsFolder() : WithFolderSeparator(form.txtFolderForReports);
        form.txtVoyagerPath = TrimBlanks(form.txtVoyagerPath);
        if (form.txtVoyagerPath.empty()) {
            tell("You must supply a path to Voyager.INI.");
            form.focus = "txtVoyagerPath";
            return false;
        }
        form.txtVoyagerPath = WithFolderSeparator(form.txtVoyagerPath);
        if (form.cmbHappening.empty()) {
            tell(
                "The user ID you've given doesn't seem to be defined properly--it has no 'happening' locations "
                "associated with it.");
            return false;
        }
        program.profile.ValidationPath = TrimBlanks(form.txtValidationPath);
    }

    if (problem) {
        return host.Ask(kProgramTitle,
                        "There are one or more problems with your definition so far.\n\nDo you want to try again ?",
                        MessageButtons::YesNo) == MessageAnswer::No;
    }

    lists.basis = {dsn, prefix, readUid, readPwd, writeUid, writePwd, libraries};
    if (listsChanged) {
        tell(
            "Everything you've supplied is fine, and the changes you've made up to this point have been saved.  "
            "You've changed some important parts of this definition, and some parts of the Options display have "
            "been changed to correspond.\n\nPlease consider all of the options once final time.  Pay special "
            "attention to the lists of owning libraries and happening locations.");
        return false;
    }

    ConnectionProfile& p = program.profile;
    p.AllOwningLibraries = form.chkAllOwningLibraries;
    p.OwningLibraryString = libraries;
    p.FolderForReports = form.txtFolderForReports;
    p.ReadUID = readUid;
    p.ReadPWD = readPwd;
    p.WriteUID = writeUid;
    p.WritePWD = writePwd;
    p.DSN = dsn;
    p.TableNamePrefix = prefix;
    p.VoyagerPath = form.txtVoyagerPath;
    const auto selected = static_cast<std::size_t>(form.cmbHappeningIndex);
    p.Happening = form.cmbHappeningIndex >= 0 && selected < lists.happeningLocations.size()
                      ? lists.happeningLocations[selected].LocationId
                      : 0;
    SaveConnectionProfile(program.settingsFile, p);
    return true;
}

}  // namespace linkmend
