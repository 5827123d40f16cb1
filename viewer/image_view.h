// CImageView: the zoom-and-scroll control that every window showing one
// image embeds (the viewer frame, the explorer's preview). It holds the image
// shown, picks the display scale from its zoom type, centres or scrolls the
// picture, pans with the mouse or the arrow keys, draws a marquee selection
// with a live coordinate tooltip, lays a caption label over the picture
// during slide shows, and tells its parent when the zoom changed, when the
// picture is completely on screen and when it was double-clicked.
//
// The pixels are drawn by the embedded canvas (CImageWindow), a disabled
// child, so all mouse input arrives at the view.
//
// Image references: every image pointer the view holds (current, preloaded,
// previous, undo) is one reference, given back through
// g_applicationState.ReleaseImage. The canvas's image pointer IS the view's
// current image.
//
// Notifications to the parent are WM_NOTIFY with wParam = the view's control
// id and an NMHDR whose hwndFrom is NULL and idFrom the control id: match
// them on idFrom and code (kViewNotifyZoomChanged, kViewNotifyFullyShown,
// NM_DBLCLK). In selection mode a double click inside the selection sends
// WM_COMMAND ID_IMAGE_CROP to the parent instead of NM_DBLCLK.
//
// Locks: SetImage, SetImageKeepView and DetachImage take the canvas lock
// and the layout inside them takes the image's own lock. A layout on its
// own, scrolling and panning also take the canvas lock first, because the
// canvas's own operations (scroll origin, mapping, selection drawing) take
// it and the canvas lock must never be taken inside an image's lock. The
// shared screen-bitmap lock is taken inside the image lock. References are
// given back, and "fully shown" is told to the parent, only after the
// canvas lock is left (the parent may open images in answer, and the image
// cache's lock comes before any image's lock).
#pragma once

#include <windows.h>

#include "ui/window_impl.h"
#include "viewer/caption_ctrl.h"
#include "viewer/image_window.h"
#include "resources/messages.h"

class CImageObject;

// Zoom types (the options ViewerZoomType / the zoom-type commands).
enum EViewZoomType {
    kZoomActualSize = 0,
    kZoomFitOnScreen = 1,
    kZoomShrinkToFit = 2,
    kZoomEnlargeToFit = 3,
    kZoomLock = 4,
};

class CImageView : public CWindowImpl<CImageView> {
public:
    DECLARE_WND_CLASS_EX("ImageView", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW)

    // WM_COMMAND sent to the parent on a double click inside the selection.

    CImageView();
    ~CImageView() override;

    // The embedded canvas (its image is the view's current image).
    CImageWindow& GetCanvas() { return m_canvas; }
    const CImageWindow& GetCanvas() const { return m_canvas; }
    // The current image (no reference added); null when empty.
    CImageObject* GetImage() const;

    // --- images ---

    // Shows `image` and takes over the caller's reference to it (null clears
    // the view). With keepPrevious the image shown before stays alive as the
    // previous image (only when it finished decoding and is not modified);
    // with keepView zoom and scroll position stay; captionText (may be null)
    // becomes the caption's text.
    void SetImage(CImageObject* image, bool keepPrevious, bool keepView, const char* captionText);
    // Replaces the current image (same picture decoded at another size),
    // keeping zoom and scroll.
    void SetImageKeepView(CImageObject* image);
    // Replaces the current image by a private copy of it (same path) and
    // lays out again without progressive drawing; the shared image's
    // reference is given back once the copy exists.
    void DetachImage();
    // Clears pending rendering, offsets and (unless keep) the custom zoom;
    // hides the caption's window and empties its text.
    void ResetView(bool keep);

    // The image replaced last, kept alive by SetImage's keepPrevious.
    CImageObject* GetPreviousImage() const { return m_previousImage; }
    void ReleasePreviousImage();

    // An image opened ahead of time by the frame commands; the view keeps
    // the reference and releases it with the next image or its destruction.
    CImageObject* GetPreloadedImage() const { return m_preloadedImage; }
    void SetPreloadedImage(CImageObject* image);

    // One level of undo: the image before the last edit, with a number.
    void SetUndoImage(CImageObject* image, int value);
    // Returns the undo image (with its reference) and clears the slot.
    CImageObject* TakeUndoImage();
    void ReleaseUndoImage();
    bool HasUndoImage() const { return m_undoImage != nullptr; }
    int GetUndoValue() const { return m_undoValue; }

    // --- caption ---

    void ShowCaption(bool show);
    bool IsCaptionShown() const { return m_captionShown; }
    CCaptionCtrl& GetCaption() { return m_caption; }

    // --- pages and animation frames ---

    void NextFrame(); // stays on the last frame
    void PrevFrame(); // stays on frame 0
    void SetFrame(int index);

    // --- appearance and selection ---

    void SetBackgroundColor(COLORREF colour, bool redraw);
    COLORREF GetBackgroundColor() const;
    void SetSelectionMode(bool on);
    bool IsSelectionMode() const { return m_selectionMode; }
    void SetFixedSelection(bool fixed, int width, int height);
    bool HasSelection() const;
    void ClearSelection();

