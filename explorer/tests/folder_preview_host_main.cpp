// The folder preview host program: a folder tree of the given folder's
// sub-folders with the preview on, which shows the popup for the first of
// them as if the pointer rested on its label, to look at and to picture.
// Argument: the folder. Esc ends it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/tests/shell_item_path.h"

namespace {

class CPreviewHostFrame : public CWindowImpl<CPreviewHostFrame, CWindowImplBase, CFrameWinTraits> {
public:
    DECLARE_WND_CLASS("VxpFolderPreviewHost")
    BEGIN_MSG_MAP(CPreviewHostFrame)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    CFolderPaneTree tree;

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
        if (tree.m_hWnd)
            ::MoveWindow(tree.m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
        handled = FALSE;
        ::PostQuitMessage(0);
        return 0;
    }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    char folder[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, argv[1], -1, folder, MAX_PATH, nullptr, nullptr);
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
    if (!g_smallImageList)
        g_smallImageList = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 8, 8);

    CPreviewHostFrame frame;
    RECT place{40, 30, 340, 430};
    if (!frame.Create(nullptr, place, "Folder preview host"))
        return 1;
    RECT client;
    frame.GetClientRect(&client);
    if (!frame.tree.Create(frame.m_hWnd, client,
                           WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS,
                           10001))
        return 1;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    HTREEITEM first = nullptr;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.')
                if (LPITEMIDLIST pidl =
                        treetest::ParsePidl(std::string(folder) + "\\" + found.cFileName)) {
                    HTREEITEM item = frame.tree.InsertShellItem(nullptr, pidl, false);
                    if (!first)
                        first = item;
                }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    frame.ShowWindow(SW_SHOW);
    frame.UpdateWindow();
    frame.tree.SetPreviewEnabled(true);
    if (first) {
        RECT label{};
        std::memcpy(&label, &first, sizeof first); // the item in, its label's rectangle out
        ::SendMessageA(frame.tree.m_hWnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
        const POINT at{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
        POINT screen = at;
        ClientToScreen(frame.tree.m_hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        frame.tree.Preview().ShowForPoint(at);
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        // The picture keeps the popup: the pointer's own motion does not
        // reach the tree.
        if (msg.message == WM_MOUSEMOVE || msg.message == WM_MOUSELEAVE)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (frame.IsWindow())
        frame.DestroyWindow();
    OleUninitialize();
    return 0;
}
