// Display renderings of a field and of the whole record, and the script survey of a text.
#include <cstdio>

#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {

// Script letter of a code point, or 0 for the Latin repertoire and what MARC-8 Latin can carry.
char ScriptOf(std::int32_t cp) {
    if (cp < 0x0370) return 0;
    if ((cp >= 0x0370 && cp <= 0x03FF) || (cp >= 0x1F00 && cp <= 0x1FFF)) return 'G';
    if (cp >= 0x0400 && cp <= 0x052F) return 'R';
    if (cp >= 0x0590 && cp <= 0x05FF) return 'H';
    if (cp >= 0x0600 && cp <= 0x06FF) return 'A';
    if ((cp >= 0x1100 && cp <= 0x11FF) || (cp >= 0xAC00 && cp <= 0xD7AE)) return 'K';
    if (cp >= 0x3040 && cp <= 0x30FF) return 'J';
    if ((cp >= 0x2E80 && cp <= 0x2FD5) || (cp >= 0x2FF0 && cp <= 0x2FFB) || (cp >= 0x3400 && cp <= 0x4DFF) ||
        (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0x20000 && cp <= 0x2A6D6) ||
        (cp >= 0x2F800 && cp <= 0x2FA1D)) {
        return 'C';
    }
    if ((cp >= 0x1AB0 && cp <= 0x1AFF) || (cp >= 0x1DC0 && cp <= 0x1EFF) || (cp >= 0x2000 && cp <= 0x20CF) ||
        cp == 0x2113 || cp == 0x2117 || cp == 0x266D || cp == 0x266F || (cp >= 0xFE20 && cp <= 0xFE23)) {
        return 0;
    }
    return 'Z';
}

void AppendHex(std::string& out, unsigned char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\&H%02X", c);
    out += buf;
}

bool Wanted(const std::string& code, const std::string& include, const std::string& exclude) {
    if (code.empty()) return true;  // text before the first delimiter is always shown
    if (!include.empty() && include.find(code[0]) == std::string::npos) return false;
    return exclude.find(code[0]) == std::string::npos;
}

// Text as RTF: the RTF specials escaped, UTF-8 characters beyond ASCII as \uN? (signed 16-bit,
// with surrogate pairs beyond the basic plane), other octets as \'hh.
void AppendRtfText(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Decoded d = DecodeUtf8(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char buf[32];
        if (d.codePoint < 0 || (d.length == 1 && c < 0x20)) {
            std::snprintf(buf, sizeof buf, "\\'%02x", c);
            out += buf;
        } else if (d.length == 1) {
            if (c == '\\' || c == '{' || c == '}') out += '\\';
            out += static_cast<char>(c);
        } else {
            auto unit = [&](std::int32_t u) {
                std::snprintf(buf, sizeof buf, "\\u%d?", u > 32767 ? u - 65536 : u);
                out += buf;
            };
            if (d.codePoint > 0xFFFF) {
                const std::int32_t v = d.codePoint - 0x10000;
                unit(0xD800 + (v >> 10));
                unit(0xDC00 + (v & 0x3FF));
            } else {
                unit(d.codePoint);
            }
        }
        i += d.length;
    }
}

}  // namespace

bool Utf8MarcRecordClass::VernacularDataPresent(std::string_view sIn) {
    for (std::size_t i = 0; i < sIn.size();) {
        const Utf8Decoded d = DecodeUtf8(sIn, i);
        if (d.codePoint >= 0 && ScriptOf(d.codePoint) != 0) return true;
        i += d.length;
    }
    return false;
}

bool Utf8MarcRecordClass::VernacularDataCharacterize(std::string_view sIn, std::string& sCharacterSetsPresent) {
    static constexpr std::string_view kOrder = "GRHAKJCZ";
    bool seen[8] = {};
    for (std::size_t i = 0; i < sIn.size();) {
        const Utf8Decoded d = DecodeUtf8(sIn, i);
        if (d.codePoint >= 0) {
            if (const char script = ScriptOf(d.codePoint)) seen[kOrder.find(script)] = true;
        }
        i += d.length;
    }
    sCharacterSetsPresent.clear();
    for (std::size_t k = 0; k < kOrder.size(); ++k) {
        if (seen[k]) sCharacterSetsPresent += kOrder[k];
    }
    return !sCharacterSetsPresent.empty();
}

// Plain display: "|u http://x |z note"; octets below 0x1F (and from 0x80 up when the output set
// is not UTF-8) as \&Hhh.
std::string Utf8MarcRecordClass::PlainFieldText(const FieldEntry& f, const std::string& include,
                                                const std::string& exclude) const {
    std::string out;
    AppendPlainFieldText(out, f, include, exclude);
    return out;
}

void Utf8MarcRecordClass::AppendPlainFieldText(std::string& out, const FieldEntry& f, const std::string& include,
                                               const std::string& exclude) const {
    const bool hexHigh = characterSetOut_ != 'U';
    // Runs of characters that stand for themselves go in whole (this builds every list line).
    auto appendText = [&](std::string_view text) {
        std::size_t run = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c > 0x1F && !(hexHigh && c >= 0x80)) continue;
            out.append(text.substr(run, i - run));
            if (c == 0x1F) out += '|';
            else AppendHex(out, c);
            run = i + 1;
        }
        out.append(text.substr(run));
    };
    const std::size_t start = out.size();
    if (f.NoIndicators) {
        if (f.MaxSubfield >= 0) appendText(f.Subfields[0].Text);
        return;
    }
    for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
        if (sub.Deleted || !Wanted(sub.Code, include, exclude)) continue;
        if (!sub.Code.empty()) {
            if (out.size() > start) out += ' ';
            out += '|';
            appendText(sub.Code);
            out += ' ';
        }
        appendText(sub.Text);
    }
}

