#include "explorer/folder_tree_ctrl.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/app_globals.h"
#include "app/app_module.h"
#include "ui/wait_cursor.h"
#include "zip/zip_archive.h"
#include "zip/zip_exception.h"

namespace {

// The shared list's icons by system icon index and flags, filled once each.
plat::CriticalSection g_iconLock;
std::map<std::pair<int, UINT>, int> g_iconIndexes;
int g_folderIcons[2] = {-1, -1};
int g_zipIcons[2] = {-1, -1};
bool g_folderIconsDone = false;
bool g_zipIconsDone = false;

IShellFolder* Desktop() {
    static IShellFolder* desktop = nullptr;
    if (!desktop)
        SHGetDesktopFolder(&desktop);
    return desktop;
}

LPITEMIDLIST ParsePath(const char* path) {
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) || !Desktop())
        return nullptr;
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(Desktop()->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, nullptr)))
        return nullptr;
    return pidl;
}

int AddIcon(HICON icon) {
    if (!icon)
        return -1;
    const int index = g_smallImageList ? ImageList_ReplaceIcon(g_smallImageList, -1, icon) : -1;
    DestroyIcon(icon);
    return index;
}

bool IsDirectoryOrZip(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return true;
    return lstrcmpiA(PathFindExtensionA(path), ".zip") == 0;
}

bool FolderHoldsZip(const char* folder) {
    char pattern[MAX_PATH];
    if (!PathCombineA(pattern, folder, "*.zip"))
        return false;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

int Backslashes(const std::string& text) {
    int n = 0;
    for (char c : text)
        n += c == '\\';
    return n;
}

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM folderParam) {
    const CFolderTreeItemData* a = reinterpret_cast<const CFolderTreeItemData*>(first);
    const CFolderTreeItemData* b = reinterpret_cast<const CFolderTreeItemData*>(second);
    if (!a || !b)
        return 0;
    if (a->kind == kTreeShellFolder && b->kind == kTreeShellFolder) {
        IShellFolder* folder = reinterpret_cast<IShellFolder*>(folderParam);
        if (!folder || !a->Pidl() || !b->Pidl())
            return 0;
        const HRESULT r = folder->CompareIDs(0, ILFindLastID(a->Pidl()), ILFindLastID(b->Pidl()));
        return FAILED(r) ? 0 : static_cast<short>(HRESULT_CODE(r));
    }
    if (a->kind == kTreeArchive && b->kind == kTreeArchive)
        return lstrcmpiA(a->Text(), b->Text());
    if (a->kind == kTreeShellFolder && b->kind == kTreeArchive)
        return -1;
    if (a->kind == kTreeArchive && b->kind == kTreeShellFolder)
        return 1;
    return 0;
}

IShellFolder* BindFolder(LPCITEMIDLIST pidl) {
    IShellFolder* desktop = Desktop();
    if (!desktop)
        return nullptr;
    if (!pidl || pidl->mkid.cb == 0) {
        desktop->AddRef();
        return desktop;
    }
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder,
                                     reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}

void FreeItemData(CFolderTreeItemData* data) {
    if (!data)
        return;
    if (data->kind == kTreeShellFolder && data->data)
        CoTaskMemFree(data->Pidl());
    else if (data->kind == kTreeArchive && data->data)
        std::free(reinterpret_cast<void*>(data->data));
    delete data;
}

} // namespace

int SharedSmallIconIndex(LPCITEMIDLIST pidl, UINT flags) {
    SHFILEINFOA info{};
    const UINT base = SHGFI_PIDL | SHGFI_SMALLICON | flags;
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                        base | SHGFI_SYSICONINDEX))
        return -1;
    plat::ScopedLock lock(g_iconLock);
    const std::pair<int, UINT> key(info.iIcon, flags);
    auto found = g_iconIndexes.find(key);
    if (found != g_iconIndexes.end())
        return found->second;
    SHFILEINFOA iconInfo{};
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &iconInfo, sizeof iconInfo,
                        base | SHGFI_ICON))
        return -1;
    const int index = AddIcon(iconInfo.hIcon);
    if (index >= 0)
        g_iconIndexes[key] = index;
    return index;
}

