// A stand-in external editor: writes the command line it was started with
// to "<its own path>.cmdline" and ends, so that a test can read exactly what
// the frame handed to an editor.
#include <windows.h>

int main() {
    char path[MAX_PATH + 16] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    lstrcatA(path, ".cmdline");
    // Written under another name first, so that a reader never sees half a line.
    char partial[MAX_PATH + 32] = {};
    lstrcpyA(partial, path);
    lstrcatA(partial, ".part");
    HANDLE file = ::CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* line = ::GetCommandLineA();
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || !::MoveFileExA(partial, path, MOVEFILE_REPLACE_EXISTING))
        return 1;
    return 0;
}
