// The parsers' shared helpers: little-endian loads and checked size
// arithmetic, whose whole point is that an overflow is seen instead of
// wrapping to a small size that passes a bounds check.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/byte_order.h"
#include "platform/checked_size.h"

namespace {

using plat::CheckedSize;

TEST(LittleEndianLoads, ReadTheLowByteFirstWhateverTheHighBits) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x84, 0xFF};
    EXPECT_EQ(plat::LoadLE16(bytes), 0x0201u);
    EXPECT_EQ(plat::LoadLE32(bytes), 0x84030201u);
    EXPECT_EQ(plat::LoadLE16(bytes + 3), 0xFF84u);
}

TEST(CheckedSizes, OverflowAnywhereMakesTheResultInvalid) {
    struct Case {
        const char* what;
        CheckedSize value;
        bool valid;
        uint64_t expected;
    };
    const Case cases[] = {
        {"sum", CheckedSize(40) + 12 + 1024, true, 1076},
        {"product", CheckedSize(16000) * 16000 * 4, true, 1024000000},
        {"product that wraps", CheckedSize(UINT64_MAX / 2) * 3, false, 0},
        {"sum that wraps", CheckedSize(UINT64_MAX) + 1, false, 0},
        {"a wrap stays invalid through later steps", CheckedSize(UINT64_MAX) * 2 * 0 + 1, false, 0},
        {"zero times anything", CheckedSize(0) * UINT64_MAX, true, 0},
        {"round up to 4", CheckedSize(13).RoundUp(4), true, 16},
        {"round up an exact multiple", CheckedSize(16).RoundUp(4), true, 16},
        {"round up at the top", CheckedSize(UINT64_MAX - 1).RoundUp(4), false, 0},
        {"1-bpp row of 33 pixels", plat::RowBytes(33, 1, 4), true, 8},
        {"24-bpp row of 3 pixels", plat::RowBytes(3, 24, 4), true, 12},
        {"row too wide for 64 bits", plat::RowBytes(UINT64_MAX / 4, 32, 4), false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.Valid(), c.valid) << c.what;
        if (c.valid) {
            EXPECT_EQ(c.value.Value(), c.expected) << c.what;
        }
    }
}

TEST(CheckedSizes, FitsInRefusesInvalidAndLargerValues) {
    EXPECT_TRUE(CheckedSize(100).FitsIn(100));
    EXPECT_FALSE(CheckedSize(101).FitsIn(100));
    EXPECT_FALSE((CheckedSize(UINT64_MAX) * 2).FitsIn(UINT64_MAX));
}

} // namespace
