// Starting the external tools the benchmark compares against (POSIX only).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts argv[0] (a full path) with argv, the caller's environment plus
// `extraEnv` ("NAME=value" entries, which win over inherited ones), standard
// input from /dev/null and standard output and error to /dev/null unless
// `showOutput`. Returns the child's id, or -1 when it could not be started.
pid_t StartProcess(const std::vector<std::string>& argv,
                   const std::vector<std::string>& extraEnv = {}, bool showOutput = false);

// Waits for the child; true when it exited with status 0.
bool WaitProcess(pid_t pid);

// Waits for the child; true when it exited with status 0. *peakKib receives
// its peak resident set (the kernel's maxrss, KiB).
bool WaitProcessPeak(pid_t pid, long* peakKib);

// Waits for any one child; sets *pid to it and returns true when it exited
// with status 0. *pid is -1 when there is no child left.
bool WaitAnyProcess(pid_t* pid);

// StartProcess then WaitProcess.
bool RunProcess(const std::vector<std::string>& argv,
                const std::vector<std::string>& extraEnv = {});

// True when path names an executable file.
bool IsExecutable(const std::string& path);
