#include "tools/metadata_list.h"

#include "imaging/image_object.h"
#include "tools/logic/metadata_rows.h"

CWndClassInfo& CMetadataListViewCtrl::GetWndClassInfo() {
    static CWndClassInfo wc("CMetadataListViewCtrl", 0, NULL);
    return wc;
}

HWND CMetadataListViewCtrl::CreateList(HWND parent, UINT id, const RECT& rect) {
    // The list view's own class does the work; the object subclasses it.
    HWND list = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
        (HMENU)(UINT_PTR)id, UiModuleInstance(), NULL);
    if (!list)
        return NULL;
    if (!Attach(list)) {
        ::DestroyWindow(list);
        return NULL;
    }
    return list;
}

BOOL CMetadataListViewCtrl::Attach(HWND listView) {
    if (!SubclassWindow(listView))
        return FALSE;
    ListView_SetExtendedListViewStyle(m_hWnd, LVS_EX_FULLROWSELECT);
    InsertColumns();
    return TRUE;
}

void CMetadataListViewCtrl::InsertColumns() {
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Tag", 80}, {"Value", 350}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[i].title);
        column.cx = columns[i].width;
        column.iSubItem = i;
        ::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }
}

void CMetadataListViewCtrl::FillFromImage(const CImageObject* image) {
    if (!m_hWnd)
        return;
    ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(m_hWnd);
    if (image && image->exif) {
        int index = 0;
        for (const MetadataRow& row : BuildMetadataRows(*image->exif)) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = index;
            item.pszText = const_cast<char*>(row.tag.c_str());
            const int at = (int)::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, (LPARAM)&item);
            if (at < 0)
                break;
            item.iItem = at;
            item.iSubItem = 1;
            item.pszText = const_cast<char*>(row.value.c_str());
            ::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, at, (LPARAM)&item);
            ++index;
        }
    }
    ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hWnd, NULL, TRUE);
}
