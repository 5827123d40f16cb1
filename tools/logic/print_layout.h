// The page layout of printing, shared by the preview and the paper: units
// and picture sizes in twips, the grid of cells on a page (with its turned
// last row), how a picture is fitted into its cell, which print-list entry a
// picture number belongs to, page counts and the range check. Also the size
// rule of e-mailed pictures. No windows here, so the rules are tested
// natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace printing {

constexpr int kTwipsPerInch = 1440;

// Measurement units: 0 inches, 1 centimetres, 2 millimetres.
constexpr int kUnitCount = 3;
const char* UnitName(int unit);
double UnitTwips(int unit); // twips per unit; the inch for an unknown unit
const char* UnitSuffix(int unit);

// "%.2f%s": the length in the unit, then the unit's suffix.
std::string FormatLength(int twips, int unit);
// The leading number of the text times the unit's factor, truncated to whole
// twips; 0 when the text does not begin with a number.
int ParseLength(const char* text, int unit);
// The leading number of the text times 1000, truncated (the stored form of
// the size and spacing boxes); negative gives 0 when clampNegative.
int32_t ParseThousandths(const char* text, bool clampNegative);
// A stored thousandths value shown in the unit ("%.2f%s").
std::string FormatThousandths(int32_t value, int unit);

// Picture sizes: 0 "Full page" (0 x 0), 1..5 the unit's sizes, 6 "Custom".
constexpr int kPictureSizeCount = 7;
constexpr int kPictureSizeFullPage = 0;
constexpr int kPictureSizeCustom = 6;
const char* PictureSizeName(int index, int unit);
// Width and height in twips of rows 0..5; false for Custom and unknown rows.
bool PictureSizeTwips(int index, int unit, int* width, int* height);

// Fit modes, in the order of the "Type:" list.
enum FitMode {
    kFitCropRotate = 0,
    kFitCenterRotate = 1,
    kFitCrop = 2,
    kFitStretch = 3,
};
constexpr int kFitModeCount = 4;
const char* FitModeName(int mode);

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// One page's layout in page coordinates (twips from the paper's top-left
// corner, y downwards).
struct PageLayoutInput {
    int pageWidth = 0;
    int pageHeight = 0;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    int pictureWidth = 0; // both 0: "Full page"
    int pictureHeight = 0;
    int spaceHorz = 0;
    int spaceVert = 0;
    int perPage = 1;
    int page = 1;         // counted from 1
    int pictureCount = 0; // pictures over the whole job
};

struct Cell {
    int picture = 0; // picture number, from 0 over the whole job
    Rect rect;
    bool turnedRow = false; // in a last row laid out turned
};

struct PageLayout {
    bool grid = false; // grid layout (the preview frames the margins)
    int columns = 0;   // grid only; 0 without a picture size
    int rows = 0;
    bool lastRowTurned = false;
    std::vector<Cell> cells; // in drawing order
};

PageLayout ComputePageLayout(const PageLayoutInput& in);

// How a picture of iw x ih pixels is drawn into a cell of w x h: the image
// turned a quarter first (turned), then the source rectangle (in the turned
// image's pixels) stretched onto the destination (offsets from the cell's
// corner). draw false: nothing is drawn (empty cell or image, unknown mode).
struct FitResult {
    bool draw = false;
    bool turned = false;
    Rect source;
    Rect dest;
};

FitResult FitPicture(int mode, int w, int h, int iw, int ih, bool metafile);

// The print-list entry of picture n when entry i has copies[i] pictures; -1
// beyond the last.
int PictureEntry(const std::vector<int>& copies, int picture);
int SumCopies(const std::vector<int>& copies);
// Pictures divided by pictures per page, a remainder adding a page; 0 for no
// pictures or no pictures per page.
int PageCount(int pictures, int perPage);

// The range choice of the Print dialog.
enum RangeChoice { kRangeAll = 0, kRangeCurrent = 1, kRangePages = 2 };
// Whether the typed range may print: the last page never beyond the count,
// and for Pages a first page from 1 up to the last.
bool RangeAcceptable(int choice, int first, int last, int pageCount);
// The pages that print, from first to last (inclusive).
void PagesToPrint(int choice, int first, int last, int current, int pageCount, int* from, int* to);

// Copies of a print-list entry: an empty or non-numeric box and values
// below 1 become 1, above 9999 become 9999.
constexpr int kMaxCopies = 9999;
int ClampCopies(long value);

// The e-mail size rule: when the picture exceeds the target on either side,
// the size scaled by the smaller ratio (truncated); false when it already
// fits or a side is not positive.
bool EmailScaledSize(int width, int height, int targetWidth, int targetHeight, int* newWidth,
                     int* newHeight);

} // namespace printing
