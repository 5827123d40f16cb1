// The dialogs of the windows above the viewer that the frames' shared
// commands open: the tools' parameter dialogs and the program's own About
// and Arrange Viewers. The program's top registers the
// implementation; until it does (the frames' own tests may register a
// scripted one) every request answers "cancelled".
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/operations/image_operation.h"

class CImageObject;
class CImageView;

// An adjustment asked with a live preview: the caller gives the view, the
// source pixels and the working image the view shows; on OK it gets either
// the preview kept in the working image or the operation to apply.
struct AdjustmentRequest {
    int command = 0;
    CImageView* view = nullptr;
    CImageObject* source = nullptr;
    CImageObject* working = nullptr;
    bool previewKept = false;
    std::unique_ptr<CImageOperation> operation;
};

// Where the results of a command on several images go: mode 0 replaces the
// files, 1 writes beside them under a new name, 2 into `folder`.
struct SaveImagesChoice {
    int mode = 0;
    std::string folder;
    bool alwaysReplace = false;
};

class IFrameDialogs {
public:
    virtual ~IFrameDialogs() = default;
    // Rotate Canvas: true on OK with the clockwise angle in degrees (negative
    // for a counter-clockwise choice); 0 means nothing is to be done.
    virtual bool AskRotateCanvas(HWND owner, double& clockwiseAngle) = 0;
    virtual void ShowAbout(HWND owner) = 0;
    // Brightness/Contrast, Color Balance, Hue/Saturation and Posterize: true
    // on OK (previews kept in the working image, or the operation).
    virtual bool AskAdjustment(HWND, AdjustmentRequest&) { return false; }
    // Indexed Color and Image Size (for an image of width x height): the
    // operation the answer asks for, or null after Cancel.
    virtual std::unique_ptr<CImageOperation> AskImageOperation(HWND, int, int, int) {
        return nullptr;
    }
    // Save Images, with `currentFolder` for its Use Current: true on OK.
    virtual bool AskSaveImages(HWND, const char*, SaveImagesChoice&) { return false; }
    // Configure Editors over `owner`: the external editors' list, stored on
    // OK. Without the dialog nothing is configured.
    virtual void ShowConfigureEditors(HWND owner) { (void)owner; }
    // Image Properties of `image` over `owner`: the image's catalogue
    // attributes edited and, on OK, stored. True only when they were stored.
    virtual bool EditImageProperties(HWND owner, const CImageObject* image) {
        (void)owner;
        (void)image;
        return false;
    }
    // Arrange Viewers: true on OK with the arranging mode ('r' grid, 's'
    // rows, 't' columns) and its count per row or column (0: all in one).
    virtual bool AskArrangeViewers(HWND owner, char& mode, int& count) = 0;
    // Convert over `owner`: asks the format and the output folder (Use
    // Current offers `currentFolder`), then writes each of `paths` again in
    // that format with its progress. False when cancelled or unavailable.
    virtual bool ConvertImages(HWND owner, const char* currentFolder,
                               const std::vector<std::string>& paths) {
        (void)owner, (void)currentFolder, (void)paths;
        return false;
    }
};

void SetFrameDialogs(IFrameDialogs* dialogs);
// The registered dialogs, or null.
IFrameDialogs* FrameDialogs();
