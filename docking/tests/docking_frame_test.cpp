// The docking windows in a live frame: placements, hiding and showing, the
// requests, splitters, tabbed boxes and the drag, driven in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "docking/tests/dock_host.h"

using namespace docking;
using namespace docktest;

namespace {

constexpr int kClientW = 800, kClientH = 600;

bool SameRect(const RECT& a, const RECT& b) {
    return ::EqualRect(&a, &b) != FALSE;
}

class DockingFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetGhostPainter(&painter);
        ASSERT_NE((HWND)NULL, frame.CreateHost(40, 40, kClientW, kClientH));
        RECT c;
        frame.GetClientRect(&c);
        ASSERT_EQ(kClientW, c.right);
        ASSERT_EQ(kClientH, c.bottom);
    }
    void TearDown() override {
        SetGhostPainter(nullptr);
        if (frame.m_hWnd)
            frame.DestroyWindow();
        Pump();
    }
    RECT ClientView() const { return frame.RectInFrame(frame.m_hWndClient); }
    // Docks a pane at the left in a bar of its own.
    CTabDockingWindow& LeftPane(const char* name, int barSize = 200) {
        CTabDockingWindow& pane = frame.AddPane(name);
        pane.SetPlacement(DockedAt(kSideLeft, 0, 0.0f, barSize, 250));
        Pump();
        return pane;
    }

    RecordingPainter painter;
    CDockHostFrame frame;
};

TEST_F(DockingFrameTest, DockingAtAStoredPlacementGivesTheBarItsWidthAndTheStripBeforeTheView) {
    CTabDockingWindow& pane = LeftPane("Folders");
    ASSERT_TRUE(pane.IsDocked());
    HWND bar = pane.Host();
    EXPECT_EQ("CPackageWindowFrame::CPackageWindow", ClassOf(bar));
    const RECT barRect = frame.RectInFrame(bar);
    EXPECT_EQ(0, barRect.left);
    EXPECT_EQ(200, barRect.right - barRect.left);
    EXPECT_EQ(205, ClientView().left);
    EXPECT_EQ(kClientW, ClientView().right);
    // The pane fills its bar.
    const RECT paneRect = frame.RectInFrame(pane);
    EXPECT_EQ(0, paneRect.left);
    EXPECT_EQ(200, paneRect.right);

    // The strip between them shows the sizing cursor, only over the frame itself.
    POINT onStrip = {202, 300};
    ::ClientToScreen(frame, &onStrip);
    ::SetCursorPos(onStrip.x, onStrip.y);
    frame.PostMessage(WM_NULL);
    Pump(); // the message position is now on the strip
    ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    EXPECT_TRUE(frame.SendMessage(WM_SETCURSOR, (WPARAM)frame.m_hWnd, MAKELPARAM(HTCLIENT, 0)));
    EXPECT_EQ(g_dockingSettings.sizeWE, ::GetCursor());
    BOOL handled =
        (BOOL)frame.SendMessage(WM_SETCURSOR, (WPARAM)frame.m_hWndClient, MAKELPARAM(HTCLIENT, 0));
    EXPECT_FALSE(handled);
}

