// Creation speed of the archive code, side by side in one run with the tools
// people compare it with: one archive of a 200 MB mixed tree (text, photos,
// half-compressible data, empty files and folders; fixed seed) at the default
// level, against `zip -6 -r` and `7z a -tzip -mx=6` (on all cores, and on one
// as ours and zip use).
//
//   zip_create_bench [--out DIR] [--runs N] [--megabytes M]
//
// --out        where the tree and the archives go (default /dev/shm, so that
//              the disk does not decide the figures).
// --runs       runs per tool (default 3); the best one counts, the tools
//              take turns, and each run writes a fresh archive.
// --megabytes  size of the tree (default 200).
//
// Ours runs in this process the way the tools use it (each file added with
// its folder path, 64 KB buffers); the others run as child processes, so
// their figures include starting a process. Every archive is checked with
// `unzip -tq` afterwards.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/zip/bench_support.h"
#include "zip/zip_archive.h"
#include "zip/zip_exception.h"

using namespace zipbench;
namespace fs = std::filesystem;

namespace {

struct Options {
    std::string out = "/dev/shm";
    int runs = 3;
    uint64_t megabytes = 200;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        if (arg == "--out")
            options->out = argv[++i];
        else if (arg == "--runs")
            options->runs = std::atoi(argv[++i]);
        else if (arg == "--megabytes")
            options->megabytes = std::strtoull(argv[++i], nullptr, 10);
        else
            return false;
    }
    return options->runs > 0 && options->megabytes > 0;
}

// Words for the text files: compressible the way prose and source are.
const char* const kWords[] = {"image",  "folder",  "the",    "viewer",  "of",      "and",
                              "colour", "archive", "zoom",   "picture", "catalog", "list",
                              "a",      "to",      "window", "file",    "size",    "width"};

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The tree: a third of the bytes text, a third random (photos, already
// compressed), a third runs with noise (bitmaps, documents); 4 KB to 2 MB a
// file over twenty folders, with some empty files and one empty folder.
TreeTotals MakeTree(const fs::path& root, uint64_t totalBytes) {
    std::mt19937_64 rng(20261211);
    fs::create_directories(root / "empty folder");
    uint64_t written = 0;
    int n = 0;
    std::vector<uint8_t> bytes;
    while (written < totalBytes) {
        const fs::path folder = root / ("folder" + std::to_string(n % 20));
        fs::create_directories(folder);
        const int kind = n % 3;
        const uint64_t size = n % 97 == 0 ? 0 : 4096 + rng() % (2u << 20);
        bytes.assign(static_cast<size_t>(size), 0);
        if (kind == 0) {
            size_t at = 0;
            while (at < bytes.size()) {
                const char* word = kWords[rng() % (sizeof(kWords) / sizeof(kWords[0]))];
                for (const char* c = word; *c && at < bytes.size(); ++c)
                    bytes[at++] = static_cast<uint8_t>(*c);
                if (at < bytes.size())
                    bytes[at++] = rng() % 12 == 0 ? '\n' : ' ';
            }
        } else if (kind == 1) {
            for (size_t i = 0; i < bytes.size(); i += 8) {
                const uint64_t r = rng();
                for (size_t k = 0; k < 8 && i + k < bytes.size(); ++k)
                    bytes[i + k] = static_cast<uint8_t>(r >> (8 * k));
            }
        } else {
            uint8_t value = 0;
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (rng() % 64 == 0)
                    value = static_cast<uint8_t>(rng());
                bytes[i] = rng() % 16 == 0 ? static_cast<uint8_t>(rng()) : value;
            }
        }
        const char* extension = kind == 0 ? ".txt" : kind == 1 ? ".jpg" : ".bmp";
        WriteFile(folder / ("file" + std::to_string(n) + extension), bytes);
        written += size;
        ++n;
    }
    return CountTree(root.string());
}

// Ours: a new archive, then every folder and file below the tree in name
// order, each with its path relative to the tree.
double OursCreate(const fs::path& tree, const std::string& archivePath, std::string* status) {
    std::vector<fs::path> paths;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(tree))
        paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    const Clock::time_point start = Clock::now();
    CZipArchive archive;
    try {
        if (!archive.Open(archivePath, CZipArchive::Create)) {
            *status = "ours: cannot create the archive";
            return -1;
        }
        for (const fs::path& path : paths) {
            if (!archive.AddNewFile(path.string(), path.lexically_relative(tree).string(), -1)) {
                *status = "ours: refused " + path.string();
                archive.Close(CZipArchive::CloseAbandon);
                return -1;
            }
        }
        archive.Close();
    } catch (const CZipException& e) {
        *status = "ours: " + e.GetErrorDescription() + " (" + std::to_string(e.Cause()) + ")";
        archive.Close(CZipArchive::CloseAbandon);
        return -1;
    }
    return SecondsSince(start);
}

