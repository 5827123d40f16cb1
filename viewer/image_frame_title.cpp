// The viewer frame's title, its zoom and page commands, and the update
// rules that enable and check its commands.
#include <shlwapi.h>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "app/frame_output.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"
#include "viewer/logic/frame_title.h"
#include "viewer/logic/sort_commands.h"
#include "viewer/viewer_dialogs.h"

namespace {

std::string CompactPath(const std::string& path, int maxChars) {
    char out[MAX_PATH + 1] = {};
    if (maxChars <= 0 || !PathCompactPathExA(out, path.c_str(), static_cast<UINT>(maxChars) + 1, 0))
        return path;
    return out;
}

// A viewer has nothing to paste into: Paste stays disabled rather than
// offer a command that does nothing.
constexpr int kUnavailable[] = {ID_EDIT_PASTE};

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
    case ID_ZOOM_TO: {
        CZoomToDialog dialog;
        dialog.percent = static_cast<int>(m_view.GetCurrentZoom() * 100.0 + 1e-7);
        if (dialog.DoModal(::GetActiveWindow()) != IDOK)
            return 0;
        m_view.SetZoomPercent(dialog.percent);
        break;
    }
    case ID_ZOOM_IN:
        m_view.ZoomIn();
        break;
    case ID_ZOOM_OUT:
        m_view.ZoomOut();
        break;
    case ID_ZOOM_100:
        m_view.SetZoomPercent(100);
        break;
    default:
        m_view.SetZoomType(id - ID_ZOOM_TYPE_FIRST);
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
    if (id == ID_VIEW_STOP_ANIMATION) {
        if (canvas.IsAnimating())
            canvas.StopAnimation();
        else
            canvas.StartAnimation();
        UpdateToolBar();
        return 0;
    }
    if (id == ID_VIEW_NEXT_PAGE)
        m_view.NextFrame();
    else if (id == ID_VIEW_PREV_PAGE)
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
    UIEnable(ID_IMAGE_MODE_RGB, FALSE);

    UIEnable(ID_EDIT_UNDO, m_view.HasUndoImage());
    const bool editable = list != nullptr && !archive && hasDocument && document->complete && !meta;
    UIEnable(ID_FILE_SAVE, hasDocument && document->modified && !meta && list && !archive);
    UIEnable(ID_FILE_SAVE_AS, hasDocument && !meta);
    for (int id :
         {ID_ROTATE_180, ID_ROTATE_90CW, ID_ROTATE_90CCW, ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL})
        UIEnable(id, editable);
    // The dialogs live above the viewer: without them these have no work.
    const bool dialogs = FrameDialogs() != nullptr;
    UIEnable(ID_ROTATE_ARBITRARY, editable && dialogs);
    UIEnable(ID_IMAGE_SIZE, editable && dialogs);
    UIEnable(ID_APP_ABOUT, dialogs);
    // Help always answers: a missing help file or browser is said in a box.
    for (int id : {ID_HELP_INDEX, ID_HELP_WEB_HOME, ID_HELP_WEB_SUPPORT, ID_HELP_WEB_REGISTER})
        UIEnable(id, TRUE);
    const bool grey = hasDocument && document->IsGrayscalePalette();
    UIEnable(ID_IMAGE_MODE_GRAYSCALE, editable && !grey);
    UIEnable(ID_IMAGE_MODE_BITMAP, editable && grey);
    const bool adjustable = editable && document->bitsPerPixel >= 8;
    for (int id : {ID_ADJUST_DESATURATE, ID_ADJUST_INVERT, ID_ADJUST_EQUALIZE})
        UIEnable(id, adjustable);
    UIEnable(ID_IMAGE_CROP, list && !archive && hasDocument && m_view.HasSelection() && !meta);
    for (int id = ID_WALLPAPER_CENTER; id <= ID_WALLPAPER_REMOVE; ++id)
        UIEnable(id, hasDocument && !meta);
    UIEnable(ID_TOOLS_EDITOR, editable);
    UIEnable(ID_TOOLS_CONFIGURE_EDITORS, dialogs);
    const bool copyable = list != nullptr && !archive;
    UIEnable(ID_EDIT_COPY, copyable);
    UIEnable(ID_EDIT_CUT, copyable);

