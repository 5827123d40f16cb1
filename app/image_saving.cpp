#include "app/image_saving.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/path_parts.h"
#include "imaging/codecs/codec_registry.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "ui/wait_cursor.h"

namespace image_saving {

namespace {

constexpr char kCaption[] = "Velmorantix XP";

SaveOptionsAsker g_optionsAsker = nullptr;
SaveFileAsker g_fileAsker = nullptr;

// The writer of the target's type with the user's settings; null for a type
// without one.
std::unique_ptr<CImageWriter> WriterFor(int type) {
    std::unique_ptr<CImageWriter> writer = NewImageWriter(type);
    const CAppOptions& options = g_applicationState.Options();
    if (auto* jpeg = dynamic_cast<CJpegWriter*>(writer.get())) {
        jpeg->m_quality = static_cast<int32_t>(options.jpeg.quality);
        jpeg->m_optimizeCoding = options.jpeg.optimizeCoding;
        jpeg->m_baseline = options.jpeg.baseline;
        jpeg->m_keepMetadata = options.jpeg.preserveMetadata;
    } else if (auto* png = dynamic_cast<CPngWriter*>(writer.get())) {
        png->m_interlace = options.pngInterlace;
    }
    return writer;
}

// Whether the written file holds exactly the image's pixels, so that the
// image may stand for the file afterwards.
bool FileHoldsImage(int type, const CImageObject* image) {
    if (type == kFileTypeJpeg)
        return !(image->bitsPerPixel == 1 ||
                 (image->bitsPerPixel == 8 && !image->IsGrayscalePalette()));
    if (type == kFileTypeWbmp)
        return image->bitsPerPixel == 1;
    return true;
}

void TakeFileState(const char* path, CImageObject* image) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return;
    image->fileTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    image->fileSize = data.nFileSizeLow;
}

// Tells the windows that a file was written: the lists of its folder learn
// of a new file, and the windows showing a changed one read it again.
void Announce(const char* target, bool existed) {
    const path_parts::FolderAndName parts = path_parts::Split(target);
    if (!existed) {
        g_applicationState.RefreshFileItemList(parts.folder.c_str());
        return;
    }
    if (CFileItemList* list =
            g_applicationState.FindFileItemList(kListFolder, parts.folder.c_str())) {
        SendItemListChange(list, kListChangeFileChanged, parts.name.c_str());
        ReleaseFileItemListHold(list);
    }
}

// The image with every pixel of its file: itself with one more reference,
// or a full-size decode of the file that has ended.
CImageObject* FullSizeImage(CImageObject* image) {
    if (image->IsFullyLoaded() || image->modified || !image->path[0]) {
        image->AddRef();
        return image;
    }
    CImageObject* full = g_applicationState.OpenImage(image->path, -1, -1, 0.0);
    if (!full)
        return nullptr;
    if (full->decodeThread)
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(full->decodeThread), INFINITE);
    return full;
}

bool AskOptionsForTarget(const char* target) {
    const int type = DetectImageFileType(target);
    return !HasSaveOptions(type) || AskSaveOptions(::GetActiveWindow(), type);
}

void CopyChosen(char* chosen, const char* target) {
    if (chosen)
        lstrcpynA(chosen, target, MAX_PATH);
}

} // namespace

