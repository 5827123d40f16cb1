// Zoom To, Goto Page and Marquee Setting.
#include "viewer/viewer_dialogs.h"

#include <commctrl.h>

#include <cstdio>

#include "app/application_state.h"

using viewer_dialogs::ReadIntField;
using viewer_dialogs::RejectNotANumber;

// ---------------------------------------------------------------------------
// Zoom To
// ---------------------------------------------------------------------------
LRESULT CZoomToDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (!SetDlgItemInt(IDC_ZOOM_PERCENT, (UINT)percent, TRUE)) {
        RejectNotANumber(m_hWnd, IDC_ZOOM_PERCENT);
        return FALSE;
    }
    return TRUE;
}

LRESULT CZoomToDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int value = 0;
    if (!ReadIntField(m_hWnd, IDC_ZOOM_PERCENT, kZoomToMinPercent, kZoomToMaxPercent,
                      IDS_VALUE_RANGE, &value))
        return 0;
    percent = value;
    EndDialog(IDOK);
    return 0;
}

LRESULT CZoomToDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// ---------------------------------------------------------------------------
// Goto Page
// ---------------------------------------------------------------------------
CGotoPageDialog::CGotoPageDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

LRESULT CGotoPageDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    BOOL focusSet = FALSE;
    if (!SetDlgItemInt(IDC_PAGE_NUMBER, (UINT)page, TRUE)) {
        RejectNotANumber(m_hWnd, IDC_PAGE_NUMBER);
        focusSet = TRUE;
    }
    // The up-down keeps the page within 1..count.
    HWND spin = GetDlgItem(IDC_PAGE_SPIN);
    int upper = pageCount < 1 ? 1 : pageCount;
    ::SendMessageA(spin, UDM_SETRANGE32, 1, upper);
    ::SendMessageA(spin, UDM_SETPOS32, 0, page);
    char text[32];
    std::snprintf(text, sizeof(text), "of %d", pageCount);
    SetDlgItemText(IDC_PAGE_COUNT, text);
    return !focusSet;
}

LRESULT CGotoPageDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int value = 0;
    if (!ReadIntField(m_hWnd, IDC_PAGE_NUMBER, 1, pageCount, IDS_VALUE_RANGE, &value))
        return 0;
    page = value;
    EndDialog(IDOK);
    return 0;
}

LRESULT CGotoPageDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// ---------------------------------------------------------------------------
// Marquee Setting
// ---------------------------------------------------------------------------
LRESULT CMarqueeSettingDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    fixedDimensions = options.marqueeDimensions ? 1 : 0;
    width = (int)options.marqueeWidth;
    height = (int)options.marqueeHeight;
    CheckRadioButton(m_hWnd, IDC_MARQUEE_NO, IDC_MARQUEE_YES,
                     fixedDimensions == 1 ? IDC_MARQUEE_YES : IDC_MARQUEE_NO);
    BOOL focusSet = FALSE;
    if (!SetDlgItemInt(IDC_MARQUEE_WIDTH, (UINT)width, TRUE)) {
        RejectNotANumber(m_hWnd, IDC_MARQUEE_WIDTH);
        focusSet = TRUE;
    } else if (!SetDlgItemInt(IDC_MARQUEE_HEIGHT, (UINT)height, TRUE)) {
        RejectNotANumber(m_hWnd, IDC_MARQUEE_HEIGHT);
        focusSet = TRUE;
    }
    EnableEdits();
    return !focusSet;
}

int CMarqueeSettingDialog::ReadRadio() const {
    return IsDlgButtonChecked(IDC_MARQUEE_YES) == BST_CHECKED ? 1 : 0;
}

void CMarqueeSettingDialog::EnableEdits() {
    BOOL enable = ReadRadio() == 1;
    ::EnableWindow(GetDlgItem(IDC_MARQUEE_WIDTH), enable);
    ::EnableWindow(GetDlgItem(IDC_MARQUEE_HEIGHT), enable);
}

LRESULT CMarqueeSettingDialog::OnRadio(WORD code, WORD, HWND, BOOL& handled) {
    if (code != BN_CLICKED) {
        handled = FALSE;
        return 0;
    }
    // Only the edits' state follows the choice here; the values are checked
    // on OK, so a click never raises a message box.
    fixedDimensions = ReadRadio();
    EnableEdits();
    return 0;
}

LRESULT CMarqueeSettingDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int choice = ReadRadio();
    int newWidth = 0;
    int newHeight = 0;
    if (!ReadIntField(m_hWnd, IDC_MARQUEE_WIDTH, kMarqueeMinDimension, kMarqueeMaxDimension,
                      IDS_DIMENSION_RANGE, &newWidth))
        return 0;
    if (!ReadIntField(m_hWnd, IDC_MARQUEE_HEIGHT, kMarqueeMinDimension, kMarqueeMaxDimension,
                      IDS_DIMENSION_RANGE, &newHeight))
        return 0;
    fixedDimensions = choice;
    width = newWidth;
    height = newHeight;
    CAppOptions& options = g_applicationState.Options();
    options.marqueeDimensions = choice == 1;
    options.marqueeWidth = (uint32_t)newWidth;
    options.marqueeHeight = (uint32_t)newHeight;
    EndDialog(IDOK);
    return 0;
}

LRESULT CMarqueeSettingDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
