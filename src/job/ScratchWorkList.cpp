#include "job/ScratchWorkList.h"

#include <cstdlib>

#include "base/Text.h"
#include "job/RunFiles.h"
#include "job/UtliMiscNonUtf8.h"

namespace linkmend {

void ScratchWorkList::Create(const std::string& folder) {
    std::string where = folder;
    if (where.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        where = tmp && *tmp ? tmp : "/tmp";
    }
    path_ = WithFolderSeparator(where) + "LinkmendScratch.$$$";
    out_.open(path_, std::ios::binary | std::ios::trunc);
    if (!out_) throw RunFileError(path_);
}

void ScratchWorkList::Add(const std::string& id, const std::string& type) {
    out_ << id << '\t' << type << "\r\n";
    if (type != "X") ++total_;
}

void ScratchWorkList::Finish() {
    out_.close();
    if (!out_) throw RunFileError(path_);
}

std::vector<Candidate> ScratchWorkList::Next(std::size_t most) {
    if (!reading_) {
        reading_ = true;
        in_.open(path_, std::ios::binary);
        if (!in_) throw RunFileError(path_);
    }
    std::vector<Candidate> block;
    std::string line;
    while (block.size() < most && std::getline(in_, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string type = line;
        std::string id = SplitOff(type, "\t");
        block.push_back({std::move(id), std::move(type)});
    }
    return block;
}

}  // namespace linkmend
