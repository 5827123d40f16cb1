// The explorer's commands over several selected thumbnails: an image
// command given while more than one is selected runs over every selected
// file (the Save Images choice, the command's parameters once, then the
// batch progress), and Convert writes the selection again in another format.
// With one thumbnail selected an image command is the shared command base's.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_operations.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/main_frame.h"
#include "imaging/image_object.h"
#include "imaging/operations/indexed_color_op.h"
#include "imaging/operations/rotate_op.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "tools/adjustment_dialogs.h"
#include "tools/batch_process.h"
#include "tools/convert_dialogs.h"
#include "tools/image_size_dialog.h"
#include "tools/logic/batch_plan.h"
#include "tools/rotate_canvas_dialog.h"
#include "tools/save_options_dialogs.h"
#include "viewer/image_frame_lists.h"
#include "viewer/image_view.h"

namespace {

// The selection's full paths, in selection order (items whose path does not
// fit are left out).
std::vector<std::string> SelectedFiles(CFileItemList* list, const std::vector<int>& indexes) {
    std::vector<std::string> paths;
    if (!list)
        return paths;
    list->Lock();
    for (int index : indexes) {
        char path[MAX_PATH] = "";
        if (list->GetItemPath(index, path))
            paths.emplace_back(path);
    }
    list->Unlock();
    return paths;
}

template <class D> std::unique_ptr<CImageOperation> AskAdjustment(D& dialog, HWND owner) {
    if (dialog.DoModal(owner) != IDOK)
        return nullptr;
    return dialog.MakeOperation();
}

} // namespace

LRESULT CMainFrame::OnBatchCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    const int id = LOWORD(wParam);
    // Menus, accelerators and toolbar buttons; no control's notification.
    if (HIWORD(wParam) > 1 || !batch_plan::FindCommand(id) || !m_list.m_hWnd)
        return 0;
    CFileItemList* shown = m_list.ItemSource();
    if (!shown || shown->IsArchiveList())
        return 0;
    std::vector<int> selected;
    m_list.GetSelectedIndices(&selected);
    if (selected.size() < 2)
        return 0;
    handled = TRUE;
    RunBatch(id, selected);
    return 0;
}

void CMainFrame::RunBatch(int id, const std::vector<int>& selected) {
    const batch_plan::Command& command = *batch_plan::FindCommand(id);
    // The files are read from disk: an edit of the shown image is saved (or
    // let go) first.
    PromptSaveChanges();
    CFileItemList* shown = m_list.ItemSource();
    const std::vector<std::string> paths = SelectedFiles(shown, selected);
    if (paths.size() < 2)
        return;

    int saveMode = 0;
    std::string outputFolder;
    CAppOptions& options = g_applicationState.Options();
    if (options.explorerBatchProcessedSaveConfirmation) {
        CSaveImagesDialog where;
        where.currentFolder = shown->IsFolderList() ? shown->GetFolder() : "";
        if (where.DoModal(m_hWnd) != IDOK)
            return;
        saveMode = where.selection;
        outputFolder = where.folder;
        if (where.alwaysReplace)
            options.explorerBatchProcessedSaveConfirmation = false;
    }

    std::unique_ptr<CImageOperation> operation;
    CImageObject* document = GetDocument();
    switch (command.parameters) {
    case batch_plan::Parameters::kNone:
        operation = FixedCommandOperation(command.id);
        break;
    case batch_plan::Parameters::kImageSize: {
        // The sizes shown are those of the image on view, as decoded.
        CImageSizeDialog dialog(document ? document->height : 0, document ? document->width : 0);
        if (dialog.DoModal(m_hWnd) == IDOK)
            operation = dialog.MakeOperation();
        break;
    }
    case batch_plan::Parameters::kIndexedColor: {
        CIndexedColorDialog dialog;
        if (dialog.DoModal(m_hWnd) == IDOK) {
            auto indexed = std::make_unique<CIndexedColorOp>();
            indexed->colorCount = dialog.colorCount;
            operation = std::move(indexed);
        }
        break;
    }
    case batch_plan::Parameters::kRotateCanvas: {
        CRotateCanvasDialog dialog;
        if (dialog.DoModal(m_hWnd) == IDOK && dialog.ClockwiseAngle() != 0.0) {
            auto rotate = std::make_unique<CRotateOp>();
            rotate->angle = dialog.ClockwiseAngle();
            operation = std::move(rotate);
        }
        break;
    }
    case batch_plan::Parameters::kAdjustment:
        operation = AskBatchAdjustment(id);
        if (operation && AdjustmentChangesNothing(*operation))
            operation.reset();
        break;
    }
    if (!operation)
        return;

    CBatchProcessDialog progress;
    progress.command = &command;
    progress.operation = std::move(operation);
    progress.saveMode = saveMode;
    progress.outputFolder = outputFolder;
    progress.paths = paths;
    const bool watch = m_watchChanges;
    m_watchChanges = false;
    progress.DoModal(m_hWnd);
    m_watchChanges = watch;
    UpdateUIState();
}

