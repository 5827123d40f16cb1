// Bitmap writer: the bytes it stores for each depth, what an independent
// decoder makes of them, and the file handling of the writing protocol (old
// targets replaced only on success, nothing left behind on failure).

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "platform/platform.h"

using namespace codec_test;

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                 (static_cast<uint32_t>(b[at + 3]) << 24));
}

// An image whose every byte (padding too) is set, so that padding shows.
void MakePattern(CImageObject* image, int32_t width, int32_t height, int32_t bpp, int32_t palette) {
    ASSERT_TRUE(image->Create(width, height, bpp, palette));
    for (int32_t i = 0; i < image->paletteCount; ++i)
        image->SetPaletteEntry(i, uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 11), uint8_t(i));
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image->bits + static_cast<size_t>(y) * image->stride;
        for (int32_t x = 0; x < image->stride; ++x) {
            uint8_t v = static_cast<uint8_t>(x * 13 + y * 29 + 1);
            row[x] = bpp == 8 ? static_cast<uint8_t>(v % image->paletteCount) : v;
        }
    }
}

struct DepthCase {
    const char* what;
    int32_t width, height, bpp, palette;
};

const DepthCase kDepths[] = {
    {"1 bpp", 13, 5, 1, 2},
    {"8 bpp, 5 colours", 7, 3, 8, 5},
    {"8 bpp, grey ramp", 6, 4, 8, 256},
    {"24 bpp, padded rows", 5, 3, 24, 0},
    {"32 bpp", 3, 4, 32, 0},
};

TEST(BmpWriter, StoresEachDepthAndReadsBack) {
    const std::string dir = ScratchFolder("bmp_writer_depths");
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakePattern(&image, c.width, c.height, c.bpp, c.palette);
        const std::string path = dir + "/out.bmp";
        CBmpWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));

        std::vector<uint8_t> b = ReadBytes(path);
        const uint32_t entries = c.bpp <= 8 ? static_cast<uint32_t>(image.paletteCount) : 0;
        const uint32_t offset = 54 + 4 * entries;
        const uint32_t pixelBytes = static_cast<uint32_t>(image.stride) * c.height;
        ASSERT_EQ(b.size(), offset + pixelBytes);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(Le32(b, 2), b.size());
        EXPECT_EQ(Le32(b, 10), offset);
        EXPECT_EQ(Le32(b, 14), 40u);
        EXPECT_EQ(Le32(b, 18), static_cast<uint32_t>(c.width));
        EXPECT_EQ(Le32(b, 22), static_cast<uint32_t>(c.height)); // positive: bottom-up
        EXPECT_EQ(b[26] | (b[27] << 8), 1);
        EXPECT_EQ(b[28] | (b[29] << 8), c.bpp);
        EXPECT_EQ(Le32(b, 30), 0u);
        EXPECT_EQ(Le32(b, 34), pixelBytes);
        EXPECT_EQ(Le32(b, 46), entries);

        // Stored rows: bottom row first; padding after the pixels is zero.
        const size_t used = (static_cast<size_t>(c.width) * c.bpp + 7) / 8;
        for (int32_t i = 0; i < c.height; ++i) {
            const uint8_t* stored = b.data() + offset + static_cast<size_t>(i) * image.stride;
            const uint8_t* row = image.bits + static_cast<size_t>(c.height - 1 - i) * image.stride;
            EXPECT_TRUE(std::equal(stored, stored + used, row)) << "stored row " << i;
            for (size_t x = used; x < static_cast<size_t>(image.stride); ++x)
                EXPECT_EQ(stored[x], 0) << "padding of stored row " << i;
        }

        // The image records the written file's time.
        plat::PathInfo info = {};
        ASSERT_TRUE(plat::QueryPath(path.c_str(), &info));
        EXPECT_EQ(image.fileTime, info.lastWriteTime);

        // Read back: same depth, palette and used bytes of every row (all four
        // bytes of 32 bpp pixels).
        CImageObject back;
        CBmpReader reader;
        ASSERT_TRUE(reader.Read(path.c_str(), &back));
        ASSERT_EQ(back.bitsPerPixel, c.bpp);
        ASSERT_EQ(back.paletteCount, image.paletteCount);
        for (int32_t i = 0; i < image.paletteCount; ++i)
            EXPECT_EQ(back.palette[i], image.palette[i]) << "entry " << i;
        for (int32_t y = 0; y < c.height; ++y) {
            const uint8_t* a = image.bits + static_cast<size_t>(y) * image.stride;
            const uint8_t* r = back.bits + static_cast<size_t>(y) * back.stride;
            EXPECT_TRUE(std::equal(a, a + used, r)) << "row " << y;
        }
    }
}

