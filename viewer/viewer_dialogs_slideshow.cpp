// The Slide Show options dialog.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/application_state.h"
#include "viewer/viewer_dialogs.h"

using viewer_dialogs::ParseDecimal;
using viewer_dialogs::RejectNotANumber;

namespace {

const char* const kPlayEntries[3] = {"Current folder only", "Current folder and subfolder(s)",
                                     "Subfolder(s) only"};

int CheckOf(int stored) {
    return stored == 1 ? BST_CHECKED : BST_UNCHECKED;
}

} // namespace

CSlideShowOptionsDialog::CSlideShowOptionsDialog() {
    const CAppOptions& options = g_applicationState.Options();
    playScope = (int)options.slideShowPlay;
    sequence = (int)options.slideShowSequence;
    repeat = options.slideShowRepeat ? 1 : 0;
    fullScreen = options.slideShowFullscreen ? 1 : 0;
    caption = options.slideShowCaption ? 1 : 0;
    delay = options.slideShowDelay * 0.001;
    backgroundColor = options.viewerBackgroundClr;
    captionColor = options.slideShowCaptionColor;
}

LRESULT CSlideShowOptionsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    int shown = sequence >= 0 && sequence <= 2 ? sequence : 0;
    CheckRadioButton(m_hWnd, IDC_SLIDE_FORWARD, IDC_SLIDE_RANDOM, IDC_SLIDE_FORWARD + shown);
    CheckDlgButton(IDC_SLIDE_REPEAT, CheckOf(repeat));
    CheckDlgButton(IDC_SLIDE_FULLSCREEN, CheckOf(fullScreen));
    CheckDlgButton(IDC_SLIDE_CAPTION, CheckOf(caption));

    char text[64];
    std::snprintf(text, sizeof(text), "%.*g", 15, delay);
    SetDlgItemText(IDC_SLIDE_DELAY, text);

    // Each entry remembers its scope, so that a list with an entry left out
    // still stores the scope that the user saw.
    HWND list = GetDlgItem(IDC_SLIDE_PLAY);
    int selected = -1;
    int last = -1;
    for (int scope = 0; scope < 3; ++scope) {
        if (!playAvailable[scope])
            continue;
        int item = (int)::SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)kPlayEntries[scope]);
        if (item < 0)
            continue;
        ::SendMessageA(list, CB_SETITEMDATA, item, scope);
        last = item;
        if (scope <= playScope)
            selected = item;
    }
    if (selected < 0)
        selected = last < 0 ? -1 : 0;
    ::SendMessageA(list, CB_SETCURSEL, selected, 0);

    backgroundButton.SubclassWindow(GetDlgItem(IDC_SLIDE_BACKGROUND));
    backgroundButton.colour = backgroundColor;
    backgroundButton.defaultColour = kDefaultBackground;
    captionButton.SubclassWindow(GetDlgItem(IDC_SLIDE_CAPTION_COLOR));
    captionButton.colour = captionColor;
    captionButton.defaultColour = kDefaultCaptionColor;
    EnableRepeat();
    return TRUE;
}

int CSlideShowOptionsDialog::ReadSequence() const {
    if (IsDlgButtonChecked(IDC_SLIDE_RANDOM) == BST_CHECKED)
        return 2;
    if (IsDlgButtonChecked(IDC_SLIDE_BACKWARD) == BST_CHECKED)
        return 1;
    return 0;
}

void CSlideShowOptionsDialog::EnableRepeat() {
    ::EnableWindow(GetDlgItem(IDC_SLIDE_REPEAT), ReadSequence() != 2);
}

LRESULT CSlideShowOptionsDialog::OnButtonClicked(WORD, WORD, HWND, BOOL& handled) {
    EnableRepeat();
    handled = FALSE; // the click also gets its normal processing
    return 0;
}

LRESULT CSlideShowOptionsDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int newSequence = ReadSequence();
    int newRepeat = IsDlgButtonChecked(IDC_SLIDE_REPEAT) == BST_CHECKED ? 1 : 0;
    int newFullScreen = IsDlgButtonChecked(IDC_SLIDE_FULLSCREEN) == BST_CHECKED ? 1 : 0;
    int newCaption = IsDlgButtonChecked(IDC_SLIDE_CAPTION) == BST_CHECKED ? 1 : 0;

    char text[32];
    GetDlgItemText(IDC_SLIDE_DELAY, text, sizeof(text));
    double seconds = 0.0;
    if (!ParseDecimal(text, &seconds)) {
        RejectNotANumber(m_hWnd, IDC_SLIDE_DELAY);
        return 0;
    }
    if (seconds < kSlideShowMinDelay || seconds > kSlideShowMaxDelay) {
        char format[256];
        char message[320];
        viewer_dialogs::LoadResourceString(IDS_SLIDE_DELAY_RANGE, format, sizeof(format));
        std::snprintf(message, sizeof(message), format, kSlideShowMinDelay, kSlideShowMaxDelay);
        viewer_dialogs::ShowRangeError(m_hWnd, IDC_SLIDE_DELAY, message);
        return 0;
    }

    HWND list = GetDlgItem(IDC_SLIDE_PLAY);
    int item = (int)::SendMessageA(list, CB_GETCURSEL, 0, 0);
    int newScope = item >= 0 ? (int)::SendMessageA(list, CB_GETITEMDATA, item, 0) : playScope;

    sequence = newSequence;
    repeat = newRepeat;
    fullScreen = newFullScreen;
    caption = newCaption;
    delay = seconds;
    playScope = newScope;
    captionColor = captionButton.colour;

    CAppOptions& options = g_applicationState.Options();
    options.slideShowFullscreen = fullScreen == 1;
    options.slideShowCaption = caption == 1;
    // To the nearest millisecond: truncating would store 1.001 s as 1000 ms,
    // since 1.001 has no exact binary form.
    options.slideShowDelay = (uint32_t)std::floor(seconds * 1000.0 + 0.5);
    options.slideShowSequence = (uint32_t)sequence;
    options.slideShowRepeat = repeat == 1;
    options.slideShowPlay = (uint32_t)playScope;
    options.slideShowCaptionColor = captionColor;
    g_applicationState.SaveOptions();
    EndDialog(IDOK);
    return 0;
}

LRESULT CSlideShowOptionsDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
