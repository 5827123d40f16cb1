// Photo CD reader: the 768 x 512 base image. Layout and colour conversion,
// beside the code in pcd_reader.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"

class CByteStream;
class CImageObject;

class CPcdReader : public CImageReader {
public:
    // A header-only request is answered (768 x 512) without opening the file;
    // otherwise maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole Photo CD file held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);

    static const int32_t kWidth = 768;
    static const int32_t kHeight = 512;
};
