// Message maps: one routine per class tests each message, calls one handler
// and chains to other maps.
//
//   BEGIN_MSG_MAP(CMyWindow)
//       MESSAGE_HANDLER(WM_SIZE, OnSize)
//       MESSAGE_HANDLER(g_optionsChanged, OnOptionsChanged) // run-time id
//       COMMAND_ID_HANDLER(ID_EXIT, OnExit)
//       NOTIFY_CODE_HANDLER(TTN_GETDISPINFOA, OnToolTip)
//       CHAIN_MSG_MAP(CBaseCommands)
//       REFLECT_NOTIFICATIONS()
//   ALT_MSG_MAP(1)                                  // used by a subclassed child
//       MESSAGE_HANDLER(WM_CHAR, OnChildChar)
//   END_MSG_MAP()
//
// The map expands to `BOOL ProcessWindowMessage(hWnd, uMsg, wParam, lParam,
// lResult, mapId)`, which returns TRUE when a handler took the message and put
// its result in lResult. Entries are tested in order, so a class's own
// entries run before the maps it chains to. Every handler gets a `bHandled`
// flag, TRUE on entry; a handler that clears it declines the message and the
// search goes on with the next entry. The message ids in entries are plain
// expressions evaluated per message, so registered messages held in
// variables work like constants.
//
// Handler signatures:
//   LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
//   LRESULT OnCommand(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
//   LRESULT OnNotify(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);
//
// Notify entries match the NMHDR's idFrom and code and never its hwndFrom,
// because some senders (the image view) leave hwndFrom NULL.
#pragma once

#include <windows.h>

// Reflected messages: a parent that reflects notifications sends them back to
// the child control that caused them as OCM__BASE + the original message.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif
#ifndef OCM_COMMAND
#define OCM_COMMAND (OCM__BASE + WM_COMMAND)
#define OCM_CTLCOLORBTN (OCM__BASE + WM_CTLCOLORBTN)
#define OCM_CTLCOLOREDIT (OCM__BASE + WM_CTLCOLOREDIT)
#define OCM_CTLCOLORDLG (OCM__BASE + WM_CTLCOLORDLG)
#define OCM_CTLCOLORLISTBOX (OCM__BASE + WM_CTLCOLORLISTBOX)
#define OCM_CTLCOLORMSGBOX (OCM__BASE + WM_CTLCOLORMSGBOX)
#define OCM_CTLCOLORSCROLLBAR (OCM__BASE + WM_CTLCOLORSCROLLBAR)
#define OCM_CTLCOLORSTATIC (OCM__BASE + WM_CTLCOLORSTATIC)
#define OCM_DRAWITEM (OCM__BASE + WM_DRAWITEM)
#define OCM_MEASUREITEM (OCM__BASE + WM_MEASUREITEM)
#define OCM_DELETEITEM (OCM__BASE + WM_DELETEITEM)
#define OCM_VKEYTOITEM (OCM__BASE + WM_VKEYTOITEM)
#define OCM_CHARTOITEM (OCM__BASE + WM_CHARTOITEM)
#define OCM_COMPAREITEM (OCM__BASE + WM_COMPAREITEM)
#define OCM_HSCROLL (OCM__BASE + WM_HSCROLL)
#define OCM_VSCROLL (OCM__BASE + WM_VSCROLL)
#define OCM_PARENTNOTIFY (OCM__BASE + WM_PARENTNOTIFY)
#endif
#ifndef OCM_NOTIFY
#define OCM_NOTIFY (OCM__BASE + WM_NOTIFY)
#endif
// The whole reflected range: every message up to WM_USER, shifted.
#define OCM__LAST (OCM__BASE + WM_USER - 1)

// Something that answers messages through a map.
class CMessageMap {
public:
    virtual ~CMessageMap() = default;
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult, DWORD dwMsgMapID = 0) = 0;
};

// The child control that a notification to `hWndParent` came from, or NULL
// when the message carries none (menu items, accelerators, unknown messages).
HWND UiNotificationSource(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Sends a notification back to its child control as OCM__BASE + uMsg. Clears
// bHandled (and returns 0) when there is no child to send it to.
LRESULT UiReflectNotifications(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam,
                               BOOL& bHandled);

// For a child: a reflected message that no entry took gets the default
// processing of the original message. Returns TRUE when uMsg was reflected.
BOOL UiDefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                LRESULT& lResult);

