// The viewer frame's title, its zoom and page commands, and the update
// rules that enable and check its commands.
#include <shlwapi.h>

#include "app/application_state.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"
#include "viewer/logic/frame_title.h"
#include "viewer/viewer_dialogs.h"

namespace {

constexpr WORD kCmdZoomTo = 32782;
constexpr WORD kCmdZoomIn = 32783;
constexpr WORD kCmdZoomOut = 32784;
constexpr WORD kCmdActualSize = 32785;
constexpr WORD kCmdZoomTypeFirst = 32786;
constexpr WORD kCmdNextPage = 32856;
constexpr WORD kCmdPreviousPage = 32857;
constexpr WORD kCmdStopAnimation = 32858;

std::string CompactPath(const std::string& path, int maxChars) {
    char out[MAX_PATH + 1] = {};
    if (maxChars <= 0 || !PathCompactPathExA(out, path.c_str(), static_cast<UINT>(maxChars) + 1, 0))
        return path;
    return out;
}

// Commands whose work is not built yet: they stay disabled.
constexpr int kUnavailable[] = {57603,
                                57604,
                                32834,
                                57607,
                                287,
                                32845,
                                32796,
                                32797,
                                311,
                                57637,
                                32775,
                                32776,
                                32777,
                                32778,
                                32779,
                                32780,
                                285,
                                393,
                                406,
                                379,
                                382,
                                385,
                                386,
                                389,
                                390,
                                388,
                                290,
                                277,
                                348,
                                367,
                                314,
                                315,
                                316,
                                317,
                                318,
                                319,
                                32819,
                                32826,
                                32820,
                                32821,
                                32822,
                                32823,
                                ID_FILE_RENAME,
                                ID_VIEW_OPTIONS,
                                ID_TOOLS_CONFIGURE_EDITORS,
                                ID_HELP_INDEX,
                                ID_HELP_WEB_HOME,
                                ID_HELP_WEB_SUPPORT,
                                ID_HELP_WEB_REGISTER,
                                ID_APP_ABOUT};

} // namespace

std::string CImageFrame::FormatTitle() {
    viewer::TitleState state;
    state.hasList = m_itemList != nullptr;
    state.itemCount = frame_lists::Count(m_itemList);
    state.index = m_currentIndex;
    CImageObject* document = GetDocument();
    state.hasDocument = document != nullptr;
    if (document) {
        state.path = state.hasList ? frame_lists::ItemPath(m_itemList, m_currentIndex)
                                   : std::string(document->path);
        if (state.path.empty())
            state.path = document->path;
        state.modified = document->modified;
        state.headerReady = document->headerReady;
        state.zoom = m_view.GetCurrentZoom();
        state.frameIndex = m_view.GetCanvas().GetFrameIndex();
        state.frameCount = document->FrameCount();
    }
    return viewer::FormatFrameTitle(state, &CompactPath);
}

void CImageFrame::UpdateTitle() {
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, FormatTitle().c_str());
}

LRESULT CImageFrame::OnZoomCommand(WORD, WORD id, HWND, BOOL&) {
    if (!GetDocument())
        return 0;
    switch (id) {
    case kCmdZoomTo: {
        CZoomToDialog dialog;
        dialog.percent = static_cast<int>(m_view.GetCurrentZoom() * 100.0 + 1e-7);
        if (dialog.DoModal(::GetActiveWindow()) != IDOK)
            return 0;
        m_view.SetZoomPercent(dialog.percent);
        break;
    }
    case kCmdZoomIn:
        m_view.ZoomIn();
        break;
    case kCmdZoomOut:
        m_view.ZoomOut();
        break;
    case kCmdActualSize:
        m_view.SetZoomPercent(100);
        break;
    default:
        m_view.SetZoomType(id - kCmdZoomTypeFirst);
        break;
    }
    UpdateTitle();
    UpdateToolBar();
    return 0;
}

