#include "app/frame_output.h"

namespace {
IFrameOutput* g_frameOutput = nullptr;
} // namespace

void SetFrameOutput(IFrameOutput* output) {
    g_frameOutput = output;
}

IFrameOutput* FrameOutput() {
    return g_frameOutput;
}
