// The save commands of the command base: Save, Save As (one page of a
// multi-page image on request) and saving the selection as a file.
#include <windows.h>

#include "app/application_state.h"
#include "app/image_saving.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/frame_commands.h"
#include "viewer/image_view.h"

namespace {

constexpr char kOnePageQuestion[] = "The image you've selected contains more then one pages.  Do "
                                    "you want to save only the selected page?";

} // namespace

void CFrameCommands::OnSave(WORD) {
    CImageObject* document = GetDocument();
    if (!document || !document->modified)
        return;
    if (!SaveDocument(document))
        return;
    // No undo after a save: the file holds the edit now.
    if (CImageView* view = GetImageView())
        view->ReleaseUndoImage();
    UpdateTitle();
    UpdateToolBar();
}

void CFrameCommands::OnSaveAs(WORD) {
    CImageObject* document = GetDocument();
    if (!document || IsVectorImageFileType(document->GetFileType()))
        return;
    if (document->FrameCount() > 0 &&
        ::MessageBoxA(GetFrameWindow(), kOnePageQuestion, "Velmorantix XP",
                      MB_YESNO | MB_ICONQUESTION) == IDYES) {
        if (CImageObject* page = GetCurrentImage())
            image_saving::SaveImageCopyAs(document->path, page, nullptr);
        return;
    }
    const bool wasModified = document->modified;
    if (!image_saving::SaveImageAs(document, nullptr) || !wasModified)
        return;
    // The edit went to another file; this one is shown as it is on disk.
    if (CImageView* view = GetImageView())
        view->ReleaseUndoImage();
    OpenCurrentItem(false);
}

void CFrameCommands::OnSaveSelectionAs(WORD) {
    CImageObject* document = GetDocument();
    if (!document)
        return;
    CImageObject* cut = CropToSelection(nullptr);
    if (!cut)
        return;
    char chosen[MAX_PATH] = {};
    if (image_saving::SaveImageAs(cut, chosen))
        SelectPath(chosen);
    cut->Release();
}
