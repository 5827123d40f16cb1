// The frames' sort commands: the stored sort key and order change, the
// frame's list is sorted again by them, every window is told, and the
// frame shows its current item again.
#include <windows.h>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "imaging/image_object.h"
#include "ui/wait_cursor.h"
#include "viewer/frame_commands.h"
#include "viewer/logic/sort_commands.h"

void CFrameCommands::OnSortCommand(WORD id) {
    CFileItemList* list = GetFileItemList();
    if (!list)
        return;
    // A search result is still growing while its search runs: its order
    // would be lost to the next found file.
    if (list->IsSearchResultList() && g_applicationState.IsSearchRunning()) {
        ShowMessageBox("Please stop search before sorting items.", kProductName,
                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    CWaitCursor wait;
    CAppOptions& options = g_applicationState.Options();
    const viewer::SortChoice choice = viewer::SortChoiceAfter(
        id, {static_cast<int>(options.sortBy), static_cast<int>(options.sortOrder)});
    options.sortBy = static_cast<uint32_t>(choice.sortBy);
    options.sortOrder = static_cast<uint32_t>(choice.sortOrder);
    list->Lock();
    list->sortBy = choice.sortBy;
    list->sortOrder = choice.sortOrder;
    list->Unlock();
    if (!g_applicationState.FillFileItemList(list))
        return;
    // The refill notice has moved each frame's current index to its
    // document, so opening it again shows the same file in its new place.
    // Unsaved edits of that document would be thrown away by the reopen:
    // they stay shown instead.
    g_applicationState.NotifyListChanged(list);
    CImageObject* document = GetDocument();
    if (m_currentIndex >= 0 && !(document && document->modified))
        OpenCurrentItem(false);
}
