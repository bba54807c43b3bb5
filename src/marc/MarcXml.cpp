// MARCXML to ISO 2709 and back: a small scanner over one record element (tags, text, comments,
// CDATA, processing instructions), the five predefined entities and character references.
#include "marc/MarcXml.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "marc/Marc8Text.h"

namespace linkmend::marcxml {
namespace {

constexpr char kDelimiter = 0x1F;
constexpr char kEndOfField = 0x1E;
constexpr char kEndOfRecord = 0x1D;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool AllSpace(std::string_view s) {
    for (char c : s)
        if (!IsSpace(c)) return false;
    return true;
}

std::string_view LocalName(std::string_view qname) {
    const auto colon = qname.rfind(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

struct Token {
    enum class Kind { Text, Start, End, Empty, Cdata, Other };
    Kind kind = Kind::Other;
    std::string_view raw;         // the token as written
    std::string_view qname;       // a tag's name with its prefix
    std::string_view attributes;  // what follows the name inside a start tag
};

class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {}

    // The next token; false at the end or, with `problem` set, where the text is not well formed.
    bool Next(Token& t, std::string& problem) {
        if (at_ >= s_.size()) return false;
        const std::size_t from = at_;
        if (s_[at_] != '<') {
            const auto lt = s_.find('<', at_);
            at_ = lt == std::string_view::npos ? s_.size() : lt;
            t = {Token::Kind::Text, s_.substr(from, at_ - from), {}, {}};
            return true;
        }
        auto closedBy = [&](std::string_view opener, std::string_view closer, Token::Kind kind) {
            const auto end = s_.find(closer, at_ + opener.size());
            if (end == std::string_view::npos) {
                problem = "Unclosed " + std::string(opener) + " in the record element";
                return false;
            }
            at_ = end + closer.size();
            t = {kind, s_.substr(from, at_ - from), {}, {}};
            return true;
        };
        if (s_.compare(at_, 4, "<!--") == 0) return closedBy("<!--", "-->", Token::Kind::Other);
        if (s_.compare(at_, 9, "<![CDATA[") == 0) return closedBy("<![CDATA[", "]]>", Token::Kind::Cdata);
        if (s_.compare(at_, 2, "<?") == 0) return closedBy("<?", "?>", Token::Kind::Other);
        if (s_.compare(at_, 2, "<!") == 0) return closedBy("<!", ">", Token::Kind::Other);
        const bool closing = s_.compare(at_, 2, "</") == 0;
        std::size_t i = at_ + (closing ? 2 : 1);
        const std::size_t nameStart = i;
        while (i < s_.size() && !IsSpace(s_[i]) && s_[i] != '>' && s_[i] != '/') ++i;
        const std::string_view qname = s_.substr(nameStart, i - nameStart);
        const std::size_t attributesStart = i;
        char quote = 0;
        for (; i < s_.size(); ++i) {
            if (quote != 0) {
                if (s_[i] == quote) quote = 0;
            } else if (s_[i] == '"' || s_[i] == '\'') {
                quote = s_[i];
            } else if (s_[i] == '>') {
                break;
            }
        }
        if (i >= s_.size() || qname.empty()) {
            problem = "Unclosed or nameless tag in the record element";
            return false;
        }
        const bool empty = !closing && s_[i - 1] == '/';
        at_ = i + 1;
        t.kind = closing ? Token::Kind::End : empty ? Token::Kind::Empty : Token::Kind::Start;
        t.raw = s_.substr(from, at_ - from);
        t.qname = qname;
        t.attributes = s_.substr(attributesStart, i - attributesStart - (empty ? 1 : 0));
        return true;
    }

private:
    std::string_view s_;
    std::size_t at_ = 0;
};

// Appends text with its entities and character references resolved; false at one it cannot read.
bool Decode(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            const auto amp = text.find('&', i);
            const std::size_t end = amp == std::string_view::npos ? text.size() : amp;
            out.append(text.data() + i, end - i);
            i = end;
            continue;
        }
        const auto semicolon = text.find(';', i);
        if (semicolon == std::string_view::npos) return false;
        const std::string_view name = text.substr(i + 1, semicolon - i - 1);
        if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "amp") out += '&';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else if (name.size() >= 2 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            if (digits.empty() || digits.size() > 8) return false;
            char* end = nullptr;
            const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (*end != '\0' || cp == 0 || cp > 0x10FFFF) return false;
            marc8::AppendUtf8(out, static_cast<std::uint32_t>(cp));
        } else {
            return false;
        }
        i = semicolon + 1;
    }
    return true;
}

