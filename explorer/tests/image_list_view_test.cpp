// The thumbnail list under Wine: the worker fills a folder's tiles and the
// thumbnail database (one sound record per raster picture, none for a
// metafile), reads them back while the files are unchanged, refuses damaged
// records, keeps the lock file exactly while it works, and the list's modes,
// insertions and selection behave as the explorer needs them.
#include "explorer/image_list_view.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/tests/temp_folder.h"
#include "catalog/btree_index.h"
#include "explorer/logic/thumbnail_record.h"
#include "explorer/tests/thumbnail_host.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/gif_codec.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"
#include "tests/support/poll_until.h"

namespace {

using testsupport::PollUntil;

void Paint(CImageObject& image) {
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = image.GetRow(y, true);
        for (int x = 0; x < image.stride; ++x)
            row[x] = static_cast<uint8_t>((x * 5 + y * 3) & 0xFF);
    }
}

// The fixture folder: five raster pictures, a metafile and a text file.
void WritePictures(const CTestFolder& folder) {
    CImageObject rgb;
    ASSERT_TRUE(rgb.Create(160, 120, 24, 0));
    Paint(rgb);
    CImageObject indexed;
    ASSERT_TRUE(indexed.Create(60, 90, 8, 16));
    for (int i = 0; i < 16; ++i)
        indexed.SetPaletteEntry(i, uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 8), 0);
    ASSERT_TRUE(indexed.UpdateColorTable());
    for (int y = 0; y < indexed.height; ++y)
        for (int x = 0; x < indexed.width; ++x)
            indexed.GetRow(y, true)[x] = uint8_t((x + y) % 16);
    CBmpWriter bmp;
    ASSERT_TRUE(bmp.Write(folder.File("a24.bmp").c_str(), &rgb));
    ASSERT_TRUE(bmp.Write(folder.File("b8.bmp").c_str(), &indexed));
    CPngWriter png;
    ASSERT_TRUE(png.Write(folder.File("c.png").c_str(), &rgb));
    CJpegWriter jpeg;
    ASSERT_TRUE(jpeg.Write(folder.File("d.jpg").c_str(), &rgb));
    CGifWriter gif;
    ASSERT_TRUE(gif.Write(folder.File("e.gif").c_str(), &indexed));
    RECT frame{0, 0, 2000, 1000};
    HDC dc = CreateEnhMetaFileA(nullptr, folder.File("f.emf").c_str(), &frame, nullptr);
    ASSERT_NE(nullptr, dc);
    Rectangle(dc, 5, 5, 50, 30);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    folder.Write("notes.txt", 10);
}

uint64_t LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime.dwLowDateTime |
           (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32);
}

void Touch(const std::string& path, WORD year) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = 3;
    st.wDay = 4;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every record of the "Thumbnail" index by key.
std::map<std::string, std::vector<uint8_t>> Records() {
    std::map<std::string, std::vector<uint8_t>> all;
    CProgramDatabases& dbs = g_applicationState.Databases();
    plat::ScopedLock lock(dbs.ThumbnailLock());
    CBTreeCursor* cursor = dbs.thumbnail->NewCursor(false);
    for (bool more = cursor->First(); more; more = cursor->Next()) {
        char key[256] = {};
        DbBuffer k = DbBuffer::Out(key, 255);
        std::vector<uint8_t> value(kThumbnailStreamCapacity);
        DbBuffer v = DbBuffer::Out(value.data(), kThumbnailStreamCapacity);
        if (cursor->GetKeyValue(&k, &v)) {
            value.resize(v.length);
            all[std::string(key, k.length)] = value;
        }
    }
    dbs.thumbnail->ReleaseCursor(cursor);
    return all;
}

