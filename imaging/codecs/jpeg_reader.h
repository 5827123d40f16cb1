// JPEG reader: decodes at full size or reduced by the library's DCT scaling,
// so that large photographs open fast at the size they are shown at, and
// reads the file's Exif block into the image's EXIF record.
#pragma once

#include <cstdint>

#include "imaging/codecs/image_reader.h"

class CByteStream;
class CImageObject;

class CJpegReader : public CImageReader {
public:
    // Maps the file, stores its time and size, then ReadFromStream.
    bool Read(const char* path, CImageObject* image) override;
    // Maps the file, stores its time and size, then ReadScaledFromStream.
    bool ReadScaled(const char* path, CImageObject* image) override;

    // Decodes the JPEG data from the stream's position on, DCT-scaled for the
    // box (m_maxWidth, m_maxHeight) or the zoom, with progress events and EXIF.
    // 8 bpp with a grey palette for greyscale files, 24 bpp otherwise (CMYK
    // and YCCK files are converted to RGB). A truncated file decodes as far as
    // it goes and succeeds.
    virtual bool ReadFromStream(CByteStream& stream, CImageObject* image);
    // Decodes fast (no fancy upsampling or smoothing) at the DCT scale for the
    // box and resamples to fit it; no events, no EXIF. The full size is the
    // size in the file.
    virtual bool ReadScaledFromStream(CByteStream& stream, CImageObject* image);

    // DCT scale denominator (1, 2, 4 or 8) for a file of width x height. With
    // maxWidth or maxHeight -1 the wanted scale is zoom (0.0 counting as 1.0),
    // otherwise the scale that fits the file into the box; the denominator is
    // 8 below 0.125, 4 below 0.25, 2 below 0.5 and 1 otherwise, so that the
    // decoded image is never smaller than wanted.
    static int32_t ChooseScaleDenominator(int32_t width, int32_t height, int32_t maxWidth,
                                          int32_t maxHeight, double zoom);

private:
    // Where a decode reads: the bytes of a stream, or an open file through a
    // window (exactly one of the two).
    struct Source {
        CByteStream* stream;
        CWin32File* file;
    };
    bool Decode(const Source& source, CImageObject* image, bool fullProtocol);
    bool Decode(CByteStream& stream, CImageObject* image, bool fullProtocol) {
        return Decode(Source{&stream, nullptr}, image, fullProtocol);
    }
    bool ReadScaledFrom(const Source& source, CImageObject* image);
};
