// Update-UI: the enabled, checked and text states of commands, kept in one
// table per frame and applied to the places that show the commands: menu
// popups when they open (WM_INITMENUPOPUP), toolbars when the frame asks
// (UIUpdateToolBar, usually from its idle handler).
//
//   class CImageFrame : ..., public CUpdateUI<CImageFrame> {
//       BEGIN_UPDATE_UI_MAP(CImageFrame)
//           UPDATE_ELEMENT(32792, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
//           UPDATE_ELEMENT(UI_ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
//       END_UPDATE_UI_MAP()
//       BEGIN_MSG_MAP(CImageFrame)
//           ...
//           CHAIN_MSG_MAP(CUpdateUI<CImageFrame>)
//           CHAIN_MSG_MAP(CFrameWindowImpl<CImageFrame>)
//       END_MSG_MAP()
//   };
//   UIAddToolBar(hWndToolBar);   // in WM_CREATE
//   UIEnable(32792, FALSE);      // state now; the toolbar follows at UIUpdateToolBar
//
// Commands not in the map are ignored by every call. Every command starts
// enabled, unchecked, with no text of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/message_map.h"

// Where a command is shown (UPDATE_ELEMENT kinds).
constexpr WORD UPDUI_MENUPOPUP = 0x0001;
constexpr WORD UPDUI_MENUBAR = 0x0002;
constexpr WORD UPDUI_CHILDWINDOW = 0x0004;
constexpr WORD UPDUI_TOOLBAR = 0x0008;
constexpr WORD UPDUI_STATUSBAR = 0x0010;

// State bits returned by UIGetState.
constexpr DWORD UPDUI_ENABLED = 0x0000;
constexpr DWORD UPDUI_DISABLED = 0x0100;
constexpr DWORD UPDUI_CHECKED = 0x0200;
constexpr DWORD UPDUI_CHECKED2 = 0x0400; // the indeterminate state of a toolbar button
constexpr DWORD UPDUI_RADIO = 0x0800;
constexpr DWORD UPDUI_DEFAULT = 0x1000;
constexpr DWORD UPDUI_TEXT = 0x2000; // the command has a text of its own (UISetText)

struct UiUpdateMapEntry {
    WORD id;
    WORD kinds; // UPDUI_MENUPOPUP | UPDUI_TOOLBAR | ...
};

#define BEGIN_UPDATE_UI_MAP(thisClass)                                                             \
    static const UiUpdateMapEntry* GetUpdateUIMap() {                                              \
        static const UiUpdateMapEntry theMap[] = {
#define UPDATE_ELEMENT(nID, wType) {(WORD)(nID), (WORD)(wType)},
#define END_UPDATE_UI_MAP()                                                                        \
    { 0, 0 }                                                                                       \
    }                                                                                              \
    ;                                                                                              \
    return theMap;                                                                                 \
    }

class CUpdateUIBase {
public:
    // `map` ends with an entry whose kinds are 0.
    explicit CUpdateUIBase(const UiUpdateMapEntry* map);
    CUpdateUIBase(const CUpdateUIBase&) = delete;
    CUpdateUIBase& operator=(const CUpdateUIBase&) = delete;
    virtual ~CUpdateUIBase() = default;

    // Each returns FALSE when the id is not in the map. `force` marks the
    // state pending even when it did not change.
    BOOL UIEnable(int nID, BOOL enable, BOOL force = FALSE);
    // 0 unchecked, 1 checked, 2 indeterminate.
    BOOL UISetCheck(int nID, int check, BOOL force = FALSE);
    BOOL UISetRadio(int nID, BOOL radio, BOOL force = FALSE);
    BOOL UISetDefault(int nID, BOOL isDefault, BOOL force = FALSE);
    // The menu item's text (NULL goes back to the menu's own text).
    BOOL UISetText(int nID, LPCSTR text, BOOL force = FALSE);

    // UPDUI_* state bits of the command; (DWORD)-1 when it is not in the map.
    DWORD UIGetState(int nID) const;
    // The text set with UISetText, NULL when none.
    LPCSTR UIGetText(int nID) const;

    // Toolbars whose buttons follow the table (buttons by command id).
    BOOL UIAddToolBar(HWND hWndToolBar);
    // Applies pending states to the toolbars (all states when `force`).
    BOOL UIUpdateToolBar(BOOL force = FALSE);
    // Applies the table to the items of a menu (what WM_INITMENUPOPUP does).
    void UIUpdateMenuPopup(HMENU menu) const;

    BEGIN_MSG_MAP(CUpdateUIBase)
    MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
    END_MSG_MAP()

    // Updates the popup and declines the message, so that the frame and the
    // default processing still see it.
    LRESULT OnInitMenuPopup(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    struct Element {
        WORD id;
        WORD kinds;
        DWORD state;
        bool toolbarPending;
        std::string text;
    };
    Element* Find(int nID);
    const Element* Find(int nID) const;
    BOOL SetBits(int nID, DWORD mask, DWORD bits, BOOL force);

    std::vector<Element> m_elements;
    std::vector<HWND> m_toolbars;
    bool m_toolbarPending = false;
};

template <class T> class CUpdateUI : public CUpdateUIBase {
public:
    CUpdateUI() : CUpdateUIBase(T::GetUpdateUIMap()) {}
};
