// Helpers of the JPEG tests: the marker segments of a file, decoding through
// the library straight (an independent path to the reader's), and reading a
// fixture into an image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/codecs/jpeg_reader.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/image_object.h"

namespace jpeg_test {

struct Segment {
    uint8_t marker; // the byte after 0xFF
    std::vector<uint8_t> data;
};

// The segments from SOI up to and including SOS (data without the length).
inline std::vector<Segment> Segments(const std::vector<uint8_t>& file) {
    std::vector<Segment> out;
    size_t pos = 2;
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return out;
    while (pos + 4 <= file.size() && file[pos] == 0xFF) {
        const uint8_t marker = file[pos + 1];
        const size_t length = (static_cast<size_t>(file[pos + 2]) << 8) | file[pos + 3];
        if (length < 2 || pos + 2 + length > file.size())
            break;
        out.push_back({marker, std::vector<uint8_t>(file.begin() + pos + 4,
                                                    file.begin() + pos + 2 + length)});
        if (marker == 0xDA)
            break;
        pos += 2 + length;
    }
    return out;
}

inline std::vector<Segment> SegmentsOf(const std::vector<Segment>& all, uint8_t marker) {
    std::vector<Segment> out;
    for (const Segment& s : all)
        if (s.marker == marker)
            out.push_back(s);
    return out;
}

inline bool HasMarker(const std::vector<Segment>& all, uint8_t marker) {
    return !SegmentsOf(all, marker).empty();
}

inline std::string JpegFixture(const std::string& name) {
    return codec_test::FixturePath("jpeg/" + name);
}

// Reads a fixture with a fresh reader; the image receives the result.
inline bool ReadFixture(const std::string& name, CImageObject* image, int32_t maxWidth = -1,
                        int32_t maxHeight = -1) {
    CJpegReader reader;
    reader.m_maxWidth = maxWidth;
    reader.m_maxHeight = maxHeight;
    return reader.Read(JpegFixture(name).c_str(), image);
}

// Mean absolute difference per channel between two 24-bpp images of one size.
inline double MeanDifference(const CImageObject& a, const CImageObject& b) {
    uint64_t sum = 0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t x = 0; x < a.width; ++x) {
            uint8_t pa[4], pb[4];
            codec_test::PixelAt(a, x, y, pa);
            codec_test::PixelAt(b, x, y, pb);
            for (int c = 0; c < 3; ++c)
                sum += static_cast<uint64_t>(pa[c] > pb[c] ? pa[c] - pb[c] : pb[c] - pa[c]);
        }
    }
    return static_cast<double>(sum) / (3.0 * a.width * a.height);
}

} // namespace jpeg_test
