// The image view in a test parent window: layout and pixels on both drawing
// paths, rows arriving from a decode, cursors, zoom commands, the image
// slots and their references, keep-view replacement, frames and the caption.
#include "viewer/tests/image_view_fixture.h"

namespace image_view_test {
namespace {

TEST_F(ImageViewTest, SmallImageIsCentredAndDrawnProgressively) {
    Show(100, 100);
    RECT r = CanvasRect();
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 100);
    EXPECT_FALSE(m_view.IsScrollable());
    EXPECT_TRUE(g_log.Has(kViewNotifyFullyShown));

    // Not scrollable: the arrow, never the open hand.
    ::SendMessageA(m_view, WM_SETCURSOR, (WPARAM)m_view.m_hWnd, MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW));

    EXPECT_EQ(PixelAt(220, 250), kRed);
    EXPECT_EQ(PixelAt(280, 250), kBlue);
    EXPECT_EQ(PixelAt(5, 5), kBackground);
}

TEST_F(ImageViewTest, ReducedImageTakesTheImmediatePath) {
    // 1000 x 500 fitted into 500 x 500: shown at 500 x 250 in one stretch.
    m_view.SetZoomType(kZoomFitOnScreen);
    g_log = ParentLog();
    Show(1000, 500);
    EXPECT_DOUBLE_EQ(m_view.GetCurrentZoom(), 0.5);
    RECT r = CanvasRect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 125);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 250);
    EXPECT_TRUE(g_log.Has(kViewNotifyFullyShown));
    EXPECT_EQ(PixelAt(100, 250), kRed);
    EXPECT_EQ(PixelAt(400, 250), kBlue);
    EXPECT_EQ(PixelAt(250, 10), kBackground);

    double zoom = 0;
    int width = 0, height = 0;
    m_view.GetZoom(zoom, width, height);
    EXPECT_EQ(zoom, 0.0);
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 500);
}

TEST_F(ImageViewTest, LargeImageScrollsWithTheOpenHand) {
    Show(1000, 800);
    EXPECT_TRUE(m_view.IsScrollable());
    EXPECT_EQ(m_view.GetMaxScrollX(), 500);
    EXPECT_EQ(m_view.GetMaxScrollY(), 300);
    ::SendMessageA(m_view, WM_SETCURSOR, (WPARAM)m_view.m_hWnd, MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(::GetCursor(),
              ::LoadCursorA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDC_HAND_OPEN)));

    m_view.ScrollTo(900, 40); // clamped to the maximum
    EXPECT_EQ(m_view.GetCanvas().GetScrollX(), 500);
    EXPECT_EQ(m_view.GetCanvas().GetScrollY(), 40);
    m_view.ScrollBy(-4, 0); // five steps up
    EXPECT_EQ(m_view.GetCanvas().GetScrollY(), 20);
    ::SendMessageA(m_view, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(m_view.GetCanvas().GetScrollX(), 400);
    ::SendMessageA(m_view, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(m_view.GetCanvas().GetScrollY(), 300);
}

TEST_F(ImageViewTest, ZoomCommandsStepOnWholePercentagesAndNotify) {
    Show(100, 100);
    g_log = ParentLog();
    m_view.ZoomIn();
    EXPECT_EQ(m_view.GetCurrentZoom(), 1.25);
    EXPECT_TRUE(m_view.IsCustomZoom());
    EXPECT_TRUE(g_log.Has(kViewNotifyZoomChanged));

    m_view.SetZoomPercent(1);
    for (int i = 0; i < 9; ++i)
        m_view.ZoomIn();
    EXPECT_EQ(m_view.GetCurrentZoom(), 0.10);
    m_view.ZoomIn();
    EXPECT_EQ(m_view.GetCurrentZoom(), 0.20);

    m_view.SetZoomPercent(20000);
    EXPECT_EQ(m_view.GetCurrentZoom(), 200.0);

    // A zoom type drops the custom zoom again.
    m_view.SetZoomType(kZoomActualSize);
    EXPECT_FALSE(m_view.IsCustomZoom());
    EXPECT_EQ(m_view.GetCurrentZoom(), 1.0);
    EXPECT_EQ(m_view.GetZoomType(), kZoomActualSize);
}

TEST_F(ImageViewTest, DetachImageGivesBackTheSharedReference) {
    CImageObject* shared = MakeImage(100, 100);
    shared->AddRef(); // the test's own reference
    m_view.SetImage(shared, false, false, nullptr);
    PumpFor(50);
    ASSERT_EQ(shared->refCount, 2);

    ::SendMessageA(m_view, kMsgViewDetachImage, 0, 0);
    CImageObject* copy = m_view.GetImage();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, shared);
    EXPECT_STREQ(copy->path, shared->path);
    EXPECT_EQ(copy->width, 100);
    EXPECT_EQ(std::memcmp(copy->bits, shared->bits, (size_t)shared->stride * 100), 0);
    FlushKeptImage();
    EXPECT_EQ(shared->refCount, 1) << "the view still holds the shared image";
    shared->Release();
    PumpFor(50);
    EXPECT_EQ(PixelAt(220, 250), kRed); // the copy is shown
}

