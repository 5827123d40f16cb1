#include "app/logic/decode_size.h"

#include <gtest/gtest.h>

namespace {

TEST(DecodeSize, TooSmallForTheRequest) {
    struct Case {
        const char* what;
        int decodedW, decodedH, boxW, boxH;
        double zoom;
        bool expected;
    } cases[] = {
        // A 1600 x 1200 file decoded at 1/8.
        {"box that the reduced decode covers", 200, 150, 160, 120, 0.0, false},
        {"larger box", 200, 150, 800, 600, 0.0, true},
        {"zoom 1.0", 200, 150, -1, -1, 1.0, true},
        {"zoom 0.125", 200, 150, -1, -1, 0.125, false},
        {"full size asked for", 200, 150, -1, -1, 0.0, true},
        {"one box side -1 uses the zoom", 200, 150, 800, -1, 0.1, false},
        {"zoom so small a side is 0", 200, 150, -1, -1, 0.0001, true},
        {"huge zoom does not wrap", 200, 150, -1, -1, 1e30, true},
        // Decoded at full size: never too small, whatever is asked.
        {"full decode, zoom 4", 1600, 1200, -1, -1, 4.0, false},
        {"full decode, full size", 1600, 1200, -1, -1, 0.0, false},
        {"full decode, big box", 1600, 1200, 4000, 4000, 0.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected,
                  DecodedSizeTooSmall(c.decodedW, c.decodedH, 1600, 1200, c.boxW, c.boxH, c.zoom));
    }
}

TEST(DecodeSize, FailedDecodeIsTooSmall) {
    // Nothing decoded and nothing known of the file: a new attempt is needed.
    EXPECT_TRUE(DecodedSizeTooSmall(0, 0, 0, 0, -1, -1, 1.0));
    EXPECT_TRUE(DecodedSizeTooSmall(0, 0, 0, 0, 160, 120, 0.0));
}

} // namespace
