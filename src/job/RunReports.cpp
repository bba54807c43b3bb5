#include "job/RunReports.h"

#include <filesystem>

#include "base/Text.h"
#include "job/ChangeReport.h"
#include "job/JobSettings.h"

namespace linkmend {

void RunReports::Begin(const std::string& folder, const DateTime& start, bool production) {
    front_ = WithFolderSeparator(folder) + "LINKMEND." + start.FileStamp();
    production_ = production;
    holdLines_ = false;
}

Flushing RunReports::FlushingOf(ReportFile file) const {
    // The change report is for reading (the originals file is what a stopped run can be undone
    // from): it goes to the system in blocks.
    if (holdLines_ || file == ReportFile::Changes) return Flushing::AtClose;
    // The lists of what a production run did to the database outlast a crash of the machine; the
    // originals file syncs what it must itself.
    const bool durable = production_ && (file == ReportFile::BibsWithNoUrls || file == ReportFile::ChangedRecords);
    return durable ? Flushing::EachLineToDisk : Flushing::EachLine;
}

bool RunReports::StampTaken(const std::string& folder, const DateTime& start) {
    const std::string front = WithFolderSeparator(folder) + "LINKMEND." + start.FileStamp();
    std::error_code ignored;
    for (const char* suffix : kReportFileSuffixes)
        if (std::filesystem::exists(front + suffix, ignored)) return true;
    return false;
}

std::string RunReports::Path(ReportFile file) const {
    return front_ + kReportFileSuffixes[static_cast<std::size_t>(file)];
}

void RunReports::OpenLog(bool on) { log_.Open(Path(ReportFile::RunLog), on); }

void RunReports::CreateReport() {
    File(ReportFile::Report).Create(Path(ReportFile::Report), FlushingOf(ReportFile::Report));
    report_ = ReportState::Created;
}

void RunReports::CreateChangeFiles(bool production) {
    AddLine(ReportFile::Changes, kChangeReportHeader);
    if (!production) return;
    for (ReportFile file : {ReportFile::Originals, ReportFile::OriginalsList})
        File(file).Create(Path(file), FlushingOf(file));
    originals_.Open(File(ReportFile::Originals), File(ReportFile::OriginalsList));
}

void RunReports::AddChanges(const std::vector<std::string>& rows) {
    for (const std::string& row : rows) AddLine(ReportFile::Changes, row);
    counts_.changeRows += static_cast<std::int32_t>(rows.size());
}

void RunReports::AddLine(ReportFile file, const std::string& text) {
    TextFile& f = File(file);
    if (!f.IsOpen()) f.Create(Path(file), FlushingOf(file));
    f.WriteLine(text);
}

void RunReports::Close(ReportFile file) { File(file).Close(); }

void RunReports::HandOverHeldLines() {
    if (!holdLines_) return;
    for (TextFile& file : files_) file.HandOver();
}

void RunReports::Screened(Verdict verdict, const std::string& entry) {
    switch (verdict) {
        case Verdict::NotAllowed:
            AppendListLine(notAllowedList_, entry);
            ++counts_.notAllowed;
            break;
        case Verdict::WrongOwningLibrary:
            ++counts_.excludedByLibrary;
            log_.LogLine("Rejected: wrong owning library");
            break;
        case Verdict::LocationNotAllowed:
            AppendListLine(notInLocationList_, entry);
            ++counts_.notInLocation;
            log_.LogLine("Rejected: location not allowed for this operator");
            break;
        case Verdict::Empty:
            AppendListLine(emptyList_, entry);
            ++counts_.empty;
            break;
        case Verdict::Damaged:
            AppendListLine(damagedList_, entry);
            ++counts_.damaged;
            log_.LogLine("Rejected: record damaged as stored");
            break;
        case Verdict::Item: log_.LogLine("Record NOT changed"); break;
        case Verdict::Passed:
        case Verdict::OtherType: break;
    }
}

void RunReports::WouldUpdate(const std::string& displayText) {
    ++counts_.updated;
    ++counts_.needing;
    AddLine(ReportFile::RecordsModified, displayText);
    AddLine(ReportFile::RecordsModified, "");
}

void RunReports::Updated(const std::string& line, bool listChanged) {
    ++counts_.updated;
    ++counts_.needing;
    if (listChanged) AddLine(ReportFile::ChangedRecords, line);
}

void RunReports::NotUpdated(const std::string& entry, const std::string& octetsToKeep) {
    AppendListLine(couldNotList_, entry);
    problemRecords_ += octetsToKeep;
    ++counts_.couldNotUpdate;
}

void RunReports::TooLong(const std::string& entry) {
    AppendListLine(tooLongList_, entry);
    ++counts_.tooLong;
    log_.LogLine("Rejected: record too long after the change");
}

void RunReports::Damaged(const std::string& entry) { Screened(Verdict::Damaged, entry); }

void RunReports::WriteReport(const ReportHeader& h, std::string& reportPath) {
    const std::string stars(38, '*');
    TextFile& r = File(ReportFile::Report);
    if (!r.IsOpen()) CreateReport();
    r.WriteLine(stars);
    r.WriteLine("*");
    r.WriteLine(std::string("* ") + kProgramTitle);
    r.WriteLine("*");
    r.WriteLine("* Run started: " + h.started);
    r.WriteLine("* Run ended:   " + h.ended);
    r.WriteLine("*");
    r.WriteLine(stars);
    r.WriteLine("");
    const bool restore = !h.restoredFrom.empty();
    r.WriteLine(std::string(restore ? "Restore" : "Run") + " performed as " + (h.production ? "production" : "test"));
    r.WriteLine("");
    if (!stopReason.empty()) {
        r.WriteLine(stopReason);
        r.WriteLine("");
    }
    if (restore) {
        r.WriteLine("Originals file: " + h.restoredFrom);
    } else {
        r.WriteLine("Old stem: " + h.oldStem);
        r.WriteLine("New stem: " + h.newStem);
    }
    r.WriteLine("");
    if (h.origin.empty()) {
        r.WriteLine("Voyager connection information:");
        r.WriteLine("Data source:       \t" + h.dataSource);
        r.WriteLine("Table name prefix: \t" + h.tableNamePrefix);
        r.WriteLine("Read-only UID:     \t" + h.readUid);
        r.WriteLine("Voyager UID:       \t" + h.writeUid);
    } else {
        for (const std::string& line : h.origin) r.WriteLine(line);
    }
    r.WriteLine("");
    const RunCounters& c = counts_;
    WriteCountLine(r, c.read, "records read", true);
    WriteCountLine(r, c.empty, "records recalled but empty (listed below)", false);
    WriteCountLine(r, c.notAllowed, "operator not allowed to update (listed below)", false);
    WriteCountLine(r, c.notInLocation, "operator not allowed to update this location (listed below)", false);
    WriteCountLine(r, c.excludedByLibrary, "records excluded by owning library", false);
    const char* const updated = restore ? (h.production ? "records restored" : "records would have been restored")
                                        : (h.production ? "records updated" : "records would have been updated");
    WriteCountLine(r, c.damaged, "records damaged as stored, left unchanged (listed below)", false);
    WriteCountLine(r, c.alreadyAsSaved, "records already as their originals (nothing to restore)", false);
    WriteCountLine(r, c.needing,
                   restore ? "records differing from their originals" : "records needing the requested change", false);
    WriteCountLine(r, c.updated, updated, false);
    WriteCountLine(r, c.tooLong, "records too long after the change, left unchanged (listed below)", false);
    WriteCountLine(r, c.couldNotUpdate,
                   restore ? "could not be restored due to Voyager errors (listed below)"
                           : "could not be updated due to Voyager errors (listed below)",
                   false);
    WriteCountLine(r, c.changeRows, "rows in the change report", false);
    r.WriteLine("");
    if (File(ReportFile::BibsWithNoUrls).IsOpen()) {
        r.WriteLine("SEE SEPARATE FILE of bib records with no URLs");
        r.WriteLine("");
    }
    for (const std::string* text : {&sqlErrorText, &signOnFailureText}) {
        if (!text->empty()) {
            r.WriteLine(*text);
            r.WriteLine("");
        }
    }
    auto list = [&](const std::string& heading, const std::string& entries) {
        if (entries.empty()) return;
        r.WriteLine(heading);
        r.WriteLine(entries);
        r.WriteLine("");
    };
    list("These records came up 'empty' when retrieved", emptyList_);
    list("These records couldn't be updated; operator not allowed", notAllowedList_);
    list("These records couldn't be updated; operator not allowed in this location", notInLocationList_);
    list("These records were left unchanged because they are damaged as stored", damagedList_);
    list("These records were left unchanged because the change would make them too long", tooLongList_);
    const std::string refused = std::string("These records couldn't be ") + (restore ? "restored" : "updated") +
                                " because of a Voyager problem";
    list(problemRecords_.empty() ? refused : refused + " (records saved to a file)", couldNotList_);
    r.Close();
    report_ = ReportState::Complete;
    reportPath = r.Path();
}

void RunReports::Finish() {
    if (!problemRecords_.empty()) {
        TextFile& problems = File(ReportFile::UpdateProblems);
        problems.Create(Path(ReportFile::UpdateProblems), FlushingOf(ReportFile::UpdateProblems));
        problems.WriteRaw(problemRecords_);
        problems.Close();
    }
    for (TextFile& file : files_) file.Close();
    log_.Close();
}

void RunReports::Abandon() {
    if (report_ == ReportState::Created) File(ReportFile::Report).Discard();
    for (std::size_t i = 0; i < files_.size(); ++i) {
        try {
            files_[i].Close();
        } catch (const RunFileError&) {
            // The run already stops on a failed write; the first one is the one named.
        }
    }
    try {
        log_.Close();
    } catch (const RunFileError&) {}
}

}  // namespace linkmend
