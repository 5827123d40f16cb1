// The explorer frame's notifications and list updates: the tree's selection
// filling the list, the list's focus opening the preview, activation opening
// a viewer, the address bar, the item-list changes of the application core,
// the idle pass with the command states, and the frame-command operations.
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/logic/command_states.h"
#include "explorer/logic/list_updates.h"
#include "explorer/main_frame.h"
#include "imaging/image_object.h"

using namespace explorer_settings;

namespace {

// A control's notice handed back to it, so its own reflected handlers run.
LRESULT Reflect(NMHDR* header, WPARAM wParam) {
    return ::SendMessageA(header->hwndFrom, OCM__BASE + WM_NOTIFY, wParam,
                          reinterpret_cast<LPARAM>(header));
}

} // namespace

// --- notifications -----------------------------------------------------------

LRESULT CMainFrame::OnNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) {
        handled = FALSE;
        return 0;
    }
    if (header->hwndFrom == m_tree.m_hWnd && m_tree.m_hWnd) {
        const LRESULT own = Reflect(header, wParam);
        if (header->code == TVN_SELCHANGEDA) {
            ShowTreeItem(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem);
            return 0;
        }
        return own;
    }
    if (header->hwndFrom == m_list.m_hWnd && m_list.m_hWnd)
        return OnListNotify(header, handled);
    if (header->idFrom == IDC_EXPLORER_ADDRESS && header->code == CBEN_ENDEDITA) {
        auto* edit = reinterpret_cast<NMCBEENDEDITA*>(header);
        if (edit->iWhy == CBENF_RETURN) {
            char path[MAX_PATH + 1] = "";
            lstrcpynA(path, edit->szText, MAX_PATH - 1);
            PathAddBackslashA(path);
            if (!SelectPath(path))
                ::MessageBoxA(::GetActiveWindow(), "Path not found.", "Failed!",
                              MB_OK | MB_ICONERROR);
        }
        return FALSE;
    }
    if (header->code == TBN_DROPDOWN && header->hwndFrom == m_toolBar) {
        auto* drop = reinterpret_cast<NMTOOLBARA*>(header);
        if (drop->iItem == ID_VIEW_MODE) {
            HMENU menu = ::CreatePopupMenu();
            ::AppendMenuA(menu, MF_STRING, ID_VIEW_FILMSTRIP, "Filmstrip");
            ::AppendMenuA(menu, MF_STRING, ID_VIEW_THUMBNAIL, "Thumbnail");
            ::AppendMenuA(menu, MF_STRING, ID_VIEW_LIST, "List");
            const int index =
                static_cast<int>(::SendMessageA(m_toolBar, TB_COMMANDTOINDEX, ID_VIEW_MODE, 0));
            RECT r{};
            ::SendMessageA(m_toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
            POINT corner{r.left, r.bottom};
            ::ClientToScreen(m_toolBar, &corner);
            ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, corner.x, corner.y, 0, m_hWnd, nullptr);
            ::DestroyMenu(menu);
            return TBDDRET_DEFAULT;
        }
    }
    if (header->hwndFrom == m_preview.m_hWnd && header->code == NM_DBLCLK) {
        OpenViewerOnCurrent();
        return 0;
    }
    handled = FALSE; // the command base and the docking frame
    return 0;
}

LRESULT CMainFrame::OnListNotify(NMHDR* header, BOOL& handled) {
    CFileItemList* shown = m_list.ItemSource();
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        Reflect(header, 0);
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (change->iItem < 0 || !shown || m_list.ItemCount() == 0)
            return 0;
        if (m_openOnFocus && (change->uChanged & LVIF_STATE) &&
            (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED)) {
            m_backward = change->iItem < m_currentIndex;
            m_currentIndex = change->iItem;
            OpenCurrentItem(true);
        }
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uOldState | change->uNewState) & LVIS_SELECTED))
            PostSelectionCount();
        return 0;
    }
    case LVN_ITEMACTIVATE:
        if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0)
            OpenViewerOnCurrent();
        return 0;
    case LVN_BEGINLABELEDITA:
        // Names inside an archive cannot change.
        return shown && shown->IsArchiveList() ? TRUE : FALSE;
    case LVN_ENDLABELEDITA:
        return OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(header));
    case LVN_GETINFOTIPA:
        return OnListInfoTip(reinterpret_cast<NMLVGETINFOTIPA*>(header));
    default:
        break;
    }
    // Everything else is the list's own (drag start, drawing).
    (void)handled;
    return Reflect(header, 0);
}

