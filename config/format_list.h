// The list of image formats with a check box per row, shared by the Image
// Formats page of the Options sheet and the wizard's formats page: one
// column, the shared small icons, the rows of config_rules::kImageFormatRows
// in their order (each row's lParam is its image type).
#pragma once

#include <windows.h>

#include <functional>

namespace format_list {

// Sets up the list control (check boxes, icons, one column `columnWidth`
// pixels wide) and adds the rows, each checked when `checked(type)` says so.
void Fill(HWND list, int columnWidth, const std::function<bool(int type)>& checked);
// Checks or clears every row.
void SetAll(HWND list, bool checked);
bool IsChecked(HWND list, int row);
// The image type of the selected row, 0 when none is selected.
int SelectedType(HWND list);

} // namespace format_list
