// The options the canvas follows, read from the application object. Kept
// apart so that the canvas's own code does not depend on the application's.
#include "viewer/image_window.h"

#include "app/application_state.h"

bool CanvasHalftoneOption() {
    return g_applicationState.Options().halftone;
}
