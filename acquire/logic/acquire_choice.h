// Which way the explorer's Acquire goes, by the Windows version: WIA where
// the system has it (4.90, and 5.1 on when its device manager can be made),
// TWAIN everywhere else.
#pragma once

enum class AcquireWay { Wia, Twain };

// `wiaAvailable` is asked only for version 5.1 and later.
template <typename WiaAvailable>
AcquireWay ChooseAcquireWay(unsigned major, unsigned minor, WiaAvailable wiaAvailable) {
    if (major == 4)
        return minor == 90 ? AcquireWay::Wia : AcquireWay::Twain;
    if (major == 5 && minor >= 1)
        return wiaAvailable() ? AcquireWay::Wia : AcquireWay::Twain;
    return AcquireWay::Twain;
}