// The value of an attribute (by local name) of a start tag; false when it is absent or unreadable.
bool Attribute(std::string_view attributes, std::string_view wanted, std::string& value) {
    std::size_t i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && IsSpace(attributes[i])) ++i;
        const std::size_t nameStart = i;
        while (i < attributes.size() && attributes[i] != '=' && !IsSpace(attributes[i])) ++i;
        const std::string_view name = attributes.substr(nameStart, i - nameStart);
        while (i < attributes.size() && (IsSpace(attributes[i]) || attributes[i] == '=')) ++i;
        if (i >= attributes.size()) return false;
        const char quote = attributes[i];
        const auto end = attributes.find(quote, i + 1);
        if ((quote != '"' && quote != '\'') || end == std::string_view::npos) return false;
        if (LocalName(name) == wanted) {
            value.clear();
            return Decode(attributes.substr(i + 1, end - i - 1), value);
        }
        i = end + 1;
    }
    return false;
}

// The local names of a start tag's attributes, in their order.
std::vector<std::string_view> AttributeNames(std::string_view attributes) {
    std::vector<std::string_view> names;
    std::size_t i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && IsSpace(attributes[i])) ++i;
        const std::size_t nameStart = i;
        while (i < attributes.size() && attributes[i] != '=' && !IsSpace(attributes[i])) ++i;
        if (i > nameStart) names.push_back(LocalName(attributes.substr(nameStart, i - nameStart)));
        const auto quote = attributes.find_first_of("\"'", i);
        if (quote == std::string_view::npos) break;
        const auto end = attributes.find(attributes[quote], quote + 1);
        if (end == std::string_view::npos) break;
        i = end + 1;
    }
    return names;
}

struct XmlField {
    std::string tag;
    bool control = false;
    std::string data;  // indicators and subfields, or the control field's text
};

void AppendDigits(std::string& out, std::size_t value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*zu", width, value);
    out += buf;
}

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"':
                if (attribute) out += "&quot;";
                else out += c;
                break;
            default: out += c;
        }
    }
}

}  // namespace

