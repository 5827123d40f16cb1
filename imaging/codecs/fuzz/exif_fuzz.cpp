// Feeds arbitrary bytes to the TIFF metadata parser, from the first byte and
// from behind a six-byte prefix as a JPEG segment body would sit.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/byte_stream.h"
#include "imaging/exif_info.h"
#include "imaging/exif_parser.h"
#include "imaging/image_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    // An exact copy so that a read past the end is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);
    for (uint32_t start : {0u, 6u}) {
        if (start > size)
            continue;
        CByteStream stream;
        stream.AttachReadOnly(exact.get(), static_cast<uint32_t>(size));
        stream.position = start;
        CImageObject image;
        if (ReadExifFromTiffStream(&image, &stream) && image.exif == nullptr)
            __builtin_trap();
        if (image.exif != nullptr)
            for (int t = 0; t < kExifTextCount; ++t)
                if (std::strlen(image.exif->GetText(static_cast<EExifText>(t))) > size)
                    __builtin_trap();
    }
    return 0;
}
