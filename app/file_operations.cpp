// The program's own file operations: extracting zip entries, renaming,
// duplicating, copying, moving and deleting files. Each pauses the
// directory watcher while it works and announces its own changes, so every
// change is told once.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/directory_watcher.h"
#include "app/file_item_list.h"
#include "app/logic/archive_key.h"
#include "app/logic/file_names.h"
#include "zip/zip_archive.h"
#include "ui/wait_cursor.h"

namespace {

constexpr int kAnswerCancel = IDCANCEL; // 2
constexpr int kAnswerSkip = 3;
constexpr int kAnswerRename = 1022;
constexpr int kAnswerDelete = 1027;
constexpr int kAnswerReplace = 1028;

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The list of paths SHFileOperationA takes: each path, then an extra zero.
std::string ShellList(const char* path) {
    std::string list = path;
    list.push_back('\0');
    return list;
}

bool ShellOperation(UINT function, const char* from, const char* to, FILEOP_FLAGS flags,
                    HWND owner = nullptr) {
    const std::string source = ShellList(from);
    const std::string target = to ? ShellList(to) : std::string();
    SHFILEOPSTRUCTA op{};
    op.hwnd = owner;
    op.wFunc = function;
    op.pFrom = source.c_str();
    op.pTo = to ? target.c_str() : nullptr;
    op.fFlags = flags;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

// Pauses the watcher for a scope when asked to.
class CWatcherPause {
public:
    explicit CWatcherPause(bool pause) : m_paused(pause) {
        if (m_paused)
            DirectoryWatcher().Pause();
    }
    ~CWatcherPause() {
        if (m_paused)
            DirectoryWatcher().Resume();
    }
    CWatcherPause(const CWatcherPause&) = delete;
    CWatcherPause& operator=(const CWatcherPause&) = delete;

private:
    bool m_paused;
};

std::string FolderPart(const std::string& path) {
    return FolderOf(path);
}

} // namespace

void CApplicationState::ShowErrorMessage(HWND owner, const char* text) {
    MessageBoxA(owner, text, "Failed!", MB_ICONERROR);
}

bool CApplicationState::ExtractArchiveEntry(CZipArchive* archive, const char* entryName,
                                            const char* folder, bool keepPaths, bool ask) {
    if (!archive || !entryName || !folder)
        return false;
    int index = -1;
    const int count = archive->GetCount();
    for (int i = 0; i < count && index < 0; ++i) {
        CZipEntryHeader header;
        if (archive->GetFileInfo(header, i) && header.IsFile() && header.GetFileName() == entryName)
            index = i;
    }
    if (index < 0)
        return false;
    if (ask) {
        char target[MAX_PATH];
        if (!PathCombineA(target, folder, keepPaths ? entryName : PathFindFileNameA(entryName)))
            return false;
        if (Exists(target)) {
            char shown[MAX_PATH];
            PathCompactPathExA(shown, target, 25, 0);
            const std::string text =
                std::string("File ") + shown + " already exists. Do you want to replace it?";
            if (ShowMessageBox(text.c_str(), kProductName, MB_OKCANCEL | MB_ICONEXCLAMATION) !=
                IDOK)
                return false;
        }
    }
    bool triedRemembered = false;
    for (;;) {
        try {
            return archive->ExtractFile(index, folder, keepPaths, nullptr, 65536);
        } catch (const CZipException& error) {
            if (error.Cause() != CZipException::kBadPassword)
                return false;
        }
        std::string remembered;
        {
            plat::ScopedLock guard(passwordLock);
            remembered = zipPassword;
        }
        if (!triedRemembered && !remembered.empty() && remembered != archive->GetPassword()) {
            triedRemembered = true;
            archive->SetPassword(remembered.c_str());
            continue;
        }
        triedRemembered = true;
        if (!fileDialogs)
            return false;
        const std::string prompt =
            std::string("File '") + PathFindFileNameA(entryName) + "' is password protected.";
        std::string typed;
        if (!fileDialogs->AskPassword(prompt.c_str(), &typed))
            return false;
        if (typed.size() > kMaxZipPassword)
            typed.resize(kMaxZipPassword);
        archive->SetPassword(typed.c_str());
        plat::ScopedLock guard(passwordLock);
        zipPassword = typed;
    }
}

bool CApplicationState::ExtractFromArchiveList(const char* key, const char* entryName,
                                               const char* folder, bool keepPaths, bool ask) {
    CFileItemList* list = GetFileItemList(kListArchive, key);
    if (!list)
        return false;
    bool ok = false;
    if (const CArchiveLocation* location = list->GetArchiveLocation()) {
        if (CArchiveTempFolder* temp = location->tempFolder) {
            plat::ScopedLock guard(temp->lock);
            ok = ExtractArchiveEntry(&temp->archive, entryName, folder, keepPaths, ask);
        }
    }
    ReleaseFileItemList(list);
    return ok;
}

bool CApplicationState::RenameFile(const char* newPath, const char* oldPath, bool pauseWatcher) {
    if (!newPath || !oldPath || lstrcmpA(newPath, oldPath) == 0)
        return false;
    CWatcherPause pause(pauseWatcher);
    CWaitCursor wait;
    bool renamed;
    if (lstrcmpiA(newPath, oldPath) == 0) {
        // A change of letter case only: the shell refuses it and a plain
        // move may keep the old spelling, so the file goes through a unique
        // temporary name in the same folder.
        char folder[MAX_PATH], temporary[MAX_PATH];
        lstrcpynA(folder, oldPath, MAX_PATH);
        PathRemoveFileSpecA(folder);
        renamed = GetTempFileNameA(folder, "vxr", 0, temporary) != 0;
        if (renamed) {
            DeleteFileA(temporary); // only its name was wanted
            renamed = MoveFileA(oldPath, temporary) != FALSE;
            if (renamed && !MoveFileA(temporary, newPath)) {
                MoveFileA(temporary, oldPath);
                renamed = false;
            }
        }
    } else {
        renamed = ShellOperation(FO_RENAME, oldPath, newPath, FOF_NOCONFIRMATION);
    }
    if (renamed) {
        MoveImageAttributes(oldPath, newPath, false);
        OnFileRenamed(FolderPart(newPath).c_str(), PathFindFileNameA(oldPath),
                      PathFindFileNameA(newPath));
    }
    return renamed;
}

void CApplicationState::DuplicateFile(const char* path, HWND owner) {
    if (!path || !PathFileExistsA(path))
        return;
    CWatcherPause pause(true);
    const std::string source = ShellList(path);
    SHFILEOPSTRUCTA op{};
    op.hwnd = owner;
    op.wFunc = FO_COPY;
    op.pFrom = source.c_str();
    op.pTo = source.c_str();
    op.fFlags = FOF_SILENT | FOF_RENAMEONCOLLISION | FOF_NOCONFIRMATION | FOF_WANTMAPPINGHANDLE;
    const bool ok = SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
    int announced = 0;
    if (ok && op.hNameMappings) {
        // The mappings handle is a count followed by the mappings.
        struct Mappings {
            UINT count;
            SHNAMEMAPPINGW* mappings;
        };
        const Mappings* table = static_cast<const Mappings*>(op.hNameMappings);
        for (UINT i = 0; i < table->count; ++i) {
            char newPath[MAX_PATH] = "";
            const SHNAMEMAPPINGW& mapping = table->mappings[i];
            if (WideCharToMultiByte(CP_ACP, 0, mapping.pszNewPath, mapping.cchNewPath, newPath,
                                    MAX_PATH - 1, nullptr, nullptr) > 0) {
                OnFileAdded(kListFolder, FolderPart(newPath).c_str(), PathFindFileNameA(newPath));
                ++announced;
            }
        }
    }
    if (op.hNameMappings)
        SHFreeNameMappings(op.hNameMappings);
    if (announced > 0)
        return;
    // The shell gave no new name (some systems copy nothing onto the file
    // itself): "Copy of <name>", "Copy (2) of <name>", ... in the same folder.
    const std::string folder = FolderPart(path);
    const std::string target = MakeDuplicatePath(folder, PathFindFileNameA(path),
                                                 [](const std::string& p) { return Exists(p); });
    if (!target.empty() && CopyFileA(path, target.c_str(), TRUE))
        OnFileAdded(kListFolder, folder.c_str(), PathFindFileNameA(target.c_str()));
}

std::string CApplicationState::MakeUniqueTargetName(const char* source, const char* target) {
    return ::MakeUniqueTargetName(source, target, [](const std::string& p) { return Exists(p); });
}

bool CApplicationState::CopyOrMoveFile(const char* source, const char* target, bool* cancelled,
                                       int* choice, bool copy, bool pauseWatcher) {
    if (cancelled)
        *cancelled = false;
    if (!source || !target)
        return false;
    CWatcherPause pause(pauseWatcher);
    std::string destination = target;
    // The same file (in any letter case): nothing is copied, deleted or
    // announced, whatever a collision answer would say.
    if (lstrcmpiA(source, target) == 0)
        return true;
    bool replace = false;
    if (Exists(destination)) {
        std::string proposal = NameOf(MakeUniqueTargetName(source, target));
        int answer = choice ? *choice : 0;
        if (answer == 0) {
            bool applyToAll = false;
            answer = fileDialogs
                         ? fileDialogs->AskReplace(source, target, copy, &proposal, &applyToAll)
                         : kAnswerSkip;
            if (applyToAll && choice)
                *choice = answer;
        }
        switch (answer) {
        case kAnswerCancel:
            if (cancelled)
                *cancelled = true;
            return true;
        case kAnswerRename:
            destination =
                FolderOf(proposal).empty() ? JoinFolder(FolderOf(target), proposal) : proposal;
            if (proposal.empty() || Exists(destination))
                return false;
            break;
        case kAnswerDelete:
            if (ShellOperation(FO_DELETE, source, nullptr,
                               FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO) &&
                !Exists(source)) {
                DeleteImageAttributes(source);
                OnFileRemoved(FolderPart(source).c_str(), PathFindFileNameA(source));
            }
            return true;
        case kAnswerReplace:
            replace = true;
            break;
        default: // Skip, and anything the dialog did not offer
            return true;
        }
    }
    if (replace)
        DeleteFileA(destination.c_str());
    if (copy) {
        if (!CopyFileA(source, destination.c_str(), FALSE) &&
            !ShellOperation(FO_COPY, source, destination.c_str(), FOF_NOCONFIRMATION))
            return false;
        MoveImageAttributes(source, destination.c_str(), true);
    } else {
        if (!MoveFileA(source, destination.c_str()) &&
            !ShellOperation(FO_MOVE, source, destination.c_str(), FOF_NOCONFIRMATION))
            return false;
        MoveImageAttributes(source, destination.c_str(), false);
        OnFileRemoved(FolderPart(source).c_str(), PathFindFileNameA(source));
    }
    OnFileAdded(kListFolder, FolderPart(destination).c_str(),
                PathFindFileNameA(destination.c_str()));
    return true;
}

bool CApplicationState::CopyMoveFilesWithProgress(const char* targetFolder, bool copy,
                                                  const std::vector<std::string>& files,
                                                  int option) {
    if (files.empty())
        return true;
    if (fileDialogs)
        return fileDialogs->RunCopyMoveProgress(targetFolder, copy, files, option) == IDOK;
    // Without the tools' progress dialog: the same run, without progress.
    DirectoryWatcher().Pause();
    BeginFolderUpdate();
    int choice = 0;
    bool ok = true;
    for (const std::string& file : files) {
        bool cancelled = false;
        const std::string target = JoinFolder(targetFolder, NameOf(file));
        ok = CopyOrMoveFile(file.c_str(), target.c_str(), &cancelled, &choice, copy, false) && ok;
        if (cancelled) {
            ok = false;
            break;
        }
    }
    EndFolderUpdate();
    DirectoryWatcher().Resume();
    return ok;
}

bool CApplicationState::DeleteFiles(const char* paths, HWND owner, bool confirm) {
    if (!paths || !*paths)
        return true;
    CWaitCursor wait;
    CWatcherPause pause(true);
    BeginFolderUpdate();
    size_t length = 0;
    while (paths[length])
        length += std::strlen(paths + length) + 1;
    const std::string list(paths, length + 1); // with the extra zero
    SHFILEOPSTRUCTA op{};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_SILENT | FOF_ALLOWUNDO | (confirm ? 0 : FOF_NOCONFIRMATION);
    if (SHFileOperationA(&op) == 0) {
        for (const char* p = paths; *p; p += std::strlen(p) + 1) {
            if (Exists(p))
                continue; // kept: the user said no to this one
            DeleteImageAttributes(p);
            OnFileRemoved(FolderPart(p).c_str(), PathFindFileNameA(p));
        }
    }
    EndFolderUpdate();
    return true;
}
