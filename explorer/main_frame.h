// CMainFrame: the explorer window ("MainFrame"). A docking frame with a
// command bar, a toolbar and an address bar on its rebar, the preview above
// the thumbnail list in its client splitter, and four docking panes around
// them: Folders (the folder tree), Properties (the information pane),
// Contents (the thumbnail list in List mode) and Metadata (the metadata
// list). It remembers its window, bars, view mode, splitter positions and
// pane layout in the registry, and implements the sixteen operations of the
// commands it shares with the viewer.
//
// Lifetime: the application core creates the one explorer (ShowExplorer)
// and frees the object after the window's last message.
//
// Message order: the frame's own entries, then CFrameCommands, the update-UI
// map and the docking frame. Children that notify their creation parent (the
// splitter) keep doing so after they move into a pane; the splitter hands
// the notices on, and the frame reflects them back to the control, so the
// tree's and the list's own handlers run in every view mode.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "docking/docking_frame.h"
#include "docking/tab_docking_window.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/image_list_view.h"
#include "explorer/info_pane.h"
#include "explorer/logic/explorer_settings.h"
#include "explorer/pane_splitter.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "tools/metadata_list.h"
#include "ui/command_bar.h"
#include "ui/message_loop.h"
#include "ui/update_ui.h"
#include "viewer/frame_commands.h"
#include "viewer/image_view.h"

class CImageObject;
class CImageOperation;
class CImageWindow;
class CFileItemList;
class CFindDialog;
class CTwainSession;

