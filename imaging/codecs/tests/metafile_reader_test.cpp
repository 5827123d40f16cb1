// Metafile reader (Windows build, run under Wine): enhanced, placeable and
// plain Windows metafiles assembled here, their sizes at the screen's
// resolution, drawing into a bitmap, and the files that must be refused.

#include <gtest/gtest.h>

#ifdef _WIN32

#include <string>
#include <vector>

#include "imaging/codecs/metafile_reader.h"
#include "imaging/codecs/tests/own_test_support.h"

using namespace codec_test;
using namespace own_test;

namespace {

// Windows metafile records: a window of the given extent, a solid red brush
// and a rectangle over the middle half of the window.
std::vector<uint8_t> WindowsMetafile(int extX, int extY) {
    std::vector<uint8_t> records;
    auto record = [&](uint16_t function, std::vector<uint16_t> params) {
        Le(records, static_cast<uint32_t>(3 + params.size()), 4);
        Le(records, function, 2);
        for (uint16_t p : params)
            Le(records, p, 2);
    };
    record(0x020B, {0, 0});                                                     // SetWindowOrg
    record(0x020C, {static_cast<uint16_t>(extY), static_cast<uint16_t>(extX)}); // SetWindowExt
    record(0x02FC, {0, 0x00FF, 0x0000, 0}); // CreateBrushIndirect: red
    record(0x012D, {0});                    // SelectObject
    record(0x041B, {static_cast<uint16_t>(extY * 3 / 4), static_cast<uint16_t>(extX * 3 / 4),
                    static_cast<uint16_t>(extY / 4), static_cast<uint16_t>(extX / 4)}); // Rectangle
    record(0x0000, {});                                                                 // EOF
    std::vector<uint8_t> file;
    Le(file, 1, 2);
    Le(file, 9, 2);
    Le(file, 0x0300, 2);
    Le(file, static_cast<uint32_t>((18 + records.size()) / 2), 4);
    Le(file, 1, 2);
    Le(file, 7, 4);
    Le(file, 0, 2);
    file.insert(file.end(), records.begin(), records.end());
    return file;
}

std::vector<uint8_t> Placeable(int right, int bottom, int unitsPerInch) {
    std::vector<uint8_t> head;
    Le(head, 0x9AC6CDD7u, 4);
    Le(head, 0, 2);
    for (int v : {0, 0, right, bottom, unitsPerInch})
        Le(head, static_cast<uint32_t>(v), 2);
    Le(head, 0, 4);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= static_cast<uint16_t>(head[i] | (head[i + 1] << 8));
    Le(head, sum, 2);
    std::vector<uint8_t> body = WindowsMetafile(right, bottom);
    head.insert(head.end(), body.begin(), body.end());
    return head;
}

// An enhanced metafile with a header whose frame is the given rectangle in
// hundredths of a millimetre, and an end record.
std::vector<uint8_t> Enhanced(int left, int top, int right, int bottom) {
    std::vector<uint8_t> f;
    Le(f, 1, 4);
    Le(f, 108, 4);
    for (int v : {0, 0, 100, 50, left, top, right, bottom})
        Le(f, static_cast<uint32_t>(v), 4);
    Le(f, 0x464D4520u, 4);
    Le(f, 0x10000u, 4);
    Le(f, 108 + 20, 4);
    Le(f, 2, 4);
    Le(f, 1, 2);
    Le(f, 0, 2);
    for (int v : {0, 0, 0, 1280, 1024, 320, 240, 0, 0, 0, 320000, 240000})
        Le(f, static_cast<uint32_t>(v), 4);
    for (int v : {14, 20, 0, 16, 20})
        Le(f, static_cast<uint32_t>(v), 4);
    return f;
}

bool ReadBytesAsFile(const std::vector<uint8_t>& bytes, const std::string& name,
                     CImageObject* image, EventLog* log = nullptr) {
    const std::string path = ScratchFolder("metafile_" + name) + "/" + name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    CMetafileReader reader;
    if (log != nullptr)
        log->Attach(reader, image);
    return reader.Read(path.c_str(), image);
}

TEST(MetafileReader, SizesFollowTheFrameAndTheScreen) {
    // At 96 pixels per inch about 3.78 pixels per millimetre.
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        double width, height;
    } cases[] = {
        {"frame.emf", Enhanced(0, 0, 10000, 5000), 378, 189},
        {"offset.emf", Enhanced(2000, 1000, 12000, 6000), 378, 189},
        {"placeable.wmf", Placeable(1440, 720, 1440), 96, 48},
        {"plain.wmf", WindowsMetafile(200, 100), 37.8, 37.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageObject image;
        EventLog log;
        ASSERT_TRUE(ReadBytesAsFile(c.bytes, c.name, &image, &log));
        EXPECT_NEAR(image.width, c.width, c.width * 0.05 + 1);
        EXPECT_NEAR(image.height, c.height, c.height * 0.05 + 1);
        EXPECT_EQ(image.fullWidth, image.width);
        EXPECT_NE(image.metafile, nullptr);
        EXPECT_EQ(image.bits, nullptr);
        ASSERT_EQ(log.events.size(), 2u);
        EXPECT_EQ(log.events[0].event, kDecodeHeaderReady);
        EXPECT_EQ(log.events[1].event, kDecodeComplete);
        EXPECT_EQ(image.fileSize, c.bytes.size());
    }
}

TEST(MetafileReader, RendersIntoABitmap) {
    CImageObject image;
    ASSERT_TRUE(ReadBytesAsFile(Placeable(1440, 720, 1440), "render.wmf", &image));
    ASSERT_TRUE(RenderMetafileToImage(80, 40, PaletteEntry{247, 247, 247, 0}, &image));
    uint8_t centre[4], corner[4];
    PixelAt(image, 40, 20, centre);
    PixelAt(image, 1, 1, corner);
    EXPECT_LT(centre[0], 40);
    EXPECT_GT(centre[2], 200); // red
    EXPECT_EQ(corner[0], 247);
    EXPECT_EQ(corner[2], 247);
}

TEST(MetafileReader, RefusedFiles) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"zero_units.wmf", Placeable(1440, 720, 0)},
        {"empty_box.wmf", Placeable(0, 720, 1440)},
        {"empty_frame.emf", Enhanced(0, 0, 0, 5000)},
        {"random.bin", std::vector<uint8_t>(300, 0x5A)},
    };
    for (const Case& c : cases) {
        CImageObject image;
        EventLog log;
        EXPECT_FALSE(ReadBytesAsFile(c.bytes, c.name, &image, &log)) << c.name;
        EXPECT_TRUE(log.events.empty()) << c.name;
    }
    CImageObject image;
    CMetafileReader reader;
    EXPECT_FALSE(reader.Read((ScratchFolder("metafile_missing") + "/none.emf").c_str(), &image));
}

} // namespace

#else

TEST(MetafileReader, WindowsOnly) {
    GTEST_SKIP() << "metafiles are read through GDI";
}

#endif