// Asking a map which commands it has handlers for, without running them:
// while a CUiCommandProbe lives on a thread, a WM_COMMAND entry of any map
// that matches reports the command as handled (TRUE) without calling its
// handler. A map that dispatches commands by hand asks UiCommandProbeActive
// the same way. Tests compare the handlers with the menus and accelerators
// this way.
bool UiCommandProbeActive();
class CUiCommandProbe {
public:
    CUiCommandProbe();
    ~CUiCommandProbe();
    CUiCommandProbe(const CUiCommandProbe&) = delete;
    CUiCommandProbe& operator=(const CUiCommandProbe&) = delete;
};

// ---------------------------------------------------------------------------
// Map frame.
// ---------------------------------------------------------------------------
#define BEGIN_MSG_MAP(theClass)                                                                    \
public:                                                                                            \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,                  \
                              LRESULT& lResult, DWORD dwMsgMapID = 0) {                            \
        BOOL bHandled = TRUE;                                                                      \
        (void)hWnd;                                                                                \
        (void)uMsg;                                                                                \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        (void)lResult;                                                                             \
        (void)bHandled;                                                                            \
        switch (dwMsgMapID) {                                                                      \
        case 0:

#define ALT_MSG_MAP(msgMapID)                                                                      \
    break;                                                                                         \
    case msgMapID:

#define END_MSG_MAP()                                                                              \
    break;                                                                                         \
    default:                                                                                       \
        break;                                                                                     \
        }                                                                                          \
        return FALSE;                                                                              \
        }

// first <= value <= last in unsigned type T, written so that a first of 0 draws no warning.
#define UI_IN_RANGE_(T, value, first, last)                                                        \
    ((T)((T)(value) - (T)(first)) <= (T)((T)(last) - (T)(first)))

// ---------------------------------------------------------------------------
// Plain messages.
// ---------------------------------------------------------------------------
#define MESSAGE_HANDLER(msg, func)                                                                 \
    if (uMsg == (UINT)(msg)) {                                                                     \
        bHandled = TRUE;                                                                           \
        lResult = func(uMsg, wParam, lParam, bHandled);                                            \
        if (bHandled)                                                                              \
            return TRUE;                                                                           \
    }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                             \
    if ((UINT)(uMsg - (UINT)(msgFirst)) <= (UINT)((UINT)(msgLast) - (UINT)(msgFirst))) {           \
        bHandled = TRUE;                                                                           \
        lResult = func(uMsg, wParam, lParam, bHandled);                                            \
        if (bHandled)                                                                              \
            return TRUE;                                                                           \
    }

// ---------------------------------------------------------------------------
// WM_COMMAND (and its reflected form OCM_COMMAND).
// ---------------------------------------------------------------------------
#define UI_COMMAND_ENTRY_(message, test, func)                                                     \
    if (uMsg == (UINT)(message) && (test)) {                                                       \
        if (UiCommandProbeActive())                                                                \
            return TRUE;                                                                           \
        bHandled = TRUE;                                                                           \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);                    \
        if (bHandled)                                                                              \
            return TRUE;                                                                           \
    }

#define COMMAND_HANDLER(id, code, func)                                                            \
    UI_COMMAND_ENTRY_(WM_COMMAND, LOWORD(wParam) == (WORD)(id) && HIWORD(wParam) == (WORD)(code),  \
                      func)
#define COMMAND_ID_HANDLER(id, func)                                                               \
    UI_COMMAND_ENTRY_(WM_COMMAND, LOWORD(wParam) == (WORD)(id), func)
#define COMMAND_CODE_HANDLER(code, func)                                                           \
    UI_COMMAND_ENTRY_(WM_COMMAND, HIWORD(wParam) == (WORD)(code), func)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                               \
    UI_COMMAND_ENTRY_(WM_COMMAND, UI_IN_RANGE_(WORD, LOWORD(wParam), idFirst, idLast), func)
