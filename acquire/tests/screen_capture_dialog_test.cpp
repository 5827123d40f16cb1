// The Screen Capture dialog driven as a user would: the finder icon is pressed
// and the cursor moved over a test window while the dialog holds the mouse.
// Escape in the middle of a drag must leave the screen exactly as it was;
// releasing over a window picks it (a control inside a frame drawn around it
// wins over the frame); moving over the dialog's own controls changes nothing.
// The capture of a picked window is one pixel smaller than the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "acquire/screen_capture.h"
#include "acquire/screen_capture_dialog.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tests/support/poll_until.h"

namespace {

using testsupport::DialogScript;

constexpr const char* kCaption = "Screen Capture";
constexpr COLORREF kTargetColour = RGB(200, 40, 40);

// A 640 x 480 window at the screen's top left holding a frame window that
// comes first in the z-order and a button lying inside it.
class TargetWindow {
public:
    TargetWindow() {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = ::DefWindowProcA;
        cls.hInstance = ::GetModuleHandleA(NULL);
        cls.hbrBackground = ::CreateSolidBrush(kTargetColour);
        cls.lpszClassName = "VxpCaptureTarget";
        ::RegisterClassA(&cls);
        cls.hbrBackground = (HBRUSH)::GetStockObject(WHITE_BRUSH);
        cls.lpszClassName = "VxpCaptureFrame";
        ::RegisterClassA(&cls);
        window = ::CreateWindowExA(WS_EX_TOPMOST, "VxpCaptureTarget", "capture target",
                                   WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, NULL, NULL, cls.hInstance,
                                   NULL);
        frame = ::CreateWindowExA(0, "VxpCaptureFrame", "", WS_CHILD | WS_VISIBLE, 20, 20, 300, 200,
                                  window, NULL, cls.hInstance, NULL);
        button = ::CreateWindowExA(0, "BUTTON", "inside", WS_CHILD | WS_VISIBLE, 60, 60, 120, 40,
                                   window, NULL, cls.hInstance, NULL);
        ::UpdateWindow(window);
        testsupport::PollUntil([] { return false; }, 200); // let it reach the display
    }
    ~TargetWindow() { ::DestroyWindow(window); }
    HWND window, frame, button;
};

// What a window shows, its frame included, as 32-bit pixels. The finder's
// frame is drawn only in the window's own DC, so this is the screen there.
std::vector<DWORD> WindowPixels(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<DWORD> pixels((size_t)w * h);
    HDC screen = ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    memcpy(pixels.data(), bits, pixels.size() * 4);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, screen);
    return pixels;
}

POINT CentreOf(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Puts the dialog where it does not cover the target.
void MoveAside(HWND dialog) {
    RECT r;
    ::GetWindowRect(dialog, &r);
    int x = ::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left) - 10;
    int y = ::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top) - 10;
    ::SetWindowPos(dialog, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

// Steps run one after another from a thread timer, so that they also run
// inside the drag's own message loop. A step returning false is tried again
// on the next tick (a poll, ended by the dialog script's ceiling).
class Steps {
public:
    explicit Steps(std::vector<std::function<bool()>> steps) : m_steps(std::move(steps)) {
        s_self = this;
        m_timer = ::SetTimer(NULL, 0, 20, Tick);
    }
    ~Steps() {
        ::KillTimer(NULL, m_timer);
        s_self = nullptr;
    }
    size_t done = 0;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Steps* self = s_self;
        if (self == nullptr || self->done >= self->m_steps.size())
            return;
        size_t index = self->done;
        if (self->m_steps[index]() && self->done == index)
            ++self->done;
    }
    std::vector<std::function<bool()>> m_steps;
    UINT_PTR m_timer;
    static inline Steps* s_self = nullptr;
};

// Presses the finder icon as the mouse would; the drag loop then runs inside
// the icon's click notification.
void PressFinder(HWND dialog) {
    HWND finder = ::GetDlgItem(dialog, IDC_CAPTURE_FINDER);
    POINT p = CentreOf(finder);
    ::SetCursorPos(p.x, p.y);
    ::PostMessageA(finder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
}

void MoveTo(HWND dialog, POINT p) {
    ::SetCursorPos(p.x, p.y);
    ::PostMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, 0);
}

