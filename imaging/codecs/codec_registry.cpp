#include "imaging/codecs/codec_registry.h"

#include <new>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/gif_codec.h"
#include "imaging/codecs/ico_reader.h"
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/codecs/pcd_reader.h"
#include "imaging/codecs/pcx_reader.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/codecs/psd_codec.h"
#include "imaging/codecs/psp_reader.h"
#include "imaging/codecs/sunras_codec.h"
#include "imaging/codecs/tga_reader.h"
#include "imaging/codecs/tiff_codec.h"
#include "imaging/codecs/wbmp_codec.h"
#include "imaging/image_file_types.h"
#ifdef _WIN32
#include "imaging/codecs/metafile_reader.h"
#endif

namespace {

// Allocation failure gives null like an unknown type: callers already treat
// "no reader" as a file they cannot open.
template <class T> std::unique_ptr<T> Make() {
    return std::unique_ptr<T>(new (std::nothrow) T);
}

} // namespace

std::unique_ptr<CImageReader> NewImageReader(int type) {
    switch (type) {
    case kFileTypeBmp:
        return Make<CBmpReader>();
#ifdef _WIN32
    case kFileTypeEmf:
    case kFileTypeWmf:
        return Make<CMetafileReader>();
#endif
    case kFileTypeGif:
        return Make<CGifReader>();
    case kFileTypePng:
        return Make<CPngReader>();
    case kFileTypeIco:
        return Make<CIconReader>();
    case kFileTypeJpeg:
        return Make<CJpegReader>();
    case kFileTypePcd:
        return Make<CPcdReader>();
    case kFileTypePcx:
        return Make<CPcxReader>();
    case kFileTypePsd:
        return Make<CPsdReader>();
    case kFileTypePsp:
        return Make<CPspReader>();
    case kFileTypeRas:
        return Make<CSunRasterReader>();
    case kFileTypeTga:
        return Make<CTargaReader>();
    case kFileTypeTiff:
        return Make<CTiffReader>();
    case kFileTypeWbmp:
        return Make<CWbmpReader>();
    default:
        return nullptr;
    }
}

std::unique_ptr<CImageWriter> NewImageWriter(int type) {
    switch (type) {
    case kFileTypeBmp:
        return Make<CBmpWriter>();
    case kFileTypeGif:
        return Make<CGifWriter>();
    case kFileTypePng:
        return Make<CPngWriter>();
    case kFileTypeJpeg:
        return Make<CJpegWriter>();
    case kFileTypePsd:
        return Make<CPsdWriter>();
    case kFileTypeRas:
        return Make<CSunRasterWriter>();
    case kFileTypeTiff:
        return Make<CTiffWriter>();
    case kFileTypeWbmp:
        return Make<CWbmpWriter>();
    default:
        return nullptr;
    }
}
