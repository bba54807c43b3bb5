#include "job/LinkRewriting.h"

#include "base/MessagePump.h"
#include "job/RunFiles.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {
namespace {

constexpr const char* kAllSubfieldCodes = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string FieldForLog(Utf8MarcRecordClass& record) {
    return record.FldTextFormatted(0, false, 10, kAllSubfieldCodes, "");
}

std::int16_t StemLength(const std::string& stem) {
    return static_cast<std::int16_t>(stem.size() > 32767 ? 32767 : stem.size());
}

// Where the stem stands in the $u text `t` (1-based; 0 when it does not occur), and whether that
// is where the job wants it: at the start, or at the very end.
bool StemMatches(const std::string& t, const std::string& stem, MatchEnd end, std::int32_t& p) {
    if (end == MatchEnd::Left) {
        p = InStr(t, stem);
        return p == 1;
    }
    p = Utf8MarcRecordClass::Rat(t, stem);
    return p > 0 && p == static_cast<std::int32_t>(t.size()) - StemLength(stem) + 1;
}

}  // namespace

bool HasMatchingLink(Utf8MarcRecordClass& record, MatchEnd end, const std::string& stem) {
    std::int32_t p = 0;
    record.FldMoveTop();
    while (record.FldFindNext("856")) {
        if (record.SfdFindFirst("u") && StemMatches(record.SfdText(), stem, end, p)) return true;
    }
    return false;
}

std::int32_t InStr(const std::string& text, const std::string& find) {
    if (find.empty()) return text.empty() ? 0 : 1;
    const auto at = text.find(find);
    return at == std::string::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

void ApplySubfieldAction(Utf8MarcRecordClass& record, const std::string& code, SubfieldAction action,
                         const std::string& newText, bool& changed) {
    if (action == SubfieldAction::Delete) {
        while (record.SfdFindFirst(code)) {
            LetWindowMessagesRun();
            record.SfdDelete();
            changed = true;
        }
    } else if (action == SubfieldAction::Replace) {
        if (record.SfdFindFirst(code)) {
            record.SfdText(newText);
            changed = true;
            while (record.SfdMoveNext(true)) {
                LetWindowMessagesRun();
                if (record.SfdCode() == code) record.SfdDelete();
            }
        } else {
            // "Replace ... (if any) with a new subfield": a field without one gets it, and that is a
            // change like any other, so the record is written back and counted.
            record.SfdAdd(code, newText);
            changed = true;
        }
    }
}

bool RewriteLinks(Utf8MarcRecordClass& record, const JobSettings& job, const std::string& stem, RunLog& log) {
    bool changed = false;
    const std::int16_t stemLength = StemLength(stem);
    record.FldMoveTop();
    while (record.FldFindNext("856")) {
        if (!record.SfdFindFirst("u")) continue;
        const std::string t = record.SfdText();
        std::int32_t p = 0;
        const bool matches = StemMatches(t, stem, job.MatchEnd, p);
        if (job.MatchEnd == MatchEnd::Left && log.IsOn()) {
            log.LogLine("Field to consider: >" + FieldForLog(record) + "< " + std::to_string(p));
        }
        if (!matches) continue;

        if (job.DeleteField == FieldAction::Delete) {
            record.FldDelete();
            changed = true;
            continue;
        }
        if (job.UrlAction == UrlAction::ChangeStem) {
            record.SfdText(Utf8MarcRecordClass::SafeStuff(t, p, stemLength, job.NewUrlStem));
            changed = true;
        } else if (job.UrlAction == UrlAction::AddSuffix) {
            record.SfdText(t + job.NewUrlStem);
            changed = true;
        }
        // In the order of the settings digits: $x, $y, $z, $3.
        for (std::size_t row : kSubfieldRowsByDigit) {
            const SubfieldChange& change = job.Subfields[row];
            ApplySubfieldAction(record, std::string(1, kSubfieldActions[row].code), change.Action, change.NewText,
                                changed);
        }
        log.LogLine(std::string("Changed? ") + (changed ? "True" : "False"));

        if (job.SiteOption && changed) {
            record.SfdMoveFirst(true);
            while (record.SfdWasFound()) {
                if (!record.SfdDeleted() && record.SfdCode() == "z") {
                    const std::string z = record.SfdText();
                    const std::int32_t q = InStr(z, stem);
                    if (log.IsOn()) log.LogLine("Text present in $z? >" + z + "< " + std::to_string(q));
                    if (q > 0) record.SfdText(Utf8MarcRecordClass::SafeStuff(z, q, stemLength, job.NewUrlStem));
                }
                record.SfdMoveNext(true);
            }
        }
    }

    if (changed && job.SiteOption) {
        record.FldMoveTop();
        while (record.FldFindNext("590")) {
            record.SfdMoveFirst(true);
            if (!record.SfdWasFound()) continue;
            const std::string t = record.SfdText();
            const std::int32_t q = InStr(t, stem);
            if (log.IsOn()) log.LogLine("590 to check: >" + FieldForLog(record) + "< " + std::to_string(q));
            if (q >= 1) record.SfdText(Utf8MarcRecordClass::SafeStuff(t, q, stemLength, job.NewUrlStem));
        }
    }
    return changed;
}

}  // namespace linkmend
