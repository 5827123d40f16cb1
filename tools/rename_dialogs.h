// The Rename dialog (369), which asks one file's new name, and the Batch
// Rename Files dialog (253), which asks the prefix, first number and padding
// with which a selection is renamed in sequence; and that renaming itself on
// disk.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tools/logic/batch_rename.h"
#include "ui/dialog.h"

// Whether the file at `oldPath` may be renamed to `newPath` (the folder
// joined with `typed` and the extension rule of the caller): false, after
// the message that says why, for a typed name no file may have and for the
// name of another file. The file itself in another letter case is no other
// file. Message boxes go through the program's helper.
bool CheckNewName(const std::string& oldPath, const std::string& typed, const std::string& newPath);

// Shows `name`; OK takes the typed name (at most 259 characters). With
// `path` (the file being renamed) set, OK refuses a name no file may have
// and a name that another file of the folder already has, each with its
// message, and the dialog stays open.
class CRenameDialog : public CDialogImpl<CRenameDialog> {
public:
    enum { IDD = IDD_RENAME };
    static constexpr int kMaxName = 259;

    std::string name; // in: shown at opening; out after IDOK
    std::string path; // the file's full path, or empty

    BEGIN_MSG_MAP(CRenameDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// The prefix, "Start at" (0..16959) and "Padding zero" (0..10) boxes and the
// sample of the first three names. The values come from and, on OK, go to
// BatchRenameFilenamePrefix, BatchRenameSequenceStartAt and
// BatchRenamePaddingZero. OK refuses a prefix no file name may hold and a
// number box that is empty or out of range; the dialog then stays open.
class CBatchRenameDialog : public CDialogImpl<CBatchRenameDialog> {
public:
    enum { IDD = IDD_BATCH_RENAME };

    CBatchRenameDialog();

    batch_rename::Pattern pattern; // after IDOK: what the user chose

    BEGIN_MSG_MAP(CBatchRenameDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_CODE_HANDLER(EN_CHANGE, OnTextChange)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    // The stored choice (defaults for missing values or values of another
    // type), and storing one.
    static batch_rename::Pattern LoadPattern();
    static void StorePattern(const batch_rename::Pattern& pattern);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTextChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    // The boxes as they read now; a box that holds no number counts as 0.
    batch_rename::Pattern ReadBoxes() const;
    // False, with the message or beep and the focus on the box, for a value
    // OK must refuse.
    bool CheckNumberBox(int id, int maximum, int* value);

    bool m_opened = false;
};

// Renames the files in sequence with the pattern (see batch_rename::Run),
// with the directory watcher paused and the lists told of each rename and
// of the end of the batch. Files that could not be renamed are named in one
// message; none is ever written over.
batch_rename::Result RenameInSequence(const std::vector<std::string>& paths,
                                      const std::string& listFolder,
                                      const batch_rename::Pattern& pattern);

// The Batch Rename Files dialog over `owner`, then, on OK, the renaming.
// False when it was cancelled.
bool RunBatchRename(HWND owner, const std::vector<std::string>& paths,
                    const std::string& listFolder);
