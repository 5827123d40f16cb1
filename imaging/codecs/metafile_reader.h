// Enhanced and Windows metafile reader (Windows build only): the image
// receives the picture as an enhanced metafile handle with a copy of its
// header, and a width and height in screen pixels; no pixels are decoded.
// RenderMetafileToImage draws it into a bitmap. The handling of each kind of
// file is described beside the code in metafile_reader_win32.cpp.
#pragma once

#include "imaging/codecs/image_reader.h"

class CImageObject;

class CMetafileReader : public CImageReader {
public:
    // Enhanced metafiles, plain Windows metafiles and placeable ones. False
    // for anything else, for a placeable header with 0 units per inch, and
    // for pictures whose size comes out as 0 or less. Events 2 and 3 only.
    bool Read(const char* path, CImageObject* image) override;
    // A vector picture needs no reduction: the same as Read.
    bool ReadScaled(const char* path, CImageObject* image) override;
};
