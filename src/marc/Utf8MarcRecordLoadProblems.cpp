// What a load had to skip or guess, noted while the directory is read and put into words on demand.
#include <bit>

#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {

// Only the first entry of each kind is remembered: loading stays free of allocations.
void Utf8MarcRecordClass::NoteEntryProblem(LoadProblem kind, std::string_view tag) {
    if ((loadProblems_ & kind) != 0) return;
    loadProblems_ |= kind;
    std::array<char, 3>& slot = loadProblemTags_[static_cast<std::size_t>(std::countr_zero(unsigned{kind}))];
    for (std::size_t i = 0; i < slot.size(); ++i) slot[i] = i < tag.size() ? tag[i] : ' ';
}

std::string Utf8MarcRecordClass::LoadProblemText() const {
    static constexpr const char* kEntryTexts[] = {
        " skipped (length not a number)", " skipped (empty)", " misread (length not a number)",
        " misread (starting position not a number)", " reaches past the end of the data"};
    std::string text;
    auto add = [&text](const std::string& problem) { text += (text.empty() ? "" : "; ") + problem; };
    for (std::size_t kind = 0; kind < loadProblemTags_.size(); ++kind) {
        if ((loadProblems_ & (1u << kind)) == 0) continue;
        const std::array<char, 3>& tag = loadProblemTags_[kind];
        add("directory entry " + std::string(tag.data(), tag.size()) + kEntryTexts[kind]);
    }
    if ((loadProblems_ & kLengthMismatch) != 0) add("record longer than its leader says");
    if ((loadProblems_ & kNo001) != 0) add("no 001 field");
    return text;
}

}  // namespace linkmend
