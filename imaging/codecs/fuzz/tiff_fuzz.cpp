// Feeds arbitrary bytes to the TIFF reader (all pages, and the first page
// alone), under a pixel cap so that a hostile header cannot ask for a huge
// bitmap.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/codecs/tiff_codec.h"
#include "imaging/image_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    SetImagePixelLimit(1u << 22);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);
    for (int32_t limit : {-1, 1}) {
        CImageObject image;
        CTiffReader reader;
        reader.m_pixelLimit = 1u << 20;
        reader.m_pageLimit = limit;
        reader.ReadFromMemory(exact.get(), size, &image);
        for (int32_t i = 0; i <= image.FrameCount(); ++i) {
            CImageObject* page = image.GetFrame(i);
            if (page->bits != nullptr && page->rowsDecoded.load() > page->height)
                __builtin_trap();
        }
    }
    return 0;
}