TEST(BmpWriter, AnIndependentDecoderSeesTheSamePixels) {
#ifdef _WIN32
    GTEST_SKIP() << "the reference decoder runs on the build host only";
#else
    const std::string dir = ScratchFolder("bmp_writer_reference");
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(c.what);
        CImageObject image;
        MakePattern(&image, c.width, c.height, c.bpp, c.palette);
        const std::string path = dir + "/out.bmp";
        CBmpWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &image));
        codec_test::ExpectReferenceDecoderAgrees(path, image, c.what);
    }
#endif
}

TEST(BmpWriter, ReferenceFixturesSurviveARoundTrip) {
    // Decoded, written and decoded again, the fixtures still match the pixels
    // their reference decoder produced.
    const std::string dir = ScratchFolder("bmp_writer_roundtrip");
    for (const char* name : {"pil_1bit", "pil_pal8", "pil_rgb24", "pil_rgba32", "rle4"}) {
        SCOPED_TRACE(name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(FixturePath(std::string("bmp/") + name + ".raw"), &want));
        CImageObject first, second;
        CBmpReader reader;
        ASSERT_TRUE(reader.Read(FixturePath(std::string("bmp/") + name + ".bmp").c_str(), &first));
        const std::string path = dir + "/" + name + ".bmp";
        CBmpWriter writer;
        ASSERT_TRUE(writer.Write(path.c_str(), &first));
        ASSERT_TRUE(reader.Read(path.c_str(), &second));
        ExpectPixels(second, want, name);
    }
}

TEST(BmpWriter, LongerTargetEndsExactlyAsLongAsTheNewContent) {
    const std::string dir = ScratchFolder("bmp_writer_shrink");
    const std::string path = dir + "/target.bmp";
    ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(10000, 0x5A)));
    CImageObject image;
    MakePattern(&image, 4, 4, 24, 0);
    CBmpWriter writer;
    ASSERT_TRUE(writer.Write(path.c_str(), &image));
    EXPECT_EQ(ReadBytes(path).size(), 54u + 4 * 12);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"target.bmp"});
}

TEST(BmpWriter, UnopenableTargetFailsAndCreatesNothing) {
    const std::string dir = ScratchFolder("bmp_writer_unopenable");
    CImageObject image;
    MakePattern(&image, 4, 4, 24, 0);
    CBmpWriter writer;
    const std::string missing = dir + "/missing";
    EXPECT_FALSE(writer.Write((missing + "/out.bmp").c_str(), &image));
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(FolderEntries(dir).empty());

    // A folder in the target's place cannot be replaced: false, folder kept,
    // no temporary file beside it.
    std::filesystem::create_directory(dir + "/taken.bmp");
    EXPECT_FALSE(writer.Write((dir + "/taken.bmp").c_str(), &image));
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/taken.bmp"));
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"taken.bmp"});
}

TEST(BmpWriter, ImagesWithoutPixelsAreRefused) {
    const std::string dir = ScratchFolder("bmp_writer_refused");
    CImageObject empty;
    CBmpWriter writer;
    EXPECT_FALSE(writer.Write((dir + "/empty.bmp").c_str(), &empty));
    EXPECT_FALSE(writer.Write((dir + "/null.bmp").c_str(), nullptr));
    EXPECT_TRUE(FolderEntries(dir).empty());
}

#ifndef _WIN32
// Lowers the file-size limit of the process for one scope, so that a write
// beyond it fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old = {};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(BmpWriter, FailingWriteLeavesTheOldTargetIntact) {
    const std::string dir = ScratchFolder("bmp_writer_disk_full");
    const std::string path = dir + "/target.bmp";
    const std::vector<uint8_t> old = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
    ASSERT_TRUE(WriteBytes(path, old));
    CImageObject image;
    MakePattern(&image, 64, 64, 24, 0); // 12 KB of pixels
    CBmpWriter writer;
    bool written;
    {
        FileSizeLimit limit(4096);
        written = writer.Write(path.c_str(), &image);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"target.bmp"});
    EXPECT_EQ(image.fileTime, 0u);
}
#endif

} // namespace
