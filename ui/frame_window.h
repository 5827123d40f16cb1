// Frame windows: a top-level window with bars on top (a rebar holding the
// command bar and toolbars, or a lone toolbar), a status bar at the bottom and
// one client window filling the rest.
//
//   class CImageFrame : public CFrameWindowImpl<CImageFrame>, ... {
//   public:
//       DECLARE_FRAME_WND_CLASS_EX("ImageFrame", 202, 0, COLOR_WINDOW)
//       BEGIN_MSG_MAP(CImageFrame)
//           ...
//           CHAIN_MSG_MAP(CFrameWindowImpl<CImageFrame>)
//       END_MSG_MAP()
//   };
//   frame->CreateEx();   // menu, accelerators, icon and title from resource 202
//
// In WM_CREATE the derived class builds its bars with the helpers below
// (CreateSimpleReBar, AddSimpleReBarBand, CreateSimpleToolBarCtrl,
// CreateSimpleStatusBar) and sets m_hWndClient; WM_SIZE then keeps them laid
// out through UpdateLayout.
//
// Keyboard accelerators: the frame's filter (PreTranslateMessage, called from
// the derived class's CMessageFilter) translates only keys meant for this
// frame, that is messages whose window is the frame or one of its
// descendants. Several frames share one thread and one loop, and a key
// pressed in one of them must never run a command in another.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/message_map.h"
#include "ui/window_impl.h"

// Control and band ids of the bars.
constexpr UINT UI_IDW_TOOLBAR = 59392;     // the rebar, or the toolbar when there is no rebar
constexpr UINT UI_IDW_STATUS_BAR = 59393;  // the status bar
constexpr UINT UI_IDW_COMMAND_BAR = 59394; // the command bar control
constexpr UINT UI_IDW_BAND_FIRST = 60160;  // first rebar band id; band n gets 60160 + n
constexpr UINT UI_IDW_BAND_LAST = 60415;

// Commands that the frames conventionally use for showing their bars.
constexpr UINT UI_ID_VIEW_TOOLBAR = 0xE800; // 59392
constexpr UINT UI_ID_VIEW_STATUS_BAR = 0xE801;

// Default styles of the bar helpers.
constexpr DWORD UI_SIMPLE_REBAR_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                        RBS_VARHEIGHT | RBS_BANDBORDERS | RBS_AUTOSIZE;
constexpr DWORD UI_SIMPLE_REBAR_NOBORDER_STYLE = UI_SIMPLE_REBAR_STYLE | CCS_NODIVIDER;
constexpr DWORD UI_SIMPLE_TOOLBAR_PANE_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN |
                                               WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |
                                               CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT;
constexpr DWORD UI_SIMPLE_STATUSBAR_STYLE =
    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | SBARS_SIZEGRIP;

// ---------------------------------------------------------------------------
// The part of a frame that does not depend on the derived class.
// ---------------------------------------------------------------------------
class CFrameWindowImplBase : public CWindowImplBase {
public:
    HWND m_hWndToolBar = NULL;   // the rebar when there is one, else the toolbar
    HWND m_hWndStatusBar = NULL; // NULL when the frame has none
    HWND m_hWndClient = NULL;    // fills what the bars leave
    // The menu loaded by CreateEx. When the window no longer holds it at
    // WM_DESTROY (a command bar took it), the frame destroys it then.
    HMENU m_hMenu = NULL;
    HACCEL m_hAccel = NULL; // the accelerator table loaded by CreateEx

    // --- bar helpers -------------------------------------------------------
    // A rebar child of `parent` with id nID; RB_SETBARINFO done. NULL on failure.
    static HWND CreateSimpleReBarCtrl(HWND parent, DWORD style = UI_SIMPLE_REBAR_NOBORDER_STYLE,
                                      UINT nID = UI_IDW_TOOLBAR);
    // The same as this frame's m_hWndToolBar.
    BOOL CreateSimpleReBar(DWORD style = UI_SIMPLE_REBAR_NOBORDER_STYLE, UINT nID = UI_IDW_TOOLBAR);

    // Adds `band` (a toolbar or any child) as a new band at the end of `rebar`.
    // nID 0 gives the band id UI_IDW_BAND_FIRST + the band count before the
    // insertion. A toolbar band is sized from its buttons and gets a chevron
    // when it has any. Returns FALSE when the rebar refused the band.
    static BOOL AddSimpleReBarBandCtrl(HWND rebar, HWND band, UINT nID = 0, LPCSTR title = NULL,
                                       BOOL newRow = FALSE, int cxWidth = 0,
                                       BOOL fullWidthAlways = FALSE);
    BOOL AddSimpleReBarBand(HWND band, LPCSTR title = NULL, BOOL newRow = FALSE, int cxWidth = 0,
                            BOOL fullWidthAlways = FALSE);