void FolderIcons(int* closed, int* open) {
    plat::ScopedLock lock(g_iconLock);
    if (!g_folderIconsDone) {
        LPITEMIDLIST pidl = nullptr;
        for (int csidl : {CSIDL_WINDOWS, CSIDL_COOKIES, CSIDL_COMMON_DESKTOPDIRECTORY})
            if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)))
                break;
        if (pidl) {
            g_folderIcons[0] = SharedSmallIconIndex(pidl, 0);
            g_folderIcons[1] = SharedSmallIconIndex(pidl, SHGFI_OPENICON);
            CoTaskMemFree(pidl);
            g_folderIconsDone = true;
        }
    }
    *closed = g_folderIcons[0];
    *open = g_folderIcons[1];
}

void ZipIcons(const char* anyZipPath, int* closed, int* open) {
    plat::ScopedLock lock(g_iconLock);
    if (!g_zipIconsDone && anyZipPath) {
        for (int i = 0; i < 2; ++i) {
            SHFILEINFOA info{};
            const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | (i ? SHGFI_OPENICON : 0);
            g_zipIcons[i] =
                SHGetFileInfoA(anyZipPath, 0, &info, sizeof info, flags) ? AddIcon(info.hIcon) : -1;
        }
        g_zipIconsDone = true;
    }
    *closed = g_zipIcons[0];
    *open = g_zipIcons[1];
}

CFolderTreeCtrl::CFolderTreeCtrl() = default;

CFolderTreeCtrl::~CFolderTreeCtrl() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

HWND CFolderTreeCtrl::Create(HWND parent, const RECT& rect, DWORD style, UINT id) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND window = CreateWindowExA(0, WC_TREEVIEWA, "", style | WS_CHILD, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  UiModuleInstance(), nullptr);
    if (!window)
        return nullptr;
    if (!Attach(window)) {
        ::DestroyWindow(window);
        return nullptr;
    }
    return m_hWnd;
}

bool CFolderTreeCtrl::Attach(HWND treeView) {
    if (!SubclassWindow(treeView))
        return false;
    OnAttached();
    return true;
}

void CFolderTreeCtrl::OnAttached() {
    ::SendMessageA(m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(g_smallImageList));
    m_watcher.SetTarget(m_hWnd);
    RegisterDropTarget();
    if (CMessageLoop* loop = g_module.GetMessageLoop())
        m_idleRegistered = loop->AddIdleHandler(this) != FALSE;
}

CFolderTreeItemData* CFolderTreeCtrl::CreateItemData(int kind, uintptr_t data) {
    CFolderTreeItemData* record = new (std::nothrow) CFolderTreeItemData;
    if (!record)
        return nullptr;
    record->kind = kind;
    if (kind == kTreeArchive && data) {
        const char* text = reinterpret_cast<const char*>(data);
        const size_t length = std::strlen(text) + 1;
        char* copy = static_cast<char*>(std::malloc(length));
        if (!copy) {
            delete record;
            return nullptr;
        }
        std::memcpy(copy, text, length);
        record->data = reinterpret_cast<uintptr_t>(copy);
    } else {
        record->data = data;
    }
    return record;
}

CFolderTreeItemData* CFolderTreeCtrl::ItemData(HTREEITEM item) const {
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!item || !::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return nullptr;
    return reinterpret_cast<CFolderTreeItemData*>(tv.lParam);
}

bool CFolderTreeCtrl::GetItemPath(LPCITEMIDLIST pidl, char* path) {
    path[0] = '\0';
    if (!pidl || !SHGetPathFromIDListA(pidl, path) || !path[0])
        return false;
    char root[MAX_PATH];
    lstrcpynA(root, path, MAX_PATH);
    PathStripToRootA(root);
    // Only shortcut files can resolve; other paths are not loaded as links.
    if (GetDriveTypeA(root) == DRIVE_REMOVABLE || lstrcmpiA(PathFindExtensionA(path), ".lnk") != 0)
        return true;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return true;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) &&
        SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->Resolve(nullptr, SLR_NO_UI))) {
        char target[MAX_PATH] = "";
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_SHORTPATH)) && target[0])
            lstrcpynA(path, target, MAX_PATH);
    }
    if (file)
        file->Release();
    link->Release();
    return true;
}

