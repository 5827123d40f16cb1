// The running copy's hidden top-level window (class "HiddenWnd", title
// "Hidden", disabled, never shown): the fixed address that later starts hand
// their command line to, and the owner of the notification-area icon.
#pragma once

#include <windows.h>

class CTrayIconWnd {
public:
    static constexpr const char* kClassName = "HiddenWnd";

    CTrayIconWnd() = default;
    ~CTrayIconWnd();
    CTrayIconWnd(const CTrayIconWnd&) = delete;
    CTrayIconWnd& operator=(const CTrayIconWnd&) = delete;

    HWND Create(); // no parent, "Hidden", WS_DISABLED, default position
    void DestroyWindow();
    HWND m_hWnd = nullptr;

    // The message map; true when the message was handled, with its result.
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void OnTrayIconNotify(UINT mouseMessage);
    void OnCopyData(const COPYDATASTRUCT* data);
    void OnExit();
};

// Copies the text of a hand-over record into `text` (MAX_PATH bytes). The
// record comes from another process, so a text without a terminator inside
// cbData, or of MAX_PATH characters or more, is refused (false). No data
// gives an empty text and true with *hasText false.
bool ReadHandOverText(const COPYDATASTRUCT* data, char* text, bool* hasText);

// The two Shell_NotifyIconA calls; AddNotifyIcon destroys the icon afterwards.
BOOL AddNotifyIcon(HWND window, UINT id, HICON icon, const char* tip);
BOOL DeleteNotifyIcon(HWND window, UINT id);
