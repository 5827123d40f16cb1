// Catalogue database benchmark: the same pre-generated workloads (fixed seed)
// against our engine, SQLite and LMDB, each store in a child process of its
// own so that its peak memory can be told apart.
//
//   catalog_bench [--dir D] [--scale S] [--runs N] [--only a|b] [--engine E]
//                 [--cache-kib K]
//   catalog_bench --emit ENGINE --only a|b --path P [--scale S] [--cache-kib K]
//                 (one store, one run, figures on standard output: how the
//                 bench runs a store built into another program)
//
// (a) 50,000 thumbnail-like records: "#%d#%s" keys of 20-60 bytes, values of
//     4-24 KB; insert with a flush (commit) every 50, close and reopen, read
//     all in random order twice (cold: the store's own cache starts empty;
//     warm), scan all, erase a random half (a flush every 50), close.
// (b) 1,000,000 catalogue-like entries: keys of the same form, values of
//     0-200 bytes; insert in random order (a flush every 1,000), close and
//     reopen, look up every key in random order (cold, then warm), as many
//     absent keys (misses), scan.
// --scale divides the record counts (quick runs; 100, 10 and 1 give 10^4,
// 10^5 and 10^6 entries in (b)); --engine runs one store only (ours,
// pre-journal, sqlite, lmdb or sqlite-nj: for profiling). pre-journal is our
// engine built from the last commit before its rollback journal (see
// CMakeLists.txt): the column that says what the journal costs. With --runs N every
// figure is the median of N runs, and a ratio the median of the N per-run
// ratios.
//
// Like with like: every store but the reference gives the same durability
// (bench_engines.h) and ours and SQLite get the same page cache (--cache-kib,
// default 2000, SQLite's own default; the program itself runs with 256).
// Files go to D (default /dev/shm/vxp-catalog-bench, where syncs cost
// nothing; give a folder on a disk to see them). Every ratio column is the
// peer's cost over ours, so above 1 means ours is better on that line:
// throughput of ours over the peer's, and the peer's time, size, bytes
// written or memory over ours.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_engines.h"

namespace {

struct Workload {
    std::vector<std::string> keys, absent;
    std::string pool; // values are slices of this
    std::vector<uint32_t> offset, length;
    std::vector<uint32_t> order, readOrder; // insertion and lookup orders
    bool big = false;
    uint32_t batch = 50;
    std::string Value(size_t i) const { return pool.substr(offset[i], length[i]); }
};

std::string MakeKey(std::mt19937& rng, uint32_t unique, uint32_t minLen, uint32_t maxLen) {
    char head[32];
    std::snprintf(head, sizeof head, "#%u#", static_cast<unsigned>(rng() % 20000));
    std::string key = head;
    char tail[16];
    std::snprintf(tail, sizeof tail, "_%x.jpg", unique);
    const uint32_t want = minLen + rng() % (maxLen - minLen + 1);
    while (key.size() + std::strlen(tail) < want)
        key += static_cast<char>('a' + rng() % 26);
    return key + tail;
}

Workload Generate(bool big, uint32_t count, uint32_t seed) {
    Workload w;
    w.big = big;
    w.batch = big ? 50 : 1000;
    std::mt19937 rng(seed);
    const uint32_t minValue = big ? 4096 : 0, maxValue = big ? 24576 : 200;
    w.pool.resize(maxValue + 65536);
    for (char& c : w.pool)
        c = static_cast<char>(rng());
    for (uint32_t i = 0; i < count; ++i) {
        w.keys.push_back(MakeKey(rng, i, 20, 60));
        w.absent.push_back(MakeKey(rng, count + i, 20, 60));
        w.length.push_back(minValue + rng() % (maxValue - minValue + 1));
        w.offset.push_back(rng() % 65536);
    }
    for (uint32_t i = 0; i < count; ++i)
        w.order.push_back(i);
    w.readOrder = w.order;
    std::shuffle(w.order.begin(), w.order.end(), rng);
    std::shuffle(w.readOrder.begin(), w.readOrder.end(), rng);
    return w;
}

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

uint64_t WrittenBytes() {
    FILE* f = std::fopen("/proc/self/io", "r");
    unsigned long long v = 0;
    char line[128];
    while (f && std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "wchar: %llu", &v) == 1)
            break;
    if (f)
        std::fclose(f);
    return v;
}

