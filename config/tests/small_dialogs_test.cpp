// The small dialogs of the options: About, Arrange Viewers with its stored
// answer, and the two editors dialogs over a stand-in for the core's stored
// list, driven in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include "config/about_dialog.h"
#include "config/arrange_viewers_dialog.h"
#include "config/editors_dialog.h"
#include "config_test_host.h"
#include "tests/support/dialog_script.h"

namespace {

using configtest::StoredNumber;
using testsupport::DialogScript;
using testsupport::PollUntil;

// Runs `action` on the first top-level window of this thread with the given
// caption, once it shows: the way to answer a dialog that another scripted
// dialog opens and waits for.
class WhenShown {
public:
    WhenShown(const char* caption, std::function<void(HWND)> action)
        : m_caption(caption), m_action(std::move(action)) {
        s_active = this;
        m_timer = ::SetTimer(nullptr, 0, 20, Tick);
    }
    ~WhenShown() {
        ::KillTimer(nullptr, m_timer);
        s_active = nullptr;
    }
    bool ran = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhenShown* self = s_active;
        if (self == nullptr || self->ran)
            return;
        HWND window = ::FindWindowA("#32770", self->m_caption.c_str());
        if (window == nullptr || !::IsWindowVisible(window) ||
            ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
            return;
        self->ran = true;
        self->m_action(window);
    }
    std::string m_caption;
    std::function<void(HWND)> m_action;
    UINT_PTR m_timer = 0;
    static inline WhenShown* s_active = nullptr;
};

std::string ListText(HWND list, int row, int column) {
    char text[300] = "";
    ListView_GetItemText(list, row, column, text, sizeof(text));
    return text;
}

void Activate(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   (LPARAM)::GetDlgItem(dialog, id));
}

} // namespace

TEST(AboutDialog, ShowsNameAndVersionAndEndsWithTheButtonsId) {
    configtest::SetUpProcess();
    for (int button : {IDOK, IDCANCEL}) {
        CAboutDialog about;
        std::string texts;
        DialogScript script("About Velmorantix XP", [&](HWND dialog) {
            testsupport::MaybeScreenshot(dialog, "about");
            for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                char text[128] = "";
                ::GetWindowTextA(child, text, sizeof(text));
                texts += std::string(text) + "|";
            }
            EXPECT_NE(::SendDlgItemMessageA(dialog, IDC_ABOUT_VERSION, WM_GETTEXTLENGTH, 0, 0), 0);
            ::SendMessageA(dialog, WM_COMMAND, button, 0);
        });
        EXPECT_EQ(about.DoModal(nullptr), button);
        EXPECT_NE(texts.find("|Velmorantix XP|"), std::string::npos) << texts;
        EXPECT_NE(texts.find("|Version 5.5.438|"), std::string::npos) << texts;
    }
}

class ArrangeViewersTest : public ::testing::Test {
protected:
    void SetUp() override {
        configtest::SetUpProcess();
        configtest::FreshOptions();
    }
    INT_PTR Run(CArrangeViewersDialog& dialog, const std::function<void(HWND)>& script) {
        DialogScript run("Arrange Viewers", script);
        return dialog.DoModal(nullptr);
    }
};

TEST_F(ArrangeViewersTest, FirstUseOffersTheGridAndEachChoiceEnablesOnlyItsMaximum) {
    CArrangeViewersDialog dialog;
    EXPECT_EQ(Run(dialog,
                  [&](HWND d) {
                      testsupport::MaybeScreenshot(d, "arrange_viewers");
                      EXPECT_TRUE(DialogScript::IsChecked(d, IDC_ARRANGE_GRID));
                      EXPECT_EQ(DialogScript::Text(d, IDC_ARRANGE_ROW_MAX), "0");
                      EXPECT_EQ(DialogScript::Text(d, IDC_ARRANGE_COLUMN_MAX), "0");
                      struct Case {
                          int radio;
                          bool row, column;
                      } cases[] = {{IDC_ARRANGE_ROWS, true, false},
                                   {IDC_ARRANGE_COLUMNS, false, true},
                                   {IDC_ARRANGE_GRID, false, false}};
                      EXPECT_FALSE(DialogScript::IsEnabled(d, IDC_ARRANGE_ROW_MAX));
                      EXPECT_FALSE(DialogScript::IsEnabled(d, IDC_ARRANGE_COLUMN_MAX));
                      for (const Case& c : cases) {
                          DialogScript::Click(d, c.radio);
                          EXPECT_EQ(DialogScript::IsEnabled(d, IDC_ARRANGE_ROW_MAX), c.row);
                          EXPECT_EQ(DialogScript::IsEnabled(d, IDC_ARRANGE_COLUMN_MAX), c.column);
                      }
                      DialogScript::PressCancel(d);
                  }),
              IDCANCEL);
    EXPECT_EQ(StoredNumber("ArrangeViewersSelection"), 0xDEADBEEFu) << "Cancel stores nothing";
}

