// The HLS adjustments (hue/saturation, colour balance keeping lightness) on
// eight pixels at a time with the 256-bit vectors of x86-64 processors that
// have them. Whether they can be used is decided at run time; each row
// function returns how many leading pixels of the row it did (0 without the
// path), leaving the rest to the per-colour functions, whose results these
// match bit for bit: the same integer formulas, and the same double
// operations in the same order (never fused).
#pragma once

#include <cstddef>
#include <cstdint>

// Tables of hue/saturation, widened for vector lookups.
struct HueSaturationWideTables {
    int32_t hue[256];   // the turned hue of each hue
    int32_t range[256]; // 256 x the range each hue falls in
    int32_t lightness[6 * 256];
    int32_t saturation[6 * 256];
    // Shortcuts that skip lookups: all six ranges have the same tables; the
    // lightness or saturation tables of every range are the identity.
    bool sharedRange;
    bool lightnessIdentity;
    bool saturationIdentity;
};

// The per-channel shifts of colour balance, widened.
struct BalanceWideTables {
    int32_t red[256];
    int32_t green[256];
    int32_t blue[256];
};

// True when this build has the path, the processor supports it, and the
// tests have not switched it off.
bool HlsWidePathEnabled();
// Lets the tests compare both paths on one machine (default allowed).
void AllowHlsWidePath(bool allowed);

// Rows of 3- or 4-byte pixels (blue, green, red, and a fourth byte that is
// copied). dest may be src, but the two must not otherwise overlap; nothing
// outside the row is written, and a 3-byte row's last pixel is never read as
// part of a vector (it may end the image).
size_t HueSaturationRowWide(uint8_t* dest, const uint8_t* src, size_t pixels, int bytesPerPixel,
                            const HueSaturationWideTables& tables);
size_t BalanceKeepLightnessRowWide(uint8_t* dest, const uint8_t* src, size_t pixels,
                                   int bytesPerPixel, const BalanceWideTables& tables);
