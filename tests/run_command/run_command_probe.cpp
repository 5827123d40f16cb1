// The Windows side of run_command_test.sh: scripts/run.sh has started the
// program with no argument, on the three pictures it generates, passing the
// path in its own form (a drive letter and forward slashes). The viewer must
// list the picture's folder: its title gives the place in the list, and Page
// Down steps to the next picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/program_driver.h"

namespace {

using namespace program_driver;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "<folder>\<name> @ <n>% (<place>)", the folder spelled with '\'.
bool ShowsListed(const std::string& title, const char* name, const char* place) {
    const std::string named = std::string("\\") + name + " @ ";
    const size_t at = title.find(named);
    return at != std::string::npos && title.find('/') == std::string::npos &&
           EndsWith(title, std::string("% (") + place + ")");
}

HWND ViewerShowing(const char* name, const char* place) {
    for (HWND h : TopLevel("ImageFrame"))
        if (ShowsListed(Title(h), name, place))
            return h;
    return nullptr;
}

TEST(RunCommand, ShowsTheFirstPictureInItsFolderAndStepsOn) {
    HWND frame = nullptr;
    // The run command may still be building when this starts.
    const bool shown =
        WaitFor([&] { return (frame = ViewerShowing("garden.jpg", "1 of 3")); }, 240000);
    std::string titles;
    for (HWND h : TopLevel("ImageFrame"))
        titles += " [" + Title(h) + "]";
    ASSERT_TRUE(shown) << "viewers:" << titles;
    HWND view = Descendant(frame, "ImageView");
    ASSERT_NE(view, nullptr);
    PostMessageA(view, WM_KEYDOWN, VK_NEXT, 1);
    PostMessageA(view, WM_KEYUP, VK_NEXT, 0xC0000001);
    EXPECT_TRUE(WaitFor([&] { return ShowsListed(Title(frame), "harbour.jpg", "2 of 3"); }))
        << Title(frame);
}

} // namespace
