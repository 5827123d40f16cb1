// The validation shared by the viewer's dialogs.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ui/app_module.h"
#include "viewer/viewer_dialogs.h"

namespace viewer_dialogs {

void LoadResourceString(UINT id, char* buffer, int size) {
    if (size <= 0)
        return;
    buffer[0] = '\0';
    if (::LoadStringA(UiModuleInstance(), id, buffer, size) <= 0)
        buffer[0] = '\0';
}

void ShowRangeError(HWND dialog, int id, const char* text) {
    ::MessageBoxA(dialog, text, "Failed!", MB_ICONERROR);
    ::SetFocus(::GetDlgItem(dialog, id));
}

void RejectNotANumber(HWND dialog, int id) {
    ::MessageBeep((UINT)-1);
    ::SetFocus(::GetDlgItem(dialog, id));
}

bool ReadIntField(HWND dialog, int id, int low, int high, UINT rangeStringId, int* value) {
    BOOL ok = FALSE;
    int number = (int)::GetDlgItemInt(dialog, id, &ok, TRUE);
    if (!ok) {
        RejectNotANumber(dialog, id);
        return false;
    }
    if (number < low || number > high) {
        char format[256];
        char text[320];
        LoadResourceString(rangeStringId, format, sizeof(format));
        std::snprintf(text, sizeof(text), format, low, high);
        ShowRangeError(dialog, id, text);
        return false;
    }
    *value = number;
    return true;
}

bool ParseDecimal(const char* text, double* value) {
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-')
        ++p;
    int digits = 0;
    int points = 0;
    for (; *p != '\0'; ++p) {
        if (std::isdigit((unsigned char)*p))
            ++digits;
        else if (*p == '.' && points == 0)
            ++points;
        else
            break;
    }
    const char* end = p;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (digits == 0 || *p != '\0')
        return false;
    // Only digits, one point and a sign reach strtod, so it cannot read
    // hexadecimal, exponents, "inf" or "nan".
    char buffer[64];
    size_t length = (size_t)(end - start);
    if (length >= sizeof(buffer))
        return false;
    for (size_t i = 0; i < length; ++i)
        buffer[i] = start[i];
    buffer[length] = '\0';
    errno = 0;
    double number = std::strtod(buffer, nullptr);
    if (errno == ERANGE || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

} // namespace viewer_dialogs
