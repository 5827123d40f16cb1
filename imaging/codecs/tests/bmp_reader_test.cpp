// Bitmap reader on the reference fixtures: decoding of every handled variant
// against independently made expectations, the progress protocol, header-only
// reads, truncated copies, release while decoding, and refused files.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/tests/bmp_test_support.h"

using namespace codec_test;

namespace {

// The protocol: 2 once, then 4s, then 3 once; the 4s cover every row.
void ExpectProtocol(const EventLog& log, int32_t height, bool oneBand, const std::string& what) {
    ASSERT_GE(log.events.size(), 2u) << what;
    EXPECT_FALSE(log.wrongImage) << what;
    EXPECT_TRUE(log.readyBeforeEvent2) << what;
    EXPECT_EQ(log.events.front().event, 2) << what;
    EXPECT_EQ(log.events.front().position, -1) << what;
    EXPECT_EQ(log.events.front().count, -1) << what;
    EXPECT_EQ(log.events.back().event, 3) << what;
    EXPECT_EQ(log.events.back().position, -1) << what;
    int32_t rows = 0;
    for (size_t i = 1; i + 1 < log.events.size(); ++i) {
        const auto& e = log.events[i];
        EXPECT_EQ(e.event, 4) << what << " event " << i;
        EXPECT_EQ(e.position, rows) << what << " event " << i;
        rows += e.count;
    }
    EXPECT_EQ(rows, height) << what;
    if (oneBand) {
        EXPECT_EQ(log.events.size(), 3u) << what;
    } else {
        EXPECT_EQ(log.events.size(), static_cast<size_t>(height) + 2) << what;
    }
}

struct FixtureCase {
    const char* name;     // below <testdata>/codecs/bmp
    int32_t bitsPerPixel; // of the decoded image
    int32_t paletteCount;
    bool topDown;
    bool runLength; // one band of rows
};

const FixtureCase kFixtures[] = {
    {"pil_1bit.bmp", 1, 2, false, false},    {"pil_gray8.bmp", 8, 256, false, false},
    {"pil_pal8.bmp", 8, 7, false, false},    {"pil_rgb24.bmp", 24, 0, false, false},
    {"pil_rgba32.bmp", 32, 0, false, false}, {"im3_rgb24.bmp", 24, 0, false, false},
    {"im3_pal8.bmp", 8, 256, false, false},  {"im3_rle8.bmp", 8, 256, false, true},
    {"im2_core.bmp", 8, 256, false, false},  {"rle4.bmp", 8, 16, false, true},
    {"rle8_delta.bmp", 8, 8, false, true},   {"odd4.bmp", 8, 16, false, false},
    {"pal4_used6.bmp", 8, 6, false, false},  {"rgb555.bmp", 24, 0, false, false},
    {"rgb565.bmp", 24, 0, false, false},     {"topdown24.bmp", 24, 0, true, false},
    {"bf32.bmp", 32, 0, false, false},       {"dib_bf16.dib", 24, 0, false, false},
    {"dib_pal8.dib", 8, 5, false, false},    {"dib_core1.dib", 1, 2, false, false},
};

std::string BmpFixture(const std::string& name) {
    return FixturePath("bmp/" + name);
}

bool IsPacked(const std::string& name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".dib";
}

TEST(BmpReader, DecodesEveryVariantLikeTheReference) {
    for (const FixtureCase& c : kFixtures) {
        SCOPED_TRACE(c.name);
        const std::string path = BmpFixture(c.name);
        std::string stem = path.substr(0, path.size() - 4);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(stem + ".raw", &want)) << stem << ".raw";
        const std::vector<uint8_t> bytes = ReadBytes(path);
        ASSERT_FALSE(bytes.empty());

        // From memory, detecting the file header; the buffer ends where the data ends.
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(DecodeBytes(bytes, &image, &log));
        EXPECT_EQ(image.bitsPerPixel, c.bitsPerPixel);
        EXPECT_EQ(image.paletteCount, c.paletteCount);
        EXPECT_EQ(image.topDown, c.topDown);
        EXPECT_EQ(image.fullWidth, image.width);
        EXPECT_EQ(image.fullHeight, image.height);
        EXPECT_EQ(image.rowsDecoded.load(), image.height);
        EXPECT_TRUE(image.complete.load());
        ExpectPixels(image, want, c.name);
        ExpectProtocol(log, image.height, c.runLength, c.name);

        if (IsPacked(c.name)) {
            // The explicit form agrees with the detection.
            CByteStream stream;
            stream.AttachReadOnly(bytes.data(), static_cast<uint32_t>(bytes.size()));
            CImageObject again;
            CBmpReader reader;
            ASSERT_TRUE(reader.ReadFromStream(stream, &again, false));
            ExpectPixels(again, want, std::string(c.name) + " without file header");
        } else {
            // From the file: the same pixels, and the file's size and time recorded.
            CImageObject fromFile;
            CBmpReader reader;
            ASSERT_TRUE(reader.Read(path.c_str(), &fromFile));
            ExpectPixels(fromFile, want, std::string(c.name) + " from file");
            EXPECT_EQ(fromFile.fileSize, bytes.size());
            EXPECT_NE(fromFile.fileTime, 0u);
        }
    }
}