    for (int id = ID_ZOOM_TO; id <= ID_ZOOM_TYPE_LAST; ++id)
        UIEnable(id, hasDocument);
    for (int type = 0; type <= 4; ++type)
        UISetCheck(ID_ZOOM_TYPE_FIRST + type, m_view.GetZoomType() == type ? 1 : 0);

    using viewer::NavCommand;
    const bool listed = list != nullptr;
    UIEnable(ID_VIEW_NEXT_IMAGE, viewer::IsNavigationEnabled(NavCommand::Next, hasDocument, listed,
                                                             m_currentIndex, count, wrap));
    UIEnable(ID_VIEW_PREV_IMAGE, viewer::IsNavigationEnabled(NavCommand::Previous, hasDocument,
                                                             listed, m_currentIndex, count, wrap));
    UIEnable(ID_VIEW_FIRST_IMAGE, viewer::IsNavigationEnabled(NavCommand::First, hasDocument,
                                                              listed, m_currentIndex, count, wrap));
    UIEnable(ID_VIEW_LAST_IMAGE, viewer::IsNavigationEnabled(NavCommand::Last, hasDocument, listed,
                                                             m_currentIndex, count, wrap));

    const int page = m_view.GetCanvas().GetFrameIndex();
    const int frames = hasDocument ? document->FrameCount() : 0;
    UIEnable(ID_VIEW_NEXT_PAGE, hasDocument && listed && page < frames);
    UIEnable(ID_VIEW_PREV_PAGE, hasDocument && listed && page != 0);
    UIEnable(ID_VIEW_GOTO_PAGE, hasDocument && listed && frames > 0);
    const bool animated = hasDocument && document->animated;
    UIEnable(ID_VIEW_STOP_ANIMATION, animated && listed);
    UISetCheck(ID_VIEW_STOP_ANIMATION, animated && !m_view.GetCanvas().IsAnimating() ? 1 : 0);

    UIEnable(ID_VIEW_MARQUEE, hasDocument && !meta);
    UISetCheck(ID_VIEW_MARQUEE, m_view.IsSelectionMode() ? 1 : 0);
    UISetCheck(ID_VIEW_FULLSCREEN, m_fullScreen ? 1 : 0);
    UIEnable(ID_VIEW_SLIDESHOW, hasDocument);
    UISetCheck(ID_VIEW_SLIDESHOW, m_slideShowRunning ? 1 : 0);

    // The file commands work on files the frame lists; an archive's entries
    // are not files of their own.
    const bool files = listed && !archive && hasDocument;
    for (int id : {ID_FILE_DELETE, ID_FILE_COPY_TO, ID_FILE_MOVE_TO})
        UIEnable(id, files);
    UIEnable(ID_FAVORITES_ADD, files && frame_lists::Kind(list) != kListFavorites);
    UIEnable(ID_FILE_RENAME, files && g_applicationState.FileDialogs() != nullptr);
    // Printing and e-mailing live above the viewer: without them, no work.
    const bool output = files && FrameOutput() != nullptr;
    UIEnable(ID_FILE_PRINT, output);
    UIEnable(ID_FILE_EMAIL, output);
    UIEnable(ID_FILE_PROPERTIES, files && FrameDialogs() != nullptr);
    UISetCheck(ID_VIEW_TOOLBAR, g_applicationState.Options().viewerShowToolbar ? 1 : 0);
    // Convert writes the listed file again; its dialogs live above the viewer.
    UIEnable(ID_FILE_CONVERT, files && !meta && dialogs);

    viewer::SortChoice sorted{0, 0};
    if (list) {
        list->Lock();
        sorted = {list->sortBy, list->sortOrder};
        list->Unlock();
    }
    for (int id = ID_SORT_BY_NAME; id <= ID_SORT_DESCENDING; ++id) {
        UIEnable(id, listed);
        UISetCheck(id, listed && viewer::IsSortCommandChecked(id, sorted) ? 1 : 0);
    }

    UIEnable(ID_WINDOW_BRING_VIEWERS, viewers >= 1);
    UIEnable(ID_WINDOW_CLOSE_VIEWERS, viewers >= 1);
    for (int id = ID_WINDOW_ARRANGE; id <= ID_WINDOW_ARRANGE_VERT; ++id)
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
