// GIF reader: animations assembled by gifsicle against PIL's composites, the
// composition rules (disposal, transparency, local colour tables), the
// progress protocol, header-only reads, and every kind of broken file.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/gif_codec.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// Builds GIF files block by block. Image data is coded with literal codes
// only, a clear code before the table would force wider codes, so any pixel
// grid can be written with a chosen minimum code size.
struct GifBuilder {
    std::vector<uint8_t> bytes;

    static void Table(std::vector<uint8_t>& out, const std::vector<Rgb>& colours) {
        for (const Rgb& c : colours) {
            out.push_back(c.r);
            out.push_back(c.g);
            out.push_back(c.b);
        }
    }
    // colours.size() must be a power of two from 2 to 256 (or 0: no table).
    static uint8_t SizeBits(size_t count) {
        uint8_t bits = 0;
        while ((2u << bits) < count)
            ++bits;
        return bits;
    }
    GifBuilder& Header(int width, int height, const std::vector<Rgb>& global, int background = 0) {
        Append(bytes, "GIF89a");
        Le(bytes, width, 2);
        Le(bytes, height, 2);
        bytes.push_back(global.empty() ? 0 : static_cast<uint8_t>(0x80 | SizeBits(global.size())));
        bytes.push_back(static_cast<uint8_t>(background));
        bytes.push_back(0);
        Table(bytes, global);
        return *this;
    }
    GifBuilder& Control(int disposal, bool transparent, int index, int delay) {
        bytes.insert(bytes.end(), {0x21, 0xF9, 4});
        bytes.push_back(static_cast<uint8_t>((disposal << 2) | (transparent ? 1 : 0)));
        Le(bytes, delay, 2);
        bytes.push_back(static_cast<uint8_t>(index));
        bytes.push_back(0);
        return *this;
    }
    static std::vector<uint8_t> Codes(const std::vector<uint8_t>& pixels, int minCodeSize,
                                      bool withEnd = true) {
        const uint32_t clear = 1u << minCodeSize, size = minCodeSize + 1;
        std::vector<uint32_t> codes = {clear};
        uint32_t sinceClear = 0;
        for (uint8_t p : pixels) {
            if (sinceClear == clear - 2) {
                codes.push_back(clear);
                sinceClear = 0;
            }
            codes.push_back(p);
            ++sinceClear;
        }
        if (withEnd)
            codes.push_back(clear + 1);
        std::vector<uint8_t> packed;
        uint32_t acc = 0, bits = 0;
        for (uint32_t c : codes) {
            acc |= c << bits;
            bits += size;
            while (bits >= 8) {
                packed.push_back(static_cast<uint8_t>(acc));
                acc >>= 8;
                bits -= 8;
            }
        }
        if (bits > 0)
            packed.push_back(static_cast<uint8_t>(acc));
        return packed;
    }
    GifBuilder& Data(const std::vector<uint8_t>& packed, int minCodeSize) {
        bytes.push_back(static_cast<uint8_t>(minCodeSize));
        for (size_t at = 0; at < packed.size(); at += 255) {
            size_t n = std::min<size_t>(255, packed.size() - at);
            bytes.push_back(static_cast<uint8_t>(n));
            bytes.insert(bytes.end(), packed.begin() + at, packed.begin() + at + n);
        }
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& Image(int left, int top, int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<Rgb>& local = {}, int minCodeSize = 2) {
        bytes.push_back(0x2C);
        Le(bytes, left, 2);
        Le(bytes, top, 2);
        Le(bytes, width, 2);
        Le(bytes, height, 2);
        bytes.push_back(local.empty() ? 0 : static_cast<uint8_t>(0x80 | SizeBits(local.size())));
        Table(bytes, local);
        return Data(Codes(pixels, minCodeSize), minCodeSize);
    }
    GifBuilder& Trailer() {
        bytes.push_back(0x3B);
        return *this;
    }
};

const std::vector<Rgb> kFour = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

const auto Decode = [](auto&&... args) { return DecodeWith<CGifReader>(args...); };

// Colour of pixel (x, y) of a frame as r, g, b.
Rgb ColourAt(CImageObject* frame, int x, int y) {
    uint8_t px[4];
    PixelAt(*frame, x, y, px);
    return Rgb{px[2], px[1], px[0]};
}

void ExpectColour(CImageObject* frame, int x, int y, Rgb want, const std::string& what) {
    Rgb got = ColourAt(frame, x, y);
    EXPECT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
        << what << " at (" << x << ", " << y << "): " << int(got.r) << "," << int(got.g) << ","
        << int(got.b) << " expected " << int(want.r) << "," << int(want.g) << "," << int(want.b);
}

TEST(GifReader, AnimationsMatchTheReferenceComposites) {
    for (const char* name : {"single", "anim_none", "anim_previous", "anim_transparent",
                             "anim_local", "anim_interlace"}) {
        SCOPED_TRACE(name);
        const std::string stem = FixturePath(std::string("own_gif/") + name);
        FrameMeta meta;
        ASSERT_TRUE(LoadMeta(stem + ".meta", &meta));
        CImageObject image;
        CGifReader reader;
        ASSERT_TRUE(reader.Read((stem + ".gif").c_str(), &image));
        ASSERT_EQ(image.FrameCount() + 1, meta.frames);
        EXPECT_EQ(image.animated, meta.frames > 1);
        for (int32_t k = 0; k < meta.frames; ++k) {
            CImageObject* frame = image.GetFrame(k);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->bitsPerPixel, 8);
            EXPECT_EQ(frame->frameDelay, meta.delays[k]) << "frame " << k;
            ExpectedPixels want;
            ASSERT_TRUE(LoadExpected(stem + ".f" + std::to_string(k) + ".raw", &want));
            ExpectOpaquePixels(*frame, want, std::string(name) + " frame " + std::to_string(k));
        }
    }
}

