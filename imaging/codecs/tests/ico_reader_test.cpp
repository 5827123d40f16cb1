// Icon reader: every entry decoded (bitmaps of several depths and PNG), the
// light-grey transparency of 8 bpp results, no events before the end, header
// -only reads and icons that are refused or end early.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/ico_reader.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

bool Decode(const std::vector<uint8_t>& bytes, CImageObject* image, EventLog* log = nullptr) {
    ExactBuffer buffer(bytes);
    CIconReader reader;
    reader.m_pixelLimit = 1u << 20;
    if (log != nullptr)
        log->Attach(reader, image);
    return reader.ReadIcon(buffer.stream, image);
}

TEST(IconReader, EveryEntryBecomesAFrame) {
    CImageObject image;
    EventLog log;
    CIconReader reader;
    log.Attach(reader, &image);
    // Read through the file's read-only mapping: entries are changed in copies.
    ASSERT_TRUE(reader.Read(FixturePath("own_ico/hand.ico").c_str(), &image));
    ASSERT_EQ(image.FrameCount(), 2);
    const int32_t depths[3] = {8, 8, 32};
    for (int32_t k = 0; k < 3; ++k) {
        ExpectedPixels want;
        ASSERT_TRUE(
            LoadExpected(FixturePath("own_ico/hand.e" + std::to_string(k) + ".raw"), &want));
        EXPECT_EQ(image.GetFrame(k)->bitsPerPixel, depths[k]);
        ExpectPixels(*image.GetFrame(k), want, "entry " + std::to_string(k));
    }
    // The 16-colour entry got light grey as a 17th entry; the 256-colour one
    // used the light grey it had.
    EXPECT_EQ(image.paletteCount, 17);
    EXPECT_EQ(image.palette[16], (PaletteEntry{192, 192, 192, 0}));
    EXPECT_EQ(image.GetFrame(1)->paletteCount, 256);
    // Events only at the end, for the image itself.
    ASSERT_EQ(log.events.size(), 3u);
    ExpectProtocol(log, image.height, "hand.ico");
    EXPECT_EQ(image.rowsDecoded.load(), image.height);
    EXPECT_NE(image.fileSize, 0u);
}

TEST(IconReader, PngEntriesAndToolIcons) {
    CImageObject withPng;
    ASSERT_TRUE(Decode(ReadBytes(FixturePath("own_ico/png_first.ico")), &withPng));
    ExpectedPixels png;
    ASSERT_TRUE(LoadExpected(FixturePath("own_ico/png_first.e0.raw"), &png));
    ExpectPixels(withPng, png, "png entry");
    EXPECT_EQ(withPng.FrameCount(), 1);

    CImageObject tool;
    ASSERT_TRUE(Decode(ReadBytes(FixturePath("own_ico/tool.ico")), &tool));
    ASSERT_EQ(tool.FrameCount(), 2);
    for (int32_t k = 0; k < 3; ++k) {
        ExpectedPixels want;
        ASSERT_TRUE(
            LoadExpected(FixturePath("own_ico/tool.e" + std::to_string(k) + ".raw"), &want));
        ExpectOpaquePixels(*tool.GetFrame(k), want, "tool entry " + std::to_string(k));
    }
}

TEST(IconReader, HeaderOnlyGivesTheFirstEntrySize) {
    CImageObject image;
    image.headerOnly = true;
    EventLog log;
    ASSERT_TRUE(Decode(ReadBytes(FixturePath("own_ico/hand.ico")), &image, &log));
    EXPECT_EQ(image.fullWidth, 7);
    EXPECT_EQ(image.fullHeight, 5);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_TRUE(log.events.empty());
}

TEST(IconReader, BrokenIcons) {
    const std::vector<uint8_t> good = ReadBytes(FixturePath("own_ico/hand.ico"));
    ASSERT_GT(good.size(), 60u);
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + at);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool ok;
        int32_t frames;
    } cases[] = {
        {"reserved not 0", patched(0, {1}), false, 0},
        {"cursor type", patched(2, {2}), false, 0},
        {"no entries", patched(4, {0, 0}), false, 0},
        {"directory cut short", std::vector<uint8_t>(good.begin(), good.begin() + 30), false, 0},
        {"first entry past the end", patched(6 + 12, {0xFF, 0xFF, 0, 0}), false, 0},
        {"first entry not an image", patched(6 + 48, {7, 7, 7, 7}), false, 0},
        {"second entry past the end", patched(6 + 16 + 12, {0xFF, 0xFF, 0, 0}), true, 0},
        {"third entry cut", std::vector<uint8_t>(good.begin(), good.end() - 5), true, 1},
    };
    for (const Case& c : cases) {
        CImageObject image;
        EventLog log;
        EXPECT_EQ(Decode(c.bytes, &image, &log), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(image.FrameCount(), c.frames) << c.what;
            EXPECT_EQ(log.events.size(), 3u) << c.what;
        } else {
            EXPECT_TRUE(log.events.empty()) << c.what;
        }
    }
}

TEST(IconReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("ico_")) {
        CImageObject image;
        CIconReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
