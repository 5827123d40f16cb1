// Metafile reading through GDI.
//
// Kinds of file, tried in this order:
//   enhanced metafile   opened by GetEnhMetaFileA as it is
//   Windows metafile    opened by GetMetaFileA, converted to an enhanced one
//                       with a picture of mapping mode MM_ANISOTROPIC and
//                       extents 1000 x 1000 (hundredths of a millimetre)
//   placeable metafile  a 22-byte header (little-endian): key 0x9AC6CDD7 at
//                       0, bounding box left, top, right, bottom (16-bit
//                       signed) at 6, 8, 10, 12, units per inch (16-bit) at
//                       14; the Windows metafile records follow at 22 and are
//                       converted with extents (right - left) x 2540 / units
//                       and (bottom - top) x 2540 / units
// Size in pixels: the header's picture frame (hundredths of a millimetre,
// right - left and bottom - top) times the screen's pixels per millimetre
// (HORZRES / HORZSIZE, VERTRES / VERTSIZE). Units per inch of 0, extents or
// sizes of 0 or less, and files above 64 MB are refused.
#include "imaging/codecs/metafile_reader.h"

#include <windows.h>

#include <vector>

#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/byte_order.h"

namespace {

const uint32_t kPlaceableKey = 0x9AC6CDD7u;
const uint32_t kPlaceableHeader = 22;
const int64_t kMaxFileBytes = 64 << 20;

HENHMETAFILE Convert(const uint8_t* bits, UINT size, LONG xExt, LONG yExt) {
    METAFILEPICT picture = {MM_ANISOTROPIC, xExt, yExt, nullptr};
    HDC screen = GetDC(nullptr);
    HENHMETAFILE converted = SetWinMetaFileBits(size, bits, screen, &picture);
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return converted;
}

HENHMETAFILE FromWindowsMetafile(const char* path) {
    HMETAFILE wmf = GetMetaFileA(path);
    if (wmf == nullptr)
        return nullptr;
    HENHMETAFILE converted = nullptr;
    UINT size = GetMetaFileBitsEx(wmf, 0, nullptr);
    if (size != 0) {
        std::vector<uint8_t> bits(size);
        if (GetMetaFileBitsEx(wmf, size, bits.data()) == size)
            converted = Convert(bits.data(), size, 1000, 1000);
    }
    DeleteMetaFile(wmf);
    return converted;
}

HENHMETAFILE FromPlaceable(const char* path) {
    CWin32File file;
    if (!file.Open(path, kFileRead))
        return nullptr;
    int64_t size = file.GetSize();
    if (size <= static_cast<int64_t>(kPlaceableHeader) || size > kMaxFileBytes)
        return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (file.Read(bytes.data(), static_cast<uint32_t>(size)) != size)
        return nullptr;
    auto u16 = [&](size_t at) { return plat::LoadLE16(&bytes[at]); };
    const uint32_t key = u16(0) | (static_cast<uint32_t>(u16(2)) << 16);
    if (key != kPlaceableKey)
        return nullptr;
    const int64_t left = static_cast<int16_t>(u16(6)), top = static_cast<int16_t>(u16(8));
    const int64_t right = static_cast<int16_t>(u16(10)), bottom = static_cast<int16_t>(u16(12));
    const int64_t unitsPerInch = u16(14);
    if (unitsPerInch == 0)
        return nullptr;
    const int64_t xExt = (right - left) * 2540 / unitsPerInch;
    const int64_t yExt = (bottom - top) * 2540 / unitsPerInch;
    if (xExt <= 0 || yExt <= 0)
        return nullptr;
    return Convert(bytes.data() + kPlaceableHeader, static_cast<UINT>(size - kPlaceableHeader),
                   static_cast<LONG>(xExt), static_cast<LONG>(yExt));
}

} // namespace

bool CMetafileReader::Read(const char* path, CImageObject* image) {
    if (path == nullptr || image == nullptr || !image->AllocMetafileHeader())
        return false;
    {
        CWin32File file;
        if (!file.Open(path, kFileRead))
            return false;
        image->fileTime = file.GetLastWriteTime();
        int64_t size = file.GetSize();
        image->fileSize =
            size > 0 && size <= static_cast<int64_t>(UINT32_MAX) ? static_cast<uint32_t>(size) : 0;
    }
    HENHMETAFILE emf = GetEnhMetaFileA(path);
    if (emf == nullptr)
        emf = FromWindowsMetafile(path);
    if (emf == nullptr)
        emf = FromPlaceable(path);
    if (emf == nullptr)
        return false;

    ENHMETAHEADER* header = reinterpret_cast<ENHMETAHEADER*>(image->metafileHeader);
    if (GetEnhMetaFileHeader(emf, sizeof(ENHMETAHEADER), header) == 0) {
        DeleteEnhMetaFile(emf);
        return false;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    const int64_t horzRes = GetDeviceCaps(dc, HORZRES), horzSize = GetDeviceCaps(dc, HORZSIZE);
    const int64_t vertRes = GetDeviceCaps(dc, VERTRES), vertSize = GetDeviceCaps(dc, VERTSIZE);
    if (dc != nullptr)
        DeleteDC(dc);
    const RECTL& frame = header->rclFrame;
    const int64_t width =
        horzSize > 0 ? (static_cast<int64_t>(frame.right) - frame.left) * horzRes / (horzSize * 100)
                     : 0;
    const int64_t height =
        vertSize > 0 ? (static_cast<int64_t>(frame.bottom) - frame.top) * vertRes / (vertSize * 100)
                     : 0;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) {
        DeleteEnhMetaFile(emf);
        return false;
    }
    if (image->metafile != nullptr)
        DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(image->metafile));
    image->metafile = reinterpret_cast<plat::MetafileHandle>(emf);
    image->width = image->fullWidth = static_cast<int32_t>(width);
    image->height = image->fullHeight = static_cast<int32_t>(height);
    image->rowsDecoded = image->height;
    SignalHeaderReady(image);
    SignalComplete(image);
    return true;
}

bool CMetafileReader::ReadScaled(const char* path, CImageObject* image) {
    return Read(path, image);
}
