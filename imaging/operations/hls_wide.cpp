#include "imaging/operations/hls_wide.h"

#include <atomic>
#include <cstring>

// MinGW's GCC spills 256-bit registers with aligned moves on a stack Windows
// aligns to 16 only; this file is assembled there with
// -muse-unaligned-vector-move, as wide_lookup.cpp is (see CMakeLists.txt).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VXP_HLS_WIDE 1
#endif

namespace {
std::atomic<bool> wideAllowed{true};
} // namespace

void AllowHlsWidePath(bool allowed) {
    wideAllowed.store(allowed, std::memory_order_relaxed);
}

#ifdef VXP_HLS_WIDE

#include <immintrin.h>

// AVX2 only: with FMA allowed the compiler could fuse a multiply and an add,
// which rounds once where the per-colour code rounds twice.
#define VXP_HLS_TARGET __attribute__((target("avx2")))

namespace {

bool DetectHlsWide() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool HlsWideSupported() {
    static const bool supported = DetectHlsWide();
    return supported;
}

struct Channels {
    __m256i blue, green, red, raw;
};

// Eight pixels as 32-bit lanes; a 3-byte row is read as two overlapping
// 16-byte halves, so nothing past the eighth pixel is touched.
VXP_HLS_TARGET inline Channels LoadPixels(const uint8_t* s, int bytesPerPixel) {
    __m256i v;
    if (bytesPerPixel == 3) {
        const __m256i both =
            _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8)));
        // Pixels 0..3 from bytes 0..11 of the first half, 4..7 from bytes
        // 4..15 of the second (bytes 12..23 of the row).
        const __m256i spread =
            _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 4, 5, 6, -1, 7,
                             8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
        v = _mm256_shuffle_epi8(both, spread);
    } else {
        v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    }
    const __m256i byte = _mm256_set1_epi32(0xFF);
    return Channels{_mm256_and_si256(v, byte), _mm256_and_si256(_mm256_srli_epi32(v, 8), byte),
                    _mm256_and_si256(_mm256_srli_epi32(v, 16), byte), v};
}

VXP_HLS_TARGET inline void StorePixels(uint8_t* d, int bytesPerPixel, const Channels& c) {
    __m256i v = _mm256_or_si256(
        c.blue, _mm256_or_si256(_mm256_slli_epi32(c.green, 8), _mm256_slli_epi32(c.red, 16)));
    if (bytesPerPixel == 4) {
        v = _mm256_or_si256(
            v, _mm256_and_si256(c.raw, _mm256_set1_epi32(static_cast<int>(0xFF000000u))));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), v);
        return;
    }
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    v = _mm256_shuffle_epi8(v, pack);
    const __m128i low = _mm256_castsi256_si128(v);
    const __m128i high = _mm256_extracti128_si256(v, 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d), low);
    const int lowTail = _mm_cvtsi128_si32(_mm_srli_si128(low, 8));
    std::memcpy(d + 8, &lowTail, 4);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 12), high);
    const int highTail = _mm_cvtsi128_si32(_mm_srli_si128(high, 8));
    std::memcpy(d + 20, &highTail, 4);
}

// floor(num / den) for 0 <= num < 2^24 and 0 < den with (quotient + 1) x den
// below 2^24: the single-precision quotient is then never rounded across an
// integer, so truncating it is exact.
VXP_HLS_TARGET inline __m256i DivFloor(__m256i num, __m256i den) {
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), _mm256_cvtepi32_ps(den)));
}

// ((max - c) * 42 + d / 2) / d
VXP_HLS_TARGET inline __m256i HueStep(__m256i maxc, __m256i c, __m256i d) {
    const __m256i scaled = _mm256_mullo_epi32(_mm256_sub_epi32(maxc, c), _mm256_set1_epi32(42));
    return DivFloor(_mm256_add_epi32(scaled, _mm256_srli_epi32(d, 1)), d);
}

struct Hls {
    __m256i hue, lightness, saturation;
};

