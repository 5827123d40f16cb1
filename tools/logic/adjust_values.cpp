#include "tools/logic/adjust_values.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/checked_size.h"
#include "resources/resource.h"

namespace tools_logic {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr char kValueRange[] = "Value must be between %d and %d";

constexpr ValueField kBrightnessContrast[] = {
    {IDC_ADJUST_VALUE, IDC_BRIGHTNESS_TRACK, -100, 100, "Brightness must be between %d and %d"},
    {IDC_CONTRAST_EDIT, IDC_CONTRAST_TRACK, -100, 100, "Contrast must be between %d and %d"},
};
constexpr ValueField kColorBalance[] = {
    {IDC_ADJUST_VALUE, IDC_BALANCE_CYAN_RED_TRACK, -100, 100, kValueRange},
    {IDC_BALANCE_MAGENTA_GREEN, IDC_BALANCE_MAGENTA_GREEN_TRACK, -100, 100, kValueRange},
    {IDC_BALANCE_YELLOW_BLUE, IDC_BALANCE_YELLOW_BLUE_TRACK, -100, 100, kValueRange},
};
constexpr ValueField kHueSaturation[] = {
    {IDC_ADJUST_VALUE, IDC_HUE_TRACK, -180, 180, kValueRange},
    {IDC_HUE_SATURATION_EDIT, IDC_HUE_SATURATION_TRACK, -100, 100, kValueRange},
    {IDC_HUE_LIGHTNESS_EDIT, IDC_HUE_LIGHTNESS_TRACK, -100, 100, kValueRange},
};
constexpr ValueField kPosterize[] = {
    {IDC_ADJUST_VALUE, 0, 2, 255, kValueRange},
};

template <int N> AdjustmentFields Table(const ValueField (&fields)[N]) {
    return {fields, N};
}

} // namespace

FieldRead ReadFieldValue(const char* text, int minimum, int maximum, int* value) {
    if (!text)
        return FieldRead::kNotNumber;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    if (*text < '0' || *text > '9')
        return FieldRead::kNotNumber;
    int64_t number = 0;
    while (*text >= '0' && *text <= '9') {
        number = number * 10 + (*text++ - '0');
        if (number > INT32_MAX + int64_t{1})
            return FieldRead::kNotNumber;
    }
    while (IsBlank(*text))
        ++text;
    if (*text != '\0')
        return FieldRead::kNotNumber;
    if (negative)
        number = -number;
    if (number < INT32_MIN || number > INT32_MAX)
        return FieldRead::kNotNumber;
    if (value)
        *value = static_cast<int>(number);
    return number < minimum || number > maximum ? FieldRead::kOutOfRange : FieldRead::kNumber;
}

std::string RangeMessage(const char* pattern, int minimum, int maximum) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, minimum, maximum);
    return text;
}

AdjustmentFields BrightnessContrastFields() {
    return Table(kBrightnessContrast);
}
AdjustmentFields ColorBalanceFields() {
    return Table(kColorBalance);
}
AdjustmentFields HueSaturationFields() {
    return Table(kHueSaturation);
}
AdjustmentFields PosterizeFields() {
    return Table(kPosterize);
}
ValueField IndexedColorField() {
    return {IDC_INDEXED_COLORS, 0, 2, 256, kValueRange};
}

ValueField ImageSizePercentField() {
    return {IDC_SIZE_PERCENT, 0, 1, kMaxResizePercent, "Percent must be between %d and %d"};
}
ValueField ImageSizeWidthField() {
    return {IDC_SIZE_WIDTH, 0, 1, kMaxResizeSide, "Width must be between %d and %d"};
}
ValueField ImageSizeHeightField() {
    return {IDC_SIZE_HEIGHT, 0, 1, kMaxResizeSide, "Height must be between %d and %d"};
}

bool ResizedSize(const ImageSizeRequest& request, int fullWidth, int fullHeight, int* width,
                 int* height) {
    double w = 0.0, h = 0.0;
    switch (request.mode) {
    case 0:
        w = request.width;
        h = request.height;
        break;
    case 1:
        w = std::trunc(request.percent * 0.01 * fullWidth);
        h = std::trunc(request.percent * 0.01 * fullHeight);
        break;
    case 2:
    case 3:
    case 4: {
        if (fullWidth <= 0 || fullHeight <= 0 || request.width <= 0 || request.height <= 0)
            return false;
        if (request.mode == 3 && request.width >= fullWidth && request.height >= fullHeight)
            return false;
        if (request.mode == 4 && fullWidth >= request.width && fullHeight >= request.height)
            return false;
        const double ex = static_cast<double>(request.width) / fullWidth;
        const double ey = static_cast<double>(request.height) / fullHeight;
        w = ey > ex ? request.width : std::trunc(fullWidth * ey);
        h = ey > ex ? std::trunc(ex * fullHeight) : request.height;
        w = w < 1.0 ? 1.0 : w;
        h = h < 1.0 ? 1.0 : h;
        break;
    }
    default:
        return false;
    }
    if (!(w >= 1.0 && w < 2147483648.0 && h >= 1.0 && h < 2147483648.0))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool ResizedImageFits(int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    const plat::CheckedSize bytes =
        plat::RowBytes(static_cast<uint64_t>(width), 32, 4) * static_cast<uint64_t>(height);
    return bytes.FitsIn(kMaxResizedBytes);
}

ImageSizeEnabling ImageSizeEnablingFor(int kind, int constrainMode) {
    if (kind != kSizeByDimensions)
        return {true, false, false, false, false, false};
    ImageSizeEnabling enabling{false, true, true, true, true, false};
    if (constrainMode == kConstrainProportions) {
        enabling.fit = false;
    } else if (constrainMode == kConstrainFit) {
        enabling.constrain = false;
        enabling.fitMode = true;
    }
    return enabling;
}

int ProportionalSide(int edited, int editedFull, int otherFull) {
    if (editedFull <= 0 || otherFull <= 0)
        return 0;
    const double side = static_cast<double>(edited) / editedFull * otherFull;
    if (!(side > -2147483648.0 && side < 2147483648.0))
        return 0;
    return static_cast<int>(std::trunc(side));
}

ImageSizeRequest ImageSizeRequestFor(int kind, int constrainMode, int fitMode, int percent,
                                     int width, int height) {
    ImageSizeRequest request;
    request.percent = percent;
    if (kind != kSizeByDimensions) {
        request.mode = 1;
        return request;
    }
    request.width = width;
    request.height = height;
    request.mode =
        constrainMode == kConstrainFit ? 2 + (fitMode >= 0 && fitMode <= 2 ? fitMode : 0) : 0;
    return request;
}

std::string FilterExtension(const char* filters, int index) {
    if (!filters || index < 1)
        return {};
    const char* p = filters;
    for (int pair = 1; *p; ++pair) {
        const char* description = p;
        p += std::char_traits<char>::length(description) + 1;
        if (!*p)
            return {};
        const char* pattern = p;
        p += std::char_traits<char>::length(pattern) + 1;
        if (pair != index)
            continue;
        if (!pattern[0])
            return {};
        std::string extension;
        for (const char* c = pattern + 1; *c && *c != ';'; ++c)
            extension += *c;
        return extension;
    }
    return {};
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const size_t slash = path.find_last_of("\\/:");
    const size_t dot = path.rfind('.');
    std::string stem = path;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        stem.erase(dot);
    return stem + extension;
}

} // namespace tools_logic
