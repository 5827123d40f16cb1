// E-mailing pictures, in-process under Wine through its real MAPI32.DLL with
// the test provider fakemapi.dll registered as the mail program: the
// smaller copies and their job folder, the original files for "No", the
// message's flags and empty fields, the custom-size check, the mail
// program's errors and, in a run with MAPI32.DLL switched off, the message
// that it cannot be loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/dialog_script.h"
#include "tools/email_pictures.h"
#include "tools/tests/option_values.h"

namespace {

using testsupport::DialogScript;

constexpr char kCaption[] = "E-Mail Pictures";
const char* const kEmailValues[] = {"EmailPicturesResize", "EmailPicturesPictureSize",
                                    "EmailPicturesCustomWidth", "EmailPicturesCustomHeight"};

// An 8-bit grey BMP of the given size.
void WriteBmp(const std::string& path, int w, int h) {
    const int stride = (w + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 8;
    info.biClrUsed = 256;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info) + 256 * 4;
    file.bfSize = file.bfOffBits + stride * h;
    std::vector<BYTE> palette(256 * 4);
    for (int i = 0; i < 256; ++i)
        palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = (BYTE)i;
    std::vector<BYTE> pixels((size_t)stride * h, 0x80);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(palette.data()), palette.size());
    out.write(reinterpret_cast<const char*>(pixels.data()), pixels.size());
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The text after "key=" up to the next blank (the path runs to the end).
std::string Field(const std::string& line, const std::string& key) {
    const size_t at = line.find(" " + key + "=");
    if (at == std::string::npos)
        return "<missing>";
    const size_t from = at + key.size() + 2;
    if (key == "path")
        return line.substr(from);
    return line.substr(from, line.find(' ', from) - from);
}

bool EmailValuesPresent() {
    return option_values::AnyPresent(kEmailValues);
}

DWORD EmailValue(const char* name) {
    return option_values::Dword(name);
}

void ClearEmailValues() {
    option_values::Clear(kEmailValues);
}

// Job folders of the e-mail code under %TEMP%.
int JobFolders() {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((std::string(temp) + "Velmorantix Mail *").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do
        ++n;
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return n;
}

void SelectSize(HWND dialog, int row) {
    HWND list = ::GetDlgItem(dialog, IDC_EMAIL_SIZE);
    ::SendMessageA(list, CB_SETCURSEL, row, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EMAIL_SIZE, CBN_SELCHANGE), (LPARAM)list);
}

void Choose(HWND dialog, int radio) {
    ::CheckRadioButton(dialog, IDC_EMAIL_YES, IDC_EMAIL_NO, radio);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED),
                   (LPARAM)::GetDlgItem(dialog, radio));
}

class EmailTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "vxp email " + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(folder.c_str(), NULL);
        log = folder + "\\mapi.log";
        ::SetEnvironmentVariableA("VXP_FAKEMAPI_LOG", log.c_str());
        ::SetEnvironmentVariableA("VXP_FAKEMAPI_RESULT", NULL);
        RegisterProvider();
        ClearEmailValues();
    }
    void TearDown() override {
        RestoreProvider();
        for (const std::string& f : made)
            ::DeleteFileA(f.c_str());
        ::DeleteFileA(log.c_str());
        ::RemoveDirectoryA(folder.c_str());
        ClearEmailValues();
    }
    std::string Picture(const std::string& name, int w, int h) {
        const std::string path = folder + "\\" + name;
        WriteBmp(path, w, h);
        made.push_back(path);
        return path;
    }
    void RegisterProvider() {
        char exe[MAX_PATH];
        ::GetModuleFileNameA(NULL, exe, sizeof(exe));
        std::string dll = exe;
        dll = dll.substr(0, dll.find_last_of('\\')) + "\\fakemapi.dll";
        HKEY mail = NULL;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, NULL, 0,
                                    KEY_ALL_ACCESS, NULL, &mail, NULL),
                  ERROR_SUCCESS);
        char old[256] = "";
        DWORD size = sizeof(old);
        if (::RegQueryValueExA(mail, NULL, NULL, NULL, (BYTE*)old, &size) == ERROR_SUCCESS)
            previous = old;
        ::RegSetValueExA(mail, NULL, 0, REG_SZ, (const BYTE*)"FakeMail", 9);
        HKEY fake = NULL;
        ::RegCreateKeyExA(mail, "FakeMail", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &fake, NULL);
        ::RegSetValueExA(fake, "DLLPath", 0, REG_SZ, (const BYTE*)dll.c_str(),
                         (DWORD)dll.size() + 1);
        ::RegCloseKey(fake);
        ::RegCloseKey(mail);
    }
    void RestoreProvider() {
        HKEY mail = NULL;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", 0, KEY_ALL_ACCESS,
                            &mail) != ERROR_SUCCESS)
            return;
        if (!previous.empty())
            ::RegSetValueExA(mail, NULL, 0, REG_SZ, (const BYTE*)previous.c_str(),
                             (DWORD)previous.size() + 1);
        ::RegDeleteKeyA(mail, "FakeMail");
        ::RegCloseKey(mail);
    }

    std::string folder, log, previous;
    std::vector<std::string> made;
};

