#include "config/editors_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>

#include "config/dialog_frame.h"
#include "config/logic/option_rules.h"
#include "ui/data_exchange.h"

namespace {

constexpr int kTitleColumnWidth = 100;
constexpr int kLocationColumnWidth = 250;

// A field's text when it fits `limit` characters; otherwise a beep, the
// focus and false.
bool ReadField(HWND dialog, int id, char* buffer, int limit) {
    if (::GetWindowTextLengthA(::GetDlgItem(dialog, id)) > limit) {
        uiddx::FocusAndBeep(dialog, id);
        return false;
    }
    ::GetDlgItemTextA(dialog, id, buffer, limit + 1);
    return true;
}

} // namespace

LRESULT CEditorDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    SetDlgItemText(IDC_EDITOR_TITLE, title);
    SetDlgItemText(IDC_EDITOR_LOCATION, location);
    PrepareProgramDialog(m_hWnd);
    return TRUE;
}

LRESULT CEditorDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "Executable Files (*.exe)\0*.exe\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = "exe";
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!::GetOpenFileNameA(&ofn))
        return 0;
    SetDlgItemText(IDC_EDITOR_LOCATION, path);
    if (::GetWindowTextLengthA(GetDlgItem(IDC_EDITOR_TITLE)) == 0)
        SetDlgItemText(IDC_EDITOR_TITLE, config_rules::EditorTitleFromPath(path).c_str());
    return 0;
}

LRESULT CEditorDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    char newTitle[sizeof(title)] = "";
    char newLocation[sizeof(location)] = "";
    if (!ReadField(m_hWnd, IDC_EDITOR_TITLE, newTitle, kEditorTitleLimit) ||
        !ReadField(m_hWnd, IDC_EDITOR_LOCATION, newLocation, kEditorLocationLimit))
        return 0;
    if (newTitle[0] == '\0' || newLocation[0] == '\0')
        return 0;
    lstrcpynA(title, newTitle, sizeof(title));
    lstrcpynA(location, newLocation, sizeof(location));
    EndDialog(IDOK);
    return 0;
}

LRESULT CEditorDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CEditorsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    HWND list = List();
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("Title");
    column.cx = kTitleColumnWidth;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    column.pszText = const_cast<char*>("Location");
    column.cx = kLocationColumnWidth;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 1, (LPARAM)&column);
    const std::vector<CEditorEntry> editors = m_store.Load();
    for (size_t i = 0; i < editors.size() && i < kMaxEditors; ++i)
        InsertEntry(int(i), editors[i]);
    if (!editors.empty()) {
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, 0, FALSE);
    }
    EnableButtons();
    PrepareProgramDialog(m_hWnd);
    return TRUE;
}

int CEditorsDialog::Selected() const {
    return ListView_GetNextItem(List(), -1, LVNI_SELECTED);
}

CEditorEntry CEditorsDialog::Entry(int row) const {
    char title[kEditorTitleLimit + 1] = "";
    char location[kEditorLocationLimit + 1] = "";
    ListView_GetItemText(List(), row, 0, title, sizeof(title));
    ListView_GetItemText(List(), row, 1, location, sizeof(location));
    return {title, location};
}

void CEditorsDialog::InsertEntry(int row, const CEditorEntry& entry) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry.title.c_str());
    const int at = (int)::SendMessageA(List(), LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (at >= 0)
        ListView_SetItemText(List(), at, 1, const_cast<char*>(entry.location.c_str()));
}

void CEditorsDialog::SetEntry(int row, const CEditorEntry& entry) {
    ListView_SetItemText(List(), row, 0, const_cast<char*>(entry.title.c_str()));
    ListView_SetItemText(List(), row, 1, const_cast<char*>(entry.location.c_str()));
}

void CEditorsDialog::EnableButtons() {
    const BOOL selected = Selected() >= 0;
    for (int id : {IDC_EDITORS_REMOVE, IDC_EDITORS_EDIT, IDC_EDITORS_LAUNCH, IDC_EDITORS_DEFAULT})
        ::EnableWindow(GetDlgItem(id), selected);
}

LRESULT CEditorsDialog::OnListClick(int, LPNMHDR, BOOL&) {
    EnableButtons();
    return 0;
}

LRESULT CEditorsDialog::OnItemActivate(int, LPNMHDR, BOOL& handled) {
    return OnEdit(0, IDC_EDITORS_EDIT, NULL, handled);
}

LRESULT CEditorsDialog::OnAdd(WORD, WORD, HWND, BOOL&) {
    if ((size_t)ListView_GetItemCount(List()) >= kMaxEditors) {
        ::MessageBeep((UINT)-1);
        return 0;
    }
    CEditorDialog editor;
    if (editor.DoModal(m_hWnd) != IDOK)
        return 0;
    if (editor.title[0] == '\0' || editor.location[0] == '\0' ||
        !::PathFileExistsA(editor.location))
        return 0;
    InsertEntry(ListView_GetItemCount(List()), {editor.title, editor.location});
    return 0;
}

LRESULT CEditorsDialog::OnRemove(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (row >= 0)
        ListView_DeleteItem(List(), row);
    return 0;
}

LRESULT CEditorsDialog::OnEdit(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (row < 0)
        return 0;
    const CEditorEntry entry = Entry(row);
    if (entry.title.empty() || entry.location.empty())
        return 0;
    CEditorDialog editor;
    lstrcpynA(editor.title, entry.title.c_str(), sizeof(editor.title));
    lstrcpynA(editor.location, entry.location.c_str(), sizeof(editor.location));
    if (editor.DoModal(m_hWnd) == IDOK)
        SetEntry(row, {editor.title, editor.location});
    return 0;
}

LRESULT CEditorsDialog::OnSetDefault(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (row <= 0)
        return 0;
    const CEditorEntry entry = Entry(row);
    ListView_DeleteItem(List(), row);
    InsertEntry(0, entry);
    ListView_SetItemState(List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return 0;
}

LRESULT CEditorsDialog::OnLaunch(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (row >= 0)
        m_store.Launch(Entry(row).location.c_str());
    return 0;
}

LRESULT CEditorsDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    std::vector<CEditorEntry> editors;
    const int count = ListView_GetItemCount(List());
    for (int row = 0; row < count; ++row)
        editors.push_back(Entry(row));
    m_store.Save(editors);
    EndDialog(IDOK);
    return 0;
}

LRESULT CEditorsDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
