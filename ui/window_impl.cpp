// The window procedure shared by every CWindowImpl class, class registration
// and subclassing.
#include "ui/window_impl.h"

#include <cstdio>

#include "ui/window_link.h"

namespace {

const CWindowLink<CWindowImplBase> kLink("VxpUiWindowObject");

// The object whose window is being created on this thread; its first message
// takes it (see window_impl.h).
CWindowImplBase*& PendingObject() {
    static thread_local CWindowImplBase* pending = NULL;
    return pending;
}

} // namespace

ATOM CWndClassInfo::Register(HINSTANCE instance, WNDPROC proc) {
    ATOM atom = m_atom.load();
    if (atom != 0)
        return atom;
    LPCSTR name = m_className;
    if (name == NULL) {
        std::snprintf(m_generatedName, sizeof m_generatedName, "VxpUi:%p", (void*)this);
        name = m_generatedName;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = m_style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = m_hIcon;
    wc.hIconSm = m_hIconSm;
    wc.hCursor = m_hCursor != NULL    ? m_hCursor
                 : m_cursorId != NULL ? ::LoadCursorA(NULL, m_cursorId)
                                      : NULL;
    wc.hbrBackground = m_background;
    wc.lpszMenuName = m_menuName;
    wc.lpszClassName = name;
    atom = ::RegisterClassExA(&wc);
    if (atom == 0) {
        // Another thread (or an earlier record of the same name) was first.
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof existing;
        atom = (ATOM)::GetClassInfoExA(instance, name, &existing);
    }
    if (atom != 0)
        m_atom.store(atom);
    return atom;
}

HINSTANCE UiModuleInstance();

CWindowImplBase::~CWindowImplBase() {
    if (m_hWnd != NULL && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
        if (m_subclassed)
            UnsubclassWindow(TRUE);
        else
            Unbind();
    }
}

CWindowImplBase* CWindowImplBase::FromHandle(HWND hWnd) {
    return kLink.Get(hWnd);
}

void CWindowImplBase::Bind(HWND hWnd) {
    m_hWnd = hWnd;
    kLink.Set(hWnd, this);
}

void CWindowImplBase::Unbind() {
    kLink.Clear(m_hWnd);
}

HWND CWindowImplBase::CreateImpl(ATOM atom, HWND hWndParent, const RECT* rect, LPCSTR windowName,
                                 DWORD style, DWORD exStyle, HMENU menuOrId, LPVOID createParam) {
    if (m_hWnd != NULL)
        return NULL; // one window per object
    RECT r = {0, 0, 0, 0};
    if (rect != NULL)
        r = *rect;
    else if (!(style & WS_CHILD))
        r = CWindow::rcDefault;
    int cx = r.right - r.left, cy = r.bottom - r.top;
    if (r.left == CW_USEDEFAULT)
        cx = cy = CW_USEDEFAULT;
    m_destroyed = false;
    m_subclassed = false;
    m_pfnSuperWindowProc = ::DefWindowProcA;
    CWindowImplBase*& pending = PendingObject();
    CWindowImplBase* outer = pending;
    pending = this;
    HWND hWnd = ::CreateWindowExA(exStyle, MAKEINTATOM(atom), windowName, style, r.left, r.top, cx,
                                  cy, hWndParent, menuOrId, UiModuleInstance(), createParam);
    // A failed creation may never have sent a message: leave no stale pointer behind.
    pending = outer;
    return hWnd;
}

LRESULT CWindowImplBase::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(m_pfnSuperWindowProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowImplBase::DefWindowProc() {
    const MSG* m = m_pCurrentMsg;
    return m != NULL ? DefWindowProc(m->message, m->wParam, m->lParam) : 0;
}

BOOL CWindowImplBase::SubclassWindow(HWND hWnd) {
    if (m_hWnd != NULL || hWnd == NULL || !::IsWindow(hWnd) || FromHandle(hWnd) != NULL)
        return FALSE;
    // Only windows of this process can run our procedure.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != ::GetCurrentProcessId())
        return FALSE;
    Bind(hWnd);
    WNDPROC old = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&WindowProc);
    if (old == NULL) {
        Unbind();
        m_hWnd = NULL;
        return FALSE;
    }
    m_pfnSuperWindowProc = old;
    m_subclassed = true;
    m_destroyed = false;
    return TRUE;
}

HWND CWindowImplBase::UnsubclassWindow(BOOL bForce) {
    if (!m_subclassed || m_hWnd == NULL)
        return NULL;
    WNDPROC current = (WNDPROC)::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
    if (current != &WindowProc && !bForce)
        return NULL;
    if (current == &WindowProc)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuperWindowProc);
    Unbind();
    m_pfnSuperWindowProc = ::DefWindowProcA;
    m_subclassed = false;
    HWND hWnd = m_hWnd;
    m_hWnd = NULL;
    return hWnd;
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowImplBase* self = FromHandle(hWnd);
    if (self == NULL) {
        CWindowImplBase*& pending = PendingObject();
        self = pending;
        if (self == NULL) // a window of our class made without Create(), or after its final message
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        pending = NULL;
        self->Bind(hWnd);
    }

    MSG msg = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
    const MSG* outerMsg = self->m_pCurrentMsg;
    self->m_pCurrentMsg = &msg;
    ++self->m_depth;
    LRESULT lResult = 0;
    BOOL handled = self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, 0);
    if (uMsg == WM_NCDESTROY) {
        // The previous procedure always sees WM_NCDESTROY, so that a control
        // frees what it holds, and gets its procedure back first.
        WNDPROC super = self->m_pfnSuperWindowProc;
        if (self->m_subclassed && (WNDPROC)::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == &WindowProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)super);
        LRESULT def = ::CallWindowProcA(super, hWnd, uMsg, wParam, lParam);
        if (!handled)
            lResult = def;
        self->Unbind();
        self->m_pfnSuperWindowProc = ::DefWindowProcA;
        self->m_subclassed = false;
        self->m_destroyed = true;
    } else if (!handled) {
        lResult = self->DefWindowProc(uMsg, wParam, lParam);
    }
    --self->m_depth;
    self->m_pCurrentMsg = outerMsg;
    if (self->m_destroyed && self->m_depth == 0) {
        self->m_destroyed = false;
        self->m_hWnd = NULL;
        self->OnFinalMessage(hWnd); // may delete the object: touch nothing after it
    }
    return lResult;
}
