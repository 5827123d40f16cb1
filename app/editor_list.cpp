#include "app/editor_list.h"

#include <cstdio>

#include "app/logic/editor_entries.h"
#include "app/options.h"

namespace {

constexpr size_t kMaxStoredEditors = 10;
constexpr DWORD kValueBytes = 310;
constexpr REGSAM kAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

std::string EditorsKeyPath() {
    return std::string(kOptionsKeyPath) + "\\Editors";
}

} // namespace

void LoadEditorList(std::vector<CEditorRecord>& list) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, EditorsKeyPath().c_str(), 0, kAccess, &key) !=
        ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < kMaxStoredEditors; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%u", static_cast<unsigned>(i));
        char text[kValueBytes + 1] = {};
        DWORD type = 0, size = kValueBytes;
        if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            break;
        text[size < kValueBytes ? size : kValueBytes] = '\0';
        const editor_entries::Entry entry = editor_entries::Parse(text);
        list.push_back({entry.path, entry.title});
    }
    ::RegCloseKey(key);
}

bool SaveEditorList(const std::vector<CEditorRecord>& list) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, EditorsKeyPath().c_str(), 0, nullptr, 0, kAccess,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    char name[16];
    for (size_t i = 0; i < list.size(); ++i) {
        std::snprintf(name, sizeof name, "%u", static_cast<unsigned>(i));
        const std::string text = editor_entries::Format({list[i].title, list[i].path});
        if (::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
            ::RegCloseKey(key);
            return false;
        }
    }
    for (size_t i = list.size();; ++i) {
        std::snprintf(name, sizeof name, "%u", static_cast<unsigned>(i));
        if (::RegDeleteValueA(key, name) != ERROR_SUCCESS)
            break;
    }
    ::RegCloseKey(key);
    return true;
}

bool LaunchEditor(const char* program, const char* file) {
    std::string line = editor_entries::CommandLineFor(file);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    auto start = [&](DWORD flags) {
        return ::CreateProcessA(program, line.empty() ? nullptr : &line[0], nullptr, nullptr, FALSE,
                                flags, nullptr, nullptr, &startup, &process) != FALSE;
    };
    // Inside a job that allows no breakaway the flag is refused outright;
    // the editor then starts inside that job rather than not at all.
    bool started = program && *program && start(CREATE_BREAKAWAY_FROM_JOB);
    if (!started && program && *program && ::GetLastError() == ERROR_ACCESS_DENIED)
        started = start(0);
    if (started) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }
    ::MessageBoxA(::GetFocus(),
                  "Launch editor failed!\nPlease make sure the editor location is correct.",
                  "Failed", MB_OK | MB_ICONINFORMATION);
    return false;
}
