#include "app/logic/decode_size.h"

#include "imaging/image_object.h"

namespace {
// side x zoom truncated toward zero; held within 0 .. 2^31 so that no zoom
// (huge, negative or not a number) leads to an undefined conversion.
int64_t ScaledSide(int32_t side, double zoom) {
    const double scaled = static_cast<double>(side) * zoom;
    if (!(scaled > 0.0))
        return 0;
    if (scaled >= 2147483648.0)
        return 2147483648LL;
    return static_cast<int64_t>(scaled);
}
} // namespace

bool DecodedSizeTooSmall(int32_t decodedWidth, int32_t decodedHeight, int32_t fullWidth,
                         int32_t fullHeight, int32_t boxWidth, int32_t boxHeight, double zoom) {
    if (decodedWidth == fullWidth && decodedHeight == fullHeight && fullWidth > 0 && fullHeight > 0)
        return false;
    int64_t neededWidth;
    int64_t neededHeight;
    if (boxWidth != -1 && boxHeight != -1) {
        int32_t w = boxWidth;
        int32_t h = boxHeight;
        FitSizeIntoBox(fullWidth, fullHeight, &w, &h);
        neededWidth = w;
        neededHeight = h;
    } else {
        if (zoom == 0.0)
            return true;
        neededWidth = ScaledSide(fullWidth, zoom);
        neededHeight = ScaledSide(fullHeight, zoom);
    }
    return neededWidth == 0 || neededHeight == 0 || decodedWidth < neededWidth ||
           decodedHeight < neededHeight;
}
