// GIF reading and the composition of animation frames.
//
// File layout as read (16-bit values little-endian):
//   "GIF87a" or "GIF89a"
//   logical screen: width, height (16-bit), packed byte (bit 7: a global
//     colour table of 2^((packed & 7) + 1) red, green, blue entries follows),
//     background index, aspect byte
//   blocks, each starting with one byte:
//     0x00          ignored
//     0x21 0xF9     graphic control: size 4, packed (bit 0 transparent, bits
//                   2-4 disposal), delay in 1/100 s, transparent index, 0
//     0x21 0xFE     comment: sub-blocks, skipped
//     0x21 0xFF     application: size 11, identifier; "NETSCAPE2.0" and
//                   "ANIMEXTS1.0" carry one sub-block (1: 16-bit loop count,
//                   2: 32-bit buffer size) and a 0; others are skipped
//     0x21 other    the label is ignored and reading goes on with the next byte
//     0x2C          image: left, top, width, height (16-bit), packed (bit 6
//                   interlaced, bit 7 a local table as above), the local
//                   table, the minimum code size and the LZW sub-blocks
//                   (gif_lzw.h)
//     0x3B          trailer: the end of the file as far as the reader goes
//   Any other byte, or data that ends before the trailer, fails the read.
//
// Invariants of the result: every frame is a screen-size 8 bpp image; a
// pixel's colour is its frame's own palette entry, so a frame drawn with a
// local colour table is remapped into the palette of the frame it is drawn
// over; the background fill (disposal 2) covers the whole screen.
#include "imaging/codecs/gif_codec.h"

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

struct Palette {
    PaletteEntry entries[256];
    int32_t count = 0;
};

// State of the graphic control extensions, in force until the next one.
struct GraphicControl {
    bool transparent = false;
    int32_t transparentIndex = 0;
    int32_t disposal = 0;
    int32_t previousDisposal = 0;
    int32_t delay = 0; // milliseconds
};

// A frame being composed: screen-size palette indexes and their palette.
struct Canvas {
    std::vector<uint8_t> pixels;
    Palette palette;
};

// One decoded image block before composition.
struct RawFrame {
    int32_t left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels; // width x height indexes
    Palette palette;
};

bool ReadColorTable(CByteStream& s, int32_t count, Palette* out) {
    if (s.Remaining() < static_cast<uint32_t>(3 * count))
        return false;
    out->count = count;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t rgb[3];
        s.Read(rgb, 3);
        out->entries[i] = PaletteEntry{rgb[2], rgb[1], rgb[0], 255};
    }
    return true;
}

bool SamePalette(const Palette& a, const Palette& b) {
    if (a.count != b.count)
        return false;
    for (int32_t i = 0; i < a.count; ++i) {
        if (a.entries[i] != b.entries[i])
            return false;
    }
    return true;
}

