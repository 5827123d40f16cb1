// Throughput of the pixel operations on one 6000 x 4000 24-bpp image, side by
// side with the closest libvips operation run single-threaded on the same
// pixels in memory, and with a plain memory copy of the image as the limit.
// The byte-table operations meet vips_maplut with the very table ours
// applied, read back from our result.
//
//   imaging_bench [repeats] [--pages huge|4k]
//
// Every figure is the best of `repeats` runs (default 3), in megapixels of
// source image per second.
//
// Page policy, the same for every engine and said in the output. Without
// --pages the bench runs itself once under each policy:
//   huge - our large pixel buffers ask for transparent huge pages, and
//          glibc.malloc.hugetlb=1 gives libvips' buffers (and the memcpy
//          lines') them too;
//   4k   - transparent huge pages are switched off for the whole process
//          (PR_SET_THP_DISABLE), as the shipped Windows build has none.
// Targets, under each policy: ours ahead of libvips on every operation
// libvips has, and every byte-table operation within 3x the time of a memory
// copy into a fresh buffer. Exit code 0 when all are met, 3 when one is
// missed, 1 on failure.
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/image_object.h"
#include "imaging/operations/channel_lookup.h"
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/flip_op.h"
#include "imaging/operations/mode_conversions.h"
#include "imaging/operations/resize_op.h"
#include "imaging/operations/rotate_op.h"
#include "imaging/operations/tone_operations.h"
#include "imaging/operations/indexed_color_op.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

double Seconds(const std::function<void()>& run, int repeats) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

// A photograph-like pattern: smooth gradients with some texture, so that
// nothing collapses into a trivial case.
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

// The same pixels as a libvips image (RGB order) in memory.
VipsImage* ToVips(const CImageObject& image, std::vector<uint8_t>& storage) {
    storage.resize(size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = const_cast<CImageObject&>(image).GetRow(y, true);
        uint8_t* out = &storage[size_t(y) * image.width * 3];
        for (int x = 0; x < image.width; ++x) {
            out[3 * x + 0] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x + 0];
        }
    }
    return vips_image_new_from_memory(storage.data(), storage.size(), image.width, image.height, 3,
                                      VIPS_FORMAT_UCHAR);
}

// Runs a libvips pipeline to the end into memory; false when it failed.
bool Materialise(VipsImage* out) {
    size_t size = 0;
    void* data = vips_image_write_to_memory(out, &size);
    g_object_unref(out);
    if (!data)
        return false;
    g_free(data);
    return true;
}

// Megapixels per second. "ours" allocates a fresh destination each run, as
// the viewer's commands do; "in place" writes into a destination made once,
// as the adjustment previews do (0 where the operation always creates).
struct Row {
    std::string name;
    double ours;
    double inPlace;
    double peer; // 0 when there is no peer operation
    bool lookupTable;
    const char* peerName;
};

// The per-channel byte table a table operation applied, read back from its
// result: table[c][v] is what channel c of value v became (identity for
// values the image never has). False when one value went two ways, i.e. the
// operation is no byte table.
bool ReadBackTable(const CImageObject& source, const CImageObject& result, uint8_t table[3][256]) {
    bool seen[3][256] = {};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v)
            table[c][v] = static_cast<uint8_t>(v);
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* in = const_cast<CImageObject&>(source).GetRow(y, true);
        const uint8_t* out = const_cast<CImageObject&>(result).GetRow(y, true);
        for (int i = 0; i < 3 * source.width; ++i) {
            const int c = i % 3;
            if (seen[c][in[i]] && table[c][in[i]] != out[i])
                return false;
            seen[c][in[i]] = true;
            table[c][in[i]] = out[i];
        }
    }
    return true;
}

// The table as a 256 x 1 libvips image in libvips' band order (R, G, B).
VipsImage* VipsTable(const uint8_t table[3][256], std::vector<uint8_t>& storage) {
    storage.resize(256 * 3);
    for (int v = 0; v < 256; ++v)
        for (int band = 0; band < 3; ++band)
            storage[3 * v + band] = table[2 - band][v];
    return vips_image_new_from_memory(storage.data(), storage.size(), 256, 1, 3, VIPS_FORMAT_UCHAR);
}

// The machine's load average over the last minute, as /proc/loadavg gives it.
std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen))
        return "unknown";
    return one + " " + five + " " + fifteen;
}

