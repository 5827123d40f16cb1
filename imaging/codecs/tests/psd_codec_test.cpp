// PSD reader and writer: ImageMagick documents against PIL's composite,
// bitmap mode, the little-endian variant, channel counts that do not fit the
// mode, truncation, and our documents read back by us, PIL and ImageMagick.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/psd_codec.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

std::vector<uint8_t> Header(uint32_t channels, uint32_t width, uint32_t height, uint32_t depth,
                            uint32_t mode, uint32_t colourData = 0) {
    std::vector<uint8_t> b;
    Append(b, "8BPS");
    Be(b, 1, 2);
    b.insert(b.end(), 6, 0);
    Be(b, channels, 2);
    Be(b, height, 4);
    Be(b, width, 4);
    Be(b, depth, 2);
    Be(b, mode, 2);
    Be(b, colourData, 4);
    b.insert(b.end(), colourData, 7);
    Be(b, 0, 4);
    Be(b, 0, 4);
    return b;
}

const auto Decode = [](auto&&... args) { return DecodeWith<CPsdReader>(args...); };

TEST(PsdReader, DocumentsMatchTheirComposite) {
    struct Case {
        const char* name;
        int32_t bpp;
    } cases[] = {
        {"im_rle", 24},     {"im_raw", 24},    {"im_grey", 8}, {"im_grey_alpha", 8},
        {"im_indexed", 8},  {"im_cmyk", 24},   {"im_16", 24},  {"im_layered", 24},
        {"hand_bitmap", 1}, {"hand_le16", 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = FixturePath(std::string("own_psd/") + c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(Decode(ReadBytes(stem + ".psd"), &image, &log));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        ExpectPixels(image, want, c.name);
        ExpectProtocol(log, image.height, c.name);
    }
    CImageObject indexed;
    CPsdReader reader;
    ASSERT_TRUE(reader.Read(FixturePath("own_psd/im_indexed.psd").c_str(), &indexed));
    EXPECT_EQ(indexed.paletteCount, 256);
}

TEST(PsdReader, RefusedAndShortDocuments) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t limit;
    };
    std::vector<Case> cases = {
        {"one channel RGB", Header(1, 4, 4, 8, 3), 0},
        {"two channel RGB", Header(2, 4, 4, 8, 3), 0},
        {"three channel CMYK", Header(3, 4, 4, 8, 4), 0},
        {"multichannel", Header(3, 4, 4, 8, 7), 0},
        {"three channel Lab", Header(3, 4, 4, 8, 9), 0},
        {"32-bit samples", Header(3, 4, 4, 32, 3), 0},
        {"bitmap of depth 8", Header(1, 4, 4, 8, 0), 0},
        {"width 0", Header(3, 0, 4, 8, 3), 0},
        {"16000 x 16000 under the cap", Header(3, 16000, 16000, 8, 3), 1u << 20},
    };
    std::vector<uint8_t> version = Header(3, 2, 2, 8, 3);
    version[5] = 2;
    cases.push_back({"version 2", version, 0});
    std::vector<uint8_t> signature = Header(3, 2, 2, 8, 3);
    signature[0] = 'X';
    cases.push_back({"signature", signature, 0});
    std::vector<uint8_t> section = Header(3, 2, 2, 8, 3);
    section[section.size() - 1] = 200; // layer section longer than the file
    cases.push_back({"section past the end", section, 0});
    for (Case& c : cases) {
        c.bytes.insert(c.bytes.end(), {0, 0});
        c.bytes.resize(c.bytes.size() + 12, 0);
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(Decode(c.bytes, &image, &log, c.limit)) << c.what;
        EXPECT_EQ(log.events.size() > 0 && c.what != std::string("section past the end"), false)
            << c.what;
    }

    // Short colour data is no palette; missing pixels stay as created.
    std::vector<uint8_t> indexed = Header(1, 3, 2, 8, 2, 100);
    indexed.insert(indexed.end(), {0, 0, 9, 8, 7, 6});
    CImageObject image;
    EventLog log;
    ASSERT_TRUE(Decode(indexed, &image, &log));
    EXPECT_TRUE(image.IsGrayscalePalette());
    EXPECT_EQ(image.GetRow(1, true)[0], 6);
    EXPECT_EQ(image.GetRow(1, true)[1], 0);
    ExpectProtocol(log, 2, "short");

    // Run-length data that runs out, and header-only reads.
    std::vector<uint8_t> rle = Header(3, 2, 2, 8, 3);
    rle.insert(rle.end(), {0, 1});
    rle.insert(rle.end(), 12, 0);
    rle.insert(rle.end(), {0xFD, 200, 0x00, 5}); // four bytes of 200, then one 5
    CImageObject packed;
    ASSERT_TRUE(Decode(rle, &packed));
    EXPECT_EQ(packed.GetRow(1, true)[5], 200); // red of (1, 1)
    EXPECT_EQ(packed.GetRow(0, true)[1], 5);   // green of (0, 0)
    CImageObject sized;
    sized.headerOnly = true;
    ASSERT_TRUE(Decode(rle, &sized));
    EXPECT_EQ(sized.fullWidth, 2);
    EXPECT_EQ(sized.bits, nullptr);
}

