// The viewer's dialogs, run modally on the test's thread while a script on a
// second thread types into them, presses their buttons and answers the
// "Failed!" message boxes, the way a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "viewer/caption_ctrl.h"
#include "viewer/viewer_dialogs.h"

namespace {

struct WindowSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hWnd, LPARAM lParam) {
    WindowSearch* search = (WindowSearch*)lParam;
    char text[256] = "";
    ::GetWindowTextA(hWnd, text, sizeof(text));
    if (::IsWindowVisible(hWnd) && std::string(text) == search->title) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A window of the UI thread with this exact title, or null after the
// time-out or once `until` (when given) is gone.
HWND WaitForWindow(DWORD thread, const char* title, int timeoutMs, HWND until = NULL) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (until != NULL && !::IsWindow(until))
            return NULL;
        WindowSearch search{title, NULL};
        ::EnumThreadWindows(thread, MatchTitle, (LPARAM)&search);
        if (search.found != NULL)
            return search.found;
        ::Sleep(10);
    }
    return NULL;
}

BOOL CALLBACK KeepLongestStatic(HWND child, LPARAM lParam) {
    char cls[32] = "";
    char text[512] = "";
    ::GetClassNameA(child, cls, sizeof(cls));
    ::GetWindowTextA(child, text, sizeof(text));
    std::string* out = (std::string*)lParam;
    if (lstrcmpiA(cls, "Static") == 0 && std::string(text).size() > out->size())
        *out = text;
    return TRUE;
}

// The message of a message box: its longest static text.
std::string MessageBoxText(HWND box) {
    std::string best;
    ::EnumChildWindows(box, KeepLongestStatic, (LPARAM)&best);
    return best;
}

// What one press of OK led to.
struct OkResult {
    std::string boxText; // the "Failed!" box's message, empty when none came
    bool dialogStayed = false;
    bool focusOnField = false;
};

