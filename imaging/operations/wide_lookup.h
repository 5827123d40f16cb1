// Byte-table lookups and luma on 64 bytes at a time, with the 512-bit byte
// permutes of recent x86-64 processors. Whether they can be used is decided
// at run time; each function returns how much of the row it did (0 without
// the path), leaving the rest to the portable loops, whose results these
// match exactly.
#pragma once

#include <cstddef>
#include <cstdint>

// True when this build has the 512-bit path and the processor (and the
// operating system, which must save the wide registers) supports it.
bool WideLookupSupported();

// Maps a row of `bytes` bytes of 3- or 4-byte pixels: byte k of each pixel
// through table k (blue, green, red), a fourth byte copied; nothing outside
// the row is read or written. dest may be src, but the two must not
// otherwise overlap. Returns `bytes`, or 0 when the path is absent.
size_t MapRowWide(uint8_t* dest, const uint8_t* src, size_t bytes, const uint8_t* blue,
                  const uint8_t* green, const uint8_t* red, int bytesPerPixel);

// Writes (9798 R + 19235 G + 3735 B) >> 15 of the leading pixels of `src`
// (3 or 4 bytes each, blue first) into luma, in whole blocks (64 pixels of
// 3 bytes, 16 of 4) from the start. Returns the number of pixels done.
size_t LumaRowWide(uint8_t* luma, const uint8_t* src, size_t pixels, int bytesPerPixel);
