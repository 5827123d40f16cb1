// Sun raster reading.
//
// Layout: eight 32-bit big-endian words, then the colour map, then the rows.
//   0 magic 0x59A66A95      16 length of the pixel data (not used)
//   4 width                 20 type: 0, 1 and 3 raw, 2 run-length; others refused
//   8 height                24 colour map type: 0 none, 1 red/green/blue arrays,
//   12 depth: 1, 8, 24, 32     2 raw map (skipped); others refused
//                           28 colour map length in bytes
// The colour map holds all red values, then all green, then all blue (map
// length / 3 of each). Rows follow from the top; a row carries one pad byte
// after it when its byte count is odd, where the count that decides is
// (width + 7) / 8 for depth 1 and the width itself for the other depths (so
// 32-bit rows of odd width are padded too, as the program has always
// written them).
// Pixels: depth 1 most significant bit first; depth 8 palette indexes;
// depth 24 and 32 (32 with a filler byte first): red, green, blue in type 3
// files and blue, green, red in the older types, as the tools that write
// those types store them.
// Run-length data (type 2): 0x80 0x00 is one 0x80, 0x80 n v is n + 1 bytes v,
// any other byte stands for itself; runs may cross rows.
// A 1-bit file without a colour map shows 1 as black. A colour map never sets
// more entries than the image's palette has.
#include "imaging/codecs/sunras_codec.h"

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

const uint32_t kMagic = 0x59A66A95u;

// The pixel bytes of a file, raw or run-length expanded.
class PixelSource {
public:
    PixelSource(CByteStream& s, bool runLength) : m_s(s), m_runLength(runLength) {}

    // Copies up to count bytes to out (null: skips them); returns how many.
    uint32_t Get(uint8_t* out, uint32_t count) {
        if (!m_runLength) {
            uint32_t n = m_s.Read(out, count);
            return n;
        }
        uint32_t done = 0;
        while (done < count) {
            if (m_runLeft == 0 && !NextRun())
                break;
            uint32_t n = count - done < m_runLeft ? count - done : m_runLeft;
            if (out != nullptr)
                std::memset(out + done, m_runValue, n);
            m_runLeft -= n;
            done += n;
        }
        return done;
    }

private:
    bool NextRun() {
        if (m_s.Remaining() < 1)
            return false;
        uint8_t b = m_s.ReadUInt8();
        m_runValue = b;
        m_runLeft = 1;
        if (b != 0x80)
            return true;
        if (m_s.Remaining() < 1)
            return false;
        uint8_t n = m_s.ReadUInt8();
        if (n == 0)
            return true;
        if (m_s.Remaining() < 1)
            return false;
        m_runValue = m_s.ReadUInt8();
        m_runLeft = static_cast<uint32_t>(n) + 1;
        return true;
    }

    CByteStream& m_s;
    bool m_runLength;
    uint32_t m_runLeft = 0;
    uint8_t m_runValue = 0;
};

} // namespace

bool CSunRasterReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CSunRasterReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 32)
        return false;
    if (s.ReadUInt32BE() != kMagic)
        return false;
    const uint32_t width = s.ReadUInt32BE();
    const uint32_t height = s.ReadUInt32BE();
    const uint32_t depth = s.ReadUInt32BE();
    s.ReadUInt32BE(); // length
    const uint32_t type = s.ReadUInt32BE();
    const uint32_t mapType = s.ReadUInt32BE();
    const uint32_t mapLength = s.ReadUInt32BE();
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    image->fullWidth = static_cast<int32_t>(width);
    image->fullHeight = static_cast<int32_t>(height);
    if (!SizeAllowed(width, height))
        return false;
    if (image->headerOnly)
        return true;
    if (type > 3 || mapType > 2 || (depth != 1 && depth != 8 && depth != 24 && depth != 32))
        return false;
    if (mapLength > s.Remaining())
        return false;

    const uint32_t mapEntries = mapType == 1 ? mapLength / 3 : 0;
    int32_t colours = 0;
    if (depth == 8 && mapEntries > 0)
        colours = mapEntries < 2 ? 2 : mapEntries > 256 ? 256 : static_cast<int32_t>(mapEntries);
    if (!image->CreateWithDepth(static_cast<int32_t>(width), static_cast<int32_t>(height),
                                static_cast<int32_t>(depth), colours))
        return false;
    const uint8_t* map = s.buffer + s.position;
    if (depth == 1 && mapEntries == 0) {
        image->SetPaletteEntry(0, 255, 255, 255, 0);
        image->SetPaletteEntry(1, 0, 0, 0, 0);
    } else if (depth <= 8) {
        uint32_t n = mapEntries < static_cast<uint32_t>(image->paletteCount)
                         ? mapEntries
                         : static_cast<uint32_t>(image->paletteCount);
        for (uint32_t i = 0; i < n; ++i)
            image->SetPaletteEntry(static_cast<int32_t>(i), map[i], map[mapEntries + i],
                                   map[2 * mapEntries + i], 0);
    }
    s.Read(nullptr, mapLength);
    if (!image->UpdateColorTable())
        return false;
    SignalHeaderReady(image);

    PixelSource source(s, type == 2);
    const uint32_t padCount = depth == 1 ? (width + 7) / 8 : width;
    const uint32_t pad = padCount & 1;
    if (depth <= 8) {
        const uint32_t rowBytes = depth == 1 ? (width + 7) / 8 : width;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = image->GetRow(static_cast<int32_t>(y), true);
            if (source.Get(row, rowBytes) < rowBytes || source.Get(nullptr, pad) < pad)
                break; // the rest stays as created
        }
        ReportRows(image, 0, static_cast<int32_t>(height));
    } else {
        const uint32_t pixelBytes = depth / 8;
        const bool rgb = type == 3;
        const uint32_t skip = depth == 32 ? 1 : 0; // the filler byte leads
        std::vector<uint8_t> buffer(static_cast<size_t>(width) * pixelBytes);
        for (uint32_t y = 0; y < height; ++y) {
            if (StopRequested(image))
                break;
            uint32_t got = source.Get(buffer.data(), static_cast<uint32_t>(buffer.size()));
            uint8_t* row = image->GetRow(static_cast<int32_t>(y), true);
            for (uint32_t x = 0; x < width && (x + 1) * pixelBytes <= got; ++x) {
                const uint8_t* p = &buffer[static_cast<size_t>(x) * pixelBytes + skip];
                uint8_t* out = row + static_cast<size_t>(x) * (depth / 8);
                out[0] = rgb ? p[2] : p[0];
                out[1] = p[1];
                out[2] = rgb ? p[0] : p[2];
            }
            ReportRows(image, static_cast<int32_t>(y), 1);
            if (got < buffer.size() || source.Get(nullptr, pad) < pad)
                break;
        }
    }
    SignalComplete(image);
    return true;
}
