#include "imaging/image_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "imaging/exif_info.h"

#include "imaging/tests/image_test_support.h"

namespace {

using namespace image_test;

TEST(ImageObject, ConstructionDefaults) {
    CImageObject image("C:\\pictures\\Holiday.JPEG", nullptr);
    EXPECT_EQ(image.refCount, 1);
    EXPECT_TRUE(image.topDown);
    EXPECT_TRUE(image.notLoaded);
    EXPECT_FALSE(image.headerReady);
    EXPECT_FALSE(image.readyEvent.Wait(0));
    EXPECT_STREQ(image.path, "C:\\pictures\\Holiday.JPEG");
    EXPECT_EQ(image.GetFileType(), kFileTypeJpeg);
    EXPECT_STREQ(image.GetFileTypeName(), "JPEG");
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_EQ(image.FrameCount(), 0);

    std::string longPath(600, 'a');
    CImageObject cut(longPath.c_str(), nullptr);
    EXPECT_EQ(strlen(cut.path), plat::kMaxPath - 1);
}

TEST(ImageObject, CreateDepthsPalettesAndStrides) {
    struct Case {
        int width, height, bpp, colours;
        bool ok;
        int stride, paletteCount;
    } cases[] = {
        {3, 1, 24, 0, true, 12, 0},  {9, 1, 1, 0, true, 4, 2},    {5, 2, 8, 0, true, 8, 256},
        {5, 2, 8, 2, true, 8, 2},    {5, 2, 8, 16, true, 8, 16},  {1, 1, 32, 0, true, 4, 0},
        {33, 1, 1, 0, true, 8, 2},   {0, 5, 24, 0, false, 0, 0},  {5, 0, 24, 0, false, 0, 0},
        {-4, 5, 24, 0, false, 0, 0}, {4, -5, 24, 0, false, 0, 0}, {4, 4, 8, 300, false, 0, 0},
        {4, 4, 8, 1, false, 0, 0},   {4, 4, 8, -3, false, 0, 0},  {4, 4, 16, 0, false, 0, 0},
        {4, 4, 0, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << "x" << c.bpp << " colours " << c.colours);
        CImageObject image;
        EXPECT_EQ(image.Create(c.width, c.height, c.bpp, c.colours), c.ok);
        if (!c.ok) {
            EXPECT_EQ(image.bits, nullptr);
            EXPECT_EQ(image.bitmap, nullptr);
            continue;
        }
        EXPECT_EQ(image.stride, c.stride);
        EXPECT_EQ(image.paletteCount, c.paletteCount);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.fullWidth, c.width);
        EXPECT_EQ(image.fullHeight, c.height);
        ASSERT_NE(image.bits, nullptr);
        ASSERT_NE(image.bitmapInfo, nullptr);
        EXPECT_EQ(image.bitmapInfo->header.height, -c.height);
        EXPECT_EQ(image.bitmapInfo->header.colorsUsed, static_cast<uint32_t>(c.paletteCount));
        // The whole buffer is there and zeroed.
        for (uint8_t byte : Pixels(image))
            ASSERT_EQ(byte, 0);
    }
}

TEST(ImageObject, DefaultPalettes) {
    CImageObject grey;
    ASSERT_TRUE(grey.Create(4, 4, 8, 0));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(grey.palette[i], Bgr(i, i, i, 0));
    EXPECT_TRUE(grey.IsGrayscalePalette());
    grey.SetPaletteEntry(7, 7, 7, 7, 99); // the reserved byte is not compared
    EXPECT_TRUE(grey.IsGrayscalePalette());
    grey.SetPaletteEntry(7, 8, 7, 7, 0);
    EXPECT_FALSE(grey.IsGrayscalePalette());

    for (int bpp : {1, 8}) {
        CImageObject bw;
        ASSERT_TRUE(bw.Create(4, 4, bpp, 2));
        EXPECT_EQ(bw.palette[0], Bgr(0, 0, 0, 255));
        EXPECT_EQ(bw.palette[1], Bgr(255, 255, 255, 255));
        EXPECT_FALSE(bw.IsGrayscalePalette());
    }

    CImageObject sixteen;
    ASSERT_TRUE(sixteen.Create(4, 4, 8, 16));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(sixteen.palette[i], Bgr(0, 0, 0, 0));
}

