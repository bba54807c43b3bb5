// UTF-8 to MARC-8, one text. Each base character is written with its combining marks in front of
// it, each from the set that holds it; a set is designated only when it is not already in force,
// preferring a home in the sets already in force (so Greek text keeps its own accents and the
// Greek-symbol alpha is used only while that set is in force).
#include <cstring>
#include <vector>

#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

TranslateResult Utf8ToLatin1(std::string_view in, std::string& out);

namespace {

bool IsTechniqueOne(WorkingSet set) {
    return set == WorkingSet::GreekSymbols || set == WorkingSet::Subscripts || set == WorkingSet::Superscripts;
}

// Where an entry of the single-octet table lives: set number and octet to set, region and octet.
void Place(const SingleOctetEntry& e, Marc8Character& enc) {
    const bool high = e.octet >= 0x80;
    enc.setNumber = e.set;
    switch (e.set) {
        case 1:
            enc.set = WorkingSet::Ansel;
            enc.region = e.octet <= 0xA0 ? Region::None : Region::G1;
            break;
        case 2: enc.set = WorkingSet::GreekSymbols; break;
        case 3: enc.set = WorkingSet::Subscripts; break;
        case 4: enc.set = WorkingSet::Superscripts; break;
        case 5: enc.set = WorkingSet::Hebrew; break;
        case 6: enc.set = high ? WorkingSet::CyrillicExtended : WorkingSet::CyrillicBasic; break;
        case 7: enc.set = high ? WorkingSet::ArabicExtended : WorkingSet::ArabicBasic; break;
        default: enc.set = WorkingSet::Greek; break;
    }
    if (e.set != 1) enc.region = high ? Region::G1 : Region::G0;
    enc.octets.assign(1, static_cast<char>(enc.region == Region::G0 ? (e.octet & 0x7F) : e.octet));
}

// True for the combining marks MARC-8 writes in front of their letter: every Unicode mark but those
// MARC-8 holds only as spacing characters (the Arabic superscript alef), which a reader takes for a
// base and which therefore keep their place after the letter before them.
bool CombiningInMarc8(std::uint32_t cp) {
    if (!unicode::IsMark(cp)) return false;
    const auto entries = SingleOctetEntries(cp);
    for (const SingleOctetEntry& e : entries)
        if (e.combining) return true;
    return entries.empty();
}

std::uint8_t NumberOfSet(WorkingSet set) {
    switch (set) {
        case WorkingSet::Ascii: return 0;
        case WorkingSet::Ansel: return 1;
        case WorkingSet::GreekSymbols: return 2;
        case WorkingSet::Subscripts: return 3;
        case WorkingSet::Superscripts: return 4;
        case WorkingSet::Hebrew: return 5;
        case WorkingSet::CyrillicBasic:
        case WorkingSet::CyrillicExtended: return 6;
        case WorkingSet::ArabicBasic:
        case WorkingSet::ArabicExtended: return 7;
        case WorkingSet::Greek: return 8;
        case WorkingSet::EastAsian: return kEastAsianSetNumber;
    }
    return 0;
}

bool InForce(const Marc8Character& e, const WorkingSets& sets) {
    if (e.region == Region::G0) return sets.g0 == e.set;
    if (e.region == Region::G1) return sets.g1 == e.set;
    return true;
}

}  // namespace

