#include "config/options_explorer_page.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "config/logic/option_rules.h"
#include "tools/folder_browse.h"
#include "viewer/viewer_dialogs.h"

namespace {

const OptionCheck kChecks[] = {
    {IDC_OPT_EXPLORER_SAVE_CONFIRM, &CAppOptions::explorerSaveConfirmation},
    {IDC_OPT_EXPLORER_BATCH_CONFIRM, &CAppOptions::explorerBatchProcessedSaveConfirmation},
    {IDC_OPT_EXPLORER_CONFIRM_DELETE, &CAppOptions::explorerConfirmDeletion},
    {IDC_OPT_EXPLORER_DETECT_DEVICE, &CAppOptions::explorerDetectNewDevice},
    {IDC_OPT_THUMB_CACHE, &CAppOptions::explorerThumbnailCache},
    {IDC_OPT_PREVIEW_ACTIVATE, &CAppOptions::folderPreviewActivate},
    {IDC_OPT_PREVIEW_CTRL, &CAppOptions::folderPreviewCtrlActivate},
};

// The numbers of the page, in the order they are checked.
struct NumberField {
    int id;
    uint32_t CAppOptions::*field;
    int low, high;
    UINT rangeMessage;
};

const NumberField kNumbers[] = {
    {IDC_OPT_THUMB_WIDTH, &CAppOptions::explorerThumbnailWidth, kThumbnailMinSize,
     kThumbnailMaxSize, IDS_THUMBNAIL_RANGE},
    {IDC_OPT_THUMB_HEIGHT, &CAppOptions::explorerThumbnailHeight, kThumbnailMinSize,
     kThumbnailMaxSize, IDS_THUMBNAIL_RANGE},
    {IDC_OPT_THUMB_XSPACE, &CAppOptions::explorerThumbnailXSpace, 0, kThumbnailMaxSpacing,
     IDS_VALUE_RANGE},
    {IDC_OPT_THUMB_YSPACE, &CAppOptions::explorerThumbnailYSpace, 0, kThumbnailMaxSpacing,
     IDS_VALUE_RANGE},
    {IDC_OPT_PREVIEW_HOVER, &CAppOptions::folderPreviewHoverTime, 0, kFolderPreviewMaxHoverMs,
     IDS_VALUE_RANGE},
    {IDC_OPT_PREVIEW_COUNT, &CAppOptions::folderPreviewThumbnails, kFolderPreviewMinCount,
     kFolderPreviewMaxCount, IDS_VALUE_RANGE},
};

config_rules::ThumbnailLayout LayoutOf(const CAppOptions& o) {
    return {o.explorerThumbnailWidth, o.explorerThumbnailHeight, o.explorerThumbnailXSpace,
            o.explorerThumbnailYSpace, o.folderPreviewThumbnails};
}

std::string ItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    std::string text(size_t(::GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(size_t(::GetWindowTextA(item, &text[0], int(text.size()))));
    return text;
}

} // namespace

LRESULT COptionsExplorerPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    ShowOptionChecks(m_hWnd, kChecks, options);
    SetDlgItemText(IDC_OPT_HOME_FOLDER, options.explorerHomeFolder);
    SendDlgItemMessageA(m_hWnd, IDC_OPT_PREVIEW_COUNT_SPIN, UDM_SETRANGE32, kFolderPreviewMinCount,
                        kFolderPreviewMaxCount);
    for (const NumberField& n : kNumbers)
        SetDlgItemInt(n.id, options.*n.field, FALSE);
    if (centerSheet)
        CenterSheet();
    m_filled = true;
    return TRUE;
}

LRESULT COptionsExplorerPage::OnBrowse(WORD, WORD, HWND, BOOL&) {
    std::string folder = ItemText(m_hWnd, IDC_OPT_HOME_FOLDER);
    if (BrowseForFolder(GetPropertySheet(), "Home folder", &folder))
        SetDlgItemText(IDC_OPT_HOME_FOLDER, folder.c_str());
    return 0;
}

LRESULT COptionsExplorerPage::OnUseDefault(WORD, WORD, HWND, BOOL&) {
    char folder[MAX_PATH] = "";
    if (GetSpecialFolder(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, folder))
        SetDlgItemText(IDC_OPT_HOME_FOLDER, folder);
    return 0;
}

LRESULT COptionsExplorerPage::OnDeleteThumbnails(WORD, WORD, HWND, BOOL&) {
    if (ShowMessageBox("Delete all thumbnails in the Application Data Folder?", "Delete Thumbnails",
                       MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
        m_host.ResetThumbnailDatabase();
    return 0;
}

BOOL COptionsExplorerPage::OnApply() {
    const std::string home = ItemText(m_hWnd, IDC_OPT_HOME_FOLDER);
    if (home.size() >= kOptionTextSize) {
        viewer_dialogs::RejectNotANumber(m_hWnd, IDC_OPT_HOME_FOLDER);
        return FALSE;
    }
    // A home folder that is not there would be dropped for the default at
    // the next start without a word; say so now instead.
    if (!::PathIsDirectoryA(home.c_str())) {
        ShowMessageBox("Path does not exists!", kProductName, MB_OK | MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_OPT_HOME_FOLDER));
        return FALSE;
    }
    int values[sizeof(kNumbers) / sizeof(kNumbers[0])];
    for (size_t i = 0; i < sizeof(kNumbers) / sizeof(kNumbers[0]); ++i) {
        const NumberField& n = kNumbers[i];
        if (!viewer_dialogs::ReadIntField(m_hWnd, n.id, n.low, n.high, n.rangeMessage, &values[i]))
            return FALSE;
    }

    CAppOptions& options = g_applicationState.Options();
    const config_rules::ThumbnailLayout before = LayoutOf(options);
    TakeOptionChecks(m_hWnd, kChecks, options);
    lstrcpynA(options.explorerHomeFolder, home.c_str(), kOptionTextSize);
    for (size_t i = 0; i < sizeof(kNumbers) / sizeof(kNumbers[0]); ++i)
        options.*kNumbers[i].field = uint32_t(values[i]);
    for (uint32_t code : config_rules::ExplorerPageCodes(before, LayoutOf(options)))
        m_host.NotifyExplorer(code);
    g_applicationState.SaveOptions();
    return TRUE;
}
