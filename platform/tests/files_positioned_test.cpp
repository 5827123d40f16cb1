// Positioned reads and writes (at a byte offset, no seek): what the database
// page file relies on for its page transfers.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PositionedFiles : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("vxp_at_") + info->name() + "_" +
                                               std::to_string(plat::MonotonicMs()));
        fs::create_directories(folder_);
        path_ = (folder_ / "data.bin").string();
        file_ = plat::OpenFile(path_.c_str(), plat::kAccessRead | plat::kAccessWrite,
                               plat::kShareNone, plat::kCreateAlways);
        ASSERT_NE(file_, plat::kInvalidFile);
    }
    void TearDown() override {
        if (file_ != plat::kInvalidFile)
            plat::CloseFile(file_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    static std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
        return v;
    }
    fs::path folder_;
    std::string path_;
    plat::FileHandle file_ = plat::kInvalidFile;
};

// Writes at offsets past the end grow the file with zeros in the gap; reads
// at any offset see exactly those bytes and stop short only at the end.
TEST_F(PositionedFiles, ReadsAndWritesLandAtTheirOffsets) {
    std::vector<uint8_t> a = Pattern(5000, 1), b = Pattern(300, 2);
    uint32_t done = 0;
    ASSERT_TRUE(plat::WriteFileAt(file_, 10000, a.data(), 5000, &done));
    EXPECT_EQ(done, 5000u);
    ASSERT_TRUE(plat::WriteFileAt(file_, 100, b.data(), 300, &done));
    EXPECT_EQ(plat::FileSize(file_), 15000);

    std::vector<uint8_t> expect(15000, 0);
    std::copy(a.begin(), a.end(), expect.begin() + 10000);
    std::copy(b.begin(), b.end(), expect.begin() + 100);
    struct Case {
        uint64_t offset;
        uint32_t count;
        uint32_t expectDone;
    } cases[] = {{0, 15000, 15000}, {9990, 40, 40},     {14000, 4000, 1000},
                 {15000, 10, 0},    {1ull << 33, 8, 0}, {50, 0, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> got(c.count + 1, 0xEE);
        ASSERT_TRUE(plat::ReadFileAt(file_, c.offset, got.data(), c.count, &done)) << c.offset;
        ASSERT_EQ(done, c.expectDone) << c.offset;
        for (uint32_t i = 0; i < done; ++i)
            ASSERT_EQ(got[i], expect[c.offset + i]) << c.offset << "+" << i;
        EXPECT_EQ(got[done], 0xEE) << c.offset; // nothing past what was read
    }
}

// More pieces than one system call takes, at an offset that leaves a gap.
TEST_F(PositionedFiles, GatherWriteKeepsThePiecesInOrder) {
    const uint32_t pieceBytes = 1000, count = 150;
    std::vector<std::vector<uint8_t>> pieces;
    std::vector<const void*> pointers;
    for (uint32_t i = 0; i < count; ++i)
        pieces.push_back(Pattern(pieceBytes, static_cast<uint8_t>(i)));
    for (const auto& p : pieces)
        pointers.push_back(p.data());
    ASSERT_TRUE(plat::WriteFileGatherAt(file_, 777, pointers.data(), pieceBytes, count));
    ASSERT_EQ(plat::FileSize(file_), 777 + static_cast<int64_t>(pieceBytes) * count);
    std::vector<uint8_t> all(static_cast<size_t>(pieceBytes) * count);
    uint32_t done = 0;
    ASSERT_TRUE(plat::ReadFileAt(file_, 777, all.data(), static_cast<uint32_t>(all.size()), &done));
    ASSERT_EQ(done, all.size());
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_TRUE(std::equal(pieces[i].begin(), pieces[i].end(),
                               all.begin() + static_cast<size_t>(i) * pieceBytes))
            << "piece " << i;
    // One piece and none are valid calls too.
    ASSERT_TRUE(plat::WriteFileGatherAt(file_, 0, pointers.data() + 5, pieceBytes, 1));
    EXPECT_TRUE(plat::WriteFileGatherAt(file_, 0, pointers.data(), pieceBytes, 0));
    ASSERT_TRUE(plat::ReadFileAt(file_, 0, all.data(), pieceBytes, &done));
    EXPECT_TRUE(std::equal(pieces[5].begin(), pieces[5].end(), all.begin()));
}

TEST_F(PositionedFiles, ClosedOrReadOnlyHandlesFail) {
    uint8_t byte = 1;
    uint32_t done = 7;
    EXPECT_FALSE(plat::ReadFileAt(plat::kInvalidFile, 0, &byte, 1, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(plat::WriteFileAt(plat::kInvalidFile, 0, &byte, 1, &done));
    const void* piece = &byte;
    EXPECT_FALSE(plat::WriteFileGatherAt(plat::kInvalidFile, 0, &piece, 1, 1));

    plat::CloseFile(file_);
    file_ = plat::OpenFile(path_.c_str(), plat::kAccessRead, plat::kShareRead, plat::kOpenExisting);
    ASSERT_NE(file_, plat::kInvalidFile);
    EXPECT_FALSE(plat::WriteFileAt(file_, 0, &byte, 1, &done));
    EXPECT_FALSE(plat::WriteFileGatherAt(file_, 0, &piece, 1, 1));
    EXPECT_EQ(plat::FileSize(file_), 0);
}

} // namespace