Marc8Character EncodeCharacter(std::uint32_t cp, Encoding encoding, const WorkingSets& inForce, WorkingSet preferred) {
    Marc8Character enc;
    // DEL (U+007F) is no character of MARC-8: the reader marks the octet untranslatable, so it is
    // written like any other character MARC-8 lacks rather than passed through unflagged.
    if (cp < 0x7F) {
        enc.octets.assign(1, static_cast<char>(cp));
        if (cp < 0x20 || (cp == 0x20 && inForce.g0 != WorkingSet::EastAsian)) return enc;
        enc.region = Region::G0;
        const bool keep =
            cp > 0x20 && cp < 0x7F && inForce.g0 != WorkingSet::EastAsian && GraphicSetEntry(inForce.g0, cp) == cp;
        enc.set = keep ? inForce.g0 : WorkingSet::Ascii;
        enc.setNumber = NumberOfSet(enc.set);
        return enc;
    }
    const LatinVariant variant = VariantOf(encoding);
    if (const std::uint8_t octet = VariantOctet(variant, cp)) {
        enc.set = WorkingSet::Ansel;
        enc.setNumber = 1;
        enc.region = octet <= 0xA0 ? Region::None : Region::G1;
        enc.octets.assign(1, static_cast<char>(octet));
        return enc;
    }
    const SingleOctetEntry* preferredEntry = nullptr;
    const SingleOctetEntry* inForceEntry = nullptr;
    const SingleOctetEntry* plain = nullptr;
    const SingleOctetEntry* any = nullptr;
    for (const SingleOctetEntry& e : SingleOctetEntries(cp)) {
        if (e.set == 1 && VariantTakesOctet(variant, e.octet)) continue;
        Marc8Character trial;
        Place(e, trial);
        if (!preferredEntry && trial.set == preferred) preferredEntry = &e;
        if (!inForceEntry && InForce(trial, inForce)) inForceEntry = &e;
        if (!any) any = &e;
        if (!plain && !e.alternative) plain = &e;
    }
    const SingleOctetEntry* chosen = preferredEntry ? preferredEntry
                                     : inForceEntry ? inForceEntry
                                     : plain        ? plain
                                                    : any;
    if (chosen) {
        Place(*chosen, enc);
        return enc;
    }
    if (const std::uint32_t code = UcsToEastAsian(cp)) {
        enc.set = WorkingSet::EastAsian;
        enc.setNumber = kEastAsianSetNumber;
        enc.region = Region::G0;
        enc.octets = {static_cast<char>(code >> 16), static_cast<char>((code >> 8) & 0xFF),
                      static_cast<char>(code & 0xFF)};
        return enc;
    }
    enc.octets.clear();
    AppendNumericReference(enc.octets, cp);
    enc.region = Region::G0;
    enc.error = true;
    return enc;
}

namespace {

class Encoder {
public:
    Encoder(std::string_view in, WorkingSets& sets, Encoding encoding, std::string& out)
        : in_(in), sets_(sets), encoding_(encoding), out_(out) {}

    bool Run() {
        std::size_t i = 0;
        const std::size_t n = in_.size();
        while (i < n) {
            if (sets_.g0 == WorkingSet::Ascii && pendingHalf_ == 0) {
                // Basic Latin copied in runs; the run's last letter is left for the cluster step when
                // a non-ASCII character (perhaps a combining mark) follows it.
                std::size_t j = i;
                while (j < n) {
                    const unsigned char d = static_cast<unsigned char>(in_[j]);
                    if (d < 0x20 || d >= 0x7F || d == '&') break;
                    ++j;
                }
                if (j < n && static_cast<unsigned char>(in_[j]) >= 0x80 && j > i) --j;
                if (j > i) {
                    out_.append(in_.data() + i, j - i);
                    i = j;
                    continue;
                }
            }
            i = Cluster(i);
        }
        ResetSets();
        return error_;
    }

private:
    // A base character and the combining marks after it. A precomposed letter MARC-8 lacks is
    // written as its base letter and marks.
    std::size_t Cluster(std::size_t i) {
        Utf8Decoded base = DecodeUtf8(in_, i);
        std::size_t k = i + base.length;
        marks_.clear();
        // A mark with no letter before it (at the start, after a control) stands alone: taken as a
        // base for the marks after it, it would be written after them and so read back after them.
        if (base.valid && base.cp >= 0x20 && !CombiningInMarc8(base.cp)) {
            while (k < in_.size()) {
                const Utf8Decoded next = DecodeUtf8(in_, k);
                if (!next.valid || !CombiningInMarc8(next.cp)) break;
                marks_.push_back(next.cp);
                k += next.length;
            }
        }
        if (base.valid && base.cp < 0x20) {
            pendingHalf_ = 0;  // a double-width mark does not reach over a subfield boundary
            // Each subfield starts in the default sets, so that readers which convert subfield by
            // subfield read it the same way.
            if (base.cp == 0x1D || base.cp == 0x1E || base.cp == 0x1F) ResetSets();
            // The subfield code is structure, not text: an "&" there is the code, never a reference.
            if (base.cp == 0x1F && IsSubfieldCode(in_, k)) {
                out_.append(in_.data() + i, 2);
                return k + 1;
            }
        }
        Marc8Character baseForm = Encode(base, i);
        if (baseForm.error && base.valid) {
            if (const auto parts = unicode::Decompose(base.cp); !parts.empty()) {
                // A letter's parts are its letter and marks; a mark standing alone has marks for
                // parts, which stand alone too and so keep their order: the last one goes last.
                const bool alone = CombiningInMarc8(base.cp);
                marks_.insert(marks_.begin(), parts.begin() + (alone ? 0 : 1), parts.end() - (alone ? 1 : 0));
                base.cp = alone ? parts.back() : parts[0];
                baseForm = Encode(base, i);
            }
        }
        ComposeMissingMarks(base, baseForm, i);
        if (pendingHalf_ != 0) {
            Marc8Character half;
            half.set = WorkingSet::Ansel;
            half.region = Region::G1;
            half.octets.assign(1, static_cast<char>(pendingHalf_));
            Write(half);
            pendingHalf_ = 0;
        }
        std::uint8_t nextHalf = 0;
        for (std::uint32_t mark : marks_) {
            Write(EncodeCharacter(mark, encoding_, sets_, baseForm.set));
            if (mark == 0x0361) nextHalf = 0xEC;
            if (mark == 0x0360) nextHalf = 0xFB;
        }
        // Encoded again after the marks: they may have changed G0.
        Write(marks_.empty() ? baseForm : Encode(base, i));
        if (nextHalf != 0) pendingHalf_ = nextHalf;
        return k;
    }

