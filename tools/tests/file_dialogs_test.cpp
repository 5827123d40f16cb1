// The dialogs of the file operations, run modally on the test's thread and
// driven from inside their loops: the Password dialog's OK and length rule,
// the Replace Confirmation's two sides and its Rename rule, and the copy
// and move progress over real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/tests/change_recorder.h"
#include "app/tests/temp_folder.h"
#include "tests/support/dialog_script.h"
#include "tools/file_dialogs.h"

namespace {

using testsupport::DialogScript;

void PutU32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<char>(v >> (8 * i)));
}

// A 24-bit BMP of one colour.
void WriteBmp(const std::string& path, int width, int height) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixels = stride * static_cast<uint32_t>(height);
    std::string bmp = "BM";
    PutU32(&bmp, 54 + pixels);
    PutU32(&bmp, 0);
    PutU32(&bmp, 54);
    PutU32(&bmp, 40);
    PutU32(&bmp, static_cast<uint32_t>(width));
    PutU32(&bmp, static_cast<uint32_t>(height));
    bmp += std::string("\x01\x00\x18\x00", 4);
    for (int i = 0; i < 6; ++i)
        PutU32(&bmp, 0);
    for (uint32_t i = 0; i < pixels; ++i)
        bmp.push_back(static_cast<char>(i % 3 == 0 ? 200 : 60));
    std::ofstream(path, std::ios::binary) << bmp;
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Type(HWND dialog, int id, const std::string& text) {
    DialogScript::SetText(dialog, id, text.c_str());
}

TEST(FileDialogs, PasswordOkFollowsTheEditAndRefusesTooLongAPassword) {
    CPasswordDialog dialog;
    dialog.SetPrompt("File '" + std::string(400, 'n') + ".bmp' is password protected.");
    EXPECT_EQ(299u, dialog.Prompt().size()); // cut, never overflowing
    dialog.SetPrompt("File 'x.bmp' is password protected.");
    bool initiallyOff = false, onAfterOne = false, offWhenEmptied = false, stayedOpen = false;
    std::string prompt;
    DialogScript script("Password", [&](HWND h) {
        prompt = DialogScript::Text(h, IDC_PASSWORD_PROMPT);
        initiallyOff = !DialogScript::IsEnabled(h, IDOK);
        Type(h, IDC_PASSWORD_EDIT, "s");
        onAfterOne = DialogScript::IsEnabled(h, IDOK);
        Type(h, IDC_PASSWORD_EDIT, "");
        offWhenEmptied = !DialogScript::IsEnabled(h, IDOK);
        Type(h, IDC_PASSWORD_EDIT, std::string(255, 'p'));
        DialogScript::PressOk(h);
        stayedOpen = ::IsWindow(h) && ::IsWindowVisible(h);
        testsupport::MaybeScreenshot(h, "password");
        Type(h, IDC_PASSWORD_EDIT, std::string(254, 'p'));
        DialogScript::PressOk(h);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ("File 'x.bmp' is password protected.", prompt);
    EXPECT_TRUE(initiallyOff);
    EXPECT_TRUE(onAfterOne);
    EXPECT_TRUE(offWhenEmptied);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(std::string(254, 'p'), dialog.password);
}

class ReplaceConfirmation : public testing::Test {
protected:
    void SetUp() override {
        source = from.File("photo.bmp");
        target = to.File("photo.bmp");
        WriteBmp(source, 40, 30);
        WriteBmp(target, 64, 48);
        SYSTEMTIME st{};
        st.wYear = 2001;
        st.wMonth = 2;
        st.wDay = 3;
        st.wHour = 4;
        st.wMinute = 5;
        FILETIME ft, utc;
        SystemTimeToFileTime(&st, &ft);
        LocalFileTimeToFileTime(&ft, &utc);
        HANDLE file =
            CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &utc);
        CloseHandle(file);
        dialog.source = source;
        dialog.target = target;
        dialog.newName = "photo_1.bmp";
    }
    CTestFolder from{"replace_from"}, to{"replace_to"};
    std::string source, target;
    CReplaceConfirmDialog dialog;
};

TEST_F(ReplaceConfirmation, EachSideShowsItsOwnFile) {
    std::vector<std::string> left, right;
    std::string proposal;
    DialogScript script("Replace Confirmation", [&](HWND h) {
        for (int id : {IDC_REPLACE_TARGET_LOCATION, IDC_REPLACE_TARGET_SIZE,
                       IDC_REPLACE_TARGET_DIMENSIONS, IDC_REPLACE_TARGET_MODIFIED})
            left.push_back(DialogScript::Text(h, id));
        for (int id : {IDC_REPLACE_SOURCE_LOCATION, IDC_REPLACE_SOURCE_SIZE,
                       IDC_REPLACE_SOURCE_DIMENSIONS, IDC_REPLACE_SOURCE_MODIFIED})
            right.push_back(DialogScript::Text(h, id));
        proposal = DialogScript::Text(h, IDC_REPLACE_NEW_NAME);
        testsupport::MaybeScreenshot(h, "replace_confirmation");
        DialogScript::Click(h, IDC_REPLACE_SAME_FOR_ALL);
        DialogScript::Click(h, IDC_REPLACE_SKIP);
    });
    EXPECT_EQ(IDC_REPLACE_SKIP, dialog.DoModal(nullptr));
    ASSERT_EQ(4u, left.size());
    EXPECT_EQ(target, left[0]);
    EXPECT_EQ(source, right[0]);
    EXPECT_NE(left[1], right[1]); // 9 270 and 3 654 bytes
    EXPECT_EQ("64 x 48", left[2]);
    EXPECT_EQ("40 x 30", right[2]);
    EXPECT_NE(std::string::npos, left[3].find("2001")) << left[3];
    EXPECT_NE(std::string::npos, left[3].find("4:05")) << left[3]; // no seconds
    EXPECT_EQ(std::string::npos, left[3].find("4:05:"));
    EXPECT_EQ(std::string::npos, right[3].find("2001"));
    EXPECT_EQ("photo_1.bmp", proposal);
    EXPECT_EQ(1, dialog.sameForAll);
}

TEST_F(ReplaceConfirmation, RenameMakesAFreeNameInTheTargetFolder) {
    WriteBmp(to.File("taken.bmp"), 2, 2);
    bool openAfterTaken = false, openAfterEscape = false;
    DialogScript script("Replace Confirmation", [&](HWND h) {
        Type(h, IDC_REPLACE_NEW_NAME, "taken");
        DialogScript::Click(h, IDC_REPLACE_RENAME);
        openAfterTaken = ::IsWindowVisible(h) != FALSE;
        Type(h, IDC_REPLACE_NEW_NAME, "..\\escape");
        DialogScript::Click(h, IDC_REPLACE_RENAME);
        openAfterEscape = ::IsWindowVisible(h) != FALSE;
        Type(h, IDC_REPLACE_NEW_NAME, "holiday");
        DialogScript::Click(h, IDC_REPLACE_RENAME);
    });
    script.boxCaptions = {"Information"};
    EXPECT_EQ(IDC_REPLACE_RENAME, dialog.DoModal(nullptr));
    EXPECT_TRUE(openAfterTaken);
    EXPECT_TRUE(openAfterEscape);
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("File already exists!", script.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), script.boxes[0].icon);
    EXPECT_EQ(to.File("holiday.bmp"), dialog.newName);
    EXPECT_EQ(0, dialog.sameForAll);
}

