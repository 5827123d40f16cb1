// The colour button in a small dialog of its own: the popup's loop reads
// every message of the thread, so keys posted before the click make a
// keyboard pick deterministic, and the dialog records what the button tells it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "docking/color_button.h"

namespace {

constexpr int kButtonId = 1001;
constexpr UINT kProbeMessage = WM_APP + 1; // posted between keys: looks at the open popup
constexpr UINT kMouseAway = WM_APP + 2;    // in a key list: the mouse moves off the popup

struct Notice {
    UINT code;
    BOOL valid;
    COLORREF colour;
    bool operator==(const Notice& o) const {
        return code == o.code && valid == o.valid && colour == o.colour;
    }
};

std::string Describe(const std::vector<Notice>& notices) {
    std::string out;
    char one[64];
    for (const Notice& n : notices) {
        std::snprintf(one, sizeof(one), "{%#x,%d,%#lx} ", n.code, (int)n.valid,
                      (unsigned long)n.colour);
        out += one;
    }
    return out;
}

struct PopupSeen {
    bool found = false;
    RECT window = {};
    RECT client = {};
};

struct Host {
    std::vector<Notice> notices;
    PopupSeen popup;
    std::string shotDir; // when set, the probe waits there for a screenshot
};

BOOL CALLBACK FindPicker(HWND hWnd, LPARAM lParam) {
    char cls[32] = "";
    ::GetClassNameA(hWnd, cls, sizeof(cls));
    if (std::string(cls) == "ColorPicker" && ::IsWindowVisible(hWnd)) {
        *(HWND*)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

INT_PTR CALLBACK HostProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    Host* host = (Host*)::GetWindowLongPtrA(hWnd, DWLP_USER);
    switch (uMsg) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        return TRUE;
    case WM_NOTIFY: {
        const NMCOLORPICK* nm = (const NMCOLORPICK*)lParam;
        if (host != nullptr && nm->hdr.idFrom == kButtonId)
            host->notices.push_back(Notice{nm->hdr.code, nm->fColorValid, nm->clr});
        return TRUE;
    }
    case WM_DRAWITEM:
    case WM_COMMAND: {
        BOOL handled = TRUE;
        LRESULT result = UiReflectNotifications(hWnd, uMsg, wParam, lParam, handled);
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return handled;
    }
    case kProbeMessage: {
        HWND popup = NULL;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindPicker, (LPARAM)&popup);
        if (host != nullptr && popup != NULL) {
            host->popup.found = true;
            ::GetWindowRect(popup, &host->popup.window);
            ::GetClientRect(popup, &host->popup.client);
            if (!host->shotDir.empty()) {
                // A screenshot is taken from outside the program: say that the
                // popup is up, then keep it painted until the picture is done.
                // Only paint messages are taken here; the keys after the probe
                // still belong to the popup's loop.
                const std::string done = host->shotDir + "\\shot-done";
                if (FILE* f = std::fopen((host->shotDir + "\\popup-open").c_str(), "w"))
                    std::fclose(f);
                for (int waited = 0; waited < 10000 && !FileExists(done); waited += 50) {
                    MSG paint;
                    while (::PeekMessageA(&paint, NULL, 0, 0, PM_REMOVE | PM_QS_PAINT))
                        ::DispatchMessageA(&paint);
                    ::MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_PAINT);
                }
            }
        }
        return TRUE;
    }
    }
    return FALSE;
}

// An in-memory template: a visible dialog with one push button.
std::vector<WORD> HostTemplate() {
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    dword(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT);
    dword(0);
    t.push_back(1);                          // one item
    t.insert(t.end(), {10, 10, 120, 60});    // x, y, cx, cy
    t.push_back(0);                          // no menu
    t.push_back(0);                          // default class
    for (const char* c = "Colours"; *c; ++c) // title
        t.push_back((WORD)*c);
    t.push_back(0);
    t.push_back(8);
    for (const char* c = "MS Shell Dlg"; *c; ++c) // font
        t.push_back((WORD)*c);
    t.push_back(0);
    if (t.size() % 2)
        t.push_back(0); // items start on a DWORD boundary
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    dword(0);
    t.insert(t.end(), {10, 10, 40, 14, (WORD)kButtonId});
    t.insert(t.end(), {0xFFFF, 0x0080}); // button class
    t.push_back(0);                      // no text
    t.push_back(0);                      // no creation data
    return t;
}

class ColorButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<WORD> tpl = HostTemplate();
        dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(NULL), (LPCDLGTEMPLATEA)tpl.data(),
                                              NULL, HostProc, (LPARAM)&host);
        ASSERT_NE((HWND)NULL, dialog);
        ASSERT_TRUE(button.SubclassWindow(::GetDlgItem(dialog, kButtonId)));
        // Let the dialog settle (activation, painting) before the keys are posted.
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    void TearDown() override {
        if (dialog != NULL)
            ::DestroyWindow(dialog);
    }

    // Posts the keys, then clicks: the popup's loop takes them in order.
    void PickWithKeys(std::initializer_list<UINT> keys) {
        for (UINT key : keys) {
            if (key == kProbeMessage)
                ::PostMessageA(dialog, kProbeMessage, 0, 0);
            else if (key == kMouseAway)
                ::PostMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(-600, -600));
            else
                ::PostMessageA(dialog, WM_KEYDOWN, key, 0);
        }
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED),
                       (LPARAM)::GetDlgItem(dialog, kButtonId));
    }

    Host host;
    HWND dialog = NULL;
    CColorButton button;
};

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kDefault = RGB(10, 20, 30);

TEST_F(ColorButtonTest, KeyboardChoicesSendTheirNotificationsAndKeepTheRightColour) {
    // From nothing hot, Right goes to "Restore Default", then to cell 0
    // (black); Down moves by a row, so two Downs from cell 0 reach red (16).
    struct Case {
        const char* what;
        COLORREF start;
        bool track;
        std::initializer_list<UINT> keys;
        COLORREF end;
        std::vector<Notice> notices;
    } cases[] = {
        {"picking the current colour sends no change",
         kRed,
         false,
         {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN},
         kRed,
         {{CLRN_DROPDOWN, 1, kRed}, {CLRN_CLOSEUP, 1, kRed}, {CLRN_PICKED, 1, kRed}}},
        {"another cell is a change",
         kRed,
         false,
         {VK_RIGHT, VK_RIGHT, VK_SPACE},
         kBlack,
         {{CLRN_DROPDOWN, 1, kRed},
          {CLRN_CHANGE, 1, kBlack},
          {CLRN_CLOSEUP, 1, kBlack},
          {CLRN_PICKED, 1, kBlack}}},
        {"Restore Default stores the default's value",
         kRed,
         false,
         {VK_RIGHT, VK_RETURN},
         kDefault,
         {{CLRN_DROPDOWN, 1, kRed},
          {CLRN_CHANGE, 1, kDefault},
          {CLRN_CLOSEUP, 1, kDefault},
          {CLRN_PICKED, 1, kDefault}}},
        {"Restore Default from automatic stores a value too",
         CLR_AUTOMATIC,
         false,
         {VK_RIGHT, VK_RETURN},
         kDefault,
         {{CLRN_DROPDOWN, 1, CLR_AUTOMATIC},
          {CLRN_CHANGE, 1, kDefault},
          {CLRN_CLOSEUP, 1, kDefault},
          {CLRN_PICKED, 1, kDefault}}},
        {"Esc leaves the colour",
         kRed,
         false,
         {VK_RIGHT, VK_RIGHT, VK_ESCAPE},
         kRed,
         {{CLRN_DROPDOWN, 1, kRed}, {CLRN_CLOSEUP, 1, kRed}, {CLRN_CANCELLED, 1, kRed}}},
        {"Enter with nothing hot cancels",
         kRed,
         false,
         {VK_RETURN},
         kRed,
         {{CLRN_DROPDOWN, 1, kRed}, {CLRN_CLOSEUP, 1, kRed}, {CLRN_CANCELLED, 1, kRed}}},
        {"tracking previews and Esc restores",
         kRed,
         true,
         {VK_RIGHT, VK_RIGHT, VK_ESCAPE},
         kRed,
         {{CLRN_DROPDOWN, 1, kRed},
          {CLRN_CHANGE, 1, kDefault},
          {CLRN_CHANGE, 1, kBlack},
          {CLRN_CHANGE, 1, kRed},
          {CLRN_CLOSEUP, 1, kRed},
          {CLRN_CANCELLED, 1, kRed}}},
        {"tracking shows nothing under the mouse as an invalid change",
         kRed,
         true,
         {VK_RIGHT, VK_RIGHT, kMouseAway, VK_ESCAPE},
         kRed,
         {{CLRN_DROPDOWN, 1, kRed},
          {CLRN_CHANGE, 1, kDefault},
          {CLRN_CHANGE, 1, kBlack},
          {CLRN_CHANGE, 0, kBlack},
          {CLRN_CHANGE, 1, kRed},
          {CLRN_CLOSEUP, 1, kRed},
          {CLRN_CANCELLED, 1, kRed}}},
    };
    for (const Case& c : cases) {
        host.notices.clear();
        button.colour = c.start;
        button.defaultColour = kDefault;
        button.trackSelection = c.track;
        PickWithKeys(c.keys);
        EXPECT_EQ(c.end, button.colour) << c.what;
        EXPECT_TRUE(host.notices == c.notices) << c.what << ": " << Describe(host.notices);
    }
}

