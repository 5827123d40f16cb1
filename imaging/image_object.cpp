// CImageObject: lifetime, bitmap creation, palette and decoding state.
#include "imaging/image_object.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imaging/exif_info.h"

namespace {

std::atomic<uint64_t> g_pixelLimit{0};

// Bytes per row, padded to a multiple of 4; computed wide so that no size
// can wrap.
uint64_t StrideFor(int64_t width, int64_t bitsPerPixel) {
    return ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel) + 31) >> 3) & ~3ull;
}

bool IsSupportedDepth(int32_t bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

// The size checks every bitmap passes before any allocation.
bool IsAcceptableSize(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || !IsSupportedDepth(bitsPerPixel))
        return false;
    uint64_t bytes = StrideFor(width, bitsPerPixel) * static_cast<uint64_t>(height);
    if (bytes > kMaxImageBytes)
        return false;
    uint64_t limit = g_pixelLimit.load();
    return limit == 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= limit;
}

} // namespace

void SetImagePixelLimit(uint64_t maxPixels) {
    g_pixelLimit = maxPixels;
}
uint64_t GetImagePixelLimit() {
    return g_pixelLimit.load();
}

void CImageObject::InitFields() {
    fileTime = 0;
    width = 0;
    height = 0;
    headerOnly = false;
    fullWidth = 0;
    fullHeight = 0;
    bitsPerPixel = 0;
    stride = 0;
    paletteCount = 0;
    palette = nullptr;
    bits = nullptr;
    refCount = 1;
    bitmap = nullptr;
    bitmapInfo = nullptr;
    modified = false;
    path[0] = '\0';
    fileSize = 0;
    frameDelay = 0;
    metafile = nullptr;
    metafileHeader = nullptr;
    exif = nullptr;
    rowsDecoded = 0;
    headerReady = false;
    complete = false;
    releaseAfterDecode = false;
    topDown = true;
    animated = false;
    notLoaded = true;
    decodeThread = 0;
}

CImageObject::CImageObject() : readyEvent(true, false) {
    InitFields();
}

CImageObject::CImageObject(const char* sourcePath, CExifInfo* sharedExif)
    : readyEvent(true, false) {
    InitFields();
    if (sourcePath) {
        strncpy(path, sourcePath, sizeof path - 1);
        path[sizeof path - 1] = '\0';
    }
    if (sharedExif) {
        sharedExif->AddRef();
        exif = sharedExif;
    }
}

CImageObject::CImageObject(const CImageObject& other) : readyEvent(true, false) {
    InitFields();
    notLoaded = false;
    CopyFrom(&other);
}

CImageObject::~CImageObject() {
    Destroy();
    plat::DeleteMetafile(metafile);
    metafile = nullptr;
    plat::FreeMetafileHeaderRecord(metafileHeader);
    metafileHeader = nullptr;
}

int32_t CImageObject::Release() {
    int32_t remaining = --refCount;
    if (remaining == 0)
        delete this;
    return remaining;
}

bool CImageObject::MakeDefaultPalette() {
    palette =
        static_cast<PaletteEntry*>(calloc(static_cast<size_t>(paletteCount), sizeof(PaletteEntry)));
    if (!palette)
        return false;
    if (paletteCount == 2) {
        palette[0] = PaletteEntry{0, 0, 0, 255};
        palette[1] = PaletteEntry{255, 255, 255, 255};
    } else if (paletteCount == 256) {
        for (int i = 0; i < 256; ++i) {
            uint8_t v = static_cast<uint8_t>(i);
            palette[i] = PaletteEntry{v, v, v, 0};
        }
    }
    return true;
}

