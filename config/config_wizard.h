// The first-run configuration wizard: four pages (welcome, image formats,
// desktop integration, done) in a modal wizard. Finish applies the choices:
// the tray icon and its start-up shortcut, the TrayIcon option, the desktop,
// Start Menu and Quick Launch shortcuts, the file associations, and then it
// saves the options. Cancel on any page applies nothing.
#pragma once

#include <windows.h>

#include "config/config_host.h"
#include "config/logic/option_rules.h"
#include "resources/resource.h"
#include "ui/property_sheet.h"

// What the pages choose, shared by all of them.
struct WizardChoices {
    int trayIcon = 1; // the tray icon, and the program starting with it at log-on
    int desktopShortcut = 1;
    int startMenuShortcut = 1;
    int quickLaunchShortcut = 1;
    // One per row of config_rules::kImageFormatRows; taken when the formats
    // page is left with Next.
    bool formats[config_rules::kImageFormatRowCount] = {};
};

// The heading of the first and the last page, in a larger bold face of the
// page's font; the page owns the font for its life.
class CWizardHeading {
public:
    ~CWizardHeading();
    void Apply(HWND page);

private:
    HFONT m_font = NULL;
};

// The wizard's pages share the picture at their left and the choices.
class CWizardWelcomePage : public CPropertyPageImpl<CWizardWelcomePage> {
public:
    enum { IDD = IDD_WIZARD_WELCOME };
    BEGIN_MSG_MAP(CWizardWelcomePage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    CHAIN_MSG_MAP(CPropertyPageImpl<CWizardWelcomePage>)
    END_MSG_MAP()
    BOOL OnSetActive();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    CWizardHeading m_heading;
};

class CWizardFormatsPage : public CPropertyPageImpl<CWizardFormatsPage> {
public:
    enum { IDD = IDD_WIZARD_FORMATS };
    explicit CWizardFormatsPage(WizardChoices& choices) : m_choices(choices) {}
    BEGIN_MSG_MAP(CWizardFormatsPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_FORMAT_SELECT_ALL, OnSelectAll)
    COMMAND_ID_HANDLER(IDC_FORMAT_REMOVE_ALL, OnRemoveAll)
    CHAIN_MSG_MAP(CPropertyPageImpl<CWizardFormatsPage>)
    END_MSG_MAP()
    BOOL OnSetActive();
    int OnWizardNext();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelectAll(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemoveAll(WORD, WORD, HWND, BOOL&);
    WizardChoices& m_choices;
};

class CWizardSystemPage : public CPropertyPageImpl<CWizardSystemPage> {
public:
    enum { IDD = IDD_WIZARD_SYSTEM };
    explicit CWizardSystemPage(WizardChoices& choices) : m_choices(choices) {}
    BEGIN_MSG_MAP(CWizardSystemPage)
    CHAIN_MSG_MAP(CPropertyPageImpl<CWizardSystemPage>)
    END_MSG_MAP()
    BOOL OnSetActive();
    int OnWizardNext();

private:
    WizardChoices& m_choices;
};

class CWizardCompletePage : public CPropertyPageImpl<CWizardCompletePage> {
public:
    enum { IDD = IDD_WIZARD_COMPLETE };
    CWizardCompletePage(WizardChoices& choices, IConfigHost& host)
        : m_choices(choices), m_host(host) {}
    BEGIN_MSG_MAP(CWizardCompletePage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    CHAIN_MSG_MAP(CPropertyPageImpl<CWizardCompletePage>)
    END_MSG_MAP()
    BOOL OnSetActive();
    BOOL OnWizardFinish();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    CWizardHeading m_heading;
    WizardChoices& m_choices;
    IConfigHost& m_host;
};

class CConfigWizard : public CPropertySheet {
public:
    // Every integration choice starts on; every format starts checked.
    explicit CConfigWizard(IConfigHost& host);

    WizardChoices choices;
    CWizardWelcomePage welcomePage;
    CWizardFormatsPage formatsPage;
    CWizardSystemPage systemPage;
    CWizardCompletePage completePage;
};

// Applies the choices as Finish does (tray icon, TrayIcon option,
// shortcuts, associations), then saves the options.
void ApplyWizardChoices(const WizardChoices& choices, IConfigHost& host);
