// Plain types shared by the platform layer and the core. Pointer-sized values
// carry handles; values stored in files keep their stated widths.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
// Identical to the declarations <windows.h> makes (STRICT handles), so that the
// core can hold Win32 handles without including the system headers.
struct HBITMAP__;
struct HENHMETAFILE__;
struct tagENHMETAHEADER;
#endif

namespace plat {

// Paths live in buffers of this many characters (MAX_PATH).
constexpr size_t kMaxPath = 260;

// A file handle: the Win32 HANDLE on Windows, the descriptor natively.
using FileHandle = uintptr_t;
constexpr FileHandle kInvalidFile = ~static_cast<uintptr_t>(0); // INVALID_HANDLE_VALUE

// A file-mapping object.
using MappingHandle = uintptr_t;
constexpr MappingHandle kInvalidMapping = ~static_cast<uintptr_t>(0);

// A FILETIME as one 64-bit value: 100-nanosecond intervals since 1601-01-01
// UTC, low part first when split. 0 means "no time".
using FileTimeValue = uint64_t;

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeUnixEpochSeconds = 11644473600ull;

#ifdef _WIN32
using BitmapHandle = HBITMAP__*;         // HBITMAP
using MetafileHandle = HENHMETAFILE__*;  // HENHMETAFILE
using MetafileHeader = tagENHMETAHEADER; // ENHMETAHEADER
#else
struct NativePixelBuffer;
using BitmapHandle = NativePixelBuffer*;
struct NativeMetafile;
using MetafileHandle = NativeMetafile*;
struct NativeMetafileHeader;
using MetafileHeader = NativeMetafileHeader;
#endif

} // namespace plat

// One palette or colour-table entry, laid out like RGBQUAD: blue, green, red,
// reserved. Colours handed to the image operations use the same four bytes.
struct PaletteEntry {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};
static_assert(sizeof(PaletteEntry) == 4, "palette entries are 4 bytes");

inline bool operator==(const PaletteEntry& a, const PaletteEntry& b) {
    return a.blue == b.blue && a.green == b.green && a.red == b.red && a.reserved == b.reserved;
}
inline bool operator!=(const PaletteEntry& a, const PaletteEntry& b) {
    return !(a == b);
}

namespace plat {

// The 40-byte device-independent bitmap header, laid out like
// BITMAPINFOHEADER (all fields little-endian on every supported target).
struct DibHeader {
    uint32_t size;            // 40
    int32_t width;            // pixels
    int32_t height;           // negative: rows stored top row first
    uint16_t planes;          // 1
    uint16_t bitCount;        // 1, 8, 24 or 32
    uint32_t compression;     // 0 = BI_RGB
    uint32_t sizeImage;       // 0 for BI_RGB is allowed
    int32_t xPelsPerMeter;    // 0
    int32_t yPelsPerMeter;    // 0
    uint32_t colorsUsed;      // colour table entries that follow
    uint32_t colorsImportant; // 0
};
static_assert(sizeof(DibHeader) == 40, "DIB header is 40 bytes");

// Header and colour table in one block, laid out like BITMAPINFO. Allocated
// with room for colorsUsed + 1 entries (the declared array holds one).
struct DibInfo {
    DibHeader header;
    PaletteEntry colors[1];
};

} // namespace plat
