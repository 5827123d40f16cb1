// The Find dialog under Wine, driven in-process: keyword, artist and name
// searches into a "Search Result" list, the message when nothing matches,
// Stop and closing in the middle of a search, the Find button's rule and the
// check boxes kept among the options.
#include "explorer/find_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/image_attributes.h"
#include "app/tests/temp_folder.h"
#include "catalog/btree_index.h"
#include "tests/support/dialog_script.h"
#include "tests/support/poll_until.h"

namespace {

using testsupport::DialogScript;
using testsupport::PollUntil;
using Strings = std::vector<std::string>;

constexpr UINT kMsgTestListChange = WM_APP + 40;

// The explorer's stand-in: the list changes reach it by SendMessage from the
// search thread, as they reach the real frame, and it owns the dialog.
class CFakeExplorer : public IItemListWindows {
public:
    CFakeExplorer() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VxpFindTestOwner";
        ::RegisterClassA(&wc);
        window = ::CreateWindowExA(0, wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                   100, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CFakeExplorer() override { ::DestroyWindow(window); }

    void SendItemListChange(CFileItemList*, int code, const char* item, const char*) override {
        if (code == kListChangeAdded)
            ::SendMessageA(window, kMsgTestListChange, 0, reinterpret_cast<LPARAM>(item));
    }

    HWND window = nullptr;
    int added = 0;
    // Runs on the owner's thread when the first hit arrives, after the
    // search thread has been let go.
    std::function<void()> onFirstHit;
    WPARAM closedNotice = 0;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CFakeExplorer*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (self && msg == kMsgTestListChange) {
            if (++self->added == 1 && self->onFirstHit) {
                ::ReplyMessage(0);
                self->onFirstHit();
            }
            return 0;
        }
        if (self && msg == kMsgFindClosed) {
            self->closedNotice = wParam;
            return 0;
        }
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
};

class FindDialogTest : public testing::Test {
protected:
    void SetUp() override {
        g_applicationState.Watcher().Shutdown();
        g_applicationState.SetWindowHosts(nullptr, nullptr, &explorer);
        ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
        g_applicationState.LoadFolderSymbols();
        results = g_applicationState.NewSearchResultList();
        ASSERT_NE(nullptr, results);
        Choose(false, false, false, false, false);
    }
    void TearDown() override {
        g_applicationState.ReleaseFileItemList(results);
        g_applicationState.ReleaseFileItemList(nullptr);
        g_applicationState.Databases().CloseMainDatabase();
        g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);
    }

