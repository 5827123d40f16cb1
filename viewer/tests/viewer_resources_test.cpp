// The viewer's resources as the program loads them: the accelerator table
// and menu 202, the toolbar strips drawn at build time, the hand cursors and
// the dialog strings.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "resources/resource.h"

namespace {

HINSTANCE Module() {
    return ::GetModuleHandleA(NULL);
}

TEST(ViewerResources, AcceleratorTableMapsTheViewerKeys) {
    HACCEL table = ::LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(IDR_IMAGEFRAME));
    ASSERT_NE(nullptr, table);
    int count = ::CopyAcceleratorTableA(table, NULL, 0);
    std::vector<ACCEL> keys((size_t)count);
    ::CopyAcceleratorTableA(table, keys.data(), count);
    auto command = [&](BYTE modifiers, WORD key) -> int {
        for (const ACCEL& a : keys)
            if (a.key == key && (a.fVirt & ~FNOINVERT) == (FVIRTKEY | modifiers))
                return a.cmd;
        return -1;
    };
    struct Case {
        BYTE modifiers;
        WORD key;
        int cmd;
    } cases[] = {
        {FCONTROL, 'W', ID_APP_EXIT},
        {FCONTROL, 'S', ID_FILE_SAVE},
        {FCONTROL | FSHIFT, 'S', ID_FILE_SAVE_AS},
        {0, VK_F5, ID_VIEW_REFRESH},
        {0, VK_ADD, ID_ZOOM_IN},
        {FCONTROL, VK_ADD, ID_ZOOM_TYPE_ENLARGE},
        {FCONTROL | FALT, VK_LEFT, ID_ROTATE_90CCW},
        {0, VK_DELETE, ID_FILE_DELETE},
        {FCONTROL, 'D', ID_FILE_DELETE},
        {0, VK_RETURN, ID_FILE_BROWSE},
        {FALT, 'S', ID_VIEW_SLIDESHOW},
        {0, VK_PAUSE, ID_VIEW_SLIDESHOW},
        {FCONTROL, VK_NEXT, ID_VIEW_NEXT_PAGE},
        {FCONTROL | FSHIFT, 'O', ID_WINDOW_EXPLORER},
        {0, VK_ESCAPE, ID_VIEW_ESCAPE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cmd, command(c.modifiers, c.key)) << "key " << c.key;
    // No key is bound twice with the same modifiers.
    for (size_t i = 0; i < keys.size(); ++i)
        for (size_t j = i + 1; j < keys.size(); ++j)
            EXPECT_FALSE(keys[i].key == keys[j].key && keys[i].fVirt == keys[j].fVirt)
                << "key " << keys[i].key << " twice";
    ::DestroyAcceleratorTable(table);
}

TEST(ViewerResources, MenuHoldsTheViewerCommands) {
    HMENU menu = ::LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_IMAGEFRAME));
    ASSERT_NE(nullptr, menu);
    for (UINT id :
         {ID_FILE_BROWSE, ID_VIEW_NEXT_IMAGE, ID_ZOOM_TO, ID_ZOOM_TYPE_LOCK, ID_VIEW_GOTO_PAGE,
          ID_VIEW_TOOLBAR, ID_EDIT_COPY, ID_WINDOW_ARRANGE, ID_ROTATE_90CW, ID_APP_EXIT})
        EXPECT_NE((UINT)-1, ::GetMenuState(menu, id, MF_BYCOMMAND)) << id;
    ::DestroyMenu(menu);
}

TEST(ViewerResources, ToolbarStripsHoldTwentyImagesInBothForms) {
    struct Case {
        int id;
        WORD bits;
    } cases[] = {
        {IDB_VIEWER_TOOLBAR32, 32},          {IDB_VIEWER_TOOLBAR32_HOT, 32},
        {IDB_VIEWER_TOOLBAR32_DISABLED, 32}, {IDB_VIEWER_TOOLBAR, 24},
        {IDB_VIEWER_TOOLBAR_HOT, 24},        {IDB_VIEWER_TOOLBAR_DISABLED, 24},
    };
    for (const Case& c : cases) {
        HBITMAP bitmap = (HBITMAP)::LoadImageA(Module(), MAKEINTRESOURCEA(c.id), IMAGE_BITMAP, 0, 0,
                                               LR_CREATEDIBSECTION);
        ASSERT_NE(nullptr, bitmap) << c.id;
        DIBSECTION dib = {};
        ASSERT_EQ((int)sizeof(dib), ::GetObjectA(bitmap, sizeof(dib), &dib)) << c.id;
        EXPECT_EQ(16 * VIEWER_TOOLBAR_IMAGE_COUNT, dib.dsBm.bmWidth) << c.id;
        EXPECT_EQ(16, dib.dsBm.bmHeight) << c.id;
        EXPECT_EQ(c.bits, dib.dsBm.bmBitsPixel) << c.id;
        ::DeleteObject(bitmap);
    }
}

TEST(ViewerResources, HandCursorsAndDialogStringsLoad) {
    for (int id : {IDC_HAND_OPEN, IDC_HAND_CLOSED}) {
        HCURSOR cursor = ::LoadCursorA(Module(), MAKEINTRESOURCEA(id));
        EXPECT_NE(nullptr, cursor) << id;
        ICONINFO info = {};
        if (cursor != nullptr && ::GetIconInfo(cursor, &info)) {
            EXPECT_FALSE(info.fIcon);
            EXPECT_EQ(16u, info.xHotspot);
            ::DeleteObject(info.hbmMask);
            if (info.hbmColor)
                ::DeleteObject(info.hbmColor);
        }
    }
    struct Case {
        UINT id;
        const char* text;
    } strings[] = {
        {IDS_VALUE_RANGE, "Value must be between %d and %d"},
        {IDS_DIMENSION_RANGE, "Image dimensions must be between %d and %d"},
        {IDS_SLIDE_DELAY_RANGE, "Slide Show delay must be between %.2f and %.2f second(s)"},
        {IDS_SAVE_CHANGES, "Do you want to save the changes to %s?"},
    };
    for (const Case& s : strings) {
        char text[256] = "";
        ::LoadStringA(Module(), s.id, text, sizeof(text));
        EXPECT_STREQ(s.text, text);
    }
}

} // namespace
