#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_crc.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

uint32_t Reference(uint32_t crc, const uint8_t* data, size_t n) {
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(n)));
}

TEST(ZipCrc, TheCheckValueOfTheFormatComesOut) {
    const char* digits = "123456789";
    EXPECT_EQ(ZipCrc::Update(0, digits, 9), 0xCBF43926u);
    EXPECT_EQ(ZipCrc::Update(0, nullptr, 0), 0u);
    // A block of the folding size: 64 zero bytes.
    const std::vector<uint8_t> zeros(64, 0);
    EXPECT_EQ(ZipCrc::Update(0, zeros.data(), zeros.size()), 0x758D6336u);
}

TEST(ZipCrc, EveryLengthAndAlignmentAgreesWithZlib) {
    // Lengths around the 16- and 64-byte steps of the folded path and its
    // table-method tail, at every alignment of a 16-byte load.
    const std::vector<uint8_t> bytes = RandomBytes(70000, 7);
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 300; ++n)
        lengths.push_back(n);
    for (size_t n : {1023u, 1024u, 1025u, 4096u + 15u, 65536u, 65536u + 63u})
        lengths.push_back(n);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t n : lengths) {
            const uint8_t* p = bytes.data() + offset;
            ASSERT_EQ(ZipCrc::Update(0, p, n), Reference(0, p, n))
                << "offset " << offset << ", length " << n;
        }
    }
}

TEST(ZipCrc, BlocksFedInPiecesGiveTheCrcOfTheWhole) {
    // Extraction feeds the CRC one inflated block at a time, of any size.
    const std::vector<uint8_t> bytes = RandomBytes(200000, 11);
    const uint32_t whole = Reference(0, bytes.data(), bytes.size());
    struct Split {
        size_t first;
        size_t step;
    };
    const Split splits[] = {{1, 65536}, {63, 64}, {100, 65535}, {65536, 17}, {0, 199999}};
    for (const Split& split : splits) {
        uint32_t crc = ZipCrc::Update(0, bytes.data(), split.first);
        for (size_t at = split.first; at < bytes.size(); at += split.step) {
            const size_t n = std::min(split.step, bytes.size() - at);
            crc = ZipCrc::Update(crc, bytes.data() + at, n);
        }
        EXPECT_EQ(crc, whole) << "first " << split.first << ", then " << split.step;
    }
}

} // namespace
