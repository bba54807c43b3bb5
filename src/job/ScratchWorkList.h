#pragma once
// The scratch work list "LinkmendScratch.$$$": one candidate a line, id TAB type, CR LF. Written
// whole by candidate selection, then read back in order. Left in place after the run.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "job/RecordSource.h"

namespace linkmend {

class ScratchWorkList {
public:
    // Creates (truncates) the file in `folder` (empty: the user's temporary folder); throws
    // RunFileError when it cannot.
    void Create(const std::string& folder);
    const std::string& Path() const { return path_; }
    // Adds a line; every type but "X" counts towards the total.
    void Add(const std::string& id, const std::string& type);
    std::int32_t Total() const { return total_; }
    // Closes the file; throws RunFileError when its lines could not be written.
    void Finish();
    // Up to `most` further lines; empty at the end. Opens the file at the first call (throws
    // RunFileError when it cannot).
    std::vector<Candidate> Next(std::size_t most);

private:
    std::string path_;
    std::ofstream out_;
    std::ifstream in_;
    bool reading_ = false;
    std::int32_t total_ = 0;
};

}  // namespace linkmend
