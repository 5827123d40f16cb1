// The frames' toolbars: a table of buttons over strips of 16 x 16 images.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct ToolButton {
    int image; // -1 for a separator
    int command;
    BYTE style;
};

// The 32-bit strips need a system newer than the first of its line; older
// ones get the masked strips.
bool ToolStripsHaveAlpha();

// A strip from the module's bitmaps: a 32-bit strip carries its own alpha,
// any other is masked by magenta into an image list of `maskedFlags`
// (ILC_COLOR8 or ILC_COLOR24). Null when the bitmap or the list cannot be had.
HIMAGELIST LoadToolStrip(int bitmapId, bool alpha, UINT maskedFlags, int images);

// The system's buttons for a table, all enabled: the idle pass sets their
// states.
template <int N> void FillToolButtons(const ToolButton (&table)[N], TBBUTTON (&buttons)[N]) {
    for (int i = 0; i < N; ++i) {
        buttons[i] = TBBUTTON{};
        buttons[i].iBitmap = table[i].image < 0 ? 0 : table[i].image;
        buttons[i].idCommand = table[i].command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = table[i].style;
    }
}
