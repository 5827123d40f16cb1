// The information pane as a window: the rows it shows for an image with and
// without an attributes record, the clamped header, the selection count in
// the status band, the pixels of its bands, and the Properties command that
// its button and a double-click send to the owner.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/logic/image_attributes.h"
#include "explorer/info_pane.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/logic/attributes_date.h"

namespace {

// A top-level window that hosts the pane and counts the commands it gets.
struct Owner {
    static int commands;
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == kInfoPaneCommand)
            ++commands;
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    HWND hWnd = NULL;
    Owner() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(NULL);
        wc.lpszClassName = "InfoPaneOwner";
        ::RegisterClassA(&wc);
        hWnd = ::CreateWindowExA(0, "InfoPaneOwner", "Info pane test",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 260, 420, NULL, NULL,
                                 wc.hInstance, NULL);
    }
    ~Owner() { ::DestroyWindow(hWnd); }
};
int Owner::commands = 0;

// A 640 x 480 24-bit image of a file that existed.
CImageObject* MakeImage(const char* path) {
    CImageObject* image = new CImageObject(path, nullptr);
    EXPECT_TRUE(image->Create(640, 480, 24, 0));
    image->fullWidth = 1280;
    image->fullHeight = 960;
    image->fileSize = 2048;
    image->fileTime = 0x01D9A00012345678ull;
    return image;
}

std::vector<std::string> Labels(const CInfoPane& pane) {
    std::vector<std::string> labels;
    for (const InfoRow& row : pane.Rows())
        labels.push_back(CInfoPane::LabelText(row.kind) + " " + row.value);
    return labels;
}

class InfoPane : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.hWnd);
        ASSERT_TRUE(pane.Create(owner.hWnd, owner.hWnd));
        pane.MoveWindow(0, 0, 240, 380);
        Owner::commands = 0;
    }
    void TearDown() override {
        if (pane.IsWindow())
            pane.DestroyWindow();
        if (image)
            image->Release();
    }
    COLORREF Pixel(int x, int y) {
        pane.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = pane.GetDC();
        const COLORREF color = ::GetPixel(dc, x, y);
        pane.ReleaseDC(dc);
        return color;
    }
    Owner owner;
    CInfoPane pane;
    CImageObject* image = nullptr;
};

TEST_F(InfoPane, AnImageWithoutRecordShowsItsFactsAndNoAttributeRows) {
    image = MakeImage("C:\\pictures\\garden.jpg");
    pane.SetImage(image, nullptr, 0, 1);
    ASSERT_TRUE(pane.HasImage());
    EXPECT_EQ("1 of 1 ", pane.HeaderText());
    char size[50] = "";
    ::StrFormatByteSizeA(2048, size, sizeof size);
    const std::vector<std::string> labels = Labels(pane);
    ASSERT_EQ(6u, labels.size());
    EXPECT_EQ("Filename: garden.jpg", labels[0]);
    EXPECT_EQ("Dimensions: 1280 x 960", labels[1]);
    EXPECT_EQ(std::string("File size: ") + size, labels[2]);
    EXPECT_EQ("Colors: 24 Bits", labels[3]);
    EXPECT_EQ("Type: JPEG", labels[4]);
    EXPECT_EQ(0u, labels[5].rfind("Modified: ", 0));
    EXPECT_TRUE(::IsWindowVisible(pane.Button()));
    testsupport::MaybeScreenshot(owner.hWnd, "info_pane_plain");
}

