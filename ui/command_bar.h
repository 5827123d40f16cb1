// The command bar: a menu drawn as a flat toolbar, usually the first band of a
// frame's rebar. Each top-level item of the attached menu becomes one button
// with the item's text (its & mnemonic included); pressing a button drops the
// item's popup menu under it.
//
//   m_cmdBar.Create(m_hWnd, UI_CMDBAR_STYLE);
//   m_cmdBar.AttachMenu(GetMenu());
//   SetMenu(NULL);
//   AddSimpleReBarBand(m_cmdBar);
//
// While a popup is open the mouse moving onto another button, or Left/Right
// at the edge of the menu, switches to that button's popup. F10, or Alt
// pressed and released alone, enters keyboard mode (the first button hot;
// Left/Right move, Down/Up/Enter or a mnemonic drop the popup, Esc leaves);
// Alt+mnemonic drops the popup at once.
//
// The owner frame (the command bar's parent when it was created) gets
// WM_INITMENUPOPUP and WM_MENUSELECT for the popups, so its update-UI map
// sets the item states, and receives the chosen command as a posted
// WM_COMMAND (notify code 0, no control), like a command from its own menu.
//
// Keys reach the command bar through a message filter: the control registers
// itself with the loop of its thread that the current module
// (UiCurrentModule) knows, at Create or, when the loop is registered only
// later, at its first paint after that. Without a module loop the frame's own
// filter must call PreTranslateMessage (IsFilterRegistered tells which).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/frame_window.h"
#include "ui/message_loop.h"
#include "ui/message_map.h"
#include "ui/window_impl.h"

constexpr DWORD UI_CMDBAR_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                  CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_FLAT |
                                  TBSTYLE_LIST;

class CCommandBarCtrl : public CWindowImplBase, public CMessageFilter {
public:
    CCommandBarCtrl() = default;
    ~CCommandBarCtrl() override;

    // Creates the toolbar control (subclassed by this object). The owner that
    // receives commands and menu messages is `parent`. NULL on failure.
    HWND Create(HWND parent, DWORD style = UI_CMDBAR_STYLE, UINT nID = UI_IDW_COMMAND_BAR);

    // Makes one button per top-level item of `menu`. The menu stays owned by
    // the caller and must live as long as the command bar shows it. NULL
    // removes the buttons. FALSE when the control does not exist.
    BOOL AttachMenu(HMENU menu);
    HMENU GetMenu() const { return m_hMenu; }
    // The window that receives the commands (the parent at creation).
    HWND GetOwner() const { return m_hWndOwner; }
    bool IsFilterRegistered() const { return m_loop != NULL; }

    // The filter: F10, Alt alone and Alt+mnemonic for keys of the owner's
    // top-level window. TRUE when the key was taken.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Enters keyboard mode (first button hot) and runs it until the user
    // leaves it or a command is chosen. Returns at once when it is running.
    void EnterKeyboardMode();
    // Drops the popup of top-level item `index` as if its button was clicked
    // (byKeyboard selects the first item). Returns when the menus close.
    void DropMenu(int index, bool byKeyboard);
    // Ends every menu and the keyboard mode (a menu in progress returns no command).
    void CancelMenus();

    // State, for the owner and for tests.
    bool IsInKeyboardMode() const { return m_keyboardMode; }
    bool IsMenuDropped() const { return m_droppedIndex >= 0; }
    int GetDroppedIndex() const { return m_droppedIndex; } // -1 when none
    int GetHotIndex() const { return m_hotIndex; }         // -1 when none

    // The top-level item whose mnemonic (the character after '&') is `ch`,
    // ignoring case; -1 when none.
    int FindMnemonic(char ch) const;

    BEGIN_MSG_MAP(CCommandBarCtrl)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
    MESSAGE_HANDLER(WM_INITMENUPOPUP, OnForwardToOwner)
    MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
    MESSAGE_HANDLER(WM_DRAWITEM, OnForwardToOwner)
    MESSAGE_HANDLER(WM_MEASUREITEM, OnForwardToOwner)
    MESSAGE_HANDLER(WM_MENUCHAR, OnForwardToOwner)
    MESSAGE_HANDLER(WM_ENTERIDLE, OnForwardToOwner)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnForwardToOwner(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMenuSelect(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

private:
    // How a dropped popup ended.
    enum class Outcome {
        Command,   // an item was chosen (posted to the owner)
        Cancelled, // closed by a click elsewhere or by a cancel
        Escaped,   // Esc on the top popup: back to keyboard mode
        Gone,      // the control was destroyed meanwhile: touch nothing
    };
    // What the menu filter asked for while a popup was open.
    enum class NextStep { None, Switch, Escape };

    static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
    bool OnMenuFilterMessage(const MSG& msg); // true eats the message
    Outcome Track(int& index, bool byKeyboard);
    void RunKeyboardLoop(int hot);
    bool HandleKeyboardModeKey(WPARAM key); // false leaves the mode
    void SwitchTo(int index, bool byKeyboard);
    int HitTestScreen(POINT screenPt) const;
    int ButtonCount() const;
    bool IsButtonEnabled(int index) const;
    int NextEnabled(int from, int step) const; // wraps; -1 when none is enabled
    void SetHot(int index);
    void PressButton(int index, bool pressed);
    void RegisterFilter();
    void UnregisterFilter();

    HWND m_hWndOwner = NULL;
    HMENU m_hMenu = NULL;
    CMessageLoop* m_loop = NULL; // the loop this control registered its filter with
    bool m_keyboardMode = false;
    bool m_altDown = false;     // Alt pressed with no other key since
    int m_hotIndex = -1;        // the highlighted button in keyboard mode or while dropped
    int m_droppedIndex = -1;    // the button whose popup is open
    HMENU m_hMenuActive = NULL; // the (sub)menu of the last WM_MENUSELECT
    bool m_selectedHasPopup = false;
    NextStep m_next = NextStep::None;
    int m_nextIndex = -1;
    bool m_nextByKeyboard = false;
    bool m_cancelAll = false;
    HHOOK m_hook = NULL;
};
