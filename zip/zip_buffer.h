// An owning byte block with a 32-bit length; copies are deep.
#pragma once

#include <cstdint>
#include <string>

class CZipByteBuffer {
public:
    CZipByteBuffer() = default;
    explicit CZipByteBuffer(uint32_t length, bool zero = false) { Allocate(length, zero); }
    CZipByteBuffer(const CZipByteBuffer& other);
    CZipByteBuffer(CZipByteBuffer&& other) noexcept;
    CZipByteBuffer& operator=(const CZipByteBuffer& other);
    CZipByteBuffer& operator=(CZipByteBuffer&& other) noexcept;
    ~CZipByteBuffer() { Release(); }

    // A different length frees the old block and allocates a new one (none for
    // 0); the same length keeps the block. zero fills it with zeros. Throws
    // cause 505 when memory runs out.
    uint8_t* Allocate(uint32_t length, bool zero = false);
    void Release();

    // Replaces the contents with a copy of the given bytes.
    void Assign(const void* data, uint32_t length);

    uint8_t* Data() { return m_data; }
    const uint8_t* Data() const { return m_data; }
    uint32_t Length() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    std::string ToString() const;

private:
    uint8_t* m_data = nullptr;
    uint32_t m_length = 0;
};
