// The folder tree's own file commands: New Folder, Delete to the recycle
// bin, Rename by label edit, Copy and Cut onto the OLE clipboard, and the
// paste or drop of files, folders and zip entries into a folder. Folders go
// through the shell's file operations, files through the application's; the
// notification window hears of each operation, and the tree brings its own
// items up to date through its private messages.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/file_item_list.h"
#include "explorer/drag_drop.h"
#include "explorer/drop_formats.h"
#include "explorer/folder_tree_ctrl.h"
#include "explorer/logic/folder_rules.h"
#include "explorer/logic/tree_rules.h"
#include "ui/wait_cursor.h"

using namespace explorer_tree_rules;

namespace {

LPITEMIDLIST ParseShellPath(const char* path) {
    IShellFolder* desktop = nullptr;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) ||
        FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, nullptr)))
        pidl = nullptr;
    desktop->Release();
    return pidl;
}

std::string Join(const std::string& folder, const std::string& name) {
    char path[MAX_PATH];
    if (!PathCombineA(path, folder.c_str(), name.c_str()))
        return {};
    return path;
}

// The folder part and the name of a path ("C:\a\b" gives "C:\a" and "b";
// "C:\a" gives "C:\" and "a").
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
    char buffer[MAX_PATH];
    lstrcpynA(buffer, path.c_str(), MAX_PATH);
    *name = PathFindFileNameA(buffer);
    PathRemoveFileSpecA(buffer);
    *folder = buffer;
}

// A path list for SHFileOperationA: the path, its zero and a final zero.
std::string DoubleZero(const std::string& path) {
    std::string list = path;
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

UINT PreferredEffectFormat() {
    static const UINT format = ::RegisterClipboardFormatA(CFSTR_PREFERREDDROPEFFECT);
    return format;
}

HGLOBAL BlockOf(const void* bytes, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return nullptr;
    if (void* at = ::GlobalLock(block)) {
        std::memcpy(at, bytes, size);
        ::GlobalUnlock(block);
        return block;
    }
    ::GlobalFree(block);
    return nullptr;
}

// The data object of one folder: CF_HDROP and "Preferred DropEffect".
IDataObject* FolderDataObject(const std::string& path, DWORD effect) {
    const std::vector<uint8_t> drop = FolderDropBlock(path);
    HGLOBAL files = drop.empty() ? nullptr : BlockOf(drop.data(), drop.size());
    HGLOBAL preferred = BlockOf(&effect, sizeof effect);
    if (!files || !preferred) {
        if (files)
            ::GlobalFree(files);
        if (preferred)
            ::GlobalFree(preferred);
        return nullptr;
    }
    auto* object = new (std::nothrow) CShellDataObject();
    if (!object) {
        ::GlobalFree(files);
        ::GlobalFree(preferred);
        return nullptr;
    }
    object->AddRef();
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = files;
    if (FAILED(object->SetData(&format, &medium, TRUE)))
        ::GlobalFree(files);
    format.cfFormat = static_cast<CLIPFORMAT>(PreferredEffectFormat());
    medium.hGlobal = preferred;
    if (FAILED(object->SetData(&format, &medium, TRUE)))
        ::GlobalFree(preferred);
    return object;
}

} // namespace

HTREEITEM CFolderTreeCtrl::CommandItem() const {
    return m_currentItem ? m_currentItem : TreeView_GetSelection(m_hWnd);
}

