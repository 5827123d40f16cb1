// Icon reading.
//
// Layout (little-endian): a 6-byte header (reserved 0, type 1, entry count),
// then one 16-byte directory entry per image: width (byte, 0 = 256), height
// (byte, 0 = 256), colours, reserved, planes, bit count (16-bit each), data
// size (32-bit, offset 8) and data offset (32-bit, offset 12) from the start
// of the file. An entry's data is either a PNG file (it starts with the PNG
// signature) or a device-independent bitmap without file header whose height
// counts the colour rows and the 1-bit mask rows after them: the colour
// bitmap (header, colour table, rows padded to 4 bytes, bottom row first),
// then the mask, one bit per pixel, 1 = transparent, rows of (width + 31) /
// 32 x 4 bytes, bottom row first.
// Entries are decoded in order; the first one that cannot be read ends the
// list, and an icon whose first entry cannot be read is refused. In 8 bpp
// results, pixels with index 0 under a set mask bit take the index of light
// grey (192, 192, 192, 0), which is appended to the palette when it is
// missing and there is room.
#include "imaging/codecs/ico_reader.h"

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/byte_order.h"
#include "platform/checked_size.h"

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const PaletteEntry kLightGrey = {192, 192, 192, 0};

using plat::CheckedSize;
using plat::LoadLE16;
using plat::LoadLE32;

// Makes target a copy of source's pixels and palette, with extra palette
// entries appended when given (8 bpp only).
bool Adopt(CImageObject* target, const CImageObject* source, const PaletteEntry* extra = nullptr) {
    const int32_t count = source->paletteCount + (extra != nullptr ? 1 : 0);
    if (!target->Create(source->width, source->height, source->bitsPerPixel, count))
        return false;
    for (int32_t i = 0; i < source->paletteCount; ++i)
        target->palette[i] = source->palette[i];
    if (extra != nullptr)
        target->palette[source->paletteCount] = *extra;
    for (int32_t y = 0; y < source->height; ++y)
        std::memcpy(target->GetRow(y, true), source->GetRow(y, true),
                    static_cast<size_t>(source->stride));
    return target->UpdateColorTable();
}

// Where the mask of a bitmap entry lies, when it is wholly inside the data.
bool FindMask(const uint8_t* data, uint32_t size, int32_t width, int32_t height, uint64_t* offset,
              uint32_t* rowBytes) {
    const uint32_t headerSize = LoadLE32(data);
    uint32_t bitCount, colours, entryBytes, extra = 0;
    if (headerSize == 12) {
        bitCount = LoadLE16(data + 10);
        colours = bitCount <= 8 ? 1u << bitCount : 0;
        entryBytes = 3;
    } else {
        if (size < 40)
            return false;
        bitCount = LoadLE16(data + 14);
        colours = LoadLE32(data + 32);
        if (colours == 0 && bitCount <= 8)
            colours = 1u << bitCount;
        if (colours > 256)
            return false;
        entryBytes = 4;
        if (LoadLE32(data + 16) == 3 && headerSize == 40)
            extra = 12; // the three bit-field masks
    }
    const CheckedSize colourRow = plat::RowBytes(static_cast<uint64_t>(width), bitCount, 4);
    const CheckedSize maskRow = plat::RowBytes(static_cast<uint64_t>(width), 1, 4);
    const CheckedSize maskAt = CheckedSize(headerSize) + extra + CheckedSize(colours) * entryBytes +
                               colourRow * static_cast<uint64_t>(height);
    if (!(maskAt + maskRow * static_cast<uint64_t>(height)).FitsIn(size))
        return false;
    *rowBytes = static_cast<uint32_t>(maskRow.Value());
    *offset = maskAt.Value();
    return true;
}

} // namespace

bool CIconReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadIcon(view, image); });
}

