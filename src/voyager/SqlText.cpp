#include "voyager/SqlText.h"

#include <cstddef>

namespace linkmend {
namespace {
bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
}  // namespace

std::string EncodeSqlNonAscii(std::string_view sql) {
    std::size_t i = 0;
    while (i < sql.size() && IsAscii(sql[i])) ++i;
    if (i == sql.size()) return std::string(sql);

    // Runs alternate: an ASCII run becomes a quoted piece, a non-ASCII run one HEXTORAW. When the
    // text starts and ends with ASCII, the statement's own text encloses the outer pieces, so
    // their outer quotes go again.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(sql.size() * 2 + 32);
    std::size_t start = 0;
    while (start < sql.size()) {
        const bool ascii = IsAscii(sql[start]);
        std::size_t end = start;
        while (end < sql.size() && IsAscii(sql[end]) == ascii) ++end;
        if (start > 0) out += " || ";
        if (ascii) {
            out += '\'';
            out.append(sql.substr(start, end - start));
            out += '\'';
        } else {
            out += "HEXTORAW('";
            for (std::size_t k = start; k < end; ++k) {
                const auto c = static_cast<unsigned char>(sql[k]);
                out += kDigits[c >> 4];
                out += kDigits[c & 0x0F];
            }
            out += "')";
        }
        start = end;
    }
    if (IsAscii(sql.front()) && IsAscii(sql.back())) out = out.substr(1, out.size() - 2);
    return out;
}

std::string ChrChain(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 12);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0) out += " || ";
        out += "CHR(";
        out += std::to_string(static_cast<unsigned char>(text[i]));
        out += ')';
    }
    return out;
}

std::string CodeListCondition(std::string_view column, std::string_view codes) {
    if (codes.empty() || codes == "*") return std::string();
    std::string out = " AND ";
    out.append(column);
    if (codes.size() == 1) {
        out += " = '";
        out += SqlQuote(codes);
        out += '\'';
        return out;
    }
    out += " IN (";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i > 0) out += ", ";
        out += '\'';
        out += SqlQuote(codes.substr(i, 1));
        out += '\'';
    }
    out += ')';
    return out;
}

bool IsAllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsRecordId(std::string_view text) {
    if (!IsAllDigits(text)) return false;
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    return text.size() < 10 || (text.size() == 10 && text <= "2147483647");
}

std::string SqlQuote(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    for (char c : value) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

}  // namespace linkmend