    // The remembered check boxes the dialog opens with.
    static void Choose(bool keyword, bool artist, bool name, bool matchCase, bool subfolders) {
        CAppOptions& options = g_applicationState.Options();
        options.explorerFindDlgDefKeyword = keyword;
        options.explorerFindDlgDefAuthor = artist;
        options.explorerFindDlgDefName = name;
        options.explorerFindDlgDefMatchCase = matchCase;
        options.explorerFindDlgDefLookInSubfolders = subfolders;
    }
    void Attach(const std::string& path, const char* keywords, const char* artist) {
        CImageAttributes attributes;
        attributes.path = path;
        attributes.keywords = keywords;
        attributes.artist = artist;
        ASSERT_TRUE(g_applicationState.SaveImageAttributes(attributes));
    }
    static void Type(HWND dialog, int id, const std::string& text) {
        ::SetDlgItemTextA(dialog, id, text.c_str());
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    }
    static void SetCheck(HWND dialog, int id, bool on) {
        ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
        Press(dialog, id);
    }
    static void Press(HWND dialog, int id) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    }
    // Starts the search and waits for its end, answering the message box.
    static bool RunSearch(CFindDialog& dialog) {
        Press(dialog.m_hWnd, IDOK);
        return PollUntil([&] { return !dialog.IsSearching(); }, 20000);
    }
    Strings Found() {
        Strings paths;
        results->Lock();
        for (int i = 0; i < results->GetItemCount(); ++i)
            paths.push_back(PathFindFileNameA(results->GetItem(i)));
        results->Unlock();
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    CTestFolder data{"find_db"};
    CFakeExplorer explorer;
    CFileItemList* results = nullptr;
};

TEST_F(FindDialogTest, KeywordsAndArtistMatchWholeValuesAndNoHitSaysSo) {
    CTestFolder pictures("find_attr");
    Attach(pictures.File("both.jpg"), "dog, cat", "");
    Attach(pictures.File("plural.jpg"), "cats", "");
    Attach(pictures.File("gap.jpg"), "cat,,dog", "");
    Attach(pictures.File("wild.jpg"), "wildcat", "Ann Lee");
    Attach(pictures.File("upper.jpg"), "Cat", "");
    struct Case {
        const char* name;
        const char* text;
        bool keyword, artist, matchCase;
        Strings found;
    } cases[] = {
        {"a whole keyword", "cat", true, false, false, {"both.jpg", "gap.jpg", "upper.jpg"}},
        {"after an empty piece nothing counts", "dog", true, false, false, {"both.jpg"}},
        {"with case", "Cat", true, false, true, {"upper.jpg"}},
        {"the artist whole, without case", "ann lee", false, true, false, {"wild.jpg"}},
        {"only part of the artist", "Ann", false, true, false, {}},
        {"artist with case", "ann lee", false, true, true, {}},
    };
    for (const Case& c : cases) {
        Choose(c.keyword, c.artist, false, c.matchCase, false);
        CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
        ASSERT_NE(nullptr, dialog.Create(explorer.window));
        DialogScript boxes("(no dialog)", [](HWND) {});
        boxes.boxCaptions = {"Find"};
        Type(dialog.m_hWnd, IDC_FIND_WHAT, c.text);
        ASSERT_TRUE(DialogScript::IsEnabled(dialog.m_hWnd, IDOK)) << c.name;
        ASSERT_TRUE(RunSearch(dialog)) << c.name;
        EXPECT_EQ(c.found, Found()) << c.name;
        EXPECT_EQ("&Find", DialogScript::Text(dialog.m_hWnd, IDOK)) << c.name;
        if (c.found.empty()) {
            ASSERT_EQ(1u, boxes.boxes.size()) << c.name;
            EXPECT_EQ("No item found.", boxes.boxes[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), boxes.boxes[0].icon);
        } else {
            EXPECT_TRUE(boxes.boxes.empty()) << c.name;
        }
        ::DestroyWindow(dialog.m_hWnd);
    }
}

TEST_F(FindDialogTest, ADamagedRecordIsSkippedAndTheOthersAreStillFound) {
    CTestFolder pictures("find_damaged");
    Attach(pictures.File("good.jpg"), "cat", "");
    struct Damage {
        const char* name;
        std::string value;
    } damages[] = {
        {"lying.jpg", std::string("\xff\xff\xff\x7f", 4) + "cat"}, // a length past the end
        {"short.jpg", std::string("\x03\x00", 2)},                 // cut inside a length
        {"empty.jpg", std::string()},
    };
    for (const Damage& d : damages) {
        std::string key;
        ASSERT_TRUE(g_applicationState.MakeAttributesKey(pictures.File(d.name).c_str(), &key));
        plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
        ASSERT_TRUE(g_applicationState.Databases().imageProperties->PutString(
            key.c_str(), DbBuffer::In(d.value.data(), static_cast<uint32_t>(d.value.size()))));
    }
    Choose(true, true, false, false, false);
    CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
    ASSERT_NE(nullptr, dialog.Create(explorer.window));
    Type(dialog.m_hWnd, IDC_FIND_WHAT, "cat");
    ASSERT_TRUE(RunSearch(dialog));
    EXPECT_EQ(Strings{"good.jpg"}, Found());
    ::DestroyWindow(dialog.m_hWnd);
}

TEST_F(FindDialogTest, ANameSearchFindsOnlyImagesWithOrWithoutSubfolders) {
    CTestFolder pictures("find_name");
    pictures.Write("Sunset.JPG", 10);
    pictures.Write("sun.txt", 10);
    pictures.Write("moon.png", 10);
    pictures.MakeFolder("deeper");
    pictures.Write("deeper\\sunny.png", 10);
    pictures.MakeFolder("Sunroom"); // a folder whose name matches is no hit
    struct Case {
        bool subfolders;
        Strings found;
    } cases[] = {{false, {"Sunset.JPG"}}, {true, {"Sunset.JPG", "sunny.png"}}};
    for (const Case& c : cases) {
        Choose(false, false, true, false, c.subfolders);
        CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
        ASSERT_NE(nullptr, dialog.Create(explorer.window));
        dialog.SetLookIn(pictures.Path().c_str());
        Type(dialog.m_hWnd, IDC_FIND_WHAT, "sun");
        ASSERT_TRUE(RunSearch(dialog));
        EXPECT_EQ(c.found, Found()) << c.subfolders;
        ::DestroyWindow(dialog.m_hWnd);
    }
}

TEST_F(FindDialogTest, FindNeedsATextAFieldAndForNamesAnExistingFolder) {
    CTestFolder pictures("find_rule");
    CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
    ASSERT_NE(nullptr, dialog.Create(explorer.window));
    const HWND d = dialog.m_hWnd;
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDOK)) << "no text, no field";
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDC_FIND_LOOK_IN)) << "Name unchecked";
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDC_FIND_BROWSE));
    Type(d, IDC_FIND_WHAT, "sun");
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDOK)) << "no field";
    SetCheck(d, IDC_FIND_NAME, true);
    EXPECT_TRUE(DialogScript::IsEnabled(d, IDC_FIND_LOOK_IN));
    EXPECT_TRUE(DialogScript::IsEnabled(d, IDC_FIND_BROWSE));
    Type(d, IDC_FIND_LOOK_IN, pictures.File("missing"));
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDOK)) << "the look-in folder is missing";
    Type(d, IDC_FIND_LOOK_IN, pictures.Path());
    EXPECT_TRUE(DialogScript::IsEnabled(d, IDOK));
    SetCheck(d, IDC_FIND_NAME, false);
    Type(d, IDC_FIND_LOOK_IN, pictures.File("missing"));
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDOK)) << "no field again";
    SetCheck(d, IDC_FIND_KEYWORD, true);
    EXPECT_TRUE(DialogScript::IsEnabled(d, IDOK)) << "the folder matters only for names";
    Type(d, IDC_FIND_WHAT, "");
    EXPECT_FALSE(DialogScript::IsEnabled(d, IDOK)) << "no text";
    ::DestroyWindow(d);
}

