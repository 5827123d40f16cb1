// Free functions that belong with the image: fitting a size into a box,
// expanding 1- and 8-bpp images, drawing a metafile into a bitmap.
#include "imaging/image_object.h"

#include <cstring>

double FitSizeIntoBox(int32_t imageWidth, int32_t imageHeight, int32_t* boxWidth,
                      int32_t* boxHeight) {
    if (!boxWidth || !boxHeight)
        return 0.0;
    // An empty image has no shape to fit: dividing by its size would give
    // infinities and wrapped sizes.
    if (imageWidth <= 0 || imageHeight <= 0) {
        *boxWidth = 0;
        *boxHeight = 0;
        return 0.0;
    }
    double sx = static_cast<double>(*boxWidth) / imageWidth;
    double sy = static_cast<double>(*boxHeight) / imageHeight;
    double scale;
    if (sx > 1.0 && sy > 1.0) {
        *boxWidth = imageWidth;
        *boxHeight = imageHeight;
        return 1.0; // never enlarged
    } else if (sx > sy) {
        *boxWidth = static_cast<int32_t>(sy * imageWidth + 0.5);
        scale = sy;
    } else if (sx < sy) {
        *boxHeight = static_cast<int32_t>(sx * imageHeight + 0.5);
        scale = sx;
    } else {
        *boxWidth = static_cast<int32_t>(sx * imageWidth + 0.5);
        *boxHeight = static_cast<int32_t>(sx * imageHeight + 0.5);
        scale = sx;
    }
    // A thin image keeps at least one pixel on its short side.
    if (*boxWidth < 1)
        *boxWidth = 1;
    if (*boxHeight < 1)
        *boxHeight = 1;
    return scale;
}

namespace {

bool IsUsableSource(const CImageObject* destination, const CImageObject* source,
                    int32_t bitsPerPixel) {
    return destination && source && destination != source && source->bitsPerPixel == bitsPerPixel &&
           source->bits && source->width > 0 && source->height > 0;
}

void FinishDecoded(CImageObject* image) {
    image->rowsDecoded = image->height;
    image->SignalReady();
    image->SetComplete();
}

inline int BitAt(const uint8_t* row, int32_t x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

} // namespace

bool ExpandBitmapTo8(CImageObject* destination, const CImageObject* source) {
    if (!IsUsableSource(destination, source, 1))
        return false;
    if (!destination->Create(source->width, source->height, 8, 0))
        return false;
    for (int i = 0; i < 2; ++i) {
        PaletteEntry e = source->PaletteAt(static_cast<uint32_t>(i));
        destination->SetPaletteEntry(i, e.red, e.green, e.blue, 255);
    }
    if (!destination->UpdateColorTable())
        return false;
    for (int32_t y = 0; y < source->height; ++y) {
        const uint8_t* from = source->GetRow(y, true);
        uint8_t* to = destination->GetRow(y, true);
        for (int32_t x = 0; x < source->width; ++x)
            to[x] = static_cast<uint8_t>(BitAt(from, x));
    }
    FinishDecoded(destination);
    return true;
}

bool ExpandBitmapTo24(CImageObject* destination, const CImageObject* source) {
    if (!IsUsableSource(destination, source, 1))
        return false;
    if (!destination->Create(source->width, source->height, 24, 0) ||
        !destination->UpdateColorTable())
        return false;
    PaletteEntry colours[2] = {source->PaletteAt(0), source->PaletteAt(1)};
    for (int32_t y = 0; y < source->height; ++y) {
        const uint8_t* from = source->GetRow(y, true);
        uint8_t* to = destination->GetRow(y, true);
        for (int32_t x = 0; x < source->width; ++x, to += 3) {
            const PaletteEntry& c = colours[BitAt(from, x)];
            to[0] = c.blue;
            to[1] = c.green;
            to[2] = c.red;
        }
    }
    FinishDecoded(destination);
    return true;
}

bool ExpandIndexedTo24(CImageObject* destination, const CImageObject* source) {
    if (!IsUsableSource(destination, source, 8))
        return false;
    if (!destination->Create(source->width, source->height, 24, 0) ||
        !destination->UpdateColorTable())
        return false;
    // A table of all 256 indexes: stray indexes take the last entry.
    PaletteEntry colours[256];
    for (uint32_t i = 0; i < 256; ++i)
        colours[i] = source->PaletteAt(i);
    for (int32_t y = 0; y < source->height; ++y) {
        const uint8_t* from = source->GetRow(y, true);
        uint8_t* to = destination->GetRow(y, true);
        for (int32_t x = 0; x < source->width; ++x, to += 3) {
            const PaletteEntry& c = colours[from[x]];
            to[0] = c.blue;
            to[1] = c.green;
            to[2] = c.red;
        }
    }
    FinishDecoded(destination);
    return true;
}

bool RenderMetafileToImage(int32_t width, int32_t height, PaletteEntry background,
                           CImageObject* image) {
    if (!image)
        return false;
    if (!image->Create(width, height, 24, 0))
        return false;
    return plat::RenderMetafileInto(image->bitmap, width, height, background.blue, background.green,
                                    background.red, image->metafile);
}
