// The command bar: buttons from the menu, popups dropped by click, Alt+key,
// F10 or Alt alone, switching between popups while one is open, and commands
// that reach the owner frame.
//
// A dropped popup and the keyboard mode are modal loops, so each test drives
// them with a script: a thread timer (it fires inside those loops too) runs
// the next step once its condition holds, and the step posts the next key.
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui/tests/frame_test_support.h"

using namespace uitest;

namespace {

// A step returns true when it has done its part; the script then moves on.
using Step = std::function<bool()>;

struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    // A stuck step must not leave a menu loop running for ever: past the
    // deadline the tick calls onTimeout, which ends the menus.
    DWORD deadline = 0;
    std::function<void()> onTimeout;
    bool Done() const { return next >= steps.size(); }
};
thread_local Script* t_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = t_script;
    // A step may post keys that start a nested loop; never run two at once.
    static thread_local bool running = false;
    if (s == nullptr || running)
        return;
    if (s->onTimeout && (LONG)(::GetTickCount() - s->deadline) > 0) {
        s->onTimeout();
        return;
    }
    if (s->Done())
        return;
    running = true;
    if (s->steps[s->next]())
        ++s->next;
    running = false;
}

BOOL CALLBACK CollectMenuWindow(HWND hWnd, LPARAM param) {
    char name[16] = {0};
    if (::IsWindowVisible(hWnd) && ::GetClassNameA(hWnd, name, sizeof name) &&
        std::strcmp(name, "#32768") == 0)
        ((std::vector<HWND>*)param)->push_back(hWnd);
    return TRUE;
}

// The popup menu windows shown on this thread, the first opened first.
std::vector<HWND> OpenMenus() {
    std::vector<HWND> menus;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectMenuWindow, (LPARAM)&menus);
    return menus;
}

