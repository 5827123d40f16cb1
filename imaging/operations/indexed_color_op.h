// Reduction of a 24- or 32-bit image to an 8-bit palette image of at most
// colorCount colours: the viewer's "Indexed Color" command and the GIF
// writer.
//
// Apply(dest, src): the source must be 24 or 32 bpp (the fourth byte is
// ignored) and colorCount 2..256, otherwise false with the destination
// untouched. The palette is chosen by median cut over a 5-6-5 bit colour
// histogram and the pixels are mapped through an inverse colour map filled on
// demand, with Floyd-Steinberg error diffusion along serpentine rows. The
// destination is always re-created, 8 bpp at the source's size; its palette
// count is the number of colours found, raised to 2 for a one-colour image
// (entry 1 then repeats entry 0 and no pixel uses it) so that the result can
// be re-created like itself. Deterministic; no progress, no cancel.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CIndexedColorOp : public CImageOperation {
public:
    bool Apply(CImageObject* dest, CImageObject* src) override;

    int32_t colorCount = 256; // 2..256
    // 1 = error diffusion (what every caller uses); any other value maps each
    // pixel to its nearest palette colour without diffusion.
    int32_t dither = 1;
};