    // --- zoom, layout and scrolling ---

    // (canvas zoom, -1, -1) with a custom zoom or type Lock; (1.0, -1, -1)
    // for types Actual Size and Enlarge to Fit; (0.0, client width, client
    // height) for Fit on Screen and Shrink to Fit: "decode to fit this box".
    void GetZoom(double& zoom, int& width, int& height) const;
    // The scale in use now (the canvas's).
    double GetCurrentZoom() const;
    int GetZoomType() const { return m_zoomType; }
    bool IsCustomZoom() const { return m_customZoom; }
    void UpdateLayout(bool progressive);
    // The frame turns layout off around its own resizing.
    void EnableLayout(bool enable) { m_layoutEnabled = enable; }
    bool IsLayoutEnabled() const { return m_layoutEnabled; }
    bool IsScrollable() const { return m_scrollable; }
    bool IsPanning() const { return m_panning; }
    int GetMaxScrollX() const { return m_maxScrollX; }
    int GetMaxScrollY() const { return m_maxScrollY; }
    int GetOffsetX() const { return m_offsetX; }
    int GetOffsetY() const { return m_offsetY; }

    // -1 leaves a coordinate unchanged.
    void ScrollTo(int x, int y);
    // Five steps of (dx, dy), repainting after each.
    void ScrollBy(int dy, int dx);

    // Zoom commands (sent to the view as kMsgViewZoomCommand).
    void SetZoomPercent(int percent);
    void ZoomIn();
    void ZoomOut();
    void SetZoomType(int type); // 0..4

    void NotifyZoomChanged();
    void NotifyImageShown();

    BEGIN_MSG_MAP(CImageView)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_KEYUP, OnForwardToParent)
    MESSAGE_HANDLER(WM_HSCROLL, OnScroll)
    MESSAGE_HANDLER(WM_VSCROLL, OnScroll)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
    MESSAGE_HANDLER(kMsgViewDetachImage, OnDetachImage)
    MESSAGE_HANDLER(kMsgViewZoomCommand, OnZoomCommand)
    MESSAGE_HANDLER(kMsgViewLayout, OnLayoutMessage)
    MESSAGE_HANDLER(kMsgViewLastRowDrawn, OnLastRowDrawn)
    MESSAGE_HANDLER(kMsgViewSetImage, OnSetImageMessage)
    MESSAGE_HANDLER(kMsgDecodeStarted, OnLayoutMessage)
    MESSAGE_HANDLER(kMsgDecodeEnded, OnDecodeEnded)
    MESSAGE_RANGE_HANDLER(WM_DRAWITEM, WM_CHARTOITEM, OnForwardToParent)
    MESSAGE_HANDLER(WM_COMPAREITEM, OnForwardToParent)
    MESSAGE_HANDLER(WM_NOTIFY, OnForwardToParent)
    MESSAGE_HANDLER(WM_COMMAND, OnForwardToParent)
    MESSAGE_RANGE_HANDLER(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, OnForwardToParent)
    MESSAGE_HANDLER(WM_PARENTNOTIFY, OnForwardToParent)
    END_MSG_MAP()

private:
    // messages (image_view_messages.cpp)
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnForwardToParent(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDetachImage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnZoomCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLayoutMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLastRowDrawn(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetImageMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDecodeEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    void Notify(UINT code);

    // scrolling, keyboard and mouse loops (image_view_input.cpp,
    // image_view_selection.cpp)
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    void RunArrowKeyLoop(WPARAM firstKey);
    void RunPanLoop(POINT press);
    void RunMoveSelectionLoop(POINT pressImage);
    void RunNewSelectionLoop(POINT anchorImage);
    void ScrollToUnlocked(int x, int y);

    // image slots (image_view.cpp)
    void ResetViewState(bool keep);

    // layout (image_view_layout.cpp)
    void ComputeFitZoom();
    bool LayoutImmediate(CImageObject* frame, int displayedWidth, int displayedHeight);
    void ReleaseSlot(CImageObject*& slot);
    void SizeCaptionToClient();
    void NotifyShownNowOrLater();
    void FlushShownNotify();

    CImageWindow m_canvas;
    int m_maxScrollX = 0;
    int m_maxScrollY = 0;
    int m_offsetX = 0;
    int m_offsetY = 0;
    bool m_layoutEnabled = true;
    bool m_customZoom = false;
    int m_zoomType = kZoomActualSize;
    bool m_selectionMode = false;
    bool m_keepViewOnce = false;
    bool m_scrollable = false;
    bool m_panning = false;
    CImageObject* m_previousImage = nullptr;
    CImageObject* m_preloadedImage = nullptr;
    CImageObject* m_undoImage = nullptr;
    int m_undoValue = -1;
    RECT m_clientRect = {0, 0, 0, 0};
    CCaptionCtrl m_caption;
    bool m_captionShown = false;
    // While SetImage and its kin hold the canvas lock, "fully shown" waits
    // until they leave it (the parent may open images in answer).
    int m_deferShownNotify = 0;
    bool m_shownNotifyPending = false;
};
