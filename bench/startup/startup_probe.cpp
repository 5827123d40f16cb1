// Times a program's start-up from outside, the way a user sees it:
//   answer  - from CreateProcess until a window of the "answer" class exists
//             and replies to a sent message (its thread runs a message loop);
//   visible - from CreateProcess until a window of the "frame" class is visible.
// Then the program is asked to end (WM_COPYDATA code 100 to the answering
// window, as "/Shutdown" does, or WM_CLOSE to the frame) and awaited.
//
//   startup_probe <runs> <answer class> <frame class> <copydata|close> <exe> [args]
//
// Prints one line per run and a last line
//   median answer_ms=<ms> visible_ms=<ms>
// Exit code 0 when every run was timed, 1 otherwise.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kTimeoutMs = 30000;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Search {
    const char* className;
    DWORD processId;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindOwnWindow(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char name[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId || !GetClassNameA(hwnd, name, sizeof(name)) ||
        lstrcmpA(name, s->className) != 0)
        return TRUE;
    if (s->visibleOnly && !IsWindowVisible(hwnd))
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND FindProcessWindow(const char* className, DWORD pid, bool visibleOnly) {
    Search s{className, pid, visibleOnly, nullptr};
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: startup_probe <runs> <answer class> <frame class> "
                             "<copydata|close> <exe> [args]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const char* answerClass = argv[2];
    const char* frameClass = argv[3];
    const bool quitByCopyData = std::string(argv[4]) == "copydata";
    std::string commandLine = std::string("\"") + argv[5] + "\"";
    for (int i = 6; i < argc; ++i)
        commandLine += std::string(" ") + argv[i];

    std::vector<double> answers, visibles;
    for (int run = 0; run < runs; ++run) {
        std::string line = commandLine;
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        const double start = NowMs();
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            std::fprintf(stderr, "cannot start %s\n", argv[5]);
            return 1;
        }
        double answered = -1, visible = -1;
        HWND answering = nullptr, frame = nullptr;
        while ((answered < 0 || visible < 0) && NowMs() - start < kTimeoutMs) {
            if (answered < 0) {
                HWND h = FindProcessWindow(answerClass, pi.dwProcessId, false);
                DWORD_PTR ignored = 0;
                if (h && SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
                    answered = NowMs() - start;
                    answering = h;
                }
            }
            if (visible < 0) {
                if ((frame = FindProcessWindow(frameClass, pi.dwProcessId, true)) != nullptr)
                    visible = NowMs() - start;
            }
            if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
                break; // ended before it was ready: the run is not timed
        }
        if (quitByCopyData && answering) {
            COPYDATASTRUCT quit{100, 0, nullptr};
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(answering, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&quit),
                                SMTO_ABORTIFHUNG, 5000, &ignored);
        } else if (frame) {
            PostMessageA(frame, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        std::printf("run %d answer_ms=%.1f visible_ms=%.1f\n", run + 1, answered, visible);
        if (answered >= 0)
            answers.push_back(answered);
        if (visible >= 0)
            visibles.push_back(visible);
    }
    std::printf("median answer_ms=%.1f visible_ms=%.1f\n", Median(answers), Median(visibles));
    return int(answers.size()) == runs && int(visibles.size()) == runs ? 0 : 1;
}
