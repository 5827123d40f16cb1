#include "tools/logic/print_layout.h"

#include <cstdio>
#include <cstdlib>

namespace printing {

namespace {

struct UnitRow {
    const char* name;
    double twips;
    const char* suffix;
};

const UnitRow kUnits[kUnitCount] = {
    {"Inches", 1440.0, "\""},
    {"Centimeter", 566.93, ""},
    {"Millimeters", 56.7, ""},
};

const UnitRow& Unit(int unit) {
    return kUnits[unit >= 0 && unit < kUnitCount ? unit : 0];
}

struct SizeRow {
    const char* inches;
    const char* centimetres;
    const char* millimetres;
    int inchWidth, inchHeight;
    int metricWidth, metricHeight;
};

const SizeRow kSizes[kPictureSizeCount - 1] = {
    {"Full page", "Full page", "Full page", 0, 0, 0, 0},
    {"2.5 x 3.5 inches", "6 x 8.5 cm", "60 x 85 mm", 3600, 5040, 3401, 4818},
    {"3.5 x 5 inches", "8.5 x 12.5 cm", "85 x 125 mm", 5040, 7200, 4818, 7086},
    {"4 x 6 inches", "10 x 15 cm", "100 x 150 mm", 5760, 8640, 5669, 8503},
    {"5 x 7 inches", "13 x 18 cm", "130 x 180 mm", 7200, 10080, 7370, 10204},
    {"8 x 10 inches", "20 x 25 cm", "200 x 250 mm", 11520, 14400, 11338, 14173},
};

const char* const kFitModes[kFitModeCount] = {
    "Cropped and rotated to fit",
    "Centered and rotated to fit",
    "Cropped to fit",
    "Stretch to fit",
};

// The leading number of a box's text; false when there is none.
bool LeadingNumber(const char* text, double* value) {
    if (!text)
        return false;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text)
        return false;
    *value = v;
    return true;
}

int TruncateToInt(double v) {
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

} // namespace

const char* UnitName(int unit) {
    return Unit(unit).name;
}
double UnitTwips(int unit) {
    return Unit(unit).twips;
}
const char* UnitSuffix(int unit) {
    return Unit(unit).suffix;
}

std::string FormatLength(int twips, int unit) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f%s", twips / UnitTwips(unit), UnitSuffix(unit));
    return text;
}

int ParseLength(const char* text, int unit) {
    double v = 0.0;
    if (!LeadingNumber(text, &v))
        return 0;
    return TruncateToInt(v * UnitTwips(unit));
}

int32_t ParseThousandths(const char* text, bool clampNegative) {
    double v = 0.0;
    if (!LeadingNumber(text, &v))
        return 0;
    const int32_t stored = TruncateToInt(v * 1000.0);
    return clampNegative && stored < 0 ? 0 : stored;
}

std::string FormatThousandths(int32_t value, int unit) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f%s", value / 1000.0, UnitSuffix(unit));
    return text;
}

const char* PictureSizeName(int index, int unit) {
    if (index == kPictureSizeCustom)
        return "Custom";
    if (index < 0 || index >= kPictureSizeCustom)
        return "";
    const SizeRow& row = kSizes[index];
    return unit == 1 ? row.centimetres : unit == 2 ? row.millimetres : row.inches;
}

bool PictureSizeTwips(int index, int unit, int* width, int* height) {
    if (index < 0 || index >= kPictureSizeCustom)
        return false;
    const SizeRow& row = kSizes[index];
    const bool metric = unit == 1 || unit == 2;
    *width = metric ? row.metricWidth : row.inchWidth;
    *height = metric ? row.metricHeight : row.inchHeight;
    return true;
}

const char* FitModeName(int mode) {
    return mode >= 0 && mode < kFitModeCount ? kFitModes[mode] : "";
}