TEST_F(DockingFrameTest, HidingAndShowingAPaneRestoresEveryRectangle) {
    CTabDockingWindow& pane = LeftPane("Folders");
    CTabDockingWindow& other = frame.AddPane("Properties");
    other.SetPlacement(DockedAt(kSideBottom, 0, 0.0f, 120, 300));
    Pump();
    const RECT bar = frame.RectInFrame(pane.Host()), paneRect = frame.RectInFrame(pane),
               view = ClientView(), otherRect = frame.RectInFrame(other);

    pane.SendMessage(WM_CLOSE); // closing hides
    Pump();
    EXPECT_TRUE(::IsWindow(pane));
    EXPECT_FALSE(pane.IsWindowVisible());
    EXPECT_FALSE(pane.IsDocked());
    EXPECT_EQ(0, ClientView().left); // the bar went, its room went to the view
    EXPECT_FALSE(pane.IsVisible());
    // Hidden, it reports where it will come back.
    DockingPlacement hidden;
    pane.GetPlacement(hidden);
    EXPECT_FALSE(hidden.docked);
    EXPECT_FALSE(hidden.visible);
    EXPECT_EQ(kSideLeft | kAloneInBar, hidden.request.placement.flags);
    EXPECT_EQ(200, hidden.request.placement.docked.barSize);

    pane.Show();
    Pump();
    ASSERT_TRUE(pane.IsDocked());
    EXPECT_TRUE(SameRect(bar, frame.RectInFrame(pane.Host())));
    EXPECT_TRUE(SameRect(paneRect, frame.RectInFrame(pane)));
    EXPECT_TRUE(SameRect(view, ClientView()));
    EXPECT_TRUE(SameRect(otherRect, frame.RectInFrame(other)));
}

TEST_F(DockingFrameTest, AHiddenDockedPaneComesBackDockedFromItsStoredForm) {
    CTabDockingWindow& pane = LeftPane("Folders");
    const RECT bar = frame.RectInFrame(pane.Host());
    pane.Hide();
    Pump();
    DockingPlacement hidden;
    pane.GetPlacement(hidden);
    const PlacementRegistryForm stored = ToRegistryForm(hidden);

    // Another session: a new pane, the placement read back without handles.
    CTabDockingWindow& again = frame.AddPane("Folders again");
    again.SetPlacement(FromRegistryForm(stored));
    Pump();
    EXPECT_FALSE(again.IsWindowVisible());
    EXPECT_FALSE(again.IsDocked());
    again.Show();
    Pump();
    ASSERT_TRUE(again.IsDocked());
    EXPECT_TRUE(SameRect(bar, frame.RectInFrame(again.Host())));
}

// The fields a placement keeps, compared after a round trip.
void ExpectSamePlacement(const DockingPlacement& a, const DockingPlacement& b, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(a.docked, b.docked);
    EXPECT_EQ(a.visible, b.visible);
    const auto &p = a.request.placement, &q = b.request.placement;
    EXPECT_EQ(p.flags, q.flags);
    EXPECT_EQ(p.tabIndex, q.tabIndex);
    EXPECT_EQ(p.docked.barIndex, q.docked.barIndex);
    EXPECT_EQ(p.docked.relativePosition, q.docked.relativePosition);
    EXPECT_EQ(p.docked.barSize, q.docked.barSize);
    EXPECT_EQ(p.docked.paneSize, q.docked.paneSize);
    // Through the registry form too.
    const DockingPlacement stored = FromRegistryForm(ToRegistryForm(a));
    EXPECT_EQ(p.flags, stored.request.placement.flags);
    EXPECT_EQ(p.docked.relativePosition, stored.request.placement.docked.relativePosition);
}

