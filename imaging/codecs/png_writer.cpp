#include <csetjmp>
#include <cstring>

#include <png.h>

#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"

namespace {

void ErrorByJump(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

void WriteToTarget(png_structp png, png_bytep data, png_size_t length) {
    CImageFileTarget* target = static_cast<CImageFileTarget*>(png_get_io_ptr(png));
    if (!target->Write(data, length)) {
        png_error(png, "write failed");
    }
}

void FlushNothing(png_structp) {}

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_colorp palette = nullptr; // allocated through libpng
    ~WriteState() {
        if (png != nullptr) {
            if (palette != nullptr) {
                png_free(png, palette);
            }
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        }
    }
};

// All library calls of one write; false on a library error. Only plain data
// is created after the setjmp.
bool Encode(WriteState* state, const CImageObject* image, CImageFileTarget* target,
            bool interlace) {
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, target, &WriteToTarget, &FlushNothing);

    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool paletted = false;
    bool dropFourth = false;
    switch (image->bitsPerPixel) {
    case 1:
        bitDepth = 1;
        paletted = true;
        break;
    case 8:
        paletted = !image->IsGrayscalePalette();
        colorType = paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY;
        break;
    case 24:
        break;
    default: // 32 bpp
        dropFourth = FourthByteUnused(image);
        colorType = dropFourth ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
        break;
    }
    if (paletted) {
        colorType = PNG_COLOR_TYPE_PALETTE;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image->width),
                 static_cast<png_uint_32>(image->height), bitDepth, colorType,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (paletted) {
        const int count = image->paletteCount < 1 ? 1 : image->paletteCount;
        state->palette = static_cast<png_colorp>(png_malloc(png, sizeof(png_color) * count));
        for (int i = 0; i < count; ++i) {
            const PaletteEntry e = image->PaletteAt(static_cast<uint32_t>(i));
            state->palette[i].red = e.red;
            state->palette[i].green = e.green;
            state->palette[i].blue = e.blue;
        }
        png_set_PLTE(png, info, state->palette, count);
    }
    png_write_info(png, info);
    if (image->bitsPerPixel >= 24) {
        png_set_bgr(png);
    }
    if (dropFourth) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = 0; y < image->height; ++y) {
            png_write_row(png, image->GetRow(y, true));
        }
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool CPngWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0) {
        return false;
    }
    const int32_t depth = image->bitsPerPixel;
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) {
        return false;
    }
    CImageFileTarget target;
    if (!target.Open(path)) {
        return false;
    }
    {
        WriteState state;
        state.png =
            png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &ErrorByJump, &IgnoreWarning);
        if (state.png != nullptr) {
            state.info = png_create_info_struct(state.png);
        }
        if (state.info == nullptr || !Encode(&state, image, &target, m_interlace)) {
            target.Abandon();
            return false;
        }
    }
    return target.Commit(image);
}
