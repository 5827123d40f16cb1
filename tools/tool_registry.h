// The values that the tools' dialogs keep themselves, as REG_DWORDs under the
// program's key of the current user. A missing value, or one of another type
// or size, leaves the caller's default.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/options.h"

namespace toolreg {

inline HKEY Open(bool write) {
    HKEY key = NULL;
    const LONG rc = write ? ::RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, NULL, 0,
                                              KEY_WRITE, NULL, &key, NULL)
                          : ::RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, KEY_READ, &key);
    return rc == ERROR_SUCCESS ? key : NULL;
}

inline void Read(HKEY key, const char* name, int32_t* value) {
    DWORD type = 0, stored = 0, size = sizeof(stored);
    if (::RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&stored), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(stored))
        *value = static_cast<int32_t>(stored);
}

inline void Write(HKEY key, const char* name, int32_t value) {
    const DWORD stored = static_cast<DWORD>(value);
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                     sizeof(stored));
}

} // namespace toolreg
