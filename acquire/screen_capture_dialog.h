// The Screen Capture dialog (345): OK takes the whole screen; dragging the
// camera icon over a window and releasing the button there picks that window
// and ends the dialog at once. While the icon is dragged, the window under the
// cursor wears an inverted frame; the right button or Escape ends the drag
// without a choice and leaves the screen as it was.
//
//   CScreenCaptureDialog dialog;
//   if (dialog.DoModal(owner) == IDOK) {
//       HWND source = dialog.ChosenWindow(); // NULL: the whole screen
//       ...
//   }
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/dialog.h"

class CScreenCaptureDialog : public CDialogImpl<CScreenCaptureDialog> {
public:
    enum { IDD = IDD_SCREEN_CAPTURE };

    CScreenCaptureDialog();
    ~CScreenCaptureDialog() override;
    CScreenCaptureDialog(const CScreenCaptureDialog&) = delete;
    CScreenCaptureDialog& operator=(const CScreenCaptureDialog&) = delete;

    // The window picked by dragging, or NULL for the whole screen.
    HWND ChosenWindow() const { return m_chosen; }

    // The window the finder tool names at a screen point: the window there,
    // or the smallest visible later sibling that also holds the point (a
    // control inside a group box drawn around it).
    static HWND WindowUnderPoint(POINT point);

    BEGIN_MSG_MAP(CScreenCaptureDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_CAPTURE_FINDER, STN_CLICKED, OnFinderClicked)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFinderClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    void ShowFinderIcon(HICON icon);
    // Runs the drag until the button comes up (true: a window was chosen and
    // the dialog ends) or the user gives up (false).
    bool TrackFinder();
    void Track(POINT point);
    // Inverts a frame around the window's whole rectangle; drawing it again
    // restores what was there.
    static void InvertFrame(HWND window);

    HWND m_chosen = NULL;
    HICON m_camera = NULL;
    HICON m_dragging = NULL;
};
