// The page procedure and the modal run of property sheets and wizards.
#include "ui/property_sheet.h"

namespace {

// The sheet whose window is being made on this thread: the system's
// callback carries no pointer of ours.
CPropertySheet*& PendingSheet() {
    static thread_local CPropertySheet* pending = nullptr;
    return pending;
}

} // namespace

CPropertyPageImplBase::CPropertyPageImplBase(HINSTANCE instance, LPCSTR resource, const char* title)
    : m_psp(), m_title(title ? title : "") {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.hInstance = instance;
    m_psp.pszTemplate = resource;
}

CPropertyPageImplBase::CPropertyPageImplBase(const DLGTEMPLATE* dialogTemplate, const char* title)
    : m_psp(), m_title(title ? title : "") {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DLGINDIRECT;
    m_psp.hInstance = UiModuleInstance();
    m_psp.pResource = dialogTemplate;
}

HPROPSHEETPAGE CPropertyPageImplBase::CreatePage() {
    PROPSHEETPAGEA page = m_psp;
    page.pfnDlgProc = &PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    if (!m_title.empty()) {
        page.dwFlags |= PSP_USETITLE;
        page.pszTitle = m_title.c_str();
    }
    m_page = ::CreatePropertySheetPageA(&page);
    return m_page;
}

INT_PTR CALLBACK CPropertyPageImplBase::PageProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                                 LPARAM lParam) {
    CDialogImplBase* self = FromHandle(hWnd);
    if (self == nullptr) {
        // The sheet hands the page its copy of the page description, whose
        // lParam is the object; messages before it (WM_SETFONT) go unhandled.
        if (uMsg != WM_INITDIALOG || lParam == 0)
            return FALSE;
        auto* page = reinterpret_cast<CPropertyPageImplBase*>(
            reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        if (page == nullptr)
            return FALSE;
        page->Bind(hWnd);
        self = page;
    }
    return Dispatch(self, hWnd, uMsg, wParam, lParam);
}

void CPropertyPageImplBase::SetModified(BOOL changed) {
    HWND sheet = GetPropertySheet();
    if (sheet != NULL)
        ::SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

void CPropertyPageImplBase::SetWizardButtons(DWORD flags) {
    HWND sheet = GetPropertySheet();
    if (sheet != NULL)
        ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, (LPARAM)flags);
}

bool CPropertyPageImplBase::IsActivePage() const {
    HWND sheet = GetPropertySheet();
    return sheet != NULL && (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) == m_hWnd;
}

bool CPropertyPageImplBase::Activate() {
    HWND sheet = GetPropertySheet();
    if (sheet == NULL || m_page == NULL)
        return false;
    if (!IsActivePage())
        ::SendMessageA(sheet, PSM_SETCURSEL, 0, (LPARAM)m_page);
    return IsActivePage();
}

void CPropertyPageImplBase::CenterSheet() {
    CWindow sheet(GetPropertySheet());
    HWND owner = sheet.GetWindow(GW_OWNER);
    if (owner != NULL && (!::IsWindowVisible(owner) || ::IsIconic(owner)))
        owner = NULL;
    // With no owner CenterWindow uses the work area; either way it keeps the
    // sheet inside the work area.
    if (owner == NULL) {
        RECT area, self;
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        ::GetWindowRect(sheet, &self);
        int w = self.right - self.left, h = self.bottom - self.top;
        int x = area.left + (area.right - area.left - w) / 2;
        int y = area.top + (area.bottom - area.top - h) / 2;
        ::SetWindowPos(sheet, NULL, x < area.left ? area.left : x, y < area.top ? area.top : y, 0,
                       0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    sheet.CenterWindow(owner);
}

LRESULT CPropertyPageImplBase::ApplyFailed() {
    if (m_sheet != nullptr)
        m_sheet->m_endedOk = false;
    // The page put the focus on the offending field; when the sheet showed
    // another page, that field is hidden until this page comes to the front.
    HWND focus = ::GetFocus();
    Activate();
    if (focus != NULL && ::IsChild(m_hWnd, focus))
        ::SetFocus(focus);
    return PSNRET_INVALID_NOCHANGEPAGE;
}

void CPropertyPageImplBase::ApplySucceeded(LPARAM closing) {
    if (m_sheet != nullptr && closing)
        m_sheet->m_endedOk = true;
}

void CPropertyPageImplBase::WizardFinished() {
    if (m_sheet != nullptr)
        m_sheet->m_endedOk = true;
}

void CPropertyPageImplBase::Cancelled() {
    if (m_sheet != nullptr)
        m_sheet->m_endedOk = false;
}

CPropertySheet::CPropertySheet(const char* title, UINT startPage)
    : m_title(title ? title : ""), m_startPage(startPage) {}

void CPropertySheet::AddPage(CPropertyPageImplBase& page) {
    page.m_sheet = this;
    m_pages.push_back(&page);
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam != 0) {
        // No "?" button: the program has no context help.
        DLGTEMPLATE* sheetTemplate = reinterpret_cast<DLGTEMPLATE*>(lParam);
        sheetTemplate->style &= ~DS_CONTEXTHELP;
    } else if (message == PSCB_INITIALIZED) {
        CPropertySheet* sheet = PendingSheet();
        if (sheet != nullptr)
            sheet->m_hWnd = hWnd;
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal(HWND owner) {
    if (m_hWnd != NULL || m_pages.empty())
        return -1;
    std::vector<HPROPSHEETPAGE> pages;
    for (CPropertyPageImplBase* page : m_pages) {
        HPROPSHEETPAGE made = page->CreatePage();
        if (made == NULL) {
            for (HPROPSHEETPAGE p : pages)
                ::DestroyPropertySheetPage(p);
            return -1;
        }
        pages.push_back(made);
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_USECALLBACK | (m_wizard ? PSH_WIZARD : 0);
    header.hwndParent = owner;
    header.hInstance = UiModuleInstance();
    header.pszCaption = m_title.c_str();
    header.nPages = (UINT)pages.size();
    header.nStartPage = m_startPage < pages.size() ? m_startPage : 0;
    header.phpage = pages.data();
    header.pfnCallback = &SheetCallback;

    m_endedOk = false;
    CPropertySheet* outer = PendingSheet();
    PendingSheet() = this;
    INT_PTR result = ::PropertySheetA(&header);
    PendingSheet() = outer;
    m_hWnd = NULL;
    for (CPropertyPageImplBase* page : m_pages)
        page->m_page = NULL;
    if (result < 0)
        return -1;
    return m_endedOk ? IDOK : IDCANCEL;
}
