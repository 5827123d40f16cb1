// The explorer frame's file, edit and view commands: delete, copy, cut and
// paste between the folder tree and the thumbnail list, a new folder, a
// clipboard picture pasted as a new file, extraction from a zip list,
// selection, sorting, refresh, paging, the preview and hot-track switches,
// viewers and the slide show over the folder, its subfolders or the
// collections, and the two context menus. File work goes through the
// application core's operations, which announce every change to the lists.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/file_item_list.h"
#include "app/image_saving.h"
#include "catalog/btree_index.h"
#include "catalog/program_databases.h"
#include "explorer/drag_drop.h"
#include "explorer/logic/file_commands.h"
#include "explorer/main_frame.h"
#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "ui/wait_cursor.h"
#include "viewer/image_frame.h"
#include "viewer/viewer_dialogs.h"

using namespace explorer_file_commands;

namespace {

const char kCaption[] = "Velmorantix XP";

// Builds a popup menu of entries; submenus are appended to `owned` so that
// they live until the menu has been tracked.
HMENU BuildMenu(const std::vector<MenuEntry>& entries, std::vector<HMENU>* owned) {
    HMENU menu = ::CreatePopupMenu();
    for (const MenuEntry& e : entries) {
        if (e.submenu != Submenu::None) {
            const std::vector<MenuEntry> inner =
                e.submenu == Submenu::RotateCanvas ? RotateCanvasMenu() : SortByMenu();
            HMENU sub = BuildMenu(inner, owned);
            owned->push_back(sub);
            ::AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), e.text);
        } else if (e.id == 0) {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(e.id), e.text);
        }
    }
    return menu;
}

// Tracks a menu and frees it with its submenus afterwards.
void TrackAndDestroy(HMENU menu, std::vector<HMENU>& owned, POINT at, HWND owner) {
    if (::GetMenuItemCount(menu) > 0)
        ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    // Destroying the top menu destroys the submenus attached to it.
    ::DestroyMenu(menu);
    owned.clear();
}

// The folders of My Collections in key order.
std::vector<std::string> CollectionFolders() {
    std::vector<std::string> folders;
    CBTreeIndex* collections = g_applicationState.Databases().collections;
    if (!collections)
        return folders;
    plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
    if (CBTreeCursor* cursor = collections->NewCursor(false)) {
        for (bool on = cursor->First(); on; on = cursor->Next()) {
            char raw[MAX_PATH + 1] = "";
            DbBuffer key = DbBuffer::Out(raw, MAX_PATH);
            if (!cursor->GetKey(&key))
                continue;
            raw[std::min<uint32_t>(key.length, MAX_PATH)] = '\0';
            folders.push_back(raw);
        }
        collections->ReleaseCursor(cursor);
    }
    return folders;
}

bool NtFamily() {
    return g_applicationState.VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

// --- the command target ---------------------------------------------------------

void CMainFrame::NoteFocus() {
    const HWND focus = ::GetFocus();
    if (focus && (focus == m_tree.m_hWnd || focus == m_list.m_hWnd))
        m_lastFocused = focus;
}

bool CMainFrame::TreeIsTarget() {
    NoteFocus();
    const HWND focus = ::GetFocus();
    return CommandTarget(focus == m_tree.m_hWnd, focus == m_list.m_hWnd,
                         m_lastFocused == m_tree.m_hWnd) == Target::Tree;
}

std::string CMainFrame::SelectedTreeFolder() {
    if (!m_tree.m_hWnd)
        return {};
    HTREEITEM item = TreeView_GetSelection(m_tree.m_hWnd);
    const CFolderTreeItemData* data = item ? m_tree.ItemData(item) : nullptr;
    char path[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !m_tree.GetItemPathOf(item, path) ||
        !PathIsDirectoryA(path))
        return {};
    return path;
}

// --- delete, copy, cut, paste and new folder ------------------------------------

LRESULT CMainFrame::OnDeleteCommand(WORD, WORD, HWND, BOOL&) {
    if (TreeIsTarget())
        ::SendMessageA(m_hWnd, WM_COMMAND, ID_TREE_DELETE, 0);
    else
        ::SendMessageA(m_hWnd, WM_COMMAND, ID_EDIT_DELETE_ITEMS, 0);
    return 0;
}

LRESULT CMainFrame::OnTreeDelete(WORD, WORD id, HWND, BOOL&) {
    // The tree's own commands act on its current item.
    if (m_tree.m_hWnd)
        ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, id, 0);
    return 0;
}

LRESULT CMainFrame::OnTreeNewFolder(WORD, WORD id, HWND, BOOL&) {
    if (m_tree.m_hWnd)
        ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, id, 0);
    return 0;
}