LRESULT CImageFrame::OnPageCommand(WORD, WORD id, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    if (!document || !m_itemList)
        return 0;
    CImageWindow& canvas = m_view.GetCanvas();
    if (id == kCmdStopAnimation) {
        if (canvas.IsAnimating())
            canvas.StopAnimation();
        else
            canvas.StartAnimation();
        UpdateToolBar();
        return 0;
    }
    if (id == kCmdNextPage)
        m_view.NextFrame();
    else if (id == kCmdPreviousPage)
        m_view.PrevFrame();
    m_view.UpdateLayout(true);
    ::InvalidateRect(canvas.m_hWnd, nullptr, FALSE);
    UpdateTitle();
    UpdateToolBar();
    return 0;
}

LRESULT CImageFrame::OnGotoPage(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    if (!document || !m_itemList || document->FrameCount() <= 0)
        return 0;
    CGotoPageDialog dialog;
    const int current = m_view.GetCanvas().GetFrameIndex() + 1;
    dialog.page = current;
    dialog.pageCount = document->FrameCount() + 1;
    if (dialog.DoModal(::GetActiveWindow()) != IDOK || dialog.page == current)
        return 0;
    m_view.SetFrame(dialog.page - 1);
    m_view.UpdateLayout(true);
    ::InvalidateRect(m_view.GetCanvas().m_hWnd, nullptr, FALSE);
    UpdateTitle();
    UpdateToolBar();
    return 0;
}

void CImageFrame::RunUpdateRules() {
    CImageObject* document = GetDocument();
    CFileItemList* list = GetFileItemList();
    const bool hasDocument = document != nullptr;
    const bool meta = hasDocument && IsVectorImageFileType(document->GetFileType());
    const bool archive = frame_lists::Kind(list) == 1;
    const int count = frame_lists::Count(list);
    const bool wrap = WrapsAround();
    const int viewers = ViewerCount();

    for (int id : kUnavailable)
        UIEnable(id, FALSE);
    UIEnable(404, FALSE);

    UIEnable(57643, m_view.HasUndoImage());
    const bool copyable = list != nullptr && !archive;
    UIEnable(57634, copyable);
    UIEnable(57635, copyable);

    for (int id = kCmdZoomTo; id <= 32790; ++id)
        UIEnable(id, hasDocument);
    for (int type = 0; type <= 4; ++type)
        UISetCheck(kCmdZoomTypeFirst + type, m_view.GetZoomType() == type ? 1 : 0);

    using viewer::NavCommand;
    const bool listed = list != nullptr;
    UIEnable(32792, viewer::IsNavigationEnabled(NavCommand::Next, hasDocument, listed,
                                                m_currentIndex, count, wrap));
    UIEnable(32791, viewer::IsNavigationEnabled(NavCommand::Previous, hasDocument, listed,
                                                m_currentIndex, count, wrap));
    UIEnable(32793, viewer::IsNavigationEnabled(NavCommand::First, hasDocument, listed,
                                                m_currentIndex, count, wrap));
    UIEnable(32794, viewer::IsNavigationEnabled(NavCommand::Last, hasDocument, listed,
                                                m_currentIndex, count, wrap));

    const int page = m_view.GetCanvas().GetFrameIndex();
    const int frames = hasDocument ? document->FrameCount() : 0;
    UIEnable(kCmdNextPage, hasDocument && listed && page < frames);
    UIEnable(kCmdPreviousPage, hasDocument && listed && page != 0);
    UIEnable(397, hasDocument && listed && frames > 0);
    const bool animated = hasDocument && document->animated;
    UIEnable(kCmdStopAnimation, animated && listed);
    UISetCheck(kCmdStopAnimation, animated && !m_view.GetCanvas().IsAnimating() ? 1 : 0);

    UIEnable(107, hasDocument && !meta);
    UISetCheck(107, m_view.IsSelectionMode() ? 1 : 0);
    UISetCheck(32819, m_fullScreen ? 1 : 0);
    UISetCheck(59392, g_applicationState.Options().viewerShowToolbar ? 1 : 0);

    UIEnable(420, viewers >= 1);
    UIEnable(421, viewers >= 1);
    for (int id = 416; id <= 418; ++id)
        UIEnable(id, viewers >= 2);
}

void CImageFrame::UpdateToolBar() {
    // The rules first, so that the buttons show the state of this moment.
    RunUpdateRules();
    UIUpdateToolBar();
}

BOOL CImageFrame::OnIdle() {
    UpdateToolBar();
    return FALSE;
}
