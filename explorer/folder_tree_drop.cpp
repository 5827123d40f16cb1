// The folder tree as an OLE drop target: the row under a drag gets the drop
// highlight and becomes the item a drop goes to, the rows around it scroll
// into view, a folder the drag rests on opens after a while, and a drop
// copies or moves into the folder (DropOrPaste). The formats asked for, the
// items a drag may rest on and what a drop does are explorer_drop_rules'.
#include <windows.h>

#include <shlwapi.h>

#include <new>

#include "explorer/drag_drop.h"
#include "explorer/drop_formats.h"
#include "explorer/folder_tree_ctrl.h"

using namespace explorer_drop_rules;

namespace {

constexpr UINT_PTR kDragHoverTimer = 1;
constexpr UINT kDragHoverMs = 2500;

} // namespace

// The tree's drop target: the base matches the formats and chooses the
// effect; the tree says where the drag is and takes the drop. It lives on
// the heap because OLE may hold it past the window; a detached target only
// refuses.
class CFolderTreeDropTarget : public CShellDropTarget {
public:
    explicit CFolderTreeDropTarget(CFolderTreeCtrl* tree) : m_tree(tree) {}
    void Detach() { m_tree = nullptr; }

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        const HRESULT result = CShellDropTarget::DragEnter(data, keys, point, effect);
        if (SUCCEEDED(result) && !(m_tree && m_tree->TrackDrag(point, true)))
            *effect = DROPEFFECT_NONE;
        return result;
    }
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override {
        if (!effect)
            return E_INVALIDARG;
        if (!(m_tree && m_tree->TrackDrag(point, true)))
            *effect = DROPEFFECT_NONE;
        return CShellDropTarget::DragOver(keys, point, effect);
    }
    STDMETHODIMP DragLeave() override {
        if (m_tree)
            m_tree->EndDrag();
        return CShellDropTarget::DragLeave();
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        if (!data || !effect)
            return E_INVALIDARG;
        // The drop goes to the row under the drop point, never to whatever
        // happens to be selected: off a row, or on a row that takes no drop,
        // nothing is asked of the data.
        if (!(m_tree && m_tree->TrackDrag(point, false)))
            *effect = DROPEFFECT_NONE;
        const HRESULT result = CShellDropTarget::Drop(data, keys, point, effect);
        if (m_tree)
            m_tree->EndDrag();
        return result;
    }
    bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override {
        if (!m_tree) {
            *effect = DROPEFFECT_NONE;
            return false;
        }
        return m_tree->OnTreeDrop(format, medium, effect);
    }

private:
    CFolderTreeCtrl* m_tree;
};

void CFolderTreeCtrl::RegisterDropTarget() {
    if (m_dropTarget)
        return;
    m_dropTarget = new (std::nothrow) CFolderTreeDropTarget(this);
    RegisterDropTargetOf(m_hWnd, m_dropTarget, m_dropKind);
}

void CFolderTreeCtrl::RevokeDropTarget() {
    StopHoverTimer();
    RevokeDropTargetOf(m_hWnd, m_dropTarget);
}

IDropTarget* CFolderTreeCtrl::DropTarget() const {
    return m_dropTarget;
}

bool CFolderTreeCtrl::CanDropOn(HTREEITEM item) const {
    const CFolderTreeItemData* data = ItemData(item);
    if (!data)
        return false;
    char path[MAX_PATH] = "";
    const bool exists = data->kind == kTreeShellFolder && GetItemPathOf(item, path) &&
                        ::PathFileExistsA(path) != FALSE;
    return CanDropOnTreeItem(m_dropKind, data->kind, exists);
}

bool CFolderTreeCtrl::TrackDrag(POINTL point, bool hover) {
    TVHITTESTINFO hit{};
    hit.pt.x = point.x;
    hit.pt.y = point.y;
    ::ScreenToClient(m_hWnd, &hit.pt);
    HTREEITEM item = TreeView_HitTest(m_hWnd, &hit);
    if (!(hit.flags & TVHT_ONITEM))
        item = nullptr;
    SetDropHighlight(item);
    m_currentItem = item;
    if (!item)
        return false;
    if (hover) {
        // The rows either side come into view, so resting near an edge
        // scrolls the tree on.
        if (HTREEITEM previous = TreeView_GetPrevVisible(m_hWnd, item))
            TreeView_EnsureVisible(m_hWnd, previous);
        if (HTREEITEM next = TreeView_GetNextVisible(m_hWnd, item))
            TreeView_EnsureVisible(m_hWnd, next);
        if (!m_hoverTimer && ::SetTimer(m_hWnd, kDragHoverTimer, kDragHoverMs, nullptr))
            m_hoverTimer = true;
    }
    return CanDropOn(item);
}

void CFolderTreeCtrl::StopHoverTimer() {
    if (m_hoverTimer && m_hWnd)
        ::KillTimer(m_hWnd, kDragHoverTimer);
    m_hoverTimer = false;
}

void CFolderTreeCtrl::EndDrag() {
    StopHoverTimer();
    SetDropHighlight(nullptr);
    m_currentItem = nullptr;
}

void CFolderTreeCtrl::SetDropHighlight(HTREEITEM item) {
    if (!m_hWnd || item == m_dropItem)
        return;
    // The state bit as well: some tree views take no drop highlight for the
    // selected item, nor give it up while nothing is selected.
    if (m_dropItem)
        TreeView_SetItemState(m_hWnd, m_dropItem, 0, TVIS_DROPHILITED);
    TreeView_SelectDropTarget(m_hWnd, item);
    if (item)
        TreeView_SetItemState(m_hWnd, item, TVIS_DROPHILITED, TVIS_DROPHILITED);
    m_dropItem = item;
}

LRESULT CFolderTreeCtrl::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kDragHoverTimer || !m_hoverTimer) {
        handled = FALSE; // the tree view's own timers
        return 0;
    }
    if (!m_currentItem)
        return 0;
    TVITEMA tv{};
    tv.mask = TVIF_CHILDREN | TVIF_STATE;
    tv.stateMask = TVIS_EXPANDED;
    tv.hItem = m_currentItem;
    if (::SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) && tv.cChildren &&
        !(tv.state & TVIS_EXPANDED))
        TreeView_Expand(m_hWnd, m_currentItem, TVE_EXPAND);
    return 0;
}

bool CFolderTreeCtrl::OnTreeDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) {
    StopHoverTimer();
    const CFolderTreeItemData* data = ItemData(m_currentItem);
    const TreeDrop plan = PlanTreeDrop(data ? data->kind : -1, *effect);
    if (plan.action != TreeDropAction::IntoFolder ||
        !TreeDropTakes(plan.action, DropFormatOf(format->cfFormat)) ||
        !DropOrPaste(format->cfFormat, medium, plan.copy, true)) {
        *effect = DROPEFFECT_NONE;
        return false;
    }
    const bool files = format->cfFormat == CF_HDROP;
    *effect = ReportedDropEffect(*effect, files && !plan.copy && AnyDroppedPathLeft(medium));
    EndDrag();
    return true;
}
