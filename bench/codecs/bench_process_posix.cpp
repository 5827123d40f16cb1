#include "bench/codecs/bench_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

// Name part of a "NAME=value" entry, with the '='.
std::string EnvName(const char* entry) {
    const char* eq = std::strchr(entry, '=');
    return eq != nullptr ? std::string(entry, eq + 1) : std::string(entry);
}

bool ExitedCleanly(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   bool showOutput) {
    if (argv.empty()) {
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    std::vector<char*> env;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        bool overridden = false;
        for (const std::string& x : extraEnv) {
            overridden = overridden || EnvName(x.c_str()) == EnvName(*e);
        }
        if (!overridden) {
            env.push_back(*e);
        }
    }
    for (const std::string& x : extraEnv) {
        env.push_back(const_cast<char*>(x.c_str()));
    }
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!showOutput) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

bool WaitProcess(pid_t pid) {
    if (pid < 0) {
        return false;
    }
    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    return r == pid && ExitedCleanly(status);
}

bool WaitProcessPeak(pid_t pid, long* peakKib) {
    *peakKib = 0;
    if (pid < 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    pid_t r;
    do {
        r = wait4(pid, &status, 0, &usage);
    } while (r < 0 && errno == EINTR);
    *peakKib = usage.ru_maxrss;
    return r == pid && ExitedCleanly(status);
}

bool WaitAnyProcess(pid_t* pid) {
    int status = 0;
    pid_t r;
    do {
        r = waitpid(-1, &status, 0);
    } while (r < 0 && errno == EINTR);
    *pid = r;
    return r > 0 && ExitedCleanly(status);
}

bool RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    return WaitProcess(StartProcess(argv, extraEnv));
}

bool IsExecutable(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}