    // A toolbar child of `parent` from TBBUTTONs (the platform's size: 20
    // bytes in 32-bit builds) and up to three image lists (normal, hot,
    // disabled; each may be NULL), with the TBSTYLE_EX_* bits of `exStyle`
    // set before the buttons. The image lists stay owned by the caller. NULL
    // on failure.
    static HWND CreateSimpleToolBarCtrl(HWND parent, const TBBUTTON* buttons, int count,
                                        HIMAGELIST normal, HIMAGELIST hot = NULL,
                                        HIMAGELIST disabled = NULL,
                                        DWORD style = UI_SIMPLE_TOOLBAR_PANE_STYLE,
                                        UINT nID = UI_IDW_TOOLBAR, DWORD exStyle = 0);

    // A status bar at the bottom of this frame with one simple pane of text.
    BOOL CreateSimpleStatusBar(LPCSTR text = NULL, DWORD style = UI_SIMPLE_STATUSBAR_STYLE,
                               UINT nID = UI_IDW_STATUS_BAR);

    // --- layout ----------------------------------------------------------
    // Bars on top and at the bottom, the client window in between.
    virtual void UpdateLayout(BOOL resizeBars = TRUE);
    // Places the bars inside `rect` (the frame's client area) and shrinks it
    // to the space they leave.
    void UpdateBarsPosition(RECT& rect, BOOL resizeBars = TRUE);

    // Shows or hides the rebar band with this id and lays the frame out.
    // FALSE when there is no rebar or no such band.
    BOOL ShowBand(UINT bandId, BOOL show);
    // Whether the band with this id exists and is shown.
    BOOL IsBandVisible(UINT bandId) const;
    // Shows or hides the status bar and lays the frame out.
    void ShowStatusBar(BOOL show);

    // --- keyboard ----------------------------------------------------------
    // Translates the accelerators of this frame for key messages of this
    // frame or its descendants; TRUE when a command was sent.
    BOOL PreTranslateMessage(MSG* pMsg);

    BEGIN_MSG_MAP(CFrameWindowImplBase)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    NOTIFY_CODE_HANDLER(RBN_AUTOSIZE, OnReBarAutoSize)
    NOTIFY_CODE_HANDLER(RBN_HEIGHTCHANGE, OnReBarAutoSize)
    END_MSG_MAP()

    LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnEraseBackground(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnReBarAutoSize(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);

protected:
    // Loads menu, accelerators, icons and title string `resourceId` from the
    // module and creates the window with them. The class info's icons are
    // filled before the class is registered.
    HWND CreateFromResource(ATOM atom, UINT resourceId, HWND parent, const RECT* rect,
                            LPCSTR windowName, DWORD style, DWORD exStyle, LPVOID param);

    bool m_inLayout = false; // a rebar resizing itself during UpdateLayout re-enters it
};

// The class trait of a frame: the window class plus the common resource id of
// its menu, accelerator table, icon and title string.
#define DECLARE_FRAME_WND_CLASS_EX(className, resourceId, classStyle, backgroundColor)             \
    DECLARE_WND_CLASS_EX(className, classStyle, backgroundColor)                                   \
    static UINT GetWndResourceId() {                                                               \
        return (UINT)(resourceId);                                                                 \
    }
#define DECLARE_FRAME_WND_CLASS(className, resourceId)                                             \
    DECLARE_FRAME_WND_CLASS_EX(className, resourceId, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,        \
                               COLOR_WINDOW)

// Loads the two sizes of icon `resourceId` into the class record, once.
void UiLoadFrameIcons(CWndClassInfo& info, UINT resourceId);

template <class T, class TBase = CFrameWindowImplBase, class TWinTraits = CFrameWinTraits>
class CFrameWindowImpl : public CWindowImpl<T, TBase, TWinTraits> {
public:
    // Creates the frame from T's resource id (menu, accelerators, icon; the
    // title string unless windowName is given). Styles 0 take the trait's.
    HWND CreateEx(HWND parent = NULL, UiRectArg rect = UiRectArg(), DWORD style = 0,
                  DWORD exStyle = 0, LPVOID param = NULL, LPCSTR windowName = NULL) {
        CWndClassInfo& info = T::GetWndClassInfo();
        UiLoadFrameIcons(info, T::GetWndResourceId());
        ATOM atom = info.Register(UiModuleInstance(), &TBase::WindowProc);
        if (atom == 0)
            return NULL;
        return this->CreateFromResource(atom, T::GetWndResourceId(), parent, rect.p, windowName,
                                        T::GetWndStyle(style), T::GetWndExStyle(exStyle), param);
    }
};
