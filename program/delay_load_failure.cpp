// The executable loads most of its DLLs at their first call (so that the
// hidden window answers before they are mapped). A DLL that is missing, or
// lacks a function, is reported here instead of ending in an unhandled
// exception: there is no way to go on with the call, so the program says
// which library failed and ends.
#include <windows.h>
#include <delayimp.h>

#include <cstdio>

namespace {

FARPROC WINAPI OnDelayLoadFailure(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliFailLoadLib && notice != dliFailGetProc)
        return nullptr;
    char text[512];
    const char* dll = info && info->szDll ? info->szDll : "?";
    if (notice == dliFailLoadLib) {
        std::snprintf(text, sizeof text, "Cannot load %s, which the program needs.", dll);
    } else if (info->dlp.fImportByName && info->dlp.szProcName) {
        std::snprintf(text, sizeof text, "%s has no function %s, which the program needs.", dll,
                      info->dlp.szProcName);
    } else {
        std::snprintf(text, sizeof text, "%s has no function %lu, which the program needs.", dll,
                      static_cast<unsigned long>(info->dlp.dwOrdinal));
    }
    MessageBoxA(nullptr, text, "Failed!", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

} // namespace

// Declared with C linkage by the header.
PfnDliHook __pfnDliFailureHook2 = OnDelayLoadFailure;
