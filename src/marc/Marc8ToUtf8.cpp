// MARC-8 to UTF-8, one text. The walk keeps G0 and G1, holds combining marks back until their base
// character has been written, decodes "&#x...;" references, and marks what it cannot translate.
#include <cstring>

#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

TranslateResult Latin1ToUtf8(std::string_view in, std::string& out);

namespace {

constexpr char kEscape = 0x1B;
constexpr unsigned char kDelimiter = 0x1F;

void AppendMarker(std::string& out, std::string_view octets) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "[MARC+";
    for (unsigned char c : octets) {
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 0xF]);
    }
    out.push_back(']');
}

class Walk {
public:
    Walk(std::string_view in, WorkingSets& sets, const TranslateOptions& options, std::string& out)
        : in_(in),
          sets_(sets),
          variant_(VariantOf(options.encoding)),
          doubleWidth_(options.doubleWidthDiacritics),
          out_(out) {}

    bool Run() {
        std::size_t i = 0;
        const std::size_t n = in_.size();
        while (i < n) {
            const unsigned char c = static_cast<unsigned char>(in_[i]);
            if (c >= 0x20 && c < 0x7F && c != '&' && sets_.g0 == WorkingSet::Ascii && marks_.empty()) {
                // Plain basic Latin: copy the whole run at once.
                std::size_t j = i + 1;
                while (j < n) {
                    const unsigned char d = static_cast<unsigned char>(in_[j]);
                    if (d < 0x20 || d >= 0x7F || d == '&') break;
                    ++j;
                }
                out_.append(in_.data() + i, j - i);
                i = j;
                continue;
            }
            i = Step(i);
        }
        FlushMarks();
        return error_;
    }

private:
    std::size_t Step(std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(in_[i]);
        if (sets_.g0 == WorkingSet::EastAsian && in_.size() - i >= 3 && c < 0x80) {
            // A few codes outside the code tables are made of octets that are otherwise a control
            // or DEL: they are taken whole before those are.
            const std::uint32_t code = (std::uint32_t{c} << 16) |
                                       (std::uint32_t{static_cast<unsigned char>(in_[i + 1])} << 8) |
                                       static_cast<unsigned char>(in_[i + 2]);
            if (const std::uint32_t cp = EastAsianSupplementToUcs(code)) {
                Base(cp);
                return i + 3;
            }
        }
        if (c == kEscape) {
            const std::size_t length = ReadEscapeSequence(in_, i, sets_);
            if (length > 0) return i + length;
            Untranslatable(in_.substr(i, 1));
            return i + 1;
        }
        if (c < 0x20) {
            FlushMarks();  // a mark with no base in this subfield stays with what came before
            out_.push_back(static_cast<char>(c));
            if (c == kDelimiter && IsSubfieldCode(in_, i + 1)) {
                // The subfield code is structure, not text: it is never read through G0.
                out_.push_back(in_[i + 1]);
                return i + 2;
            }
            return i + 1;
        }
        // A reference is basic Latin text: in another G0 set the same octets are that set's letters
        // ("x" is a Hebrew letter in the Hebrew set), never a reference.
        if (c == '&' && sets_.g0 == WorkingSet::Ascii) {
            std::uint32_t cp;
            if (const std::size_t length = ReadNumericReference(in_, i, cp)) {
                Character(cp, unicode::IsMark(cp));
                return i + length;
            }
        }
        if (c == 0x20) {
            Base(0x20);
            return i + 1;
        }
        if (c < 0x80) {
            if (c == 0x7F) {
                Untranslatable(in_.substr(i, 1));
                return i + 1;
            }
            if (sets_.g0 == WorkingSet::EastAsian) return EastAsian(i, 0);
            return Single(GraphicSetEntry(sets_.g0, c), i, 1);
        }
        if (c <= 0xA0 || c == 0xFF || sets_.g1 == WorkingSet::Ansel) return Single(LatinHighEntry(variant_, c), i, 1);
        if (sets_.g1 == WorkingSet::EastAsian) return EastAsian(i, 0x80);
        return Single(GraphicSetEntry(sets_.g1, c & 0x7F), i, 1);
    }

    std::size_t Single(std::uint32_t entry, std::size_t i, std::size_t length) {
        if (entry == 0) {
            Untranslatable(in_.substr(i, length));
        } else {
            Character(entry & ~kCombiningFlag, (entry & kCombiningFlag) != 0);
        }
        return i + length;
    }

    // Three octets (all with the high bit of the set's half) make one East Asian character.
    std::size_t EastAsian(std::size_t i, unsigned high) {
        if (in_.size() - i < 3) {
            // A trailing partial group is kept as it stands (octets above 0x7F marked).
            error_ = true;
            for (std::size_t k = i; k < in_.size(); ++k) {
                const unsigned char d = static_cast<unsigned char>(in_[k]);
                if (d < 0x80) out_.push_back(static_cast<char>(d));
                else AppendMarker(out_, in_.substr(k, 1));
            }
            return in_.size();
        }
        std::uint32_t code = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            const unsigned d = static_cast<unsigned char>(in_[i + k]);
            if (k > 0 && ((d & 0x80) != high || (d & 0x7F) < 0x20 || (d & 0x7F) == 0x7F)) {
                // Not a whole group: the first octet has no translation; go on from the next one.
                Untranslatable(in_.substr(i, 1));
                return i + 1;
            }
            code = (code << 8) | (d & 0x7F);
        }
        const std::uint32_t cp = EastAsianToUcs(code);
        if (cp == 0) Untranslatable(in_.substr(i, 3));
        else Base(cp);
        return i + 3;
    }

    void Character(std::uint32_t cp, bool combining) {
        if (combining) {
            if (doubleWidth_) {
                if (cp == 0xFE21 || cp == 0xFE23) return;  // the double-width mark covers both letters
                if (cp == 0xFE20) cp = 0x0361;
                if (cp == 0xFE22) cp = 0x0360;
            }
            AppendUtf8(marks_, cp);
        } else {
            Base(cp);
        }
    }

    void Base(std::uint32_t cp) {
        AppendUtf8(out_, cp);
        FlushMarks();
    }

    void FlushMarks() {
        if (marks_.empty()) return;
        out_ += marks_;
        marks_.clear();
    }

    void Untranslatable(std::string_view octets) {
        error_ = true;
        AppendMarker(out_, octets);
        FlushMarks();
    }

    std::string_view in_;
    WorkingSets& sets_;
    LatinVariant variant_;
    bool doubleWidth_;
    std::string& out_;
    std::string marks_;
    bool error_ = false;
};

}  // namespace

TranslateResult Marc8ToUtf8(std::string_view in, WorkingSets& sets, const TranslateOptions& options, std::string& out) {
    if (options.encoding == Encoding::Latin1) {
        sets = WorkingSets{};  // Latin-1 has no sets to switch
        return Latin1ToUtf8(in, out);
    }
    const std::size_t start = out.size();
    TranslateResult result;
    result.error = Walk(in, sets, options, out).Run();
    result.changed = out.size() - start != in.size() || std::memcmp(out.data() + start, in.data(), in.size()) != 0;
    return result;
}

}  // namespace linkmend::marc8
