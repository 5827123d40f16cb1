// Conversions of an image's pixel format: to 8-bit grey, to 1-bit black and
// white, and to 24-bit colour. The destination always gets a new bitmap of
// the new depth (createDestination is ignored), with its palette pushed and
// ready signalled before any pixel is written. A source these operations do
// not accept is refused before the destination is touched. No progress is
// reported and they cannot be cancelled.
#pragma once

#include "imaging/operations/image_operation.h"

// 8 bpp with the 256-entry grey ramp. Grey = (54 R + 183 G + 19 B) / 256 of
// each pixel (24/32 bpp) or of its palette entry (1 and 8 bpp), so a 1-bpp
// image keeps the look its palette gives it.
class CGrayscaleModeOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};

// 1 bpp, palette black and white, from an image with the exact 256-entry grey
// ramp only: bytes above 127 become white. No dithering.
class CBitmapModeOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};

// 24 bpp from 1, 8 (through the palette) or 32 bpp (fourth byte dropped); a
// 24-bpp source is refused.
class CRgbModeOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;
};
