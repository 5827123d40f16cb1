// The one small platform layer of the program.
//
// Everything the core (imaging, catalogue, zip) needs from the operating
// system goes through the functions and classes declared here. The Windows
// side (platform/*_win32.cpp) calls the real Win32 API; the native side
// (platform/*_posix.cpp) implements the same contract on POSIX so that the
// core can be built and tested with sanitizers. This header never includes
// <windows.h>: handles travel in pointer-sized integers or in forward-declared
// handle types that are identical to the Win32 ones.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform_types.h"

namespace plat {

// ---------------------------------------------------------------------------
// Error codes: the Win32 values, on every platform. The native side maps errno
// onto these (ENOENT becomes 2 or 3, EEXIST 80, EACCES 5 and so on).
// ---------------------------------------------------------------------------
enum : uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorTooManyOpenFiles = 4,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorInvalidDrive = 15,
    kErrorWriteProtect = 19,
    kErrorSharingViolation = 32,
    kErrorLockViolation = 33,
    kErrorHandleEof = 38,
    kErrorNotSupported = 50,
    kErrorFileExists = 80,
    kErrorInvalidParameter = 87,
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,
    kErrorNegativeSeek = 131,
    kErrorDirNotEmpty = 145,
    kErrorAlreadyExists = 183,
    kErrorFilenameTooLong = 206,
    kErrorFileInvalid = 1006, // also: an empty file cannot be mapped
    kErrorGenFailure = 31,
    kErrorIoDevice = 1117,
};

// Last error of the calling thread, as GetLastError/SetLastError.
uint32_t LastError();
void SetLastErrorCode(uint32_t code);

// ---------------------------------------------------------------------------
// Files with Win32 semantics.
// ---------------------------------------------------------------------------

// Access rights (GENERIC_READ, GENERIC_WRITE).
enum : uint32_t {
    kAccessRead = 0x80000000u,
    kAccessWrite = 0x40000000u,
};

// Share modes (FILE_SHARE_*). The native side has no share modes: it accepts
// them and ignores them.
enum : uint32_t {
    kShareNone = 0,
    kShareRead = 1,
    kShareWrite = 2,
    kShareDelete = 4,
};

// Creation dispositions (CREATE_NEW ... TRUNCATE_EXISTING).
enum : uint32_t {
    kCreateNew = 1,
    kCreateAlways = 2,
    kOpenExisting = 3,
    kOpenAlways = 4,
    kTruncateExisting = 5,
};

// Seek origins (FILE_BEGIN, FILE_CURRENT, FILE_END).
enum : int {
    kSeekBegin = 0,
    kSeekCurrent = 1,
    kSeekEnd = 2,
};

// Opens or creates a file. Returns kInvalidFile and sets the last error on
// failure. A missing file gives kErrorFileNotFound, a missing parent folder
// kErrorPathNotFound, an existing file with kCreateNew kErrorFileExists.
FileHandle OpenFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition);

// Test hook for the open path: when set, every OpenFile first asks the hook;
// a non-zero result makes that open fail with the returned error code (the
// native side has no share modes, so a busy file can only be simulated).
// Pass nullptr to remove it. Not meant for production code.
using OpenFileErrorHook = uint32_t (*)(const char* path, uintptr_t context);
void SetOpenFileErrorHook(OpenFileErrorHook hook, uintptr_t context);

bool CloseFile(FileHandle file);

// Moves the file pointer; returns the new position or -1 on failure.
int64_t SeekFile(FileHandle file, int64_t offset, int origin);

// Size of the open file, or -1 on failure.
int64_t FileSize(FileHandle file);

// Reads or writes up to count bytes at the file pointer. On success *done holds
// the bytes transferred (a read at the end of the file succeeds with 0).
bool ReadFileBytes(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
bool WriteFileBytes(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);

// Reads or writes up to count bytes at a byte offset, without using or
// moving the file pointer as far as the caller can rely on (pread/pwrite; on
// Windows an OVERLAPPED offset, after which the pointer is unspecified). A
// read stops early only at the end of the file; *done holds the bytes moved.
bool ReadFileAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* done);
bool WriteFileAt(FileHandle file, uint64_t offset, const void* buffer, uint32_t count,
                 uint32_t* done);
// One piece of a scattered read: bytes go to data.
struct IoSlice {
    void* data;
    uint32_t bytes;
};
// Reads into count slices one after another from offset (readv at an
// offset; staged through one buffer where the system has no such call).
// *done holds the bytes read; it falls short only at the end of the file.
bool ReadFileScatterAt(FileHandle file, uint64_t offset, const IoSlice* slices, uint32_t count,
                       uint32_t* done);
// Writes count buffers of pieceBytes each, one after another from offset,
// in as few calls as the system allows. True when every byte was written.
bool WriteFileGatherAt(FileHandle file, uint64_t offset, const void* const* pieces,
                       uint32_t pieceBytes, uint32_t count);

bool FlushFile(FileHandle file);

// Cuts or extends the file at the current file pointer (SetEndOfFile).
bool SetFileEndHere(FileHandle file);

// Last-write time of an open file as a FILETIME value (100 ns since 1601).
bool FileLastWriteTime(FileHandle file, FileTimeValue* time);
// Sets the last-write time of an open file, in seconds since 1970-01-01 UTC
// (the last-access time becomes now; seconds < 0 means now). Later writes through the handle leave
// it alone, so it can be set just before the handle is closed.
bool SetFileModTimeOf(FileHandle file, int64_t seconds);