class CMainFrame : public CDockingFrame<CMainFrame>,
                   public CUpdateUI<CMainFrame>,
                   public CMessageFilter,
                   public CIdleHandler,
                   public CFrameCommands {
public:
    static constexpr const char* kClassName = "MainFrame";
    DECLARE_FRAME_WND_CLASS_EX(kClassName, IDR_MAINFRAME, CS_DBLCLKS, COLOR_BTNFACE)

    CMainFrame() = default;
    ~CMainFrame() override;

    // The (not yet visible) frame with menu, accelerators, icon and title 9.
    HWND CreateEx();

    // --- what the application core and frame management use ---
    bool SelectPath(const char* path) override;
    // A clipboard picture saved as a new file into the tree's selected
    // folder; false when there is no such folder or no picture to paste.
    bool TryPasteImage();
    // The clipboard picture saved into `folder` (the output folder when
    // null) under the first free numbered name; false without a picture.
    bool PasteImageFromClipboard(const char* folder);
    // Shows item `index` of `list` (a folder list through its folder).
    bool ShowItem(int index, CFileItemList* list);
    void SaveSettings();
    void StoreSplitterPos();
    void SetViewMode(int mode);
    int ViewMode() const { return m_viewMode; }
    void RefreshIfCurrentImage(const char* path);
    const char* SelectedPath() const { return m_shownPath.c_str(); }
    CImageWindow* GetImageWindow() { return m_preview.m_hWnd ? &m_preview.GetCanvas() : nullptr; }
    // Whether the find dialog's search thread runs (main_frame_find.cpp).
    bool IsSearchRunning() const;
    CFindDialog* FindDialog() const { return m_findDialog; }
    HTREEITEM SearchResultRoot() const { return m_searchRoot; }

    // Set through activation: the explorer is the active frame.
    bool m_active = false;

    // --- parts, for the idle pass, tests and the panes' owners ---
    CImageListViewCtrl& List() { return m_list; }
    CFolderPaneTree& Tree() { return m_tree; }
    CImageView& Preview() { return m_preview; }
    CPaneSplitter& Splitter() { return m_splitter; }
    CTabDockingWindow& PaneWindow(int pane) { return m_panes[pane]; }
    // The slot of the Properties pane: its client window (the information
    // pane, id 10004) and the Metadata pane's report list.
    HWND InfoPaneWindow() const { return m_infoPane; }
    HWND MetadataListWindow() const { return m_metadataList; }
    HWND AddressBar() const { return m_addressBar; }
    HWND ToolBar() const { return m_toolBar; }

    // --- CFrameCommands ---
    CImageObject* GetDocument() override;
    CImageObject* GetCurrentImage() override;
    CFileItemList* GetFileItemList() override { return m_list.ItemSource(); }
    HWND GetFrameWindow() override { return m_hWnd; }
    void ShowDocument(CImageObject* image, bool keepView) override;
    void OpenCurrentItem(bool askToSave) override;
    CImageView* GetImageView() override { return m_preview.m_hWnd ? &m_preview : nullptr; }
    bool IsPreloadEnabled() override;
    void GetSelectedIndexes(std::vector<int>& indexes) override;
    bool IsExplorer() override { return true; }
    bool NeedsSaveConfirmation() override;
    void UpdateToolBar() override;
    void UpdateTitle() override;
    void SyncToPath(const char* path) override;
    void GetViewArea(int& width, int& height, double& zoom) override;

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnIdle() override;

    // The caption and the address bar follow the tree's selection.
    void UpdateCaption();
    void UpdateAddressBar();

    // A drive was attached: when it holds pictures, offers to browse or
    // download them (main_frame_acquire.cpp).
    void CheckNewDevice(const char* root);

    BEGIN_UPDATE_UI_MAP(CMainFrame)
    UPDATE_ELEMENT(ID_FILE_OPEN_VIEWER, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_SAVE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_PRINT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_GO_BACK, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_GO_FORWARD, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_GO_UP, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_MOVE_TO, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_COPY_TO, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_DELETE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FAVORITES_ADD, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ROTATE_90CCW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_ROTATE_90CW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_MARQUEE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_SLIDESHOW, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_WALLPAPER_CENTER, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_TOOLS_EDITOR, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_TOOLS_HOT_TRACK, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_FILE_PROPERTIES, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_VIEW_FILMSTRIP, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_THUMBNAIL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_LIST, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_FOLDERS_PANE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_PROPERTIES_PANE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_METADATA_PANE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_CONTENTS_PANE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_PREVIEW_PANE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_ADDRESS_BAR, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_NEW_VIEWER, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_TOOLS_BATCH_RENAME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_EMAIL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_SAVE_AS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_TILE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_STRETCH, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WALLPAPER_REMOVE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_CONVERT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_CUT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_PASTE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_UNDO, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_EXTRACT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FILE_RENAME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ACQUIRE_WIA, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ROTATE_180, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ROTATE_ARBITRARY, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FLIP_HORIZONTAL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_FLIP_VERTICAL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_SIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_GRAYSCALE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_INDEXED, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_RGB, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_MODE_BITMAP, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_BRIGHTNESS_CONTRAST, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_COLOR_BALANCE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_HUE_SATURATION, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_DESATURATE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_POSTERIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_INVERT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ADJUST_EQUALIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_IMAGE_CROP, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_NEXT_PAGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_PREV_PAGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_JUMP_TO_TARGET, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_NAME, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_SIZE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_TYPE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_BY_DATE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_ASCENDING, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_SORT_DESCENDING, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_BRING_VIEWERS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_CLOSE_VIEWERS, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE_HORZ, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_WINDOW_ARRANGE_VERT, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_INVERT_SELECTION, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_FIND, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_EDIT_SELECT_ALL, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_VIEW_REFRESH, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ACQUIRE_CLIPBOARD, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_ACQUIRE_SCREEN, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_TWAIN_ACQUIRE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_TWAIN_SELECT_SOURCE, UPDUI_MENUPOPUP)
    UPDATE_ELEMENT(ID_OUTPUT_SETTING, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(kMsgItemListChanged, OnItemListChanged)
    MESSAGE_HANDLER(kMsgDecodeStarted, OnDecodeProgress)
    MESSAGE_HANDLER(kMsgDecodeEnded, OnDecodeDone)
    MESSAGE_HANDLER(kMsgRefreshPanes, OnRefreshPanesMessage)
    MESSAGE_HANDLER(kMsgSelectionCount, OnSelectionCount)
    MESSAGE_HANDLER(OptionsChangedMessage(), OnOptionsChanged)
    NOTIFY_HANDLER(IDC_EXPLORER_LIST, NM_RCLICK, OnListRightClick)
    MESSAGE_HANDLER(WM_NOTIFY, OnTreeNotice)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    MESSAGE_RANGE_HANDLER(FTN_FOLDERCREATED, FTN_ENDOPERATION, OnPassedTreeNotice)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(WM_APPCOMMAND, OnAppCommand)
    COMMAND_ID_HANDLER(ID_GO_BACK, OnHistoryCommand)
    COMMAND_ID_HANDLER(ID_GO_FORWARD, OnHistoryCommand)
    COMMAND_ID_HANDLER(ID_GO_UP, OnHistoryCommand)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
    COMMAND_HANDLER(IDC_EXPLORER_ADDRESS, CBN_SELCHANGE, OnAddressSelChange)
    COMMAND_RANGE_HANDLER(ID_VIEW_FILMSTRIP, ID_VIEW_LIST, OnViewModeCommand)
    COMMAND_ID_HANDLER(ID_VIEW_FOLDERS_PANE, OnTogglePane)
    COMMAND_ID_HANDLER(ID_VIEW_PROPERTIES_PANE, OnTogglePane)
    COMMAND_ID_HANDLER(ID_VIEW_METADATA_PANE, OnTogglePane)
    COMMAND_ID_HANDLER(ID_VIEW_CONTENTS_PANE, OnTogglePane)
    COMMAND_ID_HANDLER(ID_VIEW_TOOLBAR, OnToggleBand)
    COMMAND_ID_HANDLER(ID_VIEW_ADDRESS_BAR, OnToggleBand)
    COMMAND_ID_HANDLER(ID_APP_EXIT, OnCloseCommand)
    COMMAND_ID_HANDLER(ID_FILE_OPEN_VIEWER, OnOpenViewer)
    COMMAND_ID_HANDLER(ID_FILE_NEW_VIEWER, OnOpenNewViewers)
    COMMAND_ID_HANDLER(ID_FILE_DELETE, OnDeleteCommand)
    COMMAND_ID_HANDLER(ID_TREE_DELETE, OnTreeDelete)
    COMMAND_ID_HANDLER(ID_TREE_NEW_FOLDER, OnTreeNewFolder)
    COMMAND_ID_HANDLER(ID_TREE_REFRESH, OnTreeRefresh)
    COMMAND_ID_HANDLER(ID_SEARCH_CLEAR, OnTreeRefresh)
    COMMAND_ID_HANDLER(ID_EDIT_COPY, OnCopyCut)
    COMMAND_ID_HANDLER(ID_EDIT_CUT, OnCopyCut)
    COMMAND_ID_HANDLER(ID_EDIT_PASTE, OnPaste)
    COMMAND_ID_HANDLER(ID_EDIT_SELECT_ALL, OnSelectAll)
    COMMAND_ID_HANDLER(ID_EDIT_INVERT_SELECTION, OnInvertSelection)
    COMMAND_ID_HANDLER(ID_EDIT_EXTRACT, OnExtract)
    COMMAND_ID_HANDLER(ID_VIEW_REFRESH, OnRefresh)
    COMMAND_ID_HANDLER(ID_VIEW_PREVIEW_PANE, OnPreviewPane)
    COMMAND_ID_HANDLER(ID_TOOLS_HOT_TRACK, OnHotTrack)
    COMMAND_ID_HANDLER(ID_VIEW_NEXT_PAGE, OnPageCommand)
    COMMAND_ID_HANDLER(ID_VIEW_PREV_PAGE, OnPageCommand)
    COMMAND_ID_HANDLER(ID_EDIT_JUMP_TO_TARGET, OnJumpToTarget)
    COMMAND_ID_HANDLER(ID_GO_ADDRESS_BAR, OnGoCommand)
    COMMAND_ID_HANDLER(ID_GO_HOME_FOLDER, OnGoCommand)
    COMMAND_ID_HANDLER(ID_VIEW_ITEM_INFO, OnGoFavorites)
    COMMAND_ID_HANDLER(ID_VIEW_SLIDESHOW, OnSlideShow)
    COMMAND_ID_HANDLER(ID_VIEW_OPTIONS, OnOptions)
    COMMAND_ID_HANDLER(kInfoPaneCommand, OnImageProperties)
    COMMAND_ID_HANDLER(ID_FILE_RENAME, OnRenameCommand)
    COMMAND_ID_HANDLER(ID_LIST_RENAME, OnRenameCommand)
    COMMAND_ID_HANDLER(ID_TOOLS_BATCH_RENAME, OnRenameCommand)
    COMMAND_ID_HANDLER(ID_ACQUIRE_SCREEN, OnScreenCapture)
    COMMAND_ID_HANDLER(ID_ACQUIRE_CLIPBOARD, OnPasteClipboardImage)
    COMMAND_ID_HANDLER(ID_OUTPUT_SETTING, OnOutputSetting)
    COMMAND_ID_HANDLER(ID_FILE_ACQUIRE, OnAcquire)
    COMMAND_ID_HANDLER(ID_ACQUIRE_WIA, OnAcquireWia)
    COMMAND_ID_HANDLER(ID_TWAIN_SELECT_SOURCE, OnTwainCommand)
    COMMAND_ID_HANDLER(ID_TWAIN_ACQUIRE, OnTwainCommand)
    COMMAND_ID_HANDLER(ID_EDIT_FIND, OnFind)
    MESSAGE_HANDLER(kMsgFindClosed, OnFindClosed)
    COMMAND_ID_HANDLER(ID_FILE_CONVERT, OnConvert)
    MESSAGE_HANDLER(WM_COMMAND, OnBatchCommand)
    CHAIN_MSG_MAP(CFrameCommands)
    CHAIN_MSG_MAP(CUpdateUI<CMainFrame>)
    CHAIN_MSG_MAP(CDockingFrame<CMainFrame>)
    END_MSG_MAP()

    // The window is gone: the application state frees this object.
    void OnFinalMessage(HWND) override;

private:
    // creation, layout and settings (main_frame.cpp)
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActivate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    HWND CreateToolBar();
    void ReadSettings();
    void RestorePaneLayout();
    void SendPendingAutoHide();
    void FillTree();

    // notifications, list updates and commands (main_frame_notify.cpp)
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnItemListChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDecodeProgress(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDecodeDone(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddressSelChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnViewModeCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnTogglePane(WORD, WORD, HWND, BOOL&);
    LRESULT OnToggleBand(WORD, WORD, HWND, BOOL&);
    LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpenViewer(WORD, WORD, HWND, BOOL&);
    LRESULT OnOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnImageProperties(WORD, WORD, HWND, BOOL&);
    void ShowTreeItem(HTREEITEM item);
    void SelectListItem(int index);
    void RefreshPanes(bool clear);
    void UpdateUIState();
    void OpenViewerOnCurrent();
    void AddAddressEntry(const char* path, int image);
    LRESULT OnListNotify(NMHDR* header, BOOL& handled);

    // the panes, the selection count, info tips and options changes
    // (main_frame_panes.cpp)
    static UINT OptionsChangedMessage();
    LRESULT OnRefreshPanesMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelectionCount(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOptionsChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListInfoTip(NMLVGETINFOTIPA* tip);
    void PostSelectionCount();

    // rename and batch rename (main_frame_rename.cpp)
    LRESULT OnRenameCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnEndLabelEdit(NMLVDISPINFOA* info);

    // capture, clipboard and output setting (main_frame_output.cpp)
    LRESULT OnScreenCapture(WORD, WORD, HWND, BOOL&);
    LRESULT OnPasteClipboardImage(WORD, WORD, HWND, BOOL&);
    LRESULT OnOutputSetting(WORD, WORD, HWND, BOOL&);
    void RestoreAfterCapture();
    // Writes a new image under `path`, then selects it in the list; false
    // when nothing was written.
    bool SaveNewImage(CImageObject* image, const std::string& path);

    // an image command over several thumbnails, and Convert (main_frame_batch.cpp)
    LRESULT OnBatchCommand(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnConvert(WORD, WORD, HWND, BOOL&);
    void RunBatch(int id, const std::vector<int>& selected);
    // An adjustment's answer, asked with a preview on the image on view.
    std::unique_ptr<CImageOperation> AskBatchAdjustment(int id);
    // WIA, TWAIN and new drives (main_frame_acquire.cpp)
    LRESULT OnAcquire(WORD, WORD, HWND, BOOL&);
    LRESULT OnAcquireWia(WORD, WORD, HWND, BOOL&);
    LRESULT OnTwainCommand(WORD, WORD, HWND, BOOL&);
    void OnTwainImage(HGLOBAL dib);
    void PassToTwain(MSG* msg);
    void EndTwainSession();
    void OnDriveAdded(const NMHDR* header);
    // Drives and the Favorites keys (main_frame_devices.cpp).
    LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGoFavorites(WORD, WORD, HWND, BOOL&);
    void SelectFavoritesRoot();

    // the Find command and the Search Result root (main_frame_find.cpp)
    LRESULT OnFind(WORD, WORD, HWND, BOOL&);
    LRESULT OnFindClosed(UINT, WPARAM, LPARAM, BOOL&);
    void InsertSearchResultRoot();
    void CloseFindDialog();

    // the folder pane tree's roots, notices and history (main_frame_tree.cpp)
    LRESULT OnTreeNotice(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPassedTreeNotice(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHistoryCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnAppCommand(UINT, WPARAM, LPARAM, BOOL&);

    // file, edit and view commands (main_frame_commands.cpp)
    void NoteFocus();
    bool TreeIsTarget();
    std::string SelectedTreeFolder();
    LRESULT OnDeleteCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnTreeDelete(WORD, WORD, HWND, BOOL&);
    LRESULT OnTreeNewFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnCopyCut(WORD, WORD, HWND, BOOL&);
    LRESULT OnPaste(WORD, WORD, HWND, BOOL&);
    LRESULT OnSelectAll(WORD, WORD, HWND, BOOL&);
    LRESULT OnInvertSelection(WORD, WORD, HWND, BOOL&);
    LRESULT OnExtract(WORD, WORD, HWND, BOOL&);
    LRESULT OnRefresh(WORD, WORD, HWND, BOOL&);
    LRESULT OnPreviewPane(WORD, WORD, HWND, BOOL&);
    LRESULT OnHotTrack(WORD, WORD, HWND, BOOL&);
    LRESULT OnPageCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnJumpToTarget(WORD, WORD, HWND, BOOL&);
    LRESULT OnGoCommand(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpenNewViewers(WORD, WORD, HWND, BOOL&);
    LRESULT OnSlideShow(WORD, WORD, HWND, BOOL&);
    LRESULT OnListRightClick(int, LPNMHDR, BOOL&);
    LRESULT OnTreeRefresh(WORD, WORD, HWND, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    void ReloadModifiedDocument();
    HWND m_lastFocused = nullptr;

    CCommandBarCtrl m_commandBar;
    HWND m_toolBar = nullptr;
    HIMAGELIST m_toolImages[3] = {nullptr, nullptr, nullptr};
    HWND m_addressBar = nullptr;
    CPaneSplitter m_splitter;
    CImageView m_preview;
    CImageListViewCtrl m_list;
    CFolderPaneTree m_tree;
    CInfoPane m_info;
    CMetadataListViewCtrl m_metadata;
    HWND m_infoPane = nullptr;
    HWND m_metadataList = nullptr;
    CTabDockingWindow m_panes[explorer_settings::kPaneCount];
    explorer_settings::ExplorerSettings m_settings;
    explorer_settings::RestoreStep m_pendingAutoHide;
    bool m_hasPendingAutoHide = false;
    int m_viewMode = 0;
    int m_pageIndex = 0;
    bool m_openOnFocus = true;
    bool m_batch = false;
    bool m_filterRegistered = false;
    CTwainSession* m_twain = nullptr;      // made on the first TWAIN command, ended with the window
    CFindDialog* m_findDialog = nullptr;   // made on the first Find
    CFileItemList* m_searchList = nullptr; // the Search Result list, one reference
    HTREEITEM m_searchRoot = nullptr;
    bool m_statusPosted = false;
    HTREEITEM m_computerRoot = nullptr;
    std::string m_shownPath;
};
