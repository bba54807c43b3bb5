// The start of a run: time stamps, the deferred start, the run log, the stem, the diagnostic mode,
// the record object and the operator's rights.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/Error.h"
#include "base/Hex.h"
#include "base/INI.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "catalog/CatalogWriter.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunState.h"
#include "marc/Utf8CharClass.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

RunOutcome RunUrlChangeJob(Program& program, JobHost& host) { return Run(program, host).Execute(); }

int ExitStatusOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
        case RunOutcome::Diagnostic: return 0;
        case RunOutcome::SqlError:
        case RunOutcome::SignOnFailed: return 3;
        case RunOutcome::Cancelled: return 4;
        case RunOutcome::CountdownCancelled: return 5;
        case RunOutcome::FileError: return 6;
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

Run::Run(Program& program, JobHost& host) : program_(program), host_(host) {}

VgerReaderClass7& Run::Reader() { return program_.reader.Reader(); }
CatalogWriter& Run::Writer() { return program_.Writer(); }

std::string Run::File(const std::string& suffix) const {
    return WithFolderSeparator(program_.profile.FolderForReports) + "LINKMEND." + stamp_ + suffix;
}

void Run::CheckCancel(const char* number) {
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
            SelectCandidates();
            ProcessWorkList();
            return EndPhase(RunOutcome::Completed);
        } catch (const EndRun& end) {
            if (end.outcome == RunOutcome::CountdownCancelled || end.outcome == RunOutcome::Diagnostic) {
                return end.outcome;
            }
            return EndPhase(end.outcome);
        } catch (const LinkmendError& e) {
            // A statement outside the trapped link query failed: the run ends as after an SQL error.
            host_.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
            sqlErrorText_ = "Error in SQL statement: " + e.Description();
            return EndPhase(RunOutcome::SqlError);
        }
    } catch (const RunFileError& e) {
        host_.ShowMessage(kProgramTitle, std::string(e.what()) + ".");
        program_.reader.DropReader();
        return RunOutcome::FileError;
    }
}

void Run::Start() {
    start_ = program_.now();
    startText_ = start_.Format();
    stamp_ = start_.FileStamp();

    host_.ProgressStarted("Started: " + startText_);
    host_.ProgressChanged("");
    host_.ProgressRetrieved("");

    if (program_.job.ProductionRun && !program_.profile.DSN.empty() &&
        program_.profile.DSN == DeferredDataSource(program_.settingsFile)) {
        WaitForDeferredStart();
    }

    host_.ProgressStep("Performing task");
    host_.EnableCancel(false);
    LetWindowMessagesRun();
    host_.ShowProgress(true);

    program_.job.SiteOption = IsTrueText(ReadIniValueOrDefault(program_.settingsFile, "General", "HLD", "False", 15));
    const bool debug = IsTrueText(ReadIniValueOrDefault(program_.settingsFile, "General", "Debug", "False", 15));
    log_.Open(File(".Debug.txt"), debug);
    Log(std::string("Production run? ") + (program_.job.ProductionRun ? "True" : "False"));
    Log(std::string("Halden? ") + (program_.job.SiteOption ? "True" : "False"));

    host_.HideMainWindow();
    const ConnectionProfile& p = program_.profile;
    program_.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);

    PrepareStem();
    const std::string recordOfInterest = ReadIniValue(program_.settingsFile, "General", "RecordOfInterest", 30);
    if (!recordOfInterest.empty()) DumpRecordOfInterest(recordOfInterest);
    // The report is created now, so that an unusable report folder stops the run before it touches
    // the database; it is written at the end.
    report_.Create(File(".Report.txt"));
    PrepareRecordAndRights();
}

void Run::WaitForDeferredStart() {
    host_.ShowProgress(false);
    if (!host_.WaitForScheduledStart()) throw EndRun{RunOutcome::CountdownCancelled};
    host_.ShowProgress(true);
    // A fresh reader for the late start: the connection may have been idle for hours.
    program_.reader.DropReader();
    for (int i = 0; i < 4; ++i) LetWindowMessagesRun();
    program_.reader.RenewReader();
    for (int i = 0; i < 4; ++i) LetWindowMessagesRun();
    const ConnectionProfile& p = program_.profile;
    program_.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);
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
    VgerReaderClass7& reader = Reader();
    const std::string sql = "SELECT RECORD_TYPE, RECORD_ID, RAWTOHEX(LINK), RAWTOHEX(LINK_TEXT) FROM " +
                            reader.TableNamePrefix() + "ELINK_INDEX WHERE RECORD_ID = " + recordId;
    reader.ExecuteSQL(sql, program_.reader.standingSet);
    TextFile info;
    info.Create(WithFolderSeparator(program_.profile.FolderForReports) + "UrlInfo.txt");
    info.WriteLine("LOOKING FOR: " + TextToHex(stem_));
    info.WriteLine("");
    while (reader.GetNextRow(program_.reader.standingSet)) {
        LetWindowMessagesRun();
        info.WriteLine(reader.CurrentRow(1) + "\t" + reader.CurrentRow(2) + "\t" + reader.CurrentRow(3) + "\t" +
                       reader.CurrentRow(4));
    }
    info.Close();
    program_.reader.DropReader();
    throw EndRun{RunOutcome::Diagnostic};
}

void Run::PrepareRecordAndRights() {
    VgerReaderClass7& reader = Reader();
    Utf8MarcRecordClass& record = program_.record;
    record.CharacterSetIn(reader.VgerCharacterSet());
    record.CharacterSetOut(reader.VgerCharacterSet());
    record.FldOrderFolder(program_.profile.ValidationPath);
    record.NormalizationScheme("V");
    // Loaded UTF-8 records have their precomposed characters decomposed; the stem is compared with
    // them in the same form (the link index, queried with the stem as typed, holds the stored octets).
    matchStem_ = record.DecomposesOnLoad() ? record.DecomposeUnicodeCharactersInString(stem_) : stem_;
    reader.RetrieveOperatorPermissions(program_.profile.WriteUID);
    catLocations_ = " " + reader.RetrieveOperatorCatLocations(program_.profile.WriteUID) + " ";
}

}  // namespace linkmend