bool ToIso2709(std::string_view element, std::string& record, std::string& problem) {
    problem.clear();
    Scanner scanner(element);
    Token t;
    std::vector<std::string_view> open;  // local names of the open elements
    std::string leader;
    std::vector<XmlField> fields;
    std::string* collect = nullptr;  // where the text now read belongs
    bool done = false;
    auto fail = [&](const std::string& why) {
        problem = why;
        return false;
    };
    while (!done && scanner.Next(t, problem)) {
        switch (t.kind) {
            case Token::Kind::Text:
                if (collect && !Decode(t.raw, *collect)) return fail("Unreadable entity in the record element");
                break;
            case Token::Kind::Cdata:
                if (collect) collect->append(t.raw.substr(9, t.raw.size() - 12));
                break;
            case Token::Kind::Other: break;
            case Token::Kind::Start:
            case Token::Kind::Empty: {
                const std::string_view name = LocalName(t.qname);
                const std::string_view parent = open.empty() ? std::string_view() : open.back();
                collect = nullptr;
                std::string value;
                if (open.empty()) {
                    if (name != "record") return fail("Not a record element");
                } else if (parent == "record" && name == "leader") {
                    collect = &leader;
                } else if (parent == "record" && (name == "controlfield" || name == "datafield")) {
                    XmlField& f = fields.emplace_back();
                    if (!Attribute(t.attributes, "tag", f.tag) || f.tag.size() != 3)
                        return fail("A field without a tag of three characters");
                    f.control = name == "controlfield";
                    if (f.control) {
                        collect = &f.data;
                    } else {
                        for (const char* indicator : {"ind1", "ind2"}) {
                            if (!Attribute(t.attributes, indicator, value) || value.empty()) value = " ";
                            if (value.size() != 1)
                                return fail("Field " + f.tag + ": an indicator of more than one character");
                            f.data += value;
                        }
                    }
                } else if (parent == "datafield" && name == "subfield" && !fields.empty()) {
                    if (!Attribute(t.attributes, "code", value) || value.size() != 1)
                        return fail("Field " + fields.back().tag + ": a subfield without a code of one character");
                    fields.back().data += kDelimiter + value;
                    collect = &fields.back().data;
                }
                if (t.kind == Token::Kind::Start) open.push_back(name);
                else collect = nullptr;
                break;
            }
            case Token::Kind::End:
                if (open.empty() || LocalName(t.qname) != open.back())
                    return fail("Mismatched end tag in the record element");
                open.pop_back();
                collect = nullptr;
                done = open.empty();
                break;
        }
    }
    if (!problem.empty()) return false;
    if (!done) return fail("The record element is not closed");
    if (leader.size() != 24) return fail("The leader is not 24 characters long");

    std::string directory, data;
    for (const XmlField& f : fields) {
        const std::size_t length = f.data.size() + 1;
        if (length > 9999) return fail("Field " + f.tag + " is too long for ISO 2709");
        directory += f.tag;
        AppendDigits(directory, length, 4);
        AppendDigits(directory, data.size(), 5);
        data += f.data;
        data += kEndOfField;
    }
    const std::size_t base = 24 + directory.size() + 1;
    const std::size_t total = base + data.size() + 1;
    if (total > 99999) return fail("The record is too long for ISO 2709");
    std::string digits;
    AppendDigits(digits, total, 5);
    AppendDigits(digits, base, 5);
    leader.replace(0, 5, digits, 0, 5);
    leader.replace(12, 5, digits, 5, 5);
    record = leader + directory + kEndOfField + data + kEndOfRecord;
    return true;
}

