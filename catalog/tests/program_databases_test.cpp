// The program's two database files in a real folder: first start, tag and
// version checks, the thumbnail lock file, recreation of a damaged thumbnail
// cache, and deleting it with the program's messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/program_databases.h"
#include "db_test_util.h"
#include "imaging/byte_stream.h"

namespace {

struct Message {
    std::string text;
    std::string caption;
    uint32_t flags;
};

class FakeHost : public IProgramDbHost {
public:
    explicit FakeHost(std::string folder) : folder(std::move(folder)) {}
    std::string DataFolder() override { return folder; }
    int ShowMessage(const std::string& text, const char* caption, uint32_t flags) override {
        messages.push_back(Message{text, caption, flags});
        return answer;
    }
    bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) override {
        const char record[] = "\xff\xff\xff\xff"
                              "Favorites";
        return favorites->PutInt(0, DbBuffer::In(record, sizeof record - 1)) && db.Flush();
    }
    std::string folder;
    std::vector<Message> messages;
    int answer = kMsgAnswerYes;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

// A database file with the given tag text and version bytes and no index.
void MakeTagged(const std::string& path, const std::string& tag,
                const std::vector<uint8_t>& version) {
    CIndexDatabase db;
    ASSERT_TRUE(db.Open(path.c_str(), kDbCreate));
    CByteStream s;
    s.Write(tag.data(), static_cast<uint32_t>(tag.size()));
    if (!version.empty())
        s.Write(version.data(), static_cast<uint32_t>(version.size()));
    ASSERT_TRUE(db.WriteUserData(&s));
    ASSERT_TRUE(db.Close());
}

uint32_t TagVersion(const std::string& path) {
    CIndexDatabase db;
    CByteStream s;
    if (!db.Open(path.c_str(), kDbReadOnly) || !db.ReadUserData(&s) || s.size != 29)
        return 0xFFFFFFFFu;
    return LoadU32(s.buffer + 25);
}

struct ProgramDbFixture : ::testing::Test {
    std::string dir;
    std::string mainPath, thumbPath, lockPath;
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = ScratchFolder(info->name());
        ASSERT_FALSE(dir.empty());
        mainPath = JoinPath(dir, kMainDatabaseFile);
        thumbPath = JoinPath(dir, kThumbnailDatabaseFile);
        lockPath = JoinPath(dir, kThumbnailLockFile);
    }
};

TEST_F(ProgramDbFixture, FirstStartCreatesBothFilesTagged) {
    FakeHost host(dir);
    {
        CProgramDatabases dbs(host);
        ASSERT_EQ(dbs.OpenAtStartup(), 0);
        EXPECT_TRUE(host.messages.empty());
        ASSERT_TRUE(dbs.collections && dbs.favorites && dbs.folderSymbol && dbs.imageProperties &&
                    dbs.thumbnail);
        EXPECT_EQ(dbs.favorites->Spec().keyType, kKeyTypeSigned);
        EXPECT_EQ(dbs.folderSymbol->Spec().keyType, kKeyTypeSigned);
        EXPECT_FALSE(dbs.folderSymbol->Spec().ValuesOutOfLine()); // schema 2: inline
        EXPECT_TRUE(dbs.imageProperties->Spec().ValuesOutOfLine());
        EXPECT_TRUE(dbs.collections->Spec().KeysOnly());
        EXPECT_TRUE(dbs.favorites->ContainsInt(0));
        EXPECT_EQ(dbs.mainVersion, 2u);
        EXPECT_EQ(dbs.thumbnailVersion, 2u);
    }
    EXPECT_EQ(TagVersion(mainPath), 2u);
    EXPECT_EQ(TagVersion(thumbPath), 2u);
    EXPECT_EQ(ReadFile(mainPath).size(), 65536u);
    EXPECT_EQ(ReadFile(thumbPath).size(), 40960u);
    // The second start finds both and changes nothing it does not need to.
    CProgramDatabases again(host);
    EXPECT_EQ(again.OpenAtStartup(), 0);
    EXPECT_FALSE(again.Main().IsNewFile());
}

