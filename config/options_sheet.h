// The Options sheet: six pages in a modal property sheet titled "Options".
// Each page reads the options when it is first shown and writes them when
// the sheet applies (OK or Apply); pages never shown take no part. Cancel
// leaves the options as they were (the thumbnail database, which "Delete
// Thumbnails..." empties at once, excepted).
#pragma once

#include <windows.h>

#include "config/config_host.h"
#include "config/options_color_page.h"
#include "config/options_explorer_page.h"
#include "config/options_image_formats_page.h"
#include "config/options_slide_show_page.h"
#include "config/options_system_page.h"
#include "config/options_viewer_page.h"
#include "ui/property_sheet.h"

class COptionsSheet : public CPropertySheet {
public:
    // Opens on the Viewer page when a viewer is the active frame, else on
    // the Explorer page; that page centres the sheet over its owner.
    COptionsSheet(bool viewerActive, IConfigHost& host);

    COptionsExplorerPage explorerPage;
    COptionsViewerPage viewerPage;
    COptionsSlideShowPage slideShowPage;
    COptionsImageFormatsPage imageFormatsPage;
    COptionsColorPage colorPage;
    COptionsSystemPage systemPage;
};
