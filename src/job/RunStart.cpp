// The start of a run: time stamps, the deferred start, the run log, the stem, the diagnostic mode,
// the record object and the operator's rights; and the run's entry points.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/Error.h"
#include "base/Hex.h"
#include "base/INI.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "job/DatabaseRecords.h"
#include "job/JobHost.h"
#include "job/MarcFileRecords.h"
#include "job/Program.h"
#include "job/RunFlow.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

RunOutcome RunUrlChangeJob(Program& program, JobHost& host) {
    DatabaseSource source(program);
    CatalogSink sink(program);
    return RunJob(program, host, source, sink);
}

std::string CheckMarcFiles(const MarcFiles& files) {
    if (files.in.empty()) return "Please name the MARC file to read";
    if (files.out.empty()) return "Please name the MARC file to write";
    std::error_code ec;
    const bool same = std::filesystem::exists(files.out, ec) ? std::filesystem::equivalent(files.in, files.out, ec)
                                                             : std::filesystem::weakly_canonical(files.in, ec) ==
                                                                   std::filesystem::weakly_canonical(files.out, ec);
    return same ? "The MARC file to write must not be the file read" : "";
}

RunOutcome RunOnMarcFile(Program& program, JobHost& host, const MarcFiles& files) {
    // A test run writes the reports only.
    MarcFileStream stream(files.in, program.job.ProductionRun ? files.out : std::string());
    MarcFileSource source(program, stream, files.utf8);
    MarcFileSink sink(stream, files.utf8);
    return RunJob(program, host, source, sink);
}

RunOutcome RunJob(Program& program, JobHost& host, RecordSource& source, RecordSink& sink) {
    return Run(program, host, source, sink).Execute();
}

int ExitStatusOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
        case RunOutcome::Diagnostic: return 0;
        case RunOutcome::SqlError:
        case RunOutcome::SignOnFailed: return 3;
        case RunOutcome::Cancelled: return 4;
        case RunOutcome::CountdownCancelled: return 5;
        case RunOutcome::FileError: return 6;
        case RunOutcome::OriginalsRefused: return 7;
    }
    return 3;
}

bool ScheduledStartReached(const DateTime& now) {
    const int hour = now.Parts().hour;
    return hour >= 22 || hour < 2;
}

std::string DeferredDataSource(const std::string& settingsFile) {
    return ReadIniValue(settingsFile, "General", "DeferredDSN", 30);
}

Run::Run(Program& program, JobHost& host, RecordSource& source, RecordSink& sink)
    : program_(program), host_(host), source_(source), sink_(sink) {}

void Run::Checkpoint(const char* number) {
    LetWindowMessagesRun();
    if (host_.CancelRequested()) {
        Log(std::string("Cancel button clicked (") + number + ")");
        throw EndRun{RunOutcome::Cancelled};
    }
}

RunOutcome Run::Execute() {
    try {
        try {
            Start();
            source_.SelectCandidates(stem_, *this);
            host_.ProgressStep("Retrieving records");
            ProcessWorkList();
            return EndPhase(RunOutcome::Completed);
        } catch (const EndRun& end) {
            if (end.outcome == RunOutcome::CountdownCancelled || end.outcome == RunOutcome::Diagnostic) {
                return end.outcome;
            }
            return EndPhase(end.outcome);
        } catch (const LinkmendError& e) {
            // A database statement failed, the link query or any other: the report carries the error.
            host_.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
            reports_.sqlErrorText = "Error in SQL statement: " + e.Description();
            return EndPhase(RunOutcome::SqlError);
        }
    } catch (const RunFileError& e) {
        // The run stops at the first write that failed; a report it could not finish names no one.
        host_.ShowMessage(kProgramTitle, std::string(e.what()) + ".");
        reports_.Abandon();
        source_.Close();
        return RunOutcome::FileError;
    }
}

