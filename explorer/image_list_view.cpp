#include "explorer/image_list_view.h"

#include <process.h>
#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/image_cache.h"
#include "explorer/list_view_class.h"
#include "explorer/logic/list_layout.h"
#include "explorer/logic/thumbnail_record.h"
#include "imaging/byte_stream.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

namespace {

constexpr UINT kUpdateTimeoutMs = 500;
constexpr DWORD kSharingRetryMs = 500;
const PaletteEntry kMetafileBackground{247, 247, 247, 0};

bool GetLastWriteTime(const char* path, uint64_t* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    *time = data.ftLastWriteTime.dwLowDateTime |
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32);
    return true;
}

} // namespace

CImageListViewCtrl::~CImageListViewCtrl() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

HWND CImageListViewCtrl::Create(HWND parent, const RECT& rect, DWORD style, UINT id,
                                const char* text) {
    if (!RegisterListViewSuperclass(kClassName))
        return nullptr;
    HWND window = CreateWindowExA(0, kClassName, text, style | WS_CHILD, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  UiModuleInstance(), nullptr);
    if (!window)
        return nullptr;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return nullptr;
    }
    OnCreate();
    return m_hWnd;
}

namespace {
// The lists whose workers run, all made and destroyed on the user-interface
// thread.
std::vector<CImageListViewCtrl*>& LiveLists() {
    static std::vector<CImageListViewCtrl*> lists;
    return lists;
}
} // namespace

void CImageListViewCtrl::PauseAllWorkers() {
    for (CImageListViewCtrl* list : LiveLists())
        list->PauseWorker();
}

void CImageListViewCtrl::ResumeAllWorkers() {
    for (CImageListViewCtrl* list : LiveLists())
        list->ResumeWorker();
}

void CImageListViewCtrl::OnCreate() {
    LiveLists().push_back(this);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 0;
    ::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    m_source = nullptr;
    m_anchor = -1;
    const CAppOptions& options = g_applicationState.Options();
    m_thumbWidth = ThumbnailSide(options.explorerThumbnailWidth);
    m_thumbHeight = ThumbnailSide(options.explorerThumbnailHeight);
    m_workEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_idleEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_pauseRequest = true;
    m_waitingForIdle = false;
    CreateTileBitmap();
    RegisterDropTarget();
    if (m_workEvent && m_idleEvent)
        m_thread = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, &CImageListViewCtrl::WorkerThread, this, 0, nullptr));
}

LRESULT CImageListViewCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE; // the list view cleans up after us
    std::vector<CImageListViewCtrl*>& lists = LiveLists();
    lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
    RevokeDropTarget();
    m_stopRequest = true;
    if (m_thread) {
        SetEvent(m_workEvent);
        // The worker sends to this thread only with a timeout, so it ends.
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_workEvent)
        CloseHandle(m_workEvent);
    if (m_idleEvent)
        CloseHandle(m_idleEvent);
    m_workEvent = m_idleEvent = nullptr;
    if (m_source)
        g_applicationState.ReleaseFileItemList(m_source);
    m_source = nullptr;
    ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
    DestroyImageList();
    if (m_tile)
        DeleteObject(m_tile);
    m_tile = nullptr;
    return 0;
}

// --- the worker's pacing -------------------------------------------------

void CImageListViewCtrl::PauseWorker() {
    if (m_viewMode == kListViewList || m_allDone || !m_thread)
        return;
    m_pauseRequest = true;
    m_waitingForIdle = true;
    WaitForSingleObject(m_idleEvent, INFINITE);
    m_waitingForIdle = false;
}

void CImageListViewCtrl::ResumeWorker() {
    if (!m_source || m_itemCount == 0 || m_viewMode == kListViewList || m_allDone ||
        m_waitingForIdle || !m_thread)
        return;
    m_pauseRequest = false;
    SetEvent(m_workEvent);
}

// --- items -----------------------------------------------------------------

