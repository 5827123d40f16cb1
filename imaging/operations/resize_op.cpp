#include "imaging/operations/resize_op.h"

#include <algorithm>
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

// The same value as v > 255 ? 255 : int(v + 0.5) for every v >= 0 (weights
// and samples are never negative), written so that a loop of it vectorises.
inline uint8_t StoreValue(double v) {
    const double r = v + 0.5;
    return static_cast<uint8_t>(static_cast<int>(r < 255.0 ? r : 255.0));
}

// The horizontal walk depends only on the two widths, so it is made once per
// image as a plan: for each output pixel, the source pixels under it and their
// weights in the order the walk adds them; every row then replays the plan.
struct Contribution {
    int32_t source; // byte offset of the source pixel in the row
    double weight;
};

struct RowPlan {
    std::vector<Contribution> contributions;
    std::vector<int32_t> firstOf; // per output pixel, w + 1 entries
};

template <int C> bool MakeRowPlan(int32_t sw, int32_t w, RowPlan* plan) {
    try {
        plan->contributions.reserve(static_cast<size_t>(sw) + static_cast<size_t>(w) + 1);
        plan->firstOf.assign(static_cast<size_t>(w) + 1, 0);
    } catch (const std::exception&) {
        return false;
    }
    std::vector<Contribution>& list = plan->contributions;
    int32_t* firstOf = plan->firstOf.data();
    // Marks output pixel index as complete: its contributions end here.
    int32_t done = 0;
    auto finish = [&](int32_t index) {
        while (done <= index) {
            firstOf[++done] = static_cast<int32_t>(list.size());
        }
    };
    // The walk as the resampler has always taken it; floating-point residue
    // can make it want to begin a pixel past the last one, where it stops.
    auto walk = [&] {
        const double step = static_cast<double>(w) / sw;
        double spanx = 1.0;
        int32_t index = 0;
        bool finished = false;
        for (int32_t k = 0; k < sw; ++k) {
            double sx = step;
            while (sx >= spanx) {
                if (finished) {
                    if (index + 1 >= w)
                        return;
                    ++index;
                }
                list.push_back({k * C, spanx});
                finish(index);
                sx -= spanx;
                spanx = 1.0;
                finished = true;
            }
            if (sx > 0.0) {
                if (finished) {
                    if (index + 1 >= w)
                        return;
                    ++index;
                    finished = false;
                }
                list.push_back({k * C, sx});
                spanx -= sx;
            }
        }
        if (!finished) {
            if (spanx > 0.0)
                list.push_back({(sw - 1) * C, spanx});
            finish(index);
        }
    };
    // At most one contribution per source pixel that ends inside an output
    // pixel, one per output pixel finished, and the last: the reserve holds.
    walk();
    // Pixels the walk never reached get no contributions.
    finish(w - 1);
    return true;
}

template <int C> void ResampleRow(uint8_t* out, const uint8_t* in, const RowPlan& plan, int32_t w) {
    const Contribution* list = plan.contributions.data();
    const int32_t* firstOf = plan.firstOf.data();
    for (int32_t i = 0; i < w; ++i, out += C) {
        const int32_t begin = firstOf[i];
        const int32_t end = firstOf[i + 1];
        // A pixel the walk never reached keeps what the new image holds.
        if (begin == end)
            continue;
        double sum[C] = {};
        for (int32_t e = begin; e < end; ++e) {
            const uint8_t* s = in + list[e].source;
            const double weight = list[e].weight;
            for (int c = 0; c < C; ++c)
                sum[c] += weight * s[c];
        }
        for (int c = 0; c < C; ++c)
            out[c] = StoreValue(sum[c]);
    }
}

// dest is already w x h with C bytes per pixel.
template <int C> bool Resample(CImageObject* dest, const CImageObject* src, int32_t w, int32_t h) {
    const int32_t sw = src->width;
    const int32_t sh = src->height;

    const size_t values = static_cast<size_t>(sw) * C;
    std::vector<double> acc;
    std::vector<uint8_t> column;
    RowPlan plan;
    if (sw != w && !MakeRowPlan<C>(sw, w, &plan))
        return false;
    if (sh != h) {
        try {
            acc.assign(values, 0.0);
            column.resize(values);
        } catch (const std::exception&) {
            return false;
        }
    }
    double* const sums = acc.data();
    uint8_t* const rounded = column.data();

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
                const uint8_t* const row = cur;
                const double weight = sy;
                for (size_t k = 0; k < values; ++k)
                    sums[k] += weight * row[k];
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
                const uint8_t* const row = cur;
                const double weight = span;
                for (size_t k = 0; k < values; ++k)
                    rounded[k] = StoreValue(sums[k] + weight * row[k]);
                std::fill(acc.begin(), acc.end(), 0.0);
                rowIn = rounded;
            }
            sy -= span;
            if (sy <= 0.0) {
                sy = yStep;
                wantRow = true;
            }
        }
        uint8_t* const out = geometry::RowAt(dest, j);
        if (sw == w)
            std::memcpy(out, rowIn, values);
        else
            ResampleRow<C>(out, rowIn, plan, w);
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