LRESULT CMainFrame::OnCopyCut(WORD, WORD id, HWND, BOOL&) {
    if (TreeIsTarget()) {
        if (m_tree.m_hWnd)
            ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, id, 0);
        return 0;
    }
    if (m_list.ItemSource() && !m_list.CopySelectionToClipboard(id == ID_EDIT_COPY))
        ShowMessageBox("Cannot put the files on the clipboard.", "Failed!", MB_OK | MB_ICONERROR);
    return 0;
}

LRESULT CMainFrame::OnPaste(WORD, WORD, HWND, BOOL&) {
    // A picture on the clipboard becomes a new file; files and folders go
    // to the tree, which pastes them into its folder or favorites folder.
    if (TryPasteImage())
        return 0;
    if (m_tree.m_hWnd)
        ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, ID_EDIT_PASTE, 0);
    return 0;
}

bool CMainFrame::TryPasteImage() {
    const std::string folder = SelectedTreeFolder();
    if (folder.empty())
        return false;
    if (!::OpenClipboard(m_hWnd))
        return false;
    const bool hasImage = ::IsClipboardFormatAvailable(CF_DIB) != FALSE;
    ::CloseClipboard();
    return hasImage && PasteImageFromClipboard(folder.c_str());
}

bool CMainFrame::PasteImageFromClipboard(const char* folder) {
    if (!::OpenClipboard(m_hWnd))
        return false;
    HANDLE data = ::IsClipboardFormatAvailable(CF_DIB) ? ::GetClipboardData(CF_DIB) : nullptr;
    if (!data) {
        ::CloseClipboard();
        ShowMessageBox("Clipboard does not contain any image.", kCaption,
                       MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const CAppOptions& options = g_applicationState.Options();
    std::string written;
    bool readable = false;
    CImageObject* image = new CImageObject();
    const SIZE_T size = ::GlobalSize(data);
    const void* bits = size > 0 && size <= 0x7FFFFFFF ? ::GlobalLock(data) : nullptr;
    if (bits) {
        CByteStream stream;
        stream.AttachReadOnly(bits, static_cast<uint32_t>(size));
        CBmpReader reader;
        readable = reader.ReadFromStream(stream, image, false);
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    if (!readable) {
        ShowMessageBox("The picture on the clipboard cannot be read.", "Failed!",
                       MB_OK | MB_ICONERROR);
    } else {
        const std::string target = folder && *folder ? folder : options.outputSettingFilenamePath;
        const int type =
            FileTypeFromSaveFormatIndex(static_cast<int>(options.outputSettingEncoderType));
        const std::string path = ClipboardImagePath(
            target, options.outputSettingFilenamePrefix, options.outputSettingSequenceStartAt,
            GetImageFileTypeExtension(type),
            [](const std::string& p) { return PathFileExistsA(p.c_str()) != FALSE; });
        if (path.empty() ||
            !image_saving::WriteImageFile(path.c_str(), image, false, false, m_hWnd)) {
            const std::string text =
                "Cannot save the picture in \"" + target + "\". The folder may be read-only.";
            ShowMessageBox(text.c_str(), "Failed!", MB_OK | MB_ICONERROR);
        } else {
            written = path;
        }
    }
    image->Release();
    if (!written.empty())
        SelectPath(written.c_str());
    if (m_list.m_hWnd)
        ::SetFocus(m_list.m_hWnd);
    return true;
}

// --- selection, extraction, sorting and refresh ------------------------------------

LRESULT CMainFrame::OnSelectAll(WORD, WORD, HWND, BOOL&) {
    if (!m_list.m_hWnd)
        return 0;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    ::SendMessageA(m_list.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&state));
    ::SetFocus(m_list.m_hWnd);
    return 0;
}

LRESULT CMainFrame::OnInvertSelection(WORD, WORD, HWND, BOOL&) {
    if (!m_list.m_hWnd)
        return 0;
    m_list.InvertSelection();
    ::SetFocus(m_list.m_hWnd);
    return 0;
}

LRESULT CMainFrame::OnExtract(WORD, WORD, HWND, BOOL&) {
    CFileItemList* list = m_list.ItemSource();
    const CArchiveLocation* location = list ? list->GetArchiveLocation() : nullptr;
    if (!location || !location->tempFolder)
        return 0;
    std::vector<int> indexes;
    GetSelectedIndexes(indexes);
    if (indexes.empty())
        return 0;
    IFileDialogs* dialogs = g_applicationState.FileDialogs();
    std::string folder = g_applicationState.Options().explorerHomeFolder;
    if (!dialogs || !dialogs->BrowseForFolder(m_hWnd, "Extract", &folder) || folder.empty())
        return 0;
    CWaitCursor wait;
    std::vector<std::string> entries;
    list->Lock();
    for (int index : indexes)
        if (index >= 0 && index < list->GetItemCount())
            entries.push_back(location->innerPath + list->GetItem(index));
    list->Unlock();
    for (const std::string& entry : entries) {
        plat::ScopedLock guard(location->tempFolder->lock);
        // A failed entry is reported by the extraction; the next one follows.
        g_applicationState.ExtractArchiveEntry(&location->tempFolder->archive, entry.c_str(),
                                               folder.c_str(), false, true);
    }
    return 0;
}

LRESULT CMainFrame::OnRefresh(WORD, WORD, HWND, BOOL&) {
    CFileItemList* list = m_list.ItemSource();
    if (!NtFamily() && TreeIsTarget()) {
        if (HTREEITEM item = TreeView_GetSelection(m_tree.m_hWnd))
            m_tree.FillChildren(item, true);
        return 0;
    }
    if (list && list->IsFolderList()) {
        CWaitCursor wait;
        const std::string folder = list->GetFolder();
        g_applicationState.RefreshFileItemList(folder.c_str());
        OpenCurrentItem(false);
    }
    return 0;
}

// --- view switches and paging ---------------------------------------------------------

LRESULT CMainFrame::OnPreviewPane(WORD, WORD, HWND, BOOL&) {
    if (m_viewMode != 2)
        return 0;
    m_settings.showPreview = !m_settings.showPreview;
    if (m_settings.showPreview) {
        m_splitter.SetSinglePaneMode(-1);
    } else {
        m_splitter.SetSinglePaneMode(1);
        m_splitter.SetActivePane(1);
    }
    return 0;
}

LRESULT CMainFrame::OnHotTrack(WORD, WORD, HWND, BOOL&) {
    CAppOptions& options = g_applicationState.Options();
    options.explorerHotTrack = !options.explorerHotTrack;
    if (!m_list.m_hWnd)
        return 0;
    if (options.explorerHotTrack) {
        ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_TRACKSELECT, LVS_EX_TRACKSELECT);
        ::SendMessageA(m_list.m_hWnd, LVM_SETHOVERTIME, 0, 1);
    } else {
        ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_TRACKSELECT, 0);
    }
    return 0;
}

