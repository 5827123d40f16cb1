// The folder preview popup (window class "FolderPreviewCtrl", a superclass
// of the system list view): a disabled bordered popup that frames, with 2
// pixels of FolderPreviewFrameColor, a thumbnail list in image-only mode
// holding the first pictures of a folder side by side.
#pragma once

#include <windows.h>

#include "explorer/image_list_view.h"
#include "ui/window_impl.h"

class CFileItemList;

class CFramedListWnd : public CWindowImplBase {
public:
    static constexpr const char* kClassName = "FolderPreviewCtrl";

    CFramedListWnd() = default;
    ~CFramedListWnd() override;

    // A popup owned by owner (WS_POPUP, WS_BORDER, WS_DISABLED, hidden) with
    // its thumbnail list; null on failure.
    HWND Create(HWND owner);

    BEGIN_MSG_MAP(CFramedListWnd)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    // min(items, FolderPreviewThumbnails) x (thumbnail width + 1) + 3 by
    // thumbnail height + 6.
    void GetPreferredSize(int* width, int* height) const;
    // Clears the list, gives its previous source back, takes over the
    // caller's reference to list (null allowed), fills the list and, with a
    // source, sizes the popup to the preferred size.
    void SetItemSource(CFileItemList* list);
    // Wakes the list's worker and shows the popup at the screen point
    // without activating or resizing it.
    void ShowAt(int x, int y);
    void Hide();
    // No gaps between the tiles: the spacing is the thumbnail size itself.
    void SetIconSpacing();
    // After FolderPreviewThumbnailColor changed: the list takes the colour
    // and is emptied (the next hover fills it again).
    void ApplyColors();

    CImageListViewCtrl& List() { return m_list; }
    bool IsShown() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }

private:
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    LRESULT OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL& handled);

    void ReleaseSource();

    CImageListViewCtrl m_list;
};
