// Field-order and subfield-order instructions: order keys, placement of new fields and subfields,
// and the field-order files of the validation folder.
#include <filesystem>
#include <system_error>

#include "base/INI.h"
#include "base/Text.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {

constexpr std::int16_t kHighestMethod = 13;

struct DefaultInstruction {
    const char* begin;
    const char* end;
    std::int16_t method;
};

constexpr DefaultInstruction kDefaultBib[] = {
    {"001", "399", 6}, {"400", "599", 2}, {"600", "655", 3}, {"652", "699", 6}, {"700", "700", 1}, {"710", "711", 1},
    {"730", "740", 6}, {"741", "799", 2}, {"800", "840", 2}, {"850", "999", 2}, {"880", "880", 8}};
constexpr DefaultInstruction kDefaultAuth[] = {
    {"001", "399", 6}, {"400", "499", 5}, {"500", "599", 5}, {"600", "641", 6}, {"642", "642", 4},
    {"643", "643", 6}, {"644", "644", 4}, {"645", "645", 4}, {"646", "646", 4}, {"647", "699", 6},
    {"700", "799", 3}, {"800", "999", 6}, {"880", "880", 8}};
constexpr DefaultInstruction kDefaultHold[] = {
    {"001", "852", 6}, {"853", "869", 7}, {"870", "999", 6}, {"880", "880", 8}};

std::string Padded(long value, int width) {
    std::string out;
    AppendDigits(out, value < 0 ? 0 : static_cast<std::size_t>(value), width);
    return out;
}

std::vector<std::string> SplitTabs(std::string_view value) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = value.find('\t', start);
        const std::string_view part =
            TrimBlanksView(value.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (!part.empty()) parts.emplace_back(part);
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return parts;
}

bool IsMethod(const std::string& text, std::int16_t& method) {
    if (text.empty() || text.size() > 2) return false;
    for (char c : text) {
        if (!IsDigit(c)) return false;
    }
    method = static_cast<std::int16_t>(DigitValue(text));
    return method >= 1 && method <= kHighestMethod;
}

// Voyager's folders come from Windows shares, where names are case-blind.
std::string FindFileCaseBlind(const std::string& folder, const std::string& name) {
    std::error_code ec;
    if (std::filesystem::exists(folder + name, ec)) return folder + name;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < name.size(); ++i) same = AsciiUpper(candidate[i]) == AsciiUpper(name[i]);
        if (same) return folder + candidate;
    }
    return folder + name;
}

}  // namespace

char Utf8MarcRecordClass::OrderGroup(const std::string& format) {
    if (format.size() == 1 && (format[0] == 'A' || format[0] == 'H')) return format[0];
    return 'B';
}

Utf8MarcRecordClass::FormatOrder& Utf8MarcRecordClass::OrderFor(const std::string& format) {
    const char group = OrderGroup(format);
    return group == 'A' ? orderA_ : group == 'H' ? orderH_ : orderB_;
}

const Utf8MarcRecordClass::FormatOrder& Utf8MarcRecordClass::OrderFor(const std::string& format) const {
    const char group = OrderGroup(format);
    return group == 'A' ? orderA_ : group == 'H' ? orderH_ : orderB_;
}

void Utf8MarcRecordClass::InstallDefaultFldOrder(char group) {
    FormatOrder& order = OrderFor(std::string(1, group));
    order.Fields.clear();
    order.TagSlotsValid = false;
    auto install = [&](const auto& table) {
        for (const DefaultInstruction& d : table) order.Fields.push_back({d.begin, d.end, d.method});
    };
    if (group == 'A') install(kDefaultAuth);
    else if (group == 'H') install(kDefaultHold);
    else install(kDefaultBib);
}

void Utf8MarcRecordClass::SetDefaultFldOrderAuth() {
    if (RecordIsEmpty()) InstallDefaultFldOrder('A');
}

void Utf8MarcRecordClass::SetDefaultFldOrderBib() {
    if (RecordIsEmpty()) InstallDefaultFldOrder('B');
}

void Utf8MarcRecordClass::SetDefaultFldOrderHold() {
    if (RecordIsEmpty()) InstallDefaultFldOrder('H');
}