void CImageListViewCtrl::SetItemSource(CFileItemList* list) {
    Clear();
    if (m_source)
        g_applicationState.ReleaseFileItemList(m_source);
    m_source = list;
    Populate();
}

void CImageListViewCtrl::DestroyImageList() {
    if (m_imageList)
        ImageList_Destroy(m_imageList);
    m_imageList = nullptr;
    m_capacity = m_used = m_singleInsertions = 0;
    m_itemImages.clear();
    m_done.clear();
}

HBITMAP CImageListViewCtrl::MakeBlankTile() {
    HDC screen = ::GetDC(nullptr);
    HBITMAP blank = CreateCompatibleBitmap(screen, m_thumbWidth, m_thumbHeight);
    HDC dc = CreateCompatibleDC(screen);
    if (blank && dc) {
        HGDIOBJ old = SelectObject(dc, blank);
        RECT all{0, 0, m_thumbWidth, m_thumbHeight};
        SetBkColor(dc, m_background);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        SelectObject(dc, old);
    }
    if (dc)
        DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return blank;
}

void CImageListViewCtrl::ResetImageList(int count) {
    m_capacity = m_used = count + 1;
    if (m_imageList) {
        ImageList_SetImageCount(m_imageList, static_cast<UINT>(m_capacity));
        if (HBITMAP blank = MakeBlankTile()) {
            ImageList_Replace(m_imageList, 0, blank, nullptr);
            DeleteObject(blank);
        }
    }
    m_itemImages.clear();
    m_done.clear();
    m_itemImages.reserve(count);
    m_done.reserve(count);
    for (int i = 0; i < count; ++i) {
        m_itemImages.push_back(i + 1);
        m_done.push_back(0);
    }
}

void CImageListViewCtrl::Populate() {
    if (!m_source)
        return;
    ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    Clear();
    m_source->Lock();
    const int count = m_source->GetItemCount();
    m_source->Unlock();
    m_itemCount = count;
    if (count == 0) {
        ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
        return;
    }
    const bool thumbnails = ThumbnailsShown();
    if (thumbnails)
        ResetImageList(count);
    ::SendMessageA(m_hWnd, LVM_SETITEMCOUNT, count, 0);
    char name[MAX_PATH];
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        if (!m_imageOnly) {
            m_source->Lock();
            if (!m_source->GetItemName(i, name))
                name[0] = '\0';
            m_source->Unlock();
            item.mask |= LVIF_TEXT;
            item.pszText = name;
        }
        item.iImage = thumbnails ? 0 : m_source->GetItemIconIndex(i);
        ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (m_imageOnly || m_placeByHand)
        PlaceItemsInRow();
    ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    m_allDone = false;
    ResumeWorker();
}

void CImageListViewCtrl::PlaceItemsInRow() {
    // The folder preview lies its tiles edge to edge; a filmstrip without
    // work areas keeps the icon spacing.
    int step = m_thumbWidth;
    if (!m_imageOnly)
        step = LOWORD(::SendMessageA(m_hWnd, LVM_GETITEMSPACING, FALSE, 0));
    // Some list views arrange their icons at the first paint after items
    // arrive; a paint into a memory context spends that first paint before
    // the row is laid out.
    HDC screen = ::GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (dc) {
        ::SendMessageA(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        DeleteDC(dc);
    }
    const int count = m_itemCount;
    for (int i = 0; i < count; ++i) {
        const ListPoint at = SingleRowPosition(i, step);
        POINT point{at.x, at.y};
        ::SendMessageA(m_hWnd, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&point));
    }
}

