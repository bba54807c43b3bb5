#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/EntryPoints.h"

int main(int argc, char** argv) {
    using namespace linkmend;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CommandLineOptions options = ParseCommandLine(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "linkmend: %s\n\n%s", options.error.c_str(), UsageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("linkmend %s\n", LINKMEND_VERSION);
        return 0;
    }
    if (const std::string problem = SettingsFileError(options); !problem.empty()) {
        std::fprintf(stderr, "linkmend: %s\n", problem.c_str());
        return 2;
    }
    if (options.batch) return BatchMain(options);
    return WindowMain(argc, argv, options);
}
