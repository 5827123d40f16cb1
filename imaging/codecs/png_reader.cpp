#include <csetjmp>
#include <cstring>

#include <png.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

void ErrorByJump(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

struct MemoryInput {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void ReadFromInput(png_structp png, png_bytep out, png_size_t length) {
    MemoryInput* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > in->size - in->position) {
        png_error(png, "read past the end of the data");
    }
    std::memcpy(out, in->data + in->position, length);
    in->position += length;
}

constexpr size_t kSignatureBytes = 8;

} // namespace

// Everything the error path needs lives here, outside the frame that calls
// setjmp, so the jump never meets an object with a destructor.
struct CPngReader::DecodeState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    MemoryInput input = {nullptr, 0, 0};
    bool headerSent = false; // event 2 went out: an error now ends with success
    ~DecodeState() {
        if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
    }
};

bool CPngReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) {
        return ReadFromMemory(view.buffer, view.size, image);
    });
}

bool CPngReader::ReadFromMemory(const uint8_t* data, size_t size, CImageObject* image) {
    if (image == nullptr || data == nullptr || size < kSignatureBytes ||
        png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return false;
    }
    DecodeState state;
    state.input = {data, size, kSignatureBytes};
    state.png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &ErrorByJump, &IgnoreWarning);
    if (state.png == nullptr) {
        return false;
    }
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) {
        return false;
    }
    return Decode(&state, image);
}

bool CPngReader::Decode(DecodeState* state, CImageObject* image) {
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) {
        if (!state->headerSent) {
            return false;
        }
        // Damaged or cut data after the bitmap exists: keep the rows read.
        SignalComplete(image);
        return true;
    }
    png_set_read_fn(png, &state->input, &ReadFromInput);
    png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    image->fullWidth = static_cast<int32_t>(width);
    image->fullHeight = static_cast<int32_t>(height);
    if (!SizeAllowed(width, height)) {
        return false;
    }
    if (image->headerOnly) {
        return true;
    }
    if (StopRequested(image)) {
        return false;
    }

    int32_t depth = 0;
    int32_t entries = 0; // 8 bpp palette count; 0 = 256
    bool greyRamp = false;
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        greyRamp = true;
        if (bitDepth == 1) {
            depth = 1;
        } else {
            depth = 8;
            entries = bitDepth < 8 ? 1 << bitDepth : 256;
            if (bitDepth < 8) {
                png_set_packing(png);
            }
        }
        break;
    case PNG_COLOR_TYPE_RGB:
        depth = 24;
        png_set_bgr(png);
        break;
    case PNG_COLOR_TYPE_PALETTE:
        depth = bitDepth == 1 ? 1 : 8;
        if (bitDepth == 2 || bitDepth == 4) {
            png_set_packing(png);
        }
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        depth = 32;
        png_set_gray_to_rgb(png);
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        depth = 32;
        png_set_bgr(png);
        break;
    default:
        return false;
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (!image->Create(static_cast<int32_t>(width), static_cast<int32_t>(height), depth, entries) ||
        image->bits == nullptr) {
        return false;
    }
    // Rows are read straight into the bitmap: the library must never deliver
    // more bytes per row than the bitmap holds.
    if (png_get_rowbytes(png, info) > static_cast<png_size_t>(image->stride)) {
        return false;
    }
    if (greyRamp && depth == 8) {
        for (int32_t i = 0; i < image->paletteCount; ++i) {
            const uint8_t level = static_cast<uint8_t>(i * 255 / (image->paletteCount - 1));
            image->SetPaletteEntry(i, level, level, level, 255);
        }
    } else if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &plte, &count) != 0 && plte != nullptr) {
            for (int i = 0; i < count && i < image->paletteCount; ++i) {
                image->SetPaletteEntry(i, plte[i].red, plte[i].green, plte[i].blue, 255);
            }
        }
    }
    image->UpdateColorTable();
    state->headerSent = true;
    SignalHeaderReady(image);

    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, image->GetRow(static_cast<int32_t>(y), true), nullptr);
            if (passes == 1) {
                ReportRows(image, static_cast<int32_t>(y), 1);
            }
        }
    }
    if (passes > 1) {
        ReportRows(image, 0, static_cast<int32_t>(height));
    }
    png_read_end(png, nullptr);
    SignalComplete(image);
    return true;
}
