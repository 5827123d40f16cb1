// A dialog push button that chooses a colour: the face shows the colour in a
// swatch beside a drop-down arrow, and a click runs a palette popup under the
// button. The parent hears of every step through WM_NOTIFY (NMCOLORPICK).
//
// The owner subclasses its button in WM_INITDIALOG, sets `colour` and
// `defaultColour`, and reflects notifications back to the button
// (REFLECT_NOTIFICATIONS), since the face and the click arrive as reflected
// draw-item and command messages.
#pragma once

#include <windows.h>

#include <string>

#include "docking/logic/color_picker.h"
#include "ui/theme.h"
#include "ui/window_impl.h"

#ifndef CLR_AUTOMATIC
#define CLR_AUTOMATIC ((COLORREF)docking::kColorAutomatic)
#endif

constexpr UINT CLRN_CHANGE = 0x8000;    // the colour changed
constexpr UINT CLRN_DROPDOWN = 0x8001;  // the palette is about to open
constexpr UINT CLRN_CLOSEUP = 0x8002;   // the palette has closed
constexpr UINT CLRN_PICKED = 0x8003;    // after CLRN_CLOSEUP: a colour was picked
constexpr UINT CLRN_CANCELLED = 0x8004; // after CLRN_CLOSEUP: nothing was picked

struct NMCOLORPICK {
    NMHDR hdr;
    BOOL fColorValid; // 0 only for a live-tracking change to nothing
    COLORREF clr;     // the button's colour after the step
};

class CColorButton : public CWindowImpl<CColorButton> {
public:
    CColorButton();
    ~CColorButton() override;

    // Attaches to an existing push button and makes it owner-drawn.
    BOOL SubclassWindow(HWND hWnd);

    COLORREF colour = CLR_AUTOMATIC;
    COLORREF defaultColour;
    std::string defaultText = "Restore Default"; // empty hides the row
    std::string customText = "More Colors...";   // empty hides the row
    bool trackSelection = false;

    // The colour the face shows.
    COLORREF ShownColour() const { return colour == CLR_AUTOMATIC ? defaultColour : colour; }

    BEGIN_MSG_MAP(CColorButton)
    MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    MESSAGE_HANDLER(WM_THEMECHANGED, OnThemeChanged)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // The popup's painting and palette messages; called by the popup window.
    void PaintPopup(HDC dc);
    LRESULT PopupPaletteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnThemeChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    void OpenTheme();
    void CloseTheme();
    void Notify(UINT code, BOOL valid = TRUE);
    bool RunPicker();
    void SetHot(int item);
    void MoveHot(int delta);
    void DrawItem(HDC dc, int item);
    docking::PickerRect ItemRect(int item) const;

    CThemeHelper m_theme;
    bool m_popupOpen = false;
    bool m_mouseOver = false;

    // The popup's state, built anew each time the palette opens.
    HWND m_popup = NULL;
    HFONT m_font = NULL;
    HPALETTE m_palette = NULL;
    docking::PickerLayout m_layout;
    int m_hot = docking::kItemNone;
    int m_current = docking::kItemNone;
    COLORREF m_chosen = 0;
    bool m_flatMenu = false;
    COLORREF m_clrMenu = 0, m_clrBorder = 0, m_clrHotFill = 0, m_clrHotText = 0, m_clrText = 0,
             m_clrCurrentFill = 0;
};
