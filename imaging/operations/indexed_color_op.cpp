#include "imaging/operations/indexed_color_op.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstddef>
#include <exception>
#include <memory>
#include <vector>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

// Colour space of the quantiser: 32 blue x 64 green x 32 red cells (the top
// 5, 6 and 5 bits of each channel). A cell (b, g, r) stands for the colour at
// its centre, (8b + 4, 4g + 2, 8r + 4) in blue, green, red. Distances weigh
// blue 1, green 3, red 2 per colour unit; box extents and volumes weigh one
// cell step as blue 8, green 12, red 16.
namespace {

constexpr int kBlueCells = 32;
constexpr int kGreenCells = 64;
constexpr int kRedCells = 32;
constexpr size_t kCellCount = size_t{kBlueCells} * kGreenCells * kRedCells;

// Cell counters, saturating at 65535.
struct ColorCells {
    std::vector<uint16_t> cells;

    uint16_t& At(int b, int g, int r) {
        return cells[(static_cast<size_t>(b) * kGreenCells + g) * kRedCells + r];
    }
};

// The inverse colour map, filled on demand a block of 4 x 8 x 4 cells at a
// time: per cell the chosen palette entry's index. One byte a cell keeps the
// whole map (64 KB) mostly in the first-level cache, which the diffusion's
// chain of dependent reads needs far more than it needs the colours beside
// the index (those come from small per-entry tables).
constexpr int kBlockCount = (kBlueCells / 4) * (kGreenCells / 8) * (kRedCells / 4);

struct InverseMap {
    std::vector<uint8_t> cells;
    uint8_t filled[kBlockCount];

    static size_t Index(int b, int g, int r) {
        return (static_cast<size_t>(b) * kGreenCells + g) * kRedCells + r;
    }
    // The block of a cell, from its index: blue in bits 11..15, green in
    // 5..10, red in 0..4.
    static int BlockOf(size_t index) {
        return static_cast<int>((index >> 13) << 6 | ((index >> 5) & 0x38) | ((index >> 2) & 7));
    }
};

struct ColorBox {
    int32_t bmin, bmax; // 0..31
    int32_t gmin, gmax; // 0..63
    int32_t rmin, rmax; // 0..31
    int32_t volume;     // weighted squared extent
    int32_t count;      // non-empty cells inside
};

bool IsEmpty(ColorCells& hist, int b0, int b1, int g0, int g1, int r0, int r1) {
    for (int b = b0; b <= b1; ++b)
        for (int g = g0; g <= g1; ++g)
            for (int r = r0; r <= r1; ++r)
                if (hist.At(b, g, r))
                    return false;
    return true;
}

// Shrinks the box to the non-empty cells it holds, axis by axis (blue, green,
// red; minimum then maximum), and recomputes its volume and count.
void UpdateBox(ColorCells& hist, ColorBox& box) {
    while (box.bmin < box.bmax &&
           IsEmpty(hist, box.bmin, box.bmin, box.gmin, box.gmax, box.rmin, box.rmax))
        ++box.bmin;
    while (box.bmax > box.bmin &&
           IsEmpty(hist, box.bmax, box.bmax, box.gmin, box.gmax, box.rmin, box.rmax))
        --box.bmax;
    while (box.gmin < box.gmax &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmin, box.rmin, box.rmax))
        ++box.gmin;
    while (box.gmax > box.gmin &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmax, box.gmax, box.rmin, box.rmax))
        --box.gmax;
    while (box.rmin < box.rmax &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmax, box.rmin, box.rmin))
        ++box.rmin;
    while (box.rmax > box.rmin &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmax, box.rmax, box.rmax))
        --box.rmax;

    const int32_t db = (box.bmax - box.bmin) * 8;
    const int32_t dg = (box.gmax - box.gmin) * 12;
    const int32_t dr = (box.rmax - box.rmin) * 16;
    box.volume = dr * dr + dg * dg + db * db;
    int32_t count = 0;
    for (int b = box.bmin; b <= box.bmax; ++b)
        for (int g = box.gmin; g <= box.gmax; ++g)
            for (int r = box.rmin; r <= box.rmax; ++r)
                if (hist.At(b, g, r))
                    ++count;
    box.count = count;
}