#define COMMAND_RANGE_CODE_HANDLER(idFirst, idLast, code, func)                                    \
    UI_COMMAND_ENTRY_(WM_COMMAND,                                                                  \
                      UI_IN_RANGE_(WORD, LOWORD(wParam), idFirst, idLast) &&                       \
                          HIWORD(wParam) == (WORD)(code),                                          \
                      func)

#define REFLECTED_COMMAND_HANDLER(id, code, func)                                                  \
    UI_COMMAND_ENTRY_(OCM_COMMAND, LOWORD(wParam) == (WORD)(id) && HIWORD(wParam) == (WORD)(code), \
                      func)
#define REFLECTED_COMMAND_CODE_HANDLER(code, func)                                                 \
    UI_COMMAND_ENTRY_(OCM_COMMAND, HIWORD(wParam) == (WORD)(code), func)

// ---------------------------------------------------------------------------
// WM_NOTIFY (and its reflected form OCM_NOTIFY).
// ---------------------------------------------------------------------------
#define UI_NOTIFY_ENTRY_(message, test, func)                                                      \
    if (uMsg == (UINT)(message) && lParam != 0 && (test)) {                                        \
        bHandled = TRUE;                                                                           \
        lResult = func((int)wParam, (LPNMHDR)lParam, bHandled);                                    \
        if (bHandled)                                                                              \
            return TRUE;                                                                           \
    }

#define NOTIFY_HANDLER(id, cd, func)                                                               \
    UI_NOTIFY_ENTRY_(WM_NOTIFY,                                                                    \
                     ((LPNMHDR)lParam)->idFrom == (UINT_PTR)(id) &&                                \
                         ((LPNMHDR)lParam)->code == (UINT)(cd),                                    \
                     func)
#define NOTIFY_ID_HANDLER(id, func)                                                                \
    UI_NOTIFY_ENTRY_(WM_NOTIFY, ((LPNMHDR)lParam)->idFrom == (UINT_PTR)(id), func)
#define NOTIFY_CODE_HANDLER(cd, func)                                                              \
    UI_NOTIFY_ENTRY_(WM_NOTIFY, ((LPNMHDR)lParam)->code == (UINT)(cd), func)
#define NOTIFY_RANGE_HANDLER(idFirst, idLast, func)                                                \
    UI_NOTIFY_ENTRY_(WM_NOTIFY,                                                                    \
                     UI_IN_RANGE_(UINT_PTR, ((LPNMHDR)lParam)->idFrom, idFirst, idLast), func)

#define REFLECTED_NOTIFY_CODE_HANDLER(cd, func)                                                    \
    UI_NOTIFY_ENTRY_(OCM_NOTIFY, ((LPNMHDR)lParam)->code == (UINT)(cd), func)

// ---------------------------------------------------------------------------
// Chaining and reflection.
// ---------------------------------------------------------------------------
// To a base class's map (called non-virtually), optionally one of its alternate maps.
#define CHAIN_MSG_MAP(theChainClass)                                                               \
    if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                  \
        return TRUE;
#define CHAIN_MSG_MAP_ALT(theChainClass, msgMapID)                                                 \
    if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID))        \
        return TRUE;
// To the map of a member object.
#define CHAIN_MSG_MAP_MEMBER(theChainMember)                                                       \
    if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                \
        return TRUE;
#define CHAIN_MSG_MAP_ALT_MEMBER(theChainMember, msgMapID)                                         \
    if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID))      \
        return TRUE;

// In a parent: sends WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM,
// WM_COMPAREITEM, WM_DELETEITEM, WM_VKEYTOITEM, WM_CHARTOITEM, WM_HSCROLL,
// WM_VSCROLL, WM_PARENTNOTIFY and WM_CTLCOLOR* back to the child control.
#define REFLECT_NOTIFICATIONS()                                                                    \
    {                                                                                              \
        bHandled = TRUE;                                                                           \
        lResult = UiReflectNotifications(hWnd, uMsg, wParam, lParam, bHandled);                    \
        if (bHandled)                                                                              \
            return TRUE;                                                                           \
    }

// In a child: the reflected messages that no earlier entry took.
#define DEFAULT_REFLECTION_HANDLER()                                                               \
    if (UiDefaultReflectionHandler(hWnd, uMsg, wParam, lParam, lResult))                           \
        return TRUE;
