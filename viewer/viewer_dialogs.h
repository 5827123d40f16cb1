// The viewer's small modal dialogs: Zoom To, Goto Page, Marquee Setting and
// the Slide Show options.
//
// All four validate on OK the same way: a field that does not hold a number
// beeps and gets the focus; a number out of range shows the range message
// under the caption "Failed!" with the error icon and the field gets the
// focus. In both cases the dialog stays open and nothing is stored. Cancel
// ends a dialog without changing anything.
//
// Run them with DoModal() (over the active window by default).
#pragma once

#include <windows.h>

#include "docking/color_button.h"
#include "resources/resource.h"
#include "ui/dialog.h"

// The range a dialog accepts, for its message and for the tests.
constexpr int kZoomToMinPercent = 1;
constexpr int kZoomToMaxPercent = 10000;
constexpr int kMarqueeMinDimension = 0;
constexpr int kMarqueeMaxDimension = 9999;
constexpr double kSlideShowMinDelay = 0.1;    // seconds
constexpr double kSlideShowMaxDelay = 1000.0; // seconds

// Shared validation of the dialogs (viewer_dialogs_common.cpp).
namespace viewer_dialogs {

// Reads an integer field (signed). Not a number: beeps, focuses the field,
// false. Outside [low, high]: the message of string `rangeStringId`
// formatted with low and high under "Failed!", focuses the field, false.
bool ReadIntField(HWND dialog, int id, int low, int high, UINT rangeStringId, int* value);

// Shows `text` under "Failed!" with the error icon, then focuses field `id`.
void ShowRangeError(HWND dialog, int id, const char* text);

// Beeps and focuses field `id` (a field that does not hold a number).
void RejectNotANumber(HWND dialog, int id);

// Parses a decimal number (digits, one point, an optional sign, surrounding
// blanks). False for anything else, including an empty text.
bool ParseDecimal(const char* text, double* value);

// Loads string `id` from the program's resources; empty when missing.
void LoadResourceString(UINT id, char* buffer, int size);

} // namespace viewer_dialogs

// Zoom To (334): the percentage, 1..10000.
class CZoomToDialog : public CDialogImpl<CZoomToDialog> {
public:
    enum { IDD = IDD_ZOOM_TO };

    int percent = 100;

    BEGIN_MSG_MAP(CZoomToDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// Goto Page (396): page (1-based) within 1..page count.
class CGotoPageDialog : public CDialogImpl<CGotoPageDialog> {
public:
    enum { IDD = IDD_GOTO_PAGE };

    CGotoPageDialog(); // makes sure the up-down control class exists

    int page = 1;
    int pageCount = 1;

    BEGIN_MSG_MAP(CGotoPageDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// Marquee Setting (412): free or fixed selection and its width and height
// (0..9999). Reads and, on OK, writes the options MarqueeDimensions,
// MarqueeWidth and MarqueeHeight; the caller applies them to the view.
class CMarqueeSettingDialog : public CDialogImpl<CMarqueeSettingDialog> {
public:
    enum { IDD = IDD_MARQUEE_SETTING };

    int fixedDimensions = 0; // radio index: 0 "&No", 1 "&Yes"
    int width = 0;
    int height = 0;

    BEGIN_MSG_MAP(CMarqueeSettingDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_RANGE_HANDLER(IDC_MARQUEE_NO, IDC_MARQUEE_YES, OnRadio)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnRadio(WORD, WORD, HWND, BOOL&);
    int ReadRadio() const;
    void EnableEdits();
};

// Slide Show options (329). Construction copies the slide-show options; OK
// writes them back and saves the options.
class CSlideShowOptionsDialog : public CDialogImpl<CSlideShowOptionsDialog> {
public:
    enum { IDD = IDD_SLIDE_SHOW };

    CSlideShowOptionsDialog();

    int playScope;  // 0 current folder, 1 with subfolders, 2 subfolders only
    int sequence;   // 0 forward, 1 backward, 2 random
    int repeat;     // 0/1
    int fullScreen; // 0/1
    int caption;    // 0/1
    double delay;   // seconds
    bool playAvailable[3] = {true, true, true}; // the explorer may clear entries
    COLORREF backgroundColor;
    COLORREF captionColor;

    // Default colours of the two colour buttons.
    static constexpr COLORREF kDefaultBackground = 0xC09E7D;
    static constexpr COLORREF kDefaultCaptionColor = 0x0000FF;

    // The background button shows the viewer background and stores nothing;
    // the caption button's colour is stored on OK.
    CColorButton backgroundButton;
    CColorButton captionButton;

    BEGIN_MSG_MAP(CSlideShowOptionsDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnButtonClicked)
    REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnButtonClicked(WORD, WORD, HWND, BOOL&);
    void EnableRepeat();
    int ReadSequence() const;
};
