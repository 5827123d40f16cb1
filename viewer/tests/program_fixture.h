// The frame of the viewer's black-box tests in their own files: a fresh
// options key for every case (no tray icon, no welcome wizard, a 600x400
// viewer at a fixed place), the running copy ended before and after, and the
// processes a case starts ended with it.
#pragma once

#include <shlwapi.h>

#include <functional>
#include <string>

#include "tests/support/program_driver.h"

namespace program_driver {

class ProgramTest : public ProgramCase {
protected:
    ProgramTest() : ProgramCase(VXP_APP_EXE) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        SetDword("ViewerResizeFitImage", 0);
        SetDword("ViewerMaximized", 0);
        SetDword("ViewerLeft", 100);
        SetDword("ViewerTop", 100);
        SetDword("ViewerRight", 700);
        SetDword("ViewerBottom", 500);
    }
    // The viewer whose title passes `wanted`, within `ms`.
    static HWND WaitForViewer(const std::function<bool(const std::string&)>& wanted,
                              int ms = 10000) {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND h : TopLevel("ImageFrame"))
                    if (wanted(Title(h)))
                        found = h;
                return found != nullptr;
            },
            ms);
        return found;
    }
    static bool WaitForTitle(HWND frame, const std::string& title, int ms = 10000) {
        return WaitFor([&] { return Title(frame) == title; }, ms);
    }
};

} // namespace program_driver
