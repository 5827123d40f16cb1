#include "imaging/operations/mode_conversions.h"

#include "imaging/image_object.h"

namespace {

uint8_t Luminance(int red, int green, int blue) {
    return static_cast<uint8_t>((54 * red + 183 * green + 19 * blue) / 256);
}

const uint8_t* SourceRow(const CImageObject* image, int y) {
    return image->bits + static_cast<size_t>(image->stride) * static_cast<size_t>(y);
}

uint8_t* DestRow(CImageObject* image, int y) {
    return image->bits + static_cast<size_t>(image->stride) * static_cast<size_t>(y);
}

int PixelBit(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

bool HasPalette(const CImageObject* image) {
    return image->palette && image->paletteCount >= 1 && image->paletteCount <= 256;
}

template <int Bytes> void GreyFromTrueColor(CImageObject* dest, const CImageObject* src) {
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = SourceRow(src, y);
        uint8_t* d = DestRow(dest, y);
        for (int x = 0; x < src->width; ++x, s += Bytes)
            d[x] = Luminance(s[2], s[1], s[0]);
    }
}

// 24-bpp rows from 32 bpp (fourth byte dropped) or from palette indices.
template <int Depth>
void RgbFromRows(CImageObject* dest, const CImageObject* src, const PaletteEntry* colors) {
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = SourceRow(src, y);
        uint8_t* d = DestRow(dest, y);
        for (int x = 0; x < src->width; ++x, d += 3) {
            if (Depth == 32) {
                d[0] = s[4 * x];
                d[1] = s[4 * x + 1];
                d[2] = s[4 * x + 2];
            } else {
                const PaletteEntry& e = colors[Depth == 8 ? s[x] : PixelBit(s, x)];
                d[0] = e.blue;
                d[1] = e.green;
                d[2] = e.red;
            }
        }
    }
}

} // namespace

bool CGrayscaleModeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    const int depth = src->bitsPerPixel;
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32)
        return false;
    // Grey of every palette index (indices past the palette take its last
    // entry), so a 1-bpp image whose palette has white at 0 stays white.
    uint8_t grey[256] = {};
    if (depth <= 8) {
        if (!HasPalette(src))
            return false;
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry e = src->PaletteAt(static_cast<uint32_t>(i));
            grey[i] = Luminance(e.red, e.green, e.blue);
        }
    }
    if (!CreateDestination(dest, src->width, src->height, 8, 256, nullptr))
        return false;
    if (depth == 24) {
        GreyFromTrueColor<3>(dest, src);
    } else if (depth == 32) {
        GreyFromTrueColor<4>(dest, src);
    } else {
        for (int y = 0; y < src->height; ++y) {
            const uint8_t* s = SourceRow(src, y);
            uint8_t* d = DestRow(dest, y);
            if (depth == 8) {
                for (int x = 0; x < src->width; ++x)
                    d[x] = grey[s[x]];
            } else {
                for (int x = 0; x < src->width; ++x)
                    d[x] = grey[PixelBit(s, x)];
            }
        }
    }
    FinishDestination(dest);
    return true;
}

bool CBitmapModeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !src->IsGrayscalePalette())
        return false;
    if (!CreateDestination(dest, src->width, src->height, 1, 2, nullptr))
        return false;
    const int width = src->width;
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = SourceRow(src, y);
        uint8_t* d = DestRow(dest, y);
        for (int x = 0; x < width; x += 8) {
            uint8_t packed = 0;
            const int n = width - x < 8 ? width - x : 8;
            for (int k = 0; k < n; ++k)
                packed |= static_cast<uint8_t>((s[x + k] > 127 ? 0x80 : 0) >> k);
            d[x >> 3] = packed;
        }
    }
    FinishDestination(dest);
    return true;
}

bool CRgbModeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    const int depth = src->bitsPerPixel;
    if (depth != 1 && depth != 8 && depth != 32)
        return false;
    if (depth <= 8 && !HasPalette(src))
        return false;
    // Colour of every index; PaletteAt takes a stray index as the last entry.
    PaletteEntry colors[256] = {};
    if (depth <= 8) {
        for (int i = 0; i < 256; ++i)
            colors[i] = src->PaletteAt(static_cast<uint32_t>(i));
    }
    if (!CreateDestination(dest, src->width, src->height, 24, 0, nullptr))
        return false;
    if (depth == 32)
        RgbFromRows<32>(dest, src, colors);
    else if (depth == 8)
        RgbFromRows<8>(dest, src, colors);
    else
        RgbFromRows<1>(dest, src, colors);
    FinishDestination(dest);
    return true;
}