TEST_F(EmailTest, ShrinksLargePicturesIntoAFolderOfTheJobsOwnAndRemovesThemAfterwards) {
    const std::vector<std::string> files = {Picture("wide.bmp", 4000, 3000),
                                            Picture("tall.bmp", 3000, 4000),
                                            Picture("small.bmp", 600, 400)};
    const int foldersBefore = JobFolders();
    std::string count;
    bool sizeEnabled = false, customEnabled = true;
    DialogScript script(kCaption, [&](HWND d) {
        testsupport::MaybeScreenshot(d, "email_pictures");
        count = DialogScript::Text(d, IDC_EMAIL_COUNT);
        sizeEnabled = DialogScript::IsEnabled(d, IDC_EMAIL_SIZE);
        customEnabled = DialogScript::IsEnabled(d, IDC_EMAIL_WIDTH);
        SelectSize(d, 1); // "800 x 600"
        DialogScript::PressOk(d);
    });
    EmailPictures(files);
    EXPECT_TRUE(script.scriptRan);
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_EQ(count, "3 images");
    EXPECT_TRUE(sizeEnabled);
    EXPECT_FALSE(customEnabled);

    const std::vector<std::string> lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Field(lines[0], "flags"), "0x9"); // MAPI_LOGON_UI | MAPI_DIALOG
    EXPECT_EQ(Field(lines[0], "session"), "0");
    EXPECT_EQ(Field(lines[0], "ui"), "0");
    EXPECT_EQ(Field(lines[0], "subject"), "[]");
    EXPECT_EQ(Field(lines[0], "note"), "[]");
    EXPECT_EQ(Field(lines[0], "recipients"), "0");
    EXPECT_EQ(Field(lines[0], "files"), "3");
    const char* dims[3] = {"800x600", "450x600", "600x400"};
    for (int i = 0; i < 3; ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_EQ(Field(line, "dims"), dims[i]) << line;
        EXPECT_EQ(Field(line, "position"), "-1") << line;
        EXPECT_EQ(Field(line, "reserved"), "0") << line;
        EXPECT_EQ(Field(line, "flags"), "0x0") << line;
        EXPECT_EQ(Field(line, "name"), "[(null)]") << line;
        EXPECT_EQ(Field(line, "type"), "(null)") << line;
    }
    // The copies live in a folder of their own, named as the originals, and
    // are gone once the mail program has returned.
    for (int i = 0; i < 2; ++i) {
        const std::string path = Field(lines[i + 1], "path");
        EXPECT_NE(path, files[i]);
        EXPECT_NE(path.find("Velmorantix Mail "), std::string::npos) << path;
        EXPECT_EQ(path.substr(path.find_last_of('\\')),
                  files[i].substr(files[i].find_last_of('\\')));
        EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    }
    EXPECT_EQ(Field(lines[3], "path"), files[2]);
    EXPECT_EQ(JobFolders(), foldersBefore);
    EXPECT_EQ(EmailValue("EmailPicturesResize"), 0u);
    EXPECT_EQ(EmailValue("EmailPicturesPictureSize"), 1u);
    EXPECT_EQ(EmailValue("EmailPicturesCustomWidth"), 1280u);
}

