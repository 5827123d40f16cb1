#include "imaging/codecs/jpeg_reader.h"

#include <cstring>

#include "imaging/byte_stream.h"
#include "imaging/codecs/jpeg_io.h"
#include "imaging/codecs/jpeg_metadata.h"
#include "imaging/image_object.h"
#include "imaging/operations/resize_op.h"
#include "imaging/win32_file.h"

namespace {

// Rows per progress event.
constexpr int32_t kRowsPerBand = 32;

// A decompressor released on every path; zeroed first so that destroying one
// the library never created is harmless.
struct JpegDecompressor {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    JpegDecompressor() {
        std::memset(&cinfo, 0, sizeof cinfo);
        cinfo.err = InstallJpegErrors(err);
    }
    ~JpegDecompressor() { jpeg_destroy_decompress(&cinfo); }
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;
};

// (a * b) / 255 rounded, as the usual CMYK conversion computes it.
inline uint8_t MulDiv255(unsigned a, unsigned b) {
    const unsigned t = a * b + 128;
    return static_cast<uint8_t>(((t >> 8) + t) >> 8);
}

// One row of CMYK samples to blue, green, red. Files with an Adobe segment
// store the inks inverted (0 = full ink), which is what the library hands out.
void CmykRowToBgr(const JSAMPLE* in, uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned c = inverted ? 255u - in[0] : in[0];
        const unsigned m = inverted ? 255u - in[1] : in[1];
        const unsigned y = inverted ? 255u - in[2] : in[2];
        const unsigned k = inverted ? 255u - in[3] : in[3];
        const unsigned nk = 255u - k;
        out[0] = static_cast<uint8_t>(nk - MulDiv255(y, nk));
        out[1] = static_cast<uint8_t>(nk - MulDiv255(m, nk));
        out[2] = static_cast<uint8_t>(nk - MulDiv255(c, nk));
    }
}

// The output colour space for the file's, and the components it delivers;
// 0 for files the reader does not handle.
int ChooseOutput(j_decompress_ptr cinfo) {
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        return 1;
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo->out_color_space = JCS_EXT_BGR;
        return 3;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        return 4;
    default:
        return 0;
    }
}

} // namespace

int32_t CJpegReader::ChooseScaleDenominator(int32_t width, int32_t height, int32_t maxWidth,
                                            int32_t maxHeight, double zoom) {
    double wanted;
    if (maxWidth == -1 || maxHeight == -1) {
        wanted = zoom == 0.0 ? 1.0 : zoom;
    } else {
        int32_t boxWidth = maxWidth;
        int32_t boxHeight = maxHeight;
        wanted = FitSizeIntoBox(width, height, &boxWidth, &boxHeight);
    }
    if (wanted < 0.125) {
        return 8;
    }
    if (wanted < 0.25) {
        return 4;
    }
    if (wanted < 0.5) {
        return 2;
    }
    return 1;
}

bool CJpegReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) { return ReadFromStream(view, image); });
}

// Thumbnails of large photos are made by the hundred, so the file is read
// through a window instead of being mapped whole: the mapping would keep
// every page of the file resident for a decode that needs each byte once.
bool CJpegReader::ReadScaled(const char* path, CImageObject* image) {
    if (path == nullptr || image == nullptr) {
        return false;
    }
    CWin32File file;
    if (!file.Open(path, kFileRead)) {
        return false;
    }
    // Streams address 32 bits; a larger file is no image this program reads.
    const int64_t size = file.GetSize();
    if (size <= 0 || size > INT64_C(0xFFFFFFFF)) {
        return false;
    }
    const plat::FileTimeValue time = file.GetLastWriteTime();
    const bool ok = ReadScaledFrom(Source{nullptr, &file}, image);
    // The resample re-creates the image, which clears the time; set both after.
    image->fileTime = time;
    image->fileSize = static_cast<uint32_t>(size);
    return ok;
}

bool CJpegReader::ReadFromStream(CByteStream& stream, CImageObject* image) {
    return Decode(stream, image, true);
}

bool CJpegReader::ReadScaledFromStream(CByteStream& stream, CImageObject* image) {
    return ReadScaledFrom(Source{&stream, nullptr}, image);
}

bool CJpegReader::ReadScaledFrom(const Source& source, CImageObject* image) {
    if (image == nullptr) {
        return false;
    }
    CImageObject temp;
    if (!Decode(source, &temp, false)) {
        image->fullWidth = temp.fullWidth; // what the file claimed, for the caller
        image->fullHeight = temp.fullHeight;
        return false;
    }
    int32_t boxWidth = m_maxWidth >= 0 ? m_maxWidth : INT32_MAX;
    int32_t boxHeight = m_maxHeight >= 0 ? m_maxHeight : INT32_MAX;
    const double scale = FitSizeIntoBox(temp.width, temp.height, &boxWidth, &boxHeight);
    if (scale == 1.0) {
        if (!image->CopyFrom(&temp)) {
            return false;
        }
    } else {
        CImageSizeOp resize;
        resize.mode = CImageSizeOp::kExactSize;
        resize.width = boxWidth;
        resize.height = boxHeight;
        if (!resize.Apply(image, &temp)) {
            return false;
        }
    }
    // After the resample, which would otherwise leave the reduced size as the
    // full size and make the image pass for fully loaded.
    image->fullWidth = temp.fullWidth;
    image->fullHeight = temp.fullHeight;
    return true;
}

