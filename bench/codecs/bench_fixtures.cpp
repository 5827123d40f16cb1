#include "bench/codecs/bench_fixtures.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench/codecs/bench_process.h"

namespace {

const char* const kConvert = "/usr/bin/convert";

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

bool MakeDir(const std::string& path) {
    struct stat st;
    return mkdir(path.c_str(), 0755) == 0 || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

// ImageMagick arguments that draw one image of width x height and write it
// as a JPEG to `out` (the format given explicitly: the name ends in .part).
std::vector<std::string> PlasmaCommand(int width, int height, int seed, int quality,
                                       const char* sampling, const std::vector<std::string>& look,
                                       const std::string& out) {
    std::vector<std::string> argv = {kConvert,
                                     "-size",
                                     std::to_string(width) + "x" + std::to_string(height),
                                     "-seed",
                                     std::to_string(seed),
                                     "plasma:fractal"};
    argv.insert(argv.end(), look.begin(), look.end());
    const std::vector<std::string> tail = {
        "-quality", std::to_string(quality), "-sampling-factor", sampling, "-strip", "JPEG:" + out};
    argv.insert(argv.end(), tail.begin(), tail.end());
    return argv;
}

} // namespace

namespace {

std::string EnsureLarge(const std::string& dir, const char* name,
                        const std::vector<std::string>& look) {
    const std::string path = dir + "/" + name;
    if (Exists(path)) {
        return path;
    }
    if (!MakeDir(dir)) {
        return {};
    }
    std::fprintf(stderr, "making %s\n", path.c_str());
    const std::string part = path + ".part";
    if (!RunProcess(PlasmaCommand(kLargeWidth, kLargeHeight, 1, 90, "4:2:0", look, part),
                    {"MAGICK_THREAD_LIMIT=1"}) ||
        std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        return {};
    }
    return path;
}

} // namespace

std::string EnsureLargeJpeg(const std::string& dir) {
    return EnsureLarge(dir, "large_6000x4000_q90.jpg", {});
}

std::string EnsureLargePhotoJpeg(const std::string& dir) {
    return EnsureLarge(dir, "photo_6000x4000_q90.jpg", {"-attenuate", "0.3", "+noise", "Gaussian"});
}

double FileMegabytes(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size / 1e6 : 0.0;
}

std::vector<std::string> EnsurePhotoFolder(const std::string& dir, int count, int jobs) {
    const std::string folder = dir + "/photos-v1";
    if (!MakeDir(dir) || !MakeDir(folder)) {
        return {};
    }
    struct Pending {
        pid_t pid;
        std::string part;
        std::string path;
    };
    std::vector<std::string> paths;
    std::vector<Pending> running;
    bool ok = true;
    // Waits for one child and renames its file when it succeeded.
    auto reapOne = [&] {
        pid_t pid = -1;
        const bool exited = WaitAnyProcess(&pid);
        for (size_t i = 0; i < running.size(); ++i) {
            if (running[i].pid == pid) {
                if (!exited || std::rename(running[i].part.c_str(), running[i].path.c_str()) != 0) {
                    std::remove(running[i].part.c_str());
                    ok = false;
                }
                running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
        }
        if (pid < 0) {
            running.clear(); // no children left: nothing more to wait for
            ok = false;
        }
    };
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/photo_%03d.jpg", i);
        const std::string path = folder + name;
        paths.push_back(path);
        if (Exists(path)) {
            continue;
        }
        if (running.empty()) {
            std::fprintf(stderr, "making the missing photos of %s\n", folder.c_str());
        }
        const bool portrait = i % 5 == 4;
        const int quality = 80 + (i * 7) % 16;
        const char* sampling = i % 10 == 9 ? "4:2:2" : "4:2:0";
        std::vector<std::string> look;
        switch (i % 4) {
        case 1:
            look = {"-blur", "0x6"};
            break;
        case 2:
            look = {"-attenuate", "0.5", "+noise", "Gaussian"};
            break;
        case 3:
            look = {"-modulate", "100,50"};
            break;
        default:
            break;
        }
        while (static_cast<int>(running.size()) >= jobs) {
            reapOne();
        }
        const std::string part = path + ".part";
        const pid_t pid = StartProcess(PlasmaCommand(portrait ? kPhotoShort : kPhotoLong,
                                                     portrait ? kPhotoLong : kPhotoShort, 100 + i,
                                                     quality, sampling, look, part),
                                       {"MAGICK_THREAD_LIMIT=1"});
        if (pid < 0) {
            ok = false;
            break;
        }
        running.push_back({pid, part, path});
    }
    while (!running.empty()) {
        reapOne();
    }
    return ok ? paths : std::vector<std::string>{};
}
