// Helpers of the image object tests: palette entries, a recognisable pixel
// pattern and a copy of every row byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image_object.h"

namespace image_test {

inline PaletteEntry Bgr(uint8_t b, uint8_t g, uint8_t r, uint8_t reserved = 0) {
    return PaletteEntry{b, g, r, reserved};
}

// Writes a recognisable pattern into every pixel byte (not the row padding).
inline void Pattern(CImageObject& image, uint8_t seed) {
    int bytes = (image.width * image.bitsPerPixel + 7) / 8;
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = image.GetRow(y, true);
        for (int x = 0; x < bytes; ++x)
            row[x] = static_cast<uint8_t>(seed + y * 31 + x * 7);
    }
}

inline std::vector<uint8_t> Pixels(const CImageObject& image) {
    return std::vector<uint8_t>(image.bits,
                                image.bits + static_cast<size_t>(image.stride) * image.height);
}

} // namespace image_test
