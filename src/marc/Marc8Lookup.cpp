// Look-ups over the generated tables. The East Asian codes get a two-level direct index (first two
// octets -> page of third octets), built on first use; everything else is a binary search.
#include "marc/Marc8Lookup.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace linkmend::marc8 {

namespace {

class EastAsianIndex {
public:
    EastAsianIndex() {
        pageOf_.fill(0);
        pages_.emplace_back();  // page 0: no codes
        pages_[0].fill(0);
        for (std::size_t i = 0; i < kEastAsianByCodeSize; ++i) {
            const auto& e = kEastAsianByCode[i];
            const unsigned first = (e.code >> 16) & 0xFF;
            const unsigned second = (e.code >> 8) & 0xFF;
            const unsigned third = e.code & 0xFF;
            const std::size_t slot = (first - 0x21) * 94 + (second - 0x21);
            if (pageOf_[slot] == 0) {
                pageOf_[slot] = static_cast<std::uint16_t>(pages_.size());
                pages_.emplace_back();
                pages_.back().fill(0);
            }
            pages_[pageOf_[slot]][third - 0x20] = e.ucs;
        }
    }

    std::uint32_t Find(std::uint32_t code) const {
        const unsigned first = (code >> 16) & 0xFF;
        const unsigned second = (code >> 8) & 0xFF;
        const unsigned third = code & 0xFF;
        if (code > 0xFFFFFF || first < 0x21 || first > 0x7E || second < 0x21 || second > 0x7E || third < 0x20 ||
            third > 0x7E)
            return 0;
        return pages_[pageOf_[(first - 0x21) * 94 + (second - 0x21)]][third - 0x20];
    }

private:
    std::array<std::uint16_t, 94 * 94> pageOf_;
    std::vector<std::array<std::uint32_t, 95>> pages_;
};

template <typename Entry, typename Key>
const Entry* LowerBound(const Entry* first, std::size_t count, Key key, Key Entry::*field) {
    return std::lower_bound(first, first + count, key, [field](const Entry& e, Key k) { return e.*field < k; });
}

}  // namespace

std::uint32_t EastAsianToUcs(std::uint32_t code) {
    static const EastAsianIndex index;
    if (const std::uint32_t ucs = index.Find(code)) return ucs;
    return EastAsianSupplementToUcs(code);
}

std::uint32_t EastAsianSupplementToUcs(std::uint32_t code) {
    const EastAsianEntry* end = kEastAsianSupplement + kEastAsianSupplementSize;
    const EastAsianEntry* it = LowerBound(kEastAsianSupplement, kEastAsianSupplementSize, code, &EastAsianEntry::code);
    return it != end && it->code == code ? it->ucs : 0;
}

std::uint32_t UcsToEastAsian(std::uint32_t ucs) {
    const EastAsianEntry* end = kEastAsianByUcs + kEastAsianByUcsSize;
    const EastAsianEntry* it = LowerBound(kEastAsianByUcs, kEastAsianByUcsSize, ucs, &EastAsianEntry::ucs);
    return it != end && it->ucs == ucs ? it->code : 0;
}

std::span<const SingleOctetEntry> SingleOctetEntries(std::uint32_t ucs) {
    const SingleOctetEntry* end = kSingleOctetTable + kSingleOctetTableSize;
    const SingleOctetEntry* first = LowerBound(kSingleOctetTable, kSingleOctetTableSize, ucs, &SingleOctetEntry::ucs);
    const SingleOctetEntry* last = first;
    while (last != end && last->ucs == ucs) ++last;
    return {first, last};
}

namespace {

std::span<const VariantEntry> VariantTable(LatinVariant variant) {
    switch (variant) {
        case LatinVariant::V: return {kVariantTableV, kVariantTableVSize};
        case LatinVariant::O: return {kVariantTableO, kVariantTableOSize};
        case LatinVariant::Marc8: break;
    }
    return {};
}

}  // namespace

std::uint8_t VariantOctet(LatinVariant variant, std::uint32_t ucs) {
    const auto table = VariantTable(variant);
    const VariantEntry* it = LowerBound(table.data(), table.size(), ucs, &VariantEntry::ucs);
    return it != table.data() + table.size() && it->ucs == ucs ? it->octet : 0;
}

bool VariantTakesOctet(LatinVariant variant, std::uint8_t octet) {
    for (const auto& e : VariantTable(variant))
        if (e.octet == octet) return true;
    return false;
}

std::uint32_t PrivateUseSubstitute(std::uint32_t ucs) {
    const SubstituteEntry* end = kPrivateUseSubstitutes + kPrivateUseSubstitutesSize;
    const SubstituteEntry* it =
        LowerBound(kPrivateUseSubstitutes, kPrivateUseSubstitutesSize, ucs, &SubstituteEntry::ucs);
    return it != end && it->ucs == ucs ? it->substitute : 0;
}

}  // namespace linkmend::marc8

namespace linkmend::unicode {

namespace {

std::uint32_t MapCase(const CodePair* table, std::size_t size, std::uint32_t cp) {
    const CodePair* end = table + size;
    const CodePair* it =
        std::lower_bound(table, end, cp, [](const CodePair& p, std::uint32_t k) { return p.from < k; });
    return it != end && it->from == cp ? it->to : cp;
}

}  // namespace

std::uint32_t ToLower(std::uint32_t cp) {
    if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
    return MapCase(kUpperToLower, kUpperToLowerSize, cp);
}

std::uint32_t ToUpper(std::uint32_t cp) {
    if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
    return MapCase(kLowerToUpper, kLowerToUpperSize, cp);
}

const char* Category(std::uint32_t cp) {
    const CategoryRange* end = kCategoryRanges + kCategoryRangesSize;
    const CategoryRange* it =
        std::upper_bound(kCategoryRanges, end, cp, [](std::uint32_t k, const CategoryRange& r) { return k < r.start; });
    if (it == kCategoryRanges || cp > 0x10FFFF) return "Cn";
    return kCategoryNames[(it - 1)->category];
}

bool IsMark(std::uint32_t cp) {
    if (cp < 0x300) return false;
    return Category(cp)[0] == 'M';
}

std::uint32_t Compose(std::uint32_t base, std::uint32_t mark) {
    // The characters that decompose into exactly a base and one mark, by that pair.
    static const std::vector<std::pair<std::uint64_t, std::uint32_t>> pairs = [] {
        std::vector<std::pair<std::uint64_t, std::uint32_t>> v;
        for (std::size_t i = 0; i < kDecompositionsSize; ++i) {
            const Decomposition& d = kDecompositions[i];
            if (d.length != 2) continue;
            const std::uint64_t key =
                (std::uint64_t{kDecompositionPool[d.offset]} << 32) | kDecompositionPool[d.offset + 1];
            v.emplace_back(key, d.ucs);
        }
        std::sort(v.begin(), v.end());
        return v;
    }();
    const std::uint64_t key = (std::uint64_t{base} << 32) | mark;
    const auto it = std::lower_bound(pairs.begin(), pairs.end(), std::make_pair(key, std::uint32_t{0}));
    return it != pairs.end() && it->first == key ? it->second : 0;
}

std::span<const std::uint32_t> Decompose(std::uint32_t cp) {
    if (cp < 0xC0) return {};
    const Decomposition* end = kDecompositions + kDecompositionsSize;
    const Decomposition* it =
        std::lower_bound(kDecompositions, end, cp, [](const Decomposition& d, std::uint32_t k) { return d.ucs < k; });
    if (it == end || it->ucs != cp) return {};
    return {kDecompositionPool + it->offset, it->length};
}

}  // namespace linkmend::unicode