void Utf8MarcRecordClass::ClearFldOrder(const std::string& sMarcFormat) {
    if (!RecordIsEmpty()) return;
    FormatOrder& order = OrderFor(sMarcFormat);
    order.Fields.clear();
    order.TagSlotsValid = false;
}

void Utf8MarcRecordClass::SetFldOrder(const std::string& sMarcFormat, const std::string& sBeginTag,
                                      const std::string& sEndTag, std::int16_t iSortMethod) {
    if (!RecordIsEmpty()) return;
    FormatOrder& order = OrderFor(sMarcFormat);
    order.Fields.push_back({sBeginTag, sEndTag, iSortMethod});
    order.TagSlotsValid = false;
}

void Utf8MarcRecordClass::ClearSfdOrder(const std::string& sMarcFormat) {
    if (RecordIsEmpty()) OrderFor(sMarcFormat).Subfields.clear();
}

void Utf8MarcRecordClass::SetSfdOrder(const std::string& sMarcFormat, const std::string& sTag,
                                      const std::string& sInstruction) {
    if (!RecordIsEmpty() || sInstruction.empty()) return;
    OrderFor(sMarcFormat).Subfields.push_back({sTag, sInstruction});
}

// Lines of the sections (values separated by TAB):
//   [FieldOrder] / [ExtendedFieldOrder]:  Tag=<begin tag> TAB <end tag> TAB <method>
//                                         Tag=<tag> TAB <method>         (a single tag)
//                                         Generic=<method>               (000-999, after the others)
//   [SubfieldOrder]:                      Tag=<tag> TAB <codes in order>
//                                         Generic=<codes in order>       (tags without a line)
void Utf8MarcRecordClass::ReadOrderFile(char group, const std::string& path) {
    FormatOrder& order = OrderFor(std::string(1, group));
    order.Fields.clear();
    order.Subfields.clear();
    order.TagSlotsValid = false;
    std::int16_t generic = 0;
    auto keyOf = [](const std::string& line, std::int16_t equals) {
        std::string key(TrimBlanksView(std::string_view(line).substr(0, static_cast<std::size_t>(equals - 1))));
        for (char& c : key) c = AsciiUpper(c);
        return key;
    };
    for (const char* section : {"FieldOrder", "ExtendedFieldOrder"}) {
        for (const std::string& line : ReadIniSection(path, section)) {
            std::int16_t equals = 0;
            if (!IsIniKeyLine(line, equals)) continue;
            const std::string key = keyOf(line, equals);
            const std::vector<std::string> values =
                SplitTabs(std::string_view(line).substr(static_cast<std::size_t>(equals)));
            std::int16_t method = 0;
            if (key == "TAG" && (values.size() == 2 || values.size() == 3) && values[0].size() == 3 &&
                values[values.size() - 2].size() == 3 && IsMethod(values.back(), method)) {
                order.Fields.push_back({values[0], values[values.size() - 2], method});
            } else if (key == "GENERIC" && values.size() == 1 && IsMethod(values[0], method)) {
                generic = method;
            }
        }
    }
    if (generic > 0) order.Fields.push_back({"000", "999", generic});
    for (const std::string& line : ReadIniSection(path, "SubfieldOrder")) {
        std::int16_t equals = 0;
        if (!IsIniKeyLine(line, equals)) continue;
        const std::string key = keyOf(line, equals);
        const std::vector<std::string> values =
            SplitTabs(std::string_view(line).substr(static_cast<std::size_t>(equals)));
        if (key == "TAG" && values.size() == 2 && values[0].size() == 3)
            order.Subfields.push_back({values[0], values[1]});
        else if (key == "GENERIC" && values.size() == 1) order.Subfields.push_back({std::string(), values[0]});
    }
    order.ApplyAtNextLoad = true;
}

void Utf8MarcRecordClass::FldOrderFolder(const std::string& value) {
    if (!RecordIsEmpty() || value.empty()) return;
    const std::string folder = WithFolderSeparator(value);
    if (folder == fldOrderFolder_) return;
    fldOrderFolder_ = folder;
    ReadOrderFile('B', FindFileCaseBlind(folder, "bibsup.cfg"));
    ReadOrderFile('H', FindFileCaseBlind(folder, "holdsup.cfg"));
    ReadOrderFile('A', FindFileCaseBlind(folder, "authsup.cfg"));
}

