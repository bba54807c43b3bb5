#pragma once
// One run of the URL-change job: candidate selection through the link index, screening and rewriting
// of each record, write-back (production) or listing (test), and the reports.
#include <cstdint>
#include <string>

namespace linkmend {

struct Program;
class JobHost;
class RecordSink;
class RecordSource;

enum class RunOutcome {
    Completed,           // the work list was done, or the bib limit was reached
    Diagnostic,          // "RecordOfInterest": the link dump was written, nothing else
    SqlError,            // the link query (or another statement) failed; report written
    SignOnFailed,        // the operator could not be signed on; report written
    Cancelled,           // Cancel at a checkpoint; report written
    CountdownCancelled,  // Cancel while waiting for the scheduled start; nothing written
    FileError,           // a report or list file could not be created or written
};

// The run, from its start to its report, on the library system's database. Never throws for
// database or file trouble: the outcome says how it ended and the host has been shown the message.
RunOutcome RunUrlChangeJob(Program& program, JobHost& host);

// What a run on a MARC file reads and writes besides the job settings: IN, OUT (written by a
// production run) and whether changed MARC-8 records are written in UTF-8.
struct MarcFiles {
    std::string in, out;
    bool utf8 = false;
};

// Why the two files cannot be used ("OUT must not be IN"), empty when they can; asked before a run.
std::string CheckMarcFiles(const MarcFiles& files);

// The same run on a MARC file: candidates are its records whose 856 matches the stem, and a
// production run writes OUT with every record of IN in its order.
RunOutcome RunOnMarcFile(Program& program, JobHost& host, const MarcFiles& files);

// The same run with its records read from `source` and written to `sink`.
RunOutcome RunJob(Program& program, JobHost& host, RecordSource& source, RecordSink& sink);

// The report of a run that could not begin because start-up could not read the database (the
// error's description given): its head, the connection, no record read, the error. SqlError, or
// FileError (the host has been told) when the report cannot be written.
RunOutcome ReportFailedStartUp(Program& program, JobHost& host, const std::string& description);

// The program's exit status after a run: 0 done (or the diagnostic dump), 3 SQL error or failed
// sign-on, 4 cancelled, 5 countdown cancelled, 6 a report or list file could not be created or written,
// or a MARC file read or written.
int ExitStatusOf(RunOutcome outcome);

// The scheduled start of a deferred production run: 10:00 p.m. or later, or before 2:00 a.m.
bool ScheduledStartReached(const class DateTime& now);

// The data-source name whose production runs wait for the scheduled start (settings file,
// "General"/"DeferredDSN"); empty: no run waits.
std::string DeferredDataSource(const std::string& settingsFile);

}  // namespace linkmend
