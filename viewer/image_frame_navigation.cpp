// The viewer frame's place in its item list: listing the folder of a file
// on a thread of its own, stepping through the list, opening the current
// item and showing a document.
#include <process.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/application_state.h"
#include "app/logic/path_parts.h"
#include "imaging/codecs/image_reader.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"
#include "viewer/logic/frame_title.h"

namespace {

viewer::NavCommand ToNavCommand(WORD id) {
    switch (id) {
    case ID_VIEW_PREV_IMAGE:
        return viewer::NavCommand::Previous;
    case ID_VIEW_FIRST_IMAGE:
        return viewer::NavCommand::First;
    case ID_VIEW_NEXT_IMAGE:
        return viewer::NavCommand::Next;
    default:
        return viewer::NavCommand::Last;
    }
}

std::string FolderOf(const char* path) {
    return path_parts::Split(path).folder;
}

} // namespace

bool CImageFrame::WrapsAround() const {
    return m_slideShowRunning ? m_slideShowRepeat : g_applicationState.Options().viewerRepeat;
}

void CImageFrame::NormalizeIndex() {
    m_currentIndex =
        viewer::NormalizeIndex(m_currentIndex, frame_lists::Count(m_itemList), WrapsAround());
}

void CImageFrame::SetItemList(CFileItemList* list, int index) {
    if (m_itemList && m_itemList != list)
        g_applicationState.ReleaseFileItemList(m_itemList);
    m_itemList = list;
    m_currentIndex = index;
    NormalizeIndex();
}

CImageObject* CImageFrame::GetDocument() {
    return m_view.m_hWnd ? m_view.GetImage() : nullptr;
}

CImageObject* CImageFrame::GetCurrentImage() {
    return m_view.m_hWnd ? m_view.GetCanvas().GetCurrentFrame() : nullptr;
}

bool CImageFrame::IsPreloadEnabled() {
    return g_applicationState.Options().viewerPreload;
}

bool CImageFrame::NeedsSaveConfirmation() {
    return g_applicationState.Options().viewerSaveConfirmation;
}

void CImageFrame::GetSelectedIndexes(std::vector<int>& indexes) {
    if (m_currentIndex != -1)
        indexes.push_back(m_currentIndex);
}

void CImageFrame::GetViewArea(int& width, int& height, double& zoom) {
    m_view.GetZoom(zoom, width, height);
    const bool visible = ::IsWindowVisible(m_hWnd) != FALSE;
    const bool fitWindow = g_applicationState.Options().viewerResizeFitImage && width != -1 &&
                           height != -1 && !::IsZoomed(m_hWnd) && visible;
    if (fitWindow || (!visible && width != -1)) {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        width = std::max(width, static_cast<int>(work.right - work.left));
        height = std::max(height, static_cast<int>(work.bottom - work.top));
    }
}

void CImageFrame::ShowDocument(CImageObject* image, bool keepView) {
    const CAppOptions& options = g_applicationState.Options();
    if (image && options.viewerResizeFitImage && !::IsZoomed(m_hWnd))
        SizeToImage(image);
    std::string caption;
    const char* captionText = SlideCaptionFor(image, caption);
    m_view.SetImage(image, options.viewerCacheBehind, keepView, captionText);
    if (image && !image->headerReady)
        ::SetTimer(m_hWnd, kDecodeWatchTimer, 100, nullptr);
    UpdateTitle();
}

LRESULT CImageFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != kDecodeWatchTimer) {
        bHandled = FALSE;
        return 0;
    }
    CImageObject* document = GetDocument();
    if (!document || document->headerReady) {
        ::KillTimer(m_hWnd, kDecodeWatchTimer);
    } else if (!document->notLoaded) {
        // The decode is over and left no picture.
        ::KillTimer(m_hWnd, kDecodeWatchTimer);
        ReportUnreadable(document->path);
    }
    return 0;
}

void CImageFrame::OpenCurrentItem(bool) {
    m_view.SetSelectionMode(false);
    if (!m_itemList) {
        // Not listed yet: the document itself is all there is to open.
        if (CImageObject* document = GetDocument()) {
            const std::string path = document->path;
            OpenPath(path.c_str());
        }
        return;
    }
    if (frame_lists::Count(m_itemList) > 0) {
        int width = 0, height = 0;
        double zoom = 0;
        GetViewArea(width, height, zoom);
        m_view.ReleaseUndoImage();
        if (CImageObject* image =
                g_applicationState.OpenListImage(m_itemList, m_currentIndex, width, height, zoom))
            ShowDocument(image, false);
        else
            ReportUnreadable(frame_lists::ItemPath(m_itemList, m_currentIndex).c_str());
        return;
    }
    m_currentIndex = -1;
    m_view.ReleaseUndoImage();
    m_view.SetImage(nullptr, g_applicationState.Options().viewerCacheBehind, false, nullptr);
    UpdateTitle();
}

bool CImageFrame::OpenPath(const char* path) {
    m_view.SetSelectionMode(false);
    m_view.ReleaseUndoImage();
    double zoom = 0;
    int width = 0, height = 0;
    m_view.GetZoom(zoom, width, height);
    CImageObject* image = g_applicationState.OpenImage(path, width, height, zoom);
    if (!image) {
        ReportUnreadable(path);
        return false;
    }
    ShowDocument(image, false);
    return true;
}

void CImageFrame::ReportUnreadable(const char* path, const CImageObject* image) {
    m_unreadablePath = path ? path : "";
    m_unreadableWidth = image ? image->fullWidth : 0;
    m_unreadableHeight = image ? image->fullHeight : 0;
    // Shown from the message loop: start-up must not sit in a message box
    // while it still holds the single-instance mutex.
    ::PostMessageA(m_hWnd, kMsgReportUnreadable, 0, 0);
}