// "880-01/(3/r" style linkage: the linked tag and the occurrence number place the field among
// the other 880s.
std::string Utf8MarcRecordClass::SubKeyFromLinkage(const FieldEntry& f) const {
    if (f.Tag != "880") return std::string();
    for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
        if (sub.Deleted || sub.Code != "6") continue;
        const std::string_view text = TrimBlanksView(sub.Text);
        std::string key(text.substr(0, 3));
        if (text.size() > 4 && text[3] == '-') {
            for (std::size_t i = 4; i < text.size() && IsDigit(text[i]); ++i) key += text[i];
        }
        return key;
    }
    return std::string();
}

namespace {
template <typename Field>
std::string_view FirstSubfieldText(const Field& f, char code) {
    for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        const auto& sub = f.Subfields[static_cast<std::size_t>(s)];
        if (!sub.Deleted && sub.Code.size() == 1 && sub.Code[0] == code) return sub.Text;
    }
    return std::string_view();
}

// "$8 2.13" as link 00002, sequence 00013; a missing part sorts last.
std::string LinkAndSequence(std::string_view link) {
    link = TrimBlanksView(link);
    const std::size_t dot = link.find('.');
    const std::string_view number = link.substr(0, dot);
    const std::string_view sequence = dot == std::string_view::npos ? std::string_view() : link.substr(dot + 1);
    auto part = [](std::string_view p) {
        return !p.empty() && IsDigit(p[0]) ? Padded(DigitValue(p), 5) : std::string("99999");
    };
    return part(number) + part(sequence);
}
}  // namespace

// Methods 4, 5, 7 and 11-13 are this system's own keys:
//   4  series treatment: institution in $5 (without parentheses), then $d up to its hyphen;
//   5  tracing control: the first octet of $w (fields without $w first);
//   7  captions and patterns: tag, then link number and sequence of $8;
//   11 tag, then the comparison form of $a;  12 the comparison form of $a;  13 tag, then $8 as in 7.
std::string Utf8MarcRecordClass::MethodKeyPart(const FieldEntry& f, std::int16_t method) const {
    switch (method) {
        case 1: return FirstSubfieldText(f, 't').data() != nullptr ? "7T" : "7 ";
        case 2: return f.Tag.substr(0, 1);
        case 3: {
            if (f.Tag == "653") return "9";
            if (f.Tag == "654") return "7";
            const char ind2 = f.Indicators.size() == 2 ? f.Indicators[1] : ' ';
            if (ind2 == '7') {
                std::string source(TrimBlanksView(FirstSubfieldText(f, '2')));
                for (char& c : source) c = AsciiLower(c);
                if (source == "lcsh") return "0";
                if (source == "lcshac") return "1";
                if (source == "mesh") return "2";
                if (source == "nal") return "3";
                if (source == "cash") return "5";
                if (source == "rvm") return "6";
                return "7";
            }
            return IsDigit(ind2) ? std::string(1, ind2) : std::string("8");
        }
        case 4: {
            std::string key;
            for (char c : FirstSubfieldText(f, '5')) {
                if (c != '(' && c != ')' && c != ' ') key += AsciiUpper(c);
            }
            const std::string_view dates = TrimBlanksView(FirstSubfieldText(f, 'd'));
            return key + "|" + std::string(TrimBlanksView(dates.substr(0, dates.find('-'))));
        }
        case 5: {
            const std::string_view w = FirstSubfieldText(f, 'w');
            return w.empty() ? std::string(" ") : std::string(1, w[0]);
        }
        case 6: return f.Tag;
        case 7:
        case 13: return f.Tag + LinkAndSequence(FirstSubfieldText(f, '8'));
        case 11: return f.Tag + NormString(FirstSubfieldText(f, 'a'), true, "V");
        case 12: return NormString(FirstSubfieldText(f, 'a'), true, "V");
        default: return std::string();
    }
}