TEST_F(ProgramDbFixture, MainTagAndVersionChecks) {
    struct Case {
        const char* what;
        std::string tag;
        std::vector<uint8_t> version;
        bool accepted;
        uint32_t keptVersion;
    } cases[] = {
        {"other letter case", "velmorantix.velmorantixxp", {2, 0, 0, 0}, true, 2},
        {"version 1", "Velmorantix.VelmorantixXP", {1, 0, 0, 0}, true, 1},
        {"short version field", "Velmorantix.VelmorantixXP", {1}, true, 1},
        {"version 3", "Velmorantix.VelmorantixXP", {3, 0, 0, 0}, false, 0},
        {"foreign tag", "Someone.ElsesProgramFile", {2, 0, 0, 0}, false, 0},
        {"24 bytes", "Velmorantix.VelmorantixX", {}, false, 0},
    };
    for (const Case& c : cases) {
        std::remove(mainPath.c_str());
        MakeTagged(mainPath, c.tag, c.version);
        const std::vector<uint8_t> before = ReadFile(mainPath);
        FakeHost host(dir);
        CProgramDatabases dbs(host);
        EXPECT_EQ(dbs.OpenMainDatabase(mainPath), c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(dbs.mainVersion, c.keptVersion) << c.what;
            // A missing index of an old file is created with its old shape.
            ASSERT_NE(dbs.folderSymbol, nullptr) << c.what;
            EXPECT_EQ(dbs.folderSymbol->Spec().ValuesOutOfLine(), c.keptVersion < 2) << c.what;
            dbs.CloseMainDatabase();
            CProgramDatabases again(host); // the tag was kept as it was
            ASSERT_TRUE(again.OpenMainDatabase(mainPath)) << c.what;
            EXPECT_EQ(again.mainVersion, c.keptVersion) << c.what;
        } else {
            EXPECT_EQ(ReadFile(mainPath), before) << c.what; // untouched
        }
    }
}

