// JPEG decode figures of our reader against the system's own tools:
//   1. a 24-megapixel photograph decoded at 1, 1/2, 1/4 and 1/8 by
//      CJpegReader::Read (DCT scale chosen from the zoom) and by djpeg from
//      the same libjpeg-turbo build; target ours/djpeg <= 1.1 at every scale;
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

namespace {

const char* const kDjpeg = "/usr/bin/djpeg";
constexpr double kDecodeTarget = 1.1;

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

// The 24-megapixel decode at the four scales; true when every scale meets
// the target.
bool RunDecodeBench(const std::string& path, int repeats) {
    bool ok = false;
    const double spawn = BestSeconds([] { return RunProcess({"/bin/true"}); }, repeats, &ok);
    std::printf("JPEG decode: %s (%d x %d, quality 90, 4:2:0), best of %d, one thread\n",
                path.c_str(), kLargeWidth, kLargeHeight, repeats);
    std::printf("%-6s %-10s %8s %8s %10s %10s %10s %8s %10s %s\n", "scale", "output", "ours ms",
                "djpeg ms", "ours Mpx/s", "djpg Mpx/s", "ours/djpeg", "buffer", "djpeg -pnm",
                "target");
    const double megapixels = kLargeWidth * static_cast<double>(kLargeHeight) / 1e6;
    bool allMet = true;
    for (const DecodeScale& scale : kDecodeScales) {
        const DecodeTiming ours = TimeReaderDecode(path.c_str(), scale, repeats);
        const std::string factor = "1/" + std::to_string(scale.denominator);
        bool djpegOk = false;
        const double djpeg = TimeDjpeg(path, factor, "-bmp", repeats, &djpegOk);
        bool pnmOk = false;
        const double pnm = TimeDjpeg(path, factor, "-pnm", repeats, &pnmOk);
        const double buffer = TimePixelBuffer(ours.width, ours.height, repeats);
        const double ratio = ours.seconds / djpeg;
        const bool met = ours.ok && djpegOk && ratio <= kDecodeTarget;
        allMet = allMet && met;
        char output[32];
        std::snprintf(output, sizeof output, "%dx%d", ours.width, ours.height);
        std::printf("%-6s %-10s %8.1f %8.1f %10.1f %10.1f %10.2f %8.1f %10.1f %s%s%s\n",
                    factor.c_str(), output, 1000.0 * ours.seconds, 1000.0 * djpeg,
                    megapixels / ours.seconds, megapixels / djpeg, ratio, 1000.0 * buffer,
                    pnmOk ? 1000.0 * pnm : -1.0, met ? "met" : "MISSED",
                    ours.ok ? "" : " (our decode failed or wrong size)",
                    djpegOk ? "" : " (djpeg failed)");
    }
    std::printf(
        "Mpx/s counts the file's %.0f megapixels. ours: CJpegReader::Read with zoom 1, 0.3, 0.2, "
        "0.1.\ndjpeg: -scale 1/N -bmp to /dev/null, one process per run (a bare process start "
        "costs %.1f ms here).\nbuffer: ms to create our 24-bpp image of the output size and touch "
        "its pages, part of ours.\ndjpeg -pnm (reference only): streams rows out, so it never "
        "holds a whole image as ours\nand djpeg -bmp (bottom-up rows) must.\n"
        "target ours/djpeg <= %.1f at every scale: %s\n",
        megapixels, 1000.0 * spawn, kDecodeTarget, allMet ? "met" : "MISSED");
    return allMet;
}

constexpr double kThumbnailMemoryTarget = 2.0;

// Peak resident memory of one thumbnail of path, ours against djpeg's reduced
// decode, best (lowest) of repeats; a bare process start is shown as the
// floor both contain.
bool RunThumbnailMemoryBench(const std::string& path, int repeats) {
    auto peak = [repeats](const std::vector<std::string>& argv, bool* ok) {
        long best = 0;
        *ok = true;
        for (int i = 0; i < repeats; ++i) {
            long kib = 0;
            if (!WaitProcessPeak(StartProcess(argv), &kib)) {
                *ok = false;
                return 0L;
            }
            best = best == 0 ? kib : std::min(best, kib);
        }
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
    const std::vector<std::string> photos =
        EnsurePhotoFolder(options.work, options.photos, options.jobs);
    if (large.empty() || photos.empty()) {
        std::fprintf(stderr, "could not make the images in %s\n", options.work.c_str());
        return 1;
    }

    const bool decodeMet = RunDecodeBench(large, options.repeats);
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
