#pragma once
// Readers of what a run leaves in its report folder ("LINKMEND." + stamp + suffix), independent of
// the code that writes it.
#include <string>
#include <vector>

namespace linkmend::test {

// The content of the file whose name ends in the suffix (".Report.txt"); "" when there is none.
std::string RunFile(const std::string& folder, const std::string& suffix);

// The run log (".Debug.txt"): the values of the keys 1, 2, 3, ... of its "[Report]" section, in
// order, as written; empty when there is no run log.
std::vector<std::string> RunLogEntries(const std::string& folder);

// The report with the times of its "* Run started:" and "* Run ended:" lines written "TIME".
std::string ReportWithoutTimes(const std::string& report);

}  // namespace linkmend::test
