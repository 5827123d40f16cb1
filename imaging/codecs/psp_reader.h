// Paint Shop Pro image reader: the flat composite, from 8- or 24-bit channel
// data or from an embedded JPEG. Layout, beside the code in psp_reader.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"

class CByteStream;
class CImageObject;

class CPspReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole file held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};
