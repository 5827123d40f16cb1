// The explorer frame: creation with its bars, splitter and panes, the view
// modes, the stored settings and pane layout, and the end of the window.
#include "explorer/main_frame.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "app/app_globals.h"
#include "app/app_module.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/path_parts.h"
#include "docking/docking_core.h"
#include "imaging/image_object.h"
#include "ui/tool_strip.h"
#include "viewer/image_frame.h"

using namespace explorer_settings;
using docking::DockingPlacement;

namespace {

const char kSettingsKey[] = "Software\\Velmorantix\\Velmorantix XP";
constexpr ToolButton kToolButtons[26] = {
    {0, ID_FILE_OPEN_VIEWER, BTNS_BUTTON},
    {1, ID_FILE_SAVE, BTNS_BUTTON},
    {2, ID_FILE_PRINT, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {3, ID_GO_BACK, BTNS_BUTTON},
    {4, ID_GO_FORWARD, BTNS_BUTTON},
    {5, ID_GO_UP, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {6, ID_FILE_MOVE_TO, BTNS_BUTTON},
    {7, ID_FILE_COPY_TO, BTNS_BUTTON},
    {8, ID_FILE_DELETE, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {9, ID_FAVORITES_ADD, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {10, ID_ROTATE_90CCW, BTNS_BUTTON},
    {11, ID_ROTATE_90CW, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {12, ID_VIEW_MODE, BTNS_WHOLEDROPDOWN},
    {-1, 0, BTNS_SEP},
    {13, ID_VIEW_MARQUEE, BTNS_CHECK},
    {14, ID_VIEW_SLIDESHOW, BTNS_BUTTON},
    {15, ID_WALLPAPER_CENTER, BTNS_BUTTON},
    {16, ID_TOOLS_EDITOR, BTNS_DROPDOWN},
    {17, ID_TOOLS_HOT_TRACK, BTNS_CHECK},
    {-1, 0, BTNS_SEP},
    {18, ID_FILE_PROPERTIES, BTNS_BUTTON},
};

HIMAGELIST LoadStrip(int id, bool alpha) {
    return LoadToolStrip(id, alpha, ILC_COLOR8, EXPLORER_TOOLBAR_IMAGE_COUNT);
}

// The registry key of the settings as a value source.
class RegistrySource : public ValueSource {
public:
    explicit RegistrySource(HKEY key) : m_key(key) {}
    bool ReadDword(const char* name, uint32_t& value) override {
        DWORD type = 0, data = 0, size = sizeof(data);
        if (!m_key || RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                                       &size) != ERROR_SUCCESS)
            return false;
        if (type != REG_DWORD || size != sizeof(data))
            return false;
        value = data;
        return true;
    }
    bool ReadBinary4(const char* name, uint32_t& bits) override {
        DWORD type = 0, size = sizeof(bits);
        uint32_t data = 0;
        if (!m_key || RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                                       &size) != ERROR_SUCCESS)
            return false;
        if (type != REG_BINARY || size != sizeof(data))
            return false;
        bits = data;
        return true;
    }

private:
    HKEY m_key;
};

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

CMainFrame::~CMainFrame() {
    // Reached with a live window only when the frame is dropped without its
    // window's last message; cut the link first so that message cannot free
    // this object a second time.
    if (m_hWnd) {
        HWND window = m_hWnd;
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
        ::DestroyWindow(window);
    }
    for (HIMAGELIST& list : m_toolImages) {
        if (list)
            ImageList_Destroy(list);
        list = nullptr;
    }
}

HWND CMainFrame::CreateEx() {
    return CDockingFrame<CMainFrame>::CreateEx(nullptr, UiRectArg(), 0, 0, nullptr,
                                               "Velmorantix XP");
}

HWND CMainFrame::CreateToolBar() {
    const bool alpha = ToolStripsHaveAlpha();
    m_toolImages[0] = LoadStrip(alpha ? IDB_EXPLORER_TOOLBAR32 : IDB_EXPLORER_TOOLBAR, alpha);
    m_toolImages[1] =
        LoadStrip(alpha ? IDB_EXPLORER_TOOLBAR32_HOT : IDB_EXPLORER_TOOLBAR_HOT, alpha);
    m_toolImages[2] =
        LoadStrip(alpha ? IDB_EXPLORER_TOOLBAR32_DISABLED : IDB_EXPLORER_TOOLBAR_DISABLED, alpha);
    TBBUTTON buttons[26];
    FillToolButtons(kToolButtons, buttons);
    const DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS |
                        CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_TOP;
    HWND toolBar = CreateSimpleToolBarCtrl(m_hWnd, buttons, 26, m_toolImages[0], m_toolImages[1],
                                           m_toolImages[2], style, UI_IDW_TOOLBAR + 1,
                                           TBSTYLE_EX_DRAWDDARROWS);
    if (toolBar)
        ::SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    return toolBar;
}

void CMainFrame::ReadSettings() {
    const int32_t height =
        static_cast<int32_t>(g_applicationState.Options().explorerThumbnailHeight);
    HKEY key = OpenSettingsKey();
    RegistrySource source(key);
    m_settings = explorer_settings::ReadSettings(source, height);
    if (key)
        RegCloseKey(key);
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    InitDocking(0);
    const CAppOptions& options = g_applicationState.Options();
    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
        m_filterRegistered = true;
    }
    ReadSettings();

    // Bars: the menu moves onto the command bar.
    if (m_commandBar.Create(m_hWnd) &&
        m_commandBar.AttachMenu(m_hMenu ? m_hMenu : ::GetMenu(m_hWnd)))
        ::SetMenu(m_hWnd, nullptr);
    else if (m_commandBar.m_hWnd)
        m_commandBar.DestroyWindow();
    m_toolBar = CreateToolBar();
    m_addressBar = ::CreateWindowExA(
        0, WC_COMBOBOXEXA, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN,
        0, 0, 100, 200, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EXPLORER_ADDRESS)),
        UiModuleInstance(), nullptr);
    if (m_addressBar && g_smallImageList)
        ::SendMessageA(m_addressBar, CBEM_SETIMAGELIST, 0,
                       reinterpret_cast<LPARAM>(g_smallImageList));
    if (CreateSimpleReBar(UI_SIMPLE_REBAR_NOBORDER_STYLE)) {
        if (m_commandBar.m_hWnd)
            AddSimpleReBarBandCtrl(m_hWndToolBar, m_commandBar.m_hWnd, ID_BAND_EXPLORER_MENU);
        if (m_toolBar)
            AddSimpleReBarBandCtrl(m_hWndToolBar, m_toolBar, ID_BAND_EXPLORER_TOOLBAR, nullptr,
                                   TRUE);
        if (m_addressBar)
            AddSimpleReBarBandCtrl(m_hWndToolBar, m_addressBar, ID_BAND_EXPLORER_ADDRESS, "Address",
                                   TRUE, 200, TRUE);
    }
    if (m_toolBar)
        UIAddToolBar(m_toolBar);
    ShowBand(ID_BAND_EXPLORER_TOOLBAR, m_settings.showToolbar ? TRUE : FALSE);
    ShowBand(ID_BAND_EXPLORER_ADDRESS, m_settings.showAddressBar ? TRUE : FALSE);
    UISetCheck(ID_VIEW_TOOLBAR, m_settings.showToolbar ? 1 : 0);
    UISetCheck(ID_VIEW_ADDRESS_BAR, m_settings.showAddressBar ? 1 : 0);

    // The splitter with the preview and the list.
    m_splitter.Create(m_hWnd, UiRectArg(), nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_hWndClient = m_splitter.m_hWnd;
    m_preview.Create(m_splitter.m_hWnd, UiRectArg(), nullptr,
                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE,
                     IDC_EXPLORER_PREVIEW);
    m_preview.SetFixedSelection(options.marqueeDimensions, static_cast<int>(options.marqueeWidth),
                                static_cast<int>(options.marqueeHeight));
    m_preview.SetBackgroundColor(options.explorerPreviewBackgroundColor, false);
    ::SendMessageA(m_preview.m_hWnd, kMsgViewZoomCommand, 5, 0);
    RECT none{0, 0, 10, 10};
    m_list.Create(m_splitter.m_hWnd, none,
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_SHAREIMAGELISTS |
                      LVS_EDITLABELS | LVS_SHOWSELALWAYS,
                  IDC_EXPLORER_LIST, "Contents");
    if (m_list.m_hWnd) {
        ::SetWindowLongPtrA(m_list.m_hWnd, GWL_EXSTYLE,
                            ::GetWindowLongPtrA(m_list.m_hWnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
        ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
        m_list.SetBackgroundColor(options.explorerThumbnailBackgroundColor);
        m_list.UpdateIconSpacing();
    }
    m_splitter.SetPanes(m_preview.m_hWnd, m_list.m_hWnd);

    // The tree, the information pane's slot and the metadata list, each the
    // client of its pane.
    m_tree.Create(m_splitter.m_hWnd, none,
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                      TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                  IDC_EXPLORER_TREE);
    m_tree.SetPreviewEnabled(true);
    m_infoPane = m_info.Create(m_splitter.m_hWnd, m_hWnd, IDC_EXPLORER_INFO);
    m_metadataList =
        ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr,
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, 0,
                          0, 10, 10, m_splitter.m_hWnd, nullptr, UiModuleInstance(), nullptr);
    if (m_metadataList)
        m_metadata.Attach(m_metadataList); // makes its "Tag" and "Value" columns
    const HWND clients[kPaneCount] = {m_tree.m_hWnd, m_infoPane, nullptr, m_metadataList};
    for (int pane = 0; pane < kPaneCount; ++pane) {
        m_panes[pane].Create(m_hWnd, PaneName(pane),
                             WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW);
        if (clients[pane])
            m_panes[pane].SetClient(clients[pane]);
    }

    // The window's place, then the mode, the tree and the layout.
    RECT work{0, 0, 800, 600};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const Rect start = StartRect(m_settings, Rect{work.left, work.top, work.right, work.bottom});
    ::SetWindowPos(m_hWnd, nullptr, start.left, start.top, start.right - start.left,
                   start.bottom - start.top, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateLayout();
    SetViewMode(m_settings.viewMode);
    FillTree();
    RestorePaneLayout();
    UpdateLayout();
    if (m_list.m_hWnd) {
        if (options.explorerHotTrack) {
            ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_TRACKSELECT,
                                                LVS_EX_TRACKSELECT);
            ::SendMessageA(m_list.m_hWnd, LVM_SETHOVERTIME, 0, 1);
        } else {
            ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_TRACKSELECT, 0);
        }
    }
    handled = FALSE; // the docking frame's own creation runs as well
    return 0;
}

void CMainFrame::RestorePaneLayout() {
    const std::vector<RestoreStep> steps = PlanRestore(m_settings.panes);
    for (const RestoreStep& step : steps) {
        DockingPlacement& record = m_settings.panes[step.pane >= 0 ? step.pane : 0];
        CTabDockingWindow& pane = m_panes[step.pane >= 0 ? step.pane : 0];
        switch (step.kind) {
        case RestoreStep::kApply:
        case RestoreStep::kApplyHidden:
            pane.SetPlacement(record);
            break;
        case RestoreStep::kApplyPinned:
            record.floating = docking::DockRect{0, 0, 0, 0};
            record.docked = 0;
            record.visible = 0;
            pane.SetPlacement(record);
            break;
        case RestoreStep::kDockFirst:
            record.visible = 1;
            record.request.host = nullptr;
            pane.SetPlacement(record);
            break;
        case RestoreStep::kDockOnto:
            record.visible = 1;
            record.request.host = m_panes[step.host].m_hWnd;
            pane.SetPlacement(record);
            break;
        case RestoreStep::kShowPage: {
            HWND last = m_panes[step.host].m_hWnd;
            if (docking::IsDockingBox(last)) {
                docking::DockingRequest show;
                show.code = docking::kShowPane;
                show.pane = m_panes[step.pane].m_hWnd;
                show.host = last;
                docking::SendRequest(last, show);
            }
            break;
        }
        case RestoreStep::kAutoHideBatch:
            if (step.afterShow) {
                m_pendingAutoHide = step;
                m_hasPendingAutoHide = true;
            } else {
                m_pendingAutoHide = step;
                SendPendingAutoHide();
            }
            break;
        }
    }
}

void CMainFrame::SendPendingAutoHide() {
    const RestoreStep& step = m_pendingAutoHide;
    m_hasPendingAutoHide = false;
    if (step.batch.empty())
        return;
    std::vector<docking::WindowHandle> list;
    for (int pane : step.batch)
        list.push_back(m_panes[pane].m_hWnd);
    docking::SendAutoHide(m_hWnd, m_panes[step.pane].m_hWnd, step.flags, step.barSize, false,
                          static_cast<int32_t>(list.size()),
                          list.size() > 1 ? list.data() : nullptr);
}

void CMainFrame::StoreSplitterPos() {
    if (!m_splitter.m_hWnd || (m_viewMode != 1 && m_viewMode != 2))
        return;
    if (m_splitter.SinglePaneMode() >= 0 || m_splitter.ClientHeight() <= 0)
        return;
    const int pos = m_splitter.ClientHeight() - m_splitter.BarPosition();
    (m_viewMode == 1 ? m_settings.filmstripSplitterPos : m_settings.thumbnailSplitterPos) = pos;
}

void CMainFrame::SetViewMode(int mode) {
    if (mode == m_viewMode || mode < 1 || mode > 3 || !m_list.m_hWnd)
        return;
    StoreSplitterPos();
    const CAppOptions& options = g_applicationState.Options();
    DockingPlacement& contents = m_settings.panes[kContents];
    if (mode == 1 || mode == 2) {
        if (m_panes[kContents].m_hWnd && m_panes[kContents].IsVisible()) {
            m_panes[kContents].GetPlacement(contents);
            contents.visible = 0;
            m_panes[kContents].SetPlacement(contents);
        }
        if (::GetParent(m_list.m_hWnd) != m_splitter.m_hWnd)
            ::SetParent(m_list.m_hWnd, m_splitter.m_hWnd);
        m_list.SetBackgroundColor(options.explorerThumbnailBackgroundColor);
        m_splitter.SetPanes(m_preview.m_hWnd, m_list.m_hWnd);
        if (m_settings.showPreview) {
            m_splitter.SetSinglePaneMode(-1);
        } else {
            m_splitter.SetSinglePaneMode(1);
            m_splitter.SetActivePane(1);
        }
        const int pos =
            mode == 1 ? m_settings.filmstripSplitterPos : m_settings.thumbnailSplitterPos;
        m_splitter.SetBarPosition(m_splitter.ClientHeight() - pos);
        m_splitter.SetActivePane(1);
    } else {
        ::ShowWindow(m_list.m_hWnd, SW_HIDE);
        m_panes[kContents].SetClient(m_list.m_hWnd);
        contents.visible = 1;
        m_panes[kContents].SetPlacement(contents);
        m_splitter.SetSinglePaneMode(0);
        m_list.ResizeListColumn();
        m_list.SetBackgroundColor(RGB(255, 255, 255));
        ::ShowWindow(m_list.m_hWnd, SW_SHOW);
    }
    m_viewMode = mode;
    m_list.SetViewMode(mode);
    if (mode == 3)
        m_list.ResizeListColumn();
    if (::IsWindowVisible(m_list.m_hWnd) && ::IsWindowVisible(m_hWnd))
        ::SetFocus(m_list.m_hWnd);
}

void CMainFrame::SaveSettings() {
    if (!m_hWnd)
        return;
    StoreSplitterPos();
    HKEY key = OpenSettingsKey();
    if (!key)
        return;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    m_settings.window = Rect{window.left, window.top, window.right, window.bottom};
    m_settings.maximized = ::IsZoomed(m_hWnd) != FALSE;
    m_settings.viewMode = m_viewMode;
    for (int pane = 0; pane < kPaneCount; ++pane) {
        CTabDockingWindow& w = m_panes[pane];
        DockingPlacement& record = m_settings.panes[pane];
        const bool hostShown = w.Host() && ::IsWindowVisible(w.Host());
        if (w.IsVisible() || (w.IsDocked() && hostShown))
            w.GetPlacement(record);
        else
            record.visible = 0;
        if (record.docked) {
            HWND host = ::GetParent(w.m_hWnd);
            if (host && docking::IsDockingBox(host) && host != m_hWnd) {
                // A page of a shown box is shown, whether or not it is the
                // page on top; bit 1 tells which page that is.
                if (hostShown)
                    record.visible |= kVisibleShown;
                if (::IsWindowVisible(w.m_hWnd))
                    record.visible |= kVisibleBoxPage;
                else
                    record.visible &= ~kVisibleBoxPage;
            }
        }
    }
    for (const StoredValue& v : SettingsValues(m_settings)) {
        const DWORD value = v.value;
        RegSetValueExA(key, v.name.c_str(), 0, v.binary ? REG_BINARY : REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
    RegCloseKey(key);
}

bool CMainFrame::SelectPath(const char* path) {
    if (!path || !*path)
        return false;
    const std::string normalized = path_parts::Normalized(path);
    if (!m_tree.m_hWnd ||
        !m_tree.SelectItemSource(kTreeShellFolder, reinterpret_cast<uintptr_t>(normalized.c_str())))
        return false;
    CFileItemList* list = m_list.ItemSource();
    if (list && !PathIsDirectoryA(normalized.c_str())) {
        const int index = list->FindPath(normalized.c_str());
        if (index >= 0) {
            ::SetFocus(m_list.m_hWnd);
            m_list.ClearSelection();
            SelectListItem(index);
        }
    }
    return true;
}

bool CMainFrame::ShowItem(int index, CFileItemList* list) {
    if (!list)
        return false;
    if (list->IsFolderList()) {
        char path[MAX_PATH] = "";
        if (!list->GetItemPath(index < 0 ? 0 : index, path) || !SelectPath(path)) {
            if (!SelectPath(list->GetFolder()))
                return false;
        }
    } else {
        // The tree takes a list's source as the list holds it: an archive
        // location, a favorites folder id or a search-result number.
        const uintptr_t source = list->IsArchiveList()
                                     ? reinterpret_cast<uintptr_t>(list->GetArchiveLocation())
                                     : list->GetKeyValue();
        if (!m_tree.m_hWnd || !m_tree.SelectItemSource(list->GetKind(), source)) {
            ShowMessageBox("Can't open path", "Velmorantix XP", MB_OK | MB_ICONERROR);
            return false;
        }
    }
    ::SetFocus(m_list.m_hWnd);
    m_list.ClearSelection();
    if (index >= 0 && m_list.ItemCount() > 0)
        SelectListItem(std::min(index, m_list.ItemCount() - 1));
    return true;
}

void CMainFrame::RefreshIfCurrentImage(const char* path) {
    CImageObject* document = GetDocument();
    if (document && path && lstrcmpiA(document->path, path) == 0)
        RefreshPanes(false);
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_addressBar)
        ::SendMessageA(m_addressBar, CBEM_SETIMAGELIST, 0, 0);
    if (m_filterRegistered) {
        if (CMessageLoop* loop = g_module.GetMessageLoop()) {
            loop->RemoveMessageFilter(this);
            loop->RemoveIdleHandler(this);
        }
        m_filterRegistered = false;
    }
    m_tree.StopAllWatches();
    CloseFindDialog();
    EndTwainSession();
    if (CImageObject* document = GetDocument()) {
        (void)document;
        m_preview.SetImage(nullptr, false, false, nullptr);
    }
    // The panes are owned popups: they go with the frame, and their clients
    // with them.
    handled = FALSE;
    return 0;
}

LRESULT CMainFrame::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) {
        if (!g_applicationState.SetActiveFrame(true, nullptr)) {
            g_applicationState.WithViewerList([](std::vector<CImageFrame*>& viewers) {
                for (CImageFrame* viewer : viewers)
                    viewer->m_active = false;
            });
        }
        m_active = true;
        ReloadIfChangedOnDisk();
    } else if (LOWORD(wParam) == WA_INACTIVE) {
        m_active = false;
    }
    handled = FALSE;
    return 0;
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    PromptSaveChanges();
    SaveSettings();
    g_applicationState.CloseExplorer(false);
    return 0;
}

void CMainFrame::OnFinalMessage(HWND) {
    g_applicationState.OnExplorerDestroyed(this);
}
