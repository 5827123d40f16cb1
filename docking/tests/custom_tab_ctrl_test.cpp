// The custom tab strip under a parent that records its notifications and
// may refuse selection changes and deletions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "docking/custom_tab_ctrl.h"
#include "docking/tab_docking_window.h"

namespace {

constexpr int kStripId = 77;

struct Notice {
    UINT code;
    int a, b; // item, or old and new
    bool operator==(const Notice& o) const { return code == o.code && a == o.a && b == o.b; }
};

std::string Describe(const std::vector<Notice>& notices) {
    std::string out;
    for (const Notice& n : notices)
        out += "{" + std::to_string((int)n.code) + "," + std::to_string(n.a) + "," +
               std::to_string(n.b) + "} ";
    return out;
}

class CParent : public CWindowImpl<CParent, CWindowImplBase, CWinTraits<WS_OVERLAPPEDWINDOW>> {
public:
    DECLARE_WND_CLASS("VxpTabTestParent")
    BEGIN_MSG_MAP(CParent)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    END_MSG_MAP()

    std::vector<Notice> notices;
    bool refuseSelection = false;
    bool refuseDeletion = false;

    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
        const NMHDR* hdr = (const NMHDR*)lParam;
        if (hdr->idFrom != kStripId) {
            bHandled = FALSE;
            return 0;
        }
        switch (hdr->code) {
        case TCN_SELCHANGING:
        case TCN_SELCHANGE: {
            const NMCTITEMS* nm = (const NMCTITEMS*)lParam;
            notices.push_back({hdr->code, nm->iItem1, nm->iItem2});
            return hdr->code == (UINT)TCN_SELCHANGING && refuseSelection ? 1 : 0;
        }
        case CTN_INSERTITEM:
        case CTN_DELETEITEM:
        case CTN_CLOSE:
        case NM_CLICK: {
            const NMCTITEM* nm = (const NMCTITEM*)lParam;
            notices.push_back({hdr->code, nm->iItem, 0});
            return hdr->code == CTN_DELETEITEM && refuseDeletion ? 1 : 0;
        }
        case CTN_DRAGOUT: // a bare header
            notices.push_back({hdr->code, 0, 0});
            return 0;
        default:
            return 0;
        }
    }
};

