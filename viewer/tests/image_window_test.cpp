// The image canvas in a real window under the test's own message loop: rows
// queued by a decode thread are drawn progressively, the last row is
// announced once, animated images cycle through their frames, the marquee
// inverts the screen, and destroying the canvas ends its thread at once.
#include "viewer/image_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "imaging/image_object.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBackground = RGB(0, 255, 0);

// One visible top-level window for the whole run: hiding a top-level window
// under Wine without a window manager waits for the X server for seconds,
// which would blur what the destruction test measures.
class CTestHost : public CWindowImpl<CTestHost, CWindowImplBase, CFrameWinTraits> {
public:
    DECLARE_WND_CLASS_EX("CanvasTestHost", CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW)
    BEGIN_MSG_MAP(CTestHost)
    END_MSG_MAP()
};

HWND TestHost() {
    static CTestHost* host = nullptr;
    if (host == nullptr) {
        host = new CTestHost();
        RECT r = {40, 40, 40 + 500, 40 + 320};
        host->Create(NULL, r, "canvas test", WS_POPUP | WS_VISIBLE);
    }
    return host->m_hWnd;
}

// The canvas's parent, standing in for the image view.
class CTestParent : public CWindowImpl<CTestParent> {
public:
    DECLARE_WND_CLASS_EX("CanvasTestParent", CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW)
    BEGIN_MSG_MAP(CTestParent)
    MESSAGE_HANDLER(kMsgViewLastRowDrawn, OnLastRow)
    END_MSG_MAP()

    int lastRowMessages = 0;

private:
    LRESULT OnLastRow(UINT, WPARAM, LPARAM, BOOL&) {
        ++lastRowMessages;
        return 0;
    }
};

// Dispatches messages until done() holds or the time is up; true when done.
template <class Done> bool PumpUntil(DWORD timeoutMs, Done done) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(5);
    }
}

void Pump(DWORD ms) {
    PumpUntil(ms, [] { return false; });
}

