#include "job/RunFiles.h"

#include <unistd.h>

#include <cerrno>

namespace linkmend {

TextFile::~TextFile() {
    if (file_) std::fclose(file_);
}

void TextFile::Create(const std::string& path, Flushing flushing) {
    if (file_) Close();
    path_ = path;
    flushing_ = flushing;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw RunFileError(path);
}

void TextFile::WriteLine(const std::string& text) {
    Put(text);
    Put("\r\n");
    Flush();
}

void TextFile::WriteLineWithNext(const std::string& text) {
    Put(text);
    Put("\r\n");
}

void TextFile::WriteRaw(const std::string& octets) {
    Put(octets);
    Flush();
}

void TextFile::Put(const std::string& octets) {
    if (!file_) throw RunFileError(path_);
    if (!octets.empty() && std::fwrite(octets.data(), 1, octets.size(), file_) != octets.size()) {
        throw RunFileError(path_);
    }
}

// A line in the system's hands survives the program; a durable one (the list of records written
// back) survives the machine too. A sync costs far less than the write-back it follows, and it is
// done for the lists of production runs only. Files that cannot be synced (devices) need not be.
void TextFile::Flush() {
    if (flushing_ == Flushing::AtClose) return;
    if (std::fflush(file_) != 0) throw RunFileError(path_);
    if (flushing_ == Flushing::EachLineToDisk && fsync(fileno(file_)) != 0 && errno != EINVAL)
        throw RunFileError(path_);
}

void TextFile::HandOver() {
    if (file_ && std::fflush(file_) != 0) throw RunFileError(path_);
}

void TextFile::Sync() {
    if (!file_ || std::fflush(file_) != 0 || (fsync(fileno(file_)) != 0 && errno != EINVAL)) throw RunFileError(path_);
}

void TextFile::TruncateTo(long long size) {
    if (!file_ || std::fflush(file_) != 0 || ftruncate(fileno(file_), static_cast<off_t>(size)) != 0 ||
        std::fseek(file_, 0, SEEK_END) != 0) {
        throw RunFileError(path_);
    }
}

void TextFile::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    const bool ok = std::fflush(f) == 0 && !std::ferror(f) && (fsync(fileno(f)) == 0 || errno == EINVAL);
    if (std::fclose(f) != 0 || !ok) throw RunFileError(path_);
}

void TextFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    std::remove(path_.c_str());
}

void RunLog::Open(const std::string& path, bool on) {
    counter_ = 0;
    if (!on) return;
    file_.Create(path);
    file_.WriteLine("[Report]");
}

void RunLog::LogLine(const std::string& text) {
    if (!file_.IsOpen()) return;
    ++counter_;
    file_.WriteLine(std::to_string(counter_) + "=" + text);
}

void RunLog::Close() { file_.Close(); }

std::string CountLine(std::int32_t count, const std::string& label) {
    std::string number = std::to_string(count);
    if (number.size() > 8) number = number.substr(number.size() - 8);
    return std::string(8 - number.size(), ' ') + number + " " + label;
}

void WriteCountLine(TextFile& file, std::int32_t count, const std::string& label, bool always) {
    if (count <= 0 && !always) return;
    file.WriteLine(CountLine(count, label));
}

void AppendListLine(std::string& list, const std::string& entry) {
    if (!list.empty()) list += "\r\n";
    list += "\t" + entry;
}

}  // namespace linkmend
