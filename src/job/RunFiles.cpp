#include "job/RunFiles.h"

#include <unistd.h>

#include <cerrno>

namespace linkmend {

TextFile::~TextFile() {
    if (file_) std::fclose(file_);
}

void TextFile::Create(const std::string& path) {
    if (file_) Close();
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw RunFileError(path);
}

void TextFile::WriteLine(const std::string& text) {
    WriteRaw(text);
    WriteRaw("\r\n");
}

void TextFile::WriteRaw(const std::string& octets) {
    if (!file_) throw RunFileError(path_);
    if (!octets.empty() && std::fwrite(octets.data(), 1, octets.size(), file_) != octets.size()) {
        throw RunFileError(path_);
    }
}

void TextFile::Flush() {
    if (!file_ || std::fflush(file_) != 0) throw RunFileError(path_);
}

void TextFile::TruncateTo(long long size) {
    Flush();
    if (ftruncate(fileno(file_), static_cast<off_t>(size)) != 0 || std::fseek(file_, 0, SEEK_END) != 0) {
        throw RunFileError(path_);
    }
}

void TextFile::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0 || !ok) throw RunFileError(path_);
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
