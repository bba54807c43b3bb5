#pragma once
// Owners of ODBC environment, connection and statement handles, usable without the ODBC headers: a
// handle is an untyped pointer here. Destructors never throw; a borrowed handle is never freed.
#include <cstdint>

namespace linkmend::odbc {

// An ODBC handle as the driver manager hands it out (SQLHANDLE); only src/odbc looks behind it.
using RawHandle = void*;

// The ODBC handle types, with the driver manager's numbers (SQL_HANDLE_ENV, _DBC, _STMT).
enum class HandleType : std::int16_t { Environment = 1, Connection = 2, Statement = 3 };

template <HandleType Type>
class Handle {
public:
    Handle() = default;
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_), owned_(other.owned_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.h_;
            owned_ = other.owned_;
            other.h_ = nullptr;
        }
        return *this;
    }

    RawHandle Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    bool Borrowed() const noexcept { return h_ != nullptr && !owned_; }

    // Allocates a new handle under parent (nullptr for an environment); returns the driver
    // manager's result code and leaves the owner empty on failure.
    std::int16_t Allocate(RawHandle parent);
    // Uses a handle that belongs to someone else; it is never freed here.
    void Borrow(RawHandle h) noexcept {
        Reset();
        h_ = h;
        owned_ = false;
    }
    // Frees an owned handle (a connection is disconnected first); forgets a borrowed one.
    void Reset() noexcept;
    // Forgets the handle without freeing it (its connection's owner frees it by disconnecting).
    void Release() noexcept {
        h_ = nullptr;
        owned_ = false;
    }

private:
    RawHandle h_ = nullptr;
    bool owned_ = false;
};

extern template class Handle<HandleType::Environment>;
extern template class Handle<HandleType::Connection>;
extern template class Handle<HandleType::Statement>;

using EnvHandle = Handle<HandleType::Environment>;
using DbcHandle = Handle<HandleType::Connection>;
using StmtHandle = Handle<HandleType::Statement>;

}  // namespace linkmend::odbc
