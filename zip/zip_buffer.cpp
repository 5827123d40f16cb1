#include "zip/zip_buffer.h"

#include <cstdlib>
#include <cstring>

#include "zip/zip_exception.h"

CZipByteBuffer::CZipByteBuffer(const CZipByteBuffer& other) {
    Assign(other.m_data, other.m_length);
}

CZipByteBuffer::CZipByteBuffer(CZipByteBuffer&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length) {
    other.m_data = nullptr;
    other.m_length = 0;
}

CZipByteBuffer& CZipByteBuffer::operator=(const CZipByteBuffer& other) {
    if (this != &other)
        Assign(other.m_data, other.m_length);
    return *this;
}

CZipByteBuffer& CZipByteBuffer::operator=(CZipByteBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = other.m_data;
        m_length = other.m_length;
        other.m_data = nullptr;
        other.m_length = 0;
    }
    return *this;
}

uint8_t* CZipByteBuffer::Allocate(uint32_t length, bool zero) {
    if (length != m_length) {
        Release();
        if (length != 0) {
            m_data = static_cast<uint8_t*>(std::malloc(length));
            if (m_data == nullptr)
                CZipException::ThrowError(CZipException::kZlibMemError);
            m_length = length;
        }
    }
    if (zero && m_length != 0)
        std::memset(m_data, 0, m_length);
    return m_data;
}

void CZipByteBuffer::Release() {
    std::free(m_data);
    m_data = nullptr;
    m_length = 0;
}

void CZipByteBuffer::Assign(const void* data, uint32_t length) {
    if (length == 0) {
        Release();
        return;
    }
    // Copy first: data may point into this buffer.
    uint8_t* block = static_cast<uint8_t*>(std::malloc(length));
    if (block == nullptr)
        CZipException::ThrowError(CZipException::kZlibMemError);
    std::memcpy(block, data, length);
    Release();
    m_data = block;
    m_length = length;
}

std::string CZipByteBuffer::ToString() const {
    return m_length ? std::string(reinterpret_cast<const char*>(m_data), m_length) : std::string();
}
