// Bitmap file layout, as read and written here (integers little-endian):
//
//   file header, 14 bytes (absent in a packed bitmap):
//     0  "BM"
//     2  u32 file size (not trusted)
//     6  u16, u16 reserved
//     10 u32 offset of the pixel data from the start of the file header
//   info header, 40 bytes:                      core header, 12 bytes:
//     0  u32 header size = 40                     0  u32 header size = 12
//     4  i32 width, > 0                           4  u16 width, > 0
//     8  i32 height, != 0; < 0: rows top-down     6  u16 height, > 0; rows bottom-up
//     12 u16 planes (1)                           8  u16 planes
//     14 u16 bit count                            10 u16 bit count
//     16 u32 compression: 0 none, 1 RLE8, 2 RLE4, 3 bit fields
//     20 u32 image size; 24, 28 i32 resolution (all three not trusted)
//     32 u32 colours used; 36 u32 colours important
//   masks: with compression 3, three u32 (red, green, blue) after the 40-byte header
//   colour table: colours used entries, or 2^bit count when that is 0 and the bit
//     count is at most 8; 4 bytes each (blue, green, red, reserved), or 3 bytes
//     (blue, green, red) after a core header
//   pixels: rows of ((bit count x width + 31) / 32) x 4 bytes, bottom row first
//     unless the height is negative; with compression 1 or 2 a run-length stream.
//
// Variants read: bit count 1 (compression 0), 4 (0, 2), 8 (0, 1), 16 (0, 3),
// 24 (0) and 32 (0, 3). Every other combination, and every other header size
// (including the 108- and 124-byte headers), is refused before the image is
// touched. A packed bitmap's pixels start right after its masks and colour table.
// Rows missing at the end of the data leave a partial image (read succeeds).
//
// The writer stores 1, 8, 24 and 32 bpp images with the 40-byte header,
// compression 0, positive height (rows bottom-up), colours used = palette count,
// and each row padded with zero bytes to a multiple of 4.

#include "imaging/codecs/bmp_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/byte_order.h"
#include "platform/checked_size.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kMaxTableEntries = 256;

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3 };

using plat::CheckedSize;
using plat::LoadLE16;
using plat::LoadLE32;

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Everything the decoder needs from the headers; offsets are from the start of
// the data handed to the reader (the file header when there is one).
struct BmpLayout {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0; // always positive
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t tableEntries = 0; // entries stored in the file
    uint32_t entrySize = 4;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F}; // red, green, blue
    uint64_t tableOffset = 0;
    uint64_t pixelOffset = 0;
};

bool CompressionHandled(uint32_t bitCount, uint32_t compression) {
    switch (bitCount) {
    case 1:
    case 24:
        return compression == kBiRgb;
    case 4:
        return compression == kBiRgb || compression == kBiRle4;
    case 8:
        return compression == kBiRgb || compression == kBiRle8;
    case 16:
    case 32:
        return compression == kBiRgb || compression == kBiBitfields;
    default:
        return false;
    }
}

