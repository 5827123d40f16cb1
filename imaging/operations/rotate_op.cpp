#include "imaging/operations/rotate_op.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

namespace {

// Quarter turns walk the destination in square tiles so that the source
// column being read stays in cache across the rows of one tile.
constexpr int32_t kTile = 64;

// Destination pixel (i, j) is the source pixel at base + j * jStep + i * iStep
// bytes: clockwise, (i, j) <- (x = j, y = h-1-i); anticlockwise,
// (i, j) <- (x = w-1-j, y = i).
template <int Bytes> void QuarterTurn(CImageObject* dest, const CImageObject* src, bool clockwise) {
    const ptrdiff_t stride = src->stride;
    const uint8_t* base;
    ptrdiff_t jStep;
    ptrdiff_t iStep;
    if (clockwise) {
        base = src->bits + static_cast<ptrdiff_t>(src->height - 1) * stride;
        jStep = Bytes;
        iStep = -stride;
    } else {
        base = src->bits + static_cast<ptrdiff_t>(src->width - 1) * Bytes;
        jStep = -Bytes;
        iStep = stride;
    }
    const int32_t dw = dest->width;
    const int32_t dh = dest->height;
    for (int32_t j0 = 0; j0 < dh; j0 += kTile) {
        const int32_t jEnd = std::min(dh, j0 + kTile);
        for (int32_t i0 = 0; i0 < dw; i0 += kTile) {
            const int32_t count = std::min(dw, i0 + kTile) - i0;
            for (int32_t j = j0; j < jEnd; ++j) {
                uint8_t* d = geometry::RowAt(dest, j) + static_cast<ptrdiff_t>(i0) * Bytes;
                const uint8_t* s = base + j * jStep + i0 * iStep;
                for (int32_t n = 0; n < count; ++n, d += Bytes, s += iStep) {
                    d[0] = s[0];
                    if (Bytes >= 3) {
                        d[1] = s[1];
                        d[2] = s[2];
                    }
                    if (Bytes == 4)
                        d[3] = s[3];
                }
            }
        }
    }
}

void QuarterTurnBits(CImageObject* dest, const CImageObject* src, bool clockwise) {
    const int32_t w = src->width;
    const int32_t h = src->height;
    const size_t rowBytes = geometry::RowBytes(dest->width, 1);
    for (int32_t j = 0; j < dest->height; ++j) {
        uint8_t* d = geometry::RowAt(dest, j);
        std::memset(d, 0, rowBytes);
        for (int32_t i = 0; i < dest->width; ++i) {
            const int32_t x = clockwise ? j : w - 1 - j;
            const int32_t y = clockwise ? h - 1 - i : i;
            if (geometry::GetBit(geometry::RowAt(src, y), x))
                geometry::SetBit(d, i, true);
        }
    }
}

// The inverse map of the general path for one destination pixel; source
// coordinates are truncated toward zero after adding 0.5.
struct InverseMap {
    double c, s;
    int64_t minX, minY;
    int64_t w, h;

    // Source pixel of destination (i, j), or false when it falls outside.
    bool Source(int32_t i, double ys, double yc, int64_t* x, int64_t* y) const {
        const double xp = static_cast<double>(i + minX);
        *x = static_cast<int64_t>(xp * c + ys + 0.5);
        *y = static_cast<int64_t>(yc - xp * s + 0.5);
        return *x >= 0 && *x < w && *y >= 0 && *y < h;
    }
};

template <int Bytes>
void RotateRows(CImageObject* dest, const CImageObject* src, const InverseMap& map,
                const uint8_t* fill) {
    for (int32_t j = 0; j < dest->height; ++j) {
        const double yp = static_cast<double>(j + map.minY);
        const double ys = yp * map.s;
        const double yc = yp * map.c;
        uint8_t* d = geometry::RowAt(dest, j);
        for (int32_t i = 0; i < dest->width; ++i, d += Bytes) {
            int64_t x;
            int64_t y;
            const uint8_t* p = fill;
            if (map.Source(i, ys, yc, &x, &y))
                p = geometry::RowAt(src, static_cast<int32_t>(y)) + x * Bytes;
            std::memcpy(d, p, Bytes);
        }
    }
}

void RotateBitRows(CImageObject* dest, const CImageObject* src, const InverseMap& map, bool fill) {
    for (int32_t j = 0; j < dest->height; ++j) {
        const double yp = static_cast<double>(j + map.minY);
        const double ys = yp * map.s;
        const double yc = yp * map.c;
        uint8_t* d = geometry::RowAt(dest, j);
        for (int32_t i = 0; i < dest->width; ++i) {
            int64_t x;
            int64_t y;
            bool on = fill;
            if (map.Source(i, ys, yc, &x, &y))
                on = geometry::GetBit(geometry::RowAt(src, static_cast<int32_t>(y)), x);
            geometry::SetBit(d, i, on);
        }
    }
}

} // namespace