// RgbToHls on eight colours. Its lightness (sum * 255 + 255) / 510 is
// (sum + 1) / 2. Of its three channel steps ((max - c) * 42 + d / 2) / d,
// the maximum's is 0 and the minimum's 42, so only the middle channel's is
// divided out; which of the other two is the minimum picks the formula.
VXP_HLS_TARGET inline Hls ToHls(__m256i red, __m256i green, __m256i blue) {
    const __m256i maxc = _mm256_max_epi32(red, _mm256_max_epi32(green, blue));
    const __m256i minc = _mm256_min_epi32(red, _mm256_min_epi32(green, blue));
    const __m256i sum = _mm256_add_epi32(maxc, minc);
    const __m256i d = _mm256_sub_epi32(maxc, minc);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i grey = _mm256_cmpeq_epi32(d, _mm256_setzero_si256());
    const __m256i dSafe = _mm256_max_epi32(d, one);
    const __m256i k255 = _mm256_set1_epi32(255);
    Hls out;
    const __m256i lightness = _mm256_srli_epi32(_mm256_add_epi32(sum, one), 1);
    out.lightness = lightness;
    // (d * 255 + den / 2) / den, den = sum below lightness 128, else 510 - sum.
    const __m256i dark = _mm256_cmpgt_epi32(_mm256_set1_epi32(128), lightness);
    const __m256i den = _mm256_max_epi32(
        _mm256_blendv_epi8(_mm256_sub_epi32(_mm256_set1_epi32(510), sum), sum, dark), one);
    const __m256i saturation =
        DivFloor(_mm256_add_epi32(_mm256_mullo_epi32(d, k255), _mm256_srli_epi32(den, 1)), den);
    out.saturation = _mm256_andnot_si256(grey, saturation);
    const __m256i mid = _mm256_sub_epi32(_mm256_add_epi32(red, _mm256_add_epi32(green, blue)), sum);
    const __m256i step = HueStep(maxc, mid, dSafe);
    const __m256i redMax = _mm256_cmpeq_epi32(red, maxc);
    const __m256i greenMax = _mm256_cmpeq_epi32(green, maxc);
    const __m256i blueMin = _mm256_cmpeq_epi32(blue, minc);
    const __m256i redMin = _mm256_cmpeq_epi32(red, minc);
    // Blue the maximum: 128 + step with red the minimum, else 212 - step.
    __m256i hue = _mm256_blendv_epi8(_mm256_sub_epi32(_mm256_set1_epi32(212), step),
                                     _mm256_add_epi32(_mm256_set1_epi32(128), step), redMin);
    // Green: 43 + step with blue the minimum, else 127 - step.
    hue = _mm256_blendv_epi8(hue,
                             _mm256_blendv_epi8(_mm256_sub_epi32(_mm256_set1_epi32(127), step),
                                                _mm256_add_epi32(_mm256_set1_epi32(43), step),
                                                blueMin),
                             greenMax);
    // Red: 42 - step with blue the minimum, else step - 42, wrapped.
    __m256i redHue = _mm256_blendv_epi8(_mm256_sub_epi32(step, _mm256_set1_epi32(42)),
                                        _mm256_sub_epi32(_mm256_set1_epi32(42), step), blueMin);
    redHue = _mm256_add_epi32(
        redHue, _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), redHue), k255));
    hue = _mm256_blendv_epi8(hue, redHue, redMax);
    out.hue = _mm256_blendv_epi8(hue, _mm256_set1_epi32(170), grey);
    return out;
}

// ToChannel on four doubles: v x 255 truncated, clamped to 0..255.
VXP_HLS_TARGET inline __m128i ToChannel(__m256d v) {
    const __m128i c = _mm256_cvttpd_epi32(_mm256_mul_pd(v, _mm256_set1_pd(255)));
    return _mm_min_epi32(_mm_max_epi32(c, _mm_setzero_si128()), _mm_set1_epi32(255));
}

struct Levels {
    __m256d m1, m2;
    __m128i low, high;
};