std::string Utf8MarcRecordClass::RtfFieldText(const FieldEntry& f, const std::string& include,
                                              const std::string& exclude) const {
    std::string out;
    if (f.NoIndicators) {
        if (f.MaxSubfield >= 0) AppendRtfText(out, f.Subfields[0].Text);
        return out;
    }
    for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
        if (sub.Deleted || !Wanted(sub.Code, include, exclude)) continue;
        if (!sub.Code.empty()) {
            if (!out.empty()) out += ' ';
            out += "{\\b |";
            AppendRtfText(out, sub.Code);
            out += "} ";
        }
        AppendRtfText(out, sub.Text);
    }
    return out;
}

namespace {
std::string RtfDocument(const std::string& body, std::int16_t points) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Arial Unicode MS;}}\r\n"
           "\\viewkind4\\uc1\\pard\\f0\\fs" +
           std::to_string(2 * points) + " " + body + "\\par}";
}
}  // namespace

std::string Utf8MarcRecordClass::FldTextFormatted(std::int32_t iOutput, bool bIncludeRtfWrapper,
                                                  std::int16_t iRtfFontSizeInPoints,
                                                  const std::string& sSubfieldsToInclude,
                                                  const std::string& sSubfieldsToExclude) {
    const FieldEntry* f = Current();
    if (!f) return std::string();
    if (iOutput == 0) return PlainFieldText(*f, sSubfieldsToInclude, sSubfieldsToExclude);
    const std::string body = RtfFieldText(*f, sSubfieldsToInclude, sSubfieldsToExclude);
    return bIncludeRtfWrapper ? RtfDocument(body, iRtfFontSizeInPoints) : body;
}

// The labelled fixed fields of the leader and 008, three lines in the manner of a cataloguing
// client's fixed-field display; a position the record lacks shows as a blank.
std::string Utf8MarcRecordClass::FixedFieldBlock() const {
    auto ldr = [&](int p, int n = 1) {
        const std::string v = GetLeaderValue(static_cast<std::int16_t>(p), static_cast<std::int16_t>(n));
        return v.empty() ? std::string(static_cast<std::size_t>(n), ' ') : v;
    };
    auto f008 = [&](int p, int n = 1) {
        std::string v = Get008Value(static_cast<std::int16_t>(p), static_cast<std::int16_t>(n));
        v.resize(static_cast<std::size_t>(n), ' ');
        return v;
    };
    std::string block = "Rec stat: " + ldr(5) + "  Entered: " + f008(0, 6);
    if (formatCode_ == "A") {
        block += "\r\nType: " + ldr(6) + "  ELvl: " + ldr(17) + "  Srce: " + f008(39) + " Ref status: " + f008(29) +
                 " Upd status: " + f008(31);
        block += "\r\nEnc: " + ldr(9) + "  Ctrl: " + ldr(8) + " Geo subd: " + f008(6) + " Ser use: " + f008(16);
        return block;
    }
    if (formatCode_ == "H") {
        block += "\r\nType: " + ldr(6) + "  ELvl: " + ldr(17) + "  Ctrl: " + ldr(8) + "  Acq stat: " + f008(6);
        return block;
    }
    const int formPosition = formatCode_ == "P" || formatCode_ == "F" ? 29 : 23;
    block += "\r\nType: " + ldr(6) + "  BLvl: " + ldr(7) + "  ELvl: " + ldr(17) + "  Ctrl: " + ldr(8) +
             "  Srce: " + f008(39);
    block +=
        "\r\nLang: " + f008(35, 3) + "  Form: " + f008(formPosition) + "  MRec: " + f008(38) + "  Ctry: " + f008(15, 3);
    return block;
}

std::string Utf8MarcRecordClass::TextFormatted(std::int32_t iOutput, bool bIncludeRtfWrapper,
                                               std::int16_t iRtfFontSizeInPoints) {
    const bool rtf = iOutput != 0;
    const std::string lineEnd = rtf ? "\\par\r\n" : "\r\n";
    std::string out;
    const std::string block = FixedFieldBlock();
    if (rtf) {
        std::size_t start = 0;
        for (std::size_t end; (end = block.find("\r\n", start)) != std::string::npos; start = end + 2) {
            AppendRtfText(out, std::string_view(block).substr(start, end - start));
            out += lineEnd;
        }
        AppendRtfText(out, std::string_view(block).substr(start));
    } else {
        out = block;
    }
    for (std::int16_t i = head_; i >= 0; i = fields_[static_cast<std::size_t>(i)].NextField) {
        const FieldEntry& f = fields_[static_cast<std::size_t>(i)];
        if (f.Deleted) continue;
        out += lineEnd;
        const std::string prefix = f.Tag + (f.NoIndicators ? std::string("    ") : " " + f.Indicators + " ");
        if (rtf) {
            AppendRtfText(out, prefix);
            out += RtfFieldText(f, std::string(), std::string());
        } else {
            out += prefix;
            AppendPlainFieldText(out, f, std::string(), std::string());
        }
    }
    return rtf && bIncludeRtfWrapper ? RtfDocument(out, iRtfFontSizeInPoints) : out;
}

}  // namespace linkmend
