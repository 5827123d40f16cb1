#include "tools/print_preview.h"

#include <algorithm>

#include "app/application_state.h"
#include "app/image_cache.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "imaging/operations/rotate_op.h"
#include "tools/logic/print_layout.h"
#include "ui/memory_dc.h"
#include "ui/wait_cursor.h"

namespace {

bool IsMetafile(const CImageObject* image) {
    return IsVectorImageFileType(image->GetFileType()) && image->metafile;
}

// The image turned a quarter clockwise; null when it cannot be made.
CImageObject* TurnedCopy(CImageObject* image) {
    CImageObject* turned = new (std::nothrow) CImageObject(image->path, image->exif);
    if (!turned)
        return nullptr;
    CRotateOp op;
    op.angle = 90.0;
    if (!op.Apply(turned, image)) {
        turned->Release();
        return nullptr;
    }
    turned->SetModified();
    return turned;
}

} // namespace

CPrintPreviewCtrl::~CPrintPreviewCtrl() {
    ReleasePreviewImages();
    if (printerDC)
        ::DeleteDC(printerDC);
}

LRESULT CPrintPreviewCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    copies.assign(files.size(), 1);
    clientWidth = clientHeight = 0;
    return 0;
}

LRESULT CPrintPreviewCtrl::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    clientWidth = LOWORD(lParam);
    clientHeight = HIWORD(lParam);
    return 0;
}

LRESULT CPrintPreviewCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    if (printerDC) {
        ::DeleteDC(printerDC);
        printerDC = nullptr;
    }
    ReleasePreviewImages();
    return 0;
}