TEST(GifReader, OneFrameSendsEveryEventAtTheEnd) {
    CImageObject image;
    EventLog log;
    CGifReader reader;
    log.Attach(reader, &image);
    ASSERT_TRUE(reader.Read(FixturePath("own_gif/single.gif").c_str(), &image));
    EXPECT_FALSE(image.animated);
    EXPECT_EQ(image.FrameCount(), 0);
    ASSERT_EQ(log.events.size(), 3u);
    EXPECT_EQ(log.events[1].position, 0);
    EXPECT_EQ(log.events[1].count, image.height);
    ExpectProtocol(log, image.height, "single");
    EXPECT_EQ(image.rowsDecoded.load(), image.height);
    EXPECT_TRUE(image.complete.load());
    EXPECT_NE(image.fileSize, 0u);
}

TEST(GifReader, HeaderOnlyGivesTheFirstFrameSize) {
    GifBuilder gif;
    gif.Header(20, 10, kFour).Image(3, 2, 5, 4, std::vector<uint8_t>(20, 1)).Trailer();
    CImageObject image;
    image.headerOnly = true;
    EventLog log;
    ASSERT_TRUE(Decode(gif.bytes, &image, &log));
    EXPECT_EQ(image.fullWidth, 5);
    EXPECT_EQ(image.fullHeight, 4);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(image.headerReady.load());
}

TEST(GifReader, DisposalsComposeAsSpecified) {
    // Frame 0: a full red screen with a green corner pixel. Frame 1 draws a
    // blue 2x2 block at (1, 1) over it; its disposal decides frame 2's start.
    const int w = 4, h = 3;
    std::vector<uint8_t> first(w * h, 0);
    first[0] = 1;
    std::vector<uint8_t> block(4, 2);
    std::vector<uint8_t> dot(1, 3);
    struct Case {
        int disposal;
        Rgb atBlock; // frame 2 at (1, 1), where frame 1 drew
        Rgb corner;  // frame 2 at (0, 0)
    } cases[] = {
        {0, {0, 0, 255}, {0, 255, 0}},
        {1, {0, 0, 255}, {0, 255, 0}},
        // Background (index 3, white) over the whole screen, not only the block.
        {2, {255, 255, 255}, {255, 255, 255}},
        // Back to frame 0.
        {3, {255, 0, 0}, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disposal);
        GifBuilder gif;
        gif.Header(w, h, kFour, 3).Control(1, false, 0, 5).Image(0, 0, w, h, first);
        gif.Control(c.disposal, false, 0, 5).Image(1, 1, 2, 2, block);
        gif.Control(1, false, 0, 5).Image(3, 2, 1, 1, dot).Trailer();
        CImageObject image;
        ASSERT_TRUE(Decode(gif.bytes, &image));
        ASSERT_EQ(image.FrameCount(), 2);
        CImageObject* f2 = image.GetFrame(2);
        ExpectColour(f2, 1, 1, c.atBlock, "block");
        ExpectColour(f2, 0, 0, c.corner, "corner");
        ExpectColour(f2, 3, 2, {255, 255, 255}, "new dot");
        EXPECT_EQ(f2->frameDelay, 50);
        EXPECT_EQ(f2->rowsDecoded.load(), h);
        EXPECT_TRUE(image.animated);
    }
}

