// The program's entry: maintenance switches, the single-instance rule and the
// start-up and shut-down of the running copy.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <process.h>
#include <shlobj.h>
#include <cstdlib>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/string_list.h"
#include "docking/docking_statics.h"
#include "explorer/main_frame.h"
#include "program/maintenance.h"
#include "program/message_loop_filters.h"
#include "program/program_frames.h"
#include "program/tray_icon_wnd.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "tools/tool_services.h"

namespace {

// Icon resources of the shared 16x16 list, in list order.
constexpr int kSmallIcons[18] = {IDI_FAVORITES, IDI_MY_COLLECTIONS, IDI_SEARCH_RESULT, IDI_TYPE_BMP,
                                 IDI_TYPE_GIF,  IDI_TYPE_JPEG,      IDI_TYPE_PNG,      IDI_TYPE_ICO,
                                 IDI_TYPE_PCD,  IDI_TYPE_PCX,       IDI_TYPE_PSD,      IDI_TYPE_PSP,
                                 IDI_TYPE_RAS,  IDI_TYPE_WMF,       IDI_TYPE_EMF,      IDI_TYPE_TGA,
                                 IDI_TYPE_TIFF, IDI_TYPE_WBMP};

bool IsSwitch(int argc, char** argv, const char* name) {
    return argc > 1 && lstrcmpiA(argv[1], name) == 0;
}

void CreateSmallImageList(HINSTANCE instance) {
    g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
    if (!g_smallImageList)
        return;
    ImageList_SetBkColor(g_smallImageList, RGB(255, 255, 255));
    int indices[18];
    for (int i = 0; i < 18; ++i) {
        HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kSmallIcons[i]),
                                                   IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        indices[i] = icon ? ImageList_AddIcon(g_smallImageList, icon) : -1;
        if (icon)
            DestroyIcon(icon);
    }
    g_favoritesIconIndex = indices[0];
    g_myCollectionsIconIndex = indices[1];
    g_searchResultIconIndex = indices[2];
}

// "/print" and "/email": the files from argv[2] onwards.
CStringList* CollectFiles(int argc, char** argv) {
    auto* files = new CStringList;
    for (int i = 2; i < argc; ++i)
        files->InsertCopy(argv[i]);
    return files;
}

// Handles what is queued (the tools may have posted to their windows) up to
// the quit message that ends a switch.
void DrainMessages() {
    PostQuitMessage(0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What the start-up step needs of WinMain's arguments.
struct StartUpArguments {
    HINSTANCE instance = nullptr;
    int argc = 0;
    char** argv = nullptr;
};
StartUpArguments g_startUp;

// Start-up after the hidden window and the loop, in steps run from the loop:
// the hidden window answers between them. A later start waits on the mutex
// until the last step has made the first windows, and any message from
// outside that comes before that runs the steps left before it is handled.
// A step returns false (having posted the quit message) when the program
// cannot run.
bool StartLibraries() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                                              ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);
    LoadShFolder();
    SHGetMalloc(&g_shellMalloc);
    SHGetDesktopFolder(&g_desktopFolder);
    return true;
}

bool LoadIconsAndOptions() {
    CApplicationState& app = g_applicationState;
    CreateSmallImageList(g_startUp.instance);
    app.LoadOptions();
    if (app.Options().trayIcon)
        app.AddTrayIcon();
    return true;
}

bool OpenCatalogue() {
    CApplicationState& app = g_applicationState;
    char folder[MAX_PATH];
    if (!GetAppDataFolder(folder) || app.OpenDatabases() != 0) {
        PostQuitMessage(1);
        return false;
    }
    app.LoadFolderSymbols();
    // Registered for the rest of the process: frames may still end after the loop.
    RegisterProgramFrames();
    return true;
}

bool ShowFirstWindows() {
    CApplicationState& app = g_applicationState;
    const int argc = g_startUp.argc;
    char** argv = g_startUp.argv;
    // The mutex is released once the first windows exist, and before any
    // modal start-up dialog (ShowStartupDialogs releases it itself), so a
    // second start is never held up behind the wizard.
    if (IsSwitch(argc, argv, "/TrayIcon")) {
        app.AddTrayIcon();
        ReleaseInstanceMutex();
    } else if (IsSwitch(argc, argv, "/Acquire")) {
        app.StartAcquire();
        ReleaseInstanceMutex();
    } else {
        for (int i = 1; i < argc; ++i)
            app.OpenPath(argv[i], true);
        if (!g_lastActiveWindow && app.ShowExplorer()) {
            app.Explorer()->SelectPath(app.Options().explorerHomeFolder);
            g_lastActiveWindow = app.Explorer()->m_hWnd;
            app.ShowStartupDialogs();
        }
        ReleaseInstanceMutex();
    }
    return true;
}

