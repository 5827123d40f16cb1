// The rules of the image tools' parameter dialogs that need no window: how a
// value edit is read and the message a value out of range gives, the fields
// and ranges of the adjustment dialogs, the enabling, proportions and
// operation of Image Size, and the extension a Save As file type gives.
#pragma once

#include <string>

namespace tools_logic {

// How the text of a value edit reads.
enum class FieldRead { kNumber, kNotNumber, kOutOfRange };

// Blanks around an optional sign and decimal digits; anything else (empty,
// letters, a number too large for 32 bits) is no number. A number outside
// minimum..maximum is out of range; `value` receives every number read.
FieldRead ReadFieldValue(const char* text, int minimum, int maximum, int* value);

// The range message: `pattern` holds two "%d", for the minimum and maximum.
std::string RangeMessage(const char* pattern, int minimum, int maximum);

// One value of an adjustment dialog: its edit, its trackbar (0: none), its
// range, and the message a value out of range gives.
struct ValueField {
    int edit;
    int track;
    int minimum;
    int maximum;
    const char* rangePattern;
};

// The fields of each adjustment dialog, in control order.
struct AdjustmentFields {
    const ValueField* fields;
    int count;
};
AdjustmentFields BrightnessContrastFields();
AdjustmentFields ColorBalanceFields();
AdjustmentFields HueSaturationFields();
AdjustmentFields PosterizeFields();
// The one field of Indexed Color.
ValueField IndexedColorField();

// Image Size ------------------------------------------------------------
enum { kSizeByPercent = 0, kSizeByDimensions = 1 };
enum { kConstrainNone = 0, kConstrainProportions = 1, kConstrainFit = 2 };

struct ImageSizeEnabling {
    bool percent, width, height, constrain, fit, fitMode;
};
ImageSizeEnabling ImageSizeEnablingFor(int kind, int constrainMode);

// The other side of a proportional resize: edited / editedFull x otherFull
// in floating point, truncated toward zero; 0 for a full side <= 0.
int ProportionalSide(int edited, int editedFull, int otherFull);

// What the answer asks of the resize: its mode (exact 0, percent 1, fit
// box 2, shrink only 3, enlarge only 4) and sizes.
struct ImageSizeRequest {
    int mode = 0;
    int percent = 0;
    int width = 0;
    int height = 0;
};
ImageSizeRequest ImageSizeRequestFor(int kind, int constrainMode, int fitMode, int percent,
                                     int width, int height);

// The limits Image Size accepts: a percent of 1..kMaxResizePercent, sides
// of 1..kMaxResizeSide pixels.
constexpr int kMaxResizePercent = 10000;
constexpr int kMaxResizeSide = 65535;
// The most bytes the resized image may take (at four bytes a pixel, the
// widest depth a resize keeps): past it the answer is refused rather than
// left to fail in an allocation.
constexpr unsigned long long kMaxResizedBytes = 512ull << 20;

// The edits of Image Size with their ranges and messages.
ValueField ImageSizePercentField();
ValueField ImageSizeWidthField();
ValueField ImageSizeHeightField();

// The size the request gives an image of fullWidth x fullHeight, as the
// resize computes it; false when the request gives no image (a side < 1, a
// box that refuses: shrink only of an image that fits, enlarge only of one
// that is bigger).
bool ResizedSize(const ImageSizeRequest& request, int fullWidth, int fullHeight, int* width,
                 int* height);
// Whether an image of width x height stays within kMaxResizedBytes.
bool ResizedImageFits(int width, int height);

// Save As ---------------------------------------------------------------
// The extension of filter `index` (1-based) of a file-dialog filter list
// (description and pattern pairs, each ended by '\0', the list by another):
// the pattern from its second character up to the first ';' ("*.tif;*.tiff"
// gives ".tif"). Empty when there is no such filter.
std::string FilterExtension(const char* filters, int index);

// `path` with its extension (after the last '.' of the last component, if
// any) replaced by `extension`.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

} // namespace tools_logic
