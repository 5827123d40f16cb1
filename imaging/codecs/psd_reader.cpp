// Photoshop document reading: the merged image only; layers are skipped.
//
// Layout (big-endian in "8BPS" files; files starting ".PSD" hold every
// number little-endian):
//   0 signature, 4 version (must be 1), 6 six reserved bytes,
//   12 channels (16-bit), 14 height, 18 width (32-bit), 22 depth, 24 mode
//   then three sections, each a 32-bit length and its bytes: colour mode
//   data (the palette of indexed documents: 256 reds, 256 greens, 256 blues,
//   used only when the section holds at least 768 bytes), image resources,
//   layer and mask information
//   then the merged image: a 16-bit compression (0 raw, anything else
//   PackBits after a table of channels x height 16-bit row byte counts) and
//   the channel planes, all rows of channel 0, then of channel 1, and so on.
// PackBits: a signed control byte n; -128 is skipped; n < 0 repeats the next
// byte 1 - n times; n >= 0 copies the next n + 1 bytes. The stream is taken
// as one run over all planes.
// Documents read (depth = bits per channel; 16-bit samples give their high
// byte, the first in big-endian files):
//   mode 0 (bitmap), depth 1: 1 bpp, 1 = black
//   mode 1 (grey), 8 (duotone), and 9 (Lab) with one channel: 8 bpp from
//     channel 0 (a grey document's alpha channel is not shown)
//   mode 2 (indexed): 8 bpp with the colour mode data's palette
//   mode 3 (RGB), at least 3 channels: 24 bpp from channels 0, 1, 2
//   mode 4 (CMYK), at least 4 channels: 24 bpp, each of red, green, blue the
//     product of its stored (inverted) ink and the stored black, / 255
// Any other combination is refused before the image is created.
#include "imaging/codecs/psd_codec.h"

#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

// Channel bytes in plane order, raw or PackBits-expanded.
class PlaneBytes {
public:
    PlaneBytes(CByteStream& s, bool packBits) : m_s(s), m_packBits(packBits) {}

    // Fills up to count bytes; returns how many.
    uint32_t Get(uint8_t* out, uint32_t count) {
        if (!m_packBits)
            return m_s.Read(out, count);
        uint32_t done = 0;
        while (done < count) {
            if (m_left == 0) {
                if (m_s.Remaining() < 1)
                    break;
                int8_t n = static_cast<int8_t>(m_s.ReadUInt8());
                if (n == -128)
                    continue;
                if (n < 0) {
                    if (m_s.Remaining() < 1)
                        break;
                    m_repeat = true;
                    m_value = m_s.ReadUInt8();
                    m_left = 1u - n;
                } else {
                    m_repeat = false;
                    m_left = static_cast<uint32_t>(n) + 1;
                }
                continue;
            }
            if (m_repeat) {
                out[done] = m_value;
            } else if (m_s.Remaining() < 1) {
                break;
            } else {
                out[done] = m_s.ReadUInt8();
            }
            ++done;
            --m_left;
        }
        return done;
    }

private:
    CByteStream& m_s;
    bool m_packBits;
    uint32_t m_left = 0;
    bool m_repeat = false;
    uint8_t m_value = 0;
};

uint8_t MulDiv255(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

} // namespace

