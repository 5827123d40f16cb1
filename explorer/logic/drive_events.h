// Rules of the folder tree's drives that need no window: which device
// changes concern it, the drive a volume's unit mask names, and the pending
// arrived and removed drives a refresh of My Computer uses to tell the
// explorer that a drive was added, removed or changed.
#pragma once

#include <cstdint>
#include <string>

namespace explorer_drive_events {

// WM_DEVICECHANGE event codes and the volume device type of the broadcast
// header (the system's values).
constexpr uint32_t kDeviceArrival = 0x8000;
constexpr uint32_t kDeviceQueryRemove = 0x8001;
constexpr uint32_t kDeviceQueryRemoveFailed = 0x8002;
constexpr uint32_t kDeviceRemoveComplete = 0x8004;
constexpr uint32_t kVolumeDevice = 2;

constexpr int kNoDrive = -1;

// The drive of a volume's unit mask: the lowest set bit, 0 = A: to 25 = Z:;
// kNoDrive when none of those bits is set.
int LowestDriveOfMask(uint32_t unitMask);

// The drive number of a path that begins with a drive letter and a colon;
// kNoDrive for any other path (UNC, relative, empty).
int DriveNumberOfPath(const std::string& path);

enum class DriveAction {
    None,          // not a volume, or an event the tree ignores
    RecordArrival, // the drive is pending until My Computer lists it
    StopWatching,  // the system asks whether the drive may go
    WatchAgain,    // it stays after all
    RecordRemoval, // it is gone: My Computer is refreshed at once
};

struct DeviceEvent {
    DriveAction action = DriveAction::None;
    int drive = kNoDrive;
};

// What a WM_DEVICECHANGE means to the tree, given the event code, the
// broadcast header's device type and (for volumes) the unit mask. A volume
// record whose mask names no drive means nothing.
DeviceEvent TreeDeviceEvent(uint32_t event, uint32_t deviceType, uint32_t unitMask);

// A drive that arrived is looked for again while it is pending; the
// shell may list it a moment after the system announced it. After this many
// refreshes without it, the arrival is dropped rather than polled forever.
constexpr int kArrivalRefreshes = 20;

// The drives a device change left for the next refresh of My Computer, and
// the notices each child of that refresh gives. Every answer is a drive to
// announce, or kNoDrive for none; an answer clears the pending drive it used.
struct PendingDrives {
    int arrived = kNoDrive;
    int removed = kNoDrive;
    int arrivalRefreshes = 0; // refreshes that ran while `arrived` was pending

    void Arrive(int drive) {
        arrived = drive;
        arrivalRefreshes = 0;
    }
    // A child that the refresh found again (its drive, whether it is a drive
    // root): when it is the removed drive's root, or on the arrived drive, it
    // is collapsed and filled again, and announced as changed.
    int KeptChild(int drive, bool driveRoot);
    // A child the refresh listed for the first time: announced as added when
    // it is on the arrived drive.
    int NewChild(int drive);
    // A drive root the refresh no longer found: announced as removed unless
    // another drive's removal is pending.
    int VanishedRoot(int drive);
    // The refresh is over: a removal is used up; an arrival that is still
    // pending counts one more refresh. Whether to look for it again.
    bool EndRefresh();
};

} // namespace explorer_drive_events
