// Parameterless tone operations: negative, histogram equalisation of the
// luminance, and grey by lightness keeping the pixel format.
//
// Apply(dest, src) accepts 8, 24 and 32 bits per pixel and refuses anything
// else before the destination is touched. The destination honours
// createDestination. 24/32-bpp pixels are mapped one by one (the fourth byte
// of 32-bpp pixels copied); 8-bpp images keep their pixel bytes and get each
// palette entry that a pixel uses mapped once (an index at or beyond the
// palette count stands for the last entry). None of them can be cancelled.
#pragma once

#include "imaging/operations/pixel_mapping.h"

// 255 - value on every channel. The progress callback (24/32 bpp only) gets
// the destination image, as a uintptr_t, in place of the user value:
// (dest, first, 100) after every 100 rows and (dest, first, remainder) for the
// last 1..99 rows.
class CInvertOp : public CColorMapOp {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};

// Histogram of Y = (9798 R + 19235 G + 3735 B) >> 15 over all pixels,
// stretched so that the darkest Y present maps to 0 and its cumulative curve
// reaches 255; the one table is applied to red, green and blue separately.
// No progress.
class CEqualizeOp : public CColorMapOp {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};

// Every colour becomes grey (max + min) / 2 on all three channels. No
// progress.
class CDesaturateOp : public CColorMapOp {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};