void CMainFrame::ShowTreeItem(HTREEITEM item) {
    PromptSaveChanges();
    HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    m_currentIndex = -1;
    UpdateCaption();
    UpdateAddressBar();
    CFolderTreeItemData* data = item ? m_tree.ItemData(item) : nullptr;
    CFileItemList* list = nullptr;
    char key[MAX_PATH] = "";
    if (data && data->kind != kTreeMyCollections) {
        if (data->kind == kTreeShellFolder) {
            if (CFolderTreeCtrl::GetItemPath(data->Pidl(), key))
                list = g_applicationState.GetFileItemList(kListFolder, key);
        } else {
            list = g_applicationState.GetFileItemList(data->kind,
                                                      reinterpret_cast<const char*>(data->data));
        }
    }
    m_preview.SetImage(nullptr, false, false, nullptr);
    m_list.Clear();
    m_list.SetItemSource(nullptr);
    m_shownPath = list && list->IsFolderList() ? key : "";
    if (!list) {
        RefreshPanes(true);
        ::SetCursor(old);
        // An archive that cannot be opened says why instead of looking empty.
        const std::string error =
            data && data->kind == kTreeArchive ? g_applicationState.TakeArchiveOpenError() : "";
        if (!error.empty())
            ShowMessageBox(error.c_str(), "Failed!", MB_ICONERROR);
        return;
    }
    if (list->IsFolderList() && !list->IsEmpty()) {
        TVITEMA tv{};
        tv.mask = TVIF_IMAGE;
        tv.hItem = item;
        TreeView_GetItem(m_tree.m_hWnd, &tv);
        AddAddressEntry(key, tv.iImage);
    }
    m_list.SetItemSource(list);
    if (m_list.ItemCount() > 0) {
        SelectListItem(0);
    } else {
        OpenCurrentItem(true);
    }
    ::SetCursor(old);
}

void CMainFrame::SelectListItem(int index) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(m_list.m_hWnd, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    ::SendMessageA(m_list.m_hWnd, LVM_SETSELECTIONMARK, 0, index);
    ::SendMessageA(m_list.m_hWnd, LVM_ENSUREVISIBLE, index, FALSE);
}