void CImageListViewCtrl::InsertItem(int index) {
    if (!m_source || index < 0 || index > m_itemCount)
        return;
    const bool thumbnails = ThumbnailsShown();
    if (thumbnails) {
        // The worker reads these arrays: it waits while they change.
        PauseWorker();
        if (m_capacity == 0)
            ResetImageList(m_itemCount);
        ++m_singleInsertions;
        if (m_used >= m_capacity) {
            m_capacity = GrowImageCapacity(m_capacity, m_singleInsertions);
            if (m_imageList)
                ImageList_SetImageCount(m_imageList, static_cast<UINT>(m_capacity));
        }
        const size_t at = std::min<size_t>(static_cast<size_t>(index), m_itemImages.size());
        m_itemImages.insert(m_itemImages.begin() + at, m_used);
        m_done.insert(m_done.begin() + at, 0);
        ++m_used;
    }
    char name[MAX_PATH] = "";
    m_source->Lock();
    m_source->GetItemName(index, name);
    m_source->Unlock();
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = m_imageOnly ? const_cast<char*>("") : name;
    item.iImage = thumbnails ? 0 : m_source->GetItemIconIndex(index);
    ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ++m_itemCount;
    if (m_imageOnly || m_placeByHand)
        PlaceItemsInRow();
    m_allDone = false;
    ResumeWorker();
}

void CImageListViewCtrl::DeleteItem(int index) {
    if (index < 0 || index >= m_itemCount)
        return;
    const bool thumbnails = ThumbnailsShown();
    if (thumbnails)
        PauseWorker();
    --m_itemCount;
    if (::SendMessageA(m_hWnd, LVM_DELETEITEM, index, 0)) {
        if (thumbnails && static_cast<size_t>(index) < m_done.size()) {
            m_done.erase(m_done.begin() + index);
            m_itemImages.erase(m_itemImages.begin() + index);
        }
    } else {
        ++m_itemCount;
    }
    if (m_imageOnly || m_placeByHand)
        PlaceItemsInRow();
    else
        ::SendMessageA(m_hWnd, LVM_ARRANGE, LVA_DEFAULT, 0);
    ::PostMessageA(m_hWnd, kMsgListMakeVisibleFirst, 0, 0);
    ResumeWorker();
}

void CImageListViewCtrl::Clear() {
    PauseWorker();
    m_itemCount = 0;
    ::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
    if (ThumbnailsShown()) {
        if (m_imageList)
            ImageList_Remove(m_imageList, -1);
        m_capacity = m_used = m_singleInsertions = 0;
        m_itemImages.clear();
        m_done.clear();
    }
}

void CImageListViewCtrl::UpdateItemText(int index) {
    if (!m_source || index < 0 || index >= m_itemCount || m_imageOnly)
        return;
    char name[MAX_PATH] = "";
    m_source->Lock();
    const bool ok = m_source->GetItemName(index, name);
    m_source->Unlock();
    if (!ok)
        return;
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = name;
    ::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

void CImageListViewCtrl::InvalidateThumbnail(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_done.size() || !m_done[index])
        return;
    PauseWorker();
    m_done[index] = 0;
    m_allDone = false;
    ResumeWorker();
}

bool CImageListViewCtrl::IsItemDone(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_done.size() && m_done[index] != 0;
}

// --- selection ---------------------------------------------------------------

