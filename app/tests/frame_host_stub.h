// A frame host for tests below the program's top: every request does
// nothing, a search runs when the test says so. Tests of the windows derive
// from it for the requests their frames make.
#pragma once

#include "app/window_hosts.h"

class CFrameHostStub : public IFrameHost {
public:
    bool searchRunning = false;

    void CloseExplorer(bool) override {}
    void OnExplorerDestroyed(CMainFrame*) override {}
    bool IsSearchRunning() override { return searchRunning; }
    void CloseAllViewers() override {}
    bool ShowExplorerOnItem(CFileItemList*, int) override { return false; }
    CImageFrame* OpenViewerOnDocument(CFileItemList*, int, CImageObject*, COLORREF, bool,
                                      bool) override {
        return nullptr;
    }
    void OnViewerDestroyed(CImageFrame*) override {}
    void ShowOptionsSheet() override {}
    bool SetViewerToolbarVisible(bool visible) override { return visible; }
    void BringViewersToTop() override {}
    void ArrangeViewers(int, char) override {}
};
