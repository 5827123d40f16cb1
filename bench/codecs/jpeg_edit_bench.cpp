// The viewer's JPEG edits on one 6000 x 4000 photograph-like image, against
// the command-line tools doing the same on the same file or pixels:
//   - lossless rotation by 90 degrees, ours (CJpegLosslessOp, file to file)
//     against `jpegtran -rotate 90 -perfect` (target: ours at most 1.1x its
//     time), with both results decoded by djpeg and compared;
//   - saving at quality 90, ours (CJpegWriter from the pixels in memory, with
//     the program's default options and with Huffman optimisation off)
//     against `cjpeg -quality 90` from the same pixels as a PPM file, plain
//     and with -optimize (target: ours at most 1.2x).
//
//   jpeg_edit_bench [repeats]
//
// Times are the best of `repeats` runs (default 5), wall clock, one thread.
// The ratio is the peer's time over ours: above 1, ours is faster. The tools'
// times include starting the process and reading their input file; ours
// include writing the output file. The machine's load is printed before and
// after.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/codecs/bench_process.h"
#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/image_object.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

double BestSeconds(const std::function<bool()>& run, int repeats) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!run())
            return -1;
        auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen))
        return "unknown";
    return one + " " + five + " " + fifteen;
}

// Smooth gradients with texture, as in the imaging bench.
void FillPattern(CImageObject& image) {
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = image.GetRow(y, true);
        for (int x = 0; x < image.width; ++x) {
            row[3 * x + 0] = uint8_t((x * 7 + y * 3) >> 4);
            row[3 * x + 1] = uint8_t((x ^ y) + (y >> 3));
            row[3 * x + 2] = uint8_t((x * x + y) >> 6);
        }
    }
}

bool WritePpm(CImageObject& image, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    std::vector<uint8_t> row(size_t(image.width) * 3);
    bool ok = true;
    for (int y = 0; y < image.height && ok; ++y) {
        const uint8_t* in = image.GetRow(y, true);
        for (int x = 0; x < image.width; ++x) {
            row[3 * x + 0] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x + 0];
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PrintRow(const char* what, double ours, const char* peerName, double peer, double target) {
    if (ours < 0 || peer < 0) {
        std::printf("%-34s failed\n", what);
        return;
    }
    const double ratio = peer / ours;
    std::printf("%-34s %9.3f %9.3f  %-28s %6.2f  %s\n", what, ours, peer, peerName, ratio,
                ours <= target * peer ? "met" : "missed");
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string loadBefore = LoadAverage();
    const std::string jpegtran = "/usr/bin/jpegtran", cjpeg = "/usr/bin/cjpeg",
                      djpeg = "/usr/bin/djpeg";
    for (const std::string& tool : {jpegtran, cjpeg, djpeg})
        if (!IsExecutable(tool)) {
            std::printf("%s is not installed: the bench needs libjpeg's tools\n", tool.c_str());
            return 1;
        }
    char folder[] = "/tmp/vxp-jpeg-edit-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = folder;
    const std::string ppm = dir + "/in.ppm", photo = dir + "/photo.jpg",
                      oursOut = dir + "/ours.jpg", peerOut = dir + "/peer.jpg";

    CImageObject image;
    if (!image.Create(kWidth, kHeight, 24, 0)) {
        std::printf("cannot create the image\n");
        return 1;
    }
    FillPattern(image);
    if (!WritePpm(image, ppm)) {
        std::printf("cannot write %s\n", ppm.c_str());
        return 1;
    }

    std::printf("image %dx%d, 24 bpp, best of %d, one thread; seconds\n", kWidth, kHeight, repeats);
    std::printf("%-34s %9s %9s  %-28s %6s\n", "", "ours", "peer", "peer", "p/ours");

    // Saving at quality 90.
    CJpegWriter writer;
    writer.m_quality = 90;
    const double oursSave =
        BestSeconds([&] { return writer.Write(oursOut.c_str(), &image); }, repeats);
    CJpegWriter plainWriter;
    plainWriter.m_quality = 90;
    plainWriter.m_optimizeCoding = false;
    const double oursPlain =
        BestSeconds([&] { return plainWriter.Write(oursOut.c_str(), &image); }, repeats);
    const double cjpegPlain = BestSeconds(
        [&] {
            return RunProcess({cjpeg, "-quality", "90", "-outfile", peerOut, ppm});
        },
        repeats);
    const double cjpegOptimised = BestSeconds(
        [&] {
            return RunProcess({cjpeg, "-quality", "90", "-optimize", "-outfile", peerOut, ppm});
        },
        repeats);
    PrintRow("save q90, default options", oursSave, "cjpeg -quality 90 -optimize", cjpegOptimised,
             1.2);
    PrintRow("save q90, default options", oursSave, "cjpeg -quality 90", cjpegPlain, 1.2);
    PrintRow("save q90, no Huffman optimisation", oursPlain, "cjpeg -quality 90", cjpegPlain, 1.2);

    // Lossless rotation of one file (ours as saved with the defaults).
    if (!writer.Write(photo.c_str(), &image)) {
        std::printf("cannot write %s\n", photo.c_str());
        return 1;
    }
    CJpegLosslessOp rotate;
    rotate.operation = CJpegLosslessOp::kRotate;
    rotate.angle = 90;
    const double oursRotate =
        BestSeconds([&] { return rotate.TransformFile(oursOut.c_str(), photo.c_str()); }, repeats);
    const double peerRotate = BestSeconds(
        [&] {
            return RunProcess({jpegtran, "-rotate", "90", "-perfect", "-outfile", peerOut, photo});
        },
        repeats);
    PrintRow("lossless rotation by 90", oursRotate, "jpegtran -rotate 90 -perfect", peerRotate,
             1.1);
    const std::string oursPixels = dir + "/ours.ppm", peerPixels = dir + "/peer.ppm";
    const bool decoded = RunProcess({djpeg, "-outfile", oursPixels, oursOut}) &&
                         RunProcess({djpeg, "-outfile", peerPixels, peerOut});
    std::printf("rotated pixels: %s\n", !decoded ? "could not be decoded"
                                        : ReadAll(oursPixels) == ReadAll(peerPixels)
                                            ? "equal to jpegtran's"
                                            : "DIFFERENT from jpegtran's");

    std::printf("p/ours: the peer's time over ours (above 1: ours faster); met: ours within the "
                "target (1.2x for saving, 1.1x for rotation)\n");
    std::printf("load average (1, 5, 15 min): %s before, %s after, on %ld processors\n",
                loadBefore.c_str(), LoadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    for (const std::string& f : {ppm, photo, oursOut, peerOut, oursPixels, peerPixels})
        std::remove(f.c_str());
    rmdir(folder);
    return 0;
}
