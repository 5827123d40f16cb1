// Files over an operating-system handle. The open retries briefly when the
// file is busy (another thread or program writing it); CMappedFile maps the
// whole file so that readers parse its bytes through a CByteStream.
#pragma once

#include <cstdint>

#include "platform/platform_types.h"

namespace plat {
struct IoSlice;
}

// Open flags of CWin32File::Open.
enum : uint32_t {
    kFileRead = 0x1,          // read access, shared for reading
    kFileWrite = 0x2,         // write access (without kFileRead), not shared
    kFileOpenOrCreate = 0x10, // OPEN_ALWAYS; with 0x20 CREATE_NEW, with 0x40 TRUNCATE_EXISTING
    kFileCreateNew = 0x20,    // only together with kFileOpenOrCreate
    kFileTruncate = 0x40,     // alone: CREATE_ALWAYS
};
// Neither kFileRead nor kFileWrite: read and write access, not shared.

class CWin32File {
public:
    CWin32File() = default;
    CWin32File(const char* path, uint32_t flags); // constructs closed, then Open
    virtual ~CWin32File();
    CWin32File(const CWin32File&) = delete;
    CWin32File& operator=(const CWin32File&) = delete;

    // Closes an open handle first. Up to three attempts; errors 2, 3, 15 and
    // 80 fail at once, others wait 500 ms after each failed attempt. The file
    // is closed after a failure.
    virtual bool Open(const char* path, uint32_t flags);
    virtual bool Close();
    // origin 0 begin, 1 current, other end. New position or -1.
    virtual int64_t Seek(int64_t offset, int origin);
    virtual int64_t GetSize();
    // Bytes transferred, or -1 when the call fails.
    virtual int64_t Read(void* buffer, uint32_t count);
    virtual int64_t Write(const void* buffer, uint32_t count);
    virtual bool Flush();
    // Seek(position, 0), then cut or extend the file there.
    virtual bool SetEnd(int64_t position);

    // Positioned transfers: no seek first, and the file position afterwards
    // is unspecified. A read falls short only at the end of the file.
    // Bytes transferred, or -1 when the call fails.
    virtual int64_t ReadAt(uint64_t offset, void* buffer, uint32_t count);
    virtual int64_t WriteAt(uint64_t offset, const void* buffer, uint32_t count);
    // Reads into the slices one after another from offset; bytes read or -1.
    virtual int64_t ReadScatterAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count);
    // Writes count pieces of pieceBytes each one after another from offset;
    // true only when every byte was written.
    virtual bool WriteGatherAt(uint64_t offset, const void* const* pieces, uint32_t pieceBytes,
                               uint32_t count);

    bool IsOpen() const { return handle != plat::kInvalidFile; }
    // Last-write time of the open file (FILETIME value); 0 when unknown.
    plat::FileTimeValue GetLastWriteTime();

    plat::FileHandle handle = plat::kInvalidFile; // kInvalidFile when closed
};

class CMappedFile : public CWin32File {
public:
    CMappedFile() = default;
    ~CMappedFile() override;

    // Close (the mapping), remember the flags, open the file, then map all of
    // it: read-only when flags are exactly kFileRead, read-write otherwise.
    // An empty file fails.
    bool Open(const char* path, uint32_t flags) override;
    // Unmaps the view and closes the mapping; the file stays open until the
    // destructor. Always true.
    bool Close() override;
    bool Flush() override;

    uint8_t* view = nullptr;                             // the file's bytes from offset 0
    uint64_t viewSize = 0;                               // bytes mapped (the file's size)
    plat::MappingHandle mapping = plat::kInvalidMapping; // kInvalidMapping when none
    uint32_t openFlags = 0;                              // flags of the last Open
};
