// Docking windows: the panes that dock into the frame's bars, stack in
// tabbed docking boxes, float as small tool windows or pin away to the
// auto-hide bars. While docked a pane draws its own small caption with a
// close button and a pin button; dragging the caption shows a ghost where
// the pane would land; a double click swaps docked and floating; closing
// only hides.
#pragma once

#include <windows.h>

#include "docking/docking_core.h"
#include "ui/window_impl.h"

// Hit codes of the caption buttons.
constexpr LRESULT kHitPinButton = 19;
constexpr LRESULT kHitCloseButton = 20;

// One caption button: the pin (with an icon state) or the close X.
class CCaptionButton {
public:
    // inset: how far the button sits inside the caption (and the gap to the
    // next one); crossInset: how far the X sits inside the button.
    CCaptionButton(bool pin, int iconState, int inset, int crossInset)
        : m_pin(pin), m_iconState(iconState), m_inset(inset), m_crossInset(crossInset) {}

    // Takes a square at the end of `remaining` and shortens it.
    void Layout(RECT& remaining, bool horizontal);
    void Draw(HDC dc) const;
    void DrawPressed(HWND hWnd) const;
    void DrawNormal(HWND hWnd) const;
    void DrawHot(HWND hWnd) const;

    RECT rect = {0, 0, 0, 0}; // window coordinates

private:
    void DrawOnWindow(HWND hWnd, UINT edge) const;
    bool m_pin;
    int m_iconState;
    int m_inset;
    int m_crossInset;
};

// The small caption of a docked pane (and, with other insets, of the flyout).
class CDockingCaption {
public:
    CDockingCaption(int buttonInset = 2, int crossInset = 3, int pinState = 1)
        : pin(true, pinState, buttonInset, crossInset), close(false, 0, buttonInset, crossInset) {}

    // Takes the caption from the proposed window rectangle (window
    // coordinates: 0,0 at the window's corner) and lays the buttons out.
    void Calculate(RECT& client, const RECT& window);
    // The caption hit code for a point in window coordinates.
    LRESULT HitTest(POINT pt) const;
    const CCaptionButton* ButtonFor(LRESULT hit) const {
        return hit == kHitPinButton ? &pin : hit == kHitCloseButton ? &close : nullptr;
    }

    RECT rect = {0, 0, 0, 0}; // window coordinates; empty without a caption
    bool horizontal = true;
    int thickness = ::GetSystemMetrics(SM_CYSMCAPTION);
    CCaptionButton pin;
    CCaptionButton close;
};

// Runs the caption-button tracking of `hit` on `hWnd` (pressed already when
// started by a button press). Sends WM_NCLBUTTONUP with the hit code when
// the click ended on the button.
void TrackCaptionButton(HWND hWnd, const CDockingCaption& caption, LRESULT hit, bool pressed);

// Default processing of WM_SETTEXT or WM_SETICON for a window that draws
// its own caption: without the caption style bits, so the system draws no
// caption over it, then the frame recalculated.
LRESULT DefProcWithoutCaption(CWindowImplBase& window, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Default WM_GETMINMAXINFO with no minimum tracking size.
LRESULT DefProcNoMinimumSize(CWindowImplBase& window, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The fonts of docked captions, made once per process.
HFONT DockCaptionFont(bool vertical);

class CDockingWindowBase : public CWindowImplBase {
public:
    CDockingWindowBase() = default;

    // The frame that owns the layout; set at creation.
    HWND Frame() const { return m_frame; }
    void SetFrame(HWND frame) { m_frame = frame; }
    // The bar, box or auto-hide manager holding the pane; NULL while floating.
    HWND Host() const { return m_host; }
    bool IsDocked() const { return m_host != NULL; }
    const RECT& FloatingRect() const { return m_floatRect; }
    const docking::DockingRequest& SavedPlacement() const { return m_saved; }
    const CDockingCaption& Caption() const { return m_caption; }

    // Saves where the pane sits, then leaves its host.
    virtual BOOL Undock();
    // Sends the request to its host as Dock.
    virtual BOOL DockTo(docking::DockingRequest& request);
    // Hides the pane, remembering where it was docked.
    virtual void Hide();
    // Shows it again where it was.
    virtual void Show();

    // A pane pinned away to an auto-hide bar counts as visible.
    BOOL IsVisible();
    void ToggleVisible();

    // The whole placement, for storing; and back.
    void GetPlacement(docking::DockingPlacement& placement);
    void SetPlacement(const docking::DockingPlacement& placement);

    // Pins the docked pane away to the auto-hide bar of its side.
    virtual void AutoHide();

    // The caption drag from a point of the client area (the pressed point).
    // True when it ended without a cancel.
    bool RunDrag(POINT clientPoint);

    // Answers a docking request; boxes answer more.
    virtual LRESULT HandleRequest(docking::DockingRequest& r);

    BEGIN_MSG_MAP(CDockingWindowBase)
    MESSAGE_HANDLER(kMsgDockingRequest, OnRequest)
    MESSAGE_HANDLER(g_dockingBoxMessage, OnRequest)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
    // While docked the pane draws its own caption.
    MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
    MESSAGE_HANDLER(WM_NCACTIVATE, OnNcActivate)
    MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
    MESSAGE_HANDLER(WM_NCLBUTTONUP, OnNcLButtonUp)
    MESSAGE_HANDLER(WM_SETTEXT, OnSetTextOrIcon)
    MESSAGE_HANDLER(WM_SETICON, OnSetTextOrIcon)
    MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    MESSAGE_HANDLER(WM_WINDOWPOSCHANGING, OnWindowPosChanging)
    // Docked or floating.
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
    MESSAGE_HANDLER(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    MESSAGE_HANDLER(kMsgDockingNotice, OnDockingNotice)
    END_MSG_MAP()

protected:
    LRESULT OnRequest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetTextOrIcon(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnWindowPosChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDockingNotice(UINT, WPARAM, LPARAM, BOOL&);

    bool HasCaptionStyle() const;
    void PaintCaption(HDC dc);
    // Where GetPlacement (code 4) goes: a box answers for its members.
    HWND PlacementTarget() const;
    // The docked place of this pane, asked of its host or the frame.
    docking::DockingRequest QueryPlacement() const;
    // The request-level placement: fills r for this pane.
    BOOL AnswerPlacement(docking::DockingRequest& r);
    // Re-docks by a stored record.
    BOOL Redock(docking::DockingRequest record);
    // Makes a tabbed box in this pane's place holding it and `other`; the
    // request is passed on to the box (Dock or DockAtPlacement).
    BOOL DockIntoNewBox(docking::DockingRequest& r);

    HWND m_frame = NULL;
    HWND m_host = NULL;
    RECT m_floatRect = {0, 0, 0, 0};
    CDockingCaption m_caption;
    docking::DockingRequest m_saved; // valid while its host is set
};

// The window class settings every docking class shares.
#define DECLARE_DOCKING_WND_CLASS(className)                                                       \
    DECLARE_WND_CLASS_EX(className, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

// Traits of a floating pane: a popup tool window with a thick frame.
typedef CWinTraits<WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW,
                   WS_EX_TOOLWINDOW>
    CDockingWinTraits;
