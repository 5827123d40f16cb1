// Black-box runs of batch processing and Convert in the real program: an
// image command given with every thumbnail of a folder selected goes through
// Save Images and the progress dialog over files that this test writes, and
// every result is read back and checked pixel by pixel; a metafile, a JPEG
// whose decode fails and a read-only file are reported without stopping the
// run; Cancel stops after the file under way; Convert writes the selection
// as PNG files of the same pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"
#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;
const char kOptionsKey[] = "Software\\Velmorantix\\Velmorantix XP";

Rgb Pattern(int x, int y) {
    return {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
            static_cast<uint8_t>(200 - x - y)};
}

void WriteEmf(const std::string& path) {
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    Rectangle(dc, 0, 0, 20, 20);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

// A file's decoded pixels, or none.
struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture Read(const std::string& path) {
    std::unique_ptr<CImageReader> reader;
    if (ReadAll(path).compare(0, 2, "BM") == 0)
        reader = std::make_unique<CBmpReader>();
    else
        reader = std::make_unique<CPngReader>();
    auto* image = new CImageObject();
    Picture picture;
    if (reader->Read(path.c_str(), image)) {
        picture.width = image->width;
        picture.height = image->height;
        for (int y = 0; y < image->height; ++y) {
            const uint8_t* row = image->GetRow(y, true);
            for (int x = 0; x < image->width; ++x) {
                if (image->bitsPerPixel == 8) {
                    const PaletteEntry e = image->palette[row[x]];
                    picture.pixels.push_back({e.red, e.green, e.blue});
                } else {
                    const int step = image->bitsPerPixel / 8;
                    const uint8_t* p = row + step * x;
                    picture.pixels.push_back({p[2], p[1], p[0]});
                }
            }
        }
    }
    image->Release();
    return picture;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

LRESULT ItemCount(HWND list) {
    return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

HWND FindDialog(const char* caption) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowA("#32770", caption);
        return found && IsWindowVisible(found);
    });
    return found;
}

// Answers the message box of `caption` with OK and gives its text.
std::string AnswerBox(const char* caption) {
    std::string text;
    HWND box = FindMessageBox(caption, &text);
    if (box)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
    return box ? text : "(no box)";
}

class BatchProgram : public ProgramCase {
protected:
    BatchProgram() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, kOptionsKey);
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
    }
    // Opens the explorer on `folder`, waits for `items` thumbnails and
    // selects them all.
    HWND OpenAndSelectAll(const std::string& folder, int items) {
        Launch(Quoted(folder));
        HWND frame = nullptr;
        const std::string title = "Velmorantix XP - " + folder.substr(folder.rfind('\\') + 1);
        EXPECT_TRUE(WaitFor([&] {
            frame = VisibleMainFrame();
            return frame && WindowText(frame) == title;
        }));
        HWND list = frame ? FindInExplorer(frame, 10002) : nullptr;
        EXPECT_TRUE(list && WaitFor([&] { return ItemCount(list) == items; }));
        if (!list)
            return nullptr;
        SendMessageA(frame, WM_COMMAND, ID_EDIT_SELECT_ALL_COMMAND, 0);
        EXPECT_EQ(items, SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
        return frame;
    }
    static constexpr WORD ID_EDIT_SELECT_ALL_COMMAND = 57642;
};

TEST_F(BatchProgram, GrayscaleRenamesBesideEachPictureAndReportsTheFilesItCouldNotDo) {
    const std::string folder = FreshTempFolder("vxp-batch-gray");
    WriteBmp(folder + "\\a.bmp", 40, 30, false, Pattern);
    WriteBmp(folder + "\\b.bmp", 24, 12, true, [](int x, int) {
        return Rgb{255, 0, x > 5 ? 255 : 0};
    });
    WriteEmf(folder + "\\c.emf");
    WriteAll(folder + "\\corrupt.jpg",
             std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF", 11) +
                 std::string(40, 'Z'));
    SetDword("ExplorerBatchProcessedSaveConfirmation", 1);
    HWND frame = OpenAndSelectAll(folder, 4);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, 285, 0); // Grayscale
    HWND where = FindDialog("Save Images");
    ASSERT_NE(nullptr, where);
    SendMessageA(GetDlgItem(where, 1176), BM_CLICK, 0, 0); // rename beside the originals
    PostMessageA(where, WM_COMMAND, IDOK, 0);

    EXPECT_EQ("Image type is not supported", AnswerBox("Failed!"));
    const std::string report = AnswerBox("Failed!");
    EXPECT_NE(std::string::npos, report.find("1 of 4 images could not be processed")) << report;
    EXPECT_NE(std::string::npos, report.find("corrupt.jpg")) << report;
    ASSERT_TRUE(WaitFor([] { return FindWindowA("#32770", "Converting") == nullptr; }));

    EXPECT_EQ((std::vector<std::string>{"Grayscale a.bmp", "Grayscale b.bmp", "a.bmp", "b.bmp",
                                        "c.emf", "corrupt.jpg"}),
              Names(folder));
    struct Case {
        const char* source;
        const char* result;
    } cases[] = {{"a.bmp", "Grayscale a.bmp"}, {"b.bmp", "Grayscale b.bmp"}};
    for (const Case& c : cases) {
        const Picture before = Read(folder + "\\" + c.source);
        const Picture after = Read(folder + "\\" + c.result);
        ASSERT_EQ(before.width, after.width) << c.result;
        ASSERT_EQ(before.height, after.height) << c.result;
        ASSERT_FALSE(after.pixels.empty());
        for (int y = 0; y < after.height; ++y)
            for (int x = 0; x < after.width; ++x) {
                const Rgb in = before.At(x, y), out = after.At(x, y);
                ASSERT_TRUE(out.r == out.g && out.g == out.b) << c.result << " " << x << "," << y;
                // A weighted mean of the channels: between the smallest and
                // the largest of them.
                const int lo = std::min({in.r, in.g, in.b}), hi = std::max({in.r, in.g, in.b});
                ASSERT_TRUE(out.r >= lo - 1 && out.r <= hi + 1) << c.result << " " << x << "," << y;
            }
    }
    EXPECT_EQ(1u, StoredNumber("SaveImagesSelection", 1)) << "the choice is kept";
}