bool CImageObject::Create(int32_t newWidth, int32_t newHeight, int32_t newBitsPerPixel,
                          int32_t newPaletteCount) {
    // A second Create must not leak the first bitmap, nor leave a drawer
    // trusting the old header-ready flag.
    if (bitmap || bits || palette || bitmapInfo || !frames.empty())
        Destroy();
    int32_t count = 0;
    if (newBitsPerPixel == 1) {
        count = 2;
    } else if (newBitsPerPixel == 8) {
        count = newPaletteCount == 0 ? 256 : newPaletteCount;
        if (count < 2 || count > 256)
            return false;
    }
    if (!IsAcceptableSize(newWidth, newHeight, newBitsPerPixel))
        return false;
    width = fullWidth = newWidth;
    height = fullHeight = newHeight;
    bitsPerPixel = newBitsPerPixel;
    paletteCount = count;
    if (count > 0 && !MakeDefaultPalette()) {
        Destroy();
        return false;
    }
    stride = static_cast<int32_t>(StrideFor(width, bitsPerPixel));
    if (!CreateDibSection()) {
        Destroy();
        return false;
    }
    return true;
}

bool CImageObject::CreateDibSection() {
    if (!IsAcceptableSize(width, height, bitsPerPixel) || paletteCount < 0 || paletteCount > 256 ||
        (paletteCount > 0 && !palette) || bitmap)
        return false;
    stride = static_cast<int32_t>(StrideFor(width, bitsPerPixel));
    size_t infoBytes =
        sizeof(plat::DibHeader) + sizeof(PaletteEntry) * (static_cast<size_t>(paletteCount) + 1);
    plat::DibInfo* info = static_cast<plat::DibInfo*>(calloc(1, infoBytes));
    if (!info)
        return false;
    info->header.size = sizeof(plat::DibHeader);
    info->header.width = width;
    info->header.height = -height; // top-down rows
    info->header.planes = 1;
    info->header.bitCount = static_cast<uint16_t>(bitsPerPixel);
    info->header.compression = 0;
    info->header.colorsUsed = static_cast<uint32_t>(paletteCount);
    // Other palettes reach the section through UpdateColorTable.
    if (bitsPerPixel == 1 || (bitsPerPixel == 8 && paletteCount == 256))
        memcpy(info->colors, palette, sizeof(PaletteEntry) * static_cast<size_t>(paletteCount));
    free(bitmapInfo);
    bitmapInfo = info;
    void* pixels = nullptr;
    plat::BitmapHandle section = nullptr;
    if (!plat::CreatePixelBuffer(info, &section, &pixels))
        return false;
    bitmap = section;
    bits = static_cast<uint8_t*>(pixels);
    return bitmap != nullptr && bits != nullptr;
}

bool CImageObject::CreateWithDepth(int32_t newWidth, int32_t newHeight, int32_t bitCount,
                                   int32_t colors) {
    if (bitCount == 1)
        return Create(newWidth, newHeight, 1, 0);
    if (bitCount <= 8) {
        int32_t count = colors;
        if (count == 0)
            count = bitCount < 0 ? 0 : 1 << bitCount; // bit count 0 asks for one entry: refused
        if (count < 2)
            return false;
        return Create(newWidth, newHeight, 8, count);
    }
    if (bitCount <= 24)
        return Create(newWidth, newHeight, 24, 0);
    return Create(newWidth, newHeight, 32, 0);
}

bool CImageObject::CreateLike(const CImageObject* source) {
    if (!source || source == this)
        return false;
    if (!Create(source->width, source->height, source->bitsPerPixel, source->paletteCount))
        return false;
    CopyPalette(source);
    return true;
}

void CImageObject::Destroy() {
    width = height = fullWidth = fullHeight = 0;
    stride = 0;
    plat::DeletePixelBuffer(bitmap);
    bitmap = nullptr;
    free(palette);
    palette = nullptr;
    paletteCount = 0;
    free(bitmapInfo);
    bitmapInfo = nullptr;
    bits = nullptr;
    bitsPerPixel = 0;
    std::vector<CImageObject*> doomed;
    doomed.swap(frames); // emptied before the deletes: nothing can be deleted twice
    for (CImageObject* frame : doomed)
        delete frame;
    if (exif) {
        CExifInfo* record = exif;
        exif = nullptr;
        record->Release();
    }
    {
        plat::ScopedLock hold(lock);
        headerReady = false;
        readyEvent.Reset();
    }
    fileTime = 0;
}

