// Drives a modal dialog from inside its own message loop, on the test's
// thread, the way a user would.
//
// A WH_CALLWNDPROCRET hook sees WM_INITDIALOG come back from every dialog the thread makes. The
// first dialog whose caption is the expected one gets the script, run from a thread timer once its
// modal loop is going; every message box that opens meanwhile (a dialog made by MessageBox,
// recognised by its caption) is recorded and answered with the button the test chose. So a script
// can click OK, and by the time the click returns, any box that OK raised has been shown, recorded
// and answered.
//
// A script that never ends its dialog is ended by a ceiling: after
// `ceilingMs` the dialog is sent IDCANCEL and the test fails.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct RecordedBox {
    std::string caption;
    std::string text;
    UINT icon; // MB_ICONERROR, MB_ICONINFORMATION, ... as the box showed it
};

class DialogScript {
public:
    DialogScript(std::string caption, std::function<void(HWND)> script, int ceilingMs = 20000)
        : m_caption(std::move(caption)), m_script(std::move(script)), m_ceilingMs(ceilingMs) {
        s_active = this;
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, NULL, ::GetCurrentThreadId());
    }
    ~DialogScript() {
        ::UnhookWindowsHookEx(m_hook);
        if (m_scriptTimer)
            ::KillTimer(NULL, m_scriptTimer);
        if (m_ceilingTimer)
            ::KillTimer(NULL, m_ceilingTimer);
        s_active = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Captions that mark a window as a message box to answer, and the answer.
    std::vector<std::string> boxCaptions = {"Failed!", "Velmorantix XP"};
    int boxAnswer = IDOK;

    std::vector<RecordedBox> boxes;
    bool scriptRan = false;
    bool hitCeiling = false;
    HWND dialog = NULL;

    // Helpers for scripts.
    static void SetText(HWND dialog, int id, const char* text) {
        ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
    }
    static std::string Text(HWND dialog, int id) {
        char text[1024] = "";
        ::GetWindowTextA(::GetDlgItem(dialog, id), text, sizeof(text));
        return text;
    }
    static void Click(HWND dialog, int id) {
        ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    }
    static bool IsEnabled(HWND dialog, int id) {
        return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
    }
    static bool IsChecked(HWND dialog, int id) {
        return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Presses OK as Enter would, through the dialog's own command.
    static void PressOk(HWND dialog) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       (LPARAM)::GetDlgItem(dialog, IDOK));
    }
    static void PressCancel(HWND dialog) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       (LPARAM)::GetDlgItem(dialog, IDCANCEL));
    }

    // Writes the window as it shows on screen to a 24-bit BMP (for looking
    // at a dialog under the virtual display). False when it cannot.
    static bool SaveWindowBitmap(HWND window, const char* path);

