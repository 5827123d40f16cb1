// Printing and e-mailing from the frames. Both frames' Print and E-mail
// commands live in the command base of the viewer layer, below the image
// tools that own the Print dialog and the e-mail job; the program's top
// registers the implementation. Until it does (the frames' own tests may
// register a scripted one) nothing is printed or sent.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CImageObject;

class IFrameOutput {
public:
    virtual ~IFrameOutput() = default;
    // Every page of the document through the Print dialog, owned by owner.
    virtual void PrintDocument(HWND owner, CImageObject* document) = 0;
    // The files (full paths, in order, one copy each) through the Print
    // dialog, owned by owner.
    virtual void PrintFiles(HWND owner, const std::vector<std::string>& files) = 0;
    // Starts e-mailing the files (full paths) on a thread of its own and
    // returns at once; false when the job could not be started.
    virtual bool StartEmail(const std::vector<std::string>& files) = 0;
};

void SetFrameOutput(IFrameOutput* output);
// The registered implementation, or null.
IFrameOutput* FrameOutput();
