#include "tools/logic/save_options.h"

namespace tools_logic {

int CheckBoxState(int value) {
    return value >= 0 && value <= 2 ? value : 0;
}

int SaveImagesSelectionFor(int stored) {
    return stored >= kSaveReplace && stored <= kSaveToFolder ? stored : kSaveReplace;
}

SaveImagesEnabling SaveImagesEnablingFor(int selection, bool alwaysReplace) {
    if (alwaysReplace)
        return {false, false, false};
    return {true, true, selection == kSaveToFolder};
}

} // namespace tools_logic