bool CFolderTreeCtrl::GetItemPathOf(HTREEITEM item, char* path) const {
    const CFolderTreeItemData* data = ItemData(item);
    path[0] = '\0';
    return data && data->kind == kTreeShellFolder && GetItemPath(data->Pidl(), path);
}

bool CFolderTreeCtrl::ItemPathForMatch(HTREEITEM item, char* path) const {
    const CFolderTreeItemData* data = ItemData(item);
    path[0] = '\0';
    if (!data)
        return false;
    if (data->kind == kTreeArchive) {
        lstrcpynA(path, data->Text(), MAX_PATH);
        return true;
    }
    return data->kind == kTreeShellFolder && SHGetPathFromIDListA(data->Pidl(), path) && path[0];
}

HTREEITEM CFolderTreeCtrl::InsertItem(HTREEITEM parent, const char* text, int image,
                                      int selectedImage, int children, CFolderTreeItemData* data) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.cChildren = children;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hWnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item)
        FreeItemData(data);
    return item;
}

HTREEITEM CFolderTreeCtrl::InsertSpecialFolder(int csidl, HTREEITEM parent) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)))
        return nullptr;
    HTREEITEM item = InsertShellItem(parent, pidl, false);
    if (csidl == CSIDL_DESKTOP)
        m_desktopItem = item;
    return item;
}

HTREEITEM CFolderTreeCtrl::InsertShellItem(HTREEITEM parent, LPITEMIDLIST pidl, bool linkOverlay) {
    CFolderTreeItemData* data = CreateItemData(kTreeShellFolder, reinterpret_cast<uintptr_t>(pidl));
    if (!data) {
        CoTaskMemFree(pidl);
        return nullptr;
    }
    // The desktop (a null list) is shown through its own ID list.
    LPITEMIDLIST shown = pidl;
    LPITEMIDLIST desktop = nullptr;
    if (!shown && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)))
        shown = desktop;
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(shown), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME);
    const UINT overlay = linkOverlay ? SHGFI_LINKOVERLAY : 0;
    const int image = SharedSmallIconIndex(shown, overlay);
    const int open = SharedSmallIconIndex(shown, overlay | SHGFI_OPENICON);
    SHFILEINFOA attributes{};
    attributes.dwAttributes = SFGAO_HASSUBFOLDER;
    int children = 1;
    if (IShellFolder* folder = BindFolder(shown)) {
        folder->Release();
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(shown), 0, &attributes, sizeof attributes,
                       SHGFI_PIDL | SHGFI_ATTRIBUTES);
        children = (attributes.dwAttributes & SFGAO_HASSUBFOLDER) ? 1 : 0;
        char path[MAX_PATH];
        if (children == 0 && GetItemPath(shown, path) && FolderHoldsZip(path))
            children = 1;
    }
    char path[MAX_PATH];
    if (GetItemPath(shown, path))
        m_watcher.WatchDrive(path);
    if (desktop)
        CoTaskMemFree(desktop);
    return InsertItem(parent, info.szDisplayName, image, open, children, data);
}

