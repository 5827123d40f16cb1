// The explorer frame's panes and the list's smaller notices: the
// information and metadata panes following the current document with its
// catalogue record, the selection count in the information pane's status
// band, the thumbnail list's info tips, and the options changes the options
// pages broadcast.
#include <shlwapi.h>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/image_attributes.h"
#include "explorer/logic/list_updates.h"
#include "explorer/main_frame.h"
#include "imaging/image_object.h"
#include "tools/image_properties.h"

UINT CMainFrame::OptionsChangedMessage() {
    return g_optionsChanged;
}

void CMainFrame::RefreshPanes(bool clear) {
    CImageObject* document = GetDocument();
    if (document && document->headerReady) {
        CImageAttributes attributes;
        attributes.path = document->path;
        const bool stored = g_applicationState.LoadImageAttributes(attributes);
        const int count = m_list.m_hWnd ? m_list.ItemCount() : 0;
        if (m_info.m_hWnd)
            m_info.SetImage(document, stored ? &attributes : nullptr, m_currentIndex, count);
        if (m_metadata.m_hWnd)
            m_metadata.FillFromImage(document);
        return;
    }
    if (clear && m_info.m_hWnd)
        m_info.Clear();
    if (m_metadata.m_hWnd)
        m_metadata.FillFromImage(nullptr);
}

LRESULT CMainFrame::OnRefreshPanesMessage(UINT, WPARAM, LPARAM, BOOL&) {
    RefreshPanes(false);
    return 0;
}

void CMainFrame::PostSelectionCount() {
    if (m_statusPosted)
        return;
    m_statusPosted = true;
    ::PostMessageA(m_hWnd, kMsgSelectionCount, 0, 0);
}

LRESULT CMainFrame::OnSelectionCount(UINT, WPARAM, LPARAM, BOOL&) {
    const int selected = m_list.m_hWnd ? ListView_GetSelectedCount(m_list.m_hWnd) : 0;
    if (m_info.m_hWnd)
        m_info.SetSelectionCount(selected);
    m_statusPosted = false;
    return 0;
}

LRESULT CMainFrame::OnListInfoTip(NMLVGETINFOTIPA* tip) {
    CFileItemList* shown = m_list.ItemSource();
    if (!tip || !shown)
        return 0;
    shown->Lock();
    const int count = shown->GetItemCount();
    char path[MAX_PATH] = "";
    const bool found = list_updates::HasInfoTip(shown->GetKind(), tip->iItem, count) &&
                       shown->GetItemPath(tip->iItem, path);
    shown->Unlock();
    if (found)
        list_updates::CopyTipText(path, tip->pszText, tip->cchTextMax);
    return 0;
}

LRESULT CMainFrame::OnImageProperties(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    // The pane describes the record just stored.
    if (document && ShowImageProperties(m_hWnd, document) == IDOK)
        RefreshPanes(false);
    return 0;
}

LRESULT CMainFrame::OnOptionsChanged(UINT, WPARAM wParam, LPARAM, BOOL&) {
    using list_updates::OptionsAction;
    const CAppOptions& options = g_applicationState.Options();
    switch (list_updates::ActionOf(static_cast<uint32_t>(wParam), m_viewMode)) {
    case OptionsAction::kSetPreviewBackground: {
        const COLORREF colour = options.explorerPreviewBackgroundColor;
        if (m_preview.m_hWnd && colour != m_preview.GetBackgroundColor())
            m_preview.SetBackgroundColor(colour, true);
        break;
    }
    case OptionsAction::kSetThumbnailBackground:
        m_list.SetBackgroundColor(options.explorerThumbnailBackgroundColor);
        m_list.Populate();
        break;
    case OptionsAction::kRebuildThumbnails: {
        // Every list that makes thumbnails is idle before the cache closes:
        // the folder preview's worker writes to it as much as the list's.
        CImageListViewCtrl::PauseAllWorkers();
        CProgramDatabases& databases = g_applicationState.Databases();
        databases.CloseThumbnailDatabase();
        databases.OpenThumbnailDatabase(true);
        m_list.CreateTileBitmap();
        m_list.SetViewMode(m_list.ViewMode());
        m_list.UpdateIconSpacing();
        CImageListViewCtrl::ResumeAllWorkers();
        break;
    }
    case OptionsAction::kUpdateSpacing:
        m_list.UpdateIconSpacing();
        break;
    case OptionsAction::kCloseFolderPreview:
        // The popup's size follows the count; it is made again at the next hover.
        m_tree.ClosePreview();
        break;
    case OptionsAction::kApplyFolderPreviewColors:
        m_tree.Preview().ApplyColors();
        break;
    case OptionsAction::kNone:
        break;
    }
    return 0;
}
