// Wireless bitmap (WBMP) reader and writer. Layout, beside the code in
// wbmp_codec.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CByteStream;
class CImageObject;

class CWbmpReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole WBMP held in memory, from the stream's position. The
    // format has no signature and no size-only mode: the header-only flag is
    // not consulted.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};

class CWbmpWriter : public CImageWriter {
public:
    // 1 bpp images as they are (white stays white whatever the palette order);
    // 8 bpp grey images through the black-and-white conversion; any other
    // image through grey first. The conversion runs before the target is
    // opened, so a failed conversion leaves the target untouched.
    bool Write(const char* path, CImageObject* image) override;
};
