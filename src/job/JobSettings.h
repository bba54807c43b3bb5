#pragma once
// The job definition (what to look for in the 856 fields, what to change, the limits, test or
// production), its storage in the settings file, and the checks Perform makes before a run.
#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "job/SubfieldActions.h"

namespace linkmend {

class JobHost;
struct ConnectionProfile;

// Titles of the program's message boxes; settings validation uses the default title.
inline constexpr const char* kProgramTitle = "Linkmend program";
inline constexpr const char* kDefaultMessageTitle = "Linkmend";

// The job's choices, with the values the settings file stores ("UrlActions" digits, "MatchEnd").
enum class MatchEnd : std::int16_t { Left = 0, Right = 1 };
enum class UrlAction : std::int16_t { Leave = 0, ChangeStem = 1, AddSuffix = 2 };
enum class SubfieldAction : std::int16_t { None = 0, Delete = 3, Replace = 4 };  // all occurrences
enum class FieldAction : std::int16_t { Keep = 0, Delete = 3 };                  // the matching 856 as a whole

// The stored value of a choice. An older settings file can hold digits no enumerator names (an action
// 1 or 2 for a subfield); they are kept as read, and act as nothing.
template <class Choice>
requires std::is_enum_v<Choice>
constexpr std::int16_t StoredValue(Choice choice) { return static_cast<std::int16_t>(choice); }

struct SubfieldChange {
    SubfieldAction Action = SubfieldAction::None;
    std::string NewText;  // for Replace (trimmed)
};

struct JobSettings {
    std::string OldUrlStem;
    std::string NewUrlStem;
    linkmend::MatchEnd MatchEnd = linkmend::MatchEnd::Left;
    linkmend::UrlAction UrlAction = linkmend::UrlAction::Leave;
    std::array<SubfieldChange, kSubfieldActionCount> Subfields{};  // by row of kSubfieldActions
    FieldAction DeleteField = FieldAction::Keep;
    std::int32_t BibLimit = 0;  // 0 = no limit
    bool LimitByLocation = false;
    std::string LimitingLocation;  // LOCATION_CODE
    bool ProductionRun = false;
    bool ListChangedRecords = false;
    bool SiteOption = false;  // "HLD", read at run start

    // Each subfield's action and new text by its own name.
    SubfieldAction& ActionX() { return Subfields[kRow<'x'>].Action; }
    SubfieldAction& ActionY() { return Subfields[kRow<'y'>].Action; }
    SubfieldAction& ActionZ() { return Subfields[kRow<'z'>].Action; }
    SubfieldAction& Action3() { return Subfields[kRow<'3'>].Action; }
    std::string& NewSubfieldX() { return Subfields[kRow<'x'>].NewText; }
    std::string& NewSubfieldY() { return Subfields[kRow<'y'>].NewText; }
    std::string& NewSubfieldZ() { return Subfields[kRow<'z'>].NewText; }
    std::string& NewSubfield3() { return Subfields[kRow<'3'>].NewText; }

private:
    template <char Code>
    static constexpr std::size_t kRow = SubfieldRow(Code);
};

// The main window's controls as plain values. Option-button groups hold the index of the selected
// button; the check boxes of chkThingToChange are indexed as SubfieldActions.h lays them out, and
// optSubfield/txtSubfield hold the controls optSubfieldX, txtSubfieldX ... by table row.
struct MainFormState {
    std::string txtOldUrlStem;
    std::string txtNewUrlStem;
    int optWorkingEnd = 0;
    std::array<bool, kActionBoxCount> chkThingToChange{};
    int optUrlAction = 0;
    std::array<int, kSubfieldActionCount> optSubfield{};  // 0 delete, 1 replace
    std::array<std::string, kSubfieldActionCount> txtSubfield;
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

// Perform's own checks (the stems present, different, and as the settings file keeps them), then
// ValidateAndSaveJobSettings: true when the job may run.
bool PrepareToPerform(const std::string& settingsFile, JobSettings& job, MainFormState& form, JobHost& host);

// The connection profile holds what a run needs (the reader's connection data, a reports folder,
// and for a production run a happening location); false after a message when it does not.
bool ProfileReadyForRun(const ConnectionProfile& profile, bool production, JobHost& host);

// The longest stem the settings file gives back whole (its read size, 4000, less the NUL).
inline constexpr std::size_t kStemMostOctets = 3999;

// The rule of the action boxes: checking "Delete the matching 856 field" clears the others; otherwise
// at least one box stays checked (the URL box). Call after box `index` changed.
void ActionBoxClicked(MainFormState& form, int index);

// Fills the location entries ("CODE // name") and selects the last one whose code equals `code`
// (exactly), else entry 0.
void SetLocationEntries(MainFormState& form, std::vector<std::pair<std::string, std::string>> codeAndName,
                        const std::string& code);

}  // namespace linkmend
