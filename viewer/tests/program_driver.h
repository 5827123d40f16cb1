// Helpers of the viewer's black-box tests: starting the program, finding its
// windows, reading screen pixels and the options key, and writing bitmaps.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
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

} // namespace program_driver
