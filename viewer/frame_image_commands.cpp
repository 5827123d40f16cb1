// The image commands of the command base: modes, tone operations, rotations
// and flips (a JPEG file turned losslessly where it can be), crop to the
// selection, and the one level of undo that every edit leaves behind.
#include <windows.h>

#include <memory>

#include "app/application_state.h"
#include "app/command_operations.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "imaging/operations/crop_op.h"
#include "imaging/operations/rotate_op.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "viewer/frame_commands.h"
#include "viewer/image_frame_lists.h"
#include "viewer/image_view.h"
#include "viewer/logic/edit_commands.h"
#include "ui/wait_cursor.h"

namespace {

void ShowFailure(HWND owner, const char* text) {
    ::MessageBoxA(owner, text, "Failed!", MB_OK | MB_ICONERROR);
}

bool TransformJpegFile(const char* path, viewer::LosslessTurn turn) {
    CJpegLosslessOp lossless;
    lossless.operation = turn.operation;
    lossless.angle = turn.angle;
    return lossless.TransformFile(path, path);
}

// Keeps the watch-changes flag clear while a command rewrites files and
// swaps images, and gives the focus back to the window that had it.
class CommandScope {
public:
    explicit CommandScope(bool& watch) : m_watch(watch), m_focus(::GetFocus()) { m_watch = false; }
    ~CommandScope() {
        m_watch = true;
        if (m_focus && ::IsWindow(m_focus))
            ::SetFocus(m_focus);
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    bool& m_watch;
    HWND m_focus;
};

} // namespace

CImageObject* CFrameCommands::FullSizeSource(CImageObject* document) {
    // An edited image has no file behind its pixels: it is whole as it is.
    if (document->IsFullyLoaded() || document->modified) {
        document->AddRef();
        return document;
    }
    // Shown reduced or still decoding: an operation needs every pixel of the
    // file, and must never read rows a decode is still writing.
    CImageObject* full = g_applicationState.OpenImage(document->path, -1, -1, 0.0);
    if (!full)
        return nullptr;
    if (full->decodeThread)
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(full->decodeThread), INFINITE);
    return full;
}

CFrameCommands::EditTarget CFrameCommands::GetEditTarget(bool reportVector) {
    EditTarget target;
    CImageObject* document = GetDocument();
    CFileItemList* list = GetFileItemList();
    if (!document || IsVectorImageFileType(document->GetFileType()) ||
        frame_lists::Kind(list) == kListArchive)
        return target;
    std::vector<int> indexes;
    GetSelectedIndexes(indexes);
    if (indexes.empty())
        return target;
    target.path = frame_lists::ItemPath(list, indexes[0]);
    if (target.path.empty())
        target.path = document->path;
    target.type = DetectImageFileType(target.path.c_str());
    if (IsVectorImageFileType(target.type)) {
        if (reportVector)
            ShowFailure(GetFrameWindow(), "Image type is not supported");
        return target;
    }
    target.document = document;
    target.count = static_cast<int>(indexes.size());
    return target;
}

void CFrameCommands::OnImageCommand(WORD id) {
    CImageObject* document = GetDocument();
    if (document && document->bitsPerPixel == 1 && viewer::IsToneAdjustment(id))
        return;
    const EditTarget target = GetEditTarget(true);
    if (!target.document)
        return;
    CImageView* view = GetImageView();
    if (viewer::IsToneAdjustment(id)) {
        RunAdjustmentDialog(id);
        return;
    }
    std::unique_ptr<CImageOperation> operation = FixedCommandOperation(id);
    if (id == ID_IMAGE_MODE_INDEXED || id == ID_IMAGE_SIZE) {
        IFrameDialogs* dialogs = FrameDialogs();
        if (!dialogs)
            return;
        operation = dialogs->AskImageOperation(GetFrameWindow(), id, document->fullWidth,
                                               document->fullHeight);
    }
    if (id == ID_ROTATE_ARBITRARY) {
        double angle = 0.0;
        IFrameDialogs* dialogs = FrameDialogs();
        if (!dialogs || !dialogs->AskRotateCanvas(GetFrameWindow(), angle) || angle == 0.0)
            return;
        auto rotate = std::make_unique<CRotateOp>();
        rotate->angle = angle;
        operation = std::move(rotate);
    }
    if (!view || !operation)
        return;
    CommandScope scope(m_watchChanges);
    CWaitCursor wait;

    const viewer::LosslessTurn turn = viewer::LosslessTurnFor(id);
    if (turn.operation != 0 && !document->modified && target.type == kFileTypeJpeg &&
        lstrcmpiA(target.path.c_str(), document->path) == 0 &&
        TransformJpegFile(document->path, turn)) {
        // The file itself is turned: show it read again, and keep the old
        // document with the turn that takes the file back.
        document->AddRef();
        ShowFileAgain(document->path);
        view->SetUndoImage(document, viewer::EncodeUndoTurn(viewer::InverseTurn(turn)));
        UpdateTitle();
        UpdateToolBar();
        return;
    }

    CImageObject* source = FullSizeSource(document);
    if (!source)
        return;
    auto* result = new (std::nothrow) CImageObject(document->path, source->exif);
    if (!result || !operation->Apply(result, source)) {
        if (result)
            result->Release();
        g_applicationState.ReleaseImage(source);
        return;
    }
    result->notLoaded = false;
    result->SetModified();
    ShowDocument(result, viewer::KeepsViewAfter(id));
    view->SetUndoImage(source, viewer::kUndoPixels);
    UpdateTitle();
    UpdateToolBar();
}

