#include "config/file_associations.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/application_state.h"
#include "imaging/image_file_types.h"

namespace {

struct AssociationRow {
    const char* extensions[4]; // the type's own extension last
    int count;
    int iconIndex; // position among the program file's icon resources
};

// Indexed by type; row 0 is the "no type" row with the empty extension.
const AssociationRow kRows[kLastImageFileType + 1] = {
    {{""}, 1, 0},
    {{".bmp"}, 1, 2},
    {{".emf"}, 1, 4},
    {{".gif"}, 1, 3},
    {{".png"}, 1, 7},
    {{".ico"}, 1, 5},
    {{".jpeg", ".jpe", ".jpg"}, 3, 1},
    {{".pcd"}, 1, 6},
    {{".pcx"}, 1, 13},
    {{".psd"}, 1, 8},
    {{".psp"}, 1, 9},
    {{".ras"}, 1, 15},
    {{".vda", ".icb", ".vst", ".tga"}, 4, 12},
    {{".tiff", ".tif"}, 2, 10},
    {{".wbm", ".wbmp"}, 2, 14},
    {{".wmf"}, 1, 11},
};

constexpr REGSAM kAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

struct Key {
    HKEY h = nullptr;
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h)
            RegCloseKey(h);
    }
};

bool CreateKey(HKEY parent, const char* name, Key& key) {
    return RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr,
                           &key.h, nullptr) == ERROR_SUCCESS;
}

bool OpenKey(HKEY parent, const char* name, REGSAM access, Key& key) {
    return RegOpenKeyExA(parent, name, 0, access, &key.h) == ERROR_SUCCESS;
}

