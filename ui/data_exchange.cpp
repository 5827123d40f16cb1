// Control-level data exchange routines.
#include "ui/data_exchange.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace uiddx {

BOOL Text(HWND hDlg, UINT id, char* buffer, int size, BOOL bSave) {
    if (buffer == NULL || size <= 0)
        return FALSE;
    HWND ctl = ::GetDlgItem(hDlg, (int)id);
    if (ctl == NULL)
        return FALSE;
    if (!bSave) {
        // A buffer is expected to be terminated; never read past its end.
        int n = 0;
        while (n < size && buffer[n] != '\0')
            ++n;
        if (n == size)
            return FALSE;
        return ::SetWindowTextA(ctl, buffer);
    }
    // A text that does not fit would be cut silently: refuse it instead.
    if (::GetWindowTextLengthA(ctl) >= size)
        return FALSE;
    ::GetWindowTextA(ctl, buffer, size);
    buffer[size - 1] = '\0';
    return TRUE;
}

BOOL Int(HWND hDlg, UINT id, int& value, int nMin, int nMax, BOOL bSave) {
    HWND ctl = ::GetDlgItem(hDlg, (int)id);
    if (ctl == NULL)
        return FALSE;
    if (!bSave) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        return ::SetWindowTextA(ctl, text);
    }
    char text[64];
    if (::GetWindowTextLengthA(ctl) >= (int)sizeof text)
        return FALSE;
    ::GetWindowTextA(ctl, text, sizeof text);
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '\0')
        return FALSE;
    char* end = NULL;
    errno = 0;
    long long v = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE)
        return FALSE;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0' || v < nMin || v > nMax)
        return FALSE;
    value = (int)v;
    return TRUE;
}

void Check(HWND hDlg, UINT id, int& value, BOOL bSave) {
    if (!bSave) {
        UINT state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
        ::CheckDlgButton(hDlg, (int)id, state);
        return;
    }
    UINT state = ::IsDlgButtonChecked(hDlg, (int)id);
    value = state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
}

namespace {
bool IsRadioButton(HWND hWnd) {
    if (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        return true;
    DWORD type = (DWORD)::GetWindowLongPtrA(hWnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}
} // namespace

void Radio(HWND hDlg, UINT id, int& value, BOOL bSave) {
    HWND ctl = ::GetDlgItem(hDlg, (int)id);
    if (ctl == NULL)
        return;
    if (bSave)
        value = -1;
    // The group runs from the first button up to the next control with WS_GROUP.
    int index = 0;
    bool first = true;
    for (HWND h = ctl; h != NULL; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (!first && (::GetWindowLongPtrA(h, GWL_STYLE) & WS_GROUP))
            break;
        first = false;
        if (!IsRadioButton(h))
            continue;
        if (bSave) {
            if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED && value < 0)
                value = index;
        } else {
            ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void FocusAndBeep(HWND hDlg, UINT id) {
    ::MessageBeep((UINT)-1);
    HWND ctl = ::GetDlgItem(hDlg, (int)id);
    if (ctl == NULL)
        return;
    ::SetFocus(ctl);
    ::SendMessageA(ctl, EM_SETSEL, 0, -1);
}

} // namespace uiddx
