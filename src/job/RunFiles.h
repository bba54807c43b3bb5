#pragma once
// The files a run leaves in the report folder: the run log and CR LF text files (report and lists).
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace linkmend {

// A report-folder file that could not be created or written; the run stops in order and names it.
class RunFileError : public std::runtime_error {
public:
    explicit RunFileError(const std::string& path)
        : std::runtime_error("Cannot create or write the file " + path), path_(path) {}
    RunFileError(const std::string& path, const std::string& message) : std::runtime_error(message), path_(path) {}
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// How far each line of a TextFile goes before WriteLine returns.
enum class Flushing : std::uint8_t {
    EachLine,        // into the system's hands, so a failed write is noticed at its own line
    EachLineToDisk,  // onto the disk too
    AtClose,         // buffered: the lines are handed over in blocks, and all of them by Close
};

// A text file created afresh, written line by line with CR LF line ends.
class TextFile {
public:
    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Creates (truncates) the file; throws RunFileError when it cannot.
    void Create(const std::string& path, Flushing flushing = Flushing::EachLine);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    // Writes the text and CR LF, flushed as the file was created; throws RunFileError when the
    // write fails.
    void WriteLine(const std::string& text);
    // Writes octets as they are (no line end), flushed the same way.
    void WriteRaw(const std::string& octets);
    // Writes the text and CR LF, handed to the system with the next flush (or the close).
    void WriteLineWithNext(const std::string& text);
    // Hands what is buffered to the system; throws RunFileError when the write fails.
    void HandOver();
    // Hands what was written to the disk itself (it is already in the system's hands).
    void Sync();
    // Cuts the file back to its first `size` octets; later writes go after them.
    void TruncateTo(long long size);
    // Flushes, syncs to the disk and closes; throws RunFileError when the data could not be written.
    void Close();
    // Closes without a word (when open) and removes the file created: what it holds cannot be trusted.
    void Discard();

private:
    void Put(const std::string& octets);
    void Flush();

    std::FILE* file_ = nullptr;
    std::string path_;
    Flushing flushing_ = Flushing::EachLine;
};

// The run log: an INI-form file whose one section "[Report]" holds the run's steps under the keys
// 1, 2, 3 ... in order. Entries are appended, so a long run costs one write per entry.
class RunLog {
public:
    // Creates the file holding "[Report]" when on; does nothing when off.
    void Open(const std::string& path, bool on);
    bool IsOn() const { return file_.IsOpen(); }
    void LogLine(const std::string& text);
    std::int32_t Entries() const { return counter_; }
    void Close();

private:
    TextFile file_;
    std::int32_t counter_ = 0;
};

// The count right-aligned in 8 characters (cut to its last 8), a blank and the label; nothing when the
// count is 0 or less and `always` is false.
void WriteCountLine(TextFile& file, std::int32_t count, const std::string& label, bool always);

// The count line's text, as WriteCountLine writes it.
std::string CountLine(std::int32_t count, const std::string& label);

// Adds an entry to a run list: TAB + entry, CR LF between entries.
void AppendListLine(std::string& list, const std::string& entry);

}  // namespace linkmend
