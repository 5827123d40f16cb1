// Feeds arbitrary bytes to the bitmap reader's stream entry, with and without
// file-header detection, under a pixel cap so that a hostile header cannot ask
// for a huge bitmap. Seeds: make_seeds.py.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"

namespace {

int32_t CountEvents(CImageObject*, int32_t, int32_t, int32_t, uintptr_t user) {
    ++*reinterpret_cast<uint32_t*>(user);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    SetImagePixelLimit(1u << 20);
    // An exact copy so that a read past the end is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);

    for (int mode = 0; mode < 3; ++mode) {
        CByteStream stream;
        stream.AttachReadOnly(exact.get(), static_cast<uint32_t>(size));
        CImageObject image;
        uint32_t events = 0;
        CBmpReader reader;
        reader.m_pixelLimit = 1u << 18;
        reader.m_progress = &CountEvents;
        reader.m_progressUser = reinterpret_cast<uintptr_t>(&events);
        if (mode == 0)
            reader.ReadFromStream(stream, &image);
        else
            reader.ReadFromStream(stream, &image, mode == 1);
        if (image.bits != nullptr && image.rowsDecoded.load() > image.height)
            __builtin_trap();
    }
    return 0;
}
