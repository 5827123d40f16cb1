// The folder tree's drives: volumes that arrive or go (WM_DEVICECHANGE)
// are looked for under My Computer, whose refresh tells the notification
// window which drive was added, removed or changed.
#include <windows.h>

#include <dbt.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "explorer/folder_tree_ctrl.h"

namespace {

using namespace explorer_drive_events;

// The timer that spaces the looks for a drive that arrived but is not
// listed yet (timer 1 is the drag's).
constexpr UINT_PTR kDriveRetryTimer = 2;
constexpr UINT kDriveRetryMs = 100;

bool SameFolder(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    IShellFolder* desktop = nullptr;
    if (!a || !b || FAILED(SHGetDesktopFolder(&desktop)))
        return false;
    const HRESULT r = desktop->CompareIDs(0, a, b);
    desktop->Release();
    return SUCCEEDED(r) && HRESULT_CODE(r) == 0;
}

UINT NoticeOf(UINT message) {
    switch (message) {
    case FTM_DRIVEADDED:
        return FTN_DRIVEADDED;
    case FTM_DRIVEREMOVED:
        return FTN_DRIVEREMOVED;
    default:
        return FTN_DRIVECHANGED;
    }
}

} // namespace

HTREEITEM CFolderTreeCtrl::DrivesItem() const {
    LPITEMIDLIST drives = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)))
        return nullptr;
    HTREEITEM found = nullptr;
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item && !found;
         item = TreeView_GetNextSibling(m_hWnd, item)) {
        const CFolderTreeItemData* data = ItemData(item);
        if (data && data->kind == kTreeShellFolder && SameFolder(data->Pidl(), drives))
            found = item;
    }
    CoTaskMemFree(drives);
    return found;
}

void CFolderTreeCtrl::ResetDriveItem(HTREEITEM item) {
    const CFolderTreeItemData* data = ItemData(item);
    if (!data || data->kind != kTreeShellFolder || !data->Pidl())
        return;
    ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    while (HTREEITEM child = TreeView_GetChild(m_hWnd, item))
        TreeView_DeleteItem(m_hWnd, child);
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(data->Pidl()), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME);
    TVITEMA tv{};
    tv.mask = TVIF_STATE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    tv.hItem = item;
    tv.stateMask = TVIS_EXPANDED;
    tv.state = 0;
    tv.pszText = info.szDisplayName;
    tv.iImage = SharedSmallIconIndex(data->Pidl(), 0);
    tv.iSelectedImage = SharedSmallIconIndex(data->Pidl(), SHGFI_OPENICON);
    tv.cChildren = 1; // a drive root may always be opened
    ::SendMessageA(m_hWnd, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
}

LRESULT CFolderTreeCtrl::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    DWORD type = 0, mask = 0;
    // Only a record as large as a volume's carries a unit mask.
    if (header && header->dbch_size >= sizeof(DEV_BROADCAST_VOLUME)) {
        type = header->dbch_devicetype;
        if (type == DBT_DEVTYP_VOLUME)
            mask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask;
    }
    const DeviceEvent event = TreeDeviceEvent(static_cast<uint32_t>(wParam), type, mask);
    char root[4] = "";
    if (event.drive != kNoDrive)
        PathBuildRootA(root, event.drive);
    switch (event.action) {
    case DriveAction::RecordArrival:
        m_drives.Arrive(event.drive);
        break;
    case DriveAction::StopWatching:
        m_watcher.UnwatchDrive(root);
        break;
    case DriveAction::WatchAgain:
        m_watcher.WatchDrive(root);
        break;
    case DriveAction::RecordRemoval:
        m_drives.removed = event.drive;
        ::SendMessageA(m_hWnd, FTM_REFRESHDRIVES, 0, 0);
        break;
    case DriveAction::None:
        break;
    }
    return TRUE;
}

BOOL CFolderTreeCtrl::OnIdle() {
    if (m_hWnd && m_drives.arrived != kNoDrive && !m_drivesRefreshPosted)
        m_drivesRefreshPosted = ::PostMessageA(m_hWnd, FTM_REFRESHDRIVES, 1, 0) != FALSE;
    return FALSE;
}

LRESULT CFolderTreeCtrl::OnRefreshDrives(UINT, WPARAM wParam, LPARAM, BOOL&) {
    m_drivesRefreshPosted = false;
    HTREEITEM drives = DrivesItem();
    if (!drives) {
        m_drives.arrived = kNoDrive;
        return 0;
    }
    const bool always = wParam != 0;
    if (!always && !(TreeView_GetItemState(m_hWnd, drives, TVIS_EXPANDEDONCE) & TVIS_EXPANDEDONCE))
        return 0;
    TreeView_Expand(m_hWnd, drives, TVE_EXPAND);
    FillChildren(drives, true);
    // The shell may list a new volume a moment after the system announced
    // it: look again a little later, a bounded number of times.
    if (m_drives.EndRefresh() && ::SetTimer(m_hWnd, kDriveRetryTimer, kDriveRetryMs, nullptr))
        m_drivesRefreshPosted = true;
    return 0;
}

LRESULT CFolderTreeCtrl::OnDriveTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kDriveRetryTimer) {
        handled = FALSE;
        return 0;
    }
    ::KillTimer(m_hWnd, kDriveRetryTimer);
    // The idle pass after this message looks for the drive again.
    m_drivesRefreshPosted = false;
    return 0;
}

LRESULT CFolderTreeCtrl::OnDriveNotice(UINT message, WPARAM wParam, LPARAM, BOOL&) {
    Notify(NoticeOf(message), nullptr, nullptr, nullptr, static_cast<uintptr_t>(wParam));
    return 0;
}
