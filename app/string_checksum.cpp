#include "app/string_checksum.h"

uint32_t ReflectBits(uint32_t value, int count) {
    if (count > 32)
        count = 32;
    uint32_t result = 0;
    for (int bit = 0; bit < count; ++bit) {
        if (value & (1u << bit))
            result |= 1u << (count - 1 - bit);
    }
    return result;
}

uint32_t StringCrc32(const char* text) {
    // The table is rebuilt on each call: the checksum is taken rarely and
    // on short texts.
    uint32_t table[256];
    const uint32_t polynomial = 0x04C11DB7u;
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t entry = ReflectBits(i, 8) << 24;
        for (int bit = 0; bit < 8; ++bit)
            entry = (entry << 1) ^ ((entry & 0x80000000u) ? polynomial : 0);
        table[i] = ReflectBits(entry, 32);
    }
    uint32_t crc = 0xFFFFFFFFu;
    if (text) {
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
            crc = (crc >> 8) ^ table[(crc ^ *p) & 0xFF];
    }
    return ~crc;
}
