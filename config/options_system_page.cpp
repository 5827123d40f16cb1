#include "config/options_system_page.h"

#include "app/application_state.h"
#include "config/context_menu_options.h"
#include "config/integration_choices.h"
#include "config/shortcuts.h"

namespace {

struct ShortcutBox {
    int id;
    BOOL (*exists)();
    HRESULT (*create)();
    void (*remove)();
};

const ShortcutBox kShortcuts[] = {
    {IDC_SYSTEM_START_MENU, StartMenuShortcutExists, CreateStartMenuShortcut,
     DeleteStartMenuShortcut},
    {IDC_SYSTEM_DESKTOP, DesktopShortcutExists, CreateDesktopShortcut, DeleteDesktopShortcut},
    {IDC_SYSTEM_QUICK_LAUNCH, QuickLaunchShortcutExists, CreateQuickLaunchShortcut,
     DeleteQuickLaunchShortcut},
};

struct MenuBox {
    int id;
    DWORD CContextMenuOptions::*field;
};

const MenuBox kMenuBoxes[] = {
    {IDC_OPT_MENU_BROWSE, &CContextMenuOptions::displayBrowse},
    {IDC_OPT_MENU_SUBFOLDER, &CContextMenuOptions::imageContextMenuItemsInSubfolder},
    {IDC_OPT_MENU_VIEW, &CContextMenuOptions::displayView},
    {IDC_OPT_MENU_PRINT, &CContextMenuOptions::displayPrint},
    {IDC_OPT_MENU_EMAIL, &CContextMenuOptions::displayEmail},
};

} // namespace

LRESULT COptionsSystemPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const bool tray = g_applicationState.Options().trayIcon && StartupShortcutExists();
    CheckDlgButton(IDC_SYSTEM_TRAY, tray ? BST_CHECKED : BST_UNCHECKED);
    for (const ShortcutBox& s : kShortcuts)
        CheckDlgButton(s.id, s.exists() ? BST_CHECKED : BST_UNCHECKED);
    CContextMenuOptions menu;
    menu.Load();
    for (const MenuBox& m : kMenuBoxes)
        CheckDlgButton(m.id, menu.*m.field ? BST_CHECKED : BST_UNCHECKED);
    m_filled = true;
    return TRUE;
}

BOOL COptionsSystemPage::OnApply() {
    CContextMenuOptions menu;
    for (const MenuBox& m : kMenuBoxes)
        menu.*m.field = IsDlgButtonChecked(m.id) == BST_CHECKED ? 1 : 0;
    menu.Save();
    ApplyTrayIconChoice(m_host, IsDlgButtonChecked(IDC_SYSTEM_TRAY) == BST_CHECKED);
    for (const ShortcutBox& s : kShortcuts)
        ApplyShortcutChoice(IsDlgButtonChecked(s.id) == BST_CHECKED, s.exists, s.create, s.remove);
    return TRUE;
}
