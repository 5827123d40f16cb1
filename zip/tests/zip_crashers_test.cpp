// Inputs that once crashed or hung the reader must now fail cleanly.
#include <filesystem>

#include "zip/fuzz/fuzz_common.h"
#include "zip/tests/zip_test_util.h"

namespace {

TEST(ZipCrashers, EveryCrasherFailsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::path(std::string(VXP_SOURCE_DIR)) / "zip" / "fuzz" / "crashers";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name[0] == '.' || name == "README")
            continue;
        const std::vector<uint8_t> data = ziptest::ReadAll(entry.path().generic_string());
        // Returning at all is the test: sanitizers and the timeout do the rest.
        zipfuzz::Exercise(data.data(), data.size(), true);
        SUCCEED() << entry.path().filename().string();
    }
}

} // namespace
