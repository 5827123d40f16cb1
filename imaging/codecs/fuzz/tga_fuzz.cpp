// Feeds arbitrary bytes to the Targa reader's memory entry under a pixel cap,
// so that a hostile header cannot ask for a huge bitmap. Seeds:
// make_seeds_own.py.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/byte_stream.h"
#include "imaging/codecs/tga_reader.h"
#include "imaging/image_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    SetImagePixelLimit(1u << 20);
    // An exact copy so that a read past the end is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);
    for (int headerOnly = 0; headerOnly < 2; ++headerOnly) {
        CByteStream stream;
        stream.AttachReadOnly(exact.get(), static_cast<uint32_t>(size));
        CImageObject image;
        image.headerOnly = headerOnly != 0;
        CTargaReader reader;
        reader.m_pixelLimit = 1u << 18;
        reader.ReadFromStream(stream, &image);
        if (image.bits != nullptr && image.rowsDecoded.load() > image.height)
            __builtin_trap();
    }
    return 0;
}
