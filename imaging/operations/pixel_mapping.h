// Shared engine of the colour operations that map each colour on its own
// (adjustments, invert, equalize, desaturate): 24/32-bpp images pixel by
// pixel, 8-bpp images through the palette entries their pixels use. The
// operations that are three byte tables (brightness/contrast, posterize,
// colour balance without kept lightness, invert, equalize) map whole rows
// through CChannelLookup; the others call a per-colour function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/image_object.h"
#include "imaging/operations/channel_lookup.h"
#include "imaging/operations/image_operation.h"

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
                        : src->bitsPerPixel == 32 ? MapPixels<4>(dest, src, fn, options)
                                                  : MapPixels<3>(dest, src, fn, options);
        if (ok)
            FinishDestination(dest);
        return ok;
    }

    // As MapImage, with the rows of 24/32-bpp images first given to
    // rowFn(destRow, srcRow, width, bytesPerPixel), which returns how many
    // leading pixels it mapped; fn maps the rest and every palette entry.
    template <class RowFn, class Fn>
    bool MapImageRows(CImageObject* dest, const CImageObject* src, RowFn rowFn, Fn fn,
                      const MapOptions& options) {
        if (src->bitsPerPixel == 8)
            return MapImage(dest, src, fn, options);
        const int bytes = src->bitsPerPixel / 8;
        auto mapRow = [&rowFn, &fn, bytes](uint8_t* d, const uint8_t* s, int width) {
            const size_t done = rowFn(d, s, static_cast<size_t>(width), bytes);
            d += done * static_cast<size_t>(bytes);
            s += done * static_cast<size_t>(bytes);
            for (size_t x = done; x < static_cast<size_t>(width); ++x, s += bytes, d += bytes) {
                fn(d, s);
                if (bytes == 4)
                    d[3] = s[3];
            }
        };
        if (!MapRows(dest, src, mapRow, options))
            return false;
        FinishDestination(dest);
        return true;
    }

    // Maps src into dest (same layout, already prepared) through one byte
    // table per channel; the three may be the same table.
    bool MapThroughTables(CImageObject* dest, const CImageObject* src, const uint8_t blue[256],
                          const uint8_t green[256], const uint8_t red[256],
                          const MapOptions& options) {
        if (src->bitsPerPixel == 8) {
            auto mapEntry = [blue, green, red](uint8_t* out, const uint8_t* in) {
                out[0] = blue[in[0]];
                out[1] = green[in[1]];
                out[2] = red[in[2]];
            };
            return MapImage(dest, src, mapEntry, options);
        }
        // A member rather than a local: the operation may run on a thread
        // with a small stack.
        lookup_.Prepare(blue, green, red, src->bitsPerPixel);
        const CChannelLookup& lookup = lookup_;
        auto mapRow = [&lookup](uint8_t* d, const uint8_t* s, int width) {
            lookup.MapRow(d, s, width);
        };
        if (!MapRows(dest, src, mapRow, options))
            return false;
        FinishDestination(dest);
        return true;
    }

private:
    template <int Bytes, class Fn>
    bool MapPixels(CImageObject* dest, const CImageObject* src, Fn& fn, const MapOptions& options) {
        auto mapRow = [&fn](uint8_t* d, const uint8_t* s, int width) {
            for (int x = 0; x < width; ++x, s += Bytes, d += Bytes) {
                fn(d, s);
                if (Bytes == 4)
                    d[3] = s[3];
            }
        };
        return MapRows(dest, src, mapRow, options);
    }

    // rowFn(destRow, srcRow, width) maps one row of pixels.
    template <class RowFn>
    bool MapRows(CImageObject* dest, const CImageObject* src, RowFn& rowFn,
                 const MapOptions& options) {
        const size_t stride = static_cast<size_t>(src->stride);
        for (int y = 0; y < src->height; ++y) {
            const size_t offset = stride * static_cast<size_t>(y);
            rowFn(dest->bits + offset, src->bits + offset, src->width);
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

    CChannelLookup lookup_;
};