TEST_F(DockingFrameTest, PlacementsRoundTripForDockedFloatingTabbedAndPinnedPanes) {
    CTabDockingWindow& folders = LeftPane("Folders");
    CTabDockingWindow& contents = frame.AddPane("Contents");
    contents.SetPlacement(DockedAt(kSideLeft, 0, 0.5f, 200, 200)); // same bar, below
    Pump();
    ASSERT_EQ(folders.Host(), contents.Host());

    struct Case {
        const char* what;
        CTabDockingWindow* pane;
    };
    DockingPlacement before;
    // Docked, in a bar of two.
    folders.GetPlacement(before);
    EXPECT_EQ(kSideLeft, before.request.placement.flags & (kSideMask | kAloneInBar));
    folders.SetPlacement(before);
    Pump();
    DockingPlacement after;
    folders.GetPlacement(after);
    ExpectSamePlacement(before, after, "docked");
    EXPECT_EQ(folders.Host(), contents.Host());

    // Floating.
    CTabDockingWindow& floating = frame.AddPane("Metadata");
    floating.SetWindowPos(NULL, 500, 300, 180, 220, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Pump();
    floating.GetPlacement(before);
    EXPECT_TRUE(before.request.placement.flags & kFloating);
    floating.SetWindowPos(NULL, 10, 10, 50, 50, SWP_NOACTIVATE);
    floating.SetPlacement(before);
    Pump();
    RECT w;
    floating.GetWindowRect(&w);
    EXPECT_EQ(500, w.left);
    EXPECT_EQ(220, w.bottom - w.top);
    floating.GetPlacement(after);
    ExpectSamePlacement(before, after, "floating");

    // Tabbed: dropped onto the other pane of the bar.
    DockingRequest drop;
    drop.pane = floating;
    drop.host = contents;
    drop.code = kDock;
    ASSERT_TRUE(SendRequest(contents, drop));
    Pump();
    floating.GetPlacement(before);
    EXPECT_EQ((HWND)contents, before.request.host);
    floating.SetPlacement(before); // leaves the box (which dissolves) and comes back
    Pump();
    floating.GetPlacement(after);
    ExpectSamePlacement(before, after, "tabbed");
    EXPECT_EQ((HWND)contents, after.request.host);

    // Pinned away.
    folders.AutoHide();
    Pump();
    folders.GetPlacement(before);
    EXPECT_EQ(kSideLeft | kPinnedAway | kAloneInBar, before.request.placement.flags);
    folders.SetPlacement(before);
    Pump();
    folders.GetPlacement(after);
    ExpectSamePlacement(before, after, "pinned");
    EXPECT_EQ(frame.AutoHideManager().m_hWnd, folders.Host());
}

TEST_F(DockingFrameTest, TheDockBoxMessageIsThisProcessesOwn) {
    CTabDockingWindow& pane = LeftPane("Folders");
    const std::string mine = "DockingBoxMessage-" + std::to_string(::GetCurrentProcessId());
    EXPECT_EQ(::RegisterWindowMessageA(mine.c_str()), g_dockingBoxMessage);
    DockingRequest ask;
    ask.pane = pane;
    ask.code = kIsDockingBox;
    EXPECT_EQ(1, ::SendMessageA(pane, g_dockingBoxMessage, 0, (LPARAM)&ask));
    const std::string other = "DockingBoxMessage-" + std::to_string(::GetCurrentProcessId() + 4);
    EXPECT_EQ(0, ::SendMessageA(pane, ::RegisterWindowMessageA(other.c_str()), 0, (LPARAM)&ask));
    EXPECT_FALSE(IsDockingBox(frame)); // the frame does not know the message
    EXPECT_FALSE(IsDockingBox(pane.Host()));
}

TEST_F(DockingFrameTest, ADraggedRectangleIsClampedToAThirdAndTheMinimumMovingOnlyRightAndBottom) {
    struct Case {
        DockRect in;
        int width, height;
    } cases[] = {
        {{10, 20, 10 + 5000, 20 + 5000}, kClientW / 3, kClientH / 3},
        {{-30, -40, -29, -39}, ::GetSystemMetrics(SM_CXMIN), ::GetSystemMetrics(SM_CYMIN)},
        {{5, 6, 205, 196}, 200, 190},
    };
    for (const Case& c : cases) {
        DockingRequest r;
        r.code = kClampDragRect;
        r.rect = c.in;
        ASSERT_TRUE(SendRequest(frame, r));
        EXPECT_EQ(c.in.left, r.rect.left);
        EXPECT_EQ(c.in.top, r.rect.top);
        EXPECT_EQ(c.width, r.rect.right - r.rect.left);
        EXPECT_EQ(c.height, r.rect.bottom - r.rect.top);
    }
}

TEST_F(DockingFrameTest, ABarRefusesItsOnlyPaneAndStretchesOthersAcrossItself) {
    CTabDockingWindow& pane = LeftPane("Folders");
    CTabDockingWindow& other = frame.AddPane("Contents");
    HWND bar = pane.Host();
    RECT barScreen;
    ::GetWindowRect(bar, &barScreen);
    DockingRequest r;
    r.code = kHitTest;
    r.rect = DockRect{barScreen.left + 50, barScreen.top + 100, barScreen.left + 90,
                      barScreen.top + 180};
    r.pane = pane;
    EXPECT_FALSE(SendRequest(bar, r));
    r.pane = other;
    ASSERT_TRUE(SendRequest(bar, r));
    EXPECT_EQ(bar, r.host);
    EXPECT_EQ(barScreen.left, r.rect.left); // a stacked bar: stretched left to right
    EXPECT_EQ(barScreen.right, r.rect.right);
    EXPECT_EQ(barScreen.top + 100, r.rect.top);
    // A point outside the bar is no business of it.
    r.rect.left = barScreen.right + 20;
    EXPECT_FALSE(SendRequest(bar, r));
}

TEST_F(DockingFrameTest, StoredPlacementsOutOfRangeLandSoundly) {
    CTabDockingWindow& first = LeftPane("Folders");
    struct Case {
        const char* what;
        int barIndex, barSize;
        int width; // of the new bar
        bool besideCentre;
    } cases[] = {
        {"a thin bar is restored at the minimum", 0, 3, kMinEntryLength, false},
        {"a bar index past the bars makes a bar next to the centre", 7, 90, 90, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTabDockingWindow& pane = frame.AddPane(c.what);
        DockingPlacement p = DockedAt(kSideLeft, c.barIndex, 0.0f, c.barSize, 100);
        // Alone in its bar, or not: then an existing bar could take it.
        p.request.placement.flags = c.besideCentre ? kSideLeft : (kSideLeft | kAloneInBar);
        pane.SetPlacement(p);
        Pump();
        ASSERT_TRUE(pane.IsDocked());
        const RECT bar = frame.RectInFrame(pane.Host());
        EXPECT_EQ(c.width, bar.right - bar.left);
        if (c.besideCentre) {
            EXPECT_NE(first.Host(), pane.Host());
            EXPECT_EQ(bar.right + kStripSize, ClientView().left);
        }
        pane.Hide();
        Pump();
    }
}

TEST_F(DockingFrameTest, AnAutoHideRequestForOnePaneNeverReadsItsList) {
    CTabDockingWindow& pane = frame.AddPane("Folders");
    // A page that faults on any read stands for a list that must not be touched.
    HWND* poisoned = (HWND*)::VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(nullptr, poisoned);
    for (int count : {0, 1}) {
        DockingRequest r;
        r.pane = pane;
        r.code = kAutoHide;
        r.autoHide.flags = kSideRight;
        r.autoHide.barSize = 150;
        r.autoHide.showNow = 0;
        r.autoHide.paneCount = count;
        r.autoHide.paneList = poisoned;
        ASSERT_TRUE(SendRequest(frame, r));
        EXPECT_EQ(frame.AutoHideManager().m_hWnd, r.host);
        EXPECT_FALSE(frame.AutoHideManager().IsWindowVisible()); // showNow 0
        EXPECT_TRUE(frame.AutoHideManager().RemovePane(pane, false));
    }
    ::VirtualFree(poisoned, 0, MEM_RELEASE);
}

TEST_F(DockingFrameTest, TheSplitterFollowsPostedMovesAndKeepsEveryPaneItsMinimum) {
    CTabDockingWindow& pane = LeftPane("Folders");
    struct Case {
        const char* what;
        DWORD flags;
        int toX;     // where the mouse goes (grabbed at 202)
        int barWide; // the bar's width after the drag
    } cases[] = {
        {"outline, inside the range", kDockFixedDragMode | kDockOutlineDrag, 302, 300},
        {"full window, inside the range", kDockFixedDragMode | kDockFullWindowDrag, 152, 150},
        {"outline, past the end", kDockFixedDragMode | kDockOutlineDrag, 5000,
         kClientW - kMinEntryLength},
        {"full window, past the start", kDockFixedDragMode | kDockFullWindowDrag, -400,
         kMinEntryLength - 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_dockingSettings.flags = c.flags;
        const RECT bar = frame.RectInFrame(pane.Host());
        const int grabX = bar.right + 2, y = 300;
        frame.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(c.toX, y));
        frame.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.toX, y));
        frame.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grabX, y));
        Pump();
        EXPECT_EQ(c.barWide, frame.RectInFrame(pane.Host()).right);
        EXPECT_EQ(c.barWide + kStripSize, ClientView().left);
        EXPECT_TRUE(painter.shown.empty());
    }
    // Escape in an outline drag keeps the layout; in a full-window drag it
    // keeps the last move.
    struct Cancel {
        DWORD flags;
        bool moved;
    } cancels[] = {{kDockFixedDragMode | kDockOutlineDrag, false},
                   {kDockFixedDragMode | kDockFullWindowDrag, true}};
    for (const Cancel& c : cancels) {
        g_dockingSettings.flags = c.flags;
        const int before = frame.RectInFrame(pane.Host()).right;
        frame.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(before + 60, 300));
        frame.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        frame.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(before + 2, 300));
        Pump();
        EXPECT_EQ(c.moved ? before + 58 : before, frame.RectInFrame(pane.Host()).right);
        EXPECT_TRUE(painter.shown.empty());
    }
}

