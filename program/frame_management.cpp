// The explorer side of frame management: showing, selecting, hiding and
// closing the explorer, the start-up dialogs, and opening handed-over paths
// (a folder in the explorer, a file in a viewer). The viewers' side is in
// viewer_management.cpp.
#include <shlwapi.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/draw_trace.h"
#include "app/logic/path_parts.h"
#include "config/config_services.h"
#include "explorer/main_frame.h"
#include "program/config_host.h"
#include "program/program_frames.h"
#include "tools/file_dialogs.h"
#include "resources/resource.h"
#include "viewer/image_frame.h"

namespace {

// OpenPath's "show the explorer without selecting anything".
const char* const kNoSelection = reinterpret_cast<const char*>(~uintptr_t(0));

} // namespace

CProgramFrames g_programFrames;
// The password, Replace Confirmation and copy/move dialogs of file operations.
CToolFileDialogs g_toolFileDialogs;

void RegisterProgramFrames() {
    g_applicationState.SetWindowHosts(&g_programFrames, &g_programFrames, &g_programFrames);
    g_applicationState.SetFileDialogs(&g_toolFileDialogs);
    RegisterProgramFrameDialogs();
    RegisterProgramFrameOutput();
    RegisterProgramFolderBrowser();
}

bool CApplicationState::ShowExplorer() {
    if (explorer) {
        ShowWindow(explorer->m_hWnd, IsIconic(explorer->m_hWnd) ? SW_SHOWNORMAL : SW_SHOW);
    } else {
        auto* frame = new CMainFrame;
        if (!frame->CreateEx()) {
            delete frame;
            return false;
        }
        explorer = frame;
        ShowWindow(explorer->m_hWnd, SW_SHOW);
    }
    SetForegroundWindow(explorer->m_hWnd);
    return true;
}

bool CApplicationState::IsExplorerVisible() const {
    return explorer && (GetWindowLongPtrA(explorer->m_hWnd, GWL_STYLE) & WS_VISIBLE);
}

void CApplicationState::DestroyExplorerWindow() {
    // The window's last message frees the frame (OnExplorerDestroyed).
    if (explorer && explorer->m_hWnd)
        DestroyWindow(explorer->m_hWnd);
}

void CProgramFrames::OnExplorerDestroyed(CMainFrame* frame) {
    CApplicationState& app = g_applicationState;
    if (app.Explorer() == frame)
        app.SetExplorer(nullptr);
    if (g_lastActiveWindow && !IsWindow(g_lastActiveWindow))
        g_lastActiveWindow = nullptr;
    delete frame;
}

void CApplicationState::ShowStartupDialogs() {
    if (options.showWelcome) {
        // A modal wizard must not keep a second start waiting on the mutex.
        ReleaseInstanceMutex();
        CConfigWizard wizard(ProgramConfigHost());
        if (wizard.DoModal(GetActiveWindow()) == IDOK) {
            CRegistryOptionStore store;
            if (store.Open()) {
                store.WriteNumber("ShowWelcome", 0);
                store.Close();
            }
        }
    }
    // At most once per process, whatever the wizard's answer.
    options.showWelcome = false;
}

HWND CApplicationState::OpenPath(const char* path, bool newViewer) {
    // Paths from a command line or a hand-over may use '/' like any Windows
    // program's; the folder listing and the shell calls behind it want '\\'.
    std::string normalized;
    if (path && path != kNoSelection) {
        normalized = path_parts::Normalized(path);
        path = normalized.c_str();
    }
    HWND shown = nullptr;
    if (path == kNoSelection || !path || PathIsDirectoryA(path)) {
        if (ShowExplorer()) {
            if (path != kNoSelection) {
                explorer->SelectPath(path ? path : options.explorerHomeFolder);
                ShowStartupDialogs();
            }
            shown = explorer ? explorer->m_hWnd : nullptr;
        }
    } else {
        // A file: a viewer lists its folder and shows it.
        DrawTraceMark("open");
        CImageFrame* viewer = GetViewer(newViewer, options.viewerBackgroundClr);
        if (viewer) {
            viewer->LoadFolderList(path);
            if (options.viewerFullscreen)
                viewer->SetFullScreen(true);
            shown = viewer->m_hWnd;
        }
    }
    g_lastActiveWindow = shown;
    return shown;
}

void CProgramFrames::CloseExplorer(bool force) {
    CApplicationState& app = g_applicationState;
    CMainFrame* explorer = app.Explorer();
    if (!explorer)
        return;
    if (force || app.ViewerCount() == 0) {
        app.DestroyExplorerWindow();
        if (!app.TrayIconShown())
            PostQuitMessage(0);
        // The application's reference to the list kept for a quick return
        // goes with the explorer.
        app.ReleaseFileItemList(nullptr);
    } else {
        explorer->SaveSettings();
        ShowWindow(explorer->m_hWnd, SW_HIDE);
    }
    app.SaveOptions();
}

bool CProgramFrames::IsSearchRunning() {
    CMainFrame* explorer = g_applicationState.Explorer();
    return explorer != nullptr && explorer->IsSearchRunning();
}

void CApplicationState::StartAcquire() {
    if (ShowExplorer()) {
        explorer->SelectPath(options.outputSettingFilenamePath);
        ShowStartupDialogs();
    }
    if (explorer)
        PostMessageA(explorer->m_hWnd, WM_COMMAND, ID_FILE_ACQUIRE, 0);
}

LRESULT CApplicationState::SendToExplorer(UINT message, WPARAM wParam, LPARAM lParam) {
    return explorer ? SendMessageA(explorer->m_hWnd, message, wParam, lParam) : 0;
}
