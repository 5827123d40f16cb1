// CImageFrame: the viewer window ("ImageFrame"). A top-level frame with a
// command bar, a toolbar in a rebar, and one CImageView as its client. It
// shows one image document at a time out of an item list (the image's folder,
// listed on a thread of its own, or the list it was opened on), steps through
// it, pages through multi-page and animated images and copies the image to
// the clipboard. The commands it shares with the explorer come from
// CFrameCommands, whose sixteen operations it implements.
//
// Lifetime: CApplicationState::GetViewer creates the object and its window
// (CreateViewer); the window's last message posts WM_USER+2 with the object
// to the user-interface thread, whose message filter deletes it.
//
// Message order: the viewer's own entries, then CFrameCommands, then the
// update-UI map, then the frame base.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/command_bar.h"
#include "ui/frame_window.h"
#include "ui/update_ui.h"
#include "viewer/frame_commands.h"
#include "viewer/image_view.h"
#include "viewer/logic/slide_show.h"
#include "resources/messages.h"

class CImageObject;
class CFileItemList;

class CImageFrame : public CFrameWindowImpl<CImageFrame>,
                    public CUpdateUI<CImageFrame>,
                    public CFrameCommands,
                    public CMessageFilter,
                    public CIdleHandler {
public:
    DECLARE_FRAME_WND_CLASS_EX("ImageFrame", 202, 0, COLOR_WINDOW)

    // The title of a viewer before it shows anything.
    static constexpr const char* kInitialTitle = "Velmorantix XP";

    CImageFrame();
    ~CImageFrame() override;

    // Creates the (not yet visible) frame window with menu 202 and
    // accelerators 202 at the system's default place. Null on failure.
    HWND CreateViewer();

    // --- what frame management and the decode threads use ---

    CImageView& GetView() { return m_view; }
    HWND GetViewWindow() const { return m_view.m_hWnd; }
    HWND GetRebarWindow() const;
    HWND GetStatusBarWindow() const;
    // The menu the frame shows: on its command bar, or as its menu bar.
    HMENU GetFrameMenu() const;

    int GetZoomType() const { return m_view.GetZoomType(); }
    void SetZoomType(int type);
    COLORREF GetBackgroundColor() const { return m_view.GetBackgroundColor(); }
    void SetBackgroundColor(COLORREF colour, bool redraw);

    // The item list (one reference held by the frame; null until listed).
    CFileItemList* GetItemList() const { return m_itemList; }
    // Takes over one reference to `list` (the old one is released) and
    // makes `index` the current item, normalised into the list.
    void SetItemList(CFileItemList* list, int index);
    int GetCurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int index) { m_currentIndex = index; }

    // Set through SetActiveFrame (WM_ACTIVATE): this viewer is the active
    // frame / the viewer that was active last.
    bool m_active = false;
    bool m_lastActive = false;

    // Shows the file at `path` and lists its folder on the folder thread.
    void LoadFolderList(const char* path);
    // Puts the current index into the list (wrap-around per ViewerRepeat, or
    // the slide show's repeat while a show runs).
    void NormalizeIndex();
    // Full screen strips the caption, borders and bars and fills the screen
    // with the view; off gives back the exact rectangle and style from
    // before. Entering again while on keeps what was saved first.
    void SetFullScreen(bool on);
    bool IsFullScreen() const { return m_fullScreen; }

    // The slide show steps through the item list on timer 1 every delay
    // milliseconds, forward, backward or at random; the explorer writes the
    // order, delay and repeat below before it starts one.
    void StartSlideShow();
    void StopSlideShow();
    bool IsSlideShowRunning() const { return m_slideShowRunning; }
    int m_slideShowSequence = 0;
    int m_slideShowDelay = 0;
    bool m_slideShowRepeat = false;

    // The idle cursor of full screen: shown again and hidden after three
    // seconds without a move; with auto-hide on it hides at once.
    void WakeCursor();
    void ShowCursorState(bool show);
    void SetCursorAutoHide(bool on);
    bool IsCursorShown() const { return m_cursorShown; }

    // --- CFrameCommands operations ---
    CImageObject* GetDocument() override;
    CImageObject* GetCurrentImage() override;
    CFileItemList* GetFileItemList() override { return m_itemList; }
    HWND GetFrameWindow() override { return m_hWnd; }
    void ShowDocument(CImageObject* image, bool keepView) override;
    void OpenCurrentItem(bool askToSave = true) override;
    CImageView* GetImageView() override { return &m_view; }
    bool IsPreloadEnabled() override;
    void GetSelectedIndexes(std::vector<int>& indexes) override;
    bool IsExplorer() override { return false; }
    bool NeedsSaveConfirmation() override;
    bool SelectPath(const char* path) override;
    void UpdateToolBar() override;
    void UpdateTitle() override;
    void SyncToPath(const char*) override {}
    void GetViewArea(int& width, int& height, double& zoom) override;

    // The title as it would be set now (also what UpdateTitle sets).
    std::string FormatTitle();

    // Sends `window` an item-list change in the form the viewer receives.
    static LRESULT SendItemListChange(HWND window, CFileItemList* list, const char* name, int code);

    // CMessageFilter: accelerators for this frame's own windows only.
    BOOL PreTranslateMessage(MSG* msg) override;
    // CIdleHandler: the update-UI pass.
    BOOL OnIdle() override;

    // The commands whose states the idle pass keeps (rules in
    // image_frame_title.cpp); toolbar buttons follow the first group.
    BEGIN_UPDATE_UI_MAP(CImageFrame)
    UPDATE_ELEMENT(ID_FILE_SAVE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_PROPERTIES, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_PRINT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_DELETE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FAVORITES_ADD, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_COPY_TO, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_MOVE_TO, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_NEXT_IMAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_PREV_IMAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_FIRST_IMAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_LAST_IMAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_FULLSCREEN, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ZOOM_IN, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ZOOM_OUT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ROTATE_90CCW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ROTATE_90CW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_MARQUEE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_SLIDESHOW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_WALLPAPER_CENTER, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_CONVERT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_SAVE_AS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_EMAIL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_CUT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_PASTE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_UNDO, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_GOTO_PAGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_NEXT_PAGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_PREV_PAGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_STOP_ANIMATION, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TO, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TYPE_ACTUAL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TYPE_FIT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TYPE_SHRINK, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TYPE_ENLARGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ZOOM_TYPE_LOCK, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_NAME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_SIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_TYPE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_DATE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_ASCENDING, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_DESCENDING, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ROTATE_180, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ROTATE_ARBITRARY, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FLIP_HORIZONTAL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FLIP_VERTICAL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_GRAYSCALE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_INDEXED, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_BITMAP, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_BRIGHTNESS_CONTRAST, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_COLOR_BALANCE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_HUE_SATURATION, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_DESATURATE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_INVERT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_EQUALIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_POSTERIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_SIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_TOOLS_EDITOR, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_IMAGE_CROP, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_TILE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_STRETCH, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_REMOVE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_EXPLORER, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_BRING_VIEWERS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE_HORZ, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE_VERT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_CLOSE_VIEWERS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_RENAME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_OPTIONS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_TOOLS_CONFIGURE_EDITORS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_HELP_INDEX, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_HELP_WEB_HOME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_HELP_WEB_SUPPORT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_HELP_WEB_REGISTER, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_APP_ABOUT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_RGB, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CImageFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
    MESSAGE_HANDLER(WM_APPCOMMAND, OnAppCommand)
    MESSAGE_HANDLER(kMsgItemListChanged, OnItemListChanged)
    MESSAGE_HANDLER(kMsgFrameUpdateTitle, OnUpdateTitleMessage)
    MESSAGE_HANDLER(kMsgFrameUpdateUI, OnUpdateUIMessage)
    MESSAGE_HANDLER(kMsgDecodeStarted, OnDecodeStarted)
    MESSAGE_HANDLER(kMsgDecodeEnded, OnDecodeEnded)
    MESSAGE_HANDLER(OptionsChangedMessage(), OnOptionsChanged)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(kMsgReportUnreadable, OnReportUnreadable)
    MESSAGE_HANDLER(WM_TIMER, OnSlideShowTimer)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    NOTIFY_HANDLER(ID_VIEWER_PANE, NM_DBLCLK, OnViewDoubleClick)
    COMMAND_ID_HANDLER(ID_VIEW_RANDOM_IMAGE, OnNavigate)
    COMMAND_RANGE_HANDLER(ID_VIEW_PREV_IMAGE, ID_VIEW_LAST_IMAGE, OnNavigate)
    COMMAND_ID_HANDLER(ID_VIEW_MARQUEE, OnMarqueeCommand)
    COMMAND_ID_HANDLER(ID_MARQUEE_SETTING, OnMarqueeSetting)
    COMMAND_ID_HANDLER(ID_FILE_DELETE, OnDeleteCommand)
    COMMAND_ID_HANDLER(ID_VIEW_GOTO_PAGE, OnGotoPage)
    COMMAND_ID_HANDLER(ID_WINDOW_EXPLORER, OnBrowse)
    COMMAND_ID_HANDLER(ID_FILE_BROWSE, OnBrowse)
    COMMAND_RANGE_HANDLER(ID_ZOOM_TO, ID_ZOOM_TYPE_LOCK, OnZoomCommand)
    COMMAND_ID_HANDLER(ID_FILE_NEW_VIEWER, OnOpenNewViewer)
    COMMAND_RANGE_HANDLER(ID_VIEW_NEXT_PAGE, ID_VIEW_STOP_ANIMATION, OnPageCommand)
    COMMAND_ID_HANDLER(ID_EDIT_COPY, OnCopy)
    COMMAND_ID_HANDLER(ID_EDIT_CUT, OnCopy)
    COMMAND_ID_HANDLER(ID_APP_EXIT, OnCloseCommand)
    COMMAND_ID_HANDLER(ID_VIEW_ESCAPE, OnEscape)
    COMMAND_ID_HANDLER(ID_VIEW_TOOLBAR, OnToggleToolbar)
    COMMAND_ID_HANDLER(ID_VIEW_REFRESH, OnRefresh)
    COMMAND_ID_HANDLER(ID_VIEW_OPTIONS, OnOptions)
    COMMAND_ID_HANDLER(ID_VIEW_SLIDESHOW, OnSlideShowCommand)
    COMMAND_ID_HANDLER(ID_VIEW_FULLSCREEN, OnFullScreenCommand)
    COMMAND_ID_HANDLER(ID_FILE_RENAME, OnRename)
    COMMAND_ID_HANDLER(ID_FILE_CONVERT, OnConvert)
    CHAIN_MSG_MAP(CFrameCommands)
    CHAIN_MSG_MAP(CUpdateUI<CImageFrame>)
    CHAIN_MSG_MAP(CFrameWindowImpl<CImageFrame>)
    END_MSG_MAP()

    void OnFinalMessage(HWND hWnd) override;

private:
    // Watches a document whose decode has not produced a picture yet: a
    // reader that fails before the header sends no progress at all.
    static constexpr UINT_PTR kDecodeWatchTimer = 3;
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    static UINT OptionsChangedMessage();

    // create and layout (image_frame.cpp)
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    HWND CreateViewerToolBar();
    void SizeToImage(CImageObject* image);
    void SavePlacement();

    // messages (image_frame_messages.cpp)
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAppCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnItemListChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnUpdateTitleMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnUpdateUIMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDecodeStarted(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDecodeEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOptionsChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnViewDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnEscape(WORD, WORD, HWND, BOOL&);
    LRESULT OnToggleToolbar(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpenNewViewer(WORD, WORD, HWND, BOOL&);
    LRESULT OnOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnMarqueeCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnMarqueeSetting(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnRename(WORD, WORD, HWND, BOOL&);
    // Convert of the shown image (image_frame_convert.cpp).
    LRESULT OnConvert(WORD, WORD, HWND, BOOL&);
    void MarkActive();
    void FollowRenamedFile();

    // slide show, full screen and cursor (image_frame_slideshow.cpp)
    static constexpr UINT_PTR kSlideShowTimer = 1;
    static constexpr UINT_PTR kCursorTimer = 2;
    LRESULT OnSlideShowCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnFullScreenCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnSlideShowTimer(UINT, WPARAM, LPARAM, BOOL&);
    void SlideShowStep();
    // The message filter's look at a mouse move over the view in full screen.
    void NoticeMouseMove(const MSG& msg);
    // The caption a slide show puts under `image` (its description), kept in
    // `text`; null when there is none to show.
    const char* SlideCaptionFor(CImageObject* image, std::string& text);

    // navigation and the folder thread (image_frame_navigation.cpp)
    LRESULT OnNavigate(WORD, WORD, HWND, BOOL&);
    LRESULT OnRefresh(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    bool OpenPath(const char* path);
    void StartFolderThread(const char* documentPath);
    void AdoptFolderResult();
    // Waits for the folder thread (answering messages sent meanwhile) and
    // closes its handle; with `stop` its late list is released.
    void WaitForFolderThread(bool stop);
    LRESULT OnReportUnreadable(UINT, WPARAM, LPARAM, BOOL&);
    static unsigned __stdcall FolderThreadProc(void* param);
    // `image`, when given, is the failed decode: a file that claims too many
    // pixels is reported with that reason.
    void ReportUnreadable(const char* path, const CImageObject* image = nullptr);

    // title, zoom, pages and update-UI (image_frame_title.cpp)
    LRESULT OnZoomCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnPageCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnGotoPage(WORD, WORD, HWND, BOOL&);
    void RunUpdateRules();
    bool WrapsAround() const;

    // copy and context menu (image_frame_copy.cpp)
    LRESULT OnCopy(WORD, WORD, HWND, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    bool CopyDocumentToClipboard();

    CImageView m_view;
    CFileItemList* m_itemList = nullptr;
    std::atomic<bool> m_stopFolderThread{false};
    HANDLE m_folderThread = nullptr;
    // The folder thread's result, adopted by the user-interface thread on
    // WM_USER+21 so that the list and index only change on that thread.
    std::mutex m_folderResultLock;
    CFileItemList* m_folderResultList = nullptr;
    int m_folderResultIndex = -1;
    std::string m_folderThreadPath;
    std::string m_unreadablePath;
    int64_t m_unreadableWidth = 0, m_unreadableHeight = 0; // the size the file claims
    bool m_fullScreen = false;
    bool m_slideShowRunning = false;
    bool m_cursorShown = true; // mirrors this frame's ShowCursor calls
    bool m_contextMenuOpen = false;
    int m_nextRandomIndex = -1;
    HWND m_toolBar = nullptr;
    HIMAGELIST m_toolImages[3] = {nullptr, nullptr, nullptr}; // normal, hot, disabled
    viewer::FullScreenMemory m_fullScreenMemory; // placement and style before full screen
    CCommandBarCtrl m_commandBar;
    HACCEL m_accelerators = nullptr;
    bool m_filterRegistered = false;
};
