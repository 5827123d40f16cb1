// Print and E-mail of the frames' shared commands: the selected items go to
// the image tools through the program's registered output (app/frame_output.h).
#include "app/file_item_list.h"
#include "app/frame_output.h"
#include "imaging/image_object.h"
#include "viewer/frame_commands.h"
#include "viewer/image_frame_lists.h"

namespace {

constexpr const char* kExtractBeforePrinting =
    "Please extract the image from the zip archive before printing";
constexpr const char* kSwitchToPagesQuestion =
    "The image you've selected contains more then one pages.  Would you like to switch to "
    "single image printing mode?  Switching to single image printing mode enable you to "
    "print all pages in a file.";

} // namespace

void CFrameCommands::OnPrint(WORD) {
    std::vector<int> indexes;
    GetSelectedIndexes(indexes);
    if (indexes.empty())
        return;
    if (frame_lists::Kind(GetFileItemList()) == kListArchive) {
        ::MessageBoxA(GetFrameWindow(), kExtractBeforePrinting, "Velmorantix XP",
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    IFrameOutput* output = FrameOutput();
    CImageObject* document = GetDocument();
    if (indexes.size() == 1 && document && document->FrameCount() > 0 &&
        ::MessageBoxA(GetFrameWindow(), kSwitchToPagesQuestion, "Velmorantix XP",
                      MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        if (output)
            output->PrintDocument(GetFrameWindow(), document);
        return;
    }
    const std::vector<std::string> paths = SelectedPaths();
    if (output && !paths.empty())
        output->PrintFiles(GetFrameWindow(), paths);
}

void CFrameCommands::OnEmailPictures(WORD) {
    // An archive's items are no files the mail program could attach.
    if (frame_lists::Kind(GetFileItemList()) == kListArchive)
        return;
    const std::vector<std::string> paths = SelectedPaths();
    IFrameOutput* output = FrameOutput();
    if (output && !paths.empty())
        output->StartEmail(paths);
}