// Index of colour in palette: an exact match, else a new entry while there is
// room, else the nearest colour.
uint8_t MapColour(Palette* palette, PaletteEntry colour) {
    for (int32_t i = 0; i < palette->count; ++i) {
        if (palette->entries[i] == colour)
            return static_cast<uint8_t>(i);
    }
    if (palette->count < 256) {
        palette->entries[palette->count] = colour;
        return static_cast<uint8_t>(palette->count++);
    }
    int32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (int32_t i = 0; i < palette->count; ++i) {
        const PaletteEntry& e = palette->entries[i];
        int32_t db = e.blue - colour.blue, dg = e.green - colour.green, dr = e.red - colour.red;
        int32_t distance = db * db + dg * dg + dr * dr;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

void CanvasFromImage(const CImageObject* image, Canvas* canvas) {
    size_t width = static_cast<size_t>(image->width);
    canvas->pixels.resize(width * static_cast<size_t>(image->height));
    for (int32_t y = 0; y < image->height; ++y)
        std::memcpy(&canvas->pixels[width * y], image->GetRow(y, true), width);
    canvas->palette.count = image->paletteCount;
    std::memcpy(canvas->palette.entries, image->palette,
                sizeof(PaletteEntry) * static_cast<size_t>(image->paletteCount));
}

bool ImageFromCanvas(const Canvas& canvas, int32_t width, int32_t height, CImageObject* image) {
    int32_t count = canvas.palette.count < 2 ? 2 : canvas.palette.count;
    if (!image->Create(width, height, 8, count))
        return false;
    for (int32_t i = 0; i < canvas.palette.count; ++i)
        image->palette[i] = canvas.palette.entries[i];
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(image->GetRow(y, true), &canvas.pixels[static_cast<size_t>(width) * y],
                    static_cast<size_t>(width));
    return image->UpdateColorTable();
}

// Draws frame over canvas at its position, skipping its transparent index.
// A frame that does not lie wholly inside the screen is not drawn.
void DrawFrame(Canvas* canvas, int32_t screenWidth, int32_t screenHeight, const RawFrame& frame,
               const GraphicControl& control) {
    if (static_cast<int64_t>(frame.left) + frame.width > screenWidth ||
        static_cast<int64_t>(frame.top) + frame.height > screenHeight)
        return;
    // Indexes pass unchanged between identical palettes. Otherwise the canvas
    // palette is rebuilt from the colours its pixels use, and every colour the
    // frame draws is added to it (the nearest one once 256 are in use).
    uint8_t map[256];
    if (SamePalette(canvas->palette, frame.palette)) {
        for (int32_t i = 0; i < 256; ++i)
            map[i] = static_cast<uint8_t>(i);
    } else {
        // Only colours that stay visible count: the frame's opaque pixels
        // cover what lies under them.
        bool used[256] = {};
        for (int32_t y = 0; y < screenHeight; ++y) {
            const uint8_t* row = &canvas->pixels[static_cast<size_t>(screenWidth) * y];
            const bool inRows = y >= frame.top && y < frame.top + frame.height;
            for (int32_t x = 0; x < screenWidth; ++x) {
                if (inRows && x >= frame.left && x < frame.left + frame.width) {
                    uint8_t p = frame.pixels[static_cast<size_t>(frame.width) * (y - frame.top) +
                                             static_cast<size_t>(x - frame.left)];
                    if (!(control.transparent && p == control.transparentIndex))
                        continue;
                }
                used[row[x]] = true;
            }
        }
        Palette compact;
        uint8_t remap[256] = {};
        const Palette& old = canvas->palette;
        for (int32_t i = 0; i < 256; ++i) {
            if (used[i] && old.count > 0)
                remap[i] = MapColour(&compact, old.entries[i < old.count ? i : old.count - 1]);
        }
        for (uint8_t& p : canvas->pixels)
            p = remap[p];
        canvas->palette = compact;
        bool drawn[256] = {};
        for (uint8_t p : frame.pixels)
            drawn[p] = !(control.transparent && p == control.transparentIndex);
        const Palette& own = frame.palette;
        for (int32_t i = 0; i < 256; ++i) {
            // An index past the frame's table shows as its last entry.
            map[i] = drawn[i] ? MapColour(&canvas->palette,
                                          own.entries[i < own.count ? i : own.count - 1])
                              : 0;
        }
    }
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* from = &frame.pixels[static_cast<size_t>(frame.width) * y];
        uint8_t* to = &canvas->pixels[static_cast<size_t>(screenWidth) * (frame.top + y) +
                                      static_cast<size_t>(frame.left)];
        for (int32_t x = 0; x < frame.width; ++x) {
            if (control.transparent && from[x] == control.transparentIndex)
                continue;
            to[x] = map[from[x]];
        }
    }
}

class GifDecoder {
public:
    GifDecoder(CByteStream& s, CImageObject* image, uint64_t pixelCap)
        : m_s(s), m_image(image), m_pixelCap(pixelCap) {
        const uint64_t kMaxTotal = 1u << 30;
        // Many frames at a large screen size would multiply the memory a file
        // can ask for; the frames together stay within a budget.
        m_budget = pixelCap != 0 && pixelCap < kMaxTotal / 64 ? pixelCap * 64 : kMaxTotal;
    }

    // 1: trailer reached after at least one frame; 2: header-only done; 0: failure.
    int Run();

private:
    bool Allowed(int64_t width, int64_t height) const {
        if (width <= 0 || height <= 0)
            return false;
        uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        return pixels <= kMaxImageBytes && !OverCap(width, height);
    }
    bool OverCap(int64_t width, int64_t height) const {
        return m_pixelCap != 0 &&
               static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > m_pixelCap;
    }
    // A size over the cap is refused where it is read, before anything is
    // allocated for it, and kept as the image's full size to tell why.
    int Refuse(int32_t width, int32_t height) {
        m_image->fullWidth = width;
        m_image->fullHeight = height;
        return 0;
    }
    bool SkipSubBlocks();
    bool GraphicControlBlock();
    bool ApplicationBlock();
    int ImageBlock(); // 1 ok, 2 header-only done, 0 failure
    bool DecodePixels(RawFrame* frame, bool interlaced);
    bool Compose(const RawFrame& frame);

    CByteStream& m_s;
    CImageObject* m_image;
    uint64_t m_pixelCap;
    uint64_t m_budget;
    uint64_t m_used = 0;
    int32_t m_screenWidth = 0, m_screenHeight = 0;
    int32_t m_background = 0;
    Palette m_global;
    bool m_hasGlobal = false;
    GraphicControl m_control;
    int32_t m_frames = 0; // frames composed so far
    CGifLzwDecoder m_lzw;
};

bool GifDecoder::SkipSubBlocks() {
    for (;;) {
        if (m_s.Remaining() < 1)
            return false;
        uint32_t length = m_s.ReadUInt8();
        if (length == 0)
            return true;
        if (m_s.Remaining() < length)
            return false;
        m_s.Read(nullptr, length);
    }
}

bool GifDecoder::GraphicControlBlock() {
    if (m_s.Remaining() < 6 || m_s.ReadUInt8() != 4)
        return false;
    uint8_t packed = m_s.ReadUInt8();
    m_control.transparent = (packed & 1) != 0;
    m_control.previousDisposal = m_control.disposal;
    m_control.disposal = (packed >> 2) & 7;
    m_control.delay = m_s.ReadUInt16LE() * 10;
    m_control.transparentIndex = m_s.ReadUInt8();
    return m_s.ReadUInt8() == 0;
}

bool GifDecoder::ApplicationBlock() {
    if (m_s.Remaining() < 12 || m_s.ReadUInt8() != 11)
        return false;
    char id[11];
    m_s.Read(id, 11);
    if (std::memcmp(id, "NETSCAPE2.0", 11) != 0 && std::memcmp(id, "ANIMEXTS1.0", 11) != 0)
        return SkipSubBlocks();
    // The loop count and buffer size are read past and not kept.
    if (m_s.Remaining() < 2)
        return false;
    m_s.ReadUInt8(); // sub-block length
    uint8_t kind = m_s.ReadUInt8() & 7;
    uint32_t skip = kind == 1 ? 2 : kind == 2 ? 4 : 0;
    if (m_s.Remaining() < skip + 1)
        return false;
    m_s.Read(nullptr, skip);
    return m_s.ReadUInt8() == 0;
}

bool GifDecoder::DecodePixels(RawFrame* frame, bool interlaced) {
    if (m_s.Remaining() < 1 || !m_lzw.Begin(&m_s, m_s.ReadUInt8()))
        return false;
    static const int32_t kStart[4] = {0, 4, 2, 1};
    static const int32_t kStep[4] = {8, 8, 4, 2};
    const int32_t passes = interlaced ? 4 : 1;
    const uint32_t width = static_cast<uint32_t>(frame->width);
    for (int32_t pass = 0; pass < passes; ++pass) {
        int32_t start = interlaced ? kStart[pass] : 0;
        int32_t step = interlaced ? kStep[pass] : 1;
        for (int32_t y = start; y < frame->height; y += step) {
            int64_t got = m_lzw.Decode(&frame->pixels[static_cast<size_t>(width) * y], width);
            // An end code in place of a row's last pixel leaves that pixel
            // as it was; any earlier end is a broken frame.
            if (got < 0 || got + 1 < static_cast<int64_t>(width))
                return false;
        }
    }
    return m_lzw.SkipRest();
}

bool GifDecoder::Compose(const RawFrame& frame) {
    const int32_t sw = m_screenWidth, sh = m_screenHeight;
    const bool full = frame.width == sw && frame.height == sh;
    Canvas canvas;
    if (full && !m_control.transparent) {
        canvas.pixels = frame.pixels;
        canvas.palette = frame.palette;
    } else {
        if (!Allowed(sw, sh))
            return false;
        const CImageObject* base = nullptr;
        if (m_frames > 0) {
            int32_t disposal = m_control.previousDisposal;
            if (disposal == 0 || disposal == 1)
                base = m_image->GetFrame(m_frames - 1);
            else if (disposal == 3 && m_frames >= 2)
                base = m_image->GetFrame(m_frames - 2);
        }
        if (base != nullptr) {
            CanvasFromImage(base, &canvas);
        } else {
            canvas.pixels.assign(static_cast<size_t>(sw) * static_cast<size_t>(sh), 0);
            canvas.palette = frame.palette;
            // Frame 0 fills with its own entry at the background index; later
            // frames with the colour of the image's entry there.
            if (m_frames == 0) {
                if (m_background < frame.palette.count)
                    canvas.pixels.assign(canvas.pixels.size(), static_cast<uint8_t>(m_background));
            } else if (m_background < m_image->paletteCount) {
                uint8_t index = MapColour(&canvas.palette, m_image->palette[m_background]);
                canvas.pixels.assign(canvas.pixels.size(), index);
            }
        }
        DrawFrame(&canvas, sw, sh, frame, m_control);
    }

    const int32_t width = full ? frame.width : sw;
    const int32_t height = full ? frame.height : sh;
    m_used += static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (m_used > m_budget)
        return false;
    if (m_frames == 0) {
        plat::FileTimeValue fileTime = m_image->fileTime;
        if (!ImageFromCanvas(canvas, width, height, m_image))
            return false;
        m_image->frameDelay = m_control.delay;
        m_image->fileTime = fileTime;
        m_image->SignalReady(); // drawing may start; the events come at the trailer
    } else {
        std::unique_ptr<CImageObject> composed(new CImageObject());
        if (!ImageFromCanvas(canvas, width, height, composed.get()))
            return false;
        composed->frameDelay = m_control.delay;
        composed->rowsDecoded = height;
        composed->SignalReady();
        composed->SetComplete();
        composed->notLoaded = false;
        if (!m_image->AddFrame(composed.get()))
            return false;
        composed.release();
    }
    ++m_frames;
    return true;
}

int GifDecoder::ImageBlock() {
    if (m_s.Remaining() < 9)
        return 0;
    RawFrame frame;
    frame.left = m_s.ReadUInt16LE();
    frame.top = m_s.ReadUInt16LE();
    frame.width = m_s.ReadUInt16LE();
    frame.height = m_s.ReadUInt16LE();
    if (OverCap(frame.width, frame.height))
        return Refuse(frame.width, frame.height);
    if (m_image->headerOnly) {
        m_image->fullWidth = frame.width;
        m_image->fullHeight = frame.height;
        return 2;
    }
    uint8_t packed = m_s.ReadUInt8();
    if (packed & 0x80) {
        if (!ReadColorTable(m_s, 2 << (packed & 7), &frame.palette))
            return 0;
    } else if (m_hasGlobal) {
        frame.palette = m_global;
    } else {
        // No table at all: the default grey ramp.
        frame.palette.count = 256;
        for (int32_t i = 0; i < 256; ++i) {
            uint8_t v = static_cast<uint8_t>(i);
            frame.palette.entries[i] = PaletteEntry{v, v, v, 255};
        }
    }
    if (!Allowed(frame.width, frame.height))
        return 0;
    frame.pixels.assign(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height), 0);
    if (!DecodePixels(&frame, (packed & 0x40) != 0))
        return 0;
    if (m_frames == 0) {
        m_image->fullWidth = m_screenWidth;
        m_image->fullHeight = m_screenHeight;
    }
    return Compose(frame) ? 1 : 0;
}