// Processor time of this process so far (user and system), in seconds: on
// a busy machine it shows what a phase cost without the waits for a
// processor that the wall clock adds.
double CpuSeconds() {
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Runs one workload on one store; writes "name value" lines to out.
int RunEngine(CBenchEngine& e, const Workload& w, const std::string& path, FILE* out) {
    auto report = [&](const char* what, double value) {
        std::fprintf(out, "%s %.6g\n", what, value);
        std::fflush(out); // one write per phase: phases show in a system-call trace
    };
    auto fail = [&](const char* what) {
        std::fprintf(stderr, "%s: %s failed\n", e.Name(), what);
        return 1;
    };
    const size_t n = w.keys.size();
    std::vector<uint8_t> buffer(32768);
    const uint64_t written0 = WrittenBytes();
    if (!e.Open(path, w.big))
        return fail("open");
    const double perRecord = static_cast<double>(n);

    Clock::time_point t = Clock::now();
    const double cpu0 = CpuSeconds();
    double committing = 0;
    for (size_t i = 0; i < n; i += w.batch) {
        if (!e.Begin())
            return fail("begin");
        for (size_t j = i; j < n && j < i + w.batch; ++j)
            if (!e.Put(w.keys[w.order[j]], w.Value(w.order[j])))
                return fail("put");
        Clock::time_point c = Clock::now();
        if (!e.Commit())
            return fail("commit");
        committing += Since(c);
    }
    report("insert", n / Since(t));
    report("insert-commit-ms", committing * 1000);
    report("insert-cpu-ms", (CpuSeconds() - cpu0) * 1000);
    report("written-insert-b/rec", (WrittenBytes() - written0) / perRecord);
    if (!e.Close() || !e.Reopen(path, w.big))
        return fail("reopen");

    auto lookups = [&](const std::vector<std::string>& keys, bool hit) {
        Clock::time_point t0 = Clock::now();
        if (!e.BeginRead())
            return -1.0;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t k = w.readOrder[i];
            int64_t got = e.Get(keys[k], buffer.data(), static_cast<uint32_t>(buffer.size()));
            if (hit ? got != static_cast<int64_t>(w.length[k]) : got != -1) {
                std::fprintf(stderr, "%s: key %s gave %lld\n", e.Name(), keys[k].c_str(),
                             static_cast<long long>(got));
                return -1.0;
            }
        }
        e.EndRead();
        return n / Since(t0);
    };
    double cold = lookups(w.keys, true);
    if (cold < 0)
        return fail("cold lookup");
    report(w.big ? "read-cold" : "hit-cold", cold);
    double hits = lookups(w.keys, true);
    if (hits < 0)
        return fail("lookup");
    report(w.big ? "read" : "hit", hits);
    if (!w.big) {
        double misses = lookups(w.absent, false);
        if (misses < 0)
            return fail("miss lookup");
        report("miss", misses);
    }

    t = Clock::now();
    uint64_t bytes = 0;
    e.BeginRead();
    uint64_t seen = e.Scan(&bytes);
    e.EndRead();
    if (seen != n)
        return fail("scan");
    report("scan", n / Since(t));
    report("size-full", static_cast<double>(e.FileBytes(path)));

    if (w.big) {
        t = Clock::now();
        const size_t half = n / 2;
        for (size_t i = 0; i < half; i += w.batch) {
            if (!e.Begin())
                return fail("begin");
            for (size_t j = i; j < half && j < i + w.batch; ++j)
                if (!e.Erase(w.keys[w.readOrder[j]]))
                    return fail("erase");
            if (!e.Commit())
                return fail("commit");
        }
        report("erase", half / Since(t));
    }
    t = Clock::now();
    if (!e.Close())
        return fail("close");
    report("close-ms", Since(t) * 1000);
    report("size", static_cast<double>(e.FileBytes(path)));
    report("written-mb", (WrittenBytes() - written0) / 1048576.0);
    return 0;
}

using Results = std::map<std::string, std::vector<double>>; // line -> one figure per run

// The one-minute load average: a busy machine shows in every figure.
double LoadAverage() {
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = -1;
        std::fclose(f);
    }
    return load;
}

// How a store built into another program is run: that program, with the
// arguments of one --emit run.
struct Emitter {
    const char* program = nullptr;
    std::vector<std::string> arguments;
};

