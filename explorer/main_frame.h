// The explorer frame. Until the explorer window itself exists this is a plain
// top-level window of class "MainFrame", titled "Velmorantix XP", that shows
// and remembers the folder it was asked to select, so that start-up, the tray
// icon and the hand-over can open, show, hide and close it.
#pragma once

#include <windows.h>

#include "resources/messages.h"
#include "ui/ui.h"

class CImageView;
class CImageWindow;

class CMainFrame : public CWindowImpl<CMainFrame, CWindowImplBase, CFrameWinTraits> {
public:
    static constexpr const char* kClassName = "MainFrame";
    DECLARE_WND_CLASS_EX(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    CMainFrame() = default;
    ~CMainFrame() override;

    // No parent, default position, the frame's own styles (not yet visible).
    HWND CreateEx();

    // Records the path and shows it in the window; true.
    bool SelectPath(const char* path);
    void ShowItem(int index, void* fileItemList) {}
    void SaveSettings() {}
    bool IsExplorer() const { return true; }
    const char* SelectedPath() const { return m_path; }
    // The preview pane's view and its canvas; the stand-in has no preview.
    CImageView* GetImageView() { return nullptr; }
    CImageWindow* GetImageWindow() { return nullptr; }
    // Whether the find dialog exists and its search runs. The stand-in has no
    // find dialog, only the state one would report.
    bool IsSearchRunning() const { return m_searchRunning; }
    void SetSearchRunning(bool running) { m_searchRunning = running; }

    BEGIN_MSG_MAP(CMainFrame)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(kMsgItemListChanged, OnIgnored)
    MESSAGE_HANDLER(kMsgDecodeStarted, OnIgnored)
    MESSAGE_HANDLER(kMsgDecodeEnded, OnIgnored)
    END_MSG_MAP()

    // The window is gone: the application state frees this object.
    void OnFinalMessage(HWND) override;

private:
    // Takes the notices the real explorer will act on.
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnIgnored(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    char m_path[MAX_PATH] = {};
    bool m_searchRunning = false;
};
