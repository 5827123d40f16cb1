// Window classes implemented in C++: CWindowImpl<T> registers a window class
// from T's class trait, creates windows of it and routes their messages to
// T's message map.
//
//   class CTrayIconWnd : public CWindowImpl<CTrayIconWnd> {
//   public:
//       DECLARE_WND_CLASS_EX("HiddenWnd", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)
//       BEGIN_MSG_MAP(CTrayIconWnd) ... END_MSG_MAP()
//   };
//
// How a window finds its object: there is one window procedure for all
// classes of the layer. Create() leaves the object in a per-thread slot; the
// first message of the new window (WM_NCCREATE, or WM_GETMINMAXINFO just
// before it for a resizable top-level window) takes it from there and stores
// the object pointer in a window property, which every later message reads.
// No machine code is generated, and the pointer travels in pointer-sized
// storage, so 32- and 64-bit builds work the same way. WM_NCDESTROY removes
// the property, clears m_hWnd and then calls OnFinalMessage(hWnd), the place
// where an object that owns itself may delete itself. When the window is
// destroyed from inside one of its own handlers, OnFinalMessage waits until
// that outer handler has returned.
//
// SubclassWindow() puts an existing window (a control) under the same
// machinery: the object is bound at once, and messages that its map leaves
// go to the window's previous procedure.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/message_map.h"
#include "ui/window.h"

// ---------------------------------------------------------------------------
// Style traits: the styles used when Create() is given 0.
// ---------------------------------------------------------------------------
template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0> struct CWinTraits {
    static DWORD GetWndStyle(DWORD dwStyle) { return dwStyle == 0 ? t_dwStyle : dwStyle; }
    static DWORD GetWndExStyle(DWORD dwExStyle) { return dwExStyle == 0 ? t_dwExStyle : dwExStyle; }
};
typedef CWinTraits<0, 0> CNullTraits;
typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0> CControlWinTraits;
typedef CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                   WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>
    CFrameWinTraits;

// ---------------------------------------------------------------------------
// Class trait: what RegisterClassEx needs. Each class owns one static record.
// ---------------------------------------------------------------------------
class CWndClassInfo {
public:
    // background: a brush, or (HBRUSH)(COLOR_xxx + 1), or NULL for none.
    // cursor: a system cursor id (IDC_ARROW) or NULL for none.
    CWndClassInfo(LPCSTR className, UINT style, HBRUSH background, LPCSTR cursor = IDC_ARROW)
        : m_className(className), m_style(style), m_background(background), m_cursorId(cursor) {}
    CWndClassInfo(const CWndClassInfo&) = delete;
    CWndClassInfo& operator=(const CWndClassInfo&) = delete;

    // Optional extras, to be set before the first window is created.
    HICON m_hIcon = NULL;
    HICON m_hIconSm = NULL;
    LPCSTR m_menuName = NULL;
    HCURSOR m_hCursor = NULL; // wins over the system cursor id

    LPCSTR GetName() const { return m_className; }
    // Registers the class with this window procedure once per process; safe to
    // race from several threads. Returns the class atom, 0 on failure.
    ATOM Register(HINSTANCE instance, WNDPROC proc);

private:
    LPCSTR m_className;
    UINT m_style;
    HBRUSH m_background;
    LPCSTR m_cursorId;
    std::atomic<ATOM> m_atom{0};
    char m_generatedName[40] = {0}; // for classes declared without a name
};

#define DECLARE_WND_CLASS_EX(className, classStyle, backgroundColor)                               \
    static CWndClassInfo& GetWndClassInfo() {                                                      \
        static CWndClassInfo wc(className, classStyle,                                             \
                                (backgroundColor) < 0 ? (HBRUSH)NULL                               \
                                                      : (HBRUSH)(INT_PTR)((backgroundColor) + 1)); \
        return wc;                                                                                 \
    }
