#pragma once
// The Options dialog's rules without the window: the connection profile shown in plain values, the
// owning-library and happening-location lists filled from the database through the global reader,
// and the checks OK makes before the profile is saved. The window only shows this state.
#include <cstdint>
#include <string>
#include <vector>

namespace linkmend {

struct Program;
struct MainFormState;
class JobHost;

inline constexpr const char* kOptionsCaption = "Linkmend program - Options";

struct OwningLibraryEntry {
    std::string LibraryId;
    std::string LibraryName;
    std::int16_t ListIndex = -1;  // its row in lstOwningLibrary
};

struct HappeningLocationEntry {
    std::int32_t LocationId = 0;
    std::string DisplayText;  // LOCATION_CODE, a blank, LOCATION_NAME
};

// The values the lists were last filled for; OK refills the lists when they change.
struct OptionsListBasis {
    std::string DSN, TableNamePrefix, ReadUID, ReadPWD, WriteUID, WritePWD, OwningLibraryString;
};

// What the dialog keeps for the life of the program, between its openings.
struct OptionsLists {
    std::vector<OwningLibraryEntry> owningLibraries;
    std::vector<HappeningLocationEntry> happeningLocations;
    OptionsListBasis basis;
    // DSN, prefix, sign-on and password the dialog last renewed the global reader for.
    std::vector<std::string> readerConnection;
};

// The dialog's controls as plain values. `focus` names the box that takes the focus after a refusal.
struct OptionsFormState {
    std::string caption;
    std::string txtDSN, txtTNP, txtReadUID, txtReadPWD, txtWriteUID, txtWritePWD;
    std::string txtVoyagerPath, txtFolderForReports, txtValidationPath;
    std::vector<std::string> lstOwningLibrary;  // library names in list order
    std::vector<bool> lstOwningLibrarySelected;
    bool lstOwningLibraryEnabled = true;
    bool chkAllOwningLibraries = false;
    std::vector<std::string> cmbHappening;
    int cmbHappeningIndex = -1;
    bool cmbHappeningEnabled = true;
    std::string focus;
};

// Fills the owning-library list (by name) from the LIBRARY table; selects the only library when there
// is one. False after a message when the query fails.
bool FillOwningLibraries(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host);

// Fills the happening-location combo with the operator's cataloguing locations, each once, sorted by
// display text, the first selected. False at once for an empty operator, or after a message when a
// query fails.
bool FillHappeningLocations(Program& program, OptionsLists& lists, OptionsFormState& form,
                            const std::string& operatorId, JobHost& host);

// Renews and connects the reader with the profile's connection values and, when all four are given,
// fills both lists (the window is busy meanwhile).
void FillOptionLists(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host);

// The dialog opening for the saved profile: list basis, caption, boxes, lists and their selections.
void OpenOptions(Program& program, OptionsLists& lists, OptionsFormState& form, JobHost& host);

// The "all owning libraries" box: ticked disables the list, unticked enables it; the selection stays.
void AllOwningLibrariesClicked(OptionsFormState& form);

// A file chosen with the Voyager.INI browser: only a file named Voyager.INI (any case) sets the folder.
void VoyagerIniChosen(OptionsFormState& form, const std::string& fileName);
// A file chosen with the validation-file browser: its folder is taken, whatever its name.
void ValidationFileChosen(OptionsFormState& form, const std::string& fileName);

// Where reports go when the reports folder is left empty: the user's home folder, with its "/".
std::string DefaultReportsFolder();

// OK: checks the dialog, refills the lists when the connection or operator changed (then asks for a
// second OK), and saves the profile to the settings file. True: the dialog closes. A changed DSN or
// prefix also refills the main window's location list.
bool ValidateAndSaveOptions(Program& program, OptionsLists& lists, OptionsFormState& form, MainFormState& mainForm,
                            JobHost& host);

// The dialog has closed (saved or not). When it left the reader connected otherwise than the profile
// says, the reader is renewed for the profile and the main window's location list refilled; true then.
// Database errors while refilling pass to the caller.
bool OptionsClosed(Program& program, OptionsLists& lists, MainFormState& mainForm);

}  // namespace linkmend
