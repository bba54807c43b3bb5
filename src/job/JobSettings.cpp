#include "job/JobSettings.h"

#include "base/INI.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "job/JobHost.h"

namespace linkmend {
namespace {

const char* TrueFalse(bool b) { return b ? "True" : "False"; }

std::int16_t Digit(const std::string& actions, std::size_t position) {
    return position < actions.size() ? static_cast<std::int16_t>(RoundToInt32(Val(actions.substr(position, 1)))) : 0;
}

std::int16_t SubfieldActionOrZero(std::int16_t action) { return action >= 0 && action <= 4 ? action : 0; }

// One subfield's check box, option pair and text box on the form.
struct SubfieldControls {
    int box;
    int* option;
    std::string* text;
    std::int16_t* action;
    std::string* newText;
    const char* missingText;
};

// Form order of the subfield boxes: $x, $y, $3, $z (the settings digits put $z before $3).
std::array<SubfieldControls, 4> SubfieldControlsOf(JobSettings& job, MainFormState& form) {
    return {{{1, &form.optSubfieldX, &form.txtSubfieldX, &job.ActionX, &job.NewSubfieldX,
              "You must supply the new text for subfield $x"},
             {2, &form.optSubfieldY, &form.txtSubfieldY, &job.ActionY, &job.NewSubfieldY,
              "You must supply the new text for subfield $y"},
             {3, &form.optSubfield3, &form.txtSubfield3, &job.Action3, &job.NewSubfield3,
              "You must supply the new text for subfield $3"},
             {4, &form.optSubfieldZ, &form.txtSubfieldZ, &job.ActionZ, &job.NewSubfieldZ,
              "You must supply the new text for subfield $z"}}};
}

}  // namespace

std::string SettingsFileFromCommandLine(const std::string& commandLine) {
    const auto at = commandLine.find(" -i");
    if (at == std::string::npos) return "Linkmend.INI";
    std::string name = TrimBlanks(commandLine.substr(at + 3));
    if (!name.empty() && name.front() == '"') {
        name = name.substr(1);
        const auto quote = name.find('"');
        if (quote != std::string::npos) name = name.substr(0, quote);
    }
    const auto option = name.find(" -");
    if (option != std::string::npos) name = TrimBlanks(name.substr(0, option));
    return name;
}

void LoadJobSettings(const std::string& file, JobSettings& job, MainFormState& form) {
    job.LimitByLocation = IsTrueText(ReadIniValueOrDefault(file, "General", "LimitByLocation", "FALSE", 15));
    form.chkLimitByLocation = job.LimitByLocation;
    job.LimitingLocation = ReadIniValue(file, "General", "LimitingLocation", 50);

    job.OldUrlStem = ReadIniValue(file, "UrlStem", "Old", 4000);
    job.NewUrlStem = ReadIniValue(file, "UrlStem", "New", 4000);
    job.BibLimit = RoundToInt32(Val(ReadIniValueOrDefault(file, "UrlStem", "BibLimit", "20000", 15)));
    const std::int32_t matchEnd = RoundToInt32(Val(ReadIniValueOrDefault(file, "UrlStem", "MatchEnd", "0", 15)));
    job.MatchEnd = static_cast<std::int16_t>(matchEnd == 1 ? 1 : 0);
    form.optWorkingEnd = job.MatchEnd;

    const std::string actions = ReadIniValue(file, "UrlStem", "UrlActions", 50);
    if (!actions.empty()) {
        job.UrlAction = SubfieldActionOrZero(Digit(actions, 0));
        job.ActionX = SubfieldActionOrZero(Digit(actions, 1));
        job.ActionY = SubfieldActionOrZero(Digit(actions, 2));
        job.ActionZ = SubfieldActionOrZero(Digit(actions, 3));
        job.Action3 = SubfieldActionOrZero(Digit(actions, 4));
        job.DeleteField = Digit(actions, 5) == 3 ? 3 : 0;
    } else {
        // The older single-action key: empty means change the stem, "1" add the suffix.
        const std::string older = ReadIniValue(file, "UrlStem", "UrlAction", 15);
        if (older.empty()) {
            job.UrlAction = 1;
            job.ActionX = job.ActionY = job.ActionZ = job.Action3 = job.DeleteField = 0;
        } else {
            job.UrlAction = older == "1" ? 2 : 1;
        }
    }
    if (job.UrlAction + job.ActionX + job.ActionY + job.ActionZ + job.Action3 + job.DeleteField == 0) {
        job.UrlAction = 1;
    }

    form.txtSubfieldX = ReadIniValue(file, "UrlStem", "NewSubfieldX", 3000);
    form.txtSubfieldY = ReadIniValue(file, "UrlStem", "NewSubfieldY", 3000);
    form.txtSubfieldZ = ReadIniValue(file, "UrlStem", "NewSubfieldZ", 3000);
    form.txtSubfield3 = ReadIniValue(file, "UrlStem", "NewSubfield3", 3000);

    if (job.UrlAction == 0) {
        form.optUrlAction = 0;
    } else if (job.UrlAction == 1) {
        form.optUrlAction = 0;
        form.chkThingToChange[0] = true;
    } else if (job.UrlAction == 2) {
        form.optUrlAction = 1;
        form.chkThingToChange[0] = true;
    }
    for (const SubfieldControls& c : SubfieldControlsOf(job, form)) {
        if (*c.action == 3 || *c.action == 4) {
            *c.option = *c.action == 3 ? 0 : 1;
            form.chkThingToChange[static_cast<std::size_t>(c.box)] = true;
        } else {
            *c.option = 0;
        }
    }
    form.chkThingToChange[5] = job.DeleteField == 3;
}

void ShowJobSettings(const JobSettings& job, MainFormState& form) {
    form.txtOldUrlStem = job.OldUrlStem;
    form.txtNewUrlStem = job.NewUrlStem;
    form.updBibLimit = job.BibLimit;
}

bool ValidateAndSaveJobSettings(const std::string& file, JobSettings& job, MainFormState& form, JobHost& host) {
    auto refuse = [&](const char* text) {
        host.ShowMessage(kDefaultMessageTitle, text);
        return false;
    };
    job.LimitByLocation = form.chkLimitByLocation;
    WriteIniValue(file, "General", "LimitByLocation", TrueFalse(job.LimitByLocation), 0);

    job.LimitingLocation.clear();
    if (form.cmbLocationIndex >= 0 && form.cmbLocationIndex < static_cast<int>(form.cmbLocation.size())) {
        const std::string& entry = form.cmbLocation[static_cast<std::size_t>(form.cmbLocationIndex)];
        const auto sep = entry.find("//");
        if (sep != std::string::npos) job.LimitingLocation = TrimBlanks(entry.substr(0, sep));
    }
    WriteIniValue(file, "General", "LimitingLocation", job.LimitingLocation, 0);
    if (job.LimitByLocation && job.LimitingLocation.empty()) {
        return refuse("If you want to limit by location, then you need to select a location");
    }

    job.MatchEnd = static_cast<std::int16_t>(form.optWorkingEnd == 0 ? 0 : 1);
    WriteIniValue(file, "UrlStem", "Old", job.OldUrlStem, 0);
    WriteIniValue(file, "UrlStem", "New", job.NewUrlStem, 0);
    WriteIniValue(file, "UrlStem", "BibLimit", std::to_string(job.BibLimit), 0);
    WriteIniValue(file, "UrlStem", "MatchEnd", std::to_string(job.MatchEnd), 0);

    if (form.chkThingToChange[0]) {
        job.UrlAction = static_cast<std::int16_t>(form.optUrlAction == 0 ? 1 : 2);
        if (job.NewUrlStem.empty()) {
            return refuse(job.UrlAction == 1
                              ? "You must supply the subfield $u stem to which the program should change matching URLs"
                              : "You must supply the subfield $u suffix the program should add");
        }
    } else {
        job.UrlAction = 0;
    }

    for (const SubfieldControls& c : SubfieldControlsOf(job, form)) {
        if (!form.chkThingToChange[static_cast<std::size_t>(c.box)]) {
            *c.action = 0;
        } else if (*c.option == 0) {
            *c.action = 3;
        } else {
            *c.action = 4;
            *c.newText = TrimBlanks(*c.text);
            if (c.newText->empty()) return refuse(c.missingText);
        }
    }
    job.DeleteField = static_cast<std::int16_t>(form.chkThingToChange[5] ? 3 : 0);

    if (job.UrlAction + job.ActionX + job.ActionY + job.ActionZ + job.Action3 + job.DeleteField == 0) {
        return refuse("You must select some kind of action for the program to perform.");
    }
    const std::string digits = std::to_string(job.UrlAction) + std::to_string(job.ActionX) +
                               std::to_string(job.ActionY) + std::to_string(job.ActionZ) + std::to_string(job.Action3) +
                               std::to_string(job.DeleteField);
    WriteIniValue(file, "UrlStem", "UrlActions", digits, 0);
    WriteIniValue(file, "UrlStem", "NewSubfieldX", job.NewSubfieldX, 0);
    WriteIniValue(file, "UrlStem", "NewSubfieldY", job.NewSubfieldY, 0);
    WriteIniValue(file, "UrlStem", "NewSubfieldZ", job.NewSubfieldZ, 0);
    WriteIniValue(file, "UrlStem", "NewSubfield3", job.NewSubfield3, 0);
    return true;
}

bool PrepareToPerform(const std::string& file, JobSettings& job, MainFormState& form, JobHost& host) {
    job.BibLimit = form.updBibLimit;
    job.ProductionRun = form.chkProductionRun;
    job.ListChangedRecords = form.chkListChangedRecords;
    job.OldUrlStem = TrimBlanks(form.txtOldUrlStem);
    if (job.OldUrlStem.empty()) {
        host.ShowMessage(kProgramTitle, "Please supply an 'old' URL stem");
        return false;
    }
    job.NewUrlStem = TrimBlanks(form.txtNewUrlStem);
    if (job.NewUrlStem.empty() && form.chkThingToChange[0] && form.optWorkingEnd == 0) {
        host.ShowMessage(kProgramTitle, "Please supply a 'new' URL stem");
        return false;
    }
    if (job.NewUrlStem == job.OldUrlStem && form.chkThingToChange[0]) {
        host.ShowMessage(kProgramTitle, "The 'old' and 'new' URL stems must be different");
        return false;
    }
    return ValidateAndSaveJobSettings(file, job, form, host);
}

void ActionBoxClicked(MainFormState& form, int /*index*/) {
    if (form.actionBoxGuard) return;
    form.actionBoxGuard = true;
    if (form.chkThingToChange[5]) {
        for (int i = 0; i < 5; ++i) form.chkThingToChange[static_cast<std::size_t>(i)] = false;
    } else if (!form.chkThingToChange[0] && !form.chkThingToChange[1] && !form.chkThingToChange[2] &&
               !form.chkThingToChange[3] && !form.chkThingToChange[4]) {
        form.chkThingToChange[0] = true;
    }
    form.actionBoxGuard = false;
}

void SetLocationEntries(MainFormState& form, std::vector<std::pair<std::string, std::string>> codeAndName,
                        const std::string& code) {
    // A code no location has, so that an empty code selects nothing in particular.
    const std::string wanted = code.empty() ? "****(*)??? " : code;
    form.cmbLocation.clear();
    form.cmbLocationIndex = -1;
    for (std::size_t i = 0; i < codeAndName.size(); ++i) {
        form.cmbLocation.push_back(codeAndName[i].first + " // " + codeAndName[i].second);
        if (codeAndName[i].first == wanted) form.cmbLocationIndex = static_cast<int>(i);
    }
    if (form.cmbLocationIndex < 0 && !form.cmbLocation.empty()) form.cmbLocationIndex = 0;
}

}  // namespace linkmend
