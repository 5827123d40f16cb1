// Lossless JPEG transforms: byte identity with the command-line transformer's
// "perfect, copy all" output, refusals that leave the file alone, metadata
// segments kept, and replace failures reported as failures.
#include "imaging/codecs/jpeg_lossless_op.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "imaging/codecs/jpeg_reader.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tests/jpeg_test_support.h"
#include "imaging/image_object.h"

using codec_test::ReadBytes;
using codec_test::WriteBytes;
using jpeg_test::JpegFixture;

namespace {

struct Op {
    const char* name; // as the fixture files name it
    int32_t operation;
    int32_t angle;
};

const Op kOps[] = {{"fliph", CJpegLosslessOp::kFlipHorizontal, 0},
                   {"flipv", CJpegLosslessOp::kFlipVertical, 0},
                   {"rot90", CJpegLosslessOp::kRotate, 90},
                   {"rot180", CJpegLosslessOp::kRotate, 180},
                   {"rot270", CJpegLosslessOp::kRotate, 270}};

bool Transform(const Op& op, const std::string& dest, const std::string& src) {
    CJpegLosslessOp lossless;
    lossless.operation = op.operation;
    lossless.angle = op.angle;
    return lossless.TransformFile(dest.c_str(), src.c_str());
}

// Nothing but the named files in the folder: no temporary file left behind.
void ExpectOnly(const std::string& dir, size_t count) {
    auto names = codec_test::FolderEntries(dir);
    EXPECT_EQ(names.size(), count);
    for (const auto& n : names)
        EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
}

TEST(JpegLossless, MatchesThePerfectTransformOutputByteForByte) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_oracle");
    for (const char* source : {"l640x480_420", "l96x96_420", "l120x64_422", "l72x40_444",
                               "l64x48_grey", "l96x64_prog"}) {
        const std::string src = JpegFixture(std::string(source) + ".jpg");
        const auto original = ReadBytes(src);
        for (const Op& op : kOps) {
            const std::string what = std::string(source) + "_" + op.name;
            SCOPED_TRACE(what);
            const auto oracle = ReadBytes(JpegFixture(what + ".jpg"));
            const std::string dest = dir + "/" + what + ".jpg";
            ASSERT_TRUE(WriteBytes(dest, original));
            if (oracle.empty()) { // the oracle refused: so must we
                EXPECT_FALSE(Transform(op, dest, src));
                EXPECT_EQ(ReadBytes(dest), original);
            } else {
                ASSERT_TRUE(Transform(op, dest, src));
                EXPECT_TRUE(ReadBytes(dest) == oracle);
            }
        }
    }
    ExpectOnly(dir, 6 * 5);
}

TEST(JpegLossless, RotationKeepsExifAndCommentSegments) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_segments");
    const std::string file = dir + "/photo.jpg";
    const auto original = ReadBytes(JpegFixture("l640x480_420.jpg"));
    ASSERT_TRUE(WriteBytes(file, original));
    ASSERT_TRUE(Transform(kOps[2], file, file)); // in place, as the viewer does

    CImageObject image;
    image.headerOnly = true;
    CJpegReader reader;
    ASSERT_TRUE(reader.Read(file.c_str(), &image));
    EXPECT_EQ(image.fullWidth, 480);
    EXPECT_EQ(image.fullHeight, 640);

    auto before = jpeg_test::Segments(original);
    auto after = jpeg_test::Segments(ReadBytes(file));
    for (uint8_t marker : {0xE1, 0xFE}) {
        auto b = jpeg_test::SegmentsOf(before, marker);
        auto a = jpeg_test::SegmentsOf(after, marker);
        ASSERT_EQ(b.size(), 1u);
        ASSERT_EQ(a.size(), 1u);
        EXPECT_EQ(a[0].data, b[0].data) << "marker " << int(marker);
    }
    EXPECT_EQ(after.front().marker, 0xE1); // Exif first, no JFIF before it
    ExpectOnly(dir, 1);
}

