// Changed records written to OUT in the character set they came in (or UTF-8 when asked) and in
// the file's own format.
#include "job/MarcFileRecords.h"

namespace linkmend {
namespace {

void Load(Utf8MarcRecordClass& record, const std::string& setIn, const std::string& setOut, const std::string& octets) {
    record.MarcRecordIn("");  // so that the settings below translate nothing already loaded
    record.CharacterSetIn(setIn);
    record.CharacterSetOut(setOut);
    record.MarcRecordIn(octets);
}

}  // namespace

void KeepRecordsWhole(Utf8MarcRecordClass& record) {
    record.MakeNoChange(true);
    record.RemoveDuplicative035Fields(false);
    record.ForceInvalidIndicatorValues(true);
}

MarcFileSink::MarcFileSink(MarcFileStream& stream, bool utf8) : stream_(stream), utf8_(utf8) {
    for (Utf8MarcRecordClass* record : {&original_, &read_, &changed_}) {
        KeepRecordsWhole(*record);
        record->DisableUtf8Decomposition(true);  // the text is compared and written as the run left it
    }
}

SinkAnswer MarcFileSink::Write(const Candidate&, const std::string& octets, const RetrievedRecord& stored) {
    // The set the record came in, as the run's load took it (leader/09, else its octets).
    char set =
        stored.octets.size() > 9 && stored.octets[9] == 'a' ? 'U' : read_.CharacterizeCharacterSet(stored.octets)[0];
    if (set == 'X') set = 'V';
    if (set == 'Y') set = 'M';
    if (stream_.IsXml() || set == 'U') {
        stream_.Replace(octets);
    } else if (utf8_) {
        std::string utf8 = octets;
        utf8[9] = 'a';
        stream_.Replace(utf8);
    } else {
        stream_.Replace(BackToMarc8(octets, stored.octets, set));
    }
    return {};
}

// The original with the run's changes put in: a field the run left as it read it keeps its octets as
// stored (references, escape sequences and all); a changed field is translated from UTF-8; a field
// the run deleted is left out. Fields keep their order, so the change pairs off with the original
// field by field, an original whose tag is not the next changed field's having been deleted.
std::string MarcFileSink::BackToMarc8(const std::string& changed, const std::string& original, char set) {
    const std::string code(1, set);
    Load(original_, code, code, original);
    Load(read_, code, "U", original);
    Load(changed_, "U", "U", changed);
    auto next = [this] {
        original_.FldMoveNext();
        read_.FldMoveNext();
    };
    for (bool more = changed_.FldMoveFirst(); more; more = changed_.FldMoveNext()) {
        if (!original_.FldWasFound()) break;
        while (original_.FldWasFound() && original_.FldTag() != changed_.FldTag()) {
            original_.FldDelete();
            next();
        }
        if (!original_.FldWasFound()) break;
        if (read_.FldInd() != changed_.FldInd() || read_.FldText() != changed_.FldText()) {
            std::string text = changed_.FldText(), sets;
            bool translated = false, error = false;
            original_.TranslateUtf82MarcOneField(sets, changed_.FldTag(), text, translated, error);
            original_.FldChange(changed_.FldTag(), changed_.FldInd(), text);
        }
        next();
    }
    for (; original_.FldWasFound(); original_.FldMoveNext()) original_.FldDelete();
    std::string marc8 = original_.MarcRecordOut();
    if (marc8.size() > 9) marc8[9] = ' ';
    return marc8;
}

}  // namespace linkmend