// A tag in no instruction's range takes the key of the field before it, so it never moves others
// and is never moved itself.
void Utf8MarcRecordClass::ComputeOrderKey(FieldEntry& f, std::int16_t index) {
    FormatOrder& order = OrderFor(formatCode_);
    std::int16_t slot = 0;
    const bool numeric = f.Tag.size() == 3 && IsDigit(f.Tag[0]) && IsDigit(f.Tag[1]) && IsDigit(f.Tag[2]);
    if (numeric) {
        if (!order.TagSlotsValid) {
            std::string tag = "000";
            for (int n = 0; n < 1000; ++n) {
                tag[0] = static_cast<char>('0' + n / 100);
                tag[1] = static_cast<char>('0' + n / 10 % 10);
                tag[2] = static_cast<char>('0' + n % 10);
                std::int16_t found = 0;
                for (std::size_t i = 0; i < order.Fields.size() && found == 0; ++i) {
                    if (order.Fields[i].BeginTag <= tag && tag <= order.Fields[i].EndTag)
                        found = static_cast<std::int16_t>(i + 1);
                }
                order.TagSlot[static_cast<std::size_t>(n)] = found;
            }
            order.TagSlotsValid = true;
        }
        slot =
            order.TagSlot[static_cast<std::size_t>((f.Tag[0] - '0') * 100 + (f.Tag[1] - '0') * 10 + (f.Tag[2] - '0'))];
    } else {
        for (std::size_t i = 0; i < order.Fields.size() && slot == 0; ++i) {
            if (order.Fields[i].BeginTag <= f.Tag && f.Tag <= order.Fields[i].EndTag)
                slot = static_cast<std::int16_t>(i + 1);
        }
    }
    if (slot == 0) {
        std::int16_t prev = f.PrevField >= 0 || head_ == index ? f.PrevField : tail_;
        while (prev >= 0 && (prev == index || fields_[static_cast<std::size_t>(prev)].Deleted)) {
            prev = fields_[static_cast<std::size_t>(prev)].PrevField;
        }
        if (prev >= 0) {
            f.OrderKey = fields_[static_cast<std::size_t>(prev)].OrderKey;
            f.OrderSubKey = fields_[static_cast<std::size_t>(prev)].OrderSubKey;
        } else {
            f.OrderKey = "000";
            f.OrderSubKey.clear();
        }
        return;
    }
    // The common methods are written in place; the key is rebuilt for every field of every load.
    const std::int16_t method = order.Fields[static_cast<std::size_t>(slot - 1)].Method;
    f.OrderKey.clear();
    AppendDigits(f.OrderKey, static_cast<std::size_t>(slot - 1), 3);
    if (method == 6) f.OrderKey += f.Tag;
    else if (method == 2) f.OrderKey += f.Tag[0];
    else if (method < 8 || method > 10) f.OrderKey += MethodKeyPart(f, method);
    if (f.Tag[0] == '8' && f.Tag[1] == '8' && f.Tag[2] == '0') f.OrderSubKey = SubKeyFromLinkage(f);
    else f.OrderSubKey.clear();
}

int Utf8MarcRecordClass::CompareOrder(const FieldEntry& a, const FieldEntry& b) {
    const int c = a.OrderKey.compare(b.OrderKey);
    if (c != 0) return c;
    return a.OrderSubKey.compare(b.OrderSubKey);
}