// Reads and checks the headers; false for anything this reader does not handle.
bool ParseLayout(const uint8_t* data, uint64_t size, bool hasFileHeader, BmpLayout* out) {
    BmpLayout h;
    uint64_t at = 0;
    uint32_t fileOffset = 0;
    if (hasFileHeader) {
        if (size < kFileHeaderSize || data[0] != 'B' || data[1] != 'M')
            return false;
        fileOffset = LoadLE32(data + 10);
        at = kFileHeaderSize;
    }
    if (size - at < 4)
        return false;
    h.headerSize = LoadLE32(data + at);
    if (h.headerSize != kInfoHeaderSize && h.headerSize != kCoreHeaderSize)
        return false;
    if (size - at < h.headerSize)
        return false;
    const uint8_t* p = data + at;
    int64_t height;
    uint32_t colorsUsed = 0;
    if (h.headerSize == kInfoHeaderSize) {
        h.width = static_cast<int32_t>(LoadLE32(p + 4));
        height = static_cast<int32_t>(LoadLE32(p + 8));
        h.bitCount = LoadLE16(p + 14);
        h.compression = LoadLE32(p + 16);
        colorsUsed = LoadLE32(p + 32);
    } else {
        h.width = LoadLE16(p + 4);
        height = LoadLE16(p + 6);
        h.bitCount = LoadLE16(p + 10);
        h.compression = kBiRgb;
        h.entrySize = 3;
    }
    // The height is taken in 64 bits so that the most negative value has a magnitude.
    if (h.width <= 0 || height == 0 || height < -static_cast<int64_t>(INT32_MAX))
        return false;
    h.topDown = height < 0;
    h.height = static_cast<int32_t>(h.topDown ? -height : height);
    if (!CompressionHandled(h.bitCount, h.compression))
        return false;

    at += h.headerSize;
    if (h.compression == kBiBitfields) {
        if (size - at < 12)
            return false;
        for (int i = 0; i < 3; ++i)
            h.masks[i] = LoadLE32(data + at + 4 * i);
        at += 12;
    }
    if (colorsUsed != 0)
        h.tableEntries = colorsUsed;
    else if (h.bitCount <= 8)
        h.tableEntries = 1u << h.bitCount;
    if (h.bitCount <= 8 && h.tableEntries > kMaxTableEntries)
        return false;
    h.tableOffset = at;
    // At most 256 entries of 4 bytes after a header inside the data: no overflow,
    // but the sum goes through the one checked path like every other size here.
    const CheckedSize packedPixels = CheckedSize(at) + CheckedSize(h.entrySize) * h.tableEntries;
    if (!packedPixels.Valid())
        return false;
    h.pixelOffset = hasFileHeader ? fileOffset : packedPixels.Value();
    *out = h;
    return true;
}

// One bit-field channel brought to 8 bits: the field is shifted down to bit 0,
// then narrow fields are shifted up and wide ones down to 8 bits. The width is
// the span from the lowest to the highest set bit, so a value never exceeds a
// byte whatever the mask; a zero mask gives 0.
struct MaskChannel {
    explicit MaskChannel(uint32_t m) : mask(m) {
        if (mask == 0)
            return;
        int low = 0;
        while (((mask >> low) & 1u) == 0)
            ++low;
        int high = 31;
        while (((mask >> high) & 1u) == 0)
            --high;
        int span = high - low + 1;
        shift = low;
        up = span < 8 ? 8 - span : 0;
        down = span > 8 ? span - 8 : 0;
    }
    uint8_t operator()(uint32_t pixel) const {
        return static_cast<uint8_t>((((pixel & mask) >> shift) << up) >> down);
    }
    uint32_t mask;
    int shift = 0, up = 0, down = 0;
};

// Converts one stored row (compression 0 or bit fields) into an image row.
class RowConverter {
public:
    explicit RowConverter(const BmpLayout& h)
        : m_h(h), m_red(h.masks[0]), m_green(h.masks[1]), m_blue(h.masks[2]) {}

    void operator()(const uint8_t* src, uint64_t srcBytes, uint8_t* dst, uint32_t dstBytes) const {
        const int32_t w = m_h.width;
        switch (m_h.bitCount) {
        case 4:
            for (int32_t x = 0; x < w; ++x) {
                uint8_t b = src[x / 2];
                dst[x] = (x & 1) ? (b & 0x0F) : (b >> 4);
            }
            break;
        case 16:
            for (int32_t x = 0; x < w; ++x) {
                uint32_t px = LoadLE16(src + 2 * x);
                dst[3 * x] = m_blue(px);
                dst[3 * x + 1] = m_green(px);
                dst[3 * x + 2] = m_red(px);
            }
            break;
        case 32:
            if (m_h.compression == kBiBitfields) {
                // The fourth byte has no field here and stays as created.
                for (int32_t x = 0; x < w; ++x) {
                    uint32_t px = LoadLE32(src + 4 * static_cast<size_t>(x));
                    dst[4 * static_cast<size_t>(x)] = m_blue(px);
                    dst[4 * static_cast<size_t>(x) + 1] = m_green(px);
                    dst[4 * static_cast<size_t>(x) + 2] = m_red(px);
                }
                break;
            }
            // Compression 0 stores the pixels as the image holds them.
            [[fallthrough]];
        default:
            std::memcpy(dst, src, static_cast<size_t>(std::min<uint64_t>(srcBytes, dstBytes)));
            break;
        }
    }

private:
    const BmpLayout& m_h;
    MaskChannel m_red, m_green, m_blue;
};

