// Reading and seeding registry keys in the tests of the shell extension.
#pragma once

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

namespace probe {

inline bool KeyExists(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

// The REG_SZ value, or "<missing>" / "<type N>" so a mismatch reads clearly.
inline std::string String(HKEY root, const std::string& key, const char* name = nullptr) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024] = {};
    DWORD type = 0, size = sizeof(data) - 1;
    const LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS)
        return "<missing>";
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    return data;
}

inline std::set<std::string> Subkeys(HKEY root, const std::string& key) {
    std::set<std::string> names;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(k);
    return names;
}

// Value names, the default value as "".
inline std::set<std::string> Values(HKEY root, const std::string& key) {
    std::set<std::string> names;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumValueA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(k);
    return names;
}

inline bool SetString(HKEY root, const std::string& key, const char* name, const std::string& v) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                                   DWORD(v.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

inline bool SetDword(HKEY root, const std::string& key, const char* name, DWORD v) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

// Windows spelling of a path the build gave with forward slashes.
inline std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace probe
