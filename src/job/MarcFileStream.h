#pragma once
// A MARC file read through once, record by record, with OUT written alongside in a production run:
// every octet of IN in order, but for the records replaced. OUT goes to a temporary file in its own
// folder and is renamed into place at the end, so a run that does not complete leaves no OUT.
#include <cstdint>
#include <cstdio>
#include <string>

#include "marc/Utf8MarcFileClass.h"

namespace linkmend {

class MarcFileStream {
public:
    // `out` empty: nothing is written (a test run).
    MarcFileStream(std::string in, std::string out);
    ~MarcFileStream();  // an OUT not yet in place is removed
    MarcFileStream(const MarcFileStream&) = delete;
    MarcFileStream& operator=(const MarcFileStream&) = delete;

    const std::string& In() const { return in_; }
    const std::string& Out() const { return out_; }

    // Opens IN and, when there is an OUT, creates its temporary file; RunFileError when either fails.
    void Open();
    // Closes IN; OUT stays as it is.
    void Close();

    // Reads on to record `number` (counted from 1, as the reader counts), copying the records before
    // it to OUT as they are, and holds it: its ISO 2709 form (from MARCXML when the file is) goes to
    // `iso`. False when IN ends first (or the record cannot be turned into ISO 2709).
    bool Seek(std::int32_t number, std::string& iso);
    // Writes `iso` in place of the held record (as a MARCXML element in the manner of the held one
    // when the file is MARCXML). A held record not replaced goes to OUT as IN has it.
    void Replace(const std::string& iso);
    bool IsXml() const { return xml_; }

    // Completed: copies the rest of IN and puts OUT in place. Otherwise removes the temporary file.
    // RunFileError when OUT cannot be written.
    void Finish(bool completed);

private:
    void Write(const std::string& octets);
    void Release();  // the held record goes to OUT as it is
    void Discard();

    std::string in_, out_, temporary_;
    Utf8MarcFileClass reader_;
    std::FILE* file_ = nullptr;
    bool xml_ = false;
    bool holding_ = false;
    std::string record_;  // the last record read, as the reader gave it (Seek hands it on)
};

}  // namespace linkmend
