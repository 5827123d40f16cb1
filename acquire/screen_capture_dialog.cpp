#include "acquire/screen_capture_dialog.h"

#include <vector>

#include "acquire/logic/window_picker.h"

namespace {

// The cursor shown while the finder tool is dragged. It is shared by every
// dialog of the process and never freed; the first dialog loads it, and the
// static's initialisation is guarded against a second thread doing the same.
HCURSOR CaptureCursor() {
    static const HCURSOR cursor =
        ::LoadCursorA(UiModuleInstance(), MAKEINTRESOURCEA(IDC_CAPTURE_CURSOR));
    return cursor;
}

HICON LoadDefaultSizeIcon(int id) {
    return (HICON)::LoadImageA(UiModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0,
                               LR_DEFAULTSIZE);
}

PickRect ToPickRect(const RECT& r) {
    return PickRect{r.left, r.top, r.right, r.bottom};
}

} // namespace

CScreenCaptureDialog::CScreenCaptureDialog() {
    CaptureCursor();
    m_camera = LoadDefaultSizeIcon(IDI_CAMERA);
    m_dragging = LoadDefaultSizeIcon(IDI_CAMERA_DRAG);
}

CScreenCaptureDialog::~CScreenCaptureDialog() {
    if (m_camera != NULL)
        ::DestroyIcon(m_camera);
    if (m_dragging != NULL)
        ::DestroyIcon(m_dragging);
}

HWND CScreenCaptureDialog::WindowUnderPoint(POINT point) {
    HWND pointed = ::WindowFromPoint(point);
    if (pointed == NULL)
        return NULL;
    HWND parent = ::GetParent(pointed);
    RECT rect = {};
    ::GetWindowRect(pointed, &rect);
    std::vector<PickSibling> siblings;
    std::vector<HWND> handles;
    if (parent != NULL) {
        for (HWND next = ::GetWindow(pointed, GW_HWNDNEXT); next != NULL;
             next = ::GetWindow(next, GW_HWNDNEXT)) {
            RECT r = {};
            ::GetWindowRect(next, &r);
            siblings.push_back(PickSibling{ToPickRect(r), ::IsWindowVisible(next) != FALSE,
                                           ::GetParent(next) == parent});
            handles.push_back(next);
        }
    }
    int best = PickSmallestWindow(ToPickRect(rect), parent != NULL, siblings, point.x, point.y);
    return best < 0 ? pointed : handles[(size_t)best];
}

void CScreenCaptureDialog::InvertFrame(HWND window) {
    if (window == NULL || !::IsWindow(window))
        return;
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    ::OffsetRect(&rect, -rect.left, -rect.top);
    HDC dc = ::GetWindowDC(window);
    if (dc == NULL)
        return;
    HPEN pen = ::CreatePen(PS_INSIDEFRAME, 3 * ::GetSystemMetrics(SM_CXBORDER), RGB(0, 0, 0));
    int oldRop = ::SetROP2(dc, R2_NOT);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::SetROP2(dc, oldRop);
    ::DeleteObject(pen);
    ::ReleaseDC(window, dc);
}

void CScreenCaptureDialog::ShowFinderIcon(HICON icon) {
    ::SendMessageA(GetDlgItem(IDC_CAPTURE_FINDER), STM_SETICON, (WPARAM)icon, 0);
}

LRESULT CScreenCaptureDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ShowFinderIcon(m_camera);
    return TRUE;
}

void CScreenCaptureDialog::Track(POINT point) {
    HWND under = WindowUnderPoint(point);
    if (under == NULL || under == m_chosen || under == m_hWnd || ::IsChild(m_hWnd, under))
        return;
    InvertFrame(m_chosen);
    InvertFrame(under);
    m_chosen = under;
}

bool CScreenCaptureDialog::TrackFinder() {
    ::SetCapture(m_hWnd);
    ShowFinderIcon(m_dragging);
    ::SetCursor(CaptureCursor());

    bool quit = false;
    WPARAM quitCode = 0;
    // A dialog ended meanwhile (a message handled below ended it) is hidden:
    // the drag ends with it instead of holding the mouse for nobody.
    while (::GetCapture() == m_hWnd && IsWindowVisible()) {
        MSG msg;
        BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
        if (got == 0) {
            // Someone asked the thread to end: leave the drag and hand the
            // request on to the loop that owns the thread.
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got < 0)
            break;
        if (msg.message == WM_LBUTTONUP) {
            ::ReleaseCapture();
            ShowFinderIcon(m_camera);
            if (m_chosen != NULL) {
                InvertFrame(m_chosen);
                EndDialog(IDOK);
            }
            ::InvalidateRect(NULL, NULL, FALSE);
            return m_chosen != NULL;
        }
        if (msg.message == WM_RBUTTONDOWN || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
            break;
        if (msg.message == WM_MOUSEMOVE) {
            POINT point;
            ::GetCursorPos(&point);
            Track(point);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }

    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ShowFinderIcon(m_camera);
    InvertFrame(m_chosen);
    m_chosen = NULL;
    ::InvalidateRect(NULL, NULL, FALSE);
    if (quit)
        ::PostQuitMessage((int)quitCode);
    return false;
}

LRESULT CScreenCaptureDialog::OnFinderClicked(WORD, WORD, HWND, BOOL&) {
    TrackFinder();
    return 0;
}

LRESULT CScreenCaptureDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDOK);
    return 0;
}

LRESULT CScreenCaptureDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    m_chosen = NULL;
    EndDialog(IDCANCEL);
    return 0;
}