// Runs the store in a child process; adds its figures, peak memory and the
// machine's load when it ended.
bool RunChild(std::unique_ptr<CBenchEngine> (*make)(), const Emitter* emitter, const Workload& w,
              const std::string& path, Results* results) {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    pid_t pid = fork();
    if (pid == 0 && emitter) {
        close(fds[0]);
        if (dup2(fds[1], STDOUT_FILENO) < 0)
            _exit(127);
        std::vector<char*> argv{const_cast<char*>(emitter->program)};
        for (const std::string& a : emitter->arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(emitter->program, argv.data());
        _exit(127);
    }
    if (pid == 0) {
        close(fds[0]);
        FILE* out = fdopen(fds[1], "w");
        struct rusage before;
        getrusage(RUSAGE_SELF, &before);
        std::fprintf(out, "rss-start-mb %.1f\n", before.ru_maxrss / 1024.0);
        std::unique_ptr<CBenchEngine> e = make();
        int rc = RunEngine(*e, w, path, out);
        std::fclose(out);
        _exit(rc);
    }
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    char name[64];
    double value;
    while (in && std::fscanf(in, "%63s %lf", name, &value) == 2)
        (*results)[name].push_back(value);
    if (in)
        std::fclose(in);
    int status = 0;
    struct rusage ru;
    wait4(pid, &status, 0, &ru);
    (*results)["rss-peak-mb"].push_back(ru.ru_maxrss / 1024.0);
    (*results)["load-1min"].push_back(LoadAverage());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : (v[h - 1] + v[h]) / 2;
}

// Lines measured in operations per second: more is better. On every other
// line (times, sizes, bytes written, memory) less is better.
bool HigherIsBetter(const std::string& line) {
    return line == "insert" || line == "read" || line == "read-cold" || line == "hit" ||
           line == "hit-cold" || line == "miss" || line == "scan" || line == "erase";
}

void PrintTable(const char* title, const std::vector<const char*>& lines,
                const std::vector<std::string>& names, const std::vector<Results>& byEngine) {
    std::printf("\n%s\n%-21s", title, "line");
    for (const std::string& name : names)
        std::printf(" %13s", name.c_str());
    for (size_t i = 1; i < names.size(); ++i)
        std::printf(" %13s", (names[i] + "/ours").c_str());
    std::printf("\n");
    for (const char* line : lines) {
        static const std::vector<double> none;
        std::vector<const std::vector<double>*> runs;
        for (const Results& r : byEngine) {
            auto it = r.find(line);
            runs.push_back(it == r.end() ? &none : &it->second);
        }
        const bool higher = HigherIsBetter(line);
        // The peer's cost over ours. Each run measures the stores one after
        // another, so a ratio within a run sees the same machine load; the
        // median of those ratios is steadier than the ratio of the medians on
        // a busy machine.
        auto cost = [&](double ours, double peer) {
            if (ours <= 0 || peer <= 0)
                return 0.0;
            return higher ? ours / peer : peer / ours;
        };
        auto ratio = [&](size_t other) {
            const std::vector<double>& a = *runs[0];
            const std::vector<double>& b = *runs[other];
            if (a.size() != b.size() || a.empty())
                return cost(Median(a), Median(b));
            std::vector<double> r;
            for (size_t k = 0; k < a.size(); ++k)
                r.push_back(cost(a[k], b[k]));
            return Median(r);
        };
        std::printf("%-21s", line);
        for (const auto* r : runs)
            std::printf(" %13.1f", Median(*r));
        const bool noRatio = std::strcmp(line, "load-1min") == 0;
        for (size_t i = 1; i < runs.size(); ++i) {
            if (noRatio)
                std::printf(" %13s", "-");
            else
                std::printf(" %13.2f", ratio(i));
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = "/dev/shm/vxp-catalog-bench", only, engineName, emit, emitPath;
    uint32_t scale = 1, runs = 1, cacheKiB = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--emit")
            emit = argv[i + 1];
        else if (a == "--path")
            emitPath = argv[i + 1];
        else if (a == "--dir")
            dir = argv[i + 1];
        else if (a == "--scale")
            scale = std::max(1u, static_cast<uint32_t>(std::atoi(argv[i + 1])));
        else if (a == "--runs")
            runs = std::max(1u, static_cast<uint32_t>(std::atoi(argv[i + 1])));
        else if (a == "--only")
            only = argv[i + 1];
        else if (a == "--engine")
            engineName = argv[i + 1];
        else if (a == "--cache-kib")
            cacheKiB = static_cast<uint32_t>(std::max(8, std::atoi(argv[i + 1])));
    }
    SetCacheKiB(cacheKiB);
    struct Engine {
        const char* name;
        std::unique_ptr<CBenchEngine> (*make)();
        const char* program; // a store built into another program
    };
    std::vector<Engine> engines = {{"ours", MakeOurEngine, nullptr}};
#ifdef VXP_PREJOURNAL_BENCH
    engines.push_back({"pre-journal", nullptr, VXP_PREJOURNAL_BENCH});
#endif
    engines.push_back({"sqlite", MakeSqliteEngine, nullptr});
    engines.push_back({"lmdb", MakeLmdbEngine, nullptr});
    engines.push_back({"sqlite-nj", MakeSqliteNoJournalEngine, nullptr});
    const size_t engineCount = engines.size();
    std::vector<std::string> names;
    for (const Engine& e : engines)
        names.push_back(e.name);
    struct Job {
        const char* id;
        const char* title;
        bool big;
        uint32_t count;
        std::vector<const char*> lines;
    } jobs[] = {
        {"a",
         "(a) thumbnail-like records, ops/s (sizes in bytes, memory in MB)",
         true,
         50000,
         {"insert", "insert-commit-ms", "insert-cpu-ms", "read-cold", "read", "scan", "erase",
          "close-ms", "size-full", "size", "written-insert-b/rec", "written-mb", "rss-start-mb",
          "rss-peak-mb", "load-1min"}},
        {"b",
         "(b) catalogue-like entries, ops/s (sizes in bytes, memory in MB)",
         false,
         1000000,
         {"insert", "insert-commit-ms", "insert-cpu-ms", "hit-cold", "hit", "miss", "scan",
          "close-ms", "size-full", "size", "written-insert-b/rec", "written-mb", "rss-start-mb",
          "rss-peak-mb", "load-1min"}},
    };
    if (!emit.empty()) {
        for (const Job& job : jobs) {
            if (only != job.id)
                continue;
            std::unique_ptr<CBenchEngine> e;
            for (const Engine& engine : engines)
                if (emit == engine.name && engine.make)
                    e = engine.make();
            if (!e || emitPath.empty())
                return 2;
            Workload w = Generate(job.big, job.count / scale, 20240 + job.big);
            struct rusage before;
            getrusage(RUSAGE_SELF, &before);
            std::printf("rss-start-mb %.1f\n", before.ru_maxrss / 1024.0);
            return RunEngine(*e, w, emitPath, stdout);
        }
        return 2;
    }
    if (std::system(("mkdir -p '" + dir + "'").c_str()) != 0)
        return 1;
    std::printf("Like with like: ours and pre-journal flush through a rollback journal "
                "synced before a page is overwritten\n"
                "(pre-journal: pages in place, the file synced at each flush); sqlite with "
                "journal_mode=DELETE, synchronous=FULL;\n"
                "lmdb with its default syncs; sqlite-nj (no journal, no syncs) is a reference "
                "only. Page cache: %u KiB for ours,\n"
                "pre-journal (pages beyond it held only while dirty, until the flush) and "
                "sqlite (cache_size); lmdb reads through\n"
                "the system's cache. Ratios: the peer's cost over ours (above 1 = ours "
                "better); load-1min is the machine's load\n"
                "as each run ended.\n",
                cacheKiB);
    bool ok = true;
    for (const Job& job : jobs) {
        if (!only.empty() && only != job.id)
            continue;
        Workload w = Generate(job.big, job.count / scale, 20240 + job.big);
        std::vector<Results> byEngine(engineCount);
        const double loadBefore = LoadAverage();
        for (uint32_t r = 0; r < runs; ++r)
            for (size_t i = 0; i < engineCount; ++i) {
                if (!engineName.empty() && engineName != engines[i].name)
                    continue;
                std::string path = dir + "/" + job.id + "." + engines[i].name;
                Emitter emitter;
                if (engines[i].program) {
                    emitter.program = engines[i].program;
                    emitter.arguments = {"--emit",      "ours",
                                         "--only",      job.id,
                                         "--scale",     std::to_string(scale),
                                         "--cache-kib", std::to_string(cacheKiB),
                                         "--path",      path};
                }
                ok = RunChild(engines[i].make, engines[i].program ? &emitter : nullptr, w, path,
                              &byEngine[i]) &&
                     ok;
                std::remove(path.c_str());
                std::remove((path + "-lock").c_str());
                std::remove((path + "-journal").c_str());
                std::remove((path + ".jnl").c_str());
            }
        std::printf("\n%s: %zu records, %u run(s), files in %s, load %.2f before, %.2f after",
                    job.id, w.keys.size(), runs, dir.c_str(), loadBefore, LoadAverage());
        PrintTable(job.title, job.lines, names, byEngine);
    }
    return ok ? 0 : 1;
}