// Drives the dialog titled `title` from a second thread. Every step runs
// with the dialog's handle; the script ends by pressing OK or Cancel, and a
// script that loses its way cancels the dialog so that the test never hangs.
class DialogDriver {
public:
    DialogDriver(const char* title, std::function<void(DialogDriver&)> script)
        : m_uiThread(::GetCurrentThreadId()), m_title(title), m_script(std::move(script)) {
        m_probe = CreateProbeWindow();
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, RecordFocus, NULL, m_uiThread);
        m_thread = std::thread([this] { Run(); });
    }
    ~DialogDriver() {
        Join();
        ::UnhookWindowsHookEx(m_hook);
        ::DestroyWindow(m_probe);
    }
    // Waits for the script on the UI thread, answering what it sends
    // meanwhile (its probes may still come after the dialog has ended).
    void Join() {
        while (!m_done) {
            MSG msg;
            while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    HWND dialog = NULL;

    void SetText(int id, const char* text) {
        ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
    }
    void Click(int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    bool IsEnabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
    std::string Text(int id) const {
        char text[256] = "";
        ::GetWindowTextA(::GetDlgItem(dialog, id), text, sizeof(text));
        return text;
    }

    // Types `text` into field `id`, moves the focus away and presses OK;
    // answers a "Failed!" box when one comes.
    OkResult PressOkWith(int id, const char* text) {
        SetText(id, text);
        ::SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(dialog, IDCANCEL), TRUE);
        return PressOk(id);
    }
    OkResult PressOk(int field) {
        OkResult result;
        s_focused = NULL;
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // The first probe may be answered before OK is taken from the queue;
        // the second comes back once OK has been handled or its box is up.
        Probe();
        Probe();
        HWND box = WaitForWindow(m_uiThread, "Failed!", 1000, dialog);
        if (box != NULL) {
            result.boxText = MessageBoxText(box);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            // The box's own loop may take a while to notice its end.
            for (int i = 0; i < 1000 && ::IsWindow(box); ++i)
                ::Sleep(10);
        }
        // Answered after the OK handler has returned (and set the focus).
        // Other programs' windows on the same display may take the
        // activation, and with it the focus, right after the handler set it;
        // the field's WM_SETFOCUS shows that it did.
        HWND edit = ::GetDlgItem(dialog, field);
        result.focusOnField = Probe() == edit || s_focused == edit;
        result.dialogStayed = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
        return result;
    }
    // The focus window of the UI thread, asked on that thread.
    HWND Probe() const { return (HWND)::SendMessageA(m_probe, kProbeFocus, 0, 0); }
    void Cancel() { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

private:
    void Run() {
        RunScript();
        m_done = true;
    }
    void RunScript() {
        dialog = WaitForWindow(m_uiThread, m_title, 5000);
        if (dialog == NULL)
            return;
        m_script(*this);
        // Whatever the script did, make sure the modal loop ends.
        for (int i = 0; i < 300 && ::IsWindow(dialog); ++i)
            ::Sleep(10);
        if (::IsWindow(dialog)) {
            ADD_FAILURE() << "the dialog did not end";
            Cancel();
        }
    }

    // A message-only window of the UI thread: it answers kProbeFocus with
    // that thread's focus window, and its answer tells the script that the
    // thread has come back to its message loop.
    static constexpr UINT kProbeFocus = WM_APP + 40;
    static LRESULT CALLBACK ProbeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == kProbeFocus)
            return (LRESULT)::GetFocus();
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    static HWND CreateProbeWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = ::GetModuleHandleA(NULL);
        wc.lpszClassName = "VxpDialogProbe";
        ::RegisterClassA(&wc); // fails harmlessly when registered already
        return ::CreateWindowExA(0, "VxpDialogProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                 wc.hInstance, NULL);
    }

    // Remembers the last window of the UI thread that got the focus.
    static LRESULT CALLBACK RecordFocus(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = (const CWPSTRUCT*)lParam;
        if (code == HC_ACTION && call != NULL && call->message == WM_SETFOCUS)
            s_focused = call->hwnd;
        return ::CallNextHookEx(NULL, code, wParam, lParam);
    }
    static inline std::atomic<HWND> s_focused{NULL};

    HWND m_probe = NULL;
    HHOOK m_hook = NULL;
    std::atomic<bool> m_done{false};
    DWORD m_uiThread;
    const char* m_title;
    std::function<void(DialogDriver&)> m_script;
    std::thread m_thread;
};

class ViewerDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        saved = g_applicationState.Options();
    }
    void TearDown() override { g_applicationState.Options() = saved; }
    CAppOptions saved;
};

