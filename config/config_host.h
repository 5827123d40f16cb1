// What the option pages and the wizard ask of the running program besides
// the option fields of g_applicationState: telling the open windows, the
// tray icon and the thumbnail cache. The program's top implements it over
// the application object; tests stand in for the windows.
#pragma once

#include <cstdint>

class IConfigHost {
public:
    virtual ~IConfigHost() = default;
    // The registered "OptionsChanged" with `code` (lParam 0) to the explorer
    // window, only when one exists.
    virtual void NotifyExplorer(uint32_t code) = 0;
    // The same to every viewer window.
    virtual void NotifyViewers(uint32_t code) = 0;
    // The tray icon for the hidden window, and the application's record of
    // whether it is shown.
    virtual void AddTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    virtual bool TrayIconShown() = 0;
    // Empties the thumbnail database at once (the thumbnail worker waits).
    virtual void ResetThumbnailDatabase() = 0;
};
