// The Options sheet's Color page: six colour buttons for the explorer's
// preview and thumbnails, the viewer, the folder preview and the slide-show
// caption.
#pragma once

#include <windows.h>

#include "config/config_host.h"
#include "config/options_page.h"
#include "docking/color_button.h"
#include "resources/resource.h"

class COptionsColorPage : public COptionsPage<COptionsColorPage> {
public:
    enum { IDD = IDD_OPTIONS_COLOR };

    explicit COptionsColorPage(IConfigHost& host) : m_host(host) {}

    // In the order of the page: explorer preview and thumbnails, viewer,
    // folder-preview thumbnails and frame, caption.
    static constexpr int kButtonCount = 6;
    CColorButton buttons[kButtonCount];

    BEGIN_MSG_MAP(COptionsColorPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsColorPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    NOTIFY_CODE_HANDLER(CLRN_CHANGE, OnColorChanged)
    // The buttons draw and open their palettes from reflected messages.
    MESSAGE_HANDLER(WM_DRAWITEM, OnReflect)
    MESSAGE_HANDLER(WM_COMMAND, OnReflect)
    END_MSG_MAP()

    // Writes the six colours, tells the explorer and the viewers which of
    // theirs changed and saves the options (the caption colour is kept for
    // this run only).
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorChanged(int, LPNMHDR, BOOL&);
    LRESULT OnReflect(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    IConfigHost& m_host;
};
