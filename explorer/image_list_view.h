// The thumbnail list: a list view (window class "CImageListViewCtrl", a
// superclass of the system list view) that shows the items of one file item
// list in Filmstrip, Thumbnail or List mode and makes the thumbnails on a
// worker thread of its own, reading them from and storing them in the
// thumbnail database while the picture file is unchanged.
//
// List item i stands for item i of the source. The control's own image list
// holds one tile per item (image 0 is the blank tile); an item shows image 0
// until the worker has made its thumbnail.
//
// Two threads use the control. The user-interface thread never changes the
// item-image and done arrays or the image list while the worker runs: every
// such change is preceded by PauseWorker, which waits for the worker's idle
// event, and followed by ResumeWorker. The worker takes the source's own
// lock only while it reads the count and one item's path, and the
// application's thumbnail lock for every database access; it holds neither
// while it decodes, and it updates list items only with SendMessageTimeout
// (500 ms) and SendNotifyMessage, so a user-interface thread that waits for
// it costs at most one timeout.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>

#include <atomic>
#include <vector>

#include "explorer/thumbnail_store.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/window_impl.h"

class CByteStream;
class CFileItemList;
class CImageListDropTarget;
class CImageObject;

enum EImageListViewMode : int {
    kListViewNone = 0,
    kListViewFilmstrip = 1,
    kListViewThumbnails = 2,
    kListViewList = 3,
};

class CImageListViewCtrl : public CWindowImplBase {
public:
    static constexpr const char* kClassName = "CImageListViewCtrl";

    CImageListViewCtrl() = default;
    ~CImageListViewCtrl() override;

    // Registers the class once (a copy of the list view's class under this
    // name), creates the window and starts the idle worker.
    HWND Create(HWND parent, const RECT& rect, DWORD style, UINT id, const char* text = nullptr);

    BEGIN_MSG_MAP(CImageListViewCtrl)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_HSCROLL, OnScrollInput)
    MESSAGE_HANDLER(WM_VSCROLL, OnScrollInput)
    MESSAGE_HANDLER(WM_MOUSEWHEEL, OnScrollInput)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(kMsgListMakeVisibleFirst, OnMakeVisibleFirst)
    COMMAND_ID_HANDLER(ID_EDIT_COPY, OnCopyCut)
    COMMAND_ID_HANDLER(ID_EDIT_CUT, OnCopyCut)
    REFLECTED_NOTIFY_CODE_HANDLER(LVN_BEGINDRAG, OnBeginDrag)
    END_MSG_MAP()

    // --- the explorer's operations (user-interface thread) ---

    // Clears the list, gives the previous source back and takes over the
    // caller's reference to list (which may be null), then populates.
    void SetItemSource(CFileItemList* list);
    CFileItemList* ItemSource() const { return m_source; }
    void Populate();
    void InsertItem(int index);
    void DeleteItem(int index);
    void Clear();
    void UpdateItemText(int index);
    void SelectItem(int index, bool select);
    int GetFocusedItem() const;
    void GetSelectedIndices(std::vector<int>* indices) const;
    void ClearSelection();
    void SelectAll();
    void InvertSelection();
    void SetViewMode(int mode);
    int ViewMode() const { return m_viewMode; }
    void SetImageOnlyMode();
    void SetBackgroundColor(COLORREF colour);
    void UpdateIconSpacing();
    void CreateTileBitmap();
    void ResizeListColumn();
    void PauseWorker();
    void ResumeWorker();
    void InvalidateThumbnail(int index);
    // Every live list's worker (the explorer's and the folder preview's),
    // before the thumbnail cache they write is closed, and after.
    static void PauseAllWorkers();
    static void ResumeAllWorkers();

    // Cut (copy false) and copy: the selected items go on the OLE clipboard
    // as the blocks of the source's kind (files, favorites items or zip
    // archive items) with the preferred drop effect; cut marks them. False
    // only when a selection could not be put there.
    bool CopySelectionToClipboard(bool copy);
    // Gives the object those blocks for the items; false when a block cannot
    // be made or taken, or an item has no path.
    bool BuildDataObject(const std::vector<int>& items, IDataObject* object, bool copy);

    // --- drops onto the list (image_list_drop.cpp) ---

    // The list's registered drop target; null when OLE refused it.
    IDropTarget* DropTarget() const;
    // Whether the list takes data of the matched format: files, and only
    // into a folder on disk.
    bool TakesDrop(const FORMATETC* matched) const;
    // Copies or moves the dropped files from other folders into the list's
    // folder; false (effect none) when the list does not take the data.
    bool OnListDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect);

    // --- state for the frame and for tests ---

    int ItemCount() const { return m_itemCount; }
    // The worker's last pass finished every item.
    bool AllDone() const { return m_allDone; }
    // Set while the worker waits for work.
    HANDLE IdleEvent() const { return m_idleEvent; }
    // Whether item index shows its thumbnail.
    bool IsItemDone(int index) const;
    // Pictures decoded from their files (not read from records) so far.
    long DecodeCount() const { return m_decodeCount; }
    // The list view lacks work areas: the filmstrip row is laid out by hand.
    bool PlacesFilmstripByHand() const { return m_placeByHand; }
    HIMAGELIST OwnImageList() const { return m_imageList; }

