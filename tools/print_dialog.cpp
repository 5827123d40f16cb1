#include "tools/print_dialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/application_state.h"
#include "app/options.h"
#include "imaging/image_object.h"
#include "tools/logic/print_layout.h"
#include "tools/print_list_dialog.h"
#include "tools/print_progress.h"
#include "tools/tool_registry.h"
#include "tools/tool_services.h"

namespace {

using printing::FormatLength;

// The Windows NT family, where the spooler's own default-printer query is
// the one that answers (the enumeration flag for it lists nothing there).
bool IsNtFamily() {
    return g_applicationState.VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

using GetDefaultPrinterProc = BOOL(WINAPI*)(LPSTR, LPDWORD);

// Looked up by name: the 9x spooler has no such export.
GetDefaultPrinterProc DefaultPrinterQuery() {
    HMODULE spooler = ::GetModuleHandleA("winspool.drv");
    if (!spooler)
        spooler = ::LoadLibraryA("winspool.drv");
    return spooler ? reinterpret_cast<GetDefaultPrinterProc>(
                         reinterpret_cast<void*>(::GetProcAddress(spooler, "GetDefaultPrinterA")))
                   : nullptr;
}

// The first name the 9x spooler gives for its default printer.
std::string EnumeratedDefaultPrinter(DWORD* needed) {
    DWORD returned = 0;
    *needed = 0;
    ::EnumPrintersA(PRINTER_ENUM_DEFAULT, NULL, 5, NULL, 0, needed, &returned);
    if (*needed == 0)
        return "";
    std::vector<BYTE> buffer(*needed);
    if (!::EnumPrintersA(PRINTER_ENUM_DEFAULT, NULL, 5, buffer.data(), *needed, needed,
                         &returned) ||
        returned == 0)
        return "";
    const PRINTER_INFO_5A* info = reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data());
    return info->pPrinterName ? info->pPrinterName : "";
}

struct LengthSpin {
    int spin;
    int box;
    bool spacing; // never below 0
};

const LengthSpin kLengthSpins[] = {
    {IDC_PRINT_TOP_SPIN, IDC_PRINT_TOP, false},
    {IDC_PRINT_LEFT_SPIN, IDC_PRINT_LEFT, false},
    {IDC_PRINT_BOTTOM_SPIN, IDC_PRINT_BOTTOM, false},
    {IDC_PRINT_RIGHT_SPIN, IDC_PRINT_RIGHT, false},
    {IDC_PRINT_WIDTH_SPIN, IDC_PRINT_WIDTH, false},
    {IDC_PRINT_HEIGHT_SPIN, IDC_PRINT_HEIGHT, false},
    {IDC_PRINT_SPACE_HORZ_SPIN, IDC_PRINT_SPACE_HORZ, true},
    {IDC_PRINT_SPACE_VERT_SPIN, IDC_PRINT_SPACE_VERT, true},
};

} // namespace

bool EnsurePrinterInstalled(HWND owner, bool wait) {
    DWORD needed = 0;
    // An NT spooler older than the query answers the enumeration instead.
    GetDefaultPrinterProc query = IsNtFamily() ? DefaultPrinterQuery() : nullptr;
    if (query)
        query(NULL, &needed);
    else
        EnumeratedDefaultPrinter(&needed);
    if (needed != 0)
        return true;
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.hwnd = owner;
    run.lpVerb = "open";
    run.lpFile = "rundll32";
    run.lpParameters = "shell32,SHHelpShortcuts_RunDLL AddPrinter";
    run.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExA(&run) && run.hProcess) {
        if (wait)
            ::WaitForSingleObject(run.hProcess, INFINITE);
        ::CloseHandle(run.hProcess);
    }
    return false;
}