LRESULT CMainFrame::OnPageCommand(WORD, WORD id, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    if (!document)
        return 0;
    const int next =
        StepPage(m_pageIndex, document->FrameCount(), id == ID_VIEW_NEXT_PAGE ? 1 : -1);
    if (next == m_pageIndex)
        return 0;
    m_pageIndex = next;
    m_preview.GetCanvas().SetFrameIndex(next);
    m_preview.UpdateLayout(true);
    ::InvalidateRect(m_preview.GetCanvas().m_hWnd, nullptr, FALSE);
    UpdateCaption();
    return 0;
}

LRESULT CMainFrame::OnJumpToTarget(WORD, WORD, HWND, BOOL&) {
    if (CImageObject* document = GetDocument())
        SelectPath(document->path);
    return 0;
}

LRESULT CMainFrame::OnGoCommand(WORD, WORD id, HWND, BOOL&) {
    if (id == ID_GO_ADDRESS_BAR) {
        if (m_addressBar && ::IsWindowVisible(m_addressBar))
            ::SetFocus(m_addressBar);
    } else if (id == ID_GO_HOME_FOLDER) {
        ::SetFocus(m_tree.m_hWnd);
        SelectPath(g_applicationState.Options().explorerHomeFolder);
    }
    return 0;
}

// --- viewers and the slide show ----------------------------------------------------------

void CMainFrame::ReloadModifiedDocument() {
    CImageObject* document = GetDocument();
    if (PromptSaveChanges() || !document || !document->modified)
        return;
    // The viewer must not see edits the user declined to save.
    CImageObject* fresh = g_applicationState.OpenImage(document->path, -1, -1, 0);
    if (fresh)
        ShowDocument(fresh, false);
}

LRESULT CMainFrame::OnOpenNewViewers(WORD, WORD, HWND, BOOL&) {
    CFileItemList* list = m_list.ItemSource();
    if (!list)
        return 0;
    ReloadModifiedDocument();
    std::vector<int> indexes;
    GetSelectedIndexes(indexes);
    const CAppOptions& options = g_applicationState.Options();
    for (int index : indexes)
        g_applicationState.OpenViewerOnItem(list, index, options.viewerBackgroundClr,
                                            options.viewerFullscreen, true);
    return 0;
}

