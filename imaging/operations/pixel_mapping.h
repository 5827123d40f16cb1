// Shared engine of the colour operations that map each colour on its own
// (adjustments, invert, equalize, desaturate): 24/32-bpp images pixel by
// pixel, 8-bpp images through the palette entries their pixels use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/image_object.h"
#include "imaging/operations/image_operation.h"

// Wraps a costly per-colour mapping (one that goes through HLS) so that a run
// of equal pixels is mapped once.
template <class Fn> struct RepeatCache {
    Fn fn;
    uint32_t lastKey = 0xFFFFFFFFu; // no 24-bit colour has this key
    uint8_t lastOut[3] = {};

    void operator()(uint8_t* out, const uint8_t* in) {
        const uint32_t key = in[0] | (in[1] << 8) | (static_cast<uint32_t>(in[2]) << 16);
        if (key != lastKey) {
            fn(lastOut, in);
            lastKey = key;
        }
        out[0] = lastOut[0];
        out[1] = lastOut[1];
        out[2] = lastOut[2];
    }
};

template <class Fn> RepeatCache<Fn> CacheRepeats(Fn fn) {
    return RepeatCache<Fn>{fn};
}

class CColorMapOp : public CImageOperation {
public:
    struct MapOptions {
        bool cancellable;     // test the cancel flag after every row
        bool rowProgress;     // 24/32 bpp: report every 100 rows and the remainder
        uintptr_t rowValue;   // first argument of those reports
        bool paletteProgress; // 8 bpp: report (userValue, 0, height) once
    };

protected:
    static bool IsMappableDepth(int bitsPerPixel) {
        return bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
    }

    // The index table of an 8-bpp image: entry i is i, or the last palette
    // entry for indices the palette does not have.
    static void BuildIndexClamp(const CImageObject* src, uint8_t clamp[256]) {
        const int last = src->paletteCount - 1;
        for (int i = 0; i < 256; ++i)
            clamp[i] = static_cast<uint8_t>(i <= last ? i : last);
    }

    // Copies the pixel bytes of an image of the same layout.
    static void CopyPixels(CImageObject* dest, const CImageObject* src) {
        std::memcpy(dest->bits, src->bits,
                    static_cast<size_t>(src->stride) * static_cast<size_t>(src->height));
    }

    // The neutral-parameter shortcut: the pixels are copied unchanged.
    bool CopyUnchanged(CImageObject* dest, const CImageObject* src) {
        CopyPixels(dest, src);
        ReportProgress(0, dest->height);
        FinishDestination(dest);
        return true;
    }

    // Maps src into dest (same layout, already prepared). fn(out, in) writes
    // blue, green, red of out (3 bytes) from those of in; `in` and `out` are
    // pixels or palette entries, which share the byte order.
    template <class Fn>
    bool MapImage(CImageObject* dest, const CImageObject* src, Fn fn, const MapOptions& options) {
        const bool ok = src->bitsPerPixel == 8    ? MapPalette(dest, src, fn, options)
                        : src->bitsPerPixel == 32 ? MapRows<4>(dest, src, fn, options)
                                                  : MapRows<3>(dest, src, fn, options);
        if (ok)
            FinishDestination(dest);
        return ok;
    }

private:
    template <int Bytes, class Fn>
    bool MapRows(CImageObject* dest, const CImageObject* src, Fn& fn, const MapOptions& options) {
        const size_t stride = static_cast<size_t>(src->stride);
        const int width = src->width;
        for (int y = 0; y < src->height; ++y) {
            const uint8_t* s = src->bits + stride * static_cast<size_t>(y);
            uint8_t* d = dest->bits + stride * static_cast<size_t>(y);
            for (int x = 0; x < width; ++x, s += Bytes, d += Bytes) {
                fn(d, s);
                if (Bytes == 4)
                    d[3] = s[3];
            }
            if (options.rowProgress)
                ReportRowDone(options.rowValue, y, src->height);
            if (options.cancellable && IsCancelled())
                return false;
        }
        return true;
    }

    template <class Fn>
    bool MapPalette(CImageObject* dest, const CImageObject* src, Fn& fn,
                    const MapOptions& options) {
        const int count = src->paletteCount;
        if (count < 1 || count > 256 || !src->palette || !dest->palette)
            return false;
        CopyPixels(dest, src);
        uint8_t clamp[256];
        BuildIndexClamp(src, clamp);
        bool seen[256] = {};
        int distinct = 0;
        const size_t stride = static_cast<size_t>(src->stride);
        for (int y = 0; y < src->height; ++y) {
            const uint8_t* row = src->bits + stride * static_cast<size_t>(y);
            for (int x = 0; x < src->width && distinct < count; ++x) {
                const uint8_t index = clamp[row[x]];
                if (seen[index])
                    continue;
                seen[index] = true;
                ++distinct;
                fn(reinterpret_cast<uint8_t*>(&dest->palette[index]),
                   reinterpret_cast<const uint8_t*>(&src->palette[index]));
            }
            if (options.cancellable && IsCancelled())
                return false;
        }
        if (!dest->UpdateColorTable())
            return false;
        if (options.paletteProgress) {
            ReportProgress(0, dest->height);
            if (!dest->UpdateColorTable())
                return false;
        }
        return true;
    }
};