TEST_F(ImageViewTest, ImageSlotsHoldOneReferenceEach) {
    CImageObject* first = MakeImage(100, 100);
    CImageObject* second = MakeImage(100, 100);
    CImageObject* undo = MakeImage(10, 10);
    for (CImageObject* image : {first, second, undo})
        image->AddRef(); // the test's own references

    m_view.SetImage(first, false, false, nullptr);
    // The same image again: the extra reference comes back at once.
    first->AddRef();
    m_view.SetImage(first, false, false, nullptr);
    FlushKeptImage();
    EXPECT_EQ(first->refCount, 2);

    // Keep previous: the first image stays alive beside the second.
    m_view.SetImage(second, true, false, nullptr);
    FlushKeptImage();
    EXPECT_EQ(m_view.GetPreviousImage(), first);
    EXPECT_EQ(first->refCount, 2);
    m_view.ReleasePreviousImage();
    FlushKeptImage();
    EXPECT_EQ(first->refCount, 1);

    m_view.SetUndoImage(undo, -1);
    EXPECT_TRUE(m_view.HasUndoImage());
    CImageObject* taken = m_view.TakeUndoImage();
    EXPECT_EQ(taken, undo);
    EXPECT_FALSE(m_view.HasUndoImage());
    m_view.SetUndoImage(taken, 5);
    EXPECT_EQ(m_view.GetUndoValue(), 5);
    m_view.ReleaseUndoImage();
    FlushKeptImage();
    EXPECT_EQ(undo->refCount, 1);

    // Clearing the view gives back the current image.
    m_view.SetImage(nullptr, false, false, nullptr);
    FlushKeptImage();
    EXPECT_EQ(second->refCount, 1);
    EXPECT_EQ(m_view.GetImage(), nullptr);
    EXPECT_FALSE(m_view.GetCanvas().IsWindowVisible());

    for (CImageObject* image : {first, second, undo})
        image->Release();
}

TEST_F(ImageViewTest, RowsArrivingFromADecodeAreDrawnAndReported) {
    // An image whose decode has only begun: no header yet.
    CImageObject* image = MakeImage(200, 300);
    image->headerReady = false;
    image->complete = false;
    image->notLoaded = true;
    image->rowsDecoded = 0;
    image->readyEvent.Reset();
    m_view.SetImage(image, false, false, nullptr);
    EXPECT_FALSE(m_view.GetCanvas().IsWindowVisible());

    // Decode started, then rows in bands of 10 as a reader reports them.
    image->SignalReady();
    g_log = ParentLog();
    ::SendMessageA(m_view, kMsgDecodeStarted, 0, 0);
    EXPECT_TRUE(m_view.GetCanvas().IsWindowVisible());
    for (int first = 0; first < 300; first += 10) {
        image->rowsDecoded = first + 10;
        m_view.GetCanvas().Lock();
        m_view.GetCanvas().QueueRows(10, first);
        m_view.GetCanvas().Unlock();
    }
    image->notLoaded = false;
    image->SetComplete();
    ::SendMessageA(m_view, kMsgDecodeEnded, 0, 0);
    for (int waited = 0; waited < 3000 && !g_log.Has(kViewNotifyFullyShown); waited += 20)
        PumpFor(20);
    EXPECT_TRUE(g_log.Has(kViewNotifyFullyShown));
    RECT r = CanvasRect();
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(PixelAt(160, 390), kRed); // the last band is on screen
    EXPECT_EQ(PixelAt(340, 110), kBlue);
}

