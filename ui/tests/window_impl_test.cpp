// Window objects: binding to their handle, message maps, chaining, alternate
// maps on subclassed controls and reflection.
#include "ui/ui.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const UINT g_testRegistered = ::RegisterWindowMessageA("VxpUiTestRegisteredMessage");

// Records every message it gets and declines them all.
class CProbeWindow : public CWindowImpl<CProbeWindow, CWindowImplBase, CNullTraits> {
public:
    DECLARE_WND_CLASS_EX("VxpUiTestProbe", 0, COLOR_WINDOW)

    std::vector<UINT> seen;
    bool boundAtFirstMessage = false;
    int finalCalls = 0;
    HWND finalHwnd = NULL;
    HWND memberAtFinal = (HWND)1;
    bool destroyInClose = false;
    int finalCallsSeenInClose = -1;

    BEGIN_MSG_MAP(CProbeWindow)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_RANGE_HANDLER(0, 0xFFFF, OnAny)
    END_MSG_MAP()

    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
        seen.push_back(WM_CLOSE);
        if (!destroyInClose) {
            bHandled = FALSE;
            return 0;
        }
        DestroyWindow();
        finalCallsSeenInClose = finalCalls; // the final message waits for this handler
        return 0;
    }
    LRESULT OnAny(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled) {
        if (seen.empty())
            boundAtFirstMessage = FromHandle(m_hWnd) == this && m_hWnd != NULL;
        seen.push_back(uMsg);
        bHandled = FALSE;
        return 0;
    }
    void OnFinalMessage(HWND hWnd) override {
        ++finalCalls;
        finalHwnd = hWnd;
        memberAtFinal = m_hWnd;
    }
};

TEST(WindowImpl, ObjectIsBoundFromTheFirstMessageUntilTheFinalOne) {
    struct Case {
        const char* name;
        DWORD style;
        bool child;
        bool firstIsNcCreate; // resizable top-level windows get WM_GETMINMAXINFO first
    };
    const Case cases[] = {
        {"popup", WS_POPUP, false, true},
        {"child", WS_CHILD | WS_VISIBLE, true, true},
        {"overlapped", WS_OVERLAPPEDWINDOW, false, false},
    };
    CProbeWindow parent;
    RECT rc = {0, 0, 200, 100};
    ASSERT_NE(parent.Create(NULL, rc, "parent", WS_POPUP), (HWND)NULL);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProbeWindow w;
        HWND h = w.Create(c.child ? parent.m_hWnd : NULL, rc, "probe", c.style, 0, c.child ? 7 : 0);
        ASSERT_NE(h, (HWND)NULL);
        EXPECT_EQ(w.m_hWnd, h);
        EXPECT_EQ(CWindowImplBase::FromHandle(h), &w);
        ASSERT_FALSE(w.seen.empty());
        EXPECT_TRUE(w.boundAtFirstMessage);
        if (c.firstIsNcCreate) {
            EXPECT_EQ(w.seen.front(), (UINT)WM_NCCREATE);
        }
        EXPECT_NE(std::find(w.seen.begin(), w.seen.end(), (UINT)WM_NCCREATE), w.seen.end());
        char cls[64] = {};
        ::GetClassNameA(h, cls, sizeof cls);
        EXPECT_STREQ(cls, "VxpUiTestProbe");

        EXPECT_EQ(w.finalCalls, 0);
        ASSERT_TRUE(::DestroyWindow(h));
        EXPECT_EQ(w.seen.back(), (UINT)WM_NCDESTROY);
        EXPECT_EQ(w.finalCalls, 1);
        EXPECT_EQ(w.finalHwnd, h);
        EXPECT_EQ(w.memberAtFinal, (HWND)NULL);
        EXPECT_EQ(w.m_hWnd, (HWND)NULL);
    }
    parent.DestroyWindow();
}