void CFolderTreeCtrl::SetChildrenFlag(HTREEITEM item, int children) {
    TVITEMA tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    tv.cChildren = children;
    ::SendMessageA(m_hWnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void CFolderTreeCtrl::FillChildren(HTREEITEM item, bool refresh) {
    const CFolderTreeItemData* data = ItemData(item);
    if (!data)
        return;
    if (data->kind == kTreeArchive)
        FillArchiveChildren(item);
    else
        FillShellChildren(item, refresh);
}

void CFolderTreeCtrl::FillShellChildren(HTREEITEM item, bool refresh) {
    const CFolderTreeItemData* data = ItemData(item);
    LPCITEMIDLIST parentPidl = data->kind == kTreeShellFolder ? data->Pidl() : nullptr;
    std::vector<HTREEITEM> recorded;
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child;
         child = TreeView_GetNextSibling(m_hWnd, child))
        recorded.push_back(child);

    IShellFolder* folder = data->kind == kTreeShellFolder ? BindFolder(parentPidl) : nullptr;
    IEnumIDList* items = nullptr;
    if (!folder ||
        FAILED(folder->EnumObjects(m_hWnd, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items)) ||
        !items) {
        if (refresh) {
            ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
            for (HTREEITEM child : recorded)
                TreeView_DeleteItem(m_hWnd, child);
            TreeView_Expand(m_hWnd, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
            ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
            SetChildrenFlag(item, 1);
            ::PostMessageA(m_hWnd, FTM_DRIVECHANGED, 0, 0);
        }
        if (folder)
            folder->Release();
        return;
    }
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &child, &fetched) == S_OK && fetched == 1) {
        LPITEMIDLIST absolute = ILCombine(parentPidl, child);
        if (!absolute) {
            CoTaskMemFree(child);
            continue;
        }
        char path[MAX_PATH] = "";
        GetItemPath(absolute, path);
        if (path[0])
            m_watcher.WatchDrive(path);
        const int drive = explorer_drive_events::DriveNumberOfPath(path);
        HTREEITEM kept = nullptr;
        if (refresh) {
            for (auto at = recorded.begin(); at != recorded.end(); ++at) {
                const CFolderTreeItemData* other = ItemData(*at);
                if (other && other->kind == kTreeShellFolder && other->Pidl() &&
                    Desktop()->CompareIDs(0, absolute, other->Pidl()) == 0) {
                    kept = *at;
                    recorded.erase(at);
                    break;
                }
            }
        }
        if (kept) {
            CoTaskMemFree(absolute);
            const int changed = m_drives.KeptChild(drive, path[0] && PathIsRootA(path));
            if (changed != explorer_drive_events::kNoDrive) {
                ResetDriveItem(kept);
                ::PostMessageA(m_hWnd, FTM_DRIVECHANGED, static_cast<WPARAM>(changed), 0);
            }
        } else if (CFolderTreeItemData* record =
                       CreateItemData(kTreeShellFolder, reinterpret_cast<uintptr_t>(absolute))) {
            SHFILEINFOA info{};
            SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_DISPLAYNAME);
            int children = 0;
            SFGAOF attributes = SFGAO_HASSUBFOLDER;
            LPCITEMIDLIST relative = child;
            if (path[0] && PathIsRootA(path))
                children = 1;
            else if (SUCCEEDED(folder->GetAttributesOf(1, &relative, &attributes)) &&
                     (attributes & SFGAO_HASSUBFOLDER))
                children = 1;
            else if (path[0] && FolderHoldsZip(path))
                children = 1;
            if (InsertItem(item, info.szDisplayName, SharedSmallIconIndex(absolute, 0),
                           SharedSmallIconIndex(absolute, SHGFI_OPENICON), children, record)) {
                const int added = m_drives.NewChild(drive);
                if (added != explorer_drive_events::kNoDrive)
                    ::PostMessageA(m_hWnd, FTM_DRIVEADDED, static_cast<WPARAM>(added), 0);
            }
        } else {
            CoTaskMemFree(absolute);
        }
        CoTaskMemFree(child);
    }
    items->Release();
    for (HTREEITEM gone : recorded) {
        char gonePath[MAX_PATH];
        if (GetItemPathOf(gone, gonePath) && PathIsRootA(gonePath)) {
            m_watcher.UnwatchDrive(gonePath);
            const int removed =
                m_drives.VanishedRoot(explorer_drive_events::DriveNumberOfPath(gonePath));
            if (removed != explorer_drive_events::kNoDrive)
                ::PostMessageA(m_hWnd, FTM_DRIVEREMOVED, static_cast<WPARAM>(removed), 0);
        }
        TreeView_DeleteItem(m_hWnd, gone);
    }
    m_drives.removed = explorer_drive_events::kNoDrive;
    TVSORTCB sort{};
    sort.hParent = item;
    sort.lpfnCompare = CompareItems;
    sort.lParam = reinterpret_cast<LPARAM>(folder);
    ::SendMessageA(m_hWnd, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    folder->Release();

    char folderPath[MAX_PATH];
    if (!m_noArchives && parentPidl && GetItemPath(parentPidl, folderPath))
        AppendArchives(item, folderPath);
}