PageLayout ComputePageLayout(const PageLayoutInput& in) {
    PageLayout out;
    if (in.page <= 0 || in.perPage <= 0)
        return out;
    const int64_t first = static_cast<int64_t>(in.page - 1) * in.perPage;

    if (in.perPage == 1 && in.pictureWidth == 0 && in.pictureHeight == 0) {
        // One picture fills the page inside the margins.
        if (first < in.pictureCount) {
            Cell cell;
            cell.picture = static_cast<int>(first);
            cell.rect = {in.left, in.top, in.pageWidth - in.right - in.left,
                         in.pageHeight - in.bottom - in.top};
            out.cells.push_back(cell);
        }
        return out;
    }

    out.grid = true;
    if (in.pictureWidth == 0 || in.pictureHeight == 0)
        return out; // a frame and nothing in it
    const int pw = in.pictureWidth;
    const int ph = in.pictureHeight;
    const int64_t usable = static_cast<int64_t>(in.pageWidth) - in.left - in.right;

    // A further column needs more room than a picture and its gap: two 4-inch
    // pictures on the 8 inches inside quarter-inch margins stay one above the
    // other, the second turned.
    int columns = 1;
    int64_t rest = usable - pw;
    const int64_t columnStep = static_cast<int64_t>(pw) + in.spaceHorz;
    while (columnStep > 0 && rest > columnStep) {
        ++columns;
        rest -= columnStep;
    }
    const int rows = in.perPage / columns + (in.perPage % columns ? 1 : 0);
    out.columns = columns;
    out.rows = rows;

    if (rows > 1) {
        const int64_t lastRow = in.perPage - static_cast<int64_t>(columns) * (rows - 1);
        const int64_t left =
            static_cast<int64_t>(in.pageHeight) -
            static_cast<int64_t>(rows - 1) * (ph + static_cast<int64_t>(in.spaceVert)) - in.top -
            in.bottom;
        out.lastRowTurned =
            left < ph && left >= pw && usable >= lastRow * ph + (lastRow - 1) * in.spaceHorz;
    }

    int64_t picture = first;
    int placed = 0;
    for (int k = 0; picture < in.pictureCount && placed < in.perPage; ++k) {
        const bool turned = out.lastRowTurned && k == rows - 1;
        const int cellWidth = turned ? ph : pw;
        const int cellHeight = turned ? pw : ph;
        for (int c = 0; c < columns && picture < in.pictureCount && placed < in.perPage; ++c) {
            Cell cell;
            cell.picture = static_cast<int>(picture);
            cell.turnedRow = turned;
            cell.rect.x =
                static_cast<int>(in.left + static_cast<int64_t>(c) * (cellWidth + in.spaceHorz));
            cell.rect.y = static_cast<int>(in.top + static_cast<int64_t>(k) * (ph + in.spaceVert));
            cell.rect.width = cellWidth;
            cell.rect.height = cellHeight;
            out.cells.push_back(cell);
            ++picture;
            ++placed;
        }
    }
    return out;
}

