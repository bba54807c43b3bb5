// The reader's connection: connection data, the lazy connection with its first-use checks (version,
// sample record), the base currency and the properties forwarded to the engine.
#include "base/Error.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "marc/Utf8MarcRecordClass.h"
#include "voyager/ReaderValues.h"
#include "voyager/RetrievalScope.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

// Shared by every reader: a sample-record test that is running keeps others (and itself, through
// the version check it starts) from starting another.
bool gTestingInProgress = false;

class InProgressGuard {
public:
    InProgressGuard() { gTestingInProgress = true; }
    ~InProgressGuard() { gTestingInProgress = false; }
    InProgressGuard(const InProgressGuard&) = delete;
    InProgressGuard& operator=(const InProgressGuard&) = delete;
};

constexpr std::array<const char*, static_cast<std::size_t>(VgerTable::Count)> kTableNames{
    "AUTH_HISTORY", "AUTH_INDEX", "AUTH_MASTER", "AUTH_DATA", "BIB_HISTORY",  "BIB_INDEX",   "BIB_ITEM",
    "BIB_DATA",     "BIB_MASTER", "BIB_MFHD",    "MFHD_DATA", "ITEM_BARCODE", "ITEM_STATUS", "ITEM_STATUS_TYPE",
    "ITEM",         "LIBRARY",    "LOCATION",    "MFHD_ITEM", "MFHD_HISTORY", "MFHD_MASTER"};

}  // namespace

VgerReaderClass7::~VgerReaderClass7() {
    try {
        if (engine_) engine_->Disconnect();
    } catch (...) {  // a destructor reports nothing
    }
}

void VgerReaderClass7::RaiseObjectError(std::int32_t offset, const std::string& text) const {
    throw LinkmendError(ObjectError(offset), kSource, text);
}

void VgerReaderClass7::RaiseInvalidValue(const std::string& text) const {
    throw LinkmendError(kInvalidPropertyValue, kSource, text);
}

VgerReaderDllClass6& VgerReaderClass7::Engine() {
    if (!engine_) RaiseObjectError(1071, "The reader was disconnected; a new reader is needed for further queries");
    return *engine_;
}

Utf8MarcRecordClass& VgerReaderClass7::Record() {
    if (!record_) record_ = std::make_unique<Utf8MarcRecordClass>();
    return *record_;
}

void VgerReaderClass7::DSN(const std::string& value) {
    if (value.empty()) RaiseInvalidValue("Invalid value for DSN property");
    connectionDataValid_ = false;
    dsn_ = value;
    CheckConnection();
    Engine().DSN(value);
}

void VgerReaderClass7::uID(const std::string& value) {
    uid_ = value;
    connectionDataValid_ = false;
    CheckConnection();
    Engine().uID(value);
}

void VgerReaderClass7::PWD(const std::string& value) {
    pwd_ = value;
    connectionDataValid_ = false;
    CheckConnection();
    Engine().PWD(value);
}

void VgerReaderClass7::TableNamePrefix(const std::string& value) {
    tableNamePrefix_ = value;
    if (tableNamePrefix_.empty() || tableNamePrefix_.back() != '.') tableNamePrefix_ += '.';
    connectionDataValid_ = false;
    BuildTableNames();
}

void VgerReaderClass7::BuildTableNames() {
    for (std::size_t i = 0; i < tableNames_.size(); ++i) tableNames_[i] = tableNamePrefix_ + kTableNames[i];
}

void VgerReaderClass7::CheckConnection() {
    if (engineCreated_) return;
    engineCreated_ = true;
    engine_ = std::make_unique<VgerReaderDllClass6>();
    engine_->ForReading(true);
}