TEST(ImageObject, CreateWithDepth) {
    struct Case {
        int bitCount, colours;
        bool ok;
        int bpp, paletteCount;
    } cases[] = {
        {1, 0, true, 1, 2},   {4, 0, true, 8, 16},  {8, 0, true, 8, 256},
        {16, 0, true, 24, 0}, {24, 0, true, 24, 0}, {32, 0, true, 32, 0},
        {4, 7, true, 8, 7},   {0, 0, false, 0, 0},  {2, 300, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitCount);
        CImageObject image;
        ASSERT_EQ(image.CreateWithDepth(6, 3, c.bitCount, c.colours), c.ok);
        if (c.ok) {
            EXPECT_EQ(image.bitsPerPixel, c.bpp);
            EXPECT_EQ(image.paletteCount, c.paletteCount);
        }
    }
}

TEST(ImageObject, SizeLimits) {
    CImageObject image;
    // stride x height just above 2^31 - 1 bytes: refused before allocating.
    EXPECT_FALSE(image.Create(0x7FFFFFFF, 2, 24, 0));
    EXPECT_FALSE(image.Create(65536, 32768, 8, 0));
    EXPECT_FALSE(image.Create(0x7FFFFFFF, 0x7FFFFFFF, 32, 0));
    EXPECT_EQ(image.bits, nullptr);

    SetImagePixelLimit(100);
    EXPECT_EQ(GetImagePixelLimit(), 100u);
    EXPECT_TRUE(image.Create(10, 10, 24, 0));
    EXPECT_FALSE(image.Create(10, 11, 24, 0));
    SetImagePixelLimit(0);
    EXPECT_TRUE(image.Create(10, 11, 24, 0));
}

TEST(ImageObject, RecreateReleasesTheOldBitmapAndFlags) {
    // Under the leak checker a second Create that forgot the first bitmap fails.
    CImageObject image;
    ASSERT_TRUE(image.Create(8, 8, 8, 0));
    ASSERT_TRUE(image.AddFrame(new CImageObject));
    image.SignalReady();
    ASSERT_TRUE(image.Create(4, 2, 24, 0));
    EXPECT_EQ(image.paletteCount, 0);
    EXPECT_EQ(image.palette, nullptr);
    EXPECT_EQ(image.FrameCount(), 0);
    EXPECT_FALSE(image.headerReady);
    EXPECT_FALSE(image.readyEvent.Wait(0));
    EXPECT_EQ(image.stride, 12);
}

TEST(ImageObject, FramesAndDestroy) {
    CImageObject image;
    ASSERT_TRUE(image.Create(2, 2, 24, 0));
    CImageObject* first = new CImageObject;
    CImageObject* second = new CImageObject;
    ASSERT_TRUE(second->Create(2, 2, 8, 0));
    ASSERT_TRUE(image.AddFrame(first));
    ASSERT_TRUE(image.AddFrame(second));
    EXPECT_EQ(image.GetFrame(0), &image);
    EXPECT_EQ(image.GetFrame(1), first);
    EXPECT_EQ(image.GetFrame(2), second);
    EXPECT_EQ(image.GetFrame(3), nullptr);
    EXPECT_EQ(image.GetFrame(-1), nullptr);
    EXPECT_FALSE(image.AddFrame(&image));

    image.fileTime = 1234;
    image.fileSize = 99;
    image.modified = true;
    image.Destroy();
    EXPECT_EQ(image.FrameCount(), 0);
    EXPECT_EQ(image.GetFrame(1), nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.stride, 0);
    EXPECT_EQ(image.bits, nullptr);
    EXPECT_EQ(image.fileTime, 0u);
    EXPECT_EQ(image.fileSize, 99u); // kept
    EXPECT_TRUE(image.modified);    // kept
    image.Destroy();                // nothing is freed twice
}

