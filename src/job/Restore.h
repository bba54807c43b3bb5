#pragma once
// A restore: the records of an originals file written back as they were saved, through the run's
// screening and write-back; records changed since the run that saved them are refused (code 41).
#include <string>

#include "job/UrlChangeRun.h"

namespace linkmend {

struct Program;
class JobHost;

// Reads and checks the originals file (`path`: the ".mrc", or its ".txt" list) and that every
// record it names is in the database, then restores them: written back in a production run
// (job.ProductionRun), listed in a test run. When the file cannot be used the host is shown why
// and nothing is written: OriginalsRefused.
RunOutcome RunRestore(Program& program, JobHost& host, const std::string& path);

}  // namespace linkmend
