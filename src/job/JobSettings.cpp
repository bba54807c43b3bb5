#include "job/JobSettings.h"

#include <algorithm>

#include "base/INI.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "profile/ConnectionProfile.h"

namespace linkmend {
namespace {

const char* TrueFalse(bool b) { return b ? "True" : "False"; }

std::int16_t Digit(const std::string& actions, std::size_t position) {
    return position < actions.size() ? static_cast<std::int16_t>(RoundToInt32(Val(actions.substr(position, 1)))) : 0;
}

// A digit above the highest action (replace) becomes 0, for the URL action as for the subfields.
std::int16_t ActionOrZero(std::int16_t action) {
    return action >= 0 && action <= StoredValue(SubfieldAction::Replace) ? action : 0;
}

// The stored value of every action, in the order of the "UrlActions" digits.
std::array<std::int16_t, kActionDigitCount> ActionValues(const JobSettings& job) {
    std::array<std::int16_t, kActionDigitCount> values{};
    values[kUrlActionDigit] = StoredValue(job.UrlAction);
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        values[kSubfieldActions[row].digit] = StoredValue(job.Subfields[row].Action);
    }
    values[kDeleteFieldDigit] = StoredValue(job.DeleteField);
    return values;
}

// No action asked for (none of the stored values is negative).
bool AsksForNothing(const JobSettings& job) {
    const auto values = ActionValues(job);
    return std::all_of(values.begin(), values.end(), [](std::int16_t v) { return v == 0; });
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

    // The stems are taken whole: one the sized read would cut (at a NUL, past the field) reaches
    // Perform's checks as it is, rather than being run and saved cut.
    job.OldUrlStem = ReadIniValueWhole(file, "UrlStem", "Old");
    job.NewUrlStem = ReadIniValueWhole(file, "UrlStem", "New");
    job.BibLimit = RoundToInt32(Val(ReadIniValueOrDefault(file, "UrlStem", "BibLimit", "20000", 15)));
    const std::int32_t matchEnd = RoundToInt32(Val(ReadIniValueOrDefault(file, "UrlStem", "MatchEnd", "0", 15)));
    job.MatchEnd = matchEnd == StoredValue(MatchEnd::Right) ? MatchEnd::Right : MatchEnd::Left;
    form.optWorkingEnd = StoredValue(job.MatchEnd);

    const std::string actions = ReadIniValue(file, "UrlStem", "UrlActions", 50);
    if (!actions.empty()) {
        job.UrlAction = static_cast<UrlAction>(ActionOrZero(Digit(actions, kUrlActionDigit)));
        for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
            job.Subfields[row].Action =
                static_cast<SubfieldAction>(ActionOrZero(Digit(actions, kSubfieldActions[row].digit)));
        }
        job.DeleteField = Digit(actions, kDeleteFieldDigit) == StoredValue(FieldAction::Delete) ? FieldAction::Delete
                                                                                                : FieldAction::Keep;
    } else {
        // The older single-action key: empty means change the stem, "1" add the suffix.
        const std::string older = ReadIniValue(file, "UrlStem", "UrlAction", 15);
        if (older.empty()) {
            job.UrlAction = UrlAction::ChangeStem;
            for (SubfieldChange& change : job.Subfields) change.Action = SubfieldAction::None;
            job.DeleteField = FieldAction::Keep;
        } else {
            job.UrlAction = older == "1" ? UrlAction::AddSuffix : UrlAction::ChangeStem;
        }
    }
    if (AsksForNothing(job)) job.UrlAction = UrlAction::ChangeStem;

    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        form.txtSubfield[row] = ReadIniValue(file, "UrlStem", kSubfieldActions[row].textKey, 3000);
    }

    // An action value no option stands for leaves the URL option as it is.
    if (job.UrlAction == UrlAction::Leave) {
        form.optUrlAction = 0;
    } else if (job.UrlAction == UrlAction::ChangeStem) {
        form.optUrlAction = 0;
        form.chkThingToChange[kUrlBox] = true;
    } else if (job.UrlAction == UrlAction::AddSuffix) {
        form.optUrlAction = 1;
        form.chkThingToChange[kUrlBox] = true;
    }
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        const SubfieldAction action = job.Subfields[row].Action;
        form.optSubfield[row] = action == SubfieldAction::Replace ? 1 : 0;
        if (action == SubfieldAction::Delete || action == SubfieldAction::Replace) {
            form.chkThingToChange[SubfieldBox(row)] = true;
        }
    }
    form.chkThingToChange[kDeleteFieldBox] = job.DeleteField == FieldAction::Delete;
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

    job.MatchEnd = form.optWorkingEnd == 0 ? MatchEnd::Left : MatchEnd::Right;
    WriteIniValue(file, "UrlStem", "Old", job.OldUrlStem, 0);
    WriteIniValue(file, "UrlStem", "New", job.NewUrlStem, 0);
    WriteIniValue(file, "UrlStem", "BibLimit", std::to_string(job.BibLimit), 0);
    WriteIniValue(file, "UrlStem", "MatchEnd", std::to_string(StoredValue(job.MatchEnd)), 0);

    if (form.chkThingToChange[kUrlBox]) {
        job.UrlAction = form.optUrlAction == 0 ? UrlAction::ChangeStem : UrlAction::AddSuffix;
        if (job.NewUrlStem.empty()) {
            return refuse(job.UrlAction == UrlAction::ChangeStem
                              ? "You must supply the subfield $u stem to which the program should change matching URLs"
                              : "You must supply the subfield $u suffix the program should add");
        }
    } else {
        job.UrlAction = UrlAction::Leave;
    }

    // A new text is taken only for the replace option: the others keep what they held.
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        SubfieldChange& change = job.Subfields[row];
        if (!form.chkThingToChange[SubfieldBox(row)]) {
            change.Action = SubfieldAction::None;
        } else if (form.optSubfield[row] == 0) {
            change.Action = SubfieldAction::Delete;
        } else {
            change.Action = SubfieldAction::Replace;
            change.NewText = TrimBlanks(form.txtSubfield[row]);
            if (change.NewText.empty()) return refuse(kSubfieldActions[row].missingText);
        }
    }
    job.DeleteField = form.chkThingToChange[kDeleteFieldBox] ? FieldAction::Delete : FieldAction::Keep;

    if (AsksForNothing(job)) return refuse("You must select some kind of action for the program to perform.");
    std::string digits;
    for (std::int16_t value : ActionValues(job)) digits += std::to_string(value);
    WriteIniValue(file, "UrlStem", "UrlActions", digits, 0);
    for (std::size_t row : kSubfieldRowsByDigit) {
        WriteIniValue(file, "UrlStem", kSubfieldActions[row].textKey, job.Subfields[row].NewText, 0);
    }
    return true;
}