// Median cut: while there are fewer boxes than colours, split one. In the
// first half of the splits the most populated box goes (most non-empty
// cells), then the largest; a box of zero volume is one cell and cannot be
// split, so the list may end shorter than asked.
std::vector<ColorBox> MedianCut(ColorCells& hist, int maxColors) {
    std::vector<ColorBox> boxes;
    boxes.reserve(static_cast<size_t>(maxColors));
    boxes.push_back(ColorBox{0, kBlueCells - 1, 0, kGreenCells - 1, 0, kRedCells - 1, 0, 0});
    UpdateBox(hist, boxes[0]);
    while (static_cast<int>(boxes.size()) < maxColors) {
        const bool byCount = 2 * static_cast<int>(boxes.size()) <= maxColors;
        int picked = -1;
        int32_t best = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].volume <= 0)
                continue;
            const int32_t key = byCount ? boxes[i].count : boxes[i].volume;
            if (key > best) {
                best = key;
                picked = static_cast<int>(i);
            }
        }
        if (picked < 0)
            break;

        ColorBox& box = boxes[static_cast<size_t>(picked)];
        ColorBox upper = box;
        const int32_t eb = (box.bmax - box.bmin) * 8;
        const int32_t eg = (box.gmax - box.gmin) * 12;
        const int32_t er = (box.rmax - box.rmin) * 16;
        if (eb > eg && eb > er) {
            const int32_t m = (box.bmin + box.bmax) / 2;
            box.bmax = m;
            upper.bmin = m + 1;
        } else if (er > eg) {
            const int32_t m = (box.rmin + box.rmax) / 2;
            box.rmax = m;
            upper.rmin = m + 1;
        } else {
            const int32_t m = (box.gmin + box.gmax) / 2;
            box.gmax = m;
            upper.gmin = m + 1;
        }
        UpdateBox(hist, box);
        UpdateBox(hist, upper);
        boxes.push_back(upper);
    }
    return boxes;
}

// The count-weighted mean of the cell centres inside the box, rounded.
PaletteEntry BoxColor(ColorCells& hist, const ColorBox& box) {
    uint64_t total = 0, sb = 0, sg = 0, sr = 0;
    for (int b = box.bmin; b <= box.bmax; ++b)
        for (int g = box.gmin; g <= box.gmax; ++g)
            for (int r = box.rmin; r <= box.rmax; ++r) {
                const uint64_t c = hist.At(b, g, r);
                total += c;
                sb += c * static_cast<uint64_t>(8 * b + 4);
                sg += c * static_cast<uint64_t>(4 * g + 2);
                sr += c * static_cast<uint64_t>(8 * r + 4);
            }
    PaletteEntry e{0, 0, 0, 0};
    if (total) {
        e.blue = static_cast<uint8_t>((sb + total / 2) / total);
        e.green = static_cast<uint8_t>((sg + total / 2) / total);
        e.red = static_cast<uint8_t>((sr + total / 2) / total);
    }
    return e;
}

// Squared weighted distances from colour x to the span [lo, hi] of one axis:
// the nearest point (0 inside) and the farthest corner that can matter.
inline void AxisDistances(int x, int lo, int hi, int weight, int32_t* nearest, int32_t* farthest) {
    int n = 0;
    int f;
    if (x < lo) {
        n = (x - lo) * weight;
        f = (x - hi) * weight;
    } else if (x > hi) {
        n = (x - hi) * weight;
        f = (x - lo) * weight;
    } else {
        f = (x <= (lo + hi) / 2 ? x - hi : x - lo) * weight;
    }
    *nearest += n * n;
    *farthest += f * f;
}

