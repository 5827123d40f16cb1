#include "tools/image_size_dialog.h"

#include <climits>
#include <cstdio>
#include <string>

#include "imaging/operations/resize_op.h"
#include "tools/adjustment_dialogs.h"

namespace {

using tools_logic::FieldRead;

constexpr const char* kFitModes[] = {"Shrink/Enlarge", "Shrink only", "Enlarge only"};

// The edit's number, or false when it holds none; the range is the
// OK button's concern.
bool PeekNumber(HWND dialog, int id, int* value) {
    char text[64] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return tools_logic::ReadFieldValue(text, INT_MIN, INT_MAX, value) == FieldRead::kNumber;
}

} // namespace

CImageSizeDialog::CImageSizeDialog(int imageHeight, int imageWidth)
    : width(imageWidth), height(imageHeight), m_imageWidth(imageWidth), m_imageHeight(imageHeight) {
}

tools_logic::ImageSizeRequest CImageSizeDialog::Request() const {
    return tools_logic::ImageSizeRequestFor(kind, constrainMode, fitMode, percent, width, height);
}

std::unique_ptr<CImageOperation> CImageSizeDialog::MakeOperation() const {
    const tools_logic::ImageSizeRequest request = Request();
    auto op = std::make_unique<CImageSizeOp>();
    op->mode = request.mode;
    op->percent = request.percent;
    op->width = request.width;
    op->height = request.height;
    return op;
}

void CImageSizeDialog::WriteNumber(int id, int value) {
    const bool ready = m_ready;
    m_ready = false;
    SetDlgItemInt(id, static_cast<UINT>(value), TRUE);
    m_ready = ready;
}

LRESULT CImageSizeDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_ready = false;
    WriteNumber(IDC_SIZE_WIDTH, width);
    WriteNumber(IDC_SIZE_HEIGHT, height);
    WriteNumber(IDC_SIZE_PERCENT, percent);
    ShowKind();
    ::CheckDlgButton(m_hWnd, IDC_SIZE_CONSTRAIN,
                     constrainMode == tools_logic::kConstrainProportions ? BST_CHECKED
                                                                         : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_SIZE_FIT,
                     constrainMode == tools_logic::kConstrainFit ? BST_CHECKED : BST_UNCHECKED);
    HWND combo = GetDlgItem(IDC_SIZE_FIT_MODE);
    for (const char* text : kFitModes)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageA(combo, CB_SETCURSEL, fitMode >= 0 && fitMode <= 2 ? fitMode : 0, 0);
    m_ready = true;
    ApplyEnabling();
    return TRUE;
}

void CImageSizeDialog::ShowKind() {
    // Set one by one, not by CheckRadioButton (the ids between the two
    // radios are other controls), nor left to the radios' own grouping, which
    // does not reach past the percent edit between them everywhere.
    const bool dimensions = kind == tools_logic::kSizeByDimensions;
    ::CheckDlgButton(m_hWnd, IDC_SIZE_PERCENTAGE, dimensions ? BST_UNCHECKED : BST_CHECKED);
    ::CheckDlgButton(m_hWnd, IDC_SIZE_DIMENSIONS, dimensions ? BST_CHECKED : BST_UNCHECKED);
}

void CImageSizeDialog::ApplyEnabling() {
    const tools_logic::ImageSizeEnabling e = tools_logic::ImageSizeEnablingFor(kind, constrainMode);
    ::EnableWindow(GetDlgItem(IDC_SIZE_PERCENT), e.percent);
    ::EnableWindow(GetDlgItem(IDC_SIZE_WIDTH), e.width);
    ::EnableWindow(GetDlgItem(IDC_SIZE_HEIGHT), e.height);
    ::EnableWindow(GetDlgItem(IDC_SIZE_CONSTRAIN), e.constrain);
    ::EnableWindow(GetDlgItem(IDC_SIZE_FIT), e.fit);
    ::EnableWindow(GetDlgItem(IDC_SIZE_FIT_MODE), e.fitMode);
}

