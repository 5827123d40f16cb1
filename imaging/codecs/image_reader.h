// Base class of every image format reader and the calling protocol they share.
//
// A reader fills a CImageObject from a file (or, for some formats, from a memory
// stream) and reports its progress through one callback so that windows can draw
// rows while decoding continues. The protocol, which every raster reader follows,
// in this order:
//
//   - Open the source (file readers: OpenSource, a read-only mapping of the whole
//     file); failure returns false with the image untouched.
//   - Store the file's last-write time and size in the image (OpenSource does it).
//   - Parse the header and check the signature. A bad signature or a variant the
//     reader does not handle returns false here, before the image is touched further.
//   - Store the size in the file as the image's full width and full height, then
//     refuse a size over the limits (SizeAllowed): a header that claims more pixels
//     than the decode may have is refused before anything is allocated for it, even
//     by a header-only read, and the full size it claimed stays in the image so that
//     the caller can say why (ExceedsPixelLimit).
//   - If the image's header-only flag is set, return true: no bitmap, no events.
//   - Create the pixel buffer and push the palette.
//   - SignalHeaderReady: SignalReady on the image, then event 2 (-1, -1).
//   - Fill rows. Before each row test StopRequested; after each row or band call
//     ReportRows(position, count): position counts rows in decoding order from 0.
//   - SignalComplete: SetComplete on the image, then event 3 (-1, -1); return true.
//
// A reader that fails after event 2 returns false without event 3. Readers never
// read past the end of their input and never write outside the pixel buffer.
#pragma once

#include <cstdint>

#include "imaging/byte_stream.h"
#include "imaging/win32_file.h"

class CImageObject;

// The most pixels (width x height) any decode of the program may allocate:
// 128 megapixels, the area limit Debian's image tools ship with. A few bytes of
// lying header must not make a reader ask for gigabytes; a real image this
// large is not something a viewer of this kind can show anyway.
constexpr uint64_t kImagePixelLimit = uint64_t(128) << 20;

// True when a size claimed by a file is over kImagePixelLimit: the reason to
// give the user when a decode of such a file fails.
bool ExceedsPixelLimit(int64_t width, int64_t height);

// Events of the progress callback; the numbers are part of the protocol.
enum EDecodeEvent : int32_t {
    kDecodeHeaderReady = 2, // (-1, -1): bitmap and palette exist, ready event set
    kDecodeComplete = 3,    // (-1, -1): decoding has ended
    kDecodeRows = 4,        // (position, count): count more rows hold final pixels
};

// callback(image, event, position, count, user). The user value is whatever the
// caller stored in m_progressUser (the image cache passes its routing record).
// The result is ignored by every reader.
typedef int32_t (*ImageProgressCallback)(CImageObject* image, int32_t event, int32_t position,
                                         int32_t count, uintptr_t user);

class CImageReader {
public:
    CImageReader() = default;
    virtual ~CImageReader();

    // Decodes the whole file at path into image.
    virtual bool Read(const char* path, CImageObject* image) = 0;

    // Decodes so that the result fits into (m_maxWidth, m_maxHeight); -1 in either
    // means no limit in that direction. The image's full size is the size in the file.
    virtual bool ReadScaled(const char* path, CImageObject* image);

    // Options the caller sets before a call. Readers that do not use one ignore it.
    ImageProgressCallback m_progress = nullptr;
    uintptr_t m_progressUser = 0;
    int32_t m_maxWidth = -1;  // box for a reduced decode; -1 = none
    int32_t m_maxHeight = -1; // as above
    double m_zoom = 0.0;      // scale the image will be shown at; 0.0 = not given (1.0)
    int32_t m_pageLimit = -1; // pages a multi-page reader reads; -1 = all
    // Largest number of pixels (width x height) the file may claim; 0 = only the
    // image object's own process-wide cap applies. Tests and fuzzers lower it.
    uint64_t m_pixelLimit = kImagePixelLimit;

protected:
    // Opens path read-only, maps all of it and stores its time and size in image.
    // On success view is a non-owning stream over the whole mapped file.
    static bool OpenSource(const char* path, CMappedFile& file, CByteStream& view,
                           CImageObject* image);
    // Read(path) of a reader that works on the mapped bytes alone: OpenSource,
    // then decode(view) while the mapping lives.
    template <class Decode>
    static bool ReadMapped(const char* path, CImageObject* image, Decode decode) {
        CMappedFile file;
        CByteStream view;
        return OpenSource(path, file, view, image) && decode(view);
    }

    // True when a bitmap of width x height may be created under m_pixelLimit:
    // both sides positive and the pixel count within the limit.
    bool SizeAllowed(int64_t width, int64_t height) const;
    // True when width x height (both positive) is more than m_pixelLimit allows.
    bool OverPixelLimit(int64_t width, int64_t height) const;

    // The release-after-decode flag: the last holder let the image go.
    static bool StopRequested(const CImageObject* image);

    // The bitmap exists: SignalReady on the image, then event 2 (-1, -1).
    void SignalHeaderReady(CImageObject* image);
    // Adds count to the image's rows-decoded counter, then event 4 (position, count).
    void ReportRows(CImageObject* image, int32_t position, int32_t count);
    // Decoding has ended: SetComplete on the image, then event 3 (-1, -1).
    void SignalComplete(CImageObject* image);
    // Sends one event; a null callback means nobody listens.
    void Notify(CImageObject* image, int32_t event, int32_t position, int32_t count);
};