#define DECLARE_WND_CLASS(className)                                                               \
    DECLARE_WND_CLASS_EX(className, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

// ---------------------------------------------------------------------------
// The part that does not depend on T.
// ---------------------------------------------------------------------------
class CWindowImplBase : public CWindow, public CMessageMap {
public:
    CWindowImplBase() = default;
    CWindowImplBase(const CWindowImplBase&) = delete;
    CWindowImplBase& operator=(const CWindowImplBase&) = delete;
    // Destroying the object of a live window would leave the window pointing
    // at freed memory; the binding is cut first (the window stays).
    ~CWindowImplBase() override;

    // The layer's window procedure.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The object bound to a window of this layer, or NULL.
    static CWindowImplBase* FromHandle(HWND hWnd);

    // Called after WM_NCDESTROY, when m_hWnd is already NULL.
    virtual void OnFinalMessage(HWND hWnd) {}

    // Default processing by the procedure that the window would otherwise have
    // (DefWindowProc, or the control's own procedure when subclassed).
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The same for the message being handled now.
    LRESULT DefWindowProc();
    // The message being handled now (NULL outside the window procedure).
    const MSG* GetCurrentMessage() const { return m_pCurrentMsg; }

    // Binds an existing window; fails when this object or the window is bound already.
    BOOL SubclassWindow(HWND hWnd);
    // Gives the window its previous procedure back. Fails (returns NULL) when
    // another procedure was installed on top of ours, unless bForce is set.
    HWND UnsubclassWindow(BOOL bForce = FALSE);
    BOOL IsSubclassed() const { return m_subclassed; }

protected:
    HWND CreateImpl(ATOM atom, HWND hWndParent, const RECT* rect, LPCSTR windowName, DWORD style,
                    DWORD exStyle, HMENU menuOrId, LPVOID createParam);

private:
    void Bind(HWND hWnd);
    void Unbind();

    WNDPROC m_pfnSuperWindowProc = ::DefWindowProcA;
    const MSG* m_pCurrentMsg = NULL;
    int m_depth = 0;          // nesting of WindowProc calls for this object
    bool m_destroyed = false; // WM_NCDESTROY seen, OnFinalMessage still due
    bool m_subclassed = false;
};

// Argument helpers so that Create() takes a RECT or a pointer, and a menu or a child id.
struct UiRectArg {
    const RECT* p;
    UiRectArg(const RECT* rect = NULL) : p(rect) {}
    UiRectArg(const RECT& rect) : p(&rect) {}
};
struct UiMenuOrId {
    HMENU h;
    UiMenuOrId(HMENU menu = NULL) : h(menu) {}
    UiMenuOrId(UINT id) : h((HMENU)(UINT_PTR)id) {}
    UiMenuOrId(int id) : h((HMENU)(INT_PTR)id) {}
};

// The module instance that registers classes and loads dialog templates.
HINSTANCE UiModuleInstance();

template <class T, class TBase = CWindowImplBase, class TWinTraits = CControlWinTraits>
class CWindowImpl : public TBase {
public:
    // The default trait: a class name made up from the record's address.
    static CWndClassInfo& GetWndClassInfo() {
        static CWndClassInfo wc(NULL, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                (HBRUSH)(INT_PTR)(COLOR_WINDOW + 1));
        return wc;
    }
    static DWORD GetWndStyle(DWORD style) { return TWinTraits::GetWndStyle(style); }
    static DWORD GetWndExStyle(DWORD exStyle) { return TWinTraits::GetWndExStyle(exStyle); }

    // With no rectangle a top-level window gets the system's default place.
    HWND Create(HWND hWndParent, UiRectArg rect = UiRectArg(), LPCSTR windowName = NULL,
                DWORD style = 0, DWORD exStyle = 0, UiMenuOrId menuOrId = UiMenuOrId(),
                LPVOID createParam = NULL) {
        ATOM atom = T::GetWndClassInfo().Register(UiModuleInstance(), &TBase::WindowProc);
        if (atom == 0)
            return NULL;
        return this->CreateImpl(atom, hWndParent, rect.p, windowName, T::GetWndStyle(style),
                                T::GetWndExStyle(exStyle), menuOrId.h, createParam);
    }
};

// A window (usually a subclassed control) whose messages go to an alternate
// map of another object, typically its parent's: the owner keeps the child's
// handlers in ALT_MSG_MAP(mapId) of its own map.
class CContainedWindow : public CWindowImplBase {
public:
    CContainedWindow(CMessageMap* owner, DWORD mapId) : m_owner(owner), m_mapId(mapId) {}

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override {
        return m_owner != NULL &&
               m_owner->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, m_mapId);
    }
    DWORD GetMapId() const { return m_mapId; }

private:
    CMessageMap* m_owner;
    DWORD m_mapId;
};