TEST(GifReader, PartialFirstFrameAndTransparency) {
    // A partial first frame lies on the background colour; a transparent index
    // lets the frame below show through.
    GifBuilder gif;
    gif.Header(4, 4, kFour, 2).Control(0, true, 0, 0);
    gif.Image(1, 1, 2, 2, {0, 1, 1, 0});
    gif.Control(1, true, 1, 0).Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1)).Trailer();
    CImageObject image;
    ASSERT_TRUE(Decode(gif.bytes, &image));
    ExpectColour(&image, 0, 0, {0, 0, 255}, "background");
    ExpectColour(&image, 1, 1, {0, 0, 255}, "transparent pixel");
    ExpectColour(&image, 2, 1, {0, 255, 0}, "drawn pixel");
    // Frame 1 is entirely transparent: a copy of frame 0.
    CImageObject* f1 = image.GetFrame(1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            Rgb a = ColourAt(&image, x, y), b = ColourAt(f1, x, y);
            EXPECT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b) << x << "," << y;
        }
}

TEST(GifReader, LocalColourTablesKeepTheirColours) {
    // The second frame's local table differs from the global one: its pixels
    // show its own colours over the first frame.
    const std::vector<Rgb> local = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {255, 0, 0}};
    GifBuilder gif;
    gif.Header(3, 2, kFour).Image(0, 0, 3, 2, {1, 1, 1, 1, 1, 1});
    gif.Image(1, 0, 2, 2, {0, 1, 2, 3}, local).Trailer();
    CImageObject image;
    ASSERT_TRUE(Decode(gif.bytes, &image));
    CImageObject* f1 = image.GetFrame(1);
    ExpectColour(f1, 0, 0, {0, 255, 0}, "kept");
    ExpectColour(f1, 1, 0, {1, 2, 3}, "local 0");
    ExpectColour(f1, 2, 0, {4, 5, 6}, "local 1");
    ExpectColour(f1, 1, 1, {7, 8, 9}, "local 2");
    ExpectColour(f1, 2, 1, {255, 0, 0}, "local 3");

    // When the frame below keeps 256 colours visible, a new colour takes the
    // nearest one that exists. The last row repeats colours, so covering one
    // pixel there hides none.
    std::vector<Rgb> full(256);
    std::vector<uint8_t> all(16 * 17);
    for (int i = 0; i < 256; ++i)
        full[i] = Rgb{static_cast<uint8_t>(i), 0, 0};
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i % 256);
    GifBuilder crowded;
    crowded.Header(16, 17, full).Image(0, 0, 16, 17, all, {}, 8);
    crowded.Image(0, 16, 1, 1, {0}, {{200, 3, 1}, {0, 0, 0}}).Trailer();
    CImageObject second;
    ASSERT_TRUE(Decode(crowded.bytes, &second));
    ExpectColour(second.GetFrame(1), 0, 16, {200, 0, 0}, "nearest");
    ExpectColour(second.GetFrame(1), 1, 16, {1, 0, 0}, "kept");
    ExpectColour(second.GetFrame(1), 0, 0, {0, 0, 0}, "kept");
}

TEST(GifReader, FramesOutsideTheScreenAreNotDrawn) {
    GifBuilder gif;
    gif.Header(3, 3, kFour).Image(0, 0, 3, 3, std::vector<uint8_t>(9, 1));
    gif.Image(2, 2, 2, 2, std::vector<uint8_t>(4, 2)).Trailer();
    CImageObject image;
    ASSERT_TRUE(Decode(gif.bytes, &image));
    ExpectColour(image.GetFrame(1), 2, 2, {0, 255, 0}, "unchanged");
}

TEST(GifReader, ExtensionsAreSkipped) {
    GifBuilder gif;
    gif.Header(2, 1, kFour);
    gif.bytes.insert(gif.bytes.end(), {0x21, 0xFF, 11});
    Append(gif.bytes, "NETSCAPE2.0");
    gif.bytes.insert(gif.bytes.end(), {3, 1, 5, 0, 0});
    gif.bytes.insert(gif.bytes.end(), {0x21, 0xFE, 3, 'a', 'b', 'c', 0, 0x00});
    gif.bytes.insert(gif.bytes.end(), {0x21, 0xFF, 11});
    Append(gif.bytes, "OTHERAPP1.0");
    gif.bytes.insert(gif.bytes.end(), {2, 9, 9, 0});
    gif.Image(0, 0, 2, 1, {2, 3}).Trailer();
    CImageObject image;
    ASSERT_TRUE(Decode(gif.bytes, &image));
    ExpectColour(&image, 1, 0, {255, 255, 255}, "pixel");
}

