#include "app/logic/sort_keys.h"

#include <cstring>

namespace {

int NormalSortBy(int sortBy) {
    return sortBy >= 1 && sortBy <= 4 ? sortBy : 1;
}

// The fixed prefix as a number; missing bytes of a cut key count as zero.
uint64_t PrefixValue(const uint8_t* key, uint32_t length, uint32_t prefix) {
    uint64_t value = 0;
    for (uint32_t i = 0; i < prefix && i < length; ++i)
        value |= static_cast<uint64_t>(key[i]) << (8 * i);
    return value;
}

// The name part: after the prefix, up to the first zero byte or the end.
int NameLength(const uint8_t* key, uint32_t length, uint32_t prefix) {
    if (length <= prefix)
        return 0;
    const void* zero = std::memchr(key + prefix, 0, length - prefix);
    const uint32_t end =
        zero ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - key) : length;
    return static_cast<int>(end - prefix);
}

int CompareNameBytes(const char* a, int lengthA, const char* b, int lengthB) {
    const int common = lengthA < lengthB ? lengthA : lengthB;
    const int r = common > 0 ? std::memcmp(a, b, static_cast<size_t>(common)) : 0;
    if (r != 0)
        return r < 0 ? -1 : 1;
    return lengthA < lengthB ? -1 : (lengthA > lengthB ? 1 : 0);
}

} // namespace

uint32_t SortKeyPrefixLength(int sortBy) {
    switch (NormalSortBy(sortBy)) {
    case 2:
    case 4:
        return 8;
    case 3:
        return 1;
    default:
        return 0;
    }
}

bool EncodeSortKey(int sortBy, uint64_t fileSize, int typeId, uint64_t lastWriteTime,
                   const char* name, std::vector<uint8_t>* out) {
    out->clear();
    if (!name)
        return false;
    const int by = NormalSortBy(sortBy);
    if (by == 2 || by == 4) {
        const uint64_t value = by == 2 ? fileSize : lastWriteTime;
        for (int i = 0; i < 8; ++i)
            out->push_back(static_cast<uint8_t>(value >> (8 * i)));
    } else if (by == 3) {
        out->push_back(static_cast<uint8_t>(typeId));
    }
    const size_t length = std::strlen(name);
    out->insert(out->end(), name, name + length + 1);
    return true;
}

const char* SortKeyText(int sortBy, const uint8_t* key, uint32_t length) {
    const uint32_t prefix = SortKeyPrefixLength(sortBy);
    if (!key || length <= prefix || !std::memchr(key + prefix, 0, length - prefix))
        return nullptr;
    return reinterpret_cast<const char*>(key + prefix);
}

int CompareSortKeys(int sortBy, const uint8_t* a, uint32_t lengthA, const uint8_t* b,
                    uint32_t lengthB, SortNameCompareFn compareNames) {
    const uint32_t prefix = SortKeyPrefixLength(sortBy);
    if (prefix > 0) {
        const uint64_t va = PrefixValue(a, lengthA, prefix);
        const uint64_t vb = PrefixValue(b, lengthB, prefix);
        if (va != vb)
            return va < vb ? -1 : 1;
    }
    const int na = NameLength(a, lengthA, prefix);
    const int nb = NameLength(b, lengthB, prefix);
    const char* ta = reinterpret_cast<const char*>(a) + (lengthA > prefix ? prefix : 0);
    const char* tb = reinterpret_cast<const char*>(b) + (lengthB > prefix ? prefix : 0);
    int r = compareNames ? compareNames(ta, na, tb, nb) : 0;
    if (r == 0)
        r = CompareNameBytes(ta, na, tb, nb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

uint32_t SortKeySeparatorLength(int sortBy, const uint8_t* a, uint32_t lengthA, const uint8_t* b,
                                uint32_t lengthB, SortNameCompareFn compareNames) {
    const uint32_t prefix = SortKeyPrefixLength(sortBy);
    uint32_t cut;
    if (prefix > 0 && PrefixValue(a, lengthA, prefix) != PrefixValue(b, lengthB, prefix)) {
        cut = prefix;
    } else {
        uint32_t shared = 0;
        while (prefix + shared < lengthA && prefix + shared < lengthB &&
               a[prefix + shared] == b[prefix + shared])
            ++shared;
        cut = prefix + shared + 1;
    }
    if (cut > lengthB)
        cut = lengthB;
    if (CompareSortKeys(sortBy, a, lengthA, b, cut, compareNames) < 0 &&
        CompareSortKeys(sortBy, b, cut, b, lengthB, compareNames) <= 0)
        return cut;
    return lengthB;
}
