// Property sheets and wizards from page templates: which pages apply and
// when, a failed apply that keeps the sheet open on its page, the Apply
// button, Cancel, and the wizard's buttons and steps.
#include "ui/property_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/dialog_script.h"

namespace {

constexpr int kValueEdit = 330;
constexpr int kApplyNowButton = 0x3021; // the sheet's "Apply"
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

using testsupport::DialogScript;

// Runs the thread's messages until `done` holds or a ceiling passes.
bool PollUntil(const std::function<bool()>& done, DWORD ceilingMs = 5000) {
    for (DWORD start = ::GetTickCount(); !done();) {
        if (::GetTickCount() - start > ceilingMs)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    }
    return true;
}

std::vector<std::string> g_log;

// One page: its edit shows `value`; apply takes the edit when it holds a
// number of 0 or more, and otherwise fails with the focus on the edit.
template <int N> class CTestPage : public CPropertyPageImpl<CTestPage<N>> {
    using Base = CPropertyPageImpl<CTestPage<N>>;

public:
    enum { IDD = N };
    explicit CTestPage(const char* name, const char* title = nullptr) : Base(title), name(name) {}

    std::string name;
    int value = N;
    DWORD wizardButtons = 0; // set on activation when not 0
    int refuseNext = 0;      // how many Next presses to refuse

    BEGIN_MSG_MAP(CTestPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(kValueEdit, EN_CHANGE, OnChange)
    CHAIN_MSG_MAP(Base)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
        g_log.push_back("init " + name);
        this->SetDlgItemInt(kValueEdit, value, TRUE);
        return TRUE;
    }
    LRESULT OnChange(WORD, WORD, HWND, BOOL&) {
        this->SetModified();
        return 0;
    }
    BOOL OnSetActive() {
        g_log.push_back("show " + name);
        if (wizardButtons != 0)
            this->SetWizardButtons(wizardButtons);
        return TRUE;
    }
    BOOL OnKillActive() {
        g_log.push_back("leave " + name);
        return TRUE;
    }
    BOOL OnApply() {
        BOOL ok = FALSE;
        int read = (int)::GetDlgItemInt(this->m_hWnd, kValueEdit, &ok, TRUE);
        if (!ok || read < 0) {
            g_log.push_back("refuse " + name);
            ::SetFocus(this->GetDlgItem(kValueEdit));
            return FALSE;
        }
        value = read;
        g_log.push_back("apply " + name);
        return TRUE;
    }
    void OnReset() { g_log.push_back("cancel " + name); }
    int OnWizardNext() {
        if (refuseNext > 0) {
            --refuseNext;
            g_log.push_back("stay " + name);
            return -1;
        }
        return 0;
    }
    BOOL OnWizardFinish() {
        g_log.push_back("finish " + name);
        return TRUE;
    }
};

using CFirstPage = CTestPage<320>;
using CSecondPage = CTestPage<321>;
using CThirdPage = CTestPage<322>;

HWND CurrentPage(HWND sheet) {
    return (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

void Press(HWND sheet, int button) {
    ::SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

void ShowPage(HWND sheet, int index) {
    ::SendMessageA(sheet, PSM_SETCURSEL, index, 0);
}

std::string Log() {
    std::string all;
    for (const std::string& e : g_log)
        all += (all.empty() ? "" : ", ") + e;
    return all;
}

} // namespace

TEST(PropertySheets, OkAppliesTheShownPagesInOrderFromTheStartPage) {
    g_log.clear();
    CFirstPage first("first");
    CSecondPage second("second");
    CThirdPage third("third");
    CPropertySheet sheet("Test sheet", 2);
    sheet.AddPage(first);
    sheet.AddPage(second);
    sheet.AddPage(third);
    std::string caption;
    DialogScript script("Test sheet", [&](HWND dialog) {
        EXPECT_EQ(dialog, sheet.m_hWnd);
        EXPECT_EQ(CurrentPage(dialog), third.m_hWnd);
        ShowPage(dialog, 0);
        ::SetDlgItemTextA(first.m_hWnd, kValueEdit, "41");
        Press(dialog, PSBTN_OK);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDOK);
    EXPECT_TRUE(script.scriptRan);
    // The second page was never shown, so it never applies; the page shown
    // last is left (and may refuse) before anything applies.
    EXPECT_EQ(Log(), "init third, show third, leave third, init first, show first, "
                     "leave first, apply first, apply third");
    EXPECT_EQ(first.value, 41);
    EXPECT_EQ(second.value, 321);
    EXPECT_EQ(sheet.m_hWnd, (HWND)NULL);
}

TEST(PropertySheets, FailedApplyKeepsTheSheetOpenOnThatPageWithItsFocus) {
    g_log.clear();
    CFirstPage first("first");
    CSecondPage second("second");
    CPropertySheet sheet("Test sheet");
    sheet.AddPage(first);
    sheet.AddPage(second);
    DialogScript script("Test sheet", [&](HWND dialog) {
        ::SetDlgItemTextA(first.m_hWnd, kValueEdit, "-5");
        ShowPage(dialog, 1);
        g_log.clear();
        Press(dialog, PSBTN_OK);
        ASSERT_TRUE(PollUntil([&] { return CurrentPage(dialog) == first.m_hWnd; }))
            << "the sheet did not come back to the refusing page";
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(first.m_hWnd, kValueEdit));
        // The refusing page came to the front the way a user's click brings it.
        EXPECT_EQ(Log(), "leave second, refuse first, leave second, show first");
        // Mended, the same OK goes through and applies both pages.
        ::SetDlgItemTextA(first.m_hWnd, kValueEdit, "7");
        g_log.clear();
        Press(dialog, PSBTN_OK);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDOK);
    EXPECT_EQ(Log(), "leave first, apply first, apply second");
    EXPECT_EQ(first.value, 7);
}

TEST(PropertySheets, ChangesEnableApplyWhichAppliesWithoutClosingAndCancelStillCancels) {
    g_log.clear();
    CFirstPage first("first");
    CPropertySheet sheet("Test sheet");
    sheet.AddPage(first);
    DialogScript script("Test sheet", [&](HWND dialog) {
        EXPECT_FALSE(DialogScript::IsEnabled(dialog, kApplyNowButton));
        ::SetDlgItemTextA(first.m_hWnd, kValueEdit, "12");
        EXPECT_TRUE(DialogScript::IsEnabled(dialog, kApplyNowButton));
        Press(dialog, PSBTN_APPLYNOW);
        EXPECT_TRUE(PollUntil([&] { return first.value == 12; }));
        EXPECT_TRUE(::IsWindow(dialog));
        EXPECT_FALSE(DialogScript::IsEnabled(dialog, kApplyNowButton));
        Press(dialog, PSBTN_CANCEL);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDCANCEL);
    EXPECT_EQ(first.value, 12);
    EXPECT_EQ(g_log.back(), "cancel first");
}

TEST(PropertySheets, CancelAppliesNothing) {
    g_log.clear();
    CFirstPage first("first");
    CSecondPage second("second");
    CPropertySheet sheet("Test sheet");
    sheet.AddPage(first);
    sheet.AddPage(second);
    DialogScript script("Test sheet", [&](HWND dialog) {
        ::SetDlgItemTextA(first.m_hWnd, kValueEdit, "99");
        Press(dialog, PSBTN_CANCEL);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDCANCEL);
    EXPECT_EQ(first.value, 320);
    EXPECT_EQ(Log(), "init first, show first, cancel first");
}

TEST(PropertySheets, WizardStepsWithPostedButtonsARefusedNextAndFinish) {
    g_log.clear();
    CFirstPage welcome("welcome", "Welcome");
    CSecondPage step("step", "Step 1 of 1");
    CThirdPage done("done", "Done");
    welcome.wizardButtons = PSWIZB_NEXT;
    step.wizardButtons = PSWIZB_BACK | PSWIZB_NEXT;
    step.refuseNext = 1;
    done.wizardButtons = PSWIZB_BACK | PSWIZB_FINISH;
    CPropertySheet sheet;
    sheet.SetWizardMode();
    sheet.AddPage(welcome);
    sheet.AddPage(step);
    sheet.AddPage(done);
    DialogScript script("Welcome", [&](HWND dialog) {
        EXPECT_TRUE(PollUntil([&] { return !DialogScript::IsEnabled(dialog, kBackButton); }))
            << "Back stays enabled on the first page";
        EXPECT_TRUE(DialogScript::IsEnabled(dialog, kNextButton));
        Press(dialog, PSBTN_NEXT);
        ASSERT_TRUE(PollUntil([&] { return CurrentPage(dialog) == step.m_hWnd; }));
        EXPECT_TRUE(PollUntil([&] { return DialogScript::IsEnabled(dialog, kBackButton); }));
        Press(dialog, PSBTN_NEXT); // refused once
        PollUntil([&] { return g_log.back() == "stay step"; });
        EXPECT_EQ(CurrentPage(dialog), step.m_hWnd);
        Press(dialog, PSBTN_NEXT);
        ASSERT_TRUE(PollUntil([&] { return CurrentPage(dialog) == done.m_hWnd; }));
        EXPECT_TRUE(PollUntil([&] {
            HWND finish = ::GetDlgItem(dialog, kFinishButton);
            return finish != NULL && ::IsWindowVisible(finish) && ::IsWindowEnabled(finish);
        })) << "no Finish button on the last page";
        char caption[64] = "";
        ::GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Done");
        Press(dialog, PSBTN_FINISH);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDOK);
    EXPECT_EQ(Log(), "init welcome, show welcome, leave welcome, init step, show step, stay step, "
                     "leave step, init done, show done, finish done");
}

TEST(PropertySheets, WizardCancelledOnAnyPageAnswersCancel) {
    g_log.clear();
    CFirstPage welcome("welcome", "Welcome");
    CSecondPage step("step", "Step");
    welcome.wizardButtons = PSWIZB_NEXT;
    step.wizardButtons = PSWIZB_BACK | PSWIZB_FINISH;
    CPropertySheet sheet;
    sheet.SetWizardMode();
    sheet.AddPage(welcome);
    sheet.AddPage(step);
    DialogScript script("Welcome", [&](HWND dialog) {
        Press(dialog, PSBTN_NEXT);
        ASSERT_TRUE(PollUntil([&] { return CurrentPage(dialog) == step.m_hWnd; }));
        Press(dialog, PSBTN_CANCEL);
    });
    EXPECT_EQ(sheet.DoModal(NULL), IDCANCEL);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), std::string("finish step")), 0);
}
