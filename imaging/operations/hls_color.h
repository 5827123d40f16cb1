// Integer hue, lightness and saturation on a 0..255 scale, shared by the
// colour balance and hue/saturation adjustments.
#pragma once

#include <cstdint>

struct HlsColor {
    int hue;        // 0..255; 170 for greys
    int lightness;  // 0..255
    int saturation; // 0..255; 0 for greys
};

struct RgbColor {
    int red;
    int green;
    int blue;
};

// Integer conversion; channels must be 0..255.
HlsColor RgbToHls(int red, int green, int blue);

// Double-precision conversion back; each channel is the value times 255,
// truncated, and always lies in 0..255 for inputs in 0..255.
RgbColor HlsToRgb(int hue, int lightness, int saturation);

// (max + min) / 2 of the three channels, truncated.
int RgbLightness(int red, int green, int blue);
