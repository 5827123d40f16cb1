// The explorer frame. Until the explorer window itself exists this is a plain
// top-level window of class "MainFrame", titled "Velmorantix XP", that shows
// and remembers the folder it was asked to select, so that start-up, the tray
// icon and the hand-over can open, show, hide and close it.
#pragma once

#include <windows.h>

class CMainFrame {
public:
    static constexpr const char* kClassName = "MainFrame";

    CMainFrame() = default;
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // No parent, default position, the frame's own styles (not yet visible).
    HWND CreateEx();
    HWND m_hWnd = nullptr;

    // Records the path and shows it in the window; true.
    bool SelectPath(const char* path);
    void ShowItem(int index, void* fileItemList) {}
    void SaveSettings() {}
    bool IsExplorer() const { return true; }
    const char* SelectedPath() const { return m_path; }

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    char m_path[MAX_PATH] = {};
};
