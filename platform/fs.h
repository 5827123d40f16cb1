// File-system services beyond the core platform layer: attributes, times,
// folders, free space, drives, code pages and error texts. Paths are ANSI;
// the native side accepts '\\' and '/' alike. Attribute values are the
// Win32 bits (0x01 read-only, 0x02 hidden, 0x04 system, 0x10 folder,
// 0x20 archive); natively only read-only (the owner's write bit) and the
// folder bit exist, the others read as set for files (archive) or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

bool FsGetAttributes(const char* path, uint32_t* attributes);
bool FsSetAttributes(const char* path, uint32_t attributes);

// Modification time in seconds since 1970-01-01 UTC.
bool FsGetModTime(const char* path, int64_t* seconds);
// Sets the modification time (access time: now); seconds < 0 means now.
bool FsSetModTime(const char* path, int64_t seconds);

bool FsChangeDir(const char* path);
bool FsCurrentDirectory(std::string* path);
// Creates one folder; false when it exists or the parent is missing.
bool FsCreateDirectory(const char* path);

// Free bytes for the caller on the volume holding path (which must exist).
bool FsFreeSpace(const char* path, uint64_t* bytes);
bool FsIsDriveRemovable(const char* path);
bool FsSetVolumeLabel(const char* path, const char* label);
// The label of the volume holding path; false when it cannot be read.
bool FsGetVolumeLabel(const char* path, std::string* label);

// The drive a path lies on as removable-disk spanning sees it: its type, the
// free space of the disk in it and that disk's label. The program uses the
// system's answers; a test puts a disk changer of its own in their place.
class RemovableDrives {
public:
    virtual ~RemovableDrives() = default;
    virtual bool IsRemovable(const char* path) { return FsIsDriveRemovable(path); }
    virtual bool FreeSpace(const char* path, uint64_t* bytes) { return FsFreeSpace(path, bytes); }
    virtual bool SetLabel(const char* path, const char* label) {
        return FsSetVolumeLabel(path, label);
    }
    virtual bool GetLabel(const char* path, std::string* label) {
        return FsGetVolumeLabel(path, label);
    }
};
// The drives in use: the system's unless a test installed its own.
RemovableDrives& Drives();
// Installs drives (nullptr: the system's again) and returns the previous ones.
RemovableDrives* SetDrives(RemovableDrives* drives);

// OEM (code page 437, as on a US-English system) to ANSI (1252) and back, in
// place, with the best-fit results of the system's conversion for characters
// that have no counterpart.
void FsOemToAnsi(char* text, size_t length);
void FsAnsiToOem(char* text, size_t length);

// The system's message text for an error code of plat::LastError().
bool FsSystemErrorText(uint32_t code, std::string* text);

} // namespace plat
