// The one application object, g_applicationState: what outlives any window.
// Built by static initialisation before WinMain and destroyed after it
// returns; its destructor saves the options and closes the databases.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/folder_symbols.h"
#include "app/options.h"
#include "catalog/program_databases.h"
#include "platform/platform.h"

class CMainFrame;
class CImageFrame;

// The catalogue's view of the running program: its data folder, its message
// boxes (no owner) and the favorites root of a new main database.
class CAppDbHost : public IProgramDbHost {
public:
    std::string DataFolder() override;
    int ShowMessage(const std::string& text, const char* caption, uint32_t flags) override;
    bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) override;
};

// Finds the program's data folder ("Velmorantix\Velmorantix XP" under the
// user's application data folder), creating both levels; on failure shows
// "Cannot open application data folder" and returns false. `folder` holds
// MAX_PATH characters.
bool GetAppDataFolder(char* folder);

class CApplicationState {
public:
    CApplicationState();
    ~CApplicationState();
    CApplicationState(const CApplicationState&) = delete;
    CApplicationState& operator=(const CApplicationState&) = delete;

    // Options (registry key of the current user).
    void LoadOptions();
    void SaveOptions();

    // Databases and folder identifiers.
    int OpenDatabases(); // 0, or the exit code 1 after the message was shown
    void LoadFolderSymbols();

    // Tray icon (hidden window, identifier 0).
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ExitFromTray();

    // Frames.
    bool ShowExplorer();
    void ShowStartupDialogs();
    HWND OpenPath(const char* path, bool newViewer);
    void CloseExplorer(bool force);
    void CloseAllViewers();
    void StartAcquire();
    // The explorer window is gone: the frame object is freed.
    void OnExplorerDestroyed(CMainFrame* frame);
    bool IsExplorerVisible() const;
    void DestroyExplorerWindow();

    int BroadcastToViewers(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SendToExplorer(UINT message, WPARAM wParam, LPARAM lParam);
    void SetScreenSaverActive(bool active);

    CAppOptions options;
    CMainFrame* explorer = nullptr;
    std::vector<CImageFrame*> viewers; // oldest first; filled by the viewer frames
    char programPath[MAX_PATH] = {};
    HWND hiddenWindow = nullptr;
    bool trayIconShown = false;
    bool optionsLoaded = false;
    bool screenSaverActiveAtStart = false;
    bool screenSaverActiveNow = false;
    OSVERSIONINFOA versionInfo{};
    std::vector<CFolderSymbol> folderSymbols;

    CAppDbHost dbHost;
    CProgramDatabases databases{dbHost};
    plat::CriticalSection viewerListLock;
    plat::CriticalSection itemListLock;
    plat::CriticalSection imageLock;
    plat::CriticalSection archiveLock;
};

extern CApplicationState g_applicationState;

// Opens a file or address with the shell's "open" verb.
bool ShellOpenFile(const char* path);
