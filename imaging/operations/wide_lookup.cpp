#include "imaging/operations/wide_lookup.h"

// MinGW's GCC does not align the stack to 64 bytes on Windows (Win64
// guarantees 16) yet spills 512-bit registers with aligned moves, which
// fault; this file is therefore assembled there with
// -muse-unaligned-vector-move (see CMakeLists.txt), which turns every aligned
// vector move into its unaligned form at no cost on aligned data. The 32-bit
// build keeps the portable loops: no 32-bit Windows runs here to prove it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VXP_WIDE_LOOKUP 1
#endif

#ifdef VXP_WIDE_LOOKUP

#include <immintrin.h>

#define VXP_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

// Bit j is set when byte j of a vector belongs to `channel`, the vector's
// first byte having channel `phase` in pixels of `period` bytes.
constexpr uint64_t ChannelMask(int channel, int phase, int period) {
    uint64_t mask = 0;
    for (int j = 0; j < 64; ++j)
        if ((phase + j) % period == channel)
            mask |= uint64_t{1} << j;
    return mask;
}

// A 256-byte table as four registers: vpermt2b indexes 128 bytes with the
// low seven bits of each index byte, so one permute reads the lower half,
// one the upper half, and the index's top bit picks between them.
struct WideTable {
    __m512i q0, q1, q2, q3;
};

VXP_WIDE_TARGET inline WideTable LoadTable(const uint8_t* table) {
    return {_mm512_loadu_si512(table), _mm512_loadu_si512(table + 64),
            _mm512_loadu_si512(table + 128), _mm512_loadu_si512(table + 192)};
}

VXP_WIDE_TARGET inline __m512i Lookup(const WideTable& t, __m512i index, __mmask64 upper) {
    const __m512i low = _mm512_permutex2var_epi8(t.q0, index, t.q1);
    const __m512i high = _mm512_permutex2var_epi8(t.q2, index, t.q3);
    return _mm512_mask_blend_epi8(upper, low, high);
}

// Which bytes of a vector go through the green and the red table and which
// are copied (the fourth byte of 32-bpp pixels), for the vector's first
// byte at each position within a pixel.
struct PhaseMasks {
    uint64_t green, red, keep;
};

constexpr PhaseMasks kPhases3[3] = {
    {ChannelMask(1, 0, 3), ChannelMask(2, 0, 3), 0},
    {ChannelMask(1, 1, 3), ChannelMask(2, 1, 3), 0},
    {ChannelMask(1, 2, 3), ChannelMask(2, 2, 3), 0},
};
constexpr PhaseMasks kPhases4[4] = {
    {ChannelMask(1, 0, 4), ChannelMask(2, 0, 4), ChannelMask(3, 0, 4)},
    {ChannelMask(1, 1, 4), ChannelMask(2, 1, 4), ChannelMask(3, 1, 4)},
    {ChannelMask(1, 2, 4), ChannelMask(2, 2, 4), ChannelMask(3, 2, 4)},
    {ChannelMask(1, 3, 4), ChannelMask(2, 3, 4), ChannelMask(3, 3, 4)},
};

// One vector through the tables; with one shared table the channels need
// no telling apart.
template <bool Shared>
VXP_WIDE_TARGET inline __m512i MapVector(const WideTable& b, const WideTable& g, const WideTable& r,
                                         __m512i x, const PhaseMasks& m) {
    const __mmask64 upper = _mm512_movepi8_mask(x);
    __m512i out = Lookup(b, x, upper);
    if (!Shared) {
        out = _mm512_mask_blend_epi8(m.green, out, Lookup(g, x, upper));
        out = _mm512_mask_blend_epi8(m.red, out, Lookup(r, x, upper));
    }
    return _mm512_mask_blend_epi8(m.keep, out, x);
}

// The first `count` (< 64) bytes, read and written under a mask, so that
// nothing outside them is touched.
template <bool Shared>
VXP_WIDE_TARGET inline void MapPart(uint8_t* dest, const uint8_t* src, size_t count,
                                    const WideTable& b, const WideTable& g, const WideTable& r,
                                    const PhaseMasks& m) {
    const __mmask64 part = (uint64_t{1} << count) - 1;
    const __m512i x = _mm512_maskz_loadu_epi8(part, src);
    _mm512_mask_storeu_epi8(dest, part, MapVector<Shared>(b, g, r, x, m));
}

// The whole row. The vectors are aligned on the destination (rows of an
// image start anywhere within a cache line, and stores that straddle two
// lines were measured markedly slower); the bytes before the first
// boundary and after the last whole vector go under a mask.
template <bool Shared>
VXP_WIDE_TARGET void MapRowVbmi(uint8_t* dest, const uint8_t* src, size_t bytes,
                                const uint8_t* blue, const uint8_t* green, const uint8_t* red,
                                int bytesPerPixel) {
    const WideTable b = LoadTable(blue);
    const WideTable g = Shared ? b : LoadTable(green);
    const WideTable r = Shared ? b : LoadTable(red);
    const PhaseMasks* phases = bytesPerPixel == 4 ? kPhases4 : kPhases3;
    const size_t period = static_cast<size_t>(bytesPerPixel);
    size_t i = (64 - reinterpret_cast<uintptr_t>(dest) % 64) % 64;
    if (i >= bytes) {
        MapPart<Shared>(dest, src, bytes, b, g, r, phases[0]);
        return;
    }
    if (i > 0)
        MapPart<Shared>(dest, src, i, b, g, r, phases[0]);
    // 64 = 1 (mod 3): from one vector to the next, the channel of the first
    // byte advances by one and repeats every 192 bytes; 64 = 0 (mod 4).
    const PhaseMasks m0 = phases[i % period];
    const PhaseMasks m1 = phases[(i + 64) % period];
    const PhaseMasks m2 = phases[(i + 128) % period];
    for (; i + 192 <= bytes; i += 192) {
        const __m512i x0 = _mm512_loadu_si512(src + i);
        const __m512i x1 = _mm512_loadu_si512(src + i + 64);
        const __m512i x2 = _mm512_loadu_si512(src + i + 128);
        _mm512_store_si512(dest + i, MapVector<Shared>(b, g, r, x0, m0));
        _mm512_store_si512(dest + i + 64, MapVector<Shared>(b, g, r, x1, m1));
        _mm512_store_si512(dest + i + 128, MapVector<Shared>(b, g, r, x2, m2));
    }
    for (; i + 64 <= bytes; i += 64) {
        const __m512i x = _mm512_loadu_si512(src + i);
        _mm512_store_si512(dest + i, MapVector<Shared>(b, g, r, x, phases[i % period]));
    }
    if (i < bytes)
        MapPart<Shared>(dest + i, src + i, bytes - i, b, g, r, phases[i % period]);
}

