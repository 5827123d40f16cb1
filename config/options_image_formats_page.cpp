#include "config/options_image_formats_page.h"

#include "app/image_saving.h"

#include "config/file_associations.h"
#include "config/format_list.h"
#include "config/integration_choices.h"
#include "config/logic/option_rules.h"

namespace {

constexpr int kColumnWidth = 300;

} // namespace

LRESULT COptionsImageFormatsPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    format_list::Fill(GetDlgItem(IDC_FORMAT_LIST), kColumnWidth,
                      [](int type) { return IsFileAssociated(type) != FALSE; });
    EnableOptions();
    m_filled = true;
    return TRUE;
}

LRESULT COptionsImageFormatsPage::OnSelectAll(WORD, WORD, HWND, BOOL&) {
    format_list::SetAll(GetDlgItem(IDC_FORMAT_LIST), true);
    return 0;
}

LRESULT COptionsImageFormatsPage::OnRemoveAll(WORD, WORD, HWND, BOOL&) {
    format_list::SetAll(GetDlgItem(IDC_FORMAT_LIST), false);
    return 0;
}

LRESULT COptionsImageFormatsPage::OnItemChanged(int, LPNMHDR header, BOOL&) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    // A check box is the item's state image: its change is a change of the page.
    if (m_filled && (change->uChanged & LVIF_STATE) &&
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
        SetModified();
    EnableOptions();
    return 0;
}

bool COptionsImageFormatsPage::SaveOptionsAvailable() {
    return image_saving::SaveOptionsDialogsRegistered();
}

LRESULT COptionsImageFormatsPage::OnOptions(WORD, WORD, HWND, BOOL&) {
    const int type = format_list::SelectedType(GetDlgItem(IDC_FORMAT_LIST));
    if (SaveOptionsAvailable() && config_rules::HasSaveOptions(type))
        image_saving::AskSaveOptions(m_hWnd, type);
    return 0;
}

void COptionsImageFormatsPage::EnableOptions() {
    const int type = format_list::SelectedType(GetDlgItem(IDC_FORMAT_LIST));
    ::EnableWindow(GetDlgItem(IDC_FORMAT_OPTIONS),
                   SaveOptionsAvailable() && config_rules::HasSaveOptions(type));
}

BOOL COptionsImageFormatsPage::OnApply() {
    HWND list = GetDlgItem(IDC_FORMAT_LIST);
    for (int row = 0; row < config_rules::kImageFormatRowCount; ++row)
        ApplyAssociationChoice(config_rules::kImageFormatRows[row].type,
                               format_list::IsChecked(list, row));
    return TRUE;
}
