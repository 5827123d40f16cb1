// The Print dialog and the printing run, in-process under Wine with the
// PostScript test printer of test_printer.h: the default printer and its
// margins, the unit switch, the layout controls, the page count, the range
// and empty-list messages, a print of pages 2-3 in two copies whose job the
// print-job check reads with Ghostscript, a cancel in the middle, and a
// document the printer refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "tests/support/dialog_script.h"
#include "tools/print_dialog.h"
#include "tools/print_progress.h"
#include "tools/tests/option_values.h"
#include "tools/tests/test_printer.h"

namespace {

using testsupport::DialogScript;

constexpr char kCaption[] = "Velmorantix XP Print";
const char* const kPrintValues[] = {"PrintBackgroundColor", "PrintImageWidth",
                                    "PrintImageHeight",     "PrintSpaceHorz",
                                    "PrintSpaceVert",       "PrintMeasurementUnit"};

// A 24-bit BMP of one colour, 60 x 80 pixels.
void WriteSolidBmp(const std::string& path, BYTE red, BYTE green, BYTE blue) {
    const int w = 60, h = 80, stride = w * 3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * h;
    std::vector<BYTE> pixels(stride * h);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = blue;
        pixels[i + 1] = green;
        pixels[i + 2] = red;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(pixels.data()), pixels.size());
}

bool PrintValuesPresent() {
    return option_values::AnyPresent(kPrintValues);
}

DWORD PrintValue(const char* name) {
    return option_values::Dword(name);
}

