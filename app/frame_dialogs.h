// The dialogs of the windows above the viewer that the frames' shared
// commands open: the tools' parameter dialogs and the program's own About
// and Arrange Viewers. The program's top registers the
// implementation; until it does (the frames' own tests may register a
// scripted one) every request answers "cancelled".
#pragma once

#include <windows.h>

class IFrameDialogs {
public:
    virtual ~IFrameDialogs() = default;
    // Rotate Canvas: true on OK with the clockwise angle in degrees (negative
    // for a counter-clockwise choice); 0 means nothing is to be done.
    virtual bool AskRotateCanvas(HWND owner, double& clockwiseAngle) = 0;
    virtual void ShowAbout(HWND owner) = 0;
    // Arrange Viewers: true on OK with the arranging mode ('r' grid, 's'
    // rows, 't' columns) and its count per row or column (0: all in one).
    virtual bool AskArrangeViewers(HWND owner, char& mode, int& count) = 0;
};

void SetFrameDialogs(IFrameDialogs* dialogs);
// The registered dialogs, or null.
IFrameDialogs* FrameDialogs();
