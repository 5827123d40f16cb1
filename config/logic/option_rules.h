// The rules of the option pages and the wizard that need no window: which
// "OptionsChanged" codes a change sends, the slide-show delay as the user
// types it, the image-format rows, and what to do to make a shortcut, an
// association or the tray icon match a check box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace config_rules {

// "OptionsChanged" codes (wParam; lParam 0).
enum OptionsChangedCode : uint32_t {
    kPreviewBackgroundChanged = 0,   // explorer: preview; viewers: their background
    kThumbnailBackgroundChanged = 1, // explorer
    kThumbnailSizeChanged = 2,       // explorer
    kThumbnailSpacingChanged = 3,    // explorer, only when the size stayed
    kFolderPreviewCountChanged = 4,  // explorer
    kFolderPreviewColorChanged = 5,  // explorer
};

struct ThumbnailLayout {
    uint32_t width, height, xSpace, ySpace, folderPreviewCount;
};

// What the Explorer page tells the explorer after it applied: the size code
// when the size changed, else the spacing code when the spacing changed;
// then the folder-preview code when its count changed. Nothing else.
std::vector<uint32_t> ExplorerPageCodes(const ThumbnailLayout& before,
                                        const ThumbnailLayout& after);

struct ColorSet {
    uint32_t previewBackground, thumbnailBackground, viewerBackground, folderPreviewThumbnail,
        folderPreviewFrame;
};

// What the Color page sends: to the explorer the thumbnail, preview and
// folder-preview codes of the colours that changed, in that order; to every
// viewer the background code when theirs changed. The frame colour and the
// caption colour send nothing.
struct ColorCodes {
    std::vector<uint32_t> toExplorer;
    std::vector<uint32_t> toViewers;
};
ColorCodes ColorPageCodes(const ColorSet& before, const ColorSet& after);

// The slide-show delay as typed, in seconds with an optional decimal part.
enum class DelayParse { kOk, kNotANumber, kOutOfRange };
constexpr uint32_t kMinSlideShowDelayMs = 100;     // 0.1 s
constexpr uint32_t kMaxSlideShowDelayMs = 1000000; // 1000.0 s

// Reads the text exactly (no binary rounding, so "4.35" is 4350 ms), digits
// past the third decimal cut off. Blanks around the number are allowed; a
// sign, an exponent or anything else is not a number. A number outside
// 0.1..1000.0 is out of range (a minus sign counts as a number below it).
DelayParse ParseSlideShowDelay(const std::string& text, uint32_t* milliseconds);

// The delay as the page shows it: seconds with no trailing zeros ("2.5",
// "5", "0.125").
std::string FormatSlideShowDelay(uint32_t milliseconds);

// A row of the image-format list of the options page and the wizard.
struct ImageFormatRow {
    int type; // EImageFileType
    const char* name;
};
constexpr int kImageFormatRowCount = 15;
extern const ImageFormatRow kImageFormatRows[kImageFormatRowCount];

// Which save-options dialog a type has: PNG and JPEG only.
bool HasSaveOptions(int type);

// What makes a thing (a shortcut, an association) match its check box.
enum class Reconcile { kNothing, kMake, kRemove };
// Shortcuts: made only when missing, removed only when present.
Reconcile ReconcileShortcut(bool wanted, bool present);
// Associations: a checked type is registered again even when it already is
// (that repairs a half-taken one); an unchecked one is given back only when
// the program holds it.
Reconcile ReconcileAssociation(bool wanted, bool present);

// The title an editor gets from its program's path when the user left the
// title empty: the file name without its extension.
std::string EditorTitleFromPath(const std::string& path);

} // namespace config_rules
