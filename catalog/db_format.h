// Plain types of the database file: little-endian helpers, the 6-byte record
// location, the 50-byte index description and the caller's key/value buffer.
//
// On-disk format of a database file (all integers little-endian):
//
//   The file is a sequence of pages of one size; page n starts at byte
//   n x page size, and the file length is always page count x page size.
//   Offsets are computed in 64 bits, and a file never grows past 2^32 - 1
//   bytes (the largest page count is (2^32 - 1) / page size), so a page end
//   always fits the format's 32-bit world.
//
//   Page 0 holds the 53-byte header and nothing else:
//     0  4  magic "Velm"           21  2  u16 page size
//     4  1  version (0)            23  4  u32 page count (next page id at the end)
//     5 16  file id (u32 2, 0...)  27  6  DbLocation: append location
//                                  33  6  DbLocation: catalogue IndexSpec
//                                  39  6  DbLocation: free-page IndexSpec
//                                  45  6  DbLocation: user-data record (page -1: none)
//                                  51  2  trailer "DB"
//
//   Record pages (page_file.h) carry records: u32 next page, u16 bytes in use,
//   data area from byte 6. A DbLocation is (u32 page, u16 offset in the data
//   area); page 0xFFFFFFFF means "none".
//
//   Node pages (btree_node.h) hold B+-tree leaves and inner nodes.
//
//   IndexSpec (50 bytes, stored as a record):
//     0 4 root page (-1 before a root exists)   22 4 inner node count
//     4 1 height (inner levels above leaves)    26 4 leaf count
//     5 4 entry count                           30 4 first leaf
//     9 4 reserved 0                            34 4 last leaf
//    13 4 fixed key length (0 = variable)       38 8 u64 out-of-line record bytes
//    17 4 fixed value length (0 = variable)     46 1 flags: 1 keys only,
//    21 1 key type (1 bytes, 2 signed int,           2 keys out of line,
//         3 unsigned int, other = caller's)          4 values out of line
//                                               47 3 reserved 0
//
//   Invariants: every page 1..count-1 is exactly one of a record page (its
//   bytes in use equal the live record bytes in it), a node of exactly one
//   index, or a free page (in the free-page index or the in-memory free
//   cache). Leaf chains are doubly linked and sorted, and the counts in each
//   IndexSpec equal what its tree holds.
//
// Rollback journal ("<db>.jnl", page_journal.cpp; all integers little-endian):
//
//   Header, 32 bytes:
//     0  8  magic "VelmJrnl"        20  1  record kind (kJournalKind...)
//     8  4  u32 page size           21  7  reserved 0
//    12  4  u32 page count of the   28  4  u32 checksum of bytes 0..27
//           last commit                    (one chain, salt 0, id 0)
//    16  4  u32 salt of this journal
//   A header of zeros (the commit point) or one that does not check rolls
//   nothing back.
//
//   Records, one per page, played back in order up to the first that does
//   not check or names a page at or past the committed count:
//     kinds 0 and 1 (older builds; 0 one checksum chain, 1 four lanes):
//       0 u32 page id, 4 u32 checksum of (salt, id, image), 8 the whole page.
//     kind 2 (written now): the page with its longest run of zero bytes left
//       out, so that a node's free gap or a record page's unused tail costs
//       nothing:
//       0 u32 page id, 4 u32 four-lane checksum of (salt, id, bytes 8..end),
//       8 u16 page offset of the zero run, 10 u16 its length (0: none),
//       12 the page's bytes before the run, then those after it.
//       A record is 12 + page size - run length bytes; rollback writes the
//       whole page back, the run as zeros, so the file is as committed.
//   Pages at or past the committed count have no record: rollback cuts the
//   file back to that count.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

