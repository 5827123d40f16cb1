// The four colour adjustments: brightness/contrast, colour balance,
// hue/saturation and posterize. The adjustment dialogs run them on a preview
// thread (with createDestination left at true or, to keep a bitmap that a
// window is drawing, set to false), the batch tool and the viewer's
// adjustment commands on the image shown.
//
// Shared behaviour of Apply(dest, src):
// - Sources of 8, 24 and 32 bits per pixel; any other depth, or a parameter
//   out of its range, returns false before anything is written.
// - 24/32 bpp: every pixel is mapped (the fourth byte of 32-bpp pixels is
//   copied unchanged); progress (userValue, first, 100) after every 100 rows
//   and (userValue, first, remainder) for the last 1..99 rows.
// - 8 bpp: the pixel bytes are copied and each palette entry that a pixel
//   uses is mapped once (an index at or beyond the palette count stands for
//   the last entry); unused entries keep the source's colour. Progress
//   (userValue, 0, height) once, after the palette has been pushed.
// - Neutral parameters (not posterize) copy the pixels and report
//   (userValue, 0, height).
// - The cancel flag is tested after every row: Apply then returns false.
#pragma once

#include <cstdint>

#include "imaging/operations/pixel_mapping.h"

class CBrightnessContrastOp : public CColorMapOp {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;

    // Fills the lookup table shared by red, green and blue.
    static void BuildTable(int brightness, int contrast, uint8_t table[256]);

    int32_t brightness = 0; // -100..100
    int32_t contrast = 0;   // -100..100; 100 uses the exponent 127
};

class CPosterizeOp : public CColorMapOp {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;

    static void BuildTable(int levels, uint8_t table[256]);

    int32_t levels = 4; // 2..255
};

class CColorBalanceOp : public CColorMapOp {
public:
    enum Range { kShadows = 0, kMidtones = 1, kHighlights = 2 };
    enum Axis { kCyanRed = 0, kMagentaGreen = 1, kYellowBlue = 2 };

    CColorBalanceOp();
    bool Apply(CImageObject* dest, CImageObject* src) override;

    // Fills the lookup table of one axis (0 red, 1 green, 2 blue) from the
    // current values.
    void BuildTable(int axis, uint8_t table[256]) const;

    bool preserveLuminosity = true;
    // values[axis][range], each -100.0..100.0.
    double values[3][3] = {};

private:
    // Transfer curves, fixed at construction.
    double highlightsAdd_[256];
    double shadowsSubtract_[256];
    double bell_[256]; // shadows-add, midtones-add/subtract, highlights-subtract
};

class CHueSaturationOp : public CColorMapOp {
public:
    // Index 0 is the master value; 1..6 the ranges reds, yellows, greens,
    // cyans, blues, magentas.
    enum { kRanges = 7 };

    bool Apply(CImageObject* dest, CImageObject* src) override;

    int32_t hue[kRanges] = {};        // -180..180
    int32_t saturation[kRanges] = {}; // -100..100
    int32_t lightness[kRanges] = {};  // -100..100
};
