// The desktop's item list for a file system path, as the tests and their
// host programs put folders into a tree.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace treetest {

// Null when the shell cannot parse the path; the caller owns the list.
inline LPITEMIDLIST ParsePidl(const std::string& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, nullptr);
    desktop->Release();
    return pidl;
}

} // namespace treetest