class ThumbnailList : public testing::Test {
protected:
    void SetUp() override {
        CAppOptions& o = g_applicationState.Options();
        o.explorerThumbnailWidth = o.explorerThumbnailHeight = 100;
        o.explorerThumbnailXSpace = 10;
        o.explorerThumbnailYSpace = 20;
        o.explorerThumbnailCache = true;
        o.explorerThumbnailBackgroundColor = RGB(181, 200, 219);
        o.sortBy = kSortByName;
        o.sortOrder = kSortAscending;
        CProgramDatabases& dbs = g_applicationState.Databases();
        ASSERT_TRUE(dbs.OpenMainDatabase(data.File("VelmorantixXP.tdb")));
        ASSERT_TRUE(dbs.LoadThumbnailDatabase(false, data.File("Thumbnail.tdb")));
        dbs.lockPath = data.File("Thumbnail.lock");
        g_applicationState.LoadFolderSymbols();
        WritePictures(pictures);
        ASSERT_NE(nullptr, host.CreateHost(0, 0, 800, 500));
    }
    void TearDown() override {
        if (host.IsWindow())
            host.DestroyWindow();
        g_applicationState.ReleaseFileItemList(nullptr);
        CProgramDatabases& dbs = g_applicationState.Databases();
        dbs.CloseThumbnailDatabase();
        dbs.CloseMainDatabase();
    }

    CImageListViewCtrl& List() { return host.list; }
    bool Show(int mode = kListViewThumbnails) {
        return host.ShowFolder(pictures.Path().c_str(), mode);
    }
    bool WaitIdle() {
        return PollUntil(
            [&] { return List().AllDone() && WaitForSingleObject(List().IdleEvent(), 0) == 0; },
            20000);
    }
    std::string Lock() const { return data.File("Thumbnail.lock"); }

    CTestFolder data{"thumbdb"};
    CTestFolder pictures{"thumbs"};
    thumbtest::CThumbnailHostFrame host;
};

TEST_F(ThumbnailList, AfterIdleEachRasterPictureHasOneSoundRecordAndTheMetafileNone) {
    ASSERT_TRUE(Show());
    ASSERT_EQ(6, List().ItemCount());
    ASSERT_TRUE(WaitIdle());
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(List().IsItemDone(i)) << i;
    EXPECT_FALSE(Exists(Lock())) << "no lock file at idle";
    EXPECT_EQ(0, ActiveThumbnailWriters());

    const std::map<std::string, std::vector<uint8_t>> records = Records();
    const std::vector<std::string> names = {"a24.bmp", "b8.bmp", "c.png", "d.jpg", "e.gif"};
    ASSERT_EQ(names.size(), records.size());
    char key[256];
    for (const std::string& name : names) {
        ASSERT_TRUE(MakeThumbnailKey(pictures.Path().c_str(), name.c_str(), false, key)) << name;
        auto found = records.find(key);
        ASSERT_NE(records.end(), found) << key;
        const std::vector<uint8_t>& bytes = found->second;
        ThumbnailRecordView view;
        ASSERT_TRUE(ParseThumbnailRecord(bytes.data(), bytes.size(), LastWrite(pictures.File(name)),
                                         98, 98, &view))
            << name;
        EXPECT_EQ(0, bytes[0]);
        const uint8_t bpp = view.header.bitsPerPixel;
        EXPECT_EQ(bpp == 1 || bpp == 8, view.palette != nullptr) << name;
        EXPECT_EQ(size_t(view.stride) * view.header.height, view.pixelBytes);
        std::vector<uint8_t> pixels(view.pixelBytes);
        EXPECT_TRUE(InflateThumbnailPixels(view, pixels.data(), pixels.size())) << name;
    }
    // The 160 x 120 pictures fit the 98 x 98 box keeping their shape.
    ASSERT_TRUE(MakeThumbnailKey(pictures.Path().c_str(), "c.png", false, key));
    ThumbnailRecordView png;
    const std::vector<uint8_t>& bytes = records.at(key);
    ASSERT_TRUE(ParseThumbnailRecord(bytes.data(), bytes.size(), LastWrite(pictures.File("c.png")),
                                     98, 98, &png));
    EXPECT_EQ(98, png.header.width);
    EXPECT_NEAR(73.5, png.header.height, 0.5);
    EXPECT_EQ(24, png.header.bitsPerPixel);
}

