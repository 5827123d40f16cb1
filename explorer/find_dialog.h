// CFindDialog: the explorer's modeless Find dialog. It finds images by the
// keywords or the artist attached to them in the catalogue and by file name
// in a folder (and its subfolders) on disk, on a search thread of its own
// below normal priority, and adds every hit to the explorer's "Search
// Result" list.
//
// Lifetime: the explorer creates it on first use and frees it when the
// dialog posts kMsgFindClosed after its window is gone. Close only hides the
// dialog. The window never goes before its search thread: WM_DESTROY stops
// the search and waits for the thread, answering the messages the thread
// sends meanwhile, so the thread never touches a dialog that is gone.
//
// Threads: the search thread works on its own copy of the choices and only
// reads the stop flag; it posts kMsgFindEnded to the dialog, which shows the
// "No item found." message on the user-interface thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "explorer/logic/find_rules.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/dialog.h"
#include "ui/message_loop.h"

class CFindDialog : public CDialogImpl<CFindDialog>, public CMessageFilter {
public:
    enum { IDD = IDD_FIND };

    // resultKey: the key of the "Search Result" list (kind 4) the hits go to;
    // tree and resultRoot: the folder tree and its "Search Result" item,
    // selected when a search starts (none in tests without an explorer).
    CFindDialog(uintptr_t resultKey, HWND tree, HTREEITEM resultRoot);
    ~CFindDialog() override;

    // Creates the hidden modeless dialog owned by owner.
    HWND Create(HWND owner);
    // Shows the dialog and puts the focus on the search text.
    void Show();
    // Puts path into the look-in field, unless a search is being stopped.
    void SetLookIn(const char* path);

    bool IsSearching() const { return m_searching.load(); }
    // The running search thread's id, 0 when none runs (for tests).
    DWORD SearchThreadId() const { return m_threadId; }
    const find_rules::FindChoices& Choices() const { return m_choices; }

    BOOL PreTranslateMessage(MSG* msg) override;

    BEGIN_MSG_MAP(CFindDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(kMsgFindEnded, OnSearchEnded)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnButton)
    COMMAND_CODE_HANDLER(CBN_EDITCHANGE, OnTextChange)
    END_MSG_MAP()

    void OnFinalMessage(HWND) override;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSearchEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnButton(WORD, WORD id, HWND, BOOL& handled);
    LRESULT OnTextChange(WORD, WORD, HWND, BOOL&);

    // Reads the controls into m_choices; false (with a beep and the focus on
    // the field) when the look-in text is longer than its field.
    bool ReadControls();
    void UpdateControls();
    void StartSearch();
    void StoreChoices();
    void WaitForSearchThread();

    struct SearchJob;
    static DWORD WINAPI SearchThread(void* parameter);

    uintptr_t m_resultKey;
    HWND m_tree;
    HTREEITEM m_resultRoot;
    HWND m_owner = nullptr;
    find_rules::FindChoices m_choices;
    int m_checks[5] = {0, 0, 0, 0, 0}; // keyword, artist, name, match case, subfolders
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_searching{false};
    bool m_filterAdded = false;
    HICON m_smallIcon = nullptr;
};
