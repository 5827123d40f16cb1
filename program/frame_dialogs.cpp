// The dialogs the frames' shared commands open, from the windows above the
// viewer: the tools' Rotate Canvas and the program's About and Arrange
// Viewers.
#include "app/frame_dialogs.h"
#include "config/about_dialog.h"
#include "config/arrange_viewers_dialog.h"
#include "tools/rotate_canvas_dialog.h"

namespace {

class CProgramFrameDialogs : public IFrameDialogs {
public:
    bool AskRotateCanvas(HWND owner, double& clockwiseAngle) override {
        CRotateCanvasDialog dialog;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        clockwiseAngle = dialog.ClockwiseAngle();
        return true;
    }
    void ShowAbout(HWND owner) override {
        CAboutDialog dialog;
        dialog.DoModal(owner);
    }
    bool AskArrangeViewers(HWND owner, char& mode, int& count) override {
        CArrangeViewersDialog dialog;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        mode = dialog.Mode();
        count = dialog.Maximum();
        return true;
    }
};

CProgramFrameDialogs g_programFrameDialogs;

} // namespace

void RegisterProgramFrameDialogs() {
    SetFrameDialogs(&g_programFrameDialogs);
}