TEST(ImageObject, ReleaseDeletesAtTheLastReference) {
    CImageObject* image = new CImageObject;
    image->AddRef();
    EXPECT_EQ(image->Release(), 1);
    EXPECT_EQ(image->Release(), 0); // freed: the leak checker would notice otherwise
}

TEST(ImageObject, CopyFromSharesExifAndCopiesState) {
    CImageObject* source = new CImageObject("a.gif", nullptr);
    ASSERT_TRUE(source->Create(5, 3, 8, 16));
    source->SetPaletteEntry(3, 10, 20, 30, 0);
    Pattern(*source, 1);
    ASSERT_TRUE(source->EnsureExif());
    CExifInfo* record = source->exif;
    record->SetMake("Maker");
    source->fileTime = 777;
    source->frameDelay = 40;
    source->rowsDecoded = 3;
    source->topDown = false;
    source->animated = true;
    source->SignalReady();
    source->SetComplete();
    source->modified = true;
    ASSERT_TRUE(source->AddFrame(new CImageObject));

    CImageObject* copy = new CImageObject("b.gif", nullptr);
    copy->fileSize = 5;
    ASSERT_TRUE(copy->CopyFrom(source));
    EXPECT_EQ(record->refCount, 2);
    EXPECT_EQ(copy->exif, record);
    EXPECT_EQ(Pixels(*copy), Pixels(*source));
    EXPECT_EQ(copy->paletteCount, 16);
    EXPECT_EQ(copy->palette[3], Bgr(30, 20, 10, 0));
    EXPECT_EQ(copy->fileTime, 777u);
    EXPECT_EQ(copy->frameDelay, 40);
    EXPECT_EQ(copy->rowsDecoded, 3);
    EXPECT_FALSE(copy->topDown);
    EXPECT_TRUE(copy->animated);
    EXPECT_TRUE(copy->headerReady);
    EXPECT_TRUE(copy->complete);
    EXPECT_FALSE(copy->notLoaded);
    // Not copied: path, file size, frames, modified flag.
    EXPECT_STREQ(copy->path, "b.gif");
    EXPECT_EQ(copy->fileSize, 5u);
    EXPECT_EQ(copy->FrameCount(), 0);
    EXPECT_FALSE(copy->modified);

    source->Release();
    EXPECT_EQ(record->refCount, 1);
    EXPECT_STREQ(copy->exif->GetMake(), "Maker");
    copy->Release();

    CImageObject empty, target;
    EXPECT_FALSE(target.CopyFrom(&empty));
    EXPECT_EQ(target.bits, nullptr);
}

TEST(ImageObject, CopyConstructorClearsNotLoaded) {
    CImageObject source;
    ASSERT_TRUE(source.Create(3, 3, 32, 0));
    Pattern(source, 9);
    CImageObject copy(source);
    EXPECT_FALSE(copy.notLoaded);
    EXPECT_EQ(Pixels(copy), Pixels(source));
}

TEST(ImageObject, ConstructorWithExifAddsAReference) {
    CImageObject first;
    ASSERT_TRUE(first.EnsureExif());
    {
        CImageObject second("x.jpg", first.exif);
        EXPECT_EQ(first.exif->refCount, 2);
    }
    EXPECT_EQ(first.exif->refCount, 1);
}

TEST(ImageObject, EnsureExif) {
    CImageObject image;
    EXPECT_TRUE(image.EnsureExif());
    CExifInfo* record = image.exif;
    EXPECT_FALSE(image.EnsureExif());
    EXPECT_EQ(image.exif, record);
}

TEST(ImageObject, SetModifiedForgetsTheFileIdentity) {
    CImageObject image;
    image.fileTime = 0x01D000000000ull;
    image.fileSize = 4096;
    image.SetModified();
    EXPECT_TRUE(image.modified);
    EXPECT_EQ(image.fileTime, 0u);
    EXPECT_EQ(image.fileSize, 0u);
}