LRESULT CPrintPreviewCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    {
        CMemoryDC memory(dc, client);
        ::FillRect(memory, &client, (HBRUSH)::GetStockObject(WHITE_BRUSH));
        if (printerDC)
            DrawPage(memory, false, -1);
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CPrintPreviewCtrl::SetPrinterDC(HDC dc) {
    if (printerDC)
        ::DeleteDC(printerDC);
    printerDC = dc;
    if (!dc)
        return;
    ::SetMapMode(dc, MM_TWIPS);
    const int dpiX = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSX));
    const int dpiY = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSY));
    pageWidth = ::MulDiv(::GetDeviceCaps(dc, PHYSICALWIDTH), printing::kTwipsPerInch, dpiX);
    pageHeight = ::MulDiv(::GetDeviceCaps(dc, PHYSICALHEIGHT), printing::kTwipsPerInch, dpiY);
    offsetX = ::MulDiv(::GetDeviceCaps(dc, PHYSICALOFFSETX), printing::kTwipsPerInch, dpiX);
    offsetY = ::MulDiv(::GetDeviceCaps(dc, PHYSICALOFFSETY), printing::kTwipsPerInch, dpiY);
    if (pageWidth <= 0 || pageHeight <= 0 || !m_hWnd)
        return;
    int w, h;
    if (pageHeight < pageWidth) {
        w = largestWidth;
        h = ::MulDiv(largestWidth, pageHeight, pageWidth);
    } else {
        h = largestHeight;
        w = ::MulDiv(pageWidth, largestHeight, pageHeight);
    }
    ::SetWindowPos(m_hWnd, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CPrintPreviewCtrl::GetPictureCount() const {
    if (currentImage)
        return currentImage->FrameCount() + 1;
    return printing::SumCopies(copies);
}

void CPrintPreviewCtrl::ReleasePreviewImages() {
    for (size_t i = 0; i < previewImages.size(); ++i) {
        if (previewCached[i])
            g_applicationState.ReleaseImage(previewImages[i]);
        else
            previewImages[i]->Release();
    }
    previewImages.clear();
    previewCached.clear();
}

void CPrintPreviewCtrl::LoadPreviewImages(int upTo) {
    if (static_cast<int>(previewImages.size()) >= upTo)
        return;
    CWaitCursor wait;
    const int side = std::max(std::max(clientWidth, clientHeight), 1);
    while (static_cast<int>(previewImages.size()) < upTo) {
        const int entry = printing::PictureEntry(copies, static_cast<int>(previewImages.size()));
        if (entry < 0 || entry >= static_cast<int>(files.size()))
            break;
        const char* path = files[entry].c_str();
        const bool metafile = IsVectorImageFileType(DetectImageFileType(path));
        CImageObject* image = metafile ? g_applicationState.OpenImage(path, -1, -1, 0.0)
                                       : LoadImageScaled(path, side, side);
        ++previewDecodes;
        if (!image)
            break; // the page ends at a picture that cannot be shown
        for (int c = 0; c < copies[entry]; ++c) {
            if (c > 0)
                image->AddRef();
            previewImages.push_back(image);
            previewCached.push_back(metafile);
        }
    }
}

CImageObject* CPrintPreviewCtrl::OpenPictureForPrinting(int picture) {
    const int entry = printing::PictureEntry(copies, picture);
    if (entry < 0 || entry >= static_cast<int>(files.size()))
        return nullptr;
    CImageObject* image = g_applicationState.OpenImage(files[entry].c_str(), -1, -1, 0.0);
    if (!image)
        return nullptr;
    // The ready event comes with the bitmap, before its rows: wait for the
    // decode itself, and leave out a picture whose decode failed.
    if (image->decodeThread) {
        HANDLE thread = reinterpret_cast<HANDLE>(image->decodeThread);
        ::WaitForSingleObject(thread, INFINITE);
        DWORD code = 1;
        if (!::GetExitCodeThread(thread, &code) || code != 0) {
            g_applicationState.ReleaseImage(image);
            return nullptr;
        }
    }
    if (!IsMetafile(image) && !image->bitmap) {
        g_applicationState.ReleaseImage(image);
        return nullptr;
    }
    return image;
}

CImageObject* CPrintPreviewCtrl::PictureFor(int picture, bool printing) {
    if (currentImage)
        return currentImage->GetFrame(picture);
    if (printing)
        return OpenPictureForPrinting(picture);
    return picture < static_cast<int>(previewImages.size()) ? previewImages[picture] : nullptr;
}

void CPrintPreviewCtrl::DrawPage(HDC dc, bool printing, int page) {
    if (page == -1)
        page = currentPage;
    if (page <= 0 || perPage <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return;
    const int saved = ::SaveDC(dc);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    const int pictures = GetPictureCount();
    if (printing) {
        // Twips onto device pixels, with the printable area's corner at the
        // page's physical offsets: page coordinates hold on paper too.
        ::SetMapMode(dc, MM_ANISOTROPIC);
        ::SetWindowExtEx(dc, printing::kTwipsPerInch, printing::kTwipsPerInch, NULL);
        ::SetViewportExtEx(dc, ::GetDeviceCaps(dc, LOGPIXELSX), ::GetDeviceCaps(dc, LOGPIXELSY),
                           NULL);
        ::SetWindowOrgEx(dc, offsetX, offsetY, NULL);
        ::SetViewportOrgEx(dc, 0, 0, NULL);
    } else {
        ::SetMapMode(dc, MM_ISOTROPIC);
        ::SetWindowExtEx(dc, pageWidth, pageHeight, NULL);
        ::SetViewportExtEx(dc, std::max(clientWidth, 1), std::max(clientHeight, 1), NULL);
        if (!currentImage)
            LoadPreviewImages(
                std::min(static_cast<long long>(perPage) * page, static_cast<long long>(pictures)));
    }

    if (background != RGB(255, 255, 255)) {
        HBRUSH brush = ::CreateSolidBrush(background);
        RECT all = {0, 0, pageWidth + 1, pageHeight + 1};
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
    }

    printing::PageLayoutInput in;
    in.pageWidth = pageWidth;
    in.pageHeight = pageHeight;
    in.top = top;
    in.left = left;
    in.bottom = bottom;
    in.right = right;
    in.pictureWidth = pictureWidth;
    in.pictureHeight = pictureHeight;
    in.spaceHorz = spaceHorz;
    in.spaceVert = spaceVert;
    in.perPage = perPage;
    in.page = page;
    in.pictureCount = pictures;
    const printing::PageLayout layout = printing::ComputePageLayout(in);

    if (layout.grid && !printing) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0xCC, 0xCC, 0xCC));
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        const POINT frame[] = {{left, top},
                               {pageWidth - right - 1, top},
                               {pageWidth - right, pageHeight - bottom - 1},
                               {left, pageHeight - bottom - 1},
                               {left, top}};
        ::Polyline(dc, frame, 5);
        ::SelectObject(dc, oldPen);
        ::DeleteObject(pen);
    }

    for (const printing::Cell& cell : layout.cells) {
        CImageObject* image = PictureFor(cell.picture, printing);
        if (!image)
            break;
        DrawPicture(fitMode, image, cell.rect.x, cell.rect.y, cell.rect.width, cell.rect.height, dc,
                    printing);
        // On paper at most one full-size picture is held at a time.
        if (printing && !currentImage)
            g_applicationState.ReleaseImage(image);
    }
    ::RestoreDC(dc, saved);
}

bool CPrintPreviewCtrl::DrawPicture(int mode, CImageObject* image, int x, int y, int w, int h,
                                    HDC dc, bool) {
    if (!image)
        return false;
    if (IsMetafile(image)) {
        RECT cell = {x, y, x + w, y + h};
        ::PlayEnhMetaFile(dc, reinterpret_cast<HENHMETAFILE>(image->metafile), &cell);
        return true;
    }
    const printing::FitResult fit =
        printing::FitPicture(mode, w, h, image->width, image->height, false);
    if (!fit.draw)
        return true;
    CImageObject* source = image;
    if (fit.turned) {
        source = TurnedCopy(image);
        if (!source)
            return false;
    }
    if (source->bitmap) {
        HDC memory = ::CreateCompatibleDC(NULL);
        if (memory) {
            HGDIOBJ old = ::SelectObject(memory, reinterpret_cast<HBITMAP>(source->bitmap));
            ::StretchBlt(dc, x + fit.dest.x, y + fit.dest.y, fit.dest.width, fit.dest.height,
                         memory, fit.source.x, fit.source.y, fit.source.width, fit.source.height,
                         SRCCOPY);
            ::SelectObject(memory, old);
            ::DeleteDC(memory);
        }
    }
    if (source != image)
        source->Release();
    return true;
}
