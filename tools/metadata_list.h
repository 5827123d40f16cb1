// The Metadata list: a two-column report list ("Tag", "Value") of an
// image's EXIF values, used by the explorer's Metadata pane and the Image
// Properties sheet. It either makes its own list view or takes over one
// that a dialog template made.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/window_impl.h"

class CImageObject;

class CMetadataListViewCtrl : public CWindowImpl<CMetadataListViewCtrl> {
public:
    static CWndClassInfo& GetWndClassInfo();

    // A report list view as a child of parent, with the two columns.
    HWND CreateList(HWND parent, UINT id, const RECT& rect);
    // Takes over an existing list view and inserts the two columns.
    BOOL Attach(HWND listView);

    // Lists the image's EXIF values, replacing every row; a null image or
    // one without a record leaves the list empty. The image is not kept.
    void FillFromImage(const CImageObject* image);
    void Clear() { FillFromImage(nullptr); }

    BEGIN_MSG_MAP(CMetadataListViewCtrl)
    END_MSG_MAP()

private:
    void InsertColumns();
};
