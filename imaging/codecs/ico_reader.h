// Windows icon reader: every image of an icon file, the first as the image
// itself and the others as its frames. Layout, beside the code in
// ico_reader.cpp.
#pragma once

#include "imaging/codecs/bmp_codec.h"

class CByteStream;
class CImageObject;

// Its ReadFromStream slots are the bitmap reader's (a packed bitmap decodes
// as it does there); ReadIcon decodes a whole icon file held in memory.
class CIconReader : public CBmpReader {
public:
    // Maps the file, stores its time and size, then ReadIcon.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes every entry; no progress events until all are done. False for
    // a bad header, an icon without entries, or when no entry decodes.
    bool ReadIcon(CByteStream& stream, CImageObject* image);

private:
    bool DecodeEntry(const uint8_t* data, uint32_t size, CImageObject* entry);
};
