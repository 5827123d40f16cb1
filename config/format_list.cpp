#include "config/format_list.h"

#include <commctrl.h>

#include "app/app_globals.h"
#include "config/context_menu_options.h"
#include "config/logic/option_rules.h"

namespace format_list {

void Fill(HWND list, int columnWidth, const std::function<bool(int type)>& checked) {
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    if (g_smallImageList != nullptr)
        ListView_SetImageList(list, g_smallImageList, LVSIL_SMALL);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = columnWidth;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    for (int row = 0; row < config_rules::kImageFormatRowCount; ++row) {
        const config_rules::ImageFormatRow& format = config_rules::kImageFormatRows[row];
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<char*>(format.name);
        item.iImage = GetImageTypeIconIndex(format.type);
        item.lParam = format.type;
        const int at = (int)::SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
        ListView_SetCheckState(list, at, checked(format.type) ? TRUE : FALSE);
    }
}

void SetAll(HWND list, bool checked) {
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row)
        ListView_SetCheckState(list, row, checked ? TRUE : FALSE);
}

bool IsChecked(HWND list, int row) {
    return ListView_GetCheckState(list, row) != FALSE;
}

int SelectedType(HWND list) {
    const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (row < 0)
        return 0;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!::SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item))
        return 0;
    return int(item.lParam);
}

} // namespace format_list