void PostKey(HWND target, WPARAM key) {
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Keys for an open menu go to its newest window.
void PostMenuKey(WPARAM key) {
    std::vector<HWND> menus = OpenMenus();
    if (!menus.empty())
        PostKey(menus.front(), key);
}

class CommandBar : public ::testing::Test {
protected:
    void SetUp() override {
        module.Init(::GetModuleHandleA(NULL));
        ASSERT_TRUE(module.AddMessageLoop(&loop));
        RECT rc = {40, 40, 640, 440};
        ASSERT_NE(frame.CreateEx(NULL, rc), (HWND)NULL);
        frame.ShowWindow(SW_SHOWNORMAL);
        frame.UpdateWindow();
        // A menu loop runs only for the foreground window; a window of an
        // earlier test program on this display may still hold that place.
        ::SetForegroundWindow(frame);
        ASSERT_TRUE(frame.cmdBar.IsFilterRegistered());
        timer = ::SetTimer(NULL, 0, 30, ScriptTick);
    }
    void TearDown() override {
        ::KillTimer(NULL, timer);
        t_script = nullptr;
        // Nothing may stay open for the next test.
        frame.cmdBar.CancelMenus();
        if (frame.IsWindow())
            frame.DestroyWindow();
        module.RemoveMessageLoop();
        module.Term();
    }

    // Runs the script and then the messages until `done` (or five seconds).
    bool Run(Script& script, std::function<bool()> done) {
        Arm(script);
        bool ok = PumpFor(loop, [&] { return script.Done() && done(); });
        t_script = nullptr;
        if (!ok) {
            frame.cmdBar.CancelMenus();
            ADD_FAILURE() << "script stopped at step " << script.next;
        }
        return ok;
    }

    void Arm(Script& script) {
        script.deadline = ::GetTickCount() + 4000;
        script.onTimeout = [this] { frame.cmdBar.CancelMenus(); };
        t_script = &script;
    }

    POINT ButtonCenter(int index, bool screen) {
        RECT r = {};
        ::SendMessageA(frame.cmdBar, TB_GETITEMRECT, index, (LPARAM)&r);
        POINT pt = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        if (screen)
            ::ClientToScreen(frame.cmdBar, &pt);
        return pt;
    }
    void ClickButton(int index) {
        POINT pt = ButtonCenter(index, false);
        ::PostMessageA(frame.cmdBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    }
    // The popup of `index` is open and shown.
    bool Dropped(int index) {
        return frame.cmdBar.GetDroppedIndex() == index && !OpenMenus().empty();
    }

    CAppModule module;
    CMessageLoop loop;
    CTestFrame frame;
    UINT_PTR timer = 0;
};

TEST_F(CommandBar, MakesOneButtonPerTopLevelItemWithItsTextAndMnemonic) {
    const char* texts[] = {"&File", "&View", "A&&B &Tools", "&Help"};
    ASSERT_EQ(::SendMessageA(frame.cmdBar, TB_BUTTONCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        TBBUTTON b = {};
        ASSERT_TRUE(::SendMessageA(frame.cmdBar, TB_GETBUTTON, i, (LPARAM)&b));
        char text[64] = {0};
        ::SendMessageA(frame.cmdBar, TB_GETBUTTONTEXTA, b.idCommand, (LPARAM)text);
        EXPECT_STREQ(text, texts[i]);
    }
    struct Case {
        char key;
        int index;
    };
    // "&&" is a literal ampersand, not the mnemonic of 'B'.
    const Case cases[] = {{'f', 0},  {'F', 0}, {'v', 1},  {'t', 2},
                          {'b', -1}, {'h', 3}, {'x', -1}, {'&', -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(frame.cmdBar.FindMnemonic(c.key), c.index);
    }
    // The window's own menu went to the command bar.
    EXPECT_EQ(frame.GetMenu(), (HMENU)NULL);
    // Attaching no menu removes the buttons.
    HMENU menu = frame.cmdBar.GetMenu();
    frame.cmdBar.AttachMenu(NULL);
    EXPECT_EQ(::SendMessageA(frame.cmdBar, TB_BUTTONCOUNT, 0, 0), 0);
    frame.cmdBar.AttachMenu(menu);
    EXPECT_EQ(::SendMessageA(frame.cmdBar, TB_BUTTONCOUNT, 0, 0), 4);
}

// A click drops the popup; the owner's update-UI states show in it; the item
// chosen comes to the frame as its command.
TEST_F(CommandBar, ClickDropsThePopupAndTheChosenCommandReachesTheFrame) {
    frame.UIEnable(kExit, FALSE);
    bool exitGrayed = false;
    Script script;
    script.steps = {
        [&] {
            if (!Dropped(0))
                return false;
            HMENU file = ::GetSubMenu(frame.cmdBar.GetMenu(), 0);
            exitGrayed = (::GetMenuState(file, kExit, MF_BYCOMMAND) & MF_GRAYED) != 0;
            PostMenuKey(VK_DOWN); // the first item: Open
            PostMenuKey(VK_RETURN);
            return true;
        },
    };
    ClickButton(0);
    ASSERT_TRUE(Run(script, [&] { return !frame.commands.empty(); }));
    EXPECT_EQ(frame.commands, std::vector<UINT>{kOpen});
    EXPECT_TRUE(exitGrayed);
    EXPECT_GT(frame.initMenuPopups, 0);
    EXPECT_FALSE(frame.cmdBar.IsMenuDropped());
    EXPECT_FALSE(frame.cmdBar.IsInKeyboardMode());
}

// Left and Right at the top popup move to the neighbouring button's popup,
// wrapping at the ends; a cancelled popup sends nothing.
TEST_F(CommandBar, ArrowKeysSwitchBetweenPopupsWhileOneIsOpen) {
    std::vector<int> visited;
    auto at = [&](int index, WPARAM key) {
        return [&, index, key] {
            if (!Dropped(index))
                return false;
            visited.push_back(index);
            PostMenuKey(key);
            return true;
        };
    };
    Script script;
    script.steps = {at(0, VK_RIGHT), at(1, VK_LEFT), at(0, VK_LEFT), at(3, VK_DOWN), [&] {
                        PostMenuKey(VK_RETURN);
                        return true;
                    }};
    ClickButton(0);
    ASSERT_TRUE(Run(script, [&] { return !frame.commands.empty(); }));
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 0, 3}));
    EXPECT_EQ(frame.commands, std::vector<UINT>{kAbout});
}

// Alt+V drops View with its first item selected. On an item with a submenu,
// Right opens the submenu instead of switching, and Left closes it again.
// Esc on the top popup goes back to keyboard mode with the button hot; a
// second Esc leaves it.
TEST_F(CommandBar, SubmenusKeepTheArrowKeysAndEscapeStepsBack) {
    Script script;
    script.steps = {
        [&] {
            if (!Dropped(1))
                return false;
            PostMenuKey(VK_DOWN); // from Toolbar to Zoom
            PostMenuKey(VK_RIGHT);
            return true;
        },
        [&] {
            if (OpenMenus().size() != 2)
                return false;
            EXPECT_EQ(frame.cmdBar.GetDroppedIndex(), 1);
            PostMenuKey(VK_LEFT);
            return true;
        },
        [&] {
            if (OpenMenus().size() != 1)
                return false;
            EXPECT_EQ(frame.cmdBar.GetDroppedIndex(), 1);
            PostMenuKey(VK_ESCAPE);
            return true;
        },
        [&] {
            if (!frame.cmdBar.IsInKeyboardMode() || frame.cmdBar.IsMenuDropped())
                return false;
            EXPECT_EQ(frame.cmdBar.GetHotIndex(), 1);
            PostKey(frame.m_hWndClient, VK_ESCAPE);
            return true;
        },
    };
    ::PostMessageA(frame.m_hWndClient, WM_SYSCHAR, 'v', 1);
    ASSERT_TRUE(Run(script, [&] { return !frame.cmdBar.IsInKeyboardMode(); }));
    EXPECT_TRUE(frame.commands.empty());
    EXPECT_EQ(frame.cmdBar.GetHotIndex(), -1);

    // The same way into the submenu, and Enter there runs its first item.
    Script choose;
    choose.steps = {
        [&] {
            if (!Dropped(1))
                return false;
            PostMenuKey(VK_DOWN);
            PostMenuKey(VK_RIGHT);
            return true;
        },
        [&] {
            if (OpenMenus().size() != 2)
                return false;
            PostMenuKey(VK_RETURN);
            return true;
        },
    };
    ::PostMessageA(frame.m_hWndClient, WM_SYSCHAR, 'V', 1);
    ASSERT_TRUE(Run(choose, [&] { return !frame.commands.empty(); }));
    EXPECT_EQ(frame.commands, std::vector<UINT>{kZoomIn});
}

// F10 enters keyboard mode on the first button; Right moves the hot button;
// a mnemonic without Alt drops that popup; the command ends the mode.
TEST_F(CommandBar, F10EntersKeyboardModeAndAMnemonicDropsItsPopup) {
    std::vector<int> hot;
    Script script;
    script.steps = {
        [&] {
            if (!frame.cmdBar.IsInKeyboardMode())
                return false;
            hot.push_back(frame.cmdBar.GetHotIndex());
            PostKey(frame.m_hWndClient, VK_RIGHT);
            return true;
        },
        [&] {
            if (frame.cmdBar.GetHotIndex() != 1)
                return false;
            hot.push_back(1);
            ::PostMessageA(frame.m_hWndClient, WM_CHAR, 'h', 1);
            return true;
        },
        [&] {
            if (!Dropped(3))
                return false;
            PostMenuKey(VK_RETURN); // Esc would come back; Enter chooses About
            return true;
        },
    };
    ::PostMessageA(frame.m_hWndClient, WM_SYSKEYDOWN, VK_F10, 1);
    ::PostMessageA(frame.m_hWndClient, WM_SYSKEYUP, VK_F10, 0xC0000001);
    ASSERT_TRUE(
        Run(script, [&] { return !frame.commands.empty() && !frame.cmdBar.IsInKeyboardMode(); }));
    EXPECT_EQ(hot, (std::vector<int>{0, 1}));
    EXPECT_EQ(frame.commands, std::vector<UINT>{kAbout});
}

// Which key sequences enter keyboard mode, and in which frame's command bar.
TEST_F(CommandBar, AltAloneOrF10EnterKeyboardModeOnlyInTheirOwnFrame) {
    CTestFrame other;
    RECT rc = {700, 40, 1100, 340};
    ASSERT_NE(other.CreateEx(NULL, rc), (HWND)NULL);
    other.ShowWindow(SW_SHOWNORMAL);

    struct Key {
        UINT message;
        WPARAM key;
    };
    struct Case {
        const char* name;
        bool inOther;
        std::vector<Key> keys;
        int expectedBar; // 0 this frame, 1 the other, -1 none
    };
    const Case cases[] = {
        {"Alt alone", false, {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYUP, VK_MENU}}, 0},
        {"Alt with another key",
         false,
         {{WM_SYSKEYDOWN, VK_MENU},
          {WM_SYSKEYDOWN, VK_LEFT},
          {WM_SYSKEYUP, VK_LEFT},
          {WM_SYSKEYUP, VK_MENU}},
         -1},
        {"F10", false, {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, 0},
        {"F10 in the other frame", true, {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, 1},
        {"Alt alone in the other frame",
         true,
         {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYUP, VK_MENU}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int entered = -1;
        frame.markers = 0;
        Script script;
        script.steps = {[&] {
            CCommandBarCtrl* bars[] = {&frame.cmdBar, &other.cmdBar};
            for (int i = 0; i < 2; ++i) {
                if (bars[i]->IsInKeyboardMode()) {
                    entered = i;
                    PostKey(bars[i]->GetOwner(), VK_ESCAPE);
                    return true;
                }
            }
            return frame.markers > 0; // the keys were all handled and nothing entered
        }};
        HWND target = c.inOther ? other.m_hWndClient : frame.m_hWndClient;
        for (const Key& k : c.keys)
            ::PostMessageA(target, k.message, k.key, k.message == WM_SYSKEYUP ? 0xC0000001 : 1);
        ::PostMessageA(frame, WM_APP, 0, 0); // after the keys: the queue keeps the order
        Arm(script);
        script.onTimeout = [&] {
            frame.cmdBar.CancelMenus();
            other.cmdBar.CancelMenus();
        };
        bool ok = PumpFor(loop, [&] {
            return frame.markers > 0 && script.Done() && !frame.cmdBar.IsInKeyboardMode() &&
                   !other.cmdBar.IsInKeyboardMode();
        });
        t_script = nullptr;
        ASSERT_TRUE(ok);
        EXPECT_EQ(entered, c.expectedBar);
    }
    EXPECT_TRUE(frame.commands.empty());
    EXPECT_TRUE(other.commands.empty());
    other.DestroyWindow();
}

// Moving the mouse onto another button while a popup is open switches to its
// popup; a click on the open button closes it without a command.
TEST_F(CommandBar, MouseOnAnotherButtonSwitchesPopupsAndASecondClickCloses) {
    std::vector<int> visited;
    Script script;
    script.steps = {
        [&] {
            if (!Dropped(0))
                return false;
            visited.push_back(0);
            POINT pt = ButtonCenter(1, true);
            ::SetCursorPos(pt.x, pt.y);
            std::vector<HWND> menus = OpenMenus();
            ::PostMessageA(menus.front(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
            return true;
        },
        [&] {
            if (!Dropped(1))
                return false;
            visited.push_back(1);
            POINT pt = ButtonCenter(1, true);
            ::SetCursorPos(pt.x, pt.y);
            std::vector<HWND> menus = OpenMenus();
            ::PostMessageA(menus.front(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
            return true;
        },
    };
    ClickButton(0);
    ASSERT_TRUE(Run(script, [&] { return !frame.cmdBar.IsMenuDropped() && OpenMenus().empty(); }));
    EXPECT_EQ(visited, (std::vector<int>{0, 1}));
    EXPECT_TRUE(frame.commands.empty());
    EXPECT_FALSE(frame.cmdBar.IsInKeyboardMode());
}

// A frame made before its thread's loop was registered (the program opens
// its first viewers before it runs the loop): the bar finds the loop later.
TEST_F(CommandBar, ABarMadeBeforeItsLoopWasRegisteredFindsItAtItsFirstPaint) {
    module.RemoveMessageLoop();
    CTestFrame early;
    ASSERT_NE(early.CreateEx(), (HWND)NULL);
    EXPECT_FALSE(early.cmdBar.IsFilterRegistered());
    ASSERT_TRUE(module.AddMessageLoop(&loop));
    early.ShowWindow(SW_SHOWNORMAL);
    early.cmdBar.Invalidate();
    EXPECT_TRUE(PumpFor(loop, [&] { return early.cmdBar.IsFilterRegistered(); }));

    // Its keys now reach it through the loop.
    Script script;
    script.steps = {[&] {
        if (!early.cmdBar.IsInKeyboardMode())
            return false;
        PostKey(early.m_hWndClient, VK_ESCAPE);
        return true;
    }};
    ::PostMessageA(early.m_hWndClient, WM_SYSKEYDOWN, VK_F10, 1);
    Arm(script);
    script.onTimeout = [&] { early.cmdBar.CancelMenus(); };
    EXPECT_TRUE(PumpFor(loop, [&] { return script.Done() && !early.cmdBar.IsInKeyboardMode(); }));
    t_script = nullptr;
    early.DestroyWindow();
}

// The keyboard mode is a loop of its own; messages for the thread (no
// window), which only the loop's filters handle, must not be lost in it.
TEST_F(CommandBar, ThreadMessagesReachTheLoopFiltersDuringKeyboardMode) {
    struct CThreadMessages : CMessageFilter {
        int seen = 0;
        BOOL PreTranslateMessage(MSG* pMsg) override {
            if (pMsg->hwnd != NULL || pMsg->message != WM_APP + 5)
                return FALSE;
            ++seen;
            return TRUE;
        }
    } filter;
    loop.AddMessageFilter(&filter);
    bool postedInMode = false;
    Script script;
    script.steps = {
        [&] {
            if (!frame.cmdBar.IsInKeyboardMode())
                return false;
            postedInMode = true;
            ::PostThreadMessageA(::GetCurrentThreadId(), WM_APP + 5, 0, 0);
            return true;
        },
        [&] {
            if (filter.seen == 0)
                return false;
            EXPECT_TRUE(frame.cmdBar.IsInKeyboardMode());
            PostKey(frame.m_hWndClient, VK_ESCAPE);
            return true;
        },
    };
    ::PostMessageA(frame.m_hWndClient, WM_SYSKEYDOWN, VK_F10, 1);
    EXPECT_TRUE(Run(script, [&] { return !frame.cmdBar.IsInKeyboardMode(); }));
    EXPECT_TRUE(postedInMode);
    EXPECT_EQ(filter.seen, 1);
    loop.RemoveMessageFilter(&filter);
}

} // namespace