bool SetString(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          DWORD(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

// A REG_SZ value of at most MAX_PATH characters, terminated.
bool ReadString(HKEY key, const char* name, char* text) {
    DWORD type = 0, size = MAX_PATH;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text[size < MAX_PATH ? size : MAX_PATH - 1] = '\0';
    return true;
}

// Deletes parent\name with everything below it; the first failure stops it.
LONG DeleteKeyTree(HKEY parent, const char* name) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    char child[257];
    for (;;) {
        DWORD size = sizeof(child);
        rc = RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            rc = DeleteKeyTree(key, child);
        if (rc != ERROR_SUCCESS) {
            RegCloseKey(key);
            return rc;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name);
}

bool IsKeyEmpty(HKEY key) {
    DWORD subkeys = 0, values = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

bool MakeProgId(const char* extension, char* progId, size_t size) {
    const int n = std::snprintf(progId, size, "%s%s", kAssociationProgIdPrefix, extension);
    return n > 0 && size_t(n) < size;
}

void TellShell() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

BOOL AssociateExtension(const char* extension, int iconIndex) {
    char progId[64];
    if (!MakeProgId(extension, progId, sizeof(progId)))
        return FALSE;
    const char* program = g_applicationState.ProgramPath();

    {
        // Without its ProgID the extension would name a class that does not
        // exist, and the files would open with nothing.
        Key prog;
        if (!CreateKey(HKEY_CLASSES_ROOT, progId, prog))
            return FALSE;
        char text[MAX_PATH + 32];
        std::snprintf(text, sizeof(text), "%s Image",
                      GetImageFileTypeName(DetectImageFileType(extension)));
        SetString(prog.h, nullptr, text);
        Key icon, command;
        std::snprintf(text, sizeof(text), "%s,%d", program, iconIndex);
        if (!CreateKey(prog.h, "DefaultIcon", icon) || !SetString(icon.h, nullptr, text))
            return FALSE;
        std::snprintf(text, sizeof(text), "\"%s\" \"%%1\"", program);
        if (!CreateKey(prog.h, "shell\\open\\command", command) ||
            !SetString(command.h, nullptr, text))
            return FALSE;
    }

    Key ext;
    if (CreateKey(HKEY_CLASSES_ROOT, extension, ext)) {
        // Remember the previous opener, unless it is already the program,
        // so registering twice keeps the first one.
        char previous[MAX_PATH];
        if (ReadString(ext.h, nullptr, previous) && lstrcmpiA(previous, progId) != 0) {
            Key undo;
            if (CreateKey(ext.h, kAssociationUndoKey, undo))
                SetString(undo.h, nullptr, previous);
        }
        if (!SetString(ext.h, nullptr, progId))
            return FALSE;
    }

    char userChoice[MAX_PATH];
    std::snprintf(userChoice, sizeof(userChoice), "%s\\%s", kFileExtsKey, extension);
    Key fileExts;
    if (OpenKey(HKEY_CURRENT_USER, userChoice, KEY_SET_VALUE, fileExts))
        SetString(fileExts.h, "ProgID", progId);

    TellShell();
    return TRUE;
}

BOOL RestoreExtension(const char* extension) {
    if (!IsExtensionAssociated(extension))
        return FALSE;
    char progId[64];
    MakeProgId(extension, progId, sizeof(progId));

    {
        Key ext;
        if (OpenKey(HKEY_CLASSES_ROOT, extension, KEY_READ | KEY_WRITE, ext)) {
            Key undo;
            if (OpenKey(ext.h, kAssociationUndoKey, KEY_READ, undo)) {
                char previous[MAX_PATH];
                const bool restored =
                    ReadString(undo.h, nullptr, previous) && SetString(ext.h, nullptr, previous);
                RegCloseKey(undo.h);
                undo.h = nullptr;
                if (restored)
                    DeleteKeyTree(ext.h, kAssociationUndoKey);
            } else {
                // No opener was recorded: take back only what the program
                // set. Other programs' data under the key (OpenWithProgids,
                // ShellNew, a content type) stays; a key that held nothing
                // else goes, as it did not exist before.
                RegDeleteValueA(ext.h, nullptr);
                if (IsKeyEmpty(ext.h)) {
                    RegCloseKey(ext.h);
                    ext.h = nullptr;
                    RegDeleteKeyA(HKEY_CLASSES_ROOT, extension);
                }
            }
        }
    }

    DeleteKeyTree(HKEY_CLASSES_ROOT, progId);

    char userChoice[MAX_PATH];
    std::snprintf(userChoice, sizeof(userChoice), "%s\\%s", kFileExtsKey, extension);
    Key fileExts;
    if (OpenKey(HKEY_CURRENT_USER, userChoice, KEY_SET_VALUE, fileExts))
        RegDeleteValueA(fileExts.h, "ProgID");

    TellShell();
    return TRUE;
}

const AssociationRow& RowOf(int type) {
    return type >= kFirstImageFileType && type <= kLastImageFileType ? kRows[type] : kRows[0];
}

} // namespace

BOOL RegisterFileAssociation(int type) {
    if (type < kFirstImageFileType || type > kLastImageFileType)
        return FALSE;
    const AssociationRow& row = kRows[type];
    BOOL result = FALSE;
    for (int i = 0; i < row.count; ++i)
        result = AssociateExtension(row.extensions[i], row.iconIndex);
    return result;
}

BOOL RestoreFileAssociation(int type) {
    if (type == 0)
        return FALSE;
    const AssociationRow& row = RowOf(type);
    BOOL result = FALSE;
    for (int i = 0; i < row.count; ++i)
        result = RestoreExtension(row.extensions[i]);
    return result;
}

BOOL RestoreAllFileAssociations() {
    for (int type = kFirstImageFileType; type <= kLastImageFileType; ++type)
        RestoreFileAssociation(type);
    return TRUE;
}

BOOL IsFileAssociated(int type) {
    const AssociationRow& row = RowOf(type);
    return IsExtensionAssociated(row.extensions[row.count - 1]);
}

BOOL IsExtensionAssociated(const char* extension) {
    char progId[64];
    if (!extension || !*extension || !MakeProgId(extension, progId, sizeof(progId)))
        return FALSE;
    Key ext;
    char current[MAX_PATH];
    if (!OpenKey(HKEY_CLASSES_ROOT, extension, KEY_READ, ext) ||
        !ReadString(ext.h, nullptr, current) || lstrcmpiA(current, progId) != 0)
        return FALSE;
    Key prog;
    return OpenKey(HKEY_CLASSES_ROOT, progId, KEY_READ, prog);
}
