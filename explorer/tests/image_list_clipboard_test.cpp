// The thumbnail list's cut, copy and drag under Wine: the selected items
// reach the OLE clipboard, or a drop target, as the blocks of their list's
// kind, byte for byte, with the preferred drop effect, and cut marks exactly
// the selected items.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/tests/temp_folder.h"
#include "explorer/tests/thumbnail_host.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) {
    Bytes bytes(s.begin(), s.end());
    bytes.push_back(0);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Padded(Bytes start, size_t size) {
    start.resize(size, 0);
    return start;
}

// The whole global block of a format on the OLE clipboard; empty when the
// clipboard lacks it.
Bytes ClipboardBlock(const char* name, CLIPFORMAT format = 0) {
    if (format == 0)
        format = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name));
    IDataObject* data = nullptr;
    Bytes bytes;
    if (FAILED(OleGetClipboard(&data)) || !data)
        return bytes;
    FORMATETC etc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&etc, &medium))) {
        const size_t size = GlobalSize(medium.hGlobal);
        if (const auto* p = static_cast<const uint8_t*>(GlobalLock(medium.hGlobal))) {
            bytes.assign(p, p + size);
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
    }
    data->Release();
    return bytes;
}

class ListClipboard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        CAppOptions& o = g_applicationState.Options();
        o.explorerThumbnailWidth = o.explorerThumbnailHeight = 100;
        o.explorerThumbnailCache = false;
        o.sortBy = kSortByName;
        o.sortOrder = kSortAscending;
        for (const char* name : {"a.bmp", "b.png", "c.jpg"})
            pictures.Write(name, 16);
        ASSERT_NE(nullptr, host.CreateHost(0, 0, 600, 400));
    }
    void TearDown() override {
        if (host.IsWindow())
            host.DestroyWindow();
        g_applicationState.ReleaseFileItemList(nullptr);
        OleSetClipboard(nullptr);
        OleUninitialize();
    }
    UINT State(int index) {
        return static_cast<UINT>(
            SendMessageA(host.list.m_hWnd, LVM_GETITEMSTATE, index, LVIS_CUT | LVIS_SELECTED));
    }
    void Key(char letter) {
        // Ctrl as the list reads it: the thread's key state.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageA(host.list.m_hWnd, WM_KEYDOWN, letter, 0);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }

    CTestFolder pictures{"vxp-list-clip"};
    thumbtest::CThumbnailHostFrame host;
};

TEST_F(ListClipboard, CopyAndCutOfAFolderOfferTheFilesInOrderAndTheirEffect) {
    ASSERT_TRUE(host.ShowFolder(pictures.Path().c_str(), kListViewThumbnails));
    ASSERT_EQ(3, host.list.ItemCount());
    const Bytes header = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    struct Case {
        const char* name;
        char key;
        std::vector<int> selected;
        Bytes files;
        Bytes effect;
        std::vector<bool> cut;
    } cases[] = {
        {"Ctrl+X cuts the first and last",
         'X',
         {2, 0},
         Padded(Join({header, Text(pictures.File("a.bmp")), Text(pictures.File("c.jpg")), {0}}),
                20 + 2 * 260),
         {2, 0, 0, 0},
         {true, false, true}},
        {"Ctrl+C copies one and clears every cut mark",
         'C',
         {1},
         Padded(Join({header, Text(pictures.File("b.png")), {0}}), 20 + 260),
         {1, 0, 0, 0},
         {false, false, false}},
    };
    for (const Case& c : cases) {
        host.list.ClearSelection();
        for (int index : c.selected)
            host.list.SelectItem(index, true);
        Key(c.key);
        EXPECT_EQ(c.files, ClipboardBlock(nullptr, CF_HDROP)) << c.name;
        EXPECT_EQ(c.effect, ClipboardBlock(CFSTR_PREFERREDDROPEFFECT)) << c.name;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.cut[i], (State(i) & LVIS_CUT) != 0) << c.name << " item " << i;
    }
}

TEST_F(ListClipboard, NothingSelectedLeavesTheClipboardAsItWas) {
    ASSERT_TRUE(host.ShowFolder(pictures.Path().c_str(), kListViewThumbnails));
    host.list.SelectItem(0, true);
    Key('C');
    const Bytes before = ClipboardBlock(nullptr, CF_HDROP);
    ASSERT_FALSE(before.empty());
    host.list.ClearSelection();
    EXPECT_TRUE(host.list.CopySelectionToClipboard(false));
    EXPECT_EQ(before, ClipboardBlock(nullptr, CF_HDROP));
    EXPECT_EQ(Bytes({1, 0, 0, 0}), ClipboardBlock(CFSTR_PREFERREDDROPEFFECT));
    EXPECT_EQ(0u, State(0) & LVIS_CUT);
}

TEST_F(ListClipboard, AnArchiveFolderOffersTheArchiveAndItsEntryPaths) {
    const std::string archive = pictures.File("pictures.zip");
    ASSERT_TRUE(CopyFileA(VXP_TEST_DATA_DIR "\\explorer\\pictures.zip", archive.c_str(), FALSE));
    CFileItemList* items =
        g_applicationState.GetFileItemList(kListArchive, (archive + "|trip\\").c_str());
    ASSERT_NE(nullptr, items);
    host.list.SetViewMode(kListViewList);
    host.list.SetItemSource(items);
    ASSERT_EQ(2, host.list.ItemCount());
    host.list.SelectAll();
    ASSERT_TRUE(host.list.CopySelectionToClipboard(true));
    EXPECT_EQ(Padded(Join({Text(archive), Text("trip\\a.jpg"), Text("trip\\b.png"), {0}}), 3 * 260),
              ClipboardBlock("ZipClipboardFormat"));
    EXPECT_TRUE(ClipboardBlock(nullptr, CF_HDROP).empty()) << "entries are no files on disk";
    EXPECT_EQ(Bytes({1, 0, 0, 0}), ClipboardBlock(CFSTR_PREFERREDDROPEFFECT));
}

TEST_F(ListClipboard, ADragStartedWithNoButtonHeldEndsAtOnceAndLeavesTheListAsItWas) {
    // Wine drops such a drag where the pointer is without offering it to a
    // target, so what reaches one is the copy blocks tested above; here the
    // drag's own loop must end and leave the selection and the cut marks.
    ASSERT_TRUE(host.ShowFolder(pictures.Path().c_str(), kListViewThumbnails));
    host.list.SelectItem(1, true);
    NMLISTVIEW begin{};
    begin.hdr.hwndFrom = host.list.m_hWnd;
    begin.hdr.idFrom = 10002;
    begin.hdr.code = LVN_BEGINDRAG;
    begin.iItem = 1;
    const DWORD started = GetTickCount();
    SendMessageA(host.list.m_hWnd, OCM__BASE + WM_NOTIFY, 10002, reinterpret_cast<LPARAM>(&begin));
    EXPECT_LT(GetTickCount() - started, 5000u);
    std::vector<int> selected;
    host.list.GetSelectedIndices(&selected);
    EXPECT_EQ(std::vector<int>({1}), selected);
    EXPECT_EQ(0u, State(1) & LVIS_CUT) << "a drag is no cut";
}

} // namespace
