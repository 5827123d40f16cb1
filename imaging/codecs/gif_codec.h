// GIF reader (with animation) and writer.
//
// CGifReader composes every frame of a file into a full-screen 8 bpp image:
// frame 0 is the image itself, later frames go into its frame list, each with
// its delay in milliseconds; the animated flag is set for two or more frames.
// Nothing is shown of a GIF until its trailer: the progress events 2, 4 (0,
// height) and 3 are all sent there, and a file that ends before its trailer
// fails. The file layout the reader accepts is described in gif_reader.cpp.
//
// CGifWriter stores one image as a single-frame GIF89a file with a 256-entry
// global colour table.
#pragma once

#include "imaging/codecs/gif_lzw.h"
#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

class CByteStream;
class CImageObject;

class CGifReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Decodes a whole GIF file held in memory, from the stream's position on.
    bool ReadFromStream(CByteStream& stream, CImageObject* image);
};

class CGifWriter : public CImageWriter {
public:
    // 8 bpp images as they are, 1 bpp through ExpandBitmapTo8, 24 and 32 bpp
    // reduced to 256 colours with error diffusion. False for an image without
    // pixels, sides above 65535 (the file holds 16 bits), a failed conversion
    // or any file failure; the target is opened only after the conversion.
    bool Write(const char* path, CImageObject* image) override;

private:
    CGifLzwEncoder m_encoder;
};