struct Tool {
    const char* name;
    std::function<double(const std::string& archive, std::string* status, double* cpu)> run;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: zip_create_bench [--out DIR] [--runs N] [--megabytes M]\n");
        return 2;
    }
    const std::string work = MakeTempFolder(options.out, "vxp-zip-create-");
    if (work.empty()) {
        std::fprintf(stderr, "zip_create_bench: cannot make a folder in %s\n", options.out.c_str());
        return 1;
    }
    const fs::path tree = fs::path(work) / "tree";
    std::printf("Making a %llu MB mixed tree in %s (fixed seed)...\n",
                static_cast<unsigned long long>(options.megabytes), tree.c_str());
    const TreeTotals totals = MakeTree(tree, options.megabytes << 20);
    std::printf("  %llu files, %.1f MB\n", static_cast<unsigned long long>(totals.files),
                static_cast<double>(totals.bytes) / 1e6);

    const std::string treeDir = tree.string();
    const std::vector<Tool> tools = {
        {"ours",
         [&](const std::string& archive, std::string* status, double* cpu) {
             const double before = ProcessCpuSeconds();
             const double seconds = OursCreate(tree, archive, status);
             *cpu = ProcessCpuSeconds() - before;
             return seconds;
         }},
        {"zip -6",
         [&](const std::string& archive, std::string* status, double* cpu) {
             return TimeCommand(
                 {"sh", "-c", "cd '" + treeDir + "' && zip -6 -r -q '" + archive + "' ."}, status,
                 true, cpu);
         }},
        {"7z mx=6",
         [&](const std::string& archive, std::string* status, double* cpu) {
             return TimeCommand({"7z", "a", "-tzip", "-mx=6", archive, treeDir + "/."}, status,
                                true, cpu);
         }},
        {"7z 1 core",
         [&](const std::string& archive, std::string* status, double* cpu) {
             return TimeCommand({"7z", "a", "-tzip", "-mx=6", "-mmt=1", archive, treeDir + "/."},
                                status, true, cpu);
         }},
    };

    std::vector<double> best(tools.size(), 1e30), bestCpu(tools.size(), 1e30);
    std::vector<uint64_t> sizes(tools.size(), 0);
    for (int run = 0; run < options.runs; ++run) {
        for (size_t t = 0; t < tools.size(); ++t) {
            if (best[t] < 0)
                continue;
            const std::string archive = work + "/out" + std::to_string(t) + ".zip";
            fs::remove(archive);
            std::string status;
            double cpu = 0;
            const double seconds = tools[t].run(archive, &status, &cpu);
            std::string check;
            if (seconds >= 0 && TimeCommand({"unzip", "-tq", archive}, &check) < 0)
                status = std::string(tools[t].name) + ": unzip -t refused the archive";
            if (seconds < 0 || !check.empty() || !status.empty()) {
                std::printf("  %-10s FAILED: %s\n", tools[t].name, status.c_str());
                best[t] = -1;
                continue;
            }
            best[t] = std::min(best[t], seconds);
            bestCpu[t] = std::min(bestCpu[t], cpu);
            sizes[t] = fs::file_size(archive);
            fs::remove(archive);
        }
    }

    std::printf("\nCreating one archive of %.1f MB in %llu files, best of %d:\n",
                static_cast<double>(totals.bytes) / 1e6,
                static_cast<unsigned long long>(totals.files), options.runs);
    std::printf("  %-10s %9s %9s %9s %8s %9s\n", "tool", "wall", "cpu", "MB/s", "ratio",
                "time/zip");
    int status = 0;
    for (size_t t = 0; t < tools.size(); ++t) {
        if (best[t] < 0) {
            status = 1;
            continue;
        }
        std::printf("  %-10s %8.2fs %8.2fs %9.1f %7.1f%% %8.2fx\n", tools[t].name, best[t],
                    bestCpu[t], static_cast<double>(totals.bytes) / 1e6 / best[t],
                    100.0 * static_cast<double>(sizes[t]) / static_cast<double>(totals.bytes),
                    best[1] > 0 ? best[t] / best[1] : 0.0);
    }
    RemoveTree(work);
    return status;
}
