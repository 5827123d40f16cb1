// The explorer's Acquire by Windows version: WIA on 4.90 and on 5.1 and later
// when the device manager can be made, TWAIN otherwise.
#include <gtest/gtest.h>

#include "acquire/logic/acquire_choice.h"

namespace {

TEST(AcquireChoice, TheVersionAndTheDeviceManagerChooseTheWay) {
    struct Case {
        unsigned major, minor;
        bool wiaAvailable;
        AcquireWay way;
        bool asked; // whether the device manager was tried
    };
    const Case cases[] = {
        {4, 90, false, AcquireWay::Wia, false}, {4, 10, true, AcquireWay::Twain, false},
        {4, 0, true, AcquireWay::Twain, false}, {5, 0, true, AcquireWay::Twain, false},
        {5, 1, true, AcquireWay::Wia, true},    {5, 2, false, AcquireWay::Twain, true},
        {6, 1, true, AcquireWay::Twain, false}, {10, 0, true, AcquireWay::Twain, false},
    };
    for (const Case& c : cases) {
        bool asked = false;
        const AcquireWay way = ChooseAcquireWay(c.major, c.minor, [&] {
            asked = true;
            return c.wiaAvailable;
        });
        EXPECT_EQ(c.way, way) << c.major << "." << c.minor;
        EXPECT_EQ(c.asked, asked) << c.major << "." << c.minor;
    }
}

} // namespace
