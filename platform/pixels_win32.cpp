// Pixel buffers (DIB sections) and enhanced metafiles through GDI.
#include <windows.h>

#include "platform/platform.h"

#include <cstddef>
#include <cstdlib>

namespace plat {

static_assert(sizeof(PaletteEntry) == sizeof(RGBQUAD), "palette entries are RGBQUADs");
static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER), "DIB header layout");
static_assert(offsetof(DibInfo, colors) == offsetof(BITMAPINFO, bmiColors), "BITMAPINFO layout");

bool CreatePixelBuffer(const DibInfo* info, BitmapHandle* bitmap, void** bits) {
    if (bitmap)
        *bitmap = nullptr;
    if (bits)
        *bits = nullptr;
    if (!info || !bitmap || !bits)
        return false;
    const DibHeader& header = info->header;
    if (header.width <= 0 || header.height == 0)
        return false;
    uint64_t rows = header.height < 0 ? 0 - static_cast<int64_t>(header.height)
                                      : static_cast<uint64_t>(header.height);
    uint64_t stride = ((static_cast<uint64_t>(header.width) * header.bitCount + 31) >> 3) & ~3ull;
    if (stride * rows > kMaxPixelBufferBytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    HDC dc = CreateCompatibleDC(nullptr); // memory context compatible with the screen
    if (!dc)
        return false;
    void* pixels = nullptr;
    HBITMAP section = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(info),
                                       DIB_RGB_COLORS, &pixels, nullptr, 0);
    DeleteDC(dc);
    if (!section || !pixels) {
        if (section)
            DeleteObject(section);
        return false;
    }
    *bitmap = section;
    *bits = pixels;
    return true;
}

void DeletePixelBuffer(BitmapHandle bitmap) {
    if (bitmap)
        DeleteObject(bitmap);
}

bool SetPixelBufferColorTable(BitmapHandle bitmap, const PaletteEntry* entries, uint32_t count) {
    if (!bitmap || !entries || count == 0)
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    HGDIOBJ old = SelectObject(dc, bitmap);
    UINT set = SetDIBColorTable(dc, 0, count, reinterpret_cast<const RGBQUAD*>(entries));
    SelectObject(dc, old);
    DeleteDC(dc);
    return set != 0;
}

uint32_t GetPixelBufferColorTable(BitmapHandle bitmap, PaletteEntry* entries, uint32_t count) {
    if (!bitmap || !entries || count == 0)
        return 0;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return 0;
    HGDIOBJ old = SelectObject(dc, bitmap);
    UINT got = GetDIBColorTable(dc, 0, count, reinterpret_cast<RGBQUAD*>(entries));
    SelectObject(dc, old);
    DeleteDC(dc);
    return got;
}

size_t MetafileHeaderSize() {
    return sizeof(ENHMETAHEADER);
}

MetafileHeader* AllocMetafileHeaderRecord() {
    return static_cast<MetafileHeader*>(calloc(1, sizeof(ENHMETAHEADER)));
}

void FreeMetafileHeaderRecord(MetafileHeader* header) {
    free(header);
}

void DeleteMetafile(MetafileHandle metafile) {
    if (metafile)
        DeleteEnhMetaFile(metafile);
}

bool RenderMetafileInto(BitmapHandle bitmap, int32_t width, int32_t height, uint8_t blue,
                        uint8_t green, uint8_t red, MetafileHandle metafile) {
    if (!bitmap)
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT area = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(RGB(red, green, blue));
    if (brush) {
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }
    if (metafile)
        PlayEnhMetaFile(dc, metafile, &area);
    SelectObject(dc, old);
    DeleteDC(dc);
    return true;
}

} // namespace plat
