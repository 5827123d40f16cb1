// Sort keys of the file item lists.
//
// A list is sorted by inserting one key per item into a temporary index and
// walking it in order. The key starts with a fixed prefix chosen by the
// sort-by value and ends with the item text as it will be stored, with its
// terminating zero byte:
//
//   sort by 1 (name)  name
//   sort by 2 (size)  8-byte file size, low byte first, + name
//   sort by 3 (type)  1-byte image type id + name
//   sort by 4 (date)  8-byte last-write time (100 ns since 1601), low byte first, + name
//
// Any other sort-by value is treated as 1. The keys live only in the
// temporary index and are never read back by another program version.
//
// The name comparison is injected (the program uses the user's locale
// order); the numbers compare as unsigned 64-bit values. The index may cut
// its separator keys to a prefix of the right-hand key; the separator length
// computed here is always one whose prefix still orders correctly under the
// full comparison.
#pragma once

#include <cstdint>
#include <vector>

// Compares two names of the given lengths (no terminator counted): negative,
// 0 or positive. The program passes the user's locale order.
using SortNameCompareFn = int (*)(const char* a, int lengthA, const char* b, int lengthB);

// Length of the fixed prefix for a sort-by value: 0, 8, 1 or 8.
uint32_t SortKeyPrefixLength(int sortBy);

// Appends the key of one item to out (cleared first). False when the name is
// null.
bool EncodeSortKey(int sortBy, uint64_t fileSize, int typeId, uint64_t lastWriteTime,
                   const char* name, std::vector<uint8_t>* out);

// The item text of a key: the bytes after the fixed prefix up to the
// terminating zero. Null when the key is shorter than its prefix.
const char* SortKeyText(int sortBy, const uint8_t* key, uint32_t length);

// Full comparison of two keys (either may be a separator cut from a key).
// Names that the injected comparison finds equal but that differ in their
// bytes are ordered by their bytes, so two different files never collapse
// into one item.
int CompareSortKeys(int sortBy, const uint8_t* a, uint32_t lengthA, const uint8_t* b,
                    uint32_t lengthB, SortNameCompareFn compareNames);

// Separator length for the last key a of a left leaf and the first key b of
// the right one (a < b): the length of the prefix S of b that the index
// keeps. With a differing fixed prefix it is the prefix length; otherwise the
// prefix length + 1 + the number of leading name bytes both keys share. When
// that cut would not order a < S <= b under CompareSortKeys (a locale order
// that ignores some characters can do that), the whole of b is kept.
uint32_t SortKeySeparatorLength(int sortBy, const uint8_t* a, uint32_t lengthA, const uint8_t* b,
                                uint32_t lengthB, SortNameCompareFn compareNames);
