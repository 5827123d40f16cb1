// Drops and pastes onto the folder pane tree's own roots: folders dropped
// onto My Collections join it, pictures dropped onto a favorites folder are
// added to it, and favorites dragged from another favorites folder are
// copied or moved in. Everything else dropped onto the pane goes to the
// folder tree.
#include <windows.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/collection_record.h"
#include "explorer/drop_formats.h"
#include "explorer/folder_pane_tree.h"
#include "imaging/image_file_types.h"

using namespace explorer_drop_rules;

namespace {

int32_t FavoritesIdOf(const CFolderTreeItemData* data) {
    return static_cast<int32_t>(static_cast<intptr_t>(data->data));
}

std::vector<std::string> FavoritesPaths(const STGMEDIUM* medium, uint32_t* sourceId) {
    std::vector<std::string> paths;
    if (!medium || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal)
        return paths;
    const SIZE_T size = ::GlobalSize(medium->hGlobal);
    if (const auto* bytes = static_cast<const uint8_t*>(::GlobalLock(medium->hGlobal))) {
        if (!ReadFavoritesBlock(bytes, size, sourceId, &paths))
            paths.clear();
        ::GlobalUnlock(medium->hGlobal);
    }
    return paths;
}

} // namespace

bool CFolderPaneTree::OnTreeDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) {
    HTREEITEM item = DropHighlight();
    const CFolderTreeItemData* data = ItemData(item);
    const TreeDrop plan = PlanTreeDrop(data ? data->kind : -1, *effect);
    if (plan.action != TreeDropAction::AddToCollections &&
        plan.action != TreeDropAction::IntoFavorites)
        return CFolderTreeCtrl::OnTreeDrop(format, medium, effect);
    StopHoverTimer();
    if (!TreeDropTakes(plan.action, DropFormatOf(format->cfFormat))) {
        *effect = DROPEFFECT_NONE;
        return false;
    }
    DropOnPaneItem(item, format->cfFormat, medium, plan.copy);
    // The pictures and folders stay where they are: a source that moves by
    // deleting its originals must not hear "moved".
    if (format->cfFormat == CF_HDROP)
        *effect = ReportedDropEffect(*effect, AnyDroppedPathLeft(medium));
    EndDrag();
    return true;
}

bool CFolderPaneTree::DropOnPaneItem(HTREEITEM item, CLIPFORMAT format, STGMEDIUM* medium,
                                     bool copy) {
    const CFolderTreeItemData* data = ItemData(item);
    if (!data || !medium)
        return true;
    if (data->kind == kTreeMyCollections && format == CF_HDROP) {
        for (const std::string& path : ReadDroppedFiles(medium)) {
            // A collection is a folder; a file would sit in the index unseen.
            if (!::PathIsDirectoryA(path.c_str()))
                continue;
            if (g_applicationState.AddToMyCollections(path.c_str(), m_secondaryTree))
                AddCollectionFolder(path.c_str(), false);
            if (m_collectionsRoot) {
                TreeView_SortChildren(m_hWnd, m_collectionsRoot, FALSE);
                TreeView_Expand(m_hWnd, m_collectionsRoot, TVE_EXPAND);
            }
        }
        return true;
    }
    if (data->kind != kTreeFavorites)
        return true;
    const int32_t targetId = FavoritesIdOf(data);
    if (format == CF_HDROP) {
        CCollectionRecord record(targetId);
        if (!g_applicationState.LoadFavoritesFolder(record))
            return true;
        g_applicationState.BeginFolderUpdate();
        std::vector<std::string> pictures;
        for (const std::string& path : ReadDroppedFiles(medium))
            if (DetectImageFileType(path.c_str()) != kFileTypeUnknown)
                pictures.push_back(path);
        int added = 0;
        if (!pictures.empty())
            g_applicationState.AddToFavoritesFolder(ZeroSeparatedList(pictures).c_str(), targetId,
                                                    &added);
        SetDropHighlight(nullptr);
        g_applicationState.EndFolderUpdate();
        return true;
    }
    if (format == g_favoritesClipboardFormat) {
        uint32_t sourceId = 0;
        const std::vector<std::string> paths = FavoritesPaths(medium, &sourceId);
        const int32_t from = static_cast<int32_t>(sourceId);
        if (!paths.empty() && from != targetId)
            g_applicationState.MoveToFavoritesFolder(from, targetId,
                                                     ZeroSeparatedList(paths).c_str(), copy);
    }
    return true;
}
