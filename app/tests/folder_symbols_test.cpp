#include "app/folder_symbols.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalog/index_database.h"

namespace {

std::string ScratchFile(const char* name) {
    const std::filesystem::path dir = std::filesystem::path(VXP_TEST_DATA_DIR) / "app-data" / name;
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    std::filesystem::create_directories(dir, error);
    return (dir / "symbols.tdb").string();
}

bool PutPath(CBTreeIndex* index, int32_t id, const std::string& path) {
    return index->PutInt(id, DbBuffer::In(path.data(), static_cast<uint32_t>(path.size())));
}

using Entries = std::vector<std::pair<int32_t, std::string>>;

Entries AsPairs(const std::vector<CFolderSymbol>& list) {
    Entries pairs;
    for (const CFolderSymbol& entry : list)
        pairs.emplace_back(entry.id, entry.path);
    return pairs;
}

// "FolderSymbol" keeps its values inline from schema 2 and out of line in
// older files; both read the same.
TEST(FolderSymbols, ReadsWhatWasStoredInKeyOrder) {
    const std::string file = ScratchFile("read");
    struct Case {
        const char* index;
        bool valuesOut;
        size_t longest; // inline items are at most 255 bytes
    };
    for (const Case& c :
         {Case{"Inline", false, 255}, Case{"OutOfLine", true, kMaxFolderSymbolPath}}) {
        const std::string longest(c.longest, 'p');
        {
            CIndexDatabase db;
            ASSERT_TRUE(db.Open(file.c_str(), kDbOpenOrCreate));
            CBTreeIndex* index = db.OpenIndex(c.index, 4, false, 0, c.valuesOut, true);
            ASSERT_NE(nullptr, index);
            ASSERT_TRUE(index->SetKeyType(2));
            std::vector<CFolderSymbol> list = {{5, "stale"}};
            EXPECT_TRUE(LoadFolderSymbols(index, &list)) << c.index;
            EXPECT_TRUE(list.empty()) << c.index;

            ASSERT_TRUE(PutPath(index, 2, "C:\\Pictures\\b"));
            ASSERT_TRUE(PutPath(index, 0, "C:\\Pictures"));
            ASSERT_TRUE(PutPath(index, 10, longest));
            ASSERT_TRUE(PutPath(index, 1, "D:\\Photos\\Caf\xE9"));
            db.ReleaseIndex(index);
            ASSERT_TRUE(db.Close());
        }
        CIndexDatabase db;
        ASSERT_TRUE(db.Open(file.c_str(), kDbOpenExisting));
        CBTreeIndex* index = db.OpenIndex(c.index, 4, false, 0, c.valuesOut, false);
        ASSERT_NE(nullptr, index);
        ASSERT_TRUE(index->SetKeyType(2));
        std::vector<CFolderSymbol> list;
        EXPECT_TRUE(LoadFolderSymbols(index, &list)) << c.index;
        const Entries expected = {
            {0, "C:\\Pictures"}, {1, "D:\\Photos\\Caf\xE9"}, {2, "C:\\Pictures\\b"}, {10, longest}};
        EXPECT_EQ(expected, AsPairs(list)) << c.index;
        db.ReleaseIndex(index);
    }
}

TEST(FolderSymbols, SkipsDamagedEntriesAndSaysSo) {
    const std::string file = ScratchFile("damaged");
    CIndexDatabase db;
    ASSERT_TRUE(db.Open(file.c_str(), kDbCreate));
    CBTreeIndex* index = db.OpenIndex("FolderSymbol", 4, false, 0, true, true);
    ASSERT_NE(nullptr, index);
    ASSERT_TRUE(index->SetKeyType(2));
    ASSERT_TRUE(PutPath(index, 0, "C:\\good"));
    ASSERT_TRUE(PutPath(index, 1, std::string(kMaxFolderSymbolPath + 1, 'x'))); // too long
    ASSERT_TRUE(PutPath(index, 2, ""));                                         // empty
    ASSERT_TRUE(PutPath(index, 3, std::string("C:\\a\0b", 6)));                 // cut by a zero
    ASSERT_TRUE(PutPath(index, 4, "C:\\also good"));

    std::vector<CFolderSymbol> list;
    EXPECT_FALSE(LoadFolderSymbols(index, &list));
    EXPECT_EQ((Entries{{0, "C:\\good"}, {4, "C:\\also good"}}), AsPairs(list));

    EXPECT_FALSE(LoadFolderSymbols(nullptr, &list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(LoadFolderSymbols(index, nullptr));
    db.ReleaseIndex(index);
}

} // namespace
