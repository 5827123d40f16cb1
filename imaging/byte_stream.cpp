#include "imaging/byte_stream.h"

#include <cstdlib>
#include <cstring>

// Invariants kept by every operation: size <= capacity (Attach cuts the size,
// Write never passes the capacity, Grow refuses to drop below the size), so
// the readable bytes always lie inside the buffer; bytes of an owned buffer
// beyond the size are zero, so a write after a seek past the end leaves a gap
// of zeros rather than stale memory.

CByteStream::~CByteStream() {
    Free();
}

void CByteStream::Attach(void* data, uint32_t dataCapacity, uint32_t dataSize) {
    Free();
    if (!data)
        return; // nothing to view: stays empty
    buffer = static_cast<uint8_t*>(data);
    capacity = dataCapacity;
    size = dataSize < dataCapacity ? dataSize : dataCapacity;
    position = 0;
    ownsBuffer = false;
    readOnly = false;
}

void CByteStream::AttachReadOnly(const void* data, uint32_t dataSize) {
    Attach(const_cast<void*>(data), dataSize, dataSize);
    readOnly = buffer != nullptr;
}

bool CByteStream::Allocate(uint32_t newCapacity) {
    if (ownsBuffer && buffer && capacity == newCapacity) {
        size = 0;
        position = 0;
        return true;
    }
    Free();
    if (newCapacity == 0)
        return true;
    uint8_t* block = static_cast<uint8_t*>(calloc(1, newCapacity));
    if (!block)
        return false;
    buffer = block;
    capacity = newCapacity;
    ownsBuffer = true;
    return true;
}

void CByteStream::Free() {
    if (ownsBuffer)
        free(buffer);
    buffer = nullptr;
    size = 0;
    capacity = 0;
    position = 0;
    ownsBuffer = false;
    readOnly = false;
}

bool CByteStream::Grow(uint32_t newCapacity) {
    if (buffer && (!ownsBuffer || newCapacity < size))
        return false;
    if (newCapacity == capacity && (buffer || newCapacity == 0))
        return true;
    if (newCapacity == 0) {
        free(buffer);
        buffer = nullptr;
        capacity = 0;
        ownsBuffer = true;
        return true;
    }
    uint8_t* block = static_cast<uint8_t*>(realloc(buffer, newCapacity));
    if (!block)
        return false; // the old buffer stays
    uint32_t oldCapacity = buffer ? capacity : 0;
    if (newCapacity > oldCapacity)
        memset(block + oldCapacity, 0, newCapacity - oldCapacity);
    buffer = block;
    capacity = newCapacity;
    ownsBuffer = true;
    readOnly = false;
    return true;
}

uint32_t CByteStream::Read(void* destination, uint32_t count) {
    if (position >= size)
        return 0;
    uint32_t available = size - position;
    uint32_t n = count < available ? count : available;
    if (n > 0 && destination)
        memcpy(destination, buffer + position, n);
    position += n;
    return n;
}

uint32_t CByteStream::Write(const void* source, uint32_t count, bool grow) {
    if (readOnly || count == 0)
        return 0;
    bool mayGrow = (grow && ownsBuffer) || buffer == nullptr;
    uint32_t room = position < capacity ? capacity - position : 0;
    if (mayGrow && room < count) {
        uint64_t needed = static_cast<uint64_t>(position) + count;
        uint64_t doubled = static_cast<uint64_t>(capacity) * 2;
        uint64_t target = doubled > needed ? doubled : needed;
        if (target > UINT32_MAX)
            target = UINT32_MAX;
        Grow(static_cast<uint32_t>(target)); // on failure write what fits
        room = position < capacity ? capacity - position : 0;
    }
    uint32_t n = count < room ? count : room;
    if (n == 0)
        return 0;
    if (source)
        memcpy(buffer + position, source, n);
    position += n;
    if (position > size)
        size = position; // overwriting inside the data does not lengthen it
    return n;
}

bool CByteStream::Seek(int64_t offset, int origin) {
    uint32_t limit = size > capacity ? size : capacity;
    int64_t target;
    if (origin == 0)
        target = offset;
    else if (origin == 1)
        target = static_cast<int64_t>(position) + offset;
    else
        target = static_cast<int64_t>(limit) - offset;
    if (target < 0 || target >= static_cast<int64_t>(limit))
        return false;
    position = static_cast<uint32_t>(target);
    return true;
}

uint8_t CByteStream::ReadUInt8() {
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

uint16_t CByteStream::ReadUInt16() {
    return bigEndian ? ReadUInt16BE() : ReadUInt16LE();
}

uint16_t CByteStream::ReadUInt16LE() {
    uint8_t b[2] = {0, 0};
    Read(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint16_t CByteStream::ReadUInt16BE() {
    uint8_t b[2] = {0, 0};
    Read(b, 2);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t CByteStream::ReadUInt32() {
    return bigEndian ? ReadUInt32BE() : ReadUInt32LE();
}

uint32_t CByteStream::ReadUInt32LE() {
    uint8_t b[4] = {0, 0, 0, 0};
    Read(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint32_t CByteStream::ReadUInt32BE() {
    uint8_t b[4] = {0, 0, 0, 0};
    Read(b, 4);
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

bool CByteStream::WriteUInt8(uint8_t value) {
    return Write(&value, 1, true) == 1;
}

bool CByteStream::WriteUInt16LE(uint16_t value) {
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return Write(b, 2, true) == 2;
}

bool CByteStream::WriteUInt16BE(uint16_t value) {
    uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Write(b, 2, true) == 2;
}

bool CByteStream::WriteUInt32LE(uint32_t value) {
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return Write(b, 4, true) == 4;
}

bool CByteStream::WriteUInt32BE(uint32_t value) {
    uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Write(b, 4, true) == 4;
}
