// The CRC-32 of every extracted byte costs more than a sixth of the time of
// inflating it with zlib's table method. Processors with carry-less
// multiplication fold 64 bytes per step instead; the result is the same CRC,
// so the choice is made once at run time and zlib's routine stays the
// fallback (and the reference of the tests).
#include "zip/zip_crc.h"

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VXP_ZIP_CRC_FOLD 1
#endif

namespace ZipCrc {
namespace {

uint32_t TableUpdate(uint32_t crc, const uint8_t* data, size_t length) {
    // zlib takes its length as uInt; larger blocks go in pieces.
    while (length > 0) {
        const uInt step = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(crc32(crc, data, step));
        data += step;
        length -= step;
    }
    return crc;
}

#if VXP_ZIP_CRC_FOLD

// Folding constants of the reflected polynomial: x^(4*128+32) and
// x^(4*128-32) mod P for the four-lane fold, x^(128+32) and x^(128-32) for
// one lane, x^64 mod P for 64 bits, then P and its Barrett quotient.
alignas(16) const uint64_t kFold4[2] = {0x0154442bd4ull, 0x01c6e41596ull};
alignas(16) const uint64_t kFold1[2] = {0x01751997d0ull, 0x00ccaa009eull};
alignas(16) const uint64_t kFold64[2] = {0x0163cd6124ull, 0};
alignas(16) const uint64_t kBarrett[2] = {0x01db710641ull, 0x01f7011641ull};

// One 128-bit lane folded over the next block.
__attribute__((target("pclmul,sse4.1"))) inline __m128i FoldLane(__m128i x, __m128i k,
                                                                 __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), next), low);
}

// The inverted CRC state over length bytes, a multiple of 16 and at least 64.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldUpdate(uint32_t state, const uint8_t* p,
                                                             size_t length) {
    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold4));
    p += 64;
    length -= 64;
    while (length >= 64) {
        const __m128i l1 = _mm_clmulepi64_si128(x1, k, 0x00);
        const __m128i l2 = _mm_clmulepi64_si128(x2, k, 0x00);
        const __m128i l3 = _mm_clmulepi64_si128(x3, k, 0x00);
        const __m128i l4 = _mm_clmulepi64_si128(x4, k, 0x00);
        x1 = _mm_clmulepi64_si128(x1, k, 0x11);
        x2 = _mm_clmulepi64_si128(x2, k, 0x11);
        x3 = _mm_clmulepi64_si128(x3, k, 0x11);
        x4 = _mm_clmulepi64_si128(x4, k, 0x11);
        x1 = _mm_xor_si128(_mm_xor_si128(x1, l1),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        x2 = _mm_xor_si128(_mm_xor_si128(x2, l2),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        x3 = _mm_xor_si128(_mm_xor_si128(x3, l3),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
        x4 = _mm_xor_si128(_mm_xor_si128(x4, l4),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
        p += 64;
        length -= 64;
    }
    // Four lanes into one, then the remaining 16-byte blocks.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold1));
    x1 = FoldLane(x1, k, x2);
    x1 = FoldLane(x1, k, x3);
    x1 = FoldLane(x1, k, x4);
    while (length >= 16) {
        x1 = FoldLane(x1, k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        p += 16;
        length -= 16;
    }
    // 128 bits to 64, then Barrett reduction to 32.
    const __m128i mask = _mm_setr_epi32(-1, 0, -1, 0);
    x2 = _mm_clmulepi64_si128(x1, k, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kFold64));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask), k, 0x00), x2);
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
    x2 = _mm_and_si128(x1, mask);
    x2 = _mm_and_si128(_mm_clmulepi64_si128(x2, k, 0x10), mask);
    x2 = _mm_clmulepi64_si128(x2, k, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool DetectFold() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

const bool g_fold = DetectFold();

#endif

} // namespace

bool IsAccelerated() {
#if VXP_ZIP_CRC_FOLD
    return g_fold;
#else
    return false;
#endif
}

uint32_t Update(uint32_t crc, const void* data, size_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
#if VXP_ZIP_CRC_FOLD
    if (g_fold && length >= 64) {
        const size_t folded = length & ~static_cast<size_t>(15);
        crc = ~FoldUpdate(~crc, p, folded);
        p += folded;
        length -= folded;
    }
#endif
    return length == 0 ? crc : TableUpdate(crc, p, length);
}

} // namespace ZipCrc
