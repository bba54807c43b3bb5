#pragma once
// The frame of every typed retrieval: the caller's result set is saved, the retrieval statement
// (set 0) becomes current and readable, and both are restored however the retrieval ends (frames
// nest: a look-up inside a retrieval leaves set 0 readable for it).
#include "odbc/VgerReaderDllClass6.h"

namespace linkmend {

class RetrievalScope {
public:
    explicit RetrievalScope(VgerReaderDllClass6& engine) : engine_(engine), retrievalBefore_(engine.IsRetrieval()) {
        engine_.PushResultSet();
        engine_.ResultSet(0);
        engine_.IsRetrieval(true);
    }
    ~RetrievalScope() {
        try {
            engine_.PopResultSet();
        } catch (...) {  // the saved set was valid when pushed; nothing to report on the way out
        }
        engine_.IsRetrieval(retrievalBefore_);
    }
    RetrievalScope(const RetrievalScope&) = delete;
    RetrievalScope& operator=(const RetrievalScope&) = delete;

private:
    VgerReaderDllClass6& engine_;
    bool retrievalBefore_;
};

}  // namespace linkmend
