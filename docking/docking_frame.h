// The docking frame: a frame window whose client area holds docking panes
// on all four sides around its client view.
//
//   class CMyFrame : public CDockingFrame<CMyFrame> {
//   public:
//       DECLARE_FRAME_WND_CLASS_EX("MyFrame", 100, 0, COLOR_WINDOW)
//       BEGIN_MSG_MAP(CMyFrame)
//           MESSAGE_HANDLER(WM_CREATE, OnCreate)   // calls InitDocking(0) first
//           CHAIN_MSG_MAP(CDockingFrame<CMyFrame>)
//       END_MSG_MAP()
//   };
//
// Layout: the library's bars (rebar or toolbar, status bar) take their room
// first, then the four auto-hide bars, then two nested docking areas: the
// outer one stacks bars above and below its centre, which is the inner one;
// the inner one puts bars left and right of its centre, the client view
// (m_hWndClient, which may be set or changed at any time).
//
// Panes are CTabDockingWindow objects (docking/tab_docking_window.h) created
// as popups owned by the frame and docked with their placement:
//
//   docking::DockingPlacement p;                 // as stored, or:
//   p.request.placement.flags = docking::kSideLeft; // left side, own bar
//   p.request.placement.docked.barSize = 200;
//   p.request.placement.docked.paneSize = 250;
//   p.docked = p.visible = TRUE;
//   pane.SetPlacement(p);                        // docks, floats, or keeps it hidden
//   pane.GetPlacement(p);                        // for saving
//
// docking::ToRegistryForm / FromRegistryForm give the twelve 32-bit values a
// placement is stored as.
#pragma once

#include <windows.h>

#include "docking/auto_hide.h"
#include "docking/docking_bar.h"
#include "ui/frame_window.h"

class CDockingFrameBase : public CFrameWindowImplBase {
public:
    CDockingFrameBase();
    ~CDockingFrameBase() override;

    // Sets the look settings' flag word (kDockFixedDragMode and a drag mode,
    // or 0 to follow the system), creates the auto-hide manager and the two
    // areas. Run from WM_CREATE before anything docks; a second call does
    // nothing. FALSE when the auto-hide manager could not be made.
    BOOL InitDocking(DWORD flags = 0);
    bool IsDockingReady() const { return m_ready; }

    // Library bars, auto-hide bars, then the docking areas.
    void UpdateLayout(BOOL resizeBars = TRUE) override;

    // Redraws the frame after a docking change.
    void RedrawFrame();

    // The outer (stacked) and inner (side-by-side) docking areas.
    const CDockingArea& OuterArea() const { return m_outer; }
    const CDockingArea& InnerArea() const { return m_inner; }
    CAutoHideManager& AutoHideManager() { return m_autoHide; }

    // The dispatcher of the requests that are the frame's business.
    LRESULT HandleRequest(docking::DockingRequest& r);

    BEGIN_MSG_MAP(CDockingFrameBase)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_SETTINGCHANGE, OnSettingChange)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_MOUSEHOVER, OnMouseHover)
    MESSAGE_HANDLER(kMsgDockingRequest, OnRequest)
    CHAIN_MSG_MAP(CFrameWindowImplBase)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSettingChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRequest(UINT, WPARAM, LPARAM, BOOL&);

    BOOL HitTest(docking::DockingRequest& r);
    BOOL Dock(docking::DockingRequest& r);
    BOOL Undock(docking::DockingRequest& r);
    BOOL GetPlacement(docking::DockingRequest& r);
    BOOL DockAtPlacement(docking::DockingRequest& r);
    BOOL ClampDragRect(docking::DockingRequest& r);
    BOOL AutoHide(docking::DockingRequest& r);
    void PaintDocking(HDC dc);

    CDockingArea m_outer{0};
    CDockingArea m_inner{1};
    CAutoHideManager m_autoHide;
    bool m_ready = false;
};

template <class T, class TBase = CDockingFrameBase, class TWinTraits = CFrameWinTraits>
class CDockingFrame : public CFrameWindowImpl<T, TBase, TWinTraits> {};
