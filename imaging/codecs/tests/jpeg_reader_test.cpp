// JPEG reader: decodes compared with djpeg's decode of the same files (same
// library), the DCT scale table, truncated and CMYK/YCCK files, the protocol's
// events and flags, and the Exif/ICC segments.
#include "imaging/codecs/jpeg_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "imaging/byte_stream.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tests/jpeg_test_support.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"

using codec_test::EventLog;
using codec_test::ExpectedPixels;
using codec_test::LoadExpected;
using jpeg_test::JpegFixture;

namespace {

// The events of a successful decode of `height` rows: 2, bands of 32 rows in
// order, 3.
void ExpectBandedEvents(const EventLog& log, int32_t height) {
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_FALSE(log.wrongImage);
    EXPECT_TRUE(log.readyBeforeEvent2);
    EXPECT_EQ(log.events.front().event, kDecodeHeaderReady);
    EXPECT_EQ(log.events.back().event, kDecodeComplete);
    int32_t next = 0;
    for (size_t i = 1; i + 1 < log.events.size(); ++i) {
        const auto& e = log.events[i];
        EXPECT_EQ(e.event, kDecodeRows);
        EXPECT_EQ(e.position, next);
        EXPECT_EQ(e.count, std::min(32, height - next));
        next += e.count;
    }
    EXPECT_EQ(next, height);
}

TEST(JpegReader, FullDecodeEqualsDjpegWithBandedEvents) {
    for (const char* name : {"color420", "color444", "progressive", "grey"}) {
        SCOPED_TRACE(name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(JpegFixture(std::string(name) + ".raw"), &want));
        CImageObject image;
        CJpegReader reader;
        EventLog log;
        log.Attach(reader, &image);
        ASSERT_TRUE(reader.Read(JpegFixture(std::string(name) + ".jpg").c_str(), &image));
        codec_test::ExpectPixels(image, want, name);
        const bool grey = std::string(name) == "grey";
        EXPECT_EQ(image.bitsPerPixel, grey ? 8 : 24);
        EXPECT_EQ(image.IsGrayscalePalette(), grey);
        EXPECT_EQ(image.fullWidth, 160);
        EXPECT_EQ(image.fullHeight, 120);
        EXPECT_EQ(image.rowsDecoded.load(), 120);
        EXPECT_TRUE(image.complete.load());
        EXPECT_GT(image.fileSize, 0u);
        ExpectBandedEvents(log, 120);
    }
}

TEST(JpegReader, ScaleDenominatorFollowsTheTable) {
    struct Case {
        int32_t w, h, maxW, maxH;
        double zoom;
        int32_t want;
    };
    const Case cases[] = {
        {4000, 3000, 500, 375, 0.0, 4},   // wanted 0.125 exactly: not below it
        {4000, 3000, 400, 300, 0.0, 8},   // 0.1
        {4000, 3000, -1, -1, 0.3, 2},     // zoom without a box
        {4000, 3000, -1, -1, 0.0, 1},     // zoom not given: 1.0
        {4000, 3000, -1, 300, 0.2, 4},    // one side free: the zoom decides
        {4000, 3000, 1999, 1500, 0.0, 2}, // just below one half
        {4000, 3000, 2000, 1500, 0.0, 1}, // one half exactly
        {100, 100, 1000, 1000, 0.0, 1},   // fits: never enlarged, never reduced
        {4000, 3000, -1, -1, 0.1, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CJpegReader::ChooseScaleDenominator(c.w, c.h, c.maxW, c.maxH, c.zoom), c.want)
            << c.w << "x" << c.h << " box " << c.maxW << "x" << c.maxH << " zoom " << c.zoom;
    }
}

TEST(JpegReader, ScaledDecodesEqualDjpegScale) {
    // Boxes for a 160 x 120 file that ask for 1/2, 1/4 and 1/8.
    struct Box {
        int32_t w, h, denominator;
    };
    const Box boxes[] = {{79, 59, 2}, {39, 29, 4}, {19, 14, 8}};
    for (const char* name : {"color420", "progressive", "grey"}) {
        for (const Box& box : boxes) {
            const std::string what = std::string(name) + "_s" + std::to_string(box.denominator);
            SCOPED_TRACE(what);
            ExpectedPixels want;
            ASSERT_TRUE(LoadExpected(JpegFixture(what + ".raw"), &want));
            CImageObject image;
            ASSERT_TRUE(jpeg_test::ReadFixture(std::string(name) + ".jpg", &image, box.w, box.h));
            codec_test::ExpectPixels(image, want, what);
            EXPECT_EQ(image.fullWidth, 160);
            EXPECT_EQ(image.fullHeight, 120);
            EXPECT_FALSE(image.IsFullyLoaded());
        }
    }
}

TEST(JpegReader, ZoomChoosesTheScaleWhenThereIsNoBox) {
    CImageObject image;
    CJpegReader reader;
    reader.m_zoom = 0.3;
    ASSERT_TRUE(reader.Read(JpegFixture("color420.jpg").c_str(), &image));
    ExpectedPixels want;
    ASSERT_TRUE(LoadExpected(JpegFixture("color420_s2.raw"), &want));
    codec_test::ExpectPixels(image, want, "zoom 0.3");
}

TEST(JpegReader, HeaderOnlyGivesTheSizeAlone) {
    CImageObject image;
    image.headerOnly = true;
    CJpegReader reader;
    EventLog log;
    log.Attach(reader, &image);
    reader.m_maxWidth = 10;
    reader.m_maxHeight = 10;
    ASSERT_TRUE(reader.Read(JpegFixture("color420.jpg").c_str(), &image));
    EXPECT_EQ(image.fullWidth, 160);
    EXPECT_EQ(image.fullHeight, 120);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_FALSE(image.headerReady.load());
    EXPECT_TRUE(log.events.empty());
}

TEST(JpegReader, TruncatedFileDecodesItsTopPart) {
    ExpectedPixels cut, whole;
    ASSERT_TRUE(LoadExpected(JpegFixture("truncated.raw"), &cut));
    ASSERT_TRUE(LoadExpected(JpegFixture("color420.raw"), &whole));
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("truncated.jpg", &image));
    codec_test::ExpectPixels(image, cut, "truncated");
    EXPECT_TRUE(image.complete.load());
    // The first rows hold the full file's pixels.
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t got[4];
            codec_test::PixelAt(image, x, y, got);
            ASSERT_EQ(0, std::memcmp(got, whole.At(x, y), 3)) << x << "," << y;
        }
    }
}

