// Black-box tests of the explorer's acquisition commands in the real
// program: Acquire through a TWAIN source manager beside the program (the
// test tree's stand-in, copied there as the program's TWAIN_32.DLL, whose
// source delivers scripted images), Screen Capture of the whole screen, and
// a picture on the clipboard pasted as a new file. Each writes files named
// by the output settings, which the test reads back pixel by pixel. The
// program runs in a Wine prefix of this file's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

const char kExe[] = VXP_APP_EXE;
const char kStandInManager[] = VXP_STAND_IN_DSM;

constexpr WORD kTwainAcquire = 323, kScreenCapture = 343, kPasteClipboard = 344;

// A decoded 24- or 32-bit BMP file, rows from the top.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool ReadBmp(const std::string& path, Bitmap* out) {
    const std::string bytes = ReadAll(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    auto u32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    const uint32_t offset = u32(10);
    const int32_t width = static_cast<int32_t>(u32(18));
    const int32_t height = static_cast<int32_t>(u32(22));
    const int bits = static_cast<uint8_t>(bytes[28]) | static_cast<uint8_t>(bytes[29]) << 8;
    if (width <= 0 || height == 0 || (bits != 24 && bits != 32) || width > 8192 || height > 8192 ||
        height < -8192)
        return false;
    const int rows = height < 0 ? -height : height;
    const size_t stride = (static_cast<size_t>(width) * (bits / 8) + 3) & ~size_t{3};
    if (offset + stride * rows > bytes.size())
        return false;
    out->width = width;
    out->height = rows;
    out->pixels.resize(static_cast<size_t>(width) * rows);
    for (int y = 0; y < rows; ++y) {
        const int stored = height < 0 ? y : rows - 1 - y;
        const auto* row = reinterpret_cast<const uint8_t*>(bytes.data()) + offset + stride * stored;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * (bits / 8);
            out->pixels[static_cast<size_t>(y) * width + x] = Rgb{p[2], p[1], p[0]};
        }
    }
    return true;
}

// Waits while the test's own windows keep painting.
bool PumpFor(const std::function<bool()>& done, DWORD ms = 15000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
    }
}

class Acquisition : public ProgramCase {
protected:
    Acquisition() : ProgramCase(kExe) {}
    void SetUp() override {
        StopRunningCopy();
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velmorantix\\Velmorantix XP");
        SetDword("TrayIcon", 0);
        SetDword("ShowWelcome", 0);
        output = FreshTempFolder("vxp-acquire-output");
        SetText("OutuptSettingFilenamePath", output);
        SetText("OutuptSettingFilenamePrefix", "PHOTO");
        SetDword("OutuptSettingEncoderType", 1); // BMP, read back by the test
        SetDword("OutuptSettingSequenceStartAt", 1);
        SetDword("OutuptSettingPaddingZero", 0);
    }
    HWND StartExplorer(const char* exe = nullptr) {
        const std::string browse = FreshTempFolder("vxp-acquire-browse");
        if (exe)
            started_.push_back(Start(exe, Quoted(browse)));
        else
            Launch(Quoted(browse));
        HWND frame = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (frame = VisibleMainFrame()) != nullptr; }, 20000));
        EXPECT_TRUE(WaitFor([&] { return Title(frame) == "Velmorantix XP - vxp-acquire-browse"; }))
            << Title(frame);
        return frame;
    }
    std::string output;
};

