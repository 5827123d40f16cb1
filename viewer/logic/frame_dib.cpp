#include "viewer/logic/frame_dib.h"

#include <cstring>

namespace viewer {

namespace {

void Put32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr uint64_t kMaxBlock = 0x7FFFFFFFu;

} // namespace

size_t PackedDibSize(const DibSource& s, DibError* error) {
    DibError e = DibError::None;
    if (s.width <= 0 || s.height <= 0 || s.stride <= 0 || s.stride % 4 != 0)
        e = DibError::BadSize;
    else if (s.bitsPerPixel != 1 && s.bitsPerPixel != 8 && s.bitsPerPixel != 24 &&
             s.bitsPerPixel != 32)
        e = DibError::BadDepth;
    else if (s.paletteCount < 0 || s.paletteCount > 256 ||
             (s.paletteCount > 0 && s.palette == nullptr))
        e = DibError::BadPalette;
    else if ((static_cast<uint64_t>(s.width) * static_cast<uint64_t>(s.bitsPerPixel) + 7) / 8 >
             static_cast<uint64_t>(s.stride))
        e = DibError::BadSize;
    uint64_t total = 0;
    if (e == DibError::None) {
        total = kDibHeaderSize + 4ull * static_cast<uint64_t>(s.paletteCount) +
                static_cast<uint64_t>(s.stride) * static_cast<uint64_t>(s.height);
        if (total > kMaxBlock)
            e = DibError::TooLarge;
    }
    if (error)
        *error = e;
    return e == DibError::None ? static_cast<size_t>(total) : 0;
}

DibError WritePackedDib(const DibSource& s, uint8_t* out, size_t outSize) {
    DibError error;
    const size_t size = PackedDibSize(s, &error);
    if (error != DibError::None)
        return error;
    if (out == nullptr || outSize < size)
        return DibError::BufferTooSmall;
    if (!s.rowFromTop)
        return DibError::MissingRow;
    std::memset(out, 0, kDibHeaderSize);
    Put32(out + 0, static_cast<uint32_t>(kDibHeaderSize));
    Put32(out + 4, static_cast<uint32_t>(s.width));
    Put32(out + 8, static_cast<uint32_t>(s.height));
    Put16(out + 12, 1);
    Put16(out + 14, static_cast<uint16_t>(s.bitsPerPixel));
    Put32(out + 16, 0);
    Put32(out + 20, static_cast<uint32_t>(s.stride) * static_cast<uint32_t>(s.height));
    Put32(out + 32, static_cast<uint32_t>(s.paletteCount));
    uint8_t* p = out + kDibHeaderSize;
    for (int32_t i = 0; i < s.paletteCount; ++i, p += 4) {
        std::memcpy(p, s.palette + 4 * i, 3);
        p[3] = 0;
    }
    for (int32_t y = s.height - 1; y >= 0; --y, p += s.stride) {
        const uint8_t* row = s.rowFromTop(y);
        if (row == nullptr)
            return DibError::MissingRow;
        std::memcpy(p, row, static_cast<size_t>(s.stride));
    }
    return DibError::None;
}

} // namespace viewer
