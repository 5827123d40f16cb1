#include "tools/rotate_canvas_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kAngleDigits = 15;
constexpr int kAngleTextLimit = 31;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool ParseRotateAngle(const char* text, double* angle) {
    if (!text || !angle)
        return false;
    while (IsBlank(*text))
        ++text;
    // Only a decimal number: strtod would also take "inf", "nan" and hex.
    const char* digits = text + ((*text == '+' || *text == '-') ? 1 : 0);
    if (!((*digits >= '0' && *digits <= '9') || *digits == '.'))
        return false;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        return false;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value))
        return false;
    while (IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    *angle = value;
    return true;
}

LRESULT CRotateCanvasDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", kAngleDigits, angle);
    SetDlgItemText(IDC_ROTATE_ANGLE, text);
    ::SendMessageA(GetDlgItem(IDC_ROTATE_ANGLE), EM_LIMITTEXT, kAngleTextLimit, 0);
    ::CheckRadioButton(m_hWnd, IDC_ROTATE_CW, IDC_ROTATE_CCW,
                       direction == 1 ? IDC_ROTATE_CCW : IDC_ROTATE_CW);
    return TRUE;
}

LRESULT CRotateCanvasDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    char text[kAngleTextLimit + 1] = {};
    GetDlgItemText(IDC_ROTATE_ANGLE, text, sizeof text);
    double value = 0.0;
    if (!ParseRotateAngle(text, &value)) {
        ::MessageBeep(static_cast<UINT>(-1));
        ::SetFocus(GetDlgItem(IDC_ROTATE_ANGLE));
        return 0;
    }
    angle = value;
    direction = IsDlgButtonChecked(IDC_ROTATE_CCW) == BST_CHECKED ? 1 : 0;
    EndDialog(IDOK);
    return 0;
}

LRESULT CRotateCanvasDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