TEST(WindowImpl, DestroyFromOwnHandlerDefersFinalMessageAndAllowsReuse) {
    CProbeWindow w;
    w.destroyInClose = true;
    RECT rc = {0, 0, 50, 50};
    HWND h = w.Create(NULL, rc, "closing", WS_POPUP);
    ASSERT_NE(h, (HWND)NULL);
    w.SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(w.finalCallsSeenInClose, 0);
    EXPECT_EQ(w.finalCalls, 1);
    EXPECT_EQ(w.m_hWnd, (HWND)NULL);

    // The object can make a new window, and a second Create while live fails.
    w.destroyInClose = false;
    ASSERT_NE(w.Create(NULL, rc, "again", WS_POPUP), (HWND)NULL);
    EXPECT_EQ(w.Create(NULL, rc, "twice", WS_POPUP), (HWND)NULL);
    w.DestroyWindow();
    EXPECT_EQ(w.finalCalls, 2);
}

TEST(WindowImpl, ObjectDestroyedBeforeItsWindowLeavesTheWindowUnbound) {
    HWND h;
    {
        CProbeWindow w;
        RECT rc = {0, 0, 50, 50};
        h = w.Create(NULL, rc, "orphan", WS_POPUP);
        ASSERT_NE(h, (HWND)NULL);
    }
    EXPECT_EQ(CWindowImplBase::FromHandle(h), nullptr);
    // Messages now get the default processing instead of reaching freed memory.
    EXPECT_EQ(::SendMessageA(h, WM_GETTEXTLENGTH, 0, 0), 6);
    EXPECT_TRUE(::DestroyWindow(h));
}

// A command base in the way the frames share their commands.
class CCommandBase {
public:
    std::string* log = nullptr;
    BEGIN_MSG_MAP(CCommandBase)
    MESSAGE_HANDLER(WM_APP, OnApp)
    MESSAGE_HANDLER(WM_APP + 1, OnApp)
    END_MSG_MAP()
    LRESULT OnApp(UINT, WPARAM, LPARAM, BOOL&) {
        *log += "base;";
        return 22;
    }
};

class CMemberMap {
public:
    std::string* log = nullptr;
    BEGIN_MSG_MAP(CMemberMap)
    MESSAGE_HANDLER(WM_APP + 2, OnApp)
    END_MSG_MAP()
    LRESULT OnApp(UINT, WPARAM, LPARAM, BOOL&) {
        *log += "member;";
        return 33;
    }
};

class CMapWindow : public CWindowImpl<CMapWindow, CWindowImplBase, CNullTraits>,
                   public CCommandBase {
public:
    DECLARE_WND_CLASS("VxpUiTestMapWindow")
    std::string trail;
    CMemberMap member;
    CMapWindow() {
        CCommandBase::log = &trail;
        member.log = &trail;
    }

    BEGIN_MSG_MAP(CMapWindow)
    MESSAGE_HANDLER(WM_APP, OnOwnApp)
    MESSAGE_HANDLER(g_testRegistered, OnRegistered)
    COMMAND_ID_HANDLER(110, OnCommand)
    COMMAND_RANGE_HANDLER(100, 109, OnCommand)
    COMMAND_CODE_HANDLER(EN_CHANGE, OnCommand)
    NOTIFY_HANDLER(200, NM_CLICK, OnNotify)
    NOTIFY_CODE_HANDLER(NM_DBLCLK, OnNotify)
    CHAIN_MSG_MAP(CCommandBase)
    CHAIN_MSG_MAP_MEMBER(member)
    END_MSG_MAP()

    LRESULT OnOwnApp(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
        trail += "own;";
        bHandled = wParam == 0; // declines when asked to
        return 11;
    }
    LRESULT OnRegistered(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
        trail += "registered;";
        return (LRESULT)(wParam + lParam);
    }
    LRESULT OnCommand(WORD code, WORD id, HWND, BOOL&) {
        trail += "command " + std::to_string(id) + " " + std::to_string(code) + ";";
        return 1;
    }
    LRESULT OnNotify(int idCtrl, LPNMHDR pnmh, BOOL&) {
        trail +=
            "notify " + std::to_string(pnmh->idFrom) + " " + std::to_string((int)pnmh->code) + ";";
        return 2;
    }
};