TEST(ScreenCaptureDialog, EscapeInTheMiddleOfADragLeavesTheScreenUnchangedAndOkTakesTheScreen) {
    TargetWindow target;
    CScreenCaptureDialog dialog;
    std::vector<DWORD> before, during;
    bool framed = false, restored = false, dragging = false;
    int stillTicks = 0;
    std::unique_ptr<Steps> steps;
    DialogScript script(kCaption, [&](HWND d) {
        MoveAside(d);
        testsupport::MaybeScreenshot(d, "screen_capture");
        steps.reset(new Steps({
            [&, d] {
                // The target shows in full once the dialog's old place is
                // repainted: wait until the screen holds still.
                std::vector<DWORD> now = WindowPixels(target.window);
                bool still = now == before && ++stillTicks >= 5;
                if (now != before)
                    stillTicks = 0;
                before = now;
                if (!still)
                    return false;
                PressFinder(d);
                return true;
            },
            [&, d] {
                dragging = ::GetCapture() == d;
                if (!dragging)
                    return false;
                // An empty spot of the target, away from its children.
                MoveTo(d, POINT{500, 400});
                return true;
            },
            [&, d] {
                during = WindowPixels(target.window);
                framed = during != before;
                if (!framed)
                    return false;
                ::PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0);
                return true;
            },
            [&, d] {
                if (::GetCapture() == d || WindowPixels(target.window) != before)
                    return false;
                restored = dialog.ChosenWindow() == NULL;
                DialogScript::PressOk(d);
                return true;
            },
        }));
    });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_TRUE(dragging) << "the dialog did not hold the mouse while the icon was dragged";
    EXPECT_TRUE(framed) << "no frame was drawn on the window under the cursor";
    EXPECT_TRUE(restored) << "the frame stayed on the screen after Escape";
    EXPECT_EQ(nullptr, dialog.ChosenWindow());
}

TEST(ScreenCaptureDialog, ReleasingOverAWindowPicksTheControlInsideItsFrame) {
    TargetWindow target;
    CScreenCaptureDialog dialog;
    HWND overTarget = NULL, overOwnControls = NULL;
    std::unique_ptr<Steps> steps;
    DialogScript script(kCaption, [&](HWND d) {
        MoveAside(d);
        steps.reset(new Steps({
            [&, d] {
                PressFinder(d);
                return true;
            },
            [&, d] {
                if (::GetCapture() != d)
                    return false;
                MoveTo(d, CentreOf(target.button));
                return true;
            },
            [&, d] {
                overTarget = dialog.ChosenWindow();
                if (overTarget == NULL)
                    return false;
                MoveTo(d, CentreOf(::GetDlgItem(d, IDOK)));
                return true;
            },
            [&, d] {
                overOwnControls = dialog.ChosenWindow();
                ::PostMessageA(d, WM_LBUTTONUP, 0, 0);
                return true;
            },
        }));
    });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_EQ(target.button, overTarget);
    EXPECT_EQ(target.button, overOwnControls);
    EXPECT_EQ(target.button, dialog.ChosenWindow());
    EXPECT_EQ(target.button, CScreenCaptureDialog::WindowUnderPoint(CentreOf(target.button)));
    POINT onFrameOnly = {30, 200};
    EXPECT_EQ(target.frame, CScreenCaptureDialog::WindowUnderPoint(onFrameOnly));
}

TEST(ScreenCaptureDialog, AQuitRequestDuringTheDragReachesTheThreadsOwnLoop) {
    TargetWindow target;
    CScreenCaptureDialog dialog;
    std::unique_ptr<Steps> steps;
    DialogScript script(kCaption, [&](HWND d) {
        MoveAside(d);
        steps.reset(new Steps({
            [&, d] {
                PressFinder(d);
                return true;
            },
            [&, d] {
                if (::GetCapture() != d)
                    return false;
                ::PostQuitMessage(7);
                return true;
            },
        }));
    });
    dialog.DoModal(NULL);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the drag swallowed the quit request";
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_EQ(NULL, ::GetCapture()) << "the mouse stayed captured";
}

TEST(ScreenCapture, TheCaptureIsOnePixelSmallerThanItsSource) {
    TargetWindow target;
    CImageObject image;
    ASSERT_TRUE(CaptureToImage(target.window, &image));
    EXPECT_EQ(639, image.width);
    EXPECT_EQ(479, image.height);
    EXPECT_EQ(24, image.bitsPerPixel);
    // A pixel of the window's own background, away from its children.
    const uint8_t* row = image.GetRow(400, true);
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(GetBValue(kTargetColour), row[500 * 3 + 0]);
    EXPECT_EQ(GetGValue(kTargetColour), row[500 * 3 + 1]);
    EXPECT_EQ(GetRValue(kTargetColour), row[500 * 3 + 2]);

    SIZE screen = CaptureSize(NULL);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) - 1, screen.cx);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN) - 1, screen.cy);
}

} // namespace
