// Paint Shop Pro reading.
//
// Layout (little-endian): a 32-byte header, "Paint Shop Pro Image File", a
// line feed, 0x1A and five zero bytes; major and minor version (16-bit,
// not checked); then blocks: "~BK" and a zero byte, a 16-bit id and a 32-bit
// length of the content that follows. Blocks used (others are skipped):
//   0  attributes: chunk size, width, height (32-bit), 8 bytes resolution,
//      unit (8-bit), compression (16-bit: 0 none, 2 zlib), bit depth
//      (16-bit), two 16-bit counts and an 8-bit flag; at least 30 bytes
//   2  palette: chunk size, entry count (32-bit), entries of blue, green,
//      red, unused; at most 256 kept
//   5  channel: chunk size, compressed length, uncompressed length (32-bit),
//      bitmap type, channel type (16-bit: 1 red, 2 green, 3 blue), the data;
//      the data never reaches past its block, and its uncompressed length
//      may not exceed width x height of the attributes
//   9  composite image: chunk size and two 16-bit counts, then its blocks
//   16 composite bank: chunk size and a count, the rest of its chunk
//      skipped, then its blocks
//   17 composite attributes: chunk size, width, height (32-bit), depth,
//      compression (16-bit), a 16-bit count, a 32-bit count, a 16-bit type;
//      at least 24 bytes
//   18 JPEG composite: chunk length, two 32-bit values, a 16-bit type, the
//      rest of the chunk; type 8 is followed by JPEG data to the file's end
// An 8-bit channel decodes into 8 bpp with the palette (the grey ramp when
// there is none). 24-bit images store one channel per block: three blocks
// are gathered into blue, green, red; a file that ends with fewer shows its
// one channel as grey, or its missing channel as 0. Lengths shorter than the
// fields a block needs are refused.
#include "imaging/codecs/psp_reader.h"

#include <cstring>
#include <vector>

#include <zlib.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

const char kSignature[32] = "Paint Shop Pro Image File\n\x1a\0\0\0\0";

struct PspState {
    // New attributes start a new image: channels gathered so far belong to
    // the size they were read for and are dropped.
    void Reset() {
        for (std::vector<uint8_t>& c : channels)
            c.clear();
        gathered = 0;
    }
    uint32_t width = 0, height = 0, depth = 0, compression = 0;
    PaletteEntry palette[256] = {};
    int32_t paletteCount = 0;
    std::vector<uint8_t> channels[3]; // red, green, blue of a 24-bit image
    int32_t gathered = 0;
};

} // namespace

bool CPspReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

namespace {

// Decodes one channel block's data into out (width x height bytes).
bool ChannelData(CByteStream& s, const PspState& st, uint32_t packed, uint32_t unpacked,
                 uint32_t available, std::vector<uint8_t>* out) {
    const uint64_t plane = static_cast<uint64_t>(st.width) * st.height;
    out->assign(static_cast<size_t>(plane), 0);
    const uint8_t* data = s.buffer + s.position;
    const uint32_t have = packed < available ? packed : available;
    if (st.compression == 0) {
        std::memcpy(out->data(), data, have < plane ? have : static_cast<size_t>(plane));
        return true;
    }
    if (st.compression != 2 || unpacked > plane)
        return false; // run-length channels are not decoded; no blank image either
    uLongf length = unpacked;
    if (uncompress(out->data(), &length, data, have) != Z_OK)
        std::fill(out->begin(), out->end(), 0); // the rows stay as created
    return true;
}

} // namespace

