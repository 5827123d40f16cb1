#include "config/options_slide_show_page.h"

#include <cstdio>
#include <string>

#include "app/application_state.h"
#include "config/logic/option_rules.h"
#include "ui/data_exchange.h"
#include "viewer/viewer_dialogs.h"

LRESULT COptionsSlideShowPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    CheckDlgButton(IDC_OPT_SLIDE_CAPTION, options.slideShowCaption ? BST_CHECKED : BST_UNCHECKED);
    int sequence = options.slideShowSequence <= 2 ? int(options.slideShowSequence) : 0;
    uiddx::Radio(m_hWnd, IDC_OPT_SLIDE_FORWARD, sequence, FALSE);
    CheckDlgButton(IDC_OPT_SLIDE_REPEAT, options.slideShowRepeat ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_OPT_SLIDE_DELAY,
                   config_rules::FormatSlideShowDelay(options.slideShowDelay).c_str());
    EnableRepeat();
    m_filled = true;
    return TRUE;
}

int COptionsSlideShowPage::Sequence() const {
    int sequence = 0;
    uiddx::Radio(m_hWnd, IDC_OPT_SLIDE_FORWARD, sequence, TRUE);
    return sequence;
}

void COptionsSlideShowPage::EnableRepeat() {
    ::EnableWindow(GetDlgItem(IDC_OPT_SLIDE_REPEAT), Sequence() != 2);
}

LRESULT COptionsSlideShowPage::OnSequence(WORD, WORD, HWND, BOOL&) {
    EnableRepeat();
    return 0;
}

BOOL COptionsSlideShowPage::OnApply() {
    char text[64] = "";
    GetDlgItemText(IDC_OPT_SLIDE_DELAY, text, sizeof(text));
    uint32_t delay = 0;
    switch (config_rules::ParseSlideShowDelay(text, &delay)) {
    case config_rules::DelayParse::kNotANumber:
        viewer_dialogs::RejectNotANumber(m_hWnd, IDC_OPT_SLIDE_DELAY);
        return FALSE;
    case config_rules::DelayParse::kOutOfRange: {
        char format[128], message[192];
        viewer_dialogs::LoadResourceString(IDS_SLIDE_DELAY_RANGE, format, sizeof(format));
        std::snprintf(message, sizeof(message), format, config_rules::kMinSlideShowDelayMs / 1000.0,
                      config_rules::kMaxSlideShowDelayMs / 1000.0);
        viewer_dialogs::ShowRangeError(m_hWnd, IDC_OPT_SLIDE_DELAY, message);
        return FALSE;
    }
    case config_rules::DelayParse::kOk:
        break;
    }
    CAppOptions& options = g_applicationState.Options();
    options.slideShowCaption = IsDlgButtonChecked(IDC_OPT_SLIDE_CAPTION) == BST_CHECKED;
    const int sequence = Sequence();
    if (sequence >= 0)
        options.slideShowSequence = uint32_t(sequence);
    options.slideShowRepeat = IsDlgButtonChecked(IDC_OPT_SLIDE_REPEAT) == BST_CHECKED;
    options.slideShowDelay = delay;
    g_applicationState.SaveOptions();
    return TRUE;
}
