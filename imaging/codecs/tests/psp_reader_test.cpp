// Paint Shop Pro reader: assembled files (zlib 8-bit channel with palette,
// three 24-bit channels, a lone 24-bit channel, a JPEG composite compared
// with djpeg), header-only reads, and blocks that must be refused.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/psp_reader.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

const auto Decode = [](auto&&... args) { return DecodeWith<CPspReader>(args...); };

std::vector<uint8_t> Header() {
    std::vector<uint8_t> b;
    Append(b, "Paint Shop Pro Image File\n\x1a");
    b.insert(b.end(), 5, 0);
    Le(b, 5, 2);
    Le(b, 0, 2);
    return b;
}

void Block(std::vector<uint8_t>& b, uint32_t id, const std::vector<uint8_t>& content) {
    Append(b, std::string("~BK\0", 4));
    Le(b, id, 2);
    Le(b, static_cast<uint32_t>(content.size()), 4);
    b.insert(b.end(), content.begin(), content.end());
}

std::vector<uint8_t> Attributes(uint32_t w, uint32_t h, uint32_t compression, uint32_t depth) {
    std::vector<uint8_t> c;
    for (uint32_t v : {30u, w, h})
        Le(c, v, 4);
    c.insert(c.end(), 9, 0);
    Le(c, compression, 2);
    Le(c, depth, 2);
    c.insert(c.end(), 5, 0);
    return c;
}

std::vector<uint8_t> Channel(const std::vector<uint8_t>& data, uint32_t unpacked) {
    std::vector<uint8_t> c;
    for (uint32_t v : {16u, static_cast<uint32_t>(data.size()), unpacked})
        Le(c, v, 4);
    Le(c, 0, 4);
    c.insert(c.end(), data.begin(), data.end());
    return c;
}

TEST(PspReader, AssembledFilesDecode) {
    struct Case {
        const char* name;
        int32_t bpp;
    } cases[] = {{"pal8", 8}, {"rgb24", 24}, {"grey24", 24}, {"jpeg", 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = FixturePath(std::string("own_psp/") + c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        CPspReader reader;
        log.Attach(reader, &image);
        ASSERT_TRUE(reader.Read((stem + ".psp").c_str(), &image));
        EXPECT_EQ(image.bitsPerPixel, c.bpp);
        ExpectPixels(image, want, c.name);
        ExpectProtocol(log, image.height, c.name);
        if (c.bpp == 8) {
            EXPECT_EQ(image.paletteCount, 16);
        }
    }
}

TEST(PspReader, HeaderOnlyTakesTheCompositeSize) {
    for (const char* name : {"rgb24", "jpeg"}) {
        CImageObject image;
        image.headerOnly = true;
        EventLog log;
        ASSERT_TRUE(
            Decode(ReadBytes(FixturePath(std::string("own_psp/") + name + ".psp")), &image, &log))
            << name;
        EXPECT_EQ(image.fullWidth, std::string(name) == "jpeg" ? 24 : 5) << name;
        EXPECT_EQ(image.bits, nullptr) << name;
        EXPECT_TRUE(log.events.empty()) << name;
    }
}

TEST(PspReader, RefusedFiles) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t limit;
    };
    std::vector<Case> cases;
    auto with = [](uint32_t id, const std::vector<uint8_t>& content,
                   const std::vector<uint8_t>& before = {}) {
        std::vector<uint8_t> b = Header();
        b.insert(b.end(), before.begin(), before.end());
        Block(b, id, content);
        return b;
    };
    std::vector<uint8_t> attrs;
    Block(attrs, 0, Attributes(4, 4, 2, 8));
    std::vector<uint8_t> raw;
    Block(raw, 0, Attributes(4, 4, 1, 8));
    std::vector<uint8_t> huge;
    Block(huge, 0, Attributes(16000, 16000, 0, 8));
    cases.push_back(
        {"attributes shorter than their fields", with(0, std::vector<uint8_t>(29, 0)), 0});
    cases.push_back({"composite attributes too short", with(17, std::vector<uint8_t>(23, 0)), 0});
    cases.push_back({"channel too short", with(5, std::vector<uint8_t>(15, 0), attrs), 0});
    cases.push_back(
        {"uncompressed length above the image", with(5, Channel({1, 2}, 17), attrs), 0});
    cases.push_back({"run-length channel", with(5, Channel({1, 2}, 16), raw), 0});
    cases.push_back({"16000 x 16000 under the cap", with(5, Channel({1, 2}, 2), huge), 1u << 20});
    cases.push_back({"channel without attributes", with(5, Channel({1, 2}, 2)), 0});
    std::vector<uint8_t> longer = with(2, std::vector<uint8_t>(8, 0));
    longer[longer.size() - 8 - 4] = 100; // block length past the end
    cases.push_back({"block longer than the file", longer, 0});
    std::vector<uint8_t> magic = with(2, std::vector<uint8_t>(8, 0));
    magic[36] = '#';
    cases.push_back({"no block magic", magic, 0});
    std::vector<uint8_t> signature = Header();
    signature[3] = 'x';
    cases.push_back({"signature", signature, 0});
    cases.push_back({"no image at all", with(77, {1, 2, 3}), 0});
    for (const Case& c : cases) {
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(Decode(c.bytes, &image, &log, c.limit)) << c.what;
        EXPECT_TRUE(log.events.empty()) << c.what;
        EXPECT_EQ(image.bits, nullptr) << c.what;
    }
}

TEST(PspReader, ShortChannelDataKeepsTheRestAsCreated) {
    std::vector<uint8_t> file = Header();
    Block(file, 0, Attributes(3, 2, 0, 8));
    Block(file, 5, Channel({5, 6, 7, 8}, 6));
    CImageObject image;
    ASSERT_TRUE(Decode(file, &image));
    EXPECT_EQ(image.GetRow(1, true)[0], 8);
    EXPECT_EQ(image.GetRow(1, true)[1], 0);
    EXPECT_TRUE(image.IsGrayscalePalette()); // no palette block
}

TEST(PspReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("psp_")) {
        CImageObject image;
        CPspReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
