// Process-wide objects of the docking framework that exist before WinMain:
// the docking look settings, the caption-button icons and the registered
// "DockingBoxMessage-<pid>" message.
#pragma once

#include <windows.h>

class CDockingSettings {
public:
    CDockingSettings();
    ~CDockingSettings(); // deletes the vertical caption font
    CDockingSettings(const CDockingSettings&) = delete;
    CDockingSettings& operator=(const CDockingSettings&) = delete;

    HFONT verticalCaptionFont = nullptr;
};

// Three pairs of 11x11 caption-button icons (normal and pushed), each pair made
// from the same two icon images.
class CDockCaptionButtonIcons {
public:
    CDockCaptionButtonIcons();
    ~CDockCaptionButtonIcons();
    CDockCaptionButtonIcons(const CDockCaptionButtonIcons&) = delete;
    CDockCaptionButtonIcons& operator=(const CDockCaptionButtonIcons&) = delete;

    HICON icons[3][2] = {};
};

// Registers "DockingBoxMessage-" + the process id in decimal.
UINT RegisterDockingBoxMessage();

extern CDockingSettings g_dockingSettings;
extern CDockCaptionButtonIcons g_dockCaptionButtonIcons;
extern UINT g_dockingBoxMessage;
