// The explorer's ways for new images to come in and its output setting:
// a capture of the screen or of one window, a bitmap from the clipboard, and
// the Output dialog that says where such images go and how they are named.
#include <shlwapi.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "acquire/screen_capture.h"
#include "acquire/screen_capture_dialog.h"
#include "app/application_state.h"
#include "app/image_saving.h"
#include "app/logic/output_naming.h"
#include "explorer/main_frame.h"
#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "tools/output_dialog.h"
#include "viewer/image_frame_lists.h"

namespace {

// The extension of the output format; a stored index outside the table
// counts as the default format.
std::string OutputExtension(const CAppOptions& options) {
    int type = FileTypeFromSaveFormatIndex(static_cast<int>(options.outputSettingEncoderType));
    if (type == 0)
        type = FileTypeFromSaveFormatIndex(7);
    return GetImageFileTypeExtension(type);
}

// Captures and pasted bitmaps always take at least five digits.
constexpr int kCaptureDigits = 5;

// The first free name in `folder` (the output folder when empty) with the
// output prefix and the sequence from the output start number; empty when
// there is none.
std::string NewImagePath(const std::string& folder) {
    const CAppOptions& options = g_applicationState.Options();
    int sequence = static_cast<int>(options.outputSettingSequenceStartAt);
    return NextFreeOutputPath(
        folder.empty() ? std::string(options.outputSettingFilenamePath) : folder,
        options.outputSettingFilenamePrefix, kCaptureDigits, OutputExtension(options), &sequence,
        [](const std::string& path) { return ::PathFileExistsA(path.c_str()) != FALSE; });
}

} // namespace

bool CMainFrame::SaveNewImage(CImageObject* image, const std::string& path) {
    if (path.empty() || path.size() >= sizeof(image->path))
        return false;
    std::memcpy(image->path, path.c_str(), path.size() + 1);
    if (!image_saving::SaveImage(image, false, false, m_hWnd))
        return false;
    SelectPath(path.c_str());
    ::SetFocus(m_list.m_hWnd);
    return true;
}

void CMainFrame::RestoreAfterCapture() {
    ::ShowWindow(m_hWnd, SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
}

LRESULT CMainFrame::OnScreenCapture(WORD, WORD, HWND, BOOL&) {
    // The explorer gets out of the picture before anything is chosen.
    ::ShowWindow(m_hWnd, SW_HIDE);
    CScreenCaptureDialog dialog;
    if (dialog.DoModal(::GetActiveWindow()) == IDCANCEL) {
        RestoreAfterCapture();
        return 0;
    }
    // The dialog's own pixels must leave the screen first.
    ::Sleep(500);
    auto* image = new CImageObject;
    const bool captured = CaptureToImage(dialog.ChosenWindow(), image);
    RestoreAfterCapture();
    if (captured)
        SaveNewImage(image, NewImagePath(std::string()));
    image->Release();
    return 0;
}

LRESULT CMainFrame::OnPasteClipboardImage(WORD, WORD, HWND, BOOL&) {
    PasteImageFromClipboard(nullptr);
    return 0;
}

LRESULT CMainFrame::OnOutputSetting(WORD, WORD, HWND, BOOL&) {
    CAppOptions& options = g_applicationState.Options();
    COutputDialog dialog;
    dialog.LoadFrom(options);
    dialog.currentFolder = frame_lists::Folder(m_list.ItemSource());
    if (dialog.currentFolder.empty())
        dialog.currentFolder = options.explorerHomeFolder;
    if (dialog.DoModal(::GetActiveWindow()) == IDOK)
        dialog.StoreTo(options);
    return 0;
}