TEST(ImageObject, PaletteLookups) {
    CImageObject image;
    ASSERT_TRUE(image.Create(2, 2, 8, 4));
    image.SetPaletteEntry(1, 1, 2, 3, 255);
    image.SetPaletteEntry(2, 1, 2, 3, 255);
    image.SetPaletteEntry(4, 9, 9, 9, 9);  // out of range: ignored
    image.SetPaletteEntry(-1, 9, 9, 9, 9); // out of range: ignored
    EXPECT_EQ(image.FindPaletteEntry(Bgr(3, 2, 1, 255)), 1);
    EXPECT_EQ(image.FindPaletteEntry(Bgr(3, 2, 1, 0)), -1);
    EXPECT_EQ(image.PaletteAt(2), Bgr(3, 2, 1, 255));
    EXPECT_EQ(image.PaletteAt(200), image.palette[3]);

    CImageObject rgb;
    ASSERT_TRUE(rgb.Create(2, 2, 24, 0));
    EXPECT_EQ(rgb.FindPaletteEntry(Bgr(0, 0, 0, 0)), -1);
    EXPECT_TRUE(rgb.UpdateColorTable());
}

TEST(ImageObject, DecodingStateAndReadyEvent) {
    CImageObject image;
    EXPECT_FALSE(image.IsFullyLoaded()); // not loaded yet
    ASSERT_TRUE(image.Create(4, 4, 24, 0));

    std::thread decoder([&image] {
        image.rowsDecoded = 4;
        image.SignalReady();
        image.SetComplete();
    });
    EXPECT_TRUE(image.readyEvent.Wait(5000));
    decoder.join();
    EXPECT_TRUE(image.headerReady);
    EXPECT_TRUE(image.complete);
    image.notLoaded = false;
    EXPECT_TRUE(image.IsFullyLoaded());
    image.fullWidth = 8; // decoded reduced
    EXPECT_FALSE(image.IsFullyLoaded());
    image.fullWidth = 4;
    image.Invalidate();
    EXPECT_FALSE(image.IsFullyLoaded());

    image.Destroy();
    EXPECT_FALSE(image.headerReady);
    EXPECT_FALSE(image.readyEvent.Wait(0));
    EXPECT_TRUE(image.complete); // decoding flags other than header-ready stay
}

TEST(ImageObject, MetafileHeader) {
    CImageObject image;
    EXPECT_EQ(image.metafileHeader, nullptr);
    EXPECT_TRUE(image.AllocMetafileHeader());
    EXPECT_NE(image.metafileHeader, nullptr);
    EXPECT_GE(plat::MetafileHeaderSize(), 100u);
#ifndef _WIN32
    EXPECT_FALSE(RenderMetafileToImage(4, 4, Bgr(247, 247, 247), &image));
#endif
    EXPECT_FALSE(RenderMetafileToImage(4, 4, Bgr(247, 247, 247), nullptr));
}

#ifdef _WIN32
TEST(ImageObject, ColourTableReachesTheSection) {
    for (int count : {16, 256}) {
        SCOPED_TRACE(count);
        CImageObject image;
        ASSERT_TRUE(image.Create(4, 4, 8, count));
        for (int i = 0; i < count; ++i)
            image.SetPaletteEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0);
        ASSERT_TRUE(image.UpdateColorTable());
        std::vector<PaletteEntry> table(count);
        ASSERT_EQ(plat::GetPixelBufferColorTable(image.bitmap, table.data(), count),
                  static_cast<uint32_t>(count));
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(table[i], Bgr(7, static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i), 0));
    }
}

TEST(ImageObject, RenderMetafileFillsTheBackground) {
    CImageObject image;
    ASSERT_TRUE(RenderMetafileToImage(5, 3, Bgr(247, 240, 230), &image));
    EXPECT_EQ(image.bitsPerPixel, 24);
    const uint8_t* row = image.GetRow(2, true);
    EXPECT_EQ(row[12], 247);
    EXPECT_EQ(row[13], 240);
    EXPECT_EQ(row[14], 230);
}
#endif

} // namespace