void ClearPrintValues() {
    option_values::Clear(kPrintValues);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

void SelectRow(HWND dialog, int id, int row) {
    HWND list = ::GetDlgItem(dialog, id);
    ::SendMessageA(list, CB_SETCURSEL, row, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
}

std::string SelectedText(HWND dialog, int id) {
    HWND list = ::GetDlgItem(dialog, id);
    const LRESULT row = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    char text[256] = "";
    if (row >= 0)
        ::SendMessageA(list, CB_GETLBTEXT, row, (LPARAM)text);
    return text;
}

void CheckRange(HWND dialog, int id) {
    ::CheckRadioButton(dialog, IDC_PRINT_ALL, IDC_PRINT_PAGES, id);
}

struct PageSeen {
    int running;
    int page;
};
std::vector<PageSeen> g_pages;
int g_cancelAt = 0;

void RecordPage(CPrintProgressDialog* dialog, int running, int page) {
    g_pages.push_back({running, page});
    if (running == g_cancelAt)
        dialog->cancel = true;
}

class PrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(testprinter::Install(&error)) << error;
        const char* dir = std::getenv("VXP_PRINT_JOB_DIR");
        jobDir = dir && *dir ? dir : "/tmp";
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "vxp print " + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(folder.c_str(), NULL);
        const BYTE colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        for (int i = 0; i < 3; ++i) {
            files.push_back(folder + "\\page" + std::to_string(i + 1) + ".bmp");
            WriteSolidBmp(files.back(), colours[i][0], colours[i][1], colours[i][2]);
        }
        ClearPrintValues();
        g_pages.clear();
        g_cancelAt = 0;
        SetPrintPageObserver(RecordPage);
    }
    void TearDown() override {
        SetPrintPageObserver(nullptr);
        for (const std::string& f : files)
            ::DeleteFileA(f.c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
    // Sends the next job to a file of the job folder; its Windows path.
    std::string SpoolTo(const std::string& name) {
        const std::string unixPath = jobDir + "/" + name;
        EXPECT_TRUE(testprinter::MapSpoolerTo(unixPath));
        const std::string windowsPath = testprinter::WindowsPathOf(unixPath);
        ::DeleteFileA(windowsPath.c_str());
        return windowsPath;
    }

    std::string jobDir;
    std::string folder;
    std::vector<std::string> files;
};

TEST_F(PrintDialogTest, OpensOnTheDefaultPrinterWithItsMarginsAndFollowsTheControls) {
    CPrintDialog dialog;
    dialog.files = files;
    for (int i = 0; i < 4; ++i)
        dialog.files.push_back(files[i % 3]); // 7 pictures
    std::string printer, margins[4], cmMargins[4], pageCount, gridCount, cmSize;
    bool perPageEnabled = true, widthEnabled = true, spacingEnabled = true;
    int previewWidth = 0, previewHeight = 0;
    DialogScript script(kCaption, [&](HWND d) {
        testsupport::MaybeScreenshot(d, "print_dialog");
        printer = SelectedText(d, IDC_PRINT_PRINTER);
        const int boxes[4] = {IDC_PRINT_TOP, IDC_PRINT_LEFT, IDC_PRINT_BOTTOM, IDC_PRINT_RIGHT};
        for (int i = 0; i < 4; ++i)
            margins[i] = DialogScript::Text(d, boxes[i]);
        perPageEnabled = DialogScript::IsEnabled(d, IDC_PRINT_PER_PAGE);
        widthEnabled = DialogScript::IsEnabled(d, IDC_PRINT_WIDTH);
        spacingEnabled = DialogScript::IsEnabled(d, IDC_PRINT_SPACE_HORZ);
        pageCount = DialogScript::Text(d, IDC_PRINT_PAGE_COUNT);
        RECT r;
        ::GetWindowRect(::GetDlgItem(d, IDC_PRINT_PREVIEW), &r);
        previewWidth = r.right - r.left;
        previewHeight = r.bottom - r.top;

        // 2.5 x 3.5 inches, three to a page: 7 pictures make 3 pages.
        SelectRow(d, IDC_PRINT_SIZE, 1);
        DialogScript::SetText(d, IDC_PRINT_PER_PAGE, "3");
        gridCount = DialogScript::Text(d, IDC_PRINT_PAGE_COUNT);
        testsupport::MaybeScreenshot(d, "print_dialog_grid");

        SelectRow(d, IDC_PRINT_UNIT, 1);
        for (int i = 0; i < 4; ++i)
            cmMargins[i] = DialogScript::Text(d, boxes[i]);
        cmSize = SelectedText(d, IDC_PRINT_SIZE);
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_TRUE(script.scriptRan);
    EXPECT_EQ(printer, testprinter::kName);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(margins[i], "0.25\"") << i;
        EXPECT_EQ(cmMargins[i], "0.63") << i;
    }
    // Full page to begin with: one picture a page, no custom size, no spacing.
    EXPECT_FALSE(perPageEnabled);
    EXPECT_FALSE(widthEnabled);
    EXPECT_FALSE(spacingEnabled);
    EXPECT_EQ(pageCount, "of 7");
    EXPECT_EQ(gridCount, "of 3");
    EXPECT_EQ(cmSize, "6 x 8.5 cm");
    // Letter is portrait: the full height, the width in proportion (plus the border).
    EXPECT_EQ(previewHeight, 260);
    EXPECT_NEAR(previewWidth, 260 * 8.5 / 11 + 2, 2);
    EXPECT_FALSE(PrintValuesPresent()); // Cancel writes nothing
}

TEST_F(PrintDialogTest, RefusesRangesBeyondThePagesAndAnEmptyList) {
    {
        CPrintDialog dialog;
        dialog.files = files;
        DialogScript script(kCaption, [&](HWND d) {
            DialogScript::SetText(d, IDC_PRINT_TO, "4"); // "All" is still chosen
            DialogScript::PressOk(d);
            CheckRange(d, IDC_PRINT_PAGES);
            DialogScript::SetText(d, IDC_PRINT_FROM, "0");
            DialogScript::SetText(d, IDC_PRINT_TO, "2");
            DialogScript::PressOk(d);
            DialogScript::PressCancel(d);
        });
        EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
        ASSERT_EQ(script.boxes.size(), 2u);
        for (const auto& box : script.boxes) {
            EXPECT_EQ(box.text, "Print range must be between 1 and 3");
            EXPECT_EQ(box.caption, "Velmorantix XP");
            EXPECT_EQ(box.icon, (UINT)MB_ICONINFORMATION);
        }
    }
    {
        CPrintDialog dialog;
        DialogScript script(kCaption, [&](HWND d) {
            DialogScript::PressOk(d);
            DialogScript::PressCancel(d);
        });
        EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_EQ(script.boxes[0].text, "No image in the print list.");
    }
    EXPECT_FALSE(PrintValuesPresent());
}

TEST_F(PrintDialogTest, PrintsPagesTwoAndThreeTwiceCollatedAndThenKeepsTheSettings) {
    const std::string job = SpoolTo("pages_2_3_twice.ps");
    CPrintDialog dialog;
    dialog.files = files;
    DialogScript script(kCaption, [&](HWND d) {
        CheckRange(d, IDC_PRINT_PAGES);
        DialogScript::SetText(d, IDC_PRINT_FROM, "2");
        DialogScript::SetText(d, IDC_PRINT_TO, "3");
        DialogScript::SetText(d, IDC_PRINT_COPIES, "2");
        DialogScript::SetText(d, IDC_PRINT_SPACE_HORZ, "0.10\"");
        DialogScript::PressOk(d);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(NULL));
    EXPECT_TRUE(script.boxes.empty());
    ASSERT_EQ(g_pages.size(), 4u);
    const int pages[4] = {2, 3, 2, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g_pages[i].running, i + 1);
        EXPECT_EQ(g_pages[i].page, pages[i]) << i;
    }
    const std::string ps = ReadAll(job);
    EXPECT_NE(ps.find("%%Title: Velmorantix XP"), std::string::npos) << ps.substr(0, 400);
    EXPECT_EQ(CountOf(ps, "%%Page: "), 4);
    EXPECT_EQ(PrintValue("PrintSpaceHorz"), 100u);
    EXPECT_EQ(PrintValue("PrintSpaceVert"), 50u);
    EXPECT_EQ(PrintValue("PrintMeasurementUnit"), 0u);
    EXPECT_EQ(PrintValue("PrintBackgroundColor"), 0xFFFFFFu);
    EXPECT_EQ(PrintValue("PrintImageWidth"), 0u);
}

TEST_F(PrintDialogTest, CancelInTheMiddleKeepsTheDialogOpenAndTheRegistryUntouched) {
    SpoolTo("cancelled.ps");
    g_cancelAt = 2;
    CPrintDialog dialog;
    dialog.files = files;
    bool stillOpen = false, valuesAfterCancel = true;
    DialogScript script(kCaption, [&](HWND d) {
        DialogScript::PressOk(d);
        stillOpen = ::IsWindowVisible(d) != FALSE;
        valuesAfterCancel = PrintValuesPresent();
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal(NULL));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(valuesAfterCancel);
    EXPECT_EQ(g_pages.size(), 2u); // the second page was never started
    EXPECT_TRUE(script.boxes.empty());
}

TEST_F(PrintDialogTest, PreviewDecodesEachFileOnceAndShowsItsCopiesInTheirCells) {
    CPrintPreviewCtrl preview;
    preview.files = files;
    RECT area = {0, 0, 260, 260};
    ASSERT_TRUE(preview.Create(NULL, area, NULL, WS_POPUP, 0) != NULL);
    preview.copies = {2, 2, 2};
    preview.SetPrinterDC(::CreateDCA("WINSPOOL", testprinter::kName, NULL, NULL));
    ASSERT_EQ(preview.pageWidth, 12240);
    ASSERT_EQ(preview.pageHeight, 15840);
    RECT client;
    ::GetClientRect(preview, &client);
    preview.perPage = 6;
    preview.pictureWidth = 3600; // 2.5 x 3.5 inches: 3 columns, 2 rows
    preview.pictureHeight = 5040;
    preview.left = preview.top = preview.right = preview.bottom = 360;
    preview.fitMode = 3;
    EXPECT_EQ(preview.GetPictureCount(), 6);

    HDC screen = ::GetDC(NULL);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(NULL, screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::PatBlt(memory, 0, 0, client.right, client.bottom, WHITENESS);
    preview.DrawPage(memory, false, 1);

    EXPECT_EQ(preview.PreviewDecodes(), 3);
    ASSERT_EQ(preview.PreviewImages().size(), 6u);
    for (int i = 0; i < 6; i += 2)
        EXPECT_EQ(preview.PreviewImages()[i], preview.PreviewImages()[i + 1]) << i;
    EXPECT_NE(preview.PreviewImages()[0], preview.PreviewImages()[2]);

    // Cell centres in page twips, mapped as the preview maps the page.
    const COLORREF colours[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int picture = 0; picture < 6; ++picture) {
        const int column = picture % 3, row = picture / 3;
        const int x = 360 + column * 3600 + 1800, y = 360 + row * 5040 + 2520;
        const int px = ::MulDiv(x, client.right, 12240), py = ::MulDiv(y, client.bottom, 15840);
        EXPECT_EQ(::GetPixel(memory, px, py), colours[picture / 2]) << "picture " << picture;
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    preview.DestroyWindow();
}

TEST_F(PrintDialogTest, ADocumentThePrinterRefusesIsReportedNotTakenForDone) {
    // A memory context is no printer: its StartDoc fails.
    CPrintPreviewCtrl preview;
    preview.files = files;
    preview.copies = {1, 1, 1};
    preview.SetPrinterDC(::CreateCompatibleDC(NULL));
    preview.pageWidth = 12240;
    preview.pageHeight = 15840;
    CPrintProgressDialog progress;
    progress.firstPage = 1;
    progress.lastPage = 3;
    progress.preview = &preview;
    DialogScript script("Printing", [&](HWND) {});
    EXPECT_EQ(IDABORT, progress.DoModal(NULL));
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, "Printing failed");
    EXPECT_EQ(script.boxes[0].icon, (UINT)MB_ICONERROR);
    EXPECT_TRUE(g_pages.empty());
}

} // namespace
