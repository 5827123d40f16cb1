// The image cache of the application object and the decode threads.
//
// The cache list is an index of the live images that OpenImage made (it holds
// no reference); the kept-image slot holds one reference to the image
// released last whose decoding had ended. Both, and every change of a cached
// image's reference count, are guarded by the image-cache lock. A decode
// thread never takes that lock: when the last holder lets go during a
// decode, ReleaseImage hands it the last reference through the
// release-after-decode flag, which both sides read and write under the
// image's own lock.
#include "app/image_cache.h"

#include <windows.h>
#include <process.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/window_hosts.h"
#include "app/logic/decode_size.h"
#include "app/logic/list_index.h"
#include "imaging/codecs/codec_registry.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

namespace {

// The decode thread's stack commit; the reserve comes from the executable's
// header. Passed as a commit size, never as a reservation.
constexpr unsigned kDecodeThreadStack = 4096;

#ifdef VXP_TEST_HOOKS
ImageDecodeObserver g_decodeObserver = nullptr;
uintptr_t g_decodeObserverContext = 0;
CachedImageDestroyObserver g_destroyObserver = nullptr;
uintptr_t g_destroyObserverContext = 0;

// Milliseconds to sleep after each band, from VXP_DECODE_BAND_DELAY_MS.
uint32_t BandDelayFromEnvironment() {
    char text[16];
    const DWORD n = GetEnvironmentVariableA("VXP_DECODE_BAND_DELAY_MS", text, sizeof text);
    if (n == 0 || n >= sizeof text)
        return 0;
    const long value = std::strtol(text, nullptr, 10);
    return value > 0 && value <= 10000 ? static_cast<uint32_t>(value) : 0;
}
#endif

// An image that OpenImage made. Its decode thread's handle must stay open
// while the image lives (others wait on it), so it is closed here.
class CCachedImage : public CImageObject {
public:
    explicit CCachedImage(const char* path) : CImageObject(path, nullptr) {}
    ~CCachedImage() override {
#ifdef VXP_TEST_HOOKS
        if (g_destroyObserver)
            g_destroyObserver(this, g_destroyObserverContext);
#endif
        if (decodeThread) {
            CloseHandle(reinterpret_cast<HANDLE>(decodeThread));
            decodeThread = 0;
        }
    }
};

// What a decode thread works on; made by OpenImage, freed by the thread.
struct DecodeJob {
    CImageObject* image;
    CImageReader* reader;
    uint32_t bandDelayMs; // test builds: sleep after each band
};

// Readers come from the codec registry with its pixel limit, the one every
// decode of the program runs under.
CImageReader* NewReader(int type) {
    return NewImageReader(type).release();
}

// A decode that failed may have met a file still being written: give the
// writer a moment. Up to three read-only opens, 500 ms apart; a file that
// does not exist will not appear by waiting, so that ends the wait at once.
void WaitForFile(const char* path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
        Sleep(500);
    }
}

bool RemoveFromList(std::vector<CImageObject*>& list, CImageObject* image) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == image) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

bool IsBeingDecoded(CImageObject* image) {
    return image->decodeThread != 0 && image->notLoaded;
}

// Gives back one reference of a cached image; the image-cache lock is held.
void ReleaseCachedLocked(std::vector<CImageObject*>& cache, CImageObject* image) {
    if (image->refCount == 1) {
        RemoveFromList(cache, image);
        plat::ScopedLock own(image->lock);
        if (IsBeingDecoded(image)) {
            // The reader stops at its next row; the decode thread drops this
            // last reference once the reader has returned.
            image->releaseAfterDecode = true;
            return;
        }
    }
    image->Release();
}

} // namespace

#ifdef VXP_TEST_HOOKS
void SetImageDecodeObserver(ImageDecodeObserver observer, uintptr_t context) {
    g_decodeObserverContext = context;
    g_decodeObserver = observer;
}

void SetCachedImageDestroyObserver(CachedImageDestroyObserver observer, uintptr_t context) {
    g_destroyObserverContext = context;
    g_destroyObserver = observer;
}
#endif