void VgerReaderClass7::TestConnectionData() {
    if (connectionDataValid_) return;
    if (tableNamePrefix_.empty()) RaiseObjectError(1061, "No TableNamePrefix supplied");
    if (dsn_.empty()) RaiseObjectError(1063, "No DSN supplied");
    if (uid_.empty()) RaiseObjectError(1064, "No UID supplied");
    if (pwd_.empty()) RaiseObjectError(1065, "No PWD supplied");
    connectionDataValid_ = true;
}

void VgerReaderClass7::Disconnect() {
    databaseTested_ = false;
    if (engine_) engine_->Disconnect();
    LetWindowMessagesRun();
    LetWindowMessagesRun();
    engine_.reset();
}

void VgerReaderClass7::MyCheckVoyagerConnection() {
    VgerReaderDllClass6& e = Engine();
    if (debuggingOn_) {
        e.TraceOn(true);
        e.TraceFileName(debuggingFile_ + "file2.txt");
    }
    e.ConnectToVoyager();
    MyGetVgerVersion();
}

void VgerReaderClass7::MyGetVgerVersion() {
    if (versionRead_) return;
    VgerReaderDllClass6& e = Engine();
    e.ConnectToVoyager();
    versionRead_ = true;
    {
        RetrievalScope scope(e);
        try {
            Query("SELECT VERSION FROM " + tableNamePrefix_ + "VERSIONS WHERE MODULE = 'DATABASE'", 1);
            const std::string version = TrimBlanks(Column(1));
            if (!version.empty()) {
                vgerVersion_ = version;
                const VgerVersionParts parts = ParseVgerVersion(version);
                vgerMajorVersion_ = parts.major;
                vgerMinorVersion_ = parts.minor;
                vgerThirdVersion_ = parts.third;
            }
            Trace("Version: " + vgerVersion_);
        } catch (const LinkmendError& error) {
            // A database without the version table still serves records; the version stays unknown.
            Trace("Version query failed: " + error.Description());
        }
    }
    if (!databaseTested_) TestDatabaseForUnicode();
}

void VgerReaderClass7::EnsureDatabaseTested() {
    if (!databaseTested_) TestDatabaseForUnicode();
}

void VgerReaderClass7::TestDatabaseForUnicode() {
    if (databaseTested_ || gTestingInProgress) return;
    InProgressGuard guard;
    TestConnectionData();
    CheckConnection();
    VgerReaderDllClass6& e = Engine();
    {
        RetrievalScope scope(e);
        MyCheckVoyagerConnection();
        std::string sample;
        struct Source {
            const char* master;
            const char* idColumn;
            VgerTable data;
        };
        static constexpr Source kSources[] = {{"MFHD_MASTER", "MFHD_ID", VgerTable::MfhdData},
                                              {"AUTH_MASTER", "AUTH_ID", VgerTable::AuthData},
                                              {"BIB_MASTER", "BIB_ID", VgerTable::BibData}};
        for (const Source& s : kSources) {
            const std::string id =
                QueryValue(std::string("SELECT ") + s.idColumn + " FROM " + tableNamePrefix_ + s.master);
            if (id.empty()) continue;
            Query("SELECT RECORD_SEGMENT, SEQNUM FROM " + TableName(s.data) + " WHERE " + s.idColumn + " = " + id +
                      " ORDER BY SEQNUM",
                  2);
            sample = Column(1);
            break;
        }
        if (sample.empty()) sample.assign(24, ' ');
        Trace("Sample record starts: " + sample.substr(0, 24));
        // The records are read and written in UTF-8 whatever the sample holds.
        Utf8MarcRecordClass& record = Record();
        record.CharacterSetIn(VgerCharacterSet());
        record.CharacterSetOut(VgerCharacterSet());
        record.NormalizationScheme("V");
        databaseTested_ = true;
    }
    Trace("Database tested; character set " + VgerCharacterSet());
}

const std::string& VgerReaderClass7::VgerVersion() {
    MyGetVgerVersion();
    return vgerVersion_;
}

std::int16_t VgerReaderClass7::VgerMajorVersion() {
    MyGetVgerVersion();
    return vgerMajorVersion_;
}