// Fills the cache for the 4 x 8 x 4 block of cells that holds (b, g, r): only
// palette entries that can be nearest to some point of the block are tried.
void FillCacheBlock(InverseMap& cache, const std::vector<PaletteEntry>& palette, int b, int g,
                    int r) {
    cache.filled[InverseMap::BlockOf(InverseMap::Index(b, g, r))] = 1;
    const int b0 = b & ~3, g0 = g & ~7, r0 = r & ~3;
    const int minB = (b >> 2) * 32 + 4, minG = (g >> 3) * 32 + 2, minR = (r >> 2) * 32 + 4;
    const int maxB = minB + 24, maxG = minG + 28, maxR = minR + 24;

    const int n = static_cast<int>(palette.size());
    int32_t nearest[256];
    int32_t limit = INT32_MAX;
    for (int i = 0; i < n; ++i) {
        int32_t near = 0, far = 0;
        AxisDistances(palette[i].blue, minB, maxB, 1, &near, &far);
        AxisDistances(palette[i].green, minG, maxG, 3, &near, &far);
        AxisDistances(palette[i].red, minR, maxR, 2, &near, &far);
        nearest[i] = near;
        limit = std::min(limit, far);
    }

    int32_t bestDist[4][8][4];
    uint16_t bestIndex[4][8][4] = {};
    std::fill(&bestDist[0][0][0], &bestDist[0][0][0] + 128, INT32_MAX);
    for (int i = 0; i < n; ++i) {
        if (nearest[i] > limit)
            continue;
        const PaletteEntry& p = palette[i];
        for (int ib = 0; ib < 4; ++ib) {
            const int db = minB + 8 * ib - p.blue;
            for (int ig = 0; ig < 8; ++ig) {
                const int dg = (minG + 4 * ig - p.green) * 3;
                for (int ir = 0; ir < 4; ++ir) {
                    const int dr = (minR + 8 * ir - p.red) * 2;
                    const int32_t d = db * db + dg * dg + dr * dr;
                    if (d < bestDist[ib][ig][ir]) {
                        bestDist[ib][ig][ir] = d;
                        bestIndex[ib][ig][ir] = static_cast<uint16_t>(i);
                    }
                }
            }
        }
    }
    for (int ib = 0; ib < 4; ++ib)
        for (int ig = 0; ig < 8; ++ig)
            for (int ir = 0; ir < 4; ++ir)
                cache.cells[InverseMap::Index(b0 + ib, g0 + ig, r0 + ir)] =
                    static_cast<uint8_t>(bestIndex[ib][ig][ir]);
}

// Limits a diffused error (in colour units): full below 16, half the excess
// up to 48, a constant 32 beyond, so large errors cannot streak.
int LimitError(int x) {
    x = std::min(255, std::max(-255, x));
    const int a = x < 0 ? -x : x;
    const int l = a < 16 ? a : a < 48 ? 16 + (a - 16) / 2 : 32;
    return x < 0 ? -l : l;
}

// 16 x the error a pixel receives (7 x the last error plus the error-row
// entry) lies within this bound: each error is -255..255 and the weights add
// up to 16.
constexpr int kSumBound = 16 * 255;
// A diffused error moves a colour by at most 32 either way.
constexpr int kShiftBound = 32;

// Everything the diffusion looks up, made once per reduction. Each pixel's
// step is a chain of dependent reads (map cell, the entry's colour, the error
// limit, the clamped value with its share of the next cell's index), so every
// step is a single table read with no arithmetic in between where possible.
struct DiffusionTables {
    // limit[s + kSumBound] = the limited error of sum s: the rounded sixteenth.
    int8_t limit[2 * kSumBound + 1];
    // For k = colour + limited error + kShiftBound: the clamped colour, and
    // per channel its share of the inverse map's cell index. Pointer-sized,
    // so that no sign extension stands between two reads.
    uint8_t value[256 + 2 * kShiftBound];
    const uint8_t* blueShare[256 + 2 * kShiftBound]; // the map's cell of the blue alone
    intptr_t cellShare[2][256 + 2 * kShiftBound];    // green, red
    // Per palette entry and channel: its colour and -7 x it, which with
    // 7 x the pixel's value makes the 7/16 carried to the next pixel.
    uint8_t colour[3][256];
    intptr_t minusSeven[3][256];

    DiffusionTables(const std::vector<PaletteEntry>& palette, const uint8_t* cells) {
        for (int s = -kSumBound; s <= kSumBound; ++s)
            // The shift of a negative sum is arithmetic (floor) on every
            // supported compiler, as the diffusion expects.
            limit[s + kSumBound] = static_cast<int8_t>(LimitError((s + 8) >> 4));
        for (int k = 0; k < 256 + 2 * kShiftBound; ++k) {
            const int v = std::min(255, std::max(0, k - kShiftBound));
            value[k] = static_cast<uint8_t>(v);
            blueShare[k] = cells + (v >> 3) * kGreenCells * kRedCells;
            cellShare[0][k] = (v >> 2) * kRedCells;
            cellShare[1][k] = v >> 3;
        }
        std::fill(&colour[0][0], &colour[0][0] + 3 * 256, uint8_t{0});
        std::fill(&minusSeven[0][0], &minusSeven[0][0] + 3 * 256, intptr_t{0});
        for (size_t i = 0; i < palette.size(); ++i) {
            const uint8_t c[3] = {palette[i].blue, palette[i].green, palette[i].red};
            for (int ch = 0; ch < 3; ++ch) {
                colour[ch][i] = c[ch];
                minusSeven[ch][i] = -7 * c[ch];
            }
        }
    }
};