void Utf8MarcRecordClass::PlaceNewField(std::int16_t index, bool forceToFirst, bool fromLoad) {
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    auto firstFrom = [&](auto sortsAfter) {
        for (std::int16_t i = head_; i >= 0; i = fields_[static_cast<std::size_t>(i)].NextField) {
            const FieldEntry& other = fields_[static_cast<std::size_t>(i)];
            if (i != index && !other.Deleted && sortsAfter(CompareOrder(other, f))) return i;
        }
        return static_cast<std::int16_t>(-1);
    };
    if (forceToFirst) {
        const std::int16_t target = firstFrom([](int c) { return c >= 0; });
        if (target >= 0) {
            Unlink(index);
            LinkBefore(index, target);
        }
        return;
    }
    bool outOfOrder = false;
    if (fromLoad) {
        outOfOrder = loadMaxField_ >= 0 && CompareOrder(f, fields_[static_cast<std::size_t>(loadMaxField_)]) < 0;
    } else {
        for (std::int16_t i = f.PrevField; i >= 0 && !outOfOrder; i = fields_[static_cast<std::size_t>(i)].PrevField) {
            const FieldEntry& other = fields_[static_cast<std::size_t>(i)];
            outOfOrder = !other.Deleted && CompareOrder(other, f) > 0;
        }
    }
    if (!outOfOrder) {
        if (fromLoad) {
            loadMaxField_ = index;
        }
        return;
    }
    if (testFieldOrder_ && !makeNoChange_) {
        const std::int16_t target = firstFrom([](int c) { return c > 0; });
        Unlink(index);
        LinkBefore(index, target);
        fldOrderChanged_ = true;
        marcRecordModified_ = true;
    } else {
        fldsOutOfOrder_ = true;
    }
}

const Utf8MarcRecordClass::SubfieldOrderInstruction* Utf8MarcRecordClass::SubfieldOrderFor(
    const std::string& tag) const {
    const FormatOrder& order = OrderFor(formatCode_);
    const SubfieldOrderInstruction* generic = nullptr;
    for (const SubfieldOrderInstruction& ins : order.Subfields) {
        if (ins.Tag == tag) return &ins;
        if (ins.Tag.empty() && !generic) generic = &ins;
    }
    return generic;
}

std::string Utf8MarcRecordClass::RankOf(const SubfieldOrderInstruction& ins, std::string_view code) {
    const std::size_t pos = code.empty() ? std::string::npos : ins.Codes.find(code[0]);
    return Padded(pos == std::string::npos ? 99 : static_cast<long>(pos), 2);
}

void Utf8MarcRecordClass::PlaceNewSubfield(FieldEntry& f, std::int16_t index) {
    const SubfieldOrderInstruction* ins = SubfieldOrderFor(f.Tag);
    if (!ins) return;
    SubfieldEntry& added = f.Subfields[static_cast<std::size_t>(index)];
    added.SortForm = RankOf(*ins, added.Code);
    std::int16_t target = -1;
    bool outOfOrder = false;
    for (std::int16_t s = f.FirstSubfield; s >= 0 && s != index;
         s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        SubfieldEntry& other = f.Subfields[static_cast<std::size_t>(s)];
        if (other.Deleted) continue;
        other.SortForm = RankOf(*ins, other.Code);
        if (other.SortForm > added.SortForm) {
            outOfOrder = true;
            if (target < 0) target = s;
        }
    }
    if (!outOfOrder) return;
    if (testSubfieldOrder_ && !makeNoChange_) {
        // Move the new entry (the tail of the list) in front of the first subfield ranked above it.
        f.LastSubfield = added.PrevSubfield;
        f.Subfields[static_cast<std::size_t>(added.PrevSubfield)].NextSubfield = -1;
        SubfieldEntry& t = f.Subfields[static_cast<std::size_t>(target)];
        added.NextSubfield = target;
        added.PrevSubfield = t.PrevSubfield;
        if (t.PrevSubfield >= 0) f.Subfields[static_cast<std::size_t>(t.PrevSubfield)].NextSubfield = index;
        else f.FirstSubfield = index;
        t.PrevSubfield = index;
        sfdOrderChanged_ = true;
    } else {
        subfieldsOutOfOrder_ = true;
    }
    const std::string padded = " " + fldsWithSfdsOutOfOrder_ + " ";
    if (padded.find(" " + f.Tag + " ") == std::string::npos) {
        if (!fldsWithSfdsOutOfOrder_.empty()) fldsWithSfdsOutOfOrder_ += ' ';
        fldsWithSfdsOutOfOrder_ += f.Tag;
    }
}

std::string Utf8MarcRecordClass::FldOrderKey() const {
    const FieldEntry* f = Current();
    return f ? f->OrderKey : std::string();
}

std::string Utf8MarcRecordClass::FldOrderSubKey() const {
    const FieldEntry* f = Current();
    return f ? f->OrderSubKey : std::string();
}

}  // namespace linkmend
