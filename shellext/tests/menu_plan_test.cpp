// The handler's menu rules: which items a selection gets under each set of
// switches, what each id offset means, the help texts and the image types.
#include <gtest/gtest.h>

#include <string>

#include "shellext/menu_plan.h"

using namespace dovrexa;

namespace {

MenuSwitches Switches(const char* bits) { // browse, submenu, view, print, e-mail as '1'/'0'
    MenuSwitches s;
    s.browse = bits[0] == '1';
    s.inSubmenu = bits[1] == '1';
    s.view = bits[2] == '1';
    s.print = bits[3] == '1';
    s.email = bits[4] == '1';
    return s;
}

// "sub:View|Print" or "top:Browse with Velmorantix XP" or "top:" (nothing).
std::string Describe(const MenuPlan& plan) {
    std::string out = plan.submenu ? "sub:" : "top:";
    for (unsigned i = 0; i < plan.count; ++i)
        out += std::string(i ? "|" : "") + MenuItemText(plan.items[i], plan.submenu);
    return out;
}

} // namespace

TEST(MenuPlan, EachSelectionKindAndSwitchSetShowsTheRightItems) {
    struct Case {
        bool folder;
        const char* switches;
        const char* menu;
    } cases[] = {
        {false, "11111", "sub:View|Print|E-mail"},
        {false, "10111",
         "top:View with Velmorantix XP|Print with Velmorantix XP|E-mail with Velmorantix XP"},
        {false, "11011", "sub:Print|E-mail"},
        {false, "10101", "top:View with Velmorantix XP|E-mail with Velmorantix XP"},
        {false, "11000", "sub:"},
        {false, "10000", "top:"},
        {false, "00111",
         "top:View with Velmorantix XP|Print with Velmorantix XP|E-mail with Velmorantix XP"},
        {true, "11111", "top:Browse with Velmorantix XP"},
        {true, "10000", "top:Browse with Velmorantix XP"},
        {true, "01111", "top:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(PlanContextMenu(c.folder, Switches(c.switches))), c.menu)
            << c.folder << " " << c.switches;
}

TEST(MenuPlan, IdOffsetsNameTheShownItemsInOrderAndNothingBeyond) {
    struct Case {
        bool folder;
        const char* switches;
        unsigned offset;
        MenuCommand command;
    } cases[] = {
        {false, "11111", 0, MenuCommand::View},  {false, "11111", 1, MenuCommand::Print},
        {false, "11111", 2, MenuCommand::Email}, {false, "11111", 3, MenuCommand::None},
        {false, "11011", 0, MenuCommand::Print}, {false, "11011", 1, MenuCommand::Email},
        {false, "11011", 2, MenuCommand::None},  {false, "10001", 0, MenuCommand::Email},
        {false, "11000", 0, MenuCommand::None},  {true, "11111", 0, MenuCommand::Browse},
        {true, "11111", 1, MenuCommand::None},   {true, "01111", 0, MenuCommand::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandForOffset(c.folder, Switches(c.switches), c.offset), c.command)
            << c.folder << " " << c.switches << " " << c.offset;
}

TEST(MenuPlan, HelpTextIsTheFirstShownItemsOrTheBrowseText) {
    struct Case {
        bool folder;
        const char* switches;
        unsigned offset;
        const char* text;
    } cases[] = {
        {false, "11111", 0, "View with Velmorantix XP"},
        {false, "11011", 0, "Print with Velmorantix XP"},
        {false, "11001", 0, "E-mail with Velmorantix XP"},
        {false, "11000", 0, ""},
        {false, "11111", 1, ""},
        {true, "11111", 0, "Browse with Velmorantix XP"},
        {true, "01111", 2, "Browse with Velmorantix XP"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(HelpText(c.folder, Switches(c.switches), c.offset), c.text)
            << c.folder << " " << c.switches << " " << c.offset;
}

TEST(MenuPlan, OnlyPrintAndEmailStartTheCommandLineWithASwitch) {
    EXPECT_STREQ(CommandLineSwitch(MenuCommand::Print), " /print");
    EXPECT_STREQ(CommandLineSwitch(MenuCommand::Email), " /email");
    EXPECT_STREQ(CommandLineSwitch(MenuCommand::View), "");
    EXPECT_STREQ(CommandLineSwitch(MenuCommand::Browse), "");
}

TEST(MenuPlan, ImageExtensionsAreTheTwentyTwoKnownInAnyCase) {
    for (const char* ext : {".bmp", ".emf", ".gif",  ".png", ".ico",  ".jpg", ".jpeg", ".jpe",
                            ".pcd", ".pcx", ".psd",  ".psp", ".ras",  ".tga", ".vda",  ".icb",
                            ".vst", ".tif", ".tiff", ".wbm", ".wbmp", ".wmf", ".JPG",  ".TiFf"})
        EXPECT_TRUE(IsImageFileExtension(ext)) << ext;
    for (const char* ext : {"", ".", ".txt", ".jp", ".jpgx", "jpg", ".zip", ".webp"})
        EXPECT_FALSE(IsImageFileExtension(ext)) << ext;
    EXPECT_FALSE(IsImageFileExtension(nullptr));
}
