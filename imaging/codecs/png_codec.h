// PNG reader and writer over libpng. Library errors leave libpng's frames by
// longjmp and end the call as described below; warnings are ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CImageObject;

// Colour type and bit depth to image:
//   grey 1 -> 1 bpp (black, white); grey 2, 4 -> 8 bpp with a 4 or 16 entry
//   grey ramp; grey 8, 16 -> 8 bpp with the 256 grey ramp (16-bit samples keep
//   their high byte); RGB 8, 16 -> 24 bpp; palette 1 -> 1 bpp, palette 2..8 ->
//   8 bpp, both with the file's palette; grey+alpha and RGBA -> 32 bpp with the
//   alpha in the fourth byte. A transparency chunk on grey, RGB or palette
//   files does not change the pixel layout.
class CPngReader : public CImageReader {
public:
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole PNG file held in memory, as Read does with the file.
    bool ReadFromMemory(const uint8_t* data, size_t size, CImageObject* image);

private:
    struct DecodeState;
    bool Decode(DecodeState* state, CImageObject* image);
};

// Image to PNG: 1 bpp and coloured 8 bpp as a palette, 8 bpp with the grey
// palette as greyscale, 24 bpp as RGB, 32 bpp as RGBA with the fourth byte as
// alpha, except when every fourth byte is 0 (bitmaps whose fourth byte is
// unused): those are written as RGB, since all-zero alpha would make them
// invisible.
class CPngWriter : public CImageWriter {
public:
    bool Write(const char* path, CImageObject* image) override;

    bool m_interlace = false; // Adam7
};
