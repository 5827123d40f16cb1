// Feeds arbitrary bytes to the JPEG reader's stream entries (full decode with
// EXIF, and the fast reduced decode) and to the lossless transform, under a
// pixel cap so that a hostile header cannot ask for a huge bitmap.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/image_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    SetImagePixelLimit(1u << 22);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size + 1]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);

    for (int mode = 0; mode < 3; ++mode) {
        CByteStream stream;
        stream.AttachReadOnly(exact.get(), static_cast<uint32_t>(size));
        CImageObject image;
        CJpegReader reader;
        reader.m_pixelLimit = 1u << 20;
        if (mode == 0) {
            reader.ReadFromStream(stream, &image);
        } else if (mode == 1) {
            reader.m_maxWidth = 16;
            reader.m_maxHeight = 16;
            reader.ReadFromStream(stream, &image);
        } else {
            reader.m_maxWidth = 8;
            reader.m_maxHeight = 8;
            reader.ReadScaledFromStream(stream, &image);
        }
        if (image.bits != nullptr && image.rowsDecoded.load() > image.height)
            __builtin_trap();
    }

    // The transform reads the same bytes from a file (rotate by 90).
    static const std::string path = "/tmp/vxp_jpeg_fuzz_" + std::to_string(getpid()) + ".jpg";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
        std::fclose(f);
        if (written) {
            CJpegLosslessOp op;
            op.operation = CJpegLosslessOp::kRotate;
            op.angle = 90;
            op.TransformFile((path + ".out").c_str(), path.c_str());
            std::remove((path + ".out").c_str());
        }
        std::remove(path.c_str());
    }
    return 0;
}
