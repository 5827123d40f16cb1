#include "explorer/browse_folder_dialog.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "app/app_globals.h"
#include "app/options.h"
#include "explorer/logic/folder_rules.h"

const char kRecentBrowseCountValue[] = "RecentBrowseForFolder";
const char kRecentBrowseKeyPath[] = "Software\\Velmorantix\\Velmorantix XP\\BrowseForFolders";

namespace {

constexpr UINT kFirstPassedNotice = 1077;
constexpr UINT kLastPassedNotice = 1082;

bool IsUncOrExisting(const char* path) {
    return path[0] && (PathIsUNCA(path) || PathFileExistsA(path));
}

bool IsDirectory(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

CBrowseForFolderDialog::CBrowseForFolderDialog() = default;

void CBrowseForFolderDialog::ReadRecentFolders() {
    m_recent.clear();
    m_recentCount = kRecentFoldersDefault;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0, value = 0, size = sizeof value;
        const bool present =
            RegQueryValueExA(key, kRecentBrowseCountValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value;
        m_recentCount = ClampRecentFolderCount(present, value);
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecentBrowseKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (int number = 0;; ++number) {
        char name[16];
        wsprintfA(name, "%d", number);
        char folder[MAX_PATH + 1] = "";
        DWORD type = 0, size = MAX_PATH;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            break;
        folder[size < MAX_PATH ? size : MAX_PATH] = '\0';
        m_recent.push_back(folder);
    }
    RegCloseKey(key);
}

bool CBrowseForFolderDialog::WriteRecentFolders() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRecentBrowseKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    int number = 0;
    for (const std::string& folder : m_recent) {
        if (folder.empty())
            break;
        char name[16];
        wsprintfA(name, "%d", number);
        if (RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>(folder.size() + 1)) != ERROR_SUCCESS) {
            RegCloseKey(key);
            return false;
        }
        ++number;
    }
    for (;; ++number) {
        char name[16];
        wsprintfA(name, "%d", number);
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    return true;
}

LRESULT CBrowseForFolderDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ReadRecentFolders();
    if (title[0])
        SetWindowText(title);

    m_tree.SetNoArchives(true);
    m_tree.SetSecondaryTree(true);
    m_tree.SetNotifyWindow(m_hWnd);
    if (m_tree.Attach(GetDlgItem(IDC_BROWSE_TREE))) {
        m_tree.InsertCollectionsRoot();
        if (HTREEITEM desktop = m_tree.InsertSpecialFolder(CSIDL_DESKTOP, nullptr))
            TreeView_Expand(m_tree.m_hWnd, desktop, TVE_EXPAND);
    }

    HWND combo = GetDlgItem(IDC_BROWSE_FOLDER);
    for (const std::string& folder : m_recent)
        if (PathIsUNCA(folder.c_str()) || IsDirectory(folder.c_str()))
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    if (::SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
        ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
        ::GetWindowTextA(combo, path, MAX_PATH);
    } else if (path[0]) {
        ::SetWindowTextA(combo, path);
    }

    m_smallIcon = static_cast<HICON>(
        LoadImageA(UiModuleInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    if (m_smallIcon)
        ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    UpdateNewFolderButton();

    // Resizing: the tree grows; the row below it moves down, the combo box
    // also grows; the buttons on the right follow the corner.
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_initialClient = {client.right, client.bottom};
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    m_minimumWindow = {window.right - window.left, window.bottom - window.top};
    const Anchor anchors[] = {
        {IDC_BROWSE_TREE, {}, false, false, true, true},
        {IDC_BROWSE_FOLDER_LABEL, {}, false, true, false, false},
        {ID_TREE_NEW_FOLDER, {}, false, true, false, false},
        {IDC_BROWSE_FOLDER, {}, false, true, true, false},
        {IDC_BROWSE_GO, {}, true, true, false, false},
        {IDC_BROWSE_OK, {}, true, true, false, false},
        {IDCANCEL, {}, true, true, false, false},
    };
    for (Anchor anchor : anchors) {
        HWND control = GetDlgItem(anchor.id);
        if (!control)
            continue;
        ::GetWindowRect(control, &anchor.rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&anchor.rect), 2);
        m_anchors.push_back(anchor);
    }
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    m_gripper = CreateWindowExA(0, "SCROLLBAR", "",
                                WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                client.right - grip, client.bottom - grip, grip, grip, m_hWnd,
                                nullptr, UiModuleInstance(), nullptr);
    // The focus starts in the folder box: a tree that took it would select
    // its first item and replace the folder shown.
    ::SetFocus(GetDlgItem(IDC_BROWSE_FOLDER));
    return FALSE;
}

LRESULT CBrowseForFolderDialog::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (m_anchors.empty())
        return 0;
    const int dx = LOWORD(lParam) - m_initialClient.cx;
    const int dy = HIWORD(lParam) - m_initialClient.cy;
    for (const Anchor& anchor : m_anchors) {
        RECT r = anchor.rect;
        if (anchor.moveX)
            OffsetRect(&r, dx, 0);
        if (anchor.moveY)
            OffsetRect(&r, 0, dy);
        if (anchor.growX)
            r.right += dx;
        if (anchor.growY)
            r.bottom += dy;
        ::SetWindowPos(GetDlgItem(anchor.id), nullptr, r.left, r.top, r.right - r.left,
                       r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_gripper) {
        const int grip = GetSystemMetrics(SM_CXVSCROLL);
        ::SetWindowPos(m_gripper, nullptr, LOWORD(lParam) - grip, HIWORD(lParam) - grip, grip, grip,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return 0;
}

LRESULT CBrowseForFolderDialog::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (m_minimumWindow.cx > 0) {
        info->ptMinTrackSize.x = m_minimumWindow.cx;
        info->ptMinTrackSize.y = m_minimumWindow.cy;
    }
    return 0;
}

LRESULT CBrowseForFolderDialog::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    // The watches end with the dialog, not before a refused OK.
    m_tree.StopAllWatches();
    if (m_smallIcon) {
        DestroyIcon(m_smallIcon);
        m_smallIcon = nullptr;
    }
    return 0;
}

void CBrowseForFolderDialog::UpdateNewFolderButton() {
    if (IsUncOrExisting(path)) {
        SetDlgItemText(ID_TREE_NEW_FOLDER, "&Make New Folder");
        ::EnableWindow(GetDlgItem(IDC_BROWSE_GO), TRUE);
    } else {
        SetDlgItemText(ID_TREE_NEW_FOLDER, "&Create New Collection");
        if (HTREEITEM selected = TreeView_GetSelection(m_tree.m_hWnd))
            TreeView_EnsureVisible(m_tree.m_hWnd, selected);
        ::EnableWindow(GetDlgItem(IDC_BROWSE_GO), FALSE);
    }
}

void CBrowseForFolderDialog::ShowPathInCombo() {
    SetDlgItemText(IDC_BROWSE_FOLDER, path);
}

void CBrowseForFolderDialog::TakeComboText() {
    GetDlgItemText(IDC_BROWSE_FOLDER, path, MAX_PATH);
}

LRESULT CBrowseForFolderDialog::OnTreeNotify(int, LPNMHDR header, BOOL&) {
    // The tree's own handling first (it is reflected back to the control).
    const LRESULT result =
        ::SendMessageA(m_tree.m_hWnd, OCM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    if (header->code == TVN_SELCHANGEDA) {
        const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
        const CFolderTreeItemData* data = m_tree.ItemData(nm->itemNew.hItem);
        if (data && data->kind == kTreeShellFolder) {
            path[0] = '\0';
            m_tree.GetItemPathOf(nm->itemNew.hItem, path);
        } else if (data && data->kind == kTreeMyCollections) {
            path[0] = '\0';
        }
        ShowPathInCombo();
        UpdateNewFolderButton();
    } else if (header->code == TVN_ENDLABELEDITA) {
        lstrcpynA(path, m_tree.GetSelectedFolderPath().c_str(), MAX_PATH);
        ShowPathInCombo();
    }
    return result;
}

LRESULT CBrowseForFolderDialog::OnTreeNotice(int, LPNMHDR header, BOOL& handled) {
    if (header->code < kFirstPassedNotice || header->code > kLastPassedNotice) {
        handled = FALSE;
        return 0;
    }
    if (passOnWindow)
        ::SendMessageA(passOnWindow, header->code, reinterpret_cast<WPARAM>(header), 0);
    return 0;
}

LRESULT CBrowseForFolderDialog::OnFolderChange(WORD, WORD code, HWND, BOOL&) {
    if (code == CBN_SELCHANGE) {
        HWND combo = GetDlgItem(IDC_BROWSE_FOLDER);
        const LRESULT at = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (at >= 0 && ::SendMessageA(combo, CB_GETLBTEXTLEN, at, 0) < MAX_PATH)
            ::SendMessageA(combo, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(path));
    } else {
        TakeComboText();
    }
    UpdateNewFolderButton();
    return 0;
}

LRESULT CBrowseForFolderDialog::OnGo(WORD, WORD, HWND, BOOL&) {
    TakeComboText();
    if (!IsDirectory(path))
        ShowMessageBox("Path not found", kProductName, MB_ICONINFORMATION);
    m_tree.SelectItemSource(kTreeShellFolder, reinterpret_cast<uintptr_t>(path));
    return 0;
}

LRESULT CBrowseForFolderDialog::OnNewFolder(WORD, WORD, HWND, BOOL&) {
    if (path[0] && PathFileExistsA(path))
        m_tree.SelectItemSource(kTreeShellFolder, reinterpret_cast<uintptr_t>(path));
    else if (HTREEITEM first = TreeView_GetRoot(m_tree.m_hWnd))
        TreeView_SelectItem(m_tree.m_hWnd, first);
    ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, ID_TREE_NEW_FOLDER, 0);
    return 0;
}

bool CBrowseForFolderDialog::EndsLabelEdit(bool cancel) {
    if (!TreeView_GetEditControl(m_tree.m_hWnd))
        return false;
    TreeView_EndEditLabelNow(m_tree.m_hWnd, cancel ? TRUE : FALSE);
    lstrcpynA(path, m_tree.GetSelectedFolderPath().c_str(), MAX_PATH);
    ShowPathInCombo();
    return true;
}

LRESULT CBrowseForFolderDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (EndsLabelEdit(false))
        return 0;
    TakeComboText();
    for (const std::string& folder : FoldersToCreate(path))
        if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
            !CreateDirectoryA(folder.c_str(), nullptr))
            break;
    if (!IsDirectory(path)) {
        ShowMessageBox("Cannot create folder.", kProductName, MB_ICONERROR);
        return 0;
    }
    RememberRecentFolder(&m_recent, path, m_recentCount, EqualNoCase);
    if (!WriteRecentFolders()) {
        // Not silently: the user must learn why OK did not close the dialog.
        ShowMessageBox("Cannot save the recent folders.", kProductName, MB_ICONERROR);
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CBrowseForFolderDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    if (EndsLabelEdit(true))
        return 0;
    EndDialog(IDCANCEL);
    return 0;
}
