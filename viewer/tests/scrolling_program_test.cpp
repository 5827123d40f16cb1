// Scrolling a picture larger than the viewer, in the real program: whatever
// the arrow keys and dragging uncover must show the picture at the new scroll
// position, with no strip left from an older one, at actual size and zoomed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "viewer/tests/program_fixture.h"
#include "resources/resource.h"

namespace {

using namespace program_driver;

const char kFolder[] = "C:\\vxpscroll";
constexpr int kWidth = 2000, kHeight = 1500;

// Every pixel says where it is: red and green are x and y modulo 256, blue
// holds the multiples of 256 (x in the high nibble, y in the low one).
Rgb PatternAt(int x, int y) {
    return Rgb{uint8_t(x & 255), uint8_t(y & 255), uint8_t(((x >> 8) << 4) | (y >> 8))};
}
POINT PlaceOf(const Rgb& c) {
    return POINT{c.r + 256 * (c.b >> 4), c.g + 256 * (c.b & 15)};
}

// The client area of `window` as shown on the screen, rows top first.
struct Capture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Capture CaptureClient(HWND window) {
    Capture shot;
    RECT client{};
    GetClientRect(window, &client);
    shot.width = client.right;
    shot.height = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC desktop = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(desktop);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, desktop, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint8_t*>(bits);
    shot.pixels.resize(size_t(shot.width) * shot.height);
    for (size_t i = 0; i < shot.pixels.size(); ++i)
        shot.pixels[i] = Rgb{p[4 * i + 2], p[4 * i + 1], p[4 * i]};
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, desktop);
    return shot;
}

// Compares a grid over the whole canvas, its edge rows and columns included,
// with the picture at the scroll position that its centre shows. At a zoom of
// z, canvas pixel c shows picture pixel (c + scroll) / z; rounding of the
// stretch leaves one picture pixel of play. Returns the failures as text.
std::string CompareWithPicture(HWND canvas, double zoom) {
    const Capture shot = CaptureClient(canvas);
    if (shot.width < 100 || shot.height < 100)
        return "canvas too small: " + std::to_string(shot.width) + "x" +
               std::to_string(shot.height);
    const int cx = shot.width / 2, cy = shot.height / 2;
    const POINT centre = PlaceOf(shot.At(cx, cy));
    std::vector<int> xs, ys;
    for (int i = 0; i <= 16; ++i) {
        xs.push_back((shot.width - 1) * i / 16);
        ys.push_back((shot.height - 1) * i / 16);
    }
    // The strips that scrolling uncovers lie along the edges.
    for (int d : {1, 2, 3, 5, 8}) {
        xs.push_back(shot.width - 1 - d);
        ys.push_back(shot.height - 1 - d);
        xs.push_back(d);
        ys.push_back(d);
    }
    const double tolerance = zoom > 1.0 ? 1.0 : 0.0;
    std::string failures;
    int failed = 0;
    for (int y : ys) {
        for (int x : xs) {
            const POINT got = PlaceOf(shot.At(x, y));
            const double wantX = centre.x + (x - cx) / zoom;
            const double wantY = centre.y + (y - cy) / zoom;
            if (std::abs(got.x - wantX) > tolerance + 0.5 ||
                std::abs(got.y - wantY) > tolerance + 0.5) {
                if (++failed <= 8)
                    failures += " at (" + std::to_string(x) + "," + std::to_string(y) +
                                ") picture (" + std::to_string(got.x) + "," +
                                std::to_string(got.y) + ") instead of about (" +
                                std::to_string(int(wantX)) + "," + std::to_string(int(wantY)) +
                                ");";
            }
        }
    }
    if (failed > 0)
        failures = std::to_string(failed) + " samples wrong:" + failures;
    return failures;
}

class Scrolling : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kFolder, nullptr);
        WriteBmp(Path(kFolder, "pattern.bmp"), kWidth, kHeight, true, PatternAt);
    }
};

