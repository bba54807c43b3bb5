#pragma once
// Reads MARC records one at a time from a file: ISO 2709 records back to back (or with line breaks
// or filler between them), segmented ISO 2709 files (segments of a code character and four length
// digits), and MARCXML (one record element per record, any namespace prefix). Reading is
// sequential and buffered; the reader never writes and never raises: a file that cannot be opened
// or read leaves EndOfFile true and ReadNextRecord false.
#include <cstdint>
#include <memory>
#include <string>

namespace linkmend {

class Utf8MarcFileClass {
public:
    Utf8MarcFileClass();
    ~Utf8MarcFileClass();
    Utf8MarcFileClass(const Utf8MarcFileClass&) = delete;
    Utf8MarcFileClass& operator=(const Utf8MarcFileClass&) = delete;

    // Closes any open file, resets, opens the named file and inspects its beginning (byte-order
    // mark, MARCXML, segmentation). An empty name or a file that cannot be opened leaves the reader
    // closed. With bDebug each step is written to standard error.
    void OpenFile(const std::string& sMarcFileName, bool bDebug = false);
    std::string MarcFileName() const { return fileName_; }
    void MarcFileName(const std::string& vNewValue) { OpenFile(vNewValue); }

    // The next record (an ISO 2709 record, or a MARCXML record element with its tags), or false
    // with an empty sRecord at the end. A record whose length digits overstate it is cut after its
    // first record terminator (length digits rewritten) and the rest read as the next record's
    // start; a truncated last record is returned as far as it goes.
    bool ReadNextRecord(std::string& sRecord, bool bDebug = false);

    // What the last ReadNextRecord passed over before its record (line breaks, filler, the MARCXML
    // around record elements); after the last record, the rest of the file. With RecordOctets, the
    // file's octets in order, so that a file can be copied through the reader exactly.
    const std::string& OctetsBefore() const { return before_; }
    // The last record as the file holds it: a record cut at its terminator keeps its length digits;
    // a segmented record comes without its segment headers.
    const std::string& RecordOctets() const { return raw_; }
    // Why the last record is not whole as the file gave it (the file ends inside it, its length
    // digits overstate it, its segments are broken), and what of OctetsBefore is no MARC at all;
    // empty when there is nothing to say.
    const std::string& ReadProblem() const { return problem_; }
    const std::string& SkipProblem() const { return skipProblem_; }

    bool EndOfFile() const;
    bool FileIsSegmented() const { return segmented_; }
    bool FileIsMarcXml() const { return xml_; }
    std::int32_t RecordIndex() const { return recordIndex_; }
    void CloseFile();

    // The character-set code of the whole file: every record is characterised; "U" when all are
    // UTF-8 (or plain ASCII), else "M", "V", "O", "X" or "Y" combined (see the .cpp), "?" when the
    // records disagree or there are none. The read position is restored afterwards.
    std::string CharacterizeCharacterSet();

    // Kept for the record objects fed from this reader (double-width diacritics in UTF-8 output).
    bool UseDoubleWidthDiacritics() const { return useDoubleWidthDiacritics_; }
    void UseDoubleWidthDiacritics(bool vNewValue) { useDoubleWidthDiacritics_ = vNewValue; }

private:
    class Source;

    void Inspect();
    bool ReadPlain(std::string& record);
    bool ReadSegmented(std::string& record);
    bool ReadXml(std::string& record);
    void NoteSkipped();
    int NextOctet();  // carry-over buffer first, then the file; -1 at the end
    std::size_t ReadInto(std::string& out, std::size_t count);
    bool NothingLeft();
    void Debug(const std::string& text) const;

    std::string fileName_;
    bool segmented_ = false;
    bool endOfFile_ = true;
    bool byteOrderMark_ = false;
    bool xml_ = false;
    std::int32_t recordIndex_ = 0;
    std::unique_ptr<Source> source_;
    std::string carry_;
    std::size_t carryPos_ = 0;
    std::string before_, raw_, problem_, skipProblem_;
    bool useDoubleWidthDiacritics_ = false;
    bool debug_ = false;
};

}  // namespace linkmend