void CImageListViewCtrl::SetItemState(int index, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    ::SendMessageA(m_hWnd, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void CImageListViewCtrl::SetRangeSelected(int from, int to, bool selected) {
    for (int i = std::max(from, 0); i <= to && i < m_itemCount; ++i)
        SetItemState(i, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CImageListViewCtrl::SelectItem(int index, bool select) {
    if (m_itemCount == 0 || index < 0 || index >= m_itemCount)
        return;
    const UINT state = LVIS_FOCUSED | (select ? LVIS_SELECTED : 0);
    SetItemState(index, state, state);
    ::SendMessageA(m_hWnd, LVM_SETSELECTIONMARK, 0, index);
    ::SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, index, FALSE);
}

int CImageListViewCtrl::GetFocusedItem() const {
    const UINT order[] = {LVNI_FOCUSED | LVNI_SELECTED, LVNI_SELECTED, LVNI_FOCUSED};
    for (UINT flags : order) {
        const int found = static_cast<int>(::SendMessageA(m_hWnd, LVM_GETNEXTITEM, -1, flags));
        if (found >= 0)
            return found;
    }
    return -1;
}

void CImageListViewCtrl::GetSelectedIndices(std::vector<int>* indices) const {
    int at = -1;
    while ((at = static_cast<int>(::SendMessageA(m_hWnd, LVM_GETNEXTITEM, at, LVNI_SELECTED))) >= 0)
        indices->push_back(at);
}

void CImageListViewCtrl::ClearSelection() {
    std::vector<int> selected;
    GetSelectedIndices(&selected);
    for (int index : selected)
        SetItemState(index, 0, LVIS_SELECTED);
}

void CImageListViewCtrl::SelectAll() {
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CImageListViewCtrl::InvertSelection() {
    for (int i = 0; i < m_itemCount; ++i) {
        const UINT state =
            static_cast<UINT>(::SendMessageA(m_hWnd, LVM_GETITEMSTATE, i, LVIS_SELECTED));
        SetItemState(i, (state & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
}

// --- modes and looks -----------------------------------------------------------

void CImageListViewCtrl::ApplyStyle(DWORD clear, DWORD set) {
    const LONG_PTR old = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    const LONG_PTR style = (old & ~static_cast<LONG_PTR>(clear)) | static_cast<LONG_PTR>(set);
    if (style == old)
        return;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CImageListViewCtrl::SetViewMode(int mode) {
    if (mode < kListViewFilmstrip || mode > kListViewList)
        return;
    PauseWorker();
    std::vector<int> selected;
    GetSelectedIndices(&selected);
    const int focused = GetFocusedItem();

    DestroyImageList();
    m_viewMode = mode;
    m_placeByHand = false;
    if (mode == kListViewList) {
        ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
        ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL,
                       reinterpret_cast<LPARAM>(g_smallImageList));
        ::SendMessageA(m_hWnd, LVM_SETBKCOLOR, 0, RGB(247, 247, 247));
        ::SendMessageA(m_hWnd, LVM_SETTEXTBKCOLOR, 0, RGB(247, 247, 247));
        ::SendMessageA(m_hWnd, LVM_SETWORKAREAS, 0, 0);
        ApplyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_ALIGNLEFT | LVS_AUTOARRANGE);
        ::SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_BORDERSELECT, 0);
        ResizeListColumn();
    } else {
        ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ::SendMessageA(m_hWnd, LVM_SETBKCOLOR, 0, m_background);
        ::SendMessageA(m_hWnd, LVM_SETTEXTBKCOLOR, 0, m_background);
        m_imageList = ImageList_Create(m_thumbWidth, m_thumbHeight, ILC_COLOR24, 0, 1);
        ::SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_NORMAL,
                       reinterpret_cast<LPARAM>(m_imageList));
        if (mode == kListViewFilmstrip) {
            RECT area{0, 0, INT_MAX, m_thumbHeight + 50};
            ::SendMessageA(m_hWnd, LVM_SETWORKAREAS, 1, reinterpret_cast<LPARAM>(&area));
            UINT areas = 0;
            ::SendMessageA(m_hWnd, LVM_GETNUMBEROFWORKAREAS, 0, reinterpret_cast<LPARAM>(&areas));
            // A list view without work areas wraps the row: it is laid out by
            // hand instead, which automatic arrangement would undo.
            m_placeByHand = areas == 0;
            ApplyStyle(LVS_TYPEMASK | LVS_NOCOLUMNHEADER | (m_placeByHand ? LVS_AUTOARRANGE : 0),
                       LVS_ALIGNLEFT | (m_placeByHand ? 0 : LVS_AUTOARRANGE));
        } else {
            ::SendMessageA(m_hWnd, LVM_SETWORKAREAS, 0, 0);
            ApplyStyle(LVS_TYPEMASK | LVS_ALIGNLEFT | LVS_NOCOLUMNHEADER, LVS_AUTOARRANGE);
        }
        ::SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_BORDERSELECT,
                       LVS_EX_BORDERSELECT);
    }
    ::PostMessageA(m_hWnd, kMsgListMakeVisibleFirst, 0, 0);

    Populate();
    for (int index : selected)
        if (index < m_itemCount)
            SetItemState(index, LVIS_SELECTED, LVIS_SELECTED);
    if (focused >= 0 && focused < m_itemCount) {
        SetItemState(focused, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        ::SendMessageA(m_hWnd, LVM_SETSELECTIONMARK, 0, focused);
        ::SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, focused, FALSE);
    }
}

void CImageListViewCtrl::SetImageOnlyMode() {
    m_imageOnly = true;
    SetViewMode(kListViewThumbnails);
    ApplyStyle(LVS_TYPEMASK | LVS_ALIGNLEFT | LVS_AUTOARRANGE | LVS_NOCOLUMNHEADER, 0);
    ::SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_BORDERSELECT, 0);
}

void CImageListViewCtrl::SetBackgroundColor(COLORREF colour) {
    m_background = colour;
    ::SendMessageA(m_hWnd, LVM_SETBKCOLOR, 0, colour);
    ::SendMessageA(m_hWnd, LVM_SETTEXTBKCOLOR, 0, colour);
}

void CImageListViewCtrl::UpdateIconSpacing() {
    const CAppOptions& options = g_applicationState.Options();
    const ListSize spacing =
        ThumbnailIconSpacing(m_thumbWidth, m_thumbHeight, options.explorerThumbnailXSpace,
                             options.explorerThumbnailYSpace);
    ::SendMessageA(m_hWnd, LVM_SETICONSPACING, 0, MAKELPARAM(spacing.cx, spacing.cy));
    if (m_placeByHand)
        PlaceItemsInRow();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_hWnd);
}

void CImageListViewCtrl::CreateTileBitmap() {
    // The worker composes into the tile: it waits while the tile changes.
    PauseWorker();
    const CAppOptions& options = g_applicationState.Options();
    m_thumbWidth = ThumbnailSide(options.explorerThumbnailWidth);
    m_thumbHeight = ThumbnailSide(options.explorerThumbnailHeight);
    if (m_tile)
        DeleteObject(m_tile);
    HDC screen = ::GetDC(nullptr);
    m_tile = CreateCompatibleBitmap(screen, m_thumbWidth, m_thumbHeight);
    ::ReleaseDC(nullptr, screen);
}

void CImageListViewCtrl::ResizeListColumn() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::SendMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, 0, client.right - client.left);
}