TEST(GifReader, EndCodeInPlaceOfTheLastPixel) {
    GifBuilder gif;
    gif.Header(3, 1, kFour);
    gif.bytes.insert(gif.bytes.end(), {0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0});
    gif.Data(GifBuilder::Codes({1, 2}, 2), 2).Trailer();
    CImageObject image;
    ASSERT_TRUE(Decode(gif.bytes, &image));
    ExpectColour(&image, 1, 0, {0, 0, 255}, "decoded");
}

TEST(GifReader, BrokenFilesFail) {
    auto valid = [] {
        GifBuilder gif;
        gif.Header(2, 2, kFour).Image(0, 0, 2, 2, {0, 1, 2, 3});
        return gif;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    {
        GifBuilder g = valid();
        g.bytes[3] = '9';
        cases.push_back({"bad version", g.Trailer().bytes});
    }
    for (int size : {0, 12, 13, 255}) {
        GifBuilder g;
        g.Header(2, 1, kFour);
        g.bytes.insert(g.bytes.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
        g.Data(GifBuilder::Codes({1, 2}, 2), size).Trailer();
        cases.push_back({"minimum code size out of range", g.bytes});
    }
    {
        GifBuilder g;
        g.Header(2, 1, kFour).Trailer();
        cases.push_back({"no image", g.bytes});
    }
    {
        GifBuilder g;
        g.Header(4, 1, kFour);
        g.bytes.insert(g.bytes.end(), {0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0});
        g.Data(GifBuilder::Codes({1, 2}, 2), 2).Trailer();
        cases.push_back({"end code two pixels early", g.bytes});
    }
    {
        GifBuilder g;
        g.Header(2, 1, kFour);
        g.bytes.insert(g.bytes.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
        g.Data(GifBuilder::Codes({1}, 2, false), 2).Trailer();
        cases.push_back({"data that ends before the pixels", g.bytes});
    }
    {
        // Codes: clear, 7 (not yet defined: the next free code is 6).
        GifBuilder g;
        g.Header(2, 1, kFour);
        g.bytes.insert(g.bytes.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
        g.Data({static_cast<uint8_t>(4 | (1 << 3) | (7 << 6)), 1}, 2).Trailer();
        cases.push_back({"undefined code", g.bytes});
    }
    {
        GifBuilder g = valid();
        g.bytes.insert(g.bytes.end(), {0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0});
        cases.push_back({"graphic control of the wrong size", g.Trailer().bytes});
    }
    {
        GifBuilder g = valid();
        g.bytes.insert(g.bytes.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 7});
        cases.push_back({"graphic control without terminator", g.Trailer().bytes});
    }
    {
        GifBuilder g = valid();
        g.bytes.insert(g.bytes.end(), {0x21, 0xFF, 10});
        cases.push_back({"application block of the wrong size", g.Trailer().bytes});
    }
    {
        GifBuilder g = valid();
        g.bytes.push_back(0x99);
        cases.push_back({"unknown block", g.Trailer().bytes});
    }
    {
        GifBuilder g;
        g.Header(2, 1, kFour).Image(0, 0, 0, 1, {});
        cases.push_back({"frame of width 0", g.Trailer().bytes});
    }
    for (const Case& c : cases) {
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(Decode(c.bytes, &image, &log)) << c.what;
        EXPECT_TRUE(log.events.empty()) << c.what;
    }
}

TEST(GifReader, EveryTruncationFails) {
    GifBuilder gif;
    gif.Header(5, 3, kFour).Control(1, true, 0, 3).Image(0, 0, 5, 3, std::vector<uint8_t>(15, 2));
    gif.Image(1, 1, 2, 1, {1, 3}, {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}}).Trailer();
    CImageObject whole;
    ASSERT_TRUE(Decode(gif.bytes, &whole));
    for (size_t cut = 0; cut < gif.bytes.size(); ++cut) {
        std::vector<uint8_t> part(gif.bytes.begin(), gif.bytes.begin() + cut);
        CImageObject image;
        EXPECT_FALSE(Decode(part, &image)) << "cut at " << cut;
    }
}

TEST(GifReader, HugeSizesAreRefusedWithinTheCap) {
    // A screen or a frame of 16000 x 16000 under a cap of a million pixels.
    GifBuilder screen;
    screen.Header(16000, 16000, kFour).Image(0, 0, 2, 1, {0, 1}).Trailer();
    GifBuilder frame;
    frame.Header(2, 1, kFour).Image(0, 0, 16000, 16000, {0, 1}).Trailer();
    for (const auto* gif : {&screen, &frame}) {
        CImageObject image;
        EXPECT_FALSE(Decode(gif->bytes, &image, nullptr, 1u << 20));
        EXPECT_EQ(image.bits, nullptr);
    }
}

TEST(GifReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("gif_")) {
        CImageObject image;
        CGifReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
