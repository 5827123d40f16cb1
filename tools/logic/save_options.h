// The rules of the save option dialogs that need no window: the JPEG
// options as the dialog shows and stores them, and which controls of Save
// Images are enabled.
#pragma once

namespace tools_logic {

// The JPEG options as JPEG Options shows them: the format index is 0 for
// baseline, 1 for progressive.
struct JpegDialogValues {
    int quality = 75;
    int optimize = 1;
    int formatIndex = 0;
    int metadata = 1;
};
constexpr int kMinJpegQuality = 0;
constexpr int kMaxJpegQuality = 100;
constexpr char kJpegQualityRange[] = "JPEG Quality must be between %d and %d";
// What Restore Defaults puts back at once.
constexpr JpegDialogValues kDefaultJpegValues{};

// The state a check box is given for a stored value: one outside 0..2 is
// shown unticked.
int CheckBoxState(int value);

// Save Images: the choices are 0 replace the originals, 1 rename beside
// them, 2 place into a folder.
enum { kSaveReplace = 0, kSaveRename = 1, kSaveToFolder = 2 };

// The selection a stored value opens with: one outside 0..2 opens as 0.
int SaveImagesSelectionFor(int stored);

struct SaveImagesEnabling {
    bool rename, toFolder; // the second and third radios
    bool location;         // the folder edit, Browse and Use Current
};
SaveImagesEnabling SaveImagesEnablingFor(int selection, bool alwaysReplace);

} // namespace tools_logic