LRESULT CMainFrame::OnSlideShow(WORD, WORD, HWND, BOOL&) {
    CFileItemList* shown = m_list.ItemSource();
    HTREEITEM selected = m_tree.m_hWnd ? TreeView_GetSelection(m_tree.m_hWnd) : nullptr;
    const CFolderTreeItemData* data = selected ? m_tree.ItemData(selected) : nullptr;
    const bool collectionsRoot = data && data->kind == kTreeMyCollections;
    const SlideShowScopes scopes =
        SlideShowScopesFor(collectionsRoot, shown != nullptr, shown ? shown->GetKind() : -1);
    if (!scopes.Any())
        return 0;
    CSlideShowOptionsDialog dialog;
    for (int i = 0; i < 3; ++i)
        dialog.playAvailable[i] = scopes.available[i];
    if (!dialog.playAvailable[dialog.playScope])
        dialog.playScope = collectionsRoot ? 2 : 0;
    if (dialog.DoModal() != IDOK)
        return 0;
    CWaitCursor wait;
    CImageFrame* viewer = nullptr;
    if (dialog.playScope == 0 && !collectionsRoot) {
        if (!shown || m_list.ItemCount() == 0) {
            ShowMessageBox("No image in the current folder.", nullptr, MB_OK | MB_ICONINFORMATION);
            return 0;
        }
        ReloadModifiedDocument();
        viewer = g_applicationState.OpenViewerOnItem(shown, m_currentIndex < 0 ? 0 : m_currentIndex,
                                                     dialog.backgroundColor, dialog.fullScreen != 0,
                                                     true);
    } else {
        CFileItemList* result = g_applicationState.NewSearchResultList();
        if (!result)
            return 0;
        if (collectionsRoot) {
            for (const std::string& folder : CollectionFolders())
                if (PathIsDirectoryA(folder.c_str()))
                    g_applicationState.CollectImagesRecursive(folder.c_str(), result);
        } else if (shown && shown->IsFolderList()) {
            g_applicationState.CollectImagesRecursive(shown->GetFolder(), result);
        }
        if (result->GetItemCount() == 0)
            ShowMessageBox("No image in the current and subfolder(s).", nullptr,
                           MB_OK | MB_ICONINFORMATION);
        else
            viewer = g_applicationState.OpenViewerOnItem(result, 0, dialog.backgroundColor,
                                                         dialog.fullScreen != 0, true);
        g_applicationState.ReleaseFileItemList(result);
    }
    if (!viewer)
        return 0;
    viewer->m_slideShowSequence = dialog.sequence;
    viewer->m_slideShowDelay = static_cast<int>(dialog.delay * 1000.0);
    viewer->m_slideShowRepeat = dialog.repeat != 0;
    ::SendMessageA(viewer->m_hWnd, WM_COMMAND, ID_ZOOM_TYPE_SHRINK, 0);
    viewer->StartSlideShow();
    return 0;
}

// --- context menus ------------------------------------------------------------------------

LRESULT CMainFrame::OnListRightClick(int, LPNMHDR header, BOOL&) {
    // The states and the last focused control are brought up to date first.
    OnIdle();
    CFileItemList* shown = m_list.ItemSource();
    POINT at{};
    ::GetCursorPos(&at);
    auto* item = reinterpret_cast<NMITEMACTIVATE*>(header);
    const bool onItem = item && item->iItem >= 0;
    std::vector<MenuEntry> entries =
        ListContextMenu(shown ? shown->GetKind() : -1, onItem, NtFamily());
    if (shown && shown->IsArchiveList())
        entries.erase(
            std::remove_if(entries.begin(), entries.end(),
                           [](const MenuEntry& e) { return e.submenu == Submenu::RotateCanvas; }),
            entries.end());
    std::vector<HMENU> owned;
    HMENU menu = BuildMenu(entries, &owned);
    TrackAndDestroy(menu, owned, at, m_hWnd);
    return 0;
}

LRESULT CMainFrame::OnTreeRefresh(WORD, WORD id, HWND, BOOL&) {
    if (m_tree.m_hWnd)
        ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, id, 0);
    return 0;
}

LRESULT CMainFrame::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == static_cast<LPARAM>(-1))
        ::GetCursorPos(&at);
    const HWND under = ::WindowFromPoint(at);
    CImageObject* document = GetDocument();
    std::vector<MenuEntry> entries;
    const bool overPreview =
        m_preview.m_hWnd && (under == m_preview.m_hWnd || ::IsChild(m_preview.m_hWnd, under));
    const bool overInfo = m_infoPane && (under == m_infoPane || ::IsChild(m_infoPane, under));
    if (overPreview && document) {
        entries = PreviewContextMenu(m_preview.IsSelectionMode(), m_preview.HasSelection(),
                                     document->FrameCount() + 1);
    } else if (overInfo && document) {
        MenuEntry properties;
        properties.id = ID_IMAGE_PROPERTIES;
        properties.text = "Properties";
        entries.push_back(properties);
    } else {
        handled = FALSE;
        return 0;
    }
    std::vector<HMENU> owned;
    HMENU menu = BuildMenu(entries, &owned);
    TrackAndDestroy(menu, owned, at, m_hWnd);
    return 0;
}
