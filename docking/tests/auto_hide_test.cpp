// Pinning panes to the auto-hide bars, the flyout on hover, hiding it when
// the mouse and the focus are away, and pinning them back.
#include <gtest/gtest.h>
#include <windows.h>

#include "docking/tests/dock_host.h"

using namespace docking;
using namespace docktest;

namespace {

constexpr int kClientW = 800, kClientH = 600;

// Records what of a window was repainted (its update rectangles, joined).
struct PaintRecorder {
    static inline WNDPROC previous = nullptr;
    static inline RECT painted = {0, 0, 0, 0};
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT) {
            RECT r;
            if (::GetUpdateRect(hWnd, &r, FALSE))
                ::UnionRect(&painted, &painted, &r);
        }
        return ::CallWindowProcA(previous, hWnd, msg, wParam, lParam);
    }
    explicit PaintRecorder(HWND hWnd) : hWnd(hWnd) {
        previous = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&Proc);
    }
    ~PaintRecorder() { ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)previous); }
    HWND hWnd;
};

class AutoHideTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetGhostPainter(&painter);
        ASSERT_NE((HWND)NULL, frame.CreateHost(40, 40, kClientW, kClientH));
        ::SetForegroundWindow(frame);
        ::SetActiveWindow(frame);
        Pump();
    }
    void TearDown() override {
        SetGhostPainter(nullptr);
        if (frame.m_hWnd)
            frame.DestroyWindow();
        Pump();
    }
    CAutoHideManager& Manager() { return frame.AutoHideManager(); }
    RECT ClientView() const { return frame.RectInFrame(frame.m_hWndClient); }
    // The middle of the first entry of a bar, in frame client coordinates.
    POINT FirstEntry(int side) {
        const RECT& r = Manager().Bar(side).rect;
        return (side & 1) ? POINT{(r.left + r.right) / 2, r.top + 8}
                          : POINT{r.left + 8, (r.top + r.bottom) / 2};
    }
    void Hover(POINT pt) {
        frame.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        frame.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(pt.x, pt.y));
    }
    int FlyoutWidth() {
        RECT r;
        Manager().GetWindowRect(&r);
        return r.right - r.left;
    }

    RecordingPainter painter;
    CDockHostFrame frame;
};

TEST_F(AutoHideTest, PinningTakesAStripSlidesOutOnHoverAndPinsBackWhereItWas) {
    CTabDockingWindow& pane = frame.AddPane("Folders");
    pane.SetPlacement(DockedAt(kSideLeft, 0, 0.0f, 200, 250));
    Pump();
    ASSERT_TRUE(pane.IsDocked());
    pane.SendMessage(WM_NCLBUTTONUP, kHitPinButton, 0); // the caption's pin
    Pump();

    const int strip = g_dockingSettings.AutoHideStripHeight(frame);
    const RECT& bar = Manager().Bar(kSideLeft).rect;
    EXPECT_EQ(strip, bar.right - bar.left);
    EXPECT_EQ(0, bar.left);
    EXPECT_EQ(strip, ClientView().left); // no docked bar any more: the view follows the strip
    EXPECT_EQ(Manager().m_hWnd, pane.Host());
    EXPECT_TRUE(pane.IsVisible());
    // A pin shows the pane at once.
    EXPECT_TRUE(Manager().IsWindowVisible());
    EXPECT_EQ((HWND)pane, Manager().ShownPane());
    EXPECT_EQ(205, FlyoutWidth());

    Manager().HideFlyout(false);
    EXPECT_FALSE(Manager().IsWindowVisible());
    Hover(FirstEntry(kSideLeft));
    ASSERT_TRUE(Manager().IsWindowVisible());
    EXPECT_EQ(205, FlyoutWidth());
    RECT flyout = frame.RectInFrame(Manager());
    EXPECT_EQ(strip, flyout.left);
    // Hovering the shown entry again starts nothing new.
    Hover(FirstEntry(kSideLeft));
    EXPECT_EQ((HWND)pane, Manager().ShownPane());

    // The flyout's pin puts the pane back into a bar of its own at that side.
    Manager().SendMessage(WM_NCLBUTTONUP, kHitPinButton, 0);
    Pump();
    ASSERT_TRUE(pane.IsDocked());
    EXPECT_EQ("CPackageWindowFrame::CPackageWindow", ClassOf(pane.Host()));
    EXPECT_FALSE(Manager().IsWindowVisible());
    EXPECT_TRUE(::IsRectEmpty(&Manager().Bar(kSideLeft).rect));
    const RECT docked = frame.RectInFrame(pane.Host());
    EXPECT_EQ(0, docked.left);
    EXPECT_EQ(200, docked.right);
    EXPECT_EQ(205, ClientView().left);
}