// Facts about a path without opening it. exists is false when the path does
// not name anything (the last error then says why).
struct PathInfo {
    bool exists;
    bool isDirectory;
    uint64_t size;
    FileTimeValue lastWriteTime;
};
bool QueryPath(const char* path, PathInfo* info);

// Deletes a file (DeleteFileA).
bool RemoveFile(const char* path);

// Renames or moves a file (MoveFileExA). With replaceExisting an existing
// target is replaced in one step: writers write a temporary file in the
// target's folder and move it over the target only when the write succeeded.
bool RenameFile(const char* from, const char* to, bool replaceExisting);

// Folder for temporary files, ending with a path separator (GetTempPathA).
// Returns the length written, 0 when it does not fit or fails.
uint32_t TempFolderPath(char* out, uint32_t capacity);

// Unique temporary file name (GetTempFileNameA): folder, separator, up to the
// first three characters of the prefix, four hex digits, ".tmp". With unique 0
// a free number is chosen and the empty file is created; otherwise the name is
// only formed. out must hold kMaxPath characters. Returns the number used, 0 on
// failure.
uint32_t MakeTempFileName(const char* folder, const char* prefix, uint32_t unique, char* out);

// ---------------------------------------------------------------------------
// File mapping of a whole file.
// ---------------------------------------------------------------------------

// Creates a mapping object for all of an open file; kInvalidMapping on
// failure. An empty file cannot be mapped (kErrorFileInvalid).
MappingHandle CreateFileMappingOf(FileHandle file, bool readOnly);
// Maps a view of the whole mapping; nullptr on failure. With readOnly the
// pages cannot be written; otherwise writes reach the file (shared mapping).
void* MapWholeView(MappingHandle mapping, bool readOnly);
// length is the mapped size (the file's size when mapped); the Windows side
// ignores it.
bool UnmapWholeView(void* view, size_t length);
bool FlushMappedView(void* view, size_t length);
bool CloseFileMapping(MappingHandle mapping);

// True when the page holding address may be written by this process
// (VirtualQuery on Windows, the memory map natively); used to check that
// read-only views
// really are read-only.
bool IsMemoryWritable(const void* address);

// ---------------------------------------------------------------------------
// Threads and synchronisation.
// ---------------------------------------------------------------------------

// A recursive lock, like a Win32 critical section: the owning thread may enter
// it again and must leave it as often as it entered.
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();
    bool TryEnter();

private:
    void* impl_;
};

// Holds a critical section for the lifetime of the guard.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~ScopedLock() { section_.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& section_;
};

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// A manual-reset event (or auto-reset when asked): Set signals it, Reset
// clears it, Wait returns true when it is signalled within the timeout.
class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool Set();
    bool Reset();
    bool Wait(uint32_t timeoutMs);
    bool IsSet() { return Wait(0); }
    // The Win32 event HANDLE on Windows (for WaitForMultipleObjects); an
    // opaque non-zero value natively. 0 when the event could not be created.
    uintptr_t NativeHandle() const;

private:
    void* impl_;
};

// Interlocked operations on 32-bit values; each returns the new value.
int32_t AtomicIncrement(volatile int32_t* value);
int32_t AtomicDecrement(volatile int32_t* value);

void SleepMs(uint32_t milliseconds);

// Monotonic milliseconds for measuring intervals.
uint64_t MonotonicMs();

// ---------------------------------------------------------------------------
// Pixel buffers standing in for DIB sections.
// ---------------------------------------------------------------------------

// Creates a top-down pixel buffer from a header (whose height is negative)
// and its colour table. On Windows this is CreateDIBSection on a memory
// context compatible with the screen; natively a zeroed, 16-byte aligned heap
// buffer of stride x height bytes. The header's colour table (colorsUsed
// entries, when non-zero) is taken over by Windows; natively it is ignored.
// Returns false (both outputs null) on failure.
bool CreatePixelBuffer(const DibInfo* info, BitmapHandle* bitmap, void** bits);

// Frees a buffer made by CreatePixelBuffer; a null handle is ignored.
void DeletePixelBuffer(BitmapHandle bitmap);

// Sets the first count colour table entries of a 1- or 8-bpp buffer
// (SetDIBColorTable). Natively there is no colour table: returns true.
bool SetPixelBufferColorTable(BitmapHandle bitmap, const PaletteEntry* entries, uint32_t count);

// Reads the colour table back (GetDIBColorTable). Returns the number of entries
// read; natively 0.
uint32_t GetPixelBufferColorTable(BitmapHandle bitmap, PaletteEntry* entries, uint32_t count);

// Largest number of bytes CreatePixelBuffer accepts for one buffer.
constexpr uint64_t kMaxPixelBufferBytes = 0x7FFFFFFFu;

// ---------------------------------------------------------------------------
// Enhanced metafiles (vector images). Real only on Windows; natively there are
// no metafiles and these calls fail or do nothing.
// ---------------------------------------------------------------------------

// Size of the metafile header record (ENHMETAHEADER) the readers fill.
size_t MetafileHeaderSize();
MetafileHeader* AllocMetafileHeaderRecord();
void FreeMetafileHeaderRecord(MetafileHeader* header);
void DeleteMetafile(MetafileHandle metafile);

// Fills (0, 0, width, height) of a 24-bpp pixel buffer with the background
// colour and plays the metafile into that rectangle. Natively false.
bool RenderMetafileInto(BitmapHandle bitmap, int32_t width, int32_t height, uint8_t blue,
                        uint8_t green, uint8_t red, MetafileHandle metafile);

} // namespace plat