TEST_F(InfoPane, ARecordAddsArtistTakenKeywordsAndDescription) {
    image = MakeImage("C:\\pictures\\harbour.png");
    image->AddFrame(new CImageObject());
    CImageAttributes attributes;
    attributes.artist = "Ann Example";
    attributes.keywords = "sea, boats";
    attributes.description = "Boats in the harbour on a windy afternoon, seen from the pier.";
    AttributesDate date;
    date.year = 2009;
    date.month = 6;
    date.day = 11;
    attributes.date = PackAttributesDate(date);
    pane.SetImage(image, &attributes, 7, 3, "2 object selected");
    EXPECT_EQ("3 of 3 ", pane.HeaderText());
    SYSTEMTIME taken = {};
    taken.wYear = 2009;
    taken.wMonth = 6;
    taken.wDay = 11;
    char takenText[80] = "";
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &taken, NULL, takenText,
                     sizeof takenText);
    std::vector<EInfoRow> kinds;
    for (const InfoRow& row : pane.Rows())
        kinds.push_back(row.kind);
    const std::vector<EInfoRow> expected = {
        kInfoRowFileName, kInfoRowArtist,   kInfoRowDimensions, kInfoRowFileSize,
        kInfoRowColors,   kInfoRowPages,    kInfoRowType,       kInfoRowTaken,
        kInfoRowModified, kInfoRowKeywords, kInfoRowDescription};
    EXPECT_EQ(expected, kinds);
    const std::vector<std::string> labels = Labels(pane);
    EXPECT_EQ("Pages: 2", labels[5]);
    EXPECT_EQ(std::string("Taken: ") + takenText, labels[7]);
    EXPECT_EQ("2 object selected", pane.StatusText());
    testsupport::MaybeScreenshot(owner.hWnd, "info_pane_record");
}

TEST_F(InfoPane, ItsWindowTextSaysWhatItShowsAndEmptiesWithTheImage) {
    image = MakeImage("C:\\pictures\\garden.jpg");
    CImageAttributes attributes;
    attributes.artist = "Ann Example";
    pane.SetImage(image, &attributes, 0, 2);
    pane.SetSelectionCount(2);
    char text[1024] = "";
    ::GetWindowTextA(pane.m_hWnd, text, sizeof text);
    EXPECT_EQ(pane.Summary(), text);
    const std::string shown = text;
    EXPECT_EQ(0u, shown.find("1 of 2 \r\nFilename: garden.jpg\r\nArtist: Ann Example\r\n"))
        << shown;
    EXPECT_EQ(shown.size() - 17, shown.rfind("2 object selected")) << shown;
    pane.SetSelectionCount(1);
    ::GetWindowTextA(pane.m_hWnd, text, sizeof text);
    EXPECT_EQ(std::string::npos, std::string(text).find("selected")) << text;
    pane.Clear();
    ::GetWindowTextA(pane.m_hWnd, text, sizeof text);
    EXPECT_STREQ("", text) << "no image, no rows";
}

TEST_F(InfoPane, HeaderBodyAndStatusBandsHaveTheirColours) {
    image = MakeImage("C:\\pictures\\garden.jpg");
    pane.SetImage(image, nullptr, -4, 10);
    EXPECT_EQ("1 of 10 ", pane.HeaderText());
    pane.SetSelectionCount(1);
    EXPECT_EQ("", pane.StatusText());
    EXPECT_EQ(RGB(204, 204, 204), Pixel(30, 2));
    EXPECT_EQ(RGB(153, 153, 153), Pixel(30, 16));
    EXPECT_EQ(RGB(247, 247, 247), Pixel(200, 370));
    pane.SetSelectionCount(4);
    EXPECT_EQ("4 object selected", pane.StatusText());
    EXPECT_EQ(RGB(236, 233, 216), Pixel(230, 375));
    EXPECT_EQ(RGB(172, 168, 153), Pixel(230, 380 - 17));

    // A row's label is drawn in dark, legible text: some pixel in the first
    // slot's label box is far from the body colour.
    pane.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = pane.GetDC();
    int dark = 0;
    for (int y = 21; y < 36; ++y)
        for (int x = 3; x < 78; ++x)
            if (GetRValue(::GetPixel(dc, x, y)) < 100)
                ++dark;
    pane.ReleaseDC(dc);
    EXPECT_GT(dark, 20) << "the label font is too small to read";

    pane.Clear();
    EXPECT_FALSE(pane.HasImage());
    EXPECT_TRUE(pane.Rows().empty());
    EXPECT_EQ(RGB(247, 247, 247), Pixel(30, 2));
    EXPECT_FALSE(::IsWindowVisible(pane.Button()));
}

TEST_F(InfoPane, TheButtonAndADoubleClickAskTheOwnerForProperties) {
    image = MakeImage("C:\\pictures\\garden.jpg");
    pane.SetImage(image, nullptr, 0, 1);
    ::SendMessageA(pane.Button(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, Owner::commands);
    EXPECT_TRUE(::IsWindowEnabled(pane.Button()));
    pane.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(2, Owner::commands);
}

} // namespace
