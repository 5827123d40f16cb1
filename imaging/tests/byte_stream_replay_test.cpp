// Replays the byte stream fuzz seeds and every stored byte stream crasher
// (imaging/fuzz/crashers/byte_stream*) through the model-checking driver: a
// stream that ever disagrees with its model aborts the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/fuzz/byte_stream_driver.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

void ReplayFolder(const fs::path& folder, const std::string& prefix, int* replayed) {
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        SCOPED_TRACE(name);
        std::vector<uint8_t> data = ReadAll(entry.path());
        byte_stream_fuzz::Run(data.data(), data.size());
        ++*replayed;
    }
}

TEST(ByteStreamReplay, SeedsAndCrashers) {
    int seeds = 0;
    ReplayFolder(fs::path(VXP_TEST_DATA_DIR) / "imaging_fuzz_seeds", "byte_stream", &seeds);
    EXPECT_GT(seeds, 0) << "the seed script did not run";
    int crashers = 0;
    ReplayFolder(fs::path(VXP_SOURCE_DIR) / "imaging" / "fuzz" / "crashers", "byte_stream",
                 &crashers);
}

TEST(ByteStreamReplay, ArbitraryBytes) {
    // Every short input is a valid operation sequence.
    std::vector<uint8_t> data;
    for (int length = 0; length < 600; ++length) {
        data.push_back(static_cast<uint8_t>(length * 37 + 11));
        byte_stream_fuzz::Run(data.data(), data.size());
    }
}

} // namespace
