// Tests of the TIFF metadata parser over blocks assembled here, in both byte
// orders.
#include "imaging/exif_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"

namespace {

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5, kAscii = 2 };

// Builds TIFF-structured blocks at explicit offsets in either byte order.
class TiffBlock {
public:
    explicit TiffBlock(bool bigEndian) : big_(bigEndian) {
        bytes_.resize(8);
        bytes_[0] = bytes_[1] = big_ ? 'M' : 'I';
        Put16(2, 42);
        Put32(4, 8);
    }

    void Put16(size_t at, uint16_t v) {
        Reserve(at + 2);
        bytes_[at + (big_ ? 1 : 0)] = static_cast<uint8_t>(v);
        bytes_[at + (big_ ? 0 : 1)] = static_cast<uint8_t>(v >> 8);
    }
    void Put32(size_t at, uint32_t v) {
        Put16(at + (big_ ? 2 : 0), static_cast<uint16_t>(v));
        Put16(at + (big_ ? 0 : 2), static_cast<uint16_t>(v >> 16));
    }
    void PutBytes(size_t at, const void* data, size_t n) {
        Reserve(at + n);
        std::memcpy(&bytes_[at], data, n);
    }
    void PutRational(size_t at, uint32_t num, uint32_t den) {
        Put32(at, num);
        Put32(at + 4, den);
    }

    struct Entry {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        uint32_t value;   // offset or LONG value
        const char* raw4; // when set: the value field's bytes as they stand
    };

    // Writes an IFD at `at` and returns the offset just past it.
    size_t PutIfd(size_t at, const std::vector<Entry>& entries, uint32_t next) {
        Put16(at, static_cast<uint16_t>(entries.size()));
        size_t pos = at + 2;
        for (const Entry& e : entries) {
            Put16(pos, e.tag);
            Put16(pos + 2, e.type);
            Put32(pos + 4, e.count);
            if (e.raw4 != nullptr) {
                PutBytes(pos + 8, e.raw4, 4);
            } else if (e.type == kShort) {
                Put32(pos + 8, 0);
                Put16(pos + 8, static_cast<uint16_t>(e.value));
            } else {
                Put32(pos + 8, e.value);
            }
            pos += 12;
        }
        Put32(pos, next);
        return pos + 4;
    }

    static Entry Short(uint16_t tag, uint16_t v) { return {tag, kShort, 1, v, nullptr}; }
    static Entry At(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) {
        return {tag, type, count, offset, nullptr};
    }
    static Entry Inline(uint16_t tag, uint32_t count, const char* four) {
        return {tag, kAscii, count, 0, four};
    }

    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    void Reserve(size_t n) {
        if (bytes_.size() < n) {
            bytes_.resize(n);
        }
    }
    bool big_;
    std::vector<uint8_t> bytes_;
};

// Parses bytes (from `start` on) into a fresh image; the image keeps the record.
struct Parsed {
    CImageObject image;
    bool ok = false;
    const CExifInfo& exif() const { return *image.exif; }
};

void Parse(Parsed& out, std::vector<uint8_t>& bytes, uint32_t start = 0) {
    CByteStream stream;
    stream.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()),
                  static_cast<uint32_t>(bytes.size()));
    stream.position = start;
    out.ok = ReadExifFromTiffStream(&out.image, &stream);
}

// IFD0 with Make, Model and Orientation 6, texts stored after the IFD.
TiffBlock MakeModelOrientation(bool big) {
    TiffBlock b(big);
    const size_t end = b.PutIfd(8,
                                {TiffBlock::At(271, kAscii, 6, 100),
                                 TiffBlock::At(272, kAscii, 9, 110), TiffBlock::Short(274, 6)},
                                0);
    EXPECT_LT(end, 100u);
    b.PutBytes(100, "Vexon", 6);
    b.PutBytes(110, "Model 7X", 9);
    return b;
}

TEST(ExifParser, ReadsTextsAndOrientationInBothByteOrdersKeepingDefaults) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        TiffBlock block = MakeModelOrientation(big);
        Parsed p;
        Parse(p, block.Bytes());
        ASSERT_TRUE(p.ok);
        ASSERT_NE(p.image.exif, nullptr);
        EXPECT_STREQ(p.exif().GetMake(), "Vexon");
        EXPECT_STREQ(p.exif().GetModel(), "Model 7X");
        EXPECT_EQ(p.exif().orientation, 6);
        EXPECT_EQ(p.exif().xResolution.numerator, 72u);
        EXPECT_EQ(p.exif().xResolution.denominator, 1u);
        EXPECT_EQ(p.exif().yResolution.numerator, 72u);
        EXPECT_EQ(p.exif().resolutionUnit, 2);
        EXPECT_EQ(p.exif().sensingMethod, 1);
        EXPECT_FALSE(p.exif().HasText(kExifArtist));
        EXPECT_STREQ(p.exif().GetArtist(), "");
    }
}