void CFolderTreeCtrl::AppendArchives(HTREEITEM item, const char* folder) {
    char pattern[MAX_PATH];
    if (!PathCombineA(pattern, folder, "*.zip"))
        return;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        char path[MAX_PATH];
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ||
            !PathCombineA(path, folder, found.cFileName))
            continue;
        LPITEMIDLIST parsed = ParsePath(path);
        if (!parsed)
            continue;
        CoTaskMemFree(parsed);
        int closed, open;
        ZipIcons(path, &closed, &open);
        InsertItem(item, found.cFileName, closed, open, 0,
                   CreateItemData(kTreeArchive, reinterpret_cast<uintptr_t>(path)));
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

namespace {

// The directory entries of an archive, with backslashes; false when it
// cannot be read.
bool ArchiveDirectories(const std::string& archive, std::vector<std::string>* names) {
    try {
        CZipArchive zip;
        if (!zip.Open(archive))
            return false;
        const int directories = zip.CountDirectoryEntries();
        for (int i = 0, seen = 0; i < zip.GetCount() && seen < directories; ++i) {
            CZipEntryHeader header;
            if (!zip.GetFileInfo(header, i) || !header.IsDirectory())
                continue;
            ++seen;
            std::string name = header.GetFileName();
            for (char& c : name)
                if (c == '/')
                    c = '\\';
            if (name.empty() || name.back() != '\\')
                name += '\\';
            names->push_back(name);
        }
        zip.Close();
        return true;
    } catch (const CZipException&) {
        return false;
    }
}

} // namespace

void CFolderTreeCtrl::FillArchiveChildren(HTREEITEM item) {
    const CFolderTreeItemData* data = ItemData(item);
    const std::string key = data->Text();
    const size_t bar = key.find('|');
    const std::string archive = key.substr(0, bar);
    const std::string inner = bar == std::string::npos ? std::string() : key.substr(bar + 1);
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child;
         child = TreeView_GetChild(m_hWnd, item))
        TreeView_DeleteItem(m_hWnd, child);
    std::vector<std::string> names;
    if (!ArchiveDirectories(archive, &names))
        return;
    const int depth = Backslashes(inner);
    int closed, open;
    FolderIcons(&closed, &open);
    for (const std::string& name : names) {
        if (Backslashes(name) != depth + 1 || name.compare(0, inner.size(), inner) != 0)
            continue;
        int children = 0;
        for (const std::string& other : names)
            if (other.size() > name.size() && other.compare(0, name.size(), name) == 0)
                children = 1;
        std::string shown = name.substr(0, name.size() - 1);
        shown = shown.substr(shown.rfind('\\') == std::string::npos ? 0 : shown.rfind('\\') + 1);
        const std::string record = archive + "|" + name;
        InsertItem(item, shown.c_str(), closed, open, children,
                   CreateItemData(kTreeArchive, reinterpret_cast<uintptr_t>(record.c_str())));
    }
}

HTREEITEM CFolderTreeCtrl::NextInTree(HTREEITEM item) const {
    if (HTREEITEM child = TreeView_GetChild(m_hWnd, item))
        return child;
    for (HTREEITEM at = item; at; at = TreeView_GetParent(m_hWnd, at))
        if (HTREEITEM next = TreeView_GetNextSibling(m_hWnd, at))
            return next;
    return nullptr;
}

// --- messages --------------------------------------------------------------

LRESULT CFolderTreeCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    RevokeDropTarget();
    m_watcher.Shutdown();
    if (m_idleRegistered) {
        if (CMessageLoop* loop = g_module.GetMessageLoop())
            loop->RemoveIdleHandler(this);
        m_idleRegistered = false;
    }
    // The records go here, whether or not the parent reflects the deletion
    // notices of the items.
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item)) {
        TVITEMA tv{};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        if (::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) && tv.lParam) {
            FreeItemData(reinterpret_cast<CFolderTreeItemData*>(tv.lParam));
            tv.lParam = 0;
            ::SendMessageA(m_hWnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        }
    }
    ::SendMessageA(m_hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    return 0;
}

LRESULT CFolderTreeCtrl::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CFolderTreeCtrl::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (GetKeyState(VK_CONTROL) >= 0)
        return 0;
    UINT command = 0;
    if (wParam == 'C')
        command = ID_EDIT_COPY;
    else if (wParam == 'V')
        command = ID_EDIT_PASTE;
    else if (wParam == 'X')
        command = ID_EDIT_CUT;
    if (!command)
        return 0;
    ::SendMessageA(m_hWnd, WM_COMMAND, command, 0);
    handled = TRUE;
    return 0;
}

