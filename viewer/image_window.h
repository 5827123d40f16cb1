// The image canvas: the child window of an image view that puts an image's
// pixels on the screen. It draws rows progressively while a decode thread
// fills the image (a render thread of its own copies them in bands), steps
// through the frames of an animated image on a timer, and draws the marquee
// selection by inverting the screen.
//
// Drawing always goes from the image's DIB section through a memory DC into
// the canvas's own window DC (the class has CS_OWNDC), on which a scaling
// map stays set: while the map is in force, coordinates handed to the DC are
// in image pixels of the current frame. A paint's update rectangle comes in
// client pixels and is turned into image pixels through the same DC.
//
// Locks, always in this order: the canvas lock (Lock/Unlock) -> the row lock
// (inside QueueRows, SignalRender, ClearPendingRows) -> the image's own lock.
// The window DC is used by the user-interface thread and by the render
// thread, each only while holding the canvas lock; ApplyMapping, RenderRows,
// SetScroll, the selection drawing and WM_PAINT take it themselves (it is
// recursive), so a caller that already holds an image's lock must take the
// canvas lock BEFORE that image lock. QueueRows, QueueRowsOf and SignalRender
// take only the row lock, so the decode thread and the view's layout (which
// may hold an image lock) can both call them. The shown image is set under
// the canvas lock and the row lock both, so either lock is enough to read it.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "ui/window_impl.h"
#include "viewer/logic/band_planner.h"
#include "viewer/logic/selection_geometry.h"
#include "resources/messages.h"

class CImageObject;

// The canvas's scaling map on dc: MM_ANISOTROPIC with window extents from the
// frame's height and viewport extents from the displayed height (one scale
// for both axes), stretching with HALFTONE only when it shrinks and the
// Halftone option is set, COLORONCOLOR otherwise.
void SetCanvasMap(HDC dc, int frameHeight, int displayedHeight);

// The Halftone option: shrunk pictures are stretched with HALFTONE instead of
// COLORONCOLOR. Read at every ApplyMapping, so a changed option takes effect
// at the next layout.
bool CanvasHalftoneOption();

class CImageWindow : public CWindowImpl<CImageWindow> {
public:
    DECLARE_WND_CLASS_EX("ImageWindow", CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                         COLOR_WINDOW)

    CImageWindow();
    ~CImageWindow() override;

    BEGIN_MSG_MAP(CImageWindow)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    END_MSG_MAP()

    // --- the canvas lock ---
    void Lock() { m_canvasLock.Enter(); }
    void Unlock() { m_canvasLock.Leave(); }

    // --- the image shown (not owned: the view holds the reference) ---

    // Stops the animation, forgets the image, clears the pending rows and the
    // ready flag, sets the displayed size and frame index to 0 and, unless
    // keepScroll, the scroll position to (0, 0). Takes the canvas lock.
    void Reset(bool keepScroll);
    // Reset(keepScroll), then shows image with frame index 0 and starts the
    // animation when the image is complete. Takes the canvas lock.
    void AttachImage(CImageObject* image, bool keepScroll);
    // The image shown, no reference added; null when empty.
    CImageObject* GetImage() const { return m_image; }
    // The image itself for frame index 0, frame list entry index-1 otherwise;
    // null when there is no image or the index is beyond the frame list.
    CImageObject* GetCurrentFrame() const;
    int GetFrameIndex() const { return m_frameIndex; }
    // Sets the frame index as it is (an index beyond the list draws nothing).
    void SetFrameIndex(int index) { m_frameIndex = index; }

    // --- layout, written by the view ---

    double GetZoom() const { return m_zoom; }
    void SetZoom(double zoom) { m_zoom = zoom; }
    int GetDisplayWidth() const { return m_displayWidth; }
    int GetDisplayHeight() const { return m_displayHeight; }
    void SetDisplaySize(int width, int height);
    int GetScrollX() const { return m_scrollX; }
    int GetScrollY() const { return m_scrollY; }
    // Stores the scroll position and sets the window DC's viewport origin to
    // (-x, -y). Takes the canvas lock.
    void SetScroll(int x, int y);
    // Moves what the canvas shows by (dx, dy) client pixels and leaves the
    // uncovered strip to the next paint.
    void ScrollPixels(int dx, int dy);
    COLORREF GetBackgroundColor() const { return m_background; }
    void SetBackgroundColor(COLORREF colour) { m_background = colour; }
    // Ready: the view has laid the canvas out for the current image, so rows
    // may be drawn. Reset clears it.
    bool IsReady() const;
    void SetReady(bool ready);
    // While paint is disabled, WM_PAINT only validates (and the view skips
    // its layout).
    bool IsPaintEnabled() const { return m_paintEnabled; }
    void EnablePaint(bool enable) { m_paintEnabled = enable; }
    // Sets the window DC's map for the current frame: MM_TEXT when the frame
    // is shown at its height or is a metafile, otherwise MM_ANISOTROPIC with
    // extents taken from the heights and HALFTONE (shrinking with the
    // Halftone option) or COLORONCOLOR; the viewport origin is always
    // (-scroll x, -scroll y). Takes the canvas lock and the image's lock.
    void ApplyMapping();
    // The DC kept for the window's life, and the memory DC through which
    // image bitmaps are selected (put its first bitmap back after use). Use
    // them only under the canvas lock.
    HDC GetWindowDC() const { return m_windowDC; }
    HDC GetMemoryDC() const { return m_memoryDC; }
    HGDIOBJ GetMemoryDCFirstBitmap() const { return m_memoryFirstBitmap; }
    const RECT& GetClientRectangle() const { return m_clientRect; }

