// Windows bitmap reader and writer.
//
// CBmpReader reads bitmap files and device-independent bitmaps held in memory
// (packed bitmaps: the info header first, no file header); the icon reader and
// the code that receives bitmaps from devices decode through ReadFromStream.
// CBmpWriter stores any 1, 8, 24 or 32 bpp image as an uncompressed bitmap file.
// The variants handled, and the layout, are described beside the code in
// bmp_codec.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CByteStream;
class CImageObject;

class CBmpReader : public CImageReader {
public:
    // Maps the file and decodes it with its file header.
    bool Read(const char* path, CImageObject* image) override;

    // Decodes from the stream's position on. With hasFileHeader false the stream
    // starts at the info header (a packed bitmap).
    virtual bool ReadFromStream(CByteStream& stream, CImageObject* image, bool hasFileHeader);
    // As above, taking the file header as present when the data starts with "BM".
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};

class CBmpWriter : public CImageWriter {
public:
    // Uncompressed, rows bottom-up, the image's own depth and palette. False for
    // an image without pixels or of another depth, and on any file failure.
    bool Write(const char* path, CImageObject* image) override;
};
