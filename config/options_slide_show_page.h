// The Options sheet's Slide Show page: caption, sequence, repeat and delay.
// The full-screen choice belongs to the Slide Show dialog of the viewer and
// is left as it is here.
#pragma once

#include <windows.h>

#include "config/options_page.h"
#include "resources/resource.h"

class COptionsSlideShowPage : public COptionsPage<COptionsSlideShowPage> {
public:
    enum { IDD = IDD_OPTIONS_SLIDE_SHOW };

    BEGIN_MSG_MAP(COptionsSlideShowPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsSlideShowPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_RANGE_HANDLER(IDC_OPT_SLIDE_FORWARD, IDC_OPT_SLIDE_RANDOM, OnSequence)
    END_MSG_MAP()

    // The delay (0.1 to 1000 seconds) is checked first; then the options are
    // written (the delay in whole milliseconds) and saved.
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSequence(WORD, WORD, HWND, BOOL&);
    int Sequence() const;
    // Repeat means nothing in random order.
    void EnableRepeat();
};
