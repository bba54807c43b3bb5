#pragma once
// The job definition (what to look for in the 856 fields, what to change, the limits, test or
// production), its storage in the settings file, and the checks Perform makes before a run.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace linkmend {

class JobHost;

// Titles of the program's message boxes; settings validation uses the default title.
inline constexpr const char* kProgramTitle = "Linkmend program";
inline constexpr const char* kDefaultMessageTitle = "Linkmend";

struct JobSettings {
    std::string OldUrlStem;
    std::string NewUrlStem;
    std::int16_t MatchEnd = 0;                                        // 0 = match from left, 1 = from right
    std::int16_t UrlAction = 0;                                       // 0 leave $u, 1 change the stem, 2 add the suffix
    std::int16_t ActionX = 0, ActionY = 0, ActionZ = 0, Action3 = 0;  // 0, 3 delete, 4 replace
    std::string NewSubfieldX, NewSubfieldY, NewSubfieldZ, NewSubfield3;
    std::int16_t DeleteField = 0;  // 0 or 3
    std::int32_t BibLimit = 0;     // 0 = no limit
    bool LimitByLocation = false;
    std::string LimitingLocation;  // LOCATION_CODE
    bool ProductionRun = false;
    bool ListChangedRecords = false;
    bool SiteOption = false;  // "HLD", read at run start
};

// The main window's controls as plain values. Option-button groups hold the index of the selected
// button; check boxes of the control array chkThingToChange are indexed 0 to 5.
struct MainFormState {
    std::string txtOldUrlStem;
    std::string txtNewUrlStem;
    int optWorkingEnd = 0;
    std::array<bool, 6> chkThingToChange{};
    int optUrlAction = 0;
    int optSubfieldX = 0, optSubfieldY = 0, optSubfieldZ = 0, optSubfield3 = 0;
    std::string txtSubfieldX, txtSubfieldY, txtSubfieldZ, txtSubfield3;
    bool chkLimitByLocation = false;
    std::vector<std::string> cmbLocation;  // entries "CODE // name"
    int cmbLocationIndex = -1;             // selected entry, -1 none
    std::int32_t updBibLimit = 20000;
    bool chkProductionRun = false;
    bool chkListChangedRecords = false;
    bool actionBoxGuard = false;  // set while the window changes the boxes itself
};

// The settings file named on the command line after " -i" (quoted or not, up to a following " -"
// option), or "Linkmend.INI".
std::string SettingsFileFromCommandLine(const std::string& commandLine);

// Reads the job settings from the settings file into the record and shows them in the form.
void LoadJobSettings(const std::string& settingsFile, JobSettings& job, MainFormState& form);

// Shows the settings in the form the way start-up does after loading (stems and bib limit).
void ShowJobSettings(const JobSettings& job, MainFormState& form);

// Reads the form into the job, checks it and writes it to the settings file; false after a message
// when something is missing (what was written before the failing check stays written).
bool ValidateAndSaveJobSettings(const std::string& settingsFile, JobSettings& job, MainFormState& form, JobHost& host);

// Perform's own checks, then ValidateAndSaveJobSettings: true when the run may start.
bool PrepareToPerform(const std::string& settingsFile, JobSettings& job, MainFormState& form, JobHost& host);

// The rule of the action boxes: checking "Delete the matching 856 field" clears the others; otherwise
// at least one box stays checked (box 0). Call after box `index` changed.
void ActionBoxClicked(MainFormState& form, int index);

// Fills the location entries ("CODE // name") and selects the last one whose code equals `code`
// (exactly), else entry 0.
void SetLocationEntries(MainFormState& form, std::vector<std::pair<std::string, std::string>> codeAndName,
                        const std::string& code);

}  // namespace linkmend
