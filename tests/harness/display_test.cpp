// The Windows tests need a display whose depth is at least 24 bits: on an 8-bit
// X screen "screen-compatible" bitmaps become palettised and every drawing test
// would compare against the wrong pixels.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Display, WindowsCanBeCreatedOnATrueColourScreen) {
    HWND window = CreateWindowA("STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HDC screen = GetDC(nullptr);
    EXPECT_GE(GetDeviceCaps(screen, BITSPIXEL), 24);
    ReleaseDC(nullptr, screen);
    DestroyWindow(window);
}
