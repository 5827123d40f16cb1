// The flying tab strip of the tabbed docking box, and the tab docking
// window: the pane that hosts one client window (each explorer pane).
#pragma once

#include <windows.h>

#include "docking/custom_tab_ctrl.h"
#include "docking/docking_window.h"

// A custom tab strip, horizontal or vertical (CTS_VERTICAL), whose tabs can
// be dragged along it to reorder them or off it (CTN_DRAGOUT to the parent).
class CFlyingTabCtrl : public CCustomTabCtrlImpl<CFlyingTabCtrl> {
public:
    DECLARE_WND_CLASS_EX("CFlyingTabCtrl", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    // The strip's height (horizontal) or width (vertical): 24 until a font is known.
    int Thickness() const { return m_thickness; }
    // Moves the strip to its edge of `rect`.
    void PlaceStrip(const RECT& rect, HWND insertAfter, UINT flags);
    // `rect` less the strip's band.
    RECT PageRect(const RECT& rect) const;

    // Drags the tab under `pt` (client coordinates) after a press there,
    // when the system sees a drag begin. Returns whether the tab was
    // dragged off the strip.
    bool RunTabDrag(POINT pt);
    // The drag itself, from the press at `pt`: tabs swap places as the
    // pointer passes them; Esc or another button keeps the order reached.
    bool TrackTabDrag(POINT pt);

    BEGIN_MSG_MAP(CFlyingTabCtrl)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_SETFONT, OnSetFont)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
    CHAIN_MSG_MAP(CCustomTabCtrlImpl<CFlyingTabCtrl>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetFont(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    void ComputeThickness(HFONT font);

    int m_thickness = 24;
};

// A docking window with one client window that fills its client area.
class CTabDockingWindow
    : public CWindowImpl<CTabDockingWindow, CDockingWindowBase, CDockingWinTraits> {
public:
    DECLARE_DOCKING_WND_CLASS("CTabDockingWindow")

    // Creates the pane as a window owned by the docking frame `frame`. Style 0
    // is a visible popup tool window with a thick frame; the explorer passes
    // WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW
    // (hidden) and the pane's name.
    HWND Create(HWND frame, const char* title, DWORD style = 0, DWORD exStyle = 0);

    // Makes `client` this pane's child and fills the client area with it.
    void SetClient(HWND client);
    HWND GetClient() const { return m_client; }

    BEGIN_MSG_MAP(CTabDockingWindow)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    CHAIN_MSG_MAP(CDockingWindowBase)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
    void FitClient();

    HWND m_client = NULL;
};
