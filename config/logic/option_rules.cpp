#include "config/logic/option_rules.h"

namespace config_rules {

std::vector<uint32_t> ExplorerPageCodes(const ThumbnailLayout& before,
                                        const ThumbnailLayout& after) {
    std::vector<uint32_t> codes;
    if (before.width != after.width || before.height != after.height)
        codes.push_back(kThumbnailSizeChanged);
    else if (before.xSpace != after.xSpace || before.ySpace != after.ySpace)
        codes.push_back(kThumbnailSpacingChanged);
    if (before.folderPreviewCount != after.folderPreviewCount)
        codes.push_back(kFolderPreviewCountChanged);
    return codes;
}

ColorCodes ColorPageCodes(const ColorSet& before, const ColorSet& after) {
    ColorCodes codes;
    if (before.thumbnailBackground != after.thumbnailBackground)
        codes.toExplorer.push_back(kThumbnailBackgroundChanged);
    if (before.previewBackground != after.previewBackground)
        codes.toExplorer.push_back(kPreviewBackgroundChanged);
    if (before.folderPreviewThumbnail != after.folderPreviewThumbnail)
        codes.toExplorer.push_back(kFolderPreviewColorChanged);
    if (before.viewerBackground != after.viewerBackground)
        codes.toViewers.push_back(kPreviewBackgroundChanged);
    return codes;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

DelayParse ParseSlideShowDelay(const std::string& text, uint32_t* milliseconds) {
    size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Whole seconds beyond the range only need to be known as "too many".
    uint64_t whole = 0;
    int wholeDigits = 0, fractionDigits = 0;
    uint32_t fraction = 0;     // the first three decimals, in milliseconds
    bool fractionRest = false; // a nonzero digit past the third decimal
    for (; i < n && IsDigit(text[i]); ++i, ++wholeDigits)
        if (whole <= kMaxSlideShowDelayMs)
            whole = whole * 10 + uint64_t(text[i] - '0');
    if (i < n && text[i] == '.') {
        for (++i; i < n && IsDigit(text[i]); ++i, ++fractionDigits) {
            if (fractionDigits < 3)
                fraction = fraction * 10 + uint32_t(text[i] - '0');
            else if (text[i] != '0')
                fractionRest = true;
        }
    }
    while (i < n && IsBlank(text[i]))
        ++i;
    if (i != n || wholeDigits + fractionDigits == 0)
        return DelayParse::kNotANumber;
    for (int d = fractionDigits; d < 3; ++d)
        fraction *= 10;
    const uint64_t ms = whole * 1000 + fraction;
    const bool zero = ms == 0 && !fractionRest;
    if ((negative && !zero) || ms < kMinSlideShowDelayMs || ms > kMaxSlideShowDelayMs ||
        (ms == kMaxSlideShowDelayMs && fractionRest))
        return DelayParse::kOutOfRange;
    *milliseconds = uint32_t(ms);
    return DelayParse::kOk;
}

std::string FormatSlideShowDelay(uint32_t milliseconds) {
    std::string text = std::to_string(milliseconds / 1000);
    uint32_t fraction = milliseconds % 1000;
    if (fraction != 0) {
        char digits[4] = {char('0' + fraction / 100), char('0' + fraction / 10 % 10),
                          char('0' + fraction % 10), 0};
        std::string decimals(digits);
        while (!decimals.empty() && decimals.back() == '0')
            decimals.pop_back();
        text += "." + decimals;
    }
    return text;
}

const ImageFormatRow kImageFormatRows[kImageFormatRowCount] = {
    {1, "BMP (Windows Bitmap)"},
    {2, "EMF (Enhanced Metafile)"},
    {3, "GIF (CompuServe GIF)"},
    {5, "ICO (ICON)"},
    {6, "JPG (JPEG)"},
    {8, "PCX (PCX)"},
    {7, "PCD (Photo CD)"},
    {4, "PNG (Portable Network Graphics)"},
    {9, "PSD (Photoshop)"},
    {10, "PSP (Paint Shop Pro)"},
    {11, "RAS (Sun Rasterfile)"},
    {12, "TGA (Targa)"},
    {13, "TIF (Tagged Image File Format)"},
    {15, "WMF (Windows Metafile)"},
    {14, "WBMP (Wireless Bitmap)"},
};

bool HasSaveOptions(int type) {
    return type == 4 || type == 6;
}

Reconcile ReconcileShortcut(bool wanted, bool present) {
    if (wanted && !present)
        return Reconcile::kMake;
    if (!wanted && present)
        return Reconcile::kRemove;
    return Reconcile::kNothing;
}

Reconcile ReconcileAssociation(bool wanted, bool present) {
    if (wanted)
        return Reconcile::kMake;
    return present ? Reconcile::kRemove : Reconcile::kNothing;
}

std::string EditorTitleFromPath(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    // A leading dot names a file, not an extension.
    if (dot != std::string::npos && dot != 0)
        name.erase(dot);
    return name;
}

} // namespace config_rules
