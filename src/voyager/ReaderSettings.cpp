// Construction, the settings file "VGERREAD.INI" and the debug trace file.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/DateTime.h"
#include "base/INI.h"
#include "marc/Utf8MarcRecordClass.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

constexpr const char* kSettingsFile = "VGERREAD.INI";

// Where the debug trace goes unless the settings name a file: the system's temporary folder.
std::string DefaultDebuggingFile() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) dir = "/tmp";
    return (dir / "VrDebug.txt").string();
}

std::string TraceStamp() {
    const DateTimeParts p = DateTime::Now().Parts();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
    const auto ticks =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    return std::string(buf) + " " + std::to_string(ticks);
}

}  // namespace

VgerReaderClass7::VgerReaderClass7() {
    uID("NONE");
    PWD("NONE");
    DSN("NONE");
    // A fresh engine: it holds no connection data until the application sets it. The reader only
    // reads: its session is read-only whatever the account could do.
    engine_ = std::make_unique<VgerReaderDllClass6>();
    engine_->ForReading(true);
    BuildTableNames();
    vgerMajorVersion_ = 2000;
    settingsAreAutomatic_ = true;
    bibHeadingIsTruncated_ = true;
    itemBarcodeIsNumeric_ = true;
    debuggingFile_ = DefaultDebuggingFile();

    const std::string automatic = ReadIniValueOrDefault(kSettingsFile, "General", "SettingsAreAutomatic", "TRUE", 500);
    if (automatic.substr(0, 5) == "FALSE") settingsAreAutomatic_ = false;
    else ReadSettingsFile(false);

    const std::string debugging = ReadIniValueOrDefault(kSettingsFile, "General", "DebuggingOn", "FALSE", 500);
    debuggingOn_ = Record().IsTrue(debugging);
    if (debuggingOn_) {
        debuggingFile_ = ReadIniValueOrDefault(kSettingsFile, "General", "DebuggingFile", debuggingFile_, 500);
        StartDebugTrace();
    }
    Record().NormalizationScheme("V");
}

void VgerReaderClass7::StartDebugTrace() {
    debugTrace_.open(debuggingFile_, std::ios::binary | std::ios::trunc);
    const std::string stars(36, '*');
    debugTrace_ << stars << "\nVgerReader initialized at " << TraceStamp() << "\n" << stars << "\n\n";
    debugTrace_.flush();
}

void VgerReaderClass7::Trace(const std::string& line) {
    if (!debuggingOn_ || !debugTrace_.is_open()) return;
    debugTrace_ << line << '\n';
    debugTrace_.flush();
}

void VgerReaderClass7::ReadSettings() { ReadSettingsFile(true); }

void VgerReaderClass7::ReadSettingsFile(bool explicitRequest) {
    if (ReadIniValue(kSettingsFile, "General", "Version", 30).empty()) return;
    Utf8MarcRecordClass& record = Record();
    if (!record.IsTrue(ReadIniValueOrDefault(kSettingsFile, "General", "SettingsAreAutomatic", "FALSE", 500))) {
        settingsAreAutomatic_ = false;
        if (explicitRequest) return;
    } else {
        settingsAreAutomatic_ = true;
    }
    const std::string numeric = ReadIniValueOrDefault(kSettingsFile, "General", "ItemBarcodeIsNumeric", "TRUE", 10);
    if (!record.IsTrue(numeric.substr(0, 4))) itemBarcodeIsNumeric_ = false;
    const std::string atTop = ReadIniValueOrDefault(kSettingsFile, "General", "ItemSequenceNewItemsAtTop", "TRUE", 10);
    itemSequenceNewItemsAtTop_ = record.IsTrue(atTop.substr(0, 4));

    DSN(ReadIniValue(kSettingsFile, "Login", "DSN", 500));
    uID(ReadIniValue(kSettingsFile, "Login", "UID", 500));
    PWD(ReadIniValue(kSettingsFile, "Login", "PWD", 500));
    // The key read carries a dollar sign; the one written does not, so a written prefix is not
    // read back (sites keep the read key by hand).
    const std::string prefix = ReadIniValue(kSettingsFile, "Tables", "TableNamePrefix$", 500);
    if (!prefix.empty()) TableNamePrefix(prefix);
}

void VgerReaderClass7::WriteSettings() {
    auto flag = [](bool v) { return std::string(v ? "TRUE" : "FALSE"); };
    WriteIniValue(kSettingsFile, "General", "SettingsAreAutomatic", flag(settingsAreAutomatic_), 0);
    WriteIniValue(kSettingsFile, "General", "Version", Version(), 0);
    WriteIniValue(kSettingsFile, "Login", "DSN", dsn_, 0);
    WriteIniValue(kSettingsFile, "Login", "UID", uid_, 0);
    WriteIniValue(kSettingsFile, "Login", "PWD", pwd_, 0);
    WriteIniValue(kSettingsFile, "General", "ItemSequenceNewItemsAtTop", flag(itemSequenceNewItemsAtTop_), 0);
    WriteIniValue(kSettingsFile, "General", "ItemBarcodeIsNumeric", flag(itemBarcodeIsNumeric_), 0);
    WriteIniValue(kSettingsFile, "Tables", "TableNamePrefix", tableNamePrefix_, 0);
}

}  // namespace linkmend
