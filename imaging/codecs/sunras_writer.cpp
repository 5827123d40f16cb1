// Sun raster writing. The file written (see sunras_reader.cpp for the layout):
//   1 and 8 bpp: type 1 (raw), colour map type 1 with the palette (palette
//     count entries of red, then green, then blue), the rows as stored;
//   24 and 32 bpp: type 3 (RGB), no colour map, pixels red, green, blue
//     (32 bpp: a 0 filler byte first).
// A row whose deciding byte count ((width + 7) / 8 at 1 bpp, the width
// otherwise) is odd gets a 0 pad byte. The length word is height x (row bytes
// + pad); an image whose length does not fit in 32 bits is refused.
#include "imaging/codecs/sunras_codec.h"

#include <vector>

#include "imaging/image_object.h"

namespace {

void PutBe(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

bool CSunRasterWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0)
        return false;
    const int32_t depth = image->bitsPerPixel;
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32)
        return false;
    const uint32_t width = static_cast<uint32_t>(image->width);
    const uint32_t height = static_cast<uint32_t>(image->height);
    const uint64_t rowBytes =
        depth == 1 ? (width + 7) / 8 : static_cast<uint64_t>(width) * (depth / 8);
    const uint32_t pad = (depth == 1 ? (width + 7) / 8 : width) & 1;
    const uint64_t length = static_cast<uint64_t>(height) * (rowBytes + pad);
    if (length > UINT32_MAX)
        return false;
    const bool mapped = depth <= 8;
    const uint32_t entries = mapped ? static_cast<uint32_t>(image->paletteCount) : 0;

    std::vector<uint8_t> head;
    PutBe(head, 0x59A66A95u);
    PutBe(head, width);
    PutBe(head, height);
    PutBe(head, static_cast<uint32_t>(depth));
    PutBe(head, static_cast<uint32_t>(length));
    PutBe(head, mapped ? 1 : 3);
    PutBe(head, mapped ? 1 : 0);
    PutBe(head, entries * 3);
    for (int channel = 0; channel < 3; ++channel) {
        for (uint32_t i = 0; i < entries; ++i) {
            const PaletteEntry& e = image->palette[i];
            head.push_back(channel == 0 ? e.red : channel == 1 ? e.green : e.blue);
        }
    }

    CImageFileTarget target;
    if (!target.Open(path) || !target.Write(head.data(), head.size()))
        return false;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes + pad), 0);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* from = image->GetRow(static_cast<int32_t>(y), true);
        if (mapped) {
            std::copy(from, from + rowBytes, row.begin());
        } else {
            const uint32_t in = depth / 8;
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = from + static_cast<size_t>(x) * in;
                uint8_t* out = &row[static_cast<size_t>(x) * in];
                if (depth == 32)
                    *out++ = 0;
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            }
        }
        if (!target.Write(row.data(), row.size()))
            return false;
    }
    return target.Commit(image);
}
