#include "tools/rename_dialogs.h"

#include <commctrl.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/directory_watcher.h"
#include "app/options.h"
#include "tools/logic/adjust_values.h"
#include "tools/tool_registry.h"
#include "viewer/logic/slide_show.h"

namespace {

const char kInvalidName[] =
    "A file name cannot be empty or contain any of these characters: \\ / : * ? \" < > |";
const char kInvalidPrefix[] =
    "A file name cannot contain any of these characters: \\ / : * ? \" < > |";
const char kNameExists[] = "File already exists!";
const char kRangePattern[] = "Value must be between %d and %d";

const char kPrefixValue[] = "BatchRenameFilenamePrefix";
const char kStartValue[] = "BatchRenameSequenceStartAt";
const char kPaddingValue[] = "BatchRenamePaddingZero";

std::string ItemText(HWND dialog, int id, int size) {
    std::string text(static_cast<size_t>(size) + 1, '\0');
    const int n = ::GetDlgItemTextA(dialog, id, &text[0], size + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

// A name the file system would refuse: empty (after the dots and blanks it
// drops) or holding a character no name may hold.
bool IsValidName(const std::string& name) {
    return !viewer::RenameTargetPath("C:\\x", name).empty();
}

// The disk as the batch sees it. A file moved aside goes through the
// application's rename too: the lists follow it to its temporary name and
// its stored attributes go with it, so neither is left with a name that
// another file takes next.
class DiskFiles : public batch_rename::FileSystem {
public:
    bool Exists(const std::string& path) override {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool MoveAside(const std::string& from, const std::string& to) override {
        return Rename(from, to);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        // The run never names an existing target; this guard keeps it so
        // should the folder change meanwhile.
        if (Exists(to))
            return false;
        return g_applicationState.RenameFile(to.c_str(), from.c_str(), false);
    }
};

} // namespace

bool CheckNewName(const std::string& oldPath, const std::string& typed,
                  const std::string& newPath) {
    if (!IsValidName(typed)) {
        ShowMessageBox(kInvalidName, "Failed!", MB_OK | MB_ICONERROR);
        return false;
    }
    if (!newPath.empty() && lstrcmpiA(newPath.c_str(), oldPath.c_str()) != 0 &&
        ::GetFileAttributesA(newPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ShowMessageBox(kNameExists, "Information", MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

// --- Rename -------------------------------------------------------------------

LRESULT CRenameDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::SendDlgItemMessageA(m_hWnd, IDC_RENAME_EDIT, EM_LIMITTEXT, kMaxName, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_RENAME_EDIT, name.substr(0, kMaxName).c_str());
    return TRUE;
}

LRESULT CRenameDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    const std::string typed = ItemText(m_hWnd, IDC_RENAME_EDIT, kMaxName);
    // The name as the rename will make it: the file's extension is added
    // when none was typed.
    const std::string target = path.empty() ? std::string() : viewer::RenameTargetPath(path, typed);
    if (!CheckNewName(path, typed, target)) {
        HWND edit = GetDlgItem(IDC_RENAME_EDIT);
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        return 0;
    }
    name = typed;
    EndDialog(IDOK);
    return 0;
}

LRESULT CRenameDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- Batch Rename Files -----------------------------------------------------------

CBatchRenameDialog::CBatchRenameDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

batch_rename::Pattern CBatchRenameDialog::LoadPattern() {
    batch_rename::Pattern pattern;
    HKEY key = toolreg::Open(false);
    if (!key)
        return pattern;
    char text[batch_rename::kMaxPrefix + 1] = "";
    DWORD type = 0, size = sizeof text;
    if (::RegQueryValueExA(key, kPrefixValue, nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        text[size < sizeof text ? size : sizeof text - 1] = '\0';
        pattern.prefix = text;
    }
    int32_t start = pattern.first, padding = pattern.padding;
    toolreg::Read(key, kStartValue, &start);
    toolreg::Read(key, kPaddingValue, &padding);
    ::RegCloseKey(key);
    pattern.first = start;
    pattern.padding = padding;
    return pattern;
}

void CBatchRenameDialog::StorePattern(const batch_rename::Pattern& pattern) {
    HKEY key = toolreg::Open(true);
    if (!key)
        return;
    const std::string prefix = pattern.prefix.substr(0, batch_rename::kMaxPrefix);
    ::RegSetValueExA(key, kPrefixValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(prefix.c_str()),
                     static_cast<DWORD>(prefix.size() + 1));
    toolreg::Write(key, kStartValue, pattern.first);
    toolreg::Write(key, kPaddingValue, pattern.padding);
    ::RegCloseKey(key);
}

LRESULT CBatchRenameDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    pattern = LoadPattern();
    ::SendDlgItemMessageA(m_hWnd, IDC_BATCH_RENAME_PREFIX, EM_LIMITTEXT,
                          batch_rename::kMaxPrefixBox, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_BATCH_RENAME_START_SPIN, UDM_SETRANGE32, 0,
                          batch_rename::kMaxStartAt);
    ::SendDlgItemMessageA(m_hWnd, IDC_BATCH_RENAME_PADDING_SPIN, UDM_SETRANGE32, 0,
                          batch_rename::kMaxPadding);
    ::SetDlgItemTextA(m_hWnd, IDC_BATCH_RENAME_PREFIX, pattern.prefix.c_str());
    ::SetDlgItemInt(m_hWnd, IDC_BATCH_RENAME_START, static_cast<UINT>(pattern.first), TRUE);
    ::SetDlgItemInt(m_hWnd, IDC_BATCH_RENAME_PADDING, static_cast<UINT>(pattern.padding), TRUE);
    m_opened = true;
    pattern = ReadBoxes();
    ::SetDlgItemTextA(m_hWnd, IDC_BATCH_RENAME_SAMPLE, batch_rename::Sample(pattern).c_str());
    return TRUE;
}

batch_rename::Pattern CBatchRenameDialog::ReadBoxes() const {
    batch_rename::Pattern read;
    read.prefix = ItemText(m_hWnd, IDC_BATCH_RENAME_PREFIX, batch_rename::kMaxPrefix);
    int value = 0;
    const std::string start = ItemText(m_hWnd, IDC_BATCH_RENAME_START, 32);
    read.first = tools_logic::ReadFieldValue(start.c_str(), 0, batch_rename::kMaxStartAt, &value) ==
                         tools_logic::FieldRead::kNotNumber
                     ? 0
                     : value;
    value = 0;
    const std::string padding = ItemText(m_hWnd, IDC_BATCH_RENAME_PADDING, 32);
    read.padding = tools_logic::ReadFieldValue(padding.c_str(), 0, batch_rename::kMaxPadding,
                                               &value) == tools_logic::FieldRead::kNumber
                       ? value
                       : 0;
    return read;
}

LRESULT CBatchRenameDialog::OnTextChange(WORD, WORD id, HWND, BOOL&) {
    if (!m_opened || (id != IDC_BATCH_RENAME_PREFIX && id != IDC_BATCH_RENAME_START &&
                      id != IDC_BATCH_RENAME_PADDING))
        return 0;
    pattern = ReadBoxes();
    ::SetDlgItemTextA(m_hWnd, IDC_BATCH_RENAME_SAMPLE, batch_rename::Sample(pattern).c_str());
    return 0;
}

bool CBatchRenameDialog::CheckNumberBox(int id, int maximum, int* value) {
    const std::string text = ItemText(m_hWnd, id, 32);
    const tools_logic::FieldRead read =
        tools_logic::ReadFieldValue(text.c_str(), 0, maximum, value);
    if (read == tools_logic::FieldRead::kNumber)
        return true;
    if (read == tools_logic::FieldRead::kNotNumber)
        ::MessageBeep(MB_OK);
    else
        ShowMessageBox(tools_logic::RangeMessage(kRangePattern, 0, maximum).c_str(), "Failed!",
                       MB_OK | MB_ICONERROR);
    HWND box = GetDlgItem(id);
    ::SetFocus(box);
    ::SendMessageA(box, EM_SETSEL, 0, -1);
    return false;
}

LRESULT CBatchRenameDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    batch_rename::Pattern chosen = ReadBoxes();
    if (!batch_rename::IsValidPrefix(chosen.prefix)) {
        ShowMessageBox(kInvalidPrefix, "Failed!", MB_OK | MB_ICONERROR);
        HWND box = GetDlgItem(IDC_BATCH_RENAME_PREFIX);
        ::SetFocus(box);
        ::SendMessageA(box, EM_SETSEL, 0, -1);
        return 0;
    }
    if (!CheckNumberBox(IDC_BATCH_RENAME_START, batch_rename::kMaxStartAt, &chosen.first) ||
        !CheckNumberBox(IDC_BATCH_RENAME_PADDING, batch_rename::kMaxPadding, &chosen.padding))
        return 0;
    pattern = chosen;
    StorePattern(pattern);
    EndDialog(IDOK);
    return 0;
}

LRESULT CBatchRenameDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- The renaming ------------------------------------------------------------------

batch_rename::Result RenameInSequence(const std::vector<std::string>& paths,
                                      const std::string& listFolder,
                                      const batch_rename::Pattern& pattern) {
    DiskFiles disk;
    DirectoryWatcher().Pause();
    g_applicationState.BeginFolderUpdate();
    const batch_rename::Result result = batch_rename::Run(paths, listFolder, pattern, disk);
    g_applicationState.EndFolderUpdate();
    DirectoryWatcher().Resume();
    if (!result.failed.empty()) {
        std::string text = "These files could not be renamed:";
        const size_t shown = result.failed.size() < 10 ? result.failed.size() : 10;
        for (size_t i = 0; i < shown; ++i)
            text += "\n" + result.failed[i];
        if (shown < result.failed.size())
            text += "\n...";
        ShowMessageBox(text.c_str(), "Failed!", MB_OK | MB_ICONERROR);
    }
    return result;
}

bool RunBatchRename(HWND owner, const std::vector<std::string>& paths,
                    const std::string& listFolder) {
    CBatchRenameDialog dialog;
    if (dialog.DoModal(owner) != IDOK)
        return false;
    RenameInSequence(paths, listFolder, dialog.pattern);
    return true;
}
