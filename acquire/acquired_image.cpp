#include "acquire/acquired_image.h"

#include <shlwapi.h>

#include <cstring>

#include "app/image_saving.h"
#include "app/logic/output_naming.h"
#include "app/options.h"
#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

std::string SaveAcquiredBitmap(HGLOBAL dib, const CAppOptions& options, HWND owner) {
    const SIZE_T size = dib ? ::GlobalSize(dib) : 0;
    if (size == 0 || size > 0x7FFFFFFF)
        return std::string();
    const void* bits = ::GlobalLock(dib);
    if (!bits)
        return std::string();
    auto* image = new CImageObject;
    CByteStream stream;
    stream.AttachReadOnly(bits, static_cast<uint32_t>(size));
    CBmpReader reader;
    const bool readable = reader.ReadFromStream(stream, image, false);
    ::GlobalUnlock(dib);
    std::string path;
    if (readable) {
        int type = FileTypeFromSaveFormatIndex(static_cast<int>(options.outputSettingEncoderType));
        if (type == 0)
            type = FileTypeFromSaveFormatIndex(7);
        int sequence = static_cast<int>(options.outputSettingSequenceStartAt);
        // Only the number is formatted: the folder and the prefix are the
        // user's text.
        path = NextFreeOutputPath(
            options.outputSettingFilenamePath, options.outputSettingFilenamePrefix,
            static_cast<int>(options.outputSettingPaddingZero), GetImageFileTypeExtension(type),
            &sequence, [](const std::string& p) { return ::PathFileExistsA(p.c_str()) != FALSE; });
        if (path.empty() || path.size() >= sizeof image->path) {
            path.clear();
        } else {
            std::memcpy(image->path, path.c_str(), path.size() + 1);
            if (!image_saving::WriteImageFile(path.c_str(), image, false, false, owner))
                path.clear();
        }
    }
    image->Release();
    return path;
}
