#include "explorer/folder_preview.h"

#include <shlwapi.h>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/folder_tree_ctrl.h"
#include "explorer/logic/folder_rules.h"

namespace {

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool CtrlDown() {
    return ::GetKeyState(VK_CONTROL) < 0;
}

// Folders on removable drives are not read just to preview them: the drive
// may spin up or ask for a disk.
bool OnRemovableDrive(const char* path) {
    char root[4] = {path[0], ':', '\\', 0};
    return path[0] != 0 && path[1] == ':' && ::GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

} // namespace

void CFolderPreview::SetEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        Close();
    else if (m_tree.m_hWnd)
        Track();
}

void CFolderPreview::Close() {
    m_popup.Hide();
    m_popup.SetItemSource(nullptr);
    m_previewed = nullptr;
}

void CFolderPreview::Hide() {
    m_popup.Hide();
}

void CFolderPreview::Track() {
    TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, m_tree.m_hWnd,
                          g_applicationState.Options().folderPreviewHoverTime};
    ::TrackMouseEvent(&track);
}

HTREEITEM CFolderPreview::ItemAt(POINT client) const {
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_tree.m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item && (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON))
               ? item
               : nullptr;
}

void CFolderPreview::ShowForPoint(POINT client) {
    if (!m_enabled || !m_tree.m_hWnd)
        return;
    const CAppOptions& options = g_applicationState.Options();
    if (!FolderPreviewAllowed(options.folderPreviewActivate, options.folderPreviewCtrlActivate,
                              CtrlDown())) {
        Hide();
        return;
    }
    HTREEITEM item = ItemAt(client);
    if (!item || item == TreeView_GetSelection(m_tree.m_hWnd))
        return;
    const CFolderTreeItemData* data = m_tree.ItemData(item);
    if (!data)
        return;
    int kind = data->kind;
    char path[MAX_PATH] = "";
    const char* key = nullptr;
    if (kind == kTreeFavorites) {
        kind = kListFavorites;
        key = reinterpret_cast<const char*>(data->data); // the id in the key's place
    } else if (kind == kTreeShellFolder) {
        if (!m_tree.GetItemPathOf(item, path) || !::PathIsDirectoryA(path) ||
            OnRemovableDrive(path)) {
            Hide();
            return;
        }
        kind = kListFolder;
        key = path;
    } else {
        return;
    }
    if (!m_popup.m_hWnd && !m_popup.Create(::GetAncestor(m_tree.m_hWnd, GA_ROOT)))
        return;
    if (item != m_previewed || !m_popup.List().ItemSource()) {
        const int most = static_cast<int>(options.folderPreviewThumbnails);
        CFileItemList* list = g_applicationState.ListFirstItems(kind, key, most);
        if (!list || list->IsEmpty()) {
            if (list)
                g_applicationState.ReleaseFileItemList(list);
            Hide();
            return;
        }
        m_popup.SetItemSource(list);
    }
    POINT cursor = client;
    ::ClientToScreen(m_tree.m_hWnd, &cursor);
    int width = 0, height = 0;
    m_popup.GetPreferredSize(&width, &height);
    HDC screen = ::GetDC(nullptr);
    const int screenWidth = ::GetDeviceCaps(screen, HORZRES);
    const int screenHeight = ::GetDeviceCaps(screen, VERTRES);
    ::ReleaseDC(nullptr, screen);
    const PreviewPlacement at =
        PlaceFolderPreview(cursor.x, cursor.y, width, height, screenWidth, screenHeight);
    m_popup.ShowAt(at.x, at.y);
    m_previewed = item;
}

LRESULT CFolderPreview::OnKey(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (!m_enabled || wParam != VK_CONTROL)
        return 0;
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_tree.m_hWnd, &cursor);
    // A preview shown by Ctrl may be for the folder already previewed, which
    // only moves; one hidden by Ctrl shows again when Ctrl lets it.
    ShowForPoint(cursor);
    return 0;
}

LRESULT CFolderPreview::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    if (!m_enabled)
        return 0;
    const POINT client = PointOf(lParam);
    if (m_previewed && ItemAt(client) == m_previewed)
        Track();
    else
        ::PostMessageA(m_tree.m_hWnd, kMsgTreeHidePreview, 0, 0);
    return 0;
}

LRESULT CFolderPreview::OnMouseHover(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    if (!m_enabled)
        return 0;
    ShowForPoint(PointOf(lParam));
    Track();
    return 0;
}

LRESULT CFolderPreview::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (m_enabled)
        Hide();
    return 0;
}

LRESULT CFolderPreview::OnScroll(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    // The folder under the pointer changes with the scroll; the next hover
    // shows the one that is there then.
    if (m_enabled && m_popup.IsShown()) {
        Hide();
        m_previewed = nullptr;
    }
    return 0;
}

LRESULT CFolderPreview::OnHidePreview(UINT, WPARAM, LPARAM, BOOL&) {
    Hide();
    m_previewed = nullptr;
    if (m_enabled)
        Track();
    return 0;
}

LRESULT CFolderPreview::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    Close();
    if (m_popup.m_hWnd)
        m_popup.DestroyWindow();
    return 0;
}

LRESULT CFolderPreview::OnSelChanged(int, LPNMHDR, BOOL& handled) {
    handled = FALSE;
    Close();
    return 0;
}