TEST(ExifParser, OffsetsCountFromTheStreamPositionNotTheBufferStart) {
    TiffBlock block = MakeModelOrientation(false);
    std::vector<uint8_t> withHeader = {'E', 'x', 'i', 'f', 0, 0};
    withHeader.insert(withHeader.end(), block.Bytes().begin(), block.Bytes().end());
    Parsed p;
    Parse(p, withHeader, 6);
    ASSERT_TRUE(p.ok);
    EXPECT_STREQ(p.exif().GetModel(), "Model 7X");
    EXPECT_EQ(p.exif().orientation, 6);
}

TEST(ExifParser, RefusesBadHeadersWithoutCreatingARecord) {
    const std::vector<std::vector<uint8_t>> cases = {
        {'I', 'I', 43, 0, 8, 0, 0, 0}, // wrong magic number
        {'M', 'M', 42, 0, 0, 0, 0, 8}, // byte order and magic disagree
        {'I', 'M', 42, 0, 8, 0, 0, 0}, // mixed byte-order mark
        {'I', 'I'},                    // cut inside the header
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c;
        Parsed p;
        Parse(p, bytes);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.image.exif, nullptr);
    }
}

TEST(ExifParser, InlineTextsEndAtTheirZeroByteOrTheirCount) {
    TiffBlock b(true);
    b.PutIfd(8,
             {TiffBlock::Inline(37520, 3, "12\0X"), TiffBlock::Inline(37521, 4, "ABCD"),
              TiffBlock::Inline(37522, 2, "987\0"), TiffBlock::Inline(305, 0, "ZZZZ")},
             0);
    Parsed p;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_STREQ(p.exif().GetSubSecTime(), "12");
    EXPECT_STREQ(p.exif().GetSubSecTimeOriginal(), "ABCD");
    EXPECT_STREQ(p.exif().GetSubSecTimeDigitized(), "98");
    EXPECT_TRUE(p.exif().HasText(kExifSoftware));
    EXPECT_STREQ(p.exif().GetSoftware(), "");
}

TEST(ExifParser, ExposureTimeIsReducedByTenOnlyWhenBothPartsDivide) {
    struct Case {
        uint32_t num, den, wantNum, wantDen;
    };
    const Case cases[] = {
        {10, 600, 1, 60}, {1, 60, 1, 60}, {15, 10, 15, 10}, {20, 10, 2, 1}, {100, 1000, 10, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.den));
        TiffBlock b(false);
        b.PutIfd(8, {TiffBlock::At(33434, kRational, 1, 40)}, 0);
        b.PutRational(40, c.num, c.den);
        Parsed p;
        Parse(p, b.Bytes());
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.exif().exposureTime.numerator, c.wantNum);
        EXPECT_EQ(p.exif().exposureTime.denominator, c.wantDen);
    }
}

TEST(ExifParser, TextOutsideTheDataIsSkippedAndLaterEntriesStillRead) {
    TiffBlock b(false);
    b.PutIfd(8,
             {TiffBlock::At(271, kAscii, 10, 5000), TiffBlock::At(282, kRational, 1, 0xFFFFFFF0u),
              TiffBlock::At(283, kRational, 1, 60), TiffBlock::Short(274, 3)},
             0);
    b.PutRational(60, 300, 1);
    Parsed p;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.exif().HasText(kExifMake));
    EXPECT_EQ(p.exif().xResolution.numerator, 72u); // offset outside: default kept
    EXPECT_EQ(p.exif().yResolution.numerator, 300u);
    EXPECT_EQ(p.exif().orientation, 3);
}

TEST(ExifParser, SecondIfdOfTheChainOverridesTheFirst) {
    TiffBlock b(true);
    size_t ifd1 = b.PutIfd(8, {TiffBlock::At(282, kRational, 1, 200), TiffBlock::Short(259, 1)}, 0);
    b.Put32(ifd1 - 4, static_cast<uint32_t>(ifd1)); // IFD0's next = IFD1
    b.PutIfd(ifd1, {TiffBlock::At(282, kRational, 1, 208), TiffBlock::Short(259, 6)}, 0);
    b.PutRational(200, 300, 1);
    b.PutRational(208, 96, 1);
    Parsed p;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.exif().xResolution.numerator, 96u);
    EXPECT_EQ(p.exif().compression, 6);
}

