// The frames' wallpaper and external-editor commands: the shown image as the
// desktop wallpaper, the configured editors started on the selected items,
// and the Editor button's drop-down of them.
#include <windows.h>
#include <commctrl.h>

#include "app/application_state.h"
#include "app/editor_list.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "ui/message_map.h"
#include "viewer/frame_commands.h"
#include "viewer/image_frame_lists.h"

HMENU CFrameCommands::BuildEditorMenu(const std::vector<CEditorRecord>& editors) {
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    const size_t count = ID_EDITOR_LAST - ID_EDITOR_FIRST + 1;
    for (size_t i = 0; i < editors.size() && i < count; ++i)
        ::AppendMenuA(menu, MF_STRING, ID_EDITOR_FIRST + i, editors[i].title.c_str());
    if (!editors.empty())
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, ID_TOOLS_CONFIGURE_EDITORS, "Configure Editors...");
    return menu;
}

void CFrameCommands::OnSetWallpaper(WORD id) {
    CImageObject* document = GetDocument();
    if (!document || IsVectorImageFileType(document->GetFileType()) || document->path[0] == '\0')
        return;
    g_applicationState.SetDesktopWallpaper(document->path, id - ID_WALLPAPER_CENTER);
}

void CFrameCommands::OnImageProperties(WORD) {
    // An archive's entry is a temporary copy: attributes stored under its
    // path would belong to no file the user keeps.
    CImageObject* document = GetDocument();
    CFileItemList* list = GetFileItemList();
    if (!document || !list || frame_lists::Kind(list) == kListArchive)
        return;
    if (IFrameDialogs* dialogs = FrameDialogs())
        dialogs->EditImageProperties(GetFrameWindow(), document);
}

void CFrameCommands::OnConfigureEditors(WORD) {
    if (IFrameDialogs* dialogs = FrameDialogs())
        dialogs->ShowConfigureEditors(::GetActiveWindow());
}

void CFrameCommands::OnLaunchEditor(WORD id) {
    if (AskToSaveChanges() == SavePrompt::Failed)
        return;
    const std::vector<std::string> paths = SelectedPaths();
    if (paths.empty())
        return;
    std::vector<CEditorRecord> editors;
    LoadEditorList(editors);
    if (editors.empty()) {
        OnConfigureEditors(ID_TOOLS_CONFIGURE_EDITORS);
        return;
    }
    const size_t which = id == ID_TOOLS_EDITOR ? 0 : size_t(id - ID_EDITOR_FIRST);
    if (which >= editors.size())
        return;
    for (const std::string& path : paths)
        if (!LaunchEditor(editors[which].path.c_str(), path.c_str()))
            break;
}

LRESULT CFrameCommands::OnEditorDropDown(const NMTOOLBARA* drop) {
    // A probe of the frame's maps asks only whether the arrow is answered.
    if (UiCommandProbeActive())
        return TBDDRET_DEFAULT;
    std::vector<CEditorRecord> editors;
    LoadEditorList(editors);
    HMENU menu = BuildEditorMenu(editors);
    if (!menu)
        return TBDDRET_DEFAULT;
    HWND toolBar = drop->hdr.hwndFrom;
    const LRESULT index = ::SendMessageA(toolBar, TB_COMMANDTOINDEX, ID_TOOLS_EDITOR, 0);
    RECT button{};
    ::SendMessageA(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&button));
    POINT corner{button.left, button.bottom};
    ::ClientToScreen(toolBar, &corner);
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, corner.x, corner.y, 0, GetFrameWindow(), nullptr);
    ::DestroyMenu(menu);
    return TBDDRET_DEFAULT;
}
