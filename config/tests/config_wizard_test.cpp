// The first-run wizard driven through its four pages: the buttons of each
// page, Finish with the defaults (every association, the shortcuts read back
// from their files, the tray icon and the stored options), a format left
// unchecked, shortcuts that already exist, and Cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "config/config_wizard.h"
#include "config/file_associations.h"
#include "config/shortcuts.h"
#include "config_test_host.h"
#include "tests/support/dialog_script.h"

namespace {

using configtest::CurrentPage;
using configtest::StoredNumber;
using configtest::TestHost;
using testsupport::DialogScript;
using testsupport::PollUntil;

constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

struct LinkInfo {
    bool read = false;
    std::string target, arguments, description;
};

LinkInfo ReadLink(int csidl, const char* file) {
    LinkInfo info;
    char path[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)))
        return info;
    PathAppendA(path, file);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, nullptr, 0);
            info.target = text;
            text[0] = '\0';
            link->GetArguments(text, MAX_PATH);
            info.arguments = text;
            text[0] = '\0';
            link->GetDescription(text, MAX_PATH);
            info.description = text;
            info.read = true;
        }
        persist->Release();
    }
    link->Release();
    return info;
}

std::string DefaultValue(const char* key) {
    char value[MAX_PATH] = "";
    LONG size = sizeof(value);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

void Press(HWND sheet, int button) {
    ::SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

bool ButtonUsable(HWND sheet, int id) {
    HWND button = ::GetDlgItem(sheet, id);
    return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

class ConfigWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        configtest::SetUpProcess();
        configtest::FreshOptions();
        g_applicationState.SetTrayIconShown(false);
        RestoreAllFileAssociations();
        DeleteStartupShortcut();
        DeleteDesktopShortcut();
        DeleteStartMenuShortcut();
        DeleteQuickLaunchShortcut();
    }

    // Presses Next `count` times, each time waiting for the page to change.
    void Next(HWND sheet, int count) {
        for (int i = 0; i < count; ++i) {
            const HWND before = CurrentPage(sheet);
            Press(sheet, PSBTN_NEXT);
            ASSERT_TRUE(PollUntil([&] { return CurrentPage(sheet) != before; }))
                << "Next did not leave the page";
        }
    }

    TestHost host;
};

TEST_F(ConfigWizardTest, FinishWithTheDefaultsAssociatesEveryFormatAndMakesEveryShortcut) {
    CConfigWizard wizard(host);
    std::string titles[4];
    RECT sheetRect = {}, area = {};
    DialogScript script("Velmorantix XP configuration", [&](HWND sheet) {
        // With no owner it stands in the middle of the work area.
        ::GetWindowRect(sheet, &sheetRect);
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        char text[128] = "";
        const struct {
            HWND* page;
            DWORD buttons; // Back, Next, Finish usable
        } steps[] = {
            {&wizard.welcomePage.m_hWnd, 0b010},
            {&wizard.formatsPage.m_hWnd, 0b110},
            {&wizard.systemPage.m_hWnd, 0b110},
            {&wizard.completePage.m_hWnd, 0b101},
        };
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(PollUntil([&] { return CurrentPage(sheet) == *steps[i].page; }));
            const bool back = steps[i].buttons & 0b100, next = steps[i].buttons & 0b010,
                       finish = steps[i].buttons & 0b001;
            EXPECT_TRUE(PollUntil([&] {
                return ButtonUsable(sheet, kBackButton) == back &&
                       (ButtonUsable(sheet, kNextButton) == next || finish) &&
                       ButtonUsable(sheet, kFinishButton) == finish;
            })) << "the buttons of page "
                << i;
            ::GetWindowTextA(sheet, text, sizeof(text));
            titles[i] = text;
            const char* names[] = {"wizard_welcome", "wizard_formats", "wizard_system",
                                   "wizard_complete"};
            testsupport::MaybeScreenshot(sheet, names[i]);
            if (i == 2) {
                for (int id : {IDC_SYSTEM_TRAY, IDC_SYSTEM_START_MENU, IDC_SYSTEM_DESKTOP,
                               IDC_SYSTEM_QUICK_LAUNCH})
                    EXPECT_TRUE(DialogScript::IsChecked(*steps[i].page, id)) << id;
            }
            Press(sheet, i < 3 ? PSBTN_NEXT : PSBTN_FINISH);
        }
    });
    EXPECT_EQ(wizard.DoModal(nullptr), IDOK);
    EXPECT_NEAR(sheetRect.left + sheetRect.right, area.left + area.right, 3);
    EXPECT_NEAR(sheetRect.top + sheetRect.bottom, area.top + area.bottom, 3);
    EXPECT_EQ(titles[0], "Velmorantix XP configuration");
    EXPECT_EQ(titles[1], "Step 1 of 2");
    EXPECT_EQ(titles[2], "Step 2 of 2");
    EXPECT_EQ(titles[3], "Velmorantix XP configuration complete");

    for (int type = 1; type <= 15; ++type)
        EXPECT_TRUE(IsFileAssociated(type)) << type;
    for (const char* extension : {".jpeg", ".jpe", ".jpg", ".vda", ".icb", ".vst", ".tiff", ".wbm"})
        EXPECT_EQ(DefaultValue(extension), std::string("Velmorantix.VelmorantixXP") + extension);
    EXPECT_EQ(DefaultValue("Velmorantix.VelmorantixXP.jpe"), "JPEG Image");

    const std::string program = g_applicationState.ProgramPath();
    const struct {
        int csidl;
        const char* file;
        const char* arguments;
        const char* description;
    } links[] = {
        {CSIDL_STARTUP, "Velmorantix XP.lnk", "/TrayIcon", "Velmorantix XP Tray Icon"},
        {CSIDL_DESKTOP, "Velmorantix XP.lnk", "", "Velmorantix XP Image Management Software"},
        {CSIDL_STARTMENU, "Velmorantix XP.lnk", "", "Velmorantix XP Image Management Software"},
        {CSIDL_APPDATA, "Microsoft\\Internet Explorer\\Quick Launch\\Launch Velmorantix XP.lnk", "",
         ""},
    };
    for (const auto& l : links) {
        const LinkInfo info = ReadLink(l.csidl, l.file);
        ASSERT_TRUE(info.read) << l.file;
        EXPECT_STRCASEEQ(info.target.c_str(), program.c_str()) << l.file;
        EXPECT_EQ(info.arguments, l.arguments) << l.file;
        EXPECT_EQ(info.description, l.description) << l.file;
    }
    EXPECT_EQ(host.trayAdded, 1);
    EXPECT_TRUE(g_applicationState.TrayIconShown());
    EXPECT_EQ(StoredNumber("TrayIcon"), 1u);
}