std::vector<std::string> ListPrinters() {
    std::vector<std::string> names;
    const bool nt = IsNtFamily();
    const DWORD flags = nt ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS : PRINTER_ENUM_LOCAL;
    const DWORD level = nt ? 4 : 5;
    DWORD needed = 0, returned = 0;
    ::EnumPrintersA(flags, NULL, level, NULL, 0, &needed, &returned);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrintersA(flags, NULL, level, buffer.data(), needed, &needed, &returned))
        return names;
    for (DWORD i = 0; i < returned; ++i) {
        const char* name =
            nt ? reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data())[i].pPrinterName
               : reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data())[i].pPrinterName;
        if (name)
            names.push_back(name);
    }
    return names;
}

std::string DefaultPrinterName() {
    GetDefaultPrinterProc query = IsNtFamily() ? DefaultPrinterQuery() : nullptr;
    if (!query) {
        DWORD needed = 0;
        return EnumeratedDefaultPrinter(&needed);
    }
    DWORD size = 0;
    query(NULL, &size);
    if (size == 0)
        return "";
    std::vector<char> name(size + 1);
    if (!query(name.data(), &size))
        return "";
    return name.data();
}

void PrintSettings::Load() {
    HKEY key = toolreg::Open(false);
    if (!key)
        return;
    int32_t colour = static_cast<int32_t>(background);
    toolreg::Read(key, "PrintBackgroundColor", &colour);
    background = static_cast<COLORREF>(colour);
    toolreg::Read(key, "PrintImageWidth", &imageWidth);
    toolreg::Read(key, "PrintImageHeight", &imageHeight);
    toolreg::Read(key, "PrintSpaceHorz", &spaceHorz);
    toolreg::Read(key, "PrintSpaceVert", &spaceVert);
    toolreg::Read(key, "PrintMeasurementUnit", &unit);
    ::RegCloseKey(key);
    if (unit < 0 || unit >= printing::kUnitCount)
        unit = 0;
}

void PrintSettings::Store() const {
    HKEY key = toolreg::Open(true);
    if (!key)
        return;
    toolreg::Write(key, "PrintBackgroundColor", static_cast<int32_t>(background));
    toolreg::Write(key, "PrintImageWidth", imageWidth);
    toolreg::Write(key, "PrintImageHeight", imageHeight);
    toolreg::Write(key, "PrintSpaceHorz", spaceHorz);
    toolreg::Write(key, "PrintSpaceVert", spaceVert);
    toolreg::Write(key, "PrintMeasurementUnit", unit);
    ::RegCloseKey(key);
}

CPrintDialog::CPrintDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

CPrintDialog::~CPrintDialog() = default;

std::string CPrintDialog::BoxText(int id) const {
    char text[128] = "";
    GetDlgItemText(id, text, sizeof(text));
    return text;
}

int CPrintDialog::ReadInt(int id, int fallback) const {
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(id, &ok, TRUE));
    return ok ? value : fallback;
}

int CPrintDialog::ReadLength(int id) const {
    return printing::ParseLength(BoxText(id).c_str(), unit);
}

void CPrintDialog::ShowLength(int id, int twips) {
    SetDlgItemText(id, FormatLength(twips, unit).c_str());
}

int CPrintDialog::SelectedIndex(int id) const {
    return static_cast<int>(::SendDlgItemMessageA(m_hWnd, id, CB_GETCURSEL, 0, 0));
}

std::string CPrintDialog::SelectedPrinter() const {
    const int row = SelectedIndex(IDC_PRINT_PRINTER);
    if (row < 0)
        return "";
    char name[512] = "";
    HWND list = GetDlgItem(IDC_PRINT_PRINTER);
    if (::SendMessageA(list, CB_GETLBTEXTLEN, row, 0) >= (LRESULT)sizeof(name))
        return "";
    ::SendMessageA(list, CB_GETLBTEXT, row, (LPARAM)name);
    return name;
}

int CPrintDialog::PageCount() const {
    return printing::PageCount(preview.GetPictureCount(), preview.perPage);
}

void CPrintDialog::UsePrinter(const DEVMODEA* mode) {
    const std::string name = SelectedPrinter();
    HDC dc = name.empty() ? NULL : ::CreateDCA("WINSPOOL", name.c_str(), NULL, mode);
    preview.SetPrinterDC(dc);
}

