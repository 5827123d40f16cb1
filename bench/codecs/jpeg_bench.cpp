// JPEG decode figures of our reader against the system's own tools:
//   1. two 24-megapixel images (smooth plasma, and plasma with grain like a
//      photograph's) decoded at 1, 1/2, 1/4 and 1/8 by CJpegReader::Read
//      (DCT scale chosen from the zoom) and by the same libjpeg-turbo's
//      TurboJPEG call in this process, the floor; and a thumbnail of each
//      against the library's 1/8 decode; target ours within 1.05x of the
//      floor on every line;
//   2. the peak memory of one thumbnail of that photograph, each in a
//      process of its own: ours (thumbnail_probe) against djpeg -scale 1/8;
//      target ours within 2x;
//   3. the thumbnail path (ReadScaled into 160 x 120) over a folder of
//      12-megapixel photographs against vipsthumbnail, libvips' thumbnail
//      call and ImageMagick's convert; target ours at least as fast as
//      vipsthumbnail.
//
//   jpeg_bench [--work DIR] [--repeats N] [--folder-repeats N]
//              [--convert-repeats N] [--photos N] [--jobs N]
//
// The images are made with ImageMagick in DIR (default $TMPDIR/vxp-bench-jpeg)
// on the first run and reused afterwards. Every time is the best of N runs
// after one untimed warm-up run; everything runs on one thread. The exit code
// is 0 when both targets are met, 3 when one is missed, 1 on failure.
#include <sys/stat.h>
#include <vips/vips.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/codecs/bench_fixtures.h"
#include "bench/codecs/bench_process.h"
#include "bench/codecs/jpeg_decode_timing.h"
#include "bench/codecs/thumbnail_bench.h"
#include "bench/codecs/turbo_floor.h"