// Maps one row with error diffusion. The error row carries 16 x the diffused
// error of the row above, three entries (blue, green, red) a column, entry
// x + 1 for column x between a margin at each end. Of a pixel's error e,
// 7/16 goes to the next pixel in the row and 3/16, 5/16, 1/16 to the pixels
// below behind, below and below ahead.
//
// Only the 7/16 is on the chain from pixel to pixel, so the walk keeps each
// pixel's error (in `rowErrors`, three entries a column between three zero
// entries at each end) and the error row for the next row is made from them
// afterwards, in a loop without a chain.
template <int Bytes, bool Forward, bool Lazy>
void DiffuseRow(const uint8_t* in, uint8_t* out, int16_t* errors, int16_t* rowErrors, int32_t width,
                InverseMap& cache, const DiffusionTables& t,
                const std::vector<PaletteEntry>& palette) {
    constexpr ptrdiff_t dir = Forward ? 1 : -1;
    const ptrdiff_t first = Forward ? 0 : width - 1;
    const uint8_t* px = in + first * Bytes;
    uint8_t* dst = out + first;
    const int16_t* ahead = errors + 3 * (first + 1); // the pixel's own column
    int16_t* own = rowErrors + 3 * (first + 1);
    const int8_t* limit = t.limit + kSumBound;
    const uint8_t* value = t.value + kShiftBound;
    const uint8_t* const* shareB = t.blueShare + kShiftBound;
    const intptr_t* shareG = t.cellShare[0] + kShiftBound;
    const intptr_t* shareR = t.cellShare[1] + kShiftBound;

    // Where the limited errors of the pixel are read: the sum's parts known
    // before the map cell (no error carried yet in this row's first pixel).
    const int8_t* limitB = limit + ahead[0];
    const int8_t* limitG = limit + ahead[1];
    const int8_t* limitR = limit + ahead[2];
    intptr_t carryB = 0, carryG = 0, carryR = 0;
    for (int32_t n = 0; n < width; ++n) {
        // Indexed by the limited error alone: the pixel's colour is in the
        // table's address.
        const intptr_t qB = limitB[carryB], qG = limitG[carryG], qR = limitR[carryR];
        const int vB = value[px[0] + qB], vG = value[px[1] + qG], vR = value[px[2] + qR];
        const uint8_t* cellRow = (shareB + px[0])[qB] + (shareG + px[1])[qG];
        const intptr_t cellRed = (shareR + px[2])[qR];
        if (Lazy && !cache.filled[(vB >> 5) << 6 | (vG >> 5) << 3 | vR >> 5])
            FillCacheBlock(cache, palette, vB >> 3, vG >> 2, vR >> 3);
        const unsigned chosen = cellRow[cellRed];
        *dst = static_cast<uint8_t>(chosen);

        // 7 x the error carried on is 7 x the value less 7 x the entry's
        // colour: the first half does not wait for the map cell.
        ahead += 3 * dir;
        limitB = limit + (7 * vB + ahead[0]);
        limitG = limit + (7 * vG + ahead[1]);
        limitR = limit + (7 * vR + ahead[2]);
        carryB = t.minusSeven[0][chosen];
        carryG = t.minusSeven[1][chosen];
        carryR = t.minusSeven[2][chosen];
        own[0] = static_cast<int16_t>(vB - t.colour[0][chosen]);
        own[1] = static_cast<int16_t>(vG - t.colour[1][chosen]);
        own[2] = static_cast<int16_t>(vR - t.colour[2][chosen]);
        own += 3 * dir;
        px += dir * Bytes;
        dst += dir;
    }

    // Column c receives 5/16 of its own error and 3/16 and 1/16 of its
    // neighbours', the 3/16 from the one walked after it. The margins are
    // never read.
    const int16_t* e = rowErrors;
    int16_t* column = errors + 3;
    const size_t count = static_cast<size_t>(width) * 3;
    for (size_t k = 0; k < count; ++k) {
        const int before = e[k], at = e[k + 3], after = e[k + 6];
        column[k] = static_cast<int16_t>(Forward ? before + 5 * at + 3 * after
                                                 : 3 * before + 5 * at + after);
    }
}

// From this many pixels on the whole inverse map is filled before the walk.
constexpr int64_t kEagerFillPixels = 1 << 20;