TEST(JpegReader, CmykFromPilDecodesToItsRgbColours) {
    ExpectedPixels want;
    ASSERT_TRUE(LoadExpected(JpegFixture("cmyk.raw"), &want));
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("cmyk.jpg", &image));
    EXPECT_EQ(image.bitsPerPixel, 24);
    codec_test::ExpectPixels(image, want, "cmyk");
}

// Encodes flat ink patches as a CMYK or YCCK JPEG with the library itself.
std::vector<uint8_t> EncodeInks(J_COLOR_SPACE space,
                                const std::vector<std::array<uint8_t, 4>>& inks) {
    const int size = 16;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(size * inks.size());
    cinfo.image_height = size;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 98, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(cinfo.image_width * 4);
    for (size_t i = 0; i < row.size(); ++i) // Adobe files store inverted inks
        row[i] = static_cast<uint8_t>(255 - inks[i / 4 / size][i % 4]);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

TEST(JpegReader, CmykAndYcckConvertEveryPixelIntoTheRgbRow) {
    // Inks (c, m, y, k) and the colour they print, as blue, green, red.
    const std::vector<std::array<uint8_t, 4>> inks = {{0, 0, 0, 0},   {255, 0, 0, 0},
                                                      {0, 255, 0, 0}, {0, 0, 255, 0},
                                                      {0, 0, 0, 255}, {0, 0, 0, 128}};
    const uint8_t bgr[][3] = {{255, 255, 255}, {255, 255, 0}, {255, 0, 255},
                              {0, 255, 255},   {0, 0, 0},     {127, 127, 127}};
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        SCOPED_TRACE(space == JCS_CMYK ? "CMYK" : "YCCK");
        std::vector<uint8_t> file = EncodeInks(space, inks);
        CByteStream stream;
        stream.AttachReadOnly(file.data(), static_cast<uint32_t>(file.size()));
        CImageObject image;
        CJpegReader reader;
        ASSERT_TRUE(reader.ReadFromStream(stream, &image));
        ASSERT_EQ(image.bitsPerPixel, 24);
        ASSERT_EQ(image.width, 16 * static_cast<int32_t>(inks.size()));
        for (size_t i = 0; i < inks.size(); ++i) {
            uint8_t got[4];
            codec_test::PixelAt(image, static_cast<int32_t>(i * 16 + 8), 8, got);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[c], bgr[i][c], 4) << "patch " << i << " channel " << c;
        }
    }
}