// What the canvas shows, read through a cache DC of its own (the canvas's
// class DC carries its scaling map).
COLORREF ReadPixel(HWND canvas, int x, int y) {
    HDC dc = ::GetDCEx(canvas, NULL, DCX_CACHE);
    COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(canvas, dc);
    return c;
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 &&
           std::abs(GetGValue(a) - GetGValue(b)) <= 8 && std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

void FillImage(CImageObject* image, COLORREF left, COLORREF right) {
    for (int r = 0; r < image->height; ++r) {
        uint8_t* row = image->GetRow(r, true);
        for (int x = 0; x < image->width; ++x) {
            COLORREF c = x < image->width / 2 ? left : right;
            row[x * 3 + 0] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
}

// A 24-bpp image of one colour per half, as a reader leaves it when its
// header is known (decoding) or when it has finished.
CImageObject* MakeImage(int width, int height, COLORREF left, COLORREF right, bool decoded) {
    CImageObject* image = new CImageObject();
    if (!image->Create(width, height, 24, 0)) {
        image->Release();
        return nullptr;
    }
    FillImage(image, left, right);
    image->headerReady = true;
    image->rowsDecoded = decoded ? height : 0;
    image->notLoaded = !decoded;
    image->complete = decoded;
    return image;
}

struct CanvasFixture {
    CTestParent parent;
    CImageWindow canvas;

    bool Create(int width, int height) {
        HWND host = TestHost();
        RECT r = {0, 0, 500, 320};
        if (host == NULL || parent.Create(host, r, NULL, WS_CHILD | WS_VISIBLE) == NULL)
            return false;
        RECT cr = {0, 0, width, height};
        if (canvas.Create(parent.m_hWnd, cr, NULL, WS_CHILD | WS_VISIBLE | WS_DISABLED) == NULL)
            return false;
        Pump(50);
        return true;
    }
    // What the view does once it has laid the canvas out for an image.
    void Show(CImageObject* image, int displayWidth, int displayHeight) {
        canvas.Lock();
        canvas.AttachImage(image, false);
        canvas.SetBackgroundColor(kBackground);
        canvas.SetDisplaySize(displayWidth, displayHeight);
        canvas.ApplyMapping();
        canvas.SetReady(true);
        canvas.Unlock();
    }
    ~CanvasFixture() {
        if (parent.m_hWnd != NULL)
            parent.DestroyWindow();
    }
};

// Reports rows like a decode thread: under the canvas lock, a few at a time.
void DecodeRows(CImageWindow* canvas, CImageObject* image, int from, int to, int step) {
    for (int r = from; r < to; r += step) {
        int n = r + step <= to ? step : to - r;
        image->rowsDecoded = r + n;
        canvas->Lock();
        canvas->QueueRows(n, r);
        canvas->Unlock();
        ::Sleep(10);
    }
}

// The decode thread reports rows while this thread keeps repainting the
// canvas, so that paints and bands share the window DC as they do in use.
void DecodeWhilePainting(CImageWindow* canvas, CImageObject* image, int from, int to) {
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        DecodeRows(canvas, image, from, to, 10);
        done = true;
    });
    PumpUntil(10000, [&] {
        canvas->Invalidate(FALSE);
        return done.load();
    });
    decoder.join();
}

TEST(ImageWindow, DrawsRowsProgressivelyAndAnnouncesTheLastRowOnce) {
    struct Case {
        const char* name;
        int displayWidth, displayHeight;
        bool topDown;
    };
    const Case cases[] = {
        {"as it is", 200, 100, true},
        {"shrunk to half", 100, 50, true},
        {"enlarged twice", 400, 200, true},
        {"bottom-up rows", 200, 100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CanvasFixture f;
        ASSERT_TRUE(f.Create(c.displayWidth, c.displayHeight));
        CImageObject* image = MakeImage(200, 100, kRed, kBlue, false);
        ASSERT_NE(image, nullptr);
        image->topDown = c.topDown;
        f.Show(image, c.displayWidth, c.displayHeight);

        const int xl = c.displayWidth / 4, xr = c.displayWidth * 3 / 4;
        const int yTop = c.displayHeight / 5, yBottom = c.displayHeight * 17 / 20;
        const int yDrawn = c.topDown ? yTop : yBottom;
        const int yWaiting = c.topDown ? yBottom : yTop;

        // Half of the rows: two bands are drawn, the rest of the frame shows
        // the background that the first band laid down.
        DecodeWhilePainting(&f.canvas, image, 0, 50);
        EXPECT_TRUE(PumpUntil(2000,
                              [&] {
                                  return Near(ReadPixel(f.canvas.m_hWnd, xl, yDrawn), kRed) &&
                                         Near(ReadPixel(f.canvas.m_hWnd, xl, yWaiting),
                                              kBackground);
                              }))
            << "half decoded: drawn part " << std::hex << ReadPixel(f.canvas.m_hWnd, xl, yDrawn)
            << ", waiting part " << ReadPixel(f.canvas.m_hWnd, xl, yWaiting);
        EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, xr, yDrawn), kBlue));
        EXPECT_EQ(f.parent.lastRowMessages, 0);

        DecodeWhilePainting(&f.canvas, image, 50, 100);
        image->notLoaded = false;
        image->complete = true;
        EXPECT_TRUE(PumpUntil(2000, [&] { return f.parent.lastRowMessages > 0; }));
        Pump(200);
        EXPECT_EQ(f.parent.lastRowMessages, 1);
        EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, xl, yWaiting), kRed));
        EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, xr, yWaiting), kBlue));
        EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, xr, yDrawn), kBlue));

        f.parent.DestroyWindow();
        image->Release();
    }
}

TEST(ImageWindow, DecodedImageQueuedAgainIsDrawnInOnePass) {
    CanvasFixture f;
    ASSERT_TRUE(f.Create(200, 100));
    CImageObject* image = MakeImage(200, 100, kRed, kBlue, true);
    ASSERT_NE(image, nullptr);
    f.Show(image, 200, 100);
    f.canvas.QueueRows(-1, 0);
    EXPECT_TRUE(PumpUntil(2000, [&] { return f.parent.lastRowMessages > 0; }));
    Pump(200);
    EXPECT_EQ(f.parent.lastRowMessages, 1);
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 20, 90), kRed));
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 180, 5), kBlue));
    EXPECT_FALSE(f.canvas.HasPendingRows());

    // After Reset the canvas is no longer ready: rows of the old image that
    // arrive late draw nothing and announce nothing.
    f.canvas.Lock();
    f.canvas.Reset(false);
    f.canvas.Unlock();
    f.canvas.RenderRows(-1, 0, true, true);
    Pump(200);
    EXPECT_EQ(f.parent.lastRowMessages, 1);
    f.parent.DestroyWindow();
    image->Release();
}

