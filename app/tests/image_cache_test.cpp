// The image cache under Wine: sharing and reuse of decoded images, the kept
// image, the decode threads with their progress events, release during a
// decode, metafiles, reduced JPEG decodes and the list helpers.
#include "app/image_cache.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/tests/temp_folder.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/image_object.h"

namespace {

// A 24-bpp picture whose left half is red and right half blue.
std::string WriteBmp(const CTestFolder& folder, const std::string& name, int width, int height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.GetRow(y, true);
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            row[3 * x] = left ? 0 : 255;
            row[3 * x + 1] = 0;
            row[3 * x + 2] = left ? 255 : 0;
        }
    }
    const std::string path = folder.File(name);
    CBmpWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

std::string WriteJpeg(const CTestFolder& folder, const std::string& name, int width, int height) {
    CImageObject image;
    EXPECT_TRUE(image.Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y)
        std::fill(image.GetRow(y, true), image.GetRow(y, true) + 3 * width, uint8_t(y & 0xFF));
    const std::string path = folder.File(name);
    CJpegWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), &image));
    return path;
}

std::string WriteEmf(const CTestFolder& folder, const std::string& name) {
    const std::string path = folder.File(name);
    RECT frame{0, 0, 2000, 1000}; // 0.01 mm units
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    EXPECT_NE(nullptr, dc);
    Rectangle(dc, 5, 5, 50, 30);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

// Waits for the image's decode thread while still holding the image.
void WaitDecoded(CImageObject* image) {
    ASSERT_NE(0u, image->decodeThread);
    ASSERT_EQ(WAIT_OBJECT_0,
              WaitForSingleObject(reinterpret_cast<HANDLE>(image->decodeThread), 20000));
}

struct Event {
    CImageObject* image;
    int32_t event, first, count;
};

struct Destruction {
    CImageObject* image;
    bool notLoaded;
    int32_t rows, height;
    DWORD thread;
};

std::mutex g_recordLock;
std::vector<Event> g_events;
std::vector<Destruction> g_destroyed;

void RecordEvent(CImageObject* image, int32_t event, int32_t first, int32_t count, uintptr_t) {
    std::lock_guard<std::mutex> hold(g_recordLock);
    g_events.push_back({image, event, first, count});
}

void RecordDestruction(CImageObject* image, uintptr_t) {
    std::lock_guard<std::mutex> hold(g_recordLock);
    g_destroyed.push_back({image, image->notLoaded.load(), image->rowsDecoded.load(), image->height,
                           GetCurrentThreadId()});
}

size_t DestroyedCount() {
    std::lock_guard<std::mutex> hold(g_recordLock);
    return g_destroyed.size();
}

class ImageCache : public testing::Test {
protected:
    void SetUp() override {
        std::lock_guard<std::mutex> hold(g_recordLock);
        g_events.clear();
        g_destroyed.clear();
        SetImageDecodeObserver(RecordEvent, 0);
        SetCachedImageDestroyObserver(RecordDestruction, 0);
        SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
    }
    void TearDown() override {
        g_applicationState.ReleaseImage(nullptr);
        // Decodes handed their last reference end on their own; wait for them.
        for (int i = 0; i < 200 && g_applicationState.CachedImageCount() != 0; ++i)
            Sleep(25);
        EXPECT_EQ(nullptr, g_applicationState.KeptImage());
        EXPECT_EQ(0u, g_applicationState.CachedImageCount());
        SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", nullptr);
        SetImageDecodeObserver(nullptr, 0);
        SetCachedImageDestroyObserver(nullptr, 0);
    }
};

TEST_F(ImageCache, SharesOneDecodeAndReportsEveryRowOnce) {
    CTestFolder folder("share");
    const std::string path = WriteBmp(folder, "x.bmp", 40, 120);
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "5");
    CImageObject* first = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, first);
    CImageObject* second = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    EXPECT_EQ(first, second);
    EXPECT_EQ(2, first->refCount);
    EXPECT_TRUE(first->notLoaded.load()); // still decoding (5 ms per row)
    // A path in another letter case finds the same image.
    const std::string upper = folder.File("X.BMP");
    CImageObject* third = g_applicationState.OpenImage(upper.c_str(), -1, -1, 0.0);
    EXPECT_EQ(first, third);
    WaitDecoded(first);
    EXPECT_FALSE(first->notLoaded.load());

    std::vector<Event> events;
    {
        std::lock_guard<std::mutex> hold(g_recordLock);
        events = g_events;
    }
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(2, events.front().event);
    EXPECT_EQ(3, events.back().event);
    std::vector<std::pair<int, int>> bands;
    int started = 0, ended = 0;
    for (const Event& e : events) {
        EXPECT_EQ(first, e.image);
        started += e.event == 2;
        ended += e.event == 3;
        if (e.event == 4)
            bands.emplace_back(e.first, e.count);
    }
    EXPECT_EQ(1, started);
    EXPECT_EQ(1, ended);
    std::sort(bands.begin(), bands.end());
    int next = 0;
    for (const auto& band : bands) {
        EXPECT_EQ(next, band.first) << "rows must follow each other without gap";
        next = band.first + band.second;
    }
    EXPECT_EQ(120, next);

    for (CImageObject* image : {first, second, third})
        g_applicationState.ReleaseImage(image);
    EXPECT_EQ(first, g_applicationState.KeptImage());
    EXPECT_EQ(1, first->refCount);
}