TEST_F(AutoHideTest, TheFlyoutHidesWhenMouseAndFocusAreAwayAndStaysWhileItHasTheFocus) {
    CTabDockingWindow& pane = frame.AddPane("Folders");
    pane.SetPlacement(DockedAt(kSideBottom, 0, 0.0f, 150, 250));
    Pump();
    pane.AutoHide();
    Pump();
    ASSERT_TRUE(Manager().IsWindowVisible());
    RECT flyout;
    Manager().GetWindowRect(&flyout);
    EXPECT_EQ(155, flyout.bottom - flyout.top);

    // Focus in the pane's client: a tick of the timer keeps it.
    ::SetFocus(pane.GetClient());
    ::SetCursorPos(1, 1);
    Manager().SendMessage(WM_TIMER, 1, 0);
    EXPECT_TRUE(Manager().IsWindowVisible());

    // Focus and mouse away: the next tick, about 1.3 s on, hides it, and
    // the client view it covered is painted again.
    RECT covered, view;
    Manager().GetWindowRect(&covered);
    ::MapWindowPoints(NULL, frame.m_hWndClient, (POINT*)&covered, 2);
    ::GetClientRect(frame.m_hWndClient, &view);
    ::IntersectRect(&covered, &covered, &view);
    ASSERT_FALSE(::IsRectEmpty(&covered));
    PaintRecorder recorder(frame.m_hWndClient);
    Pump();
    PaintRecorder::painted = RECT{0, 0, 0, 0};
    ::SetFocus(frame.m_hWnd);
    ::SetCursorPos(1, 1);
    EXPECT_TRUE(PumpUntil([&] { return !Manager().IsWindowVisible(); }, 4000));
    Pump();
    RECT both;
    ::UnionRect(&both, &PaintRecorder::painted, &covered);
    EXPECT_TRUE(::EqualRect(&both, &PaintRecorder::painted))
        << "repainted " << PaintRecorder::painted.left << "," << PaintRecorder::painted.top << " "
        << PaintRecorder::painted.right << "," << PaintRecorder::painted.bottom << " of "
        << covered.left << "," << covered.top << " " << covered.right << "," << covered.bottom;
    EXPECT_EQ(nullptr, Manager().ShownPane());
    EXPECT_FALSE(pane.IsWindowVisible());
    EXPECT_TRUE(pane.IsVisible()); // still pinned away
}

TEST_F(AutoHideTest, APinnedBoxComesBackAsABoxWithTheSamePanesAndCurrentPane) {
    CTabDockingWindow& a = frame.AddPane("Folders");
    a.SetPlacement(DockedAt(kSideRight, 0, 0.0f, 180, 250));
    CTabDockingWindow& b = frame.AddPane("Properties");
    CTabDockingWindow& c = frame.AddPane("Metadata");
    for (HWND pane : {(HWND)b, (HWND)c}) {
        DockingRequest r;
        r.pane = pane;
        r.host = a;
        r.code = kDock;
        r.rect = DockRect{-1, -1, -1, -1};
        ASSERT_TRUE(SendRequest(a, r));
    }
    Pump();
    CTabDockingBox* box = static_cast<CTabDockingBox*>(CWindowImplBase::FromHandle(a.Host()));
    ASSERT_NE(nullptr, box);
    box->Tabs().SetCurSel(1);
    Pump();
    ASSERT_EQ((HWND)b, box->ShownPane());
    HWND boxWnd = box->m_hWnd;
    box->AutoHide();
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(boxWnd); }, 3000));
    for (HWND pane : {(HWND)a, (HWND)b, (HWND)c})
        EXPECT_EQ(Manager().m_hWnd, ::GetParent(pane));
    EXPECT_EQ((HWND)b, Manager().ShownPane());
    DockingPlacement pb;
    b.GetPlacement(pb);
    EXPECT_EQ(kSideRight | kPinnedAway | kAloneInBar | kCurrentTab, pb.request.placement.flags);
    EXPECT_EQ(1, pb.request.placement.tabIndex);

    ASSERT_TRUE(Manager().RemovePane(b, true));
    Pump();
    CTabDockingBox* back = static_cast<CTabDockingBox*>(CWindowImplBase::FromHandle(a.Host()));
    ASSERT_NE(nullptr, back);
    ASSERT_EQ(3, back->PaneCount());
    EXPECT_EQ((HWND)a, back->PaneAt(0));
    EXPECT_EQ((HWND)b, back->PaneAt(1));
    EXPECT_EQ((HWND)c, back->PaneAt(2));
    EXPECT_EQ((HWND)b, back->ShownPane());
    EXPECT_EQ(kClientW, frame.RectInFrame(back->Host()).right);
}

TEST_F(AutoHideTest, ClosingAPinnedPaneTakesItOffItsBar) {
    CTabDockingWindow& a = frame.AddPane("Folders");
    a.SetPlacement(DockedAt(kSideTop, 0, 0.0f, 120, 250));
    CTabDockingWindow& b = frame.AddPane("Metadata");
    b.SetPlacement(DockedAt(kSideTop, 0, 0.5f, 120, 250));
    Pump();
    a.AutoHide();
    b.AutoHide();
    Pump();
    EXPECT_EQ(2u, Manager().Bar(kSideTop).entries.size());
    Manager().SendMessage(WM_NCLBUTTONUP, kHitCloseButton, 0); // b is shown
    ASSERT_TRUE(PumpUntil([&] { return !b.IsVisible(); }, 3000));
    EXPECT_EQ(1u, Manager().Bar(kSideTop).entries.size());
    b.Show(); // comes back pinned to the top bar, not slid out
    Pump();
    EXPECT_EQ(Manager().m_hWnd, b.Host());
    EXPECT_EQ(2u, Manager().Bar(kSideTop).entries.size());
    EXPECT_FALSE(b.IsWindowVisible());
}

} // namespace