TEST_F(EmailTest, NoAttachesTheFilesThemselvesEvenWithAnInvalidCustomSize) {
    const std::vector<std::string> files = {Picture("wide.bmp", 4000, 3000),
                                            Picture("other.bmp", 640, 480)};
    const int foldersBefore = JobFolders();
    DialogScript script(kCaption, [&](HWND d) {
        SelectSize(d, 3); // Custom, with a width no picture can have ...
        DialogScript::SetText(d, IDC_EMAIL_WIDTH, "0");
        Choose(d, IDC_EMAIL_NO); // ... that is not used
        DialogScript::PressOk(d);
    });
    EmailPictures(files);
    EXPECT_TRUE(script.boxes.empty());
    const std::vector<std::string> lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[1], "path"), files[0]);
    EXPECT_EQ(Field(lines[2], "path"), files[1]);
    EXPECT_EQ(Field(lines[1], "dims"), "4000x3000");
    EXPECT_EQ(JobFolders(), foldersBefore);
    EXPECT_EQ(EmailValue("EmailPicturesResize"), 1u);
}

TEST_F(EmailTest, ACustomSizeOutOfRangeKeepsTheDialogOpenAndCancelSendsNothing) {
    const std::vector<std::string> files = {Picture("wide.bmp", 1000, 750)};
    bool stillOpen = false;
    DialogScript script(kCaption, [&](HWND d) {
        SelectSize(d, 3);
        DialogScript::SetText(d, IDC_EMAIL_WIDTH, "0");
        DialogScript::PressOk(d);
        stillOpen = ::IsWindowVisible(d) != FALSE;
        DialogScript::PressCancel(d);
    });
    EmailPictures(files);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, "Image dimensions must be between 1 and 9999");
    EXPECT_EQ(script.boxes[0].caption, "Failed!");
    EXPECT_EQ(script.boxes[0].icon, (UINT)MB_ICONERROR);
    EXPECT_TRUE(ReadLines(log).empty());
    EXPECT_FALSE(EmailValuesPresent());
}

TEST_F(EmailTest, AMailProgramFailureIsReportedButTheUsersAbortIsNot) {
    const std::vector<std::string> files = {Picture("a.bmp", 100, 100)};
    struct Case {
        const char* code;
        size_t boxes;
    } cases[] = {{"2", 1}, {"1", 0}}; // MAPI_E_FAILURE, MAPI_USER_ABORT
    for (const Case& c : cases) {
        ::SetEnvironmentVariableA("VXP_FAKEMAPI_RESULT", c.code);
        DialogScript script(kCaption, [&](HWND d) { DialogScript::PressOk(d); });
        EmailPictures(files);
        ASSERT_EQ(script.boxes.size(), c.boxes) << c.code;
        if (c.boxes) {
            EXPECT_EQ(script.boxes[0].text, "The mail program could not take the pictures (2).");
            EXPECT_EQ(script.boxes[0].caption, "Velmorantix XP");
            EXPECT_EQ(script.boxes[0].icon, (UINT)MB_ICONERROR);
        }
    }
}

// Runs only as tools_email_without_mapi, where Wine's MAPI32.DLL is disabled.
TEST(EmailWithoutMapi, SaysItCannotLoadTheMailLibrary) {
    if (!std::getenv("VXP_EXPECT_NO_MAPI"))
        GTEST_SKIP() << "needs MAPI32.DLL switched off";
    DialogScript script(kCaption, [&](HWND d) { DialogScript::PressCancel(d); });
    EmailPictures({"C:\\nothing.bmp"});
    EXPECT_FALSE(script.scriptRan); // no dialog before the library
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, "Cannot load MAPI32.DLL");
    EXPECT_EQ(script.boxes[0].caption, "Velmorantix XP");
    EXPECT_EQ(script.boxes[0].icon, (UINT)MB_ICONERROR);
}

} // namespace