TEST_F(ArrangeViewersTest, OkKeepsTheDialogUntilTheMaximumInUseIsSoundThenStoresTheAnswer) {
    CArrangeViewersDialog dialog;
    EXPECT_EQ(Run(dialog,
                  [&](HWND d) {
                      DialogScript::Click(d, IDC_ARRANGE_COLUMNS);
                      for (const char* bad : {"101", "-1", "many", ""}) {
                          DialogScript::SetText(d, IDC_ARRANGE_COLUMN_MAX, bad);
                          DialogScript::PressOk(d);
                          EXPECT_TRUE(::IsWindowVisible(d)) << bad;
                          EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_ARRANGE_COLUMN_MAX)) << bad;
                      }
                      // The unused maximum may hold anything: it is not asked for.
                      DialogScript::SetText(d, IDC_ARRANGE_ROW_MAX, "oops");
                      DialogScript::SetText(d, IDC_ARRANGE_COLUMN_MAX, "3");
                      DialogScript::PressOk(d);
                  }),
              IDOK);
    EXPECT_EQ(dialog.Mode(), 't');
    EXPECT_EQ(dialog.Maximum(), 3);
    EXPECT_EQ(StoredNumber("ArrangeViewersSelection"), 2u);
    EXPECT_EQ(StoredNumber("ArrangeViewersVertMax"), 3u);
    EXPECT_EQ(StoredNumber("ArrangeViewersHorzMax"), 0u);

    // The stored answer comes back; a maximum of 0 is an answer too.
    CArrangeViewersDialog again;
    EXPECT_EQ(Run(again,
                  [&](HWND d) {
                      EXPECT_TRUE(DialogScript::IsChecked(d, IDC_ARRANGE_COLUMNS));
                      EXPECT_EQ(DialogScript::Text(d, IDC_ARRANGE_COLUMN_MAX), "3");
                      EXPECT_TRUE(DialogScript::IsEnabled(d, IDC_ARRANGE_COLUMN_MAX));
                      DialogScript::Click(d, IDC_ARRANGE_ROWS);
                      DialogScript::PressOk(d);
                  }),
              IDOK);
    EXPECT_EQ(again.Mode(), 's');
    EXPECT_EQ(again.Maximum(), 0);
    EXPECT_EQ(StoredNumber("ArrangeViewersSelection"), 1u);
}

TEST_F(ArrangeViewersTest, StoredValuesOfAnotherTypeReadAsZero) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, kOptionsKeyPath, &key), ERROR_SUCCESS);
    ::RegSetValueExA(key, "ArrangeViewersSelection", 0, REG_SZ, (const BYTE*)"2", 2);
    const DWORD wide = 0;
    ::RegSetValueExA(key, "ArrangeViewersHorzMax", 0, REG_BINARY, (const BYTE*)&wide, 2);
    ::RegCloseKey(key);
    CArrangeViewersDialog dialog;
    EXPECT_EQ(Run(dialog,
                  [&](HWND d) {
                      EXPECT_TRUE(DialogScript::IsChecked(d, IDC_ARRANGE_GRID));
                      EXPECT_EQ(DialogScript::Text(d, IDC_ARRANGE_ROW_MAX), "0");
                      DialogScript::PressOk(d);
                  }),
              IDOK);
    EXPECT_EQ(dialog.Mode(), 'r');
}

namespace {

// The core's stored list and its launch, kept in memory.
class FakeEditorStore : public IEditorListStore {
public:
    std::vector<CEditorEntry> stored;
    std::vector<std::vector<CEditorEntry>> saves;
    std::vector<std::string> launched;

