// The context-menu switches as stored under the user's ContextMenu key, and
// the two small path and icon helpers the option pages share.
#include <gtest/gtest.h>

#include <string>

#include "config/context_menu_options.h"
#include "imaging/image_file_types.h"

namespace {

void DeleteKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kContextMenuOptionsKey);
}

void Put(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kContextMenuOptionsKey, 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

DWORD ReadDword(const char* name, DWORD* type) {
    HKEY key = nullptr;
    DWORD value = 0xDEAD, size = sizeof(value);
    *type = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kContextMenuOptionsKey, 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    return value;
}

} // namespace

TEST(ContextMenuOptions, LoadTakesOnlyFourByteDwordsAndDefaultsToOn) {
    const DWORD zero = 0, seven = 7;
    const WORD shortValue = 0;
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        DWORD expected;
    } cases[] = {
        {"a stored 0 switches off", REG_DWORD, &zero, 4, 0},
        {"any other number switches on", REG_DWORD, &seven, 4, 7},
        {"a string \"0\" is ignored", REG_SZ, "0", 2, 1},
        {"two bytes of binary are ignored", REG_BINARY, &shortValue, 2, 1},
    };
    for (const Case& c : cases) {
        DeleteKey();
        Put("DisplayPrint", c.type, c.data, c.size);
        CContextMenuOptions options;
        options.displayPrint = 55;
        options.displayView = 0; // every field starts from the default again
        options.Load();
        EXPECT_EQ(options.displayPrint, c.expected) << c.what;
        EXPECT_EQ(options.displayView, 1u) << c.what;
        EXPECT_EQ(options.displayBrowse, 1u) << c.what;
    }

    // With no key at all, loading makes the empty key and turns all on.
    DeleteKey();
    CContextMenuOptions options;
    options.displayBrowse = options.imageContextMenuItemsInSubfolder = options.displayView =
        options.displayPrint = options.displayEmail = 0;
    options.Load();
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kContextMenuOptionsKey, 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD values = 99;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(options.displayBrowse + options.imageContextMenuItemsInSubfolder +
                  options.displayView + options.displayPrint + options.displayEmail,
              5u);
}

TEST(ContextMenuOptions, SaveWritesAllFiveAsDwordsDefaultsIncluded) {
    DeleteKey();
    CContextMenuOptions options;
    options.imageContextMenuItemsInSubfolder = 0;
    options.displayEmail = 0;
    options.Save();
    struct Case {
        const char* name;
        DWORD value;
    } cases[] = {{"DisplayBrowse", 1},
                 {"ImageContextMenuItemsInSubfolder", 0},
                 {"DisplayView", 1},
                 {"DisplayPrint", 1},
                 {"DisplayEmail", 0}};
    for (const Case& c : cases) {
        DWORD type = 0;
        EXPECT_EQ(ReadDword(c.name, &type), c.value) << c.name;
        EXPECT_EQ(type, DWORD(REG_DWORD)) << c.name;
    }
    CContextMenuOptions back;
    back.Load();
    EXPECT_EQ(back.imageContextMenuItemsInSubfolder, 0u);
    EXPECT_EQ(back.displayEmail, 0u);
    EXPECT_EQ(back.displayView, 1u);
}

TEST(ContextMenuOptions, SplitPathGivesTheFolderAndTheLastComponent) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"C:\\a\\b.jpg", "C:\\a", "b.jpg"},
        {"C:\\b.jpg", "C:\\", "b.jpg"},
        {"C:\\a b\\c d\\e.png", "C:\\a b\\c d", "e.png"},
        {"b.jpg", "", "b.jpg"},
    };
    for (const Case& c : cases) {
        char folder[MAX_PATH] = "x", name[MAX_PATH] = "x";
        SplitPath(c.path, folder, name);
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
    }
}

TEST(ContextMenuOptions, EachImageTypeHasADistinctIconAfterTheFolderRoots) {
    bool seen[32] = {};
    for (int type = kFirstImageFileType; type <= kLastImageFileType; ++type) {
        const int index = GetImageTypeIconIndex(type);
        ASSERT_GE(index, 3) << type;
        ASSERT_LE(index, 17) << type;
        EXPECT_FALSE(seen[index]) << type;
        seen[index] = true;
    }
    EXPECT_EQ(GetImageTypeIconIndex(kFileTypeBmp), 3);
    EXPECT_EQ(GetImageTypeIconIndex(kFileTypeWbmp), 17);
    EXPECT_EQ(GetImageTypeIconIndex(0), -1);
    EXPECT_EQ(GetImageTypeIconIndex(16), -1);
    EXPECT_EQ(GetImageTypeIconIndex(-1), -1);
}