void CFrameCommands::RunAdjustmentDialog(WORD id) {
    IFrameDialogs* dialogs = FrameDialogs();
    CImageView* view = GetImageView();
    CImageObject* document = GetDocument();
    if (!dialogs || !view || !document)
        return;
    CommandScope scope(m_watchChanges);
    // The previews write into the view's own copy of every pixel of the
    // file: never into a reduced image or one a decode is still filling.
    CImageObject* source = FullSizeSource(document);
    if (!source)
        return;
    if (source != document) {
        source->AddRef();
        ShowDocument(source, true);
    }
    ::SendMessageA(view->m_hWnd, kMsgViewDetachImage, 0, 0);
    CImageObject* working = GetDocument();
    if (!working || working == source || working->stride != source->stride ||
        working->height != source->height) {
        g_applicationState.ReleaseImage(source);
        return;
    }
    AdjustmentRequest request;
    request.command = id;
    request.view = view;
    request.source = source;
    request.working = working;
    if (!dialogs->AskAdjustment(GetFrameWindow(), request)) {
        // The copy holds the source's pixels again: show the shared image.
        ShowDocument(source, true);
        UpdateTitle();
        UpdateToolBar();
        return;
    }
    if (!request.previewKept) {
        auto* result = new (std::nothrow) CImageObject(source->path, source->exif);
        if (!result || !request.operation || !request.operation->Apply(result, source)) {
            if (result)
                result->Release();
            ShowDocument(source, true);
            UpdateTitle();
            UpdateToolBar();
            return;
        }
        result->notLoaded = false;
        result->SetModified();
        ShowDocument(result, true);
    }
    view->SetUndoImage(source, viewer::kUndoPixels);
    UpdateTitle();
    UpdateToolBar();
}

void CFrameCommands::ShowFileAgain(const char* path) {
    g_applicationState.ForgetCachedImagePath(path);
    int width = 0, height = 0;
    double zoom = 0;
    GetViewArea(width, height, zoom);
    if (CImageObject* image = g_applicationState.OpenImage(path, width, height, zoom))
        ShowDocument(image, false);
}

CImageObject* CFrameCommands::CropToSelection(CImageObject** sourceOut) {
    if (sourceOut)
        *sourceOut = nullptr;
    CImageObject* document = GetDocument();
    CImageView* view = GetImageView();
    if (!document || !view)
        return nullptr;
    if (IsVectorImageFileType(document->GetFileType())) {
        ShowFailure(GetFrameWindow(), "Image type is not supported");
        return nullptr;
    }
    if (!view->HasSelection())
        return nullptr;
    const RECT selection = view->GetCanvas().GetSelection();
    const viewer::CropBox box =
        viewer::CropBoxFor(selection.left, selection.top, selection.right, selection.bottom,
                           document->fullWidth, document->fullHeight);
    if (box.width <= 0)
        return nullptr;
    CWaitCursor wait;
    CImageObject* source = FullSizeSource(document);
    if (!source)
        return nullptr;
    CCropOp crop;
    crop.x = box.x;
    crop.y = box.y;
    crop.width = box.width;
    crop.height = box.height;
    auto* result = new (std::nothrow) CImageObject(document->path, source->exif);
    if (!result || !crop.Apply(result, source)) {
        if (result)
            result->Release();
        g_applicationState.ReleaseImage(source);
        return nullptr;
    }
    result->notLoaded = false;
    result->SetModified();
    if (sourceOut)
        *sourceOut = source;
    else
        g_applicationState.ReleaseImage(source);
    return result;
}

void CFrameCommands::OnCrop(WORD) {
    CImageView* view = GetImageView();
    CFileItemList* list = GetFileItemList();
    if (!view || !list || frame_lists::Kind(list) == kListArchive)
        return;
    CommandScope scope(m_watchChanges);
    CImageObject* source = nullptr;
    CImageObject* result = CropToSelection(&source);
    if (!result)
        return;
    view->SetUndoImage(source, viewer::kUndoPixels);
    if (NeedsSaveConfirmation()) {
        ShowDocument(result, false);
    } else {
        // Without the question the crop is written at once, like a save the
        // user asked for; shown as well, so that a failed write loses nothing.
        ShowDocument(result, false);
        SaveDocument(result);
    }
    UpdateTitle();
    UpdateToolBar();
}

void CFrameCommands::OnUndo(WORD) {
    CImageView* view = GetImageView();
    if (!view || !view->HasUndoImage())
        return;
    const int value = view->GetUndoValue();
    CImageObject* undo = view->TakeUndoImage();
    if (!undo)
        return;
    CImageObject* shown = GetDocument();
    const viewer::LosslessTurn back = viewer::DecodeUndoTurn(value);
    if (back.operation != 0) {
        // The edit was made to the file: turning the file back is the undo,
        // so that what is shown is what the file holds.
        CommandScope scope(m_watchChanges);
        if (shown && !shown->modified && lstrcmpiA(shown->path, undo->path) == 0 &&
            TransformJpegFile(undo->path, back)) {
            g_applicationState.ReleaseImage(undo);
            ShowFileAgain(shown->path);
            UpdateTitle();
            UpdateToolBar();
            return;
        }
        // The file could not be turned back: the old pixels are shown as an
        // edit, so that saving them restores the file.
        undo->SetModified();
    }
    const bool sameSize = shown && shown->width == undo->width && shown->height == undo->height;
    ShowDocument(undo, sameSize);
    UpdateTitle();
    UpdateToolBar();
}