LRESULT CPrintDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ready = false;
    stored.Load();
    unit = stored.unit;

    colorButton.SubclassWindow(GetDlgItem(IDC_PRINT_COLOR));
    colorButton.colour = stored.background;
    colorButton.defaultColour = RGB(255, 255, 255);

    SetDlgItemInt(IDC_PRINT_COPIES, (UINT)copies, TRUE);
    ::CheckRadioButton(m_hWnd, IDC_PRINT_ALL, IDC_PRINT_PAGES, IDC_PRINT_ALL + rangeChoice);
    SetDlgItemInt(IDC_PRINT_FROM, (UINT)firstPage, TRUE);
    SetDlgItemInt(IDC_PRINT_TO, (UINT)lastPage, TRUE);
    SetDlgItemInt(IDC_PRINT_GOTO, 1, TRUE);
    SetDlgItemInt(IDC_PRINT_PER_PAGE, 1, TRUE);
    SetDlgItemText(IDC_PRINT_WIDTH, printing::FormatThousandths(stored.imageWidth, unit).c_str());
    SetDlgItemText(IDC_PRINT_HEIGHT, printing::FormatThousandths(stored.imageHeight, unit).c_str());
    SetDlgItemText(IDC_PRINT_SPACE_HORZ,
                   printing::FormatThousandths(stored.spaceHorz, unit).c_str());
    SetDlgItemText(IDC_PRINT_SPACE_VERT,
                   printing::FormatThousandths(stored.spaceVert, unit).c_str());

    preview.currentImage = image;
    preview.files = files;
    preview.copies.assign(files.size(), 1);
    preview.spaceHorz = ReadLength(IDC_PRINT_SPACE_HORZ);
    preview.spaceVert = ReadLength(IDC_PRINT_SPACE_VERT);

    if (image)
        ::EnableWindow(GetDlgItem(IDC_PRINT_EDIT_LIST), FALSE);

    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PER_PAGE_SPIN, UDM_SETRANGE32, 1, 1);
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_GOTO_SPIN, UDM_SETRANGE32, 1, std::max(1, PageCount()));
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_COPIES_SPIN, UDM_SETRANGE32, 1, printing::kMaxCopies);
    for (const LengthSpin& spin : kLengthSpins) {
        ::SendDlgItemMessageA(m_hWnd, spin.spin, UDM_SETRANGE32, 31072, -31072);
        ::SendDlgItemMessageA(m_hWnd, spin.spin, UDM_SETPOS32, 0, 0);
    }

    HWND printers = GetDlgItem(IDC_PRINT_PRINTER);
    for (const std::string& name : ListPrinters())
        ::SendMessageA(printers, CB_ADDSTRING, 0, (LPARAM)name.c_str());
    const std::string defaultName = DefaultPrinterName();
    if (!defaultName.empty())
        ::SendMessageA(printers, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)defaultName.c_str());

    HWND fit = GetDlgItem(IDC_PRINT_FIT);
    for (int mode = 0; mode < printing::kFitModeCount; ++mode)
        ::SendMessageA(fit, CB_ADDSTRING, 0, (LPARAM)printing::FitModeName(mode));
    ::SendMessageA(fit, CB_SETCURSEL, 0, 0);
    ::SendMessageA(fit, CB_SETDROPPEDWIDTH, 180, 0);
    preview.fitMode = 0;

    HWND units = GetDlgItem(IDC_PRINT_UNIT);
    for (int u = 0; u < printing::kUnitCount; ++u)
        ::SendMessageA(units, CB_ADDSTRING, 0, (LPARAM)printing::UnitName(u));
    ::SendMessageA(units, CB_SETCURSEL, unit, 0);

    // The preview stands in the client rectangle (260, 210)-(520, 470).
    RECT area = {260, 210, 520, 470};
    preview.largestWidth = 260;
    preview.largestHeight = 260;
    preview.Create(m_hWnd, area, NULL, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, IDC_PRINT_PREVIEW);
    preview.copies.assign(files.size(), 1);
    UsePrinter(NULL);
    preview.top = preview.bottom = preview.offsetY;
    preview.left = preview.right = preview.offsetX;
    preview.background = stored.background;

    FillPictureSizes(0);
    ShowLengths();
    ShowPageCount();
    ready = true;
    ApplySettings();
    return TRUE;
}

