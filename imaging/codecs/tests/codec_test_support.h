// Helpers shared by the codec tests: fixture files, expected pixels, progress
// event recording and scratch folders.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/image_reader.h"
#include "imaging/image_object.h"

namespace codec_test {

inline std::string FixturePath(const std::string& name) {
    return std::string(VXP_TEST_DATA_DIR) + "/codecs/" + name;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Expected pixels written by the fixture scripts (expected_pixels.py): "VXPR",
// width, height, channels, then top-down rows of blue, green, red[, fourth].
struct ExpectedPixels {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* At(uint32_t x, uint32_t y) const {
        return pixels.data() + (static_cast<size_t>(y) * width + x) * channels;
    }
};

inline bool LoadExpected(const std::string& path, ExpectedPixels* out) {
    std::vector<uint8_t> b = ReadBytes(path);
    if (b.size() < 16 || std::memcmp(b.data(), "VXPR", 4) != 0)
        return false;
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                     (static_cast<uint32_t>(b[at + 3]) << 24));
    };
    out->width = u32(4);
    out->height = u32(8);
    out->channels = u32(12);
    size_t want = static_cast<size_t>(out->width) * out->height * out->channels;
    if (b.size() != 16 + want)
        return false;
    out->pixels.assign(b.begin() + 16, b.end());
    return true;
}

// Blue, green, red (and the fourth byte at 32 bpp) of image pixel (x, y) from the
// top, looked up through the palette for 1 and 8 bpp.
inline void PixelAt(const CImageObject& image, int32_t x, int32_t y, uint8_t out[4]) {
    const uint8_t* row = image.bits + static_cast<size_t>(y) * image.stride;
    out[3] = 0;
    switch (image.bitsPerPixel) {
    case 1:
    case 8: {
        uint32_t index = image.bitsPerPixel == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
        PaletteEntry e = image.PaletteAt(index);
        out[0] = e.blue;
        out[1] = e.green;
        out[2] = e.red;
        break;
    }
    case 24:
        std::memcpy(out, row + 3 * x, 3);
        break;
    default:
        std::memcpy(out, row + 4 * x, 4);
        break;
    }
}

// Compares every pixel of image with the expectation (all channels it holds).
inline void ExpectPixels(const CImageObject& image, const ExpectedPixels& want,
                         const std::string& what) {
    ASSERT_EQ(static_cast<uint32_t>(image.width), want.width) << what;
    ASSERT_EQ(static_cast<uint32_t>(image.height), want.height) << what;
    int mismatches = 0;
    for (uint32_t y = 0; y < want.height; ++y) {
        for (uint32_t x = 0; x < want.width; ++x) {
            uint8_t got[4];
            PixelAt(image, static_cast<int32_t>(x), static_cast<int32_t>(y), got);
            const uint8_t* w = want.At(x, y);
            if (std::memcmp(got, w, want.channels) != 0 && ++mismatches <= 5) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << int(got[0])
                              << "," << int(got[1]) << "," << int(got[2]) << "," << int(got[3])
                              << " expected " << int(w[0]) << "," << int(w[1]) << "," << int(w[2])
                              << (want.channels == 4 ? "," + std::to_string(w[3]) : "");
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
}

#ifndef _WIN32
// Decodes the file at path with the build host's reference decoder (Pillow)
// and compares its pixels with image's.
inline void ExpectReferenceDecoderAgrees(const std::string& path, const CImageObject& image,
                                         const std::string& what) {
    const std::string tool =
        std::string(VXP_SOURCE_DIR) + "/imaging/codecs/tests/tools/pil_decode.py";
    const std::string raw = path + ".raw";
    const std::string command = "/usr/bin/python3 '" + tool + "' '" + path + "' '" + raw + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ExpectedPixels want;
    ASSERT_TRUE(LoadExpected(raw, &want));
    ExpectPixels(image, want, what);
}
#endif

// Records progress events; the image pointer is checked against the one expected.
struct EventLog {
    struct Event {
        int32_t event, position, count;
    };
    std::vector<Event> events;
    const CImageObject* image = nullptr;
    bool wrongImage = false;
    bool readyBeforeEvent2 = true; // header-ready was set whenever event 2 came

    static int32_t Callback(CImageObject* image, int32_t event, int32_t position, int32_t count,
                            uintptr_t user) {
        EventLog* log = reinterpret_cast<EventLog*>(user);
        if (image != log->image)
            log->wrongImage = true;
        if (event == kDecodeHeaderReady && !image->headerReady.load())
            log->readyBeforeEvent2 = false;
        log->events.push_back({event, position, count});
        return 0;
    }

    void Attach(CImageReader& reader, const CImageObject* target) {
        image = target;
        reader.m_progress = &EventLog::Callback;
        reader.m_progressUser = reinterpret_cast<uintptr_t>(this);
    }
};

// A scratch folder below the test data folder, emptied when the test starts.
inline std::string ScratchFolder(const std::string& name) {
    std::filesystem::path dir =
        std::filesystem::path(VXP_TEST_DATA_DIR) / "codecs" / "scratch" / name;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    return dir.generic_string();
}

// Names of the entries of a folder, to check that nothing was left behind.
inline std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& entry : std::filesystem::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace codec_test