class CopyMoveProgress : public testing::Test {
protected:
    void SetUp() override {
        g_applicationState.Watcher().Shutdown();
        g_applicationState.SetWindowHosts(nullptr, nullptr, &recorder);
    }
    void TearDown() override {
        g_applicationState.SetFileDialogs(nullptr);
        g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);
    }
    CTestFolder from{"progress_from"}, to{"progress_to"};
    CChangeRecorder recorder;
    CToolFileDialogs tools;
};

TEST_F(CopyMoveProgress, CopiesEveryFileAndEndsWithOk) {
    std::vector<std::string> files;
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"})
        files.push_back(from.Write(name, 7));
    std::string status;
    // The dialog ends by itself; the script only looks at it.
    DialogScript script("Velmorantix XP",
                        [&](HWND h) { status = DialogScript::Text(h, IDC_COPY_MOVE_STATUS); });
    EXPECT_EQ(IDOK, tools.RunCopyMoveProgress(to.Path().c_str(), true, files, 0));
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"})
        EXPECT_EQ(std::string(7, 'x'), Content(to.File(name))) << name;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_applicationState.Watcher().PauseEvent(), 0));
    const auto changes = recorder.Take();
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(kListChangeBatchBegin, changes.front().code);
    EXPECT_EQ(kListChangeBatchEnd, changes.back().code);
    EXPECT_EQ(IDOK, tools.RunCopyMoveProgress(to.Path().c_str(), true, {}, 0));
    EXPECT_TRUE(g_applicationState.CopyMoveFilesWithProgress(to.Path().c_str(), true, {}, 0));
}

TEST_F(CopyMoveProgress, CancelInTheReplaceConfirmationStopsAfterThatFile) {
    CScriptedFileDialogs answers;
    answers.replaceAnswers = {{2, ""}};
    g_applicationState.SetFileDialogs(&answers);
    std::vector<std::string> files;
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"})
        files.push_back(from.Write(name, 5));
    to.Write("2.bmp", 1); // the second one collides
    EXPECT_EQ(IDCANCEL, tools.RunCopyMoveProgress(to.Path().c_str(), false, files, 0));
    EXPECT_EQ(1, answers.replaceAsked);
    EXPECT_EQ(std::string(5, 'x'), Content(to.File("1.bmp"))); // done before stays done
    EXPECT_EQ(std::string(1, 'x'), Content(to.File("2.bmp")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(to.File("3.bmp").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(files[2].c_str()));
}

} // namespace
