#include "app/frame_dialogs.h"

namespace {
IFrameDialogs* g_frameDialogs = nullptr;
} // namespace

void SetFrameDialogs(IFrameDialogs* dialogs) {
    g_frameDialogs = dialogs;
}

IFrameDialogs* FrameDialogs() {
    return g_frameDialogs;
}
