// The Options sheet's Explorer page: confirmations, the home folder, the
// thumbnail size and spacing, the thumbnail cache and the folder preview.
#pragma once

#include <windows.h>

#include "config/config_host.h"
#include "config/options_page.h"
#include "resources/resource.h"

constexpr int kThumbnailMinSize = 50;
constexpr int kThumbnailMaxSize = 200;
constexpr int kThumbnailMaxSpacing = 100;
constexpr int kFolderPreviewMaxHoverMs = 2000;
constexpr int kFolderPreviewMinCount = 1;
constexpr int kFolderPreviewMaxCount = 10;

class COptionsExplorerPage : public COptionsPage<COptionsExplorerPage> {
public:
    enum { IDD = IDD_OPTIONS_EXPLORER };

    explicit COptionsExplorerPage(IConfigHost& host) : m_host(host) {}

    // Set on the page the sheet opens with: it centres the sheet.
    bool centerSheet = false;

    BEGIN_MSG_MAP(COptionsExplorerPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsExplorerPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_OPT_HOME_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDC_OPT_HOME_DEFAULT, OnUseDefault)
    COMMAND_ID_HANDLER(IDC_OPT_THUMB_DELETE, OnDeleteThumbnails)
    END_MSG_MAP()

    // Checks every field (the first bad one keeps the page, with its
    // message and the focus), writes the options, tells the explorer what
    // changed and saves the options.
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnUseDefault(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteThumbnails(WORD, WORD, HWND, BOOL&);

    IConfigHost& m_host;
};