// Waits until the canvas centre shows another part of the picture.
bool WaitForScroll(HWND canvas, const Rgb& before) {
    return WaitFor(
        [&] {
            RECT client{};
            GetClientRect(canvas, &client);
            return !(ClientPixel(canvas, client.right / 2, client.bottom / 2) == before);
        },
        3000);
}

Rgb CentreOf(HWND canvas) {
    RECT client{};
    GetClientRect(canvas, &client);
    return ClientPixel(canvas, client.right / 2, client.bottom / 2);
}

TEST_F(Scrolling, UncoveredStripsShowThePictureAtTheNewPosition) {
    struct Case {
        const char* zoomText; // null: actual size
        double zoom;
    } cases[] = {{nullptr, 1.0}, {"250", 2.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoomText ? c.zoomText : "actual size");
        const std::string file = Path(kFolder, "pattern.bmp");
        Launch(file);
        HWND frame = WaitForViewer([&](const std::string& t) { return t.find(file) == 0; });
        ASSERT_NE(frame, nullptr);
        KeepOnTop(frame);
        Command(frame, ID_ZOOM_TYPE_ACTUAL);
        ASSERT_TRUE(WaitFor([&] { return Title(frame).find(" @ 100% ") != std::string::npos; }))
            << Title(frame);
        if (c.zoomText) {
            Command(frame, ID_ZOOM_TO);
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                dialog = FindWindowA("#32770", "Zoom To");
                return dialog && IsWindowVisible(dialog);
            }));
            SetDlgItemTextA(dialog, 1163, c.zoomText);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitFor([&] {
                return Title(frame).find(std::string(" @ ") + c.zoomText + "% ") !=
                       std::string::npos;
            })) << Title(frame);
        }
        HWND view = Descendant(frame, "ImageView");
        HWND canvas = Descendant(frame, "ImageWindow");
        ASSERT_NE(view, nullptr);
        ASSERT_NE(canvas, nullptr);
        ASSERT_TRUE(WaitFor([&] { return CompareWithPicture(canvas, c.zoom).empty(); }, 5000))
            << "before scrolling: " << CompareWithPicture(canvas, c.zoom);

        // What scrolling uncovers is drawn right after it, so a picture
        // caught in between is given time; a stale strip stays for good.
        const auto settlesRight = [&](const char* after) {
            EXPECT_TRUE(WaitFor([&] { return CompareWithPicture(canvas, c.zoom).empty(); }, 3000))
                << "after " << after << ": " << CompareWithPicture(canvas, c.zoom);
        };

        // Arrow keys: right, then down, then back left. A key that arrives
        // while the view still scrolls for the one before may be taken as
        // held, so only the movement as a whole is required.
        SetForegroundWindow(frame);
        for (WPARAM key : {VK_RIGHT, VK_DOWN, VK_LEFT}) {
            const Rgb start = CentreOf(canvas);
            for (int step = 0; step < 6; ++step) {
                const Rgb before = CentreOf(canvas);
                PostMessageA(view, WM_KEYDOWN, key, 1);
                PostMessageA(view, WM_KEYUP, key, 0xC0000001);
                WaitForScroll(canvas, before);
            }
            EXPECT_FALSE(CentreOf(canvas) == start) << "key " << key << " did not scroll";
            settlesRight(key == VK_RIGHT ? "right" : key == VK_DOWN ? "down" : "left");
        }

        // Dragging the picture up and to the left, in diagonal steps.
        const Rgb start = CentreOf(canvas);
        PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
        for (int step = 1; step <= 6; ++step) {
            const Rgb before = CentreOf(canvas);
            PostMessageA(view, WM_MOUSEMOVE, MK_LBUTTON,
                         MAKELPARAM(300 - 7 * step, 200 - 5 * step));
            WaitForScroll(canvas, before);
        }
        PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(300 - 42, 200 - 30));
        EXPECT_FALSE(CentreOf(canvas) == start) << "dragging did not scroll";
        settlesRight("dragging");

        for (Process& p : started_)
            Kill(p);
        started_.clear();
        StopRunningCopy();
    }
}

} // namespace