TEST(MessageMap, EntriesRunInOrderThenChainsThenDefaultProcessing) {
    CMapWindow w;
    RECT rc = {0, 0, 50, 50};
    ASSERT_NE(w.Create(NULL, rc, "title", WS_POPUP), (HWND)NULL);
    struct Case {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        const char* trail;
    };
    const Case cases[] = {
        {WM_APP, 0, 0, 11, "own;"},
        {WM_APP, 1, 0, 22, "own;base;"}, // declined: the chained base answers
        {WM_APP + 1, 0, 0, 22, "base;"},
        {WM_APP + 2, 0, 0, 33, "member;"},
        {g_testRegistered, 5, 6, 11, "registered;"},
        {WM_GETTEXTLENGTH, 0, 0, 5, ""}, // nobody: DefWindowProc answers
        {WM_COMMAND, MAKEWPARAM(100, 0), 0, 1, "command 100 0;"},
        {WM_COMMAND, MAKEWPARAM(109, 0), 0, 1, "command 109 0;"},
        {WM_COMMAND, MAKEWPARAM(110, 0), 0, 1, "command 110 0;"},
        {WM_COMMAND, MAKEWPARAM(99, EN_CHANGE), 0, 1, "command 99 768;"},
        {WM_COMMAND, MAKEWPARAM(111, 0), 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.msg) + " " + std::to_string(c.wParam));
        w.trail.clear();
        EXPECT_EQ(w.SendMessage(c.msg, c.wParam, c.lParam), c.result);
        EXPECT_EQ(w.trail, c.trail);
    }

    // Notifications match idFrom and code; hwndFrom may be NULL.
    struct NotifyCase {
        UINT_PTR id;
        UINT code;
        LRESULT result;
        const char* trail;
    };
    const NotifyCase notes[] = {
        {200, NM_CLICK, 2, "notify 200 -2;"},
        {201, NM_DBLCLK, 2, "notify 201 -3;"},
        {201, NM_CLICK, 0, ""},
    };
    for (const NotifyCase& n : notes) {
        SCOPED_TRACE(n.trail);
        NMHDR hdr = {NULL, n.id, n.code};
        w.trail.clear();
        EXPECT_EQ(w.SendMessage(WM_NOTIFY, n.id, (LPARAM)&hdr), n.result);
        EXPECT_EQ(w.trail, n.trail);
    }
    w.DestroyWindow();
}

// A window whose edit child is served by alternate map 1.
class CEditHost : public CWindowImpl<CEditHost, CWindowImplBase, CNullTraits> {
public:
    DECLARE_WND_CLASS("VxpUiTestEditHost")
    CContainedWindow edit{this, 1};
    int hostChars = 0;
    int editCharsSeen = 0;

    BEGIN_MSG_MAP(CEditHost)
    MESSAGE_HANDLER(WM_CHAR, OnHostChar)
    ALT_MSG_MAP(1)
    MESSAGE_HANDLER(WM_CHAR, OnEditChar)
    END_MSG_MAP()

    LRESULT OnHostChar(UINT, WPARAM, LPARAM, BOOL&) {
        ++hostChars;
        return 0;
    }
    LRESULT OnEditChar(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
        ++editCharsSeen;
        bHandled = wParam == 'x'; // eats 'x', lets the edit have the rest
        return 0;
    }
};

std::string TextOf(HWND h) {
    char buf[64] = {};
    ::GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

TEST(Subclassing, ChildUsesAlternateMapAndGetsItsProcedureBack) {
    CEditHost host;
    RECT rc = {0, 0, 200, 60};
    ASSERT_NE(host.Create(NULL, rc, "host", WS_POPUP), (HWND)NULL);
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 150,
                                  20, host, (HMENU)(INT_PTR)5, ::GetModuleHandleA(NULL), NULL);
    ASSERT_NE(edit, (HWND)NULL);
    WNDPROC original = (WNDPROC)::GetWindowLongPtrA(edit, GWLP_WNDPROC);

    ASSERT_TRUE(host.edit.SubclassWindow(edit));
    EXPECT_TRUE(host.edit.IsSubclassed());
    EXPECT_EQ(CWindowImplBase::FromHandle(edit), &host.edit);
    // A bound window cannot be taken a second time, by this object or another one.
    CContainedWindow other(&host, 1);
    EXPECT_FALSE(other.SubclassWindow(edit));
    EXPECT_FALSE(host.edit.SubclassWindow(host));

    const char typed[] = "axbx";
    for (const char* p = typed; *p; ++p)
        ::SendMessageA(edit, WM_CHAR, (WPARAM)*p, 1);
    EXPECT_EQ(TextOf(edit), "ab");
    EXPECT_EQ(host.editCharsSeen, 4);
    EXPECT_EQ(host.hostChars, 0); // the main map is not asked for the child's messages

    EXPECT_EQ(host.edit.UnsubclassWindow(), edit);
    EXPECT_EQ((WNDPROC)::GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWindowImplBase::FromHandle(edit), nullptr);
    ::SendMessageA(edit, WM_CHAR, 'x', 1);
    EXPECT_EQ(TextOf(edit), "abx");
    EXPECT_EQ(host.editCharsSeen, 4);

    // Subclassed again, the child is unbound by its own destruction.
    ASSERT_TRUE(host.edit.SubclassWindow(edit));
    ::DestroyWindow(edit);
    EXPECT_EQ(host.edit.m_hWnd, (HWND)NULL);
    EXPECT_FALSE(host.edit.IsSubclassed());
    host.DestroyWindow();
}

