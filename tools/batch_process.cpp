#include "tools/batch_process.h"

#include <shlwapi.h>

#include "app/application_state.h"
#include "app/image_saving.h"
#include "app/logic/output_naming.h"
#include "app/logic/path_parts.h"
#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "imaging/operations/color_adjustments.h"
#include "resources/resource.h"

#ifdef VXP_TEST_HOOKS
namespace {
WorkerItemObserver g_itemObserver = nullptr;
}
void SetWorkerItemObserver(WorkerItemObserver observer) {
    g_itemObserver = observer;
}
void NotifyWorkerItemObserver(HWND dialog, int finished) {
    if (g_itemObserver)
        g_itemObserver(dialog, finished);
}
#endif

namespace {

bool FileExists(const std::string& path) {
    return ::PathFileExistsA(path.c_str()) != FALSE;
}

} // namespace

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Tells the windows about a file written by the lossless transform, which
// bypasses the image writers and their announcement.
void AnnounceWritten(const std::string& path, bool existed) {
    const path_parts::FolderAndName parts = path_parts::Split(path);
    if (existed)
        g_applicationState.OnFileModified(parts.folder.c_str(), parts.name.c_str());
    else
        g_applicationState.OnFileAdded(0, parts.folder.c_str(), parts.name.c_str());
}

} // namespace

bool AdjustmentChangesNothing(const CImageOperation& operation) {
    std::vector<int> values;
    if (auto* bc = dynamic_cast<const CBrightnessContrastOp*>(&operation)) {
        values = {bc->brightness, bc->contrast};
    } else if (auto* cb = dynamic_cast<const CColorBalanceOp*>(&operation)) {
        for (const auto& axis : cb->values)
            for (double value : axis)
                values.push_back(value != 0.0 ? 1 : 0);
    } else if (auto* hs = dynamic_cast<const CHueSaturationOp*>(&operation)) {
        for (int i = 0; i < CHueSaturationOp::kRanges; ++i) {
            values.push_back(hs->hue[i]);
            values.push_back(hs->saturation[i]);
            values.push_back(hs->lightness[i]);
        }
    } else {
        return false;
    }
    return batch_plan::ChangesNothing(values);
}

CImageObject* ReadWholeImage(const char* path) {
    CImageObject* image = g_applicationState.OpenImage(path, -1, -1, 0.0);
    if (!image)
        return nullptr;
    // The ready event comes as soon as the bitmap exists, long before its
    // rows: only the end of the decode thread says the picture is whole,
    // and a reader that fails early never sets the event at all.
    bool decoded = true;
    if (image->decodeThread) {
        const HANDLE thread = reinterpret_cast<HANDLE>(image->decodeThread);
        ::WaitForSingleObject(thread, INFINITE);
        DWORD code = 0;
        decoded = ::GetExitCodeThread(thread, &code) && code == 0;
    }
    if (!decoded || !image->IsFullyLoaded()) {
        g_applicationState.ReleaseImage(image);
        // A failed decode must not be handed out again from the cache.
        g_applicationState.ForgetCachedImagePath(path);
        return nullptr;
    }
    return image;
}

void CBatchProcessDialog::Work() {
    if (!command || !operation)
        return;
    ::SetWindowTextA(m_hWnd, command->verb);
    const int count = static_cast<int>(paths.size());
    for (int i = 0; i < count; ++i) {
        Status(std::string(command->verb) + " image " + std::to_string(i + 1) + " of " +
               std::to_string(count) + "...");
        Step();
        if (cancel)
            break;
        DoFile(paths[i]);
        FileFinished(i + 1);
    }
    Step();
}

void CBatchProcessDialog::Fail(const std::string& path, const char* reason) {
    failures.push_back({path, reason});
}

void CBatchProcessDialog::DoFile(const std::string& path) {
    const int type = DetectImageFileType(path.c_str());
    if (type == kFileTypeUnknown) {
        Fail(path, "it is not an image file");
        return;
    }
    const batch_plan::ItemStep step = batch_plan::StepFor(type, *command);
    if (step == batch_plan::ItemStep::kUnsupported) {
        Ask([](HWND owner) {
            return ::MessageBoxA(owner, "Image type is not supported", "Failed!",
                                 MB_OK | MB_ICONERROR);
        });
        return;
    }
    const std::string target =
        BatchOutputPath(saveMode, path, command->noun, outputFolder, FileExists);
    if (target.empty()) {
        Fail(path, "the name of its result is too long");
        return;
    }
    const bool existed = FileExists(target);
    const bool replacesSource = lstrcmpiA(target.c_str(), path.c_str()) == 0;
    // One question for both ways of writing: the lossless transform asks
    // before it writes, as the image writers do.
    if (saveMode != 0 && existed && !replacesSource &&
        !Ask([&](HWND owner) { return image_saving::AskReplaceExisting(target.c_str(), owner); }))
        return;
    if (!IsWritableImageFileType(DetectImageFileType(target.c_str()))) {
        Fail(path, "no encoder is supported for this image type");
        return;
    }
    // A file marked read-only is never replaced, whatever the file system
    // would allow a rename to do.
    if (existed && IsReadOnlyFile(target)) {
        Fail(path, "its result would replace a read-only file");
        return;
    }

    if (step == batch_plan::ItemStep::kLossless) {
        CJpegLosslessOp lossless;
        lossless.operation = command->losslessOperation;
        lossless.angle = command->losslessAngle;
        if (lossless.TransformFile(target.c_str(), path.c_str())) {
            g_applicationState.ForgetCachedImagePath(target.c_str());
            AnnounceWritten(target, existed);
            ++written;
            return;
        }
        // Not a JPEG the transform can take (or it could not write): the
        // pixels are turned instead.
    }

    CImageObject* source = ReadWholeImage(path.c_str());
    if (!source) {
        Fail(path, "it could not be read");
        return;
    }
    auto* result = new (std::nothrow) CImageObject(target.c_str(), source->exif);
    operation->cancel = false;
    const bool applied = result && operation->Apply(result, source);
    g_applicationState.ReleaseImage(source);
    if (!applied) {
        if (result)
            result->Release();
        Fail(path, "the command could not be applied to it");
        return;
    }
    result->notLoaded = false;
    result->SetModified();
    if (image_saving::WriteImageFile(target.c_str(), result, false, false, m_hWnd)) {
        g_applicationState.ForgetCachedImagePath(target.c_str());
        ++written;
    } else {
        Fail(path, "its result could not be written");
    }
    result->Release();
}

void CBatchProcessDialog::OnWorkEnded() {
    const std::string report = batch_plan::FailureReport(failures, static_cast<int>(paths.size()));
    if (!report.empty())
        ::MessageBoxA(m_hWnd, report.c_str(), "Failed!", MB_OK | MB_ICONERROR);
}