// Maps every pixel to a palette index; rows alternate direction (even rows
// left to right) when diffusing.
template <int Bytes, bool Diffuse>
bool MapPixels(CImageObject* dest, const CImageObject* src, InverseMap& cache,
               const std::vector<PaletteEntry>& palette) {
    const int32_t width = src->width;
    if (!Diffuse) {
        for (int32_t y = 0; y < src->height; ++y) {
            const uint8_t* px = geometry::RowAt(src, y);
            uint8_t* out = geometry::RowAt(dest, y);
            for (int32_t x = 0; x < width; ++x, px += Bytes) {
                const size_t cell = InverseMap::Index(px[0] >> 3, px[1] >> 2, px[2] >> 3);
                if (!cache.filled[InverseMap::BlockOf(cell)])
                    FillCacheBlock(cache, palette, px[0] >> 3, px[1] >> 2, px[2] >> 3);
                out[x] = cache.cells[cell];
            }
        }
        return true;
    }
    std::vector<int16_t> errors, rowErrors;
    std::unique_ptr<DiffusionTables> tables;
    try {
        errors.assign((static_cast<size_t>(width) + 2) * 3, 0);
        rowErrors.assign((static_cast<size_t>(width) + 2) * 3, 0);
        tables.reset(new DiffusionTables(palette, cache.cells.data()));
    } catch (const std::exception&) {
        return false;
    }
    // A large image meets most of the map anyway: filling it all first (a
    // block gives the same cells whenever it is filled) takes the check and
    // the call out of the walk.
    const bool eager = static_cast<int64_t>(width) * src->height >= kEagerFillPixels;
    if (eager)
        for (int b = 0; b < kBlueCells; b += 4)
            for (int g = 0; g < kGreenCells; g += 8)
                for (int r = 0; r < kRedCells; r += 4)
                    FillCacheBlock(cache, palette, b, g, r);
    for (int32_t y = 0; y < src->height; ++y) {
        const uint8_t* in = geometry::RowAt(src, y);
        uint8_t* out = geometry::RowAt(dest, y);
        int16_t* e = errors.data();
        int16_t* own = rowErrors.data();
        const DiffusionTables& t = *tables;
        if (eager) {
            if ((y & 1) == 0)
                DiffuseRow<Bytes, true, false>(in, out, e, own, width, cache, t, palette);
            else
                DiffuseRow<Bytes, false, false>(in, out, e, own, width, cache, t, palette);
        } else {
            if ((y & 1) == 0)
                DiffuseRow<Bytes, true, true>(in, out, e, own, width, cache, t, palette);
            else
                DiffuseRow<Bytes, false, true>(in, out, e, own, width, cache, t, palette);
        }
    }
    return true;
}

template <int Bytes> void CountColors(ColorCells& hist, const CImageObject* src) {
    for (int32_t y = 0; y < src->height; ++y) {
        const uint8_t* p = geometry::RowAt(src, y);
        for (int32_t x = 0; x < src->width; ++x, p += Bytes) {
            uint16_t& c = hist.At(p[0] >> 3, p[1] >> 2, p[2] >> 3);
            if (c != 0xFFFF)
                ++c;
        }
    }
}

} // namespace

bool CIndexedColorOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    const int32_t depth = src->bitsPerPixel;
    if (depth != 24 && depth != 32)
        return false;
    if (colorCount < 2 || colorCount > 256)
        return false;

    ColorCells hist;
    try {
        hist.cells.assign(kCellCount, 0);
    } catch (const std::exception&) {
        return false;
    }
    if (depth == 24)
        CountColors<3>(hist, src);
    else
        CountColors<4>(hist, src);

    const std::vector<ColorBox> boxes = MedianCut(hist, colorCount);
    std::vector<PaletteEntry> palette;
    palette.reserve(boxes.size());
    for (const ColorBox& box : boxes)
        palette.push_back(BoxColor(hist, box));

    // An 8-bpp image needs at least two entries to be re-created like itself.
    std::vector<PaletteEntry> stored = palette;
    if (stored.size() < 2)
        stored.push_back(stored[0]);
    if (!CreateDestination(dest, src->width, src->height, 8, static_cast<int>(stored.size()),
                           stored.data()))
        return false;

    InverseMap cache;
    try {
        hist.cells = std::vector<uint16_t>();
        cache.cells.assign(kCellCount, 0);
        std::fill(cache.filled, cache.filled + kBlockCount, uint8_t{0});
    } catch (const std::exception&) {
        return false;
    }
    bool ok;
    if (dither == 1)
        ok = depth == 24 ? MapPixels<3, true>(dest, src, cache, palette)
                         : MapPixels<4, true>(dest, src, cache, palette);
    else
        ok = depth == 24 ? MapPixels<3, false>(dest, src, cache, palette)
                         : MapPixels<4, false>(dest, src, cache, palette);
    if (!ok)
        return false;
    FinishDestination(dest);
    return true;
}
