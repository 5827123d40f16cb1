#include "explorer/logic/thumbnail_record.h"

#include <zlib.h>

#include <cstring>

#include "imaging/byte_stream.h"
#include "platform/byte_order.h"
#include "platform/checked_size.h"

namespace {

constexpr size_t kFixedHeaderBytes = 1 + 8 + 4 + 4 + 1;

void StoreLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

bool HasPalette(uint8_t bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 8;
}

bool ValidDepth(uint8_t bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

bool ValidPaletteCount(uint8_t bitsPerPixel, uint32_t count) {
    if (bitsPerPixel == 1)
        return count == 2;
    if (bitsPerPixel == 8)
        return count >= 2 && count <= 256;
    return true;
}

// Stride and stride x height of a header whose sides are already in range.
bool PixelSize(const ThumbnailRecordHeader& header, uint32_t* stride, size_t* bytes) {
    const plat::CheckedSize row =
        plat::RowBytes(static_cast<uint64_t>(header.width), header.bitsPerPixel, 4);
    const plat::CheckedSize all = row * static_cast<uint64_t>(header.height);
    if (!row.FitsIn(UINT32_MAX) || !all.FitsIn(kThumbnailStreamCapacity * 64ull))
        return false;
    *stride = static_cast<uint32_t>(row.Value());
    *bytes = static_cast<size_t>(all.Value());
    return true;
}

} // namespace

bool EncodeThumbnailRecord(const ThumbnailRecordHeader& header, const PaletteEntry* palette,
                           const uint8_t* pixels, size_t pixelBytes, CByteStream* stream) {
    if (!stream || !pixels || header.width < 1 || header.height < 1 ||
        !ValidDepth(header.bitsPerPixel) ||
        (HasPalette(header.bitsPerPixel) &&
         (!palette || !ValidPaletteCount(header.bitsPerPixel, header.paletteCount))))
        return false;
    uint32_t stride = 0;
    size_t expected = 0;
    if (!PixelSize(header, &stride, &expected) || expected != pixelBytes)
        return false;
    stream->size = 0;
    stream->position = 0;
    uint8_t fixed[kFixedHeaderBytes];
    fixed[0] = header.version;
    StoreLE32(fixed + 1, static_cast<uint32_t>(header.fileTime));
    StoreLE32(fixed + 5, static_cast<uint32_t>(header.fileTime >> 32));
    StoreLE32(fixed + 9, static_cast<uint32_t>(header.width));
    StoreLE32(fixed + 13, static_cast<uint32_t>(header.height));
    fixed[17] = header.bitsPerPixel;
    if (stream->Write(fixed, sizeof fixed, false) != sizeof fixed)
        return false;
    if (HasPalette(header.bitsPerPixel)) {
        const uint32_t paletteBytes = header.paletteCount * 4;
        if (!stream->WriteUInt32LE(header.paletteCount) || stream->position > stream->capacity ||
            stream->Write(palette, paletteBytes, false) != paletteBytes)
            return false;
    }
    if (stream->position >= stream->capacity)
        return false;
    uLongf room = stream->capacity - stream->position;
    if (compress(stream->buffer + stream->position, &room, pixels,
                 static_cast<uLong>(pixelBytes)) != Z_OK)
        return false;
    stream->position += static_cast<uint32_t>(room);
    stream->size = stream->position;
    return true;
}

bool ParseThumbnailRecord(const uint8_t* data, size_t length, uint64_t expectedFileTime,
                          int32_t maxWidth, int32_t maxHeight, ThumbnailRecordView* view) {
    if (!data || !view || length < kFixedHeaderBytes)
        return false;
    ThumbnailRecordHeader header;
    header.version = data[0];
    header.fileTime =
        plat::LoadLE32(data + 1) | (static_cast<uint64_t>(plat::LoadLE32(data + 5)) << 32);
    header.width = static_cast<int32_t>(plat::LoadLE32(data + 9));
    header.height = static_cast<int32_t>(plat::LoadLE32(data + 13));
    header.bitsPerPixel = data[17];
    if (header.version != kThumbnailRecordVersion || header.fileTime != expectedFileTime ||
        !ValidDepth(header.bitsPerPixel) || header.width < 1 || header.width > maxWidth ||
        header.height < 1 || header.height > maxHeight)
        return false;
    size_t offset = kFixedHeaderBytes;
    const uint8_t* palette = nullptr;
    if (HasPalette(header.bitsPerPixel)) {
        if (length - offset < 4)
            return false;
        header.paletteCount = plat::LoadLE32(data + offset);
        offset += 4;
        if (!ValidPaletteCount(header.bitsPerPixel, header.paletteCount) ||
            length - offset < header.paletteCount * 4ull)
            return false;
        palette = data + offset;
        offset += header.paletteCount * 4;
    }
    if (offset >= length)
        return false;
    ThumbnailRecordView parsed;
    if (!PixelSize(header, &parsed.stride, &parsed.pixelBytes))
        return false;
    parsed.header = header;
    parsed.palette = palette;
    parsed.pixels = data + offset;
    parsed.pixelsLength = length - offset;
    *view = parsed;
    return true;
}

bool InflateThumbnailPixels(const ThumbnailRecordView& view, uint8_t* destination,
                            size_t destinationSize) {
    if (!destination || !view.pixels || destinationSize != view.pixelBytes)
        return false;
    uLongf produced = static_cast<uLongf>(destinationSize);
    return uncompress(destination, &produced, view.pixels, static_cast<uLong>(view.pixelsLength)) ==
               Z_OK &&
           produced == destinationSize;
}
