#include "imaging/win32_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/byte_stream.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class FileTest : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("vxp_core_") + info->name() + "_" +
                                               std::to_string(plat::MonotonicMs()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        plat::SetOpenFileErrorHook(nullptr, 0);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string PathOf(const char* name) const { return (folder_ / name).string(); }
    std::string MakeFile(const char* name, const std::string& content) const {
        std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path folder_;
};

// Milliseconds an open takes, with its result.
struct TimedOpen {
    bool ok;
    uint64_t ms;
    uint32_t error;
};
TimedOpen OpenTimed(CWin32File& file, const std::string& path, uint32_t flags) {
    uint64_t start = plat::MonotonicMs();
    bool ok = file.Open(path.c_str(), flags);
    uint32_t error = plat::LastError();
    return {ok, plat::MonotonicMs() - start, error};
}

TEST_F(FileTest, OpenFlagsAndDispositions) {
    struct Case {
        const char* name;
        bool exists;
        uint32_t flags;
        bool ok;
        const char* contentAfter; // null: file absent afterwards
        uint32_t error;
    } cases[] = {
        {"keep", true, 0x10, true, "hello", 0},
        {"create_always", true, 0x40, true, "", 0},
        {"truncate_existing", true, 0x50, true, "", 0},
        {"truncate_missing", false, 0x50, false, nullptr, 2},
        {"create_new_existing", true, 0x30, false, "hello", 80},
        {"create_new_missing", false, 0x30, true, "", 0},
        {"open_or_create_missing", false, 0x10, true, "", 0},
        {"write_only_keeps", true, 0x12, true, "hello", 0},
        {"read_existing", true, 0x1, true, "hello", 0},
        {"read_missing", false, 0x1, false, nullptr, 2},
        {"new_without_open_flag", false, 0x20, false, nullptr, 2}, // 0x20 alone has no effect
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.exists ? MakeFile(c.name, "hello") : PathOf(c.name);
        CWin32File file;
        TimedOpen result = OpenTimed(file, path, c.flags);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(file.IsOpen(), c.ok);
        if (!c.ok) {
            EXPECT_EQ(result.error, c.error);
            EXPECT_LT(result.ms, 100u); // these errors fail without retrying
        }
        file.Close();
        if (c.contentAfter)
            EXPECT_EQ(Contents(path), c.contentAfter);
        else
            EXPECT_FALSE(fs::exists(path));
    }
}

TEST_F(FileTest, MissingFolderFailsAtOnce) {
    CWin32File file;
    TimedOpen result = OpenTimed(file, PathOf("no_such_folder/child.bin"), 0x10);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, plat::kErrorPathNotFound);
    EXPECT_LT(result.ms, 100u);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open(nullptr, 0x1));
    EXPECT_FALSE(file.Open("", 0x1));
}

TEST_F(FileTest, ReadWriteSeekAndSetEnd) {
    CWin32File file(PathOf("data.bin").c_str(), 0x40);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("0123456789", 10), 10);
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(file.Seek(2, 0), 2);
    char got[4] = {0};
    EXPECT_EQ(file.Read(got, 3), 3);
    EXPECT_EQ(std::string(got, 3), "234");
    EXPECT_EQ(file.Seek(-1, 2), 9);
    EXPECT_EQ(file.Seek(-4, 1), 5);
    EXPECT_EQ(file.Seek(-1, 0), -1); // before the start
    EXPECT_EQ(file.Seek(0, 2), 10);
    EXPECT_EQ(file.Read(got, 4), 0); // at the end: nothing, no failure
    EXPECT_TRUE(file.SetEnd(4));
    EXPECT_EQ(file.GetSize(), 4);
    EXPECT_TRUE(file.SetEnd(6)); // extends
    EXPECT_EQ(file.GetSize(), 6);
    EXPECT_TRUE(file.Flush());
    EXPECT_NE(file.GetLastWriteTime(), 0u);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(file.Read(got, 1), -1);
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_FALSE(file.Flush());
    EXPECT_EQ(file.GetLastWriteTime(), 0u);
    EXPECT_EQ(Contents(PathOf("data.bin")), std::string("0123\0\0", 6));
}

TEST_F(FileTest, AccessFollowsTheFlags) {
    std::string path = MakeFile("access.bin", "abc");
    CWin32File reader;
    ASSERT_TRUE(reader.Open(path.c_str(), 0x1));
    EXPECT_EQ(reader.Write("x", 1), -1);
    CWin32File secondReader; // readers share the file
    EXPECT_TRUE(secondReader.Open(path.c_str(), 0x1));
    secondReader.Close();
    reader.Close();
    CWin32File writer;
    ASSERT_TRUE(writer.Open(path.c_str(), 0x12));
    char c;
    EXPECT_EQ(writer.Read(&c, 1), -1);
    EXPECT_EQ(writer.Write("X", 1), 1);
    writer.Close();
    EXPECT_EQ(Contents(path), "Xbc");
}

