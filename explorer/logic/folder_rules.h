// Rules of the folder trees and their small dialogs that need no window: the
// recent-folder list of Browse for Folder, the folders a typed path needs,
// the names of new folders, the date of the folder properties, and when and
// where the folder preview shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Compares two names as the system does for file names (ignoring case).
using NameEqualFn = std::function<bool(const std::string& a, const std::string& b)>;
// ASCII letters only; what the native tests and callers without a locale use.
bool AsciiEqualNoCase(const std::string& a, const std::string& b);

// How many recent folders Browse for Folder keeps: 10 when the registry value
// is missing (or not a DWORD), else the value held to 10..20.
constexpr uint32_t kRecentFoldersDefault = 10;
constexpr uint32_t kRecentFoldersMost = 20;
uint32_t ClampRecentFolderCount(bool present, uint32_t value);

// Puts chosen first in the list (most recent first), removing an equal entry
// first; when the list is then longer than keep its last entry goes.
void RememberRecentFolder(std::vector<std::string>* recent, const std::string& chosen,
                          uint32_t keep, const NameEqualFn& equal = AsciiEqualNoCase);

// The folders to create, outermost first, so that path exists: the part
// before every backslash after the first one, then the path itself.
// "C:\a\b" gives "C:\a", "C:\a\b".
std::vector<std::string> FoldersToCreate(const std::string& path);

// "New Folder", else "New Folder (1)", "(2)", ... the first name taken()
// refuses; empty only when every number up to a bound is taken.
std::string FirstFreeFolderName(const std::function<bool(const std::string&)>& taken);

// The folder date stored with a folder's attributes: year in the low 16 bits,
// then month, then day. Year 0 means no date.
struct FolderDate {
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
};
FolderDate UnpackFolderDate(uint32_t packed);
uint32_t PackFolderDate(FolderDate date);

// Whether the folder preview may show: with FolderPreviewActivate, unless
// FolderPreviewCtrlActivate asks Ctrl to suppress it; without it, only while
// Ctrl is held and FolderPreviewCtrlActivate is set.
bool FolderPreviewAllowed(bool activate, bool ctrlActivate, bool ctrlDown);

// Where the preview popup goes for the cursor: 20 px right of and below it;
// when it would pass the screen's right edge with the cursor in the right
// half, 20 px left of the cursor minus its width; likewise upwards at the
// bottom edge in the lower half.
struct PreviewPlacement {
    int32_t x = 0;
    int32_t y = 0;
};
PreviewPlacement PlaceFolderPreview(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height,
                                    int32_t screenWidth, int32_t screenHeight);

// The preview popup's size for a folder of `items` pictures when it shows at
// most `most`: each tile thumbWidth + 1 wide, plus 3, by thumbHeight + 6 (a
// frame of 2 pixels and the border around the row of tiles).
struct PreviewSize {
    int32_t width = 0;
    int32_t height = 0;
};
PreviewSize FolderPreviewSize(int32_t items, int32_t most, int32_t thumbWidth, int32_t thumbHeight);
