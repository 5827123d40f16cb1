// JPEG writer: every depth, the options (quality clamp, progressive,
// optimised coding), the metadata blocks written back byte for byte, and
// failures that must leave the target alone.
#include "imaging/codecs/jpeg_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/codecs/jpeg_reader.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tests/jpeg_test_support.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"

using jpeg_test::Segment;
using jpeg_test::Segments;
using jpeg_test::SegmentsOf;

namespace {

std::vector<Segment> WriteAndSegments(CJpegWriter& writer, CImageObject* image,
                                      const std::string& path) {
    EXPECT_TRUE(writer.Write(path.c_str(), image));
    return Segments(codec_test::ReadBytes(path));
}

// Components named by the frame header (SOF0/1/2).
int FrameComponents(const std::vector<Segment>& segments) {
    for (const Segment& s : segments)
        if ((s.marker == 0xC0 || s.marker == 0xC1 || s.marker == 0xC2) && s.data.size() >= 6)
            return s.data[5];
    return -1;
}

std::vector<uint8_t> QuantTables(const std::vector<Segment>& segments) {
    std::vector<uint8_t> all;
    for (const Segment& s : SegmentsOf(segments, 0xDB))
        all.insert(all.end(), s.data.begin(), s.data.end());
    return all;
}

// The colour image as every depth the writer takes; each variant's expected
// look is the 24-bpp rendering of itself.
void MakeVariant(int depth, const CImageObject& colour, CImageObject* out) {
    const int32_t w = colour.width, h = colour.height;
    switch (depth) {
    case 24:
        ASSERT_TRUE(out->CopyFrom(&colour));
        break;
    case 32:
        ASSERT_TRUE(out->Create(w, h, 32, 0));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                std::memcpy(out->GetRow(y, true) + 4 * x, colour.GetRow(y, true) + 3 * x, 3);
                out->GetRow(y, true)[4 * x + 3] = 0;
            }
        break;
    case 8: // a colour palette: red levels
        ASSERT_TRUE(out->Create(w, h, 8, 0));
        for (int i = 0; i < 256; ++i)
            out->SetPaletteEntry(i, static_cast<uint8_t>(i), 40, static_cast<uint8_t>(255 - i), 0);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                out->GetRow(y, true)[x] = colour.GetRow(y, true)[3 * x + 2];
        break;
    case 1:
        ASSERT_TRUE(out->Create(w, h, 1, 0));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if ((x / 8 + y / 8) % 2)
                    out->GetRow(y, true)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        break;
    }
}

TEST(JpegWriter, EveryDepthRoundTripsWithTheRightComponentCount) {
    const std::string dir = codec_test::ScratchFolder("jpeg_writer_depths");
    // Smooth, with red, green and blue all different, so that compression
    // loses little and a channel mix-up shows.
    CImageObject colour, grey;
    ASSERT_TRUE(colour.Create(96, 64, 24, 0));
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 96; ++x) {
            uint8_t* px = colour.GetRow(y, true) + 3 * x;
            px[0] = 60;
            px[1] = static_cast<uint8_t>(y * 3);
            px[2] = static_cast<uint8_t>(x * 2 + 40);
        }
    ASSERT_TRUE(jpeg_test::ReadFixture("grey.jpg", &grey));
    struct Case {
        const char* name;
        int depth; // 0: the grey decode
        int components;
    };
    for (const Case& c : {Case{"rgb24", 24, 3}, Case{"rgb32", 32, 3}, Case{"pal8", 8, 3},
                          Case{"bits1", 1, 3}, Case{"grey8", 0, 1}}) {
        SCOPED_TRACE(c.name);
        CImageObject source;
        if (c.depth == 0)
            ASSERT_TRUE(source.CopyFrom(&grey));
        else
            MakeVariant(c.depth, colour, &source);
        CJpegWriter writer;
        writer.m_quality = 95;
        const std::string path = dir + "/" + c.name + ".jpg";
        EXPECT_EQ(FrameComponents(WriteAndSegments(writer, &source, path)), c.components);

        CImageObject back;
        CJpegReader reader;
        ASSERT_TRUE(reader.Read(path.c_str(), &back));
        ASSERT_EQ(back.width, source.width);
        ASSERT_EQ(back.height, source.height);
        // Compare with the source's own colours through its palette.
        CImageObject expected;
        ASSERT_TRUE(expected.Create(source.width, source.height, 24, 0));
        for (int32_t y = 0; y < source.height; ++y)
            for (int32_t x = 0; x < source.width; ++x) {
                uint8_t px[4];
                codec_test::PixelAt(source, x, y, px);
                std::memcpy(expected.GetRow(y, true) + 3 * x, px, 3);
            }
        CImageObject back24;
        if (back.bitsPerPixel == 8) {
            ASSERT_TRUE(back24.Create(back.width, back.height, 24, 0));
            for (int32_t y = 0; y < back.height; ++y)
                for (int32_t x = 0; x < back.width; ++x) {
                    uint8_t px[4];
                    codec_test::PixelAt(back, x, y, px);
                    std::memcpy(back24.GetRow(y, true) + 3 * x, px, 3);
                }
        } else {
            ASSERT_TRUE(back24.CopyFrom(&back));
        }
        EXPECT_LT(jpeg_test::MeanDifference(back24, expected), c.depth == 1 ? 6.0 : 3.0);
    }
}