TEST_F(ThumbnailList, ASecondShowingReadsTheRecordsAndATouchedFileAloneIsDecodedAgain) {
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(6, List().DecodeCount());

    long before = List().DecodeCount();
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(1, List().DecodeCount() - before) << "only the metafile, which is never cached";

    Touch(pictures.File("c.png"), 2011);
    char key[256];
    ASSERT_TRUE(MakeThumbnailKey(pictures.Path().c_str(), "c.png", false, key));
    before = List().DecodeCount();
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(2, List().DecodeCount() - before) << "the metafile and the touched file";
    const std::vector<uint8_t> record = Records().at(key);
    ThumbnailRecordView view;
    EXPECT_TRUE(ParseThumbnailRecord(record.data(), record.size(),
                                     LastWrite(pictures.File("c.png")), 98, 98, &view))
        << "the record carries the new time";
}

TEST_F(ThumbnailList, ADamagedRecordIsDecodedAgainAndReplaced) {
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    char key[256];
    ASSERT_TRUE(MakeThumbnailKey(pictures.Path().c_str(), "b8.bmp", false, key));
    std::vector<uint8_t> hostile = Records().at(key);
    ASSERT_EQ(8, hostile[17]);
    hostile[18] = 0xE8; // 1000 palette entries claimed
    hostile[19] = 0x03;
    {
        CProgramDatabases& dbs = g_applicationState.Databases();
        plat::ScopedLock lock(dbs.ThumbnailLock());
        ASSERT_TRUE(dbs.thumbnail->PutString(
            key, DbBuffer::In(hostile.data(), static_cast<uint32_t>(hostile.size()))));
    }
    const long before = List().DecodeCount();
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(2, List().DecodeCount() - before) << "the metafile and the damaged record's file";
    EXPECT_TRUE(List().IsItemDone(1));
    const std::vector<uint8_t> mended = Records().at(key);
    ThumbnailRecordView view;
    EXPECT_TRUE(ParseThumbnailRecord(mended.data(), mended.size(),
                                     LastWrite(pictures.File("b8.bmp")), 98, 98, &view));
}

