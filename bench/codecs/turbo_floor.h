// The decode floor: libjpeg-turbo's own TurboJPEG call, in this process, on
// the same file and into the same kind of pixel buffer as our reader, so that
// the ratio shows only what our reader adds to the library.
#pragma once

#include <string>

#include "bench/codecs/jpeg_decode_timing.h"

// Best of `repeats` decodes of path at 1/scale.denominator: map the file,
// tjDecompress2 into a fresh 24-bpp CImageObject (the allocator, and so the
// page policy, of ours), BGR rows top-down as our reader writes them. fast:
// the library's fast upsampling, as our thumbnail path asks for.
DecodeTiming TimeTurboDecode(const std::string& path, int denominator, bool fast, int repeats);

// Best of `repeats` thumbnails of path as our thumbnail path makes them
// (ReadScaled into 160 x 120: a 1/8 decode and a resample into the box).
DecodeTiming TimeOurThumbnail(const std::string& path, int repeats);
