#include "job/GlobalReader.h"

#include "base/Error.h"
#include "base/MessagePump.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

GlobalReader::GlobalReader() = default;
GlobalReader::~GlobalReader() = default;

void GlobalReader::RenewReader() {
    DropReader();
    reader_ = std::make_unique<VgerReaderClass7>();
    standingSet = 0;
    optionsSets[0] = optionsSets[1] = 0;
}

void GlobalReader::ConnectReader(const std::string& dsn, const std::string& prefix, const std::string& uid,
                                 const std::string& pwd) {
    if (!reader_) RenewReader();
    try {
        reader_->DSN(dsn);
    } catch (const LinkmendError&) {}
    try {
        reader_->TableNamePrefix(prefix);
    } catch (const LinkmendError&) {}
    try {
        reader_->uID(uid);
    } catch (const LinkmendError&) {}
    try {
        reader_->PWD(pwd);
    } catch (const LinkmendError&) {}
}

void GlobalReader::DropReader() {
    if (!reader_) return;
    try {
        reader_->Disconnect();
    } catch (const LinkmendError&) {
        // A connection that is already gone cannot be closed twice; the object goes anyway.
    }
    reader_.reset();
}

VgerReaderClass7& GlobalReader::Reader() {
    if (!reader_) RenewReader();
    return *reader_;
}

}  // namespace linkmend
