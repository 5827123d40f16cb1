// Wireless bitmaps.
//
// Layout: four multi-byte integers, then the rows.
//   type field, fixed header field, width, height
// A multi-byte integer holds 7 bits per byte, the most significant group
// first, with bit 7 set on every byte but the last (200 = 0x81 0x48). Values
// are limited to 32 bits: a longer integer is refused.
// Rows: (width + 7) / 8 bytes each, top row first, most significant bit
// first, 1 = white and 0 = black. The reader takes the type and fixed header
// without checking them; the writer writes 0 for both.
#include "imaging/codecs/wbmp_codec.h"

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/operations/mode_conversions.h"
#include "imaging/win32_file.h"

namespace {

bool ReadMultiByte(CByteStream& s, uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < 5; ++i) {
        if (s.Remaining() < 1)
            return false;
        uint8_t b = s.ReadUInt8();
        if (v > (UINT32_MAX >> 7))
            return false; // more than 32 bits
        v = (v << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) {
            *value = v;
            return true;
        }
    }
    return false;
}

void PutMultiByte(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

int32_t Lightness(const PaletteEntry& e) {
    return 54 * e.red + 183 * e.green + 19 * e.blue;
}

} // namespace

bool CWbmpReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CWbmpReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr)
        return false;
    uint32_t type, fixed, width, height;
    if (!ReadMultiByte(s, &type) || !ReadMultiByte(s, &fixed) || !ReadMultiByte(s, &width) ||
        !ReadMultiByte(s, &height))
        return false;
    if (width <= INT32_MAX && height <= INT32_MAX) {
        image->fullWidth = static_cast<int32_t>(width);
        image->fullHeight = static_cast<int32_t>(height);
    }
    if (!SizeAllowed(width, height))
        return false;
    // Asked for the size alone, the reader gives it without decoding: a tiny
    // file must not cost a bitmap of the size it claims just to be listed.
    if (image->headerOnly)
        return true;
    if (!image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 1, 0) ||
        StopRequested(image))
        return false;
    if (!image->UpdateColorTable())
        return false;
    SignalHeaderReady(image);
    const uint32_t rowBytes = (width + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        if (StopRequested(image))
            return false;
        uint32_t got = s.Read(image->GetRow(static_cast<int32_t>(y), true), rowBytes);
        if (got < rowBytes)
            break; // the remaining rows stay as created
        ReportRows(image, static_cast<int32_t>(y), 1);
    }
    SignalComplete(image);
    return true;
}

bool CWbmpWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0)
        return false;
    CImageObject grey, bilevel;
    const CImageObject* source = image;
    if (image->bitsPerPixel != 1) {
        CImageObject* greySource = image;
        if (!image->IsGrayscalePalette()) {
            CGrayscaleModeOp toGrey;
            if (!toGrey.Apply(&grey, image))
                return false;
            greySource = &grey;
        }
        CBitmapModeOp toBits;
        if (!toBits.Apply(&bilevel, greySource))
            return false;
        source = &bilevel;
    }
    // WBMP bits mean white; a palette whose entry 0 is the lighter one stores
    // white as 0 and is written inverted.
    const bool invert =
        source->paletteCount >= 2 && Lightness(source->palette[0]) > Lightness(source->palette[1]);

    std::vector<uint8_t> head = {0, 0};
    PutMultiByte(head, static_cast<uint32_t>(source->width));
    PutMultiByte(head, static_cast<uint32_t>(source->height));
    CImageFileTarget target;
    if (!target.Open(path) || !target.Write(head.data(), head.size()))
        return false;
    const uint32_t rowBytes = (static_cast<uint32_t>(source->width) + 7) / 8;
    const uint32_t tailBits = static_cast<uint32_t>(source->width) % 8;
    const uint8_t lastMask = tailBits == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - tailBits));
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = 0; y < source->height; ++y) {
        const uint8_t* from = source->GetRow(y, true);
        for (uint32_t i = 0; i < rowBytes; ++i)
            row[i] = invert ? static_cast<uint8_t>(~from[i]) : from[i];
        row[rowBytes - 1] &= lastMask; // padding bits are written as 0
        if (!target.Write(row.data(), row.size()))
            return false;
    }
    return target.Commit(image);
}