bool CIconReader::DecodeEntry(const uint8_t* bytes, uint32_t size, CImageObject* entry) {
    if (size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0) {
        CPngReader png;
        png.m_pixelLimit = m_pixelLimit;
        return png.ReadFromMemory(bytes, size, entry);
    }
    if (size < 16)
        return false;
    // The file view is read-only: the height is halved in a copy.
    std::vector<uint8_t> data(bytes, bytes + size);
    const uint32_t headerSize = LoadLE32(data.data());
    int32_t height;
    if (headerSize == 12) {
        height = LoadLE16(&data[6]) / 2;
        data[6] = static_cast<uint8_t>(height);
        data[7] = static_cast<uint8_t>(height >> 8);
    } else if (headerSize >= 40 && size >= 40) {
        height = static_cast<int32_t>(LoadLE32(&data[8])) / 2;
        for (int i = 0; i < 4; ++i)
            data[8 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));
    } else {
        return false;
    }
    if (height <= 0)
        return false;
    CByteStream stream;
    stream.AttachReadOnly(data.data(), size);
    if (!CBmpReader::ReadFromStream(stream, entry, false))
        return false;
    if (entry->bitsPerPixel != 8 || entry->height != height)
        return true;

    uint64_t maskOffset;
    uint32_t maskRow;
    if (!FindMask(data.data(), size, entry->width, height, &maskOffset, &maskRow))
        return true; // no mask to apply
    int32_t transparent = entry->FindPaletteEntry(kLightGrey);
    if (transparent < 0) {
        if (entry->paletteCount < 256) {
            CImageObject grown;
            if (!Adopt(&grown, entry, &kLightGrey))
                return false;
            transparent = entry->paletteCount;
            if (!Adopt(entry, &grown))
                return false;
        } else {
            transparent = 255;
        }
    }
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* mask = &data[maskOffset + static_cast<uint64_t>(maskRow) * (height - 1 - y)];
        uint8_t* row = entry->GetRow(y, true);
        for (int32_t x = 0; x < entry->width; ++x) {
            if (row[x] == 0 && (mask[x / 8] & (0x80 >> (x % 8))) != 0)
                row[x] = static_cast<uint8_t>(transparent);
        }
    }
    return true;
}

bool CIconReader::ReadIcon(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 6)
        return false;
    const uint32_t start = s.position;
    const uint32_t total = s.Remaining();
    const uint8_t* file = s.buffer + start;
    const uint32_t count = LoadLE16(file + 4);
    if (LoadLE16(file) != 0 || LoadLE16(file + 2) != 1 || count == 0)
        return false;
    if (total < 6 + 16 * count)
        return false;

    // No events while the entries are decoded, by the bitmap reader or here.
    const ImageProgressCallback progress = m_progress;
    m_progress = nullptr;
    const plat::FileTimeValue fileTime = image->fileTime;
    bool decoded = false;
    for (uint32_t i = 0; i < count; ++i) {
        if (StopRequested(image)) {
            m_progress = progress;
            return false;
        }
        const uint8_t* dir = file + 6 + 16 * i;
        const uint32_t size = LoadLE32(dir + 8);
        const uint32_t offset = LoadLE32(dir + 12);
        if (size == 0 || offset > total || size > total - offset)
            break; // the list ends here
        if (image->headerOnly) {
            image->fullWidth = dir[0] == 0 ? 256 : dir[0];
            image->fullHeight = dir[1] == 0 ? 256 : dir[1];
            m_progress = progress;
            return true;
        }
        std::unique_ptr<CImageObject> entry(new CImageObject());
        if (!DecodeEntry(file + offset, size, entry.get()))
            break;
        if (!decoded) {
            if (!Adopt(image, entry.get()))
                break;
            decoded = true;
        } else {
            entry->rowsDecoded = entry->height;
            if (!image->AddFrame(entry.get()))
                break;
            entry.release();
        }
    }
    m_progress = progress;
    if (!decoded)
        return false;
    image->fileTime = fileTime;
    SignalHeaderReady(image);
    ReportRows(image, 0, image->height);
    SignalComplete(image);
    return true;
}
