// The Options sheet's System page: the tray icon with its start-up shortcut,
// the three other shortcuts, and the shell extension's context-menu items.
#pragma once

#include <windows.h>

#include "config/config_host.h"
#include "config/options_page.h"
#include "resources/resource.h"

class COptionsSystemPage : public COptionsPage<COptionsSystemPage> {
public:
    enum { IDD = IDD_OPTIONS_SYSTEM };

    explicit COptionsSystemPage(IConfigHost& host) : m_host(host) {}

    BEGIN_MSG_MAP(COptionsSystemPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsSystemPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    END_MSG_MAP()

    // Writes the context-menu switches, makes the tray icon and the
    // shortcuts match their boxes and sets the TrayIcon option. The options
    // are not saved here.
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

    IConfigHost& m_host;
};