// ImageMagick's convert, or empty when it is not installed (a stand-in that
// is not ImageMagick does not count).
std::string FindImageMagick() {
    for (const char* path : {"/usr/local/bin/convert", "/usr/bin/convert"}) {
        if (access(path, X_OK) != 0)
            continue;
        const std::string probe = std::string(path) + " -version 2>/dev/null";
        FILE* pipe = popen(probe.c_str(), "r");
        if (!pipe)
            continue;
        char line[256] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        pclose(pipe);
        if (read && std::strstr(line, "ImageMagick"))
            return path;
    }
    return std::string();
}

// The image as a binary PPM (red, green, blue) for the command-line peers.
bool WritePpm(const CImageObject& image, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    std::vector<uint8_t> row(size_t(image.width) * 3);
    bool ok = true;
    for (int y = 0; y < image.height && ok; ++y) {
        const uint8_t* in = const_cast<CImageObject&>(image).GetRow(y, true);
        for (int x = 0; x < image.width; ++x) {
            row[3 * x + 0] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x + 0];
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

// Seconds of the best of `repeats` runs of a shell command; negative when it
// failed.
double CommandSeconds(const std::string& command, int repeats) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        const int rc = std::system(command.c_str());
        auto end = std::chrono::steady_clock::now();
        if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) != 0)
            return -1;
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

constexpr double kTableCopyTarget = 3.0;

// Prints the table and the verdicts; true when every target is met.
bool Print(const std::vector<Row>& rows, double copyRate, double freshCopyRate) {
    std::printf("%-22s %10s %10s %12s %10s %10s %10s  %s\n", "operation", "ours", "in place",
                "libvips", "ours/vips", "copy/best", "fresh/ours", "target");
    bool allMet = true;
    for (const Row& r : rows) {
        const double best = std::max(r.ours, r.inPlace);
        std::printf("%-22s %10.1f ", r.name.c_str(), r.ours);
        if (r.inPlace > 0)
            std::printf("%10.1f ", r.inPlace);
        else
            std::printf("%10s ", "-");
        if (r.peer > 0)
            std::printf("%12.1f %10.2f ", r.peer, r.ours / r.peer);
        else
            std::printf("%12s %10s ", "-", "-");
        // Ahead of the peer where there is one; a byte table also within
        // the fresh copy's target.
        const bool peerMet = r.peer <= 0 || r.ours > r.peer;
        const bool copyMet = !r.lookupTable || freshCopyRate / r.ours <= kTableCopyTarget;
        const bool judged = r.peer > 0 || r.lookupTable;
        allMet = allMet && peerMet && copyMet;
        std::printf("%10.2f %10.2f  %-6s%s%s\n", copyRate / best, freshCopyRate / r.ours,
                    !judged              ? "-"
                    : peerMet && copyMet ? "met"
                                         : "MISSED",
                    r.lookupTable ? "  (lookup table)" : "", r.peerName ? r.peerName : "");
    }
    std::printf(
        "%-22s %10.1f   (memory copy of the 24-bpp image into a reused buffer: the limit)\n",
        "memcpy", copyRate);
    std::printf("%-22s %10.1f   (memory copy into a fresh image of ours each run, as ours "
                "writes)\n",
                "memcpy (fresh)", freshCopyRate);
    std::printf(
        "figures in megapixels per second; libvips also allocates its output each run.\n"
        "ours/vips above 1: ours faster. copy/best: the reused-buffer copy's rate over our best; "
        "fresh/ours:\nthe fresh-buffer copy's rate over ours (our time in copies; target for "
        "the lookup tables <= %.0f).\ntarget: ours/vips above 1 on every line with libvips, "
        "and fresh/ours <= %.0f on every lookup table: %s\n",
        kTableCopyTarget, kTableCopyTarget, allMet ? "met" : "MISSED");
    return allMet;
}

// Kilobytes of the process's anonymous memory in transparent huge pages.
long AnonHugeKilobytes() {
    FILE* in = std::fopen("/proc/self/smaps_rollup", "r");
    if (!in)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, in))
        if (std::sscanf(line, "AnonHugePages: %ld kB", &kib) == 1)
            break;
    std::fclose(in);
    return kib;
}

