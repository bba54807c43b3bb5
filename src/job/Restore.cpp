// A restore over the database: the originals file is the record source (its records in its order,
// each retrieved as it is now for screening, with the saved original to write), the
// batch-cataloguing component the sink.
#include "job/Restore.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "job/DatabaseRecords.h"
#include "job/JobHost.h"
#include "job/OriginalsFile.h"
#include "job/Program.h"
#include "job/RunFiles.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

constexpr std::size_t kIdsPerQuery = 500;
constexpr std::size_t kMissingNamed = 10;

class RestoreSource final : public RecordSource {
public:
    RestoreSource(Program& program, Originals originals) : database_(program), originals_(std::move(originals)) {
        for (std::size_t i = 0; i < originals_.records.size(); ++i)
            index_.emplace(Key(originals_.records[i].candidate), i);
    }

    void Open() override { database_.Open(); }
    void Close() override { database_.Close(); }
    std::string CharacterSet() override { return database_.CharacterSet(); }
    OperatorRights Rights() override { return database_.Rights(); }
    void SelectCandidates(const std::string&, RunContext& run) override {
        run.Log().LogLine("Records to restore: " + std::to_string(originals_.records.size()) + " from " +
                          originals_.path);
        run.Host().EnableCancel(true);
    }
    std::int32_t CandidateTotal() const override { return static_cast<std::int32_t>(originals_.records.size()); }
    std::vector<Candidate> NextCandidates(std::size_t most) override {
        std::vector<Candidate> block;
        for (; next_ < originals_.records.size() && block.size() < most; ++next_) {
            block.push_back(originals_.records[next_].candidate);
        }
        return block;
    }
    RetrievedRecord Retrieve(const Candidate& candidate) override {
        RetrievedRecord record = database_.Retrieve(candidate);
        const SavedOriginal& saved = originals_.records[index_.at(Key(candidate))];
        record.original = originals_.Octets(saved);
        // The date the saving write gave the record: a change by anyone since makes the component
        // refuse it. A record whose line lacks its date (the run stopped while writing it) keeps its
        // own date: its newest change is taken to be that write.
        if (saved.written) record.lastModified = *saved.written;
        return record;
    }
    std::string RestoresFrom() const override { return originals_.path; }

private:
    static std::string Key(const Candidate& c) { return c.type + " " + c.id; }

    DatabaseSource database_;
    Originals originals_;
    std::unordered_map<std::string, std::size_t> index_;
    std::size_t next_ = 0;
};

// The records the originals name that have no master row of their kind in the database ("B 12").
std::vector<std::string> MissingRecords(Program& program, const Originals& originals) {
    VgerReaderClass7& reader = program.reader.Reader();
    std::int16_t& set = program.reader.standingSet;
    std::vector<std::string> missing;
    for (const std::string type : {"B", "H", "A"}) {
        std::vector<const std::string*> ids;
        for (const SavedOriginal& saved : originals.records) {
            if (saved.candidate.type == type) ids.push_back(&saved.candidate.id);
        }
        for (std::size_t from = 0; from < ids.size(); from += kIdsPerQuery) {
            const std::size_t to = std::min(ids.size(), from + kIdsPerQuery);
            std::string list;
            for (std::size_t i = from; i < to; ++i) list += (i == from ? "" : ",") + *ids[i];
            reader.SearchRecordIds(type, list, set);
            // Compared as numbers: the database may give an id back in its own form.
            std::unordered_set<long long> found;
            while (reader.GetNextRow(set)) {
                LetWindowMessagesRun();
                found.insert(std::stoll(reader.CurrentRow(1)));
            }
            for (std::size_t i = from; i < to; ++i) {
                if (!found.count(std::stoll(*ids[i]))) missing.push_back(type + " " + *ids[i]);
            }
        }
    }
    return missing;
}

// Why the originals cannot be restored over this database, empty when they can.
std::string CheckAgainstDatabase(Program& program, const Originals& originals) {
    const ConnectionProfile& p = program.profile;
    program.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);
    std::vector<std::string> missing;
    try {
        missing = MissingRecords(program, originals);
    } catch (const LinkmendError& e) {
        return "The records of the originals file " + originals.path +
               " could not be looked up in the database: " + e.Description();
    }
    if (missing.empty()) return {};
    std::string named;
    for (std::size_t i = 0; i < missing.size() && i < kMissingNamed; ++i) named += (i ? ", " : "") + missing[i];
    if (missing.size() > kMissingNamed) named += " and " + std::to_string(missing.size() - kMissingNamed) + " more";
    return "The originals file " + originals.path + " names records that are not in this database: " + named +
           ". Compared: the type and id of each of the " + std::to_string(originals.records.size()) + " records in " +
           originals.listPath + " with the bibliographic, holdings and authority records of " + "the data source " +
           p.DSN + ". Nothing was restored.";
}

}  // namespace

RunOutcome RunRestore(Program& program, JobHost& host, const std::string& path) {
    Originals originals;
    std::string problem = ReadOriginals(path, originals);
    if (problem.empty()) problem = CheckAgainstDatabase(program, originals);
    if (!problem.empty()) {
        host.ShowMessage(kProgramTitle, problem);
        return RunOutcome::OriginalsRefused;
    }
    RestoreSource source(program, std::move(originals));
    CatalogSink sink(program);
    return RunJob(program, host, source, sink);
}

}  // namespace linkmend
