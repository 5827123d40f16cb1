// The dialogs the frames' shared commands open, from the windows above the
// viewer: the tools' parameter dialogs, Save Images and the save options,
// and the program's About and Arrange Viewers.
#include "app/editor_list.h"
#include "app/frame_dialogs.h"
#include "app/image_saving.h"
#include "config/about_dialog.h"
#include "config/arrange_viewers_dialog.h"
#include "config/editors_dialog.h"
#include "imaging/operations/indexed_color_op.h"
#include "resources/resource.h"
#include "tools/adjustment_dialogs.h"
#include "tools/image_properties.h"
#include "tools/convert_dialogs.h"
#include "tools/image_size_dialog.h"
#include "tools/rotate_canvas_dialog.h"
#include "tools/save_file_dialog.h"
#include "tools/save_options_dialogs.h"

namespace {

// The Configure Editors dialog's list: the application core's stored
// editors and its launch of a program.
class CProgramEditorStore : public IEditorListStore {
public:
    std::vector<CEditorEntry> Load() override {
        std::vector<CEditorRecord> records;
        LoadEditorList(records);
        std::vector<CEditorEntry> entries;
        for (const CEditorRecord& record : records)
            entries.push_back({record.title, record.path});
        return entries;
    }
    bool Save(const std::vector<CEditorEntry>& editors) override {
        std::vector<CEditorRecord> records;
        for (const CEditorEntry& entry : editors)
            records.push_back({entry.location, entry.title});
        return SaveEditorList(records);
    }
    bool Launch(const char* program) override { return LaunchEditor(program, nullptr); }
};

class CProgramFrameDialogs : public IFrameDialogs {
public:
    bool AskRotateCanvas(HWND owner, double& clockwiseAngle) override {
        CRotateCanvasDialog dialog;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        clockwiseAngle = dialog.ClockwiseAngle();
        return true;
    }
    bool AskAdjustment(HWND owner, AdjustmentRequest& request) override {
        switch (request.command) {
        case ID_ADJUST_BRIGHTNESS_CONTRAST: {
            CBrightnessContrastDialog dialog;
            return Run(dialog, owner, request);
        }
        case ID_ADJUST_COLOR_BALANCE: {
            CColorBalanceDialog dialog;
            return Run(dialog, owner, request);
        }
        case ID_ADJUST_HUE_SATURATION: {
            CHueSaturationDialog dialog;
            return Run(dialog, owner, request);
        }
        case ID_ADJUST_POSTERIZE: {
            CPosterizeDialog dialog;
            return Run(dialog, owner, request);
        }
        default:
            return false;
        }
    }
    std::unique_ptr<CImageOperation> AskImageOperation(HWND owner, int command, int width,
                                                       int height) override {
        if (command == ID_IMAGE_MODE_INDEXED) {
            CIndexedColorDialog dialog;
            if (dialog.DoModal(owner) != IDOK)
                return nullptr;
            auto op = std::make_unique<CIndexedColorOp>();
            op->colorCount = dialog.colorCount;
            return op;
        }
        if (command == ID_IMAGE_SIZE) {
            CImageSizeDialog dialog(height, width);
            if (dialog.DoModal(owner) != IDOK)
                return nullptr;
            return dialog.MakeOperation();
        }
        return nullptr;
    }
    bool AskSaveImages(HWND owner, const char* currentFolder, SaveImagesChoice& choice) override {
        CSaveImagesDialog dialog;
        dialog.currentFolder = currentFolder ? currentFolder : "";
        if (dialog.DoModal(owner) != IDOK)
            return false;
        choice.mode = dialog.selection;
        choice.folder = dialog.folder;
        choice.alwaysReplace = dialog.alwaysReplace;
        return true;
    }
    void ShowConfigureEditors(HWND owner) override {
        CProgramEditorStore store;
        CEditorsDialog dialog(store);
        dialog.DoModal(owner);
    }
    bool EditImageProperties(HWND owner, const CImageObject* image) override {
        return ShowImageProperties(owner, image) == IDOK;
    }
    void ShowAbout(HWND owner) override {
        CAboutDialog dialog;
        dialog.DoModal(owner);
    }
    bool ConvertImages(HWND owner, const char* currentFolder,
                       const std::vector<std::string>& paths) override {
        if (paths.empty())
            return false;
        CConvertDialog dialog;
        dialog.currentFolder = currentFolder ? currentFolder : "";
        if (dialog.DoModal(owner) != IDOK)
            return false;
        CConvertProgressDialog progress;
        progress.encoderType = dialog.encoderType;
        progress.outputFolder = dialog.outputFolder;
        progress.paths = paths;
        progress.DoModal(owner);
        return true;
    }
    bool AskArrangeViewers(HWND owner, char& mode, int& count) override {
        CArrangeViewersDialog dialog;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        mode = dialog.Mode();
        count = dialog.Maximum();
        return true;
    }

private:
    template <class D> static bool Run(D& dialog, HWND owner, AdjustmentRequest& request) {
        dialog.view = request.view;
        dialog.source = request.source;
        dialog.working = request.working;
        // The viewer keeps what the user saw: no second application on OK.
        dialog.restore = false;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        request.previewKept = dialog.previewKept;
        if (!request.previewKept)
            request.operation = dialog.MakeOperation();
        return true;
    }
};

CProgramFrameDialogs g_programFrameDialogs;

} // namespace

void RegisterProgramFrameDialogs() {
    SetFrameDialogs(&g_programFrameDialogs);
    image_saving::SetSaveOptionsAsker(AskImageSaveOptions);
    image_saving::SetSaveFileAsker(AskSaveFilePath);
}