// --- messages --------------------------------------------------------------------

LRESULT CImageListViewCtrl::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    ::GetClientRect(m_hWnd, &m_client);
    if (m_viewMode == kListViewList) {
        ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
        ResizeListColumn();
    }
    return 0;
}

LRESULT CImageListViewCtrl::OnScrollInput(UINT, WPARAM, LPARAM, BOOL& handled) {
    ::PostMessageA(m_hWnd, kMsgListMakeVisibleFirst, 0, 0);
    handled = FALSE;
    return 0;
}

LRESULT CImageListViewCtrl::OnMakeVisibleFirst(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_viewMode == kListViewList)
        return 0;
    POINT origin{};
    ::SendMessageA(m_hWnd, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
    HWND list = m_hWnd;
    m_firstVisible = FirstVisibleItem(
        m_itemCount, ListPoint{origin.x, origin.y}, m_thumbWidth, m_thumbHeight,
        m_viewMode == kListViewFilmstrip, [list](int32_t i) {
            POINT at{};
            ::SendMessageA(list, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&at));
            return ListPoint{at.x, at.y};
        });
    m_jumpRequest = true;
    return 0;
}

LRESULT CImageListViewCtrl::OnLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    ::SetFocus(m_hWnd);
    handled = FALSE;
    if (m_itemCount == 0)
        return 0;
    if (!(wParam & MK_SHIFT)) {
        m_anchor = -1;
        return 0;
    }
    const int focused = GetFocusedItem();
    LVHITTESTINFO hit{};
    hit.pt.x = static_cast<short>(LOWORD(lParam));
    hit.pt.y = static_cast<short>(HIWORD(lParam));
    const int clicked =
        static_cast<int>(::SendMessageA(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (clicked < 0 || !(hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)))
        return 0;
    if (m_anchor == -1)
        m_anchor = focused;
    const ListSelectionMove move = ShiftClickMove(m_anchor, focused, clicked);
    SelectItem(clicked, true);
    SetRangeSelected(move.deselectFrom, move.deselectTo, false);
    SetRangeSelected(move.selectFrom, move.selectTo, true);
    handled = TRUE;
    return 0;
}

