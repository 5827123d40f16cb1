// Rotate Canvas: the angle and the direction of an arbitrary rotation.
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/dialog.h"

// Reads an angle typed by the user: blanks and tabs around it are skipped,
// the rest must be one decimal real number. False for anything else (empty,
// trailing letters, "inf", "nan").
bool ParseRotateAngle(const char* text, double* angle);

class CRotateCanvasDialog : public CDialogImpl<CRotateCanvasDialog> {
public:
    enum { IDD = IDD_ROTATE_CANVAS };

    // Shown when the dialog opens; after IDOK, the answer.
    double angle = 0.0; // degrees
    int direction = 0;  // 0 clockwise, 1 counter-clockwise

    // The rotation the answer asks for, clockwise positive.
    double ClockwiseAngle() const { return direction == 1 ? -angle : angle; }

    BEGIN_MSG_MAP(CRotateCanvasDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};