TEST_F(ProgramDbFixture, DamagedMainDatabaseStopsStartupAndIsKept) {
    FakeHost host(dir);
    {
        CProgramDatabases dbs(host);
        ASSERT_EQ(dbs.OpenAtStartup(), 0);
    }
    std::vector<uint8_t> bytes = ReadFile(mainPath);
    bytes.pop_back(); // a crash cut the file short
    WriteFile(mainPath, bytes);
    CProgramDatabases dbs(host);
    EXPECT_EQ(dbs.OpenAtStartup(), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Load database failed!  Database file " + mainPath + " maybe corrupted\n");
    EXPECT_EQ(host.messages[0].caption, "Failed!");
    EXPECT_EQ(host.messages[0].flags, static_cast<uint32_t>(kMsgIconError));
    EXPECT_EQ(ReadFile(mainPath), bytes); // never truncated or recreated
}

TEST_F(ProgramDbFixture, ThumbnailCacheIsRecreatedWhenDamagedOrLocked) {
    FakeHost host(dir);
    {
        CProgramDatabases dbs(host);
        ASSERT_EQ(dbs.OpenAtStartup(), 0);
        ASSERT_TRUE(dbs.thumbnail->Put(Text("#1#a.jpg"), Text("pixels")));
    }
    // Cut short: replaced by an empty cache, start-up continues.
    std::vector<uint8_t> bytes = ReadFile(thumbPath);
    bytes.resize(bytes.size() - 100);
    WriteFile(thumbPath, bytes);
    {
        CProgramDatabases dbs(host);
        ASSERT_EQ(dbs.OpenAtStartup(), 0);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(dbs.thumbnail->Spec().count, 0u);
        ASSERT_TRUE(dbs.thumbnail->Put(Text("#1#a.jpg"), Text("pixels")));
        // The worker marks its batch, and the lock file is left as by a crash.
        ASSERT_TRUE(dbs.CreateThumbnailLockFile());
        EXPECT_TRUE(Exists(lockPath));
    }
    {
        CProgramDatabases dbs(host);
        ASSERT_EQ(dbs.OpenAtStartup(), 0);
        EXPECT_EQ(dbs.thumbnail->Spec().count, 0u); // recreated empty
        EXPECT_TRUE(Exists(lockPath));              // until the next good flush
        EXPECT_TRUE(dbs.RemoveThumbnailLockFile());
        EXPECT_FALSE(Exists(lockPath));
    }
    // A readable file with a newer tag is not replaced: start-up fails.
    std::remove(thumbPath.c_str());
    MakeTagged(thumbPath, "Velmorantix.VelmorantixXP", {3, 0, 0, 0});
    const std::vector<uint8_t> newer = ReadFile(thumbPath);
    CProgramDatabases dbs(host);
    EXPECT_EQ(dbs.OpenAtStartup(), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Load thumbnail database failed!  Database file " + thumbPath + " maybe corrupted\n");
    EXPECT_EQ(ReadFile(thumbPath), newer);
}

TEST_F(ProgramDbFixture, LockFileStaysWhenTheFlushFails) {
    FakeHost host(dir);
    CProgramDatabases dbs(host);
    ASSERT_TRUE(dbs.OpenMainDatabase(mainPath));
    auto disk = std::make_shared<CMemoryDisk>(), journal = std::make_shared<CMemoryDisk>();
    bool failWrites = false;
    dbs.Thumbnails().SetFileFactory([&](const std::string& path) {
        const bool isJournal = path.size() > 4 && path.compare(path.size() - 4, 4, ".jnl") == 0;
        auto f = std::unique_ptr<CMemoryFile>(new CMemoryFile(isJournal ? journal : disk));
        f->SetFaultHook([&](CMemoryFile::EOp op, uint64_t, uint32_t n) -> int64_t {
            return op == CMemoryFile::kOpWrite && failWrites ? -1 : static_cast<int64_t>(n);
        });
        return std::unique_ptr<CWin32File>(f.release());
    });
    ASSERT_TRUE(dbs.OpenThumbnailDatabase(false));
    ASSERT_TRUE(dbs.CreateThumbnailLockFile());
    ASSERT_TRUE(dbs.thumbnail->Put(Text("#2#b.jpg"), Text(std::string(5000, 'p'))));
    failWrites = true;
    EXPECT_FALSE(dbs.FlushThumbnailDatabase());
    EXPECT_FALSE(dbs.RemoveThumbnailLockFile());
    EXPECT_TRUE(Exists(lockPath));
    failWrites = false;
    EXPECT_TRUE(dbs.RemoveThumbnailLockFile());
    EXPECT_FALSE(Exists(lockPath));
}

TEST_F(ProgramDbFixture, DeletingTheThumbnailDatabase) {
    FakeHost host(dir);
    DeleteThumbnailDatabase(host, true);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Thumbnail database does not exists.");
    EXPECT_EQ(host.messages[0].caption, "Velmorantix XP");
    EXPECT_EQ(host.messages[0].flags, static_cast<uint32_t>(kMsgIconWarning));

    MakeTagged(thumbPath, "Velmorantix.VelmorantixXP", {2, 0, 0, 0});
    host.messages.clear();
    host.answer = kMsgAnswerNo;
    DeleteThumbnailDatabase(host, true);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Are you sure you want to delete the thumbnail database at '" + thumbPath +
                  "'?\n\nPlease make sure Velmorantix XP and the tray icon is not running before "
                  "clicking 'Yes'.");
    EXPECT_EQ(host.messages[0].flags, static_cast<uint32_t>(kMsgYesNo | kMsgIconWarning));
    EXPECT_TRUE(Exists(thumbPath));

    host.messages.clear();
    host.answer = kMsgAnswerYes;
    DeleteThumbnailDatabase(host, true);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, "Thumbnail database has been deleted.");
    EXPECT_EQ(host.messages[1].flags, static_cast<uint32_t>(kMsgOk));
    EXPECT_FALSE(Exists(thumbPath));

    MakeTagged(thumbPath, "Velmorantix.VelmorantixXP", {2, 0, 0, 0});
    host.messages.clear();
    DeleteThumbnailDatabase(host, false);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(Exists(thumbPath));
}

} // namespace