TEST_F(ImageCache, KeptImageIsReusedUntilTheNextRelease) {
    CTestFolder folder("kept");
    const std::string a = WriteBmp(folder, "a.bmp", 8, 8);
    const std::string b = WriteBmp(folder, "b.bmp", 8, 8);
    CImageObject* imageA = g_applicationState.OpenImage(a.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, imageA);
    WaitDecoded(imageA);
    g_applicationState.ReleaseImage(imageA);
    EXPECT_EQ(imageA, g_applicationState.KeptImage());
    EXPECT_EQ(1, imageA->refCount);

    CImageObject* again = g_applicationState.OpenImage(a.c_str(), -1, -1, 0.0);
    EXPECT_EQ(imageA, again); // no new decode
    EXPECT_EQ(2, again->refCount);
    g_applicationState.ReleaseImage(again);
    EXPECT_EQ(imageA, g_applicationState.KeptImage());
    EXPECT_EQ(1, imageA->refCount);
    EXPECT_EQ(0u, DestroyedCount());

    CImageObject* imageB = g_applicationState.OpenImage(b.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, imageB);
    WaitDecoded(imageB);
    g_applicationState.ReleaseImage(imageB);
    EXPECT_EQ(imageB, g_applicationState.KeptImage());
    ASSERT_EQ(1u, DestroyedCount());
    EXPECT_EQ(imageA, g_destroyed[0].image);
    EXPECT_EQ(1u, g_applicationState.CachedImageCount());
}

TEST_F(ImageCache, ReleaseDuringDecodeDestroysAfterTheReaderReturns) {
    CTestFolder folder("release");
    const std::string path = WriteBmp(folder, "tall.bmp", 16, 400);
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "5");
    CImageObject* image = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, image);
    ASSERT_TRUE(image->readyEvent.Wait(10000));
    g_applicationState.ReleaseImage(image);
    // The decode thread holds the last reference now: no longer found, and
    // not kept.
    EXPECT_EQ(nullptr, g_applicationState.KeptImage());
    EXPECT_EQ(0u, g_applicationState.CachedImageCount());
    for (int i = 0; i < 400 && DestroyedCount() == 0; ++i)
        Sleep(25);
    ASSERT_EQ(1u, DestroyedCount());
    const Destruction& d = g_destroyed[0];
    EXPECT_EQ(image, d.image);
    EXPECT_FALSE(d.notLoaded);                 // the reader had returned
    EXPECT_LT(d.rows, d.height);               // and stopped early
    EXPECT_NE(GetCurrentThreadId(), d.thread); // on the decode thread
}

