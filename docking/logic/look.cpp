#include "docking/logic/look.h"

#include <algorithm>

namespace docking {

Rgb LightFaceColour(Rgb face) {
    const int m = std::max({face.r, face.g, face.b});
    const int e = m <= 220 ? 35 : 255 - m;
    if (m == 0)
        return Rgb{face.r + e, face.g + e, face.b + e};
    auto lift = [&](int c) {
        return static_cast<int>(static_cast<double>(c) + static_cast<double>(e) * c / m + 0.5);
    };
    return Rgb{lift(face.r), lift(face.g), lift(face.b)};
}

Rgb DimmedTextColour(Rgb text, Rgb gray) {
    auto move = [](int t, int g) { return t + ((g - t) / 3) * 2; };
    return Rgb{move(text.r, gray.r), move(text.g, gray.g), move(text.b, gray.b)};
}

Rgb InactiveTextColour(Rgb gray) {
    const int m = std::max({gray.r, gray.g, gray.b});
    if (m == 0)
        return gray;
    auto dim = [&](int c) {
        if (c >= 43)
            return c - static_cast<int>(43.0 * c / m + 0.5);
        return c / 2;
    };
    return Rgb{dim(gray.r), dim(gray.g), dim(gray.b)};
}

std::string ShortenWithEllipsis(const std::string& text, int fitCount) {
    const int n = std::max(fitCount, 4);
    const size_t keep = std::min(static_cast<size_t>(n - 3), text.size());
    return text.substr(0, keep) + "...";
}

} // namespace docking