LRESULT CPrintDialog::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    printerSettings.clear();
    handled = FALSE;
    return 0;
}

void CPrintDialog::FillPictureSizes(int select) {
    HWND sizes = GetDlgItem(IDC_PRINT_SIZE);
    ::SendMessageA(sizes, CB_RESETCONTENT, 0, 0);
    for (int row = 0; row < printing::kPictureSizeCount; ++row)
        ::SendMessageA(sizes, CB_ADDSTRING, 0, (LPARAM)printing::PictureSizeName(row, unit));
    ::SendMessageA(sizes, CB_SETCURSEL, select >= 0 ? select : 0, 0);
}

void CPrintDialog::ShowLengths() {
    const bool wasReady = ready;
    ready = false;
    ShowLength(IDC_PRINT_TOP, preview.top);
    ShowLength(IDC_PRINT_LEFT, preview.left);
    ShowLength(IDC_PRINT_BOTTOM, preview.bottom);
    ShowLength(IDC_PRINT_RIGHT, preview.right);
    ready = wasReady;
}

void CPrintDialog::ShowPageCount() {
    char text[32];
    std::snprintf(text, sizeof(text), "of %d", PageCount());
    SetDlgItemText(IDC_PRINT_PAGE_COUNT, text);
}

void CPrintDialog::OnUnitChanged() {
    const int oldUnit = unit;
    int twipsWidth = printing::ParseLength(BoxText(IDC_PRINT_WIDTH).c_str(), oldUnit);
    int twipsHeight = printing::ParseLength(BoxText(IDC_PRINT_HEIGHT).c_str(), oldUnit);
    const int twipsHorz = printing::ParseLength(BoxText(IDC_PRINT_SPACE_HORZ).c_str(), oldUnit);
    const int twipsVert = printing::ParseLength(BoxText(IDC_PRINT_SPACE_VERT).c_str(), oldUnit);
    const int keep = SelectedIndex(IDC_PRINT_SIZE);
    unit = SelectedIndex(IDC_PRINT_UNIT);
    if (unit < 0 || unit >= printing::kUnitCount)
        unit = 0;
    const bool wasReady = ready;
    ready = false;
    FillPictureSizes(keep);
    ShowLengths();
    ShowLength(IDC_PRINT_WIDTH, twipsWidth);
    ShowLength(IDC_PRINT_HEIGHT, twipsHeight);
    ShowLength(IDC_PRINT_SPACE_HORZ, twipsHorz);
    ShowLength(IDC_PRINT_SPACE_VERT, twipsVert);
    ready = wasReady;
    preview.Invalidate();
}