void Run::Start() {
    // Files are named by the second a run starts: a run that would take the names of another's
    // (two runs started within one second) waits for a second of its own rather than overwrite
    // that run's report. A clock that does not move gives up after a while.
    DateTime start = program_.now();
    for (int tries = 0; tries < 12 && RunReports::StampTaken(program_.profile.FolderForReports, start); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        start = program_.now();
    }
    startText_ = start.Format();
    reports_.Begin(program_.profile.FolderForReports, start, program_.job.ProductionRun);
    // A test run changes nothing, so no line of its files stands for a change that a killed program
    // would leave unrecorded: they are written in blocks too.
    if (sink_.WritesAtFinish() || !program_.job.ProductionRun) reports_.HoldLines();

    host_.ProgressStarted("Started: " + startText_);
    host_.ProgressChanged("");
    host_.ProgressRetrieved("");

    const std::string dataSource = source_.DataSourceName();
    if (program_.job.ProductionRun && !dataSource.empty() && dataSource == DeferredDataSource(program_.settingsFile)) {
        WaitForDeferredStart();
    }

    host_.ProgressStep("Performing task");
    host_.EnableCancel(false);
    LetWindowMessagesRun();
    host_.ShowProgress(true);

    program_.job.SiteOption = IsTrueText(ReadIniValueOrDefault(program_.settingsFile, "General", "HLD", "False", 15));
    const bool debug = IsTrueText(ReadIniValueOrDefault(program_.settingsFile, "General", "Debug", "False", 15));
    reports_.OpenLog(debug);
    Log(std::string("Production run? ") + (program_.job.ProductionRun ? "True" : "False"));
    Log(std::string("Halden? ") + (program_.job.SiteOption ? "True" : "False"));

    host_.HideMainWindow();
    source_.Open();

    PrepareStem();
    const std::string recordOfInterest = ReadIniValue(program_.settingsFile, "General", "RecordOfInterest", 30);
    if (!recordOfInterest.empty() && source_.RestoresFrom().empty()) DumpRecordOfInterest(recordOfInterest);
    // The report is created now, so that an unusable report folder stops the run before it touches
    // the database; it is written at the end.
    reports_.CreateReport();
    reports_.CreateChangeFiles(program_.job.ProductionRun);
    PrepareRecordAndRights();
}

void Run::WaitForDeferredStart() {
    host_.ShowProgress(false);
    if (!host_.WaitForScheduledStart()) throw EndRun{RunOutcome::CountdownCancelled};
    host_.ShowProgress(true);
    // A fresh connection for the late start: the old one may have been idle for hours.
    source_.Close();
    for (int i = 0; i < 8; ++i) LetWindowMessagesRun();
    source_.Open();
}

void Run::PrepareStem() {
    std::string stem = TrimBlanks(program_.job.OldUrlStem);
    // "U+" and four hexadecimal digits stand for that character; scanning backwards keeps the
    // positions still to be scanned valid.
    Utf8CharClass chars;
    // Only "U+" with four hexadecimal digits is a code point: a URL that merely contains "U+" keeps it.
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t i = stem.size() >= 2 ? stem.size() - 1 : 0; i >= 1; --i) {
        if (stem.compare(i - 1, 2, "U+") == 0 && i + 5 <= stem.size() &&
            std::all_of(stem.begin() + static_cast<long>(i) + 1, stem.begin() + static_cast<long>(i) + 5, isHex)) {
            chars.UcsHex(stem.substr(i + 1, 4));
            stem = Utf8MarcRecordClass::SafeStuff(stem, static_cast<std::int32_t>(i), 6, chars.Utf8Char());
        }
    }
    stem_ = TrimBlanks(stem);
    program_.job.OldUrlStem = stem_;
}

void Run::DumpRecordOfInterest(const std::string& recordId) {
    const std::vector<std::string> links = source_.LinkDump(recordId);
    TextFile info;
    info.Create(WithFolderSeparator(program_.profile.FolderForReports) + "UrlInfo.txt");
    info.WriteLine("LOOKING FOR: " + TextToHex(stem_));
    info.WriteLine("");
    for (const std::string& line : links) info.WriteLine(line);
    info.Close();
    source_.Close();
    throw EndRun{RunOutcome::Diagnostic};
}

void Run::PrepareRecordAndRights() {
    Utf8MarcRecordClass& record = program_.record;
    record.CharacterSetIn(source_.CharacterSet());
    record.CharacterSetOut(source_.CharacterSet());
    if (source_.KeepsRecordsWhole()) {
        KeepRecordsWhole(record);  // and no field-order files
    } else {
        record.FldOrderFolder(program_.profile.ValidationPath);
    }
    record.NormalizationScheme("V");
    // Loaded UTF-8 records have their precomposed characters decomposed; the stem is compared with
    // them in the same form (the link index, queried with the stem as typed, holds the stored octets).
    matchStem_ = record.DecomposesOnLoad() ? record.DecomposeUnicodeCharactersInString(stem_) : stem_;
    rights_ = source_.Rights();
}

}  // namespace linkmend
