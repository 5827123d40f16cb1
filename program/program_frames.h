// The program's side of the application core's window interfaces: frame
// management (the explorer and the viewers), decode progress over the
// canvases and item-list changes to the frames. Start-up registers the one
// instance with g_applicationState before the first frame is made.
#pragma once

#include "app/window_hosts.h"

class CProgramFrames final : public IFrameHost, public IImageWindows, public IItemListWindows {
public:
    // IFrameHost: the explorer side (frame_management.cpp).
    void CloseExplorer(bool force) override;
    void OnExplorerDestroyed(CMainFrame* frame) override;
    bool IsSearchRunning() override;

    // IFrameHost: the viewer side (viewer_management.cpp).
    void CloseAllViewers() override;
    bool ShowExplorerOnItem(CFileItemList* list, int index) override;
    CImageFrame* OpenViewerOnDocument(CFileItemList* list, int index, CImageObject* image,
                                      COLORREF background, bool fullScreen,
                                      bool newViewer) override;
    void OnViewerDestroyed(CImageFrame* viewer) override;
    void ShowOptionsSheet() override;
    bool SetViewerToolbarVisible(bool visible) override;
    void BringViewersToTop() override;
    void ArrangeViewers(int k, char mode) override;
    bool SetActiveFrame(bool isExplorer, CImageFrame* viewer) override;

    // IImageWindows and IItemListWindows (image_windows.cpp).
    void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first,
                            int32_t count) override;
    void RedrawImageViewRows(CImageView* view, int first, int count) override;
    void SendItemListChange(CFileItemList* list, int code, const char* item,
                            const char* explorerItem) override;
};

// The program's one instance.
extern CProgramFrames g_programFrames;

// Registers g_programFrames with g_applicationState.
void RegisterProgramFrames();
// Registers the dialogs the frames' shared commands open (frame_dialogs.cpp).
void RegisterProgramFrameDialogs();
// Registers the frames' printing and e-mailing (frame_output.cpp).
void RegisterProgramFrameOutput();
// Registers the explorer's Browse for Folder for every window that asks the
// application for a folder (folder_browser_host.cpp).
void RegisterProgramFolderBrowser();
