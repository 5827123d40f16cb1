// The viewers' share of the application core's window interfaces: decode
// progress told to the canvases that show an image, and rows of one view
// redrawn. The program's top joins the explorer's canvas to these; the
// viewer tests register them alone.
#pragma once

#include <windows.h>

#include <cstdint>

class CImageObject;
class CImageView;
class CImageWindow;

// One progress event for one canvas of the frame `frame`: event 4 hands
// (count, first) to its QueueRowsOf (under its row lock only); events 2 and 3
// send the decode-started and decode-ended notices to the frame when the
// canvas shows the image (under the canvas lock). Other events do nothing.
void TellCanvas(HWND frame, CImageWindow& canvas, CImageObject* image, int32_t event, int32_t first,
                int32_t count);

// Redraws rows of a canvas under its lock: first -1 invalidates the whole
// canvas; otherwise rows first .. first+count-1 are drawn at once.
void RedrawCanvasRows(CImageWindow& canvas, int first, int count);

// TellCanvas for every viewer's canvas, under the viewer-list lock.
void NotifyViewerCanvases(CImageObject* image, int32_t event, int32_t first, int32_t count);

// RedrawCanvasRows for the viewer whose view is `view`, under the viewer-list
// lock; false when no viewer owns it.
bool RedrawViewerViewRows(CImageView* view, int first, int count);
