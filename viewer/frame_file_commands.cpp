// The save and file commands of the command base: Save, Save As (one page
// of a multi-page image on request), saving the selection as a file, and
// Delete, Copy To, Move To and Add to Favorites on the selected items.
#include <windows.h>

#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/image_saving.h"
#include "app/window_hosts.h"
#include "resources/resource.h"
#include "ui/wait_cursor.h"
#include "viewer/image_frame_lists.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/frame_commands.h"
#include "viewer/image_view.h"

namespace {

constexpr char kOnePageQuestion[] = "The image you've selected contains more then one pages.  Do "
                                    "you want to save only the selected page?";

} // namespace

void CFrameCommands::OnSave(WORD) {
    CImageObject* document = GetDocument();
    if (!document || !document->modified)
        return;
    if (!SaveDocument(document))
        return;
    // No undo after a save: the file holds the edit now.
    if (CImageView* view = GetImageView())
        view->ReleaseUndoImage();
    UpdateTitle();
    UpdateToolBar();
}

void CFrameCommands::OnSaveAs(WORD) {
    CImageObject* document = GetDocument();
    if (!document || IsVectorImageFileType(document->GetFileType()))
        return;
    if (document->FrameCount() > 0 &&
        ::MessageBoxA(GetFrameWindow(), kOnePageQuestion, "Velmorantix XP",
                      MB_YESNO | MB_ICONQUESTION) == IDYES) {
        if (CImageObject* page = GetCurrentImage())
            image_saving::SaveImageCopyAs(document->path, page, nullptr);
        return;
    }
    const bool wasModified = document->modified;
    if (!image_saving::SaveImageAs(document, nullptr) || !wasModified)
        return;
    // The edit went to another file; this one is shown as it is on disk.
    if (CImageView* view = GetImageView())
        view->ReleaseUndoImage();
    OpenCurrentItem(false);
}

void CFrameCommands::OnSaveSelectionAs(WORD) {
    CImageObject* document = GetDocument();
    if (!document)
        return;
    CImageObject* cut = CropToSelection(nullptr);
    if (!cut)
        return;
    char chosen[MAX_PATH] = {};
    if (image_saving::SaveImageAs(cut, chosen))
        SelectPath(chosen);
    cut->Release();
}

namespace {

// The selected items' full paths, each ended by a zero, the list ended by
// one more (the shell's double-zero list).
std::string DoubleZeroList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list += '\0';
    }
    list += '\0';
    return list;
}

} // namespace

std::vector<std::string> CFrameCommands::SelectedPaths() {
    std::vector<std::string> paths;
    CFileItemList* list = GetFileItemList();
    if (!list)
        return paths;
    std::vector<int> indexes;
    GetSelectedIndexes(indexes);
    for (int index : indexes) {
        std::string path = frame_lists::ItemPath(list, index);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

void CFrameCommands::OnDelete(WORD) {
    CFileItemList* list = GetFileItemList();
    const int kind = frame_lists::Kind(list);
    if (!list || kind == kListArchive)
        return;
    const std::vector<std::string> paths = SelectedPaths();
    if (paths.empty())
        return;
    const std::string shellList = DoubleZeroList(paths);
    const CAppOptions& options = g_applicationState.Options();
    const bool confirm =
        IsExplorer() ? options.explorerConfirmDeletion : options.viewerConfirmDeletion;
    if (kind == kListFavorites) {
        // Only the entries go: the image files stay where they are.
        g_applicationState.RemoveFromFavoritesFolder(static_cast<int32_t>(list->GetKeyValue()),
                                                     shellList.c_str(), confirm);
        return;
    }
    g_applicationState.DeleteFiles(shellList.c_str(), GetFrameWindow(), confirm);
}

void CFrameCommands::OnCopyMoveTo(WORD id) {
    CFileItemList* list = GetFileItemList();
    const int kind = frame_lists::Kind(list);
    if (kind != kListFolder && kind != kListSearchResult)
        return;
    const std::vector<std::string> paths = SelectedPaths();
    if (paths.empty())
        return;
    const bool copy = id == ID_FILE_COPY_TO;
    std::string folder = kind == kListFolder ? frame_lists::Folder(list) : std::string();
    IFileDialogs* dialogs = g_applicationState.FileDialogs();
    if (!dialogs ||
        !dialogs->BrowseForFolder(GetFrameWindow(), copy ? "Copy To" : "Move To", &folder) ||
        folder.empty())
        return;
    g_applicationState.CopyMoveFilesWithProgress(folder.c_str(), copy, paths, 0);
}

void CFrameCommands::OnAddToFavorites(WORD) {
    CFileItemList* list = GetFileItemList();
    if (!list)
        return;
    std::vector<std::string> images;
    {
        CWaitCursor wait;
        for (std::string& path : SelectedPaths()) {
            if (DetectImageFileType(path.c_str()) != kFileTypeUnknown)
                images.push_back(std::move(path));
        }
    }
    if (images.empty())
        return;
    const std::string shellList = DoubleZeroList(images);
    int added = 0;
    if (g_applicationState.AddToFavoritesFolder(shellList.c_str(), 0, &added) && added > 0)
        ::MessageBoxA(GetFrameWindow(), "The item(s) have been added to Favorites",
                      "Add to Favorites", MB_OK | MB_ICONINFORMATION);
}
