#include "config/arrange_viewers_dialog.h"

#include "app/options.h"
#include "config/dialog_frame.h"
#include "ui/data_exchange.h"

namespace {

const char kSelectionValue[] = "ArrangeViewersSelection";
const char kHorzMaxValue[] = "ArrangeViewersHorzMax";
const char kVertMaxValue[] = "ArrangeViewersVertMax";

// A maximum field: true with its number when it holds one from 0 to 100.
bool ReadMaximum(HWND dialog, int id, int* value) {
    BOOL ok = FALSE;
    const int number = (int)::GetDlgItemInt(dialog, id, &ok, TRUE);
    if (!ok || number < 0 || number > kArrangeMaxViewers)
        return false;
    *value = number;
    return true;
}

} // namespace

char CArrangeViewersDialog::Mode() const {
    return selection == 1 ? 's' : selection == 2 ? 't' : 'r';
}

int CArrangeViewersDialog::Maximum() const {
    return selection == 1 ? horzMax : selection == 2 ? vertMax : 0;
}

LRESULT CArrangeViewersDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CRegistryOptionStore store;
    uint32_t value = 0;
    selection = horzMax = vertMax = 0;
    if (store.Open()) {
        if (store.ReadNumber(kSelectionValue, &value))
            selection = int(value);
        if (store.ReadNumber(kHorzMaxValue, &value))
            horzMax = int(value);
        if (store.ReadNumber(kVertMaxValue, &value))
            vertMax = int(value);
        store.Close();
    }
    if (selection < 0 || selection > 2)
        selection = 0;
    uiddx::Radio(m_hWnd, IDC_ARRANGE_GRID, selection, FALSE);
    SetDlgItemInt(IDC_ARRANGE_ROW_MAX, UINT(horzMax), TRUE);
    SetDlgItemInt(IDC_ARRANGE_COLUMN_MAX, UINT(vertMax), TRUE);
    EnableEdits();
    PrepareProgramDialog(m_hWnd);
    return TRUE;
}

bool CArrangeViewersDialog::ReadControls() {
    int radio = 0;
    uiddx::Radio(m_hWnd, IDC_ARRANGE_GRID, radio, TRUE);
    if (radio >= 0)
        selection = radio;
    // The maximum in use must be sound; the other one is taken when it is
    // and otherwise keeps its value, since its field may be disabled.
    const int inUse = selection == 1   ? IDC_ARRANGE_ROW_MAX
                      : selection == 2 ? IDC_ARRANGE_COLUMN_MAX
                                       : 0;
    const struct {
        int id;
        int* value;
    } fields[] = {{IDC_ARRANGE_ROW_MAX, &horzMax}, {IDC_ARRANGE_COLUMN_MAX, &vertMax}};
    for (const auto& field : fields) {
        if (!ReadMaximum(m_hWnd, field.id, field.value) && field.id == inUse) {
            uiddx::FocusAndBeep(m_hWnd, field.id);
            return false;
        }
    }
    return true;
}

void CArrangeViewersDialog::EnableEdits() {
    ::EnableWindow(GetDlgItem(IDC_ARRANGE_ROW_MAX), selection == 1);
    ::EnableWindow(GetDlgItem(IDC_ARRANGE_COLUMN_MAX), selection == 2);
}

LRESULT CArrangeViewersDialog::OnClicked(WORD, WORD, HWND, BOOL&) {
    ReadControls();
    EnableEdits();
    return 0;
}

LRESULT CArrangeViewersDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!ReadControls()) {
        EnableEdits();
        return 0;
    }
    CRegistryOptionStore store;
    if (store.Open()) {
        store.WriteNumber(kSelectionValue, uint32_t(selection));
        store.WriteNumber(kHorzMaxValue, uint32_t(horzMax));
        store.WriteNumber(kVertMaxValue, uint32_t(vertMax));
        store.Close();
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CArrangeViewersDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
