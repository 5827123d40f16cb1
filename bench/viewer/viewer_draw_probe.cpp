// Times what a user waits for when an image is opened in the viewer: from the
// open request reaching the running program until the first band of the image
// is on screen, and until the whole image is, beside the reader's decode of the
// same file alone, all in one run.
//
//   viewer_draw_probe APP RUNS FILE...
//
// For each FILE the probe hands RUNS fresh copies of the file to the running
// program (the first call starts it; that cold start is reported apart) and
// reads the marks the program appends to the file named by VXP_DRAW_TRACE
// ("open", "first", "whole", QueryPerformanceCounter ticks: one clock for
// every process). Before each open it times the reader alone on the same
// file, so that both see the machine in the same state: on a shared machine
// the decode time of one file drifts by a third between minutes, and ratios
// are only fair between neighbours. Both columns are medians. Copies, not
// the file itself, so that each open really decodes instead of finding the
// image in the program's cache. Prints one table row per file.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs/codec_registry.h"
#include "imaging/image_object.h"

namespace {

double TicksToMs(long long ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return 1000.0 * static_cast<double>(ticks) / frequency;
}

long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// One full-size read on this thread, in milliseconds (-1 when it fails).
double DecodeOnceMs(const std::string& path) {
    std::unique_ptr<CImageReader> reader = NewImageReader(DetectImageFileType(path.c_str()));
    if (!reader)
        return -1.0;
    CImageObject image;
    const long long start = Now();
    if (!reader->Read(path.c_str(), &image))
        return -1.0;
    return TicksToMs(Now() - start);
}

struct Marks {
    long long open = 0, first = 0, whole = 0;
    bool complete() const { return open && first && whole; }
};

Marks ReadMarks(const std::string& log) {
    Marks m;
    FILE* f = std::fopen(log.c_str(), "r");
    if (!f)
        return m;
    char name[16];
    long long ticks = 0;
    while (std::fscanf(f, "%15s %lld", name, &ticks) == 2) {
        // The first mark of each kind after the open belongs to this open.
        if (!std::strcmp(name, "open") && !m.open)
            m.open = ticks;
        else if (!std::strcmp(name, "first") && m.open && !m.first)
            m.first = ticks;
        else if (!std::strcmp(name, "whole") && m.open && !m.whole)
            m.whole = ticks;
    }
    std::fclose(f);
    return m;
}

bool Launch(const std::string& app, const std::string& argument) {
    std::string command = "\"" + app + "\" \"" + argument + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

// Hands `file` to the program and waits (up to 60 s) for its three marks.
bool OpenOnce(const std::string& app, const std::string& file, const std::string& log,
              Marks* marks) {
    DeleteFileA(log.c_str());
    if (!Launch(app, file))
        return false;
    for (int waited = 0; waited < 60000; waited += 5) {
        *marks = ReadMarks(log);
        if (marks->complete())
            return true;
        Sleep(5);
    }
    return false;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s APP RUNS FILE...\n", argv[0]);
        return 1;
    }
    const std::string app = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "vxp-draw-trace.txt";
    SetEnvironmentVariableA("VXP_DRAW_TRACE", log.c_str());

    std::printf("%-10s %9s %9s %7s %9s %7s %9s\n", "file", "decode", "first", "/dec", "whole",
                "/dec", "cold");
    bool allOk = true;
    for (int i = 3; i < argc; ++i) {
        const std::string file = argv[i];
        std::vector<double> decodes, first, whole, firstRatio, wholeRatio;
        double cold = -1.0;
        const std::string::size_type slash = file.find_last_of("\\/");
        const std::string folder = file.substr(0, slash + 1);
        const std::string name = file.substr(slash + 1);
        for (int r = 0; r <= runs; ++r) {
            const std::string copy = folder + "run" + std::to_string(r) + "-" + name;
            if (!CopyFileA(file.c_str(), copy.c_str(), FALSE)) {
                allOk = false;
                break;
            }
            const double decodeMs = DecodeOnceMs(copy);
            if (decodeMs < 0) {
                std::fprintf(stderr, "%s: the reader failed\n", copy.c_str());
                allOk = false;
                break;
            }
            Marks m;
            const long long launched = Now();
            if (!OpenOnce(app, copy, log, &m)) {
                std::fprintf(stderr, "%s: no complete marks within 60 s\n", copy.c_str());
                allOk = false;
                break;
            }
            if (r == 0) {
                // Warm-up of this file type. For the first file the program
                // was not running yet, so that one includes its start.
                if (i == 3)
                    cold = TicksToMs(m.whole - launched);
                continue;
            }
            decodes.push_back(decodeMs);
            first.push_back(TicksToMs(m.first - m.open));
            whole.push_back(TicksToMs(m.whole - m.open));
            firstRatio.push_back(first.back() / decodeMs);
            wholeRatio.push_back(whole.back() / decodeMs);
        }
        const double decode = Median(decodes), f = Median(first), w = Median(whole);
        std::printf("%-10s %7.1fms %7.1fms %7.2f %7.1fms %7.2f %7.1fms\n", name.c_str(), decode, f,
                    Median(firstRatio), w, Median(wholeRatio), cold);
        std::fflush(stdout);
    }
    std::printf("decode: the reader alone, full size, just before each open; first/whole: open "
                "request to the first band / the last row on screen in the running program; "
                "medians of %d (the ratios: of each open to the decode just before it); cold: "
                "start of the program until the whole first image\n",
                runs);
    Launch(app, "/Shutdown");
    return allOk ? 0 : 1;
}
