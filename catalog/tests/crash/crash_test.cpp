// Crash safety of the database file: a writer process (crash_writer.cpp) is
// killed with SIGKILL at random moments while it stores records with a flush
// after each one; after every kill the file is opened, checked and searched
// for every step the writer acknowledged. The next writer goes on in the same
// file, as the program does after a crash. The commit's rollback journal
// makes every round clean: the file opens, passes the checker and holds every
// acknowledged step. VXP_CRASH_STRICT=0 only counts damaged files (for
// measuring a change to the commit) and requires the last of these alone.
//
// VXP_CRASH_ROUNDS (default 200) sets the number of kills, VXP_CRASH_SEED the
// seed of the kill times; a writer lives VXP_CRASH_MIN_DELAY_US (default
// 40000, about its start-up time) plus up to VXP_CRASH_SPREAD_US (120000). A damaged file is kept
// as damaged-<round>.tdb in the test folder and the run starts again with a new file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "catalog/index_database.h"
#include "catalog/tests/db_test_util.h"
#include "crash_records.h"

namespace {

// A file is checked from scratch after every kill, so the run starts a new one
// after this many steps to stay quick.
constexpr uint32_t kStepsPerFile = 600;

uint32_t EnvNumber(const char* name, uint32_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

uint32_t LastAcknowledged(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (all.size() < 4)
        return 0;
    return LoadU32(reinterpret_cast<const uint8_t*>(all.data()) + (all.size() / 4 - 1) * 4);
}

off_t FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// When the writer's clock starts: at its start (kills land in opening and
// recovery too), or at its first acknowledged step, so that on a loaded
// machine, where starting a process can take longer than the delay, kills
// still land while records are being written.
enum class KillClock { FromStart, FromFirstStep };

// Runs the writer (steps 0: until killed) for at most delayUs microseconds
// on the chosen clock. Returns -1 when it was killed, else its exit code.
int RunWriter(const std::string& db, const std::string& ack, uint32_t delayUs, uint32_t steps,
              KillClock clock = KillClock::FromStart) {
    const std::string limit = std::to_string(steps);
    const off_t ackBefore = FileSize(ack);
    pid_t pid = fork();
    if (pid == 0) {
        execl(VXP_CRASH_WRITER, VXP_CRASH_WRITER, db.c_str(), ack.c_str(), limit.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return 126;
    int status = 0;
    bool ended = false;
    if (delayUs > 0 && clock == KillClock::FromFirstStep) {
        // Polled with a ceiling: a writer that never acknowledges is killed
        // after 20 s like any other.
        for (int waited = 0; waited < 20000 && FileSize(ack) == ackBefore; ++waited) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                ended = true;
                break;
            }
            usleep(1000);
        }
    }
    if (delayUs > 0 && !ended) {
        usleep(delayUs);
        kill(pid, SIGKILL);
    }
    if (!ended)
        waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}

DbBuffer In(const std::string& s) {
    return DbBuffer::In(s.data(), static_cast<uint32_t>(s.size()));
}

enum class Found { Absent, Equal, Different };

Found Lookup(CBTreeIndex* index, const DbBuffer& key, const std::string& expected) {
    DbBuffer out;
    out.capacity = kDbAllocate;
    uint8_t small[256];
    if (!index->Spec().ValuesOutOfLine())
        out = DbBuffer::Out(small, sizeof small);
    if (!index->Get(key, &out))
        return Found::Absent;
    const uint8_t* data = index->Spec().ValuesOutOfLine() ? out.data : small;
    bool same = out.length == expected.size() &&
                std::equal(expected.begin(), expected.end(), reinterpret_cast<const char*>(data));
    if (index->Spec().ValuesOutOfLine())
        DbBufferFree(out);
    return same ? Found::Equal : Found::Different;
}

struct Verdict {
    bool opened = false;
    bool clean = false;
    std::string problem;
    uint32_t missingSteps = 0; // acknowledged steps not (fully) in the file
};

// Checks the file after `done` acknowledged steps. Step done + 1 may or may
// not have reached the file (killed between its flush and its
// acknowledgement), so only its erase of an older record is allowed either way.
Verdict Inspect(const std::string& path, uint32_t done) {
    Verdict v;
    struct stat st;
    if (done == 0 && (stat(path.c_str(), &st) != 0 || st.st_size == 0)) {
        v.opened = v.clean = true; // killed before it wrote anything
        return v;
    }
    CIndexDatabase db;
    if (!db.Open(path.c_str(), kDbOpenExisting)) {
        v.problem = "the file does not open";
        return v;
    }
    v.opened = true;
    DbCheckResult check = CheckDatabase(db);
    v.clean = check.Ok();
    if (!v.clean)
        v.problem = check.problems.front();
    CBTreeIndex* props = db.FindIndex(crashrec::kPropsIndex);
    CBTreeIndex* thumbs = db.FindIndex(crashrec::kThumbIndex);
    CBTreeIndex* symbols = db.FindIndex(crashrec::kSymbolIndex);
    if (done > 0 && (!props || !thumbs || !symbols)) {
        v.missingSteps = done;
        if (v.problem.empty())
            v.problem = "an index is missing";
    }
    const uint32_t maybeErased = crashrec::ErasedAt(done + 1);
    for (uint32_t m = 1; props && thumbs && symbols && m <= done; ++m) {
        const std::string key = crashrec::PropsKey(m);
        Found p = Lookup(props, In(key), crashrec::PropsValue(m));
        bool ok = crashrec::PropsErased(m, done) ? p == Found::Absent : p == Found::Equal;
        if (m == maybeErased)
            ok = p != Found::Different;
        if (crashrec::HasThumb(m))
            ok = ok && Lookup(thumbs, In(key), crashrec::ThumbValue(m)) == Found::Equal;
        uint8_t raw[4];
        StoreU32(raw, m);
        ok = ok && Lookup(symbols, DbBuffer::In(raw, 4), crashrec::SymbolValue(m)) == Found::Equal;
        if (!ok) {
            if (v.missingSteps++ == 0 && v.problem.empty())
                v.problem = "acknowledged step " + std::to_string(m) + " is not in the file";
        }
    }
    db.ReleaseIndex(props);
    db.ReleaseIndex(thumbs);
    db.ReleaseIndex(symbols);
    db.CloseWithoutWriting();
    return v;
}

// A killed process loses nothing the kernel already has, so the file may live
// in memory: the writer then spends its life writing rather than waiting for
// the disk, and more kills land inside a flush. VXP_CRASH_DIR overrides it.
std::string KillFolder() {
    const char* chosen = std::getenv("VXP_CRASH_DIR");
    std::string dir;
    if (chosen && *chosen)
        dir = chosen;
    else if (access("/dev/shm", W_OK) == 0)
        dir = "/dev/shm/vxp-crash-" + std::to_string(getpid());
    else
        return ScratchFolder("crash-kill");
    if (std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()) != 0)
        return std::string();
    return dir;
}

TEST(CrashSafety, WriterRunsToTheEndAndLeavesEveryStep) {
    const std::string dir = ScratchFolder("crash-plain");
    ASSERT_FALSE(dir.empty());
    const std::string db = dir + "/catalog.tdb", ack = dir + "/ack";
    ASSERT_EQ(RunWriter(db, ack, 0, 60), 0);
    ASSERT_EQ(RunWriter(db, ack, 0, 40), 0); // goes on in the closed file
    ASSERT_EQ(LastAcknowledged(ack), 100u);
    Verdict v = Inspect(db, 100);
    EXPECT_TRUE(v.opened && v.clean) << v.problem;
    EXPECT_EQ(v.missingSteps, 0u) << v.problem;
    // A damaged step sequence is noticed: one step further than written fails.
    EXPECT_GT(Inspect(db, 101).missingSteps, 0u);
}

TEST(CrashSafety, KilledWriterLeavesAnOpenableCleanFileWithEveryAcknowledgedStep) {
    const uint32_t rounds = EnvNumber("VXP_CRASH_ROUNDS", 200);
    const uint32_t minDelay = EnvNumber("VXP_CRASH_MIN_DELAY_US", 40000);
    const uint32_t spread = EnvNumber("VXP_CRASH_SPREAD_US", 120000) + 1;
    std::mt19937 rng(EnvNumber("VXP_CRASH_SEED", 12345));
    const std::string dir = KillFolder();
    ASSERT_FALSE(dir.empty());
    const std::string db = dir + "/catalog.tdb", ack = dir + "/ack";

    uint32_t killed = 0, opened = 0, clean = 0, damagedFiles = 0, acknowledged = 0;
    uint32_t missing = 0, missingInClean = 0, unexplainedExits = 0, killedWhileWriting = 0;
    std::map<int, uint32_t> exits;
    std::vector<std::string> problems;
    uint32_t base = 0; // steps acknowledged in files already given up as damaged
    for (uint32_t round = 0; round < rounds; ++round) {
        const uint32_t delay = minDelay + rng() % spread;
        const uint32_t doneBefore = LastAcknowledged(ack);
        const KillClock clock = round % 2 ? KillClock::FromFirstStep : KillClock::FromStart;
        int code = RunWriter(db, ack, delay, 0, clock);
        if (code == -1)
            ++killed;
        else
            ++exits[code];
        const uint32_t done = LastAcknowledged(ack);
        killedWhileWriting += code == -1 && done > doneBefore;
        acknowledged = base + done;
        Verdict v = Inspect(db, done);
        opened += v.opened;
        clean += v.opened && v.clean;
        missing += v.missingSteps;
        if (v.opened && v.clean) {
            missingInClean += v.missingSteps;
            // A writer stops by itself only when its file is damaged.
            unexplainedExits += code != -1;
        }
        if (v.opened && v.clean && v.missingSteps == 0) {
            if (done >= kStepsPerFile) { // keep each check short: a new file
                std::remove(db.c_str());
                std::remove(ack.c_str());
                base = acknowledged;
            }
            continue;
        }
        problems.push_back("round " + std::to_string(round) + " after " + std::to_string(done) +
                           " steps: " + v.problem);
        ++damagedFiles;
        std::rename(db.c_str(), (dir + "/damaged-" + std::to_string(round) + ".tdb").c_str());
        std::remove(ack.c_str());
        base = acknowledged;
    }
    std::printf("crash run: %u rounds, %u killed (%u after writing a step), %u opened, %u passed "
                "the checker, %u damaged files, %u acknowledged steps, %u acknowledged steps "
                "missing\n",
                rounds, killed, killedWhileWriting, opened, clean, damagedFiles, acknowledged,
                missing);
    for (const auto& e : exits)
        std::printf("  writer ended by itself with code %d: %u times\n", e.first, e.second);
    for (size_t i = 0; i < problems.size() && i < 10; ++i)
        std::printf("  %s\n", problems[i].c_str());

    std::system(("rm -rf '" + dir + "'").c_str());

    // Everything must hold on every round; with strictness off only the
    // acknowledged steps of files that did open are required.
    EXPECT_EQ(missingInClean, 0u);
    EXPECT_EQ(unexplainedExits, 0u);
    // The kills must land while records are being written, not only at start:
    // at least every round whose clock starts at the first step.
    EXPECT_GE(killedWhileWriting, rounds / 2);
    if (EnvNumber("VXP_CRASH_STRICT", 1) != 0) {
        EXPECT_EQ(opened, rounds);
        EXPECT_EQ(clean, rounds);
        EXPECT_EQ(missing, 0u);
    }
}

} // namespace
