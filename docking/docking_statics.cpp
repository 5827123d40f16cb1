// The docking windows' process-wide look settings, pin icons and registered
// message.
#include "docking/docking_statics.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "docking/logic/look.h"

namespace {

constexpr int kButtonSize = 11;
constexpr size_t kIconImageSize = 136; // header 40 + palette 8 + XOR 44 + AND 44

// Builds one 11x11 monochrome icon image: a BITMAPINFOHEADER with twice the
// height, a black/white palette, the XOR rows then the AND rows (bottom-up,
// rows padded to 4 bytes). `glyph` gives the set pixels, top row first.
void BuildIconImage(uint8_t (&out)[kIconImageSize], const uint16_t (&glyph)[kButtonSize]) {
    std::memset(out, 0, sizeof(out));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = kButtonSize;
    h.biHeight = kButtonSize * 2;
    h.biPlanes = 1;
    h.biBitCount = 1;
    std::memcpy(out, &h, sizeof(h));
    const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    std::memcpy(out + 40, palette, sizeof(palette));
    // The XOR rows stay zero (black); the AND rows follow them.
    uint8_t* andRows = out + 48 + 4 * kButtonSize;
    for (int row = 0; row < kButtonSize; ++row) {
        const int y = kButtonSize - 1 - row; // bottom-up
        for (int x = 0; x < kButtonSize; ++x) {
            const bool set = (glyph[row] >> (kButtonSize - 1 - x)) & 1;
            // Glyph pixels are black and opaque; the rest is transparent.
            if (!set)
                andRows[y * 4 + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
}

// A pin lying on its side (the flyout: click to pin the pane back) and a pin
// standing upright (a docked pane: click to pin it away).
constexpr uint16_t kPinLyingGlyph[kButtonSize] = {0x000, 0x000, 0x01E, 0x012, 0x7F2, 0x012,
                                                  0x7F2, 0x01E, 0x000, 0x000, 0x000};
constexpr uint16_t kPinStandingGlyph[kButtonSize] = {0x000, 0x0F8, 0x088, 0x088, 0x088, 0x1FC,
                                                     0x020, 0x020, 0x020, 0x000, 0x000};

HICON MakeIcon(const uint16_t (&glyph)[kButtonSize]) {
    uint8_t image[kIconImageSize];
    BuildIconImage(image, glyph);
    return CreateIconFromResourceEx(image, sizeof(image), TRUE, 0x30000, kButtonSize, kButtonSize,
                                    LR_DEFAULTCOLOR);
}

docking::Rgb ToRgb(COLORREF c) {
    return docking::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

COLORREF ToColour(docking::Rgb c) {
    return RGB(c.r, c.g, c.b);
}

} // namespace

CDockingSettings::CDockingSettings() {
    Refresh();
}

CDockingSettings::~CDockingSettings() {
    if (verticalFont)
        DeleteObject(verticalFont);
}

void CDockingSettings::Refresh() {
    if (!(flags & kDockFixedDragMode)) {
        BOOL full = FALSE;
        if (SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0))
            flags = (flags & ~(kDockOutlineDrag | kDockFullWindowDrag)) |
                    (full ? kDockFullWindowDrag : kDockOutlineDrag);
    }
    HFONT stock = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    if (stock != guiFont) {
        guiFont = stock;
        LOGFONTA lf{};
        if (stock != NULL && GetObjectA(stock, sizeof(lf), &lf) != 0) {
            lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
            lf.lfEscapement = 2700;
            lf.lfOrientation = 2700;
            HFONT made = CreateFontIndirectA(&lf);
            if (made != NULL) {
                if (verticalFont != NULL)
                    DeleteObject(verticalFont);
                verticalFont = made;
            }
        }
    }
    sizeNS = LoadCursorA(NULL, (LPCSTR)IDC_SIZENS);
    sizeWE = LoadCursorA(NULL, (LPCSTR)IDC_SIZEWE);
    lightFaceColour = ToColour(docking::LightFaceColour(ToRgb(GetSysColor(COLOR_BTNFACE))));
    dimmedTextColour = ToColour(docking::DimmedTextColour(ToRgb(GetSysColor(COLOR_BTNTEXT)),
                                                          ToRgb(GetSysColor(COLOR_GRAYTEXT))));
}

int CDockingSettings::AutoHideStripHeight(HWND hWnd) const {
    HDC dc = GetDC(hWnd);
    int vertical = 0, gui = 0;
    if (dc != NULL) {
        TEXTMETRICA tm{};
        HGDIOBJ old = SelectObject(dc, verticalFont ? (HGDIOBJ)verticalFont
                                                    : GetStockObject(DEFAULT_GUI_FONT));
        if (GetTextMetricsA(dc, &tm))
            vertical = tm.tmHeight;
        SelectObject(dc, guiFont ? (HGDIOBJ)guiFont : GetStockObject(DEFAULT_GUI_FONT));
        if (GetTextMetricsA(dc, &tm))
            gui = tm.tmHeight;
        SelectObject(dc, old);
        ReleaseDC(hWnd, dc);
    }
    return docking::AutoHideStripHeight(vertical, gui, GetSystemMetrics(SM_CXSMICON));
}

void CDockingSettings::DrawEllipsisText(HDC dc, const char* text, int length, const RECT& rect,
                                        bool horizontal) {
    if (text == NULL)
        return;
    std::string shown(text, length < 0 ? std::strlen(text) : (size_t)length);
    const int room = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
    SIZE extent{};
    if (GetTextExtentPoint32A(dc, shown.c_str(), (int)shown.size(), &extent) && extent.cx > room) {
        // Measured on a copy with the ellipsis in front, so the count of
        // characters that fit includes it.
        const std::string probe = "..." + shown;
        int fit = 0;
        SIZE all{};
        if (GetTextExtentExPointA(dc, probe.c_str(), (int)probe.size(), room > 0 ? room : 0, &fit,
                                  NULL, &all))
            shown = docking::ShortenWithEllipsis(shown, fit);
    }
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    int x, y;
    if (horizontal) {
        x = rect.left;
        y = rect.top + (rect.bottom - rect.top - tm.tmHeight) / 2;
    } else {
        x = rect.right - (rect.right - rect.left - tm.tmHeight) / 2;
        y = rect.top;
    }
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &rect, shown.c_str(), (UINT)shown.size(), NULL);
}

CDockCaptionButtonIcons::CDockCaptionButtonIcons() {
    icons[0] = MakeIcon(kPinLyingGlyph);
    icons[1] = MakeIcon(kPinStandingGlyph);
}

CDockCaptionButtonIcons::~CDockCaptionButtonIcons() {
    for (HICON& icon : icons)
        if (icon)
            DestroyIcon(icon);
}

UINT RegisterDockingBoxMessage() {
    char name[64];
    std::snprintf(name, sizeof(name), "DockingBoxMessage-%lu", GetCurrentProcessId());
    return RegisterWindowMessageA(name);
}

CDockingSettings g_dockingSettings;
CDockCaptionButtonIcons g_dockCaptionButtonIcons;
UINT g_dockingBoxMessage = RegisterDockingBoxMessage();