TEST_F(ImageViewTest, KeepViewKeepsZoomAndScroll) {
    enum class Replace { Plain, KeepViewFlag, KeepViewCall };
    struct Case {
        Replace how;
        double zoom;
        int scrollX, scrollY;
    } cases[] = {
        {Replace::Plain, 1.0, 0, 0},
        {Replace::KeepViewFlag, 1.25, 300, 200},
        {Replace::KeepViewCall, 1.25, 300, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((int)c.how);
        m_view.SetZoomType(kZoomActualSize);
        Show(1000, 800);
        m_view.ZoomIn();
        m_view.ScrollTo(300, 200);
        CImageObject* next = MakeImage(1000, 800);
        if (c.how == Replace::KeepViewCall)
            m_view.SetImageKeepView(next);
        else
            m_view.SetImage(next, false, c.how == Replace::KeepViewFlag, nullptr);
        EXPECT_EQ(m_view.GetImage(), next);
        EXPECT_EQ(m_view.GetCurrentZoom(), c.zoom);
        EXPECT_EQ(m_view.GetCanvas().GetScrollX(), c.scrollX);
        EXPECT_EQ(m_view.GetCanvas().GetScrollY(), c.scrollY);
    }
}

TEST_F(ImageViewTest, FramesStayInRange) {
    CImageObject* image = MakeImage(100, 100);
    ASSERT_TRUE(image->AddFrame(MakeImage(100, 100)));
    ASSERT_TRUE(image->AddFrame(MakeImage(100, 100)));
    m_view.SetImage(image, false, false, nullptr);
    for (int i = 0; i < 3; ++i)
        m_view.NextFrame();
    EXPECT_EQ(m_view.GetCanvas().GetFrameIndex(), 2);
    for (int i = 0; i < 3; ++i)
        m_view.PrevFrame();
    EXPECT_EQ(m_view.GetCanvas().GetFrameIndex(), 0);
    m_view.SetFrame(1);
    EXPECT_EQ(m_view.GetCanvas().GetFrameIndex(), 1);
    EXPECT_TRUE(m_view.GetCanvas().IsWindowVisible());
}

TEST_F(ImageViewTest, CaptionCoversTheViewWhileShown) {
    Show(100, 100);
    m_view.ShowCaption(true);
    HWND caption = m_view.GetCaption();
    ASSERT_TRUE(::IsWindow(caption));
    char cls[32] = "";
    ::GetClassNameA(caption, cls, sizeof(cls));
    EXPECT_STREQ(cls, "CaptionCtrl");
    EXPECT_TRUE(::IsWindowVisible(caption));
    RECT r;
    ::GetClientRect(caption, &r);
    EXPECT_EQ(r.right, 500);
    EXPECT_EQ(r.bottom, 500);

    m_view.SetImage(MakeImage(100, 100), false, false, "A description");
    EXPECT_EQ(m_view.GetCaption().GetText(), "A description");
    EXPECT_TRUE(::IsWindowVisible(caption));

    m_view.ShowCaption(false);
    EXPECT_FALSE(::IsWindow(caption));
    EXPECT_FALSE(m_view.IsCaptionShown());
}

} // namespace
} // namespace image_view_test
