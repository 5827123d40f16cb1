#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PlatformFiles : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("vxp_plat_") + info->name() + "_" +
                                               std::to_string(plat::MonotonicMs()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string PathOf(const char* name) const { return (folder_ / name).string(); }
    std::string MakeFile(const char* name, const std::string& content) const {
        std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    fs::path folder_;
};

TEST_F(PlatformFiles, OpenErrorsUseWin32Codes) {
    std::string existing = MakeFile("there.txt", "x");
    struct Case {
        std::string path;
        uint32_t disposition;
        uint32_t error;
    } cases[] = {
        {PathOf("missing.txt"), plat::kOpenExisting, plat::kErrorFileNotFound},
        {PathOf("no_dir/missing.txt"), plat::kOpenExisting, plat::kErrorPathNotFound},
        {PathOf("no_dir/new.txt"), plat::kCreateAlways, plat::kErrorPathNotFound},
        {existing, plat::kCreateNew, plat::kErrorFileExists},
        {folder_.string(), plat::kOpenExisting, plat::kErrorAccessDenied}, // a folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        plat::FileHandle file =
            plat::OpenFile(c.path.c_str(), plat::kAccessRead | plat::kAccessWrite, plat::kShareNone,
                           c.disposition);
        EXPECT_EQ(file, plat::kInvalidFile);
        EXPECT_EQ(plat::LastError(), c.error);
    }
}

TEST_F(PlatformFiles, ReadWriteAndTimes) {
    std::string path = PathOf("rw.bin");
    plat::FileHandle file = plat::OpenFile(path.c_str(), plat::kAccessRead | plat::kAccessWrite,
                                           plat::kShareRead, plat::kCreateAlways);
    ASSERT_NE(file, plat::kInvalidFile);
    uint32_t done = 0;
    ASSERT_TRUE(plat::WriteFileBytes(file, "abcdef", 6, &done));
    EXPECT_EQ(done, 6u);
    EXPECT_EQ(plat::FileSize(file), 6);
    EXPECT_EQ(plat::SeekFile(file, 1, plat::kSeekBegin), 1);
    char got[8] = {0};
    ASSERT_TRUE(plat::ReadFileBytes(file, got, 8, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_STREQ(got, "bcdef");
    EXPECT_EQ(plat::SeekFile(file, 3, plat::kSeekBegin), 3);
    EXPECT_TRUE(plat::SetFileEndHere(file));
    EXPECT_EQ(plat::FileSize(file), 3);
    plat::FileTimeValue written = 0;
    ASSERT_TRUE(plat::FileLastWriteTime(file, &written));
    // After 2001-01-01 (FILETIME 126227808000000000), before 2200.
    EXPECT_GT(written, 126227808000000000ull);
    EXPECT_LT(written, 189000000000000000ull);
    EXPECT_TRUE(plat::FlushFile(file));
    EXPECT_TRUE(plat::CloseFile(file));

    plat::PathInfo info;
    ASSERT_TRUE(plat::QueryPath(path.c_str(), &info));
    EXPECT_TRUE(info.exists);
    EXPECT_FALSE(info.isDirectory);
    EXPECT_EQ(info.size, 3u);
    EXPECT_EQ(info.lastWriteTime, written);
    ASSERT_TRUE(plat::QueryPath(folder_.string().c_str(), &info));
    EXPECT_TRUE(info.isDirectory);
    EXPECT_FALSE(plat::QueryPath(PathOf("nothing").c_str(), &info));
    EXPECT_FALSE(info.exists);
}

TEST_F(PlatformFiles, RemoveAndRename) {
    std::string a = MakeFile("a.txt", "A");
    std::string b = MakeFile("b.txt", "B");
    std::string c = PathOf("c.txt");

    EXPECT_FALSE(plat::RenameFile(a.c_str(), b.c_str(), false)); // target exists
    EXPECT_EQ(plat::LastError(), plat::kErrorAlreadyExists);
    EXPECT_TRUE(fs::exists(a));

    EXPECT_TRUE(plat::RenameFile(a.c_str(), b.c_str(), true)); // replaced in one step
    EXPECT_FALSE(fs::exists(a));
    {
        std::ifstream in(b); // closed before the next rename: Windows refuses open files
        std::string content;
        in >> content;
        EXPECT_EQ(content, "A");
    }

    EXPECT_TRUE(plat::RenameFile(b.c_str(), c.c_str(), false));
    EXPECT_TRUE(fs::exists(c));
    EXPECT_FALSE(plat::RenameFile(PathOf("gone").c_str(), c.c_str(), true));
    EXPECT_EQ(plat::LastError(), plat::kErrorFileNotFound);

    EXPECT_TRUE(plat::RemoveFile(c.c_str()));
    EXPECT_FALSE(fs::exists(c));
    EXPECT_FALSE(plat::RemoveFile(c.c_str()));
    EXPECT_EQ(plat::LastError(), plat::kErrorFileNotFound);
}

TEST_F(PlatformFiles, TemporaryNames) {
    char folder[plat::kMaxPath];
    uint32_t length = plat::TempFolderPath(folder, sizeof folder);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(strlen(folder), length);
    EXPECT_TRUE(folder[length - 1] == '/' || folder[length - 1] == '\\');
    char tiny[2];
    EXPECT_EQ(plat::TempFolderPath(tiny, sizeof tiny), 0u);

    std::string dir = folder_.string();
    char first[plat::kMaxPath], second[plat::kMaxPath];
    uint32_t n1 = plat::MakeTempFileName(dir.c_str(), "tvqxjpg", 0, first);
    uint32_t n2 = plat::MakeTempFileName(dir.c_str(), "tvqxjpg", 0, second);
    ASSERT_NE(n1, 0u);
    ASSERT_NE(n2, 0u);
    EXPECT_STRNE(first, second);
    EXPECT_TRUE(fs::exists(first)); // unique 0 creates the file
    EXPECT_TRUE(fs::exists(second));
    std::string name = fs::path(first).filename().string();
    EXPECT_EQ(name.substr(0, 3), "tvq"); // three characters of the prefix
    EXPECT_EQ(fs::path(first).parent_path(), folder_);

    char formed[plat::kMaxPath];
    EXPECT_EQ(plat::MakeTempFileName(dir.c_str(), "ZAR", 0x1234, formed), 0x1234u);
    EXPECT_FALSE(fs::exists(formed)); // a given number only forms the name
    EXPECT_NE(std::string(formed).find("ZAR1234"), std::string::npos);
}

TEST_F(PlatformFiles, MappingAnEmptyFileFails) {
    std::string path = MakeFile("empty.bin", "");
    plat::FileHandle file =
        plat::OpenFile(path.c_str(), plat::kAccessRead, plat::kShareRead, plat::kOpenExisting);
    ASSERT_NE(file, plat::kInvalidFile);
    EXPECT_EQ(plat::CreateFileMappingOf(file, true), plat::kInvalidMapping);
    EXPECT_EQ(plat::LastError(), plat::kErrorFileInvalid);
    plat::CloseFile(file);
}

TEST_F(PlatformFiles, ReadOnlyHandleCannotBeMappedForWriting) {
    std::string path = MakeFile("data.bin", "data");
    plat::FileHandle file =
        plat::OpenFile(path.c_str(), plat::kAccessRead, plat::kShareRead, plat::kOpenExisting);
    ASSERT_NE(file, plat::kInvalidFile);
    EXPECT_EQ(plat::CreateFileMappingOf(file, false), plat::kInvalidMapping);
    EXPECT_EQ(plat::LastError(), plat::kErrorAccessDenied);
    plat::MappingHandle mapping = plat::CreateFileMappingOf(file, true);
    ASSERT_NE(mapping, plat::kInvalidMapping);
    plat::CloseFile(file); // the mapping keeps the file
    void* view = plat::MapWholeView(mapping, true);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(memcmp(view, "data", 4), 0);
    EXPECT_FALSE(plat::IsMemoryWritable(view));
    EXPECT_TRUE(plat::UnmapWholeView(view, 4));
    EXPECT_TRUE(plat::CloseFileMapping(mapping));
}

TEST(PlatformSync, CriticalSectionIsRecursiveAndExclusive) {
    plat::CriticalSection section;
    section.Enter();
    section.Enter(); // the owner may enter again
    EXPECT_TRUE(section.TryEnter());
    section.Leave();
    section.Leave();
    section.Leave();

    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                plat::ScopedLock hold(section);
                ++counter;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST(PlatformSync, ManualResetEvent) {
    plat::Event event;
    EXPECT_NE(event.NativeHandle(), 0u);
    EXPECT_FALSE(event.Wait(0));
    uint64_t start = plat::MonotonicMs();
    EXPECT_FALSE(event.Wait(60));
    EXPECT_GE(plat::MonotonicMs() - start, 50u);
    EXPECT_TRUE(event.Set());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0)); // stays set
    EXPECT_TRUE(event.Reset());
    EXPECT_FALSE(event.IsSet());

    std::thread setter([&event] {
        plat::SleepMs(30);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(plat::kInfinite));
    setter.join();

    plat::Event automatic(false, true);
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)); // an auto-reset event lets one waiter through
}

TEST(PlatformSync, InterlockedCounts) {
    volatile int32_t value = 0;
    EXPECT_EQ(plat::AtomicIncrement(&value), 1);
    EXPECT_EQ(plat::AtomicDecrement(&value), 0);
    EXPECT_EQ(plat::AtomicDecrement(&value), -1);
    value = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&value] {
            for (int i = 0; i < 50000; ++i)
                plat::AtomicIncrement(&value);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(value, 200000);
}

TEST(PlatformPixels, TopDownBuffers) {
    struct Case {
        int width, height, bitCount;
        bool ok;
    } cases[] = {
        {3, 2, 24, true},  {9, 1, 1, true},   {5, 5, 8, true},
        {0, 2, 24, false}, {4, 0, 24, false}, {0x7FFFFFFF, 2, 32, false},
        {4, 4, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitCount);
        struct {
            plat::DibInfo info;
            PaletteEntry more[256];
        } block = {};
        block.info.header.size = 40;
        block.info.header.width = c.width;
        block.info.header.height = -c.height;
        block.info.header.planes = 1;
        block.info.header.bitCount = static_cast<uint16_t>(c.bitCount);
        plat::BitmapHandle bitmap = nullptr;
        void* bits = nullptr;
        ASSERT_EQ(plat::CreatePixelBuffer(&block.info, &bitmap, &bits), c.ok);
        if (!c.ok) {
            EXPECT_EQ(bitmap, nullptr);
            EXPECT_EQ(bits, nullptr);
            continue;
        }
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bits) % 4, 0u);
        size_t stride = ((static_cast<size_t>(c.width) * c.bitCount + 31) / 32) * 4;
        const uint8_t* bytes = static_cast<const uint8_t*>(bits);
        for (size_t i = 0; i < stride * c.height; ++i)
            ASSERT_EQ(bytes[i], 0);
        plat::DeletePixelBuffer(bitmap);
    }
    plat::DeletePixelBuffer(nullptr);
}

TEST(PlatformPixels, ColourTable) {
    struct {
        plat::DibInfo info;
        PaletteEntry more[255];
    } block = {};
    block.info.header.size = 40;
    block.info.header.width = 4;
    block.info.header.height = -4;
    block.info.header.planes = 1;
    block.info.header.bitCount = 8;
    block.info.header.colorsUsed = 4;
    plat::BitmapHandle bitmap = nullptr;
    void* bits = nullptr;
    ASSERT_TRUE(plat::CreatePixelBuffer(&block.info, &bitmap, &bits));
    const PaletteEntry entries[4] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 0}};
    EXPECT_TRUE(plat::SetPixelBufferColorTable(bitmap, entries, 4));
    PaletteEntry back[4] = {};
#ifdef _WIN32
    ASSERT_EQ(plat::GetPixelBufferColorTable(bitmap, back, 4), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(back[i], entries[i]);
#else
    EXPECT_EQ(plat::GetPixelBufferColorTable(bitmap, back, 4), 0u); // no colour table natively
#endif
    plat::DeletePixelBuffer(bitmap);
}

} // namespace
