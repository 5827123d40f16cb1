// Replays the fuzz bodies natively: every input that once crashed or hung a
// fuzz target (fuzz/crashers/) must now fail cleanly, and a few generated
// inputs run through both bodies so that they stay in working order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "catalog/fuzz/db_fuzz_body.h"
#include "db_test_util.h"

namespace {

TEST(FuzzInputs, CrashersFailCleanly) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(VXP_SOURCE_DIR) / "catalog" / "fuzz" / "crashers";
    // The folder is part of the tree: missing means a broken checkout, and
    // a silent skip would hide every recorded crasher.
    ASSERT_TRUE(fs::is_directory(dir)) << dir.string();
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().filename().string().rfind('.', 0) == 0)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        const std::string name = entry.path().filename().string();
        if (name.rfind("ops-", 0) == 0)
            dbfuzz::RunOpsFuzz(bytes.data(), bytes.size());
        else
            dbfuzz::RunOpenFuzz(bytes.data(), bytes.size());
    }
}

TEST(FuzzInputs, MutatedFilesAndRandomStreamsRunCleanly) {
    // A real file with some content, then single-byte mutations of it.
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* idx = m.db->OpenIndex("Names", 0, false, 0, true, true);
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(
            idx->Put(Text("name" + std::to_string(i * 37 % 400)), Text(std::string(i % 90, 'v'))));
    m.db->ReleaseIndex(idx);
    ASSERT_TRUE(m.db->Close());
    const std::vector<uint8_t> good = m.Bytes();
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < 1 + round % 4; ++k) {
            size_t at = rng() % bytes.size();
            // Aim most mutations at the header, spec and node bytes.
            if (rng() % 2)
                at = rng() % 64 + (rng() % (bytes.size() / 8192)) * 8192;
            bytes[at] = static_cast<uint8_t>(rng());
        }
        dbfuzz::RunOpenFuzz(bytes.data(), bytes.size());
    }
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> stream(2000 + rng() % 4000);
        for (uint8_t& b : stream)
            b = static_cast<uint8_t>(rng());
        dbfuzz::RunOpsFuzz(stream.data(), stream.size());
    }
}

} // namespace
