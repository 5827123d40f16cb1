// Stand-in for the docking framework's static objects until the docking
// windows themselves exist; what start-up relies on is all here.
#include "docking/docking_statics.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

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

// A cross (close) and a pin: the two images every pair is made from.
constexpr uint16_t kCloseGlyph[kButtonSize] = {0x000, 0x000, 0x104, 0x088, 0x050, 0x020,
                                               0x050, 0x088, 0x104, 0x000, 0x000};
constexpr uint16_t kPinGlyph[kButtonSize] = {0x000, 0x0F8, 0x088, 0x088, 0x088, 0x1FC,
                                             0x020, 0x020, 0x020, 0x000, 0x000};

HICON MakeIcon(const uint16_t (&glyph)[kButtonSize]) {
    uint8_t image[kIconImageSize];
    BuildIconImage(image, glyph);
    return CreateIconFromResourceEx(image, sizeof(image), TRUE, 0x30000, kButtonSize, kButtonSize,
                                    LR_DEFAULTCOLOR);
}

} // namespace

CDockingSettings::CDockingSettings() = default;

CDockingSettings::~CDockingSettings() {
    if (verticalCaptionFont)
        DeleteObject(verticalCaptionFont);
}

CDockCaptionButtonIcons::CDockCaptionButtonIcons() {
    for (auto& pair : icons) {
        pair[0] = MakeIcon(kCloseGlyph);
        pair[1] = MakeIcon(kPinGlyph);
    }
}

CDockCaptionButtonIcons::~CDockCaptionButtonIcons() {
    for (auto& pair : icons)
        for (HICON& icon : pair)
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