LRESULT CImageSizeDialog::OnClicked(WORD, WORD id, HWND, BOOL& handled) {
    const bool constrain = IsDlgButtonChecked(IDC_SIZE_CONSTRAIN) == BST_CHECKED;
    const bool fit = IsDlgButtonChecked(IDC_SIZE_FIT) == BST_CHECKED;
    switch (id) {
    case IDC_SIZE_PERCENTAGE:
        kind = tools_logic::kSizeByPercent;
        ShowKind();
        break;
    case IDC_SIZE_DIMENSIONS:
        kind = tools_logic::kSizeByDimensions;
        ShowKind();
        break;
    case IDC_SIZE_CONSTRAIN:
        if (constrain) {
            constrainMode = tools_logic::kConstrainProportions;
            int typed = 0;
            if (PeekNumber(m_hWnd, IDC_SIZE_WIDTH, &typed)) {
                width = typed;
                height = tools_logic::ProportionalSide(width, m_imageWidth, m_imageHeight);
                WriteNumber(IDC_SIZE_HEIGHT, height);
            }
        } else {
            constrainMode = fit ? tools_logic::kConstrainFit : tools_logic::kConstrainNone;
        }
        break;
    case IDC_SIZE_FIT:
        if (fit)
            constrainMode = tools_logic::kConstrainFit;
        else
            constrainMode =
                constrain ? tools_logic::kConstrainProportions : tools_logic::kConstrainNone;
        break;
    default:
        handled = FALSE;
        return 0;
    }
    ApplyEnabling();
    return 0;
}

LRESULT CImageSizeDialog::OnEditUpdate(WORD, WORD id, HWND, BOOL& handled) {
    if (id != IDC_SIZE_WIDTH && id != IDC_SIZE_HEIGHT) {
        handled = FALSE;
        return 0;
    }
    if (!m_ready)
        return 0;
    m_ready = false;
    int value = 0;
    if (PeekNumber(m_hWnd, IDC_SIZE_WIDTH, &value))
        width = value;
    if (PeekNumber(m_hWnd, IDC_SIZE_HEIGHT, &value))
        height = value;
    if (PeekNumber(m_hWnd, IDC_SIZE_PERCENT, &value))
        percent = value;
    if (kind == tools_logic::kSizeByDimensions &&
        constrainMode == tools_logic::kConstrainProportions && PeekNumber(m_hWnd, id, &value)) {
        if (id == IDC_SIZE_WIDTH) {
            height = tools_logic::ProportionalSide(width, m_imageWidth, m_imageHeight);
            SetDlgItemInt(IDC_SIZE_HEIGHT, static_cast<UINT>(height), TRUE);
        } else {
            width = tools_logic::ProportionalSide(height, m_imageHeight, m_imageWidth);
            SetDlgItemInt(IDC_SIZE_WIDTH, static_cast<UINT>(width), TRUE);
        }
    }
    m_ready = true;
    return 0;
}

LRESULT CImageSizeDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    kind = IsDlgButtonChecked(IDC_SIZE_DIMENSIONS) == BST_CHECKED ? tools_logic::kSizeByDimensions
                                                                  : tools_logic::kSizeByPercent;
    // Only the fields the answer uses are checked: a disabled edit the user
    // cannot mend never keeps the dialog open.
    int readPercent = percent, readWidth = width, readHeight = height;
    if (kind == tools_logic::kSizeByPercent) {
        if (!ReadValueEdit(m_hWnd, tools_logic::ImageSizePercentField(), &readPercent))
            return 0;
    } else if (!ReadValueEdit(m_hWnd, tools_logic::ImageSizeWidthField(), &readWidth) ||
               !ReadValueEdit(m_hWnd, tools_logic::ImageSizeHeightField(), &readHeight)) {
        return 0;
    }
    const LRESULT selected = ::SendMessageA(GetDlgItem(IDC_SIZE_FIT_MODE), CB_GETCURSEL, 0, 0);
    const int readFit = selected >= 0 && selected <= 2 ? static_cast<int>(selected) : 0;
    const tools_logic::ImageSizeRequest request = tools_logic::ImageSizeRequestFor(
        kind, constrainMode, readFit, readPercent, readWidth, readHeight);
    int newWidth = 0, newHeight = 0;
    if (tools_logic::ResizedSize(request, m_imageWidth, m_imageHeight, &newWidth, &newHeight) &&
        !tools_logic::ResizedImageFits(newWidth, newHeight)) {
        char text[160];
        std::snprintf(text, sizeof text, "The new size (%d x %d pixels) is too large for an image",
                      newWidth, newHeight);
        ::MessageBoxA(m_hWnd, text, "Failed!", MB_OK | MB_ICONERROR);
        const int focus = kind == tools_logic::kSizeByPercent ? IDC_SIZE_PERCENT : IDC_SIZE_WIDTH;
        ::SetFocus(GetDlgItem(focus));
        return 0;
    }
    percent = readPercent;
    width = readWidth;
    height = readHeight;
    fitMode = readFit;
    EndDialog(IDOK);
    return 0;
}

LRESULT CImageSizeDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
