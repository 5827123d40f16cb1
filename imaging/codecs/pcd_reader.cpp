// Photo CD reading: the 768 x 512 base image only.
//
// Layout: the base image starts at byte 0x30000 and holds 256 row triples of
// 768 + 768 + 768 bytes: a luma row, a second luma row, and a chroma row
// (384 bytes of the first chroma value, then 384 of the second), so each
// triple gives two image rows whose pixel k shares chroma byte k / 2. The
// file must hold all of it (0x30000 + 256 x 2304 = 786,432 bytes).
// Byte 72 gives the row order: low 6 bits equal to 8 means the rows are
// stored from the top, anything else from the bottom (the image's top-down
// flag is then cleared, so the progressive display fills from the bottom).
// Colour: with d = C1 - 156, e = C2 - 137 and f = 1.407488 x Y,
//   red   = 0.0000256 d + 1.3230336 e + f
//   green = f - 0.3954176 d - 0.67392 e
//   blue  = f + 2.0360448 d + 0.0000256 e
// each rounded down after adding 0.5 and clamped to 0..255.
#include "imaging/codecs/pcd_reader.h"

#include <cmath>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

const uint32_t kBaseOffset = 0x30000;
const uint32_t kRowBytes = 768;
const uint32_t kTripleBytes = 3 * kRowBytes;

uint8_t Clamp(double v) {
    double r = std::floor(v + 0.5);
    return r < 0.0 ? 0 : r > 255.0 ? 255 : static_cast<uint8_t>(r);
}

} // namespace

bool CPcdReader::Read(const char* path, CImageObject* image) {
    if (image == nullptr)
        return false;
    if (image->headerOnly) {
        image->fullWidth = kWidth;
        image->fullHeight = kHeight;
        return true;
    }
    CMappedFile file;
    CByteStream view;
    if (!OpenSource(path, file, view, image))
        return false;
    return ReadFromStream(view, image);
}

bool CPcdReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr)
        return false;
    image->fullWidth = kWidth;
    image->fullHeight = kHeight;
    if (image->headerOnly)
        return true;
    const uint32_t start = s.position;
    if (s.Remaining() < kBaseOffset + 256 * kTripleBytes)
        return false; // every triple is needed; a short file fails before any pixel
    if (!SizeAllowed(kWidth, kHeight) || !image->Create(kWidth, kHeight, 24, 0) ||
        StopRequested(image) || !image->UpdateColorTable())
        return false;
    image->topDown = (s.buffer[start + 72] & 0x3F) == 8;
    SignalHeaderReady(image);

    const uint8_t* triple = s.buffer + start + kBaseOffset;
    for (int32_t t = 0; t < kHeight / 2; ++t, triple += kTripleBytes) {
        const uint8_t* chroma = triple + 2 * kRowBytes;
        for (int32_t half = 0; half < 2; ++half) {
            const int32_t y = 2 * t + half;
            if (StopRequested(image))
                return false;
            const uint8_t* luma = triple + half * kRowBytes;
            uint8_t* row = image->GetRow(y, image->topDown);
            for (int32_t k = 0; k < kWidth; ++k) {
                const double d = chroma[k / 2] - 156.0;
                const double e = chroma[384 + k / 2] - 137.0;
                const double f = 1.407488 * luma[k];
                row[3 * k + 2] = Clamp(d * 0.0000256 + e * 1.3230336 + f);
                row[3 * k + 1] = Clamp(f - 0.3954176 * d - 0.67392 * e);
                row[3 * k] = Clamp(f + 2.0360448 * d + 0.0000256 * e);
            }
            ReportRows(image, y, 1);
        }
    }
    SignalComplete(image);
    return true;
}
