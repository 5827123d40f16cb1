// CImageObject: rows, frames and rectangle operations.
#include "imaging/image_object.h"

#include <cstring>
#include <new>

namespace {

int32_t BytesPerPixel(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 8:
        return 1;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0; // rectangles of 1-bpp images are not byte-aligned: refused
    }
}

// The shared checks of CopyRect and CopyRectTransparent: both rectangles lie
// inside their images (computed wide, negative values refused) and both images
// hold pixels of the same byte-sized depth.
bool RectanglesFit(const CImageObject* destination, int32_t destX, int32_t destY, int32_t width,
                   int32_t height, const CImageObject* source, int32_t sourceX, int32_t sourceY) {
    if (!source || !destination->bits || !source->bits)
        return false;
    if (destX < 0 || destY < 0 || sourceX < 0 || sourceY < 0 || width < 0 || height < 0)
        return false;
    if (static_cast<int64_t>(destX) + width > destination->width ||
        static_cast<int64_t>(destY) + height > destination->height ||
        static_cast<int64_t>(sourceX) + width > source->width ||
        static_cast<int64_t>(sourceY) + height > source->height)
        return false;
    return destination->bitsPerPixel == source->bitsPerPixel &&
           BytesPerPixel(destination->bitsPerPixel) != 0;
}

} // namespace

uint8_t* CImageObject::GetRow(int32_t row, bool topDownOrder) const {
    if (!bits || row < 0 || row >= height)
        return nullptr;
    int32_t storageRow = topDownOrder ? row : height - 1 - row;
    return bits + static_cast<size_t>(storageRow) * static_cast<size_t>(stride);
}

CImageObject* CImageObject::GetFrame(int32_t index) {
    if (index == 0)
        return this;
    if (index < 0 || index > FrameCount())
        return nullptr;
    return frames[static_cast<size_t>(index) - 1];
}

bool CImageObject::AddFrame(CImageObject* frame) {
    if (!frame || frame == this)
        return false;
    try {
        frames.push_back(frame);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CImageObject::Fill(PaletteEntry colour) {
    if (!bits)
        return false;
    switch (bitsPerPixel) {
    case 8: {
        int32_t index = FindPaletteEntry(colour);
        if (index < 0)
            return false;
        for (int32_t y = 0; y < height; ++y)
            memset(GetRow(y, true), index, static_cast<size_t>(width));
        return true;
    }
    case 24:
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* p = GetRow(y, true);
            for (int32_t x = 0; x < width; ++x, p += 3) {
                p[0] = colour.blue;
                p[1] = colour.green;
                p[2] = colour.red;
            }
        }
        return true;
    case 32:
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* p = GetRow(y, true);
            for (int32_t x = 0; x < width; ++x, p += 4)
                memcpy(p, &colour, 4);
        }
        return true;
    default:
        return false;
    }
}

bool CImageObject::CopyRect(int32_t destX, int32_t destY, int32_t rectWidth, int32_t rectHeight,
                            const CImageObject* source, int32_t sourceX, int32_t sourceY) {
    if (!RectanglesFit(this, destX, destY, rectWidth, rectHeight, source, sourceX, sourceY))
        return false;
    size_t pixelBytes = static_cast<size_t>(BytesPerPixel(bitsPerPixel));
    size_t rowBytes = pixelBytes * static_cast<size_t>(rectWidth);
    for (int32_t y = 0; y < rectHeight; ++y) {
        uint8_t* to = GetRow(destY + y, true) + pixelBytes * static_cast<size_t>(destX);
        const uint8_t* from =
            source->GetRow(sourceY + y, true) + pixelBytes * static_cast<size_t>(sourceX);
        memmove(to, from, rowBytes); // the images may be one and the same
    }
    return true;
}

bool CImageObject::CopyRectTransparent(int32_t destX, int32_t destY, int32_t rectWidth,
                                       int32_t rectHeight, const CImageObject* source,
                                       int32_t sourceX, int32_t sourceY, PaletteEntry colour,
                                       int32_t transparentIndex) {
    if (!RectanglesFit(this, destX, destY, rectWidth, rectHeight, source, sourceX, sourceY))
        return false;
    if (bitsPerPixel == 8) {
        int32_t skip = transparentIndex;
        if (skip == -1) {
            skip =
                source->FindPaletteEntry(PaletteEntry{colour.blue, colour.green, colour.red, 255});
            if (skip < 0)
                return false;
        }
        for (int32_t y = 0; y < rectHeight; ++y) {
            uint8_t* to = GetRow(destY + y, true) + destX;
            const uint8_t* from = source->GetRow(sourceY + y, true) + sourceX;
            for (int32_t x = 0; x < rectWidth; ++x) {
                if (from[x] != skip)
                    to[x] = from[x];
            }
        }
        return true;
    }
    size_t pixelBytes = static_cast<size_t>(BytesPerPixel(bitsPerPixel));
    for (int32_t y = 0; y < rectHeight; ++y) {
        uint8_t* to = GetRow(destY + y, true) + pixelBytes * static_cast<size_t>(destX);
        const uint8_t* from =
            source->GetRow(sourceY + y, true) + pixelBytes * static_cast<size_t>(sourceX);
        for (int32_t x = 0; x < rectWidth; ++x, to += pixelBytes, from += pixelBytes) {
            // The fourth byte of 32-bpp pixels is copied but never compared.
            if (from[0] == colour.blue && from[1] == colour.green && from[2] == colour.red)
                continue;
            memcpy(to, from, pixelBytes);
        }
    }
    return true;
}
