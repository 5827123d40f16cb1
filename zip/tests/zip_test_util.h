// Helpers shared by the zip tests: fixture paths, scratch folders, files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ziptest {

namespace fs = std::filesystem;

// Folder of the generated fixtures (make_*.py in tests/fixtures).
inline std::string Fixture(const std::string& relative) {
    return std::string(VXP_TEST_DATA_DIR) + "/zip/" + relative;
}

// A fresh, empty folder for one test.
inline std::string Scratch(const std::string& name) {
    const fs::path path = fs::path(std::string(VXP_TEST_DATA_DIR)) / "zip-scratch" / name;
    std::error_code ec;
    fs::remove_all(path, ec);
    fs::create_directories(path);
    return path.generic_string();
}

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(fs::u8path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

// Every file and folder below root, relative, with '/' separators.
inline std::vector<std::string> ListTree(const std::string& root) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(fs::u8path(root))) {
        std::string rel = fs::relative(e.path(), fs::u8path(root)).generic_string();
        if (e.is_directory())
            rel += "/";
        out.push_back(rel);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The files (not folders) below root.
inline std::vector<std::string> ListFiles(const std::string& root) {
    std::vector<std::string> out;
    for (const std::string& entry : ListTree(root)) {
        if (entry.back() != '/')
            out.push_back(entry);
    }
    return out;
}

// Pins local time to UTC so that DOS times convert the same everywhere.
inline void PinUtc() {
#ifdef _WIN32
    _putenv("TZ=UTC0");
    _tzset();
#else
    setenv("TZ", "UTC", 1);
    tzset();
#endif
}

} // namespace ziptest