VXP_HLS_TARGET inline Levels HalfLevels(__m128i lightness, __m128i saturation) {
    const __m256d l = _mm256_cvtepi32_pd(lightness);
    const __m256d s = _mm256_cvtepi32_pd(saturation);
    const __m256d inv255 = _mm256_set1_pd(1.0 / 255);
    // l * (s + 255) * 0.000015378700499807768 below lightness 128
    const __m256d darkM2 = _mm256_mul_pd(_mm256_mul_pd(l, _mm256_add_pd(s, _mm256_set1_pd(255))),
                                         _mm256_set1_pd(0.000015378700499807768));
    // (l + s - l * s * (1 / 255)) * (1 / 255) from 128 on
    const __m256d lightM2 = _mm256_mul_pd(
        _mm256_sub_pd(_mm256_add_pd(l, s), _mm256_mul_pd(_mm256_mul_pd(l, s), inv255)), inv255);
    const __m256d dark =
        _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_cmpgt_epi32(_mm_set1_epi32(128), lightness)));
    Levels out;
    out.m2 = _mm256_blendv_pd(lightM2, darkM2, dark);
    out.m1 = _mm256_sub_pd(_mm256_mul_pd(l, _mm256_set1_pd(0.00784313725490196)), out.m2);
    out.low = ToChannel(out.m1);
    out.high = ToChannel(out.m2);
    return out;
}

// m1 + (m2 - m1) * k * (1 / 42.5), as a channel.
VXP_HLS_TARGET inline __m128i HalfRamp(const Levels& v, __m128i k) {
    const __m256d ramp = _mm256_add_pd(
        v.m1, _mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(v.m2, v.m1), _mm256_cvtepi32_pd(k)),
                            _mm256_set1_pd(0.023529411764705882)));
    return ToChannel(ramp);
}

// One channel of HlsToRgb at hue position x (0..255): the rising ramp below
// 42.5, the plateau to 127.5, the falling ramp below 170, then the floor.
VXP_HLS_TARGET inline __m256i Channel(__m256i x, const Levels& lo, const Levels& hi) {
    const __m256i rising = _mm256_cmpgt_epi32(_mm256_set1_epi32(43), x);
    const __m256i k = _mm256_blendv_epi8(_mm256_sub_epi32(_mm256_set1_epi32(170), x), x, rising);
    const __m256i ramp = _mm256_setr_m128i(HalfRamp(lo, _mm256_castsi256_si128(k)),
                                           HalfRamp(hi, _mm256_extracti128_si256(k, 1)));
    const __m256i low = _mm256_setr_m128i(lo.low, hi.low);
    const __m256i high = _mm256_setr_m128i(lo.high, hi.high);
    const __m256i plateau =
        _mm256_andnot_si256(rising, _mm256_cmpgt_epi32(_mm256_set1_epi32(128), x));
    const __m256i falling = _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(128), x),
                                                _mm256_cmpgt_epi32(_mm256_set1_epi32(170), x));
    __m256i out = _mm256_blendv_epi8(low, ramp, _mm256_or_si256(rising, falling));
    return _mm256_blendv_epi8(out, high, plateau);
}

// HlsToRgb on eight colours; the fourth byte is carried through.
VXP_HLS_TARGET inline Channels ToBgr(const Hls& c, __m256i raw) {
    const Levels lo =
        HalfLevels(_mm256_castsi256_si128(c.lightness), _mm256_castsi256_si128(c.saturation));
    const Levels hi = HalfLevels(_mm256_extracti128_si256(c.lightness, 1),
                                 _mm256_extracti128_si256(c.saturation, 1));
    const __m256i k255 = _mm256_set1_epi32(255);
    const __m256i k85 = _mm256_set1_epi32(85);
    // Red at hue + 85 and blue at hue - 85, both wrapped by 255.
    __m256i xr = _mm256_add_epi32(c.hue, k85);
    xr = _mm256_sub_epi32(xr, _mm256_and_si256(_mm256_cmpgt_epi32(xr, k255), k255));
    __m256i xb = _mm256_sub_epi32(c.hue, k85);
    xb = _mm256_add_epi32(xb,
                          _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), xb), k255));
    const __m256i grey = _mm256_cmpeq_epi32(c.saturation, _mm256_setzero_si256());
    Channels out;
    out.blue = _mm256_blendv_epi8(Channel(xb, lo, hi), c.lightness, grey);
    out.green = _mm256_blendv_epi8(Channel(c.hue, lo, hi), c.lightness, grey);
    out.red = _mm256_blendv_epi8(Channel(xr, lo, hi), c.lightness, grey);
    out.raw = raw;
    return out;
}

