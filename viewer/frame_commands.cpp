#include "viewer/frame_commands.h"

#include <commctrl.h>

#include <cstdio>

#include "app/application_state.h"
#include "app/frame_dialogs.h"
#include "app/image_saving.h"
#include "viewer/image_frame_lists.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/image_view.h"
#include "resources/resource.h"
#include "ui/message_map.h"
#include "resources/messages.h"

namespace {

constexpr const char* kSaveChangesText = "Do you want to save the changes to %s?";

const char* FileNamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

} // namespace

const CFrameCommands::CommandEntry CFrameCommands::kCommands[] = {
    {ID_VIEW_MARQUEE, ID_MARQUEE_CANCEL, &CFrameCommands::OnMarquee},
    {ID_EDIT_UNDO, ID_EDIT_UNDO, &CFrameCommands::OnUndo},
    {ID_IMAGE_MODE_GRAYSCALE, ID_IMAGE_MODE_GRAYSCALE, &CFrameCommands::OnImageCommand},
    {ID_IMAGE_MODE_BITMAP, ID_IMAGE_MODE_BITMAP, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_DESATURATE, ID_ADJUST_DESATURATE, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_BRIGHTNESS_CONTRAST, ID_ADJUST_BRIGHTNESS_CONTRAST, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_COLOR_BALANCE, ID_ADJUST_COLOR_BALANCE, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_HUE_SATURATION, ID_ADJUST_HUE_SATURATION, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_POSTERIZE, ID_ADJUST_POSTERIZE, &CFrameCommands::OnImageCommand},
    {ID_IMAGE_MODE_INDEXED, ID_IMAGE_MODE_INDEXED, &CFrameCommands::OnImageCommand},
    {ID_IMAGE_SIZE, ID_IMAGE_SIZE, &CFrameCommands::OnImageCommand},
    {ID_ADJUST_INVERT, ID_ADJUST_EQUALIZE, &CFrameCommands::OnImageCommand},
    {ID_ROTATE_180, ID_ROTATE_ARBITRARY, &CFrameCommands::OnImageCommand},
    {ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL, &CFrameCommands::OnImageCommand},
    {ID_IMAGE_CROP, ID_IMAGE_CROP, &CFrameCommands::OnCrop},
    {ID_IMAGE_SAVE_SELECTION, ID_IMAGE_SAVE_SELECTION, &CFrameCommands::OnSaveSelectionAs},
    {ID_FILE_SAVE, ID_FILE_SAVE, &CFrameCommands::OnSave},
    {ID_FILE_SAVE_AS, ID_FILE_SAVE_AS, &CFrameCommands::OnSaveAs},
    {ID_EDIT_DELETE_ITEMS, ID_EDIT_DELETE_ITEMS, &CFrameCommands::OnDelete},
    {ID_FILE_COPY_TO, ID_FILE_MOVE_TO, &CFrameCommands::OnCopyMoveTo},
    {ID_FAVORITES_ADD, ID_FAVORITES_ADD, &CFrameCommands::OnAddToFavorites},
    {ID_WINDOW_ARRANGE, ID_WINDOW_ARRANGE_VERT, &CFrameCommands::OnArrangeViewers},
    {ID_WINDOW_BRING_VIEWERS, ID_WINDOW_BRING_VIEWERS, &CFrameCommands::OnBringViewersToTop},
    {ID_WINDOW_CLOSE_VIEWERS, ID_WINDOW_CLOSE_VIEWERS, &CFrameCommands::OnCloseAllViewers},
    {ID_APP_ABOUT, ID_APP_ABOUT, &CFrameCommands::OnAbout},
    {ID_FILE_PRINT, ID_FILE_PRINT, &CFrameCommands::OnPrint},
    {ID_FILE_EMAIL, ID_FILE_EMAIL, &CFrameCommands::OnEmailPictures},
    {ID_WALLPAPER_CENTER, ID_WALLPAPER_REMOVE, &CFrameCommands::OnSetWallpaper},
    {ID_TOOLS_EDITOR, ID_TOOLS_EDITOR, &CFrameCommands::OnLaunchEditor},
    {ID_EDITOR_FIRST, ID_EDITOR_LAST, &CFrameCommands::OnLaunchEditor},
    {ID_TOOLS_CONFIGURE_EDITORS, ID_TOOLS_CONFIGURE_EDITORS, &CFrameCommands::OnConfigureEditors},
    {ID_FILE_PROPERTIES, ID_FILE_PROPERTIES, &CFrameCommands::OnImageProperties},
    {ID_SORT_BY_NAME, ID_SORT_DESCENDING, &CFrameCommands::OnSortCommand},
    {ID_HELP_INDEX, ID_HELP_INDEX, &CFrameCommands::OnHelpContents},
    {ID_HELP_WEB_HOME, ID_HELP_WEB_SUPPORT, &CFrameCommands::OnWebPage},
    {ID_HELP_WEB_REGISTER, ID_HELP_WEB_REGISTER, &CFrameCommands::OnWebPage},
};