    std::vector<CEditorEntry> Load() override { return stored; }
    bool Save(const std::vector<CEditorEntry>& editors) override {
        saves.push_back(editors);
        stored = editors;
        return true;
    }
    bool Launch(const char* program) override {
        launched.push_back(program);
        return true;
    }
};

std::string ThisProgram() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

class EditorsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        configtest::SetUpProcess();
        program = ThisProgram();
        store.stored = {{"Paint", program}, {"Gimp", program + "x"}, {"Shop", "C:\\shop.exe"}};
    }
    INT_PTR Run(const std::function<void(HWND, HWND)>& script) {
        CEditorsDialog dialog(store);
        DialogScript run("Configure Editors",
                         [&](HWND d) { script(d, ::GetDlgItem(d, IDC_EDITORS_LIST)); });
        return dialog.DoModal(nullptr);
    }
    FakeEditorStore store;
    std::string program;
};

} // namespace

TEST_F(EditorsDialogTest, SetDefaultMovesTheEntryFirstAndOkStoresTheListInOrder) {
    EXPECT_EQ(Run([&](HWND d, HWND list) {
                  testsupport::MaybeScreenshot(d, "configure_editors");
                  ASSERT_EQ(ListView_GetItemCount(list), 3);
                  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
                  EXPECT_EQ(ListText(list, 1, 0), "Gimp");
                  EXPECT_EQ(ListText(list, 2, 1), "C:\\shop.exe");
                  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
                  Activate(d, IDC_EDITORS_DEFAULT);
                  EXPECT_EQ(ListText(list, 0, 0), "Shop");
                  Activate(d, IDC_EDITORS_LAUNCH);
                  DialogScript::PressOk(d);
              }),
              IDOK);
    ASSERT_EQ(store.saves.size(), 1u);
    ASSERT_EQ(store.saves[0].size(), 3u);
    EXPECT_EQ(store.saves[0][0].title, "Shop");
    EXPECT_EQ(store.saves[0][1].title, "Paint");
    EXPECT_EQ(store.saves[0][2].location, program + "x");
    EXPECT_EQ(store.launched, std::vector<std::string>{"C:\\shop.exe"});
}

TEST_F(EditorsDialogTest, CancelAfterRemovingStoresNothing) {
    EXPECT_EQ(Run([&](HWND d, HWND list) {
                  Activate(d, IDC_EDITORS_REMOVE);
                  EXPECT_EQ(ListView_GetItemCount(list), 2);
                  EXPECT_EQ(ListText(list, 0, 0), "Gimp");
                  // Nothing is selected now, yet the buttons wait for a click
                  // in the list before they follow.
                  EXPECT_TRUE(DialogScript::IsEnabled(d, IDC_EDITORS_EDIT));
                  NMHDR click = {list, IDC_EDITORS_LIST, (UINT)NM_CLICK};
                  ::SendMessageA(d, WM_NOTIFY, IDC_EDITORS_LIST, (LPARAM)&click);
                  for (int id : {IDC_EDITORS_REMOVE, IDC_EDITORS_EDIT, IDC_EDITORS_LAUNCH,
                                 IDC_EDITORS_DEFAULT})
                      EXPECT_FALSE(DialogScript::IsEnabled(d, id)) << id;
                  DialogScript::PressCancel(d);
              }),
              IDCANCEL);
    EXPECT_TRUE(store.saves.empty());
    EXPECT_EQ(store.stored.size(), 3u);
}