TEST(ExifParser, ReadsTheExifAndInteroperabilitySubIfds) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        TiffBlock b(big);
        b.PutIfd(8, {TiffBlock::At(34665, kLong, 1, 100), TiffBlock::At(306, kAscii, 20, 300)}, 0);
        b.PutIfd(100,
                 {TiffBlock::At(33434, kRational, 1, 320), TiffBlock::At(33437, kRational, 1, 328),
                  TiffBlock::At(36867, kAscii, 20, 340), TiffBlock::Short(37385, 0x19),
                  TiffBlock::Short(41495, 2), TiffBlock::Short(40961, 1),
                  TiffBlock::At(40965, kLong, 1, 200)},
                 0);
        b.PutIfd(200, {TiffBlock::Short(274, 8)}, 0); // reached only through the Exif IFD
        b.PutBytes(300, "2024:01:02 03:04:05", 20);
        b.PutRational(320, 10, 2500);
        b.PutRational(328, 28, 10);
        b.PutBytes(340, "2023:12:31 23:59:58", 20);
        Parsed p;
        Parse(p, b.Bytes());
        ASSERT_TRUE(p.ok);
        EXPECT_STREQ(p.exif().GetDateTime(), "2024:01:02 03:04:05");
        EXPECT_STREQ(p.exif().GetDateTimeOriginal(), "2023:12:31 23:59:58");
        EXPECT_EQ(p.exif().exposureTime.numerator, 1u);
        EXPECT_EQ(p.exif().exposureTime.denominator, 250u);
        EXPECT_EQ(p.exif().fNumber.numerator, 28u);
        EXPECT_EQ(p.exif().flash, 0x19);
        EXPECT_EQ(p.exif().sensingMethod, 2);
        EXPECT_EQ(p.exif().colorSpace, 1);
        // The Interoperability IFD is walked with the same entry handling.
        EXPECT_EQ(p.exif().orientation, 8);
    }
}

TEST(ExifParser, CyclicAndInvalidIfdLinksEndTheWalk) {
    // IFD0 links to itself; the Exif IFD links back to IFD0 as its own sub-IFD.
    TiffBlock selfLoop(false);
    selfLoop.PutIfd(8, {TiffBlock::Short(274, 5), TiffBlock::At(34665, kLong, 1, 8)}, 8);
    // Two IFDs pointing at each other.
    TiffBlock pair(true);
    pair.PutIfd(8, {TiffBlock::Short(274, 5)}, 40);
    pair.PutIfd(40, {TiffBlock::Short(296, 3)}, 8);
    // A next offset far outside the data, followed by bytes that would read
    // as an entry setting orientation 2 if the walk went on from where it was.
    TiffBlock outside(false);
    size_t end = outside.PutIfd(8, {TiffBlock::Short(274, 5)}, 0xFFFFFF00u);
    outside.Put16(end, 1);
    outside.PutIfd(end, {TiffBlock::Short(274, 2)}, 0);

    for (TiffBlock* b : {&selfLoop, &pair, &outside}) {
        Parsed p;
        Parse(p, b->Bytes());
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.exif().orientation, 5);
    }
}

TEST(ExifParser, HugeTextCountIsBoundByTheData) {
    TiffBlock b(false);
    b.PutIfd(
        8,
        {TiffBlock::At(270, kAscii, 0xFFFFFFFFu, 40), TiffBlock::At(315, kAscii, 0xFFFFFFFFu, 50)},
        0);
    b.PutBytes(40, "caption", 8);
    b.PutBytes(50, "no terminator", 13); // the data ends inside this text
    Parsed p;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_STREQ(p.exif().GetImageDescription(), "caption");
    EXPECT_STREQ(p.exif().GetArtist(), "no terminator");
}

TEST(ExifParser, TruncatedIfdReadsWhatIsThere) {
    TiffBlock b(true);
    b.PutIfd(8, {TiffBlock::Short(274, 7), TiffBlock::Short(296, 3)}, 0);
    b.Put16(8, 400); // claims far more entries than the data holds
    b.Bytes().resize(8 + 2 + 12 + 6);
    Parsed p;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.exif().orientation, 7);
}

TEST(ExifParser, ParsesIntoAnExistingRecordKeepingUnnamedFields) {
    TiffBlock b(false);
    b.PutIfd(8, {TiffBlock::Short(274, 6)}, 0);
    Parsed p;
    ASSERT_TRUE(p.image.EnsureExif());
    p.image.exif->SetArtist("kept");
    CExifInfo* before = p.image.exif;
    Parse(p, b.Bytes());
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.image.exif, before);
    EXPECT_STREQ(p.exif().GetArtist(), "kept");
    EXPECT_EQ(p.exif().orientation, 6);
}

} // namespace
