// Stands in for the program: writes the command line it was given, byte for
// byte, to the file named by VXP_STUB_LOG and exits.
#include <windows.h>

#include <cstring>

int main() {
    char log[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("VXP_STUB_LOG", log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    const char* line = GetCommandLineA();
    // Written under another name first, so a reader never sees half a line.
    char partial[MAX_PATH + 8];
    lstrcpynA(partial, log, MAX_PATH);
    lstrcatA(partial, ".part");
    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, line, DWORD(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(partial, log, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