int GifDecoder::Run() {
    uint8_t signature[6];
    if (m_s.Remaining() < 13)
        return 0;
    m_s.Read(signature, 6);
    if (std::memcmp(signature, "GIF89a", 6) != 0 && std::memcmp(signature, "GIF87a", 6) != 0)
        return 0;
    m_screenWidth = m_s.ReadUInt16LE();
    m_screenHeight = m_s.ReadUInt16LE();
    // Every frame is composed on a canvas of the screen's size.
    if (OverCap(m_screenWidth, m_screenHeight))
        return Refuse(m_screenWidth, m_screenHeight);
    uint8_t packed = m_s.ReadUInt8();
    m_background = m_s.ReadUInt8();
    m_s.ReadUInt8(); // aspect
    if (packed & 0x80) {
        if (!ReadColorTable(m_s, 2 << (packed & 7), &m_global))
            return 0;
        m_hasGlobal = true;
    }
    for (;;) {
        if (m_s.Remaining() < 1)
            return 0;
        uint8_t introducer = m_s.ReadUInt8();
        switch (introducer) {
        case 0x00:
            break;
        case 0x21: {
            if (m_s.Remaining() < 1)
                return 0;
            uint8_t label = m_s.ReadUInt8();
            bool ok = true;
            if (label == 0xF9)
                ok = GraphicControlBlock();
            else if (label == 0xFE)
                ok = SkipSubBlocks();
            else if (label == 0xFF)
                ok = ApplicationBlock();
            if (!ok)
                return 0;
            break;
        }
        case 0x2C: {
            int result = ImageBlock();
            if (result != 1)
                return result;
            break;
        }
        case 0x3B:
            return m_frames > 0 ? 1 : 0; // a file without an image shows nothing
        default:
            return 0;
        }
    }
}

} // namespace

bool CGifReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

bool CGifReader::ReadFromStream(CByteStream& stream, CImageObject* image) {
    if (image == nullptr)
        return false;
    uint64_t cap = GetImagePixelLimit();
    if (m_pixelLimit != 0 && (cap == 0 || m_pixelLimit < cap))
        cap = m_pixelLimit;
    std::unique_ptr<GifDecoder> decoder(new GifDecoder(stream, image, cap));
    int result = decoder->Run();
    if (result == 2)
        return true;
    if (result != 1)
        return false;
    image->animated = image->FrameCount() > 0;
    Notify(image, kDecodeHeaderReady, -1, -1);
    ReportRows(image, 0, image->height);
    SignalComplete(image);
    return true;
}