LRESULT CFolderTreeCtrl::OnItemExpanding(int, LPNMHDR header, BOOL&) {
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
    HTREEITEM item = nm->itemNew.hItem;
    if (nm->action & TVE_EXPAND) {
        CWaitCursor wait;
        ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
        FillChildren(item, false);
        ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
        return FALSE;
    }
    if (nm->action & TVE_COLLAPSE) {
        // Only the expand button collapses; the keyboard and the label do not.
        const DWORD at = GetMessagePos();
        TVHITTESTINFO hit{};
        hit.pt.x = static_cast<short>(LOWORD(at));
        hit.pt.y = static_cast<short>(HIWORD(at));
        ::ScreenToClient(m_hWnd, &hit.pt);
        HTREEITEM under = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        return under == item && (hit.flags & TVHT_ONITEMBUTTON) ? FALSE : TRUE;
    }
    return FALSE;
}

LRESULT CFolderTreeCtrl::OnSelChanged(int, LPNMHDR header, BOOL&) {
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
    m_currentItem = nm->itemNew.hItem;
    const CFolderTreeItemData* data = ItemData(m_currentItem);
    if (data && data->kind == kTreeArchive && !std::strchr(data->Text(), '|')) {
        std::vector<std::string> names;
        if (ArchiveDirectories(data->Text(), &names) && !names.empty()) {
            SetChildrenFlag(m_currentItem, 1);
            FillChildren(m_currentItem, false);
            TreeView_Expand(m_hWnd, m_currentItem, TVE_EXPAND);
        }
    }
    return 0;
}

LRESULT CFolderTreeCtrl::OnDeleteItem(int, LPNMHDR header, BOOL&) {
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
    FreeItemData(reinterpret_cast<CFolderTreeItemData*>(nm->itemOld.lParam));
    if (nm->itemOld.hItem == m_currentItem)
        m_currentItem = nullptr;
    if (nm->itemOld.hItem == m_dropItem)
        m_dropItem = nullptr;
    return 0;
}

LRESULT CFolderTreeCtrl::OnItemAdded(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const char* folder = reinterpret_cast<const char*>(wParam);
    const char* name = reinterpret_cast<const char*>(lParam);
    char path[MAX_PATH];
    if (!folder || !name || !PathCombineA(path, folder, name) || !IsDirectoryOrZip(path))
        return 0;
    std::vector<HTREEITEM> parents;
    char itemPath[MAX_PATH];
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item)) {
        const CFolderTreeItemData* data = ItemData(item);
        if (data && data->kind == kTreeShellFolder && GetItemPath(data->Pidl(), itemPath) &&
            lstrcmpiA(itemPath, folder) == 0)
            parents.push_back(item);
    }
    HTREEITEM added = nullptr;
    for (HTREEITEM parent : parents) {
        const UINT state = TreeView_GetItemState(m_hWnd, parent, TVIS_EXPANDEDONCE);
        if (!(state & TVIS_EXPANDEDONCE)) {
            SetChildrenFlag(parent, 1);
            continue;
        }
        bool present = false;
        for (HTREEITEM child = TreeView_GetChild(m_hWnd, parent); child && !present;
             child = TreeView_GetNextSibling(m_hWnd, child)) {
            const CFolderTreeItemData* data = ItemData(child);
            present = data && data->kind == kTreeShellFolder &&
                      GetItemPath(data->Pidl(), itemPath) && lstrcmpiA(itemPath, path) == 0;
        }
        if (present)
            continue;
        LPITEMIDLIST pidl = ParsePath(path);
        if (!pidl)
            continue;
        added = InsertShellItem(parent, pidl, false);
        SetChildrenFlag(parent, 1);
    }
    return reinterpret_cast<LRESULT>(added);
}