// The pixels of a row the vector blocks cover.
size_t WidePixels(size_t pixels) {
    return pixels / 8 * 8;
}

VXP_HLS_TARGET void HueSaturationRows(uint8_t* dest, const uint8_t* src, size_t blocks,
                                      int bytesPerPixel, const HueSaturationWideTables& t) {
    const size_t step = 8 * static_cast<size_t>(bytesPerPixel);
    for (size_t i = 0; i < blocks; ++i, src += step, dest += step) {
        const Channels in = LoadPixels(src, bytesPerPixel);
        const Hls hls = ToHls(in.red, in.green, in.blue);
        __m256i lightness = hls.lightness, saturation = hls.saturation;
        if (!t.sharedRange) {
            const __m256i range = _mm256_i32gather_epi32(t.range, hls.hue, 4);
            lightness = _mm256_add_epi32(range, lightness);
            saturation = _mm256_add_epi32(range, saturation);
        }
        Hls turned;
        turned.hue = _mm256_i32gather_epi32(t.hue, hls.hue, 4);
        turned.lightness =
            t.lightnessIdentity ? hls.lightness : _mm256_i32gather_epi32(t.lightness, lightness, 4);
        turned.saturation = t.saturationIdentity
                                ? hls.saturation
                                : _mm256_i32gather_epi32(t.saturation, saturation, 4);
        StorePixels(dest, bytesPerPixel, ToBgr(turned, in.raw));
    }
}

VXP_HLS_TARGET void BalanceRows(uint8_t* dest, const uint8_t* src, size_t blocks, int bytesPerPixel,
                                const BalanceWideTables& t) {
    const size_t step = 8 * static_cast<size_t>(bytesPerPixel);
    for (size_t i = 0; i < blocks; ++i, src += step, dest += step) {
        const Channels in = LoadPixels(src, bytesPerPixel);
        Hls shifted = ToHls(_mm256_i32gather_epi32(t.red, in.red, 4),
                            _mm256_i32gather_epi32(t.green, in.green, 4),
                            _mm256_i32gather_epi32(t.blue, in.blue, 4));
        // The lightness of the original colour: (max + min) / 2.
        const __m256i maxc = _mm256_max_epi32(in.red, _mm256_max_epi32(in.green, in.blue));
        const __m256i minc = _mm256_min_epi32(in.red, _mm256_min_epi32(in.green, in.blue));
        shifted.lightness = _mm256_srli_epi32(_mm256_add_epi32(maxc, minc), 1);
        StorePixels(dest, bytesPerPixel, ToBgr(shifted, in.raw));
    }
}

} // namespace

bool HlsWidePathEnabled() {
    return wideAllowed.load(std::memory_order_relaxed) && HlsWideSupported();
}

size_t HueSaturationRowWide(uint8_t* dest, const uint8_t* src, size_t pixels, int bytesPerPixel,
                            const HueSaturationWideTables& tables) {
    if (!HlsWidePathEnabled() || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return 0;
    const size_t done = WidePixels(pixels);
    HueSaturationRows(dest, src, done / 8, bytesPerPixel, tables);
    return done;
}

size_t BalanceKeepLightnessRowWide(uint8_t* dest, const uint8_t* src, size_t pixels,
                                   int bytesPerPixel, const BalanceWideTables& tables) {
    if (!HlsWidePathEnabled() || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return 0;
    const size_t done = WidePixels(pixels);
    BalanceRows(dest, src, done / 8, bytesPerPixel, tables);
    return done;
}

#else // no vector path in this build

bool HlsWidePathEnabled() {
    return false;
}

size_t HueSaturationRowWide(uint8_t*, const uint8_t*, size_t, int, const HueSaturationWideTables&) {
    return 0;
}

size_t BalanceKeepLightnessRowWide(uint8_t*, const uint8_t*, size_t, int,
                                   const BalanceWideTables&) {
    return 0;
}

#endif
