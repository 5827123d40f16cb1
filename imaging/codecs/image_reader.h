// Base class of every image format reader and the calling protocol they share.
//
// A reader fills a CImageObject from a file (or, for some formats, from a memory
// stream) and reports its progress through one callback so that windows can draw
// rows while decoding continues. The protocol, which every raster reader follows:
//
//   1. Open the source (file readers: OpenSource, a read-only mapping of the whole
//      file); failure returns false with the image untouched.
//   2. Store the file's last-write time and size in the image (OpenSource does it).
//   3. Parse the header and check the signature. A bad signature or a variant the
//      reader does not handle returns false here, before the image is touched further.
//   4. Store the size in the file as the image's full width and full height.
//   5. If the image's header-only flag is set, return true: no bitmap, no events.
//   6. Check the size against the reader's limits (SizeAllowed), create the pixel
//      buffer and push the palette.
//   7. SignalHeaderReady: SignalReady on the image, then event 2 (-1, -1).
//   8. Fill rows. Before each row test StopRequested; after each row or band call
//      ReportRows(position, count): position counts rows in decoding order from 0.
//   9. SignalComplete: SetComplete on the image, then event 3 (-1, -1); return true.
//
// A reader that fails after event 2 returns false without event 3. Readers never
// read past the end of their input and never write outside the pixel buffer.
#pragma once

#include <cstdint>

#include "imaging/byte_stream.h"
#include "imaging/win32_file.h"

class CImageObject;

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
    // Largest number of pixels (width x height) this decode may allocate; 0 = only
    // the image object's own process-wide cap applies.
    uint64_t m_pixelLimit = 0;

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

    // The release-after-decode flag: the last holder let the image go.
    static bool StopRequested(const CImageObject* image);

    // Step 7: SignalReady on the image, then event 2 (-1, -1).
    void SignalHeaderReady(CImageObject* image);
    // Adds count to the image's rows-decoded counter, then event 4 (position, count).
    void ReportRows(CImageObject* image, int32_t position, int32_t count);
    // Step 9: SetComplete on the image, then event 3 (-1, -1).
    void SignalComplete(CImageObject* image);
    // Sends one event; a null callback means nobody listens.
    void Notify(CImageObject* image, int32_t event, int32_t position, int32_t count);
};
