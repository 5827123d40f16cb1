// JPEG writer: encodes an image with the user's quality, coding and metadata
// options; can write the file's Exif and ICC blocks back.
#pragma once

#include <cstdint>

#include "imaging/codecs/image_writer.h"

class CImageObject;

class CJpegWriter : public CImageWriter {
public:
    // 24 and 32 bpp (fourth byte dropped) as three components; 8 bpp with the
    // grey palette as one; 1 bpp and other 8-bpp images through a 24-bpp copy.
    // False for an image without pixels, on any library error and on any file
    // failure, with the old target left as it was.
    bool Write(const char* path, CImageObject* image) override;

    int32_t m_quality = 75;       // clamped to 0..100; 0 encodes as 1
    bool m_optimizeCoding = true; // optimal Huffman tables
    bool m_baseline = true;       // false: progressive
    bool m_keepMetadata = true;   // write the EXIF record's raw APP1/APP2 blocks
};
