// The readers' shared scaled read: reduction into a box, exact copies of
// images that fit, and what the result records about its file.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/tests/codec_test_support.h"

using namespace codec_test;

namespace {

// Writes a 24-bit image of the given size with a gradient into dir.
std::string WriteGradient(const std::string& dir, int32_t width, int32_t height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = image.bits + static_cast<size_t>(y) * image.stride + 3 * x;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x + y);
        }
    const std::string path =
        dir + "/gradient_" + std::to_string(width) + "x" + std::to_string(height) + ".bmp";
    CBmpWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

TEST(ImageReaderScaled, ReducesIntoTheBox) {
    const std::string dir = ScratchFolder("reader_scaled_box");
    const std::string path = WriteGradient(dir, 400, 200);
    struct Case {
        int32_t maxWidth, maxHeight, width, height;
    } cases[] = {
        {100, 100, 100, 50},
        {100, -1, 100, 50}, // one side free: the other one decides
        {-1, 50, 100, 50},
        {300, 300, 300, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "box " << c.maxWidth << " x " << c.maxHeight);
        CBmpReader reader;
        reader.m_maxWidth = c.maxWidth;
        reader.m_maxHeight = c.maxHeight;
        CImageObject image;
        ASSERT_TRUE(reader.ReadScaled(path.c_str(), &image));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.fullWidth, 400);
        EXPECT_EQ(image.fullHeight, 200);
        EXPECT_EQ(image.bitsPerPixel, 24);
        EXPECT_EQ(image.fileSize, ReadBytes(path).size());
        EXPECT_NE(image.fileTime, 0u);
        EXPECT_EQ(reader.m_pageLimit, 1);
    }
}

TEST(ImageReaderScaled, AnImageThatFitsIsAnExactCopy) {
    const std::string dir = ScratchFolder("reader_scaled_fits");
    const std::string path = WriteGradient(dir, 40, 20);
    CImageObject plain;
    CBmpReader plainReader;
    ASSERT_TRUE(plainReader.Read(path.c_str(), &plain));

    struct Case {
        int32_t maxWidth, maxHeight;
    } cases[] = {{100, 100}, {40, 20}, {-1, -1}, {-1, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "box " << c.maxWidth << " x " << c.maxHeight);
        CBmpReader reader;
        reader.m_maxWidth = c.maxWidth;
        reader.m_maxHeight = c.maxHeight;
        CImageObject image;
        // The caller's header-only request does not cut a scaled read short.
        image.headerOnly = true;
        ASSERT_TRUE(reader.ReadScaled(path.c_str(), &image));
        ASSERT_EQ(image.width, 40);
        ASSERT_EQ(image.height, 20);
        EXPECT_EQ(image.fullWidth, 40);
        EXPECT_EQ(image.fullHeight, 20);
        EXPECT_EQ(image.fileSize, plain.fileSize);
        EXPECT_EQ(image.fileTime, plain.fileTime);
        EXPECT_TRUE(image.complete.load());
        ASSERT_NE(image.bits, nullptr);
        EXPECT_TRUE(std::equal(image.bits, image.bits + image.stride * 20, plain.bits));
    }
}

TEST(ImageReaderScaled, FailsWhenTheFileCannotBeRead) {
    const std::string dir = ScratchFolder("reader_scaled_missing");
    CBmpReader reader;
    reader.m_maxWidth = 10;
    reader.m_maxHeight = 10;
    CImageObject image;
    EXPECT_FALSE(reader.ReadScaled((dir + "/none.bmp").c_str(), &image));
    EXPECT_EQ(image.bits, nullptr);

    const std::string bad = dir + "/bad.bmp";
    ASSERT_TRUE(WriteBytes(bad, {'B', 'M', 0, 0}));
    EXPECT_FALSE(reader.ReadScaled(bad.c_str(), &image));
    EXPECT_EQ(image.bits, nullptr);
}

} // namespace
