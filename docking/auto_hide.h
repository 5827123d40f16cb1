// Auto-hide: panes pinned away to the four bars along the frame's edges,
// shown as entries (icon and title, or one tab per pane of a pinned box);
// resting the mouse on an entry slides the pane out in the flyout window,
// which is the manager's own window.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "docking/docking_core.h"
#include "docking/docking_window.h"
#include "ui/window_impl.h"

struct AutoHidePaneRecord {
    int size = 0; // how far the flyout reaches out from the bar
    HWND window = NULL;
    HICON icon = NULL;
    std::string title;
};

// One entry of a bar: a single pane, or the panes of a pinned-away box.
class CAutoHideEntry {
public:
    virtual ~CAutoHideEntry() = default;
    // Gives the pane back (floating, hidden, notice lParam `manager`) and
    // returns what remains of the entry (nothing for a single pane).
    virtual std::unique_ptr<CAutoHideEntry> Remove(HWND pane, HWND manager) = 0;
    // Gives every pane back and docks them again at the request's side.
    virtual void Restore(HWND manager, docking::DockingRequest& request) = 0;
    virtual void SetLength(int length) = 0;
    virtual int GetLength() const = 0;
    virtual int DesiredLength(HDC dc) const = 0;
    // The placement values of a pinned-away pane.
    virtual void FillRequest(docking::DockingRequest& request, HWND pane) const = 0;
    virtual AutoHidePaneRecord* ActiveRecord() = 0;
    virtual AutoHidePaneRecord* TabAt(int offset, bool select) = 0;
    virtual AutoHidePaneRecord* Find(HWND pane) = 0;
    virtual void DrawEntry(HDC dc, const RECT& rect, int side) const = 0;
};

class CAutoHideBar {
public:
    RECT rect = {0, 0, 0, 0};
    int side = 8; // 0 bottom, 1 right, 2 top, 3 left; 8: none yet
    std::deque<std::unique_ptr<CAutoHideEntry>> entries;

    bool Vertical() const { return (side & 1) != 0; }
    bool Empty() const { return entries.empty(); }
    // Shares the bar's length among the entries.
    void Fit(HDC dc);
    void Paint(HDC dc, bool erase) const;
    // The entry at a point of the frame's client area, and the record there.
    CAutoHideEntry* EntryAt(POINT pt, bool select, AutoHidePaneRecord** record);
    int IndexOf(HWND pane) const;
};

class CAutoHideManager
    : public CWindowImpl<
          CAutoHideManager, CWindowImplBase,
          CWinTraits<WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION, WS_EX_TOOLWINDOW>> {
public:
    DECLARE_WND_CLASS_EX("CAutoHideManager", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    CAutoHideManager();

    // Creates the (hidden) flyout as a child of the frame.
    BOOL Create(HWND frame);
    // The strip thickness from the look settings' fonts.
    void RefreshThickness();
    int Thickness() const { return m_thickness; }

    // Takes the bars' strips from `rect` (the frame's client rectangle less
    // its own bars); what is left is the docking area.
    void LayoutBars(RECT& rect);
    // Fills the strips with the bar colour and paints the entries.
    void PaintBars(HDC dc);

    // An AutoHide request: makes the entry; `barWasEmpty` tells the caller
    // to lay the frame out. An entry asked to show at once is shown by
    // ShowPendingEntry, after that layout.
    bool AddPane(docking::DockingRequest& request, bool& barWasEmpty);
    void ShowPendingEntry();
    // Takes a pane off its bar, re-docking it at its side or giving it back.
    bool RemovePane(HWND pane, bool redock);
    // The placement of a pinned-away pane (the frame's GetPlacement).
    bool PlacementOf(docking::DockingRequest& request);

    // Mouse from the frame: arms the hover over an entry; shows on hover.
    bool ArmHover(POINT pt);
    void ShowHovered(POINT pt);
    // Slides the shown pane away.
    void HideFlyout(bool slide);

    HWND ShownPane() const { return m_shownPane; }
    const CAutoHideBar& Bar(int side) const { return m_bars[side & 3]; }
    const RECT& DockingArea() const { return m_area; }

    BEGIN_MSG_MAP(CAutoHideManager)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(kMsgDockingRequest, OnRequest)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
    MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
    MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    MESSAGE_HANDLER(WM_NCLBUTTONUP, OnNcLButtonUp)
    MESSAGE_HANDLER(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
    MESSAGE_HANDLER(WM_NCACTIVATE, OnNcActivate)
    MESSAGE_HANDLER(WM_SETTEXT, OnSetTextOrIcon)
    MESSAGE_HANDLER(WM_SETICON, OnSetTextOrIcon)
    MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    END_MSG_MAP()

private:
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnNcActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetTextOrIcon(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&);

    bool ShowEntry(CAutoHideEntry* entry, int side, bool slide);
    void PlaceFlyout();
    void Slide(int duration, bool in);
    void ResizeDrag();
    void RepaintBar(int side);
    CAutoHideEntry* EntryAt(POINT pt, bool select, int* side);
    RECT EdgeRect(const RECT& window) const; // window coordinates

    HWND m_frame = NULL;
    CDockingCaption m_caption;
    RECT m_edge = {0, 0, 0, 0};
    bool m_edgeHorizontal = false;
    int m_side = 0;
    int m_thickness = 0;
    HWND m_shownPane = NULL;
    CAutoHideEntry* m_shownEntry = nullptr;
    CAutoHideEntry* m_hoverCandidate = nullptr;
    CAutoHideEntry* m_pending = nullptr;
    int m_pendingSide = 0;
    RECT m_area = {0, 0, 0, 0};
    CAutoHideBar m_bars[4];
};
