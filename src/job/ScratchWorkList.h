#pragma once
// The scratch work list: one candidate a line, id TAB type, CR LF. Written whole by candidate
// selection, then read back in order through the same descriptor. Each run has a file of its own in
// the temporary folder, made new (never an existing name, never through a link, mode 0600) and
// removed when the run ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "job/RecordSource.h"

namespace linkmend {

class ScratchWorkList {
public:
    ScratchWorkList() = default;
    ~ScratchWorkList();  // removes the file
    ScratchWorkList(const ScratchWorkList&) = delete;
    ScratchWorkList& operator=(const ScratchWorkList&) = delete;

    // Creates "LinkmendScratch.XXXXXX.$$$" (a name of its own) in `folder` (empty: $TMPDIR, else
    // /tmp); throws RunFileError when it cannot. A list made before is removed first.
    void Create(const std::string& folder);
    const std::string& Path() const { return path_; }
    // Adds a line; every type but "X" counts towards the total.
    void Add(const std::string& id, const std::string& type);
    std::int32_t Total() const { return total_; }
    // Ends the writing; throws RunFileError when its lines could not be written.
    void Finish();
    // Up to `most` further lines; empty at the end (and when no list was made).
    std::vector<Candidate> Next(std::size_t most);
    // Closes and deletes the file; nothing when there is none.
    void Remove() noexcept;

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool reading_ = false;
    std::int32_t total_ = 0;
};

}  // namespace linkmend
