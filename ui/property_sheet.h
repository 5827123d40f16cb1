// Property sheets and wizards built from dialog-template pages.
//
//   class CGeneralPage : public CPropertyPageImpl<CGeneralPage> {
//   public:
//       enum { IDD = 106 };
//       BEGIN_MSG_MAP(CGeneralPage)
//           MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
//           COMMAND_CODE_HANDLER(EN_CHANGE, OnChange)   // -> SetModified()
//           CHAIN_MSG_MAP(CPropertyPageImpl<CGeneralPage>)
//       END_MSG_MAP()
//       BOOL OnApply();                 // hides the base's; false keeps the sheet open
//   };
//
//   CPropertySheet sheet("Options", startPage);
//   sheet.AddPage(general);             // pages outlive the modal run
//   sheet.DoModal(owner);
//
// A page is a dialog that the system's sheet creates the first time it is
// shown; its object is bound at WM_INITDIALOG and routes every later message
// through its map. The sheet talks to a page with PSN_* notifications, which
// the base map turns into calls of T's hooks (static dispatch, so a page
// declares only the hooks it needs):
//
//   OnSetActive()    the page is about to show; false refuses it
//   OnKillActive()   the page is about to be left (also before OK and
//                    Apply); false keeps the user on it
//   OnApply()        OK or Apply, for every page that was ever shown, in page
//                    order; false stops the apply and leaves the sheet open
//                    on this page (made current, its focus kept)
//   OnReset()        Cancel
//   OnQueryCancel()  false refuses the Cancel
//   OnWizardBack(), OnWizardNext()  0 goes on, -1 stays, a template id jumps
//   OnWizardFinish() false keeps the wizard open
//
// Pages of a wizard set its buttons with SetWizardButtons, which posts
// PSM_SETWIZBUTTONS: the sheet applies it after the notification returns,
// so a page can call it from OnSetActive.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "ui/dialog.h"

class CPropertySheet;

class CPropertyPageImplBase : public CDialogImplBase {
public:
    // `resource` names the page's dialog template in `instance`; `title`
    // (may be null) replaces the template's caption on the tab or, in a
    // wizard, in the sheet's caption.
    CPropertyPageImplBase(HINSTANCE instance, LPCSTR resource, const char* title);
    // A page from a template in memory; the template must outlive the sheet.
    CPropertyPageImplBase(const DLGTEMPLATE* dialogTemplate, const char* title);

    // The sheet window while the page exists.
    HWND GetPropertySheet() const { return ::GetParent(m_hWnd); }
    // Enables (or, when nothing else is changed, disables) the sheet's Apply.
    void SetModified(BOOL changed = TRUE);
    // PSWIZB_* flags for a wizard's Back, Next and Finish buttons.
    void SetWizardButtons(DWORD flags);
    // Whether this page is the one the sheet shows.
    bool IsActivePage() const;
    // Makes this page the one the sheet shows; true when it is.
    bool Activate();

    // Centres the sheet over its owner when the owner is visible and not
    // minimised, else over the work area, kept inside the work area.
    void CenterSheet();

    // Made by the sheet for each run; the system destroys it when the run ends.
    HPROPSHEETPAGE CreatePage();

protected:
    // What the hooks' answers mean to the sheet, beyond the value returned.
    LRESULT ApplyFailed();               // makes this page current, keeps its focus
    void ApplySucceeded(LPARAM closing); // PSN_APPLY's PSHNOTIFY lParam
    void WizardFinished();
    void Cancelled();

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    PROPSHEETPAGEA m_psp;
    std::string m_title;
    HPROPSHEETPAGE m_page = NULL;
    CPropertySheet* m_sheet = nullptr;
};

template <class T> class CPropertyPageImpl : public CPropertyPageImplBase {
public:
    explicit CPropertyPageImpl(const char* title = nullptr)
        : CPropertyPageImplBase(UiModuleInstance(), MAKEINTRESOURCEA(T::IDD), title) {}
    CPropertyPageImpl(const DLGTEMPLATE* dialogTemplate, const char* title)
        : CPropertyPageImplBase(dialogTemplate, title) {}

    // The hooks' defaults; a page hides the ones it needs.
    BOOL OnSetActive() { return TRUE; }
    BOOL OnKillActive() { return TRUE; }
    BOOL OnApply() { return TRUE; }
    void OnReset() {}
    BOOL OnQueryCancel() { return TRUE; }
    int OnWizardBack() { return 0; }
    int OnWizardNext() { return 0; }
    BOOL OnWizardFinish() { return TRUE; }

    BEGIN_MSG_MAP(CPropertyPageImpl)
    MESSAGE_HANDLER(WM_NOTIFY, OnSheetNotify)
    END_MSG_MAP()

private:
    LRESULT OnSheetNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == NULL || header->hwndFrom != GetPropertySheet()) {
            bHandled = FALSE;
            return 0;
        }
        T* self = static_cast<T*>(this);
        switch (header->code) {
        case PSN_SETACTIVE:
            return self->OnSetActive() ? 0 : -1;
        case PSN_KILLACTIVE:
            return self->OnKillActive() ? FALSE : TRUE;
        case PSN_APPLY:
            if (!self->OnApply())
                return ApplyFailed();
            ApplySucceeded(reinterpret_cast<const PSHNOTIFY*>(lParam)->lParam);
            return PSNRET_NOERROR;
        case PSN_RESET:
            Cancelled();
            self->OnReset();
            return 0;
        case PSN_QUERYCANCEL:
            return self->OnQueryCancel() ? FALSE : TRUE;
        case PSN_WIZBACK:
            return self->OnWizardBack();
        case PSN_WIZNEXT:
            return self->OnWizardNext();
        case PSN_WIZFINISH:
            if (!self->OnWizardFinish())
                return TRUE;
            WizardFinished();
            return FALSE;
        default:
            bHandled = FALSE;
            return 0;
        }
    }
};

class CPropertySheet {
public:
    // `title` is the sheet's caption (a wizard shows its pages' titles);
    // `startPage` the index of the page shown first.
    explicit CPropertySheet(const char* title = nullptr, UINT startPage = 0);
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Pages are shown in the order they are added; they must outlive DoModal.
    void AddPage(CPropertyPageImplBase& page);
    size_t PageCount() const { return m_pages.size(); }
    void SetWizardMode() { m_wizard = true; }
    void SetStartPage(UINT index) { m_startPage = index; }

    // Runs the sheet modally. IDOK when it ended with OK or Finish, IDCANCEL
    // when cancelled, -1 when it could not be made. A sheet whose changes
    // were applied with Apply and then cancelled still answers IDCANCEL.
    INT_PTR DoModal(HWND owner = ::GetActiveWindow());

    // The sheet window during DoModal, else NULL.
    HWND m_hWnd = NULL;

private:
    friend class CPropertyPageImplBase;
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);

    bool m_endedOk = false;
    std::string m_title;
    UINT m_startPage;
    bool m_wizard = false;
    std::vector<CPropertyPageImplBase*> m_pages;
};