LRESULT CImageListViewCtrl::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    handled = FALSE;
    if (!shift)
        m_anchor = -1;
    HWND parent = ::GetParent(m_hWnd);
    if (ctrl && (wParam == 'V' || wParam == 'Z')) {
        ::SendMessageA(parent, WM_COMMAND, wParam == 'V' ? ID_EDIT_PASTE : ID_EDIT_UNDO, 0);
        handled = TRUE;
        return 0;
    }
    if (m_itemCount == 0)
        return 0;
    if (ctrl && wParam == 'A') {
        SelectAll();
        handled = TRUE;
        return 0;
    }
    if (ctrl && (wParam == 'C' || wParam == 'X')) {
        ::SendMessageA(m_hWnd, WM_COMMAND, wParam == 'C' ? ID_EDIT_COPY : ID_EDIT_CUT, 0);
        handled = TRUE;
        return 0;
    }
    if (m_viewMode != kListViewThumbnails)
        return 0;
    EListNavKey key;
    switch (wParam) {
    case VK_PRIOR:
        key = kNavPageUp;
        break;
    case VK_NEXT:
        key = kNavPageDown;
        break;
    case VK_HOME:
        key = kNavHome;
        break;
    case VK_END:
        key = kNavEnd;
        break;
    case VK_LEFT:
        key = kNavLeft;
        break;
    case VK_RIGHT:
        key = kNavRight;
        break;
    case VK_UP:
        key = kNavUp;
        break;
    case VK_DOWN:
        key = kNavDown;
        break;
    default:
        return 0;
    }
    ListNavInput in;
    in.key = key;
    in.shift = shift;
    in.ctrl = ctrl;
    in.focused = GetFocusedItem();
    in.count = m_itemCount;
    POINT first{};
    ::SendMessageA(m_hWnd, LVM_GETITEMPOSITION, 0, reinterpret_cast<LPARAM>(&first));
    in.perRow = 0;
    for (int i = 0; i < in.count; ++i) {
        POINT at{};
        ::SendMessageA(m_hWnd, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&at));
        if (at.y != first.y)
            break;
        ++in.perRow;
    }
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageA(m_hWnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
    const int itemHeight = std::max<int>(1, bounds.bottom - bounds.top);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    in.perPage = in.perRow * ((client.bottom - client.top) / itemHeight);
    in.anchor = m_anchor;
    const ListNavResult r = NavigateThumbnails(in);
    m_anchor = r.anchor;
    if (r.action == ListNavResult::kDefault)
        return 0;
    handled = TRUE;
    if (r.action == ListNavResult::kMove) {
        if (r.deselectAll)
            ClearSelection();
        SetRangeSelected(r.move.deselectFrom, r.move.deselectTo, false);
        SetRangeSelected(r.move.selectFrom, r.move.selectTo, true);
        SelectItem(r.move.target, r.move.select);
    }
    return 0;
}

// --- the worker ---------------------------------------------------------------------

unsigned __stdcall CImageListViewCtrl::WorkerThread(void* self) {
    static_cast<CImageListViewCtrl*>(self)->WorkerLoop();
    return 0;
}

