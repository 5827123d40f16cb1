#include "imaging/codecs/jpeg_io.h"

#include <cstring>

#include <jerror.h>

#include "imaging/codecs/image_writer.h"

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
