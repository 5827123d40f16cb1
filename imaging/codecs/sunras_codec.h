// Sun raster reader and writer.
//
// The file layout, its variants and the choices made for them are described
// in sunras_reader.cpp; the writer produces the subset described in
// sunras_writer.cpp, which this reader and netpbm's rasttopnm both read.
#pragma once

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CByteStream;
class CImageObject;

class CSunRasterReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole Sun raster file held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};

class CSunRasterWriter : public CImageWriter {
public:
    // 1 and 8 bpp with their palette as a colour map, 24 and 32 bpp as RGB
    // (type 3). False for an image without pixels or of another depth, and on
    // any file failure.
    bool Write(const char* path, CImageObject* image) override;
};
