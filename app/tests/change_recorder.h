// Stand-ins for the windows' side of the file operations: a recorder of the
// item-list changes the core sends (code and item, as the explorer would
// get them) and scripted answers for the password, Replace Confirmation and
// copy/move dialogs, with what each was asked.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/window_hosts.h"
#include "platform/platform.h"

struct RecordedChange {
    int code;
    std::string item; // what the explorer gets; "" for none
    bool operator==(const RecordedChange& o) const { return code == o.code && item == o.item; }
};

class CChangeRecorder : public IItemListWindows {
public:
    void SendItemListChange(CFileItemList*, int code, const char* item,
                            const char* explorerItem) override {
        const char* shown = explorerItem ? explorerItem : item;
        plat::ScopedLock guard(lock);
        changes.push_back({code, shown ? shown : ""});
    }
    std::vector<RecordedChange> Take() {
        plat::ScopedLock guard(lock);
        std::vector<RecordedChange> taken;
        taken.swap(changes);
        return taken;
    }
    plat::CriticalSection lock;
    std::vector<RecordedChange> changes;
};

class CScriptedFileDialogs : public IFileDialogs {
public:
    struct ReplaceAnswer {
        int button;
        std::string newName; // for Rename: the name typed ("" keeps the proposal)
        bool applyToAll = false;
    };
    std::deque<std::string> passwords; // "" answers Cancel
    std::deque<ReplaceAnswer> replaceAnswers;
    std::vector<std::string> prompts;
    std::vector<std::string> proposals;
    int replaceAsked = 0;

    bool AskPassword(const char* prompt, std::string* password) override {
        prompts.push_back(prompt);
        if (passwords.empty() || passwords.front().empty()) {
            if (!passwords.empty())
                passwords.pop_front();
            return false;
        }
        *password = passwords.front();
        passwords.pop_front();
        return true;
    }
    int AskReplace(const char*, const char* target, bool, std::string* newName,
                   bool* applyToAll) override {
        ++replaceAsked;
        proposals.push_back(*newName);
        if (replaceAnswers.empty())
            return 2;
        const ReplaceAnswer answer = replaceAnswers.front();
        replaceAnswers.pop_front();
        *applyToAll = answer.applyToAll;
        if (answer.button == 1022) {
            std::string folder = target;
            folder.resize(folder.find_last_of('\\'));
            *newName = folder + "\\" + (answer.newName.empty() ? *newName : answer.newName);
        }
        return answer.button;
    }
    int RunCopyMoveProgress(const char*, bool, const std::vector<std::string>&, int) override {
        return IDOK;
    }
};
