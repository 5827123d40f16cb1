// Dialogs built from templates: CDialogImpl<T> shows the dialog template whose
// resource id is T::IDD, modal (DoModal) or modeless (Create), and routes its
// messages to T's message map.
//
//   class CGoToPageDialog : public CDialogImpl<CGoToPageDialog> {
//   public:
//       enum { IDD = 231 };
//       BEGIN_MSG_MAP(CGoToPageDialog)
//           MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
//           COMMAND_ID_HANDLER(IDOK, OnOK)
//       END_MSG_MAP()
//   };
//
// The object is bound to the dialog window by the first message its dialog
// procedure receives (WM_SETFONT or WM_INITDIALOG), through a per-thread slot
// and a window property as for CWindowImpl; WM_INITDIALOG's lParam is the
// caller's initParam. The *Indirect variants run from a template in memory.
//
// Results: a handler's LRESULT goes to DWLP_MSGRESULT, except for the messages
// whose result the dialog procedure returns directly (WM_INITDIALOG,
// WM_CTLCOLOR*, WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM,
// WM_QUERYDRAGICON). An unhandled WM_INITDIALOG lets the system set the focus.
#pragma once

#include <windows.h>

#include "ui/message_map.h"
#include "ui/window.h"

HINSTANCE UiModuleInstance();

class CDialogImplBase : public CWindow, public CMessageMap {
public:
    CDialogImplBase() = default;
    CDialogImplBase(const CDialogImplBase&) = delete;
    CDialogImplBase& operator=(const CDialogImplBase&) = delete;
    ~CDialogImplBase() override;

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static CDialogImplBase* FromHandle(HWND hWnd);

    // Ends a modal dialog with nRetCode (DoModal's result); destroys a modeless one.
    BOOL EndDialog(int nRetCode);
    BOOL IsModal() const { return m_modal; }

    // Called after WM_NCDESTROY of a modeless dialog, or when a modal one has gone.
    virtual void OnFinalMessage(HWND hWnd) {}
    const MSG* GetCurrentMessage() const { return m_pCurrentMsg; }

    // Modal from a template in memory; result as DialogBoxIndirectParam.
    INT_PTR DoModalIndirect(const DLGTEMPLATE* tmpl, HWND hWndParent = ::GetActiveWindow(),
                            LPARAM initParam = 0);
    // Modeless from a template in memory.
    HWND CreateIndirect(const DLGTEMPLATE* tmpl, HWND hWndParent = NULL, LPARAM initParam = 0);

protected:
    INT_PTR DoModalImpl(HINSTANCE inst, LPCSTR name, HWND hWndParent, LPARAM initParam);
    HWND CreateImpl(HINSTANCE inst, LPCSTR name, HWND hWndParent, LPARAM initParam);

    // Binds the object to a dialog window that something else created (a
    // property sheet makes its pages itself).
    void Bind(HWND hWnd);
    // Runs one message through the map of a bound object, with the dialog
    // procedure's rules for results and for the end of the window.
    static INT_PTR Dispatch(CDialogImplBase* self, HWND hWnd, UINT uMsg, WPARAM wParam,
                            LPARAM lParam);

private:
    void Unbind();

    const MSG* m_pCurrentMsg = NULL;
    int m_depth = 0;
    bool m_destroyed = false;
    bool m_modal = false;
};

template <class T, class TBase = CDialogImplBase> class CDialogImpl : public TBase {
public:
    // Returns the value given to EndDialog, or -1 when the dialog could not be made.
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM initParam = 0) {
        return this->DoModalImpl(UiModuleInstance(), MAKEINTRESOURCEA(T::IDD), hWndParent,
                                 initParam);
    }
    HWND Create(HWND hWndParent, LPARAM initParam = 0) {
        return this->CreateImpl(UiModuleInstance(), MAKEINTRESOURCEA(T::IDD), hWndParent,
                                initParam);
    }
};
