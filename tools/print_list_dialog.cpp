#include "tools/print_list_dialog.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/application_state.h"
#include "app/image_cache.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "tools/logic/print_layout.h"
#include "ui/wait_cursor.h"

namespace {

// The preview's place in the dialog's client area, in pixels.
constexpr int kPreviewLeft = 15;
constexpr int kPreviewTop = 30;
constexpr int kPreviewWidth = 140;
constexpr int kPreviewHeight = 160;

struct Filter {
    const char* name;
    const char* patterns;
};

// Every type the program reads; the dialog starts on "All Formats".
const Filter kFilters[] = {
    {"BMP (*.BMP)", "*.bmp"},
    {"GIF (*.GIF)", "*.gif"},
    {"Enhanced Metafile (*.EMF)", "*.emf"},
    {"PNG (*.PNG)", "*.png"},
    {"Icon (*.ICO)", "*.ico"},
    {"Photo CD (*.PCD)", "*.pcd"},
    {"Photoshop (*.PSD)", "*.psd"},
    {"Paint Shop Pro (*.PSP)", "*.psp"},
    {"Targa (*.TGA;*.VDA;*.ICB;*.VST)", "*.tga;*.vda;*.icb;*.vst"},
    {"TIFF (*.TIF;*.TIFF)", "*.tif;*.tiff"},
    {"JPEG (*.JPG;*.JPEG;*.JPE)", "*.jpg;*.jpeg;*.jpe"},
    {"Windows Metafile (*.WMF)", "*.wmf"},
    {"PCX (*.PCX)", "*.pcx"},
    {"Sun Rasterfile (*.RAS)", "*.ras"},
    {"Wireless Bitmap (*.WBMP;*.WBM)", "*.wbmp;*.wbm"},
};

} // namespace

CPrintListDialog::CPrintListDialog(std::vector<std::string>* files, std::vector<int>* copies)
    : files(files), copies(copies) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

std::string CPrintListDialog::OpenFilters() {
    std::string all;
    for (const Filter& f : kFilters)
        all += (all.empty() ? "" : ";") + std::string(f.patterns);
    std::string text = std::string("All Formats") + '\0' + all + '\0';
    for (const Filter& f : kFilters)
        text += std::string(f.name) + '\0' + f.patterns + '\0';
    return text;
}

