#include "app/string_checksum.h"

#include <gtest/gtest.h>

namespace {

TEST(StringChecksum, MatchesTheStandardCrc32) {
    struct Case {
        const char* text;
        uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"abc", 0x352441C2u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        // Bytes above 127 must not be sign-extended into the table index.
        {"C:\\Pictures\\\xE9t\xE9.jpg", 0xC018E9A9u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.crc, StringCrc32(c.text)) << c.text;
}

TEST(StringChecksum, StopsAtTheTerminatorAndAcceptsNull) {
    const char embedded[] = "abc\0def";
    EXPECT_EQ(StringCrc32("abc"), StringCrc32(embedded));
    EXPECT_EQ(0u, StringCrc32(nullptr));
}

TEST(StringChecksum, ReflectBitsReversesTheLowBits) {
    struct Case {
        uint32_t value;
        int count;
        uint32_t reflected;
    };
    const Case cases[] = {
        {0x1, 1, 0x1},          {0x3, 4, 0xC},
        {0x01, 8, 0x80},        {0x1F0, 4, 0x0},                // bits above count are dropped
        {0xABCD, 0, 0x0},       {0x04C11DB7u, 32, 0xEDB88320u}, // the CRC-32 polynomial
        {0x80000000u, 32, 0x1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.reflected, ReflectBits(c.value, c.count)) << c.value << " " << c.count;
}

} // namespace
