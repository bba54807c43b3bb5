#pragma once
// Driver messages as one line of text, for run logs and reports (no ODBC types here).
#include <string>
#include <string_view>

namespace linkmend::odbc {

// Folds line breaks and tabs into single blanks and trims blanks at both ends.
std::string CleanDiagnosticText(std::string_view text);

}  // namespace linkmend::odbc
