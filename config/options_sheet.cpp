#include "config/options_sheet.h"

COptionsSheet::COptionsSheet(bool viewerActive, IConfigHost& host)
    : CPropertySheet("Options", viewerActive ? 1 : 0), explorerPage(host), colorPage(host),
      systemPage(host) {
    explorerPage.centerSheet = !viewerActive;
    viewerPage.centerSheet = viewerActive;
    AddPage(explorerPage);
    AddPage(viewerPage);
    AddPage(slideShowPage);
    AddPage(imageFormatsPage);
    AddPage(colorPage);
    AddPage(systemPage);
}