TEST_F(ConfigWizardTest, AnUncheckedFormatIsGivenBackOnlyWhenTheProgramHoldsIt) {
    // PCX belongs to another program; GIF was the program's before.
    ::RegSetValueA(HKEY_CLASSES_ROOT, ".pcx", REG_SZ, "OtherApp.pcx", 12);
    ::RegSetValueA(HKEY_CLASSES_ROOT, ".gif", REG_SZ, "OtherApp.gif", 12);
    ASSERT_TRUE(RegisterFileAssociation(3));
    CConfigWizard wizard(host);
    DialogScript script("Velmorantix XP configuration", [&](HWND sheet) {
        Next(sheet, 1);
        HWND list = ::GetDlgItem(wizard.formatsPage.m_hWnd, IDC_FORMAT_LIST);
        DialogScript::Click(wizard.formatsPage.m_hWnd, IDC_FORMAT_REMOVE_ALL);
        EXPECT_FALSE(ListView_GetCheckState(list, 0));
        DialogScript::Click(wizard.formatsPage.m_hWnd, IDC_FORMAT_SELECT_ALL);
        EXPECT_TRUE(ListView_GetCheckState(list, 14));
        ListView_SetCheckState(list, 2, FALSE); // GIF
        ListView_SetCheckState(list, 5, FALSE); // PCX
        Next(sheet, 2);
        Press(sheet, PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(nullptr), IDOK);
    EXPECT_EQ(DefaultValue(".pcx"), "OtherApp.pcx");
    EXPECT_EQ(DefaultValue(".pcx\\VelmorantixXPUndo"), "<none>");
    EXPECT_EQ(DefaultValue(".gif"), "OtherApp.gif");
    EXPECT_TRUE(IsFileAssociated(1));
    EXPECT_FALSE(IsFileAssociated(3));
    EXPECT_FALSE(IsFileAssociated(8));
}

TEST_F(ConfigWizardTest, ExistingShortcutsStayAsTheyAreAndUnchosenOnesGo) {
    // The desktop one was made by hand with a description of its own.
    char desktop[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOP, nullptr, 0, desktop), S_OK);
    PathAppendA(desktop, "Velmorantix XP.lnk");
    ASSERT_EQ(CreateShortcut(nullptr, "made by hand", g_applicationState.ProgramPath(), desktop),
              S_OK);
    ASSERT_EQ(CreateStartMenuShortcut(), S_OK);
    ASSERT_EQ(CreateStartupShortcut(), S_OK);
    g_applicationState.SetTrayIconShown(true);
    CConfigWizard wizard(host);
    DialogScript script("Velmorantix XP configuration", [&](HWND sheet) {
        Next(sheet, 2);
        DialogScript::Click(wizard.systemPage.m_hWnd, IDC_SYSTEM_TRAY);
        DialogScript::Click(wizard.systemPage.m_hWnd, IDC_SYSTEM_START_MENU);
        DialogScript::Click(wizard.systemPage.m_hWnd, IDC_SYSTEM_QUICK_LAUNCH);
        Next(sheet, 1);
        Press(sheet, PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(nullptr), IDOK);
    EXPECT_EQ(ReadLink(CSIDL_DESKTOP, "Velmorantix XP.lnk").description, "made by hand");
    EXPECT_FALSE(StartMenuShortcutExists());
    EXPECT_FALSE(QuickLaunchShortcutExists());
    EXPECT_FALSE(StartupShortcutExists());
    EXPECT_EQ(host.trayRemoved, 1);
    EXPECT_FALSE(g_applicationState.TrayIconShown());
    EXPECT_EQ(StoredNumber("TrayIcon"), 0u);
}

TEST_F(ConfigWizardTest, CancelOnAnyPageAppliesNothing) {
    for (int page = 0; page < 4; ++page) {
        CConfigWizard wizard(host);
        DialogScript script("Velmorantix XP configuration", [&](HWND sheet) {
            Next(sheet, page);
            Press(sheet, PSBTN_CANCEL);
        });
        EXPECT_EQ(wizard.DoModal(nullptr), IDCANCEL) << page;
        EXPECT_FALSE(IsFileAssociated(6)) << page;
        EXPECT_FALSE(DesktopShortcutExists()) << page;
        EXPECT_FALSE(StartupShortcutExists()) << page;
        EXPECT_EQ(host.trayAdded, 0) << page;
        EXPECT_EQ(StoredNumber("TrayIcon"), 0xDEADBEEFu) << page;
    }
}

} // namespace
