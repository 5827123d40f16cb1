// The running copy's hidden top-level window (class "HiddenWnd", title
// "Hidden", disabled, never shown): the fixed address that later starts hand
// their command line to, and the owner of the notification-area icon.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/app_globals.h"
#include "app/hand_over_queue.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/ui.h"

class CTrayIconWnd : public CWindowImpl<CTrayIconWnd, CWindowImplBase, CNullTraits> {
public:
    static constexpr const char* kClassName = "HiddenWnd";
    DECLARE_WND_CLASS_EX(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    CTrayIconWnd() = default;
    ~CTrayIconWnd() override;

    // No parent, "Hidden", WS_DISABLED, default position; never shown.
    HWND CreateHidden();

    // The rest of start-up, each step run once and in order: one step per
    // kMsgFinishStartUp (each posts the next, so that the window answers
    // between them), and every step left before the first message from
    // outside (a hand-over, the tray, a second start) that comes earlier. A
    // step returns false when the program cannot run; it has then posted the
    // quit message and no later step runs. steps must outlive the window.
    using StartUpStep = bool (*)();
    void SetStartUp(const StartUpStep* steps, size_t count) {
        m_steps = steps;
        m_stepCount = count;
        m_nextStep = 0;
    }
    // Runs every step left; false when start-up failed.
    bool FinishStartUp();
    bool StartUpFailed() const { return m_startUpFailed; }

    BEGIN_MSG_MAP(CTrayIconWnd)
    MESSAGE_HANDLER(kMsgFinishStartUp, OnFinishStartUp)
    MESSAGE_HANDLER(g_trayIconNotify, OnTrayIconNotify)
    MESSAGE_HANDLER(g_velmorantixXPGetForegroundHandle, OnGetForegroundHandle)
    MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
    MESSAGE_HANDLER(WM_TIMER, OnPendingTimer)
    COMMAND_ID_HANDLER(ID_TRAY_EXIT, OnExit)
    END_MSG_MAP()

    LRESULT OnFinishStartUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTrayIconNotify(UINT, WPARAM, LPARAM mouseMessage, BOOL&);
    LRESULT OnGetForegroundHandle(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCopyData(UINT, WPARAM, LPARAM data, BOOL&);
    LRESULT OnExit(WORD, WORD, HWND, BOOL&);
    LRESULT OnPendingTimer(UINT, WPARAM, LPARAM, BOOL&);

private:
    void HandOver(const COPYDATASTRUCT* data);
    void Open(const char* text);

    CPendingHandOvers m_pending;
    // Runs the next step, if any; false when start-up failed.
    bool RunStartUpStep();

    const StartUpStep* m_steps = nullptr;
    size_t m_stepCount = 0;
    size_t m_nextStep = 0;
    bool m_startingUp = false;
    bool m_startUpFailed = false;
};

// Copies the text of a hand-over record into `text` (MAX_PATH bytes). The
// record comes from another process, so a text without a terminator inside
// cbData, or of MAX_PATH characters or more, is refused (false). No data
// gives an empty text and true with *hasText false.
bool ReadHandOverText(const COPYDATASTRUCT* data, char* text, bool* hasText);

// The two Shell_NotifyIconA calls; AddNotifyIcon destroys the icon afterwards.
BOOL AddNotifyIcon(HWND window, UINT id, HICON icon, const char* tip);
BOOL DeleteNotifyIcon(HWND window, UINT id);