const CTrayIconWnd::StartUpStep kStartUpSteps[] = {StartLibraries, LoadIconsAndOptions,
                                                   OpenCatalogue, ShowFirstWindows};

int RunRunningCopy(HINSTANCE instance, int argc, char** argv) {
    CApplicationState& app = g_applicationState;
    app.SetProgramPathFromModule();
    auto* hidden = new CTrayIconWnd;
    app.SetHiddenWindow(hidden->CreateHidden());
    if (!app.HiddenWindow()) {
        delete hidden;
        return 1;
    }
    // The loop exists before the first frames, which register their filters
    // with it as they are made. The hidden window answers as soon as it
    // runs; the rest of start-up follows as its messages.
    int exitCode = 0;
    {
        CMainMessageLoop loop;
        g_startUp = StartUpArguments{instance, argc, argv};
        hidden->SetStartUp(kStartUpSteps, sizeof kStartUpSteps / sizeof kStartUpSteps[0]);
        if (!PostMessageA(hidden->m_hWnd, kMsgFinishStartUp, 0, 0))
            hidden->FinishStartUp();
        exitCode = loop.Run();
    }
    if (hidden->StartUpFailed()) {
        app.RemoveTrayIcon();
        delete hidden;
        return 1;
    }

    app.RemoveTrayIcon();
    hidden->DestroyWindow();
    app.SetHiddenWindow(nullptr);
    CloseHandle(g_instanceMutex);
    g_instanceMutex = nullptr;
    if (g_shellMalloc)
        g_shellMalloc->Release();
    if (g_desktopFolder)
        g_desktopFolder->Release();
    g_shellMalloc = nullptr;
    g_desktopFolder = nullptr;
    if (g_smallImageList)
        ImageList_Destroy(g_smallImageList);
    g_smallImageList = nullptr;
    OleUninitialize();
    delete hidden;
    return exitCode;
}

int Main(HINSTANCE instance) {
    const int argc = __argc;
    char** argv = __argv;
    (void)g_dockingBoxMessage; // the docking statics live from before WinMain

    if (IsSwitch(argc, argv, "/Shutdown")) {
        ShutdownRunningInstance();
        return 0;
    }
    if (IsSwitch(argc, argv, "/DeleteThumbnailDB")) {
        LoadShFolder();
        DeleteThumbnailDatabase(g_applicationState.DbHost(), true);
        return 0;
    }
    if (IsSwitch(argc, argv, "/Install")) {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        RegisterStillImageLaunch(instance, path);
        return 0;
    }
    if (IsSwitch(argc, argv, "/Uninstall")) {
        ShutdownRunningInstance();
        UninstallFiles();
        UnregisterStillImageLaunch(instance);
        return 0;
    }
    if (IsSwitch(argc, argv, "/print")) {
        CStringList* files = CollectFiles(argc, argv);
        PrintFiles(nullptr, &g_applicationState, files, true);
        DrainMessages();
        delete files;
        return 0;
    }
    if (IsSwitch(argc, argv, "/email")) {
        LoadShFolder();
        CStringList* files = CollectFiles(argc, argv);
        const uintptr_t thread = _beginthreadex(nullptr, 0, EmailPicturesThread, files, 0, nullptr);
        if (thread) {
            WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
            CloseHandle(reinterpret_cast<HANDLE>(thread));
        } else {
            delete files;
        }
        DrainMessages();
        return 0;
    }

    g_instanceMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (!g_instanceMutex)
        return 1;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        WaitForSingleObject(g_instanceMutex, INFINITE);
    if (HWND hidden = FindWindowA(CTrayIconWnd::kClassName, nullptr)) {
        if (argc < 2) {
            if (HWND front = ForwardToRunningInstance(nullptr, hidden))
                SetForegroundWindow(front);
        }
        for (int i = 1; i < argc; ++i) {
            if (HWND front = ForwardToRunningInstance(argv[i], hidden))
                SetForegroundWindow(front);
        }
        // The mutex is abandoned at exit, which hands it to the next waiter.
        return 0;
    }
    return RunRunningCopy(instance, argc, argv);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_module.Init(instance);
    const int exitCode = Main(instance);
    g_module.Term();
    return exitCode;
}
