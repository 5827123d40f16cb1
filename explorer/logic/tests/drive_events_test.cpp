// The folder tree's drive rules: which device changes concern it and for
// which drive, and the notices a refresh of My Computer gives while drives
// are pending.
#include "explorer/logic/drive_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace explorer_drive_events;

TEST(DriveEvents, TheDriveOfAUnitMaskIsItsLowestSetBit) {
    struct Case {
        uint32_t mask;
        int drive;
    } cases[] = {
        {0x1, 0},         {0x4, 2},        {0x6, 1},                // B: and C: together name B:
        {1u << 25, 25},   {0x0, kNoDrive}, {0xFC000000u, kNoDrive}, // bits above Z:
        {0xFC000010u, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.drive, LowestDriveOfMask(c.mask)) << std::hex << c.mask;
}

TEST(DriveEvents, APathNamesADriveOnlyByItsLetterAndColon) {
    struct Case {
        const char* path;
        int drive;
    } cases[] = {
        {"C:\\", 2},    {"q:\\photos", 16}, {"Z:", 25},         {"\\\\server\\share", kNoDrive},
        {"", kNoDrive}, {"C", kNoDrive},    {"1:\\", kNoDrive}, {"photos\\a.jpg", kNoDrive},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.drive, DriveNumberOfPath(c.path)) << c.path;
}

TEST(DriveEvents, OnlyTheFourVolumeEventsConcernTheTree) {
    struct Case {
        const char* name;
        uint32_t event, type, mask;
        DriveAction action;
        int drive;
    } cases[] = {
        {"arrival", kDeviceArrival, kVolumeDevice, 1u << 16, DriveAction::RecordArrival, 16},
        {"query remove", kDeviceQueryRemove, kVolumeDevice, 0x8, DriveAction::StopWatching, 3},
        {"query remove failed", kDeviceQueryRemoveFailed, kVolumeDevice, 0x8,
         DriveAction::WatchAgain, 3},
        {"remove complete", kDeviceRemoveComplete, kVolumeDevice, 0x30, DriveAction::RecordRemoval,
         4},
        {"remove pending", 0x8003, kVolumeDevice, 0x8, DriveAction::None, kNoDrive},
        {"a port's arrival", kDeviceArrival, 3, 0x8, DriveAction::None, kNoDrive},
        {"an interface's arrival", kDeviceArrival, 5, 0x8, DriveAction::None, kNoDrive},
        {"a volume of no drive", kDeviceArrival, kVolumeDevice, 0, DriveAction::None, kNoDrive},
        {"devices changed", 0x0007, 0, 0, DriveAction::None, kNoDrive},
    };
    for (const Case& c : cases) {
        const DeviceEvent e = TreeDeviceEvent(c.event, c.type, c.mask);
        EXPECT_EQ(c.action, e.action) << c.name;
        EXPECT_EQ(c.drive, e.drive) << c.name;
    }
}

TEST(DriveEvents, ARefreshAnnouncesThePendingDrivesOnceEach) {
    // Each step: what the refresh met (kept, new or vanished child, drive,
    // whether it is a root), the drive it announces.
    enum Met { Kept, New, Vanished };
    struct Step {
        Met met;
        int drive;
        bool root;
        int announced;
    };
    struct Case {
        const char* name;
        int arrived, removed;
        std::vector<Step> steps;
        int arrivedAfter, removedAfter;
    } cases[] = {
        {"a new drive is announced as added",
         16,
         kNoDrive,
         {{Kept, 2, true, kNoDrive}, {New, 16, true, 16}},
         kNoDrive,
         kNoDrive},
        {"a drive already listed is announced as changed",
         16,
         kNoDrive,
         {{Kept, 16, true, 16}, {Kept, 16, true, kNoDrive}},
         kNoDrive,
         kNoDrive},
        {"a new drive of another letter leaves the arrival pending",
         16,
         kNoDrive,
         {{New, 17, true, kNoDrive}},
         16,
         kNoDrive},
        {"a removed drive that is still listed lost its media",
         kNoDrive,
         4,
         {{Kept, 2, true, kNoDrive}, {Kept, 4, true, 4}},
         kNoDrive,
         kNoDrive},
        {"the removed drive that vanished is announced once",
         kNoDrive,
         4,
         {{Vanished, 4, true, 4}, {Vanished, 4, true, 4}},
         kNoDrive,
         kNoDrive},
        {"with no removal pending every vanished root is announced",
         kNoDrive,
         kNoDrive,
         {{Vanished, 5, true, 5}, {Vanished, 6, true, 6}},
         kNoDrive,
         kNoDrive},
        {"while another drive's removal is pending a vanished root is not",
         kNoDrive,
         4,
         {{Vanished, 5, true, kNoDrive}},
         kNoDrive,
         4},
        {"children on no drive announce nothing",
         16,
         4,
         {{Kept, kNoDrive, false, kNoDrive}, {New, kNoDrive, false, kNoDrive}},
         16,
         4},
    };
    for (const Case& c : cases) {
        PendingDrives pending;
        pending.Arrive(c.arrived);
        pending.removed = c.removed;
        for (const Step& s : c.steps) {
            const int announced = s.met == Kept  ? pending.KeptChild(s.drive, s.root)
                                  : s.met == New ? pending.NewChild(s.drive)
                                                 : pending.VanishedRoot(s.drive);
            EXPECT_EQ(s.announced, announced) << c.name;
        }
        EXPECT_EQ(c.arrivedAfter, pending.arrived) << c.name;
        EXPECT_EQ(c.removedAfter, pending.removed) << c.name;
    }
}

TEST(DriveEvents, AnArrivalTheShellNeverListsIsDroppedAfterItsRefreshes) {
    PendingDrives pending;
    pending.Arrive(16);
    pending.removed = 3;
    int refreshes = 0;
    while (pending.EndRefresh())
        ++refreshes;
    EXPECT_EQ(kArrivalRefreshes - 1, refreshes);
    EXPECT_EQ(kNoDrive, pending.arrived);
    EXPECT_EQ(kNoDrive, pending.removed) << "a removal is used by the first refresh";
    EXPECT_FALSE(pending.EndRefresh()) << "nothing is pending any more";

    pending.Arrive(16);
    EXPECT_TRUE(pending.EndRefresh()) << "a new arrival starts counting again";
    EXPECT_EQ(16, pending.NewChild(16));
    EXPECT_FALSE(pending.EndRefresh());
}

} // namespace
