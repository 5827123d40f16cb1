#include "app/logic/wallpaper_size.h"

#include <gtest/gtest.h>

namespace {

using wallpaper::CopyFor;

TEST(WallpaperSize, EachStyleScalesOnlyWhatTheScreenCannotHold) {
    struct Case {
        const char* name;
        int style, w, h, screenW, screenH;
        int width, height, shownStyle;
    } cases[] = {
        {"a wide image is centred fitted to the width", wallpaper::kCenter, 2000, 500, 1024, 768,
         1024, 256, wallpaper::kCenter},
        {"a tall image is centred fitted to the height", wallpaper::kCenter, 500, 2000, 1024, 768,
         192, 768, wallpaper::kCenter},
        {"a square image larger both ways covers the screen", wallpaper::kCenter, 2048, 2048, 1024,
         768, 1024, 1024, wallpaper::kCenter},
        {"a wide image larger both ways covers the height", wallpaper::kCenter, 4000, 1000, 1024,
         768, 3072, 768, wallpaper::kCenter},
        {"an image the screen holds is used unscaled", wallpaper::kCenter, 800, 600, 1024, 768, 0,
         0, wallpaper::kCenter},
        {"an image of the screen's size is used unscaled", wallpaper::kCenter, 1024, 768, 1024, 768,
         0, 0, wallpaper::kCenter},
        {"stretch of a larger image shows a fitted copy centred", wallpaper::kStretch, 2000, 500,
         1024, 768, 1024, 256, wallpaper::kCenter},
        {"stretch of an image larger both ways only fits it", wallpaper::kStretch, 2048, 2048, 1024,
         768, 768, 768, wallpaper::kCenter},
        {"stretch of a smaller image is left to the system", wallpaper::kStretch, 640, 480, 1024,
         768, 0, 0, wallpaper::kStretch},
        {"tile never scales", wallpaper::kTile, 2000, 500, 1024, 768, 0, 0, wallpaper::kTile},
        {"products are truncated", wallpaper::kCenter, 3000, 700, 1024, 768, 1024, 238,
         wallpaper::kCenter},
        {"an image without a size is left alone", wallpaper::kCenter, 0, 500, 1024, 768, 0, 0,
         wallpaper::kCenter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const wallpaper::Copy copy = CopyFor(c.style, c.w, c.h, c.screenW, c.screenH);
        EXPECT_EQ(c.width, copy.width);
        EXPECT_EQ(c.height, copy.height);
        EXPECT_EQ(c.shownStyle, copy.style);
    }
}

} // namespace
