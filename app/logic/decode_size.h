// Whether an image decoded at one size serves a request for another.
//
// Only a JPEG file is ever decoded reduced (its reader scales while
// decoding); the caller checks the type and waits until the decoded size is
// known before asking.
#pragma once

#include <cstdint>

// True when an image decoded at decodedWidth x decodedHeight, from a file of
// fullWidth x fullHeight, is too small for the request. An image decoded at
// its full size is never too small. The size needed is the full size fitted
// into the box (without enlarging) when neither box side is -1; otherwise
// the full size times the zoom, truncated, where a zoom of exactly 0.0 asks
// for the full size. A needed side of 0 also counts as too small.
bool DecodedSizeTooSmall(int32_t decodedWidth, int32_t decodedHeight, int32_t fullWidth,
                         int32_t fullHeight, int32_t boxWidth, int32_t boxHeight, double zoom);
