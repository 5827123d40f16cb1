// Update-UI: command states kept in the table and applied to toolbar buttons
// when the frame asks, and to menu items when their popup opens.
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/tests/frame_test_support.h"

using namespace uitest;

namespace {

class UpdateUI : public ::testing::Test {
protected:
    void SetUp() override {
        module.Init(::GetModuleHandleA(NULL));
        ASSERT_NE(frame.CreateEx(), (HWND)NULL);
        frame.UIUpdateToolBar();
    }
    void TearDown() override {
        frame.DestroyWindow();
        module.Term();
    }
    bool ButtonEnabled(UINT id) {
        return ::SendMessageA(frame.toolbar, TB_ISBUTTONENABLED, id, 0) != 0;
    }
    bool ButtonChecked(UINT id) {
        return ::SendMessageA(frame.toolbar, TB_ISBUTTONCHECKED, id, 0) != 0;
    }
    CAppModule module;
    CTestFrame frame;
};

TEST_F(UpdateUI, ToolBarButtonsFollowTheTableWhenTheFrameAsks) {
    EXPECT_TRUE(ButtonEnabled(kOpen));
    EXPECT_EQ(frame.UIGetState(kOpen), UPDUI_ENABLED);

    ASSERT_TRUE(frame.UIEnable(kOpen, FALSE));
    ASSERT_TRUE(frame.UISetCheck(kRefresh, 1));
    EXPECT_EQ(frame.UIGetState(kOpen), UPDUI_DISABLED);
    EXPECT_EQ(frame.UIGetState(kRefresh), UPDUI_CHECKED);
    // Pending until the update pass.
    EXPECT_TRUE(ButtonEnabled(kOpen));
    EXPECT_FALSE(ButtonChecked(kRefresh));

    frame.UIUpdateToolBar();
    EXPECT_FALSE(ButtonEnabled(kOpen));
    EXPECT_TRUE(ButtonChecked(kRefresh));
    EXPECT_TRUE(ButtonEnabled(kZoomIn)); // untouched

    // And back.
    frame.UIEnable(kOpen, TRUE);
    frame.UISetCheck(kRefresh, 0);
    frame.UIUpdateToolBar();
    EXPECT_TRUE(ButtonEnabled(kOpen));
    EXPECT_FALSE(ButtonChecked(kRefresh));

    // A state changed behind the table's back is put right by a forced pass.
    ::SendMessageA(frame.toolbar, TB_ENABLEBUTTON, kZoomIn, FALSE);
    frame.UIUpdateToolBar();
    EXPECT_FALSE(ButtonEnabled(kZoomIn));
    frame.UIUpdateToolBar(TRUE);
    EXPECT_TRUE(ButtonEnabled(kZoomIn));
}

TEST_F(UpdateUI, CommandsOutsideTheTableAreRefused) {
    EXPECT_FALSE(frame.UIEnable(4242, FALSE));
    EXPECT_FALSE(frame.UISetCheck(4242, 1));
    EXPECT_FALSE(frame.UISetText(4242, "x"));
    EXPECT_EQ(frame.UIGetState(4242), (DWORD)-1);
    EXPECT_EQ(frame.UIGetText(4242), nullptr);
    // A toolbar is registered once.
    EXPECT_FALSE(frame.UIAddToolBar(frame.toolbar));
    EXPECT_FALSE(frame.UIAddToolBar(NULL));
}

// The popup's items take the table's states when the popup opens, through
// the frame's chained map; the frame's own handler still sees the message.
TEST_F(UpdateUI, MenuPopupItemsTakeTheStatesAtInitMenuPopup) {
    HMENU menu = frame.cmdBar.GetMenu();
    ASSERT_NE(menu, (HMENU)NULL);
    HMENU file = ::GetSubMenu(menu, 0), view = ::GetSubMenu(menu, 1);
    frame.UIEnable(kExit, FALSE);
    frame.UISetCheck(UI_ID_VIEW_TOOLBAR, 1);
    frame.UISetText(kOpen, "&Open Image...");

    EXPECT_FALSE(::GetMenuState(file, kExit, MF_BYCOMMAND) & MF_GRAYED);
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)view, MAKELPARAM(1, FALSE));
    EXPECT_EQ(frame.initMenuPopups, 2);
    EXPECT_TRUE(::GetMenuState(file, kExit, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(file, kOpen, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(file, kRefresh, MF_BYCOMMAND) & MF_GRAYED); // not a menu element
    EXPECT_TRUE(::GetMenuState(view, UI_ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
    char text[64] = {0};
    ::GetMenuStringA(file, kOpen, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Open Image...");

    // Undone on the next opening.
    frame.UIEnable(kExit, TRUE);
    frame.UISetCheck(UI_ID_VIEW_TOOLBAR, 0);
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)file, MAKELPARAM(0, FALSE));
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)view, MAKELPARAM(1, FALSE));
    EXPECT_FALSE(::GetMenuState(file, kExit, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(view, UI_ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);

    // A submenu's items are reached when the submenu itself opens.
    HMENU zoom = ::GetSubMenu(view, 1);
    frame.UIEnable(kZoomIn, FALSE);
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)view, MAKELPARAM(1, FALSE));
    EXPECT_FALSE(::GetMenuState(zoom, kZoomIn, MF_BYCOMMAND) & MF_GRAYED);
    frame.SendMessage(WM_INITMENUPOPUP, (WPARAM)zoom, MAKELPARAM(1, FALSE));
    EXPECT_TRUE(::GetMenuState(zoom, kZoomIn, MF_BYCOMMAND) & MF_GRAYED);
}

} // namespace
