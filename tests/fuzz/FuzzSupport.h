#pragma once
// What the fuzz targets share: the check that stops a run when a promised property fails, a scratch
// folder of the process, octets taken off the front of an input, and a strict UTF-8 test.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace linkmend::fuzz {

// Prints the failed condition with the octets involved and aborts; libFuzzer keeps the input.
[[noreturn]] void Fail(const char* file, int line, const std::string& what);

// Upper-case hex of the octets for messages, cut after 400 octets.
std::string Hex(std::string_view octets);

// For messages: where two octet strings first differ, with 16 octets of each from a little before.
std::string Diff(std::string_view expected, std::string_view actual);

// This process's folder for the files the targets write, removed at exit: on /dev/shm when there
// is one (the INI writer syncs every file it writes), else under $TMPDIR. The first call also
// points the settings-profile folder there, so that no target reads the user's settings.
const std::string& ScratchFolder();

void WriteWholeFile(const std::string& path, std::string_view content);
std::string ReadWholeFile(const std::string& path);

// True when the octets are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view octets);

// True when combining marks with no letter before them (at the start, after a control octet or
// after a subfield code) have a letter after them: MARC-8 can only give such marks to that letter.
bool MarkWithoutBase(std::string_view text);

// Decomposed text with each horn (U+031B) first among the marks after its letter. MARC-8 writes O
// and U with horn as letters of their own, so the horn comes back next to its letter; its
// combining class differs from every other MARC-8 mark's, so the two orders are the same text.
std::string HornFirst(std::string_view decomposed);

// The input, consumed from the front.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
    // The next octet, 0 when the input is used up.
    std::uint8_t Byte();
    // The octets up to the next separator (which is consumed), or all that is left.
    std::string_view Until(char separator);
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace linkmend::fuzz

#define FUZZ_CHECK(condition, what)                                                                            \
    do {                                                                                                       \
        if (!(condition)) ::linkmend::fuzz::Fail(__FILE__, __LINE__, std::string(#condition) + "\n" + (what)); \
    } while (0)
