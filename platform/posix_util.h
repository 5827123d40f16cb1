// Helpers shared by the POSIX files of the platform layer (never included by
// the core).
#pragma once

#include <ctime>

#include "platform/platform.h"

namespace plat {
namespace posix {

// The descriptor inside a file handle; -1 for an invalid handle.
int ToFd(FileHandle file);

// Win32 error code for an errno value. ENOENT becomes 3 when the folder that
// would hold path is missing, 2 otherwise.
uint32_t ErrnoToWin32(int error, const char* path);

// Sets the last error from errno.
void FailWithErrno(const char* path = nullptr);

// A FILETIME value for a POSIX time stamp (0 before 1601).
FileTimeValue ToFileTime(const struct timespec& ts);

} // namespace posix
} // namespace plat
