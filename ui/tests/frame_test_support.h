// A small frame for the frame, update-UI and command bar tests: resource 100
// (menu, accelerators, title), a rebar with the command bar (band 60160) and
// a toolbar (band 60161), a status bar and an edit control as the client.
// It records the commands it receives.
#pragma once

#include "ui/ui.h"

#include <functional>
#include <vector>

namespace uitest {

constexpr UINT kOpen = 1001, kExit = 1002, kRefresh = 1010, kClose = 1011, kZoomIn = 1020,
               kOptions = 1030, kAbout = 1040;

class CTestFrame : public CFrameWindowImpl<CTestFrame>,
                   public CUpdateUI<CTestFrame>,
                   public CMessageFilter {
public:
    DECLARE_FRAME_WND_CLASS_EX("VxpUiTestFrame", 100, 0, COLOR_WINDOW)

    BEGIN_UPDATE_UI_MAP(CTestFrame)
    UPDATE_ELEMENT(kOpen, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(kExit, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(kRefresh, UPDUI_TOOLBAR)
    UPDATE_ELEMENT(kZoomIn, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(UI_ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CTestFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopupSeen)
    MESSAGE_HANDLER(WM_APP, OnMarker)
    COMMAND_RANGE_HANDLER(1000, 0xEFFF, OnCommand)
    CHAIN_MSG_MAP(CUpdateUI<CTestFrame>)
    CHAIN_MSG_MAP(CFrameWindowImpl<CTestFrame>)
    END_MSG_MAP()

    bool withBars = true;
    bool withReBar = true; // false: the toolbar alone on top, the menu stays a menu bar
    CCommandBarCtrl cmdBar;
    HWND toolbar = NULL;
    std::vector<UINT> commands;
    int initMenuPopups = 0;
    int markers = 0; // WM_APP messages: tests post one after their keys

    BOOL PreTranslateMessage(MSG* pMsg) override {
        return CFrameWindowImpl<CTestFrame>::PreTranslateMessage(pMsg);
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
        bHandled = FALSE;
        if (withBars) {
            static const TBBUTTON buttons[] = {
                {I_IMAGENONE, (int)kOpen, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, (INT_PTR) "Open"},
                {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
                {I_IMAGENONE,
                 (int)kRefresh,
                 TBSTATE_ENABLED,
                 BTNS_CHECK,
                 {0},
                 0,
                 (INT_PTR) "Refresh"},
                {I_IMAGENONE, (int)kZoomIn, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, (INT_PTR) "Zoom"},
            };
            toolbar = CreateSimpleToolBarCtrl(m_hWnd, buttons, 4, NULL, NULL, NULL,
                                              UI_SIMPLE_TOOLBAR_PANE_STYLE | TBSTYLE_LIST);
            UIAddToolBar(toolbar);
            if (withReBar) {
                cmdBar.Create(m_hWnd);
                cmdBar.AttachMenu(GetMenu());
                SetMenu(NULL);
                CreateSimpleReBar();
                AddSimpleReBarBand(cmdBar);
                AddSimpleReBarBand(toolbar, NULL, TRUE);
            } else {
                m_hWndToolBar = toolbar;
            }
            CreateSimpleStatusBar();
        }
        m_hWndClient = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0,
                                         10, 10, m_hWnd, (HMENU)(UINT_PTR)1, NULL, NULL);
        return 0;
    }
    LRESULT OnInitMenuPopupSeen(UINT, WPARAM, LPARAM, BOOL& bHandled) {
        ++initMenuPopups;
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnMarker(UINT, WPARAM, LPARAM, BOOL&) {
        ++markers;
        return 0;
    }
    LRESULT OnCommand(WORD, WORD id, HWND, BOOL&) {
        commands.push_back(id);
        return 0;
    }
};

// Window rectangle of `child` in the client coordinates of `parent`.
inline RECT RectIn(HWND parent, HWND child) {
    RECT r = {};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(NULL, parent, (POINT*)&r, 2);
    return r;
}

// Runs messages through `loop`'s filters until done() or the time is up.
inline bool PumpFor(CMessageLoop& loop, std::function<bool()> done, DWORD timeoutMs = 5000) {
    DWORD start = ::GetTickCount();
    UINT_PTR timer = ::SetTimer(NULL, 0, 20, NULL); // wakes GetMessage for the time check
    bool ok = UiPumpUntil([&] { return done() || ::GetTickCount() - start > timeoutMs; }, &loop);
    ::KillTimer(NULL, timer);
    return ok && done();
}

} // namespace uitest
