#include "explorer/logic/drive_events.h"

namespace explorer_drive_events {

int LowestDriveOfMask(uint32_t unitMask) {
    for (int drive = 0; drive < 26; ++drive)
        if (unitMask & (uint32_t{1} << drive))
            return drive;
    return kNoDrive;
}

int DriveNumberOfPath(const std::string& path) {
    if (path.size() < 2 || path[1] != ':')
        return kNoDrive;
    const char letter = path[0];
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    return kNoDrive;
}

DeviceEvent TreeDeviceEvent(uint32_t event, uint32_t deviceType, uint32_t unitMask) {
    DeviceEvent result;
    if (deviceType != kVolumeDevice)
        return result;
    const int drive = LowestDriveOfMask(unitMask);
    if (drive == kNoDrive)
        return result;
    switch (event) {
    case kDeviceArrival:
        result.action = DriveAction::RecordArrival;
        break;
    case kDeviceQueryRemove:
        result.action = DriveAction::StopWatching;
        break;
    case kDeviceQueryRemoveFailed:
        result.action = DriveAction::WatchAgain;
        break;
    case kDeviceRemoveComplete:
        result.action = DriveAction::RecordRemoval;
        break;
    default:
        return result;
    }
    result.drive = drive;
    return result;
}

int PendingDrives::KeptChild(int drive, bool driveRoot) {
    if (drive == kNoDrive)
        return kNoDrive;
    if (removed != kNoDrive && driveRoot && drive == removed) {
        removed = kNoDrive;
        return drive;
    }
    if (arrived != kNoDrive && drive == arrived) {
        arrived = kNoDrive;
        return drive;
    }
    return kNoDrive;
}

int PendingDrives::NewChild(int drive) {
    if (drive == kNoDrive || drive != arrived)
        return kNoDrive;
    arrived = kNoDrive;
    return drive;
}

int PendingDrives::VanishedRoot(int drive) {
    if (drive == kNoDrive)
        return kNoDrive;
    if (removed == kNoDrive)
        return drive;
    if (removed != drive)
        return kNoDrive;
    removed = kNoDrive;
    return drive;
}

bool PendingDrives::EndRefresh() {
    removed = kNoDrive;
    if (arrived == kNoDrive)
        return false;
    if (++arrivalRefreshes >= kArrivalRefreshes) {
        arrived = kNoDrive;
        return false;
    }
    return true;
}

} // namespace explorer_drive_events