TEST(ImageWindow, AnimatedImageCyclesThroughItselfAndItsFrames) {
    CanvasFixture f;
    ASSERT_TRUE(f.Create(20, 20));
    CImageObject* image = MakeImage(20, 20, kRed, kRed, true);
    ASSERT_NE(image, nullptr);
    image->frameDelay = 150;
    const COLORREF frameColours[] = {kGreen, kBlue, kYellow};
    const int frameDelays[] = {150, 450, 150};
    for (int i = 0; i < 3; ++i) {
        CImageObject* frame = MakeImage(20, 20, frameColours[i], frameColours[i], true);
        ASSERT_NE(frame, nullptr);
        frame->frameDelay = frameDelays[i];
        ASSERT_TRUE(image->AddFrame(frame));
    }
    f.Show(image, 20, 20);
    EXPECT_TRUE(f.canvas.IsAnimating());
    f.canvas.Invalidate(TRUE);

    // Sample the picture and note when it changes.
    struct Seen {
        COLORREF colour;
        DWORD since;
    };
    std::vector<Seen> seen;
    DWORD start = ::GetTickCount();
    PumpUntil(3500, [&] {
        COLORREF c = ReadPixel(f.canvas.m_hWnd, 10, 10);
        if (seen.empty() || seen.back().colour != c)
            seen.push_back({c, ::GetTickCount() - start});
        return false;
    });
    f.canvas.StopAnimation();
    EXPECT_FALSE(f.canvas.IsAnimating());

    const COLORREF cycle[] = {kRed, kGreen, kBlue, kYellow};
    size_t at = 0;
    while (at < seen.size() && !Near(seen[at].colour, kRed))
        ++at;
    ASSERT_LT(at + 8, seen.size()) << "too few pictures seen";
    for (size_t i = 0; at + i < seen.size(); ++i)
        EXPECT_TRUE(Near(seen[at + i].colour, cycle[i % 4]))
            << "picture " << i << " is " << std::hex << seen[at + i].colour;
    // Each picture stays for its own delay: the blue frame (450 ms) clearly
    // outlasts the green one (150 ms).
    for (size_t i = at + 1; i + 2 < seen.size(); ++i) {
        if (Near(seen[i].colour, kGreen)) {
            DWORD green = seen[i + 1].since - seen[i].since;
            DWORD blue = seen[i + 2].since - seen[i + 1].since;
            EXPECT_GT(blue, green + 150) << "green " << green << " ms, blue " << blue << " ms";
            break;
        }
    }
    f.parent.DestroyWindow();
    image->Release();
}

TEST(ImageWindow, FrameSteppingWrapsOrStops) {
    CanvasFixture f;
    ASSERT_TRUE(f.Create(20, 20));
    CImageObject* image = MakeImage(20, 20, kRed, kRed, false); // not complete: no animation
    ASSERT_NE(image, nullptr);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(image->AddFrame(MakeImage(20, 20, kBlue, kBlue, true)));
    f.Show(image, 20, 20);
    EXPECT_FALSE(f.canvas.IsAnimating());
    struct Case {
        int from;
        bool next, wrap;
        int to;
    };
    const Case cases[] = {
        {3, true, true, 0},  {3, true, false, 3},  {1, true, false, 2},
        {0, false, true, 3}, {0, false, false, 0}, {2, false, true, 1},
    };
    for (const Case& c : cases) {
        f.canvas.SetFrameIndex(c.from);
        if (c.next)
            f.canvas.NextFrame(c.wrap);
        else
            f.canvas.PrevFrame(c.wrap);
        EXPECT_EQ(f.canvas.GetFrameIndex(), c.to)
            << c.from << (c.next ? " next" : " previous") << (c.wrap ? " wrapping" : "");
    }
    f.canvas.SetFrameIndex(4);
    EXPECT_EQ(f.canvas.GetCurrentFrame(), nullptr) << "beyond the frame list";
    f.parent.DestroyWindow();
    image->Release();
}

TEST(ImageWindow, SelectionInvertsItsOutlineInFullImageCoordinates) {
    CanvasFixture f;
    ASSERT_TRUE(f.Create(100, 50));
    CImageObject* image = MakeImage(200, 100, kRed, kBlue, true);
    ASSERT_NE(image, nullptr);
    f.Show(image, 100, 50); // zoom 0.5
    f.canvas.QueueRows(-1, 0);
    ASSERT_TRUE(PumpUntil(2000, [&] { return f.parent.lastRowMessages > 0; }));

    POINT p = f.canvas.ClientToImage(POINT{10, 10});
    EXPECT_EQ(p.x, 20);
    EXPECT_EQ(p.y, 20);

    const COLORREF inverted = RGB(0, 255, 255);
    f.canvas.SetSelection(20, 20, 60, 60); // shown at (10,10)-(30,30)
    EXPECT_TRUE(f.canvas.IsSelectionShown());
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 10, 20), inverted));
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 20, 20), kRed)) << "the inside is not filled";
    EXPECT_TRUE(f.canvas.HitTestSelection(POINT{40, 40}));
    EXPECT_FALSE(f.canvas.HitTestSelection(POINT{70, 40}));

    // Moving the corner erases the old outline and draws the new one.
    f.canvas.SetSelection(20, 20, 80, 60); // shown at (10,10)-(40,30)
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 29, 20), kRed));
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 39, 20), inverted));
    f.canvas.HideSelection();
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 10, 20), kRed));
    EXPECT_TRUE(Near(ReadPixel(f.canvas.m_hWnd, 39, 20), kRed));

    struct Case {
        int aw, ah;
        RECT want;
    };
    const Case cases[] = {
        {4, 3, {10, 10, 34, 28}},  // 4:3 from the anchor
        {0, 3, {10, 10, 110, 30}}, // a zero side fixes nothing
        {4, 0, {10, 10, 110, 30}},
    };
    for (const Case& c : cases) {
        f.canvas.SetFixedAspect(true, c.aw, c.ah);
        f.canvas.SetSelection(10, 10, 110, 30);
        RECT r = f.canvas.GetSelection();
        EXPECT_TRUE(::EqualRect(&r, &c.want)) << c.aw << ":" << c.ah << " gave " << r.left << ","
                                              << r.top << "," << r.right << "," << r.bottom;
    }
    f.canvas.HideSelection();
    f.parent.DestroyWindow();
    image->Release();
}

