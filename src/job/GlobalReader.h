#pragma once
// The program's global reader for its own SQL, with the result-set numbers its standing queries run in.
#include <cstdint>
#include <memory>
#include <string>

namespace linkmend {

class VgerReaderClass7;

class GlobalReader {
public:
    GlobalReader();
    ~GlobalReader();

    // Disconnects and drops the reader when there is one, creates a new one and resets every
    // remembered result-set number to 0 (a new set on first use).
    void RenewReader();
    // Hands the reader its connection values (DSN, prefix, UID, PWD, in that order); errors are
    // ignored: the reader connects on its first query.
    void ConnectReader(const std::string& dsn, const std::string& prefix, const std::string& uid,
                       const std::string& pwd);
    // Disconnects and drops the reader (the end of a run).
    void DropReader();
    bool Exists() const { return reader_ != nullptr; }
    VgerReaderClass7& Reader();

    // Remembered result sets: the job's standing set and the Options dialog's two.
    std::int16_t standingSet = 0;
    std::int16_t optionsSets[2] = {0, 0};

private:
    std::unique_ptr<VgerReaderClass7> reader_;
};

}  // namespace linkmend