TEST(BmpReader, HeaderOnlyGivesTheSizeAndNothingElse) {
    for (const FixtureCase& c : kFixtures) {
        SCOPED_TRACE(c.name);
        const std::string path = BmpFixture(c.name);
        ExpectedPixels want;
        ASSERT_TRUE(LoadExpected(path.substr(0, path.size() - 4) + ".raw", &want));
        CImageObject image;
        image.headerOnly = true;
        EventLog log;
        ASSERT_TRUE(DecodeBytes(ReadBytes(path), &image, &log));
        EXPECT_EQ(static_cast<uint32_t>(image.fullWidth), want.width);
        EXPECT_EQ(static_cast<uint32_t>(image.fullHeight), want.height);
        EXPECT_EQ(image.bits, nullptr);
        EXPECT_EQ(image.palette, nullptr);
        EXPECT_FALSE(image.headerReady.load());
        EXPECT_FALSE(image.readyEvent.IsSet());
        EXPECT_TRUE(log.events.empty());
    }
}

TEST(BmpReader, TruncatedCopiesNeverReadPastTheEnd) {
    // Every prefix of every fixture: either refused, or a partial image whose
    // events still follow the protocol and match the rows decoded.
    for (const FixtureCase& c : kFixtures) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = ReadBytes(BmpFixture(c.name));
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
            CImageObject image;
            EventLog log;
            if (!DecodeBytes(part, &image, &log)) {
                EXPECT_TRUE(log.events.empty()) << "cut at " << cut;
                continue;
            }
            EXPECT_TRUE(image.complete.load()) << "cut at " << cut;
            ASSERT_GE(log.events.size(), 2u) << "cut at " << cut;
            EXPECT_EQ(log.events.back().event, 3);
            int32_t rows = 0;
            for (size_t i = 1; i + 1 < log.events.size(); ++i)
                rows += log.events[i].count;
            EXPECT_EQ(rows, image.rowsDecoded.load()) << "cut at " << cut;
        }
    }
}

TEST(BmpReader, HalfAFileGivesTheBottomRows) {
    // 24-bit, 8 x 10: each stored row is 24 bytes; rows arrive bottom first.
    DibSpec s;
    s.width = 8;
    s.height = 10;
    for (int i = 0; i < 8 * 10 * 3; ++i)
        s.pixels.push_back(static_cast<uint8_t>(i * 7));
    std::vector<uint8_t> full = MakeDib(s);
    std::vector<uint8_t> half(full.begin(), full.begin() + static_cast<long>(full.size() / 2));

    CImageObject whole, partial;
    ASSERT_TRUE(DecodeBytes(full, &whole));
    EventLog log;
    ASSERT_TRUE(DecodeBytes(half, &partial, &log));
    const int32_t rows = static_cast<int32_t>((half.size() - 54) / 24);
    EXPECT_EQ(partial.rowsDecoded.load(), rows);
    EXPECT_TRUE(partial.complete.load());
    EXPECT_EQ(log.events.back().event, 3);
    for (int32_t y = 0; y < 10; ++y) {
        const uint8_t* got = partial.bits + y * partial.stride;
        const uint8_t* ref = whole.bits + y * whole.stride;
        bool decoded = y >= 10 - rows;
        EXPECT_EQ(std::equal(got, got + 24, ref), decoded) << "row " << y;
    }
}

TEST(BmpReader, ReleaseAfterDecodeStopsRowsButCompletes) {
    struct Case {
        const char* name;
        bool runLength;
    } cases[] = {{"pil_rgb24.bmp", false}, {"rle4.bmp", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageObject image;
        image.releaseAfterDecode = true;
        EventLog log;
        ASSERT_TRUE(DecodeBytes(ReadBytes(BmpFixture(c.name)), &image, &log));
        EXPECT_TRUE(image.complete.load());
        ASSERT_GE(log.events.size(), 2u);
        EXPECT_EQ(log.events.front().event, 2);
        EXPECT_EQ(log.events.back().event, 3);
        // Rows stop at once; run-length images still report their single band.
        EXPECT_EQ(log.events.size(), c.runLength ? 3u : 2u);
        EXPECT_EQ(image.rowsDecoded.load(), c.runLength ? image.height : 0);
    }
}

TEST(BmpReader, RefusesMalformedAndUnhandledFilesUntouched) {
    std::vector<std::string> names = {"v4_header.bmp", "v5_header.bmp"};
    for (auto& entry : std::filesystem::directory_iterator(FixturePath("bmp")))
        if (entry.path().filename().string().rfind("bad_", 0) == 0)
            names.push_back(entry.path().filename().string());
    ASSERT_GE(names.size(), 10u) << "fixtures missing";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        CImageObject image;
        EventLog log;
        CBmpReader reader;
        log.Attach(reader, &image);
        EXPECT_FALSE(reader.Read(BmpFixture(name).c_str(), &image));
        EXPECT_EQ(image.bits, nullptr);
        EXPECT_FALSE(image.headerReady.load());
        EXPECT_TRUE(log.events.empty());
    }
}

TEST(BmpReader, MissingFileFailsUntouched) {
    CImageObject image;
    CBmpReader reader;
    EXPECT_FALSE(reader.Read(BmpFixture("no_such_file.bmp").c_str(), &image));
    EXPECT_EQ(image.fileSize, 0u);
    EXPECT_EQ(image.fileTime, 0u);
}

TEST(BmpReader, FuzzCrashersAreRefusedCleanly) {
    std::filesystem::path dir =
        std::filesystem::path(VXP_SOURCE_DIR) / "imaging" / "codecs" / "fuzz" / "crashers";
    int fed = 0;
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(ReadBytes(entry.path().string()), &image, nullptr, 1u << 20));
        ++fed;
    }
    if (fed == 0)
        GTEST_SKIP() << "no crashers recorded";
}

} // namespace
