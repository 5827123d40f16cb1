// Process-wide objects of the docking windows that exist before WinMain: the
// look settings every docking window shares, the two pin icons of the
// caption buttons and the registered "DockingBoxMessage-<pid>" message.
#pragma once

#include <windows.h>

// Bits of the look settings' flag word.
enum DockingLookFlag : DWORD {
    kDockFixedDragMode = 0x1, // the application chose the drag mode; the system is not asked
    kDockOutlineDrag = 0x2,   // drags move a ghost, the windows follow at the end
    kDockFullWindowDrag = 0x4 // drags move the windows live; the flyout slides
};

class CDockingSettings {
public:
    CDockingSettings();  // flags 0, then a refresh
    ~CDockingSettings(); // deletes the vertical font
    CDockingSettings(const CDockingSettings&) = delete;
    CDockingSettings& operator=(const CDockingSettings&) = delete;

    // Re-reads the drag mode (unless fixed), remakes the vertical font when
    // the stock GUI font changed, reloads the cursors and the colours.
    void Refresh();

    bool OutlineDrag() const { return (flags & kDockOutlineDrag) != 0; }
    bool FullWindowDrag() const { return (flags & kDockFullWindowDrag) != 0; }

    // The auto-hide strip's thickness measured on `hWnd`'s DC: the taller of
    // the two fonts or the small icon, plus 8.
    int AutoHideStripHeight(HWND hWnd) const;

    // Writes a caption or tab text into `rect`, ending in "..." when it does
    // not fit; vertical text runs downwards in the vertical font, which the
    // caller has selected. `length` -1 means the whole text. The caller's
    // text is never written to.
    static void DrawEllipsisText(HDC dc, const char* text, int length, const RECT& rect,
                                 bool horizontal);

    COLORREF lightFaceColour = 0;  // the auto-hide bars' background
    COLORREF dimmedTextColour = 0; // the auto-hide bars' text
    DWORD flags = 0;
    HFONT verticalFont = NULL; // owned
    HFONT guiFont = NULL;      // the stock font it was made from
    HCURSOR sizeNS = NULL;     // splitters of stacked layouts
    HCURSOR sizeWE = NULL;     // splitters of side-by-side layouts
};

// The two 11x11 pin icons of the caption buttons: index 1 on a docked
// pane's caption (pinned), index 0 on the flyout's (unpinned).
class CDockCaptionButtonIcons {
public:
    CDockCaptionButtonIcons();
    ~CDockCaptionButtonIcons();
    CDockCaptionButtonIcons(const CDockCaptionButtonIcons&) = delete;
    CDockCaptionButtonIcons& operator=(const CDockCaptionButtonIcons&) = delete;

    HICON icons[2] = {};
};

// Registers "DockingBoxMessage-" + the process id in decimal.
UINT RegisterDockingBoxMessage();

extern CDockingSettings g_dockingSettings;
extern CDockCaptionButtonIcons g_dockCaptionButtonIcons;
extern UINT g_dockingBoxMessage;
