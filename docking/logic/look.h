// Colour formulas and text shortening shared by the docking windows and the
// tab strips: pure arithmetic on channel values, tested natively.
#pragma once

#include <cstdint>
#include <string>

namespace docking {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A lighter tint of the button face: the brightest channel rises by 35
// (or up to 255 when that would overflow), the others in proportion, so
// the hue stays.
Rgb LightFaceColour(Rgb face);

// The button text moved two thirds of the way towards the gray text.
Rgb DimmedTextColour(Rgb text, Rgb gray);

// The tab strip's text colour for unselected tabs, from the gray text:
// channels of 43 or more lose 43 in proportion to the brightest, smaller
// ones are halved.
Rgb InactiveTextColour(Rgb gray);

// The shortened text for a caption that does not fit: `fitCount` is how
// many characters of "..." followed by the text fit in the room. At least
// one character of the text itself stays. The result is a new string, so a
// caller's buffer sized to the text is never written past its end.
std::string ShortenWithEllipsis(const std::string& text, int fitCount);

// The tab strip's vertical text offset from its font's logical height.
inline int VerticalTextOffset(int lfHeight) {
    return (-11 - lfHeight) / 2;
}

// The auto-hide strip's thickness from the text heights and the small icon.
inline int AutoHideStripHeight(int verticalFontHeight, int guiFontHeight, int smallIcon) {
    int m = verticalFontHeight > guiFontHeight ? verticalFontHeight : guiFontHeight;
    return (m > smallIcon ? m : smallIcon) + 8;
}

} // namespace docking