bool CImageObject::CopyFrom(const CImageObject* source) {
    if (source == this)
        return bitmap != nullptr;
    Destroy();
    if (!source || !CreateLike(source))
        return false;
    if (source->exif) {
        source->exif->AddRef();
        exif = source->exif;
    }
    fileTime = source->fileTime;
    if (source->bits)
        memcpy(bits, source->bits, static_cast<size_t>(stride) * static_cast<size_t>(height));
    UpdateColorTable();
    frameDelay = source->frameDelay;
    rowsDecoded = source->rowsDecoded.load();
    topDown = source->topDown;
    animated = source->animated;
    headerReady = source->headerReady.load();
    complete = source->complete.load();
    fullWidth = source->fullWidth;
    fullHeight = source->fullHeight;
    notLoaded = false;
    return true;
}

bool CImageObject::UpdateColorTable() {
    if (bitsPerPixel != 1 && bitsPerPixel != 8)
        return true;
    if (!bitmap || !palette || paletteCount <= 0)
        return false;
    return plat::SetPixelBufferColorTable(bitmap, palette, static_cast<uint32_t>(paletteCount));
}

void CImageObject::CopyPalette(const CImageObject* source) {
    if (!source || (bitsPerPixel != 1 && bitsPerPixel != 8) || !palette || !source->palette)
        return;
    int32_t count = paletteCount < source->paletteCount ? paletteCount : source->paletteCount;
    if (count > 0)
        memmove(palette, source->palette, sizeof(PaletteEntry) * static_cast<size_t>(count));
}

void CImageObject::SetPaletteEntry(int32_t index, uint8_t red, uint8_t green, uint8_t blue,
                                   uint8_t reserved) {
    if (!palette || index < 0 || index >= paletteCount)
        return;
    palette[index] = PaletteEntry{blue, green, red, reserved};
}

int32_t CImageObject::FindPaletteEntry(PaletteEntry colour) const {
    if (!palette)
        return -1;
    for (int32_t i = 0; i < paletteCount; ++i) {
        if (palette[i] == colour)
            return i;
    }
    return -1;
}

bool CImageObject::IsGrayscalePalette() const {
    if (bitsPerPixel != 8 || paletteCount != 256 || !palette)
        return false;
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = palette[i];
        if (e.blue != i || e.green != i || e.red != i)
            return false;
    }
    return true;
}

PaletteEntry CImageObject::PaletteAt(uint32_t index) const {
    if (!palette || paletteCount <= 0)
        return PaletteEntry{0, 0, 0, 0};
    uint32_t last = static_cast<uint32_t>(paletteCount) - 1;
    return palette[index > last ? last : index];
}

void CImageObject::SignalReady() {
    plat::ScopedLock hold(lock);
    headerReady = true;
    readyEvent.Set();
}

void CImageObject::SetComplete() {
    plat::ScopedLock hold(lock);
    complete = true;
}

void CImageObject::Invalidate() {
    plat::ScopedLock hold(lock);
    notLoaded = true;
}

bool CImageObject::IsFullyLoaded() const {
    return !notLoaded && width == fullWidth && height == fullHeight;
}

void CImageObject::SetModified() {
    modified = true;
    fileTime = 0;
    fileSize = 0;
}

bool CImageObject::AllocMetafileHeader() {
    if (!metafileHeader)
        metafileHeader = plat::AllocMetafileHeaderRecord();
    return metafileHeader != nullptr;
}

bool CImageObject::EnsureExif() {
    if (exif)
        return false;
    exif = new (std::nothrow) CExifInfo();
    return exif != nullptr;
}

EImageFileType CImageObject::GetFileType() const {
    return DetectImageFileType(path);
}

const char* CImageObject::GetFileTypeName() const {
    return GetImageFileTypeName(GetFileType());
}
