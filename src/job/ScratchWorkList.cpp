#include "job/ScratchWorkList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "base/Text.h"
#include "job/RunFiles.h"
#include "job/UtliMiscNonUtf8.h"

namespace linkmend {
namespace {

constexpr const char* kSuffix = ".$$$";

}  // namespace

ScratchWorkList::~ScratchWorkList() { Remove(); }

void ScratchWorkList::Create(const std::string& folder) {
    Remove();
    std::string where = folder;
    if (where.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        where = tmp && *tmp ? tmp : "/tmp";
    }
    // A fixed name in a shared folder let two runs read each other's list and let a planted link
    // redirect the writing: the name is made new, exclusively, and a link is never followed.
    std::string name = WithFolderSeparator(where) + "LinkmendScratch.XXXXXX" + kSuffix;
    const int fd =
        mkostemps(name.data(), static_cast<int>(std::char_traits<char>::length(kSuffix)), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) throw RunFileError(name);
    path_ = name;
    file_ = fdopen(fd, "w+b");
    if (!file_) {
        close(fd);
        throw RunFileError(path_);
    }
    reading_ = false;
    total_ = 0;
}

void ScratchWorkList::Add(const std::string& id, const std::string& type) {
    if (file_) std::fprintf(file_, "%s\t%s\r\n", id.c_str(), type.c_str());
    if (type != "X") ++total_;
}

void ScratchWorkList::Finish() {
    if (!file_ || std::fflush(file_) != 0 || std::ferror(file_)) throw RunFileError(path_);
    std::rewind(file_);
    reading_ = true;
}

std::vector<Candidate> ScratchWorkList::Next(std::size_t most) {
    std::vector<Candidate> block;
    if (!file_ || !reading_) return block;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    ssize_t n = 0;
    while (block.size() < most && (n = getline(&buffer, &capacity, file_)) >= 0) {
        std::string line(buffer, static_cast<std::size_t>(n));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string type = line;
        std::string id = SplitOff(type, "\t");
        block.push_back({std::move(id), std::move(type)});
    }
    std::free(buffer);
    return block;
}

void ScratchWorkList::Remove() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!path_.empty()) unlink(path_.c_str());
    path_.clear();
    reading_ = false;
}

}  // namespace linkmend
