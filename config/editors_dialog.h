// The external editors: "Configure Editors" edits the whole list (title and
// program of each, the first being the default) and stores it on OK;
// "Configure Editor" edits one entry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog.h"

struct CEditorEntry {
    std::string title;    // at most kEditorTitleLimit characters
    std::string location; // the program's full path, at most kEditorLocationLimit
};

constexpr int kEditorTitleLimit = 49;
constexpr int kEditorLocationLimit = 259;
// The stored list holds the values "0" to "9": an eleventh editor would be
// written but never read back, so the dialog takes no more than ten.
constexpr size_t kMaxEditors = 10;

// Where the list lives and how an editor starts: the application core's
// editor list under the Editors key, and its launch of a program.
class IEditorListStore {
public:
    virtual ~IEditorListStore() = default;
    virtual std::vector<CEditorEntry> Load() = 0;
    // Replaces the stored list (an empty list removes every entry).
    virtual bool Save(const std::vector<CEditorEntry>& editors) = 0;
    // Starts the program with no file.
    virtual bool Launch(const char* program) = 0;
};

// One entry. The caller sets title and location (both empty for a new
// entry); after IDOK they hold what the user entered. OK needs both
// filled in and within their lengths, else it beeps (too long) or does
// nothing (empty) and the dialog stays.
class CEditorDialog : public CDialogImpl<CEditorDialog> {
public:
    enum { IDD = IDD_EDITOR };

    char title[kEditorTitleLimit + 1] = "";
    char location[kEditorLocationLimit + 1] = "";

    BEGIN_MSG_MAP(CEditorDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_EDITOR_BROWSE, OnBrowse)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    // The system's open dialog for a program; the chosen path becomes the
    // location, and its name the title when the title is empty.
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
};

// The whole list. Remove, Edit, Launch and Set Default act on the selected
// entry and are enabled while one is selected (checked when the dialog
// opens and at each click in the list); a double click or Enter on an entry
// edits it. Add appends an entry whose program exists (a full list only
// beeps). OK stores the list in
// its order; Cancel stores nothing.
class CEditorsDialog : public CDialogImpl<CEditorsDialog> {
public:
    enum { IDD = IDD_EDITORS };

    explicit CEditorsDialog(IEditorListStore& store) : m_store(store) {}

    BEGIN_MSG_MAP(CEditorsDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_EDITORS_ADD, OnAdd)
    COMMAND_ID_HANDLER(IDC_EDITORS_REMOVE, OnRemove)
    COMMAND_ID_HANDLER(IDC_EDITORS_EDIT, OnEdit)
    COMMAND_ID_HANDLER(IDC_EDITORS_DEFAULT, OnSetDefault)
    COMMAND_ID_HANDLER(IDC_EDITORS_LAUNCH, OnLaunch)
    NOTIFY_HANDLER(IDC_EDITORS_LIST, NM_CLICK, OnListClick)
    NOTIFY_HANDLER(IDC_EDITORS_LIST, LVN_ITEMACTIVATE, OnItemActivate)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
    LRESULT OnEdit(WORD, WORD, HWND, BOOL&);
    LRESULT OnSetDefault(WORD, WORD, HWND, BOOL&);
    LRESULT OnLaunch(WORD, WORD, HWND, BOOL&);
    LRESULT OnListClick(int, LPNMHDR, BOOL&);
    LRESULT OnItemActivate(int, LPNMHDR, BOOL&);

    HWND List() const { return GetDlgItem(IDC_EDITORS_LIST); }
    int Selected() const;
    CEditorEntry Entry(int row) const;
    void InsertEntry(int row, const CEditorEntry& entry);
    void SetEntry(int row, const CEditorEntry& entry);
    void EnableButtons();

    IEditorListStore& m_store;
};
