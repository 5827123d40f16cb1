// The one table from image file type to the reader and the writer of that
// type. Everything that decodes or encodes a file by its type (the image
// cache, the save code, the test tools, the benches) asks here, so that a
// new codec is added in one place and every caller sees it.
#pragma once

#include <memory>

#include "imaging/codecs/image_reader.h"
#include "imaging/codecs/image_writer.h"

// A new reader for an image file type (EImageFileType), with the default
// options: among them the pixel limit every decode of the program runs
// under. Null for an unknown type and for the metafile types outside the
// Windows build, which has the only metafile reader.
std::unique_ptr<CImageReader> NewImageReader(int type);

// A new writer for a type; null for a type without one (see
// IsWritableImageFileType).
std::unique_ptr<CImageWriter> NewImageWriter(int type);