TEST(JpegReader, RefusesWhatIsNotAJpeg) {
    CImageObject image;
    EXPECT_FALSE(jpeg_test::ReadFixture("not_a_jpeg.jpg", &image));
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_FALSE(jpeg_test::ReadFixture("missing.jpg", &image));

    const std::vector<std::vector<uint8_t>> streams = {
        {},                                   // nothing
        {0xFF, 0xD8},                         // SOI alone
        {0xFF, 0xD8, 0xFF, 0xD9},             // no frame
        {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02}, // empty frame header
    };
    for (const auto& bytes : streams) {
        CByteStream stream;
        stream.AttachReadOnly(bytes.data(), static_cast<uint32_t>(bytes.size()));
        CImageObject img;
        CJpegReader reader;
        EXPECT_FALSE(reader.ReadFromStream(stream, &img)) << bytes.size() << " bytes";
        EXPECT_FALSE(img.complete.load());
    }
}

int32_t StopAtFirstBand(CImageObject* image, int32_t event, int32_t, int32_t, uintptr_t user) {
    ++*reinterpret_cast<int*>(user);
    if (event == kDecodeRows)
        image->releaseAfterDecode.store(true);
    if (event == kDecodeComplete)
        ADD_FAILURE() << "event 3 after a stop";
    return 0;
}

TEST(JpegReader, ReleaseAfterDecodeStopsWithFalse) {
    CImageObject before;
    before.releaseAfterDecode.store(true);
    EXPECT_FALSE(jpeg_test::ReadFixture("color420.jpg", &before));
    EXPECT_EQ(before.bits, nullptr);

    CImageObject during;
    CJpegReader reader;
    int events = 0;
    reader.m_progress = &StopAtFirstBand;
    reader.m_progressUser = reinterpret_cast<uintptr_t>(&events);
    EXPECT_FALSE(reader.Read(JpegFixture("color420.jpg").c_str(), &during));
    EXPECT_EQ(events, 2);
    EXPECT_EQ(during.rowsDecoded.load(), 32);
    EXPECT_FALSE(during.complete.load());
}

TEST(JpegReader, ReadScaledFitsTheBoxAndKeepsTheFullSize) {
    CImageObject image;
    CJpegReader reader;
    reader.m_maxWidth = 40;
    reader.m_maxHeight = 40;
    ASSERT_TRUE(reader.ReadScaled(JpegFixture("color420.jpg").c_str(), &image));
    EXPECT_EQ(image.width, 40);
    EXPECT_EQ(image.height, 30);
    EXPECT_EQ(image.fullWidth, 160);
    EXPECT_EQ(image.fullHeight, 120);
    EXPECT_FALSE(image.IsFullyLoaded());
    EXPECT_GT(image.fileSize, 0u);
    EXPECT_NE(image.fileTime, 0u);

    // A box the image already fits: an exact full-size decode.
    CImageObject whole;
    CJpegReader big;
    big.m_maxWidth = 1000;
    big.m_maxHeight = 1000;
    ASSERT_TRUE(big.ReadScaled(JpegFixture("color420.jpg").c_str(), &whole));
    EXPECT_EQ(whole.width, 160);
    EXPECT_EQ(whole.fullWidth, 160);
}

// The thumbnail read goes through a small window of the file; the bytes it
// decodes must be exactly those of a decode from memory, including where a
// marker's skip or a cut crosses a window's edge.
TEST(JpegReader, ReadScaledFromAFileDecodesAsTheSameBytesInMemory) {
    const std::vector<uint8_t> plain = codec_test::ReadBytes(JpegFixture("color420.jpg"));
    ASSERT_GT(plain.size(), 4u);
    // Three APP15 segments of 65,533 bytes right after SOI: skips that span
    // windows before the image data starts.
    std::vector<uint8_t> padded(plain.begin(), plain.begin() + 2);
    for (int i = 0; i < 3; ++i) {
        padded.insert(padded.end(), {0xFF, 0xEF, 0xFF, 0xFF});
        padded.insert(padded.end(), 65533, static_cast<uint8_t>(i + 1));
    }
    padded.insert(padded.end(), plain.begin() + 2, plain.end());
    const size_t imageStart = padded.size() - plain.size() + 2;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"the file as it is", plain},
        {"segments larger than the window before the image", padded},
        {"a cut inside the image data", std::vector<uint8_t>(padded.begin(), padded.end() - 2000)},
        {"a cut inside a segment", std::vector<uint8_t>(padded.begin(), padded.begin() + 100000)},
        {"a cut at the first byte of the image",
         std::vector<uint8_t>(padded.begin(), padded.begin() + imageStart)},
    };
    const std::string dir = codec_test::ScratchFolder("jpeg_window");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/case.jpg";
        ASSERT_TRUE(codec_test::WriteBytes(path, c.bytes));

        CJpegReader fromFile;
        fromFile.m_maxWidth = 80;
        fromFile.m_maxHeight = 80;
        CImageObject viaFile;
        const bool fileOk = fromFile.ReadScaled(path.c_str(), &viaFile);

        CJpegReader fromMemory;
        fromMemory.m_maxWidth = 80;
        fromMemory.m_maxHeight = 80;
        CImageObject viaMemory;
        std::vector<uint8_t> copy = c.bytes;
        CByteStream stream;
        stream.AttachReadOnly(copy.data(), static_cast<uint32_t>(copy.size()));
        const bool memoryOk = fromMemory.ReadScaledFromStream(stream, &viaMemory);

        ASSERT_EQ(fileOk, memoryOk);
        if (!fileOk)
            continue;
        EXPECT_EQ(viaFile.fileSize, c.bytes.size());
        ASSERT_EQ(viaFile.width, viaMemory.width);
        ASSERT_EQ(viaFile.height, viaMemory.height);
        ASSERT_EQ(viaFile.bitsPerPixel, viaMemory.bitsPerPixel);
        const size_t rowBytes = static_cast<size_t>(viaFile.width) * viaFile.bitsPerPixel / 8;
        for (int32_t y = 0; y < viaFile.height; ++y)
            ASSERT_EQ(std::memcmp(viaFile.GetRow(y, true), viaMemory.GetRow(y, true), rowBytes), 0)
                << "row " << y;
    }
}