constexpr uint32_t kDbNoPage = 0xFFFFFFFFu;
constexpr uint32_t kDbPageSize = 8192;
constexpr uint32_t kDbHeaderSize = 53;
constexpr uint32_t kDbRecordHeader = 6; // next page (4) + bytes in use (2)
constexpr uint64_t kDbMaxFileBytes = 0xFFFFFFFFull;
constexpr uint32_t kIndexSpecSize = 50;
constexpr uint32_t kDbLocationSize = 6;
constexpr uint32_t kMaxIndexName = 19;
constexpr uint32_t kMaxInlineItem = 255;
constexpr uint32_t kDbAllocate = 0xFFFFFFFFu; // DbBuffer capacity: "allocate for me"

// Byte offsets of the header fields in page 0 (see the table above).
constexpr uint32_t kDbHeaderVersion = 4;
constexpr uint32_t kDbHeaderFileId = 5;
constexpr uint32_t kDbHeaderPageSize = 21;
constexpr uint32_t kDbHeaderPageCount = 23;
constexpr uint32_t kDbHeaderAppend = 27;
constexpr uint32_t kDbHeaderCatalog = 33;
constexpr uint32_t kDbHeaderFreeSpec = 39;
constexpr uint32_t kDbHeaderUserData = 45;
constexpr uint32_t kDbHeaderTrailer = 51;

// The on-disk sizes are fixed by files already written: any change to a
// field must keep every one of these.
static_assert(kDbHeaderFileId == kDbHeaderVersion + 1, "one version byte");
static_assert(kDbHeaderPageSize == kDbHeaderFileId + 16, "16-byte file id");
static_assert(kDbHeaderPageCount == kDbHeaderPageSize + 2, "u16 page size");
static_assert(kDbHeaderAppend == kDbHeaderPageCount + 4, "u32 page count");
static_assert(kDbHeaderCatalog == kDbHeaderAppend + kDbLocationSize, "append location");
static_assert(kDbHeaderFreeSpec == kDbHeaderCatalog + kDbLocationSize, "catalogue location");
static_assert(kDbHeaderUserData == kDbHeaderFreeSpec + kDbLocationSize, "free-page location");
static_assert(kDbHeaderTrailer == kDbHeaderUserData + kDbLocationSize, "user-data location");
static_assert(kDbHeaderSize == kDbHeaderTrailer + 2, "the header ends with its trailer");
static_assert(kDbLocationSize == 4 + 2, "u32 page and u16 offset");
static_assert(kDbRecordHeader == 4 + 2, "u32 next page and u16 bytes in use");
static_assert(kIndexSpecSize == 46 + 1 + 3,
              "an index description ends with flags and 3 reserved bytes");
static_assert(kDbHeaderSize <= kDbPageSize, "the header fits page 0");
static_assert(kMaxIndexName + 1 + kDbLocationSize <= kMaxInlineItem, "catalogue entries inline");

constexpr uint32_t kJournalHeaderSize = 32;
constexpr uint32_t kJournalPageSize = 8;
constexpr uint32_t kJournalBase = 12;
constexpr uint32_t kJournalSalt = 16;
constexpr uint32_t kJournalKind = 20;
constexpr uint32_t kJournalHeaderSum = 28;
constexpr uint32_t kJournalFixedHead = 8; // kinds 0, 1: id, checksum
constexpr uint32_t kJournalRunHead = 12;  // kind 2: id, checksum, run offset, run length
enum : uint8_t {
    kJournalKindChain = 0,
    kJournalKindLanes = 1,
    kJournalKindZeroRun = 2,
};
static_assert(kJournalPageSize == 8, "an 8-byte magic");
static_assert(kJournalBase == kJournalPageSize + 4, "u32 page size");
static_assert(kJournalSalt == kJournalBase + 4, "u32 committed page count");
static_assert(kJournalKind == kJournalSalt + 4, "u32 salt");
static_assert(kJournalHeaderSum == kJournalKind + 1 + 7, "kind byte and 7 reserved");
static_assert(kJournalHeaderSize == kJournalHeaderSum + 4, "the header ends with its checksum");
static_assert(kJournalRunHead == kJournalFixedHead + 2 + 2, "u16 run offset and length");
static_assert(kDbPageSize <= 0xFFFF, "a zero run's offset and length fit 16 bits");

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t LoadU64(const uint8_t* p) {
    return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}
inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreU64(uint8_t* p, uint64_t v) {
    StoreU32(p, static_cast<uint32_t>(v));
    StoreU32(p + 4, static_cast<uint32_t>(v >> 32));
}

struct DbLocation {
    uint32_t page = kDbNoPage;
    uint16_t offset = 0;

    bool IsNone() const { return page == kDbNoPage; }
    static DbLocation Load(const uint8_t* p) { return DbLocation{LoadU32(p), LoadU16(p + 4)}; }
    void Store(uint8_t* p) const {
        StoreU32(p, page);
        StoreU16(p + 4, offset);
    }
    bool operator==(const DbLocation& o) const { return page == o.page && offset == o.offset; }
    bool operator!=(const DbLocation& o) const { return !(*this == o); }
};

enum : uint8_t {
    kIndexKeysOnly = 1,
    kIndexKeysOutOfLine = 2,
    kIndexValuesOutOfLine = 4,
};

enum : uint8_t {
    kKeyTypeBytes = 1,
    kKeyTypeSigned = 2,
    kKeyTypeUnsigned = 3,
};

struct IndexSpec {
    uint32_t root = kDbNoPage;
    uint8_t height = 0;
    uint32_t count = 0;
    uint32_t reserved = 0;
    uint32_t fixedKey = 0;
    uint32_t fixedValue = 0;
    uint8_t keyType = kKeyTypeBytes;
    uint32_t innerCount = 0;
    uint32_t leafCount = 0;
    uint32_t firstLeaf = kDbNoPage;
    uint32_t lastLeaf = kDbNoPage;
    uint64_t outOfLineBytes = 0;
    uint8_t flags = 0;

    bool KeysOnly() const { return (flags & kIndexKeysOnly) != 0; }
    bool KeysOutOfLine() const { return (flags & kIndexKeysOutOfLine) != 0; }
    bool ValuesOutOfLine() const { return (flags & kIndexValuesOutOfLine) != 0; }

    void Load(const uint8_t* p) {
        root = LoadU32(p);
        height = p[4];
        count = LoadU32(p + 5);
        reserved = LoadU32(p + 9);
        fixedKey = LoadU32(p + 13);
        fixedValue = LoadU32(p + 17);
        keyType = p[21];
        innerCount = LoadU32(p + 22);
        leafCount = LoadU32(p + 26);
        firstLeaf = LoadU32(p + 30);
        lastLeaf = LoadU32(p + 34);
        outOfLineBytes = LoadU64(p + 38);
        flags = p[46];
    }
    void Store(uint8_t* p) const {
        StoreU32(p, root);
        p[4] = height;
        StoreU32(p + 5, count);
        StoreU32(p + 9, reserved);
        StoreU32(p + 13, fixedKey);
        StoreU32(p + 17, fixedValue);
        p[21] = keyType;
        StoreU32(p + 22, innerCount);
        StoreU32(p + 26, leafCount);
        StoreU32(p + 30, firstLeaf);
        StoreU32(p + 34, lastLeaf);
        StoreU64(p + 38, outOfLineBytes);
        p[46] = flags;
        p[47] = p[48] = p[49] = 0;
    }
};

// The caller's descriptor of a key or value. Input: data and length. Output:
// offset is the first byte of the stored item to return; length comes back as
// the stored length minus the offset (0 when the offset lies beyond it) and at
// most capacity bytes are copied. Capacity kDbAllocate on an out-of-line item
// makes the index allocate data with std::malloc (the caller frees it with
// DbBufferFree).
struct DbBuffer {
    uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t capacity = 0;
    uint32_t offset = 0;

    static DbBuffer In(const void* p, uint32_t n) {
        DbBuffer b;
        b.data = static_cast<uint8_t*>(const_cast<void*>(p));
        b.length = n;
        return b;
    }
    static DbBuffer Out(void* p, uint32_t cap) {
        DbBuffer b;
        b.data = static_cast<uint8_t*>(p);
        b.capacity = cap;
        return b;
    }
};

inline void DbBufferFree(DbBuffer& b) {
    std::free(b.data);
    b.data = nullptr;
}