// Run-length decoding into an 8 bpp image, one byte per pixel. Pixels beyond a
// row's width and rows outside the image are dropped; decoding ends at the end
// of the data, at the end-of-bitmap code, or when the image is let go.
void DecodeRunLength(const BmpLayout& h, const uint8_t* p, uint64_t len, CImageObject* image) {
    const bool nibbles = h.compression == kBiRle4;
    uint64_t at = 0;
    int64_t x = 0;
    int64_t y = 0;
    uint8_t* row = nullptr;
    int64_t rowY = -1;
    auto currentRow = [&]() -> uint8_t* {
        if (y != rowY) {
            rowY = y;
            row = y < h.height ? image->GetRow(static_cast<int32_t>(y), h.topDown) : nullptr;
        }
        return row;
    };
    // How many of n pixels starting at x land inside the current row.
    auto visible = [&](uint32_t n) -> uint32_t {
        if (currentRow() == nullptr || x >= h.width)
            return 0;
        return static_cast<uint32_t>(std::min<int64_t>(n, h.width - x));
    };

    while (y < h.height) {
        if (image->releaseAfterDecode.load(std::memory_order_relaxed))
            break;
        if (len - at < 2)
            break;
        uint32_t n = p[at];
        uint32_t code = p[at + 1];
        at += 2;
        if (n != 0) {
            uint32_t shown = visible(n);
            for (uint32_t k = 0; k < shown; ++k) {
                uint8_t v = nibbles ? ((k & 1) ? (code & 0x0F) : (code >> 4)) : code;
                row[x + k] = v;
            }
            x += n;
            continue;
        }
        if (code == 0) { // end of line
            x = 0;
            ++y;
            continue;
        }
        if (code == 1) // end of bitmap
            break;
        if (code == 2) { // delta
            if (len - at < 2)
                break;
            x += p[at];
            y += p[at + 1];
            at += 2;
            continue;
        }
        // Absolute run of `code` pixels, padded to a 16-bit boundary.
        uint64_t bytes = nibbles ? (code + 1) / 2 : code;
        if (len - at < bytes)
            break;
        uint32_t shown = visible(code);
        for (uint32_t k = 0; k < shown; ++k) {
            uint8_t v =
                nibbles ? ((k & 1) ? (p[at + k / 2] & 0x0F) : (p[at + k / 2] >> 4)) : p[at + k];
            row[x + k] = v;
        }
        x += code;
        at += bytes;
        if ((bytes & 1) != 0 && at < len)
            ++at;
    }
}

} // namespace

bool CBmpReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image,
                      [&](CByteStream& view) { return ReadFromStream(view, image, true); });
}

bool CBmpReader::ReadFromStream(CByteStream& stream, CImageObject* image) {
    bool hasFileHeader = stream.Remaining() >= 2 && stream.buffer[stream.position] == 'B' &&
                         stream.buffer[stream.position + 1] == 'M';
    return ReadFromStream(stream, image, hasFileHeader);
}

