#include "imaging/operations/resize_op.h"

#include <cstring>
#include <exception>
#include <vector>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

// Area-averaging resampler.
//
// Every source pixel covers W / sw of an output pixel horizontally and
// H / sh vertically; an output value is the coverage-weighted sum of the
// source values under it, all in doubles, channel by channel (blue, green,
// red and, for 32 bpp, the fourth byte). The two axes are separable and run
// vertically first, one output row at a time:
//
// - Vertical: the weight still unused of the current source row (sy) is
//   spent on the output row being built until that row's span of 1.0 is
//   full; the source row that fills the rest is shared with the next output
//   row. The vertical value is rounded to a whole number (v + 0.5, then
//   truncated; 255 above 255) before the horizontal pass, so a uniform image
//   stays uniform instead of gaining half a level on each axis.
// - Horizontal: the same walk along the row with W / sw per source pixel.
//   Floating-point residue can make the walk want to begin an output pixel
//   past the last one: it never does, so no write leaves the row.
//
// An axis whose size does not change passes its values through untouched.
namespace {

inline uint8_t StoreValue(double v) {
    return v > 255.0 ? uint8_t{255} : static_cast<uint8_t>(static_cast<int>(v + 0.5));
}

template <int C> void ResampleRow(uint8_t* out, const uint8_t* in, int32_t sw, int32_t w) {
    if (sw == w) {
        std::memcpy(out, in, static_cast<size_t>(w) * C);
        return;
    }
    const double step = static_cast<double>(w) / sw;
    double spanx = 1.0;
    double sum[C] = {};
    int32_t index = 0;
    bool finished = false;
    uint8_t* px = out;
    const uint8_t* s = in;
    for (int32_t k = 0; k < sw; ++k, s += C) {
        double sx = step;
        while (sx >= spanx) {
            if (finished) {
                if (index + 1 >= w)
                    return;
                ++index;
                px += C;
                for (int c = 0; c < C; ++c)
                    sum[c] = 0.0;
            }
            for (int c = 0; c < C; ++c) {
                sum[c] += spanx * s[c];
                px[c] = StoreValue(sum[c]);
            }
            sx -= spanx;
            spanx = 1.0;
            finished = true;
        }
        if (sx > 0.0) {
            if (finished) {
                if (index + 1 >= w)
                    return;
                ++index;
                px += C;
                for (int c = 0; c < C; ++c)
                    sum[c] = 0.0;
                finished = false;
            }
            for (int c = 0; c < C; ++c)
                sum[c] += sx * s[c];
            spanx -= sx;
        }
    }
    if (!finished) {
        const uint8_t* last = in + static_cast<size_t>(sw - 1) * C;
        for (int c = 0; c < C; ++c) {
            if (spanx > 0.0)
                sum[c] += spanx * last[c];
            px[c] = StoreValue(sum[c]);
        }
    }
}

// dest is already w x h with C bytes per pixel.
template <int C> bool Resample(CImageObject* dest, const CImageObject* src, int32_t w, int32_t h) {
    const int32_t sw = src->width;
    const int32_t sh = src->height;

    const size_t values = static_cast<size_t>(sw) * C;
    std::vector<double> acc;
    std::vector<uint8_t> column;
    if (sh != h) {
        try {
            acc.assign(values, 0.0);
            column.resize(values);
        } catch (const std::exception&) {
            return false;
        }
    }

    const double yStep = static_cast<double>(h) / sh;
    double sy = yStep;
    bool wantRow = true;
    int32_t nextRow = 0;
    const uint8_t* cur = nullptr;
    for (int32_t j = 0; j < h; ++j) {
        const uint8_t* rowIn;
        if (sh == h) {
            rowIn = geometry::RowAt(src, j);
        } else {
            double span = 1.0;
            while (sy < span) {
                if (wantRow && nextRow < sh)
                    cur = geometry::RowAt(src, nextRow++);
                for (size_t k = 0; k < values; ++k)
                    acc[k] += sy * cur[k];
                span -= sy;
                sy = yStep;
                wantRow = true;
            }
            if (wantRow && nextRow < sh) {
                cur = geometry::RowAt(src, nextRow++);
                wantRow = false;
            }
            if (span == 1.0) {
                // Nothing accumulated: the output row is this source row.
                rowIn = cur;
            } else {
                for (size_t k = 0; k < values; ++k) {
                    column[k] = StoreValue(acc[k] + span * cur[k]);
                    acc[k] = 0.0;
                }
                rowIn = column.data();
            }
            sy -= span;
            if (sy <= 0.0) {
                sy = yStep;
                wantRow = true;
            }
        }
        ResampleRow<C>(geometry::RowAt(dest, j), rowIn, sw, w);
    }
    return true;
}

// Largest double that converts to int32_t without overflow, plus one.
constexpr double kIntLimit = 2147483648.0;

} // namespace

bool CImageSizeOp::TargetSize(const CImageObject* src, int32_t* targetWidth,
                              int32_t* targetHeight) const {
    if (mode == kExactSize) {
        *targetWidth = width;
        *targetHeight = height;
        return true;
    }
    if (mode == kPercent) {
        const double f = percent * 0.01;
        const double w = f * src->width;
        const double h = f * src->height;
        if (!(w >= 0.0 && w < kIntLimit && h >= 0.0 && h < kIntLimit))
            return false;
        *targetWidth = static_cast<int32_t>(w);
        *targetHeight = static_cast<int32_t>(h);
        return true;
    }
    if (mode < kFitBox || mode > kEnlargeToBox)
        return false;
    const int32_t fw = src->fullWidth;
    const int32_t fh = src->fullHeight;
    if (fw <= 0 || fh <= 0 || width <= 0 || height <= 0)
        return false;
    if (mode == kShrinkToBox && width >= fw && height >= fh)
        return false;
    if (mode == kEnlargeToBox && fw >= width && fh >= height)
        return false;
    const double ex = static_cast<double>(width) / fw;
    const double ey = static_cast<double>(height) / fh;
    // The side along the tighter ratio takes the box's size; the other is
    // scaled by that ratio, so it stays within the box and fits an int.
    if (ey > ex) {
        *targetWidth = width;
        *targetHeight = static_cast<int32_t>(ex * fh);
    } else {
        *targetHeight = height;
        *targetWidth = static_cast<int32_t>(fw * ey);
    }
    if (*targetWidth < 1)
        *targetWidth = 1;
    if (*targetHeight < 1)
        *targetHeight = 1;
    return true;
}

bool CImageSizeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    int32_t w = 0;
    int32_t h = 0;
    if (!TargetSize(src, &w, &h) || w <= 0 || h <= 0)
        return false;
    dest->notLoaded = false;

    const CImageObject* input = src;
    CImageObject expanded;
    if (src->bitsPerPixel == 1 || src->bitsPerPixel == 8) {
        const bool ok = src->bitsPerPixel == 1 ? ExpandBitmapTo24(&expanded, src)
                                               : ExpandIndexedTo24(&expanded, src);
        if (!ok)
            return false;
        input = &expanded;
    } else if (src->bitsPerPixel != 24 && src->bitsPerPixel != 32) {
        return false;
    }

    const int32_t depth = input->bitsPerPixel;
    if (!CreateDestination(dest, w, h, depth, 0, nullptr))
        return false;
    const bool ok = depth == 32 ? Resample<4>(dest, input, w, h) : Resample<3>(dest, input, w, h);
    if (!ok)
        return false;
    FinishDestination(dest);
    return true;
}
