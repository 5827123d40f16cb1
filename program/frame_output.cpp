// The frames' Print and E-mail commands, carried out by the image tools.
#include "app/frame_output.h"
#include "app/application_state.h"
#include "app/string_list.h"
#include "program/program_frames.h"
#include "tools/email_pictures.h"
#include "tools/print_dialog.h"
#include "tools/tool_services.h"

namespace {

CStringList* NewStringList(const std::vector<std::string>& files) {
    auto* list = new CStringList;
    for (const std::string& file : files)
        list->InsertCopy(file.c_str());
    return list;
}

class CProgramFrameOutput : public IFrameOutput {
public:
    void PrintDocument(HWND owner, CImageObject* document) override {
        ::PrintDocument(owner, document);
    }
    void PrintFiles(HWND owner, const std::vector<std::string>& files) override {
        CStringList* list = NewStringList(files);
        ::PrintFiles(owner, &g_applicationState, list, false);
        delete list;
    }
    bool StartEmail(const std::vector<std::string>& files) override {
        // The job's thread takes the list over and frees it.
        return StartEmailPictures(NewStringList(files), false);
    }
};

CProgramFrameOutput g_programFrameOutput;

} // namespace

void RegisterProgramFrameOutput() {
    SetFrameOutput(&g_programFrameOutput);
}
