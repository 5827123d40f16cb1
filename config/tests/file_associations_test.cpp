// Taking the image types over and giving them back: the keys and values a
// registration writes, and a restore that leaves exactly what was there.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "app/application_state.h"
#include "config/file_associations.h"

namespace {

const char kProgram[] = "C:\\Program Files\\Velmorantix XP\\VelmorantixXP.exe";

// Every subkey and value below root\key, sorted as the registry lists them.
std::string Snapshot(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return "<none>";
    std::string out;
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
        if (RegEnumValueA(k, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        out += "[" + std::string(name) + "]" + std::to_string(type) + "=" +
               std::string(reinterpret_cast<char*>(data), dataSize) + ";";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof(name);
        if (RegEnumKeyExA(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        out += "{" + std::string(name) + ":" + Snapshot(root, key + "\\" + name) + "}";
    }
    RegCloseKey(k);
    return out;
}

std::string Value(HKEY root, const std::string& key, const char* name = nullptr) {
    char data[512] = {};
    DWORD size = sizeof(data);
    if (SHGetValueA(root, key.c_str(), name, nullptr, data, &size) != ERROR_SUCCESS)
        return "<missing>";
    return data;
}

void Set(HKEY root, const std::string& key, const char* name, const char* data) {
    ASSERT_EQ(SHSetValueA(root, key.c_str(), name, REG_SZ, data, DWORD(strlen(data) + 1)),
              ERROR_SUCCESS);
}

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

struct Row {
    int type;
    const char* name;
    int icon;
    std::vector<const char*> extensions;
};

const Row kRows[] = {
    {1, "BMP", 2, {".bmp"}},
    {2, "EMF", 4, {".emf"}},
    {3, "GIF", 3, {".gif"}},
    {4, "PNG", 7, {".png"}},
    {5, "ICO", 5, {".ico"}},
    {6, "JPEG", 1, {".jpeg", ".jpe", ".jpg"}},
    {7, "PCD", 6, {".pcd"}},
    {8, "PCX", 13, {".pcx"}},
    {9, "PSD", 8, {".psd"}},
    {10, "PSP", 9, {".psp"}},
    {11, "RAS", 15, {".ras"}},
    {12, "TGA", 12, {".vda", ".icb", ".vst", ".tga"}},
    {13, "TIFF", 10, {".tiff", ".tif"}},
    {14, "WBMP", 14, {".wbm", ".wbmp"}},
    {15, "WMF", 11, {".wmf"}},
};

// The prefix outlives a run: start every case from no keys of these types.
void ForgetAllTypes() {
    for (const Row& r : kRows)
        for (const char* ext : r.extensions) {
            SHDeleteKeyA(HKEY_CLASSES_ROOT, ext);
            SHDeleteKeyA(HKEY_CLASSES_ROOT,
                         (std::string("Velmorantix.VelmorantixXP") + ext).c_str());
            SHDeleteKeyA(HKEY_CURRENT_USER, (kFileExts + ext).c_str());
        }
}

} // namespace

TEST(FileAssociations, RegisteringAllTypesWritesTheirKeysAndRestoringPutsBackThePriorState) {
    ForgetAllTypes();
    g_applicationState.SetProgramPath(kProgram);
    // A prior opener with another program's data beside it, a user choice
    // kept by Explorer, and an extension with data but no opener.
    Set(HKEY_CLASSES_ROOT, ".png", nullptr, "OtherApp.png");
    Set(HKEY_CLASSES_ROOT, ".png\\OpenWithProgids", "OtherApp.png", "");
    Set(HKEY_CLASSES_ROOT, ".gif\\ShellNew", "NullFile", "");
    Set(HKEY_CURRENT_USER, kFileExts + ".png\\OpenWithList", "a", "OtherApp.exe");
    std::string before[16][4], beforeUser[16][4];
    for (const Row& r : kRows)
        for (size_t i = 0; i < r.extensions.size(); ++i) {
            before[r.type][i] = Snapshot(HKEY_CLASSES_ROOT, r.extensions[i]);
            beforeUser[r.type][i] = Snapshot(HKEY_CURRENT_USER, kFileExts + r.extensions[i]);
        }

    for (int pass = 0; pass < 2; ++pass) // twice: the first opener stays recorded
        for (const Row& r : kRows)
            EXPECT_TRUE(RegisterFileAssociation(r.type)) << r.name;
    for (const Row& r : kRows) {
        EXPECT_TRUE(IsFileAssociated(r.type)) << r.name;
        for (const char* ext : r.extensions) {
            const std::string prog = std::string("Velmorantix.VelmorantixXP") + ext;
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ext), prog);
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, prog), std::string(r.name) + " Image");
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, prog + "\\DefaultIcon"),
                      std::string(kProgram) + "," + std::to_string(r.icon));
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, prog + "\\shell\\open\\command"),
                      "\"" + std::string(kProgram) + "\" \"%1\"");
            // The user's choice is set only where Explorer keeps one.
            EXPECT_EQ(Value(HKEY_CURRENT_USER, kFileExts + ext, "ProgID"),
                      std::string(ext) == ".png" ? prog : "<missing>");
        }
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".png\\VelmorantixXPUndo"), "OtherApp.png");
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, ".gif\\VelmorantixXPUndo"), "<none>");
    EXPECT_EQ(Snapshot(HKEY_CURRENT_USER, kFileExts + ".bmp"), "<none>");

    EXPECT_TRUE(RestoreAllFileAssociations());
    for (const Row& r : kRows) {
        EXPECT_FALSE(IsFileAssociated(r.type)) << r.name;
        for (size_t i = 0; i < r.extensions.size(); ++i) {
            const char* ext = r.extensions[i];
            EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, ext), before[r.type][i]) << ext;
            EXPECT_EQ(Snapshot(HKEY_CURRENT_USER, kFileExts + ext), beforeUser[r.type][i]) << ext;
            EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, std::string("Velmorantix.VelmorantixXP") + ext),
                      "<none>");
        }
    }
}

