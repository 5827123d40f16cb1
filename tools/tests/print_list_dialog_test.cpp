// The print list dialog, run modally on the test's thread: the buttons'
// states after each action, the copies box with its totals (an emptied box
// keeps one copy), moving rows, and writing back only after a change.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <string>
#include <vector>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/print_list_dialog.h"

namespace {

using testsupport::DialogScript;

constexpr char kCaption[] = "Print List";

struct Buttons {
    bool remove, up, down, clear;
    bool operator==(const Buttons& o) const {
        return remove == o.remove && up == o.up && down == o.down && clear == o.clear;
    }
};

Buttons ButtonsOf(HWND d) {
    return {DialogScript::IsEnabled(d, IDC_PLIST_REMOVE), DialogScript::IsEnabled(d, IDC_PLIST_UP),
            DialogScript::IsEnabled(d, IDC_PLIST_DOWN),
            DialogScript::IsEnabled(d, IDC_PLIST_CLEAR)};
}

int SelectedRow(HWND d) {
    return (int)::SendDlgItemMessageA(d, IDC_PLIST_LIST, LVM_GETNEXTITEM, (WPARAM)-1,
                                      LVNI_SELECTED);
}

void SelectRow(HWND d, int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendDlgItemMessageA(d, IDC_PLIST_LIST, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

std::string Cell(HWND d, int row, int column) {
    char text[MAX_PATH] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendDlgItemMessageA(d, IDC_PLIST_LIST, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

class PrintListTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof(temp), temp);
        for (int i = 0; i < 3; ++i) {
            files.push_back(std::string(temp) + "vxp list " + std::to_string(i) + ".bmp");
            std::ofstream(files.back(), std::ios::binary) << "not really a picture";
        }
    }
    void TearDown() override {
        for (const std::string& f : files)
            ::DeleteFileA(f.c_str());
    }
    std::vector<std::string> files;
};

TEST_F(PrintListTest, ButtonsFollowTheSelectionThroughRemovals) {
    std::vector<std::string> list = files;
    std::vector<int> copies = {1, 2, 3};
    struct Step {
        const char* what;
        Buttons buttons;
        int selected;
    };
    std::vector<Step> seen;
    std::string totals;
    DialogScript script(kCaption, [&](HWND d) {
        testsupport::MaybeScreenshot(d, "print_list_dialog");
        totals = DialogScript::Text(d, IDC_PLIST_TOTAL_ITEMS) + "/" +
                 DialogScript::Text(d, IDC_PLIST_TOTAL_COPIES);
        seen.push_back({"opened", ButtonsOf(d), SelectedRow(d)});
        SelectRow(d, 2);
        seen.push_back({"last row", ButtonsOf(d), SelectedRow(d)});
        DialogScript::Click(d, IDC_PLIST_REMOVE);
        seen.push_back({"last of three removed", ButtonsOf(d), SelectedRow(d)});
        DialogScript::Click(d, IDC_PLIST_REMOVE);
        seen.push_back({"second removed", ButtonsOf(d), SelectedRow(d)});
        DialogScript::Click(d, IDC_PLIST_REMOVE);
        seen.push_back({"only row removed", ButtonsOf(d), SelectedRow(d)});
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, CPrintListDialog(&list, &copies).DoModal(NULL));
    EXPECT_EQ(totals, "3/6");
    const Step expected[] = {
        {"opened", {true, false, true, true}, 0},
        {"last row", {true, true, false, true}, 2},
        {"last of three removed", {true, true, false, true}, 1},
        {"second removed", {true, false, false, true}, 0},
        {"only row removed", {false, false, false, false}, -1},
    };
    ASSERT_EQ(seen.size(), 5u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(seen[i].buttons == expected[i].buttons) << expected[i].what;
        EXPECT_EQ(seen[i].selected, expected[i].selected) << expected[i].what;
    }
    // Cancel changes nothing.
    EXPECT_EQ(list, files);
    EXPECT_EQ(copies, (std::vector<int>{1, 2, 3}));
}

TEST_F(PrintListTest, CopiesClampAndOkWritesTheRowsBackInOrder) {
    std::vector<std::string> list = files;
    std::vector<int> copies = {1, 1, 1};
    std::string emptied, totalAfterEmpty, totalAfterFive, name;
    DialogScript script(kCaption, [&](HWND d) {
        name = DialogScript::Text(d, IDC_PLIST_NAME);
        DialogScript::SetText(d, IDC_PLIST_COPIES, "");
        emptied = Cell(d, 0, 1);
        totalAfterEmpty = DialogScript::Text(d, IDC_PLIST_TOTAL_COPIES);
        SelectRow(d, 1);
        DialogScript::SetText(d, IDC_PLIST_COPIES, "5");
        totalAfterFive = DialogScript::Text(d, IDC_PLIST_TOTAL_COPIES);
        DialogScript::Click(d, IDC_PLIST_UP); // row 1 becomes row 0
        DialogScript::PressOk(d);
    });
    EXPECT_EQ(IDOK, CPrintListDialog(&list, &copies).DoModal(NULL));
    EXPECT_EQ(name, "vxp list 0.bmp");
    EXPECT_EQ(emptied, "1");
    EXPECT_EQ(totalAfterEmpty, "3");
    EXPECT_EQ(totalAfterFive, "7");
    EXPECT_EQ(list, (std::vector<std::string>{files[1], files[0], files[2]}));
    EXPECT_EQ(copies, (std::vector<int>{5, 1, 1}));
}

TEST_F(PrintListTest, OkWithoutAChangeLeavesTheListAlone) {
    std::vector<std::string> list = files;
    std::vector<int> copies = {2, 2, 2};
    CPrintListDialog dialog(&list, &copies);
    DialogScript script(kCaption, [&](HWND d) { DialogScript::PressOk(d); });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_FALSE(dialog.Modified());
    EXPECT_EQ(copies, (std::vector<int>{2, 2, 2}));
}

// A 24-bit BMP of the size; the path.
std::string WritePicture(const std::string& path, int width, int height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y)
        memset(image.GetRow(y, true), 0x30 + y % 0x80, 3 * width);
    CBmpWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

TEST_F(PrintListTest, ThePreviewShowsTheSelectedPictureShrunkAndNothingWithoutOne) {
    std::vector<std::string> list = {WritePicture(files[0], 400, 100),
                                     WritePicture(files[1], 50, 200), files[2]};
    std::vector<int> copies = {1, 1, 1};
    struct Shown {
        int width = -1, height = -1;
        std::string dimensions;
    };
    Shown first, second, damaged, cleared;
    RECT place = {};
    CPrintListDialog dialog(&list, &copies);
    auto shown = [&](HWND d) {
        Shown s;
        if (CImageObject* image = dialog.PreviewView().GetImage()) {
            s.width = image->width;
            s.height = image->height;
        } else {
            s.width = s.height = 0;
        }
        s.dimensions = DialogScript::Text(d, IDC_PLIST_DIMENSIONS);
        return s;
    };
    DialogScript script(kCaption, [&](HWND d) {
        testsupport::MaybeScreenshot(d, "print_list_preview");
        ::GetWindowRect(dialog.PreviewView().m_hWnd, &place);
        ::MapWindowPoints(NULL, d, reinterpret_cast<POINT*>(&place), 2);
        first = shown(d);
        SelectRow(d, 1);
        second = shown(d);
        SelectRow(d, 2);
        damaged = shown(d);
        DialogScript::Click(d, IDC_PLIST_CLEAR);
        cleared = shown(d);
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_EQ(15, place.left);
    EXPECT_EQ(30, place.top);
    EXPECT_EQ(155, place.right);
    EXPECT_EQ(190, place.bottom);
    // Decoded no larger than the preview needs, in proportion.
    EXPECT_EQ(140, first.width);
    EXPECT_EQ(35, first.height);
    EXPECT_EQ("400 x 100", first.dimensions);
    EXPECT_EQ(40, second.width);
    EXPECT_EQ(160, second.height);
    EXPECT_EQ("50 x 200", second.dimensions);
    // A file that is no picture shows nothing and names no size.
    EXPECT_EQ(0, damaged.width);
    EXPECT_EQ("", damaged.dimensions);
    EXPECT_EQ(0, cleared.width);
}

TEST(PrintListFilters, StartOnAllFormatsAndOfferEveryReadableType) {
    const std::string filters = CPrintListDialog::OpenFilters();
    EXPECT_EQ(filters.rfind("All Formats", 0), 0u);
    for (const char* pattern : {"*.pcx", "*.ras", "*.wbmp", "*.emf", "*.wmf", "*.jpe"})
        EXPECT_NE(filters.find(pattern), std::string::npos) << pattern;
    EXPECT_EQ(filters.find("CompuServe"), std::string::npos); // GIF is listed once
}

} // namespace