FitResult FitPicture(int mode, int w, int h, int iw, int ih, bool metafile) {
    FitResult r;
    if (w <= 0 || h <= 0 || iw <= 0 || ih <= 0)
        return r;
    if (metafile) {
        r.draw = true;
        r.source = {0, 0, iw, ih};
        r.dest = {0, 0, w, h};
        return r;
    }
    if (mode < 0 || mode >= kFitModeCount)
        return r;
    r.draw = true;
    if (mode == kFitCropRotate || mode == kFitCenterRotate) {
        const bool cellPortrait = w<h, cellLandscape = w> h;
        const bool imagePortrait = iw<ih, imageLandscape = iw> ih;
        if ((cellPortrait && imageLandscape) || (cellLandscape && imagePortrait)) {
            r.turned = true;
            const int t = iw;
            iw = ih;
            ih = t;
        }
    }
    // iw/w against ih/h without rounding: iw*h against ih*w.
    const int64_t wide = static_cast<int64_t>(iw) * h;
    const int64_t tall = static_cast<int64_t>(ih) * w;
    r.source = {0, 0, iw, ih};
    r.dest = {0, 0, w, h};
    switch (mode) {
    case kFitCropRotate:
    case kFitCrop:
        if (wide > tall) {
            const int sx = TruncateToInt((iw - static_cast<double>(w) * ih / h) / 2.0);
            r.source = {sx, 0, iw - 2 * sx, ih};
        } else if (wide < tall) {
            const int sy = TruncateToInt((ih - static_cast<double>(h) * iw / w) / 2.0);
            r.source = {0, sy, iw, ih - 2 * sy};
        }
        break;
    case kFitCenterRotate:
        if (wide > tall) {
            const double band = static_cast<double>(w) * ih / iw;
            const int dy = TruncateToInt((h - band) / 2.0);
            r.dest = {0, dy, w, h - 2 * dy};
        } else if (wide < tall) {
            const double band = static_cast<double>(h) * iw / ih;
            const int dx = TruncateToInt((w - band) / 2.0);
            r.dest = {dx, 0, w - 2 * dx, h};
        }
        break;
    case kFitStretch:
        // w/iw < h/ih is w*ih < h*iw.
        if (tall < wide) {
            const int that = TruncateToInt(static_cast<double>(ih) * w / iw);
            r.dest = {0, TruncateToInt((h - that) / 2.0), w, that};
        } else if (tall > wide) {
            const int that = TruncateToInt(static_cast<double>(iw) * h / ih);
            r.dest = {TruncateToInt((w - that) / 2.0), 0, that, h};
        }
        break;
    }
    return r;
}

int PictureEntry(const std::vector<int>& copies, int picture) {
    if (picture < 0)
        return -1;
    int64_t n = picture;
    for (size_t i = 0; i < copies.size(); ++i) {
        if (copies[i] <= 0)
            continue;
        if (n < copies[i])
            return static_cast<int>(i);
        n -= copies[i];
    }
    return -1;
}

int SumCopies(const std::vector<int>& copies) {
    int64_t sum = 0;
    for (int c : copies)
        if (c > 0)
            sum += c;
    return sum > 2147483647 ? 2147483647 : static_cast<int>(sum);
}

int PageCount(int pictures, int perPage) {
    if (pictures <= 0 || perPage <= 0)
        return 0;
    return pictures / perPage + (pictures % perPage ? 1 : 0);
}

bool RangeAcceptable(int choice, int first, int last, int pageCount) {
    if (last > pageCount)
        return false;
    if (choice == kRangePages && (first < 1 || first > last))
        return false;
    return true;
}

void PagesToPrint(int choice, int first, int last, int current, int pageCount, int* from, int* to) {
    switch (choice) {
    case kRangeCurrent:
        *from = *to = current;
        break;
    case kRangePages:
        *from = first;
        *to = last;
        break;
    default:
        *from = 1;
        *to = pageCount;
        break;
    }
}

int ClampCopies(long value) {
    if (value < 1)
        return 1;
    if (value > kMaxCopies)
        return kMaxCopies;
    return static_cast<int>(value);
}

bool EmailScaledSize(int width, int height, int targetWidth, int targetHeight, int* newWidth,
                     int* newHeight) {
    if (width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return false;
    if (width <= targetWidth && height <= targetHeight)
        return false;
    // targetWidth/width <= targetHeight/height, compared without rounding.
    if (static_cast<int64_t>(targetWidth) * height <= static_cast<int64_t>(targetHeight) * width) {
        *newWidth = targetWidth;
        *newHeight = static_cast<int>(static_cast<int64_t>(height) * targetWidth / width);
    } else {
        *newWidth = static_cast<int>(static_cast<int64_t>(width) * targetHeight / height);
        *newHeight = targetHeight;
    }
    return *newWidth > 0 && *newHeight > 0;
}

} // namespace printing
