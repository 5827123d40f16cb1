// Pixel buffers and metafiles on POSIX. There is no GDI: a pixel buffer is a
// zeroed, aligned heap block laid out like a top-down DIB section, and there
// are no metafiles.
#include "platform/platform.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

// Under AddressSanitizer every buffer comes from the instrumented heap, so that
// a write past the last row is reported instead of landing in mapped memory.
#if defined(__SANITIZE_ADDRESS__)
#define VXP_PIXELS_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VXP_PIXELS_HEAP_ONLY 1
#endif
#endif

namespace plat {

struct NativePixelBuffer {
    void* bits;
    size_t bytes;
    bool mapped; // from mmap (large buffers), else from the heap
};

namespace {

#ifndef VXP_PIXELS_HEAP_ONLY
// Large images take fresh pages straight from the kernel: they arrive zeroed,
// and with transparent huge pages one fault maps 2 MB instead of 4 KB, which
// is most of the cost of creating a photograph-sized bitmap.
constexpr size_t kMapThreshold = size_t(2) << 20;
#endif

void* AllocateZeroed(size_t bytes, bool* mapped) {
    *mapped = false;
#ifndef VXP_PIXELS_HEAP_ONLY
    if (bytes >= kMapThreshold) {
        void* block =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
            madvise(block, bytes, MADV_HUGEPAGE);
#endif
            *mapped = true;
            return block;
        }
    }
#endif
    void* block = aligned_alloc(16, bytes);
    if (block)
        memset(block, 0, bytes);
    return block;
}

} // namespace

// Stand-in for ENHMETAHEADER: same size, never filled natively.
struct NativeMetafileHeader {
    uint8_t bytes[108];
};

bool CreatePixelBuffer(const DibInfo* info, BitmapHandle* bitmap, void** bits) {
    if (bitmap)
        *bitmap = nullptr;
    if (bits)
        *bits = nullptr;
    if (!info || !bitmap || !bits) {
        SetLastErrorCode(kErrorInvalidParameter);
        return false;
    }
    const DibHeader& header = info->header;
    uint32_t bitCount = header.bitCount;
    if (header.width <= 0 || header.height == 0 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
         bitCount != 32)) {
        SetLastErrorCode(kErrorInvalidParameter);
        return false;
    }
    uint64_t rows = header.height < 0 ? 0 - static_cast<int64_t>(header.height)
                                      : static_cast<uint64_t>(header.height);
    uint64_t stride = ((static_cast<uint64_t>(header.width) * bitCount + 31) >> 3) & ~3ull;
    uint64_t bytes = stride * rows;
    if (bytes == 0 || bytes > kMaxPixelBufferBytes) {
        SetLastErrorCode(kErrorNotEnoughMemory);
        return false;
    }
    size_t rounded = static_cast<size_t>((bytes + 15) & ~15ull);
    bool mapped = false;
    void* block = AllocateZeroed(rounded, &mapped);
    if (!block) {
        SetLastErrorCode(kErrorNotEnoughMemory);
        return false;
    }
    NativePixelBuffer* buffer = new NativePixelBuffer{block, rounded, mapped};
    *bitmap = buffer;
    *bits = block;
    return true;
}

void DeletePixelBuffer(BitmapHandle bitmap) {
    if (!bitmap)
        return;
    if (bitmap->mapped)
        munmap(bitmap->bits, bitmap->bytes);
    else
        free(bitmap->bits);
    delete bitmap;
}

bool SetPixelBufferColorTable(BitmapHandle bitmap, const PaletteEntry* entries, uint32_t count) {
    return bitmap != nullptr && (entries != nullptr || count == 0);
}

uint32_t GetPixelBufferColorTable(BitmapHandle bitmap, PaletteEntry* entries, uint32_t count) {
    return 0;
}

size_t MetafileHeaderSize() {
    return sizeof(NativeMetafileHeader);
}

MetafileHeader* AllocMetafileHeaderRecord() {
    return static_cast<MetafileHeader*>(calloc(1, sizeof(NativeMetafileHeader)));
}

void FreeMetafileHeaderRecord(MetafileHeader* header) {
    free(header);
}

void DeleteMetafile(MetafileHandle metafile) {}

bool RenderMetafileInto(BitmapHandle bitmap, int32_t width, int32_t height, uint8_t blue,
                        uint8_t green, uint8_t red, MetafileHandle metafile) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
}

} // namespace plat
