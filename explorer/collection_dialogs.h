// The small dialogs of the folder pane tree: Add To My Collections, Create
// New Collection and Folder Properties. None writes the database; the caller
// fills the buffers or the record before running one and reads them after.
#pragma once

#include <windows.h>

#include "app/logic/image_attributes.h"
#include "resources/resource.h"
#include "ui/dialog.h"

// Asks for an existing folder; IDOK with it in path.
class CAddToCollectionsDialog : public CDialogImpl<CAddToCollectionsDialog> {
public:
    enum { IDD = IDD_ADD_TO_COLLECTIONS };

    char path[MAX_PATH] = "";

    BEGIN_MSG_MAP(CAddToCollectionsDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_COLLECTION_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// Asks for the name of a new collection folder under location; IDOK with the
// folder to make in fullPath (the caller makes it).
class CCreateCollectionDialog : public CDialogImpl<CCreateCollectionDialog> {
public:
    enum { IDD = IDD_CREATE_COLLECTION };

    char name[MAX_PATH] = "";
    char location[MAX_PATH] = "";
    char fullPath[MAX_PATH] = "";

    BEGIN_MSG_MAP(CCreateCollectionDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_COLLECTION_NAME, EN_CHANGE, OnNameChange)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNameChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    void FormFullPath();

    bool m_initialising = false;
};

// Edits the description, keywords, artist and date of a folder's record.
class CFolderPropertiesDialog : public CDialogImpl<CFolderPropertiesDialog> {
public:
    enum { IDD = IDD_FOLDER_PROPERTIES };

    explicit CFolderPropertiesDialog(CImageAttributes* attributes);

    BEGIN_MSG_MAP(CFolderPropertiesDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnButtonClicked)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnButtonClicked(WORD, WORD, HWND, BOOL&);
    void EnablePicker();

    CImageAttributes* m_attributes;
    int m_dateSet = 0;
};
