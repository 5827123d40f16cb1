// TIFF reader and writer over libtiff. Every directory of a file is one page:
// page 1 fills the image, later pages become its frames.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CImageObject;
struct tiff; // libtiff's TIFF

// Simple layouts are read line by line: bilevel pages (a 204 x 98 dpi fax page
// gets every line twice), 2-, 4- and 8-bit grey and palette pages (8 bpp with
// 2^bits palette entries), and 8-bit RGB or RGB with alpha in strips (the
// alpha kept as stored). Every other layout (tiles,
// planes, CMYK, YCbCr, other depths) goes through libtiff's RGBA interface
// into 24 bpp, or 32 bpp when the page has more than 24 bits per pixel. The
// file's Exif values fill the image's EXIF record. Honours m_pageLimit.
class CTiffReader : public CImageReader {
public:
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole TIFF file held in memory, as Read does with the file.
    bool ReadFromMemory(const uint8_t* data, size_t size, CImageObject* image);

private:
    // Fills page from the current directory; false when its bitmap cannot be
    // made or the layout cannot be read.
    bool ReadPage(tiff* tif, CImageObject* page);
    bool ReadLines(tiff* tif, CImageObject* page, int layout, bool faxStretch);
    bool ReadThroughRgba(tiff* tif, CImageObject* page);
};

// One uncompressed page per frame. 1 bpp as bilevel (black-is-zero when
// palette entry 0 is the darker one, white-is-zero otherwise); 8 bpp as a
// palette page with a 16-bit colour map; 24 bpp as RGB; 32 bpp as RGB with the
// fourth byte as an alpha sample, or as RGB when every fourth byte is 0.
class CTiffWriter : public CImageWriter {
public:
    bool Write(const char* path, CImageObject* image) override;
};