bool CRotateOp::RotateGeneral(CImageObject* dest, const CImageObject* src) {
    if (!std::isfinite(angle))
        return false;
    const double r = angle * 0.017453292519943295;
    InverseMap map;
    map.c = std::cos(r);
    map.s = std::sin(r);
    map.w = src->width;
    map.h = src->height;

    // Bounding box of the rotated corners, each coordinate rounded by adding
    // 0.5 and truncating toward zero.
    const double xs[4] = {0.0, double(src->width - 1), 0.0, double(src->width - 1)};
    const double ys[4] = {0.0, 0.0, double(src->height - 1), double(src->height - 1)};
    int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int k = 0; k < 4; ++k) {
        const int64_t x = static_cast<int64_t>(xs[k] * map.c - ys[k] * map.s + 0.5);
        const int64_t y = static_cast<int64_t>(xs[k] * map.s + ys[k] * map.c + 0.5);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    const int64_t dw = maxX - minX + 1;
    const int64_t dh = maxY - minY + 1;
    if (dw > INT32_MAX || dh > INT32_MAX)
        return false;
    map.minX = minX;
    map.minY = minY;

    const int32_t depth = src->bitsPerPixel;
    if (!CreateDestination(dest, static_cast<int32_t>(dw), static_cast<int32_t>(dh), depth,
                           src->paletteCount, src->palette))
        return false;
    switch (depth) {
    case 1:
        RotateBitRows(dest, src, map, backgroundBit == 1);
        break;
    case 8: {
        // A fill index beyond the palette would leave a pixel with no colour.
        const int32_t last = std::max(0, src->paletteCount - 1);
        const uint8_t index = static_cast<uint8_t>(std::min<int32_t>(backgroundIndex, last));
        RotateRows<1>(dest, src, map, &index);
        break;
    }
    case 24:
        RotateRows<3>(dest, src, map, backgroundColor);
        break;
    default:
        RotateRows<4>(dest, src, map, backgroundColor32);
        break;
    }
    return true;
}

bool CRotateOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    dest->notLoaded = false;
    const int32_t depth = src->bitsPerPixel;
    if (!geometry::IsSupportedDepth(depth))
        return false;

    if (angle == 180.0) {
        if (!PrepareDestination(dest, src))
            return false;
        geometry::MirrorImage(dest, src, true);
    } else if (angle == 90.0 || angle == 270.0) {
        const bool clockwise = angle == 90.0;
        if (!CreateDestination(dest, src->height, src->width, depth, src->paletteCount,
                               src->palette))
            return false;
        switch (depth) {
        case 1:
            QuarterTurnBits(dest, src, clockwise);
            break;
        case 8:
            QuarterTurn<1>(dest, src, clockwise);
            break;
        case 24:
            QuarterTurn<3>(dest, src, clockwise);
            break;
        default:
            QuarterTurn<4>(dest, src, clockwise);
            break;
        }
    } else if (!RotateGeneral(dest, src)) {
        return false;
    }
    FinishDestination(dest);
    return true;
}
