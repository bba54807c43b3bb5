#include "kit/RunFiles.h"

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "kit/Files.h"

namespace linkmend::test {

std::string RunFile(const std::string& folder, const std::string& suffix) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.ends_with(suffix)) return ReadFile(entry.path().string());
    }
    return "";
}

std::vector<std::string> RunLogEntries(const std::string& folder) {
    std::istringstream in(RunFile(folder, ".Debug.txt"));
    std::map<int, std::string> entries;
    bool inReport = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("[")) inReport = line == "[Report]";
        const auto eq = line.find('=');
        if (inReport && eq != std::string::npos && eq > 0 && line.find_first_not_of("0123456789") == eq)
            entries.emplace(std::stoi(line.substr(0, eq)), line.substr(eq + 1));
    }
    std::vector<std::string> values;
    for (int n = 1; entries.count(n); ++n) values.push_back(entries[n]);
    return values;
}

std::string ReportWithoutTimes(const std::string& report) {
    static const std::regex times("\\* Run (started|ended):( +)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    return std::regex_replace(report, times, "* Run $1:$2TIME");
}

}  // namespace linkmend::test
