// Win32 side of the file-system services.
#include "platform/fs.h"

#include <windows.h>

#include <direct.h>
#include <time.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/utime.h>

namespace plat {
namespace {

// Root of the path's volume ("C:\", "\\server\share\"), or empty for the
// current drive.
std::string VolumeRoot(const char* path) {
    std::string p(path ? path : "");
    if (p.size() >= 2 && p[1] == ':')
        return p.substr(0, 2) + "\\";
    if (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/')) {
        size_t slashes = 0;
        for (size_t i = 2; i < p.size(); ++i) {
            if (p[i] == '\\' || p[i] == '/') {
                if (++slashes == 2)
                    return p.substr(0, i + 1);
            }
        }
        return p + "\\";
    }
    return std::string();
}

} // namespace

bool FsGetAttributes(const char* path, uint32_t* attributes) {
    const DWORD a = ::GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    *attributes = a;
    return true;
}

bool FsSetAttributes(const char* path, uint32_t attributes) {
    return ::SetFileAttributesA(path, attributes) != 0;
}

bool FsGetModTime(const char* path, int64_t* seconds) {
    struct _stat64 st;
    if (::_stat64(path, &st) != 0)
        return false;
    *seconds = static_cast<int64_t>(st.st_mtime);
    return true;
}

bool FsSetModTime(const char* path, int64_t seconds) {
    if (seconds < 0)
        return ::_utime64(path, nullptr) == 0;
    struct __utimbuf64 times;
    times.actime = ::_time64(nullptr);
    times.modtime = static_cast<__time64_t>(seconds);
    return ::_utime64(path, &times) == 0;
}

bool FsChangeDir(const char* path) {
    return ::_chdir(path) == 0;
}

bool FsCurrentDirectory(std::string* path) {
    const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return false;
    std::string buffer(needed, '\0');
    const DWORD written = ::GetCurrentDirectoryA(needed, &buffer[0]);
    if (written == 0 || written >= needed)
        return false;
    buffer.resize(written);
    *path = buffer;
    return true;
}

bool FsCreateDirectory(const char* path) {
    return ::CreateDirectoryA(path, nullptr) != 0;
}

bool FsFreeSpace(const char* path, uint64_t* bytes) {
    ULARGE_INTEGER available;
    if (!::GetDiskFreeSpaceExA(path, &available, nullptr, nullptr))
        return false;
    *bytes = available.QuadPart;
    return true;
}

bool FsIsDriveRemovable(const char* path) {
    const std::string root = VolumeRoot(path);
    return ::GetDriveTypeA(root.empty() ? nullptr : root.c_str()) == DRIVE_REMOVABLE;
}

bool FsSetVolumeLabel(const char* path, const char* label) {
    const std::string root = VolumeRoot(path);
    return ::SetVolumeLabelA(root.empty() ? nullptr : root.c_str(), label) != 0;
}

bool FsGetVolumeLabel(const char* path, std::string* label) {
    const std::string root = VolumeRoot(path);
    char name[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationA(root.empty() ? nullptr : root.c_str(), name, sizeof name, nullptr,
                                 nullptr, nullptr, nullptr, 0))
        return false;
    *label = name;
    return true;
}

void FsOemToAnsi(char* text, size_t length) {
    if (length != 0)
        ::OemToCharBuffA(text, text, static_cast<DWORD>(length));
}

void FsAnsiToOem(char* text, size_t length) {
    if (length != 0)
        ::CharToOemBuffA(text, text, static_cast<DWORD>(length));
}

bool FsSystemErrorText(uint32_t code, std::string* text) {
    char buffer[512];
    const DWORD n =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    if (n == 0)
        return false;
    std::string t(buffer, n);
    while (!t.empty() && (t.back() == '\r' || t.back() == '\n' || t.back() == ' '))
        t.pop_back();
    *text = t;
    return true;
}

} // namespace plat