std::map<std::string, std::string> LoadExpectation(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::string Ratio(const ExifRational& r) {
    if (r.denominator == 0)
        return "?";
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(r.numerator) / r.denominator);
    return text;
}

TEST(JpegReader, ExifValuesAgreeWithAnIndependentReader) {
    auto want = LoadExpectation(JpegFixture("exif_icc_xmp.expect"));
    ASSERT_FALSE(want.empty());
    CImageObject image;
    ASSERT_TRUE(jpeg_test::ReadFixture("exif_icc_xmp.jpg", &image));
    ASSERT_NE(image.exif, nullptr);
    const CExifInfo& e = *image.exif;
    EXPECT_EQ(want["Make"], e.GetMake());
    EXPECT_EQ(want["Model"], e.GetModel());
    EXPECT_EQ(want["Software"], e.GetSoftware());
    EXPECT_EQ(want["ModifyDate"], e.GetDateTime());
    EXPECT_EQ(want["DateTimeOriginal"], e.GetDateTimeOriginal());
    EXPECT_EQ(want["SubSecTime"], e.GetSubSecTime());
    EXPECT_EQ(want["Orientation"], std::to_string(e.orientation));
    EXPECT_EQ(want["Flash"], std::to_string(e.flash));
    EXPECT_EQ(want["ExposureProgram"], std::to_string(e.exposureProgram));
    EXPECT_EQ(want["XResolution"], Ratio(e.xResolution));
    EXPECT_EQ(want["ExposureTime"], Ratio(e.exposureTime));
    EXPECT_EQ(e.exposureTime.numerator, 1u); // 10/1250 reduced once
    EXPECT_EQ(e.exposureTime.denominator, 125u);
    EXPECT_EQ(want["FNumber"], Ratio(e.fNumber));
    EXPECT_EQ(want["FocalLength"], Ratio(e.focalLength));
}

TEST(JpegReader, KeepsTheExifApp1AndTheIccApp2Segments) {
    struct Case {
        const char* file;
        size_t app1Segments; // the Exif one first
        size_t iccSegments;
    };
    for (const Case& c : {Case{"exif_icc_xmp.jpg", 2, 1}, Case{"icc_multi.jpg", 1, 2}}) {
        SCOPED_TRACE(c.file);
        auto segments = jpeg_test::Segments(codec_test::ReadBytes(JpegFixture(c.file)));
        auto app1 = jpeg_test::SegmentsOf(segments, 0xE1);
        auto app2 = jpeg_test::SegmentsOf(segments, 0xE2);
        ASSERT_EQ(app1.size(), c.app1Segments);
        ASSERT_EQ(app2.size(), c.iccSegments);
        std::vector<uint8_t> icc;
        for (const auto& s : app2)
            icc.insert(icc.end(), s.data.begin(), s.data.end());

        CImageObject image;
        ASSERT_TRUE(jpeg_test::ReadFixture(c.file, &image));
        ASSERT_NE(image.exif, nullptr);
        ASSERT_EQ(image.exif->app1Length, app1[0].data.size());
        EXPECT_EQ(0, std::memcmp(image.exif->app1Data, app1[0].data.data(), app1[0].data.size()));
        ASSERT_EQ(image.exif->app2Length, icc.size());
        EXPECT_EQ(0, std::memcmp(image.exif->app2Data, icc.data(), icc.size()));
    }
}

} // namespace
