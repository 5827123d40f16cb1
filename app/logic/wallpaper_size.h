// The size of the bitmap copy that becomes the desktop wallpaper, by the
// wallpaper style, from the image's full size and the screen's size.
#pragma once

namespace wallpaper {

// The wallpaper styles of the commands; any other value removes the wallpaper.
enum Style { kCenter = 0, kTile = 1, kStretch = 2 };

struct Copy {
    int width = 0; // 0 x 0: the image is used at its own size
    int height = 0;
    int style = kCenter; // the style the system is given for the copy
};

// Centre shrinks an image larger than the screen: to fit it when only one
// side is larger, and just to cover the screen when both are. Stretch fits a
// larger image and shows that copy centred; a smaller one the system
// stretches. Tile never scales. Products are truncated.
Copy CopyFor(int style, int imageWidth, int imageHeight, int screenWidth, int screenHeight);

} // namespace wallpaper
