// The program's options as the dialog tests see them in the registry: which
// of a dialog's values are stored, one value, and clearing them before a case.
#pragma once

#include <windows.h>

#include <cstddef>

namespace option_values {

constexpr char kKey[] = "Software\\Velmorantix\\Velmorantix XP";

template <size_t N> bool AnyPresent(const char* const (&names)[N]) {
    HKEY key = NULL;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool any = false;
    for (const char* name : names)
        any |= ::RegQueryValueExA(key, name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return any;
}

// 0xDEADBEEF when the value is missing or not a DWORD.
inline DWORD Dword(const char* name) {
    DWORD value = 0xDEADBEEF, size = sizeof(value);
    ::RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, NULL, &value, &size);
    return value;
}

template <size_t N> void Clear(const char* const (&names)[N]) {
    HKEY key = NULL;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const char* name : names)
        ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
}

} // namespace option_values