// An image of the given depth with a pattern; 8 bpp either grey or coloured.
void MakePattern(CImageObject* image, int32_t bpp, bool grey, bool whiteFirst = false) {
    const int32_t width = 11, height = 5;
    ASSERT_TRUE(image->Create(width, height, bpp, bpp == 8 && !grey ? 20 : 0));
    if (bpp == 8 && !grey)
        for (int32_t i = 0; i < 20; ++i)
            image->SetPaletteEntry(i, static_cast<uint8_t>(i * 12), 7,
                                   static_cast<uint8_t>(255 - i), 0);
    if (whiteFirst) {
        image->SetPaletteEntry(0, 255, 255, 255, 0);
        image->SetPaletteEntry(1, 0, 0, 0, 0);
    }
    ASSERT_TRUE(image->UpdateColorTable());
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image->GetRow(y, true);
        for (int32_t i = 0; i < image->stride; ++i)
            row[i] = static_cast<uint8_t>(bpp == 8 && !grey ? (i + y) % 20 : i * 37 + y * 11);
    }
}

TEST(PsdWriter, RoundTripsAndPilAgrees) {
    const std::string dir = ScratchFolder("psd_writer");
    struct Case {
        const char* what;
        int32_t bpp;
        bool grey, whiteFirst;
        int32_t readBpp;
    } cases[] = {
        {"bitmap black first", 1, false, false, 1},
        {"bitmap white first", 1, false, true, 1},
        {"grey", 8, true, false, 8},
        {"indexed, 20 colours", 8, false, false, 8},
        {"rgb", 24, false, false, 24},
        {"rgb and a fourth byte", 32, false, false, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakePattern(&image, c.bpp, c.grey, c.whiteFirst);
        const std::string path = dir + "/out.psd";
        CPsdWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 26u);
        EXPECT_EQ(bytes[13], c.bpp == 24 ? 3 : c.bpp == 32 ? 4 : 1);              // channels
        EXPECT_EQ(bytes[25], c.bpp == 1 ? 0 : c.bpp == 8 ? (c.grey ? 1 : 2) : 3); // mode
        CImageObject back;
        CPsdReader reader;
        ASSERT_TRUE(reader.Read(path.c_str(), &back));
        EXPECT_EQ(back.bitsPerPixel, c.readBpp);
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x) {
                uint8_t a[4], b[4];
                PixelAt(image, x, y, a);
                PixelAt(back, x, y, b);
                ASSERT_EQ(0, std::memcmp(a, b, 3)) << x << "," << y;
            }
#ifndef _WIN32
        // PIL reads bitmap-mode bits with 1 as white, against the format (and
        // ImageMagick): those files are checked with ImageMagick.
        if (c.bpp == 1) {
            ExpectedPixels want;
            ASSERT_TRUE(RunPnm("/usr/bin/convert '" + path + "' ppm:- 2>/dev/null", &want));
            ExpectPixels(back, want, c.what);
        } else {
            codec_test::ExpectReferenceDecoderAgrees(path, back, c.what);
        }
#endif
    }
}

TEST(PsdWriter, RefusesWhatItCannotStore) {
    const std::string dir = ScratchFolder("psd_writer_refused");
    CPsdWriter writer;
    CImageObject empty;
    EXPECT_FALSE(writer.Write((dir + "/empty.psd").c_str(), &empty));
    CImageObject image;
    MakePattern(&image, 24, false);
    EXPECT_FALSE(writer.Write((dir + "/missing/out.psd").c_str(), &image));
    EXPECT_TRUE(FolderEntries(dir).empty());
}

TEST(PsdReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("psd_")) {
        CImageObject image;
        CPsdReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
