// The thumbnail path over a folder of photographs: our reduced read into a
// 160 x 120 box side by side with libvips and ImageMagick, all single-threaded.
#pragma once

#include <string>
#include <vector>

struct ThumbnailBenchOptions {
    int repeats = 3;        // best of, for ours and libvips
    int convertRepeats = 1; // best of, for ImageMagick (seconds per file)
    double photoMegapixels = 12.0;
    std::string outDir; // where the external tools write their thumbnails
};

// Prints the table; true when ours is at least as fast as vipsthumbnail (or,
// when that program is missing, as libvips' thumbnail call in process).
bool RunThumbnailBench(const std::vector<std::string>& photos,
                       const ThumbnailBenchOptions& options);
