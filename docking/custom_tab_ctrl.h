// An owner-drawn flat tab strip: a light band behind the unselected tabs,
// the selected tab raised in the button face, optional scroll and close
// buttons, tooltips, hot tracking and custom-draw notifications. The
// parent may refuse a selection change (TCN_SELCHANGING) or a deletion
// (CTN_DELETEITEM) by answering 1.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "docking/logic/tab_rules.h"
#include "ui/window_impl.h"

using docking::CTS_BOLDSELECTED;
using docking::CTS_BOTTOM;
using docking::CTS_CLOSEBUTTON;
using docking::CTS_HOTTRACK;
using docking::CTS_SCROLLBUTTONS;
using docking::CTS_TOOLTIPS;
using docking::CTS_VERTICAL;

constexpr UINT CTN_INSERTITEM = (UINT)-561;
constexpr UINT CTN_DELETEITEM = (UINT)-562;
constexpr UINT CTN_CLOSE = (UINT)-565;
constexpr UINT CTN_DRAGOUT = (UINT)-581; // the flying strip: a tab was dragged off it

// Tooltip tool ids of the buttons; the tabs use 1..count.
constexpr UINT_PTR kTabToolScrollLeft = (UINT_PTR)-14;
constexpr UINT_PTR kTabToolScrollRight = (UINT_PTR)-15;
constexpr UINT_PTR kTabToolClose = (UINT_PTR)-16;

// Scroll timers.
constexpr UINT_PTR kTabTimerScrollLeft = 16;
constexpr UINT_PTR kTabTimerScrollRight = 32;

struct NMCTITEM {
    NMHDR hdr;
    int iItem;
    POINT pt; // client coordinates, or -1, -1
};

struct NMCTITEMS {
    NMHDR hdr;
    int iItem1; // old
    int iItem2; // new
    POINT pt;
};

struct NMCTCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    HFONT hFont;
    HFONT hFontSelected;
    HBRUSH hBrushBackground;
    COLORREF clrTextInactive;
    COLORREF clrTextSelected;
    COLORREF clrSelectedTab;
    COLORREF clrBtnFace;
    COLORREF clrBtnShadow;
    COLORREF clrBtnHighlight;
    COLORREF clrBtnText;
    COLORREF clrHighlight;
    COLORREF clrHighlightHotTrack;
};

class CCustomTabItem {
public:
    RECT rect = {0, 0, 0, 0}; // strip coordinates, before the scroll offset
    int image = -1;
    std::string text;
    std::string tooltip;
    LPARAM data = 0;

    bool HasImage() const { return image >= 0; }
    bool HasText() const { return !text.empty(); }
    bool HasTooltip() const { return !tooltip.empty(); }
};

class CCustomTabCtrlBase : public CWindowImplBase {
public:
    CCustomTabCtrlBase() = default;
    ~CCustomTabCtrlBase() override;

    // Appends or inserts a tab whose text is also its tooltip, selected.
    int AddItem(const char* text, int position = -1, int image = -1, LPARAM data = 0);
    // Takes ownership of the item. A position outside the tabs appends.
    int InsertItem(CCustomTabItem* item, int position, bool select);
    BOOL DeleteItem(int position, bool keepSelection = true, bool notify = true);
    // Deletes every tab (each announced; a refusal cannot stop it).
    void DeleteAllItems();
    // Returns the previous selection, or -1 when the parent refused.
    int SetCurSel(int index, bool notify = true);
    int GetCurSel() const { return m_selected; }
    int GetItemCount() const { return (int)m_items.size(); }
    CCustomTabItem* GetItem(int position) const;
    BOOL GetItemRect(int position, RECT* rect) const;
    int HitTest(POINT pt, unsigned* flags) const;
    // Moves a tab from one place to another, without notifications.
    void SwapItems(int a, int b);
    int FindData(LPARAM data) const;

    void SetImageList(HIMAGELIST images) { m_images = images; }
    HIMAGELIST GetImageList() const { return m_images; }
    int ScrollOffset() const { return m_scrollOffset; }
    bool CanScrollLeft() const { return m_canScrollLeft; }
    bool CanScrollRight() const { return m_canScrollRight; }
    const docking::TabButtons& Buttons() const { return m_buttons; }

    void UpdateLayout();

    BEGIN_MSG_MAP(CCustomTabCtrlBase)
    MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouseRelay)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    MESSAGE_HANDLER(WM_SETTINGCHANGE, OnSettingChange)
    MESSAGE_HANDLER(WM_SETFONT, OnSetFont)
    MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
    MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    MESSAGE_HANDLER(WM_STYLECHANGED, OnStyleChanged)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
    MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
    MESSAGE_HANDLER(WM_RBUTTONDBLCLK, OnRButtonDblClk)
    NOTIFY_CODE_HANDLER(TTN_GETDISPINFOA, OnGetDispInfo)
    END_MSG_MAP()

protected:
    enum Region { kNone = 0, kClose = 1, kScrollRight = 2, kScrollLeft = 3, kTabArea = 4 };

    LRESULT OnMouseRelay(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnSettingChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetFont(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) { return (LRESULT)m_font; }
    LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStyleChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetDispInfo(int, LPNMHDR, BOOL&);

    LRESULT NotifyItem(UINT code, int item, POINT pt);
    LRESULT NotifyItems(UINT code, int oldItem, int newItem);
    // Fills the header of a record that starts with it and sends it to the parent.
    LRESULT SendNotify(NMHDR& hdr, UINT code);
    void ScrollIntoView(int index);
    void Scroll(int delta);
    void ApplySettings();
    void Paint(HDC dc, const RECT& area);
    void PaintBackground(HDC dc, const RECT& clip);
    void PaintTab(HDC dc, int index, bool selected, bool hot);
    void PaintButtons(HDC dc);
    void AddButtonTools();
    void SetTool(UINT_PTR id, const RECT& r, const char* text);
    void RemoveTool(UINT_PTR id);
    int TextWidth(const std::string& text, bool selected) const;
    Region RegionAt(POINT pt) const;
    void InvalidateRegion(Region region);
    bool Vertical() const { return (GetStyle() & CTS_VERTICAL) != 0; }

    std::vector<CCustomTabItem*> m_items;
    int m_selected = -1;
    int m_hot = -1;
    int m_id = 0;
    HFONT m_font = NULL;         // owned
    HFONT m_selectedFont = NULL; // owned
    HIMAGELIST m_images = NULL;  // not owned
    HWND m_tooltip = NULL;
    docking::TabButtons m_buttons;
    int m_scrollOffset = 0;
    bool m_trackingLeave = false;
    bool m_canScrollLeft = false;
    bool m_canScrollRight = false;
    int m_scrollStep = 40;
    int m_repeatRate = 2; // 1 slow, 2 medium, 3 fast, 0 none
    Region m_hotButton = kNone;
    Region m_pressed = kNone;
    Region m_under = kNone;
    bool m_deletingAll = false;
    HBRUSH m_background = NULL;
    COLORREF m_backgroundColour = 0;
    COLORREF m_inactiveText = 0;
    int m_verticalTextOffset = 0;
};

template <class T> class CCustomTabCtrlImpl : public CWindowImpl<T, CCustomTabCtrlBase> {
public:
    BEGIN_MSG_MAP(CCustomTabCtrlImpl)
    CHAIN_MSG_MAP(CCustomTabCtrlBase)
    END_MSG_MAP()
};

class CCustomTabCtrl : public CCustomTabCtrlImpl<CCustomTabCtrl> {
public:
    DECLARE_WND_CLASS_EX("CCustomTabCtrl", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)
};