TEST_F(FindDialogTest, TheCheckBoxesOpenAsRememberedAndAreKeptOnClose) {
    struct Case {
        bool before[5]; // keyword, artist, name, match case, subfolders
        int click;      // the box clicked before Close
        bool after[5];
    } cases[] = {
        {{true, false, true, false, true}, IDC_FIND_ARTIST, {true, true, true, false, true}},
        {{false, true, false, true, false},
         IDC_FIND_MATCH_CASE,
         {false, true, false, false, false}},
    };
    const int ids[5] = {IDC_FIND_KEYWORD, IDC_FIND_ARTIST, IDC_FIND_NAME, IDC_FIND_MATCH_CASE,
                        IDC_FIND_SUBFOLDERS};
    for (const Case& c : cases) {
        Choose(c.before[0], c.before[1], c.before[2], c.before[3], c.before[4]);
        CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
        ASSERT_NE(nullptr, dialog.Create(explorer.window));
        dialog.SetLookIn(data.Path().c_str());
        dialog.Show();
        Type(dialog.m_hWnd, IDC_FIND_WHAT, "sunset");
        testsupport::MaybeScreenshot(dialog.m_hWnd, "find_dialog");
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(c.before[i], DialogScript::IsChecked(dialog.m_hWnd, ids[i])) << i;
        SetCheck(dialog.m_hWnd, c.click, !DialogScript::IsChecked(dialog.m_hWnd, c.click));
        Press(dialog.m_hWnd, IDCANCEL);
        EXPECT_FALSE(::IsWindowVisible(dialog.m_hWnd)) << "Close only hides";
        EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
        const CAppOptions& options = g_applicationState.Options();
        const bool stored[5] = {options.explorerFindDlgDefKeyword, options.explorerFindDlgDefAuthor,
                                options.explorerFindDlgDefName, options.explorerFindDlgDefMatchCase,
                                options.explorerFindDlgDefLookInSubfolders};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(c.after[i], stored[i]) << i;
        ::DestroyWindow(dialog.m_hWnd);
    }
}

