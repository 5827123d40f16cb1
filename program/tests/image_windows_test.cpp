// The application object reaching real frame windows: only the viewer whose
// canvas shows the decoding image hears that the decode started and ended,
// once each and in that order, and gets its rows even while a render pass
// holds its canvas; a view's rows are redrawn through the frame
// that owns it; item-list changes reach the explorer and the viewers in the
// order each code asks for.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/image_cache.h"
#include "app/tests/temp_folder.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"
#include "program/program_frames.h"
#include "viewer/image_frame.h"
#include "viewer/image_view.h"
#include "viewer/image_window.h"
#include "explorer/main_frame.h"
#include "resources/messages.h"

namespace {

// The program's frame management and image windows, as start-up registers them.
class ProgramFramesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterProgramFrames(); }
};
::testing::Environment* const kProgramFrames =
    ::testing::AddGlobalTestEnvironment(new ProgramFramesEnvironment);

std::map<HWND, WNDPROC> g_oldProcs;
std::map<HWND, std::vector<UINT>> g_heard;
std::map<HWND, int> g_lastRowDrawn;

// An item-list change as one window received it.
struct Heard {
    HWND window;
    int code;
    std::string item;
    bool operator==(const Heard& o) const {
        return window == o.window && code == o.code && item == o.item;
    }
};
std::vector<Heard> g_changes;
CFileItemList* g_watchedList = nullptr;

LRESULT CALLBACK Listen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgDecodeStarted || message == kMsgDecodeEnded)
        g_heard[window].push_back(message);
    if (message == kMsgViewLastRowDrawn)
        ++g_lastRowDrawn[window];
    if (message == kMsgItemListChanged) {
        const auto* change = reinterpret_cast<const ItemListChange*>(wParam);
        // Only the test's own changes: the frames see others of their own.
        if (change && change->list == g_watchedList) {
            g_changes.push_back({window, change->code, change->item ? change->item : ""});
            return 0;
        }
    }
    return CallWindowProcA(g_oldProcs[window], window, message, wParam, lParam);
}

void ListenTo(HWND window) {
    g_oldProcs[window] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Listen)));
}

void Pump(DWORD ms, bool (*done)()) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms && !(done && done())) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

HWND g_shownWindow = nullptr;
HWND g_shownView = nullptr;
bool ShownHeardTheEnd() {
    const auto& heard = g_heard[g_shownWindow];
    return !heard.empty() && heard.back() == kMsgDecodeEnded && g_lastRowDrawn[g_shownView] > 0;
}

std::string WriteBmp(const CTestFolder& folder, const char* name, int width, int height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y)
        memset(image.GetRow(y, true), y & 0xFF, 3 * width);
    const std::string path = folder.File(name);
    CBmpWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

TEST(DecodeProgress, OnlyTheFrameShowingTheImageHearsStartThenEnd) {
    CTestFolder folder("progress");
    const std::string path = WriteBmp(folder, "tall.bmp", 64, 300);
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "2");

    CImageFrame* shown = new CImageFrame;
    CImageFrame* other = new CImageFrame;
    ASSERT_NE(nullptr, shown->CreateViewer());
    ASSERT_NE(nullptr, other->CreateViewer());
    g_shownWindow = shown->m_hWnd;
    // Hidden windows collect no update region.
    ShowWindow(shown->m_hWnd, SW_SHOWNOACTIVATE);
    g_shownView = shown->GetViewWindow();
    ListenTo(shown->m_hWnd);
    ListenTo(other->m_hWnd);
    ListenTo(g_shownView);
    {
        // The decode cannot report before the frame shows the image: its
        // walk over the viewers waits for this lock.
        g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
            viewers = {other, shown};
        });
        CImageObject* image = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
        ASSERT_NE(nullptr, image);
        shown->ShowDocument(image, false);
    }
    Pump(20000, ShownHeardTheEnd);
    EXPECT_EQ((std::vector<UINT>{kMsgDecodeStarted, kMsgDecodeEnded}), g_heard[shown->m_hWnd]);
    EXPECT_TRUE(g_heard[other->m_hWnd].empty());
    // The rows handed to the canvas reached the image's last row: the canvas
    // tells its view once the last band is drawn.
    EXPECT_GE(g_lastRowDrawn[g_shownView], 1);

    // A view's rows are redrawn through its frame: -1 invalidates the canvas.
    HWND canvas = shown->GetView().GetCanvas().m_hWnd;
    ASSERT_NE(nullptr, canvas);
    Pump(200, nullptr);
    ValidateRect(canvas, nullptr);
    RedrawImageViewRows(&shown->GetView(), -1, 0);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(canvas, &update, FALSE));
    HWND otherCanvas = other->GetView().GetCanvas().m_hWnd;
    ValidateRect(otherCanvas, nullptr);
    RedrawImageViewRows(&shown->GetView(), 0, 10); // drawn at once, nothing queued
    EXPECT_FALSE(GetUpdateRect(otherCanvas, &update, FALSE));

    {
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
    }
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
    DestroyWindow(shown->m_hWnd);
    DestroyWindow(other->m_hWnd);
    Pump(200, nullptr);
}

