#include "zip/zip_crypt.h"

#include <mutex>
#include <random>

#include <zlib.h>

namespace {

uint32_t CrcStep(uint32_t value, uint8_t c) {
    static const z_crc_t* table = get_crc_table();
    return table[(value ^ c) & 0xFF] ^ (value >> 8);
}

// One generator for the process, seeded once from the system's random
// source: headers made within the same second must not repeat.
uint32_t NextRandom() {
    static std::mutex lock;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<uint32_t>(generator());
}

} // namespace

void CZipCryptKeys::InitKeys(const CZipByteBuffer& password) {
    m_keys[0] = 0x12345678u;
    m_keys[1] = 0x23456789u;
    m_keys[2] = 0x34567890u;
    for (uint32_t i = 0; i < password.Length(); ++i)
        UpdateKeys(password.Data()[i]);
}

void CZipCryptKeys::UpdateKeys(uint8_t c) {
    m_keys[0] = CrcStep(m_keys[0], c);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1u;
    m_keys[2] = CrcStep(m_keys[2], static_cast<uint8_t>(m_keys[1] >> 24));
}

uint8_t CZipCryptKeys::DecryptByte() const {
    const uint32_t t = (m_keys[2] & 0xFFFF) | 2;
    return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
}

void CZipCryptKeys::DecodeByte(uint8_t& c) {
    const uint8_t p = static_cast<uint8_t>(c ^ DecryptByte());
    UpdateKeys(p);
    c = p;
}

void CZipCryptKeys::EncodeByte(uint8_t& c) {
    const uint8_t t = DecryptByte();
    UpdateKeys(c);
    c = static_cast<uint8_t>(c ^ t);
}

void CZipCryptKeys::DecodeBuffer(uint8_t* data, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        DecodeByte(data[i]);
}

void CZipCryptKeys::EncodeBuffer(uint8_t* data, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        EncodeByte(data[i]);
}

bool CZipCryptKeys::CheckHeader(uint8_t header[kHeaderSize], uint8_t checkByte) {
    DecodeBuffer(header, kHeaderSize);
    return header[kHeaderSize - 1] == checkByte;
}

void CZipCryptKeys::MakeHeader(const CZipByteBuffer& password, uint32_t checkValue,
                               uint8_t out[kHeaderSize]) {
    InitKeys(password);
    for (uint32_t i = 0; i < kHeaderSize - 2; ++i) {
        const uint32_t r = NextRandom() & 0x7FFF;
        uint8_t b = static_cast<uint8_t>((r >> 6) & 0xFF);
        if (b == 0)
            b = static_cast<uint8_t>(r & 0xFF);
        EncodeByte(b);
        out[i] = b;
    }
    out[10] = static_cast<uint8_t>((checkValue >> 16) & 0xFF);
    EncodeByte(out[10]);
    out[11] = static_cast<uint8_t>((checkValue >> 24) & 0xFF);
    EncodeByte(out[11]);
}
