// What every page of the Options sheet shares: a text change or a button
// click tells the sheet that something changed (which enables its Apply),
// except while the page fills its own controls.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/options.h"
#include "ui/property_sheet.h"

// A check box that shows a yes-or-no option.
struct OptionCheck {
    int id;
    bool CAppOptions::*field;
};

// Sets each box from its option.
template <size_t N>
void ShowOptionChecks(HWND page, const OptionCheck (&checks)[N], const CAppOptions& options) {
    for (const OptionCheck& c : checks)
        ::CheckDlgButton(page, c.id, options.*c.field ? BST_CHECKED : BST_UNCHECKED);
}

// Sets each option from its box.
template <size_t N>
void TakeOptionChecks(HWND page, const OptionCheck (&checks)[N], CAppOptions& options) {
    for (const OptionCheck& c : checks)
        options.*c.field = ::IsDlgButtonChecked(page, c.id) == BST_CHECKED;
}

template <class T> class COptionsPage : public CPropertyPageImpl<T> {
public:
    using CPropertyPageImpl<T>::CPropertyPageImpl;

    BEGIN_MSG_MAP(COptionsPage)
    MESSAGE_HANDLER(WM_COMMAND, OnAnyCommand)
    CHAIN_MSG_MAP(CPropertyPageImpl<T>)
    END_MSG_MAP()

protected:
    // Set by the page once WM_INITDIALOG has filled its controls.
    bool m_filled = false;

private:
    LRESULT OnAnyCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
        const WORD code = HIWORD(wParam);
        if (m_filled && lParam != 0 && (code == EN_CHANGE || code == BN_CLICKED))
            this->SetModified();
        bHandled = FALSE; // the page's own handlers still see it
        return 0;
    }
};
