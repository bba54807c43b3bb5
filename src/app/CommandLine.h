#pragma once
// Options of the linkmend command.
#include <string>
#include <vector>

namespace linkmend {

struct CommandLineOptions {
    bool batch = false;
    bool production = false;
    bool listChanged = false;
    bool help = false;
    bool version = false;
    std::string settingsFile = "Linkmend.INI";
    bool settingsFileGiven = false;  // named with -i
    std::string file, out;           // a run on a MARC file: IN and OUT
    bool utf8 = false;               // changed MARC-8 records of the file written in UTF-8
    std::string error;               // a usage error, empty when the options are fine
};

// The command line as one text, each argument after the program name preceded by a blank and quoted
// when it holds a blank, the way the settings-file option has always been read.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments);

// What is wrong with the settings file, as a usage error: one named with -i that does not exist,
// or any that is a folder, a device or larger than a settings file can be; "" when it will do.
std::string SettingsFileError(const CommandLineOptions& options);

std::string UsageText();

}  // namespace linkmend
