#pragma once
// The subfield actions a job can ask for on each matching 856 ($x, $y, $3, $z), listed once: the
// settings file, the checks before a run, the main window and the rewriting all go by this table.
// A new subfield action is one row here plus its rule in the rewriting.
#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>

namespace linkmend {

struct SubfieldActionRow {
    char code;                // the subfield code
    std::size_t digit;        // its position (from 0) in the "UrlActions" value of the settings file
    const char* textKey;      // "UrlStem" key of the new text
    const char* boxCaption;   // the window's check box; "&" marks its accelerator key
    const char* missingText;  // the refusal when the replace option has no new text
};

// In the window's order, which is also the order the settings are checked in. The settings digits,
// and the rewriting that follows them, put $z before $3: settings files already written hold them so,
// and the window shows $3 before $z.
inline constexpr auto kSubfieldActions = std::to_array<SubfieldActionRow>({
    {'x', 1, "NewSubfieldX", "Change the non-pu&blic note (subfield $x)",
     "You must supply the new text for subfield $x"},
    {'y', 2, "NewSubfieldY", "Change the link &text (subfield $y)", "You must supply the new text for subfield $y"},
    {'3', 4, "NewSubfield3", "Change the &materials specified note (subfield $3)",
     "You must supply the new text for subfield $3"},
    {'z', 3, "NewSubfieldZ", "Change the public note (subfield $&z)", "You must supply the new text for subfield $z"},
});
inline constexpr std::size_t kSubfieldActionCount = kSubfieldActions.size();

// The other two digits of "UrlActions": the URL action first, deleting the whole field sixth. A further
// action takes a digit after these, so that files already written keep their meaning.
inline constexpr std::size_t kUrlActionDigit = 0;
inline constexpr std::size_t kDeleteFieldDigit = 5;
inline constexpr std::size_t kActionDigitCount = kSubfieldActionCount + 2;

// The window's action boxes (chkThingToChange): the URL first, one per row in table order, then
// deleting the field.
inline constexpr std::size_t kUrlBox = 0;
constexpr std::size_t SubfieldBox(std::size_t row) { return kUrlBox + 1 + row; }
inline constexpr std::size_t kDeleteFieldBox = SubfieldBox(kSubfieldActionCount);
inline constexpr std::size_t kActionBoxCount = kDeleteFieldBox + 1;

// The row of a subfield code; a code without one throws (and does not compile where a constant is needed).
constexpr std::size_t SubfieldRow(char code) {
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        if (kSubfieldActions[row].code == code) return row;
    }
    throw std::out_of_range("no subfield action for this code");
}

// The rows in the order of their digits: how the new texts are written and the actions applied.
inline constexpr std::array<std::size_t, kSubfieldActionCount> kSubfieldRowsByDigit = [] {
    std::array<std::size_t, kSubfieldActionCount> rows{};
    for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = row;
    std::sort(rows.begin(), rows.end(),
              [](std::size_t a, std::size_t b) { return kSubfieldActions[a].digit < kSubfieldActions[b].digit; });
    return rows;
}();

static_assert(
    [] {
        std::array<bool, kActionDigitCount> used{};
        used[kUrlActionDigit] = used[kDeleteFieldDigit] = true;
        for (const SubfieldActionRow& row : kSubfieldActions) {
            if (row.digit >= kActionDigitCount || used[row.digit]) return false;
            used[row.digit] = true;
        }
        return true;
    }(),
    "every action needs a digit of its own in \"UrlActions\"");

}  // namespace linkmend
