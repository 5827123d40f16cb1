// The test parent window and helpers shared by the image view's window
// tests: a parent that records the view's notifications and commands, a
// finished two-colour test image, and a fixture that creates the view.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_view.h"

namespace image_view_test {

constexpr UINT kMsgStealCapture = WM_APP + 1;
constexpr COLORREF kBackground = RGB(125, 158, 192);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// What the parent saw.
struct ParentLog {
    std::vector<NMHDR> notifications;
    std::vector<WPARAM> commands;
    bool Has(UINT code) const {
        for (const NMHDR& n : notifications)
            if (n.code == code)
                return true;
        return false;
    }
};
inline ParentLog g_log;

inline LRESULT CALLBACK ParentProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY:
        g_log.notifications.push_back(*(NMHDR*)lParam);
        return 0;
    case WM_COMMAND:
        g_log.commands.push_back(wParam);
        return 0;
    case kMsgStealCapture:
        ::SetCapture(hWnd);
        return 0;
    default:
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
}

inline void PumpFor(int ms) {
    DWORD end = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while ((int)(end - ::GetTickCount()) > 0);
}

// A finished 24-bit image: the left half red, the right half blue.
inline CImageObject* MakeImage(int width, int height) {
    CImageObject* image = new CImageObject();
    EXPECT_TRUE(image->Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->GetRow(y, true);
        for (int x = 0; x < width; ++x) {
            bool left = x < width / 2;
            row[x * 3 + 0] = left ? 0 : 255; // blue
            row[x * 3 + 1] = 0;
            row[x * 3 + 2] = left ? 255 : 0; // red
        }
    }
    image->fullWidth = width;
    image->fullHeight = height;
    image->rowsDecoded = height;
    image->notLoaded = false;
    std::strcpy(image->path, "Z:\\view-test\\picture.bmp");
    image->SignalReady();
    image->SetComplete();
    return image;
}

// Gives back whatever the application keeps in its one-image slot, so that
// reference counts show what the view still holds.
inline void FlushKeptImage() {
    g_applicationState.ReleaseImage(nullptr);
}

class ImageViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = ::GetModuleHandleA(NULL);
        wc.lpszClassName = "ImageViewTestParent";
        wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
        ::RegisterClassA(&wc);
        // One parent for the whole suite: taking a top-level window down
        // costs seconds under a display without a window manager.
        s_parent = ::CreateWindowExA(0, "ImageViewTestParent", "view test",
                                     WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 500, 500, NULL,
                                     NULL, ::GetModuleHandleA(NULL), NULL);
    }
    static void TearDownTestSuite() {
        ::DestroyWindow(s_parent);
        s_parent = NULL;
    }

    void SetUp() override {
        g_log = ParentLog();
        m_parent = s_parent;
        ASSERT_NE(m_parent, (HWND)NULL);
        RECT rect = {0, 0, 500, 500};
        ASSERT_NE(m_view.Create(m_parent, rect, NULL,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                ID_VIEWER_PANE),
                  (HWND)NULL);
        m_view.SetBackgroundColor(kBackground, true);
        ::SetForegroundWindow(m_parent);
        PumpFor(50);
    }

    void TearDown() override {
        if (::GetCapture() != NULL)
            ::ReleaseCapture();
        m_view.DestroyWindow();
        FlushKeptImage();
        // A stray WM_QUIT would end the next test's loops early.
        MSG msg;
        while (::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // Shows a new image (the view takes the only reference).
    void Show(int width, int height) {
        m_view.SetImage(MakeImage(width, height), false, false, nullptr);
        PumpFor(100);
    }

    RECT CanvasRect() {
        RECT r;
        ::GetWindowRect(m_view.GetCanvas(), &r);
        ::MapWindowPoints(NULL, m_view, (POINT*)&r, 2);
        return r;
    }

    COLORREF PixelAt(int x, int y) {
        HDC dc = ::GetDC(m_view);
        COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(m_view, dc);
        return c;
    }

    static inline HWND s_parent = NULL;
    HWND m_parent = NULL;
    CImageView m_view;
};

} // namespace image_view_test