bool CPspReader::ReadFromStream(CByteStream& s, CImageObject* image) {
    if (image == nullptr || s.Remaining() < 36)
        return false;
    char header[32];
    s.Read(header, 32);
    if (std::memcmp(header, kSignature, 32) != 0)
        return false;
    s.Read(nullptr, 4); // versions
    PspState st;

    auto emit = [&](bool eight) {
        if (!SizeAllowed(st.width, st.height))
            return false;
        const int32_t w = static_cast<int32_t>(st.width), h = static_cast<int32_t>(st.height);
        const size_t plane = static_cast<size_t>(st.width) * st.height;
        for (const std::vector<uint8_t>& c : st.channels)
            if (!c.empty() && c.size() != plane)
                return false;
        if (eight) {
            int32_t count = st.paletteCount == 1 ? 2 : st.paletteCount;
            if (!image->Create(w, h, 8, count))
                return false;
            for (int32_t i = 0; i < st.paletteCount; ++i)
                image->palette[i] = st.palette[i];
        } else if (!image->Create(w, h, 24, 0)) {
            return false;
        }
        if (!image->UpdateColorTable())
            return false;
        SignalHeaderReady(image);
        // One channel alone is grey; a missing one of two stays 0.
        const std::vector<uint8_t>* only = nullptr;
        for (int32_t c = 2; c >= 0; --c)
            if (!st.channels[c].empty())
                only = &st.channels[c];
        const std::vector<uint8_t>* from[3];
        for (int32_t c = 0; c < 3; ++c)
            from[c] = !st.channels[c].empty() ? &st.channels[c] : st.gathered == 1 ? only : nullptr;
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* row = image->GetRow(y, true);
            const size_t at = static_cast<size_t>(y) * st.width;
            if (eight) {
                std::memcpy(row, &st.channels[0][at], st.width);
            } else {
                for (int32_t c = 0; c < 3; ++c)
                    for (int32_t x = 0; x < w && from[c] != nullptr; ++x)
                        row[3 * x + 2 - c] = (*from[c])[at + x];
            }
            ReportRows(image, y, 1);
        }
        SignalComplete(image);
        return true;
    };

    // Attributes over the limits end the read where they are met, before any
    // channel is unpacked, with the size they claim kept to tell why.
    auto refuse = [&]() {
        if (st.width <= INT32_MAX && st.height <= INT32_MAX) {
            image->fullWidth = static_cast<int32_t>(st.width);
            image->fullHeight = static_cast<int32_t>(st.height);
        }
        return false;
    };

    for (;;) {
        if (s.Remaining() < 10)
            break;
        char magic[4];
        s.Read(magic, 4);
        if (std::memcmp(magic, "~BK\0", 4) != 0)
            return false;
        const uint32_t id = s.ReadUInt16LE();
        const uint32_t length = s.ReadUInt32LE();
        if (length > s.Remaining())
            return false;
        const uint32_t end = s.position + length;
        switch (id) {
        case 0:
            if (length < 30)
                return false;
            s.ReadUInt32LE();
            st.Reset();
            st.width = s.ReadUInt32LE();
            st.height = s.ReadUInt32LE();
            s.Read(nullptr, 9);
            st.compression = s.ReadUInt16LE();
            st.depth = s.ReadUInt16LE();
            if (OverPixelLimit(st.width, st.height))
                return refuse();
            s.position = end;
            break;
        case 2: {
            if (length < 8)
                return false;
            s.ReadUInt32LE();
            const uint32_t count = s.ReadUInt32LE();
            if (count > (length - 8) / 4)
                return false;
            st.paletteCount = count < 256 ? static_cast<int32_t>(count) : 256;
            for (int32_t i = 0; i < st.paletteCount; ++i) {
                uint8_t e[4];
                s.Read(e, 4);
                st.palette[i] = PaletteEntry{e[0], e[1], e[2], 255};
            }
            s.position = end;
            break;
        }
        case 5: {
            if (length < 16)
                return false;
            s.ReadUInt32LE();
            const uint32_t packed = s.ReadUInt32LE();
            const uint32_t unpacked = s.ReadUInt32LE();
            s.ReadUInt16LE();
            const uint32_t type = s.ReadUInt16LE();
            if (st.depth != 8 && st.depth != 24) {
                s.position = end;
                break; // other depths are skipped
            }
            if (image->headerOnly) {
                image->fullWidth = static_cast<int32_t>(st.width);
                image->fullHeight = static_cast<int32_t>(st.height);
                return st.width != 0 && st.height != 0;
            }
            if (!SizeAllowed(st.width, st.height))
                return false;
            const int32_t slot = st.depth == 8 ? 0
                                 : type >= 1 && type <= 3 && st.channels[type - 1].empty()
                                     ? static_cast<int32_t>(type) - 1
                                     : st.gathered;
            if (slot > 2 ||
                !ChannelData(s, st, packed, unpacked, end - s.position, &st.channels[slot]))
                return false;
            ++st.gathered;
            s.position = end;
            if (st.depth == 8)
                return emit(true);
            if (st.gathered == 3)
                return emit(false);
            break;
        }
        case 9:
            if (length < 8)
                return false;
            s.Read(nullptr, 8); // its blocks follow
            break;
        case 16: {
            if (length < 8)
                return false;
            const uint32_t chunk = s.ReadUInt32LE();
            s.ReadUInt32LE();
            if (chunk < 8 || chunk > length)
                return false;
            s.Read(nullptr, chunk - 8);
            break;
        }
        case 17:
            if (length < 24)
                return false;
            s.ReadUInt32LE();
            st.Reset();
            st.width = s.ReadUInt32LE();
            st.height = s.ReadUInt32LE();
            st.depth = s.ReadUInt16LE();
            st.compression = s.ReadUInt16LE();
            if (image->headerOnly) {
                if (st.width == 0 || st.height == 0 || st.width > INT32_MAX ||
                    st.height > INT32_MAX)
                    return false;
                if (!SizeAllowed(st.width, st.height))
                    return refuse();
                image->fullWidth = static_cast<int32_t>(st.width);
                image->fullHeight = static_cast<int32_t>(st.height);
                return true;
            }
            s.position = end;
            break;
        case 18: {
            if (length < 14)
                return false;
            const uint32_t chunk = s.ReadUInt32LE();
            s.Read(nullptr, 8);
            const uint32_t type = s.ReadUInt16LE();
            if (chunk < 14 || chunk > length)
                return false;
            s.Read(nullptr, chunk - 14);
            if (type != 8) {
                s.position = end;
                break;
            }
            CJpegReader jpeg;
            jpeg.m_progress = m_progress;
            jpeg.m_progressUser = m_progressUser;
            jpeg.m_pixelLimit = m_pixelLimit;
            return jpeg.ReadFromStream(s, image);
        }
        default:
            s.position = end;
            break;
        }
    }
    if (st.gathered > 0 && st.depth == 24 && !image->headerOnly)
        return emit(false);
    return false;
}
