#include "viewer/logic/slide_show.h"

#include <cstring>

namespace viewer {

SlideStep NextSlideStep(const SlideTick& tick) {
    if (tick.index == -1 || tick.count <= 0 || !tick.active || tick.menuOpen)
        return SlideStep::Skip;
    switch (tick.sequence) {
    case kSlideRandom:
        return SlideStep::Random;
    case kSlideBackward:
        if (tick.index != 0)
            return SlideStep::Previous;
        return tick.repeat ? SlideStep::Last : SlideStep::Stop;
    default:
        if (tick.index < tick.count - 1)
            return SlideStep::Next;
        return tick.repeat ? SlideStep::First : SlideStep::Stop;
    }
}

bool ShouldHideCursor(const CursorState& state) {
    return state.focusOnView && !state.panning && !state.menuOpen && !state.selectionMode &&
           state.cursorShown;
}

ClosingPlacement PlacementToRecord(bool fullScreen, bool zoomedNow, const ScreenRect& windowNow,
                                   const FullScreenMemory& memory, unsigned long maximiseFlag) {
    ClosingPlacement placement;
    if (fullScreen && memory.on) {
        placement.maximised = (memory.savedStyle & maximiseFlag) != 0;
        placement.rect = memory.saved;
    } else {
        placement.maximised = zoomedNow;
        placement.rect = windowNow;
    }
    return placement;
}

namespace {

size_t NameStart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

std::string RenameTargetPath(const std::string& documentPath, const std::string& name) {
    std::string typed = name;
    // The file system drops trailing dots and blanks; so does the name here,
    // so that the extension test sees what the file would be called.
    while (!typed.empty() && (typed.back() == '.' || typed.back() == ' '))
        typed.pop_back();
    if (typed.empty())
        return std::string();
    for (const char c : typed) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c))
            return std::string();
    }
    const size_t start = NameStart(documentPath);
    const std::string folder = documentPath.substr(0, start);
    const std::string documentName = documentPath.substr(start);
    const size_t documentDot = documentName.find_last_of('.');
    const std::string extension =
        documentDot == std::string::npos ? std::string() : documentName.substr(documentDot);
    // A leading dot alone (".hidden") is a name, not an extension.
    const size_t dot = typed.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    return folder + typed + (hasExtension ? std::string() : extension);
}

} // namespace viewer
