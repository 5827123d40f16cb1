// Helpers of the black-box tests that drive the real program from outside:
// starting and stopping it, finding its windows, reading screen pixels, the
// options key and files, and writing bitmaps and folders to work in.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/child_process.h"

namespace program_driver {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// Writes a 24-bit BMP; colour(x, y) with y counted from the top. A negative
// height stores the rows top-down, so a decoder hands them out top first.
inline void WriteBmp(const std::string& path, int width, int height, bool topDown,
                     const std::function<Rgb(int, int)>& colour) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride) * height;
    std::vector<uint8_t> file(54 + imageSize, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(topDown ? -height : height));
    file[26] = 1;
    file[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {
        const int stored = topDown ? y : height - 1 - y;
        uint8_t* row = &file[54 + static_cast<size_t>(stored) * stride];
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(written, file.size());
}

using test_support::Kill;
using test_support::Process;
using test_support::WaitExit;
using test_support::WaitFor;

inline Process Start(const char* exe, const std::string& args) {
    return test_support::Start(exe, args);
}

struct ClassSearch {
    const char* name;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectByClass(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<ClassSearch*>(lp);
    char name[64];
    if (GetClassNameA(hwnd, name, sizeof(name)) && lstrcmpA(name, c->name) == 0)
        c->found.push_back(hwnd);
    return TRUE;
}

inline std::vector<HWND> TopLevel(const char* className) {
    ClassSearch s{className, {}};
    EnumWindows(CollectByClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

inline HWND Descendant(HWND parent, const char* className) {
    ClassSearch s{className, {}};
    EnumChildWindows(parent, CollectByClass, reinterpret_cast<LPARAM>(&s));
    return s.found.empty() ? nullptr : s.found.front();
}

inline std::string Title(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The toolbar of `frame` that carries command `id`.
inline HWND ToolbarWith(HWND frame, WORD id) {
    ClassSearch s{"ToolbarWindow32", {}};
    EnumChildWindows(frame, CollectByClass, reinterpret_cast<LPARAM>(&s));
    for (HWND bar : s.found)
        if (SendMessageA(bar, TB_COMMANDTOINDEX, id, 0) >= 0)
            return bar;
    return nullptr;
}

// One screen pixel, read back through the screen's device context.
inline Rgb ScreenPixel(POINT screen) {
    HDC desktop = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(desktop);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, 1, 1, desktop, screen.x, screen.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint8_t*>(bits);
    const Rgb c{p[2], p[1], p[0]};
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, desktop);
    return c;
}

// Screen pixels are shared with every window on the display: a window that
// is read back is kept above the others.
inline void KeepOnTop(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A pixel of `window` at client coordinates.
inline Rgb ClientPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return ScreenPixel(p);
}

constexpr char kOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP";

inline void SetDword(const char* name, DWORD value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
}

inline bool GetDword(const char* name, DWORD* value) {
    DWORD size = 4, type = 0;
    return RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, name, RRF_RT_REG_DWORD, &type, value,
                        &size) == ERROR_SUCCESS;
}

inline void Command(HWND frame, WORD id) {
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

inline std::string Path(const char* folder, const char* name) {
    return std::string(folder) + "\\" + name;
}

inline std::string WindowText(HWND window) {
    return Title(window);
}

inline std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

inline void SetText(const char* name, const std::string& value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// The stored number, or `absent` when there is none.
inline DWORD StoredNumber(const char* name, DWORD absent = 0xDEADBEEF) {
    DWORD value = absent;
    return GetDword(name, &value) ? value : absent;
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Deletes a folder and everything below it; missing is fine.
inline void RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string entry = found.cFileName;
            if (entry == "." || entry == "..")
                continue;
            const std::string path = folder + "\\" + entry;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// An empty folder of that name in the temporary folder. Wine reuses process
// ids from one run to the next, and test folders are named after cases, so
// whatever an earlier run left there goes first.
inline std::string FreshTempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name;
    RemoveFolderTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The bytes of a bottom-up 24-bit BMP file of one colour.
inline std::string BmpFile(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[3 * x] = char(GetBValue(colour));
        row[3 * x + 1] = char(GetGValue(colour));
        row[3 * x + 2] = char(GetRValue(colour));
    }
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y)
        bytes += row;
    return bytes;
}

// A message box of the program (class "#32770") by caption, with its text.
inline HWND FindMessageBox(const char* caption, std::string* text) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindWindowA("#32770", caption)) != nullptr; }))
        return nullptr;
    char buf[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
    *text = buf;
    return box;
}

inline HWND VisibleMainFrame() {
    for (HWND h : TopLevel("MainFrame"))
        if (IsWindowVisible(h))
            return h;
    return nullptr;
}

struct ChildSearch {
    int id;
    const char* paneName;
    HWND found;
};

inline BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<ChildSearch*>(lp);
    if (c->paneName) {
        char text[64] = {}, cls[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        GetClassNameA(hwnd, cls, sizeof cls);
        if (lstrcmpA(text, c->paneName) == 0 && lstrcmpA(cls, "CTabDockingWindow") == 0) {
            c->found = hwnd;
            return FALSE;
        }
    } else if (GetDlgCtrlID(hwnd) == c->id) {
        c->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// In the explorer `frame`, a control by id or a pane by its name, wherever it
// is: docked panes are descendants of the frame, hidden and floating ones
// popups it owns.
inline HWND FindInExplorer(HWND frame, int id, const char* paneName = nullptr) {
    ChildSearch search{id, paneName, nullptr};
    EnumChildWindows(frame, FindChild, reinterpret_cast<LPARAM>(&search));
    if (search.found)
        return search.found;
    for (HWND top : TopLevel("CTabDockingWindow")) {
        if (GetWindow(top, GW_OWNER) != frame)
            continue;
        if (paneName) {
            if (Title(top) == paneName)
                return top;
            continue;
        }
        EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
    }
    return nullptr;
}

// Ends the running copy of `exe`, if any, and waits for its hidden window to go.
inline void StopRunningCopy(const char* exe) {
    Process p = Start(exe, "/Shutdown");
    WaitExit(p, 15000);
    Kill(p);
    WaitFor([] { return TopLevel("HiddenWnd").empty(); }, 10000);
}

// A case that starts copies of `exe`: each is ended when the case ends, and
// no copy outlives the case.
class ProgramCase : public ::testing::Test {
protected:
    explicit ProgramCase(const char* exe) : exe_(exe) {}
    void TearDown() override {
        for (Process& p : started_)
            Kill(p);
        StopRunningCopy();
    }
    void StopRunningCopy() const { program_driver::StopRunningCopy(exe_); }
    Process& Launch(const std::string& args) {
        started_.push_back(Start(exe_, args));
        return started_.back();
    }

    const char* exe_;
    std::deque<Process> started_; // stable references while more start
};

} // namespace program_driver