BOOL CALLBACK FindTooltip(HWND hWnd, LPARAM lParam) {
    char cls[64] = "";
    ::GetClassNameA(hWnd, cls, sizeof(cls));
    if (std::string(cls) == TOOLTIPS_CLASSA) {
        *(HWND*)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

class CustomTabCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        RECT r = {50, 50, 650, 250};
        ASSERT_NE((HWND)NULL, parent.Create(NULL, r, "Tabs"));
        parent.ShowWindow(SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        if (strip.m_hWnd)
            strip.DestroyWindow();
        parent.DestroyWindow();
    }
    void MakeStrip(DWORD style, int width, std::initializer_list<const char*> tabs) {
        RECT r = {0, 0, width, 24};
        ASSERT_NE((HWND)NULL,
                  strip.Create(parent, r, NULL, WS_CHILD | WS_VISIBLE | style, 0, (UINT)kStripId));
        for (const char* t : tabs)
            strip.AddItem(t);
        strip.SetCurSel(0, false);
        parent.notices.clear();
    }
    POINT CentreOf(int tab) {
        RECT r;
        strip.GetItemRect(tab, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    CParent parent;
    CCustomTabCtrl strip;
};

TEST_F(CustomTabCtrlTest, InsertingIntoAnEmptyStripSelectsTheTabEvenUnasked) {
    MakeStrip(0, 400, {});
    CCustomTabItem* item = new CCustomTabItem();
    item->text = "Only";
    ASSERT_EQ(0, strip.InsertItem(item, 5, false)); // past the end: appended
    EXPECT_EQ(0, strip.GetCurSel());
    const std::vector<Notice> want = {
        {CTN_INSERTITEM, 0, 0}, {(UINT)TCN_SELCHANGING, -1, 0}, {(UINT)TCN_SELCHANGE, -1, 0}};
    EXPECT_EQ(want, parent.notices) << Describe(parent.notices);
    EXPECT_EQ(-1, strip.InsertItem(nullptr, 0, true));
}

TEST_F(CustomTabCtrlTest, SelectionsNotifyAndARefusalHoldsForCallsClicksAndKeys) {
    MakeStrip(0, 400, {"One", "Two", "Three"});
    struct Case {
        const char* what;
        bool refuse;
        int index; // for SetCurSel; -2: a click on tab 2; -3: the Right key
        int selected;
        std::vector<Notice> notices;
    } cases[] = {
        {"an index past the tabs re-selects the current one",
         false,
         9,
         0,
         {{(UINT)TCN_SELCHANGING, 0, 0}, {(UINT)TCN_SELCHANGE, 0, 0}}},
        {"-1 re-selects the current one too",
         false,
         -1,
         0,
         {{(UINT)TCN_SELCHANGING, 0, 0}, {(UINT)TCN_SELCHANGE, 0, 0}}},
        {"a refused change", true, 2, 0, {{(UINT)TCN_SELCHANGING, 0, 2}}},
        {"a refused click", true, -2, 0, {{(UINT)NM_CLICK, 2, 0}, {(UINT)TCN_SELCHANGING, 0, 2}}},
        {"a refused key", true, -3, 0, {{(UINT)TCN_SELCHANGING, 0, 1}}},
        {"a click",
         false,
         -2,
         2,
         {{(UINT)NM_CLICK, 2, 0}, {(UINT)TCN_SELCHANGING, 0, 2}, {(UINT)TCN_SELCHANGE, 0, 2}}},
        {"the Left key",
         false,
         -4,
         1,
         {{(UINT)TCN_SELCHANGING, 2, 1}, {(UINT)TCN_SELCHANGE, 2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parent.refuseSelection = c.refuse;
        parent.notices.clear();
        if (c.index == -2) {
            const POINT pt = CentreOf(2);
            strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        } else if (c.index == -3) {
            strip.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        } else if (c.index == -4) {
            strip.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        } else {
            strip.SetCurSel(c.index, true);
        }
        EXPECT_EQ(c.selected, strip.GetCurSel());
        EXPECT_EQ(c.notices, parent.notices) << Describe(parent.notices);
    }
}

TEST_F(CustomTabCtrlTest, DeletingKeepsTheSelectionByTheRules) {
    struct Case {
        const char* what;
        int selected, deleted;
        int after;
        std::vector<Notice> notices;
    } cases[] = {
        {"the selected last tab: the one before it, before the removal",
         2,
         2,
         1,
         {{CTN_DELETEITEM, 2, 0}, {(UINT)TCN_SELCHANGING, 2, 1}, {(UINT)TCN_SELCHANGE, 2, 1}}},
        {"the selected tab elsewhere: the one that moves into its place",
         1,
         1,
         1,
         {{CTN_DELETEITEM, 1, 0}, {(UINT)TCN_SELCHANGING, 1, 1}, {(UINT)TCN_SELCHANGE, 1, 1}}},
        {"a tab before the selection: the selection moves back silently",
         2,
         0,
         1,
         {{CTN_DELETEITEM, 0, 0}}},
        {"a tab after the selection: nothing changes", 0, 2, 0, {{CTN_DELETEITEM, 2, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeStrip(0, 400, {"One", "Two", "Three"});
        strip.SetCurSel(c.selected, false);
        parent.notices.clear();
        ASSERT_TRUE(strip.DeleteItem(c.deleted, true, true));
        EXPECT_EQ(2, strip.GetItemCount());
        EXPECT_EQ(c.after, strip.GetCurSel());
        EXPECT_EQ(c.notices, parent.notices) << Describe(parent.notices);
        strip.DestroyWindow();
    }
}

TEST_F(CustomTabCtrlTest, ARefusingParentKeepsOneTabButCannotStopDeletingAll) {
    MakeStrip(0, 400, {"One", "Two", "Three"});
    parent.refuseDeletion = true;
    EXPECT_FALSE(strip.DeleteItem(1));
    EXPECT_FALSE(strip.DeleteItem(7));
    EXPECT_EQ(3, strip.GetItemCount());
    strip.DeleteAllItems(); // would ask for the refused tab without end
    EXPECT_EQ(0, strip.GetItemCount());
    EXPECT_EQ(-1, strip.GetCurSel());
}

TEST_F(CustomTabCtrlTest, HitTestsNameTheButtonsTheTabsAndNothing) {
    MakeStrip(CTS_CLOSEBUTTON | CTS_SCROLLBUTTONS, 300,
              {"Folders", "Contents", "Properties", "Metadata", "Preview", "Search"});
    const docking::TabButtons& b = strip.Buttons();
    auto centre = [](const docking::TabRect& r) {
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    struct Case {
        POINT pt;
        unsigned flag;
        int tab;
    } cases[] = {
        {CentreOf(0), docking::CTCHT_ONITEM, 0},
        {centre(b.close), docking::CTCHT_ONCLOSEBTN, -1},
        {centre(b.right), docking::CTCHT_ONSCROLLRIGHTBTN, -1},
        {centre(b.left), docking::CTCHT_ONSCROLLLEFTBTN, -1},
        {POINT{2, 12}, docking::CTCHT_NOWHERE, -1},
    };
    for (const Case& c : cases) {
        unsigned flag = 0;
        EXPECT_EQ(c.tab, strip.HitTest(c.pt, &flag));
        EXPECT_EQ(c.flag, flag);
    }
    EXPECT_EQ(6u, (unsigned)docking::CTCHT_ONITEM);

    // The strip is too short for its tabs: it can scroll right only. A click
    // on scroll-left just takes the mouse; scroll-right moves a step.
    ASSERT_FALSE(strip.CanScrollLeft());
    ASSERT_TRUE(strip.CanScrollRight());
    POINT left = centre(b.left);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left.x, left.y));
    EXPECT_EQ(strip.m_hWnd, ::GetCapture());
    EXPECT_EQ(0, strip.ScrollOffset());
    strip.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(left.x, left.y));
    POINT right = centre(strip.Buttons().right);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right.x, right.y));
    strip.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(right.x, right.y));
    EXPECT_EQ(-40, strip.ScrollOffset());
    EXPECT_TRUE(strip.CanScrollLeft());
    EXPECT_EQ(nullptr, ::GetCapture());

    // The close button, pressed and released on it, asks to close the selection.
    parent.notices.clear();
    POINT close = centre(strip.Buttons().close);
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(close.x, close.y));
    strip.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(close.x, close.y));
    const std::vector<Notice> want = {{CTN_CLOSE, 0, 0}};
    EXPECT_EQ(want, parent.notices) << Describe(parent.notices);
}

TEST_F(CustomTabCtrlTest, TheSelectedTabIsPaintedInTheFaceWithShadowSeparatorsBetweenTheOthers) {
    MakeStrip(0, 400, {"One", "Two", "Three"});
    strip.SetCurSel(2, false);
    RECT client;
    strip.GetClientRect(&client);
    HDC screen = ::GetDC(NULL);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(NULL, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    strip.SendMessage(WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    RECT selected, first;
    strip.GetItemRect(2, &selected);
    strip.GetItemRect(0, &first);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), shadow = ::GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(face, ::GetPixel(dc, (selected.left + selected.right) / 2, selected.top + 6));
    EXPECT_EQ(shadow, ::GetPixel(dc, first.right - 1, (first.top + first.bottom) / 2));
    EXPECT_NE(face, ::GetPixel(dc, first.left + 2, first.top + 6)); // the light band
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST_F(CustomTabCtrlTest, AWholeRepaintDrawsTheEdgesOfTheStrip) {
    struct Case {
        const char* what;
        DWORD style;
        int x, y; // x from the right end of the strip; y < 0 from the bottom
        int colour;
    } cases[] = {
        {"a bottom strip's face above its page", CTS_BOTTOM, 10, 1, COLOR_BTNFACE},
        {"a bottom strip's line under its page", CTS_BOTTOM, 10, 3, COLOR_BTNTEXT},
        {"a top strip's face below", 0, 10, -1, COLOR_BTNFACE},
        {"a top strip's shadow at its left end", 0, 400, 10, COLOR_BTNSHADOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeStrip(c.style, 400, {"One", "Two"});
        RECT client;
        strip.GetClientRect(&client);
        HDC screen = ::GetDC(NULL);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        ::ReleaseDC(NULL, screen);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        strip.SendMessage(WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
        const int y = c.y < 0 ? client.bottom + c.y : c.y;
        EXPECT_EQ(::GetSysColor(c.colour), ::GetPixel(dc, client.right - c.x, y));
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        strip.DestroyWindow();
    }
}

TEST_F(CustomTabCtrlTest, TabsTellTheirTooltipTextWhenAsked) {
    MakeStrip(CTS_TOOLTIPS, 400, {"One", "Two"});
    strip.GetItem(1)->tooltip = "The second";
    strip.GetItem(0)->tooltip.clear();
    HWND tooltip = NULL;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindTooltip, (LPARAM)&tooltip);
    ASSERT_NE((HWND)NULL, tooltip);
    for (int tool : {1, 2}) {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = tooltip;
        info.hdr.idFrom = (UINT_PTR)tool;
        info.hdr.code = TTN_GETDISPINFOA;
        strip.SendMessage(WM_NOTIFY, 0, (LPARAM)&info);
        ASSERT_NE(nullptr, info.lpszText);
        EXPECT_STREQ(tool == 1 ? "One" : "The second", info.lpszText);
    }
}

TEST(FlyingTabCtrlTest, AStripWithoutAFontIsTwentyFourThickAndATabWindowKeepsItsClientFilled) {
    CParent parent;
    RECT r = {50, 50, 450, 350};
    ASSERT_NE((HWND)NULL, parent.Create(NULL, r, "Flying"));
    CFlyingTabCtrl flying;
    RECT s = {0, 0, 300, 30};
    ASSERT_NE((HWND)NULL, flying.Create(parent, s, NULL, WS_CHILD | WS_VISIBLE | CTS_BOTTOM, 0,
                                        (UINT)kStripId));
    EXPECT_EQ(24, flying.Thickness());
    RECT page = flying.PageRect(RECT{0, 0, 300, 200});
    EXPECT_EQ(176, page.bottom);
    flying.DestroyWindow();

    CTabDockingWindow pane;
    ASSERT_NE((HWND)NULL, pane.Create(parent, "Folders"));
    pane.SetWindowPos(NULL, 100, 100, 220, 260, SWP_NOZORDER);
    HWND client =
        ::CreateWindowExA(0, "LISTBOX", NULL, WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 5,
                          5, parent, NULL, ::GetModuleHandleA(NULL), NULL);
    pane.SetClient(client);
    EXPECT_EQ((HWND)pane, ::GetParent(client));
    RECT inner, child;
    pane.GetClientRect(&inner);
    ::GetWindowRect(client, &child);
    EXPECT_EQ(inner.right, child.right - child.left);
    EXPECT_EQ(inner.bottom, child.bottom - child.top);
    pane.SendMessage(WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    RECT still;
    ::GetWindowRect(client, &still);
    EXPECT_EQ(child.right - child.left, still.right - still.left);
    pane.DestroyWindow();
    parent.DestroyWindow();
}

// The order of the flying strip's tabs, as their texts.
std::string Order(const CFlyingTabCtrl& strip) {
    std::string out;
    for (int i = 0; i < strip.GetItemCount(); ++i)
        out += (i ? " " : "") + strip.GetItem(i)->text;
    return out;
}

TEST(FlyingTabCtrlTest, ADraggedTabReordersAndOnlyLeavingTheStripDragsItOut) {
    struct Case {
        const char* what;
        UINT message; // what ends the drag, after the pointer passed the second tab
        WPARAM wParam;
        bool offStrip; // where it ends: below the strip, else over the third tab
        bool draggedOut;
    } cases[] = {
        {"Esc keeps the order reached", WM_KEYDOWN, VK_ESCAPE, true, false},
        {"a right press keeps it too", WM_RBUTTONDOWN, MK_RBUTTON, true, false},
        {"a release over a tab only reorders", WM_LBUTTONUP, 0, false, false},
        {"leaving the strip drags the tab out", WM_MOUSEMOVE, MK_LBUTTON, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CParent parent;
        RECT r = {50, 50, 650, 250};
        ASSERT_NE((HWND)NULL, parent.Create(NULL, r, "Flying"));
        parent.ShowWindow(SW_SHOWNOACTIVATE);
        CFlyingTabCtrl strip;
        RECT s = {0, 0, 400, 24};
        ASSERT_NE((HWND)NULL,
                  strip.Create(parent, s, NULL, WS_CHILD | WS_VISIBLE, 0, (UINT)kStripId));
        for (const char* t : {"One", "Two", "Three"})
            strip.AddItem(t);
        strip.SetCurSel(0, false);
        parent.notices.clear();
        auto centre = [&](int tab) {
            RECT t;
            strip.GetItemRect(tab, &t);
            return MAKELPARAM((t.left + t.right) / 2, (t.top + t.bottom) / 2);
        };
        const LPARAM end = c.offStrip ? MAKELPARAM(20, 100) : centre(2);
        strip.PostMessage(WM_MOUSEMOVE, MK_LBUTTON, centre(1));
        strip.PostMessage(c.message, c.wParam, end);
        RECT first;
        strip.GetItemRect(0, &first);
        EXPECT_EQ(c.draggedOut, strip.TrackTabDrag(POINT{first.left + 4, 10}));
        EXPECT_EQ(nullptr, ::GetCapture());
        EXPECT_EQ("Two One Three", Order(strip)); // swapped once, never back
        EXPECT_EQ(1, strip.GetCurSel());          // the dragged tab stays selected
        bool out = false;
        for (const Notice& n : parent.notices)
            out |= n.code == CTN_DRAGOUT;
        EXPECT_EQ(c.draggedOut, out) << Describe(parent.notices);
        strip.DestroyWindow();
        parent.DestroyWindow();
    }
}

} // namespace
