#include "profile/ConnectionProfile.h"

#include <algorithm>

#include "base/INI.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "profile/Password.h"

namespace linkmend {
void LoadConnectionProfile(const std::string& settings, ConnectionProfile& p) {
    const std::string dflt = kDefaultConnectionFile;

    p.ReadUID = ReadIniValue(settings, "Read", "UID", 30);
    if (!p.ReadUID.empty()) {
        p.ReadPWD = UnscramblePassword(ReadIniValue(settings, "Read", "PWD", 80));
    } else {
        p.ReadUID = ReadIniValue(dflt, "Read", "UID", 30);
        p.ReadPWD = p.ReadUID.empty() ? std::string() : UnscramblePassword(ReadIniValue(dflt, "Read", "PWD", 80));
    }

    p.DSN = ReadIniValue(settings, "Connection", "DSN", 30);
    p.TableNamePrefix = ReadIniValue(settings, "Connection", "TNP", 30);
    p.VoyagerPath = ReadIniValue(settings, "Connection", "VoyagerPath", 260);
    if (p.DSN.empty()) {
        p.DSN = ReadIniValue(dflt, "Connection", "DSN", 30);
        p.TableNamePrefix = ReadIniValue(dflt, "Connection", "TNP", 30);
        p.VoyagerPath = ReadIniValue(dflt, "Connection", "VoyagerPath", 260);
    }

    std::string libraries = ReadIniValue(settings, "Miscellaneous", "OwningLibraryString", 260);
    if (libraries.empty()) libraries = ReadIniValue(dflt, "Miscellaneous", "OwningLibraryString", 260);
    p.OwningLibraryString = " " + libraries + " ";

    p.Happening = RoundToInt32(Val(ReadIniValue(settings, "Miscellaneous", "Happening", 30)));
    if (p.Happening == 0) p.Happening = RoundToInt32(Val(ReadIniValue(dflt, "Miscellaneous", "Happening", 30)));

    std::string booleans = ReadIniValue(settings, "Miscellaneous", "BooleansDefaultTrue", 20);
    if (booleans.empty()) {
        booleans = ReadIniValueOrDefault(dflt, "Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT", 20);
    }
    p.AllOwningLibraries = IsTrueText(booleans.substr(0, 1));

    p.FolderForReports = ReadIniValue(settings, "Folders", "FolderForReports", 260);
    if (p.FolderForReports.empty()) p.FolderForReports = ReadIniValue(dflt, "Folders", "FolderForReports", 260);
    p.ValidationPath = ReadIniValue(settings, "Folders", "ValidationPath", 255);

    std::string perBlock = ReadIniValue(settings, "Read", "RecordsPerBlock", 30);
    if (perBlock.empty()) perBlock = ReadIniValueOrDefault(dflt, "Read", "RecordsPerBlock", "200", 30);
    p.RecordsPerBlock = std::clamp(RoundToInt32(Val(perBlock)), 1, 5000);

    p.WriteUID = ReadIniValue(settings, "Write", "UID", 30);
    p.WritePWD = UnscramblePassword(ReadIniValue(settings, "Write", "PWD", 80));
    if (p.WriteUID.empty()) {
        p.WriteUID = ReadIniValue(dflt, "Write", "UID", 30);
        p.WritePWD = UnscramblePassword(ReadIniValue(dflt, "Write", "PWD", 80));
    }
}

void SaveConnectionProfile(const std::string& settings, const ConnectionProfile& p) {
    WriteIniValue(settings, "Read", "UID", p.ReadUID, 0);
    WriteIniValue(settings, "Read", "PWD", ScramblePassword(p.ReadPWD), 0);
    WriteIniValue(settings, "Connection", "DSN", p.DSN, 0);
    WriteIniValue(settings, "Connection", "TNP", p.TableNamePrefix, 0);
    WriteIniValue(settings, "Connection", "VoyagerPath", p.VoyagerPath, 0);
    WriteIniValue(settings, "Folders", "FolderForReports", p.FolderForReports, 0);
    WriteIniValue(settings, "Folders", "ValidationPath", p.ValidationPath, 0);
    WriteIniValue(settings, "Miscellaneous", "OwningLibraryString", TrimBlanks(p.OwningLibraryString), 0);
    WriteIniValue(settings, "Miscellaneous", "BooleansDefaultTrue", p.AllOwningLibraries ? "TTTTTTTTTT" : "FTTTTTTTTT",
                  0);
    WriteIniValue(settings, "Miscellaneous", "Happening", std::to_string(p.Happening), 0);
    WriteIniValue(settings, "Write", "UID", p.WriteUID, 0);
    WriteIniValue(settings, "Write", "PWD", ScramblePassword(p.WritePWD), 0);
}

bool ProfileHasOwningLibrary(const ConnectionProfile& profile, const std::string& libraryId) {
    return profile.OwningLibraryString.find(" " + libraryId + " ") != std::string::npos;
}

}  // namespace linkmend