void CImageListViewCtrl::WorkerLoop() {
    HDC screen = ::GetDC(nullptr);
    HDC tileDc = CreateCompatibleDC(screen);
    HDC imageDc = CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    CByteStream stream;
    stream.Allocate(kThumbnailStreamCapacity);
    const bool signalAndWait = g_applicationState.VersionInfo().dwMajorVersion == 5;
    m_repeatPass = true;
    for (;;) {
        if (!(m_repeatPass && !m_pauseRequest && !m_stopRequest)) {
            if (!m_pauseRequest)
                m_allDone = true;
            // Idle: everything written is flushed, and this worker's place
            // among the writers (and with the last one the lock file) goes.
            m_writer.End();
            if (signalAndWait) {
                SignalObjectAndWait(m_idleEvent, m_workEvent, INFINITE, FALSE);
            } else {
                SetEvent(m_idleEvent);
                WaitForSingleObject(m_workEvent, INFINITE);
            }
            if (m_stopRequest)
                break;
            m_writer.Begin();
            ResetEvent(m_idleEvent);
            if (m_pauseRequest || m_stopRequest) {
                m_repeatPass = false;
                continue;
            }
        }
        // A pass.
        CFileItemList* source = m_source;
        if (!source) {
            m_repeatPass = false;
            continue;
        }
        const bool cache = g_applicationState.Options().explorerThumbnailCache;
        char folder[MAX_PATH] = "";
        source->Lock();
        const bool folderList = source->IsFolderList();
        if (folderList)
            lstrcpynA(folder, source->GetFolder(), MAX_PATH);
        source->Unlock();
        if (folderList) {
            char key[256];
            MakeThumbnailKey(folder, "", true, key);
        }
        m_repeatPass = false;
        if (m_itemCount < 1)
            continue;
        bool endPass = false;
        for (int b = 0; b < m_itemCount && !endPass; ++b) {
            if (m_pauseRequest || m_stopRequest) {
                endPass = true;
                break;
            }
            if (m_done[b])
                continue;
            if (m_jumpRequest) {
                m_jumpRequest = false;
                const int first = m_firstVisible;
                if (first != b && first >= 0 && first < m_itemCount) {
                    b = first;
                    m_repeatPass = true;
                    if (m_done[b])
                        continue;
                }
            }
            if (!MakeThumbnail(b, tileDc, imageDc, stream, folderList ? folder : nullptr,
                               cache && folderList))
                endPass = true;
        }
    }
    m_writer.End();
    stream.Free();
    DeleteDC(tileDc);
    DeleteDC(imageDc);
}

CImageObject* CImageListViewCtrl::ReadRecord(const char* key, const char* path,
                                             CByteStream& stream) {
    uint64_t fileTime = 0;
    if (!LookUpThumbnailRecord(key, &stream) || !GetLastWriteTime(path, &fileTime))
        return nullptr;
    ThumbnailRecordView view;
    if (!ParseThumbnailRecord(stream.buffer, stream.size, fileTime, m_thumbWidth, m_thumbHeight,
                              &view))
        return nullptr;
    CImageObject* image = new (std::nothrow) CImageObject();
    if (!image)
        return nullptr;
    const ThumbnailRecordHeader& h = view.header;
    bool ok =
        image->Create(h.width, h.height, h.bitsPerPixel, static_cast<int32_t>(h.paletteCount)) &&
        static_cast<uint32_t>(image->stride) == view.stride;
    if (ok && view.palette) {
        const int32_t entries = std::min<int32_t>(image->paletteCount, h.paletteCount);
        std::memcpy(image->palette, view.palette, static_cast<size_t>(entries) * 4);
        ok = image->UpdateColorTable();
    }
    ok = ok && InflateThumbnailPixels(view, image->bits, view.pixelBytes);
    if (!ok) {
        image->Release();
        return nullptr;
    }
    image->fileTime = fileTime;
    return image;
}

