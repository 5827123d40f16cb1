// The Arrange Viewers dialog: how the open viewers are tiled (a grid, at
// most so many per row, or at most so many per column). It remembers the
// answer under the options key as ArrangeViewersSelection,
// ArrangeViewersHorzMax and ArrangeViewersVertMax (REG_DWORD; a value of
// another type or size reads as 0).
//
// The maximum in use must be a number from 0 to 100: anything else beeps and
// takes the focus, on a click in the dialog as on OK, and OK then keeps the
// dialog open. Cancel stores nothing.
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/dialog.h"

constexpr int kArrangeMaxViewers = 100;

class CArrangeViewersDialog : public CDialogImpl<CArrangeViewersDialog> {
public:
    enum { IDD = IDD_ARRANGE_VIEWERS };

    // Read when the dialog opens; after IDOK, the answer.
    int selection = 0; // 0 grid, 1 at most horzMax per row, 2 at most vertMax per column
    int horzMax = 0;
    int vertMax = 0;

    // What the answer asks of the arranging routine: its mode ('r' grid,
    // 's' rows, 't' columns) and the maximum that goes with it.
    char Mode() const;
    int Maximum() const;

    BEGIN_MSG_MAP(CArrangeViewersDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnClicked(WORD, WORD, HWND, BOOL&);
    // Reads the radio buttons and the two maxima; false (after a beep and
    // the focus) when the maximum in use is not a number from 0 to 100.
    bool ReadControls();
    void EnableEdits();
};