bool CPsdReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CPsdReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 26)
        return false;
    char signature[4];
    s.Read(signature, 4);
    if (std::memcmp(signature, "8BPS", 4) == 0)
        s.bigEndian = 1;
    else if (std::memcmp(signature, ".PSD", 4) == 0)
        s.bigEndian = 0;
    else
        return false;
    if (s.ReadUInt16() != 1)
        return false;
    s.Read(nullptr, 6);
    const uint32_t channels = s.ReadUInt16();
    const uint32_t height = s.ReadUInt32();
    const uint32_t width = s.ReadUInt32();
    const uint32_t depth = s.ReadUInt16();
    const uint32_t mode = s.ReadUInt16();
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    image->fullWidth = static_cast<int32_t>(width);
    image->fullHeight = static_cast<int32_t>(height);
    if (!SizeAllowed(width, height))
        return false;
    if (image->headerOnly)
        return true;

    int32_t bpp;
    uint32_t used; // channels read
    if (mode == 0 && depth == 1 && channels >= 1) {
        bpp = 1;
        used = 1;
    } else if (depth != 8 && depth != 16) {
        return false;
    } else if ((mode == 1 || mode == 2 || mode == 8) && channels >= 1) {
        bpp = 8;
        used = 1;
    } else if (mode == 9 && channels == 1) {
        bpp = 8;
        used = 1;
    } else if (mode == 3 && channels >= 3) {
        bpp = 24;
        used = 3;
    } else if (mode == 4 && channels >= 4) {
        bpp = 24;
        used = 4;
    } else {
        return false;
    }
    if (StopRequested(image) ||
        !image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), bpp, 0))
        return false;
    if (bpp == 1) {
        image->SetPaletteEntry(0, 255, 255, 255, 0);
        image->SetPaletteEntry(1, 0, 0, 0, 0);
    }

    if (s.Remaining() < 4)
        return false;
    uint32_t length = s.ReadUInt32();
    if (length > s.Remaining())
        return false;
    if (mode == 2 && length >= 768) {
        const uint8_t* map = s.buffer + s.position;
        for (int32_t i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, map[i], map[256 + i], map[512 + i], 0);
    }
    s.Read(nullptr, length);
    if (!image->UpdateColorTable())
        return false;
    SignalHeaderReady(image);
    for (int section = 0; section < 2; ++section) {
        if (s.Remaining() < 4)
            return false;
        length = s.ReadUInt32();
        if (length > s.Remaining())
            return false;
        s.Read(nullptr, length);
    }

    // Missing data from here on leaves the pixels as created.
    const uint32_t sample = depth == 16 ? 2 : 1;
    const uint32_t high = depth == 16 && !s.bigEndian ? 1 : 0;
    const uint64_t rowBytes64 = bpp == 1 ? (width + 7) / 8 : static_cast<uint64_t>(width) * sample;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes64));
    std::vector<uint8_t> black(used == 4 ? static_cast<size_t>(width) * height : 0, 255);
    const uint32_t rowBytes = static_cast<uint32_t>(rowBytes64);
    bool more = s.Remaining() >= 2;
    const uint32_t compression = more ? s.ReadUInt16() : 0;
    if (more && compression != 0) {
        const uint64_t table = static_cast<uint64_t>(channels) * height * 2;
        more = table <= s.Remaining();
        if (more)
            s.Read(nullptr, static_cast<uint32_t>(table));
    }
    PlaneBytes planes(s, compression != 0);
    for (uint32_t c = 0; c < used && more; ++c) {
        for (uint32_t y = 0; y < height && more; ++y) {
            if (StopRequested(image))
                return false;
            uint32_t got = planes.Get(row.data(), rowBytes);
            if (got < rowBytes) {
                std::memset(row.data() + got, 0, rowBytes - got);
                more = false;
                if (got == 0)
                    break;
            }
            uint8_t* out = image->GetRow(static_cast<int32_t>(y), true);
            if (bpp == 1) {
                std::memcpy(out, row.data(), rowBytes);
            } else if (bpp == 8) {
                for (uint32_t x = 0; x < width; ++x)
                    out[x] = row[static_cast<size_t>(x) * sample + high];
            } else if (c < 3) {
                for (uint32_t x = 0; x < width; ++x)
                    out[3 * static_cast<size_t>(x) + 2 - c] =
                        row[static_cast<size_t>(x) * sample + high];
            } else {
                uint8_t* k = &black[static_cast<size_t>(y) * width];
                for (uint32_t x = 0; x < width; ++x)
                    k[x] = row[static_cast<size_t>(x) * sample + high];
            }
        }
    }
    for (uint32_t y = 0; y < height; ++y) {
        if (StopRequested(image))
            return false;
        if (used == 4) {
            uint8_t* out = image->GetRow(static_cast<int32_t>(y), true);
            const uint8_t* k = &black[static_cast<size_t>(y) * width];
            for (uint32_t x = 0; x < width; ++x)
                for (int i = 0; i < 3; ++i)
                    out[3 * x + i] = MulDiv255(out[3 * x + i], k[x]);
        }
        ReportRows(image, static_cast<int32_t>(y), 1);
    }
    SignalComplete(image);
    return true;
}
