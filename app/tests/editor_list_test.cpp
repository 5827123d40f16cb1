// The stored editor list: its values "0".."9" read up to the first gap, a
// save that removes only what a longer list left behind, and the start of
// an editor program.
#include "app/editor_list.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace {

const std::string kEditorsKey = std::string(kOptionsKeyPath) + "\\Editors";

class EditorListTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kEditorsKey.c_str()); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kEditorsKey.c_str()); }

    static void Put(const char* name, const std::string& text, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kEditorsKey.c_str(), 0, nullptr,
                                                 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
    // The value's text, or "(none)".
    static std::string Get(const char* name) {
        char text[512] = {};
        DWORD size = sizeof text - 1, type = 0;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kEditorsKey.c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return "(none)";
        const LONG read =
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
        return read == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : "(none)";
    }
    static std::vector<std::string> Loaded() {
        std::vector<CEditorRecord> list;
        LoadEditorList(list);
        std::vector<std::string> texts;
        for (const CEditorRecord& record : list)
            texts.push_back(record.title + " = " + record.path);
        return texts;
    }
};

TEST_F(EditorListTest, LoadingStopsAtTheFirstMissingOrForeignValue) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, std::string>> values;
        DWORD typeOfSecond;
        std::vector<std::string> loaded;
    };
    const Case cases[] = {
        {"no key: no editor", {}, REG_SZ, {}},
        {"a gap at 2 ends the list before 3",
         {{"0", "A|C:\\a.exe"}, {"1", "B|C:\\b c\\b.exe"}, {"3", "D|C:\\d.exe"}},
         REG_SZ,
         {"A = C:\\a.exe", "B = C:\\b c\\b.exe"}},
        {"a value that is no text ends the list",
         {{"0", "A|C:\\a.exe"}, {"1", "B|C:\\b.exe"}},
         REG_BINARY,
         {"A = C:\\a.exe"}},
        {"a value without a bar is a path titled by its name",
         {{"0", "C:\\Tools\\Photo Fixer.exe"}},
         REG_SZ,
         {"Photo Fixer = C:\\Tools\\Photo Fixer.exe"}},
        {"the text splits at its first bar", {{"0", "A|C:\\x|y.exe"}}, REG_SZ, {"A = C:\\x|y.exe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteKeyA(HKEY_CURRENT_USER, kEditorsKey.c_str());
        for (size_t i = 0; i < c.values.size(); ++i)
            Put(c.values[i].first, c.values[i].second, i == 1 ? c.typeOfSecond : REG_SZ);
        EXPECT_EQ(c.loaded, Loaded());
    }
}

TEST_F(EditorListTest, SavingWritesInOrderAndRemovesOnlyTheValuesUpToTheFirstGap) {
    Put("0", "A|C:\\a.exe");
    Put("1", "B|C:\\b.exe");
    Put("3", "D|C:\\d.exe");
    std::vector<CEditorRecord> list;
    LoadEditorList(list);
    ASSERT_EQ(2u, list.size());
    std::swap(list[0], list[1]);
    ASSERT_TRUE(SaveEditorList(list));
    EXPECT_EQ("B|C:\\b.exe", Get("0"));
    EXPECT_EQ("A|C:\\a.exe", Get("1"));
    EXPECT_EQ("(none)", Get("2"));
    EXPECT_EQ("D|C:\\d.exe", Get("3")) << "the deletion stops at the gap at 2";

    // A shorter list removes what the longer one left.
    ASSERT_TRUE(SaveEditorList({{"C:\\only.exe", "Only"}}));
    EXPECT_EQ("Only|C:\\only.exe", Get("0"));
    EXPECT_EQ("(none)", Get("1"));
    ASSERT_TRUE(SaveEditorList({}));
    EXPECT_EQ("(none)", Get("0"));
    EXPECT_EQ("D|C:\\d.exe", Get("3"));
}

// Answers the program's "Failed" box of this process and keeps its text.
DWORD WINAPI AnswerFailedBox(LPVOID context) {
    auto* seenText = static_cast<std::string*>(context);
    for (int i = 0; i < 500; ++i) {
        HWND box = FindWindowExA(nullptr, nullptr, "#32770", "Failed");
        DWORD process = 0;
        if (box)
            GetWindowThreadProcessId(box, &process);
        if (box && process == GetCurrentProcessId()) {
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            *seenText = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(20);
    }
    return 1;
}

TEST_F(EditorListTest, AProgramThatCannotStartIsReportedAndNothingStarts) {
    // The report is a box of this thread: answer it from another.
    std::string seen;
    HANDLE answerer = CreateThread(nullptr, 0, AnswerFailedBox, &seen, 0, nullptr);
    EXPECT_FALSE(LaunchEditor("C:\\vxp_no_such_folder\\editor.exe", "C:\\pic.bmp"));
    WaitForSingleObject(answerer, 10000);
    CloseHandle(answerer);
    EXPECT_EQ("Launch editor failed!\nPlease make sure the editor location is correct.", seen);
}

} // namespace