TEST_F(ImageCache, FailedDecodeIsRetriedAndUnknownTypesRefused) {
    CTestFolder folder("fail");
    const std::string missing = folder.File("missing.bmp");
    CImageObject* failed = g_applicationState.OpenImage(missing.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, failed); // the decode fails on its own thread
    WaitDecoded(failed);
    EXPECT_EQ(0, failed->rowsDecoded.load());
    CImageObject* retry = g_applicationState.OpenImage(missing.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, retry);
    EXPECT_NE(failed, retry);
    WaitDecoded(retry);
    g_applicationState.ReleaseImage(failed);
    g_applicationState.ReleaseImage(retry);

    folder.Write("odd.xyz", 10);
    EXPECT_EQ(nullptr, g_applicationState.OpenImage(folder.File("odd.xyz").c_str(), -1, -1, 0.0));
    EXPECT_EQ(nullptr, g_applicationState.OpenImage(nullptr, -1, -1, 0.0));
}

TEST_F(ImageCache, MetafilesAreReadEachTime) {
    CTestFolder folder("emf");
    const std::string path = WriteEmf(folder, "p.emf");
    CImageObject* one = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    CImageObject* two = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    EXPECT_NE(one, two);
    EXPECT_NE(nullptr, one->metafile);
    EXPECT_FALSE(one->notLoaded.load());
    EXPECT_EQ(0u, g_applicationState.CachedImageCount());
    EXPECT_EQ(nullptr, ReadImageInfo(path.c_str()));
    g_applicationState.ReleaseImage(one);
    g_applicationState.ReleaseImage(two);
}

TEST_F(ImageCache, ForgettingAPathIgnoresLetterCase) {
    CTestFolder folder("forget");
    const std::string path = WriteBmp(folder, "x.bmp", 8, 8);
    CImageObject* image = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, image);
    WaitDecoded(image);
    EXPECT_TRUE(g_applicationState.ForgetCachedImagePath(folder.File("X.BMP").c_str()));
    EXPECT_FALSE(g_applicationState.ForgetCachedImagePath(path.c_str()));
    CImageObject* fresh = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    EXPECT_NE(image, fresh);       // the changed file is read again
    EXPECT_EQ(1, image->refCount); // no reference was touched
    EXPECT_TRUE(g_applicationState.ForgetCachedImage(fresh));
    EXPECT_FALSE(g_applicationState.ForgetCachedImage(fresh));
    WaitDecoded(fresh);
    g_applicationState.ReleaseImage(image);
    g_applicationState.ReleaseImage(fresh);
}

TEST_F(ImageCache, ReducedJpegIsDecodedAgainForALargerZoom) {
    CTestFolder folder("jpeg");
    const std::string path = WriteJpeg(folder, "big.jpg", 1600, 1200);
    CImageObject* small = g_applicationState.OpenImage(path.c_str(), 160, 120, 0.0);
    ASSERT_NE(nullptr, small);
    WaitDecoded(small);
    EXPECT_EQ(1600, small->fullWidth);
    EXPECT_LT(small->width, 1600);
    EXPECT_GE(small->width, 160);
    EXPECT_FALSE(g_applicationState.NeedsLargerDecode(small, 160, 120, 0.0));
    EXPECT_TRUE(g_applicationState.NeedsLargerDecode(small, -1, -1, 1.0));
    const int32_t smallWidth = small->width;

    CImageObject* full = g_applicationState.OpenImage(path.c_str(), -1, -1, 1.0);
    ASSERT_NE(nullptr, full);
    EXPECT_NE(small, full);
    WaitDecoded(full);
    EXPECT_EQ(1600, full->width);
    EXPECT_EQ(smallWidth, small->width); // the old image stays valid
    EXPECT_NE(nullptr, small->bits);
    // The full image serves every later request, the small box included.
    CImageObject* again = g_applicationState.OpenImage(path.c_str(), 160, 120, 0.0);
    EXPECT_EQ(full, again);
    EXPECT_FALSE(g_applicationState.NeedsLargerDecode(full, -1, -1, 4.0));
    for (CImageObject* image : {small, full, again})
        g_applicationState.ReleaseImage(image);
}