TEST(JpegLossless, PartialIMcusAreRefusedAndTheFileLeftAlone) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_refused");
    // 100 is no multiple of the 16-pixel iMCU; 8 x 8 is less than one iMCU
    // and would come out unmirrored.
    for (const char* source : {"l100x100_420", "l8x8_420"}) {
        const auto original = ReadBytes(JpegFixture(std::string(source) + ".jpg"));
        const std::string file = dir + "/" + source + ".jpg";
        ASSERT_TRUE(WriteBytes(file, original));
        // A whole second, a month back: any file system keeps that exactly, and
        // it cannot be mistaken for the moment of a rewrite.
        std::filesystem::last_write_time(
            file, std::chrono::floor<std::chrono::seconds>(std::filesystem::last_write_time(file)) -
                      std::chrono::hours(24 * 30));
        const auto stamp = std::filesystem::last_write_time(file);
        for (const Op& op : kOps) {
            EXPECT_FALSE(Transform(op, file, file)) << source << " " << op.name;
            EXPECT_EQ(ReadBytes(file), original) << source << " " << op.name;
        }
        EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
    }
    ExpectOnly(dir, 2);
}

TEST(JpegLossless, FourQuarterTurnsRestoreThePixels) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_turns");
    for (const char* source : {"l96x96_420.jpg", "l640x480_420.jpg", "l72x40_444.jpg"}) {
        SCOPED_TRACE(source);
        const std::string file = dir + "/" + source;
        ASSERT_TRUE(WriteBytes(file, ReadBytes(JpegFixture(source))));
        for (int turn = 0; turn < 4; ++turn)
            ASSERT_TRUE(Transform(kOps[2], file, file)) << "turn " << turn;
        CImageObject before, after;
        ASSERT_TRUE(jpeg_test::ReadFixture(source, &before));
        CJpegReader reader;
        ASSERT_TRUE(reader.Read(file.c_str(), &after));
        ASSERT_EQ(after.width, before.width);
        EXPECT_EQ(jpeg_test::MeanDifference(after, before), 0.0);
    }
}

TEST(JpegLossless, BadRequestsAndBadSourcesFail) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_bad");
    const std::string good = JpegFixture("l96x96_420.jpg");
    const std::string target = dir + "/target.jpg";
    const std::vector<uint8_t> marker = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteBytes(target, marker));

    const Op unknown[] = {{"none", 0, 0},
                          {"rot45", CJpegLosslessOp::kRotate, 45},
                          {"rot0", CJpegLosslessOp::kRotate, 0},
                          {"op4", 4, 90}};
    for (const Op& op : unknown)
        EXPECT_FALSE(Transform(op, target, good)) << op.name;
    EXPECT_FALSE(Transform(kOps[0], target, JpegFixture("not_a_jpeg.jpg")));
    EXPECT_FALSE(Transform(kOps[0], target, JpegFixture("truncated_missing.jpg")));
    EXPECT_EQ(ReadBytes(target), marker);

    CJpegLosslessOp op;
    CImageObject a, b;
    EXPECT_FALSE(op.Apply(&a, &b));
    ExpectOnly(dir, 1);
}

TEST(JpegLossless, AFailedReplaceIsAFailureAndKeepsTheOriginal) {
    const std::string dir = codec_test::ScratchFolder("jpeg_lossless_replace");
    const std::string good = JpegFixture("l96x96_420.jpg");
    // A folder where the file should go cannot be replaced by a file.
    const std::string folder = dir + "/taken.jpg";
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(WriteBytes(folder + "/inside", {1}));
    EXPECT_FALSE(Transform(kOps[3], folder, good));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadBytes(folder + "/inside"), std::vector<uint8_t>{1});
    // A destination folder that does not exist.
    EXPECT_FALSE(Transform(kOps[3], dir + "/missing/out.jpg", good));
    ExpectOnly(dir, 1);
}

} // namespace
