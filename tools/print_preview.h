// The print preview control ("CPrintPreviewCtrl"): holds the page layout and
// what is to be printed (a print list of files with copies, or the pages of
// one image), shows one page scaled into its client area and draws the very
// same page on the printer for the printing thread.
//
// Page coordinates are twips from the paper's top-left corner, y downwards,
// on screen and on paper: the preview maps the page isotropically onto its
// client area, the printer maps twips onto device pixels with the window
// origin at the printable area's corner. The layout itself is
// tools/logic/print_layout.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/window_impl.h"

class CImageObject;

class CPrintPreviewCtrl : public CWindowImpl<CPrintPreviewCtrl> {
public:
    DECLARE_WND_CLASS_EX("CPrintPreviewCtrl", CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW)

    CPrintPreviewCtrl() = default;
    ~CPrintPreviewCtrl() override;

    // Takes the printer context (deleting the previous one; null keeps
    // none), sets the twips mapping, reads the paper's size and offsets and
    // resizes the window to the page's aspect within the largest size.
    void SetPrinterDC(HDC dc);
    HDC PrinterDC() const { return printerDC; }

    int GetPictureCount() const;
    // Draws a page (counted from 1; -1 the current page). printing: dc is
    // the printer's and the preview frame is left out.
    void DrawPage(HDC dc, bool printing, int page);
    // Draws one picture into a cell (page coordinates); false when a turned
    // copy could not be made.
    bool DrawPicture(int mode, CImageObject* image, int x, int y, int w, int h, HDC dc,
                     bool printing);
    // Opens picture n at full size for the paper and waits for its decode to
    // end; null when it cannot be opened or its decode failed. The caller
    // gives it back with CApplicationState::ReleaseImage.
    CImageObject* OpenPictureForPrinting(int picture);
    // Drops every loaded preview image (after the print list changed).
    void ReleasePreviewImages();
    // The decodes made for the preview so far (one per print-list entry).
    int PreviewDecodes() const { return previewDecodes; }
    const std::vector<CImageObject*>& PreviewImages() const { return previewImages; }

    // Layout, in twips; the owner sets them and repaints.
    int largestWidth = 260;
    int largestHeight = 260;
    int currentPage = 1;
    int perPage = 1;
    int pictureWidth = 0;
    int pictureHeight = 0;
    int top = 0, left = 0, bottom = 0, right = 0;
    int spaceHorz = 0, spaceVert = 0;
    int fitMode = 0;
    COLORREF background = RGB(255, 255, 255);
    CImageObject* currentImage = nullptr; // current-image mode; not owned
    int pageWidth = 0, pageHeight = 0;    // from the printer
    int offsetX = 0, offsetY = 0;

    // The print list: full paths and a copies count per entry.
    std::vector<std::string> files;
    std::vector<int> copies;

    BEGIN_MSG_MAP(CPrintPreviewCtrl)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    void LoadPreviewImages(int upTo);
    CImageObject* PictureFor(int picture, bool printing);

    HDC printerDC = nullptr;
    int clientWidth = 0, clientHeight = 0;
    std::vector<CImageObject*> previewImages; // one slot per picture, a reference each
    std::vector<bool> previewCached;          // the slot came from the image cache
    int previewDecodes = 0;
};