int CPrintListDialog::Count() const {
    return static_cast<int>(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
}

int CPrintListDialog::Selected() const {
    return static_cast<int>(::SendMessageA(List(), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
}

void CPrintListDialog::Select(int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(List(), LVM_SETITEMSTATE, row, (LPARAM)&item);
    ::SendMessageA(List(), LVM_ENSUREVISIBLE, row, FALSE);
}

std::string CPrintListDialog::RowText(int row, int column) const {
    char text[MAX_PATH + 1] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(List(), LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

void CPrintListDialog::AddRow(int row, const std::string& path, int count) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(path.c_str());
    row = static_cast<int>(::SendMessageA(List(), LVM_INSERTITEMA, 0, (LPARAM)&item));
    char text[16];
    std::snprintf(text, sizeof(text), "%d", count);
    item.iSubItem = 1;
    item.pszText = text;
    ::SendMessageA(List(), LVM_SETITEMTEXTA, row, (LPARAM)&item);
}

LRESULT CPrintListDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::SendDlgItemMessageA(m_hWnd, IDC_PLIST_COPIES_SPIN, UDM_SETRANGE32, 1, printing::kMaxCopies);
    ::SendDlgItemMessageA(m_hWnd, IDC_PLIST_COPIES_SPIN, UDM_SETPOS32, 0, 1);
    ::SendMessageA(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                   LVS_EX_FULLROWSELECT);
    RECT place = {kPreviewLeft, kPreviewTop, kPreviewLeft + kPreviewWidth,
                  kPreviewTop + kPreviewHeight};
    if (view.Create(m_hWnd, place, nullptr, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE)) {
        view.SetBackgroundColor(g_applicationState.Options().explorerPreviewBackgroundColor, false);
        view.SetZoomType(kZoomShrinkToFit);
    }
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("Location");
    column.cx = 350;
    ::SendMessageA(List(), LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    column.pszText = const_cast<char*>("# of Copies");
    column.cx = 100;
    ::SendMessageA(List(), LVM_INSERTCOLUMNA, 1, (LPARAM)&column);
    for (size_t i = 0; i < files->size(); ++i)
        AddRow(static_cast<int>(i), (*files)[i], i < copies->size() ? (*copies)[i] : 1);
    ready = true;
    if (Count() > 0)
        Select(0);
    else
        ShowItemProperties(-1);
    UpdateButtons();
    UpdateTotals();
    return TRUE;
}

void CPrintListDialog::UpdateButtons() {
    const int row = Selected(), count = Count();
    ::EnableWindow(GetDlgItem(IDC_PLIST_REMOVE), row >= 0);
    ::EnableWindow(GetDlgItem(IDC_PLIST_UP), row > 0);
    ::EnableWindow(GetDlgItem(IDC_PLIST_DOWN), row >= 0 && row < count - 1);
    ::EnableWindow(GetDlgItem(IDC_PLIST_CLEAR), count > 0);
}

void CPrintListDialog::UpdateTotals() {
    const int count = Count();
    long long total = 0;
    for (int row = 0; row < count; ++row)
        total += std::atoi(RowText(row, 1).c_str());
    char text[32];
    std::snprintf(text, sizeof(text), "%d", count);
    SetDlgItemText(IDC_PLIST_TOTAL_ITEMS, text);
    std::snprintf(text, sizeof(text), "%lld", total);
    SetDlgItemText(IDC_PLIST_TOTAL_COPIES, text);
}

void CPrintListDialog::ShowItemProperties(int row) {
    const bool wasReady = ready;
    ready = false;
    if (row < 0) {
        for (int id : {IDC_PLIST_NAME, IDC_PLIST_SIZE, IDC_PLIST_DIMENSIONS, IDC_PLIST_MODIFIED,
                       IDC_PLIST_COPIES})
            SetDlgItemText(id, "");
        ::EnableWindow(GetDlgItem(IDC_PLIST_COPIES), FALSE);
        ::EnableWindow(GetDlgItem(IDC_PLIST_COPIES_SPIN), FALSE);
        if (view.m_hWnd)
            view.SetImage(nullptr, false, false, nullptr);
        ready = wasReady;
        return;
    }
    CWaitCursor wait;
    const std::string path = RowText(row, 0);
    SetDlgItemText(IDC_PLIST_NAME, ::PathFindFileNameA(path.c_str()));
    WIN32_FILE_ATTRIBUTE_DATA data;
    char text[128] = "";
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        ::StrFormatByteSizeA(data.nFileSizeLow, text, sizeof(text));
        SetDlgItemText(IDC_PLIST_SIZE, text);
        FILETIME local;
        SYSTEMTIME when;
        char date[64] = "", time[64] = "";
        if (::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
            ::FileTimeToSystemTime(&local, &when)) {
            ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, NULL, date, sizeof(date));
            ::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &when, NULL, time, sizeof(time));
            std::snprintf(text, sizeof(text), "%s %s", date, time);
            SetDlgItemText(IDC_PLIST_MODIFIED, text);
        }
    } else {
        SetDlgItemText(IDC_PLIST_SIZE, "");
        SetDlgItemText(IDC_PLIST_MODIFIED, "");
    }
    text[0] = '\0';
    // A metafile is drawn at any size from the cache's full image; other
    // pictures are decoded just large enough for the preview.
    CImageObject* picture = IsVectorImageFileType(DetectImageFileType(path.c_str()))
                                ? g_applicationState.OpenImage(path.c_str(), -1, -1, 0.0)
                                : LoadImageScaled(path.c_str(), kPreviewWidth, kPreviewHeight);
    if (picture && picture->fullWidth > 0 && picture->fullHeight > 0)
        std::snprintf(text, sizeof(text), "%d x %d", picture->fullWidth, picture->fullHeight);
    SetDlgItemText(IDC_PLIST_DIMENSIONS, text);
    if (view.m_hWnd)
        view.SetImage(picture, false, false, nullptr); // takes the reference
    else if (picture)
        g_applicationState.ReleaseImage(picture);
    ::EnableWindow(GetDlgItem(IDC_PLIST_COPIES), TRUE);
    ::EnableWindow(GetDlgItem(IDC_PLIST_COPIES_SPIN), TRUE);
    SetDlgItemText(IDC_PLIST_COPIES, RowText(row, 1).c_str());
    ready = wasReady;
}

LRESULT CPrintListDialog::OnItemChanged(int, LPNMHDR header, BOOL&) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!ready || !(change->uChanged & LVIF_STATE))
        return 0;
    const bool gainedFocus =
        (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED);
    if (gainedFocus && !moving)
        ShowItemProperties(change->iItem);
    UpdateButtons();
    return 0;
}

