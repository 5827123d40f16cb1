// Printing: making sure a printer exists, the Print dialog (298) with its
// printer list, layout, units, margins, spacing, background, copies, range
// and live preview, and the two ways in: the pages of the current image, or
// a list of files.
//
// The dialog returns IDOK after a completed print (the six Print* values are
// written then and only then) and IDCANCEL when closed with Cancel; a
// cancelled or failed print keeps it open and writes nothing.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "docking/color_button.h"
#include "resources/resource.h"
#include "tools/print_preview.h"
#include "ui/dialog.h"

class CImageObject;

// Whether a default printer exists. When none does, the system's Add Printer
// wizard is started (waited for with wait) and the result is false.
bool EnsurePrinterInstalled(HWND owner, bool wait);

// The printer names in the order the spooler lists them, and the default
// printer's name ("" when there is none).
std::vector<std::string> ListPrinters();
std::string DefaultPrinterName();

// The Print dialog's remembered values (HKCU, program key).
struct PrintSettings {
    COLORREF background = RGB(255, 255, 255);
    int32_t imageWidth = 0; // thousandths of the stored unit
    int32_t imageHeight = 0;
    int32_t spaceHorz = 50;
    int32_t spaceVert = 50;
    int32_t unit = 0;

    void Load();
    void Store() const;
};

class CPrintDialog : public CDialogImpl<CPrintDialog> {
public:
    enum { IDD = IDD_PRINT };

    CPrintDialog();
    ~CPrintDialog() override;

    // Current-image mode: the pages of this image (not owned).
    CImageObject* image = nullptr;
    // List mode: the files to print, one copy each to begin with.
    std::vector<std::string> files;

    CPrintPreviewCtrl& Preview() { return preview; }
    int PageCount() const;

    BEGIN_MSG_MAP(CPrintDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    COMMAND_ID_HANDLER(IDOK, OnPrint)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_PRINT_PREFERENCES, OnPreferences)
    COMMAND_ID_HANDLER(IDC_PRINT_EDIT_LIST, OnEditList)
    COMMAND_CODE_HANDLER(EN_CHANGE, OnBoxChanged)
    COMMAND_CODE_HANDLER(CBN_SELCHANGE, OnListChanged)
    NOTIFY_HANDLER(IDC_PRINT_COLOR, CLRN_PICKED, OnColorPicked)
    NOTIFY_CODE_HANDLER(UDN_DELTAPOS, OnSpin)
    REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    // Runs the whole print of the chosen pages; what "&Print" does after
    // its checks. IDOK, IDCANCEL (cancelled) or IDABORT (failed).
    int RunPrint(int from, int to, int copies);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPrint(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnPreferences(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditList(WORD, WORD, HWND, BOOL&);
    LRESULT OnBoxChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnListChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnColorPicked(int, LPNMHDR, BOOL&);
    LRESULT OnSpin(int, LPNMHDR, BOOL&);

    void ApplySettings();
    void OnUnitChanged();
    void FillPictureSizes(int select);
    void ShowLengths();
    void ShowPageCount();
    void UsePrinter(const DEVMODEA* mode);
    std::string SelectedPrinter() const;
    int SelectedIndex(int id) const;
    int ReadInt(int id, int fallback) const;
    int ReadLength(int id) const;
    void ShowLength(int id, int twips);
    std::string BoxText(int id) const;

    CPrintPreviewCtrl preview;
    CColorButton colorButton;
    PrintSettings stored;
    std::vector<BYTE> printerSettings; // DEVMODE from "Preferences"; empty when none
    bool ready = false;
    int copies = 1;
    int rangeChoice = 0;
    int firstPage = 1;
    int lastPage = 1;
    int sizeIndex = 0;
    int unit = 0;
};

// Prints the current image's pages; the dialog's result, or IDCANCEL when no
// printer exists.
int PrintDocument(HWND owner, CImageObject* image);
