// The Options sheet's Viewer page: full screen, confirmations, closing,
// fitting, repeating, and what a double-click and the mouse wheel do.
#pragma once

#include <windows.h>

#include "config/options_page.h"
#include "resources/resource.h"

class COptionsViewerPage : public COptionsPage<COptionsViewerPage> {
public:
    enum { IDD = IDD_OPTIONS_VIEWER };

    // Set on the page the sheet opens with: it centres the sheet.
    bool centerSheet = false;

    BEGIN_MSG_MAP(COptionsViewerPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsViewerPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    END_MSG_MAP()

    // Writes the options and saves them; the viewers read them as they go.
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
};
