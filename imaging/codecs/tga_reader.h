// Targa reader. The variants read and the layout, beside the code in
// tga_reader.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"

class CByteStream;
class CImageObject;

class CTargaReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole Targa file held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};