std::string VgerReaderClass7::Version() { return VgerReaderDllClass6::Version(); }

void VgerReaderClass7::LoadBaseCurrency() {
    if (baseCurrencyLoaded_) return;
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    Query("SELECT BASE_COUNTRY_NAME, BASE_CURRENCY_CODE, BASE_CURRENCY_NAME, BASE_DECIMALS, DECIMAL_DELIMITER FROM " +
              tableNamePrefix_ + "BASE_CURRENCY",
          5);
    baseCurrencyCountry_ = Column(1);
    baseCurrencyCode_ = Column(2);
    baseCurrencyName_ = Column(3);
    baseCurrencyDecimals_ = RoundToInt32(Val(Column(4)));
    baseCurrencyDelimiter_ = Column(5);
    baseCurrencyLoaded_ = true;
}

const std::string& VgerReaderClass7::BaseCurrencyCountry() {
    LoadBaseCurrency();
    return baseCurrencyCountry_;
}
const std::string& VgerReaderClass7::BaseCurrencyCode() {
    LoadBaseCurrency();
    return baseCurrencyCode_;
}
const std::string& VgerReaderClass7::BaseCurrencyName() {
    LoadBaseCurrency();
    return baseCurrencyName_;
}
std::int32_t VgerReaderClass7::BaseCurrencyDecimals() {
    LoadBaseCurrency();
    return baseCurrencyDecimals_;
}
const std::string& VgerReaderClass7::BaseCurrencyDecimalDelimiter() {
    LoadBaseCurrency();
    return baseCurrencyDelimiter_;
}

bool VgerReaderClass7::TraceOn() { return Engine().TraceOn(); }
void VgerReaderClass7::TraceOn(bool value) { Engine().TraceOn(value); }
std::string VgerReaderClass7::TraceFileName() const { return engine_ ? engine_->TraceFileName() : std::string(); }
void VgerReaderClass7::TraceFileName(const std::string& value) { Engine().TraceFileName(value); }
std::int32_t VgerReaderClass7::RowsPerFetch() {
    ResultSet();
    return Engine().RowsPerFetch();
}
void VgerReaderClass7::RowsPerFetch(std::int32_t value) { Engine().RowsPerFetch(value); }
odbc::RawHandle VgerReaderClass7::DatabaseHandle() const { return engine_ ? engine_->DatabaseHandle() : nullptr; }
void VgerReaderClass7::DatabaseHandle(odbc::RawHandle handle) { Engine().DatabaseHandle(handle); }
odbc::RawHandle VgerReaderClass7::EnvironmentHandle() const { return engine_ ? engine_->EnvironmentHandle() : nullptr; }
void VgerReaderClass7::EnvironmentHandle(odbc::RawHandle handle) { Engine().EnvironmentHandle(handle); }
std::int32_t VgerReaderClass7::RetrievalRequestsSubmitted() const {
    return engine_ ? engine_->RetrievalRequestsSubmitted() : 0;
}
std::int32_t VgerReaderClass7::SqlStatementsSubmitted() const {
    return engine_ ? engine_->SqlStatementsSubmitted() : 0;
}
void VgerReaderClass7::ResetCounters() { Engine().ResetCounters(); }
void VgerReaderClass7::IsRetrieval(bool value) {
    CheckConnection();
    Engine().IsRetrieval(value);
}
void VgerReaderClass7::BindParameter(std::int16_t sequence, std::int16_t inputOutputType, std::int16_t valueType,
                                     const VgerReaderDllClass6::Variant& value) {
    Engine().BindParameter(sequence, inputOutputType, valueType, value);
}
VgerReaderDllClass6::Variant VgerReaderClass7::FetchParameter(std::int16_t sequence, std::int16_t set) {
    return Engine().FetchParameter(sequence, set);
}

}  // namespace linkmend