LRESULT CFolderTreeCtrl::OnItemRemoved(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const char* folder = reinterpret_cast<const char*>(wParam);
    const char* name = reinterpret_cast<const char*>(lParam);
    char path[MAX_PATH];
    if (!folder || !name || !PathCombineA(path, folder, name))
        return 0;
    std::vector<HTREEITEM> gone;
    char itemPath[MAX_PATH];
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item))
        if (ItemPathForMatch(item, itemPath) && lstrcmpiA(itemPath, path) == 0)
            gone.push_back(item);
    // Deleting an item takes its children with it: the deepest go first.
    for (auto at = gone.rbegin(); at != gone.rend(); ++at)
        TreeView_DeleteItem(m_hWnd, *at);
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item)) {
        const CFolderTreeItemData* data = ItemData(item);
        if (!data || data->kind != kTreeShellFolder || !GetItemPath(data->Pidl(), itemPath) ||
            lstrcmpiA(itemPath, folder) != 0)
            continue;
        TVITEMA tv{};
        tv.mask = TVIF_CHILDREN;
        tv.hItem = item;
        ::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        SHFILEINFOA info{};
        info.dwAttributes = SFGAO_HASSUBFOLDER;
        if (tv.cChildren && data->Pidl() &&
            SHGetFileInfoA(reinterpret_cast<LPCSTR>(data->Pidl()), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_ATTRIBUTES) &&
            !(info.dwAttributes & SFGAO_HASSUBFOLDER))
            SetChildrenFlag(item, 0);
    }
    return 0;
}

LRESULT CFolderTreeCtrl::OnItemRenamed(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const char* oldPath = reinterpret_cast<const char*>(wParam);
    const char* newPath = reinterpret_cast<const char*>(lParam);
    if (!oldPath || !newPath || !IsDirectoryOrZip(newPath))
        return 0;
    std::vector<HTREEITEM> renamed;
    char itemPath[MAX_PATH];
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item))
        if (ItemPathForMatch(item, itemPath) && lstrcmpiA(itemPath, oldPath) == 0)
            renamed.push_back(item);
    for (HTREEITEM item : renamed) {
        LPITEMIDLIST pidl = ParsePath(newPath);
        if (!pidl)
            continue;
        CFolderTreeItemData* data = ItemData(item);
        if (data->kind == kTreeShellFolder && data->data)
            CoTaskMemFree(data->Pidl());
        else if (data->kind == kTreeArchive && data->data)
            std::free(reinterpret_cast<void*>(data->data));
        data->kind = kTreeShellFolder;
        data->data = reinterpret_cast<uintptr_t>(pidl);
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = PathFindFileNameA(newPath);
        ::SendMessageA(m_hWnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        m_watcher.WatchDrive(newPath);
        HTREEITEM parent = TreeView_GetParent(m_hWnd, item);
        const CFolderTreeItemData* parentData = ItemData(parent);
        if (parentData && parentData->kind == kTreeShellFolder)
            SortChildren(parent);
    }
    return 0;
}

LRESULT CFolderTreeCtrl::OnItemMoved(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const char* oldPath = reinterpret_cast<const char*>(wParam);
    const char* newPath = reinterpret_cast<const char*>(lParam);
    if (!oldPath || !newPath)
        return 0;
    char oldFolder[MAX_PATH], newFolder[MAX_PATH];
    lstrcpynA(oldFolder, oldPath, MAX_PATH);
    lstrcpynA(newFolder, newPath, MAX_PATH);
    PathRemoveFileSpecA(oldFolder);
    PathRemoveFileSpecA(newFolder);
    ::SendMessageA(m_hWnd, FTM_ITEMREMOVED, reinterpret_cast<WPARAM>(oldFolder),
                   reinterpret_cast<LPARAM>(PathFindFileNameA(oldPath)));
    return ::SendMessageA(m_hWnd, FTM_ITEMADDED, reinterpret_cast<WPARAM>(newFolder),
                          reinterpret_cast<LPARAM>(PathFindFileNameA(newPath)));
}

void CFolderTreeCtrl::SortChildren(HTREEITEM parent) {
    const CFolderTreeItemData* data = ItemData(parent);
    IShellFolder* folder = data ? BindFolder(data->Pidl()) : nullptr;
    TVSORTCB sort{};
    sort.hParent = parent;
    sort.lpfnCompare = CompareItems;
    sort.lParam = reinterpret_cast<LPARAM>(folder);
    ::SendMessageA(m_hWnd, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    if (folder)
        folder->Release();
}
