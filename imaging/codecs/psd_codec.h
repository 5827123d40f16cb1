// Photoshop document reader (the merged composite only) and writer (a flat
// document). The layout read and written is described beside the code in
// psd_reader.cpp and psd_writer.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CByteStream;
class CImageObject;

class CPsdReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole document held in memory, from the stream's position.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};

class CPsdWriter : public CImageWriter {
public:
    // 1 bpp as a bitmap-mode document (black stays black whatever the palette
    // order), 8 bpp as greyscale (grey ramp palette) or indexed, 24 bpp as
    // 3-channel and 32 bpp as 4-channel RGB, uncompressed. False for an image
    // without pixels or of another depth, and on any file failure.
    bool Write(const char* path, CImageObject* image) override;
};
