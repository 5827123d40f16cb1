#include "config/options_viewer_page.h"

#include "app/application_state.h"
#include "ui/data_exchange.h"

namespace {

const OptionCheck kChecks[] = {
    {IDC_OPT_VIEWER_FULLSCREEN, &CAppOptions::viewerFullscreen},
    {IDC_OPT_VIEWER_FULLSCREEN_MENU, &CAppOptions::viewerFullscreenShowMenu},
    {IDC_OPT_VIEWER_SAVE_CONFIRM, &CAppOptions::viewerSaveConfirmation},
    {IDC_OPT_VIEWER_CONFIRM_DELETE, &CAppOptions::viewerConfirmDeletion},
    {IDC_OPT_VIEWER_CLOSE_RETURN, &CAppOptions::viewerCloseReturnExplorer},
    {IDC_OPT_VIEWER_RESIZE_FIT, &CAppOptions::viewerResizeFitImage},
    {IDC_OPT_VIEWER_REPEAT, &CAppOptions::viewerRepeat},
};

} // namespace

LRESULT COptionsViewerPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    ShowOptionChecks(m_hWnd, kChecks, options);
    int doubleClick = options.viewerMouseLDblClk ? 1 : 0;
    int wheel = options.viewerMouseWheel <= 2 ? int(options.viewerMouseWheel) : 0;
    uiddx::Radio(m_hWnd, IDC_OPT_DBLCLK_NEXT, doubleClick, FALSE);
    uiddx::Radio(m_hWnd, IDC_OPT_WHEEL_BROWSE, wheel, FALSE);
    if (centerSheet)
        CenterSheet();
    m_filled = true;
    return TRUE;
}

BOOL COptionsViewerPage::OnApply() {
    CAppOptions& options = g_applicationState.Options();
    TakeOptionChecks(m_hWnd, kChecks, options);
    int doubleClick = 0, wheel = 0;
    uiddx::Radio(m_hWnd, IDC_OPT_DBLCLK_NEXT, doubleClick, TRUE);
    uiddx::Radio(m_hWnd, IDC_OPT_WHEEL_BROWSE, wheel, TRUE);
    // A group with no button checked keeps the option as it was.
    if (doubleClick >= 0)
        options.viewerMouseLDblClk = uint32_t(doubleClick);
    if (wheel >= 0)
        options.viewerMouseWheel = uint32_t(wheel);
    g_applicationState.SaveOptions();
    return TRUE;
}
