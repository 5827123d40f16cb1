// The thumbnail host program: a folder's images as thumbnails, made by the
// list's worker and cached in the user's thumbnail database, to look at and
// to picture. Arguments: the folder, then "filmstrip", "thumbnails" (the
// default) or "list". Esc ends it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "explorer/tests/thumbnail_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    char folder[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, argv[1], -1, folder, MAX_PATH, nullptr, nullptr);
    int mode = kListViewThumbnails;
    if (argc > 2 && lstrcmpiW(argv[2], L"filmstrip") == 0)
        mode = kListViewFilmstrip;
    else if (argc > 2 && lstrcmpiW(argv[2], L"list") == 0)
        mode = kListViewList;
    LocalFree(argv);

    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    LoadShFolder();
    CApplicationState& app = g_applicationState;
    app.LoadOptions();
    if (app.OpenDatabases() != 0)
        return 1;
    app.LoadFolderSymbols();

    thumbtest::CThumbnailHostFrame frame;
    if (!frame.CreateHost(40, 30, 900, mode == kListViewFilmstrip ? 260 : 640))
        return 1;
    if (!frame.ShowFolder(folder, mode))
        return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (frame.IsWindow())
        frame.DestroyWindow();
    OleUninitialize();
    return 0;
}