bool AskReplaceExisting(const char* target, HWND owner) {
    char shown[MAX_PATH] = {};
    if (!::PathCompactPathExA(shown, target, 26, 0))
        lstrcpynA(shown, target, MAX_PATH);
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, "File %s already exists. Do you want to replace it?", shown);
    return ::MessageBoxA(owner, text, kCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

bool WriteImageFile(const char* target, CImageObject* image, bool rebind, bool ask, HWND owner) {
    if (!target || !*target || !image)
        return false;
    const bool existed = ::PathFileExistsA(target) != FALSE;
    if (existed && ask && !AskReplaceExisting(target, owner))
        return false;
    const int type = DetectImageFileType(target);
    std::unique_ptr<CImageWriter> writer = WriterFor(type);
    if (!writer)
        return false;
    if (!FileHoldsImage(type, image))
        rebind = false;
    if (!writer->Write(target, image))
        return false;
    if (rebind) {
        image->modified = false;
        TakeFileState(target, image);
        // Whatever the cache held for the path is older than the file now.
        g_applicationState.ForgetCachedImagePath(target);
    }
    Announce(target, existed);
    return true;
}

bool SaveImage(CImageObject* image, bool rebind, bool ask, HWND owner) {
    if (!image)
        return false;
    if (!IsWritableImageFileType(image->GetFileType())) {
        ::MessageBoxA(::GetActiveWindow(), "No encoder is supported for this image type", "Failed!",
                      MB_OK | MB_ICONERROR);
        return SaveImageAs(image, nullptr);
    }
    CWaitCursor wait;
    image->SetModified();
    return WriteImageFile(image->path, image, rebind, ask, owner);
}

bool SaveImageAs(CImageObject* image, char* chosen) {
    if (!image)
        return false;
    char target[MAX_PATH] = {};
    if (!AskSaveFileName(image->path, target) || !AskOptionsForTarget(target))
        return false;
    CWaitCursor wait;
    CImageObject* full = FullSizeImage(image);
    if (!full)
        return false;
    const bool written = WriteImageFile(target, full, false, false, nullptr);
    g_applicationState.ReleaseImage(full);
    if (written)
        CopyChosen(chosen, target);
    return written;
}

bool SaveImageCopyAs(const char* sourcePath, CImageObject* image, char* chosen) {
    if (!image)
        return false;
    char target[MAX_PATH] = {};
    if (!AskSaveFileName(sourcePath ? sourcePath : image->path, target) ||
        !AskOptionsForTarget(target))
        return false;
    CWaitCursor wait;
    const bool written = WriteImageFile(target, image, false, false, nullptr);
    if (written)
        CopyChosen(chosen, target);
    return written;
}

int SaveFilterIndexForType(int type) {
    switch (type) {
    case kFileTypeBmp:
        return 1;
    case kFileTypeGif:
        return 2;
    case kFileTypePng:
        return 3;
    case kFileTypePsd:
        return 4;
    case kFileTypeRas:
        return 5;
    case kFileTypeTiff:
        return 6;
    case kFileTypeJpeg:
        return 7;
    case kFileTypeWbmp:
        return 8;
    default:
        return 0;
    }
}

bool AskSaveFileName(const char* sourcePath, char* chosen) {
    static const char kFilters[] = "BMP (*.BMP)\0*.bmp\0"
                                   "GIF (*.GIF)\0*.gif\0"
                                   "PNG (*.PNG)\0*.png\0"
                                   "Photoshop (*.PSD)\0*.psd\0"
                                   "Sun Rasterfile (*.RAS)\0*.ras\0"
                                   "TIFF (*.TIF;*.TIFF)\0*.tif;*.tiff\0"
                                   "JPEG (*.JPG;*.JPEG;*.JPE)\0*.jpg;*.jpeg;*.jpe\0"
                                   "Wireless Bitmap (*.WBMP;*.WBM)\0*.wbmp;*.wbm\0";
    if (!chosen)
        return false;
    const std::string source = sourcePath ? sourcePath : "";
    const path_parts::FolderAndName parts = path_parts::Split(source);
    std::string name = parts.name;
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    const int filterIndex = SaveFilterIndexForType(DetectImageFileType(source.c_str()));
    if (g_fileAsker) {
        SaveFileRequest request;
        request.owner = ::GetActiveWindow();
        request.filters = kFilters;
        request.filterIndex = filterIndex;
        request.fileName = name.c_str();
        request.folder = parts.folder.empty() ? nullptr : parts.folder.c_str();
        request.defaultExtension = "BMP";
        return g_fileAsker(request, chosen);
    }
    char file[MAX_PATH] = {};
    lstrcpynA(file, name.c_str(), MAX_PATH);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ::GetActiveWindow();
    dialog.lpstrFilter = kFilters;
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex);
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = parts.folder.empty() ? nullptr : parts.folder.c_str();
    dialog.lpstrDefExt = "BMP";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT;
    if (!::GetSaveFileNameA(&dialog))
        return false;
    lstrcpynA(chosen, file, MAX_PATH);
    return true;
}

void SetSaveFileAsker(SaveFileAsker asker) {
    g_fileAsker = asker;
}

void SetSaveOptionsAsker(SaveOptionsAsker asker) {
    g_optionsAsker = asker;
}

bool SaveOptionsDialogsRegistered() {
    return g_optionsAsker != nullptr;
}

bool HasSaveOptions(int type) {
    return type == kFileTypePng || type == kFileTypeJpeg;
}

bool AskSaveOptions(HWND owner, int type) {
    if (!HasSaveOptions(type))
        return false;
    return g_optionsAsker ? g_optionsAsker(owner, type) : true;
}

} // namespace image_saving