unsigned __stdcall ImageDecodeThread(void* arg) {
    DecodeJob* job = static_cast<DecodeJob*>(arg);
    CImageObject* image = job->image;
    job->reader->m_progress = ImageDecodeProgress;
    job->reader->m_progressUser = reinterpret_cast<uintptr_t>(job);
    const bool ok = job->reader->Read(image->path, image);
    bool release;
    {
        plat::ScopedLock own(image->lock);
        image->notLoaded = false;
        release = image->releaseAfterDecode;
    }
    // From here on the image may be destroyed by its holders unless this
    // thread was handed the last reference.
    if (release)
        image->Release();
    delete job->reader;
    delete job;
    return ok ? 0 : 1;
}

int32_t ImageDecodeProgress(CImageObject* image, int32_t event, int32_t first, int32_t count,
                            uintptr_t user) {
#ifdef VXP_TEST_HOOKS
    if (g_decodeObserver)
        g_decodeObserver(image, event, first, count, g_decodeObserverContext);
#endif
    NotifyImageWindows(image, event, first, count);
#ifdef VXP_TEST_HOOKS
    const DecodeJob* job = reinterpret_cast<const DecodeJob*>(user);
    if (event == kDecodeRows && job && job->bandDelayMs)
        Sleep(job->bandDelayMs);
#else
    (void)user;
#endif
    return 0;
}

CImageObject* CApplicationState::OpenImage(const char* path, int boxWidth, int boxHeight,
                                           double zoom) {
    if (!path || !*path)
        return nullptr;
    const int type = DetectImageFileType(path);
    if (type == kFileTypeUnknown)
        return nullptr;

    if (IsVectorImageFileType(type)) {
        // Metafiles are read at once on the calling thread and never cached:
        // each request reads the file again.
        CCachedImage* image = new (std::nothrow) CCachedImage(path);
        std::unique_ptr<CImageReader> reader(NewReader(type));
        if (!image || !reader) {
            if (image)
                image->Release();
            return nullptr;
        }
        if (!reader->Read(path, image)) {
            image->Release();
            return nullptr;
        }
        image->notLoaded = false;
        return image;
    }

    plat::ScopedLock guard(imageLock);
    for (auto it = imageCache.begin(); it != imageCache.end(); ++it) {
        CImageObject* entry = *it;
        if (lstrcmpiA(entry->path, path) != 0)
            continue;
        const bool decoding = entry->notLoaded;
        const bool hasRows = entry->rowsDecoded > 0;
        if ((decoding || hasRows) && !NeedsLargerDecode(entry, boxWidth, boxHeight, zoom)) {
            entry->AddRef();
            return entry;
        }
        if (!decoding && !hasRows)
            WaitForFile(path);
        // Replaced by a new decode; whoever holds the old image keeps it.
        imageCache.erase(it);
        break;
    }

    CCachedImage* image = new (std::nothrow) CCachedImage(path);
    if (!image)
        return nullptr;
    if (image->readyEvent.NativeHandle() == 0) {
        image->Release();
        return nullptr;
    }
    CImageReader* reader = NewReader(type);
    DecodeJob* job = reader ? new (std::nothrow) DecodeJob{image, reader, 0} : nullptr;
    if (!job) {
        delete reader;
        image->Release();
        return nullptr;
    }
    reader->m_maxWidth = boxWidth;
    reader->m_maxHeight = boxHeight;
    reader->m_zoom = zoom;
#ifdef VXP_TEST_HOOKS
    job->bandDelayMs = BandDelayFromEnvironment();
#endif
    image->Invalidate();
    const uintptr_t thread =
        _beginthreadex(nullptr, kDecodeThreadStack, ImageDecodeThread, job, 0, nullptr);
    if (thread == 0) {
        delete reader;
        delete job;
        image->Release();
        return nullptr;
    }
    image->decodeThread = thread;
    imageCache.push_back(image);
    return image;
}