TEST_F(Acquisition, AcquireWritesTheImagesTheTwainSourceDeliversAsTheOutputNamingSays) {
    // A copy of the program with the stand-in source manager as its own
    // TWAIN_32.DLL, loaded in place of the system's.
    const std::string copy = FreshTempFolder("vxp-acquire-program");
    const std::string exe = copy + "\\VelmorantixXP.exe";
    ASSERT_TRUE(CopyFileA(kExe, exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(kStandInManager, (copy + "\\TWAIN_32.DLL").c_str(), FALSE));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER,
                              "Software\\Wine\\AppDefaults\\VelmorantixXP.exe\\DllOverrides", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const char order[] = "native,builtin";
    RegSetValueExA(key, "twain_32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
    RegCloseKey(key);
    const std::string log = copy + "\\twain.log";
    SetEnvironmentVariableA("VXP_STAND_IN_TWAIN_SCRIPT", "done,cancel,done");
    SetEnvironmentVariableA("VXP_STAND_IN_TWAIN_LOG", log.c_str());
    HWND frame = StartExplorer(exe.c_str());
    SetEnvironmentVariableA("VXP_STAND_IN_TWAIN_SCRIPT", nullptr);
    SetEnvironmentVariableA("VXP_STAND_IN_TWAIN_LOG", nullptr);
    ASSERT_NE(nullptr, frame);

    Command(frame, kTwainAcquire);
    // The cancelled image takes no number: images 1 and 3 are PHOTO1 and
    // PHOTO2, every pixel (red n*30, green n*20, blue n*10).
    const std::string first = Path(output.c_str(), "PHOTO1.bmp");
    const std::string second = Path(output.c_str(), "PHOTO2.bmp");
    ASSERT_TRUE(WaitFor([&] { return Exists(first) && Exists(second); }, 20000)) << ReadAll(log);
    EXPECT_FALSE(Exists(Path(output.c_str(), "PHOTO3.bmp")));
    struct Case {
        const std::string* path;
        Rgb colour;
    } cases[] = {{&first, {30, 20, 10}}, {&second, {90, 60, 30}}};
    for (const Case& c : cases) {
        Bitmap image;
        ASSERT_TRUE(WaitFor([&] { return ReadBmp(*c.path, &image); })) << *c.path;
        ASSERT_EQ(3, image.width) << *c.path;
        ASSERT_EQ(2, image.height) << *c.path;
        for (const Rgb& p : image.pixels)
            EXPECT_EQ(c.colour, p) << *c.path;
    }
    const std::string triplets = ReadAll(log);
    EXPECT_NE(std::string::npos, triplets.find("app \"Velmorantix XP\"")) << triplets;
    for (const char* line : {"DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS -> TWRC_SUCCESS",
                             "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET -> TWRC_CANCEL"})
        EXPECT_NE(std::string::npos, triplets.find(line)) << line << "\n" << triplets;
    // The explorer shows the last file it wrote.
    EXPECT_TRUE(WaitFor([&] { return Title(frame) == "Velmorantix XP - vxp-acquire-output"; }))
        << Title(frame);
}

TEST_F(Acquisition, ScreenCaptureOfTheWholeScreenIsOnePixelShortOfItInEachDirection) {
    // A window of one colour in a corner of the screen, kept above the rest.
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(200, 30, 140));
    wc.lpszClassName = "AcquisitionMarker";
    RegisterClassA(&wc);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND marker = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "AcquisitionMarker", "",
                                  WS_POPUP | WS_VISIBLE, 20, screenHeight - 120, 80, 60, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, marker);
    UpdateWindow(marker);

    HWND frame = StartExplorer();
    ASSERT_NE(nullptr, frame);
    Command(frame, kScreenCapture);
    HWND dialog = nullptr;
    ASSERT_TRUE(
        PumpFor([&] { return (dialog = FindWindowA("#32770", "Screen Capture")) != nullptr; }));
    EXPECT_FALSE(IsWindowVisible(frame)) << "the explorer hides while the screen is captured";
    // OK without a window picked: the whole screen.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const std::string file = Path(output.c_str(), "PHOTO00001.bmp");
    Bitmap image;
    ASSERT_TRUE(PumpFor([&] { return Exists(file) && ReadBmp(file, &image); }, 20000));
    EXPECT_EQ(screenWidth - 1, image.width);
    EXPECT_EQ(screenHeight - 1, image.height);
    const Rgb marked{200, 30, 140};
    EXPECT_EQ(marked, image.At(60, screenHeight - 90)) << "the marker's middle";
    EXPECT_FALSE(marked == image.At(120, screenHeight - 90)) << "beside the marker";
    EXPECT_TRUE(PumpFor([&] { return IsWindowVisible(frame) != FALSE; }))
        << "the explorer comes back";
    DestroyWindow(marker);
}

TEST_F(Acquisition, APictureOnTheClipboardIsPastedAsTheNextFreeNumberedFile) {
    // PHOTO00001 is taken: the paste writes PHOTO00002.
    WriteAll(Path(output.c_str(), "PHOTO00001.bmp"), BmpFile(2, 2, RGB(0, 0, 0)));
    // A 4 x 3 bottom-up DIB whose every row has its own colour.
    const int width = 4, height = 3, stride = 12;
    const Rgb rows[height] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}}; // from the top
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + stride * height);
    ASSERT_NE(nullptr, memory);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(memory));
    *header = BITMAPINFOHEADER{};
    header->biSize = sizeof *header;
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biSizeImage = stride * height;
    auto* pixels = reinterpret_cast<uint8_t*>(header + 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = pixels + (height - 1 - y) * stride + x * 3;
            p[0] = rows[y].b;
            p[1] = rows[y].g;
            p[2] = rows[y].r;
        }
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(nullptr, SetClipboardData(CF_DIB, memory));
    CloseClipboard();

    HWND frame = StartExplorer();
    ASSERT_NE(nullptr, frame);
    Command(frame, kPasteClipboard);
    const std::string file = Path(output.c_str(), "PHOTO00002.bmp");
    Bitmap image;
    ASSERT_TRUE(WaitFor([&] { return Exists(file) && ReadBmp(file, &image); }, 20000));
    ASSERT_EQ(width, image.width);
    ASSERT_EQ(height, image.height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(rows[y], image.At(x, y)) << x << "," << y;
    EXPECT_FALSE(Exists(Path(output.c_str(), "PHOTO00003.bmp")));
}

} // namespace
