// The dialog procedure shared by every CDialogImpl class.
#include "ui/dialog.h"
#include "ui/window_link.h"

namespace {

const CWindowLink<CDialogImplBase> kLink("VxpUiDialogObject");

// The dialog object whose window is being made on this thread.
CDialogImplBase*& PendingDialog() {
    static thread_local CDialogImplBase* pending = NULL;
    return pending;
}

// Messages whose result the dialog procedure returns itself instead of
// storing it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT uMsg) {
    switch (uMsg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// Keeps the pending slot for one creation call and restores the outer one.
class PendingScope {
public:
    explicit PendingScope(CDialogImplBase* dlg) : m_outer(PendingDialog()) {
        PendingDialog() = dlg;
    }
    ~PendingScope() { PendingDialog() = m_outer; }

private:
    CDialogImplBase* m_outer;
};

} // namespace

CDialogImplBase::~CDialogImplBase() {
    if (m_hWnd != NULL && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this)
        Unbind();
}

CDialogImplBase* CDialogImplBase::FromHandle(HWND hWnd) {
    return kLink.Get(hWnd);
}

void CDialogImplBase::Bind(HWND hWnd) {
    m_hWnd = hWnd;
    kLink.Set(hWnd, this);
}

void CDialogImplBase::Unbind() {
    kLink.Clear(m_hWnd);
}

BOOL CDialogImplBase::EndDialog(int nRetCode) {
    if (m_hWnd == NULL)
        return FALSE;
    if (m_modal)
        return ::EndDialog(m_hWnd, nRetCode);
    return ::DestroyWindow(m_hWnd);
}

INT_PTR CDialogImplBase::DoModalImpl(HINSTANCE inst, LPCSTR name, HWND hWndParent,
                                     LPARAM initParam) {
    if (m_hWnd != NULL)
        return -1;
    m_modal = true;
    m_destroyed = false;
    INT_PTR result;
    {
        PendingScope scope(this);
        result = ::DialogBoxParamA(inst, name, hWndParent, &DialogProc, initParam);
    }
    m_modal = false;
    return result;
}

INT_PTR CDialogImplBase::DoModalIndirect(const DLGTEMPLATE* tmpl, HWND hWndParent,
                                         LPARAM initParam) {
    if (m_hWnd != NULL || tmpl == NULL)
        return -1;
    m_modal = true;
    m_destroyed = false;
    INT_PTR result;
    {
        PendingScope scope(this);
        result =
            ::DialogBoxIndirectParamA(UiModuleInstance(), tmpl, hWndParent, &DialogProc, initParam);
    }
    m_modal = false;
    return result;
}

HWND CDialogImplBase::CreateImpl(HINSTANCE inst, LPCSTR name, HWND hWndParent, LPARAM initParam) {
    if (m_hWnd != NULL)
        return NULL;
    m_modal = false;
    m_destroyed = false;
    PendingScope scope(this);
    return ::CreateDialogParamA(inst, name, hWndParent, &DialogProc, initParam);
}

HWND CDialogImplBase::CreateIndirect(const DLGTEMPLATE* tmpl, HWND hWndParent, LPARAM initParam) {
    if (m_hWnd != NULL || tmpl == NULL)
        return NULL;
    m_modal = false;
    m_destroyed = false;
    PendingScope scope(this);
    return ::CreateDialogIndirectParamA(UiModuleInstance(), tmpl, hWndParent, &DialogProc,
                                        initParam);
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CDialogImplBase* self = FromHandle(hWnd);
    if (self == NULL) {
        CDialogImplBase*& pending = PendingDialog();
        self = pending;
        if (self == NULL)
            return FALSE;
        pending = NULL;
        self->Bind(hWnd);
    }
    return Dispatch(self, hWnd, uMsg, wParam, lParam);
}

INT_PTR CDialogImplBase::Dispatch(CDialogImplBase* self, HWND hWnd, UINT uMsg, WPARAM wParam,
                                  LPARAM lParam) {
    MSG msg = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
    const MSG* outerMsg = self->m_pCurrentMsg;
    self->m_pCurrentMsg = &msg;
    ++self->m_depth;
    LRESULT lResult = 0;
    BOOL handled = self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, 0);
    INT_PTR ret = FALSE;
    if (uMsg == WM_NCDESTROY) {
        self->Unbind();
        self->m_destroyed = true;
    } else if (handled) {
        if (ReturnsResultDirectly(uMsg)) {
            ret = (INT_PTR)lResult;
        } else {
            ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, (LONG_PTR)lResult);
            ret = TRUE;
        }
    } else if (uMsg == WM_INITDIALOG) {
        ret = TRUE; // let the dialog manager focus the first control
    }
    --self->m_depth;
    self->m_pCurrentMsg = outerMsg;
    if (self->m_destroyed && self->m_depth == 0) {
        self->m_destroyed = false;
        self->m_hWnd = NULL;
        self->OnFinalMessage(hWnd); // may delete the object
    }
    return ret;
}
