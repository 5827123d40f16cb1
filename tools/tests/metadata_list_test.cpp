// The Metadata list as a window: its own list view or one it takes over,
// the two columns, the rows of an image's EXIF record, and filling again or
// with an image without a record replacing every row.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "imaging/exif_info.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/metadata_list.h"

namespace {

std::string Cell(HWND list, int item, int column) {
    char text[256] = "";
    LVITEMA lv = {};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, item, (LPARAM)&lv);
    return text;
}

std::string Column(HWND list, int column) {
    char text[64] = "";
    LVCOLUMNA lv = {};
    lv.mask = LVCF_TEXT;
    lv.pszText = text;
    lv.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETCOLUMNA, column, (LPARAM)&lv);
    return text;
}

class MetadataList : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        host =
            ::CreateWindowExA(0, "STATIC", "Metadata list test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              10, 10, 460, 320, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(host);
        withExif = new CImageObject("C:\\pictures\\camera.jpg", nullptr);
        withExif->EnsureExif();
        withExif->exif->SetMake("Acme");
        withExif->exif->SetModel("Snap 3");
        withExif->exif->exposureTime = {1, 250};
        withExif->exif->fNumber = {28, 10};
        withExif->exif->flash = 1;
        plain = new CImageObject("C:\\pictures\\drawing.png", nullptr);
    }
    void TearDown() override {
        withExif->Release();
        plain->Release();
        ::DestroyWindow(host);
    }
    HWND host = NULL;
    CImageObject* withExif = nullptr;
    CImageObject* plain = nullptr;
};

TEST_F(MetadataList, ItsOwnListShowsTagsAndValuesInTheListsOrder) {
    CMetadataListViewCtrl list;
    const RECT rect = {0, 0, 440, 280};
    ASSERT_TRUE(list.CreateList(host, 1130, rect));
    EXPECT_EQ("Tag", Column(list, 0));
    EXPECT_EQ("Value", Column(list, 1));
    EXPECT_EQ(80, ListView_GetColumnWidth(list, 0));
    EXPECT_EQ(350, ListView_GetColumnWidth(list, 1));
    list.FillFromImage(withExif);
    const char* expected[][2] = {{"Make", "Acme"},
                                 {"Model", "Snap 3"},
                                 {"X Resolution", "72.0"},
                                 {"Y Resolution", "72.0"},
                                 {"Resolution Unit", "Inches"},
                                 {"Orientation", "Upper Left"},
                                 {"Exposure Time", "1/250 sec"},
                                 {"Flash", "Fired"},
                                 {"F-Stop", "2.8"}};
    const int count = (int)(sizeof expected / sizeof expected[0]);
    ASSERT_EQ(count, ListView_GetItemCount(list));
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(expected[i][0], Cell(list, i, 0)) << i;
        EXPECT_EQ(expected[i][1], Cell(list, i, 1)) << i;
    }
    testsupport::MaybeScreenshot(host, "metadata_list");
}

TEST_F(MetadataList, FillingAgainReplacesEveryRowAndNoRecordLeavesItEmpty) {
    HWND view = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                  440, 280, host, (HMENU)1130, NULL, NULL);
    CMetadataListViewCtrl list;
    ASSERT_TRUE(list.Attach(view));
    EXPECT_EQ("Tag", Column(view, 0));
    list.FillFromImage(withExif);
    list.FillFromImage(withExif);
    EXPECT_EQ(9, ListView_GetItemCount(view));
    list.FillFromImage(plain);
    EXPECT_EQ(0, ListView_GetItemCount(view));
    list.FillFromImage(withExif);
    list.Clear();
    EXPECT_EQ(0, ListView_GetItemCount(view));
}

} // namespace