// Simulates a file held by someone else for the first `busy` attempts.
struct BusyFile {
    std::atomic<int> attempts{0};
    int busy = 0;
    uint32_t error = plat::kErrorSharingViolation;
    static uint32_t Hook(const char* path, uintptr_t context) {
        BusyFile* self = reinterpret_cast<BusyFile*>(context);
        int attempt = ++self->attempts;
        return attempt <= self->busy ? self->error : 0;
    }
};

TEST_F(FileTest, OpenRetriesABusyFile) {
    std::string path = MakeFile("busy.bin", "x");
    struct Case {
        int busy;
        uint32_t error;
        bool ok;
        int attempts;
        uint64_t minMs, maxMs;
    } cases[] = {
        {2, plat::kErrorSharingViolation, true, 3, 900, 1400},   // opens on the third attempt
        {3, plat::kErrorSharingViolation, false, 3, 1400, 2000}, // waits after the third too
        {3, plat::kErrorAccessDenied, false, 3, 1400, 2000},
        {1, plat::kErrorFileNotFound, false, 1, 0, 100},
        {1, plat::kErrorPathNotFound, false, 1, 0, 100},
        {1, plat::kErrorInvalidDrive, false, 1, 0, 100},
        {1, plat::kErrorFileExists, false, 1, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "busy " << c.busy << " error " << c.error);
        BusyFile busy;
        busy.busy = c.busy;
        busy.error = c.error;
        plat::SetOpenFileErrorHook(&BusyFile::Hook, reinterpret_cast<uintptr_t>(&busy));
        CWin32File file;
        TimedOpen result = OpenTimed(file, path, 0x1);
        plat::SetOpenFileErrorHook(nullptr, 0);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(busy.attempts.load(), c.attempts);
        EXPECT_GE(result.ms, c.minMs);
        EXPECT_LE(result.ms, c.maxMs);
        if (!c.ok) {
            EXPECT_EQ(result.error, c.error);
        }
    }
}

#ifdef _WIN32
TEST_F(FileTest, FileHeldWithoutSharingFailsAfterThreeAttempts) {
    std::string path = MakeFile("held.bin", "x");
    plat::FileHandle holder = plat::OpenFile(path.c_str(), plat::kAccessRead | plat::kAccessWrite,
                                             plat::kShareNone, plat::kOpenExisting);
    ASSERT_NE(holder, plat::kInvalidFile);
    CWin32File file;
    TimedOpen result = OpenTimed(file, path, 0x1);
    plat::CloseFile(holder);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, plat::kErrorSharingViolation);
    EXPECT_GE(result.ms, 1000u);
    EXPECT_LE(result.ms, 1600u);
    EXPECT_TRUE(file.Open(path.c_str(), 0x1)); // free again
}
#endif

TEST_F(FileTest, MappedFileReadOnly) {
    std::string path = MakeFile("mapped.bin", "mapped bytes");
    CMappedFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0x1));
    ASSERT_NE(file.view, nullptr);
    EXPECT_EQ(file.viewSize, 12u);
    EXPECT_EQ(file.openFlags, 0x1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(file.view), 12), "mapped bytes");
    EXPECT_FALSE(plat::IsMemoryWritable(file.view));
    // Readers parse the view through a stream.
    CByteStream stream;
    stream.AttachReadOnly(file.view, static_cast<uint32_t>(file.viewSize));
    EXPECT_EQ(stream.ReadUInt8(), 'm');
    EXPECT_EQ(stream.Write("x", 1), 0u);

    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.view, nullptr);
    EXPECT_TRUE(file.IsOpen()); // the file handle stays until the destructor
    EXPECT_EQ(file.GetSize(), 12);
    EXPECT_TRUE(file.Close());
}

TEST_F(FileTest, MappedFileReadWrite) {
    std::string path = MakeFile("rw.bin", "abcdef");
    {
        CMappedFile file;
        ASSERT_TRUE(file.Open(path.c_str(), 0x0));
        EXPECT_TRUE(plat::IsMemoryWritable(file.view));
        file.view[0] = 'Z';
        EXPECT_TRUE(file.Flush());
    }
    EXPECT_EQ(Contents(path), "Zbcdef");
}

TEST_F(FileTest, MappedFileFailures) {
    std::string empty = MakeFile("empty.bin", "");
    CMappedFile file;
    EXPECT_FALSE(file.Open(empty.c_str(), 0x1));
    EXPECT_EQ(file.view, nullptr);
    EXPECT_EQ(file.mapping, plat::kInvalidMapping);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Flush());
    TimedOpen missing = OpenTimed(file, PathOf("missing.bin"), 0x1);
    EXPECT_FALSE(missing.ok);
    EXPECT_LT(missing.ms, 100u);

    // Reopening a mapped file drops the earlier view.
    std::string a = MakeFile("a.bin", "aaaa");
    std::string b = MakeFile("b.bin", "bb");
    ASSERT_TRUE(file.Open(a.c_str(), 0x1));
    ASSERT_TRUE(file.Open(b.c_str(), 0x1));
    EXPECT_EQ(file.viewSize, 2u);
    EXPECT_EQ(file.view[1], 'b');
}

} // namespace
