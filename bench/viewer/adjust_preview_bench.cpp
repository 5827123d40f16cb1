// Latency of the Brightness/Contrast preview under Wine: a viewer in this
// process shows a 6000 x 4000 image shrunk to fit its window, the real
// dialog opens on it with the view, working copy and source the viewer's
// command hands over, and the brightness trackbar is moved as a user drags
// it. Each move is timed from the trackbar's message to the preview's last
// rows drawn in the view (the preview thread draws them as it goes), beside
// the operation alone on the same pixels.
//
//   cmake --preset mingw-x64 -DVXP_BENCH=ON
//   cmake --build build/mingw-x64 --target adjust_preview_bench
//   scripts/with-wine-session.sh $PWD/build/mingw-x64/wineprefix scripts/wine-run.sh
//       --gtest build/mingw-x64/bench/viewer/adjust_preview_bench.exe   (one command)
//
// A gtest program for its viewer and dialog fixtures; never part of the
// tests. Prints the median and best of the moves, in milliseconds, and the
// target (within 100 ms).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/operations/color_adjustments.h"
#include "resources/messages.h"
#include "tests/support/dialog_script.h"
#include "tests/support/poll_until.h"
#include "tools/adjustment_dialogs.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kMoves = 9;

long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(long long ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

// The viewer host, noting when a redraw reaches the image's last row.
class TimingHost : public ViewerTestHost {
public:
    std::atomic<long long> lastRowsDrawn{0};
    int height = 0;

    void RedrawImageViewRows(CImageView* view, int first, int count) override {
        ViewerTestHost::RedrawImageViewRows(view, first, count);
        if (first >= 0 && first + count >= height)
            lastRowsDrawn.store(Now());
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

class AdjustPreviewBench : public ViewerFrameTest {
protected:
    TimingHost m_timing; // registered over the fixture's host, for this case
};

TEST_F(AdjustPreviewBench, BrightnessContrastPreviewOfAFittedImage) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&init);
    g_applicationState.Options().viewerZoomType = 2; // shrink to fit
    g_applicationState.Options().brightnessContrastDialogPreview = true;
    TimingHost& host = m_timing;
    host.height = kHeight;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "vxp-adjust-preview-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\photo.bmp";
    WriteBmp(path, kWidth, kHeight, 24, {}, [](int x, int y) {
        return static_cast<uint32_t>(((x * 7 + y * 3) >> 4) & 0xFF) |
               (static_cast<uint32_t>(((x ^ y) + (y >> 3)) & 0xFF) << 8) |
               (static_cast<uint32_t>(((x * x + y) >> 6) & 0xFF) << 16);
    });

    CImageFrame* frame = StartViewerOn(path);
    ASSERT_NE(frame, nullptr);
    MoveWindow(frame->m_hWnd, 0, 0, 1024, 740, TRUE);
    ASSERT_TRUE(PumpUntil(
        [&] {
            CImageObject* document = frame->GetDocument();
            return document && document->complete && document->width == kWidth;
        },
        60000));
    PumpFor(500);

    // What the viewer's command hands the dialog: the shown image as the
    // source and the view's private copy of it as the working image.
    CImageView& view = frame->GetView();
    CImageObject* source = frame->GetDocument();
    source->AddRef();
    ::SendMessageA(view.m_hWnd, kMsgViewDetachImage, 0, 0);
    CImageObject* working = frame->GetDocument();
    ASSERT_NE(working, source);

    // The operation alone, for comparison.
    std::vector<double> alone;
    for (int i = 0; i < 5; ++i) {
        CBrightnessContrastOp op;
        op.brightness = 10 + i;
        op.createDestination = false;
        const long long start = Now();
        ASSERT_TRUE(op.Apply(working, source));
        alone.push_back(Ms(Now() - start));
    }

    std::vector<double> latencies;
    CBrightnessContrastDialog dialog;
    dialog.view = &view;
    dialog.source = source;
    dialog.working = working;
    dialog.restore = true;
    testsupport::DialogScript script(
        "Brightness/Contrast",
        [&](HWND d) {
            HWND track = GetDlgItem(d, IDC_BRIGHTNESS_TRACK);
            for (int move = 0; move < kMoves; ++move) {
                const int position = 5 + 7 * move;
                host.lastRowsDrawn.store(0);
                const long long start = Now();
                SendMessageA(track, TBM_SETPOS, TRUE, position);
                SendMessageA(d, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                             reinterpret_cast<LPARAM>(track));
                const bool drawn =
                    testsupport::PollUntil([&] { return host.lastRowsDrawn.load() != 0; }, 30000);
                if (drawn)
                    latencies.push_back(Ms(host.lastRowsDrawn.load() - start));
                testsupport::PollUntil([] { return false; }, 150); // the user pauses
            }
            testsupport::DialogScript::PressCancel(d);
        },
        600000);
    EXPECT_EQ(dialog.DoModal(frame->m_hWnd), IDCANCEL);
    ASSERT_EQ(latencies.size(), static_cast<size_t>(kMoves));

    RECT client;
    GetClientRect(view.m_hWnd, &client);
    std::printf("image %dx%d, 24 bpp, shown shrunk to fit a %ldx%ld view\n", kWidth, kHeight,
                client.right, client.bottom);
    std::printf("operation alone on the full image: median %.1f ms, best %.1f ms\n", Median(alone),
                *std::min_element(alone.begin(), alone.end()));
    std::printf("slider move to the preview's last rows drawn: median %.1f ms, best %.1f ms, "
                "worst %.1f ms over %d moves (target: within 100 ms)\n",
                Median(latencies), *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()), kMoves);
    source->Release();
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
