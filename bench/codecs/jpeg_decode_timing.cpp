#include "bench/codecs/jpeg_decode_timing.h"

#include <algorithm>
#include <chrono>

#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"

double BestSeconds(const std::function<bool()>& run, int repeats, bool* ok) {
    bool allOk = run();
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        allOk = run() && allOk;
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    if (ok != nullptr) {
        *ok = allOk;
    }
    return best;
}

DecodeTiming TimeReaderDecode(const char* path, const DecodeScale& scale, int repeats) {
    DecodeTiming timing;
    const int32_t n = scale.denominator;
    bool sizesOk = true;
    bool ok = false;
    timing.seconds = BestSeconds(
        [&] {
            CJpegReader reader;
            reader.m_zoom = scale.zoom;
            CImageObject image;
            if (!reader.Read(path, &image)) {
                return false;
            }
            timing.width = image.width;
            timing.height = image.height;
            timing.fullWidth = image.fullWidth;
            timing.fullHeight = image.fullHeight;
            sizesOk = sizesOk && image.width == (image.fullWidth + n - 1) / n &&
                      image.height == (image.fullHeight + n - 1) / n;
            return true;
        },
        repeats, &ok);
    timing.ok = ok && sizesOk;
    return timing;
}

double TimePixelBuffer(int32_t width, int32_t height, int repeats) {
    bool ok = false;
    const double seconds = BestSeconds(
        [&] {
            CImageObject image;
            if (!image.Create(width, height, 24, 0) || image.bits == nullptr) {
                return false;
            }
            volatile uint8_t* bits = image.bits;
            const size_t bytes = static_cast<size_t>(image.stride) * static_cast<size_t>(height);
            for (size_t offset = 0; offset < bytes; offset += 4096) {
                bits[offset] = 1;
            }
            return true;
        },
        repeats, &ok);
    return ok ? seconds : -1.0;
}