LRESULT CImageFrame::OnReportUnreadable(UINT, WPARAM, LPARAM, BOOL&) {
    // A viewer that waits for an image to size itself to is shown anyway.
    if (!::IsWindowVisible(m_hWnd))
        ShowWindow(SW_SHOW);
    const std::string text = viewer::FormatUnreadableMessage(m_unreadablePath, m_unreadableWidth,
                                                             m_unreadableHeight, kImagePixelLimit);
    ::MessageBoxA(m_hWnd, text.c_str(), "Failed!", MB_OK | MB_ICONERROR);
    return 0;
}

void CImageFrame::LoadFolderList(const char* path) {
    WaitForFolderThread(true);
    if (m_itemList) {
        g_applicationState.ReleaseFileItemList(m_itemList);
        m_itemList = nullptr;
    }
    m_currentIndex = -1;
    if (path && OpenPath(path)) {
        if (CImageObject* document = GetDocument())
            StartFolderThread(document->path);
    }
}

void CImageFrame::StartFolderThread(const char* documentPath) {
    m_stopFolderThread = false;
    m_folderThreadPath = documentPath;
    unsigned id = 0;
    m_folderThread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &CImageFrame::FolderThreadProc, this, 0, &id));
}

unsigned __stdcall CImageFrame::FolderThreadProc(void* param) {
    auto* frame = static_cast<CImageFrame*>(param);
    const HWND window = frame->m_hWnd;
    const std::string documentPath = frame->m_folderThreadPath;
    const std::string folder = FolderOf(documentPath.c_str());
    CFileItemList* list = g_applicationState.GetFileItemList(0, folder.c_str());
    if (!list)
        return 0;
    if (frame->m_stopFolderThread) {
        g_applicationState.ReleaseFileItemList(list);
        return 0;
    }
    const int index = frame_lists::FindPath(list, documentPath.c_str());
    {
        std::lock_guard<std::mutex> lock(frame->m_folderResultLock);
        frame->m_folderResultList = list;
        frame->m_folderResultIndex = index;
    }
    // Nothing of the frame is touched after these: its window may go at once.
    ::PostMessageA(window, kMsgFrameUpdateTitle, 0, 0);
    ::PostMessageA(window, kMsgFrameUpdateUI, 0, 0);
    return 0;
}

void CImageFrame::AdoptFolderResult() {
    CFileItemList* list;
    int index;
    {
        std::lock_guard<std::mutex> lock(m_folderResultLock);
        list = m_folderResultList;
        index = m_folderResultIndex;
        m_folderResultList = nullptr;
    }
    if (!list)
        return;
    if (m_stopFolderThread) {
        g_applicationState.ReleaseFileItemList(list);
        return;
    }
    SetItemList(list, index);
}

void CImageFrame::WaitForFolderThread(bool stop) {
    if (!m_folderThread)
        return;
    if (stop)
        m_stopFolderThread = true;
    // Messages sent to this thread meanwhile are still answered, so a
    // thread that sends to the windows cannot wait for us while we wait for it.
    for (;;) {
        const DWORD result =
            MsgWaitForMultipleObjects(1, &m_folderThread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(m_folderThread);
    m_folderThread = nullptr;
    if (stop) {
        AdoptFolderResult(); // releases a late list
        m_stopFolderThread = false;
    }
}

LRESULT CImageFrame::OnNavigate(WORD, WORD id, HWND, BOOL&) {
    if (AskToSaveChanges() == SavePrompt::Failed)
        return 0;
    const int count = frame_lists::Count(m_itemList);
    if (count <= 0)
        return 0;
    const int before = m_currentIndex;
    if (id == ID_VIEW_RANDOM_IMAGE) {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        m_currentIndex = m_nextRandomIndex != -1 ? m_nextRandomIndex : std::rand() % count;
        m_nextRandomIndex = std::rand() % count;
    } else {
        const viewer::NavStep step =
            viewer::NavigationTarget(ToNavCommand(id), m_currentIndex, count);
        m_currentIndex = step.index;
        m_backward = step.backward ? TRUE : FALSE;
    }
    NormalizeIndex();
    if (m_currentIndex != before)
        OpenCurrentItem(true);
    return 0;
}

LRESULT CImageFrame::OnRefresh(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    const std::string path = document ? document->path : "";
    ShowDocument(nullptr, false);
    if (m_itemList)
        OpenCurrentItem(true);
    else if (!path.empty())
        OpenPath(path.c_str());
    return 0;
}

LRESULT CImageFrame::OnBrowse(WORD, WORD id, HWND, BOOL&) {
    if (m_folderThread) {
        HCURSOR previous = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
        WaitForFolderThread(false);
        AdoptFolderResult();
        ::SetCursor(previous);
    }
    if (g_applicationState.ShowExplorerOnItem(m_itemList, m_currentIndex) && id == ID_FILE_BROWSE &&
        g_applicationState.Options().viewerCloseReturnExplorer)
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

bool CImageFrame::SelectPath(const char* path) {
    if (!path)
        return false;
    const std::string folder = FolderOf(path);
    CFileItemList* list = g_applicationState.GetFileItemList(0, folder.c_str());
    if (!list)
        return false;
    const int index = frame_lists::FindItem(list, path_parts::Split(path).name.c_str());
    if (m_itemList == list)
        g_applicationState.ReleaseFileItemList(list); // already held once
    SetItemList(list, index);
    return true;
}