// An owner-drawn button that handles what its parent reflects.
class CReflectButton : public CWindowImpl<CReflectButton> {
public:
    int drawItems = 0;
    std::vector<WORD> commandCodes;
    BEGIN_MSG_MAP(CReflectButton)
    MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
    DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&) {
        const DRAWITEMSTRUCT* dis = (const DRAWITEMSTRUCT*)lParam;
        if (dis->hwndItem == m_hWnd)
            ++drawItems;
        return TRUE;
    }
    LRESULT OnClicked(WORD code, WORD, HWND, BOOL&) {
        commandCodes.push_back(code);
        return 0;
    }
};

class CReflectingParent : public CWindowImpl<CReflectingParent, CWindowImplBase, CNullTraits> {
public:
    DECLARE_WND_CLASS("VxpUiTestReflectingParent")
    int ownCommands = 0;
    BEGIN_MSG_MAP(CReflectingParent)
    REFLECT_NOTIFICATIONS()
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&) {
        ++ownCommands;
        return 0;
    }
};

TEST(Reflection, NotificationsReachTheChildControlOnly) {
    CReflectingParent parent;
    RECT rc = {10, 10, 210, 110};
    ASSERT_NE(parent.Create(NULL, rc, "parent", WS_POPUP | WS_VISIBLE), (HWND)NULL);
    HWND button =
        ::CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 5, 5, 80, 30,
                          parent, (HMENU)(INT_PTR)42, ::GetModuleHandleA(NULL), NULL);
    ASSERT_NE(button, (HWND)NULL);
    CReflectButton child;
    ASSERT_TRUE(child.SubclassWindow(button));

    // A real paint: the button asks its parent to draw it, the parent reflects.
    ::RedrawWindow(button, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GE(child.drawItems, 1);

    // A click: BN_CLICKED comes back to the button as OCM_COMMAND.
    ::SendMessageA(button, BM_CLICK, 0, 0);
    ASSERT_EQ(child.commandCodes.size(), 1u);
    EXPECT_EQ(child.commandCodes[0], (WORD)BN_CLICKED);
    EXPECT_EQ(parent.ownCommands, 0);

    // Messages without a control, or naming a window that is not a child,
    // stay with the parent.
    int draws = child.drawItems;
    DRAWITEMSTRUCT menuItem = {};
    menuItem.CtlType = ODT_MENU;
    menuItem.hwndItem = (HWND)button; // ignored for menus (wParam 0)
    parent.SendMessage(WM_DRAWITEM, 0, (LPARAM)&menuItem);
    EXPECT_EQ(child.drawItems, draws);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(300, 0), 0); // menu or accelerator
    CProbeWindow stranger;
    ASSERT_NE(stranger.Create(NULL, rc, "stranger", WS_POPUP), (HWND)NULL);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), (LPARAM)stranger.m_hWnd);
    EXPECT_EQ(parent.ownCommands, 2);
    EXPECT_EQ(std::count(stranger.seen.begin(), stranger.seen.end(), (UINT)OCM_COMMAND), 0);
    EXPECT_EQ(child.commandCodes.size(), 1u);

    // A reflected message the child does not handle gets default processing.
    HDC dc = ::GetDC(button);
    EXPECT_NE(parent.SendMessage(WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)button), 0);
    ::ReleaseDC(button, dc);

    stranger.DestroyWindow();
    parent.DestroyWindow();
    EXPECT_EQ(child.m_hWnd, (HWND)NULL);
}

} // namespace
