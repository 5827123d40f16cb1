// Base class of every image format writer and the file target they write through.
//
// Writing protocol, followed by every writer:
//   1. Open a CImageFileTarget for the path. It creates a temporary file in the
//      target's own folder; when that fails (missing folder, no rights) Write
//      returns false and nothing exists on disk that did not exist before.
//   2. Write the whole file from the image's current pixels, palette and metadata;
//      the image itself is not changed. Every write is checked: a short or failed
//      write makes Write return false.
//   3. Commit: close the temporary file (checked), put it in place of the target,
//      and store the new file's last-write time in the image.
// A writer that fails anywhere leaves the old target exactly as it was and no
// temporary file behind (the target's destructor removes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/codecs/image_reader.h"

class CImageObject;
class CWin32File;

class CImageWriter {
public:
    CImageWriter() = default;
    virtual ~CImageWriter();

    // Stores image into a file at path, replacing an existing file only on success.
    virtual bool Write(const char* path, CImageObject* image) = 0;

    // Present for symmetry with the readers; no writer calls it.
    ImageProgressCallback m_progress = nullptr;
    uintptr_t m_progressUser = 0;
};

// True when the fourth byte of every pixel of a 32-bpp image is 0: a bitmap
// that does not use it, not an image that is wholly transparent. Writers of
// formats with an alpha channel then store three channels.
bool FourthByteUnused(const CImageObject* image);

// A file written beside its target and moved over it only when complete.
//
// Writers that produce bytes themselves use Open, Write and Commit. Writers whose
// library opens files by name (stdio, libtiff) use Reserve, write to TempPath()
// with their own file access, close it themselves (checking the result), then Commit.
class CImageFileTarget {
public:
    CImageFileTarget();
    ~CImageFileTarget(); // removes the temporary file unless committed
    CImageFileTarget(const CImageFileTarget&) = delete;
    CImageFileTarget& operator=(const CImageFileTarget&) = delete;

    // Creates the temporary file beside targetPath and opens it for writing.
    bool Open(const char* targetPath);
    // Creates the temporary file beside targetPath (empty, closed) for a writer
    // that opens it by name.
    bool Reserve(const char* targetPath);
    // Path of the temporary file; empty before Open or Reserve.
    const char* TempPath() const { return m_tempPath.c_str(); }

    // Writes all count bytes to the file opened by Open. A failure is remembered:
    // every later Write and Commit then fail too.
    bool Write(const void* data, size_t count);
    bool WriteUInt16LE(uint16_t value);
    bool WriteUInt32LE(uint32_t value);
    // True while no write has failed.
    bool Good() const { return !m_failed; }

    // Closes the file (checked), replaces the target with it and, when image is not
    // null, stores the new file's last-write time in image. False on any failure,
    // after which the target is unchanged and the temporary file removed.
    bool Commit(CImageObject* image);
    // Closes and removes the temporary file; the target is left alone.
    void Abandon();

private:
    bool CreateTemp(const char* targetPath);

    std::unique_ptr<CWin32File> m_file;
    std::string m_targetPath;
    std::string m_tempPath;
    bool m_failed = false;
    bool m_committed = false;
};
