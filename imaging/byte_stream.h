// A memory stream with a read/write position, either owning a growable buffer
// or viewing memory that belongs to someone else. Codecs parse and build file
// contents through it, the EXIF parser walks TIFF data with it, and the
// database files read and write their records with it.
#pragma once

#include <cstdint>

class CByteStream {
public:
    CByteStream() = default; // every field 0
    virtual ~CByteStream();
    CByteStream(const CByteStream&) = delete;
    CByteStream& operator=(const CByteStream&) = delete;

    // Views the caller's memory: capacity bytes at buffer, the first size of
    // them valid data. A size above the capacity is cut to the capacity, so a
    // read never leaves the memory described. Frees any owned buffer first.
    void Attach(void* buffer, uint32_t capacity, uint32_t size);
    // Views read-only memory (a read-only file mapping, a constant table):
    // size bytes of data; writes write nothing.
    void AttachReadOnly(const void* buffer, uint32_t size);

    // Owned buffer of exactly capacity bytes (zeroed); size and position 0.
    // Reuses the buffer when it already has this capacity.
    bool Allocate(uint32_t capacity);
    // Frees an owned buffer; every field back to 0.
    void Free();
    // Reallocates an owned buffer (or makes one) of newCapacity bytes. False
    // for a foreign buffer or a capacity below the size; the old buffer is kept
    // when the allocation fails.
    bool Grow(uint32_t newCapacity);

    // Reads up to count bytes at the position (nothing at or past the end of
    // the data); a null destination skips them. Returns the bytes read.
    uint32_t Read(void* destination, uint32_t count);
    // Writes up to count bytes at the position, growing an owned (or absent)
    // buffer when allowed to max(2 x capacity, position + count). The size
    // becomes max(size, position after the write). Returns the bytes written.
    uint32_t Write(const void* source, uint32_t count, bool grow = true);
    // origin 0: from the start, 1: from the position, other: back from the
    // limit max(size, capacity). Fails (position unchanged) when the target is
    // before the start or at or beyond the limit.
    bool Seek(int64_t offset, int origin);

    // Typed reads: missing bytes at the end count as 0.
    uint8_t ReadUInt8();
    uint16_t ReadUInt16(); // in the stream's byte order (bigEndian)
    uint16_t ReadUInt16LE();
    uint16_t ReadUInt16BE();
    uint32_t ReadUInt32(); // in the stream's byte order (bigEndian)
    uint32_t ReadUInt32LE();
    uint32_t ReadUInt32BE();

    // Typed writes (growth allowed): true when every byte was written.
    bool WriteUInt8(uint8_t value);
    bool WriteUInt16LE(uint16_t value);
    bool WriteUInt16BE(uint16_t value);
    bool WriteUInt32LE(uint32_t value);
    bool WriteUInt32BE(uint32_t value);

    // Bytes left to read from the position.
    uint32_t Remaining() const { return position < size ? size - position : 0; }

    uint8_t* buffer = nullptr; // the data; null when empty
    uint32_t size = 0;         // valid data bytes: the end for reading
    uint32_t capacity = 0;     // bytes of the buffer: the end for writing
    uint32_t position = 0;     // offset of the next byte read or written
    bool ownsBuffer = false;   // the stream allocated the buffer and frees it
    bool readOnly = false;     // a view of read-only memory: writes refused
    int32_t bigEndian = 0;     // non-zero: ReadUInt16/ReadUInt32 read big-endian
};
