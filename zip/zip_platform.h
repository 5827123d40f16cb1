// What the zip code needs from the operating system, with the program's path
// rules: paths are ANSI text with '\\' as the separator (translated to the
// native separator only at the operating-system boundary), and the archive's
// names, attributes and times map onto the running system here.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/platform_types.h"
#include "zip/zip_stream.h"

class CZipEntryHeader;

namespace ZipPlatformOps {

// Made-by systems of entries. The platform itself is MS-DOS compatible.
enum SystemCode : int {
    kSystemDos = 0,
    kSystemUnix = 3,
    kSystemOs2 = 6,
    kSystemMac = 7,
    kSystemNtfs = 10,
};
constexpr int kOwnSystem = kSystemDos;
constexpr bool kDefaultCaseSensitive = false;

// Attribute bits of the running system.
enum : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};
constexpr uint32_t kDefaultDirAttributes = 0x41FF0010u;  // Unix 40777 plus the folder bit
constexpr uint32_t kDefaultFileAttributes = 0x81A40020u; // Unix 100644 plus the archive bit

bool GetFileSize(const std::string& path, uint32_t* size);
bool SetFileAttributes(const std::string& path, uint32_t attributes);
bool GetFileAttributes(const std::string& path, uint32_t* attributes);
bool GetFileModTime(const std::string& path, time_t* time);
bool SetFileModTime(const std::string& path, time_t time); // -1 = now
bool ChangeDir(const std::string& path);
int FileExists(const std::string& path); // 0 missing, -1 folder, 1 file
bool IsDirectory(const std::string& path);
bool CreateDirectory(const std::string& path);
bool ForceDirectory(const std::string& path);
bool GetCurrentDirectory(std::string* path);
uint32_t GetDeviceFreeSpace(const std::string& path); // saturates at 0xFFFFFFFF
bool GetDeviceFreeSpace64(const std::string& path, uint64_t* bytes);
bool IsDriveRemovable(const std::string& path);
bool SetVolumeLabel(const std::string& path, const std::string& label);
bool RemoveFile(const std::string& path, bool throwOnError);
bool RenameFile(const std::string& from, const std::string& to, bool throwOnError);
// Like RenameFile, but an existing target is replaced in one step.
bool ReplaceFile(const std::string& from, const std::string& to);
std::string GetTemporaryFileName(const std::string& folder, uint64_t requiredSpace);
// Creates an empty, uniquely named "ZAR....tmp" file in exactly this folder.
std::string CreateTemporaryFileIn(const std::string& folder);

// Opens a file with CZipDiskFile's flags; kInvalidFile on failure with *error
// set to the C runtime errno value that describes it.
plat::FileHandle OpenFile(const std::string& path, ZipOpenFlags flags, int* error);
// errno value for an operating-system error, as the C runtime maps them,
// except that a write-protected medium stays apart from a denied access.
int ErrnoFromSystemError(uint32_t systemError);

bool IsSystemHandled(int code);
// Throws cause 115 when a system pair has no converter.
uint32_t ConvertAttributes(uint32_t attributes, int fromSystem, int toSystem);
// Name bytes of the header to the program's form ('\\', ANSI) or back.
void ConvertName(CZipEntryHeader& header, bool toProgram);

// The path as the operating system takes it (native: '\\' becomes '/').
std::string OsPath(const std::string& path);

} // namespace ZipPlatformOps