private:
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnScrollInput(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnMakeVisibleFirst(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnCopyCut(WORD, WORD id, HWND, BOOL&);
    LRESULT OnBeginDrag(int, LPNMHDR, BOOL&);

    void OnCreate();
    void RegisterDropTarget();
    void RevokeDropTarget();
    void ResetImageList(int count);
    void DestroyImageList();
    HBITMAP MakeBlankTile();
    void PlaceItemsInRow();
    void SetItemState(int index, UINT state, UINT mask);
    void SetRangeSelected(int from, int to, bool selected);
    bool ThumbnailsShown() const { return m_viewMode != kListViewList; }
    void ApplyStyle(DWORD clear, DWORD set);

    // The worker.
    static unsigned __stdcall WorkerThread(void* self);
    void WorkerLoop();
    // One item of a pass; false ends the pass (pause, stop, a failed
    // extraction).
    bool MakeThumbnail(int index, HDC tileDc, HDC imageDc, CByteStream& stream,
                       const char* folderKeyBase, bool cache);
    CImageObject* ReadRecord(const char* key, const char* path, CByteStream& stream);

    CFileItemList* m_source = nullptr;
    int m_viewMode = kListViewNone;
    bool m_imageOnly = false;
    bool m_placeByHand = false;
    COLORREF m_background = RGB(255, 255, 255);
    int m_thumbWidth = 100;
    int m_thumbHeight = 100;

    HIMAGELIST m_imageList = nullptr;
    int m_capacity = 0;
    int m_used = 0;
    int m_singleInsertions = 0;
    std::vector<int> m_itemImages;
    std::vector<unsigned char> m_done;
    std::atomic<int> m_itemCount{0};
    int m_anchor = -1;
    RECT m_client{};
    HBITMAP m_tile = nullptr;

    HANDLE m_thread = nullptr;
    HANDLE m_workEvent = nullptr;
    HANDLE m_idleEvent = nullptr;
    std::atomic<bool> m_pauseRequest{true};
    std::atomic<bool> m_stopRequest{false};
    std::atomic<bool> m_waitingForIdle{false};
    std::atomic<bool> m_allDone{false};
    std::atomic<bool> m_jumpRequest{false};
    std::atomic<int> m_firstVisible{0};
    std::atomic<long> m_decodeCount{0};
    bool m_repeatPass = true;                     // the worker's own: run another pass at once
    CThumbnailWriter m_writer;                    // the worker's place among the database writers
    CImageListDropTarget* m_dropTarget = nullptr; // one reference of ours
};
