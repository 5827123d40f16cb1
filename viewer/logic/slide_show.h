// The viewer's slide show, full screen and cursor decisions, and the name a
// rename gives a file: what a timer tick does, when the idle cursor hides,
// where a window goes back to after full screen and what placement a viewer
// closed in full screen records. No windows here, so the rules are tested
// natively.
#pragma once

#include <string>

#include "viewer/logic/arrange_geometry.h"

namespace viewer {

// The order of a slide show (the SlideShowSequence option).
enum SlideSequence { kSlideForward = 0, kSlideBackward = 1, kSlideRandom = 2 };

// What one tick of the slide-show timer does.
enum class SlideStep { Skip, Next, Previous, First, Last, Random, Stop };

struct SlideTick {
    int index = -1;        // current item; -1 = none
    int count = 0;         // items in the list
    int sequence = 0;      // SlideSequence; other values count as forward
    bool repeat = false;   // the show starts again at the other end
    bool active = false;   // the frame is the active window
    bool menuOpen = false; // a context menu of the frame is tracked
};

// A tick is skipped (the timer keeps running) without a current item, in a
// frame that is not active, and while a context menu is open. Forward steps
// to the next item, at the last one to the first with repeat, else stops;
// backward mirrors it; random always takes the random step.
SlideStep NextSlideStep(const SlideTick& tick);

// The idle cursor of full screen hides only while the view has the keyboard
// focus, no hand-drag pan runs, no context menu is open, the view is not
// selecting and the cursor is still shown.
struct CursorState {
    bool focusOnView = false;
    bool panning = false;
    bool menuOpen = false;
    bool selectionMode = false;
    bool cursorShown = true;
};
bool ShouldHideCursor(const CursorState& state);

// What full screen remembers of the window it strips. Entering saves the
// rectangle and style only when not yet full screen, so entering twice keeps
// what the window was before the first time.
struct FullScreenMemory {
    bool on = false;
    ScreenRect saved;
    unsigned long savedStyle = 0;
    void Enter(const ScreenRect& windowNow, unsigned long styleNow) {
        if (!on) {
            saved = windowNow;
            savedStyle = styleNow;
        }
        on = true;
    }
    // The rectangle to move back to; full screen is off afterwards.
    ScreenRect Leave() {
        on = false;
        return saved;
    }
};

// The placement a closing viewer records for the next one. In full screen
// the window wears a maximised style that is not the user's: what counts is
// the placement from before full screen.
struct ClosingPlacement {
    bool maximised = false;
    ScreenRect rect;
};
ClosingPlacement PlacementToRecord(bool fullScreen, bool zoomedNow, const ScreenRect& windowNow,
                                   const FullScreenMemory& memory, unsigned long maximiseFlag);

// The full path a rename of `documentPath` to the typed `name` gives: the
// document's folder and the name, with the document's extension added when
// the name has none (trailing dots and blanks, which the file system drops,
// count as none). Empty when the name cannot be a file name in that folder:
// empty, only dots, or holding a path separator, a drive colon or a
// character the file system refuses.
std::string RenameTargetPath(const std::string& documentPath, const std::string& name);

} // namespace viewer
