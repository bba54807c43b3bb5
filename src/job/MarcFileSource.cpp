// Candidates in a MARC file: the file is read through once, each record checked for damage and
// tested the way the run will test it, and the numbers of the candidates written to the work list;
// the run then takes each candidate from the stream, which copies what lies between.
#include <cstdlib>
#include <string_view>

#include "base/MessagePump.h"
#include "job/JobHost.h"
#include "job/LinkRewriting.h"
#include "job/MarcFileRecords.h"
#include "job/Program.h"
#include "job/RunFiles.h"
#include "marc/MarcRecordCheck.h"
#include "marc/MarcXml.h"

namespace linkmend {
namespace {

constexpr std::int32_t kProgressEvery = 1000;

// The work-list type of a record by its leader/06; empty for kinds the job does not change.
std::string TypeOf(const std::string& record) {
    const char kind = record[6];
    if (std::string_view("acdefgijkmoprt").find(kind) != std::string_view::npos) return "B";
    if (std::string_view("uvxy").find(kind) != std::string_view::npos) return "H";
    return kind == 'z' ? "A" : "";
}

// Whether the directory of a (checked) record names the tag.
bool HasField(const std::string& record, std::string_view tag) {
    const std::size_t base = std::strtoul(record.substr(12, 5).c_str(), nullptr, 10);
    for (std::size_t d = 24; d + 12 < base; d += 12) {
        if (std::string_view(record).substr(d, 3) == tag) return true;
    }
    return false;
}

std::size_t DigitsAt(const std::string& record, std::size_t at, std::size_t count) {
    std::size_t value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + static_cast<std::size_t>(record[i] - '0');
    return value;
}

// Writes the value as `width` digits over out[at ...].
void PutDigits(std::string& out, std::size_t at, std::size_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0; value /= 10) out[at + i] = static_cast<char>('0' + value % 10);
}

// A checked record cut down to its leader, its first field and the fields whose tags the list names
// (compared as the record object compares them), in their order: loading it reads those fields as
// loading the whole record does, at a fraction of the cost, for a field's text depends on nothing
// else in the record but the leader and the record's character set. The first field stays first
// because a search from the top (FldMoveTop, FldFindNext) starts after it. False when the cut
// record is too short to load.
bool CutToFields(const std::string& record, std::string_view tags, std::string& cut, std::string& data) {
    const std::size_t base = DigitsAt(record, 12, 5);
    cut.assign(record, 0, 24);
    data.clear();
    for (std::size_t d = 24; d + 12 < base; d += 12) {
        if (d > 24 && !Utf8MarcRecordClass::TagCompare(tags, std::string_view(record).substr(d, 3))) continue;
        cut.append(record, d, 12);
        PutDigits(cut, cut.size() - 5, data.size(), 5);
        data.append(record, base + DigitsAt(record, d + 7, 5), DigitsAt(record, d + 3, 4));
    }
    PutDigits(cut, 12, cut.size() + 1, 5);
    cut += '\x1E';
    cut += data;
    cut += '\x1D';
    PutDigits(cut, 0, cut.size(), 5);
    return cut.size() >= 50;  // the record object's least
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

void MarcFileSource::SelectCandidates(const std::string& stem, RunContext& run) {
    RunLog& log = run.Log();
    const JobSettings& job = program_.job;
    const Utf8MarcRecordClass& model = program_.record;
    // Compared with the records as the run loads them: UTF-8, decomposed unless that is switched off.
    auto asLoaded = [&](const std::string& text) {
        return model.DecomposesOnLoad() ? model.DecomposeUnicodeCharactersInString(text) : text;
    };
    stem_ = asLoaded(stem);
    location_ = job.LimitByLocation ? asLoaded(job.LimitingLocation) : std::string();
    // An ASCII stem stands as it is in any record that holds it, but in MARC-8 text that spells
    // characters as references ("&#x...;").
    plainStem_ = IsAscii(stem_);
    checker_.CharacterSetIn("U");
    checker_.CharacterSetOut("U");
    // Decomposed or not as the stem was, without asking the cataloguing client's preference at
    // every record.
    checker_.DisableUtf8Decomposition(!model.DecomposesOnLoad());
    KeepRecordsWhole(checker_);

    run.Host().EnableCancel(true);
    LetWindowMessagesRun();
    run.Host().ProgressStep("Finding records");
    workList_.Create(program_.temporaryFolder);
    log.LogLine("MARC file: " + stream_.In());
    log.LogLine("Record IDs will be written to " + workList_.Path());

    Utf8MarcFileClass reader;
    reader.OpenFile(stream_.In());
    format_ = reader.FileIsMarcXml() ? "MARCXML" : reader.FileIsSegmented() ? "ISO 2709, segmented" : "ISO 2709";
    std::string record, iso, problem;
    while (reader.ReadNextRecord(record)) {
        records_ = reader.RecordIndex();
        const std::string number = std::to_string(records_);
        if (!reader.SkipProblem().empty())
            run.Damaged("Before record " + number + ".  Reason: " + reader.SkipProblem());
        if (records_ % kProgressEvery == 0) run.Host().ProgressRetrieved("Read " + number + " records");
        run.Checkpoint("1");
        problem = reader.ReadProblem();
        if (reader.FileIsMarcXml()) {
            if (problem.empty()) marcxml::ToIso2709(record, iso, problem);
        } else {
            iso.swap(record);
        }
        if (problem.empty()) problem = MarcRecordDamage(iso, checker_);
        if (!problem.empty()) {
            run.Damaged("Record " + number + ".  Reason: " + problem);
            continue;
        }
        const std::string type = TypeOf(iso);
        if (!type.empty() && IsCandidate(iso)) workList_.Add(number, type);
    }
    if (!reader.SkipProblem().empty()) {
        run.Damaged((records_ == 0 ? std::string("The whole file") : "After record " + std::to_string(records_)) +
                    ".  Reason: " + reader.SkipProblem());
    } else if (records_ == 0 && !reader.OctetsBefore().empty()) {
        run.Damaged("The whole file.  Reason: no MARC record");
    }
    workList_.Finish();
    log.LogLine(std::to_string(records_) + " records in the file");
    log.LogLine(std::to_string(workList_.Total()) + " record IDs written; ready to retrieve records");
}

bool MarcFileSource::IsCandidate(const std::string& record) {
    if (!HasField(record, "856")) return false;
    if (plainStem_ && record.find(stem_) == std::string::npos && record.find("&#") == std::string::npos) return false;
    // The candidate test reads only the 856 fields (and the 852 under a location limit): the record
    // object loads only those. A record not marked as UTF-8 is read in the set its whole text shows
    // (as the damage check just found it); one whose text looks like UTF-8 is loaded whole.
    char set = 'U';
    if (record[9] != 'a') {
        set = checker_.CharacterizeCharacterSet(record)[0];
        set = set == 'X' ? 'V' : set == 'Y' ? 'M' : set;
    }
    const bool cut =
        (record[9] == 'a' || set != 'U') && CutToFields(record, location_.empty() ? "856" : "856 852", cut_, cutData_);
    checker_.CharacterSetIn(std::string(1, cut ? set : 'U'));
    checker_.MarcRecordIn(cut ? cut_ : record);
    if (!location_.empty()) {
        // Holdings records (and bibliographic records that carry their holdings' 852) answer the
        // location limit with their 852 $b.
        bool inLocation = false;
        checker_.FldMoveTop();
        while (!inLocation && checker_.FldFindNext("852")) {
            inLocation = checker_.SfdFindFirst("b") && checker_.SfdText() == location_;
        }
        if (!inLocation) return false;
    }
    return HasMatchingLink(checker_, program_.job.MatchEnd, stem_);
}

RetrievedRecord MarcFileSource::Retrieve(const Candidate& candidate) {
    RetrievedRecord r;
    if (!stream_.Seek(static_cast<std::int32_t>(std::strtol(candidate.id.c_str(), nullptr, 10)), r.octets)) {
        r.octets.clear();  // the file changed since it was read: the record comes up empty
    }
    return r;
}

std::vector<std::string> MarcFileSource::ReportOrigin() const {
    std::vector<std::string> lines = {"MARC file information:", "Input file:        \t" + stream_.In(),
                                      "File format:       \t" + format_,
                                      "Records in file:   \t" + std::to_string(records_)};
    if (!stream_.Out().empty()) {
        lines.push_back("Output file:       \t" + stream_.Out());
        if (utf8_) lines.push_back("Changed MARC-8 records are written in UTF-8.");
    }
    lines.push_back("Operator rights and owning libraries do not apply to a MARC file.");
    return lines;
}

}  // namespace linkmend
