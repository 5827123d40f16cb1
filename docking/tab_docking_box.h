// The tabbed docking box: several panes stacked in one docking window, one
// shown at a time, with a flying tab strip along the bottom. A box is made
// when a pane is dropped onto another pane, grows as panes are dropped on
// its strip or caption, and dissolves when one pane is left.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>
#include <vector>

#include "docking/docking_window.h"
#include "docking/tab_docking_window.h"
#include "resources/resource.h"

class CTabDockingBox : public CWindowImpl<CTabDockingBox, CDockingWindowBase, CDockingWinTraits> {
public:
    DECLARE_DOCKING_WND_CLASS("CTabDockingBox")

    // A new hidden box owned by the frame, or NULL. The box deletes itself
    // when its window goes.
    static CTabDockingBox* CreateBox(HWND frame);

    // Appends (or inserts at `position`) a tab for the pane, selected.
    int AddPane(int position, HWND pane, LPARAM data);
    // Takes the pane's tab away and gives the pane back as a hidden popup.
    bool RemovePane(HWND pane);
    int PaneCount() const { return m_tabs.GetItemCount(); }
    HWND PaneAt(int index) const;
    HWND ShownPane() const { return m_shown; }
    CFlyingTabCtrl& Tabs() { return m_tabs; }
    int ImageCount() const { return m_images ? ImageList_GetImageCount(m_images) : 0; }

    BOOL DockTo(docking::DockingRequest& request) override;
    void AutoHide() override;
    LRESULT HandleRequest(docking::DockingRequest& r) override;

    void OnFinalMessage(HWND) override { delete this; }

    BEGIN_MSG_MAP(CTabDockingBox)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    NOTIFY_HANDLER(IDC_DOCK_TAB_STRIP, TCN_SELCHANGE, OnSelChange)
    NOTIFY_HANDLER(IDC_DOCK_TAB_STRIP, CTN_DRAGOUT, OnDragOut)
    NOTIFY_HANDLER(IDC_DOCK_TAB_STRIP, NM_DBLCLK, OnTabDblClk)
    REFLECT_NOTIFICATIONS()
    CHAIN_MSG_MAP(CDockingWindowBase)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelChange(int, LPNMHDR, BOOL&);
    LRESULT OnDragOut(int, LPNMHDR, BOOL&);
    LRESULT OnTabDblClk(int, LPNMHDR, BOOL&);

    void TakeIn(HWND pane);
    void ShowSelected();
    int ImageFor(HWND pane);
    BOOL DockPane(docking::DockingRequest& r, int position);
    BOOL HitTestStrip(docking::DockingRequest& r);
    void DropPlaceholder();

    CFlyingTabCtrl m_tabs;
    HIMAGELIST m_images = NULL;
    std::vector<std::pair<HWND, int>> m_imageOf; // a pane's image, kept for reuse
    HWND m_shown = NULL;
    // During a drag over the strip.
    int m_selectionBefore = -1;
    int m_placeholder = -1;
    int m_lastExchanged = -1;
    int m_lastCoordinate = 0;
};
