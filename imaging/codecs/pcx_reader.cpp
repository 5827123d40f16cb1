// PCX reading.
//
// Layout (little-endian): a 128-byte header
//   0 manufacturer, must be 10     4 xmin, 6 ymin, 8 xmax, 10 ymax (16-bit)
//   1 version (not checked)        16 palette: 16 entries of red, green, blue
//   2 encoding, must be 1          65 colour planes (layers)
//   3 bits per pixel per plane     66 bytes per line per plane (16-bit)
// width = xmax - xmin + 1 and height = ymax - ymin + 1, both at least 1.
// Then run-length data from offset 128: a byte above 191 gives a count
// (byte & 63) for the byte after it, any other byte stands for itself. It
// expands into height scanlines of planes x bytes-per-line bytes, plane after
// plane; a run longer than what is still missing ends the expansion.
// Bytes per line must hold a row of the plane (width x bits, rounded up to
// bytes). 8-bit files may end with the byte 12 and a 768-byte palette.
// Depth = planes x bits per pixel:
//   1 (1 plane of 1 bit)  1 bpp, black and white;
//   2, 4 (1-bit planes or one 2- or 4-bit plane)  8 bpp, palette from the
//     header (4 or 16 entries); the index combines plane p's field shifted
//     left by p x bits;
//   8  8 bpp, the trailing palette when present, else the grey ramp;
//   24 (3 planes of 8 bits)  red, green, blue planes to 24 bpp.
// Other depths are refused.
#include "imaging/codecs/pcx_reader.h"

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/byte_order.h"

namespace {

class PcxExpander {
public:
    PcxExpander(CByteStream& s, uint64_t total) : m_s(s), m_missing(total) {}

    // Expands up to count bytes into out; fewer when the expansion ends.
    uint32_t Get(uint8_t* out, uint32_t count) {
        uint32_t done = 0;
        while (done < count) {
            if (m_runLeft == 0) {
                if (m_ended || m_s.Remaining() < 1)
                    break;
                uint8_t b = m_s.ReadUInt8();
                if (b > 191) {
                    if (m_s.Remaining() < 1)
                        break;
                    m_runLeft = b & 63u;
                    m_runValue = m_s.ReadUInt8();
                    if (m_runLeft > m_missing) {
                        m_ended = true;
                        m_runLeft = 0;
                        break;
                    }
                } else {
                    m_runLeft = 1;
                    m_runValue = b;
                }
                continue;
            }
            out[done++] = m_runValue;
            --m_runLeft;
            --m_missing;
        }
        return done;
    }

private:
    CByteStream& m_s;
    uint64_t m_missing;
    uint32_t m_runLeft = 0;
    uint8_t m_runValue = 0;
    bool m_ended = false;
};

} // namespace

bool CPcxReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CPcxReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 128)
        return false;
    const uint32_t start = s.position;
    const uint8_t* header = s.buffer + start;
    auto u16 = [&](int at) { return static_cast<int32_t>(plat::LoadLE16(header + at)); };
    if (header[0] != 10 || header[2] != 1)
        return false;
    const int32_t bits = header[3];
    const int32_t planes = header[65];
    const int32_t bytesPerLine = u16(66);
    const int32_t width = u16(8) - u16(4) + 1;
    const int32_t height = u16(10) - u16(6) + 1;
    if (width <= 0 || height <= 0)
        return false;
    image->fullWidth = width;
    image->fullHeight = height;
    if (!SizeAllowed(width, height))
        return false;
    if (image->headerOnly)
        return true;

    const int32_t depth = planes * bits;
    const bool planar24 = planes == 3 && bits == 8;
    if (!(depth == 1 || depth == 2 || depth == 4 || depth == 8 || planar24) ||
        (bits != 1 && bits != 2 && bits != 4 && bits != 8))
        return false;
    const uint64_t planeRow = (static_cast<uint64_t>(width) * bits + 7) / 8;
    if (static_cast<uint64_t>(bytesPerLine) < planeRow)
        return false;
    const int32_t bpp = depth == 1 ? 1 : planar24 ? 24 : 8;
    const int32_t colours = depth == 2 || depth == 4 ? 1 << depth : 0;
    if (!image->Create(width, height, bpp, colours) || StopRequested(image))
        return false;
    if (colours != 0) {
        for (int32_t i = 0; i < 16 && i < image->paletteCount; ++i) {
            const uint8_t* e = header + 16 + 3 * i;
            image->SetPaletteEntry(i, e[0], e[1], e[2], 0);
        }
    } else if (depth == 8 && s.size - start >= 128 + 769 && s.buffer[s.size - 769] == 12) {
        const uint8_t* e = s.buffer + s.size - 768;
        for (int32_t i = 0; i < 256; ++i, e += 3)
            image->SetPaletteEntry(i, e[0], e[1], e[2], 0);
    }
    if (!image->UpdateColorTable())
        return false;
    SignalHeaderReady(image);

    s.position = start + 128;
    const uint32_t scanline = static_cast<uint32_t>(planes) * static_cast<uint32_t>(bytesPerLine);
    PcxExpander expander(s, static_cast<uint64_t>(scanline) * static_cast<uint64_t>(height));
    std::vector<uint8_t> line(scanline);
    for (int32_t y = 0; y < height; ++y) {
        if (StopRequested(image))
            return false;
        std::fill(line.begin(), line.end(), 0);
        uint32_t got = expander.Get(line.data(), scanline);
        if (got == 0)
            break;
        uint8_t* row = image->GetRow(y, true);
        if (planar24) {
            for (int32_t x = 0; x < width; ++x) {
                row[3 * x] = line[2 * bytesPerLine + x];
                row[3 * x + 1] = line[bytesPerLine + x];
                row[3 * x + 2] = line[x];
            }
        } else if (planes == 1 && (bits == 1 || bits == 8)) {
            std::memcpy(row, line.data(), static_cast<size_t>(planeRow));
        } else {
            const uint32_t mask = (1u << bits) - 1;
            for (int32_t x = 0; x < width; ++x) {
                uint32_t index = 0;
                const uint32_t bit = static_cast<uint32_t>(x) * bits;
                for (int32_t p = 0; p < planes; ++p) {
                    uint8_t b = line[static_cast<size_t>(p) * bytesPerLine + bit / 8];
                    uint32_t field = (b >> (8 - bits - bit % 8)) & mask;
                    index |= field << (p * bits);
                }
                row[x] = static_cast<uint8_t>(index);
            }
        }
        ReportRows(image, y, 1);
        if (got < scanline)
            break; // the expansion ended; the rest stays as created
    }
    SignalComplete(image);
    return true;
}