TEST_F(DockingFrameTest, TheDragModeFollowsTheSystemUnlessTheApplicationFixedIt) {
    BOOL original = FALSE;
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
    for (BOOL full : {TRUE, FALSE}) {
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, full, NULL, 0);
        g_dockingSettings.flags = 0;
        frame.SendMessage(WM_SETTINGCHANGE, SPI_SETDRAGFULLWINDOWS);
        EXPECT_EQ(full != FALSE, g_dockingSettings.FullWindowDrag());
        EXPECT_EQ(full == FALSE, g_dockingSettings.OutlineDrag());
        g_dockingSettings.flags = kDockFixedDragMode | kDockOutlineDrag;
        frame.SendMessage(WM_SETTINGCHANGE, SPI_SETDRAGFULLWINDOWS);
        EXPECT_TRUE(g_dockingSettings.OutlineDrag());
    }
    ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, original, NULL, 0);
    const HFONT font = g_dockingSettings.verticalFont;
    g_dockingSettings.Refresh();
    g_dockingSettings.Refresh();
    EXPECT_EQ(font, g_dockingSettings.verticalFont); // no new font while the stock one stays
}

// ---------------------------------------------------------------------------
// Tabbed boxes.
// ---------------------------------------------------------------------------
CTabDockingBox* BoxOf(HWND pane) {
    HWND host = ::GetParent(pane);
    return ClassOf(host) == "CTabDockingBox"
               ? static_cast<CTabDockingBox*>(CWindowImplBase::FromHandle(host))
               : nullptr;
}