void CPrintDialog::ApplySettings() {
    const int perPage = std::max(1, ReadInt(IDC_PRINT_PER_PAGE, 1));
    copies = printing::ClampCopies(ReadInt(IDC_PRINT_COPIES, 1));
    firstPage = ReadInt(IDC_PRINT_FROM, firstPage);
    lastPage = ReadInt(IDC_PRINT_TO, lastPage);
    rangeChoice = ::IsDlgButtonChecked(m_hWnd, IDC_PRINT_CURRENT) ? printing::kRangeCurrent
                  : ::IsDlgButtonChecked(m_hWnd, IDC_PRINT_PAGES) ? printing::kRangePages
                                                                  : printing::kRangeAll;
    sizeIndex = SelectedIndex(IDC_PRINT_SIZE);
    preview.fitMode = std::max(0, SelectedIndex(IDC_PRINT_FIT));

    const bool fullPage = sizeIndex == printing::kPictureSizeFullPage;
    const bool wasReady = ready;
    ready = false;
    if (fullPage)
        SetDlgItemInt(IDC_PRINT_PER_PAGE, 1, TRUE);
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PER_PAGE_SPIN, UDM_SETRANGE32, 1,
                          fullPage ? 1 : printing::kMaxCopies);
    ::EnableWindow(GetDlgItem(IDC_PRINT_PER_PAGE), !fullPage);
    ::EnableWindow(GetDlgItem(IDC_PRINT_PER_PAGE_SPIN), !fullPage);
    preview.perPage = fullPage ? 1 : perPage;
    const bool spacing = preview.perPage != 1;
    for (int id : {IDC_PRINT_SPACE_HORZ, IDC_PRINT_SPACE_HORZ_SPIN, IDC_PRINT_SPACE_VERT,
                   IDC_PRINT_SPACE_VERT_SPIN})
        ::EnableWindow(GetDlgItem(id), spacing);
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PER_PAGE_SPIN, UDM_SETPOS32, 0, preview.perPage);

    const int pages = PageCount();
    const int gotoPage = ReadInt(IDC_PRINT_GOTO, 1);
    preview.currentPage = std::max(1, std::min(gotoPage, std::max(1, pages)));
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_GOTO_SPIN, UDM_SETRANGE32, 1, std::max(1, pages));
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_GOTO_SPIN, UDM_SETPOS32, 0, preview.currentPage);

    const bool custom = sizeIndex == printing::kPictureSizeCustom;
    if (custom) {
        preview.pictureWidth = ReadLength(IDC_PRINT_WIDTH);
        preview.pictureHeight = ReadLength(IDC_PRINT_HEIGHT);
    } else if (!printing::PictureSizeTwips(sizeIndex, unit, &preview.pictureWidth,
                                           &preview.pictureHeight)) {
        preview.pictureWidth = preview.pictureHeight = 0;
    }
    for (int id : {IDC_PRINT_WIDTH, IDC_PRINT_WIDTH_SPIN, IDC_PRINT_HEIGHT, IDC_PRINT_HEIGHT_SPIN})
        ::EnableWindow(GetDlgItem(id), custom);

    preview.top = ReadLength(IDC_PRINT_TOP);
    preview.left = ReadLength(IDC_PRINT_LEFT);
    preview.bottom = ReadLength(IDC_PRINT_BOTTOM);
    preview.right = ReadLength(IDC_PRINT_RIGHT);
    preview.spaceHorz = std::max(0, ReadLength(IDC_PRINT_SPACE_HORZ));
    preview.spaceVert = std::max(0, ReadLength(IDC_PRINT_SPACE_VERT));
    preview.background = colorButton.ShownColour();
    ready = wasReady;
    preview.Invalidate();
    ShowPageCount();
}

LRESULT CPrintDialog::OnBoxChanged(WORD, WORD id, HWND, BOOL&) {
    if (ready && id != IDC_PRINT_COPIES)
        ApplySettings();
    return 0;
}

LRESULT CPrintDialog::OnListChanged(WORD, WORD id, HWND, BOOL&) {
    if (!ready)
        return 0;
    if (id == IDC_PRINT_PRINTER) {
        printerSettings.clear();
        UsePrinter(NULL);
    } else if (id == IDC_PRINT_UNIT) {
        OnUnitChanged();
    }
    ApplySettings();
    return 0;
}

LRESULT CPrintDialog::OnColorPicked(int, LPNMHDR, BOOL&) {
    if (ready)
        ApplySettings();
    return 0;
}

LRESULT CPrintDialog::OnSpin(int id, LPNMHDR header, BOOL& handled) {
    for (const LengthSpin& spin : kLengthSpins) {
        if (spin.spin != id)
            continue;
        const NMUPDOWN* change = reinterpret_cast<const NMUPDOWN*>(header);
        // The range runs downwards, so the up arrow brings a negative step.
        double value = std::strtod(BoxText(spin.box).c_str(), nullptr);
        value += change->iDelta < 0 ? 0.01 : -0.01;
        if (spin.spacing && value < 0.0)
            value = 0.0;
        char text[64];
        std::snprintf(text, sizeof(text), "%.2f%s", value, printing::UnitSuffix(unit));
        SetDlgItemText(spin.box, text);
        return 1; // the spin itself stays where it is
    }
    handled = FALSE;
    return 0;
}

