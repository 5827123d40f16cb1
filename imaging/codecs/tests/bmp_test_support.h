// Bitmaps assembled in memory for the reader tests, and decoding from a buffer
// of exactly the data's size.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/image_object.h"

namespace codec_test {

// A bitmap assembled in memory, for the cases no tool writes.
struct DibSpec {
    uint32_t headerSize = 40;
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks; // written after a 40-byte header when present
    std::vector<uint8_t> table;  // colour table bytes as stored
    std::vector<uint8_t> pixels; // pixel bytes as stored
    bool fileHeader = true;
    int64_t pixelOffset = -1; // file header's offset; -1 = right after the table
};

inline void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> MakeDib(const DibSpec& s) {
    std::vector<uint8_t> dib;
    Put(dib, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(dib, static_cast<uint32_t>(s.width), 2);
        Put(dib, static_cast<uint32_t>(s.height), 2);
        Put(dib, 1, 2);
        Put(dib, s.bitCount, 2);
    } else {
        Put(dib, static_cast<uint32_t>(s.width), 4);
        Put(dib, static_cast<uint32_t>(s.height), 4);
        Put(dib, 1, 2);
        Put(dib, s.bitCount, 2);
        Put(dib, s.compression, 4);
        Put(dib, 0, 4);
        Put(dib, 0, 4);
        Put(dib, 0, 4);
        Put(dib, s.colorsUsed, 4);
        Put(dib, 0, 4);
        dib.resize(s.headerSize, 0);
    }
    for (uint32_t m : s.masks)
        Put(dib, m, 4);
    dib.insert(dib.end(), s.table.begin(), s.table.end());
    uint32_t offset = static_cast<uint32_t>(14 + dib.size());
    dib.insert(dib.end(), s.pixels.begin(), s.pixels.end());
    if (!s.fileHeader)
        return dib;
    std::vector<uint8_t> file = {'B', 'M'};
    Put(file, static_cast<uint32_t>(14 + dib.size()), 4);
    Put(file, 0, 4);
    Put(file, s.pixelOffset >= 0 ? static_cast<uint32_t>(s.pixelOffset) : offset, 4);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// Decodes bytes held in a buffer of exactly their size, so that a read past
// the end is caught by the address sanitizer.
inline bool DecodeBytes(const std::vector<uint8_t>& bytes, CImageObject* image,
                        EventLog* log = nullptr, uint64_t pixelLimit = 0) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    CByteStream stream;
    stream.AttachReadOnly(exact.get(), static_cast<uint32_t>(bytes.size()));
    CBmpReader reader;
    reader.m_pixelLimit = pixelLimit;
    if (log != nullptr)
        log->Attach(reader, image);
    return reader.ReadFromStream(stream, image);
}

} // namespace codec_test