bool CImageListViewCtrl::MakeThumbnail(int b, HDC tileDc, HDC imageDc, CByteStream& stream,
                                       const char* folder, bool cache) {
    CFileItemList* source = m_source;
    char path[MAX_PATH] = "";
    char name[MAX_PATH] = "";
    source->Lock();
    if (b >= source->GetItemCount()) {
        source->Unlock();
        return true;
    }
    bool ok =
        source->IsArchiveList() ? source->GetExtractedPath(b, path) : source->GetItemPath(b, path);
    if (folder)
        lstrcpynA(name, source->GetItem(b), MAX_PATH);
    const bool archive = source->IsArchiveList();
    source->Unlock();
    if (!ok)
        return !archive; // an entry that cannot be extracted ends the pass

    char key[256] = "";
    const bool keyed = cache && folder && MakeThumbnailKey(folder, name, true, key);
    const int boxWidth = m_thumbWidth - 2;
    const int boxHeight = m_thumbHeight - 2;
    CImageObject* image = keyed ? ReadRecord(key, path, stream) : nullptr;
    const bool fromRecord = image != nullptr;
    if (!image) {
        ++m_decodeCount;
        image = LoadImageScaled(path, boxWidth, boxHeight);
        if (!image) {
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                Sleep(kSharingRetryMs);
            ++m_decodeCount;
            image = LoadImageScaled(path, boxWidth, boxHeight);
        }
        if (!image) {
            m_done[b] = 1; // keeps the blank tile
            return true;
        }
    }
    const int type = DetectImageFileType(path);
    const bool metafile = type == kFileTypeEmf || type == kFileTypeWmf;
    if (metafile) {
        int32_t w = boxWidth, h = boxHeight;
        FitSizeIntoBox(image->width, image->height, &w, &h);
        if (!RenderMetafileToImage(w, h, kMetafileBackground, image)) {
            image->Release();
            m_done[b] = 1;
            return true;
        }
    }
    if (!fromRecord && !metafile && keyed && image->bits) {
        uint64_t fileTime = image->fileTime;
        if (fileTime == 0)
            GetLastWriteTime(path, &fileTime);
        ThumbnailRecordHeader header;
        header.fileTime = fileTime;
        header.width = image->width;
        header.height = image->height;
        header.bitsPerPixel = static_cast<uint8_t>(image->bitsPerPixel);
        header.paletteCount = static_cast<uint32_t>(image->paletteCount);
        if (EncodeThumbnailRecord(header, image->palette, image->bits,
                                  static_cast<size_t>(image->stride) * image->height, &stream))
            StoreThumbnailRecord(key, stream);
    }

    // The tile: the picture unscaled in the middle of the background.
    HGDIOBJ oldTile = SelectObject(tileDc, m_tile);
    RECT all{0, 0, m_thumbWidth, m_thumbHeight};
    SetBkColor(tileDc, m_background);
    ExtTextOutA(tileDc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    if (image->bitmap) {
        const ListPoint at = TileOffset(m_thumbWidth, m_thumbHeight, image->width, image->height);
        HGDIOBJ oldImage = SelectObject(imageDc, image->bitmap);
        BitBlt(tileDc, at.x, at.y, image->width, image->height, imageDc, 0, 0, SRCCOPY);
        SelectObject(imageDc, oldImage);
    }
    SelectObject(tileDc, oldTile);
    image->Release();
    ImageList_Replace(m_imageList, m_itemImages[b], m_tile, nullptr);

    if (m_pauseRequest)
        return false;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = b;
    item.iImage = m_itemImages[b];
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item),
                              SMTO_ABORTIFHUNG, kUpdateTimeoutMs, &result)) {
        ::SendNotifyMessageA(m_hWnd, LVM_REDRAWITEMS, b, b);
        m_done[b] = 1;
    } else {
        // Another pass once the user-interface thread answers again.
        m_repeatPass = true;
    }
    return true;
}
