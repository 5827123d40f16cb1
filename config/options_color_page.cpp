#include "config/options_color_page.h"

#include "app/application_state.h"
#include "config/logic/option_rules.h"

namespace {

struct ColorOption {
    int id;
    uint32_t CAppOptions::*field;
    COLORREF defaultColour;
};

const ColorOption kColors[COptionsColorPage::kButtonCount] = {
    {IDC_OPT_COLOR_PREVIEW, &CAppOptions::explorerPreviewBackgroundColor, 0xC09E7D},
    {IDC_OPT_COLOR_THUMBNAIL, &CAppOptions::explorerThumbnailBackgroundColor, 0xDBC8B5},
    {IDC_OPT_COLOR_VIEWER, &CAppOptions::viewerBackgroundClr, 0xC09E7D},
    {IDC_OPT_COLOR_FOLDER_THUMBNAIL, &CAppOptions::folderPreviewThumbnailColor, 0xE1FFFF},
    {IDC_OPT_COLOR_FOLDER_FRAME, &CAppOptions::folderPreviewFrameColor, 0xE1FFFF},
    {IDC_OPT_COLOR_CAPTION, &CAppOptions::slideShowCaptionColor, 0x0000FF},
};

config_rules::ColorSet ColorsOf(const CAppOptions& o) {
    return {o.explorerPreviewBackgroundColor, o.explorerThumbnailBackgroundColor,
            o.viewerBackgroundClr, o.folderPreviewThumbnailColor, o.folderPreviewFrameColor};
}

} // namespace

LRESULT COptionsColorPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i].SubclassWindow(GetDlgItem(kColors[i].id));
        buttons[i].colour = options.*kColors[i].field;
        buttons[i].defaultColour = kColors[i].defaultColour;
    }
    m_filled = true;
    return TRUE;
}

LRESULT COptionsColorPage::OnColorChanged(int, LPNMHDR, BOOL&) {
    if (m_filled)
        SetModified();
    return 0;
}

LRESULT COptionsColorPage::OnReflect(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    return UiReflectNotifications(m_hWnd, uMsg, wParam, lParam, bHandled);
}

BOOL COptionsColorPage::OnApply() {
    CAppOptions& options = g_applicationState.Options();
    const config_rules::ColorSet before = ColorsOf(options);
    for (int i = 0; i < kButtonCount; ++i)
        options.*kColors[i].field = buttons[i].ShownColour();
    const config_rules::ColorCodes codes = config_rules::ColorPageCodes(before, ColorsOf(options));
    for (uint32_t code : codes.toExplorer)
        m_host.NotifyExplorer(code);
    for (uint32_t code : codes.toViewers)
        m_host.NotifyViewers(code);
    g_applicationState.SaveOptions();
    return TRUE;
}
