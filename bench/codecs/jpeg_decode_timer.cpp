// The Windows build's JPEG decode, timed: CJpegReader::Read of one file at the
// DCT scales 1, 1/2, 1/4 and 1/8 (the same zooms as the native benchmark), to
// be run under Wine by run.sh on the native benchmark's 24-megapixel image.
//
//   jpeg_decode_timer FILE [repeats]
//
// Prints one table row per scale (the columns of the native table that apply), best of `repeats`
// (default 5) after one untimed warm-up; exit code 1 when a decode failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/codecs/jpeg_decode_timing.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [repeats]\n", argv[0]);
        return 1;
    }
    const char* path = argv[1];
    const int repeats = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 5;
    std::printf("JPEG decode, Windows build (%d-bit): %s, best of %d, one thread\n",
                static_cast<int>(sizeof(void*) * 8), path, repeats);
    std::printf("%-6s %-10s %8s %10s %8s\n", "scale", "output", "ours ms", "ours Mpx/s", "buffer");
    bool allOk = true;
    for (const DecodeScale& scale : kDecodeScales) {
        const DecodeTiming t = TimeReaderDecode(path, scale, repeats);
        allOk = allOk && t.ok;
        const double megapixels = t.fullWidth * static_cast<double>(t.fullHeight) / 1e6;
        char output[32];
        std::snprintf(output, sizeof output, "%dx%d", static_cast<int>(t.width),
                      static_cast<int>(t.height));
        const std::string factor = "1/" + std::to_string(scale.denominator);
        const double buffer = TimePixelBuffer(t.width, t.height, repeats);
        std::printf("%-6s %-10s %8.1f %10.1f %8.1f%s\n", factor.c_str(), output, 1000.0 * t.seconds,
                    t.seconds > 0 ? megapixels / t.seconds : 0.0, 1000.0 * buffer,
                    t.ok ? "" : "  FAILED (no decode or wrong size)");
    }
    std::printf("buffer: ms to create our 24-bpp image (a DIB section) of the output size and "
                "touch its pages, part of ours\n");
    std::fflush(stdout);
    return allOk ? 0 : 1;
}
