// The folder preview of a folder tree: while the pointer rests on a folder
// (or a favorites folder) that is not the selected item, a popup shows the
// folder's first pictures beside the cursor; it goes when the pointer moves
// off that folder or leaves the tree, when the tree scrolls or its selection
// changes, and with the Ctrl key as FolderPreviewActivate and
// FolderPreviewCtrlActivate decide.
//
// The tree chains its messages to this object first; every handler lets the
// message go on to the tree's own map.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "explorer/framed_list_wnd.h"
#include "resources/messages.h"
#include "ui/message_map.h"

class CFolderTreeCtrl;

class CFolderPreview : public CMessageMap {
public:
    explicit CFolderPreview(CFolderTreeCtrl& tree) : m_tree(tree) {}

    BEGIN_MSG_MAP(CFolderPreview)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
    MESSAGE_HANDLER(WM_KEYUP, OnKey)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_MOUSEHOVER, OnMouseHover)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    MESSAGE_HANDLER(WM_VSCROLL, OnScroll)
    MESSAGE_HANDLER(WM_HSCROLL, OnScroll)
    MESSAGE_HANDLER(WM_MOUSEWHEEL, OnScroll)
    MESSAGE_HANDLER(kMsgTreeHidePreview, OnHidePreview)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_SELCHANGEDA, OnSelChanged)
    END_MSG_MAP()

    // Set by the explorer; off (the default) in Browse for Folder. Turning it
    // off closes the popup.
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // Hides the popup and gives its list back.
    void Close();
    // The options' FolderPreviewThumbnailColor changed.
    void ApplyColors() { m_popup.ApplyColors(); }

    // Shows the preview for a point of the tree's client area, or hides it,
    // as the rule and the item there say.
    void ShowForPoint(POINT client);

    CFramedListWnd& Popup() { return m_popup; }
    HTREEITEM PreviewedItem() const { return m_previewed; }

private:
    LRESULT OnKey(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnScroll(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnHidePreview(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSelChanged(int, LPNMHDR, BOOL& handled);

    void Track();
    void Hide();
    // The item whose icon, label or state icon lies under the point.
    HTREEITEM ItemAt(POINT client) const;

    CFolderTreeCtrl& m_tree;
    CFramedListWnd m_popup;
    bool m_enabled = false;
    HTREEITEM m_previewed = nullptr;
};
