#include "imaging/codecs/jpeg_io.h"

#include <cstring>

#include <jerror.h>

#include "imaging/codecs/image_writer.h"
#include "imaging/win32_file.h"

namespace {

void ErrorExitByJump(j_common_ptr cinfo) {
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void OutputNothing(j_common_ptr) {}

// --- memory source ---

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    // Only reached when the data is used up: end the image here.
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// --- windowed file source ---

// The header is read through a small window, so that a file whose header lies
// about its size is refused before anything large is allocated.
constexpr uint32_t kHeaderWindow = 16 * 1024;
// The library's fast entropy decoder runs only while at least 512 bytes per
// block of an MCU (3 KB for 4:2:0) are left in the window; the MCUs at the end
// of each window take the slow path. In a 16 KB window that was a fifth of
// them; in 256 KB it is about one in a hundred.
constexpr uint32_t kDecodeWindow = 256 * 1024;

struct FileSource {
    jpeg_source_mgr pub;
    CWin32File* file;
    JOCTET* window;
    uint32_t windowSize;
    bool ended; // the end marker has been supplied: nothing more to read
};

boolean FillFromFile(j_decompress_ptr cinfo) {
    FileSource* src = reinterpret_cast<FileSource*>(cinfo->src);
    const int64_t got = src->ended ? 0 : src->file->Read(src->window, src->windowSize);
    if (got <= 0) {
        // End of file or a read error: the image ends here, as a truncated
        // file in memory does.
        src->ended = true;
        src->pub.next_input_byte = kEndOfImage;
        src->pub.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    src->pub.next_input_byte = src->window;
    src->pub.bytes_in_buffer = static_cast<size_t>(got);
    return TRUE;
}

void SkipInFile(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    FileSource* src = reinterpret_cast<FileSource*>(cinfo->src);
    size_t left = static_cast<size_t>(count);
    while (left > src->pub.bytes_in_buffer) {
        left -= src->pub.bytes_in_buffer;
        src->pub.bytes_in_buffer = 0;
        // Past the end the skip stops there; refilling the end marker over
        // and over would never use up a large count.
        if (src->ended) {
            return;
        }
        FillFromFile(cinfo);
    }
    src->pub.next_input_byte += left;
    src->pub.bytes_in_buffer -= left;
}

// --- destination through a file target ---

constexpr size_t kDestinationBuffer = 64 * 1024;

struct TargetDestination {
    jpeg_destination_mgr pub;
    CImageFileTarget* target;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr cinfo) {
    TargetDestination* dest = reinterpret_cast<TargetDestination*>(cinfo->dest);
    dest->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kDestinationBuffer));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kDestinationBuffer;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    TargetDestination* dest = reinterpret_cast<TargetDestination*>(cinfo->dest);
    // The library calls this with the whole buffer full, whatever
    // free_in_buffer says.
    if (!dest->target->Write(dest->buffer, kDestinationBuffer)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kDestinationBuffer;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    TargetDestination* dest = reinterpret_cast<TargetDestination*>(cinfo->dest);
    const size_t used = kDestinationBuffer - dest->pub.free_in_buffer;
    if (used > 0 && !dest->target->Write(dest->buffer, used)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

} // namespace

jpeg_error_mgr* InstallJpegErrors(JpegErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = &ErrorExitByJump;
    err.pub.output_message = &OutputNothing;
    return &err.pub;
}

long JpegMemoryLimit() {
    // A 32-bit process cannot spare more than a fraction of its address space.
    return sizeof(void*) >= 8 ? 1024L * 1024 * 1024 : 384L * 1024 * 1024;
}

void UseJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size) {
    jpeg_source_mgr* src = static_cast<jpeg_source_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(jpeg_source_mgr)));
    std::memset(src, 0, sizeof *src);
    src->init_source = &InitSource;
    src->fill_input_buffer = &FillInputBuffer;
    src->skip_input_data = &SkipInputData;
    src->resync_to_restart = &jpeg_resync_to_restart;
    src->term_source = &TermSource;
    src->next_input_byte = data;
    src->bytes_in_buffer = data != nullptr ? size : 0;
    cinfo->src = src;
}

void UseJpegFileSource(j_decompress_ptr cinfo, CWin32File* file) {
    j_common_ptr common = reinterpret_cast<j_common_ptr>(cinfo);
    FileSource* src = static_cast<FileSource*>(
        (*cinfo->mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(FileSource)));
    std::memset(src, 0, sizeof *src);
    src->window =
        static_cast<JOCTET*>((*cinfo->mem->alloc_small)(common, JPOOL_PERMANENT, kHeaderWindow));
    src->windowSize = kHeaderWindow;
    src->file = file;
    src->pub.init_source = &InitSource;
    src->pub.fill_input_buffer = &FillFromFile;
    src->pub.skip_input_data = &SkipInFile;
    src->pub.resync_to_restart = &jpeg_resync_to_restart;
    src->pub.term_source = &TermSource;
    cinfo->src = &src->pub;
}

void WidenJpegFileSource(j_decompress_ptr cinfo) {
    FileSource* src = reinterpret_cast<FileSource*>(cinfo->src);
    if (src == nullptr || src->pub.fill_input_buffer != &FillFromFile ||
        src->windowSize >= kDecodeWindow) {
        return;
    }
    JOCTET* wide = static_cast<JOCTET*>((*cinfo->mem->alloc_large)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kDecodeWindow));
    // The bytes still unread in the small window move along; after the end
    // the source points at its end marker, which stays where it is.
    if (!src->ended) {
        const size_t left = src->pub.bytes_in_buffer;
        if (left > 0) {
            std::memmove(wide, src->pub.next_input_byte, left);
        }
        src->pub.next_input_byte = wide;
    }
    src->window = wide;
    src->windowSize = kDecodeWindow;
}

void UseJpegTargetDestination(j_compress_ptr cinfo, CImageFileTarget* target) {
    TargetDestination* dest = static_cast<TargetDestination*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(TargetDestination)));
    std::memset(dest, 0, sizeof *dest);
    dest->pub.init_destination = &InitDestination;
    dest->pub.empty_output_buffer = &EmptyOutputBuffer;
    dest->pub.term_destination = &TermDestination;
    dest->target = target;
    cinfo->dest = &dest->pub;
}
