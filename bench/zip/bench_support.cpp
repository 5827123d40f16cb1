// Child processes, folders and manifests for the zip benchmark (POSIX only:
// the benchmark runs natively).
#include "bench/zip/bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

extern char** environ;

namespace zipbench {

namespace fs = std::filesystem;

namespace {

double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

double TimeCommand(const std::vector<std::string>& argv, std::string* status, bool quiet,
                   double* cpuSeconds) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        *status = argv[0] + ": " + std::strerror(spawned);
        return -1;
    }
    int wstatus = 0;
    rusage usage{};
    while (wait4(pid, &wstatus, 0, &usage) < 0) {
        if (errno != EINTR) {
            *status = argv[0] + ": wait4: " + std::strerror(errno);
            return -1;
        }
    }
    const double seconds = SecondsSince(start);
    if (cpuSeconds != nullptr)
        *cpuSeconds = CpuSeconds(usage);
    if (!WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0) {
        *status =
            argv[0] + (WIFEXITED(wstatus) ? " exited with " + std::to_string(WEXITSTATUS(wstatus))
                                          : std::string(" was killed by a signal"));
        return -1;
    }
    status->clear();
    return seconds;
}

void ClearFolder(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
}

std::string MakeTempFolder(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        return std::string();
    return std::string(buffer.data());
}

void RemoveTree(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
}

TreeTotals CountTree(const std::string& folder) {
    TreeTotals totals;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            ++totals.files;
            totals.bytes += it->file_size(ec);
        }
    }
    return totals;
}

namespace {

bool SameContents(const fs::path& a, const fs::path& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb)
        return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        fa.read(ba.data(), std::streamsize(ba.size()));
        fb.read(bb.data(), std::streamsize(bb.size()));
        const std::streamsize na = fa.gcount(), nb = fb.gcount();
        if (na != nb || std::memcmp(ba.data(), bb.data(), size_t(na)) != 0)
            return false;
        if (na == 0)
            return true;
    }
}

} // namespace

std::string CompareWithSources(const std::string& folder, const std::string& sources) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const fs::path relative = fs::relative(it->path(), folder, ec);
        if (!SameContents(it->path(), fs::path(sources) / relative))
            return relative.string() + " differs from its source";
    }
    return ec ? folder + ": " + ec.message() : std::string();
}

bool ReadManifest(const std::string& work, std::vector<ArchiveInfo>* archives) {
    std::ifstream in(work + "/manifest.txt");
    if (!in)
        return false;
    archives->clear();
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ArchiveInfo info;
        if (!(fields >> info.name >> info.entries >> info.files >> info.bytes >>
              info.directoryBytes))
            return false;
        archives->push_back(info);
    }
    return !archives->empty();
}

} // namespace zipbench