TEST_F(ImageCache, AFullDecodeInProgressServesAFullRequest) {
    CTestFolder folder("jpegfull");
    const std::string path = WriteJpeg(folder, "p.jpg", 64, 800);
    SetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", "20");
    CImageObject* first = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    ASSERT_NE(nullptr, first);
    CImageObject* second = g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0);
    EXPECT_EQ(first, second);
    WaitDecoded(first);
    g_applicationState.ReleaseImage(first);
    g_applicationState.ReleaseImage(second);
}

TEST_F(ImageCache, UncachedLoadsAndHeaderReads) {
    CTestFolder folder("plain");
    const std::string path = WriteBmp(folder, "w.bmp", 200, 100);
    CImageObject* info = ReadImageInfo(path.c_str());
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(200, info->fullWidth);
    EXPECT_EQ(100, info->fullHeight);
    EXPECT_EQ(nullptr, info->bits);
    info->Release();
    CImageObject* scaled = LoadImageScaled(path.c_str(), 50, 50);
    ASSERT_NE(nullptr, scaled);
    EXPECT_EQ(50, scaled->width);
    EXPECT_EQ(25, scaled->height);
    EXPECT_FALSE(scaled->notLoaded.load());
    scaled->Release();
    EXPECT_EQ(nullptr, LoadImageScaled(folder.File("none.bmp").c_str(), 50, 50));
    EXPECT_EQ(nullptr, ReadImageInfo(folder.File("none.xyz").c_str()));
    EXPECT_EQ(0u, g_applicationState.CachedImageCount());
    EXPECT_EQ(0u, DestroyedCount()); // neither is a cached image
}

TEST_F(ImageCache, ListHelpersWrapAndClamp) {
    EXPECT_EQ(-1, WrapListIndex(0, nullptr, false));
    CFileItemList one(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(1)));
    one.InsertItemCopy("C:\\a.bmp", -1);
    EXPECT_EQ(-1, WrapListIndex(0, &one, false));

    CTestFolder folder("list");
    CFileItemList three(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(2)));
    for (const char* name : {"0.bmp", "1.bmp", "2.bmp"})
        three.InsertItemCopy(WriteBmp(folder, name, 4, 4).c_str(), -1);
    EXPECT_EQ(0, WrapListIndex(2, &three, false));
    EXPECT_EQ(2, WrapListIndex(0, &three, true));
    EXPECT_EQ(-1, WrapListIndex(3, &three, false));

    struct Case {
        int index;
        const char* opened;
    } cases[] = {{99, "2.bmp"}, {-4, "0.bmp"}, {1, "1.bmp"}};
    for (const auto& c : cases) {
        CImageObject* image = g_applicationState.OpenListImage(&three, c.index, -1, -1, 0.0);
        ASSERT_NE(nullptr, image) << c.index;
        EXPECT_STREQ(folder.File(c.opened).c_str(), image->path) << c.index;
        WaitDecoded(image);
        g_applicationState.ReleaseImage(image);
    }
    CFileItemList empty(kListSearchResult, reinterpret_cast<const char*>(uintptr_t(3)));
    EXPECT_EQ(nullptr, g_applicationState.OpenListImage(&empty, 0, -1, -1, 0.0));
    EXPECT_EQ(nullptr, g_applicationState.OpenListImage(nullptr, 0, -1, -1, 0.0));
}

} // namespace
