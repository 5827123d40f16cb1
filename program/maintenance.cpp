#include "program/maintenance.h"

#include <sti.h>
#include <cstdio>
#include <cstring>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "config/config_services.h"

const char kInstanceMutexName[] = "VelmorantixXPReadyToFindInstance";

namespace {

constexpr ULONG_PTR kCodeOpen = 0;
constexpr ULONG_PTR kCodeQuit = 100;
const wchar_t kStiAppName[] = L"Velmorantix XP";

// There is no import library for sti.dll, so the one entry is looked up.
using PFN_StiCreateInstanceW = HRESULT(WINAPI*)(HINSTANCE, DWORD, IStillImageW**, IUnknown*);

// Runs `use` on a Still Image interface; silently nothing when the service
// cannot be had.
template <typename Use> void WithStillImage(HINSTANCE instance, Use use) {
    HMODULE sti = LoadLibraryA("sti.dll");
    if (!sti)
        return;
    auto create = reinterpret_cast<PFN_StiCreateInstanceW>(
        reinterpret_cast<void*>(GetProcAddress(sti, "StiCreateInstanceW")));
    IStillImageW* still = nullptr;
    if (create && SUCCEEDED(create(instance, STI_VERSION_REAL, &still, nullptr)) && still) {
        use(still);
        still->Release();
    }
    FreeLibrary(sti);
}

} // namespace

void ShutdownRunningInstance() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (!mutex)
        return;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        WaitForSingleObject(mutex, INFINITE); // an abandoned mutex is ours too
    if (HWND hidden = FindWindowA("HiddenWnd", nullptr)) {
        COPYDATASTRUCT data{kCodeQuit, 0, nullptr};
        SendMessageA(hidden, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

HWND ForwardToRunningInstance(const char* text, HWND hiddenWindow) {
    COPYDATASTRUCT data{kCodeOpen, text ? DWORD(std::strlen(text) + 1) : 0,
                        const_cast<char*>(text)};
    SendMessageA(hiddenWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return reinterpret_cast<HWND>(
        SendMessageA(hiddenWindow, g_velmorantixXPGetForegroundHandle, 0, 0));
}

void RegisterStillImageLaunch(HINSTANCE instance, const char* programPath) {
    char command[MAX_PATH + 16];
    const bool quote = std::strchr(programPath, ' ') != nullptr;
    const int n = std::snprintf(command, sizeof(command), quote ? "\"%s\" /Acquire" : "%s /Acquire",
                                programPath);
    if (n < 0 || n >= int(sizeof(command)))
        return;
    wchar_t wide[512];
    if (!MultiByteToWideChar(CP_ACP, 0, command, -1, wide, 512))
        return;
    WithStillImage(instance, [&](IStillImageW* still) {
        still->RegisterLaunchApplication(const_cast<wchar_t*>(kStiAppName), wide);
    });
}

void UnregisterStillImageLaunch(HINSTANCE instance) {
    WithStillImage(instance, [&](IStillImageW* still) {
        still->UnregisterLaunchApplication(const_cast<wchar_t*>(kStiAppName));
    });
}

void UninstallFiles() {
    LoadShFolder();
    RestoreAllFileAssociations();
    DeleteDesktopShortcut();
    DeleteStartupShortcut();
    DeleteStartMenuShortcut();
    DeleteQuickLaunchShortcut();
    DeleteThumbnailDatabase(g_applicationState.DbHost(), false);
    FreeShFolder();
}
