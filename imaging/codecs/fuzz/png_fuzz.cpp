// Feeds arbitrary bytes to the PNG reader, under a pixel cap so that a hostile
// header cannot ask for a huge bitmap.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    SetImagePixelLimit(1u << 22);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);
    CImageObject image;
    CPngReader reader;
    reader.m_pixelLimit = 1u << 20;
    reader.ReadFromMemory(exact.get(), size, &image);
    if (image.bits != nullptr && image.rowsDecoded.load() > image.height)
        __builtin_trap();
    return 0;
}