// A folder of many images, so that the search is still going when the first
// hit reaches the owner.
void WriteManyImages(const CTestFolder& folder, int count) {
    for (int i = 0; i < count; ++i)
        folder.Write("sun" + std::to_string(i) + ".jpg", 4);
}

TEST_F(FindDialogTest, StopKeepsTheResultsFoundSoFar) {
    CTestFolder pictures("find_stop");
    constexpr int kImages = 60;
    WriteManyImages(pictures, kImages);
    Choose(false, false, true, false, false);
    CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
    ASSERT_NE(nullptr, dialog.Create(explorer.window));
    dialog.SetLookIn(pictures.Path().c_str());
    Type(dialog.m_hWnd, IDC_FIND_WHAT, "sun");
    std::string duringSearch;
    explorer.onFirstHit = [&] {
        duringSearch = DialogScript::Text(dialog.m_hWnd, IDOK);
        dialog.Show();
        Press(dialog.m_hWnd, IDOK); // "&Stop"
    };
    ASSERT_TRUE(RunSearch(dialog));
    EXPECT_EQ("&Stop", duringSearch);
    EXPECT_EQ("&Find", DialogScript::Text(dialog.m_hWnd, IDOK));
    const size_t found = Found().size();
    EXPECT_GE(found, 1u);
    EXPECT_LT(found, static_cast<size_t>(kImages)) << "the search stopped early";
    EXPECT_EQ(found, static_cast<size_t>(explorer.added)) << "every hit was announced";
    ::DestroyWindow(dialog.m_hWnd);
}

TEST_F(FindDialogTest, ClosingTheDialogInTheMiddleOfASearchLeavesNoThreadRunning) {
    CTestFolder pictures("find_close");
    constexpr int kImages = 60;
    WriteManyImages(pictures, kImages);
    Choose(false, false, true, false, false);
    CFindDialog dialog(results->GetKeyValue(), nullptr, nullptr);
    ASSERT_NE(nullptr, dialog.Create(explorer.window));
    dialog.SetLookIn(pictures.Path().c_str());
    Type(dialog.m_hWnd, IDC_FIND_WHAT, "sun");
    HANDLE thread = nullptr;
    bool ended = false;
    explorer.onFirstHit = [&] {
        thread = ::OpenThread(SYNCHRONIZE, FALSE, dialog.SearchThreadId());
        ::DestroyWindow(dialog.m_hWnd); // as when the explorer closes
        ended = thread && ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    };
    Press(dialog.m_hWnd, IDOK);
    ASSERT_TRUE(PollUntil([&] { return explorer.closedNotice != 0; }, 20000));
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(ended) << "the thread had ended when the window was gone";
    ::CloseHandle(thread);
    EXPECT_EQ(reinterpret_cast<WPARAM>(&dialog), explorer.closedNotice);
    EXPECT_FALSE(dialog.IsSearching());
    EXPECT_EQ(0u, dialog.SearchThreadId());
    EXPECT_LT(Found().size(), static_cast<size_t>(kImages));
}

} // namespace