// GLIBC_TUNABLES as it is, with glibc.malloc.hugetlb set to value.
std::string TunablesWithHugetlb(const char* value) {
    const char* now = std::getenv("GLIBC_TUNABLES");
    std::string kept;
    std::string all = now ? now : "";
    size_t start = 0;
    while (start <= all.size() && !all.empty()) {
        size_t end = all.find(':', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string item = all.substr(start, end - start);
        if (!item.empty() && item.compare(0, 20, "glibc.malloc.hugetlb") != 0)
            kept += item + ":";
        start = end + 1;
    }
    return kept + "glibc.malloc.hugetlb=" + value;
}

// Runs this program again under each page policy; the worst exit code.
int RunBothPolicies(char** argv, const char* repeats) {
    int result = 0;
    for (const char* policy : {"huge", "4k"}) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            const bool huge = std::strcmp(policy, "huge") == 0;
            setenv("GLIBC_TUNABLES", TunablesWithHugetlb(huge ? "1" : "0").c_str(), 1);
            // Kept across exec: no page of the process, ours or libvips',
            // becomes a huge one.
            if (!huge && prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0)
                _exit(1);
            char pagesFlag[] = "--pages";
            char* args[] = {argv[0], const_cast<char*>(repeats), pagesFlag,
                            const_cast<char*>(policy), nullptr};
            execv("/proc/self/exe", args);
            _exit(1);
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return 1;
        const int code = WEXITSTATUS(status);
        if (code == 1)
            return 1;
        result = std::max(result, code);
        std::printf("\n");
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    int repeats = 3;
    const char* policy = nullptr;
    std::string repeatsText = "3";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc &&
            (std::strcmp(argv[i + 1], "huge") == 0 || std::strcmp(argv[i + 1], "4k") == 0)) {
            policy = argv[++i];
        } else if (std::atoi(argv[i]) > 0) {
            repeats = std::atoi(argv[i]);
            repeatsText = argv[i];
        } else {
            std::fprintf(stderr, "usage: %s [repeats] [--pages huge|4k]\n", argv[0]);
            return 1;
        }
    }
    if (!policy)
        return RunBothPolicies(argv, repeatsText.c_str());
    const bool hugePolicy = std::strcmp(policy, "huge") == 0;
    // Either policy holds only when the process was started under it.
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const bool vipsHuge = tunables && std::strstr(tunables, "glibc.malloc.hugetlb=1");
    const bool thpOff = prctl(PR_GET_THP_DISABLE, 0, 0, 0, 0) == 1;
    if (hugePolicy ? !vipsHuge || thpOff : !thpOff) {
        std::fprintf(stderr, "--pages %s: run without --pages, which starts each policy\n", policy);
        return 1;
    }
    if (VIPS_INIT(argv[0]))
        return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0);

    const std::string loadBefore = LoadAverage();
    CImageObject source;
    if (!source.Create(kWidth, kHeight, 24, 0)) {
        std::fprintf(stderr, "cannot create the %dx%d image\n", kWidth, kHeight);
        return 1;
    }
    FillPattern(source);
    const long sourceHugeKib = AnonHugeKilobytes();
    std::vector<uint8_t> vipsPixels;
    VipsImage* vin = ToVips(source, vipsPixels);

    const size_t bytes = size_t(source.stride) * source.height;
    std::vector<uint8_t> copy(bytes);
    double copyRate =
        kMegapixels / Seconds([&] { std::memcpy(copy.data(), source.bits, bytes); }, repeats * 2);
    const double freshCopyRate =
        kMegapixels / Seconds(
                          [&] {
                              CImageObject dest;
                              if (dest.CreateLike(&source))
                                  std::memcpy(dest.bits, source.bits, bytes);
                          },
                          repeats * 2);

    std::vector<Row> rows;
    // keepsSize: the operation writes a destination of the source's size and
    // depth, so it can also run in place.
    auto ours = [&](const char* name, CImageOperation& op, bool lut, bool keepsSize,
                    const std::function<bool(VipsImage**)>& peer) {
        op.createDestination = true;
        double t = Seconds(
            [&] {
                CImageObject dest;
                if (!op.Apply(&dest, &source))
                    std::fprintf(stderr, "%s failed\n", name);
            },
            repeats);
        // In place where the operation keeps the size and depth.
        double inPlaceRate = 0;
        CImageObject reused;
        if (keepsSize && reused.CreateLike(&source)) {
            std::memset(reused.bits, 0, size_t(reused.stride) * reused.height);
            op.createDestination = false;
            bool ok = true;
            double ti = Seconds([&] { ok = op.Apply(&reused, &source) && ok; }, repeats);
            if (ok)
                inPlaceRate = kMegapixels / ti;
            op.createDestination = true;
        }
        // A byte-table operation without a libvips peer of its own meets
        // vips_maplut with the table ours applied.
        std::function<bool(VipsImage**)> tablePeer;
        uint8_t table[3][256];
        std::vector<uint8_t> tableStorage;
        VipsImage* vipsTable = nullptr;
        const char* peerName = nullptr;
        if (lut && !peer) {
            CImageObject probe;
            if (op.Apply(&probe, &source) && ReadBackTable(source, probe, table) &&
                (vipsTable = VipsTable(table, tableStorage)) != nullptr) {
                tablePeer = [&](VipsImage** out) {
                    return vips_maplut(vin, out, vipsTable, nullptr) == 0;
                };
                peerName = "  (libvips: vips_maplut)";
            }
        }
        const std::function<bool(VipsImage**)>& peerOp = peer ? peer : tablePeer;
        double peerRate = 0;
        if (peerOp) {
            double pt = Seconds(
                [&] {
                    VipsImage* out = nullptr;
                    if (!peerOp(&out) || !Materialise(out))
                        std::fprintf(stderr, "libvips %s failed: %s\n", name, vips_error_buffer());
                },
                repeats);
            peerRate = kMegapixels / pt;
        }
        if (vipsTable)
            g_object_unref(vipsTable);
        rows.push_back({name, kMegapixels / t, inPlaceRate, peerRate, lut, peerName});
    };

    CImageSizeOp halve;
    halve.mode = CImageSizeOp::kExactSize;
    halve.width = kWidth / 2;
    halve.height = kHeight / 2;
    ours("resize to half", halve, false, false,
         [&](VipsImage** out) { return vips_shrink(vin, out, 2.0, 2.0, nullptr) == 0; });

    CFlipOp flipH;
    flipH.direction = CFlipOp::kHorizontal;
    ours("flip horizontal", flipH, false, true, [&](VipsImage** out) {
        return vips_flip(vin, out, VIPS_DIRECTION_HORIZONTAL, nullptr) == 0;
    });
    CFlipOp flipV;
    flipV.direction = CFlipOp::kVertical;
    ours("flip vertical", flipV, false, true, [&](VipsImage** out) {
        return vips_flip(vin, out, VIPS_DIRECTION_VERTICAL, nullptr) == 0;
    });

    CRotateOp rotate90;
    rotate90.angle = 90;
    ours("rotate 90", rotate90, false, false,
         [&](VipsImage** out) { return vips_rot90(vin, out, nullptr) == 0; });
    CRotateOp rotate45;
    rotate45.angle = 45;
    ours("rotate 45", rotate45, false, false, nullptr);

    CInvertOp invert;
    ours("invert", invert, true, true,
         [&](VipsImage** out) { return vips_invert(vin, out, nullptr) == 0; });

    // libvips' closest grey conversion with the same weights: a 1x3
    // recombination followed by a cast back to bytes.
    CGrayscaleModeOp grey;
    ours("greyscale", grey, false, false, [&](VipsImage** out) {
        double weights[3] = {54 / 256.0, 183 / 256.0, 19 / 256.0};
        VipsImage* matrix = vips_image_new_matrix_from_array(3, 1, weights, 3);
        VipsImage* mixed = nullptr;
        int rc = vips_recomb(vin, &mixed, matrix, nullptr);
        g_object_unref(matrix);
        if (rc)
            return false;
        rc = vips_cast(mixed, out, VIPS_FORMAT_UCHAR, nullptr);
        g_object_unref(mixed);
        return rc == 0;
    });

    CBrightnessContrastOp bc;
    bc.brightness = 20;
    bc.contrast = 30;
    ours("brightness/contrast", bc, true, true, nullptr);
    CPosterizeOp posterize;
    posterize.levels = 6;
    ours("posterize", posterize, true, true, nullptr);
    CColorBalanceOp balance;
    balance.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kMidtones] = 40;
    balance.preserveLuminosity = false;
    ours("colour balance", balance, true, true, nullptr);
    CColorBalanceOp balanceLum;
    balanceLum.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kMidtones] = 40;
    balanceLum.preserveLuminosity = true;
    ours("colour balance (lum.)", balanceLum, false, true, nullptr);
    CEqualizeOp equalize;
    ours("equalize", equalize, true, true, nullptr);
    CDesaturateOp desaturate;
    ours("desaturate", desaturate, false, true, nullptr);
    // libvips turns the hue through its LCh space: there, back and a cast,
    // the way an image program's "modulate" does.
    CHueSaturationOp hue;
    hue.hue[0] = 30;
    ours("hue/saturation", hue, false, true, [&](VipsImage** out) {
        VipsImage* lch = nullptr;
        if (vips_colourspace(vin, &lch, VIPS_INTERPRETATION_LCH, nullptr))
            return false;
        double scale[3] = {1, 1, 1}, offset[3] = {0, 0, 30};
        VipsImage* turned = nullptr;
        int rc = vips_linear(lch, &turned, scale, offset, 3, nullptr);
        g_object_unref(lch);
        if (rc)
            return false;
        rc = vips_colourspace(turned, out, VIPS_INTERPRETATION_sRGB, nullptr);
        g_object_unref(turned);
        return rc == 0;
    });
    CIndexedColorOp indexed;
    ours("indexed colour (256)", indexed, false, false, nullptr);

    std::printf("image %dx%d, 24 bpp, best of %d, single thread; load average %s\n", kWidth,
                kHeight, repeats, LoadAverage().c_str());
    std::printf("page policy: %s; %ld KiB of huge pages held once the source image was made\n",
                hugePolicy ? "huge pages for ours and libvips alike (our buffers ask for "
                             "transparent huge pages, glibc.malloc.hugetlb=1 for libvips)"
                           : "4 KB pages for ours and libvips alike (transparent huge pages "
                             "off for the process, as on Windows)",
                sourceHugeKib);
    std::printf("byte tables: %s\n", CChannelLookup::WidePathEnabled()
                                         ? "64 bytes at a time (512-bit byte permutes)"
                                         : "one pixel at a time (no 512-bit byte permutes here)");
    const bool met = Print(rows, copyRate, freshCopyRate);

    // ImageMagick on the same pixels, one thread, from and to a PPM file: its
    // time less that of the same command without the operation (reading and
    // writing the file) against ours.
    const std::string magick = FindImageMagick();
    if (magick.empty()) {
        std::printf("ImageMagick: not installed here, its comparison is skipped\n");
    } else {
        char folder[] = "/tmp/vxp-imaging-bench-XXXXXX";
        if (!mkdtemp(folder) || !WritePpm(source, std::string(folder) + "/in.ppm")) {
            std::printf("ImageMagick: cannot write the image for it, its comparison is skipped\n");
        } else {
            const std::string in = std::string(folder) + "/in.ppm";
            const std::string out = std::string(folder) + "/out.ppm";
            const std::string head = "MAGICK_THREAD_LIMIT=1 " + magick + " " + in + " ";
            const double plain = CommandSeconds(head + out, repeats);
            // -modulate's hue is 100 + degrees / 1.8: ours turns by 30 degrees.
            struct Peer {
                const char* ours;
                const char* arguments;
            } peers[] = {
                {"hue/saturation", "-modulate 100,100,116.6667 "},
                {"indexed colour (256)", "-dither FloydSteinberg -colors 256 "},
            };
            std::printf("ImageMagick (%s, one thread), seconds for the whole command and less "
                        "the %.3f s of reading and writing the file:\n",
                        magick.c_str(), plain);
            std::printf("%-22s %10s %10s %12s %10s\n", "operation", "ours s", "magick s",
                        "magick net", "net/ours");
            for (const Peer& peer : peers) {
                double oursRate = 0;
                for (const Row& r : rows)
                    if (r.name == peer.ours)
                        oursRate = r.ours;
                const double total = CommandSeconds(head + peer.arguments + out, repeats);
                if (plain < 0 || total < 0 || oursRate <= 0) {
                    std::printf("%-22s   (ImageMagick failed)\n", peer.ours);
                    continue;
                }
                const double oursSeconds = kMegapixels / oursRate;
                const double net = std::max(0.0, total - plain);
                std::printf("%-22s %10.3f %10.3f %12.3f %10.2f\n", peer.ours, oursSeconds, total,
                            net, net / oursSeconds);
            }
            std::printf("net/ours above 1: ours faster.\n");
        }
        std::remove((std::string(folder) + "/in.ppm").c_str());
        std::remove((std::string(folder) + "/out.ppm").c_str());
        rmdir(folder);
    }
    std::printf("load average (1, 5, 15 min): %s before, %s after, on %ld processors\n",
                loadBefore.c_str(), LoadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    g_object_unref(vin);
    vips_shutdown();
    return met ? 0 : 3;
}
