// Helpers of the zip benchmark: timing, running the other tools as child
// processes, and preparing and checking output folders.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zipbench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// User plus system CPU seconds this process has used so far. On a loaded
// machine wall times say more about the scheduler than about the tools, so
// the CPU time is reported beside them.
double ProcessCpuSeconds();

// Runs argv[0] (looked up in PATH) and waits for it; its output goes to
// /dev/null when quiet, else to ours. Returns the wall time in seconds, or a
// negative value when the program could not start or did not exit with 0;
// *status then describes why. *cpuSeconds, when given, receives the child's
// user plus system CPU time.
double TimeCommand(const std::vector<std::string>& argv, std::string* status, bool quiet = true,
                   double* cpuSeconds = nullptr);

// Empties the folder, creating it when missing.
void ClearFolder(const std::string& folder);

// Creates a fresh folder named prefix + "XXXXXX" under parent; empty on failure.
std::string MakeTempFolder(const std::string& parent, const std::string& prefix);

void RemoveTree(const std::string& folder);

struct TreeTotals {
    uint64_t files = 0;
    uint64_t bytes = 0;
};

// Regular files below folder and their total size.
TreeTotals CountTree(const std::string& folder);

// Compares every regular file below folder with the file of the same
// relative path below sources. Returns an empty string when all match, else
// the first difference.
std::string CompareWithSources(const std::string& folder, const std::string& sources);

// One line of the manifest the archive script writes.
struct ArchiveInfo {
    std::string name;
    uint64_t entries = 0;
    uint64_t files = 0;          // entries that are not folders
    uint64_t bytes = 0;          // uncompressed total
    uint64_t directoryBytes = 0; // size of the central directory
};

// Reads work/manifest.txt; false when it is missing or malformed.
bool ReadManifest(const std::string& work, std::vector<ArchiveInfo>* archives);

} // namespace zipbench
