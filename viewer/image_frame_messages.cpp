// The viewer frame's messages: activation, closing, keys, wheel and
// application commands, list changes, decode progress, options and volume
// removal, and its message filter and idle pass.
#include <windows.h>

#include <dbt.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/path_parts.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"
#include "viewer/logic/slide_show.h"
#include "viewer/viewer_dialogs.h"

namespace {

void SendCommand(HWND window, WORD id) {
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// WM_APPCOMMAND's command numbers and the frame commands they stand for.
struct AppCommandMap {
    int appCommand;
    WORD command;
};
constexpr AppCommandMap kAppCommands[] = {
    {1, ID_VIEW_PREV_IMAGE}, {2, ID_VIEW_NEXT_IMAGE}, {27, ID_HELP_INDEX}, {29, ID_FILE_NEW_VIEWER},
    {30, ID_FILE_BROWSE},    {31, ID_APP_EXIT},       {32, ID_FILE_SAVE},  {33, ID_FILE_PRINT},
    {36, ID_EDIT_COPY},      {37, ID_EDIT_CUT},       {38, ID_EDIT_PASTE}, {41, ID_FILE_EMAIL},
};

} // namespace

UINT CImageFrame::OptionsChangedMessage() {
    return g_optionsChanged;
}

void CImageFrame::MarkActive() {
    // This viewer becomes the active and the last active one. Frame
    // management records it (and clears the explorer's flag); without it
    // the viewers keep the record among themselves.
    if (g_applicationState.SetActiveFrame(false, this))
        return;
    g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        for (CImageFrame* viewer : viewers) {
            viewer->m_active = false;
            viewer->m_lastActive = false;
        }
        m_active = true;
        m_lastActive = true;
    });
}

void CImageFrame::FollowRenamedFile() {
    // The shown file was renamed (by the program or outside it): the image
    // takes its new path, so that saving, reloading and the file commands
    // reach the file under its new name. An archive list's image is an
    // extracted copy, which keeps its own path.
    CImageObject* document = GetDocument();
    if (!document || frame_lists::Kind(m_itemList) == kListArchive)
        return;
    const std::string now = frame_lists::ItemPath(m_itemList, m_currentIndex);
    if (now.empty() || lstrcmpA(document->path, now.c_str()) == 0)
        return;
    // Only the file that went away follows: a letter-case rename, or an old
    // path that no longer exists.
    if (lstrcmpiA(document->path, now.c_str()) == 0 ||
        ::GetFileAttributesA(document->path) == INVALID_FILE_ATTRIBUTES)
        g_applicationState.RetargetImage(document, now.c_str());
}

LRESULT CImageFrame::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        m_active = false;
        // Another window comes in front: the pointer must be visible there.
        if (m_fullScreen)
            WakeCursor();
        return 0;
    }
    MarkActive();
    if (m_view.m_hWnd)
        m_view.SetFocus();
    ReloadIfChangedOnDisk();
    return 0;
}

LRESULT CImageFrame::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    // A save that was wanted and failed keeps the viewer open with its edits.
    if (AskToSaveChanges() == SavePrompt::Failed)
        return 0;
    g_applicationState.OnViewerDestroyed(this);
    return 0;
}

LRESULT CImageFrame::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    switch (wParam) {
    case VK_BACK:
    case VK_PRIOR:
        SendCommand(m_hWnd, ID_VIEW_PREV_IMAGE);
        break;
    case VK_SPACE:
        SendCommand(m_hWnd,
                    (GetKeyState(VK_SHIFT) & 0x8000) ? ID_VIEW_PREV_IMAGE : ID_VIEW_NEXT_IMAGE);
        break;
    case VK_NEXT:
        SendCommand(m_hWnd, ID_VIEW_NEXT_IMAGE);
        break;
    case VK_END:
        SendCommand(m_hWnd, ID_VIEW_LAST_IMAGE);
        break;
    case VK_HOME:
        SendCommand(m_hWnd, ID_VIEW_FIRST_IMAGE);
        break;
    default:
        break;
    }
    bHandled = FALSE; // the key also gets the default handling
    return 0;
}

