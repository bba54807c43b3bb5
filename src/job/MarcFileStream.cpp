#include "job/MarcFileStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "job/RunFiles.h"
#include "marc/MarcXml.h"

namespace linkmend {

MarcFileStream::MarcFileStream(std::string in, std::string out) : in_(std::move(in)), out_(std::move(out)) {}

MarcFileStream::~MarcFileStream() { Discard(); }

void MarcFileStream::Open() {
    reader_.OpenFile(in_);
    if (reader_.EndOfFile()) throw RunFileError(in_, "Cannot read the MARC file " + in_);
    xml_ = reader_.FileIsMarcXml();
    holding_ = false;
    if (out_.empty() || file_) return;
    // Beside OUT, so that the rename at the end stays within one file system.
    std::string name = out_ + ".linkmend-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw RunFileError(out_);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);  // as a file the user made; mkstemp gives 0600
    temporary_ = name;
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        throw RunFileError(out_);
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

void MarcFileStream::Close() { reader_.CloseFile(); }

void MarcFileStream::Write(const std::string& octets) {
    if (!file_ || octets.empty()) return;
    if (std::fwrite(octets.data(), 1, octets.size(), file_) != octets.size()) throw RunFileError(out_);
}

void MarcFileStream::Release() {
    if (holding_) Write(reader_.RecordOctets());
    holding_ = false;
}

bool MarcFileStream::Seek(std::int32_t number, std::string& iso) {
    Release();
    iso.clear();
    while (reader_.RecordIndex() < number) {
        const bool read = reader_.ReadNextRecord(record_);
        Write(reader_.OctetsBefore());  // after the last record: the rest of the file
        if (!read) return false;
        if (reader_.RecordIndex() < number) Write(reader_.RecordOctets());
    }
    if (reader_.RecordIndex() != number) return false;  // asked for one already passed
    holding_ = true;
    std::string problem;
    if (xml_) return marcxml::ToIso2709(record_, iso, problem);
    iso.swap(record_);  // the stream needs no more of it: the file's octets are the reader's
    return true;
}

void MarcFileStream::Replace(const std::string& iso) {
    if (!holding_) return;
    holding_ = false;
    Write(xml_ ? marcxml::FromIso2709(iso, reader_.RecordOctets()) : iso);
}

void MarcFileStream::Finish(bool completed) {
    if (!file_) return;
    if (!completed) {
        Discard();
        return;
    }
    Release();
    while (reader_.ReadNextRecord(record_)) {
        Write(reader_.OctetsBefore());
        Write(reader_.RecordOctets());
    }
    Write(reader_.OctetsBefore());
    std::FILE* f = file_;
    file_ = nullptr;
    const bool written = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0 || !written || std::rename(temporary_.c_str(), out_.c_str()) != 0) {
        throw RunFileError(out_);  // the destructor removes the temporary file
    }
    temporary_.clear();
}

void MarcFileStream::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
}

}  // namespace linkmend
