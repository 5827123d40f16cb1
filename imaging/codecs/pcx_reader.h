// PCX reader. The variants read and the layout, beside the code in
// pcx_reader.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"

class CByteStream;
class CImageObject;

class CPcxReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole PCX file held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};
