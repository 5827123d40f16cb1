// Browse for Folder: a folder tree with My Collections and the desktop, a
// combo box of the folders chosen before (kept in the registry, the most
// recent first), and a button that makes a new folder or a new collection.
// OK makes the typed folder, with any missing parents.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "explorer/folder_pane_tree.h"
#include "resources/resource.h"
#include "ui/dialog.h"

// Registry names under the program's key.
extern const char kRecentBrowseCountValue[]; // "RecentBrowseForFolder"
extern const char kRecentBrowseKeyPath[];    // "...\\Velmorantix XP\\BrowseForFolders"

class CBrowseForFolderDialog : public CDialogImpl<CBrowseForFolderDialog> {
public:
    enum { IDD = IDD_BROWSE_FOLDER };

    CBrowseForFolderDialog();

    // In: the initial folder; after IDOK: the chosen folder.
    char path[MAX_PATH] = "";
    // Empty keeps the template's caption.
    char title[MAX_PATH] = "";
    // Hears the tree's notices of folders made, renamed or removed.
    HWND passOnWindow = nullptr;

    CFolderPaneTree& Tree() { return m_tree; }
    const std::vector<std::string>& RecentFolders() const { return m_recent; }
    uint32_t RecentCount() const { return m_recentCount; }

    BEGIN_MSG_MAP(CBrowseForFolderDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    NOTIFY_ID_HANDLER(IDC_BROWSE_TREE, OnTreeNotify)
    NOTIFY_RANGE_HANDLER(0, 0, OnTreeNotice)
    COMMAND_HANDLER(IDC_BROWSE_FOLDER, CBN_EDITCHANGE, OnFolderChange)
    COMMAND_HANDLER(IDC_BROWSE_FOLDER, CBN_SELCHANGE, OnFolderChange)
    COMMAND_ID_HANDLER(IDC_BROWSE_GO, OnGo)
    COMMAND_ID_HANDLER(ID_TREE_NEW_FOLDER, OnNewFolder)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDC_BROWSE_OK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnTreeNotify(int, LPNMHDR header, BOOL&);
    LRESULT OnTreeNotice(int, LPNMHDR header, BOOL& handled);
    LRESULT OnFolderChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnGo(WORD, WORD, HWND, BOOL&);
    LRESULT OnNewFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD id, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    void ReadRecentFolders();
    bool WriteRecentFolders();
    void UpdateNewFolderButton();
    void ShowPathInCombo();
    void TakeComboText();
    bool EndsLabelEdit(bool cancel);

    struct Anchor {
        int id;
        RECT rect;
        bool moveX, moveY, growX, growY;
    };
    std::vector<Anchor> m_anchors;
    SIZE m_initialClient{};
    SIZE m_minimumWindow{};
    HWND m_gripper = nullptr;

    CFolderPaneTree m_tree;
    std::vector<std::string> m_recent; // the most recent first
    uint32_t m_recentCount = 10;
    HICON m_smallIcon = nullptr;
};
