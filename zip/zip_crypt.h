// The traditional zip stream cipher: three 32-bit keys driven by the password
// and the CRC-32 table.
//
// Encryption header: 12 enciphered bytes in front of an entry's (compressed)
// data, counted in its compressed size. Bytes 0-9 are random, bytes 10 and 11
// the low and high byte of a check value: the entry's DOS time when flag 8
// (data descriptor) is set, else the high word of its CRC-32. A reader
// compares the last decoded byte with the check value's high byte.
#pragma once

#include <cstdint>

#include "zip/zip_buffer.h"

class CZipCryptKeys {
public:
    static constexpr uint32_t kHeaderSize = 12;

    void InitKeys(const CZipByteBuffer& password);
    void UpdateKeys(uint8_t c);
    uint8_t DecryptByte() const;
    void DecodeByte(uint8_t& c);
    void EncodeByte(uint8_t& c);
    void DecodeBuffer(uint8_t* data, uint32_t length);
    void EncodeBuffer(uint8_t* data, uint32_t length);

    // Decodes a 12-byte header in place and compares its last byte with the
    // check byte; the keys must be freshly initialised.
    bool CheckHeader(uint8_t header[kHeaderSize], uint8_t checkByte);
    // Initialises the keys and fills out with an enciphered header whose
    // bytes 10 and 11 carry bits 16-23 and 24-31 of checkValue.
    void MakeHeader(const CZipByteBuffer& password, uint32_t checkValue, uint8_t out[kHeaderSize]);

    uint32_t Key(int i) const { return m_keys[i]; }

private:
    uint32_t m_keys[3] = {0, 0, 0};
};
