#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <tiffio.h>

#include "imaging/codecs/tiff_codec.h"
#include "imaging/image_object.h"

namespace {

// Set by the handlers when libtiff reports an error on the file being written.
int NoteError(TIFF*, void* failed, const char*, const char*, va_list) {
    *static_cast<bool*>(failed) = true;
    return 1;
}

int Silent(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

int Luminance(const PaletteEntry& e) {
    return e.red * 30 + e.green * 59 + e.blue * 11;
}

// One page; false when a tag, a line or the directory cannot be written.
bool WritePage(TIFF* tif, const CImageObject* page) {
    const int32_t depth = page->bitsPerPixel;
    const bool dropFourth = depth == 32 && FourthByteUnused(page);
    const uint16_t spp = depth == 24 || dropFourth ? 3 : depth == 32 ? 4 : 1;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(page->width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(page->height)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, depth == 1 ? 1 : 8) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint16_t> map;
    if (depth == 1) {
        // Bits stay as stored; the interpretation follows the palette, so
        // that a 0 bit means whatever entry 0 shows.
        const bool zeroIsDark = Luminance(page->PaletteAt(0)) < Luminance(page->PaletteAt(1));
        ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                                zeroIsDark ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE);
    } else if (depth == 8) {
        map.assign(3 * 256, 0);
        for (int32_t i = 0; i < 256 && i < page->paletteCount; ++i) {
            const PaletteEntry e = page->palette[i];
            map[i] = static_cast<uint16_t>(e.red * 257);
            map[256 + i] = static_cast<uint16_t>(e.green * 257);
            map[512 + i] = static_cast<uint16_t>(e.blue * 257);
        }
        ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE) &&
             TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
    } else {
        ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        if (spp == 4) {
            const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
            ok = ok && TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
        }
    }
    if (!ok) {
        return false;
    }
    std::unique_ptr<uint8_t[]> line;
    if (depth >= 24) {
        line.reset(new (std::nothrow) uint8_t[static_cast<size_t>(page->width) * spp]);
        if (!line) {
            return false;
        }
    }
    const int step = depth / 8;
    for (int32_t y = 0; y < page->height; ++y) {
        uint8_t* row = page->GetRow(y, true);
        void* out = row;
        if (line) {
            for (int32_t x = 0; x < page->width; ++x) {
                const uint8_t* in = row + static_cast<size_t>(x) * step;
                uint8_t* o = line.get() + static_cast<size_t>(x) * spp;
                o[0] = in[2];
                o[1] = in[1];
                o[2] = in[0];
                if (spp == 4) {
                    o[3] = in[3];
                }
            }
            out = line.get();
        }
        if (TIFFWriteScanline(tif, out, static_cast<uint32_t>(y), 0) < 0) {
            return false;
        }
    }
    return TIFFWriteDirectory(tif) != 0;
}

} // namespace

bool CTiffWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr) {
        return false;
    }
    for (int32_t i = 0; i <= image->FrameCount(); ++i) {
        const CImageObject* page = image->GetFrame(i);
        const int32_t depth = page != nullptr ? page->bitsPerPixel : 0;
        if (page == nullptr || page->bits == nullptr || page->width <= 0 || page->height <= 0 ||
            (depth != 1 && depth != 8 && depth != 24 && depth != 32)) {
            return false;
        }
    }
    CImageFileTarget target;
    if (!target.Reserve(path)) {
        return false;
    }
    bool failed = false;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        return false;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, &NoteError, &failed);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &Silent, nullptr);
    TIFF* tif = TIFFOpenExt(target.TempPath(), "w", options);
    TIFFOpenOptionsFree(options);
    if (tif == nullptr) {
        return false;
    }
    bool ok = true;
    for (int32_t i = 0; ok && i <= image->FrameCount(); ++i) {
        ok = WritePage(tif, image->GetFrame(i));
    }
    ok = ok && TIFFFlush(tif) != 0;
    TIFFClose(tif);
    if (!ok || failed) {
        target.Abandon();
        return false;
    }
    return target.Commit(image);
}