    // A mark MARC-8 has no code for may make, with the base, a letter it has: the horn of the
    // Vietnamese O and U (U+031B) is no MARC-8 mark, but O and U with horn are letters of their own.
    void ComposeMissingMarks(Utf8Decoded& base, Marc8Character& baseForm, std::size_t at) {
        if (!base.valid || baseForm.error) return;
        for (std::size_t m = 0; m < marks_.size();) {
            const std::uint32_t composed = unicode::Compose(base.cp, marks_[m]);
            if (composed != 0 && EncodeCharacter(marks_[m], encoding_, sets_, baseForm.set).error) {
                Utf8Decoded letter = base;
                letter.cp = composed;
                const Marc8Character form = Encode(letter, at);
                if (!form.error) {
                    base = letter;
                    baseForm = form;
                    marks_.erase(marks_.begin() + static_cast<std::ptrdiff_t>(m));
                    continue;
                }
            }
            ++m;
        }
    }

    Marc8Character Encode(const Utf8Decoded& ch, std::size_t at) const {
        Marc8Character enc;
        if (!ch.valid) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            enc.octets = "[UTF8+";
            enc.octets.push_back(kHex[ch.cp >> 4]);
            enc.octets.push_back(kHex[ch.cp & 0xF]);
            enc.octets.push_back(']');
            enc.region = Region::G0;
            enc.error = true;
            return enc;
        }
        if (ch.cp == '&' && ReadsAsReference(at)) {
            // A literal "&#x...;" would read back as a reference: write its ampersand as one.
            AppendNumericReference(enc.octets, '&');
            enc.region = Region::G0;
            return enc;
        }
        return EncodeCharacter(ch.cp, encoding_, sets_, WorkingSet::Ascii);
    }

    // True when the "&" at `at` is followed, once written, by the rest of a reference: its marks go
    // in front of it in MARC-8, so what follows them follows the "&" there.
    bool ReadsAsReference(std::size_t at) const {
        std::size_t next = at + 1;
        while (next < in_.size()) {
            const Utf8Decoded mark = DecodeUtf8(in_, next);
            if (!mark.valid || !CombiningInMarc8(mark.cp)) break;
            next += mark.length;
        }
        std::string written = "&";
        written.append(in_.substr(next, 10));  // "#x", up to six digits and ";"
        std::uint32_t referenced;
        return ReadNumericReference(written, 0, referenced) > 0;
    }

    void ResetSets() {
        if (sets_.g0 != WorkingSet::Ascii) Designate(WorkingSet::Ascii, Region::G0);
        if (sets_.g1 != WorkingSet::Ansel) Designate(WorkingSet::Ansel, Region::G1);
    }

    void Designate(WorkingSet set, Region region) {
        if (region == Region::G0) {
            if (set == WorkingSet::Ascii && IsTechniqueOne(sets_.g0)) out_ += "\x1Bs";
            else out_ += DesignationSequence(set, false);
            sets_.g0 = set;
        } else {
            out_ += DesignationSequence(set, true);
            sets_.g1 = set;
        }
    }

    void Write(const Marc8Character& e) {
        if (!InForce(e, sets_)) Designate(e.set, e.region);
        out_ += e.octets;
        error_ = error_ || e.error;
    }

    std::string_view in_;
    WorkingSets& sets_;
    Encoding encoding_;
    std::string& out_;
    std::vector<std::uint32_t> marks_;
    std::uint8_t pendingHalf_ = 0;
    bool error_ = false;
};

}  // namespace

TranslateResult Utf8ToMarc8(std::string_view in, WorkingSets& sets, const TranslateOptions& options, std::string& out) {
    if (options.encoding == Encoding::Latin1) {
        sets = WorkingSets{};  // Latin-1 has no sets to switch
        return Utf8ToLatin1(in, out);
    }
    const std::size_t start = out.size();
    TranslateResult result;
    result.error = Encoder(in, sets, options.encoding, out).Run();
    result.changed = out.size() - start != in.size() || std::memcmp(out.data() + start, in.data(), in.size()) != 0;
    return result;
}

}  // namespace linkmend::marc8