TEST(ImageWindow, MetafileIsPlayedOverTheBackground) {
    CanvasFixture f;
    ASSERT_TRUE(f.Create(200, 100));
    // A 100 x 100 picture: a red bar on the left half, a blue one at the right
    // edge and nothing between. Played into the whole 200 x 100 canvas, the
    // gap shows the background.
    HDC meta = ::CreateEnhMetaFileA(NULL, NULL, NULL, NULL);
    ASSERT_NE(meta, (HDC)NULL);
    HBRUSH red = ::CreateSolidBrush(kRed);
    HBRUSH blue = ::CreateSolidBrush(kBlue);
    RECT left = {0, 0, 50, 100}, right = {90, 0, 100, 100};
    ::FillRect(meta, &left, red);
    ::FillRect(meta, &right, blue);
    ::DeleteObject(red);
    ::DeleteObject(blue);
    HENHMETAFILE emf = ::CloseEnhMetaFile(meta);
    ASSERT_NE(emf, (HENHMETAFILE)NULL);

    CImageObject* image = new CImageObject("C:\\pictures\\drawing.emf", nullptr);
    image->metafile = reinterpret_cast<plat::MetafileHandle>(emf);
    image->width = image->fullWidth = 100;
    image->height = image->fullHeight = 100;
    image->headerReady = true;
    image->complete = true;
    image->notLoaded = false;
    f.Show(image, 200, 100);
    f.canvas.Invalidate(FALSE);
    EXPECT_TRUE(PumpUntil(2000,
                          [&] {
                              return Near(ReadPixel(f.canvas.m_hWnd, 20, 50), kRed) &&
                                     Near(ReadPixel(f.canvas.m_hWnd, 140, 50), kBackground) &&
                                     Near(ReadPixel(f.canvas.m_hWnd, 196, 50), kBlue);
                          }))
        << std::hex << ReadPixel(f.canvas.m_hWnd, 20, 50) << " "
        << ReadPixel(f.canvas.m_hWnd, 140, 50) << " " << ReadPixel(f.canvas.m_hWnd, 196, 50);
    f.parent.DestroyWindow();
    image->Release();
}

TEST(ImageWindow, DestroyingTheCanvasEndsItsThreadPromptly) {
    enum class State { kIdle, kWaitingForRows, kBetweenBands };
    const State states[] = {State::kIdle, State::kWaitingForRows, State::kBetweenBands};
    for (State state : states) {
        SCOPED_TRACE(static_cast<int>(state));
        CanvasFixture f;
        ASSERT_TRUE(f.Create(200, 100));
        CImageObject* image = nullptr;
        if (state != State::kIdle) {
            image = MakeImage(200, 3000, kRed, kBlue, false);
            ASSERT_NE(image, nullptr);
            f.Show(image, 200, 100);
            int rows = state == State::kWaitingForRows ? 20 : 3000;
            image->rowsDecoded = rows;
            f.canvas.Lock();
            f.canvas.QueueRows(rows, 0);
            f.canvas.Unlock();
        }
        Pump(30);
        DWORD start = ::GetTickCount();
        f.parent.DestroyWindow();
        DWORD took = ::GetTickCount() - start;
        EXPECT_LT(took, 1000u);
        EXPECT_EQ(f.canvas.m_hWnd, (HWND)NULL);
        // Rows reported after the window went must do nothing.
        f.canvas.QueueRows(10, 0);
        if (image != nullptr)
            image->Release();
    }
}

} // namespace