// Byte indexes that spread 16 pixels starting at byte `first` of a pair of
// vectors into 32-bit lanes: `low` gives blue in byte 0 and green in byte 2,
// `high` red in byte 0 (other bytes are zeroed by the caller's masks).
struct SpreadIndexes {
    uint8_t low[64], high[64];
};

constexpr SpreadIndexes MakeSpread(int first, int bytesPerPixel) {
    SpreadIndexes s{};
    for (int k = 0; k < 16; ++k) {
        const int at = first + k * bytesPerPixel;
        s.low[4 * k] = static_cast<uint8_t>(at);
        s.low[4 * k + 2] = static_cast<uint8_t>(at + 1);
        s.high[4 * k] = static_cast<uint8_t>(at + 2);
    }
    return s;
}

// The luma of 16 pixels spread by `spread` from the vector pair (a, b).
VXP_WIDE_TARGET inline __m128i Luma16(__m512i a, __m512i b, const SpreadIndexes& spread) {
    const __m512i blueGreen =
        _mm512_maskz_permutex2var_epi8(0x5555555555555555ull, a, _mm512_loadu_si512(spread.low), b);
    const __m512i red = _mm512_maskz_permutex2var_epi8(0x1111111111111111ull, a,
                                                       _mm512_loadu_si512(spread.high), b);
    const __m512i sum =
        _mm512_add_epi32(_mm512_madd_epi16(blueGreen, _mm512_set1_epi32(3735 | (19235 << 16))),
                         _mm512_madd_epi16(red, _mm512_set1_epi32(9798)));
    // The zero-masked forms with every lane set: GCC 12 warns about the
    // undefined fill of the plain forms.
    return _mm512_maskz_cvtepi32_epi8(0xFFFF, _mm512_maskz_srli_epi32(0xFFFF, sum, 15));
}

// 16 pixels start at bytes 0, 48, 96 and 144 of three vectors; the last two
// groups read the second and third vector, so their indexes are 64 lower.
constexpr SpreadIndexes kSpread3[4] = {MakeSpread(0, 3), MakeSpread(48, 3), MakeSpread(32, 3),
                                       MakeSpread(80, 3)};
constexpr SpreadIndexes kSpread4 = MakeSpread(0, 4);

VXP_WIDE_TARGET size_t LumaRowVbmi(uint8_t* luma, const uint8_t* src, size_t pixels,
                                   int bytesPerPixel) {
    size_t p = 0;
    if (bytesPerPixel == 4) {
        for (; p + 16 <= pixels; p += 16) {
            const __m512i x = _mm512_loadu_si512(src + 4 * p);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + p), Luma16(x, x, kSpread4));
        }
        return p;
    }
    for (; p + 64 <= pixels; p += 64) {
        const uint8_t* s = src + 3 * p;
        const __m512i x0 = _mm512_loadu_si512(s);
        const __m512i x1 = _mm512_loadu_si512(s + 64);
        const __m512i x2 = _mm512_loadu_si512(s + 128);
        __m128i* out = reinterpret_cast<__m128i*>(luma + p);
        _mm_storeu_si128(out, Luma16(x0, x1, kSpread3[0]));
        _mm_storeu_si128(out + 1, Luma16(x0, x1, kSpread3[1]));
        _mm_storeu_si128(out + 2, Luma16(x1, x2, kSpread3[2]));
        _mm_storeu_si128(out + 3, Luma16(x1, x2, kSpread3[3]));
    }
    return p;
}

bool DetectWideLookup() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

} // namespace

bool WideLookupSupported() {
    static const bool supported = DetectWideLookup();
    return supported;
}

size_t MapRowWide(uint8_t* dest, const uint8_t* src, size_t bytes, const uint8_t* blue,
                  const uint8_t* green, const uint8_t* red, int bytesPerPixel) {
    if (!WideLookupSupported() || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return 0;
    if (blue == green && blue == red)
        MapRowVbmi<true>(dest, src, bytes, blue, green, red, bytesPerPixel);
    else
        MapRowVbmi<false>(dest, src, bytes, blue, green, red, bytesPerPixel);
    return bytes;
}

size_t LumaRowWide(uint8_t* luma, const uint8_t* src, size_t pixels, int bytesPerPixel) {
    if (!WideLookupSupported() || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return 0;
    return LumaRowVbmi(luma, src, pixels, bytesPerPixel);
}

#else // no 512-bit path in this build

bool WideLookupSupported() {
    return false;
}

size_t MapRowWide(uint8_t*, const uint8_t*, size_t, const uint8_t*, const uint8_t*, const uint8_t*,
                  int) {
    return 0;
}

size_t LumaRowWide(uint8_t*, const uint8_t*, size_t, int) {
    return 0;
}

#endif