namespace {

const char* const kDjpeg = "/usr/bin/djpeg";
constexpr double kDecodeTarget = 1.05;

struct Options {
    std::string work;
    int repeats = 5;
    int folderRepeats = 3;
    int convertRepeats = 1;
    int photos = 100;
    int jobs = 0;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    const char* tmp = std::getenv("TMPDIR");
    o->work = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vxp-bench-jpeg";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        const int n = std::atoi(value);
        if (arg == "--work") {
            o->work = value;
        } else if (arg == "--repeats" && n > 0) {
            o->repeats = n;
        } else if (arg == "--folder-repeats" && n > 0) {
            o->folderRepeats = n;
        } else if (arg == "--convert-repeats" && n > 0) {
            o->convertRepeats = n;
        } else if (arg == "--photos" && n > 0) {
            o->photos = n;
        } else if (arg == "--jobs" && n > 0) {
            o->jobs = n;
        } else {
            return false;
        }
    }
    if (o->jobs == 0) {
        o->jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    return true;
}

// Runs djpeg on path at 1/denominator with the output format given.
double TimeDjpeg(const std::string& path, const std::string& factor, const char* format,
                 int repeats, bool* ok) {
    return BestSeconds(
        [&] {
            return RunProcess({kDjpeg, "-scale", factor, format, path});
        },
        repeats, ok);
}

// The 24-megapixel decode at the four scales against the library's own call
// in this process; true when every scale meets the target.
bool RunDecodeBench(const std::string& path, const char* kind, int repeats) {
    std::printf("JPEG decode: %s (%s, %d x %d, quality 90, 4:2:0, %.1f MB), best of %d, one "
                "thread\n",
                path.c_str(), kind, kLargeWidth, kLargeHeight, FileMegabytes(path), repeats);
    std::printf("%-6s %-10s %8s %8s %10s %10s %8s %10s %10s %s\n", "scale", "output", "ours ms",
                "tj ms", "ours Mpx/s", "tj Mpx/s", "tj/ours", "buffer ms", "djpeg -pnm", "target");
    const double megapixels = kLargeWidth * static_cast<double>(kLargeHeight) / 1e6;
    bool allMet = true;
    for (const DecodeScale& scale : kDecodeScales) {
        const DecodeTiming ours = TimeReaderDecode(path.c_str(), scale, repeats);
        const DecodeTiming tj = TimeTurboDecode(path, scale.denominator, false, repeats);
        const std::string factor = "1/" + std::to_string(scale.denominator);
        bool pnmOk = false;
        const double pnm = TimeDjpeg(path, factor, "-pnm", repeats, &pnmOk);
        const double buffer = TimePixelBuffer(ours.width, ours.height, repeats);
        const double ratio = tj.seconds / ours.seconds;
        const bool met = ours.ok && tj.ok && ratio >= 1.0 / kDecodeTarget;
        allMet = allMet && met;
        char output[32];
        std::snprintf(output, sizeof output, "%dx%d", ours.width, ours.height);
        std::printf("%-6s %-10s %8.1f %8.1f %10.1f %10.1f %8.2f %10.1f %10.1f %s%s%s\n",
                    factor.c_str(), output, 1000.0 * ours.seconds, 1000.0 * tj.seconds,
                    megapixels / ours.seconds, megapixels / tj.seconds, ratio, 1000.0 * buffer,
                    pnmOk ? 1000.0 * pnm : -1.0, met ? "met" : "MISSED",
                    ours.ok ? "" : " (our decode failed or wrong size)",
                    tj.ok ? "" : " (TurboJPEG failed)");
    }
    const DecodeTiming thumb = TimeOurThumbnail(path, repeats);
    const DecodeTiming tjThumb = TimeTurboDecode(path, 8, true, repeats);
    const double thumbRatio = tjThumb.seconds / thumb.seconds;
    const bool thumbMet = thumb.ok && tjThumb.ok && thumbRatio >= 1.0 / kDecodeTarget;
    allMet = allMet && thumbMet;
    std::printf("%-6s %-10s %8.1f %8.1f %10.1f %10.1f %8.2f %10s %10s %s\n", "thumb",
                (std::to_string(thumb.width) + "x" + std::to_string(thumb.height)).c_str(),
                1000.0 * thumb.seconds, 1000.0 * tjThumb.seconds, megapixels / thumb.seconds,
                megapixels / tjThumb.seconds, thumbRatio, "-", "-", thumbMet ? "met" : "MISSED");
    std::printf(
        "Mpx/s counts the file's %.0f megapixels. ours: CJpegReader::Read with zoom 1, 0.3, 0.2, "
        "0.1;\nthumb: CJpegReader::ReadScaled into 160 x 120 (a 1/8 decode, then the resample).\n"
        "tj: tjDecompress2 of the same libjpeg-turbo in this process, the file mapped as ours "
        "maps it, into a\nfresh image of ours (same allocator, same page policy), default flags; "
        "for thumb at 1/8 with\nTJFLAG_FASTUPSAMPLE, as our thumbnail path asks.\n"
        "buffer: ms to create our 24-bpp image of the output size and touch its pages, part of "
        "both.\ndjpeg -pnm (reference only): a process of its own that streams rows out.\n"
        "tj/ours above 1: ours faster. Target ours within %.2fx of tj (tj/ours >= %.2f): %s\n\n",
        megapixels, kDecodeTarget, 1.0 / kDecodeTarget, allMet ? "met" : "MISSED");
    return allMet;
}

constexpr double kThumbnailMemoryTarget = 2.0;

// Peak resident memory of one thumbnail of path, ours against djpeg's reduced
// decode, best (lowest) of repeats; a bare process start is shown as the
// floor both contain.
bool RunThumbnailMemoryBench(const std::string& path, int repeats) {
    // Through peak_probe: a child spawned from here would report this
    // process's own peak, which the decodes above have raised.
    const std::string peakFile = path + ".peak";
    auto peak = [&](const std::vector<std::string>& command, bool* ok) {
        long best = 0;
        *ok = true;
        for (int i = 0; i < repeats; ++i) {
            std::vector<std::string> argv = {VXP_PEAK_PROBE, peakFile};
            argv.insert(argv.end(), command.begin(), command.end());
            long kib = 0;
            FILE* in = nullptr;
            if (!RunProcess(argv) || (in = std::fopen(peakFile.c_str(), "r")) == nullptr ||
                std::fscanf(in, "%ld", &kib) != 1 || kib <= 0) {
                if (in != nullptr) {
                    std::fclose(in);
                }
                *ok = false;
                return 0L;
            }
            std::fclose(in);
            best = best == 0 ? kib : std::min(best, kib);
        }
        std::remove(peakFile.c_str());
        return best;
    };
    bool oursOk = false, djpegOk = false, floorOk = false;
    const long ours = peak({VXP_THUMBNAIL_PROBE, path}, &oursOk);
    const long djpeg =
        peak({kDjpeg, "-scale", "1/8", "-bmp", "-outfile", "/dev/null", path}, &djpegOk);
    const long floor = peak({"/bin/true"}, &floorOk);
    const double ratio = djpeg > 0 ? static_cast<double>(ours) / djpeg : 0;
    const bool met = oursOk && djpegOk && ratio <= kThumbnailMemoryTarget;
    std::printf("\nThumbnail peak memory: %s, one process each, lowest of %d\n"
                "ours (ReadScaled into 160 x 120) %ld KiB, djpeg -scale 1/8 %ld KiB, "
                "a bare process %ld KiB\n"
                "ours/djpeg %.2f, target <= %.1f: %s%s%s\n",
                path.c_str(), repeats, ours, djpeg, floorOk ? floor : -1L, ratio,
                kThumbnailMemoryTarget, met ? "met" : "MISSED",
                oursOk ? "" : " (our thumbnail failed)", djpegOk ? "" : " (djpeg failed)");
    return met;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: %s [--work DIR] [--repeats N] [--folder-repeats N] "
                     "[--convert-repeats N] [--photos N] [--jobs N]\n",
                     argv[0]);
        return 1;
    }
    if (VIPS_INIT(argv[0])) {
        return 1;
    }
    // Single-threaded like our reader, and no operation cache: every repeat
    // must decode again.
    vips_concurrency_set(1);
    vips_cache_set_max(0);

    for (const char* tool : {"/usr/bin/convert", kDjpeg}) {
        if (!IsExecutable(tool)) {
            std::fprintf(stderr, "%s is missing (scripts/setup.sh installs it)\n", tool);
            return 1;
        }
    }
    const std::string large = EnsureLargeJpeg(options.work);
    const std::string photo = EnsureLargePhotoJpeg(options.work);
    const std::vector<std::string> photos =
        EnsurePhotoFolder(options.work, options.photos, options.jobs);
    if (large.empty() || photo.empty() || photos.empty()) {
        std::fprintf(stderr, "could not make the images in %s\n", options.work.c_str());
        return 1;
    }

    const bool decodeMet = RunDecodeBench(large, "plasma", options.repeats) &
                           RunDecodeBench(photo, "photo-like: plasma with grain", options.repeats);
    const bool memoryMet = RunThumbnailMemoryBench(large, options.repeats);

    ThumbnailBenchOptions thumbs;
    thumbs.repeats = options.folderRepeats;
    thumbs.convertRepeats = options.convertRepeats;
    thumbs.photoMegapixels = kPhotoLong * static_cast<double>(kPhotoShort) / 1e6;
    thumbs.outDir = options.work + "/thumbnails";
    if (mkdir(thumbs.outDir.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(thumbs.outDir.c_str());
        return 1;
    }
    const bool thumbsMet = RunThumbnailBench(photos, thumbs);
    vips_shutdown();
    return decodeMet && memoryMet && thumbsMet ? 0 : 3;
}