// Runs fn on a thread of its own; false when it has not returned within ms.
template <class Fn> bool ReturnsWithin(DWORD ms, Fn fn) {
    struct Call {
        Fn fn;
        static DWORD WINAPI Run(void* p) {
            static_cast<Call*>(p)->fn();
            return 0;
        }
    };
    Call* call = new Call{fn};
    HANDLE thread = CreateThread(nullptr, 0, &Call::Run, call, 0, nullptr);
    const bool returned = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    if (returned) {
        CloseHandle(thread);
        delete call;
    }
    // A thread that is still blocked keeps its call; the test has failed.
    return returned;
}

TEST(DecodeProgress, RowsReachACanvasWhoseDrawingHoldsItsLock) {
    CTestFolder folder("rows");
    const std::string path = WriteBmp(folder, "rows.bmp", 64, 100);
    CImageFrame* frame = new CImageFrame;
    ASSERT_NE(nullptr, frame->CreateViewer());
    ShowWindow(frame->m_hWnd, SW_SHOWNOACTIVATE);
    {
        g_applicationState.WithViewerList(
            [&](std::vector<CImageFrame*>& viewers) { viewers = {frame}; });
    }
    CImageObject* image = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, image);
    frame->ShowDocument(image, false);
    static CImageObject* decoding;
    decoding = image;
    Pump(20000, [] { return !decoding->notLoaded.load(); });
    CImageWindow& canvas = frame->GetView().GetCanvas();
    canvas.ClearPendingRows();

    // A render pass draws under the canvas lock; the decode thread must still
    // hand over its rows meanwhile instead of waiting for the screen.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread drawer([&] {
        canvas.Lock();
        SetEvent(held);
        WaitForSingleObject(release, 10000);
        canvas.Unlock();
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 5000));
    EXPECT_TRUE(
        ReturnsWithin(3000, [image] { ImageDecodeProgress(image, kDecodeRows, 0, 10, 0); }));
    EXPECT_TRUE(canvas.HasPendingRows());
    SetEvent(release);
    drawer.join();
    CloseHandle(held);
    CloseHandle(release);

    {
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
    }
    DestroyWindow(frame->m_hWnd);
    Pump(200, nullptr);
}

TEST(ItemListChanges, ReachTheFramesInTheOrderOfTheirCode) {
    CImageFrame* first = new CImageFrame;
    CImageFrame* second = new CImageFrame;
    CMainFrame* explorer = new CMainFrame;
    ASSERT_NE(nullptr, first->CreateViewer());
    ASSERT_NE(nullptr, second->CreateViewer());
    ASSERT_NE(nullptr, explorer->CreateEx());
    const HWND e = explorer->m_hWnd, v1 = first->m_hWnd, v2 = second->m_hWnd;
    for (HWND window : {e, v1, v2})
        ListenTo(window);
    {
        g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
            viewers = {first, second};
        });
    }
    g_applicationState.SetExplorer(explorer);
    CFileItemList list(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(77)));
    g_watchedList = &list;

    struct Case {
        int code;
        std::vector<HWND> order;
    } cases[] = {
        {kListChangeBatchBegin, {e}},
        {kListChangeBatchEnd, {e}},
        {kListChangeAdded, {v1, v2, e}},
        {kListChangeRemoved, {v2, v1, e}},
        {kListChangeRenamed, {e, v1, v2}},
        {kListChangeFolderRenamed, {e, v1, v2}},
        {kListChangeFolderRemoved, {e, v1, v2}},
        {kListChangeFileChanged, {v1, v2, e}},
        {kListChangeRefilled, {e, v1, v2}},
        {kListChangeResultEmptied, {e, v1, v2}},
        {kListChangeResorting, {e, v1, v2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        g_changes.clear();
        SendItemListChange(&list, c.code, "x.jpg", "C:\\t\\x.jpg");
        std::vector<Heard> expected;
        for (HWND window : c.order)
            expected.push_back({window, c.code, window == e ? "C:\\t\\x.jpg" : "x.jpg"});
        EXPECT_EQ(expected, g_changes);
    }
    // Without an explorer item, the explorer gets the same item.
    g_changes.clear();
    g_applicationState.NotifyListChanged(&list);
    EXPECT_EQ((std::vector<Heard>{{e, 8, ""}, {v1, 8, ""}, {v2, 8, ""}}), g_changes);

    g_watchedList = nullptr;
    g_applicationState.SetExplorer(nullptr);
    {
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
    }
    for (HWND window : {v1, v2})
        DestroyWindow(window);
    Pump(200, nullptr);
}

} // namespace
