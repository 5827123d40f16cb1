// The viewer's clipboard copy as a packed device-independent bitmap.
//
// Layout of the block (CF_DIB), all fields little-endian:
//   offset 0   BITMAPINFOHEADER, 40 bytes:
//              biSize 40 (u32), biWidth (i32), biHeight (i32, positive: the
//              rows below run bottom-up), biPlanes 1 (u16), biBitCount (u16),
//              biCompression 0 = BI_RGB (u32), biSizeImage = stride x height
//              (u32), biXPelsPerMeter 0, biYPelsPerMeter 0 (i32 each),
//              biClrUsed = palette entries (u32), biClrImportant 0 (u32);
//   offset 40  the palette, 4 bytes per entry (blue, green, red, 0);
//   then       height rows of `stride` bytes each, the image's last row first.
// Invariants: stride is a multiple of 4 and at least width x bits / 8 rounded
// up; the whole block is 40 + 4 x palette entries + stride x height bytes and
// stays below 2^31.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace viewer {

struct DibSource {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;         // 1, 8, 24 or 32
    int32_t stride = 0;               // bytes per row
    int32_t paletteCount = 0;         // 0..256
    const uint8_t* palette = nullptr; // paletteCount x 4 bytes (blue, green, red, reserved)
    // Row `y` counted from the top of the image; null ends the copy as a failure.
    std::function<const uint8_t*(int32_t y)> rowFromTop;
};

enum class DibError { None, BadSize, BadDepth, BadPalette, TooLarge, BufferTooSmall, MissingRow };

constexpr size_t kDibHeaderSize = 40;

// Size of the packed block, or 0 when the source's numbers are not sound.
size_t PackedDibSize(const DibSource& source, DibError* error);

// Writes the block into `out` (which must hold PackedDibSize bytes).
DibError WritePackedDib(const DibSource& source, uint8_t* out, size_t outSize);

} // namespace viewer
