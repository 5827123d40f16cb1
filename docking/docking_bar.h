// Docking bars and docking areas.
//
// A docking area is a rectangle of the frame's client area with a pane
// layout whose entries are docking bars and one centre entry (the inner
// area, or the client view). A docking bar ("CPackageWindowFrame::
// CPackageWindow") is a child window of the frame with a layout of its own
// whose entries are the docked panes, laid across the bar's length, with
// 5-pixel splitter strips between them.
#pragma once

#include <windows.h>

#include "docking/docking_core.h"
#include "docking/logic/pane_layout.h"
#include "ui/window_impl.h"

class CDockingArea;

// An entry of a docking area.
class CAreaEntry {
public:
    virtual ~CAreaEntry() = default;
    // The entry's window; NULL for an entry that is no window.
    virtual HWND Window() const = 0;
    // A HitTest request, its rectangle in the area owner's client coordinates.
    virtual bool HitTest(docking::DockingRequest& request) = 0;
    // Places the entry at `r` (the owner's client coordinates) in a batch.
    virtual HDWP Place(HDWP batch, const RECT& r) = 0;
};

// The bar window. It deletes itself when its window goes.
class CPackageWindow : public CWindowImpl<CPackageWindow> {
public:
    DECLARE_WND_CLASS_EX("CPackageWindowFrame::CPackageWindow",
                         CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    // 1: the panes lie side by side (a bar above or below the centre); 0: stacked.
    explicit CPackageWindow(int orientation) : m_layout(orientation) {}

    BEGIN_MSG_MAP(CPackageWindow)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(kMsgDockingRequest, OnRequest)
    END_MSG_MAP()

    const docking::PaneLayout<HWND>& Layout() const { return m_layout; }
    int PaneCount() const { return m_layout.Count(); }
    // Lays the panes out over the client rectangle.
    bool LayoutPanes();

    void OnFinalMessage(HWND) override { delete this; }

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRequest(UINT, WPARAM, LPARAM, BOOL&);

    void SetBoundsFromClient();
    void TakeIn(HWND pane);
    void ShowPane(HWND pane);
    BOOL HitTest(docking::DockingRequest& r);
    BOOL Dock(docking::DockingRequest& r);
    BOOL Undock(docking::DockingRequest& r);
    BOOL GetPlacement(docking::DockingRequest& r);
    BOOL DockAtPlacement(docking::DockingRequest& r);
    BOOL ReplacePane(docking::DockingRequest& r);

    docking::PaneLayout<HWND> m_layout;
};

// A docking bar as an entry of a docking area.
class CPackageWindowFrame : public CAreaEntry {
public:
    // Creates the bar as a child of `frame` with the orientation opposite to
    // the area's; NULL when the window cannot be made.
    static CPackageWindowFrame* Create(HWND frame, int areaOrientation);

    HWND Window() const override { return m_hWnd; }
    bool HitTest(docking::DockingRequest& request) override;
    HDWP Place(HDWP batch, const RECT& r) override;

private:
    CPackageWindowFrame() = default;
    HWND m_hWnd = NULL; // the bar object deletes itself with its window
};

// A docking area of the frame.
class CDockingArea {
public:
    CDockingArea(int orientation) : m_layout(orientation) {}
    ~CDockingArea();
    CDockingArea(const CDockingArea&) = delete;
    CDockingArea& operator=(const CDockingArea&) = delete;

    // The window whose client coordinates the area lives in.
    void SetOwner(HWND owner) { m_owner = owner; }
    HWND Owner() const { return m_owner; }

    const RECT& Rect() const { return m_rect; }
    // New bounds; lays out when they changed (or always with `force`).
    void SetRect(const RECT& r, bool force = false);
    bool LayoutEntries();

    int Orientation() const { return m_layout.Orientation(); }
    docking::PaneLayout<CAreaEntry*>& Layout() { return m_layout; }
    const docking::PaneLayout<CAreaEntry*>& Layout() const { return m_layout; }

    // The centre entry (added first, never removed).
    void SetCentre(CAreaEntry* centre);
    int CentreIndex() const { return m_layout.IndexOf(m_centre); }

    // The index of the bar window, or -1.
    int IndexOfWindow(HWND bar) const;
    // Removes the bar entry of that window; its length goes to the centre.
    bool RemoveBar(HWND bar);

    // A HitTest request in the owner's client coordinates.
    bool HitTest(docking::DockingRequest& request);

    void PaintStrips(HDC dc) const;
    // The splitter cursor for a point of the owner's client area, or NULL.
    HCURSOR SplitterCursor(POINT pt) const;
    bool SplitterDrag(POINT pt, bool outline);

private:
    HWND m_owner = NULL;
    RECT m_rect = {0, 0, 0, 0};
    docking::PaneLayout<CAreaEntry*> m_layout;
    CAreaEntry* m_centre = nullptr;
};
