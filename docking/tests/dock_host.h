// The dock host: a docking frame with a client view and named panes, each
// a tab docking window around a list box, as the explorer builds its own.
// The window tests drive it in-process; the dock host program shows it.
#pragma once

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "docking/docking_frame.h"
#include "docking/tab_docking_box.h"
#include "docking/tab_docking_window.h"

namespace docktest {

class CDockHostFrame : public CDockingFrame<CDockHostFrame> {
public:
    DECLARE_FRAME_WND_CLASS_EX("VxpDockHost", 1, CS_DBLCLKS, COLOR_APPWORKSPACE)

    BEGIN_MSG_MAP(CDockHostFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    CHAIN_MSG_MAP(CDockingFrame<CDockHostFrame>)
    END_MSG_MAP()

    DWORD dockingFlags = kDockFixedDragMode | kDockOutlineDrag;
    bool withClientView = true;
    std::vector<std::unique_ptr<CTabDockingWindow>> panes;

    // A frame whose client area is exactly w x h, at (x, y) on the screen.
    HWND CreateHost(int x, int y, int w, int h) {
        RECT r = {x, y, x + w, y + h};
        ::AdjustWindowRectEx(&r, CFrameWinTraits::GetWndStyle(0), FALSE,
                             CFrameWinTraits::GetWndExStyle(0));
        HWND hWnd = CreateEx(NULL, r, 0, 0, NULL, "Dock host");
        if (hWnd != NULL) {
            ShowWindow(SW_SHOW);
            ::SetWindowPos(hWnd, NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER);
            UpdateWindow();
        }
        return hWnd;
    }

    // A hidden pane named `name` with a list box as its client.
    CTabDockingWindow& AddPane(const char* name) {
        panes.push_back(std::make_unique<CTabDockingWindow>());
        CTabDockingWindow& pane = *panes.back();
        pane.Create(m_hWnd, name,
                    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW);
        HWND list = ::CreateWindowExA(0, "LISTBOX", NULL,
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0,
                                      0, 10, 10, pane, NULL, ::GetModuleHandleA(NULL), NULL);
        for (int i = 1; i <= 6; ++i) {
            const std::string line = std::string(name) + " item " + std::to_string(i);
            ::SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line.c_str());
        }
        pane.SetClient(list);
        pane.SendMessage(WM_SETICON, ICON_SMALL,
                         (LPARAM)::LoadIconA(NULL, (LPCSTR)IDI_APPLICATION));
        return pane;
    }

    // The client rectangle of a window in the frame's client coordinates.
    RECT RectInFrame(HWND hWnd) const {
        RECT r;
        ::GetWindowRect(hWnd, &r);
        ::MapWindowPoints(NULL, m_hWnd, (POINT*)&r, 2);
        return r;
    }

private:
    // The client view: its text centred at the top, drawn again whenever
    // the layout resizes it (a static control would keep its old picture,
    // and with it a label off-centre or cut where a flyout covered it).
    static LRESULT CALLBACK ClientViewProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg != WM_PAINT)
            return ::DefWindowProcA(hWnd, msg, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hWnd, &ps);
        RECT r;
        ::GetClientRect(hWnd, &r);
        char text[64] = "";
        ::GetWindowTextA(hWnd, text, sizeof(text));
        ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextA(dc, text, -1, &r, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        ::EndPaint(hWnd, &ps);
        return 0;
    }

    static const char* ClientViewClass() {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.style = CS_HREDRAW | CS_VREDRAW; // centred text moves with the size
            wc.lpfnWndProc = &ClientViewProc;
            wc.hInstance = ::GetModuleHandleA(NULL);
            wc.hCursor = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
            wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
            wc.lpszClassName = "VxpDockHostView";
            return ::RegisterClassA(&wc);
        }();
        (void)atom;
        return "VxpDockHostView";
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
        InitDocking(dockingFlags);
        if (withClientView)
            m_hWndClient = ::CreateWindowExA(WS_EX_CLIENTEDGE, ClientViewClass(), "Client view",
                                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                                             m_hWnd, NULL, ::GetModuleHandleA(NULL), NULL);
        UpdateLayout();
        bHandled = FALSE;
        return 0;
    }
};

// A placement docked at a side in its own bar.
inline docking::DockingPlacement DockedAt(int flags, int barIndex, float relative, int barSize,
                                          int paneSize) {
    docking::DockingPlacement p;
    p.request.code = docking::kDockAtPlacement;
    p.request.placement.flags = flags;
    p.request.placement.docked.barIndex = barIndex;
    p.request.placement.docked.relativePosition = relative;
    p.request.placement.docked.barSize = barSize;
    p.request.placement.docked.paneSize = paneSize;
    p.docked = TRUE;
    p.visible = TRUE;
    return p;
}

// Dispatches what is waiting.
inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Pumps until `done` holds or `ms` passed; returns whether it held.
template <class F> bool PumpUntil(F done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms)
            return false;
        Pump();
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

inline std::string ClassOf(HWND hWnd) {
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof(name));
    return name;
}

// Records the ghosts instead of drawing them: the set of rectangles now
// shown (an inversion of a shown one removes it) and the most ever shown.
class RecordingPainter : public docking::GhostPainter {
public:
    void Invert(const docking::DockRect& r) override { Toggle(r); }
    void InvertSolid(const docking::DockRect& r) override { Toggle(r); }
    std::set<std::tuple<int, int, int, int>> shown;
    size_t most = 0;
    int inversions = 0;

private:
    void Toggle(const docking::DockRect& r) {
        ++inversions;
        const auto key = std::make_tuple(r.left, r.top, r.right, r.bottom);
        if (!shown.erase(key))
            shown.insert(key);
        most = std::max(most, shown.size());
    }
};

} // namespace docktest
