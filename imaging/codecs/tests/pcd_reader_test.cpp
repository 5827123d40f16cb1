// Photo CD reader: synthetic base images in both row orders against the
// colour formula computed independently, header-only reads that never open
// the file, and files too short to hold the base image.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/pcd_reader.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

TEST(PcdReader, BaseImageInBothRowOrders) {
    for (const char* name : {"top", "bottom"}) {
        SCOPED_TRACE(name);
        const std::string stem = FixturePath(std::string("own_pcd/") + name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want));
        CImageObject image;
        EventLog log;
        CPcdReader reader;
        log.Attach(reader, &image);
        ASSERT_TRUE(reader.Read((stem + ".pcd").c_str(), &image));
        EXPECT_EQ(image.width, 768);
        EXPECT_EQ(image.height, 512);
        EXPECT_EQ(image.bitsPerPixel, 24);
        EXPECT_EQ(image.topDown, std::string(name) == "top");
        EXPECT_EQ(image.fileSize, 786432u);
        ExpectPixels(image, want, name);
        ExpectProtocol(log, 512, name);
    }
}

TEST(PcdReader, HeaderOnlyNeedsNoFile) {
    CImageObject image;
    image.headerOnly = true;
    EventLog log;
    CPcdReader reader;
    log.Attach(reader, &image);
    ASSERT_TRUE(reader.Read((ScratchFolder("pcd_missing") + "/absent.pcd").c_str(), &image));
    EXPECT_EQ(image.fullWidth, 768);
    EXPECT_EQ(image.fullHeight, 512);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_TRUE(log.events.empty());
}

TEST(PcdReader, ShortFilesFail) {
    std::vector<uint8_t> whole = ReadBytes(FixturePath("own_pcd/top.pcd"));
    ASSERT_EQ(whole.size(), 786432u);
    for (size_t size : {size_t(0), size_t(100), size_t(0x30000), whole.size() - 1}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + size);
        ExactBuffer buffer(part);
        CImageObject image;
        EventLog log;
        CPcdReader reader;
        log.Attach(reader, &image);
        EXPECT_FALSE(reader.ReadFromStream(buffer.stream, &image)) << size;
        EXPECT_TRUE(log.events.empty()) << size;
    }
    // Under a cap smaller than the base image nothing is allocated.
    ExactBuffer buffer(whole);
    CImageObject image;
    CPcdReader reader;
    reader.m_pixelLimit = 1000;
    EXPECT_FALSE(reader.ReadFromStream(buffer.stream, &image));
    EXPECT_EQ(image.bits, nullptr);
}

TEST(PcdReader, CrashersFailCleanly) {
    for (const std::string& path : Crashers("pcd_")) {
        CImageObject image;
        CPcdReader reader;
        reader.Read(path.c_str(), &image);
    }
}

} // namespace
