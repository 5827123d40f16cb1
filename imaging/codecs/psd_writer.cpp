// Photoshop document writing: a flat, uncompressed document (layout in
// psd_reader.cpp), big-endian "8BPS", version 1:
//   1 bpp   mode 0, 1 channel, depth 1, rows of (width + 7) / 8 bytes with
//           1 = black (inverted when the palette's entry 1 is the lighter)
//   8 bpp   mode 1 (1 channel) when the palette is the grey ramp, else mode 2
//           with 768 bytes of colour data: 256 reds, greens, blues, entries
//           past the palette count written as 0
//   24 bpp  mode 3, 3 channels red, green, blue
//   32 bpp  mode 3, 4 channels red, green, blue and the fourth byte
// Image resources and layer information are empty; compression 0.
#include "imaging/codecs/psd_codec.h"

#include <vector>

#include "imaging/image_object.h"

namespace {

void Be(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int32_t Lightness(const PaletteEntry& e) {
    return 54 * e.red + 183 * e.green + 19 * e.blue;
}

} // namespace

bool CPsdWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0)
        return false;
    const int32_t bpp = image->bitsPerPixel;
    if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    const bool grey = bpp == 8 && image->IsGrayscalePalette();
    const uint32_t channels = bpp == 24 ? 3 : bpp == 32 ? 4 : 1;
    const uint32_t mode = bpp == 1 ? 0 : bpp == 8 ? (grey ? 1 : 2) : 3;

    std::vector<uint8_t> head = {'8', 'B', 'P', 'S'};
    Be(head, 1, 2);
    head.insert(head.end(), 6, 0);
    Be(head, channels, 2);
    Be(head, static_cast<uint32_t>(image->height), 4);
    Be(head, static_cast<uint32_t>(image->width), 4);
    Be(head, bpp == 1 ? 1 : 8, 2);
    Be(head, mode, 2);
    if (mode == 2) {
        Be(head, 768, 4);
        for (int channel = 0; channel < 3; ++channel)
            for (int32_t i = 0; i < 256; ++i) {
                PaletteEntry e =
                    i < image->paletteCount ? image->palette[i] : PaletteEntry{0, 0, 0, 0};
                head.push_back(channel == 0 ? e.red : channel == 1 ? e.green : e.blue);
            }
    } else {
        Be(head, 0, 4);
    }
    Be(head, 0, 4); // image resources
    Be(head, 0, 4); // layer and mask information
    Be(head, 0, 2); // raw

    CImageFileTarget target;
    if (!target.Open(path) || !target.Write(head.data(), head.size()))
        return false;
    const uint32_t width = static_cast<uint32_t>(image->width);
    const bool invert = bpp == 1 && image->paletteCount >= 2 &&
                        Lightness(image->palette[1]) > Lightness(image->palette[0]);
    std::vector<uint8_t> row(bpp == 1 ? (width + 7) / 8 : width);
    for (uint32_t c = 0; c < channels; ++c) {
        for (int32_t y = 0; y < image->height; ++y) {
            const uint8_t* from = image->GetRow(y, true);
            if (bpp == 1) {
                for (size_t i = 0; i < row.size(); ++i)
                    row[i] = invert ? static_cast<uint8_t>(~from[i]) : from[i];
                if (width % 8 != 0)
                    row.back() &= static_cast<uint8_t>(0xFF << (8 - width % 8));
            } else if (bpp == 8) {
                std::copy(from, from + width, row.begin());
            } else {
                const uint32_t step = static_cast<uint32_t>(bpp / 8);
                const uint32_t at = c < 3 ? 2 - c : 3;
                for (uint32_t x = 0; x < width; ++x)
                    row[x] = from[x * step + at];
            }
            if (!target.Write(row.data(), row.size()))
                return false;
        }
    }
    return target.Commit(image);
}
