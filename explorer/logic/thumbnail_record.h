// The thumbnail record: the value stored under a file's key in the index
// "Thumbnail" of the thumbnail database. All integers little-endian:
//
//   version        u8      always 0; another value is not used
//   file time      8 bytes the image file's last write (FILETIME)
//   width, height  i32     thumbnail size in pixels
//   bits per pixel u8      1, 8, 24 or 32
//   palette count  u32     only for 1 and 8 bpp
//   palette        count x 4 bytes (blue, green, red, reserved), 1 and 8 bpp
//   pixels         rest    stride x height bytes of top-down rows (stride
//                          rounded up to 4 bytes), one zlib `compress` stream
//
// Records come from a file that may be damaged or hostile, so a record is
// used only when every field is plausible for the current thumbnail size and
// the pixels inflate to exactly stride x height bytes; anything else counts as
// stale and the picture is decoded again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform_types.h"

class CByteStream;

// Capacity of the stream each worker writes and reads records through.
constexpr uint32_t kThumbnailStreamCapacity = 0x40000;
constexpr uint8_t kThumbnailRecordVersion = 0;

struct ThumbnailRecordHeader {
    uint8_t version = kThumbnailRecordVersion;
    uint64_t fileTime = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t bitsPerPixel = 0;
    uint32_t paletteCount = 0; // stored only for 1 and 8 bpp
};

// A parsed record: the header and where its palette and compressed pixels
// lie inside the bytes it was parsed from.
struct ThumbnailRecordView {
    ThumbnailRecordHeader header;
    const uint8_t* palette = nullptr; // paletteCount x 4 bytes
    const uint8_t* pixels = nullptr;  // the compressed stream
    size_t pixelsLength = 0;
    uint32_t stride = 0;   // bytes per row of the inflated pixels
    size_t pixelBytes = 0; // stride x height
};

// Writes the record into stream from its start (the stream is emptied
// first): the header, the palette for 1 and 8 bpp, then the pixels
// compressed straight into what is left of the stream's capacity. False, and
// nothing usable in the stream, when the header is not a valid one, the
// pixel count is not stride x height, or the compressed pixels do not fit.
bool EncodeThumbnailRecord(const ThumbnailRecordHeader& header, const PaletteEntry* palette,
                           const uint8_t* pixels, size_t pixelBytes, CByteStream* stream);

// Checks a record against the thumbnail box (maxWidth x maxHeight) and, when
// sound, fills view. A record is refused when its version is not 0, its file
// time is not expectedFileTime, bits per pixel is not 1, 8, 24 or 32, a side
// lies outside 1..max, the palette count is not 2 for 1 bpp or 2..256 for
// 8 bpp, the bytes end inside the header or the palette, or no compressed
// pixels follow.
bool ParseThumbnailRecord(const uint8_t* data, size_t length, uint64_t expectedFileTime,
                          int32_t maxWidth, int32_t maxHeight, ThumbnailRecordView* view);

// Inflates the record's pixels into destination, which holds exactly
// view.pixelBytes bytes; true only when the stream is whole and yields
// exactly that many bytes.
bool InflateThumbnailPixels(const ThumbnailRecordView& view, uint8_t* destination,
                            size_t destinationSize);
