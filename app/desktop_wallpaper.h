// Where the wallpaper's bitmap copy is written.
#pragma once

#include <string>

// "<Windows folder>\<user>'s Wallpaper - Velmorantix XP.bmp"; empty when the
// Windows folder is not known.
std::string WallpaperBitmapPath();