TEST_F(EditorsDialogTest, AddTakesOnlyAProgramThatExistsAndEditChangesTheEntry) {
    store.stored.clear();
    EXPECT_EQ(Run([&](HWND d, HWND list) {
                  EXPECT_FALSE(DialogScript::IsEnabled(d, IDC_EDITORS_EDIT));
                  const struct {
                      const char* title;
                      std::string location;
                  } adds[] = {{"Ghost", "C:\\no such editor.exe"}, {"Real", program}};
                  for (const auto& add : adds) {
                      WhenShown editor("Configure Editor", [&](HWND e) {
                          testsupport::MaybeScreenshot(e, "configure_editor");
                          DialogScript::SetText(e, IDC_EDITOR_TITLE, add.title);
                          DialogScript::SetText(e, IDC_EDITOR_LOCATION, add.location.c_str());
                          DialogScript::PressOk(e);
                      });
                      Activate(d, IDC_EDITORS_ADD);
                      EXPECT_TRUE(editor.ran);
                  }
                  ASSERT_EQ(ListView_GetItemCount(list), 1);
                  EXPECT_EQ(ListText(list, 0, 0), "Real");

                  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
                  std::string shownTitle;
                  WhenShown editor("Configure Editor", [&](HWND e) {
                      shownTitle = DialogScript::Text(e, IDC_EDITOR_TITLE);
                      DialogScript::SetText(e, IDC_EDITOR_TITLE, "Renamed");
                      DialogScript::PressOk(e);
                  });
                  // A double click or Enter on the entry edits it.
                  NMITEMACTIVATE activate = {};
                  activate.hdr = {list, IDC_EDITORS_LIST, (UINT)LVN_ITEMACTIVATE};
                  activate.iItem = 0;
                  ::SendMessageA(d, WM_NOTIFY, IDC_EDITORS_LIST, (LPARAM)&activate);
                  EXPECT_EQ(shownTitle, "Real");
                  EXPECT_EQ(ListText(list, 0, 0), "Renamed");
                  DialogScript::PressOk(d);
              }),
              IDOK);
    ASSERT_EQ(store.saves.size(), 1u);
    ASSERT_EQ(store.saves[0].size(), 1u);
    EXPECT_EQ(store.saves[0][0].title, "Renamed");
    EXPECT_EQ(store.saves[0][0].location, program);
}

TEST_F(EditorsDialogTest, AFullListTakesNoEleventhEditor) {
    store.stored.assign(kMaxEditors, CEditorEntry{"Same", program});
    Run([&](HWND d, HWND list) {
        WhenShown editor("Configure Editor", [&](HWND e) { DialogScript::PressCancel(e); });
        Activate(d, IDC_EDITORS_ADD);
        EXPECT_FALSE(editor.ran) << "the entry dialog opened for a full list";
        EXPECT_EQ(ListView_GetItemCount(list), 10);
        DialogScript::PressOk(d);
    });
    EXPECT_EQ(store.stored.size(), kMaxEditors);
}

TEST(EditorDialog, OkNeedsBothFieldsWithinTheirLengthsAndBrowseNamesAnUntitledEditor) {
    configtest::SetUpProcess();
    const std::string program = ThisProgram();
    std::string title = program.substr(program.find_last_of('\\') + 1);
    title.erase(title.rfind('.'));
    struct Case {
        const char* what;
        const char* title; // null: the name Browse gave
        bool keepsOpen;
    } cases[] = {
        {"an empty title", "", true},
        {"a title of 50 characters", "12345678901234567890123456789012345678901234567890", true},
        {"the name Browse gave", nullptr, false},
    };
    auto browse = [&](HWND e) {
        WhenShown open("Open", [&](HWND o) {
            // The file name box: a combo box in the explorer-style dialog
            // (cmb13), a plain edit (edt1) in the old one.
            ::SetDlgItemTextA(o, 0x47c, program.c_str());
            ::SetDlgItemTextA(o, 0x480, program.c_str());
            ::SendMessageA(o, WM_COMMAND, IDOK, 0);
        });
        Activate(e, IDC_EDITOR_BROWSE);
        EXPECT_TRUE(open.ran) << "no Open dialog";
    };
    CEditorDialog dialog;
    DialogScript script("Configure Editor", [&](HWND e) {
        browse(e);
        EXPECT_STRCASEEQ(DialogScript::Text(e, IDC_EDITOR_LOCATION).c_str(), program.c_str());
        EXPECT_EQ(DialogScript::Text(e, IDC_EDITOR_TITLE), title);
        // A title of the user's own stays.
        DialogScript::SetText(e, IDC_EDITOR_TITLE, "Mine");
        browse(e);
        EXPECT_EQ(DialogScript::Text(e, IDC_EDITOR_TITLE), "Mine");
        for (const Case& c : cases) {
            DialogScript::SetText(e, IDC_EDITOR_TITLE, c.title ? c.title : title.c_str());
            DialogScript::PressOk(e);
            EXPECT_EQ(::IsWindowVisible(e) != FALSE, c.keepsOpen) << c.what;
        }
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(std::string(dialog.title), title);
    EXPECT_STRCASEEQ(dialog.location, program.c_str());
}
