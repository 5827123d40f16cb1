// Helpers of the tests of the program's own codecs (GIF, PSD, Paint Shop
// Pro, Sun raster, WBMP, Targa, PCX, Photo CD, icons): decoding from exact
// buffers, the progress protocol, crasher replay, netpbm output and
// little byte builders.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/image_object.h"

namespace own_test {

using codec_test::EventLog;
using codec_test::ExpectedPixels;

// Bytes held in a heap block of exactly their size, so that a read past the
// end is caught by the address sanitizer, viewed by a read-only stream.
struct ExactBuffer {
    explicit ExactBuffer(const std::vector<uint8_t>& bytes)
        : data(new uint8_t[bytes.empty() ? 1 : bytes.size()]) {
        std::copy(bytes.begin(), bytes.end(), data.get());
        stream.AttachReadOnly(data.get(), static_cast<uint32_t>(bytes.size()));
    }
    std::unique_ptr<uint8_t[]> data;
    CByteStream stream;
};

// Decodes bytes with a fresh Reader through its stream entry point, under a
// pixel limit when one is given (0: none) and with its events logged when a
// log is given.
template <class Reader>
bool DecodeWith(const std::vector<uint8_t>& bytes, CImageObject* image, EventLog* log = nullptr,
                uint64_t pixelLimit = 0) {
    ExactBuffer buffer(bytes);
    Reader reader;
    reader.m_pixelLimit = pixelLimit;
    if (log != nullptr)
        log->Attach(reader, image);
    return reader.ReadFromStream(buffer.stream, image);
}

// Little-endian and big-endian appenders.
inline void Le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void Be(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void Append(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The events of a successful decode: 2 first, then rows (each band starting
// where the previous ended, all rows covered once), then 3.
inline void ExpectProtocol(const EventLog& log, int32_t height, const std::string& what) {
    EXPECT_FALSE(log.wrongImage) << what;
    EXPECT_TRUE(log.readyBeforeEvent2) << what;
    ASSERT_GE(log.events.size(), 3u) << what;
    EXPECT_EQ(log.events.front().event, kDecodeHeaderReady) << what;
    EXPECT_EQ(log.events.back().event, kDecodeComplete) << what;
    int32_t next = 0;
    for (size_t i = 1; i + 1 < log.events.size(); ++i) {
        const EventLog::Event& e = log.events[i];
        ASSERT_EQ(e.event, kDecodeRows) << what << " event " << i;
        EXPECT_EQ(e.position, next) << what << " event " << i;
        next = e.position + e.count;
    }
    EXPECT_EQ(next, height) << what;
}

// Compares a decoded image with a four-channel expectation whose alpha 0
// marks pixels without an expectation (transparent in the reference).
inline void ExpectOpaquePixels(const CImageObject& image, const ExpectedPixels& want,
                               const std::string& what) {
    ASSERT_EQ(static_cast<uint32_t>(image.width), want.width) << what;
    ASSERT_EQ(static_cast<uint32_t>(image.height), want.height) << what;
    int mismatches = 0;
    for (uint32_t y = 0; y < want.height; ++y) {
        for (uint32_t x = 0; x < want.width; ++x) {
            const uint8_t* w = want.At(x, y);
            if (want.channels == 4 && w[3] == 0)
                continue;
            uint8_t got[4];
            codec_test::PixelAt(image, static_cast<int32_t>(x), static_cast<int32_t>(y), got);
            if ((got[0] != w[0] || got[1] != w[1] || got[2] != w[2]) && ++mismatches <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << int(got[0])
                              << "," << int(got[1]) << "," << int(got[2]) << " expected "
                              << int(w[0]) << "," << int(w[1]) << "," << int(w[2]);
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
}

// Files of imaging/codecs/fuzz/crashers whose names start with prefix.
inline std::vector<std::string> Crashers(const std::string& prefix) {
    std::vector<std::string> paths;
    std::error_code ec;
    std::filesystem::path dir =
        std::filesystem::path(VXP_SOURCE_DIR) / "imaging" / "codecs" / "fuzz" / "crashers";
    for (auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            paths.push_back(entry.path().generic_string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

#ifndef _WIN32
// A netpbm image (P4, P5 or P6) as blue, green, red pixels, top row first.
// Runs the command, which must write the image to its standard output. The
// reference tools run on the build host only.
inline bool RunPnm(const std::string& command, ExpectedPixels* out) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    std::vector<uint8_t> b;
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        b.insert(b.end(), chunk, chunk + n);
    if (pclose(pipe) != 0 || b.size() < 3 || b[0] != 'P')
        return false;
    char kind = static_cast<char>(b[1]);
    size_t at = 2;
    auto number = [&]() {
        while (at < b.size() && (std::isspace(b[at]) || b[at] == '#')) {
            if (b[at] == '#')
                while (at < b.size() && b[at] != '\n')
                    ++at;
            else
                ++at;
        }
        uint32_t v = 0;
        while (at < b.size() && std::isdigit(b[at]))
            v = v * 10 + (b[at++] - '0');
        return v;
    };
    out->width = number();
    out->height = number();
    uint32_t maxval = kind == '4' ? 1 : number();
    ++at; // the single whitespace before the raster
    if (maxval != 1 && maxval != 255)
        return false;
    out->channels = 3;
    out->pixels.clear();
    size_t rowBytes = kind == '4' ? (out->width + 7) / 8 : out->width * (kind == '6' ? 3 : 1);
    if (b.size() < at + rowBytes * out->height)
        return false;
    for (uint32_t y = 0; y < out->height; ++y) {
        const uint8_t* row = &b[at + rowBytes * y];
        for (uint32_t x = 0; x < out->width; ++x) {
            uint8_t r, g, bl;
            if (kind == '4') {
                r = g = bl = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255; // 1 = black
            } else if (kind == '5') {
                r = g = bl = static_cast<uint8_t>(row[x] * 255 / maxval);
            } else {
                r = static_cast<uint8_t>(row[3 * x] * 255 / maxval);
                g = static_cast<uint8_t>(row[3 * x + 1] * 255 / maxval);
                bl = static_cast<uint8_t>(row[3 * x + 2] * 255 / maxval);
            }
            out->pixels.push_back(bl);
            out->pixels.push_back(g);
            out->pixels.push_back(r);
        }
    }
    return true;
}
#endif

// Meta file of the GIF fixtures: "frames N" and "delays d0 d1 ...".
struct FrameMeta {
    int32_t frames = 0;
    std::vector<int32_t> delays;
};
inline bool LoadMeta(const std::string& path, FrameMeta* meta) {
    std::vector<uint8_t> bytes = codec_test::ReadBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string word;
    if (!(in >> word) || word != "frames" || !(in >> meta->frames) || !(in >> word) ||
        word != "delays")
        return false;
    int32_t d;
    while (in >> d)
        meta->delays.push_back(d);
    return static_cast<int32_t>(meta->delays.size()) == meta->frames;
}

} // namespace own_test
