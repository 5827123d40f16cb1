// GIF writing. The file written (16-bit values little-endian):
//   "GIF89a"; screen width, height; packed 0x87 (a global table of 256
//   entries); background index 0; aspect 0
//   global table: the palette as red, green, blue, zero-padded to 768 bytes
//   image descriptor: 0x2C, left 0, top 0, width, height, packed 0
//   minimum code size 8, the LZW sub-blocks (gif_lzw.h), a 0 terminator
//   trailer 0x3B
// The pixel indexes are written as they are: an 8 bpp image whose pixels use
// indexes at or above its palette count shows the padding's black there.
#include "imaging/codecs/gif_codec.h"

#include <vector>

#include "imaging/image_object.h"
#include "imaging/operations/indexed_color_op.h"

namespace {

const uint8_t* RowOf(const void* context, int32_t y) {
    return static_cast<const CImageObject*>(context)->GetRow(y, true);
}

void PutUInt16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

} // namespace

bool CGifWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0)
        return false;
    // The file's sizes are 16-bit: larger images cannot be stored at all.
    if (image->width > 0xFFFF || image->height > 0xFFFF)
        return false;

    CImageObject converted;
    const CImageObject* source = image;
    switch (image->bitsPerPixel) {
    case 8:
        break;
    case 1:
        if (!ExpandBitmapTo8(&converted, image))
            return false;
        source = &converted;
        break;
    case 24:
    case 32: {
        CIndexedColorOp reduce;
        if (!reduce.Apply(&converted, image))
            return false;
        source = &converted;
        break;
    }
    default:
        return false;
    }
    if (source->paletteCount < 1 || source->paletteCount > 256 || source->palette == nullptr)
        return false;

    std::vector<uint8_t> head = {'G', 'I', 'F', '8', '9', 'a'};
    PutUInt16(head, static_cast<uint32_t>(source->width));
    PutUInt16(head, static_cast<uint32_t>(source->height));
    head.push_back(0x87);
    head.push_back(0);
    head.push_back(0);
    for (int32_t i = 0; i < 256; ++i) {
        PaletteEntry e = i < source->paletteCount ? source->palette[i] : PaletteEntry{0, 0, 0, 0};
        head.push_back(e.red);
        head.push_back(e.green);
        head.push_back(e.blue);
    }
    head.push_back(0x2C);
    PutUInt16(head, 0);
    PutUInt16(head, 0);
    PutUInt16(head, static_cast<uint32_t>(source->width));
    PutUInt16(head, static_cast<uint32_t>(source->height));
    head.push_back(0);
    head.push_back(8);

    CImageFileTarget target;
    if (!target.Open(path))
        return false;
    const uint8_t tail[2] = {0x00, 0x3B};
    if (!target.Write(head.data(), head.size()) ||
        !m_encoder.Encode(&RowOf, source, source->width, source->height, &target) ||
        !target.Write(tail, sizeof tail))
        return false;
    return target.Commit(image);
}