BOOL CFrameCommands::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                          LRESULT& lResult, DWORD dwMsgMapID) {
    if (dwMsgMapID != 0)
        return FALSE;
    BOOL handled = TRUE;
    if (uMsg == WM_NOTIFY && lParam != 0) {
        auto* header = reinterpret_cast<LPNMHDR>(lParam);
        if (header->code == kViewNotifyZoomChanged) {
            lResult = OnViewZoomChanged(static_cast<int>(wParam), header, handled);
            return handled;
        }
        if (header->code == kViewNotifyFullyShown) {
            lResult = PreloadNextImage(static_cast<int>(wParam), header, handled);
            return handled;
        }
        if (header->code == TBN_DROPDOWN &&
            reinterpret_cast<const NMTOOLBARA*>(header)->iItem == ID_TOOLS_EDITOR) {
            lResult = OnEditorDropDown(reinterpret_cast<const NMTOOLBARA*>(header));
            return TRUE;
        }
        return FALSE;
    }
    if (uMsg != WM_COMMAND)
        return FALSE;
    const WORD id = LOWORD(wParam);
    for (const CommandEntry& entry : kCommands) {
        if (id < entry.first || id > entry.last)
            continue;
        if (!UiCommandProbeActive())
            (this->*entry.handler)(id);
        lResult = 0;
        return TRUE;
    }
    return FALSE;
}

CFrameCommands::SavePrompt CFrameCommands::AskToSaveChanges() {
    CImageObject* document = GetDocument();
    if (!document || !document->modified)
        return SavePrompt::NothingToSave;
    if (NeedsSaveConfirmation()) {
        char pattern[256];
        if (LoadStringA(GetModuleHandleA(nullptr), IDS_SAVE_CHANGES, pattern, sizeof pattern) <= 0)
            lstrcpynA(pattern, kSaveChangesText, sizeof pattern);
        char text[512 + MAX_PATH];
        std::snprintf(text, sizeof text, pattern, FileNamePart(document->path));
        if (::MessageBoxA(GetFrameWindow(), text, "Velmorantix XP", MB_YESNO | MB_ICONWARNING) !=
            IDYES)
            return SavePrompt::Declined;
    }
    return SaveDocument(document) ? SavePrompt::Saved : SavePrompt::Failed;
}

bool CFrameCommands::SaveDocument(CImageObject* document) {
    if (!document)
        return false;
    const bool writable = IsWritableImageFileType(document->GetFileType());
    if (image_saving::SaveImage(document, true, false, GetFrameWindow()))
        return true;
    // A type without a writer went through Save As, whose Cancel needs no
    // word; a write that failed does: the frame stays where it is, and the
    // user must know why.
    if (writable) {
        char text[MAX_PATH + 64];
        std::snprintf(text, sizeof text, "Cannot save %s", document->path);
        ::MessageBoxA(GetFrameWindow(), text, "Failed!", MB_OK | MB_ICONERROR);
    }
    return false;
}