private:
    static std::string Caption(HWND hWnd) {
        char text[256] = "";
        ::GetWindowTextA(hWnd, text, sizeof(text));
        return text;
    }
    static BOOL CALLBACK CollectBoxText(HWND child, LPARAM lParam) {
        char cls[32] = "";
        ::GetClassNameA(child, cls, sizeof(cls));
        RecordedBox* box = (RecordedBox*)lParam;
        if (lstrcmpiA(cls, "Static") != 0)
            return TRUE;
        LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            HICON shown = (HICON)::SendMessageA(child, STM_GETICON, 0, 0);
            struct {
                LPCSTR id;
                UINT flag;
            } icons[] = {{IDI_HAND, MB_ICONERROR},
                         {IDI_ASTERISK, MB_ICONINFORMATION},
                         {IDI_EXCLAMATION, MB_ICONWARNING},
                         {IDI_QUESTION, MB_ICONQUESTION}};
            for (const auto& icon : icons)
                if (shown != NULL && shown == ::LoadIconA(NULL, icon.id))
                    box->icon = icon.flag;
            return TRUE;
        }
        char text[1024] = "";
        ::GetWindowTextA(child, text, sizeof(text));
        if (std::string(text).size() > box->text.size())
            box->text = text;
        return TRUE;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const CWPRETSTRUCT* msg = (const CWPRETSTRUCT*)lParam;
        DialogScript* self = s_active;
        if (code == HC_ACTION && self != nullptr && msg->message == WM_INITDIALOG)
            self->OnInitDialog(msg->hwnd);
        return ::CallNextHookEx(NULL, code, wParam, lParam);
    }
    void OnInitDialog(HWND hWnd) {
        // The pages of a property sheet are dialogs too, and a page's caption
        // may equal its sheet's: only top-level dialogs are scripted.
        if (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)
            return;
        std::string caption = Caption(hWnd);
        if (dialog == NULL && caption == m_caption) {
            dialog = hWnd;
            m_scriptTimer = ::SetTimer(NULL, 0, 10, RunScript);
            m_ceilingTimer = ::SetTimer(NULL, 0, m_ceilingMs, Ceiling);
            return;
        }
        for (const std::string& boxCaption : boxCaptions) {
            if (caption == boxCaption) {
                RecordedBox box{caption, "", 0};
                ::EnumChildWindows(hWnd, CollectBoxText, (LPARAM)&box);
                boxes.push_back(box);
                ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(boxAnswer, BN_CLICKED), 0);
                return;
            }
        }
    }
    static void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
        DialogScript* self = s_active;
        if (self == nullptr || self->m_scriptTimer != id) {
            ::KillTimer(NULL, id);
            return;
        }
        // The modal loop shows the dialog when it first goes idle, which a
        // busy machine may delay past the first tick: keep ticking until then
        // (the ceiling still ends a dialog that never shows).
        if (!::IsWindowVisible(self->dialog))
            return;
        ::KillTimer(NULL, id);
        self->m_scriptTimer = 0;
        self->scriptRan = true;
        self->m_script(self->dialog);
    }
    static void CALLBACK Ceiling(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(NULL, id);
        DialogScript* self = s_active;
        if (self == nullptr || self->m_ceilingTimer != id)
            return;
        self->m_ceilingTimer = 0;
        if (::IsWindow(self->dialog)) {
            self->hitCeiling = true;
            ADD_FAILURE() << "the dialog \"" << self->m_caption << "\" was still open";
            ::PostMessageA(self->dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }

    std::string m_caption;
    std::function<void(HWND)> m_script;
    int m_ceilingMs;
    HHOOK m_hook = NULL;
    UINT_PTR m_scriptTimer = 0;
    UINT_PTR m_ceilingTimer = 0;
    static inline DialogScript* s_active = nullptr;
};

inline bool DialogScript::SaveWindowBitmap(HWND window, const char* path) {
    RECT r;
    if (!::GetWindowRect(window, &r))
        return false;
    // The script may run before the first paint: draw everything now and let
    // the display catch up, within a short ceiling.
    ::RedrawWindow(window, NULL, NULL,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 300;) {
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(NULL);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    bool ok = false;
    if (bitmap != NULL) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        ::SelectObject(memory, old);
        DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
        DWORD size = stride * (DWORD)h;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
        file.bfSize = file.bfOffBits + size;
        HANDLE out = ::CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (out != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ok = ::WriteFile(out, &file, sizeof(file), &written, NULL) &&
                 ::WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, NULL) &&
                 ::WriteFile(out, bits, size, &written, NULL);
            ::CloseHandle(out);
        }
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(NULL, screen);
    return ok;
}

// When VXP_SCREENSHOT_DIR is set, saves the dialog there as <name>.bmp.
inline void MaybeScreenshot(HWND window, const char* name) {
    char dir[MAX_PATH] = "";
    if (::GetEnvironmentVariableA("VXP_SCREENSHOT_DIR", dir, sizeof(dir)) == 0)
        return;
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    DialogScript::SaveWindowBitmap(window, path.c_str());
}

} // namespace testsupport