LRESULT CPrintDialog::OnPreferences(WORD, WORD, HWND, BOOL&) {
    std::string name = SelectedPrinter();
    HANDLE printer = NULL;
    if (name.empty() || !::OpenPrinterA(&name[0], &printer, NULL))
        return 0;
    if (printerSettings.empty()) {
        const LONG size = ::DocumentPropertiesA(m_hWnd, printer, &name[0], NULL, NULL, 0);
        if (size <= 0) {
            ::ClosePrinter(printer);
            return 0;
        }
        printerSettings.assign(static_cast<size_t>(size), 0);
        DEVMODEA* mode = reinterpret_cast<DEVMODEA*>(printerSettings.data());
        if (::DocumentPropertiesA(m_hWnd, printer, &name[0], mode, NULL, DM_OUT_BUFFER) != IDOK) {
            printerSettings.clear();
            ::ClosePrinter(printer);
            return 0;
        }
    }
    DEVMODEA* mode = reinterpret_cast<DEVMODEA*>(printerSettings.data());
    const bool landscapeBefore = preview.pageWidth > preview.pageHeight;
    if (::DocumentPropertiesA(m_hWnd, printer, &name[0], mode, mode,
                              DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER) == IDOK) {
        UsePrinter(mode);
        if ((preview.pageWidth > preview.pageHeight) != landscapeBefore)
            ShowLengths();
        ApplySettings();
    }
    ::ClosePrinter(printer);
    return 0;
}

LRESULT CPrintDialog::OnEditList(WORD, WORD, HWND, BOOL&) {
    if (image)
        return 0;
    CPrintListDialog list(&preview.files, &preview.copies);
    if (list.DoModal(m_hWnd) == IDOK && list.Modified()) {
        preview.ReleasePreviewImages();
        ApplySettings();
    }
    return 0;
}

int CPrintDialog::RunPrint(int from, int to, int copiesToPrint) {
    CPrintProgressDialog progress;
    progress.firstPage = from;
    progress.lastPage = to;
    progress.copies = copiesToPrint;
    progress.preview = &preview;
    return static_cast<int>(progress.DoModal(m_hWnd));
}

LRESULT CPrintDialog::OnPrint(WORD, WORD, HWND, BOOL&) {
    ApplySettings();
    const int pages = PageCount();
    if (pages == 0) {
        ::MessageBoxA(m_hWnd, "No image in the print list.", "Velmorantix XP",
                      MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (!printing::RangeAcceptable(rangeChoice, firstPage, lastPage, pages)) {
        char text[96];
        std::snprintf(text, sizeof(text), "Print range must be between %d and %d", 1, pages);
        ::MessageBoxA(m_hWnd, text, "Velmorantix XP", MB_OK | MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_PRINT_FROM));
        return 0;
    }
    int from = 1, to = pages;
    printing::PagesToPrint(rangeChoice, firstPage, lastPage, preview.currentPage, pages, &from,
                           &to);
    if (RunPrint(from, to, copies) != IDOK)
        return 0;
    PrintSettings now;
    now.background = colorButton.ShownColour();
    now.imageWidth = printing::ParseThousandths(BoxText(IDC_PRINT_WIDTH).c_str(), false);
    now.imageHeight = printing::ParseThousandths(BoxText(IDC_PRINT_HEIGHT).c_str(), false);
    now.spaceHorz = printing::ParseThousandths(BoxText(IDC_PRINT_SPACE_HORZ).c_str(), true);
    now.spaceVert = printing::ParseThousandths(BoxText(IDC_PRINT_SPACE_VERT).c_str(), true);
    now.unit = unit;
    now.Store();
    EndDialog(IDOK);
    return 0;
}

LRESULT CPrintDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

int PrintDocument(HWND owner, CImageObject* image) {
    if (!image || !EnsurePrinterInstalled(owner, false))
        return IDCANCEL;
    CPrintDialog dialog;
    dialog.image = image;
    return static_cast<int>(dialog.DoModal(owner ? owner : ::GetActiveWindow()));
}
