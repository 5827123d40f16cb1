// The viewer's Convert: the shown image written again in another format,
// through the Convert dialog and its progress (which live above the viewer).
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/frame_dialogs.h"
#include "app/logic/path_parts.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"

LRESULT CImageFrame::OnConvert(WORD, WORD, HWND, BOOL&) {
    CImageObject* document = GetDocument();
    IFrameDialogs* dialogs = FrameDialogs();
    if (!document || !dialogs || IsVectorImageFileType(document->GetFileType()) ||
        frame_lists::Kind(m_itemList) == kListArchive)
        return 0;
    const std::vector<std::string> paths = SelectedPaths();
    if (paths.empty())
        return 0;
    std::string folder = path_parts::Split(document->path).folder;
    if (folder.empty())
        folder = g_applicationState.Options().explorerHomeFolder;
    dialogs->ConvertImages(m_hWnd, folder.c_str(), paths);
    return 0;
}
