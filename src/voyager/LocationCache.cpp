#include "voyager/LocationCache.h"

#include <utility>

namespace linkmend {

const LocationEntry* LocationCache::FindById(std::string_view id) {
    for (auto& e : entries_) {
        if (e.id == id) {
            ++e.hits;
            return &e;
        }
    }
    return nullptr;
}

const LocationEntry* LocationCache::FindByCode(std::string_view code) {
    for (auto& e : entries_) {
        if (e.code == code) {
            ++e.hits;
            return &e;
        }
    }
    return nullptr;
}

bool LocationCache::Add(LocationEntry entry) {
    entry.hits = 1;
    if (entries_.size() < kCapacity) {
        entries_.push_back(std::move(entry));
        return true;
    }
    for (std::int32_t limit = 1; limit <= 3; ++limit) {
        for (auto& e : entries_) {
            if (e.hits <= limit) {
                e = std::move(entry);
                return true;
            }
        }
    }
    return false;
}

}  // namespace linkmend