TEST_F(ViewerDialogsTest, ZoomToRefusesOutOfRangeAndKeepsTheDialog) {
    CZoomToDialog dlg;
    dlg.percent = 250;
    std::string initial;
    std::vector<OkResult> refused;
    DialogDriver driver("Zoom To", [&](DialogDriver& d) {
        initial = d.Text(IDC_ZOOM_PERCENT);
        for (const char* input : {"0", "-5", "10001"})
            refused.push_back(d.PressOkWith(IDC_ZOOM_PERCENT, input));
        d.PressOkWith(IDC_ZOOM_PERCENT, "10000");
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_EQ("250", initial);
    ASSERT_EQ(3u, refused.size());
    for (const OkResult& r : refused) {
        EXPECT_EQ("Value must be between 1 and 10000", r.boxText);
        EXPECT_TRUE(r.dialogStayed);
        EXPECT_TRUE(r.focusOnField);
    }
    EXPECT_EQ(10000, dlg.percent);
}

TEST_F(ViewerDialogsTest, ZoomToNotANumberBeepsWithoutABoxAndCancelKeepsThePercent) {
    CZoomToDialog dlg;
    dlg.percent = 80;
    OkResult result;
    DialogDriver driver("Zoom To", [&](DialogDriver& d) {
        result = d.PressOkWith(IDC_ZOOM_PERCENT, "abc");
        d.Cancel();
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_EQ("", result.boxText);
    EXPECT_TRUE(result.dialogStayed);
    EXPECT_TRUE(result.focusOnField);
    EXPECT_EQ(80, dlg.percent);
}

TEST_F(ViewerDialogsTest, GotoPageKeepsThePageWithinTheCount) {
    CGotoPageDialog dlg;
    dlg.page = 2;
    dlg.pageCount = 3;
    std::string initial, countText;
    int low = 0, high = 0;
    std::vector<OkResult> refused;
    DialogDriver driver("Goto Page", [&](DialogDriver& d) {
        initial = d.Text(IDC_PAGE_NUMBER);
        countText = d.Text(IDC_PAGE_COUNT);
        ::SendMessageA(::GetDlgItem(d.dialog, IDC_PAGE_SPIN), UDM_GETRANGE32, (WPARAM)&low,
                       (LPARAM)&high);
        refused.push_back(d.PressOkWith(IDC_PAGE_NUMBER, "4"));
        refused.push_back(d.PressOkWith(IDC_PAGE_NUMBER, "0"));
        d.PressOkWith(IDC_PAGE_NUMBER, "3");
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_EQ("2", initial);
    EXPECT_EQ("of 3", countText);
    EXPECT_EQ(1, low);
    EXPECT_EQ(3, high);
    ASSERT_EQ(2u, refused.size());
    for (const OkResult& r : refused) {
        EXPECT_EQ("Value must be between 1 and 3", r.boxText);
        EXPECT_TRUE(r.dialogStayed);
    }
    EXPECT_EQ(3, dlg.page);
}

TEST_F(ViewerDialogsTest, MarqueeSettingEnablesEditsForFixedSizeAndValidatesBoth) {
    g_applicationState.Options().marqueeDimensions = false;
    g_applicationState.Options().marqueeWidth = 100;
    g_applicationState.Options().marqueeHeight = 50;
    CMarqueeSettingDialog dlg;
    bool enabledAtStart = true, enabledAfterYes = false, enabledAfterNo = true;
    OkResult badWidth, badHeight;
    CAppOptions afterRefusal;
    DialogDriver driver("Marquee Setting", [&](DialogDriver& d) {
        enabledAtStart = d.IsEnabled(IDC_MARQUEE_WIDTH) || d.IsEnabled(IDC_MARQUEE_HEIGHT);
        d.Click(IDC_MARQUEE_YES);
        enabledAfterYes = d.IsEnabled(IDC_MARQUEE_WIDTH) && d.IsEnabled(IDC_MARQUEE_HEIGHT);
        d.Click(IDC_MARQUEE_NO);
        enabledAfterNo = d.IsEnabled(IDC_MARQUEE_WIDTH) || d.IsEnabled(IDC_MARQUEE_HEIGHT);
        d.Click(IDC_MARQUEE_YES);
        badWidth = d.PressOkWith(IDC_MARQUEE_WIDTH, "10000");
        // A valid width with a bad height stores neither.
        d.SetText(IDC_MARQUEE_WIDTH, "640");
        badHeight = d.PressOkWith(IDC_MARQUEE_HEIGHT, "-1");
        afterRefusal = g_applicationState.Options();
        d.PressOkWith(IDC_MARQUEE_HEIGHT, "480");
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_FALSE(enabledAtStart);
    EXPECT_TRUE(enabledAfterYes);
    EXPECT_FALSE(enabledAfterNo);
    EXPECT_EQ("Image dimensions must be between 0 and 9999", badWidth.boxText);
    EXPECT_TRUE(badWidth.focusOnField);
    EXPECT_EQ("Image dimensions must be between 0 and 9999", badHeight.boxText);
    EXPECT_TRUE(badHeight.focusOnField);
    EXPECT_EQ(100u, afterRefusal.marqueeWidth);
    EXPECT_FALSE(afterRefusal.marqueeDimensions);
    EXPECT_TRUE(g_applicationState.Options().marqueeDimensions);
    EXPECT_EQ(640u, g_applicationState.Options().marqueeWidth);
    EXPECT_EQ(480u, g_applicationState.Options().marqueeHeight);
}

TEST_F(ViewerDialogsTest, SlideShowValidatesTheDelayAndStoresMilliseconds) {
    CAppOptions& options = g_applicationState.Options();
    options.slideShowDelay = 5000;
    options.slideShowSequence = 0;
    options.slideShowRepeat = true;
    CSlideShowOptionsDialog dlg;
    std::string initial;
    OkResult tooShort, notANumber;
    uint32_t delayAfterRefusals = 0;
    DialogDriver driver("Slide Show", [&](DialogDriver& d) {
        initial = d.Text(IDC_SLIDE_DELAY);
        tooShort = d.PressOkWith(IDC_SLIDE_DELAY, "0.05");
        notANumber = d.PressOkWith(IDC_SLIDE_DELAY, "1e3");
        delayAfterRefusals = g_applicationState.Options().slideShowDelay;
        d.PressOkWith(IDC_SLIDE_DELAY, "2.5");
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_EQ("5", initial);
    EXPECT_EQ("Slide Show delay must be between 0.10 and 1000.00 second(s)", tooShort.boxText);
    EXPECT_TRUE(tooShort.dialogStayed);
    EXPECT_TRUE(tooShort.focusOnField);
    EXPECT_EQ("", notANumber.boxText);
    EXPECT_TRUE(notANumber.focusOnField);
    EXPECT_EQ(5000u, delayAfterRefusals);
    EXPECT_EQ(2500u, options.slideShowDelay);
}

TEST_F(ViewerDialogsTest, SlideShowRandomDisablesRepeatAndTheBackgroundButtonStoresNothing) {
    CAppOptions& options = g_applicationState.Options();
    options.slideShowSequence = 1;
    options.slideShowDelay = 1000;
    options.slideShowPlay = 2;
    options.viewerBackgroundClr = RGB(1, 2, 3);
    CSlideShowOptionsDialog dlg;
    dlg.playAvailable[0] = false; // as the explorer may do
    bool repeatAtStart = false, repeatWithRandom = true, repeatWithForward = false;
    bool backgroundEnabled = false;
    std::string playShown;
    DialogDriver driver("Slide Show", [&](DialogDriver& d) {
        repeatAtStart = d.IsEnabled(IDC_SLIDE_REPEAT);
        d.Click(IDC_SLIDE_RANDOM);
        repeatWithRandom = d.IsEnabled(IDC_SLIDE_REPEAT);
        d.Click(IDC_SLIDE_FORWARD);
        repeatWithForward = d.IsEnabled(IDC_SLIDE_REPEAT);
        d.Click(IDC_SLIDE_RANDOM);
        backgroundEnabled = d.IsEnabled(IDC_SLIDE_BACKGROUND);
        playShown = d.Text(IDC_SLIDE_PLAY);
        d.PressOkWith(IDC_SLIDE_DELAY, "1.001");
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_TRUE(repeatAtStart);
    EXPECT_FALSE(repeatWithRandom);
    EXPECT_TRUE(repeatWithForward);
    EXPECT_TRUE(backgroundEnabled);
    EXPECT_EQ("Subfolder(s) only", playShown);
    EXPECT_EQ(2u, options.slideShowPlay); // the scope shown, not its list position
    EXPECT_EQ(2u, options.slideShowSequence);
    EXPECT_EQ(1001u, options.slideShowDelay);
    EXPECT_EQ(RGB(1, 2, 3), options.viewerBackgroundClr);
}

TEST_F(ViewerDialogsTest, SlideShowCaptionButtonStoresThePickedColour) {
    CAppOptions& options = g_applicationState.Options();
    options.slideShowDelay = 1000;
    options.slideShowCaptionColor = RGB(1, 2, 3);
    options.viewerBackgroundClr = RGB(4, 5, 6);
    CSlideShowOptionsDialog dlg;
    COLORREF backgroundShown = 0, captionBefore = 0;
    DialogDriver driver("Slide Show", [&](DialogDriver& d) {
        backgroundShown = dlg.backgroundButton.colour;
        captionBefore = dlg.captionButton.colour;
        // The click first, so that the palette's loop takes the keys: Right
        // goes to "Restore Default", Right again to the first cell (black).
        HWND button = ::GetDlgItem(d.dialog, IDC_SLIDE_CAPTION_COLOR);
        ::PostMessageA(d.dialog, WM_COMMAND, MAKEWPARAM(IDC_SLIDE_CAPTION_COLOR, BN_CLICKED),
                       (LPARAM)button);
        for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RETURN})
            ::PostMessageA(d.dialog, WM_KEYDOWN, key, 0);
        d.PressOk(IDC_SLIDE_DELAY);
    });
    EXPECT_EQ(IDOK, dlg.DoModal(NULL));
    driver.Join();
    EXPECT_EQ(RGB(4, 5, 6), backgroundShown);
    EXPECT_EQ(RGB(1, 2, 3), captionBefore);
    EXPECT_EQ(RGB(0, 0, 0), options.slideShowCaptionColor);
    EXPECT_EQ(RGB(4, 5, 6), options.viewerBackgroundClr);
}

TEST(ViewerDialogsParse, DecimalAcceptsOnlyPlainNumbers) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"2.5", true, 2.5}, {" 3 ", true, 3.0}, {"-0.5", true, -0.5}, {".25", true, 0.25},
        {"", false, 0},     {".", false, 0},    {"1.2.3", false, 0},  {"1e3", false, 0},
        {"inf", false, 0},  {"nan", false, 0},  {"0x10", false, 0},   {"12abc", false, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(c.ok, viewer_dialogs::ParseDecimal(c.text, &value)) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(c.value, value) << c.text;
        }
    }
}

TEST(CaptionCtrl, UsesALegibleFontAndKeepsItsText) {
    LOGFONTA font = CCaptionCtrl::MakeCaptionFont(NULL);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_EQ(DEFAULT_CHARSET, font.lfCharSet);
    EXPECT_LE(font.lfHeight, -10); // 10 points at 72 dpi or more

    HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, NULL, NULL,
                                    ::GetModuleHandleA(NULL), NULL);
    ASSERT_NE(nullptr, parent);
    {
        CCaptionCtrl caption;
        RECT rect = {0, 0, 300, 200};
        ASSERT_NE(nullptr, caption.CreateLabel(parent, rect));
        EXPECT_TRUE(caption.GetExStyle() & WS_EX_TRANSPARENT);
        ASSERT_NE(nullptr, caption.GetFont());
        LOGFONTA made = {};
        ASSERT_NE(0, ::GetObjectA(caption.GetFont(), sizeof(made), &made));
        EXPECT_LE(made.lfHeight, -10);
        // Text metrics of the font actually selected: more than a pixel high.
        HDC dc = ::GetDC(caption);
        HGDIOBJ old = ::SelectObject(dc, caption.GetFont());
        TEXTMETRICA metrics = {};
        ::GetTextMetricsA(dc, &metrics);
        ::SelectObject(dc, old);
        ::ReleaseDC(caption, dc);
        EXPECT_GE(metrics.tmHeight, 10);
        caption.SetText("A caption");
        EXPECT_EQ("A caption", caption.GetText());
        caption.SetText(nullptr);
        EXPECT_EQ("", caption.GetText());
    }
    ::DestroyWindow(parent);
}

} // namespace