    // --- progressive drawing ---

    // Rows [first, first + count) are available (count -1: every row decoded
    // so far from first on); wakes the render thread. Called by the decode
    // thread under the canvas lock and by the view's layout.
    void QueueRows(int count, int first);
    // QueueRows for the decode thread, without the canvas lock: nothing
    // happens unless `image` is the one shown. A render pass holds the
    // canvas lock while it draws, and a decoder that waited for it at every
    // row would decode only as fast as the screen is drawn.
    void QueueRowsOf(CImageObject* image, int count, int first);
    // Wakes the render thread when ready, rows are pending and they make up
    // one hundredth of the image or reach its end.
    void SignalRender();
    // Resets the wake-up event and forgets the pending rows.
    void ClearPendingRows();
    // For the draw benchmark (builds with test hooks): the current image
    // has reached the screen, by any of the drawing paths; whole: all of it.
    void TraceShown(bool whole);
    // True while decoded rows wait to be drawn.
    bool HasPendingRows() const;
    // Draws rows now on the calling thread: count -1 means every row decoded
    // so far. fillFirst: a band starting at row 0 first fills the frame with
    // the background colour. postDone: WM_USER+15 goes to the parent when
    // the band ends at the frame's last row. Nothing happens unless ready.
    // Takes the canvas lock and the image's lock.
    void RenderRows(int count, int first, bool fillFirst, bool postDone);
    // RenderRows(count, first, false, false); note the order of arguments
    // (first row, then row count), as the adjustment previews pass them.
    void RenderRowsQuiet(int first, int count) { RenderRows(count, first, false, false); }

    // --- animation and frames ---

    // Runs timer 1 when the image is complete, has frames and a frame delay.
    void StartAnimation();
    void StopAnimation();
    bool IsAnimating() const { return m_animating; }
    // Next frame; past the last one to 0 when wrap, else stays on the last.
    void NextFrame(bool wrap);
    // Previous frame; below 0 to the last one when wrap, else stays on 0.
    void PrevFrame(bool wrap);

    // --- geometry ---

    // Image pixels by which paints and row copies widen their rectangle so
    // that stretching leaves no seams (0 at 1:1, 1 when enlarged).
    int GetScaleStep() const;
    // Canvas client point -> full-image point (selections live there).
    POINT ClientToImage(POINT client) const;

    // --- selection (full-image coordinates) ---

    // From an anchor (x1, y1) to a moving corner (x2, y2), cut to the fixed
    // aspect when it is on; redraws the marquee when it changed.
    void SetSelection(int x1, int y1, int x2, int y2);
    // A width or height of 0 means the aspect is not fixed.
    void SetFixedAspect(bool fixed, int aspectWidth, int aspectHeight);
    bool IsAspectFixed() const { return m_fixedAspect; }
    int GetAspectWidth() const { return m_aspectWidth; }
    int GetAspectHeight() const { return m_aspectHeight; }
    // The stored rectangle, always normalised.
    RECT GetSelection() const { return m_selection; }
    // Replaces the stored rectangle without drawing (rect is normalised).
    void StoreSelection(const RECT& rect, bool shown);
    bool IsSelectionShown() const { return m_selectionShown; }
    void HideSelection();
    void RedrawSelection();
    // Inverts the outline of rect (full-image coordinates) on the screen;
    // drawing it twice restores the screen.
    void DrawSelectionXor(const RECT& rect);
    // point in full-image coordinates; false when there is no current frame.
    bool HitTestSelection(POINT point) const;

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);

    static unsigned __stdcall RenderThreadProc(void* param);
    void RenderLoop();
    void StopRenderThread();
    void PaintFrame(HDC dc, const RECT& update);

    plat::CriticalSection m_canvasLock;
    CImageObject* volatile m_image = nullptr;
    double m_zoom = 1.0;
    int m_displayWidth = 0;
    int m_displayHeight = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;
    HDC m_windowDC = NULL;
    HDC m_memoryDC = NULL;
    HGDIOBJ m_memoryFirstBitmap = NULL;
    int m_frameIndex = 0;
    bool m_animating = false;
    RECT m_clientRect = {0, 0, 0, 0};
    COLORREF m_background = RGB(255, 255, 255);
    RECT m_selection = {0, 0, 0, 0};
    bool m_selectionShown = false;
    bool m_fixedAspect = false;
    int m_aspectWidth = 0;
    int m_aspectHeight = 0;
    bool m_paintEnabled = true;

    // Render state: the planner's counters are guarded by the row lock.
    plat::CriticalSection m_rowLock;
    CBandPlanner m_planner;
    volatile LONG m_stop = 0;
    HANDLE m_wakeEvent = NULL;     // auto-reset; guarded by the row lock
    HWND m_parent = NULL;          // receives WM_USER+15
    bool m_traceFirstBand = false; // the draw benchmark's "first" mark is due
    HANDLE m_renderThread = NULL;
};
