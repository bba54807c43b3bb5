#pragma once
// What a run leaves in the report folder and keeps for its report: the files, each named
// "LINKMEND." + stamp + its suffix, the counters and the lists of records.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "job/OriginalsFile.h"
#include "job/RunFiles.h"
#include "job/Screening.h"

namespace linkmend {

// The run's files. A new one is a name here and its suffix below; list files are created at their
// first line and closed at the end.
enum class ReportFile : std::size_t {
    RunLog,           // "[Report]" with the steps, when "General"/"Debug" is on
    Report,           // the report, created at run start and written at the end
    BibsWithNoUrls,   // ids of records left without 856 fields
    RecordsModified,  // test run: each changed record as display text
    ChangedRecords,   // production run, when asked: type TAB id of each record written back
    UpdateProblems,   // the bibliographic records the sink refused, as MARC
    Originals,        // production: each record written back, as it was stored (OriginalsFile.h)
    OriginalsList,    // production: type, id and date of each of them
    Changes,          // the change report (ChangeReport.h), every run
    Count
};
inline constexpr std::array<const char*, static_cast<std::size_t>(ReportFile::Count)> kReportFileSuffixes = {
    ".Debug.txt",          ".Report.txt",    ".BibsWithNoURLs.txt", ".RecordsModified.txt", ".ChangedRecords.txt",
    ".UpdateProblems.mrc", ".Originals.mrc", ".Originals.txt",      ".Changes.csv"};

// The counters the report prints.
struct RunCounters {
    std::int32_t read = 0, empty = 0, notAllowed = 0, notInLocation = 0, excludedByLibrary = 0, damaged = 0;
    std::int32_t needing = 0, updated = 0, tooLong = 0, couldNotUpdate = 0;
    std::int32_t alreadyAsSaved = 0;  // a restore's records that are as their originals
    std::int32_t changeRows = 0;      // rows of the change report
};

// The report's head: the run's times, kind, stems and connection.
struct ReportHeader {
    std::string started, ended;
    bool production = false;
    std::string oldStem, newStem;
    std::string dataSource, tableNamePrefix, readUid, writeUid;
    std::vector<std::string> origin;  // where the records came from, when not the database
    std::string restoredFrom;         // a restore's originals file; empty for a run
};

class RunReports {
public:
    // Names the files after the run's start in `folder`; a production run's lists are synced to
    // the disk line by line.
    void Begin(const std::string& folder, const DateTime& start, bool production);
    // True when a file of another run started in the same second is in the folder: its names would
    // be this run's.
    static bool StampTaken(const std::string& folder, const DateTime& start);
    // For a run whose changes reach their place only at its end (a whole file put in place then):
    // its files are written in blocks, complete once closed. Before the first file is created.
    void HoldLines() { holdLines_ = true; }
    // Hands the held lines to the system, before the sink puts its records in place: a folder that
    // cannot take them stops the run then, as a line that failed at once would have.
    void HandOverHeldLines();
    std::string Path(ReportFile file) const;
    // Creates the run log when `on`, else every entry is dropped.
    void OpenLog(bool on);
    RunLog& Log() { return log_; }
    // Creates the report now, so that an unusable folder stops the run before it does anything.
    void CreateReport();
    // Creates the change report with its header row and, for a production run, the originals files.
    void CreateChangeFiles(bool production);
    // Keeps each record's original around its write-back (production).
    OriginalsWriter& Originals() { return originals_; }
    // Adds a line to a list file, creating the file at its first line.
    void AddLine(ReportFile file, const std::string& text);
    void Close(ReportFile file);

    const RunCounters& Counts() const { return counts_; }
    void Read() { ++counts_.read; }
    // A refusal of screening, counted, listed ("type id", a damaged record with its reason) and
    // logged as the report shows it.
    void Screened(Verdict verdict, const std::string& entry);
    // A changed record: test run, its display text; production, written back (listed when asked) or
    // refused (listed with its reason; a bibliographic record's octets are kept for the problems file).
    void WouldUpdate(const std::string& displayText);
    void Updated(const std::string& line, bool listChanged);
    void NotUpdated(const std::string& entry, const std::string& octetsToKeep);
    // A changed record the exchange format cannot hold: neither written nor listed as changed.
    void TooLong(const std::string& entry);
    // A record the source found damaged and handed out to no one, listed with the damaged ones.
    void Damaged(const std::string& entry);
    // A restore's record already as its original: nothing to write.
    void AlreadyAsSaved() { ++counts_.alreadyAsSaved; }
    // The change report's rows for a record written back (or that would be).
    void AddChanges(const std::vector<std::string>& rows);

    // Printed after the counters: why the run stopped early, and what failed.
    std::string stopReason, sqlErrorText, signOnFailureText;

    // Writes the report; `reportPath` is set once it is complete on the disk.
    void WriteReport(const ReportHeader& header, std::string& reportPath);
    // Writes the problems file when records were kept, closes the other files and the run log.
    void Finish();
    // After a failed write: closes every file without a word; a report not yet complete is removed.
    void Abandon();

private:
    TextFile& File(ReportFile file) { return files_[static_cast<std::size_t>(file)]; }
    Flushing FlushingOf(ReportFile file) const;

    std::string front_;  // folder + "LINKMEND." + stamp
    bool production_ = false;
    bool holdLines_ = false;
    enum class ReportState : std::uint8_t { None, Created, Complete } report_ = ReportState::None;
    RunLog log_;  // writes through its own file
    std::array<TextFile, static_cast<std::size_t>(ReportFile::Count)> files_;
    RunCounters counts_;
    std::string emptyList_, notAllowedList_, notInLocationList_, damagedList_, tooLongList_, couldNotList_;
    std::string problemRecords_;
    OriginalsWriter originals_;
};

}  // namespace linkmend
