// A look at one image file from the command line (not part of the product):
//
//   imgtool <image> [<out.bmp>]
//
// Prints the size a header-only read finds, then decodes the file, printing
// every progress event and the result, and writes it back as a bitmap when an
// output path is given. Useful to see how the readers treat a given file.

#include <cstdio>
#include <memory>

#include "imaging/codecs/codec_registry.h"
#include "imaging/image_object.h"

namespace {

int32_t PrintEvent(CImageObject* image, int32_t event, int32_t position, int32_t count,
                   uintptr_t user) {
    const char* name = event == kDecodeHeaderReady ? "header ready"
                       : event == kDecodeRows      ? "rows"
                       : event == kDecodeComplete  ? "complete"
                                                   : "unknown";
    std::printf("  event %d (%s) position %d count %d\n", event, name, position, count);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: imgtool <image> [<out.bmp>]\n");
        return 2;
    }
    const char* path = argv[1];
    EImageFileType type = DetectImageFileType(path);
    std::unique_ptr<CImageReader> reader = NewImageReader(type);
    if (!reader) {
        std::fprintf(stderr, "%s: no reader for type '%s'\n", path, GetImageFileTypeName(type));
        return 1;
    }

    CImageObject header(path, nullptr);
    header.headerOnly = true;
    if (!reader->Read(path, &header)) {
        std::printf("header-only read: failed\n");
        return 1;
    }
    std::printf("header-only read: %d x %d, file %u bytes\n", header.fullWidth, header.fullHeight,
                header.fileSize);

    CImageObject image(path, nullptr);
    reader->m_progress = &PrintEvent;
    std::printf("decoding:\n");
    bool ok = reader->Read(path, &image);
    std::printf("result: %s, %d x %d, %d bpp, %d palette entries, %d rows decoded, %s\n",
                ok ? "true" : "false", image.width, image.height, image.bitsPerPixel,
                image.paletteCount, image.rowsDecoded.load(),
                image.topDown ? "top-down" : "bottom-up");
    if (!ok)
        return 1;

    if (argc == 3) {
        std::unique_ptr<CImageWriter> writer = NewImageWriter(kFileTypeBmp);
        bool written = writer && writer->Write(argv[2], &image);
        std::printf("written to %s: %s\n", argv[2], written ? "true" : "false");
        if (!written)
            return 1;
    }
    return 0;
}
