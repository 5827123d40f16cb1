#include "app/collection_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalog/index_database.h"
#include "catalog/program_databases.h"
#include "imaging/byte_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Serialise(const CCollectionRecord& record) {
    CByteStream stream;
    EXPECT_TRUE(record.Save(&stream));
    return Bytes(stream.buffer, stream.buffer + stream.size);
}

bool LoadFrom(CCollectionRecord* record, const Bytes& bytes) {
    CByteStream stream;
    stream.AttachReadOnly(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return record->Load(&stream);
}

void Append32(Bytes* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// {parent 0, name "A", text "", children [3], paths ["C:\x.jpg"]}
const Bytes kSmallRecord = {0, 0, 0, 0,   1,   0,    0,   0,   'A', 0,   0,  0, 0,
                            1, 0, 0, 0,   3,   0,    0,   0,   1,   0,   0,  0, 8,
                            0, 0, 0, 'C', ':', '\\', 'x', '.', 'j', 'p', 'g'};

TEST(CollectionRecord, SerialisesToTheStoredLayout) {
    CCollectionRecord record(7);
    record.parentKey = 0;
    record.name = "A";
    record.childKeys = {3};
    ASSERT_TRUE(record.AddPath("C:\\x.jpg"));
    EXPECT_EQ(kSmallRecord, Serialise(record));

    CCollectionRecord loaded(7);
    ASSERT_TRUE(LoadFrom(&loaded, kSmallRecord));
    EXPECT_EQ(7, loaded.key); // the key is not part of the value
    EXPECT_EQ(0, loaded.parentKey);
    EXPECT_EQ("A", loaded.name);
    EXPECT_EQ("", loaded.text);
    EXPECT_EQ(std::vector<int32_t>{3}, loaded.childKeys);
    ASSERT_EQ(1, loaded.paths.GetCount());
    EXPECT_STREQ("C:\\x.jpg", loaded.paths.GetAt(0));
    EXPECT_FALSE(loaded.dirty);
    EXPECT_EQ(kSmallRecord, Serialise(loaded));
}

TEST(CollectionRecord, RefusesDamagedValuesAndClears) {
    std::vector<std::pair<std::string, Bytes>> cases;
    // Every value cut short of its end.
    for (size_t cut = 0; cut < kSmallRecord.size(); ++cut)
        cases.emplace_back("cut at " + std::to_string(cut),
                           Bytes(kSmallRecord.begin(), kSmallRecord.begin() + cut));
    Bytes hugeName = {0, 0, 0, 0};
    Append32(&hugeName, 0xFFFFFFF0u);
    cases.emplace_back("name length past the end", hugeName);
    Bytes hugeChildren = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
    Append32(&hugeChildren, 0x40000000u);
    cases.emplace_back("child count past the end", hugeChildren);
    Bytes hugePaths = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Append32(&hugePaths, 0xFFFFFFFFu);
    cases.emplace_back("path count past the end", hugePaths);
    Bytes zeroInPath = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    Append32(&zeroInPath, 3);
    zeroInPath.insert(zeroInPath.end(), {'a', 0, 'b'});
    cases.emplace_back("path with an embedded zero", zeroInPath);

    for (const auto& c : cases) {
        CCollectionRecord record(5);
        record.name = "old";
        record.childKeys = {1};
        ASSERT_TRUE(record.AddPath("C:\\old.jpg"));
        EXPECT_FALSE(LoadFrom(&record, c.second)) << c.first;
        EXPECT_EQ(5, record.key) << c.first;
        EXPECT_EQ(-1, record.parentKey) << c.first;
        EXPECT_TRUE(record.name.empty()) << c.first;
        EXPECT_TRUE(record.childKeys.empty()) << c.first;
        EXPECT_EQ(0, record.paths.GetCount()) << c.first;
        EXPECT_FALSE(record.dirty) << c.first;
    }
}

TEST(CollectionRecord, PathsAreKeptOnceWithoutRegardToCase) {
    CCollectionRecord record;
    EXPECT_TRUE(record.AddPath("C:\\Pictures\\One.jpg"));
    EXPECT_TRUE(record.dirty);
    EXPECT_FALSE(record.AddPath("c:\\pictures\\ONE.JPG"));
    EXPECT_FALSE(record.AddPath(nullptr));
    EXPECT_TRUE(record.AddPath("C:\\Pictures\\Two.jpg"));
    EXPECT_EQ(2, record.paths.GetCount());
    EXPECT_EQ(1, record.FindPath("C:\\PICTURES\\two.jpg"));
    EXPECT_EQ(-1, record.FindPath("C:\\Pictures\\Three.jpg"));

    EXPECT_TRUE(record.RemovePath("c:\\pictures\\one.JPG"));
    EXPECT_FALSE(record.RemovePath("c:\\pictures\\one.JPG"));
    EXPECT_FALSE(record.RemovePathAt(1));
    EXPECT_TRUE(record.RemovePathAt(0));
    EXPECT_EQ(0, record.paths.GetCount());

    record.name = "x";
    record.text = "y";
    record.childKeys = {4, 5};
    record.key = 9;
    record.Clear();
    EXPECT_EQ(9, record.key);
    EXPECT_EQ(-1, record.parentKey);
    EXPECT_TRUE(record.name.empty() && record.text.empty() && record.childKeys.empty());
    EXPECT_FALSE(record.dirty);
}

// The start-up path: the main database store the root through this host.
class RootHost : public IProgramDbHost {
public:
    explicit RootHost(std::string folder) : m_folder(std::move(folder)) {}
    std::string DataFolder() override { return m_folder; }
    int ShowMessage(const std::string&, const char*, uint32_t) override { return kMsgAnswerOk; }
    bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) override {
        return ::StoreFavoritesRoot(db, favorites);
    }

private:
    std::string m_folder;
};

std::string ScratchFolder(const char* name) {
    const std::filesystem::path dir = std::filesystem::path(VXP_TEST_DATA_DIR) / "app-data" / name;
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    std::filesystem::create_directories(dir, error);
    return dir.string();
}

Bytes StoredRecord(CBTreeIndex* favorites, int32_t id) {
    DbBuffer value;
    value.capacity = kDbAllocate;
    if (!favorites->GetInt(id, &value))
        return Bytes();
    Bytes bytes(value.data, value.data + value.length);
    DbBufferFree(value);
    return bytes;
}

TEST(CollectionRecord, NewCatalogueHoldsTheFavoritesRoot) {
    const std::string folder = ScratchFolder("favorites-root");
    const std::string path = JoinPath(folder, kMainDatabaseFile);
    // parent -1, "Favorites", empty text, no children, no paths
    Bytes root = {0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0, 0};
    for (char c : std::string("Favorites"))
        root.push_back(static_cast<uint8_t>(c));
    root.insert(root.end(), 12, 0);

    RootHost host(folder);
    {
        CProgramDatabases dbs(host);
        ASSERT_TRUE(dbs.OpenMainDatabase(path));
        EXPECT_EQ(root, StoredRecord(dbs.favorites, 0));

        // Further folders take the largest id + 1; a stored record is replaced.
        CCollectionRecord child;
        child.parentKey = 0;
        child.name = "Holidays";
        ASSERT_TRUE(child.StoreFavorites(dbs.Main(), dbs.favorites));
        EXPECT_EQ(1, child.key);
        ASSERT_TRUE(child.AddPath("C:\\a.jpg"));
        ASSERT_TRUE(child.StoreFavorites(dbs.Main(), dbs.favorites));
        EXPECT_EQ(1, child.key);
        CCollectionRecord loaded(1);
        Bytes stored = StoredRecord(dbs.favorites, 1);
        ASSERT_TRUE(LoadFrom(&loaded, stored));
        EXPECT_EQ("Holidays", loaded.name);
        EXPECT_EQ(0, loaded.FindPath("C:\\A.JPG"));
        EXPECT_FALSE(dbs.favorites->ContainsInt(2));

        EXPECT_FALSE(child.StoreFavorites(dbs.Main(), nullptr));
    }
    // Flushed at once: a later start reads the same root without recreating it.
    CProgramDatabases again(host);
    ASSERT_TRUE(again.OpenMainDatabase(path));
    EXPECT_FALSE(again.Main().IsNewFile());
    EXPECT_EQ(root, StoredRecord(again.favorites, 0));
}

TEST(CollectionRecord, StoreRefusesAClosedDatabaseAndKeepsTheKey) {
    CIndexDatabase closed;
    CCollectionRecord record;
    EXPECT_FALSE(record.StoreFavorites(closed, nullptr));
    EXPECT_EQ(-1, record.key);
}

} // namespace
