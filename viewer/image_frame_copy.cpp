// The viewer frame's clipboard copy and its context menu.
#include <vector>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/logic/frame_dib.h"

namespace {

struct MenuEntry {
    UINT id; // 0 for a separator
    const char* text;
};

void AppendEntries(HMENU menu, const MenuEntry* entries, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (entries[i].id == 0)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING, entries[i].id, entries[i].text);
    }
}

} // namespace

LRESULT CImageFrame::OnCopy(WORD, WORD, HWND, BOOL&) {
    CopyDocumentToClipboard();
    return 0;
}

bool CImageFrame::CopyDocumentToClipboard() {
    CImageObject* document = GetDocument();
    if (!document)
        return false;
    if (document->fullWidth != document->width || document->fullHeight != document->height) {
        // Shown reduced: the clipboard gets the whole image. (One still being
        // decoded at full size only needs its decode to end, below.)
        CImageObject* full = g_applicationState.OpenImage(document->path, -1, -1, 0.0);
        if (!full)
            return false;
        ShowDocument(full, true);
        document = full;
    }
    if (document->decodeThread)
        WaitForSingleObject(reinterpret_cast<HANDLE>(document->decodeThread), INFINITE);
    if (!document->headerReady || !document->bits)
        return false;

    viewer::DibSource source;
    source.width = document->width;
    source.height = document->height;
    source.bitsPerPixel = document->bitsPerPixel;
    source.stride = document->stride;
    source.paletteCount = document->bitsPerPixel <= 8 ? document->paletteCount : 0;
    std::vector<uint8_t> palette(static_cast<size_t>(source.paletteCount) * 4);
    for (int i = 0; i < source.paletteCount; ++i) {
        const PaletteEntry entry = document->PaletteAt(static_cast<uint32_t>(i));
        palette[4 * i] = entry.blue;
        palette[4 * i + 1] = entry.green;
        palette[4 * i + 2] = entry.red;
    }
    source.palette = palette.data();
    source.rowFromTop = [document](int32_t y) -> const uint8_t* {
        return document->GetRow(y, true);
    };
    viewer::DibError error;
    const size_t size = viewer::PackedDibSize(source, &error);
    if (size == 0)
        return false;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return false;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    const bool written =
        bytes && viewer::WritePackedDib(source, bytes, size) == viewer::DibError::None;
    if (bytes)
        GlobalUnlock(block);
    if (!written || !OpenClipboard(m_hWnd)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, block) != nullptr;
    CloseClipboard();
    if (!placed)
        GlobalFree(block);
    return placed;
}

LRESULT CImageFrame::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (m_fullScreen)
        ShowCursorState(true);
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return 0;
    if (m_view.IsSelectionMode()) {
        if (m_view.GetCanvas().IsSelectionShown()) {
            static const MenuEntry kSelection[] = {
                {ID_IMAGE_CROP, "Crop"},
                {ID_IMAGE_SAVE_SELECTION, "Save Selection As..."},
                {0, nullptr}};
            AppendEntries(menu, kSelection, 3);
        }
        static const MenuEntry kMarquee[] = {{ID_MARQUEE_SETTING, "Options"},
                                             {ID_MARQUEE_CANCEL, "Cancel"}};
        AppendEntries(menu, kMarquee, 2);
    } else {
        static const MenuEntry kTop[] = {{ID_FILE_BROWSE, "Return to Explorer"},
                                         {0, nullptr},
                                         {ID_VIEW_NEXT_IMAGE, "Next Image"},
                                         {ID_VIEW_PREV_IMAGE, "Previous Image"}};
        AppendEntries(menu, kTop, 4);
        CImageObject* document = GetDocument();
        if (document && document->FrameCount() > 0) {
            static const MenuEntry kPages[] = {{ID_VIEW_NEXT_PAGE, "Next Page"},
                                               {ID_VIEW_PREV_PAGE, "Previous Page"}};
            AppendEntries(menu, kPages, 2);
        }
        static const MenuEntry kZoom[] = {{0, nullptr},
                                          {ID_ZOOM_IN, "Zoom In"},
                                          {ID_ZOOM_OUT, "Zoom Out"},
                                          {ID_ZOOM_100, "Actual Size"},
                                          {0, nullptr}};
        AppendEntries(menu, kZoom, 5);
        HMENU rotate = CreatePopupMenu();
        static const MenuEntry kRotate[] = {{ID_ROTATE_180, "180\xB0"},
                                            {ID_ROTATE_90CW, "90\xB0"
                                                             "CW"},
                                            {ID_ROTATE_90CCW, "90\xB0"
                                                              "CCW"},
                                            {ID_ROTATE_ARBITRARY, "Arbitrary..."},
                                            {0, nullptr},
                                            {ID_FLIP_HORIZONTAL, "Flip Horizontal"},
                                            {ID_FLIP_VERTICAL, "Flip Vertical"}};
        AppendEntries(rotate, kRotate, 7);
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(rotate), "Rotate Canvas");
        HMENU wallpaper = CreatePopupMenu();
        static const MenuEntry kWallpaper[] = {{ID_WALLPAPER_CENTER, "Center"},
                                               {ID_WALLPAPER_TILE, "Tile"},
                                               {ID_WALLPAPER_STRETCH, "Stretch"},
                                               {ID_WALLPAPER_REMOVE, "Remove"}};
        AppendEntries(wallpaper, kWallpaper, 4);
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(wallpaper), "Wallpaper");
        static const MenuEntry kRest[] = {{ID_VIEW_SLIDESHOW, "Slide Show"},
                                          {ID_VIEW_FULLSCREEN, "Full Screen"},
                                          {0, nullptr},
                                          {ID_FAVORITES_ADD, "Add to Favorites"},
                                          {0, nullptr},
                                          {ID_FILE_PROPERTIES, "Properties"}};
        AppendEntries(menu, kRest, 6);
    }
    // The same enabled states as the menu bar.
    RunUpdateRules();
    UIUpdateMenuPopup(menu);
    m_contextMenuOpen = true;
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, static_cast<short>(LOWORD(lParam)),
                   static_cast<short>(HIWORD(lParam)), 0, m_hWnd, nullptr);
    m_contextMenuOpen = false;
    DestroyMenu(menu);
    return 0;
}