TEST_F(ThumbnailList, TheLockFileExistsWhileTheWorkerWorksAlsoWithCachingOff) {
    for (bool cache : {true, false}) {
        g_applicationState.Options().explorerThumbnailCache = cache;
        const size_t recordsBefore = Records().size();
        // A picture that another program holds open keeps the worker busy for
        // the 500 ms of its second try.
        HANDLE held = CreateFileA(pictures.File("d.jpg").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        Touch(pictures.File("a24.bmp"), cache ? 2012 : 2013); // something to do either way
        ASSERT_TRUE(Show());
        EXPECT_TRUE(PollUntil([&] { return Exists(Lock()); }, 5000)) << cache;
        ASSERT_TRUE(WaitIdle());
        CloseHandle(held);
        EXPECT_FALSE(Exists(Lock())) << cache;
        EXPECT_TRUE(List().IsItemDone(3)) << "a picture that cannot be read keeps the blank tile";
        if (!cache) {
            EXPECT_EQ(recordsBefore, Records().size()) << "nothing is written with caching off";
        }
    }
}

TEST_F(ThumbnailList, ALockFileLeftBehindMakesTheNextStartRecreateTheDatabase) {
    LoadShFolder();
    CProgramDatabases& dbs = g_applicationState.Databases();
    dbs.CloseThumbnailDatabase();
    ASSERT_TRUE(dbs.OpenThumbnailDatabase(true)); // the user's, emptied
    const std::string lock = dbs.lockPath;
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(5u, Records().size());
    EXPECT_FALSE(Exists(lock));

    host.DestroyWindow();
    dbs.CloseThumbnailDatabase();
    HANDLE file = CreateFileA(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    ASSERT_TRUE(dbs.OpenThumbnailDatabase(false));
    EXPECT_EQ(0u, Records().size()) << "the database was recreated";
    dbs.CloseThumbnailDatabase();
    DeleteFileA(dbs.thumbnailPath.c_str());
    DeleteFileA(lock.c_str());
}

TEST_F(ThumbnailList, ListModeShowsIconsAtOnceAndTheWorkerStaysIdle) {
    ASSERT_TRUE(Show(kListViewList));
    EXPECT_EQ(6, List().ItemCount());
    EXPECT_EQ(0, WaitForSingleObject(List().IdleEvent(), 0));
    EXPECT_EQ(0, List().DecodeCount());
    EXPECT_EQ(LVS_REPORT, GetWindowLongPtrA(List(), GWL_STYLE) & LVS_TYPEMASK);
    MSG msg;
    for (int i = 0; i < 20; ++i)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    EXPECT_EQ(0, List().DecodeCount());
    EXPECT_EQ(0u, Records().size());
    // Back to thumbnails: populated again and made.
    List().SetViewMode(kListViewThumbnails);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(6, List().DecodeCount());
}

TEST_F(ThumbnailList, TheFilmstripIsOneRowEvenInATallWindow) {
    ASSERT_TRUE(Show(kListViewFilmstrip));
    ASSERT_TRUE(WaitIdle());
    if (List().PlacesFilmstripByHand())
        std::printf("the list view has no work areas: the row is laid out by hand\n");
    POINT first{}, at{};
    ListView_GetItemPosition(List(), 0, &first);
    for (int i = 1; i < List().ItemCount(); ++i) {
        ListView_GetItemPosition(List(), i, &at);
        EXPECT_EQ(first.y, at.y) << i;
        EXPECT_GT(at.x, first.x) << i;
    }
}

TEST_F(ThumbnailList, InsertionsAndDeletionsWhileTheWorkerRunsKeepEveryTileOnItsItem) {
    for (int i = 0; i < 24; ++i) {
        char name[32];
        wsprintfA(name, "g%02d.bmp", i);
        CopyFileA(pictures.File("a24.bmp").c_str(), pictures.File(name).c_str(), FALSE);
    }
    ASSERT_TRUE(Show());
    CFileItemList* source = List().ItemSource();
    ASSERT_EQ(30, List().ItemCount());
    // The source changes first, then the list, as the explorer does it.
    for (int round = 0; round < 6; ++round) {
        const std::string name = "h" + std::to_string(round) + ".bmp";
        CopyFileA(pictures.File("b8.bmp").c_str(), pictures.File(name).c_str(), FALSE);
        source->Lock();
        source->InsertItemCopy(name.c_str(), 2);
        source->Unlock();
        List().InsertItem(2);
        source->Lock();
        source->RemoveItem(5);
        source->Unlock();
        List().DeleteItem(5);
    }
    ASSERT_EQ(30, List().ItemCount());
    ASSERT_TRUE(WaitIdle());
    for (int i = 0; i < List().ItemCount(); ++i)
        EXPECT_TRUE(List().IsItemDone(i)) << i;
    // Each item shows its own tile.
    std::vector<int> images;
    for (int i = 0; i < List().ItemCount(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        ListView_GetItem(List(), &item);
        images.push_back(item.iImage);
        EXPECT_GT(item.iImage, 0) << i;
    }
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images.end(), std::adjacent_find(images.begin(), images.end()));
}

TEST_F(ThumbnailList, ShiftClickSelectsTheRangeFromTheAnchorAcrossRows) {
    ASSERT_TRUE(Show());
    ASSERT_TRUE(WaitIdle());
    List().SelectItem(4, true);
    RECT icon{};
    icon.left = LVIR_ICON;
    SendMessageA(List(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&icon));
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                 MAKELPARAM((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2));
    std::vector<int> selected;
    List().GetSelectedIndices(&selected);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), selected);
    EXPECT_EQ(1, List().GetFocusedItem());
    // A second Shift+click keeps the anchor at 4.
    icon = RECT{LVIR_ICON, 0, 0, 0};
    SendMessageA(List(), LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&icon));
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                 MAKELPARAM((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2));
    selected.clear();
    List().GetSelectedIndices(&selected);
    EXPECT_EQ((std::vector<int>{4, 5}), selected);
}

} // namespace