void CFrameCommands::ReloadIfChangedOnDisk() {
    CImageObject* document = GetDocument();
    if (!m_watchChanges || !document || document->modified || document->notLoaded ||
        document->fileTime == 0 || document->path[0] == '\0')
        return;
    HANDLE file = CreateFileA(document->path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FILETIME written{};
    const bool known = GetFileTime(file, nullptr, nullptr, &written) != FALSE;
    CloseHandle(file);
    const uint64_t onDisk =
        (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    if (!known || onDisk == document->fileTime)
        return;
    // The cached copy is stale: drop it and read the file again.
    g_applicationState.ForgetCachedImagePath(document->path);
    OpenCurrentItem(false);
}

void CFrameCommands::MoveToWorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(GetFrameWindow(), work.left, work.top, work.right - work.left,
               work.bottom - work.top, TRUE);
}

LRESULT CFrameCommands::OnViewZoomChanged(int, LPNMHDR, BOOL&) {
    CImageObject* document = GetDocument();
    CImageView* view = GetImageView();
    if (!document || !view)
        return 0;
    double zoom = 0;
    int width = 0, height = 0;
    view->GetZoom(zoom, width, height);
    if (!g_applicationState.NeedsLargerDecode(document, width, height, zoom))
        return 0;
    if (CImageObject* larger = g_applicationState.OpenImage(document->path, width, height, zoom))
        view->SetImageKeepView(larger);
    return 0;
}

LRESULT CFrameCommands::PreloadNextImage(int, LPNMHDR, BOOL&) {
    CImageObject* document = GetDocument();
    CImageView* view = GetImageView();
    CFileItemList* list = GetFileItemList();
    if (!IsPreloadEnabled() || !document || !view || !list || view->GetPreloadedImage())
        return 0;
    if (document->rowsDecoded.load() != document->height)
        return 0;
    int index = m_preloadIndex;
    if (index == -1)
        index = frame_lists::Neighbour(list, m_currentIndex, m_backward != FALSE);
    if (index < 0)
        return 0;
    int width = 0, height = 0;
    double zoom = 0;
    GetViewArea(width, height, zoom);
    if (CImageObject* next = g_applicationState.OpenListImage(list, index, width, height, zoom))
        view->SetPreloadedImage(next);
    return 0;
}

void CFrameCommands::OnMarquee(WORD) {
    CImageView* view = GetImageView();
    if (!view)
        return;
    view->SetSelectionMode(!view->IsSelectionMode());
    UpdateToolBar();
}

void CFrameCommands::OnArrangeViewers(WORD id) {
    if (ViewerCount() < 2)
        return;
    switch (id) {
    case ID_WINDOW_ARRANGE_HORZ:
        g_applicationState.ArrangeViewers(0, 's');
        break;
    case ID_WINDOW_ARRANGE_VERT:
        g_applicationState.ArrangeViewers(0, 't');
        break;
    default: {
        IFrameDialogs* dialogs = FrameDialogs();
        char mode = 'r';
        int count = 0;
        if (dialogs && !dialogs->AskArrangeViewers(::GetActiveWindow(), mode, count))
            return;
        g_applicationState.ArrangeViewers(count, mode);
        break;
    }
    }
}

void CFrameCommands::OnAbout(WORD) {
    if (IFrameDialogs* dialogs = FrameDialogs())
        dialogs->ShowAbout(::GetActiveWindow());
}

void CFrameCommands::OnBringViewersToTop(WORD) {
    g_applicationState.BringViewersToTop();
}

void CFrameCommands::OnCloseAllViewers(WORD) {
    g_applicationState.CloseAllViewers();
}

int CFrameCommands::ViewerCount() {
    return static_cast<int>(g_applicationState.ViewerCount());
}