TEST(JpegWriter, QualityIsClampedToTheLibraryRange) {
    const std::string dir = codec_test::ScratchFolder("jpeg_writer_quality");
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("color420.jpg", &image));
    auto tablesAt = [&](int32_t quality) {
        CJpegWriter writer;
        writer.m_quality = quality;
        return QuantTables(
            WriteAndSegments(writer, &image, dir + "/q" + std::to_string(quality) + ".jpg"));
    };
    const auto best =
        QuantTables(Segments(codec_test::ReadBytes(jpeg_test::JpegFixture("q100.jpg"))));
    ASSERT_FALSE(best.empty());
    EXPECT_EQ(tablesAt(150), best);
    EXPECT_EQ(tablesAt(100), best);
    EXPECT_EQ(tablesAt(-5), tablesAt(0));
    EXPECT_EQ(tablesAt(0), tablesAt(1)); // the library encodes 0 as 1
    EXPECT_NE(tablesAt(1), tablesAt(2));
}

TEST(JpegWriter, CodingOptionsReachTheFile) {
    const std::string dir = codec_test::ScratchFolder("jpeg_writer_coding");
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("color420.jpg", &image));

    CJpegWriter progressive;
    progressive.m_baseline = false;
    auto prog = WriteAndSegments(progressive, &image, dir + "/prog.jpg");
    EXPECT_TRUE(jpeg_test::HasMarker(prog, 0xC2));

    CJpegWriter baseline;
    auto base = WriteAndSegments(baseline, &image, dir + "/base.jpg");
    EXPECT_FALSE(jpeg_test::HasMarker(base, 0xC2));
    EXPECT_TRUE(jpeg_test::HasMarker(base, 0xC0));

    CJpegWriter plain;
    plain.m_optimizeCoding = false;
    WriteAndSegments(plain, &image, dir + "/plain.jpg");
    EXPECT_LT(codec_test::ReadBytes(dir + "/base.jpg").size(),
              codec_test::ReadBytes(dir + "/plain.jpg").size());

    // Progressive and sequential coding of the same tables give the same pixels.
    CImageObject fromProgressive, fromBaseline;
    CJpegReader reader;
    ASSERT_TRUE(reader.Read((dir + "/prog.jpg").c_str(), &fromProgressive));
    ASSERT_TRUE(reader.Read((dir + "/base.jpg").c_str(), &fromBaseline));
    EXPECT_EQ(jpeg_test::MeanDifference(fromProgressive, fromBaseline), 0.0);
}

TEST(JpegWriter, MetadataBlocksAreWrittenBackByteForByte) {
    const std::string dir = codec_test::ScratchFolder("jpeg_writer_metadata");
    for (const char* name : {"exif_icc_xmp.jpg", "icc_multi.jpg"}) {
        SCOPED_TRACE(name);
        auto source = Segments(codec_test::ReadBytes(jpeg_test::JpegFixture(name)));
        const auto sourceApp1 = SegmentsOf(source, 0xE1);
        const auto sourceApp2 = SegmentsOf(source, 0xE2);
        CImageObject image;
        ASSERT_TRUE(jpeg_test::ReadFixture(name, &image));

        CJpegWriter keep;
        auto kept = WriteAndSegments(keep, &image, dir + "/kept_" + name);
        const auto app1 = SegmentsOf(kept, 0xE1);
        const auto app2 = SegmentsOf(kept, 0xE2);
        ASSERT_EQ(app1.size(), 1u); // the Exif segment; XMP is not kept
        EXPECT_EQ(app1[0].data, sourceApp1[0].data);
        ASSERT_EQ(app2.size(), sourceApp2.size()); // the ICC chunks, nothing else
        for (size_t i = 0; i < app2.size(); ++i)
            EXPECT_EQ(app2[i].data, sourceApp2[i].data) << "APP2 #" << i;

        CJpegWriter drop;
        drop.m_keepMetadata = false;
        auto dropped = WriteAndSegments(drop, &image, dir + "/dropped_" + std::string(name));
        EXPECT_FALSE(jpeg_test::HasMarker(dropped, 0xE1));
        EXPECT_FALSE(jpeg_test::HasMarker(dropped, 0xE2));
    }
}

TEST(JpegWriter, FailuresLeaveTheTargetAlone) {
    const std::string dir = codec_test::ScratchFolder("jpeg_writer_failures");
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("color420.jpg", &image));
    CJpegWriter writer;

    EXPECT_FALSE(writer.Write((dir + "/missing/out.jpg").c_str(), &image));
    EXPECT_TRUE(codec_test::FolderEntries(dir).empty());

    // A folder in the target's place cannot be replaced by a file.
    const std::string folder = dir + "/taken.jpg";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(writer.Write(folder.c_str(), &image));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // An empty image is refused before anything is touched.
    const std::string existing = dir + "/existing.jpg";
    ASSERT_TRUE(codec_test::WriteBytes(existing, {1, 2, 3}));
    CImageObject empty;
    EXPECT_FALSE(writer.Write(existing.c_str(), &empty));
    EXPECT_EQ(codec_test::ReadBytes(existing), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 2u); // taken.jpg, existing.jpg

    // A successful write replaces the whole old content and records the time.
    image.fileTime = 0;
    EXPECT_TRUE(writer.Write(existing.c_str(), &image));
    EXPECT_NE(image.fileTime, 0u);
    auto written = codec_test::ReadBytes(existing);
    ASSERT_GT(written.size(), 4u);
    EXPECT_EQ(written[0], 0xFF);
    EXPECT_EQ(written[written.size() - 1], 0xD9);
    EXPECT_EQ(codec_test::FolderEntries(dir).size(), 2u);
}

} // namespace
