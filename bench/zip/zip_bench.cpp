// Extraction and listing speed of the archive code, side by side in one run
// with the command-line tools people compare it with, on the same machine,
// the same archives and the same system zlib:
//   (a) one 200 MB deflated file,
//   (b) 5,000 JPEG-like files of 20-200 KB,
//   (c) listing 65,535 entries,
//   (d) 1,000 of those photos under traditional encryption.
//
//   zip_bench [--work DIR] [--out DIR] [--runs N]
//
// --work  where the archives are made (make_archives.py, fixed seed); an
//         existing manifest there is reused, else a temporary folder is made
//         and removed at the end.
// --out   parent of the output folder (default /dev/shm, so that the disk
//         does not decide the figures).
// --runs  runs per tool and case (default 3); the best one counts. The tools
//         take turns, and the output folder is emptied before every run.
//
// The archive code runs in this process the way the program uses it; the
// other tools (unzip, 7z, bsdtar) run as child processes with their output
// sent to /dev/null, so their figures include starting a process (printed
// once for reference). The listing case also times our first name lookup
// apart, since that is where the name index is built.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/zip/bench_support.h"
#include "zip/zip_archive.h"

using namespace zipbench;

namespace {

const char* const kPassword = "secret";

struct Case {
    const char* label;
    const char* archive;
    bool listing;
    bool encrypted;
};

const Case kCases[] = {
    {"(a) one 200 MB deflated file", "big.zip", false, false},
    {"(b) 5,000 JPEG-like files", "photos.zip", false, false},
    {"(c) listing 65,535 entries", "listing.zip", true, false},
    {"(d) traditional encryption", "crypt.zip", false, true},
};

struct Tool {
    const char* name;
    // Wall seconds of one run, or negative with *status set on failure;
    // *cpu receives the run's user plus system CPU seconds.
    std::function<double(const Case&, const std::string& archive, const std::string& out,
                         std::string* status, double* cpu)>
        run;
};

// Extraction as the program does it: open read-only, walk the entries, keep
// their folders, 64 KB buffers; the password is given only when an entry asks
// for it (cause 110), then the entry is tried again.
double OursExtract(const std::string& path, const std::string& out, std::string* status) {
    const Clock::time_point start = Clock::now();
    CZipArchive archive;
    int failures = 0;
    try {
        archive.Open(path, CZipArchive::OpenReadOnly, 0);
        const int count = archive.GetCount();
        for (int i = 0; i < count; ++i) {
            CZipEntryHeader header;
            archive.GetFileInfo(header, i);
            for (;;) {
                try {
                    if (!archive.ExtractFile(i, out, true, nullptr, 65536))
                        ++failures;
                    break;
                } catch (const CZipException& e) {
                    if (e.Cause() != CZipException::kBadPassword || !archive.GetPassword().empty())
                        throw;
                    archive.SetPassword(kPassword);
                }
            }
        }
        archive.Close(CZipArchive::CloseNormal, false);
    } catch (const CZipException& e) {
        *status = "ours: " + e.GetErrorDescription() + " (" + std::to_string(e.Cause()) + ")";
        archive.Close(CZipArchive::CloseAbandon, false);
        return -1;
    }
    if (failures != 0) {
        *status = "ours: " + std::to_string(failures) + " entries incomplete";
        return -1;
    }
    return SecondsSince(start);
}

// What the listing case measured of ours beyond its total: opening the
// archive, and the first name lookup, which builds the name index. Best of
// the runs, like the totals.
struct ListingParts {
    double open = 1e30;
    double firstLookup = 1e30;
};
ListingParts g_listingParts;

// Listing: read the directory, print every entry as the listing tools do
// (into /dev/null, like theirs), and look one name up, which builds the
// name index the program's lookups use.
double OursList(const std::string& path, std::string* status) {
    FILE* sink = std::fopen("/dev/null", "w");
    if (sink == nullptr) {
        *status = "ours: cannot open /dev/null";
        return -1;
    }
    const Clock::time_point start = Clock::now();
    CZipArchive archive;
    double seconds = -1;
    try {
        archive.Open(path, CZipArchive::OpenReadOnly, 0);
        g_listingParts.open = std::min(g_listingParts.open, SecondsSince(start));
        const int count = archive.GetCount();
        std::string last;
        for (int i = 0; i < count; ++i) {
            CZipEntryHeader h;
            archive.GetFileInfo(h, i);
            const unsigned date = h.m_modDate, time = h.m_modTime;
            last = h.GetFileName();
            std::fprintf(sink, "%10u %10u %04u-%02u-%02u %02u:%02u %s\n", h.m_uncompressedSize,
                         h.m_compressedSize, 1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
                         time >> 11, (time >> 5) & 0x3F, last.c_str());
        }
        std::fprintf(sink, "%d entries\n", count);
        std::fflush(sink);
        const Clock::time_point lookup = Clock::now();
        if (count > 0 && archive.FindFile(last) < 0)
            *status = "ours: " + last + " not found by name";
        g_listingParts.firstLookup = std::min(g_listingParts.firstLookup, SecondsSince(lookup));
        archive.Close(CZipArchive::CloseNormal, false);
        if (status->empty())
            seconds = SecondsSince(start);
    } catch (const CZipException& e) {
        *status = "ours: " + e.GetErrorDescription() + " (" + std::to_string(e.Cause()) + ")";
        archive.Close(CZipArchive::CloseAbandon, false);
    }
    std::fclose(sink);
    return seconds;
}

std::vector<Tool> MakeTools() {
    std::vector<Tool> tools;
    tools.push_back({"ours", [](const Case& c, const std::string& archive, const std::string& out,
                                std::string* status, double* cpu) {
                         const double before = ProcessCpuSeconds();
                         const double seconds = c.listing ? OursList(archive, status)
                                                          : OursExtract(archive, out, status);
                         *cpu = ProcessCpuSeconds() - before;
                         return seconds;
                     }});
    tools.push_back({"unzip", [](const Case& c, const std::string& archive, const std::string& out,
                                 std::string* status, double* cpu) {
                         if (c.listing)
                             return TimeCommand({"unzip", "-l", archive}, status, true, cpu);
                         std::vector<std::string> argv = {"unzip", "-qo"};
                         if (c.encrypted)
                             argv.insert(argv.end(), {"-P", kPassword});
                         argv.insert(argv.end(), {archive, "-d", out});
                         return TimeCommand(argv, status, true, cpu);
                     }});
    tools.push_back({"7z", [](const Case& c, const std::string& archive, const std::string& out,
                              std::string* status, double* cpu) {
                         if (c.listing)
                             return TimeCommand({"7z", "l", archive}, status, true, cpu);
                         std::vector<std::string> argv = {"7z", "x", "-y", "-bd", "-mmt=1"};
                         if (c.encrypted)
                             argv.push_back(std::string("-p") + kPassword);
                         argv.insert(argv.end(), {"-o" + out, archive});
                         return TimeCommand(argv, status, true, cpu);
                     }});
    tools.push_back({"bsdtar", [](const Case& c, const std::string& archive, const std::string& out,
                                  std::string* status, double* cpu) {
                         if (c.listing)
                             return TimeCommand({"bsdtar", "-tvf", archive}, status, true, cpu);
                         std::vector<std::string> argv = {"bsdtar", "-xf", archive, "-C", out};
                         if (c.encrypted)
                             argv.insert(argv.end(), {"--passphrase", kPassword});
                         return TimeCommand(argv, status, true, cpu);
                     }});
    return tools;
}

// What one tool extracted must be what the archive holds: the same number of
// files and bytes and, for ours, the same bytes as the sources.
std::string CheckOutput(const Tool& tool, const ArchiveInfo& info, const std::string& out,
                        const std::string& sources) {
    const TreeTotals totals = CountTree(out);
    if (totals.files != info.files || totals.bytes != info.bytes)
        return std::string(tool.name) + ": extracted " + std::to_string(totals.files) + " files, " +
               std::to_string(totals.bytes) + " bytes; expected " + std::to_string(info.files) +
               " files, " + std::to_string(info.bytes) + " bytes";
    if (std::strcmp(tool.name, "ours") == 0)
        return CompareWithSources(out, sources);
    return std::string();
}

struct Options {
    std::string work;
    std::string outParent = "/dev/shm";
    int runs = 3;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        if (arg == "--work")
            options->work = argv[++i];
        else if (arg == "--out")
            options->outParent = argv[++i];
        else if (arg == "--runs")
            options->runs = std::atoi(argv[++i]);
        else
            return false;
    }
    return options->runs > 0;
}

