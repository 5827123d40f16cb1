#include "bench/codecs/thumbnail_bench.h"

#include <vips/vips.h>

#include <cstdio>
#include <string>

#include "bench/codecs/bench_process.h"
#include "bench/codecs/jpeg_decode_timing.h"
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"

namespace {

constexpr int kBoxWidth = 160;
constexpr int kBoxHeight = 120;
const char* const kVipsThumbnail = "/usr/bin/vipsthumbnail";
const char* const kConvert = "/usr/bin/convert";

bool FitsBox(int width, int height) {
    return width > 0 && height > 0 && width <= kBoxWidth && height <= kBoxHeight &&
           (width == kBoxWidth || height == kBoxHeight);
}

// The shared reduced read, as the thumbnail code makes it: a reader per file,
// box 160 x 120, into a fresh image.
bool OurThumbnails(const std::vector<std::string>& photos) {
    for (const std::string& path : photos) {
        CJpegReader reader;
        reader.m_maxWidth = kBoxWidth;
        reader.m_maxHeight = kBoxHeight;
        CImageObject image;
        if (!reader.ReadScaled(path.c_str(), &image) || !FitsBox(image.width, image.height)) {
            std::fprintf(stderr, "ours: %s failed\n", path.c_str());
            return false;
        }
    }
    return true;
}

// libvips' thumbnail call in this process (what vipsthumbnail runs per file),
// materialised into memory as ours is; no start-up and no encode of the result.
bool VipsThumbnails(const std::vector<std::string>& photos) {
    for (const std::string& path : photos) {
        VipsImage* out = nullptr;
        if (vips_thumbnail(path.c_str(), &out, kBoxWidth, "height", kBoxHeight, nullptr) != 0) {
            std::fprintf(stderr, "libvips: %s: %s\n", path.c_str(), vips_error_buffer());
            vips_error_clear();
            return false;
        }
        size_t size = 0;
        void* data = vips_image_write_to_memory(out, &size);
        const bool ok = data != nullptr && FitsBox(out->Xsize, out->Ysize);
        g_free(data);
        g_object_unref(out);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// One vipsthumbnail for the whole folder (it takes any number of files).
bool VipsThumbnailProgram(const std::vector<std::string>& photos, const std::string& outDir) {
    std::vector<std::string> argv = {kVipsThumbnail, "--size",
                                     std::to_string(kBoxWidth) + "x" + std::to_string(kBoxHeight),
                                     "-o", outDir + "/%s.jpg"};
    argv.insert(argv.end(), photos.begin(), photos.end());
    return RunProcess(argv, {"VIPS_CONCURRENCY=1"});
}

// One convert per file: given several inputs, convert reads them all before
// writing any, which would hold every full-size image in memory at once.
bool ConvertThumbnails(const std::vector<std::string>& photos, const std::string& outDir) {
    const std::string box = std::to_string(kBoxWidth) + "x" + std::to_string(kBoxHeight);
    for (const std::string& path : photos) {
        if (!RunProcess({kConvert, path, "-thumbnail", box, outDir + "/convert.jpg"},
                        {"MAGICK_THREAD_LIMIT=1", "OMP_NUM_THREADS=1"})) {
            std::fprintf(stderr, "convert: %s failed\n", path.c_str());
            return false;
        }
    }
    return true;
}

struct Row {
    const char* tool;
    const char* invoked;
    int repeats;
    double seconds; // < 0: not run
    bool ok;
};

} // namespace

bool RunThumbnailBench(const std::vector<std::string>& photos,
                       const ThumbnailBenchOptions& options) {
    const double files = static_cast<double>(photos.size());
    std::vector<Row> rows;
    auto measure = [&](const char* tool, const char* invoked, int repeats,
                       const std::function<bool()>& run) {
        bool ok = false;
        const double s = BestSeconds(run, repeats, &ok);
        rows.push_back({tool, invoked, repeats, s, ok});
    };

    measure("ours: CJpegReader::ReadScaled", "in process", options.repeats,
            [&] { return OurThumbnails(photos); });
    const bool haveProgram = IsExecutable(kVipsThumbnail);
    if (haveProgram) {
        measure("vipsthumbnail --size 160x120", "once for all", options.repeats,
                [&] { return VipsThumbnailProgram(photos, options.outDir); });
    } else {
        rows.push_back({"vipsthumbnail (missing: libvips-tools)", "-", 0, -1.0, false});
    }
    measure("libvips vips_thumbnail()", "in process", options.repeats,
            [&] { return VipsThumbnails(photos); });
    measure("convert -thumbnail 160x120", "once per file", options.convertRepeats,
            [&] { return ConvertThumbnails(photos, options.outDir); });

    std::printf("\nThumbnails: %zu JPEGs of %.0f Mpx into a 160x120 box, single-threaded\n",
                photos.size(), options.photoMegapixels);
    std::printf("%-40s %-14s %5s %9s %9s %9s %9s\n", "tool", "invoked", "best", "folder s",
                "ms/file", "Mpx/s", "ours/tool");
    const double ours = rows[0].seconds;
    for (const Row& r : rows) {
        if (r.seconds < 0) {
            std::printf("%-40s %-14s %5s %9s\n", r.tool, r.invoked, "-", "not run");
            continue;
        }
        std::printf("%-40s %-14s %5d %9.3f %9.2f %9.1f %9.2f%s\n", r.tool, r.invoked, r.repeats,
                    r.seconds, 1000.0 * r.seconds / files,
                    files * options.photoMegapixels / r.seconds, ours / r.seconds,
                    r.ok ? "" : "  FAILED");
    }
    const Row& peer = haveProgram ? rows[1] : rows[2];
    const bool met = rows[0].ok && peer.ok && ours <= peer.seconds;
    std::printf("target ours/%s <= 1.00: %.2f %s\n",
                haveProgram ? "vipsthumbnail" : "vips_thumbnail", ours / peer.seconds,
                met ? "met" : "MISSED");
    std::printf("vipsthumbnail runs with VIPS_CONCURRENCY=1 and writes 160x120 JPEGs; convert with "
                "MAGICK_THREAD_LIMIT=1;\nours and vips_thumbnail() keep the result in memory\n");
    return met;
}