bool DropOn(HWND target, HWND pane, int position = -1) {
    DockingRequest r;
    r.pane = pane;
    r.host = target;
    r.code = kDock;
    r.rect = DockRect{position, position, position, position};
    return SendRequest(target, r) != 0;
}

TEST_F(DockingFrameTest, DroppingAPaneOnAnotherMakesABoxThatDissolvesWhenOneIsLeft) {
    CTabDockingWindow& a = LeftPane("Folders");
    CTabDockingWindow& b = frame.AddPane("Contents");
    HWND bar = a.Host();
    const RECT aRect = frame.RectInFrame(a);
    ASSERT_TRUE(DropOn(a, b));
    Pump();
    CTabDockingBox* box = BoxOf(a);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(box->m_hWnd, b.Host());
    EXPECT_EQ(2, box->PaneCount());
    EXPECT_EQ((HWND)b, box->ShownPane()); // the pane dropped on it is current
    EXPECT_EQ(bar, box->Host());          // the box took the pane's place
    EXPECT_EQ(2, box->ImageCount());

    // A pane dragged over the strip shows a placeholder tab while the drag
    // goes on; without one the placeholder goes at once, and its icon is
    // not added again on every pass.
    CTabDockingWindow& c = frame.AddPane("Metadata");
    RECT strip;
    box->Tabs().GetWindowRect(&strip);
    for (int pass = 0; pass < 3; ++pass) {
        DockingRequest over;
        over.pane = c;
        over.code = kHitTest;
        over.rect = DockRect{strip.left + 4, (strip.top + strip.bottom) / 2, strip.left + 60,
                             strip.bottom + 40};
        ASSERT_TRUE(SendBoxRequest(box->m_hWnd, over));
        EXPECT_EQ(box->m_hWnd, over.host);
        EXPECT_EQ(0, over.rect.left); // before the first tab
        EXPECT_EQ(2, box->PaneCount());
        EXPECT_EQ((HWND)b, box->ShownPane());
        EXPECT_EQ(1, box->Tabs().GetCurSel());
    }
    EXPECT_EQ(3, box->ImageCount());

    DockingPlacement pa;
    a.GetPlacement(pa);
    EXPECT_EQ((HWND)b, pa.request.host);
    EXPECT_EQ(0, pa.request.placement.tabIndex);
    EXPECT_FALSE(pa.request.placement.flags & kCurrentTab);
    DockingPlacement pb;
    b.GetPlacement(pb);
    EXPECT_EQ(1, pb.request.placement.tabIndex);
    EXPECT_TRUE(pb.request.placement.flags & kCurrentTab);

    HWND boxWnd = box->m_hWnd;
    ASSERT_TRUE(b.Undock());
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(boxWnd); }, 3000));
    EXPECT_EQ(bar, a.Host()); // the remaining pane took the box's entry
    EXPECT_TRUE(SameRect(aRect, frame.RectInFrame(a)));
}

