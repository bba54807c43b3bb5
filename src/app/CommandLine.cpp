#include "app/CommandLine.h"

#include <unistd.h>

#include "base/INI.h"
#include "job/JobSettings.h"

namespace linkmend {

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& a : arguments) {
        line += ' ';
        line += a.find(' ') != std::string::npos ? "\"" + a + "\"" : a;
    }
    return line;
}

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLineOptions o;
    // The settings file is read from the command line as one text; file names given to the other
    // options are left out of it, so that a name holding " -i" is not taken for that option.
    std::vector<std::string> settingsPart;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--file" || a == "--out") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                o.error = a + " needs the name of a MARC file";
                return o;
            }
            (a == "--file" ? o.file : o.out) = arguments[++i];
            continue;
        }
        settingsPart.push_back(a);
        if (a == "--utf8") {
            o.utf8 = true;
        } else if (a == "--batch") {
            o.batch = true;
        } else if (a == "--production") {
            o.production = true;
        } else if (a == "--list-changed") {
            o.listChanged = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "-i") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                o.error = "-i needs the name of a settings file";
                return o;
            }
            settingsPart.push_back(arguments[++i]);
            o.settingsFileGiven = true;
        } else {
            o.error = "unknown option: " + a;
            return o;
        }
    }
    if ((!o.file.empty() || !o.out.empty() || o.utf8) && (!o.batch || o.file.empty() || o.out.empty())) {
        o.error = "a run on a MARC file needs --batch, --file and --out";
        return o;
    }
    o.settingsFile = SettingsFileFromCommandLine(JoinCommandLine(settingsPart));
    return o;
}

std::string SettingsFileError(const CommandLineOptions& options) {
    const std::string path = ResolveIniPath(options.settingsFile);
    std::string problem = IniFileProblem(options.settingsFile);
    // Only a file named on purpose must exist: the default one is made by the first save.
    if (problem.empty() && options.settingsFileGiven && access(path.c_str(), F_OK) != 0) problem = "does not exist";
    return problem.empty() ? std::string() : "the settings file " + path + " " + problem;
}

std::string UsageText() {
    return "Usage: linkmend [-i SETTINGS-FILE]\n"
           "       linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]\n"
           "       linkmend --batch --file IN --out OUT [--utf8] [-i SETTINGS-FILE] [--production]\n"
           "\n"
           "Changes the 856 links of catalogue records as the settings file describes.\n"
           "Without --batch the main window opens (needs a display).\n"
           "\n"
           "  -i FILE         settings file (default Linkmend.INI in the profile folder)\n"
           "  --batch         run the job without a window, as Perform would\n"
           "  --production    a production run (write records back); default: test run\n"
           "  --list-changed  in a production run, list the changed records in a file\n"
           "  --file IN       take the records from the MARC file IN (ISO 2709 or MARCXML)\n"
           "  --out OUT       a production run writes every record of IN to OUT, changed or not\n"
           "  --utf8          write changed MARC-8 records of IN in UTF-8 (default: MARC-8)\n"
           "  --help          this text\n"
           "  --version       the program's version\n"
           "\n"
           "Exit status: 0 done (work list finished or bib limit reached); 1 a settings check\n"
           "stopped the run; 2 usage error; 3 SQL error or failed sign-on (report written);\n"
           "4 cancelled (report written); 5 countdown cancelled (no report); 6 a report file\n"
           "could not be created, or the MARC file could not be read or OUT written.\n";
}

}  // namespace linkmend
