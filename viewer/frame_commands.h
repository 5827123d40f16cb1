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
struct CEditorRecord;
struct tagNMTOOLBARA;

class CFrameCommands {
public:
    CFrameCommands() = default;
    CFrameCommands(const CFrameCommands&) = delete;
    CFrameCommands& operator=(const CFrameCommands&) = delete;
    virtual ~CFrameCommands() = default;

    // The shared map: WM_COMMAND through the command table, WM_NOTIFY from
    // the view when its zoom changed and when it has shown the whole image.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult, DWORD dwMsgMapID = 0);

    // --- what each frame provides ---
    // The shown document (frame 0 of a multi-page image), or null.
    virtual CImageObject* GetDocument() = 0;
    // The page or frame of the document that is shown, or null.
    virtual CImageObject* GetCurrentImage() = 0;
    // The frame's item list, or null.
    virtual CFileItemList* GetFileItemList() = 0;
    // The frame window (owner of message boxes and dialogs).
    virtual HWND GetFrameWindow() = 0;
    // Shows `image` (the frame takes over its reference); keepView keeps
    // zoom and scroll position; updates the title.
    virtual void ShowDocument(CImageObject* image, bool keepView) = 0;
    // Opens the list item at the current index at the size of GetViewArea.
    virtual void OpenCurrentItem(bool askToSave) = 0;
    // The frame's view.
    virtual CImageView* GetImageView() = 0;
    // The frame's preload option.
    virtual bool IsPreloadEnabled() = 0;
    // Appends the selected items' indexes.
    virtual void GetSelectedIndexes(std::vector<int>& indexes) = 0;
    // The explorer answers true: some commands read its own options.
    virtual bool IsExplorer() = 0;
    // The frame's save-confirmation option.
    virtual bool NeedsSaveConfirmation() = 0;
    // Makes the file at `path` the current item.
    virtual bool SelectPath(const char* path) = 0;
    // Pushes enabled and pressed states into the toolbar.
    virtual void UpdateToolBar() = 0;
    virtual void UpdateTitle() = 0;
    // Makes `path` the current item when the document has another path
    // (the explorer; a viewer has one item in view and does nothing).
    virtual void SyncToPath(const char* path) = 0;
    // The box and zoom at which images are decoded for the view.
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
    // Writes the document back to its file (Save As for a type without a
    // writer); false when nothing was written, the file then being as it was.
    virtual bool SaveDocument(CImageObject* document);

    // The selection of the view cut out of the document as a new, modified
    // image; null when there is nothing to cut. With sourceOut the image cut
    // from (one reference) is handed back.
    CImageObject* CropToSelection(CImageObject** sourceOut);

    LRESULT OnViewZoomChanged(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);
    LRESULT PreloadNextImage(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);

    void OnMarquee(WORD id);
    void OnUndo(WORD id);
    void OnImageCommand(WORD id);
    void OnCrop(WORD id);
    void OnSaveSelectionAs(WORD id);
    void OnSave(WORD id);
    void OnSaveAs(WORD id);
    void OnDelete(WORD id);
    void OnCopyMoveTo(WORD id);
    void OnAddToFavorites(WORD id);
    // Print and E-mail Pictures of the selected items (frame_output_commands.cpp).
    void OnPrint(WORD id);
    void OnEmailPictures(WORD id);
    // The selected items' full paths (the list's own form for each kind).
    std::vector<std::string> SelectedPaths();
    void OnArrangeViewers(WORD id);
    void OnBringViewersToTop(WORD id);
    void OnCloseAllViewers(WORD id);
    void OnAbout(WORD id);
    // The viewer count, for the enable rules of the window commands.
    static int ViewerCount();
    // Wallpaper and the external editors (frame_tool_commands.cpp).
    void OnSetWallpaper(WORD id);
    void OnLaunchEditor(WORD id);
    void OnConfigureEditors(WORD id);
    // The current document's catalogue attributes in Image Properties.
    void OnImageProperties(WORD id);
    LRESULT OnEditorDropDown(const tagNMTOOLBARA* drop);
    // Sort By and its order (frame_sort_commands.cpp).
    void OnSortCommand(WORD id);
    // Contents and Index and the product's web pages (frame_help_commands.cpp).
    void OnHelpContents(WORD id);
    void OnWebPage(WORD id);

public:
    // The Editor button's drop-down: one entry per editor (61440 + i), a
    // separator when there is one, and "Configure Editors...". The caller
    // destroys it.
    static HMENU BuildEditorMenu(const std::vector<CEditorRecord>& editors);

private:
    // What an image command edits: the document, the first selected item's
    // path and type, and how many items are selected. No document when the
    // command must do nothing.
    struct EditTarget {
        CImageObject* document = nullptr;
        std::string path;
        int type = 0;
        int count = 0;
    };
    EditTarget GetEditTarget(bool reportVector);
    // The document with every pixel of its file (one reference), waiting for
    // a full-size decode when it is shown reduced or still decoding.
    static CImageObject* FullSizeSource(CImageObject* document);
    // The adjustments asked with a live preview on the view's own copy.
    void RunAdjustmentDialog(WORD id);
    // Reads the file at path again and shows it from the start.
    void ShowFileAgain(const char* path);

    // The commands of the shared map: ids first..last go to handler(id).
    struct CommandEntry {
        WORD first, last;
        void (CFrameCommands::*handler)(WORD id);
    };
    static const CommandEntry kCommands[];
};