// fullProtocol: the reading protocol with header-only, release-after-decode,
// EXIF and events, scaled for the box or zoom. Otherwise a fast decode for a
// resample, scaled for the box, into a fresh image.
bool CJpegReader::Decode(const Source& source, CImageObject* image, bool fullProtocol) {
    if (image == nullptr) {
        return false;
    }
    JpegDecompressor decoder;
    j_decompress_ptr cinfo = &decoder.cinfo;
    if (setjmp(decoder.err.jump)) {
        return false; // the decompressor's destructor releases everything
    }
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = JpegMemoryLimit();
    if (source.file != nullptr) {
        UseJpegFileSource(cinfo, source.file);
    } else {
        CByteStream& stream = *source.stream;
        UseJpegMemorySource(cinfo,
                            stream.buffer != nullptr ? stream.buffer + stream.position : nullptr,
                            stream.Remaining());
    }
    if (fullProtocol) {
        jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
    }
    jpeg_read_header(cinfo, TRUE);

    const int32_t fileWidth = static_cast<int32_t>(cinfo->image_width);
    const int32_t fileHeight = static_cast<int32_t>(cinfo->image_height);
    // The limit is on the size the file claims, not on the reduced decode: a
    // reduced decode still makes the library work through every block.
    image->fullWidth = fileWidth;
    image->fullHeight = fileHeight;
    if (!SizeAllowed(fileWidth, fileHeight)) {
        return false;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = static_cast<unsigned>(ChooseScaleDenominator(
        fileWidth, fileHeight, m_maxWidth, m_maxHeight, fullProtocol ? m_zoom : 0.0));
    if (!fullProtocol) {
        cinfo->do_fancy_upsampling = FALSE;
        cinfo->do_block_smoothing = FALSE;
    }
    const int components = ChooseOutput(cinfo);
    if (components == 0) {
        return false;
    }
    jpeg_calc_output_dimensions(cinfo);

    if (fullProtocol && image->headerOnly) {
        image->fullWidth = fileWidth;
        image->fullHeight = fileHeight;
        return true;
    }
    if (fullProtocol && StopRequested(image)) {
        return false;
    }
    if (fullProtocol && !StoreJpegMetadata(cinfo, image)) {
        return false;
    }

    const int32_t width = static_cast<int32_t>(cinfo->output_width);
    const int32_t height = static_cast<int32_t>(cinfo->output_height);
    if (!SizeAllowed(width, height) || !image->Create(width, height, components == 1 ? 8 : 24, 0) ||
        image->bits == nullptr) {
        return false;
    }
    image->fullWidth = fileWidth;
    image->fullHeight = fileHeight;
    image->UpdateColorTable();
    if (fullProtocol) {
        SignalHeaderReady(image);
    }
    if (source.file != nullptr) {
        WidenJpegFileSource(cinfo);
    }

    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != components ||
        static_cast<int32_t>(cinfo->output_width) != width ||
        static_cast<int32_t>(cinfo->output_height) != height) {
        return false;
    }
    JSAMPARRAY cmykRow = nullptr;
    if (components == 4) {
        cmykRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                              cinfo->output_width * 4, 1);
    }
    const bool inverted = cinfo->saw_Adobe_marker != 0;
    int32_t bandStart = 0;
    while (cinfo->output_scanline < cinfo->output_height) {
        if (fullProtocol && StopRequested(image)) {
            return false;
        }
        const int32_t row = static_cast<int32_t>(cinfo->output_scanline);
        uint8_t* target = image->GetRow(row, true);
        JSAMPROW into = cmykRow != nullptr ? cmykRow[0] : target;
        if (jpeg_read_scanlines(cinfo, &into, 1) != 1) {
            return false; // the memory source never suspends; this is a fault
        }
        if (cmykRow != nullptr) {
            CmykRowToBgr(cmykRow[0], target, cinfo->output_width, inverted);
        }
        const int32_t done = row + 1;
        if (fullProtocol && (done - bandStart == kRowsPerBand || done == height)) {
            ReportRows(image, bandStart, done - bandStart);
            bandStart = done;
        } else if (!fullProtocol) {
            image->rowsDecoded.store(done);
        }
    }
    jpeg_finish_decompress(cinfo);
    if (fullProtocol) {
        SignalComplete(image);
    } else {
        image->SetComplete();
    }
    return true;
}
