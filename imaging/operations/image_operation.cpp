#include "imaging/operations/image_operation.h"

#include <cstring>

#include "imaging/image_object.h"

void CImageOperation::ReportProgress(int firstRow, int rowCount) const {
    if (progress)
        progress(userValue, firstRow, rowCount);
}

void CImageOperation::ReportRowDone(uintptr_t value, int row, int height) const {
    if (!progress)
        return;
    const int done = row + 1;
    if (done % kProgressRows == 0)
        progress(value, done - kProgressRows, kProgressRows);
    else if (done == height)
        progress(value, done - done % kProgressRows, done % kProgressRows);
}

bool CImageOperation::CheckPair(const CImageObject* dest, const CImageObject* src) {
    return dest && src && dest != src && src->bits && src->width > 0 && src->height > 0;
}

bool CImageOperation::PrepareDestination(CImageObject* dest, const CImageObject* src) const {
    if (createDestination) {
        if (!dest->CreateLike(src))
            return false;
    } else {
        // The caller's bitmap is kept (a window may be drawing it), so it must
        // already have the source's exact layout.
        if (!dest->bits || dest->width != src->width || dest->height != src->height ||
            dest->bitsPerPixel != src->bitsPerPixel || dest->stride != src->stride ||
            dest->paletteCount != src->paletteCount)
            return false;
        if (src->paletteCount > 0 && (!dest->palette || !src->palette))
            return false;
        dest->CopyPalette(src);
    }
    if (!dest->UpdateColorTable())
        return false;
    dest->SignalReady();
    return true;
}

bool CImageOperation::CreateDestination(CImageObject* dest, int width, int height, int bitsPerPixel,
                                        int paletteCount, const PaletteEntry* palette) {
    if (!dest->Create(width, height, bitsPerPixel, paletteCount))
        return false;
    if (palette && dest->palette && dest->paletteCount > 0)
        std::memcpy(dest->palette, palette,
                    static_cast<size_t>(dest->paletteCount) * sizeof(PaletteEntry));
    if (!dest->UpdateColorTable())
        return false;
    dest->SignalReady();
    return true;
}

void CImageOperation::FinishDestination(CImageObject* dest) {
    dest->rowsDecoded = dest->height;
    dest->SetComplete();
}