void CMainFrame::AddAddressEntry(const char* path, int image) {
    if (!m_addressBar)
        return;
    const int count = static_cast<int>(::SendMessageA(m_addressBar, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = "";
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        ::SendMessageA(m_addressBar, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (lstrcmpA(text, path) == 0)
            return;
    }
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = 0;
    item.pszText = const_cast<char*>(path);
    item.iImage = item.iSelectedImage = image;
    ::SendMessageA(m_addressBar, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

LRESULT CMainFrame::OnAddressSelChange(WORD, WORD, HWND, BOOL&) {
    const int index = static_cast<int>(::SendMessageA(m_addressBar, CB_GETCURSEL, 0, 0));
    if (index < 0)
        return 0;
    char text[MAX_PATH] = "";
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (::SendMessageA(m_addressBar, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        SelectPath(text);
    return 0;
}

void CMainFrame::UpdateCaption() {
    char text[311] = "";
    HTREEITEM item = m_tree.m_hWnd ? TreeView_GetSelection(m_tree.m_hWnd) : nullptr;
    if (item) {
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof(text);
        TreeView_GetItem(m_tree.m_hWnd, &tv);
    }
    // Cut to the caption's 260 characters, never beyond.
    char caption[260];
    std::snprintf(caption, sizeof(caption), "%s - %s", "Velmorantix XP", text);
    ::SetWindowTextA(m_hWnd, caption);
}

void CMainFrame::UpdateAddressBar() {
    if (!m_addressBar || !m_tree.m_hWnd)
        return;
    HTREEITEM item = TreeView_GetSelection(m_tree.m_hWnd);
    if (!item)
        return;
    char text[MAX_PATH] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_IMAGE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof(text);
    TreeView_GetItem(m_tree.m_hWnd, &tv);
    if (CFolderTreeItemData* data = m_tree.ItemData(item)) {
        char path[MAX_PATH] = "";
        if (data->kind == kTreeShellFolder && CFolderTreeCtrl::GetItemPath(data->Pidl(), path)) {
            lstrcpynA(text, path, MAX_PATH);
        } else if (data->kind == kTreeArchive && data->Text()) {
            lstrcpynA(text, data->Text(), MAX_PATH);
            if (char* bar = std::strchr(text, '|'))
                *bar = '\0';
        }
    }
    COMBOBOXEXITEMA edit{};
    edit.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    edit.iItem = -1;
    edit.pszText = text;
    edit.iImage = edit.iSelectedImage = tv.iImage;
    ::SendMessageA(m_addressBar, CBEM_SETITEMA, 0, reinterpret_cast<LPARAM>(&edit));
}

// --- item-list changes ---------------------------------------------------------

LRESULT CMainFrame::OnItemListChanged(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const ItemListChange* change = reinterpret_cast<const ItemListChange*>(wParam);
    if (!change)
        return 0;
    CFileItemList* shown = m_list.ItemSource();
    switch (change->code) {
    case kListChangeBatchBegin:
        if (ListView_GetSelectedCount(m_list.m_hWnd) > 1) {
            m_openOnFocus = false;
            m_batch = true;
            m_list.PauseWorker();
            ::SendMessageA(m_list.m_hWnd, WM_SETREDRAW, FALSE, 0);
        }
        return 0;
    case kListChangeBatchEnd:
        if (m_batch) {
            m_openOnFocus = true;
            m_batch = false;
            m_list.ResumeWorker();
            ::SendMessageA(m_list.m_hWnd, WM_SETREDRAW, TRUE, 0);
            m_currentIndex = m_list.GetFocusedItem();
            if (m_currentIndex != -1)
                SelectListItem(m_currentIndex);
            OpenCurrentItem(true);
        }
        return 0;
    default:
        break;
    }
    if (!shown || change->list != shown)
        return 0;
    const char* name = change->item ? change->item : "";
    switch (change->code) {
    case kListChangeAdded: {
        shown->Lock();
        const int index = shown->FindItem(name);
        bool inserted = false;
        if (index >= 0) {
            LVFINDINFOA find{};
            find.flags = LVFI_STRING;
            find.psz = name;
            const bool present =
                shown->IsFolderList() &&
                ::SendMessageA(m_list.m_hWnd, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(&find)) >= 0;
            if (!present) {
                m_list.InsertItem(index);
                inserted = true;
            }
        }
        shown->Unlock();
        if (inserted) {
            if (m_currentIndex >= 0)
                RefreshPanes(false);
            else if (m_list.ItemCount() > 0)
                SelectListItem(0);
        }
        return 0;
    }
    case kListChangeRemoved: {
        shown->Lock();
        LVFINDINFOA find{};
        find.flags = LVFI_STRING;
        const std::string label = list_updates::LabelOfNoticeName(shown->GetKind(), name);
        find.psz = label.c_str();
        const int item =
            static_cast<int>(::SendMessageA(m_list.m_hWnd, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(&find)));
        if (item >= 0) {
            if (m_batch) {
                m_list.DeleteItem(item);
            } else {
                m_openOnFocus = false;
                m_list.DeleteItem(item);
                m_openOnFocus = true;
                m_currentIndex = m_list.GetFocusedItem();
            }
        }
        shown->Unlock();
        if (item >= 0 && !m_batch) {
            if (m_currentIndex == -1)
                OpenCurrentItem(true);
            else
                m_list.SelectItem(m_currentIndex, true);
            RefreshPanes(false);
        }
        return 0;
    }
    case kListChangeRenamed: {
        shown->Lock();
        const int index = shown->FindItem(name);
        if (index >= 0)
            m_list.UpdateItemText(index);
        shown->Unlock();
        if (index >= 0 && index == m_currentIndex)
            RefreshPanes(false);
        return 0;
    }
    case kListChangeFolderRenamed:
        UpdateCaption();
        UpdateAddressBar();
        return 0;
    case kListChangeFolderRemoved:
        OpenCurrentItem(true);
        return 0;
    case kListChangeFileChanged: {
        // The index is looked up under the list's lock, which is left before
        // the thumbnail is made again: making it waits for the worker, and
        // the worker may be waiting for this very lock.
        shown->Lock();
        const int index = shown->FindItem(name);
        shown->Unlock();
        if (index < 0)
            return 0;
        m_list.InvalidateThumbnail(index);
        if (index == m_currentIndex)
            OpenCurrentItem(false);
        return 0;
    }
    case kListChangeRefilled:
        m_list.Populate();
        if (CImageObject* document = GetDocument()) {
            const std::string name = list_updates::ReselectName(shown->GetKind(), document->path);
            LVFINDINFOA find{};
            find.flags = LVFI_STRING;
            find.psz = name.c_str();
            const int item = static_cast<int>(::SendMessageA(m_list.m_hWnd, LVM_FINDITEMA,
                                                             static_cast<WPARAM>(-1),
                                                             reinterpret_cast<LPARAM>(&find)));
            if (item >= 0)
                m_list.SelectItem(item, true);
        }
        return 0;
    case kListChangeResultEmptied:
        m_currentIndex = -1;
        m_preview.SetImage(nullptr, false, false, nullptr);
        RefreshPanes(true);
        // Shown again from its now empty items, so no stale thumbnail stays.
        shown->AddRef();
        m_list.SetItemSource(shown);
        return 0;
    default:
        return 0;
    }
}

LRESULT CMainFrame::OnDecodeProgress(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_preview.m_hWnd)
        ::SendMessageA(m_preview.m_hWnd, kMsgDecodeStarted, 0, 0);
    RefreshPanes(false);
    return 0;
}

LRESULT CMainFrame::OnDecodeDone(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_preview.m_hWnd)
        ::SendMessageA(m_preview.m_hWnd, kMsgDecodeEnded, 0, 0);
    UpdateToolBar();
    return 0;
}

// --- commands --------------------------------------------------------------------

LRESULT CMainFrame::OnViewModeCommand(WORD, WORD id, HWND, BOOL&) {
    SetViewMode(id - ID_VIEW_FILMSTRIP + 1);
    return 0;
}

LRESULT CMainFrame::OnTogglePane(WORD, WORD id, HWND, BOOL&) {
    const int pane = id == ID_VIEW_FOLDERS_PANE    ? kFolders
                     : id == ID_VIEW_METADATA_PANE ? kMetadata
                     : id == ID_VIEW_CONTENTS_PANE ? kContents
                                                   : kProperties;
    m_panes[pane].ToggleVisible();
    return 0;
}

LRESULT CMainFrame::OnToggleBand(WORD, WORD id, HWND, BOOL&) {
    bool& flag = id == ID_VIEW_TOOLBAR ? m_settings.showToolbar : m_settings.showAddressBar;
    flag = !flag;
    ShowBand(id == ID_VIEW_TOOLBAR ? ID_BAND_EXPLORER_TOOLBAR : ID_BAND_EXPLORER_ADDRESS,
             flag ? TRUE : FALSE);
    UISetCheck(id, flag ? 1 : 0);
    UpdateLayout();
    return 0;
}

LRESULT CMainFrame::OnCloseCommand(WORD, WORD, HWND, BOOL&) {
    ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CMainFrame::OnOpenViewer(WORD, WORD id, HWND, BOOL&) {
    if (m_currentIndex < 0 || !m_list.ItemSource())
        return 0;
    ReloadModifiedDocument();
    const CAppOptions& options = g_applicationState.Options();
    g_applicationState.OpenViewerOnItem(m_list.ItemSource(), m_currentIndex,
                                        options.viewerBackgroundClr, options.viewerFullscreen,
                                        id == ID_FILE_NEW_VIEWER);
    return 0;
}

LRESULT CMainFrame::OnOptions(WORD, WORD, HWND, BOOL&) {
    g_applicationState.ShowOptionsSheet();
    return 0;
}

void CMainFrame::OpenViewerOnCurrent() {
    BOOL handled = TRUE;
    OnOpenViewer(0, ID_FILE_OPEN_VIEWER, nullptr, handled);
}

// --- the message filter, the idle pass and command states ---------------------

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    PassToTwain(msg);
    if (msg->message == WM_KEYDOWN) {
        if (msg->hwnd == m_preview.m_hWnd || ::IsChild(m_preview.m_hWnd, msg->hwnd)) {
            ::SendMessageA(m_hWnd, WM_KEYDOWN, msg->wParam, msg->lParam);
            return TRUE;
        }
        if (msg->hwnd == m_list.m_hWnd) {
            if (msg->wParam == VK_TAB && m_addressBar) {
                ::SetFocus(m_addressBar);
                return TRUE;
            }
            if (msg->wParam == VK_DELETE) {
                ::SendMessageA(m_hWnd, WM_COMMAND, ID_FILE_DELETE, 0);
                return TRUE;
            }
        }
        if (msg->hwnd == m_tree.m_hWnd && msg->wParam == VK_TAB) {
            ::SetFocus(m_list.m_hWnd);
            return TRUE;
        }
        if (m_addressBar && msg->wParam == VK_TAB &&
            (msg->hwnd == m_addressBar || ::IsChild(m_addressBar, msg->hwnd))) {
            ::SetFocus(m_tree.m_hWnd);
            return TRUE;
        }
    }
    if (!m_active || !m_hAccel)
        return FALSE;
    return CFrameWindowImplBase::PreTranslateMessage(msg);
}

BOOL CMainFrame::OnIdle() {
    NoteFocus();
    if (m_hasPendingAutoHide && ::IsWindowVisible(m_hWnd))
        SendPendingAutoHide();
    // The states first, so this pass already puts them on the toolbar.
    UpdateUIState();
    UIUpdateToolBar();
    for (int pane = 0; pane < kPaneCount; ++pane) {
        CTabDockingWindow& w = m_panes[pane];
        if (!w.m_hWnd)
            continue;
        if (w.IsVisible() || ::IsWindowVisible(w.m_hWnd) ||
            (w.Host() && ::IsWindowVisible(w.Host())))
            w.GetPlacement(m_settings.panes[pane]);
    }
    return FALSE;
}

void CMainFrame::UpdateUIState() {
    using namespace explorer_commands;
    CommandContext c;
    CFileItemList* shown = m_list.ItemSource();
    CImageObject* document = GetDocument();
    const HWND focus = ::GetFocus();
    c.selected = m_list.m_hWnd ? ListView_GetSelectedCount(m_list.m_hWnd) : 0;
    c.document = document != nullptr;
    if (document) {
        c.metafile = document->metafile != nullptr;
        c.bitsPerPixel = document->bitsPerPixel;
        c.pages = document->FrameCount() + 1;
        c.decoded = document->IsFullyLoaded();
        c.modified = document->modified;
        c.grayPalette = document->IsGrayscalePalette();
    }
    c.listShown = shown != nullptr;
    c.kind = shown ? shown->GetKind() : -1;
    c.listFocused = focus == m_list.m_hWnd;
    c.treeFocused = focus == m_tree.m_hWnd;
    c.hotTrack = g_applicationState.Options().explorerHotTrack;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version)) {
        c.osMajor = static_cast<int>(version.dwMajorVersion);
        c.osMinor = static_cast<int>(version.dwMinorVersion);
    }
    c.viewMode = m_viewMode;
    c.showPreview = m_settings.showPreview;
    auto paneShown = [&](int pane) {
        CTabDockingWindow& w = m_panes[pane];
        return w.m_hWnd && (w.IsVisible() || (w.Host() && ::IsWindowVisible(w.Host())));
    };
    c.foldersShown = paneShown(kFolders);
    c.propertiesShown = paneShown(kProperties);
    c.metadataShown = paneShown(kMetadata);
    c.contentsShown = paneShown(kContents);
    c.pageIndex = m_pageIndex;
    if (shown) {
        shown->Lock();
        c.sortKey = shown->sortBy;
        c.sortOrder = shown->sortOrder;
        shown->Unlock();
    }
    HTREEITEM selected = m_tree.m_hWnd ? TreeView_GetSelection(m_tree.m_hWnd) : nullptr;
    c.treeItemHasParent = selected && TreeView_GetParent(m_tree.m_hWnd, selected);
    c.historyCount = static_cast<int>(m_tree.History().size());
    c.historyPosition = static_cast<int>(m_tree.HistoryPosition());
    c.viewerCount = static_cast<int>(g_applicationState.ViewerWindows().size());
    for (int i = 0; i < kStateCommandCount; ++i) {
        const CommandState state = StateOf(kStateCommands[i], c);
        UIEnable(kStateCommands[i], state.enabled);
        UISetCheck(kStateCommands[i], state.checked ? 1 : 0);
    }
    // Commands whose handlers come with the explorer's file, edit and view
    // commands stay disabled until then.
    // clang-format off
    static const int kNotYet[] = {
        ID_FILE_CONVERT,
    };
    // clang-format on
    for (int command : kNotYet)
        UIEnable(command, FALSE);
}

// --- CFrameCommands ---------------------------------------------------------------

CImageObject* CMainFrame::GetDocument() {
    return m_preview.m_hWnd ? m_preview.GetImage() : nullptr;
}

CImageObject* CMainFrame::GetCurrentImage() {
    CImageObject* document = GetDocument();
    return m_pageIndex == 0 ? document : nullptr;
}

void CMainFrame::ShowDocument(CImageObject* image, bool keepView) {
    m_preview.SetImage(image, g_applicationState.Options().explorerCacheBehind, keepView, nullptr);
    RefreshPanes(false);
}

void CMainFrame::OpenCurrentItem(bool askToSave) {
    if (askToSave)
        PromptSaveChanges();
    m_preview.SetSelectionMode(false);
    CFileItemList* shown = m_list.ItemSource();
    const int count = shown ? m_list.ItemCount() : 0;
    m_currentIndex = count > 0 ? std::max(0, std::min(m_currentIndex, count - 1)) : -1;
    if (m_currentIndex < 0) {
        m_preview.SetImage(nullptr, false, false, nullptr);
        RefreshPanes(true);
        return;
    }
    int width = 1, height = 1;
    double zoom = 0;
    if (m_settings.showPreview)
        m_preview.GetZoom(zoom, width, height);
    m_pageIndex = 0;
    CImageObject* image =
        g_applicationState.OpenListImage(shown, m_currentIndex, width, height, zoom);
    ShowDocument(image, false);
    ::PostMessageA(m_list.m_hWnd, kMsgListMakeVisibleFirst, 0, 0);
}

bool CMainFrame::IsPreloadEnabled() {
    return g_applicationState.Options().explorerPreload;
}

void CMainFrame::GetSelectedIndexes(std::vector<int>& indexes) {
    m_list.GetSelectedIndices(&indexes);
}

bool CMainFrame::NeedsSaveConfirmation() {
    return g_applicationState.Options().explorerSaveConfirmation;
}

void CMainFrame::UpdateToolBar() {
    UIUpdateToolBar();
    UpdateUIState();
}

void CMainFrame::UpdateTitle() {
    RefreshPanes(false);
}

void CMainFrame::SyncToPath(const char* path) {
    CImageObject* document = GetDocument();
    CFileItemList* shown = m_list.ItemSource();
    if (!path || !shown || (document && lstrcmpiA(document->path, path) == 0))
        return;
    m_currentIndex = shown->FindPath(path);
    OpenCurrentItem(false);
}

void CMainFrame::GetViewArea(int& width, int& height, double& zoom) {
    m_preview.GetZoom(zoom, width, height);
}