TEST_F(BatchProgram, InvertReplacesTheFilesButNeverAReadOnlyOne) {
    const std::string folder = FreshTempFolder("vxp-batch-readonly");
    WriteBmp(folder + "\\a.bmp", 16, 8, false, Pattern);
    WriteBmp(folder + "\\ro.bmp", 16, 8, false, Pattern);
    SetFileAttributesA((folder + "\\ro.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string readOnly = ReadAll(folder + "\\ro.bmp");
    SetDword("ExplorerBatchProcessedSaveConfirmation", 0);
    HWND frame = OpenAndSelectAll(folder, 2);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, 389, 0); // Invert, over the files
    const std::string report = AnswerBox("Failed!");
    SetFileAttributesA((folder + "\\ro.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(std::string::npos, report.find("ro.bmp: its result would replace a read-only file"))
        << report;
    EXPECT_EQ(readOnly, ReadAll(folder + "\\ro.bmp"));
    const Picture inverted = Read(folder + "\\a.bmp");
    ASSERT_EQ(16, inverted.width);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgb in = Pattern(x, y), out = inverted.At(x, y);
            ASSERT_TRUE(out.r == 255 - in.r && out.g == 255 - in.g && out.b == 255 - in.b)
                << x << "," << y;
        }
    EXPECT_EQ((std::vector<std::string>{"a.bmp", "ro.bmp"}), Names(folder));
}

TEST_F(BatchProgram, CancelStopsAfterThePictureUnderWayAndLeavesTheRestAsTheyWere) {
    const std::string folder = FreshTempFolder("vxp-batch-cancel");
    const int count = 6;
    std::vector<std::string> sources;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\p" + std::to_string(i) + ".bmp";
        WriteBmp(path, 320, 240, false, Pattern);
        sources.push_back(ReadAll(path));
    }
    SetDword("ExplorerBatchProcessedSaveConfirmation", 0);
    // Every band of rows of a decode waits a while: the run is slow enough
    // to be cancelled half way.
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "40");
    HWND frame = OpenAndSelectAll(folder, count);
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, 32780, 0); // Flip Vertical, over the files
    HWND progress = FindDialog("Flipping");
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(WaitFor([&] {
        return WindowText(GetDlgItem(progress, 1206)).find("image 2 of 6") != std::string::npos;
    })) << WindowText(GetDlgItem(progress, 1206));
    PostMessageA(progress, WM_COMMAND, MAKEWPARAM(1192, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(progress); }));

    int flipped = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\p" + std::to_string(i) + ".bmp";
        if (ReadAll(path) == sources[i])
            continue;
        // A changed file is the whole picture upside down, never a part.
        ++flipped;
        EXPECT_EQ(i, flipped - 1) << "only the first files change";
        const Picture p = Read(path);
        ASSERT_EQ(240, p.height) << path;
        const Rgb top = p.At(10, 0), bottom = Pattern(10, 239);
        EXPECT_TRUE(top.r == bottom.r && top.g == bottom.g && top.b == bottom.b) << path;
    }
    EXPECT_GE(flipped, 1);
    EXPECT_LE(flipped, 2);
    EXPECT_EQ(static_cast<size_t>(count), Names(folder).size()) << "no temporary file is left";
}

TEST_F(BatchProgram, ConvertWritesTheSelectionAsPngFilesOfTheSamePictures) {
    const std::string folder = FreshTempFolder("vxp-convert-in");
    const std::string out = FreshTempFolder("vxp-convert-out");
    WriteBmp(folder + "\\a.bmp", 20, 10, false, Pattern);
    WriteBmp(folder + "\\b.bmp", 9, 7, true, Pattern);
    HWND frame = OpenAndSelectAll(folder, 2);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, 367, 0); // Convert...
    HWND dialog = FindDialog("Convert");
    ASSERT_NE(nullptr, dialog);
    SendMessageA(GetDlgItem(dialog, 1139), CB_SETCURSEL, 3, 0); // PNG
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1139, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(dialog, 1139));
    SetWindowTextA(GetDlgItem(dialog, 1015), (out + "\\").c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return Names(out).size() == 2 && !IsWindow(dialog); }));
    ASSERT_TRUE(WaitFor([] { return FindWindowA("#32770", "Converting") == nullptr; }));

    EXPECT_EQ((std::vector<std::string>{"a.png", "b.png"}), Names(out));
    for (const char* name : {"a", "b"}) {
        const Picture before = Read(folder + "\\" + name + ".bmp");
        const Picture after = Read(out + "\\" + name + ".png");
        EXPECT_EQ(0u, ReadAll(out + "\\" + name + ".png").find("\x89PNG"));
        ASSERT_EQ(before.width, after.width) << name;
        ASSERT_EQ(before.height, after.height) << name;
        for (size_t i = 0; i < before.pixels.size(); ++i)
            ASSERT_TRUE(before.pixels[i] == after.pixels[i]) << name << " pixel " << i;
    }
    EXPECT_EQ(3u, StoredNumber("ConvertEncoderType"));
    char stored[MAX_PATH] = {};
    DWORD size = sizeof stored;
    RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, "ConvertPath", RRF_RT_REG_SZ, nullptr, stored,
                 &size);
    EXPECT_EQ(out, std::string(stored)) << "kept without its trailing backslash";
}

} // namespace