TEST(FileAssociations, RestoreLeavesAnExtensionAnotherProgramTookSince) {
    ForgetAllTypes();
    g_applicationState.SetProgramPath(kProgram);
    ASSERT_TRUE(RegisterFileAssociation(1));
    Set(HKEY_CLASSES_ROOT, ".bmp", nullptr, "Painter.bmp");
    EXPECT_FALSE(IsExtensionAssociated(".bmp"));
    EXPECT_FALSE(RestoreFileAssociation(1));
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".bmp"), "Painter.bmp");

    // Other type numbers write nothing and restore nothing.
    EXPECT_FALSE(RegisterFileAssociation(0));
    EXPECT_FALSE(RegisterFileAssociation(16));
    EXPECT_FALSE(RestoreFileAssociation(0));
    EXPECT_FALSE(RestoreFileAssociation(16));
    EXPECT_FALSE(IsExtensionAssociated(""));
}

TEST(FileAssociations, AProgIdInAnotherLetterCaseIsTheProgramsOwnForEveryRule) {
    // ProgIDs are key names, which the registry matches without regard to
    // case: the extension still opens with the program, so it counts as
    // associated, is given back on restore, and is never recorded as the
    // previous opener.
    ForgetAllTypes();
    g_applicationState.SetProgramPath(kProgram);
    Set(HKEY_CLASSES_ROOT, ".bmp", nullptr, "OtherApp.bmp");
    ASSERT_TRUE(RegisterFileAssociation(1));
    Set(HKEY_CLASSES_ROOT, ".bmp", nullptr, "VELMORANTIX.velmorantixxp.BMP");
    EXPECT_TRUE(IsExtensionAssociated(".bmp"));
    EXPECT_TRUE(IsFileAssociated(1));
    EXPECT_TRUE(RegisterFileAssociation(1));
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, ".bmp\\VelmorantixXPUndo"), "OtherApp.bmp");
    Set(HKEY_CLASSES_ROOT, ".bmp", nullptr, "velmorantix.velmorantixxp.bmp");
    EXPECT_TRUE(RestoreFileAssociation(1));
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, ".bmp"), "[]1=OtherApp.bmp" + std::string(1, '\0') + ";");
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, "Velmorantix.VelmorantixXP.bmp"), "<none>");
}