std::string FromIso2709(std::string_view record, std::string_view model) {
    // The manner of the model: opening tag, prefix, the blanks before fields, subfields and the
    // closing tags, and its elements that are no part of the record.
    std::string opening = "<record>", prefix, extras;
    std::string_view leaderIndent, fieldIndent, subfieldIndent, fieldClose, recordClose;
    bool seenLeader = false, seenField = false, seenSubfield = false, seenFieldClose = false, seenDatafield = false;
    std::vector<std::string> attributeOrder = {"tag", "ind1", "ind2"};
    {
        Scanner scanner(model);
        Token t;
        std::string problem;
        std::vector<std::string_view> open;
        std::string_view blanks;
        std::size_t extraStart = 0;
        while (scanner.Next(t, problem)) {
            const std::string_view parent = open.empty() ? std::string_view() : open.back();
            if (t.kind == Token::Kind::Text) {
                blanks = AllSpace(t.raw) ? t.raw : std::string_view();
                continue;
            }
            const std::string_view name = LocalName(t.qname);
            if (t.kind == Token::Kind::Start || t.kind == Token::Kind::Empty) {
                if (open.empty()) {
                    opening = std::string(t.raw);
                    prefix = std::string(t.qname.substr(0, t.qname.size() - name.size()));
                } else if (parent == "record" && name == "leader") {
                    leaderIndent = blanks;
                    seenLeader = true;
                } else if (parent == "record" && (name == "controlfield" || name == "datafield")) {
                    if (!seenField) fieldIndent = blanks;
                    seenField = true;
                    if (name == "datafield" && !seenDatafield) {
                        // The order its attributes come in (tag, ind1, ind2 unless the model differs).
                        seenDatafield = true;
                        std::vector<std::string_view> order;
                        for (std::string_view a : AttributeNames(t.attributes)) {
                            if (a == "tag" || a == "ind1" || a == "ind2") order.push_back(a);
                        }
                        if (order.size() == 3) attributeOrder.assign(order.begin(), order.end());
                    }
                } else if (parent == "record") {
                    extraStart = static_cast<std::size_t>(t.raw.data() - model.data()) - blanks.size();
                    if (t.kind == Token::Kind::Empty) extras += model.substr(extraStart, t.raw.size() + blanks.size());
                } else if (parent == "datafield" && name == "subfield" && !seenSubfield) {
                    subfieldIndent = blanks;
                    seenSubfield = true;
                }
                if (t.kind == Token::Kind::Start) open.push_back(name);
            } else if (t.kind == Token::Kind::End && !open.empty()) {
                open.pop_back();
                const std::string_view outer = open.empty() ? std::string_view() : open.back();
                if (open.empty()) {
                    recordClose = blanks;
                    break;
                }
                if (outer == "record" && name == "datafield" && !seenFieldClose) {
                    fieldClose = blanks;
                    seenFieldClose = true;
                } else if (outer == "record" && name != "leader" && name != "controlfield" && name != "datafield") {
                    const std::size_t end = static_cast<std::size_t>(t.raw.data() - model.data()) + t.raw.size();
                    extras += model.substr(extraStart, end - extraStart);
                }
            }
            blanks = {};
        }
    }
    const std::string subIndent = seenSubfield ? std::string(subfieldIndent) : std::string(fieldIndent);

    std::string out = opening + extras;
    auto element = [&](std::string_view indent, std::string_view name, std::string_view attributes,
                       std::string_view text) {
        out += indent;
        out += "<" + prefix;
        out += name;
        out += attributes;
        out += ">";
        AppendEscaped(out, text, false);
        out += "</" + prefix;
        out += name;
        out += ">";
    };
    auto attribute = [](std::string_view name, std::string_view value) {
        std::string a = " " + std::string(name) + "=\"";
        AppendEscaped(a, value, true);
        return a + "\"";
    };
    element(seenLeader ? leaderIndent : fieldIndent, "leader", "", record.substr(0, 24));
    const std::size_t base =
        static_cast<std::size_t>(std::strtoul(std::string(record.substr(12, 5)).c_str(), nullptr, 10));
    for (std::size_t d = 24; d + 12 < base && d + 12 <= record.size(); d += 12) {
        const std::string_view tag = record.substr(d, 3);
        const std::size_t length = std::strtoul(std::string(record.substr(d + 3, 4)).c_str(), nullptr, 10);
        const std::size_t start = std::strtoul(std::string(record.substr(d + 7, 5)).c_str(), nullptr, 10);
        if (length < 1 || base + start + length > record.size()) continue;
        const std::string_view field = record.substr(base + start, length - 1);
        if (tag.substr(0, 2) == "00") {
            element(fieldIndent, "controlfield", attribute("tag", tag), field);
            continue;
        }
        const std::string_view indicators = field.substr(0, std::min<std::size_t>(2, field.size()));
        out += fieldIndent;
        out += "<" + prefix + "datafield";
        for (const std::string& a : attributeOrder) {
            out += attribute(a, a == "tag"              ? tag
                                : a == "ind1"           ? indicators.substr(0, 1)
                                : indicators.size() > 1 ? indicators.substr(1, 1)
                                                        : std::string_view(" "));
        }
        out += ">";
        // Subfields: each delimiter, its code, its text (octets before the first delimiter have no
        // place in MARCXML).
        for (std::size_t at = field.find(kDelimiter, indicators.size()); at != std::string_view::npos;) {
            const std::size_t next = field.find(kDelimiter, at + 1);
            const std::string_view part =
                field.substr(at + 1, (next == std::string_view::npos ? field.size() : next) - at - 1);
            if (!part.empty()) element(subIndent, "subfield", attribute("code", part.substr(0, 1)), part.substr(1));
            at = next;
        }
        out += fieldClose;
        out += "</" + prefix + "datafield>";
    }
    out += recordClose;
    out += "</" + prefix + "record>";
    return out;
}

}  // namespace linkmend::marcxml