LRESULT CFolderTreeCtrl::Notify(UINT code, const char* first, const char* second, const char* third,
                                uintptr_t fourth) {
    if (!m_notifyWindow)
        return 0;
    FolderTreeNotice notice{};
    notice.hdr.hwndFrom = m_hWnd;
    notice.hdr.idFrom = 0;
    notice.hdr.code = code;
    notice.first = reinterpret_cast<uintptr_t>(first);
    notice.second = reinterpret_cast<uintptr_t>(second);
    notice.third = reinterpret_cast<uintptr_t>(third);
    notice.fourth = fourth;
    return ::SendMessageA(m_notifyWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

LRESULT CFolderTreeCtrl::OnNewFolder(WORD, WORD, HWND, BOOL&) {
    HTREEITEM item = CommandItem();
    const CFolderTreeItemData* data = ItemData(item);
    char folder[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !GetItemPathOf(item, folder) ||
        !PathIsDirectoryA(folder))
        return 0;
    SetChildrenFlag(item, 1);
    const std::string parent = folder;
    const std::string name = FirstFreeFolderName([&](const std::string& candidate) {
        const std::string path = Join(parent, candidate);
        return path.empty() || PathFileExistsA(path.c_str()) != FALSE;
    });
    const std::string path = name.empty() ? std::string() : Join(parent, name);
    if (path.empty())
        return 0;
    TreeView_Expand(m_hWnd, item, TVE_EXPAND);
    if (!::CreateDirectoryA(path.c_str(), nullptr))
        return 0;
    HTREEITEM added = nullptr;
    if (LPITEMIDLIST pidl = ParseShellPath(path.c_str()))
        added = InsertShellItem(item, pidl, false);
    ::SetFocus(m_hWnd);
    SortChildren(item);
    if (added) {
        TreeView_SelectItem(m_hWnd, added);
        TreeView_EnsureVisible(m_hWnd, added);
        ::SendMessageA(m_hWnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(added));
    }
    // Finds the item present; the watcher's own notice does the same.
    ::SendMessageA(m_hWnd, FTM_ITEMADDED, reinterpret_cast<WPARAM>(parent.c_str()),
                   reinterpret_cast<LPARAM>(name.c_str()));
    Notify(FTN_FOLDERCREATED, parent.c_str(), name.c_str());
    return 0;
}

LRESULT CFolderTreeCtrl::OnDeleteFolder(WORD, WORD, HWND, BOOL&) {
    HTREEITEM item = CommandItem();
    // Top-level items are never deleted.
    if (!item || !TreeView_GetParent(m_hWnd, item)) {
        m_currentItem = nullptr;
        return 0;
    }
    const CFolderTreeItemData* data = ItemData(item);
    char path[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !GetItemPathOf(item, path))
        return 0;
    const std::string target = path;
    Notify(FTN_BEGINOPERATION, target.c_str());
    const std::string from = DoubleZero(target);
    SHFILEOPSTRUCTA op{};
    op.hwnd = m_hWnd;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO;
    if (!g_applicationState.Options().explorerConfirmDeletion)
        op.fFlags |= FOF_NOCONFIRMATION;
    if (SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted &&
        !PathFileExistsA(target.c_str())) {
        std::string folder, name;
        SplitPath(target, &folder, &name);
        ::SendMessageA(m_hWnd, FTM_ITEMREMOVED, reinterpret_cast<WPARAM>(folder.c_str()),
                       reinterpret_cast<LPARAM>(name.c_str()));
        Notify(FTN_FOLDERDELETED, folder.c_str(), name.c_str());
    }
    Notify(FTN_ENDOPERATION, target.c_str());
    return 0;
}

LRESULT CFolderTreeCtrl::OnRenameFolder(WORD, WORD, HWND, BOOL&) {
    HTREEITEM item = CommandItem();
    if (!item || !TreeView_GetParent(m_hWnd, item)) {
        m_currentItem = nullptr;
        return 0;
    }
    ::SetFocus(m_hWnd);
    ::SendMessageA(m_hWnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
    return 0;
}

LRESULT CFolderTreeCtrl::OnEndLabelEdit(int, LPNMHDR header, BOOL&) {
    const NMTVDISPINFOA* info = reinterpret_cast<const NMTVDISPINFOA*>(header);
    HTREEITEM item = info->item.hItem;
    if (!info->item.pszText || !info->item.pszText[0])
        return FALSE;
    const CFolderTreeItemData* data = ItemData(item);
    char path[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !GetItemPathOf(item, path))
        return FALSE;
    const std::string oldPath = path;
    const std::string newPath = RenamedFolderPath(oldPath, info->item.pszText);
    if (newPath.empty() || newPath.size() >= MAX_PATH)
        return FALSE;
    // The same name: nothing to do (an edit that ended by losing the focus).
    if (newPath == oldPath)
        return FALSE;
    Notify(FTN_BEGINOPERATION, oldPath.c_str());
    const std::string from = DoubleZero(oldPath);
    const std::string to = DoubleZero(newPath);
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_RENAME;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    const bool renamed = SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
    if (renamed) {
        ::SendMessageA(m_hWnd, FTM_ITEMRENAMED, reinterpret_cast<WPARAM>(oldPath.c_str()),
                       reinterpret_cast<LPARAM>(newPath.c_str()));
        std::string folder, oldName, newFolder, newName;
        SplitPath(oldPath, &folder, &oldName);
        SplitPath(newPath, &newFolder, &newName);
        Notify(FTN_FOLDERRENAMED, folder.c_str(), oldName.c_str(), newName.c_str());
    } else {
        // The editor opens again once this edit has ended.
        ::PostMessageA(m_hWnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
    }
    Notify(FTN_ENDOPERATION, renamed ? newPath.c_str() : oldPath.c_str());
    return FALSE;
}

LRESULT CFolderTreeCtrl::OnCopyCut(WORD, WORD id, HWND, BOOL&) {
    HTREEITEM item = CommandItem();
    const CFolderTreeItemData* data = ItemData(item);
    char path[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !GetItemPathOf(item, path))
        return 0;
    const bool cut = id == ID_EDIT_CUT;
    if (cut)
        TreeView_SetItemState(m_hWnd, item, TVIS_CUT, TVIS_CUT);
    IDataObject* object = FolderDataObject(path, cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
    if (!object)
        return 0;
    if (SUCCEEDED(::OleSetClipboard(object)))
        ::OleFlushClipboard(); // the folder stays on the clipboard after the program ends
    object->Release();
    return 0;
}

LRESULT CFolderTreeCtrl::OnPaste(WORD, WORD, HWND, BOOL&) {
    IDataObject* data = nullptr;
    if (FAILED(::OleGetClipboard(&data)) || !data)
        return 0;
    const bool move = PreferredEffectMoves(data);
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        if (medium.tymed == TYMED_HGLOBAL)
            DropOrPaste(CF_HDROP, &medium, !move, false);
        ::ReleaseStgMedium(&medium);
    }
    data->Release();
    return 0;
}

bool CFolderTreeCtrl::DropOrPaste(CLIPFORMAT format, STGMEDIUM* medium, bool copy, bool drop) {
    HTREEITEM targetItem = CommandItem();
    const CFolderTreeItemData* data = ItemData(targetItem);
    char folder[MAX_PATH] = "";
    if (!medium || medium->tymed != TYMED_HGLOBAL || !data || data->kind != kTreeShellFolder ||
        !GetItemPathOf(targetItem, folder) || !PathFileExistsA(folder))
        return false;
    const std::string target = folder;
    if (format == CF_HDROP) {
        CWaitCursor wait;
        Notify(FTN_BEGINOPERATION, nullptr);
        int choice = 0; // one replace answer for the whole drop, asked at the first clash
        for (const std::string& source : ReadDroppedFiles(medium->hGlobal)) {
            std::string sourceFolder, name;
            SplitPath(source, &sourceFolder, &name);
            if (PathIsDirectoryA(source.c_str())) {
                if (explorer_drop_rules::FolderDropSkipped(source, target, drop, SameFolderNoCase))
                    continue;
                const std::string from = DoubleZero(source);
                const std::string to = DoubleZero(target);
                SHFILEOPSTRUCTA op{};
                op.wFunc = copy ? FO_COPY : FO_MOVE;
                op.pFrom = from.c_str();
                op.pTo = to.c_str();
                if (SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted)
                    continue;
                if (copy) {
                    ::SendMessageA(m_hWnd, FTM_ITEMADDED, reinterpret_cast<WPARAM>(target.c_str()),
                                   reinterpret_cast<LPARAM>(name.c_str()));
                    Notify(FTN_FOLDERCREATED, target.c_str(), name.c_str());
                } else if (!PathFileExistsA(source.c_str())) {
                    const std::string moved = Join(target, name);
                    HTREEITEM at = reinterpret_cast<HTREEITEM>(::SendMessageA(
                        m_hWnd, FTM_ITEMMOVED, reinterpret_cast<WPARAM>(source.c_str()),
                        reinterpret_cast<LPARAM>(moved.c_str())));
                    if (at) {
                        TreeView_EnsureVisible(m_hWnd, at);
                        TreeView_SelectItem(m_hWnd, at);
                    }
                    Notify(FTN_FOLDERMOVED, nullptr, source.c_str(), moved.c_str());
                }
                continue;
            }
            if (lstrcmpiA(sourceFolder.c_str(), target.c_str()) == 0) {
                // A file pasted into its own folder is duplicated beside
                // itself; dropped there, it stays as it is.
                if (!drop)
                    g_applicationState.DuplicateFile(source.c_str(), m_hWnd);
                continue;
            }
            const std::string to = Join(target, name);
            if (to.empty())
                continue;
            bool cancelled = false;
            g_applicationState.CopyOrMoveFile(source.c_str(), to.c_str(), &cancelled, &choice, copy,
                                              true);
            if (cancelled)
                break;
        }
        Notify(FTN_ENDOPERATION, nullptr);
        return true;
    }
    if (format == g_zipClipboardFormat) {
        const SIZE_T size = ::GlobalSize(medium->hGlobal);
        const uint8_t* bytes = static_cast<const uint8_t*>(::GlobalLock(medium->hGlobal));
        const std::vector<std::string> strings =
            bytes ? ZeroStrings(bytes, size) : std::vector<std::string>();
        if (bytes)
            ::GlobalUnlock(medium->hGlobal);
        if (strings.empty())
            return true;
        CFileItemList* list = g_applicationState.GetFileItemList(kListArchive, strings[0].c_str());
        if (!list)
            return true;
        const CArchiveLocation* location = list->GetArchiveLocation();
        if (location && location->tempFolder) {
            CWaitCursor wait;
            for (size_t i = 1; i < strings.size(); ++i) {
                plat::ScopedLock guard(location->tempFolder->lock);
                g_applicationState.ExtractArchiveEntry(&location->tempFolder->archive,
                                                       strings[i].c_str(), target.c_str(), false,
                                                       true);
            }
        }
        g_applicationState.ReleaseFileItemList(list);
        return true;
    }
    return false;
}

LRESULT CFolderTreeCtrl::OnBeginDrag(int, LPNMHDR header, BOOL&) {
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
    HTREEITEM item = nm->itemNew.hItem;
    const CFolderTreeItemData* data = ItemData(item);
    char path[MAX_PATH] = "";
    if (!data || data->kind != kTreeShellFolder || !GetItemPathOf(item, path) ||
        !PathIsDirectoryA(path))
        return 0;
    IDataObject* object = FolderDataObject(path, DROPEFFECT_MOVE);
    if (!object)
        return 0;
    auto* source = new (std::nothrow) CShellDropSource();
    if (source) {
        source->AddRef();
        DWORD effect = DROPEFFECT_NONE;
        ::DoDragDrop(object, source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
        source->Release();
    }
    object->Release();
    StopHoverTimer();
    return 0;
}