bool CApplicationState::NeedsLargerDecode(CImageObject* image, int boxWidth, int boxHeight,
                                          double zoom) {
    if (!image || DetectImageFileType(image->path) != kFileTypeJpeg)
        return false;
    if (image->notLoaded) {
        // Until the header is known (or the decode has ended) the decoded
        // size means nothing. The ready event comes early in the decode.
        HANDLE handles[2];
        DWORD n = 0;
        if (image->decodeThread)
            handles[n++] = reinterpret_cast<HANDLE>(image->decodeThread);
        if (image->readyEvent.NativeHandle())
            handles[n++] = reinterpret_cast<HANDLE>(image->readyEvent.NativeHandle());
        if (image->decodeThread && n > 0)
            WaitForMultipleObjects(n, handles, FALSE, INFINITE);
    }
    return DecodedSizeTooSmall(image->width, image->height, image->fullWidth, image->fullHeight,
                               boxWidth, boxHeight, zoom);
}

void CApplicationState::ReleaseImage(CImageObject* image) {
    plat::ScopedLock guard(imageLock);
    if (!image) {
        CImageObject* kept = keptImage;
        keptImage = nullptr;
        if (kept)
            ReleaseCachedLocked(imageCache, kept);
        return;
    }
    if (IsBeingDecoded(image)) {
        ReleaseCachedLocked(imageCache, image);
        return;
    }
    // A finished image waits in the slot so that going back to it costs
    // nothing; the caller's reference now belongs to the slot.
    CImageObject* previous = keptImage;
    keptImage = image;
    if (previous)
        ReleaseCachedLocked(imageCache, previous);
}

CImageObject* CApplicationState::OpenListImage(CFileItemList* list, int index, int boxWidth,
                                               int boxHeight, double zoom) {
    if (!list)
        return nullptr;
    char path[MAX_PATH];
    list->Lock();
    const int item = ClampIndex(index, list->GetItemCount());
    const bool ok = item >= 0 && (list->IsArchiveList() ? list->GetExtractedPath(item, path)
                                                        : list->GetItemPath(item, path));
    list->Unlock();
    return ok ? OpenImage(path, boxWidth, boxHeight, zoom) : nullptr;
}

bool CApplicationState::ForgetCachedImagePath(const char* path) {
    if (!path)
        return false;
    plat::ScopedLock guard(imageLock);
    // The lookup ignores letter case, so forgetting must too: otherwise a
    // file cached under another case would be served stale.
    for (auto it = imageCache.rbegin(); it != imageCache.rend(); ++it) {
        if (lstrcmpiA((*it)->path, path) == 0) {
            imageCache.erase(std::next(it).base());
            return true;
        }
    }
    return false;
}

void CApplicationState::RetargetImage(CImageObject* image, const char* newPath) {
    if (!image || !newPath || !*newPath)
        return;
    plat::ScopedLock guard(imageLock);
    lstrcpynA(image->path, newPath, static_cast<int>(sizeof(image->path)));
}

bool CApplicationState::ForgetCachedImage(CImageObject* image) {
    if (!image)
        return false;
    plat::ScopedLock guard(imageLock);
    return RemoveFromList(imageCache, image);
}

namespace {

// A fresh image read by the reader of `type` through read(reader, image);
// null when there is no such reader or the read fails.
template <class Read> CImageObject* ReadNewImage(int type, Read read) {
    std::unique_ptr<CImageReader> reader(NewReader(type));
    if (!reader)
        return nullptr;
    CImageObject* image = new (std::nothrow) CImageObject();
    if (!image)
        return nullptr;
    const bool ok = read(*reader, image);
    image->notLoaded = false;
    if (!ok) {
        image->Release();
        return nullptr;
    }
    return image;
}

} // namespace

CImageObject* LoadImageScaled(const char* path, int width, int height) {
    if (!path)
        return nullptr;
    return ReadNewImage(DetectImageFileType(path), [&](CImageReader& reader, CImageObject* image) {
        reader.m_maxWidth = width;
        reader.m_maxHeight = height;
        return reader.ReadScaled(path, image);
    });
}

CImageObject* ReadImageInfo(const char* path) {
    if (!path)
        return nullptr;
    const int type = DetectImageFileType(path);
    if (IsVectorImageFileType(type))
        return nullptr;
    return ReadNewImage(type, [&](CImageReader& reader, CImageObject* image) {
        image->headerOnly = true;
        return reader.Read(path, image);
    });
}

int WrapListIndex(int index, CFileItemList* list, bool backward) {
    if (!list)
        return -1;
    list->Lock();
    const int count = list->GetItemCount();
    list->Unlock();
    return WrapIndex(index, count, backward);
}