bool CBmpReader::ReadFromStream(CByteStream& stream, CImageObject* image, bool hasFileHeader) {
    if (image == nullptr || stream.buffer == nullptr || stream.Remaining() == 0)
        return false;
    const uint8_t* data = stream.buffer + stream.position;
    const uint64_t size = stream.Remaining();

    BmpLayout h;
    if (!ParseLayout(data, size, hasFileHeader, &h))
        return false;
    image->fullWidth = h.width;
    image->fullHeight = h.height;
    image->topDown = h.topDown;
    if (!SizeAllowed(h.width, h.height))
        return false;
    if (image->headerOnly)
        return true;

    // The colour table must be there in full; rows may be missing.
    const uint32_t imageEntries = h.bitCount == 1 ? 2 : h.tableEntries;
    const uint32_t readEntries = h.bitCount <= 8 ? std::min(imageEntries, h.tableEntries) : 0;
    if (!(CheckedSize(h.tableOffset) + CheckedSize(h.entrySize) * readEntries).FitsIn(size))
        return false;

    // Creating the bitmap resets the image; the source's time and size stay.
    const plat::FileTimeValue fileTime = image->fileTime;
    const uint32_t fileSize = image->fileSize;
    if (!image->CreateWithDepth(h.width, h.height, static_cast<int32_t>(h.bitCount),
                                h.bitCount <= 8 ? static_cast<int32_t>(h.tableEntries) : 0))
        return false;
    image->fileTime = fileTime;
    image->fileSize = fileSize;
    image->topDown = h.topDown;
    image->rowsDecoded = 0;

    if (h.bitCount <= 8) {
        const uint8_t* table = data + h.tableOffset;
        for (uint32_t i = 0; i < readEntries; ++i, table += h.entrySize) {
            uint8_t reserved = h.entrySize == 4 ? table[3] : 255;
            image->SetPaletteEntry(static_cast<int32_t>(i), table[2], table[1], table[0], reserved);
        }
        if (!image->UpdateColorTable())
            return false;
    }
    SignalHeaderReady(image);

    const uint8_t* pixels = h.pixelOffset < size ? data + h.pixelOffset : nullptr;
    const uint64_t available = pixels != nullptr ? size - h.pixelOffset : 0;

    if (h.compression == kBiRle4 || h.compression == kBiRle8) {
        if (pixels != nullptr)
            DecodeRunLength(h, pixels, available, image);
        // The runs may land anywhere in the image: one band covers them all.
        image->rowsDecoded = h.height;
        Notify(image, kDecodeRows, 0, h.height);
    } else {
        // A positive 32-bit width of at most 32 bits per pixel: always valid.
        const uint64_t rowBytes = plat::RowBytes(h.width, h.bitCount, 4).Value();
        const RowConverter convert(h);
        uint64_t used = 0;
        for (int32_t i = 0; i < h.height; ++i) {
            if (StopRequested(image) || available - used < rowBytes)
                break;
            convert(pixels + used, rowBytes, image->GetRow(i, h.topDown),
                    static_cast<uint32_t>(image->stride));
            used += rowBytes;
            ReportRows(image, i, 1);
        }
    }
    SignalComplete(image);
    return true;
}

bool CBmpWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0)
        return false;
    const int32_t bpp = image->bitsPerPixel;
    if (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    const uint32_t paletteCount = bpp <= 8 ? static_cast<uint32_t>(image->paletteCount) : 0;
    if (bpp <= 8 &&
        (image->palette == nullptr || paletteCount == 0 || paletteCount > kMaxTableEntries))
        return false;
    const uint32_t stride = static_cast<uint32_t>(image->stride);
    const CheckedSize usedBytes = plat::RowBytes(image->width, bpp, 1);
    if (!usedBytes.FitsIn(stride))
        return false;
    const uint64_t used = usedBytes.Value();
    const CheckedSize pixelBytes = CheckedSize(stride) * image->height;
    const CheckedSize offset = CheckedSize(kFileHeaderSize + kInfoHeaderSize) + 4 * paletteCount;
    if (!(offset + pixelBytes).FitsIn(UINT32_MAX))
        return false;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[stride]);
    if (!row)
        return false;

    uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, static_cast<uint32_t>((offset + pixelBytes).Value()));
    Put32(header + 10, static_cast<uint32_t>(offset.Value()));
    uint8_t* info = header + kFileHeaderSize;
    Put32(info, kInfoHeaderSize);
    Put32(info + 4, static_cast<uint32_t>(image->width));
    Put32(info + 8, static_cast<uint32_t>(image->height));
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<uint32_t>(bpp));
    Put32(info + 20, static_cast<uint32_t>(pixelBytes.Value()));
    Put32(info + 32, paletteCount);

    CImageFileTarget target;
    if (!target.Open(path) || !target.Write(header, sizeof header))
        return false;
    for (uint32_t i = 0; i < paletteCount; ++i) {
        const PaletteEntry& e = image->palette[i];
        const uint8_t entry[4] = {e.blue, e.green, e.red, e.reserved};
        if (!target.Write(entry, sizeof entry))
            return false;
    }
    // Padding bytes are written as zero whatever the bitmap holds there.
    std::memset(row.get(), 0, stride);
    for (int32_t r = image->height - 1; r >= 0; --r) {
        std::memcpy(row.get(), image->bits + static_cast<size_t>(r) * stride,
                    static_cast<size_t>(used));
        if (!target.Write(row.get(), stride))
            return false;
    }
    return target.Commit(image);
}