LRESULT CImageFrame::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    if (keys & MK_SHIFT) {
        bHandled = FALSE;
        return 0;
    }
    const bool towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0;
    const uint32_t mode = g_applicationState.Options().viewerMouseWheel;
    if (mode == 1 || (keys & MK_CONTROL))
        SendCommand(m_hWnd, towardsUser ? ID_ZOOM_IN : ID_ZOOM_OUT);
    else if (mode == 0)
        SendCommand(m_hWnd, towardsUser ? ID_VIEW_NEXT_IMAGE : ID_VIEW_PREV_IMAGE);
    else if (mode == 2)
        // From where the picture is scrolled to now: the centring offset of
        // a picture smaller than the window is no scroll position.
        m_view.ScrollTo(-1,
                        std::max(0, m_view.GetCanvas().GetScrollY() + (towardsUser ? 50 : -50)));
    return 0;
}

LRESULT CImageFrame::OnAppCommand(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    const int appCommand = HIWORD(lParam) & 0x0FFF;
    for (const AppCommandMap& entry : kAppCommands) {
        if (entry.appCommand == appCommand) {
            SendCommand(m_hWnd, entry.command);
            return TRUE;
        }
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CImageFrame::OnItemListChanged(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const auto* change = reinterpret_cast<const ItemListChange*>(wParam);
    if (!change || !change->list || change->list != m_itemList)
        return 0;
    switch (change->code) {
    case kListChangeAdded:
        UpdateTitle();
        break;
    case kListChangeRemoved:
        if (frame_lists::Count(m_itemList) > 0) {
            NormalizeIndex();
            OpenCurrentItem(false);
        } else {
            ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        }
        break;
    case kListChangeRenamed:
        if (change->item && frame_lists::FindItem(m_itemList, change->item) == m_currentIndex) {
            FollowRenamedFile();
            UpdateTitle();
        }
        break;
    case kListChangeFolderRenamed:
        OpenCurrentItem(false);
        break;
    case kListChangeFolderRemoved:
    case kListChangeResultEmptied:
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        break;
    case kListChangeFileChanged: {
        CImageObject* document = GetDocument();
        if (change->item && frame_lists::FindItem(m_itemList, change->item) == m_currentIndex &&
            !(document && document->modified))
            OpenCurrentItem(false);
        break;
    }
    case kListChangeRefilled:
        if (CImageObject* document = GetDocument()) {
            const int kind = frame_lists::Kind(m_itemList);
            m_currentIndex = (kind == kListFolder || kind == kListArchive)
                                 ? frame_lists::FindItem(
                                       m_itemList, path_parts::Split(document->path).name.c_str())
                                 : frame_lists::FindItem(m_itemList, document->path);
        }
        UpdateTitle();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CImageFrame::OnUpdateTitleMessage(UINT, WPARAM, LPARAM, BOOL&) {
    AdoptFolderResult();
    UpdateTitle();
    return 0;
}

LRESULT CImageFrame::OnUpdateUIMessage(UINT, WPARAM, LPARAM, BOOL&) {
    // The folder thread is done with its work: its handle is closed here.
    if (m_folderThread) {
        ::CloseHandle(m_folderThread);
        m_folderThread = nullptr;
    }
    UpdateToolBar();
    return 0;
}

LRESULT CImageFrame::OnDecodeStarted(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    SizeToImage(GetDocument());
    m_view.SendMessage(uMsg, wParam, lParam);
    UpdateTitle();
    return 0;
}

LRESULT CImageFrame::OnDecodeEnded(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    m_view.SendMessage(uMsg, wParam, lParam);
    UpdateTitle();
    UpdateToolBar();
    CImageObject* document = GetDocument();
    if (document && document->complete && !document->headerReady)
        ReportUnreadable(document->path, document);
    return 0;
}

LRESULT CImageFrame::OnOptionsChanged(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const COLORREF colour = g_applicationState.Options().viewerBackgroundClr;
    if (wParam == 0 && colour != m_view.GetBackgroundColor())
        m_view.SetBackgroundColor(colour, true);
    return 0;
}

LRESULT CImageFrame::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if ((wParam == DBT_DEVICEQUERYREMOVE || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam != 0) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header->dbch_devicetype == DBT_DEVTYP_VOLUME &&
            frame_lists::Kind(m_itemList) == kListFolder) {
            const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
            int bit = 0;
            while (bit < 26 && !(volume->dbcv_unitmask & (1u << bit)))
                ++bit;
            const std::string folder = frame_lists::Folder(m_itemList);
            const char letter =
                folder.empty()
                    ? '\0'
                    : static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
            if (bit < 26 && letter == static_cast<char>('A' + bit))
                ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        }
    }
    return TRUE;
}

LRESULT CImageFrame::OnViewDoubleClick(int, LPNMHDR, BOOL&) {
    const uint32_t action = g_applicationState.Options().viewerMouseLDblClk;
    if (action == 0)
        SendCommand(m_hWnd, ID_VIEW_NEXT_IMAGE);
    else if (action == 1)
        SendCommand(m_hWnd, ID_FILE_BROWSE);
    return 0;
}

LRESULT CImageFrame::OnCloseCommand(WORD, WORD, HWND, BOOL&) {
    ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CImageFrame::OnEscape(WORD, WORD, HWND, BOOL&) {
    if (m_fullScreen)
        SetFullScreen(false);
    else
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CImageFrame::OnToggleToolbar(WORD, WORD, HWND, BOOL&) {
    g_applicationState.SetViewerToolbarVisible(!g_applicationState.Options().viewerShowToolbar);
    return 0;
}

LRESULT CImageFrame::OnOpenNewViewer(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    if (!document)
        return 0;
    g_applicationState.OpenViewerOnDocument(m_itemList, m_currentIndex, document,
                                            m_view.GetBackgroundColor(),
                                            g_applicationState.Options().viewerFullscreen, true);
    return 0;
}

LRESULT CImageFrame::OnOptions(WORD, WORD, HWND, BOOL&) {
    g_applicationState.ShowOptionsSheet();
    // The sheet may have changed what this viewer copied from the options.
    const CAppOptions& options = g_applicationState.Options();
    SetFullScreen(options.viewerFullscreen);
    m_slideShowSequence = static_cast<int>(options.slideShowSequence);
    m_slideShowDelay = static_cast<int>(options.slideShowDelay);
    m_slideShowRepeat = options.slideShowRepeat;
    // A running show takes the new delay and order at once.
    if (m_slideShowRunning) {
        StopSlideShow();
        StartSlideShow();
    }
    return 0;
}

LRESULT CImageFrame::OnMarqueeCommand(WORD, WORD, HWND, BOOL& bHandled) {
    // Selecting needs the pointer; the command base then toggles
    // selection mode.
    ShowCursorState(true);
    bHandled = FALSE;
    return 0;
}

LRESULT CImageFrame::OnMarqueeSetting(WORD, WORD, HWND, BOOL&) {
    CMarqueeSettingDialog dialog;
    if (dialog.DoModal(m_hWnd) != IDOK)
        return 0;
    // The dialog has written the options; they outlive this viewer, and its
    // view takes them at once so the next selection keeps the new shape.
    g_applicationState.SaveOptions();
    const CAppOptions& options = g_applicationState.Options();
    m_view.SetFixedSelection(options.marqueeDimensions, static_cast<int>(options.marqueeWidth),
                             static_cast<int>(options.marqueeHeight));
    return 0;
}

LRESULT CImageFrame::OnDeleteCommand(WORD, WORD, HWND, BOOL&) {
    SendCommand(m_hWnd, ID_EDIT_DELETE_ITEMS);
    return 0;
}

LRESULT CImageFrame::OnRename(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    IFileDialogs* dialogs = g_applicationState.FileDialogs();
    if (!document || !dialogs || frame_lists::Kind(m_itemList) == kListArchive)
        return 0;
    // The list's path: a rename done meanwhile renamed the item, while the
    // shown image keeps the name it was opened with.
    std::string oldPath = frame_lists::ItemPath(m_itemList, m_currentIndex);
    if (oldPath.empty())
        oldPath = document->path;
    std::string name = path_parts::Split(oldPath).name;
    if (!dialogs->AskRenameFile(m_hWnd, oldPath.c_str(), &name))
        return 0;
    const std::string newPath = viewer::RenameTargetPath(oldPath, name);
    if (newPath.empty()) {
        ::MessageBoxA(
            m_hWnd,
            "A file name cannot be empty or contain any of these characters: \\ / : * ? \" < > |",
            "Failed!", MB_OK | MB_ICONERROR);
        return 0;
    }
    // The watcher is paused meanwhile; the rename's own notice renames the
    // item in every list and the title follows.
    g_applicationState.RenameFile(newPath.c_str(), oldPath.c_str(), true);
    return 0;
}

LRESULT CImageFrame::SendItemListChange(HWND window, CFileItemList* list, const char* name,
                                        int code) {
    ItemListChange change{list, name, code};
    return ::SendMessageA(window, kMsgItemListChanged, reinterpret_cast<WPARAM>(&change), 0);
}

BOOL CImageFrame::PreTranslateMessage(MSG* msg) {
    // Only keys of this frame's own windows: another frame's keys are theirs.
    if (CFrameWindowImpl<CImageFrame>::PreTranslateMessage(msg))
        return TRUE;
    if (msg)
        NoticeMouseMove(*msg);
    return FALSE;
}
