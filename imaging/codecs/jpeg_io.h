// The pieces every libjpeg user of the codecs shares: an error manager that
// leaves the library's frames with longjmp, a source manager over memory and
// a destination manager that writes through a CImageFileTarget.
//
// Error handling: the caller embeds a JpegErrorManager, calls InstallJpegErrors
// before creating the libjpeg object, then `if (setjmp(err.jump)) { ... }`
// around its library calls. Only plain C data may be created between the
// setjmp and a library call that can fail; objects with destructors live in
// the caller's caller or before the setjmp, so the jump skips none of them.
// Warnings (corrupt or truncated data) are counted by the library and not
// printed; only errors jump.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

class CImageFileTarget;
class CWin32File;

struct JpegErrorManager {
    jpeg_error_mgr pub; // first, so the library's pointer converts back
    std::jmp_buf jump;
};

// Fills err with the library's standard manager, replacing the error exit
// (longjmp to err.jump) and the message output (silent). Returns &err.pub.
jpeg_error_mgr* InstallJpegErrors(JpegErrorManager& err);

// Most bytes the library may allocate for one decode or transform (whole-image
// coefficient buffers of progressive files and of the lossless transforms).
// A file that needs more fails with a library error instead of exhausting
// memory.
long JpegMemoryLimit();

// Reads size bytes at data. At the end of the data the source supplies an
// end-of-image marker, so a truncated file decodes as far as it goes and then
// ends; a skip past the end stops at the end. Allocated in the object's
// permanent pool.
void UseJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size);

// Reads the open file from its current position through a 16 KB window, so
// that a decode holds no more of the file in memory than that (a reduced
// decode of a large photo otherwise keeps the whole file resident). Ends like
// the memory source: a read error or the end of the file supplies an
// end-of-image marker, and a skip stops at the end. Allocated in the object's
// permanent pool; the file must stay open until the object is destroyed.
void UseJpegFileSource(j_decompress_ptr cinfo, CWin32File* file);

// Gives a file source a 256 KB window for the decode, keeping the bytes not
// yet read; call once the header's size has been accepted. Does nothing for
// any other source or a second time.
void WidenJpegFileSource(j_decompress_ptr cinfo);

// Writes the compressed data through target (opened by the caller); a failed
// write raises a library error.
void UseJpegTargetDestination(j_compress_ptr cinfo, CImageFileTarget* target);