bool PrepareArchives(const std::string& work, std::vector<ArchiveInfo>* archives) {
    if (ReadManifest(work, archives))
        return true;
    std::printf("Making the archives in %s (fixed seed; about a minute)...\n", work.c_str());
    std::fflush(stdout);
    std::string status;
    const Clock::time_point start = Clock::now();
    if (TimeCommand({"/usr/bin/python3", VXP_ZIP_BENCH_SCRIPT, work}, &status, false) < 0) {
        std::fprintf(stderr, "zip_bench: %s\n", status.c_str());
        return false;
    }
    std::printf("  done in %.1f s\n", SecondsSince(start));
    // The fresh archives are still being written back to disk; reading them
    // meanwhile would time the writeback rather than the tools.
    sync();
    return ReadManifest(work, archives);
}

const ArchiveInfo* FindArchive(const std::vector<ArchiveInfo>& archives, const char* name) {
    for (const ArchiveInfo& a : archives) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

// Runs every tool on one case, taking turns; returns false when a tool
// failed or extracted the wrong thing.
bool RunCase(const Case& c, const ArchiveInfo& info, const std::vector<Tool>& tools,
             const Options& options, const std::string& work, const std::string& out) {
    const std::string archive = work + "/" + c.archive;
    std::vector<double> best(tools.size(), 1e30);
    std::vector<double> bestCpu(tools.size(), 1e30);
    bool ok = true;
    for (int run = 0; run < options.runs; ++run) {
        for (size_t t = 0; t < tools.size(); ++t) {
            if (best[t] < 0)
                continue;
            ClearFolder(out);
            std::string status;
            double cpu = 0;
            const double seconds = tools[t].run(c, archive, out, &status, &cpu);
            if (seconds >= 0 && run == 0 && !c.listing)
                status = CheckOutput(tools[t], info, out, work + "/src");
            if (seconds < 0 || !status.empty()) {
                std::printf("  %-6s FAILED: %s\n", tools[t].name, status.c_str());
                best[t] = -1;
                ok = false;
                continue;
            }
            best[t] = std::min(best[t], seconds);
            bestCpu[t] = std::min(bestCpu[t], cpu);
        }
    }
    ClearFolder(out);

    // The reference is the second tool (unzip).
    const double reference = best[1];
    for (size_t t = 0; t < tools.size(); ++t) {
        if (best[t] < 0)
            continue;
        const double mb = (c.listing ? info.directoryBytes : info.bytes) / 1e6 / best[t];
        const double speed = reference > 0 ? reference / best[t] : 0;
        if (c.listing)
            std::printf("  %-6s %8.3f s %7.3f s cpu %8.1f MB/s of directory %9.0f entries/s "
                        "%6.2fx\n",
                        tools[t].name, best[t], bestCpu[t], mb, info.entries / best[t], speed);
        else if (info.files > 1)
            std::printf("  %-6s %8.3f s %7.3f s cpu %8.1f MB/s %8.0f files/s %6.2fx\n",
                        tools[t].name, best[t], bestCpu[t], mb, info.files / best[t], speed);
        else
            std::printf("  %-6s %8.3f s %7.3f s cpu %8.1f MB/s %16s %6.2fx\n", tools[t].name,
                        best[t], bestCpu[t], mb, "", speed);
    }
    for (size_t t = 1; t < tools.size(); ++t) {
        if (best[0] > 0 && best[t] > 0)
            std::printf("  ours is %s %s (%.2fx wall, %.2fx cpu)\n",
                        best[0] <= best[t] ? "at least as fast as" : "SLOWER than", tools[t].name,
                        best[t] / best[0], bestCpu[0] > 0 ? bestCpu[t] / bestCpu[0] : 0.0);
    }
    if (c.listing && best[0] > 0)
        std::printf("  ours: open %.1f ms, first name lookup %.1f ms (%.2fx the open; "
                    "the rest is the listing)\n",
                    g_listingParts.open * 1e3, g_listingParts.firstLookup * 1e3,
                    g_listingParts.firstLookup / g_listingParts.open);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: zip_bench [--work DIR] [--out DIR] [--runs N]\n");
        return 2;
    }
    const bool temporaryWork = options.work.empty();
    if (temporaryWork) {
        const char* tmp = std::getenv("TMPDIR");
        options.work = MakeTempFolder(tmp != nullptr && *tmp ? tmp : "/tmp", "vxp-zip-bench-");
    }
    const std::string outRoot = MakeTempFolder(options.outParent, "vxp-zip-out-");
    if (options.work.empty() || outRoot.empty()) {
        std::fprintf(stderr, "zip_bench: cannot create the work or output folder\n");
        return 1;
    }
    const std::string out = outRoot + "/out";

    int result = 0;
    std::vector<ArchiveInfo> archives;
    if (!PrepareArchives(options.work, &archives)) {
        result = 1;
    } else {
        std::vector<Tool> tools = MakeTools();
        std::string status;
        double spawn = 1e30;
        for (int i = 0; i < options.runs; ++i)
            spawn = std::min(spawn, TimeCommand({"true"}, &status));
        std::printf("Best of %d runs; output to %s; MB are 10^6 bytes of uncompressed output;\n"
                    "cpu is user plus system time; the last column is speed relative to unzip\n"
                    "(above 1 = faster).\n"
                    "Starting a child process costs about %.2f ms here.\n",
                    options.runs, outRoot.c_str(), spawn * 1e3);
        for (const Case& c : kCases) {
            const ArchiveInfo* info = FindArchive(archives, c.archive);
            if (info == nullptr) {
                std::fprintf(stderr, "zip_bench: %s is missing from the manifest\n", c.archive);
                result = 1;
                continue;
            }
            std::printf("\n%s: %s, %llu entries, %llu files, %.1f MB\n", c.label, c.archive,
                        static_cast<unsigned long long>(info->entries),
                        static_cast<unsigned long long>(info->files), info->bytes / 1e6);
            std::fflush(stdout);
            if (!RunCase(c, *info, tools, options, options.work, out))
                result = 1;
            std::fflush(stdout);
        }
    }
    RemoveTree(outRoot);
    if (temporaryWork)
        RemoveTree(options.work);
    return result;
}