TEST_F(ColorButtonTest, PopupIsSizedForItsTextsAndOpensUnderTheButton) {
    const char* shotDir = std::getenv("VXP_SCREENSHOT_DIR");
    if (shotDir != nullptr)
        host.shotDir = shotDir;
    button.colour = RGB(0, 147, 0); // "Green", drawn as the current cell
    button.defaultColour = kDefault;
    PickWithKeys({VK_DOWN, VK_DOWN, VK_DOWN, kProbeMessage, VK_ESCAPE});
    ASSERT_TRUE(host.popup.found);

    HDC dc = ::GetDC(NULL);
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT font = ::CreateFontIndirectA(&metrics.lfMessageFont);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE restore = {}, more = {};
    ::GetTextExtentPoint32A(dc, "Restore Default", 15, &restore);
    ::GetTextExtentPoint32A(dc, "More Colors...", 14, &more);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::ReleaseDC(NULL, dc);

    const int edgeX = ::GetSystemMetrics(SM_CXEDGE), edgeY = ::GetSystemMetrics(SM_CYEDGE);
    const int textWidth = std::max(restore.cx, more.cx) + 10;
    const int textHeight = std::max(restore.cy, more.cy) + 10;
    const int width = std::max(textWidth, 8 * 18);
    EXPECT_EQ(width + 2 * edgeX, host.popup.window.right - host.popup.window.left);
    EXPECT_EQ(2 * textHeight + 5 * 18 + 2 * edgeY,
              host.popup.window.bottom - host.popup.window.top);

    RECT b;
    ::GetWindowRect(::GetDlgItem(dialog, kButtonId), &b);
    EXPECT_EQ(b.left, host.popup.window.left);
    EXPECT_EQ(b.bottom, host.popup.window.top);
}

TEST_F(ColorButtonTest, FaceShowsTheColourInItsSwatchAndAnArrow) {
    struct Case {
        const char* what;
        COLORREF colour;
        bool disabled;
        COLORREF swatch; // what the swatch's inside shows; CLR_INVALID: not drawn
        COLORREF arrow;
    } cases[] = {
        {"a colour", RGB(12, 200, 99), false, RGB(12, 200, 99), RGB(0, 0, 0)},
        {"automatic shows the default", CLR_AUTOMATIC, false, kDefault, RGB(0, 0, 0)},
        {"disabled: grey arrow, no swatch", RGB(12, 200, 99), true, CLR_INVALID,
         ::GetSysColor(COLOR_GRAYTEXT)},
    };
    const int w = 80, h = 26;
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE);
    // The swatch's black frame marks the content's left and top; the frame
    // control insets all four sides alike. Found in the first (enabled) case.
    RECT content = {};
    int arrowX = 0, arrowY = 0, swatchRight = 0;

    for (const Case& c : cases) {
        HDC screen = ::GetDC(NULL);
        HDC mem = ::CreateCompatibleDC(screen);
        HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
        ::ReleaseDC(NULL, screen);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        RECT all = {0, 0, w, h};
        ::FillRect(mem, &all, (HBRUSH)::GetStockObject(WHITE_BRUSH));

        button.colour = c.colour;
        button.defaultColour = kDefault;
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = kButtonId;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = c.disabled ? ODS_DISABLED : 0;
        dis.hwndItem = button.m_hWnd;
        dis.hDC = mem;
        dis.rcItem = all;
        EXPECT_EQ(TRUE, ::SendMessageA(button.m_hWnd, OCM_DRAWITEM, kButtonId, (LPARAM)&dis))
            << c.what;

        if (content.right == 0) {
            int left = 0, top = 0;
            while (left < w / 2 && ::GetPixel(mem, left, h / 2) != RGB(0, 0, 0))
                ++left;
            while (top < h / 2 && ::GetPixel(mem, w / 4, top) != RGB(0, 0, 0))
                ++top;
            ASSERT_LT(left, w / 2) << "no swatch frame";
            ASSERT_LT(top, h / 2) << "no swatch frame";
            content = RECT{left, top, w - left, h - top};
            arrowX = content.right - edgeX / 2;
            arrowY = (content.top + content.bottom) / 2;
            swatchRight = arrowX - edgeX / 2 - 4 - (2 * edgeX + 1);
            ASSERT_GT(swatchRight - content.left, 20);
        }
        if (c.swatch != CLR_INVALID) {
            for (int x = content.left + 1; x < swatchRight - 1; ++x)
                for (int y = content.top + 1; y < content.bottom - 1; ++y)
                    ASSERT_EQ(c.swatch, ::GetPixel(mem, x, y)) << c.what << " at " << x << "," << y;
            EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(mem, swatchRight - 1, arrowY)) << c.what;
        } else {
            EXPECT_NE(RGB(12, 200, 99), ::GetPixel(mem, (content.left + swatchRight) / 2, arrowY))
                << c.what;
        }
        EXPECT_EQ(c.arrow, ::GetPixel(mem, arrowX - 2, arrowY)) << c.what;

        ::SelectObject(mem, old);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
    }
}

} // namespace
