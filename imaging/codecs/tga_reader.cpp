// Targa reading.
//
// Layout (little-endian): an 18-byte header
//   0 ID length            8 x origin, 10 y origin (not used)
//   1 colour map type      12 width, 14 height (16-bit)
//   2 image type           16 pixel depth
//   3 first map entry (16) 17 descriptor: bit 5 set = rows stored from the top
//   5 map length (16), 7 map entry size in bits
// then the image ID (skipped), the colour map when the map type is not 0
// (always skipped by its length x entry bytes; read into the palette for
// 8-bit images: 15/16-bit entries 5-5-5, 24-bit blue, green, red, 32-bit
// blue, green, red, alpha; entry k goes to palette index first + k when that
// is below 256), then the pixels.
// Image types read: 1 colour-mapped, 2 true colour, 3 grey, and their
// run-length forms 9, 10, 11 (a packet byte with bit 7 set repeats the next
// pixel (packet & 127) + 1 times, otherwise (packet + 1) pixels follow as
// they are; packets may cross rows). Pixel depths: 8 (mapped or grey), 15
// and 16 (5-5-5, each channel shifted left by 3, to 24 bpp), 24, and 32
// (blue, green, red and alpha into the fourth byte). Anything else is refused.
#include "imaging/codecs/tga_reader.h"

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/byte_order.h"

namespace {

// Pixels of the file, raw or run-length expanded, pixelBytes at a time.
class TargaPixels {
public:
    TargaPixels(CByteStream& s, uint32_t pixelBytes, bool runLength)
        : m_s(s), m_bytes(pixelBytes), m_runLength(runLength) {}

    // Fills up to count pixels into out; returns how many were filled.
    uint32_t Get(uint8_t* out, uint32_t count) {
        if (!m_runLength) {
            uint32_t n = m_s.Read(out, count * m_bytes);
            return n / m_bytes;
        }
        uint32_t done = 0;
        while (done < count) {
            if (m_left == 0 && !NextPacket())
                break;
            if (m_repeat) {
                std::memcpy(out + done * m_bytes, m_pixel, m_bytes);
            } else if (m_s.Read(out + done * m_bytes, m_bytes) < m_bytes) {
                m_left = 0;
                break;
            }
            --m_left;
            ++done;
        }
        return done;
    }

private:
    bool NextPacket() {
        if (m_s.Remaining() < 1)
            return false;
        uint8_t packet = m_s.ReadUInt8();
        m_left = (packet & 0x7Fu) + 1;
        m_repeat = (packet & 0x80) != 0;
        if (m_repeat && m_s.Read(m_pixel, m_bytes) < m_bytes) {
            m_left = 0;
            return false;
        }
        return true;
    }

    CByteStream& m_s;
    uint32_t m_bytes;
    bool m_runLength;
    uint32_t m_left = 0;
    bool m_repeat = false;
    uint8_t m_pixel[4] = {};
};

void Unpack555(uint16_t v, uint8_t* blue, uint8_t* green, uint8_t* red) {
    *blue = static_cast<uint8_t>((v & 0x1F) << 3);
    *green = static_cast<uint8_t>(((v >> 5) & 0x1F) << 3);
    *red = static_cast<uint8_t>(((v >> 10) & 0x1F) << 3);
}

} // namespace

bool CTargaReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CTargaReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 18)
        return false;
    const uint8_t idLength = s.ReadUInt8();
    const uint8_t mapType = s.ReadUInt8();
    const uint8_t imageType = s.ReadUInt8();
    const uint16_t mapFirst = s.ReadUInt16LE();
    const uint16_t mapLength = s.ReadUInt16LE();
    const uint8_t mapEntryBits = s.ReadUInt8();
    s.ReadUInt16LE();
    s.ReadUInt16LE();
    const uint16_t width = s.ReadUInt16LE();
    const uint16_t height = s.ReadUInt16LE();
    const uint8_t depth = s.ReadUInt8();
    const uint8_t descriptor = s.ReadUInt8();
    const uint8_t baseType = imageType & 7;
    if ((imageType & ~8) < 1 || (imageType & ~8) > 3 || width == 0 || height == 0)
        return false;
    if (s.Remaining() < idLength)
        return false;
    s.Read(nullptr, idLength);
    image->fullWidth = width;
    image->fullHeight = height;
    if (!SizeAllowed(width, height))
        return false;
    if (image->headerOnly)
        return true;

    int32_t bpp;
    if (depth == 8)
        bpp = 8;
    else if (depth == 15 || depth == 16 || depth == 24)
        bpp = 24;
    else if (depth == 32)
        bpp = 32;
    else
        return false;
    // Mapped images are 8-bit with a map, grey images 8-bit, true colour wider.
    if ((baseType == 1 && (bpp != 8 || mapType == 0)) || (baseType == 2 && bpp == 8) ||
        (baseType == 3 && bpp != 8))
        return false;

    const uint32_t entryBytes = (mapEntryBits + 7u) / 8u;
    const uint32_t mapBytes = mapType != 0 ? mapLength * entryBytes : 0;
    if (mapBytes > s.Remaining())
        return false;
    if (!image->Create(width, height, bpp, 0))
        return false;
    if (bpp == 8 && mapType != 0) {
        const uint8_t* map = s.buffer + s.position;
        for (uint32_t k = 0; k < mapLength && mapFirst + k < 256; ++k) {
            const uint8_t* e = map + static_cast<size_t>(k) * entryBytes;
            uint8_t blue, green, red;
            if (mapEntryBits == 15 || mapEntryBits == 16) {
                Unpack555(plat::LoadLE16(e), &blue, &green, &red);
            } else if (mapEntryBits == 24 || mapEntryBits == 32) {
                blue = e[0];
                green = e[1];
                red = e[2];
            } else {
                break; // an entry size without colours to take
            }
            image->SetPaletteEntry(static_cast<int32_t>(mapFirst + k), red, green, blue, 0);
        }
    }
    s.Read(nullptr, mapBytes);
    if (StopRequested(image) || !image->UpdateColorTable())
        return false;
    image->topDown = (descriptor & 0x20) != 0;
    SignalHeaderReady(image);

    const uint32_t pixelBytes = (depth + 7u) / 8u;
    TargaPixels pixels(s, pixelBytes, (imageType & 8) != 0);
    std::vector<uint8_t> buffer(static_cast<size_t>(width) * pixelBytes);
    for (int32_t i = 0; i < height; ++i) {
        if (StopRequested(image))
            return false;
        uint32_t got = pixels.Get(buffer.data(), width);
        uint8_t* row = image->GetRow(i, image->topDown);
        if (bpp == 8) {
            std::memcpy(row, buffer.data(), got);
        } else {
            for (uint32_t x = 0; x < got; ++x) {
                const uint8_t* p = &buffer[static_cast<size_t>(x) * pixelBytes];
                if (pixelBytes == 2) {
                    uint8_t* out = row + 3 * static_cast<size_t>(x);
                    Unpack555(plat::LoadLE16(p), &out[0], &out[1], &out[2]);
                } else {
                    std::memcpy(row + static_cast<size_t>(x) * pixelBytes, p, pixelBytes);
                }
            }
        }
        ReportRows(image, i, 1);
        if (got < width)
            break; // the data ends here; the rest stays as created
    }
    SignalComplete(image);
    return true;
}