TEST_F(DockingFrameTest, ABoxDroppedOnABoxBringsAllItsPanesAndTheShownOne) {
    CTabDockingWindow& a = LeftPane("Folders");
    CTabDockingWindow& b = frame.AddPane("Contents");
    CTabDockingWindow& c = frame.AddPane("Properties");
    c.SetPlacement(DockedAt(kSideRight, 0, 0.0f, 180, 200));
    CTabDockingWindow& d = frame.AddPane("Metadata");
    CTabDockingWindow& e = frame.AddPane("Preview");
    ASSERT_TRUE(DropOn(a, b));
    ASSERT_TRUE(DropOn(c, d));
    ASSERT_TRUE(DropOn(c, e));
    Pump();
    CTabDockingBox* left = BoxOf(a);
    CTabDockingBox* right = BoxOf(c);
    ASSERT_TRUE(left && right);
    right->Tabs().SetCurSel(1); // d shown
    Pump();
    ASSERT_EQ((HWND)d, right->ShownPane());
    HWND rightWnd = right->m_hWnd;

    DockingRequest r;
    r.host = left->m_hWnd;
    ASSERT_TRUE(right->Undock());
    ASSERT_TRUE(right->DockTo(r));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(rightWnd); }, 3000));
    ASSERT_EQ(5, left->PaneCount());
    EXPECT_EQ((HWND)d, left->ShownPane());
    for (HWND pane : {(HWND)a, (HWND)b, (HWND)c, (HWND)d, (HWND)e})
        EXPECT_EQ(left->m_hWnd, ::GetParent(pane));

    // A position outside the tabs appends.
    CTabDockingWindow& f = frame.AddPane("Late");
    for (int position : {-7, 99}) {
        ASSERT_TRUE(DropOn(left->m_hWnd, f, position));
        EXPECT_EQ((HWND)f, left->PaneAt(left->PaneCount() - 1));
        ASSERT_TRUE(f.Undock());
    }
}

