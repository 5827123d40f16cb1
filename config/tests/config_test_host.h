// What the options and wizard tests put in place of the running program:
// stand-in explorer and viewer windows that record the "OptionsChanged"
// codes they receive, a host that reaches them as the program's would, and
// a clean options key loaded into g_applicationState.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/options.h"
#include "config/config_host.h"
#include "tests/support/poll_until.h"

namespace configtest {

// A hidden top-level window that keeps the wParam of every "OptionsChanged"
// it is sent.
class StandInWindow {
public:
    StandInWindow() {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "VxpOptionsStandIn";
            return ::RegisterClassA(&wc);
        }();
        (void)atom;
        hwnd = ::CreateWindowA("VxpOptionsStandIn", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                               nullptr, ::GetModuleHandleA(nullptr), this);
    }
    ~StandInWindow() { ::DestroyWindow(hwnd); }
    StandInWindow(const StandInWindow&) = delete;
    StandInWindow& operator=(const StandInWindow&) = delete;

    HWND hwnd = nullptr;
    std::vector<uint32_t> codes;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            ::SetWindowLongPtrA(
                h, GWLP_USERDATA,
                (LONG_PTR) reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        auto* self = reinterpret_cast<StandInWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
        if (self != nullptr && msg == g_optionsChanged && lParam == 0) {
            self->codes.push_back(uint32_t(wParam));
            return 0;
        }
        return ::DefWindowProcA(h, msg, wParam, lParam);
    }
};

// The program's host with stand-in windows: the explorer exists only while
// `explorer` is set; every viewer window gets the viewers' codes.
class TestHost : public IConfigHost {
public:
    StandInWindow* explorer = nullptr;
    std::vector<StandInWindow*> viewers;
    int trayAdded = 0, trayRemoved = 0, thumbnailResets = 0;

    void NotifyExplorer(uint32_t code) override {
        if (explorer != nullptr)
            ::SendMessageA(explorer->hwnd, g_optionsChanged, code, 0);
    }
    void NotifyViewers(uint32_t code) override {
        for (StandInWindow* viewer : viewers)
            ::SendMessageA(viewer->hwnd, g_optionsChanged, code, 0);
    }
    void AddTrayIcon() override {
        ++trayAdded;
        g_applicationState.SetTrayIconShown(true);
    }
    void RemoveTrayIcon() override {
        ++trayRemoved;
        g_applicationState.SetTrayIconShown(false);
    }
    bool TrayIconShown() override { return g_applicationState.TrayIconShown(); }
    void ResetThumbnailDatabase() override { ++thumbnailResets; }
};

// Deletes the options key with everything below it, then loads the options
// (their defaults) so that the pages' saves write the key again.
inline void FreshOptions() {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKeyPath);
    g_applicationState.LoadOptions();
}

// A REG_DWORD under the options key; `missing` when there is none.
inline uint32_t StoredNumber(const char* name, uint32_t missing = 0xDEADBEEF) {
    CRegistryOptionStore store;
    uint32_t value = missing;
    if (store.Open()) {
        store.ReadNumber(name, &value);
        store.Close();
    }
    return value;
}

// Once per test program: COM for the shell links, the common controls, the
// shell-folder entry, and the test executable standing in for the program.
inline void SetUpProcess() {
    static const bool done = [] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        LoadShFolder();
        g_applicationState.SetProgramPathFromModule();
        return true;
    }();
    (void)done;
}

// The page the sheet shows.
inline HWND CurrentPage(HWND sheet) {
    return (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

} // namespace configtest
