// The command base shared by the explorer and the viewer frames: the
// commands both offer, handled once here, reaching the frame only through
// sixteen operations that each frame implements.
//
// A frame mixes this class in and chains its map into its own after its own
// entries: CHAIN_MSG_MAP(CFrameCommands). Only map 0 is handled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CImageObject;
class CImageView;
class CFileItemList;

class CFrameCommands {
public:
    CFrameCommands() = default;
    CFrameCommands(const CFrameCommands&) = delete;
    CFrameCommands& operator=(const CFrameCommands&) = delete;
    virtual ~CFrameCommands() = default;

    // The shared map: WM_COMMAND by id, WM_NOTIFY codes 1 (the view's zoom
    // changed) and 2 (the view has shown the whole image).
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult, DWORD dwMsgMapID = 0);

    // --- the sixteen operations, in slot order ---
    // 1: the shown document (frame 0 of a multi-page image), or null.
    virtual CImageObject* GetDocument() = 0;
    // 2: the page or frame of the document that is shown, or null.
    virtual CImageObject* GetCurrentImage() = 0;
    // 3: the frame's item list, or null.
    virtual CFileItemList* GetFileItemList() = 0;
    // 4: the frame window (owner of message boxes and dialogs).
    virtual HWND GetFrameWindow() = 0;
    // 5: shows `image` (the frame takes over its reference); keepView keeps
    // zoom and scroll position; updates the title.
    virtual void ShowDocument(CImageObject* image, bool keepView) = 0;
    // 6: opens the list item at the current index at the size of GetViewArea.
    virtual void OpenCurrentItem(bool askToSave) = 0;
    // 7: the frame's view.
    virtual CImageView* GetImageView() = 0;
    // 8: the frame's preload option.
    virtual bool IsPreloadEnabled() = 0;
    // 9: appends the selected items' indexes.
    virtual void GetSelectedIndexes(std::vector<int>& indexes) = 0;
    // 10
    virtual bool IsExplorer() = 0;
    // 11: the frame's save-confirmation option.
    virtual bool NeedsSaveConfirmation() = 0;
    // 12: makes the file at `path` the current item.
    virtual bool SelectPath(const char* path) = 0;
    // 13: pushes enabled and pressed states into the toolbar.
    virtual void UpdateToolBar() = 0;
    // 14
    virtual void UpdateTitle() = 0;
    // 15
    virtual void SyncToPath(const char* path) = 0;
    // 16: the box and zoom at which images are decoded for the view.
    virtual void GetViewArea(int& width, int& height, double& zoom) = 0;

    // Before closing or moving to another image. True only when a modified
    // document was really saved.
    bool PromptSaveChanges() { return AskToSaveChanges() == SavePrompt::Saved; }
    // The same question with the reason: a frame about to close or move on
    // stays where it is when the save was wanted and failed, so no edit is
    // lost silently.
    enum class SavePrompt { NothingToSave, Declined, Saved, Failed };
    SavePrompt AskToSaveChanges();
    // On activation: a document whose file changed on disk is read again.
    void ReloadIfChangedOnDisk();
    // Fills the desktop work area with the frame window.
    void MoveToWorkArea();

    // Fields shared with the frame.
    BOOL m_backward = FALSE;    // stepping backwards: the preload takes the previous item
    int m_currentIndex = -1;    // current item in the frame's list; -1 = none
    int m_preloadIndex = -1;    // item to decode ahead; -1 = the neighbour in the step direction
    bool m_watchChanges = true; // activation compares the document with its file

protected:
    // Writes the document back to its file. Saving images is not built yet:
    // it tells the user and fails, which keeps the frame on the document.
    virtual bool SaveDocument(CImageObject* document);

    LRESULT OnViewZoomChanged(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);
    LRESULT PreloadNextImage(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);

    void OnMarquee(WORD id);
    void OnUndo();
    void OnArrangeViewers(WORD id);
    // The viewer count, for the enable rules of the window commands.
    static int ViewerCount();
};
