#include "app/draw_trace.h"

#ifdef VXP_TEST_HOOKS

#include <windows.h>

#include <cstdio>

namespace {

// Resolved once: the marks come from the UI and render threads, and the
// variable does not change while the program runs.
const char* TraceFile() {
    static char path[MAX_PATH];
    static const bool present = [] {
        const DWORD n = GetEnvironmentVariableA("VXP_DRAW_TRACE", path, sizeof path);
        return n > 0 && n < sizeof path;
    }();
    return present ? path : nullptr;
}

} // namespace

void DrawTraceMark(const char* name) {
    const char* path = TraceFile();
    if (!path)
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Append mode: each line is written with one call, so the marks of two
    // threads never interleave within a line.
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %lld\n", name, static_cast<long long>(now.QuadPart));
        std::fclose(f);
    }
}

#else

void DrawTraceMark(const char*) {}

#endif
