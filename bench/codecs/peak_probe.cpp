// peak_probe OUT PROGRAM [ARGS...]: runs PROGRAM and writes its peak resident
// set (KiB) to the file OUT; exits 0 when PROGRAM did.
//
// The kernel carries a process's peak across exec, and a child the benchmark
// spawns shares the benchmark's memory until its exec, so it would report the
// benchmark's own peak. This small program starts fresh, and its fork gives
// PROGRAM a peak that starts from this program's few pages.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return 2;
    }
    if (pid == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    pid_t r;
    do {
        r = wait4(pid, &status, 0, &usage);
    } while (r < 0 && errno == EINTR);
    FILE* out = std::fopen(argv[1], "w");
    if (r != pid || out == nullptr) {
        return 2;
    }
    std::fprintf(out, "%ld\n", usage.ru_maxrss);
    std::fclose(out);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