std::unique_ptr<CImageOperation> CMainFrame::AskBatchAdjustment(int id) {
    // The dialog previews on the image on view, in a private copy that the
    // view gives back afterwards: the preview is only a preview, the files
    // get the answer.
    CImageView* view = GetImageView();
    CImageObject* document = GetDocument();
    CImageObject* source = nullptr;
    CImageObject* working = nullptr;
    if (view && view->m_hWnd && document && !IsVectorImageFileType(document->GetFileType())) {
        if (document->IsFullyLoaded() || document->modified) {
            document->AddRef();
            source = document;
        } else {
            source = ReadWholeImage(document->path);
        }
        if (source) {
            if (source != document) {
                source->AddRef();
                ShowDocument(source, true);
            }
            ::SendMessageA(view->m_hWnd, kMsgViewDetachImage, 0, 0);
            working = GetDocument();
            if (!working || working == source || working->stride != source->stride ||
                working->height != source->height)
                working = nullptr;
        }
    }
    std::unique_ptr<CImageOperation> operation;
    auto ask = [&](CPreviewDialogBase& dialog) {
        dialog.view = working ? view : nullptr;
        dialog.source = working ? source : nullptr;
        dialog.working = working;
        dialog.restore = true;
    };
    switch (id) {
    case ID_ADJUST_BRIGHTNESS_CONTRAST: {
        CBrightnessContrastDialog dialog;
        ask(dialog);
        operation = AskAdjustment(dialog, m_hWnd);
        break;
    }
    case ID_ADJUST_COLOR_BALANCE: {
        CColorBalanceDialog dialog;
        ask(dialog);
        operation = AskAdjustment(dialog, m_hWnd);
        break;
    }
    case ID_ADJUST_HUE_SATURATION: {
        CHueSaturationDialog dialog;
        ask(dialog);
        operation = AskAdjustment(dialog, m_hWnd);
        break;
    }
    case ID_ADJUST_POSTERIZE: {
        CPosterizeDialog dialog;
        ask(dialog);
        operation = AskAdjustment(dialog, m_hWnd);
        break;
    }
    default:
        break;
    }
    // The view shows the shared image again (the frame takes this reference).
    if (source)
        ShowDocument(source, true);
    return operation;
}

LRESULT CMainFrame::OnConvert(WORD, WORD, HWND, BOOL&) {
    CFileItemList* shown = m_list.ItemSource();
    if (!shown || shown->IsArchiveList() || !m_list.m_hWnd)
        return 0;
    std::vector<int> selected;
    m_list.GetSelectedIndices(&selected);
    const std::vector<std::string> paths = SelectedFiles(shown, selected);
    if (paths.empty())
        return 0;
    CConvertDialog dialog;
    dialog.currentFolder = SelectedTreeFolder();
    if (dialog.currentFolder.empty())
        dialog.currentFolder = g_applicationState.Options().explorerHomeFolder;
    if (dialog.DoModal(::GetActiveWindow()) != IDOK)
        return 0;
    CConvertProgressDialog progress;
    progress.encoderType = dialog.encoderType;
    progress.outputFolder = dialog.outputFolder;
    progress.paths = paths;
    progress.DoModal(m_hWnd);
    UpdateUIState();
    return 0;
}