// ---------------------------------------------------------------------------
// Dragging a pane by its caption.
// ---------------------------------------------------------------------------
TEST_F(DockingFrameTest, ADragDocksAtTheTargetAndEveryCancelLeavesThePaneAndNoGhost) {
    CTabDockingWindow& pane = frame.AddPane("Folders");
    pane.SetWindowPos(NULL, 500, 200, 180, 220, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Pump();
    const POINT grab = {40, 10};
    // Where the frame's left edge is, in the pane's client coordinates.
    POINT target = {6, 300};
    ::MapWindowPoints(frame, pane, &target, 1);
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool docks;
    } cases[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE, false},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON, false},
        {"Alt", WM_SYSKEYDOWN, VK_MENU, false},
        {"release", WM_LBUTTONUP, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RECT before;
        pane.GetWindowRect(&before);
        painter.most = 0;
        pane.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grab.x + 5, grab.y + 5));
        pane.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target.x, target.y));
        pane.PostMessage(c.message, c.wParam, MAKELPARAM(target.x, target.y));
        const bool done = pane.RunDrag(grab);
        Pump();
        EXPECT_EQ(c.docks, done);
        EXPECT_TRUE(painter.shown.empty());
        EXPECT_EQ(1u, painter.most); // one ghost at a time
        if (!c.docks) {
            RECT after;
            pane.GetWindowRect(&after);
            EXPECT_FALSE(pane.IsDocked());
            EXPECT_TRUE(::EqualRect(&before, &after));
        }
    }
    ASSERT_TRUE(pane.IsDocked());
    const RECT bar = frame.RectInFrame(pane.Host());
    EXPECT_EQ(0, bar.left);
    EXPECT_EQ(0, bar.top);
    EXPECT_EQ(kClientH, bar.bottom);
    EXPECT_EQ(ClientView().left, bar.right + kStripSize);
}

TEST_F(DockingFrameTest, ACaptionDoubleClickTogglesOnlyAfterThePaneFloatedOnce) {
    CTabDockingWindow& pane = LeftPane("Folders");
    pane.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Pump();
    EXPECT_TRUE(pane.IsDocked()); // never floated: nothing to go back to

    pane.Undock();
    pane.SetWindowPos(NULL, 400, 150, 160, 200, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Pump();
    pane.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Pump();
    ASSERT_TRUE(pane.IsDocked());
    EXPECT_EQ(0, frame.RectInFrame(pane.Host()).left);
    pane.SendMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Pump();
    ASSERT_FALSE(pane.IsDocked());
    RECT w;
    pane.GetWindowRect(&w);
    EXPECT_EQ(400, w.left);
    EXPECT_EQ(160, w.right - w.left);
}

TEST_F(DockingFrameTest, TheCaptionAnswersItsHitCodesWithoutStartingALoop) {
    CTabDockingWindow& pane = LeftPane("Folders");
    const CDockingCaption& caption = pane.Caption();
    RECT window;
    pane.GetWindowRect(&window);
    auto hit = [&](POINT inWindow) {
        return pane.SendMessage(WM_NCHITTEST, 0,
                                MAKELPARAM(window.left + inWindow.x, window.top + inWindow.y));
    };
    const RECT& close = caption.close.rect;
    const RECT& pin = caption.pin.rect;
    EXPECT_EQ(kHitCloseButton,
              hit(POINT{(close.left + close.right) / 2, (close.top + close.bottom) / 2}));
    EXPECT_EQ(kHitPinButton, hit(POINT{(pin.left + pin.right) / 2, (pin.top + pin.bottom) / 2}));
    EXPECT_EQ(HTCAPTION, hit(POINT{5, caption.thickness / 2}));
    EXPECT_EQ(HTCLIENT, hit(POINT{5, caption.thickness + 20}));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(::GetSystemMetrics(SM_CYSMCAPTION), caption.rect.bottom);
    EXPECT_EQ(close.bottom - close.top, close.right - close.left); // square
}

} // namespace
