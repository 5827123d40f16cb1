// The benchmark's images, made with ImageMagick on first use and kept in the
// work folder so that later runs reuse them. A file is written under a
// temporary name and renamed when complete, so an interrupted run never
// leaves a partial image that a later run would take for a finished one.
#pragma once

#include <string>
#include <vector>

constexpr int kLargeWidth = 6000; // 24 megapixels
constexpr int kLargeHeight = 4000;
constexpr int kPhotoLong = 4000; // 12 megapixels, landscape or portrait
constexpr int kPhotoShort = 3000;

// dir/large_6000x4000_q90.jpg: fractal plasma (a photo-like mix of smooth
// areas and fine texture), quality 90, 4:2:0. Empty string on failure.
std::string EnsureLargeJpeg(const std::string& dir);

// dir/photo_6000x4000_q90.jpg: the same plasma with Gaussian grain, which
// like a photograph's sensor noise leaves few blocks smooth: a larger file
// that costs more per pixel. Empty string on failure.
std::string EnsureLargePhotoJpeg(const std::string& dir);

// Size of a file in megabytes (10^6 bytes); 0 when it cannot be read.
double FileMegabytes(const std::string& path);

// `count` twelve-megapixel JPEGs in dir/photos-v1/ with varied content:
// landscape and portrait, qualities 80..95, 4:2:0 and some 4:2:2, plain,
// soft (blurred), grainy (noise) and muted plasma. Made `jobs` at a time.
// Empty on failure.
std::vector<std::string> EnsurePhotoFolder(const std::string& dir, int count, int jobs);