bool PrepareToPerform(const std::string& file, JobSettings& job, MainFormState& form, JobHost& host) {
    auto refuse = [&](const std::string& text) {
        host.ShowMessage(kProgramTitle, text);
        return false;
    };
    job.BibLimit = form.updBibLimit;
    job.ProductionRun = form.chkProductionRun;
    job.ListChangedRecords = form.chkListChangedRecords;
    job.OldUrlStem = TrimBlanks(form.txtOldUrlStem);
    if (job.OldUrlStem.empty()) return refuse("Please supply an 'old' URL stem");
    job.NewUrlStem = TrimBlanks(form.txtNewUrlStem);
    if (job.NewUrlStem.empty() && form.chkThingToChange[kUrlBox] && form.optWorkingEnd == 0) {
        return refuse("Please supply a 'new' URL stem");
    }
    if (job.NewUrlStem == job.OldUrlStem && form.chkThingToChange[kUrlBox]) {
        return refuse("The 'old' and 'new' URL stems must be different");
    }
    // What the settings file would not give back as it is: saved, it would be run cut.
    for (const auto& [stem, name] : {std::pair{&job.OldUrlStem, "'old'"}, std::pair{&job.NewUrlStem, "'new'"}}) {
        if (stem->find('\0') != std::string::npos) {
            return refuse(std::string("The ") + name + " URL stem must not contain a NUL character");
        }
        if (stem->size() > kStemMostOctets) {
            return refuse(std::string("The ") + name + " URL stem must not be longer than " +
                          std::to_string(kStemMostOctets) + " octets");
        }
    }
    return ValidateAndSaveJobSettings(file, job, form, host);
}

bool ProfileReadyForRun(const ConnectionProfile& p, bool production, JobHost& host) {
    // Without these the reader cannot sign on, and a run would end on an "error in SQL" that is none.
    const std::pair<const std::string*, const char*> required[] = {
        {&p.DSN, "You must supply a Data Set Name."},
        {&p.TableNamePrefix, "You must supply a table name prefix."},
        {&p.ReadUID, "You must supply a read-only signon."},
        {&p.ReadPWD, "You must supply a read-only password."},
        // Not the current folder: the reports would land wherever the program was started.
        {&p.FolderForReports, "You must supply a folder for the reports."},
    };
    for (const auto& [value, message] : required) {
        if (TrimBlanks(*value).empty()) {
            host.ShowMessage(kDefaultMessageTitle, message);
            return false;
        }
    }
    // The component refuses every record without a cataloguing location of the operator's; a text
    // that is no number reads as none.
    if (production && p.Happening < 1) {
        host.ShowMessage(kDefaultMessageTitle, "You must supply a happening location (a LOCATION_ID number).");
        return false;
    }
    return true;
}

void ActionBoxClicked(MainFormState& form, int /*index*/) {
    if (form.actionBoxGuard) return;
    form.actionBoxGuard = true;
    auto& boxes = form.chkThingToChange;
    if (boxes[kDeleteFieldBox]) {
        for (std::size_t box = 0; box < kActionBoxCount; ++box) boxes[box] = box == kDeleteFieldBox;
    } else if (std::none_of(boxes.begin(), boxes.end(), [](bool checked) { return checked; })) {
        boxes[kUrlBox] = true;
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
