#include "voyager/RecordSegments.h"

#include <array>
#include <cstdint>

#include "base/MessagePump.h"

namespace linkmend {
namespace {

// Value of each octet as a hexadecimal digit, -1 for other octets.
constexpr std::array<std::int8_t, 256> MakeHexTable() {
    std::array<std::int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 10);
    return t;
}
constexpr std::array<std::int8_t, 256> kHex = MakeHexTable();

// A record that does not end on a segment boundary is padded with blanks to the next one.
void PadToSegment(std::string& record, std::size_t segmentSize) {
    if (record.empty() || segmentSize == 0) return;
    const std::size_t rest = record.size() % segmentSize;
    if (rest == 0) return;
    const std::size_t blanks = segmentSize - rest;
    for (std::size_t i = 0; i < blanks; ++i) LetWindowMessagesRun();
    record.append(blanks, ' ');
}

}  // namespace

void AppendSegment(std::string& record, std::string_view octets, std::size_t segmentSize) {
    PadToSegment(record, segmentSize);
    record.append(octets);
}

void AppendHexSegment(std::string& record, std::string_view hex, std::size_t segmentSize) {
    PadToSegment(record, segmentSize);
    const std::size_t base = record.size();
    record.resize(base + hex.size() / 2);
    char* out = record.data() + base;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int hi = kHex[static_cast<unsigned char>(hex[i])];
        const int lo = kHex[static_cast<unsigned char>(hex[i + 1])];
        if ((hi | lo) < 0) continue;
        *out++ = static_cast<char>((hi << 4) | lo);
    }
    record.resize(static_cast<std::size_t>(out - record.data()));
}

}  // namespace linkmend
