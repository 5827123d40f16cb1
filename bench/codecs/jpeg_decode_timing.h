// Timing of our JPEG reader's decode at the four DCT scales, shared by the
// native benchmark and the Windows timer so that both measure the same thing.
#pragma once

#include <cstdint>
#include <functional>

struct DecodeScale {
    int32_t denominator; // the DCT scale 1/denominator the reader must choose
    double zoom;         // zoom handed to the reader to get it
};

// The reader picks 1/N for a zoom in [1/(2N), 1/N) and the next larger scale
// at exactly 1/(2N), so each zoom sits inside its range, away from the edges.
constexpr DecodeScale kDecodeScales[] = {{1, 1.0}, {2, 0.3}, {4, 0.2}, {8, 0.1}};

struct DecodeTiming {
    bool ok = false;      // every run decoded to the expected size
    double seconds = 0.0; // best run
    int32_t width = 0;    // decoded size of the last run
    int32_t height = 0;
    int32_t fullWidth = 0; // size in the file
    int32_t fullHeight = 0;
};

// Best wall time of `repeats` calls of run, after one untimed warm-up call
// (page cache, allocator). ok turns false when any call returned false.
double BestSeconds(const std::function<bool()>& run, int repeats, bool* ok);

// Best of `repeats` full reads (CJpegReader::Read: events, EXIF, DCT scale
// from the zoom) of path into a fresh image each time. ok is false when a read
// failed or did not decode at 1/scale.denominator of the file's size (rounded
// up, as the library does).
DecodeTiming TimeReaderDecode(const char* path, const DecodeScale& scale, int repeats);

// Best time to create a 24-bpp image of width x height and write one byte in
// every 4 KiB of it: what a fresh pixel buffer costs a decode (allocation,
// zeroing, first-touch page faults) before any pixel is decoded. Negative
// when the image cannot be created.
double TimePixelBuffer(int32_t width, int32_t height, int repeats);
