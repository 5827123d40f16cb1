#include "config/config_wizard.h"

#include "app/application_state.h"
#include "config/format_list.h"
#include "config/integration_choices.h"
#include "config/shortcuts.h"

namespace {

constexpr int kFormatColumnWidth = 250;

struct SystemBox {
    int id;
    int WizardChoices::*choice;
};

const SystemBox kSystemBoxes[] = {
    {IDC_SYSTEM_TRAY, &WizardChoices::trayIcon},
    {IDC_SYSTEM_START_MENU, &WizardChoices::startMenuShortcut},
    {IDC_SYSTEM_DESKTOP, &WizardChoices::desktopShortcut},
    {IDC_SYSTEM_QUICK_LAUNCH, &WizardChoices::quickLaunchShortcut},
};

} // namespace

CWizardHeading::~CWizardHeading() {
    if (m_font != NULL)
        ::DeleteObject(m_font);
}

void CWizardHeading::Apply(HWND page) {
    HWND heading = ::GetDlgItem(page, IDC_WIZARD_HEADING);
    LOGFONTA face = {};
    HFONT pageFont = (HFONT)::SendMessageA(page, WM_GETFONT, 0, 0);
    if (heading == NULL || pageFont == NULL ||
        ::GetObjectA(pageFont, sizeof(face), &face) != sizeof(face))
        return;
    face.lfWeight = FW_BOLD;
    face.lfHeight = face.lfHeight * 3 / 2;
    if (m_font == NULL)
        m_font = ::CreateFontIndirectA(&face);
    if (m_font != NULL)
        ::SendMessageA(heading, WM_SETFONT, (WPARAM)m_font, TRUE);
}

LRESULT CWizardWelcomePage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_heading.Apply(m_hWnd);
    CenterSheet();
    return TRUE;
}

BOOL CWizardWelcomePage::OnSetActive() {
    SetWizardButtons(PSWIZB_NEXT);
    return TRUE;
}

LRESULT CWizardFormatsPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    format_list::Fill(GetDlgItem(IDC_FORMAT_LIST), kFormatColumnWidth, [](int) { return true; });
    return TRUE;
}

LRESULT CWizardFormatsPage::OnSelectAll(WORD, WORD, HWND, BOOL&) {
    format_list::SetAll(GetDlgItem(IDC_FORMAT_LIST), true);
    return 0;
}

LRESULT CWizardFormatsPage::OnRemoveAll(WORD, WORD, HWND, BOOL&) {
    format_list::SetAll(GetDlgItem(IDC_FORMAT_LIST), false);
    return 0;
}

BOOL CWizardFormatsPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

int CWizardFormatsPage::OnWizardNext() {
    HWND list = GetDlgItem(IDC_FORMAT_LIST);
    for (int row = 0; row < config_rules::kImageFormatRowCount; ++row)
        m_choices.formats[row] = format_list::IsChecked(list, row);
    return 0;
}

BOOL CWizardSystemPage::OnSetActive() {
    for (const SystemBox& box : kSystemBoxes) {
        int& choice = m_choices.*box.choice;
        if (choice < 0 || choice > 2)
            choice = 0;
        CheckDlgButton(box.id, UINT(choice));
    }
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return TRUE;
}

int CWizardSystemPage::OnWizardNext() {
    for (const SystemBox& box : kSystemBoxes)
        m_choices.*box.choice = IsDlgButtonChecked(box.id) == BST_CHECKED ? 1 : 0;
    return 0;
}

LRESULT CWizardCompletePage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_heading.Apply(m_hWnd);
    return TRUE;
}

BOOL CWizardCompletePage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return TRUE;
}

BOOL CWizardCompletePage::OnWizardFinish() {
    ApplyWizardChoices(m_choices, m_host);
    return TRUE;
}

CConfigWizard::CConfigWizard(IConfigHost& host)
    : formatsPage(choices), systemPage(choices), completePage(choices, host) {
    SetWizardMode();
    for (bool& format : choices.formats)
        format = true;
    AddPage(welcomePage);
    AddPage(formatsPage);
    AddPage(systemPage);
    AddPage(completePage);
}

void ApplyWizardChoices(const WizardChoices& choices, IConfigHost& host) {
    ApplyTrayIconChoice(host, choices.trayIcon == 1);
    ApplyShortcutChoice(choices.desktopShortcut == 1, DesktopShortcutExists, CreateDesktopShortcut,
                        DeleteDesktopShortcut);
    ApplyShortcutChoice(choices.startMenuShortcut == 1, StartMenuShortcutExists,
                        CreateStartMenuShortcut, DeleteStartMenuShortcut);
    ApplyShortcutChoice(choices.quickLaunchShortcut == 1, QuickLaunchShortcutExists,
                        CreateQuickLaunchShortcut, DeleteQuickLaunchShortcut);
    for (int row = 0; row < config_rules::kImageFormatRowCount; ++row)
        ApplyAssociationChoice(config_rules::kImageFormatRows[row].type, choices.formats[row]);
    g_applicationState.SaveOptions();
}
