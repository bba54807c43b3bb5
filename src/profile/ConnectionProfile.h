#pragma once
// The connection profile: how to reach the Voyager database and how the cataloguer works in it. Loaded
// once at start-up from the settings file, with the machine-wide "TavDefaultConnection.ini" as
// fallback; written back only by the Options dialog (SaveConnectionProfile).
#include <cstdint>
#include <string>

namespace linkmend {

inline constexpr const char* kDefaultConnectionFile = "TavDefaultConnection.ini";

struct ConnectionProfile {
    std::string ReadUID;              // read-only database sign-on
    std::string ReadPWD;              // its password (plain in memory)
    std::string DSN;                  // ODBC data source name
    std::string TableNamePrefix;      // schema prefix of the Voyager tables
    std::string VoyagerPath;          // folder of Voyager.INI
    std::string OwningLibraryString;  // " 12 15 40 ": LIBRARY_IDs with a blank at each end
    std::int32_t Happening = 0;       // LOCATION_ID of the cataloguing location; 0 = none chosen
    bool AllOwningLibraries = false;  // every owning library may be changed
    std::string FolderForReports;
    std::string ValidationPath;  // folder of the field-order ".cfg" files
    std::string WriteUID;        // Voyager operator for write-back
    std::string WritePWD;
    // Work-list lines whose records are read together ([Read] RecordsPerBlock); 1: one at a time.
    std::int32_t RecordsPerBlock = 200;
};

// Fills the profile from the settings file, taking the groups Read (UID, PWD), Connection (DSN, TNP,
// VoyagerPath) and Write (UID, PWD) whole from the default file when their leading key is empty, and
// the single values OwningLibraryString, Happening, BooleansDefaultTrue, FolderForReports and
// RecordsPerBlock likewise (RecordsPerBlock 200 when neither file has it, at least 1, at most 5000).
void LoadConnectionProfile(const std::string& settingsFile, ConnectionProfile& profile);

// Writes the profile to the settings file (never to the default file), passwords scrambled afresh.
void SaveConnectionProfile(const std::string& settingsFile, const ConnectionProfile& profile);

// True when the owning library (its LIBRARY_ID text) is one of the profile's owning libraries.
bool ProfileHasOwningLibrary(const ConnectionProfile& profile, const std::string& libraryId);

}  // namespace linkmend
