#include "imaging/codecs/jpeg_writer.h"

#include <cstring>

#include "imaging/codecs/jpeg_io.h"
#include "imaging/codecs/jpeg_metadata.h"
#include "imaging/image_object.h"
#include "imaging/operations/mode_conversions.h"

namespace {

// A compressor released on every path; zeroed first so that destroying one
// the library never created is harmless.
struct JpegCompressor {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    JpegCompressor() {
        std::memset(&cinfo, 0, sizeof cinfo);
        cinfo.err = InstallJpegErrors(err);
    }
    ~JpegCompressor() { jpeg_destroy_compress(&cinfo); }
    JpegCompressor(const JpegCompressor&) = delete;
    JpegCompressor& operator=(const JpegCompressor&) = delete;
};

struct Encoding {
    int32_t quality;
    bool optimize;
    bool progressive;
    bool keepMetadata;
};

// All library calls of one encode; false on a library error. Only plain data
// is created after the setjmp.
bool Compress(JpegCompressor& c, const CImageObject* pixels, const CImageObject* metadataSource,
              CImageFileTarget* target, const Encoding& how) {
    j_compress_ptr cinfo = &c.cinfo;
    if (setjmp(c.err.jump)) {
        return false;
    }
    jpeg_create_compress(cinfo);
    UseJpegTargetDestination(cinfo, target);
    cinfo->image_width = static_cast<JDIMENSION>(pixels->width);
    cinfo->image_height = static_cast<JDIMENSION>(pixels->height);
    switch (pixels->bitsPerPixel) {
    case 8:
        cinfo->in_color_space = JCS_GRAYSCALE;
        cinfo->input_components = 1;
        break;
    case 24:
        cinfo->in_color_space = JCS_EXT_BGR;
        cinfo->input_components = 3;
        break;
    default: // 32: the library skips the fourth byte itself
        cinfo->in_color_space = JCS_EXT_BGRX;
        cinfo->input_components = 4;
        break;
    }
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, how.quality, FALSE);
    cinfo->optimize_coding = how.optimize ? TRUE : FALSE;
    if (how.progressive) {
        jpeg_simple_progression(cinfo);
    }
    jpeg_start_compress(cinfo, TRUE);
    if (how.keepMetadata) {
        WriteJpegMetadata(cinfo, metadataSource->exif);
    }
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = pixels->GetRow(static_cast<int32_t>(cinfo->next_scanline), true);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

} // namespace

bool CJpegWriter::Write(const char* path, CImageObject* image) {
    if (image == nullptr || image->bits == nullptr || image->width <= 0 || image->height <= 0) {
        return false;
    }
    const int32_t depth = image->bitsPerPixel;
    if (depth != 1 && depth != 8 && depth != 24 && depth != 32) {
        return false;
    }
    // 1 bpp and coloured palettes become 24 bpp first; a grey ramp stays one
    // component.
    CImageObject converted;
    const CImageObject* pixels = image;
    if (depth == 1 || (depth == 8 && !image->IsGrayscalePalette())) {
        CRgbModeOp toRgb;
        if (!toRgb.Apply(&converted, image) || converted.bitsPerPixel != 24) {
            return false;
        }
        pixels = &converted;
    }

    Encoding how;
    how.quality = m_quality < 0 ? 0 : (m_quality > 100 ? 100 : m_quality);
    how.optimize = m_optimizeCoding;
    how.progressive = !m_baseline;
    how.keepMetadata = m_keepMetadata;

    CImageFileTarget target;
    if (!target.Open(path)) {
        return false;
    }
    {
        JpegCompressor compressor;
        if (!Compress(compressor, pixels, image, &target, how)) {
            target.Abandon();
            return false;
        }
    }
    return target.Commit(image);
}
