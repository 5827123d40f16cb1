// The print list dialog (346, "Print List"): edits the files that the Print
// dialog prints and the copies of each, with the properties of the selected
// file. It works on its list view and writes back into the caller's list
// and copies only when closed with OK after a change.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog.h"
#include "viewer/image_view.h"

class CPrintListDialog : public CDialogImpl<CPrintListDialog> {
public:
    enum { IDD = IDD_PRINT_LIST };

    CPrintListDialog(std::vector<std::string>* files, std::vector<int>* copies);

    bool Modified() const { return modified; }
    // The small picture of the selected file.
    CImageView& PreviewView() { return view; }

    BEGIN_MSG_MAP(CPrintListDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_PLIST_ADD, OnAdd)
    COMMAND_ID_HANDLER(IDC_PLIST_REMOVE, OnRemove)
    COMMAND_ID_HANDLER(IDC_PLIST_UP, OnMove)
    COMMAND_ID_HANDLER(IDC_PLIST_DOWN, OnMove)
    COMMAND_ID_HANDLER(IDC_PLIST_CLEAR, OnClear)
    COMMAND_HANDLER(IDC_PLIST_COPIES, EN_CHANGE, OnCopiesChanged)
    NOTIFY_HANDLER(IDC_PLIST_LIST, LVN_ITEMCHANGED, OnItemChanged)
    END_MSG_MAP()

    // The file-open filters, "All Formats" first.
    static std::string OpenFilters();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
    LRESULT OnMove(WORD, WORD, HWND, BOOL&);
    LRESULT OnClear(WORD, WORD, HWND, BOOL&);
    LRESULT OnCopiesChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);

    HWND List() const { return GetDlgItem(IDC_PLIST_LIST); }
    int Count() const;
    int Selected() const;
    void Select(int row);
    void AddRow(int row, const std::string& path, int copies);
    std::string RowText(int row, int column) const;
    void UpdateButtons();
    void UpdateTotals();
    void ShowItemProperties(int row);

    std::vector<std::string>* files;
    std::vector<int>* copies;
    bool modified = false;
    bool ready = false;  // the copies box is ours to read
    bool moving = false; // a move does not reload the properties
    CImageView view;
};
