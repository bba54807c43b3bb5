#pragma once
// The reader's small cache of locations, looked up by id or by code. It holds at most 25 entries;
// when full, a new location replaces the first entry read at most once, else at most twice, else
// at most three times; locations read more often than that are never replaced.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkmend {

struct LocationEntry {
    std::string id;
    std::string code;
    std::string name;
    std::string display;
    std::string spine;
    bool suppressedInOpac = false;
    std::int32_t hits = 1;
};

class LocationCache {
public:
    static constexpr std::size_t kCapacity = 25;

    // The entry with that id (or code), its hit count raised by one; nullptr when not cached.
    const LocationEntry* FindById(std::string_view id);
    const LocationEntry* FindByCode(std::string_view code);

    // Caches a location just read, with hit count 1, under the replacement rule above; returns
    // false when every entry has been read more than three times and nothing was replaced.
    bool Add(LocationEntry entry);

    const std::vector<LocationEntry>& Entries() const { return entries_; }

private:
    std::vector<LocationEntry> entries_;
};

}  // namespace linkmend