LRESULT CPrintListDialog::OnCopiesChanged(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (!ready || row < 0)
        return 0;
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(IDC_PLIST_COPIES, &ok, TRUE));
    // An empty box or 0 would print the entry not at all: it keeps 1 copy.
    char text[16];
    std::snprintf(text, sizeof(text), "%d", printing::ClampCopies(ok ? value : 0));
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = text;
    ::SendMessageA(List(), LVM_SETITEMTEXTA, row, (LPARAM)&item);
    UpdateTotals();
    modified = true;
    return 0;
}

LRESULT CPrintListDialog::OnAdd(WORD, WORD, HWND, BOOL&) {
    char path[MAX_PATH] = "";
    const std::string filters = OpenFilters();
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof(open);
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = filters.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = path;
    open.nMaxFile = sizeof(path);
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!::GetOpenFileNameA(&open))
        return 0;
    const int row = Count();
    AddRow(row, path, 1);
    Select(row);
    UpdateButtons();
    UpdateTotals();
    modified = true;
    return 0;
}

LRESULT CPrintListDialog::OnRemove(WORD, WORD, HWND, BOOL&) {
    const int row = Selected();
    if (row < 0)
        return 0;
    ::SendMessageA(List(), LVM_DELETEITEM, row, 0);
    const int count = Count();
    if (count > 0)
        Select(row < count ? row : count - 1);
    else
        ShowItemProperties(-1);
    UpdateButtons();
    UpdateTotals();
    modified = true;
    return 0;
}

LRESULT CPrintListDialog::OnMove(WORD, WORD id, HWND, BOOL&) {
    const int row = Selected();
    const int to = id == IDC_PLIST_UP ? row - 1 : row + 1;
    if (row < 0 || to < 0 || to >= Count())
        return 0;
    const std::string path = RowText(row, 0);
    const int count = std::atoi(RowText(row, 1).c_str());
    moving = true;
    ::SendMessageA(List(), LVM_DELETEITEM, row, 0);
    AddRow(to, path, count);
    Select(to);
    moving = false;
    UpdateButtons();
    modified = true;
    return 0;
}

LRESULT CPrintListDialog::OnClear(WORD, WORD, HWND, BOOL&) {
    if (Count() > 0)
        ::SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    ShowItemProperties(-1);
    UpdateButtons();
    UpdateTotals();
    modified = true;
    return 0;
}

LRESULT CPrintListDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (modified) {
        files->clear();
        copies->clear();
        for (int row = 0; row < Count(); ++row) {
            files->push_back(RowText(row, 0));
            copies->push_back(printing::ClampCopies(std::atoi(RowText(row, 1).c_str())));
        }
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CPrintListDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
