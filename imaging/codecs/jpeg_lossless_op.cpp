// Lossless flips and rotations over the library's coefficient interface.
//
// Geometry. Blocks are 8 x 8 coefficients in natural order, element [v][u]
// (v = row). An iMCU is 8 x (largest horizontal sampling factor) pixels wide
// and 8 x (largest vertical factor) tall (8 x 8 for a one-component image).
// A mirrored dimension must be a whole number of iMCUs, or the partial blocks
// at its edge would land inside the image: flip horizontal and rotate 90 need
// the output width whole, flip vertical and rotate 270 the output height,
// rotate 180 both. Otherwise the transform is refused.
//
// Output block (x, y) of each component, W x H its size in blocks:
//   flip horizontal  source (W-1-x, y),      elements with odd u negated
//   flip vertical    source (x, H-1-y),      elements with odd v negated
//   rotate 180       source (W-1-x, H-1-y),  elements with odd u+v negated
//   rotate 90        source (y, W-1-x) transposed, odd output u negated
//   rotate 270       source (H-1-y, x) transposed, odd output v negated
// Rotations by 90 and 270 also transpose the image size, every component's
// sampling factors and every quantisation table.
//
// Segments: all COM and APP0..APP15 segments are copied in order, except a
// JFIF APP0 or an Adobe APP14 that the compressor writes itself. A file whose
// first segment is Exif gets no JFIF segment of the compressor's (the Exif
// segment must come first). The result is byte for byte what the common
// command-line transformer writes in its "perfect, copy all" mode.
#include "imaging/codecs/jpeg_lossless_op.h"

#include <cstring>

#include <jerror.h>

#include "imaging/codecs/image_writer.h"
#include "imaging/codecs/jpeg_io.h"
#include "imaging/win32_file.h"

namespace {

enum ETransform { kNone = 0, kFlipH = 1, kFlipV = 2, kRot90 = 5, kRot180 = 6, kRot270 = 7 };

ETransform TransformOf(int32_t operation, int32_t angle) {
    switch (operation) {
    case CJpegLosslessOp::kFlipHorizontal:
        return kFlipH;
    case CJpegLosslessOp::kFlipVertical:
        return kFlipV;
    case CJpegLosslessOp::kRotate:
        return angle == 90 ? kRot90 : angle == 180 ? kRot180 : angle == 270 ? kRot270 : kNone;
    default:
        return kNone;
    }
}

// a rounded up to a multiple of b.
JDIMENSION RoundUp(JDIMENSION a, int b) {
    const JDIMENSION m = static_cast<JDIMENSION>(b);
    return (a + m - 1) / m * m;
}

bool Transposes(ETransform t) {
    return t == kRot90 || t == kRot270;
}

// Both libjpeg objects, released on every path; zeroed first so that
// destroying one the library never created is harmless. They share one error
// manager and so one jump target.
struct TransformJob {
    jpeg_decompress_struct src;
    jpeg_compress_struct dst;
    JpegErrorManager err;
    TransformJob() {
        std::memset(&src, 0, sizeof src);
        std::memset(&dst, 0, sizeof dst);
        src.err = InstallJpegErrors(err);
        dst.err = &err.pub;
    }
    ~TransformJob() {
        jpeg_destroy_compress(&dst);
        jpeg_destroy_decompress(&src);
    }
    TransformJob(const TransformJob&) = delete;
    TransformJob& operator=(const TransformJob&) = delete;
};

// True when every dimension the transform mirrors is whole iMCUs (checked on
// the source, before any transposition).
bool EdgesAreWhole(j_decompress_ptr src, ETransform t) {
    const bool single = src->num_components == 1;
    const unsigned imcuWidth = single ? DCTSIZE : DCTSIZE * src->max_h_samp_factor;
    const unsigned imcuHeight = single ? DCTSIZE : DCTSIZE * src->max_v_samp_factor;
    const bool widthWhole = src->image_width % imcuWidth == 0;
    const bool heightWhole = src->image_height % imcuHeight == 0;
    switch (t) {
    case kFlipH:
        return widthWhole;
    case kFlipV:
        return heightWhole;
    case kRot90:
        return heightWhole; // becomes the output width
    case kRot270:
        return widthWhole; // becomes the output height
    case kRot180:
        return widthWhole && heightWhole;
    default:
        return false;
    }
}

// Output coefficient arrays, requested from the source's memory manager so
// that jpeg_read_coefficients realises them with the source's own.
jvirt_barray_ptr* RequestOutputArrays(j_decompress_ptr src, ETransform t) {
    j_common_ptr common = reinterpret_cast<j_common_ptr>(src);
    jvirt_barray_ptr* arrays = static_cast<jvirt_barray_ptr*>((*src->mem->alloc_small)(
        common, JPOOL_IMAGE, sizeof(jvirt_barray_ptr) * src->num_components));
    for (int ci = 0; ci < src->num_components; ++ci) {
        const jpeg_component_info* c = src->comp_info + ci;
        JDIMENSION width = RoundUp(c->width_in_blocks, c->h_samp_factor);
        JDIMENSION height = RoundUp(c->height_in_blocks, c->v_samp_factor);
        JDIMENSION access = c->v_samp_factor;
        if (Transposes(t)) {
            JDIMENSION w = RoundUp(c->height_in_blocks, c->v_samp_factor);
            height = RoundUp(c->width_in_blocks, c->h_samp_factor);
            width = w;
            access = c->h_samp_factor;
        }
        arrays[ci] =
            (*src->mem->request_virt_barray)(common, JPOOL_IMAGE, TRUE, width, height, access);
    }
    return arrays;
}

void AdjustOutputParameters(j_decompress_ptr src, j_compress_ptr dst, ETransform t) {
    if (Transposes(t)) {
        dst->image_width = src->image_height;
        dst->image_height = src->image_width;
        for (int ci = 0; ci < dst->num_components; ++ci) {
            jpeg_component_info* c = dst->comp_info + ci;
            const int h = c->h_samp_factor;
            c->h_samp_factor = c->v_samp_factor;
            c->v_samp_factor = h;
        }
        for (int q = 0; q < NUM_QUANT_TBLS; ++q) {
            JQUANT_TBL* table = dst->quant_tbl_ptrs[q];
            if (table == nullptr) {
                continue;
            }
            for (int v = 0; v < DCTSIZE; ++v) {
                for (int u = v + 1; u < DCTSIZE; ++u) {
                    const UINT16 keep = table->quantval[v * DCTSIZE + u];
                    table->quantval[v * DCTSIZE + u] = table->quantval[u * DCTSIZE + v];
                    table->quantval[u * DCTSIZE + v] = keep;
                }
            }
        }
    }
    if (dst->num_components == 1) {
        // One component is one block per MCU whatever its factors say; 1 x 1
        // is what every decoder expects of it.
        dst->comp_info[0].h_samp_factor = 1;
        dst->comp_info[0].v_samp_factor = 1;
    }
    const jpeg_marker_struct* first = src->marker_list;
    if (first != nullptr && first->marker == JPEG_APP0 + 1 && first->data_length >= 6 &&
        std::memcmp(first->data, "Exif\0\0", 6) == 0) {
        dst->write_JFIF_header = FALSE;
    }
}

void CopySavedSegments(j_decompress_ptr src, j_compress_ptr dst) {
    for (const jpeg_marker_struct* m = src->marker_list; m != nullptr; m = m->next) {
        if (dst->write_JFIF_header && m->marker == JPEG_APP0 && m->data_length >= 5 &&
            std::memcmp(m->data, "JFIF\0", 5) == 0) {
            continue;
        }
        if (dst->write_Adobe_marker && m->marker == JPEG_APP0 + 14 && m->data_length >= 5 &&
            std::memcmp(m->data, "Adobe", 5) == 0) {
            continue;
        }
        jpeg_write_marker(dst, m->marker, m->data, m->data_length);
    }
}

// One output block from its source block.
void MoveBlock(const JCOEF* in, JCOEF* out, ETransform t) {
    for (int v = 0; v < DCTSIZE; ++v) {
        for (int u = 0; u < DCTSIZE; ++u) {
            JCOEF value;
            bool negate;
            switch (t) {
            case kFlipH:
                value = in[v * DCTSIZE + u];
                negate = (u & 1) != 0;
                break;
            case kFlipV:
                value = in[v * DCTSIZE + u];
                negate = (v & 1) != 0;
                break;
            case kRot180:
                value = in[v * DCTSIZE + u];
                negate = ((u + v) & 1) != 0;
                break;
            case kRot90:
                value = in[u * DCTSIZE + v];
                negate = (u & 1) != 0;
                break;
            default:
                value = in[u * DCTSIZE + v];
                negate = (v & 1) != 0;
                break; // kRot270
            }
            out[v * DCTSIZE + u] = static_cast<JCOEF>(negate ? -value : value);
        }
    }
}

void TransformComponents(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* in,
                         jvirt_barray_ptr* out, ETransform t) {
    j_common_ptr common = reinterpret_cast<j_common_ptr>(src);
    for (int ci = 0; ci < dst->num_components; ++ci) {
        const jpeg_component_info* d = dst->comp_info + ci;
        const jpeg_component_info* s = src->comp_info + ci;
        // The edge check makes every mirrored extent whole blocks of the output.
        const JDIMENSION w = d->width_in_blocks;
        const JDIMENSION h = d->height_in_blocks;
        const JDIMENSION srcRows = RoundUp(s->height_in_blocks, s->v_samp_factor);
        const JDIMENSION srcCols = RoundUp(s->width_in_blocks, s->h_samp_factor);
        for (JDIMENSION y = 0; y < h; ++y) {
            JBLOCKROW outRow = (*src->mem->access_virt_barray)(common, out[ci], y, 1, TRUE)[0];
            for (JDIMENSION x = 0; x < w; ++x) {
                JDIMENSION sx, sy;
                switch (t) {
                case kFlipH:
                    sx = w - 1 - x;
                    sy = y;
                    break;
                case kFlipV:
                    sx = x;
                    sy = h - 1 - y;
                    break;
                case kRot180:
                    sx = w - 1 - x;
                    sy = h - 1 - y;
                    break;
                case kRot90:
                    sx = y;
                    sy = w - 1 - x;
                    break;
                default:
                    sx = h - 1 - y;
                    sy = x;
                    break; // kRot270
                }
                if (sx >= srcCols || sy >= srcRows) {
                    ERREXIT(src, JERR_BAD_VIRTUAL_ACCESS);
                }
                JBLOCKROW inRow = (*src->mem->access_virt_barray)(common, in[ci], sy, 1, FALSE)[0];
                MoveBlock(inRow[sx], outRow[x], t);
            }
        }
    }
}

// Every library call of one transform; false on a library error or a refused
// geometry. Only plain data is created after the setjmp.
bool Transform(TransformJob& job, const uint8_t* data, size_t size, ETransform t,
               CImageFileTarget* target) {
    j_decompress_ptr src = &job.src;
    j_compress_ptr dst = &job.dst;
    if (setjmp(job.err.jump)) {
        return false;
    }
    jpeg_create_decompress(src);
    jpeg_create_compress(dst);
    src->mem->max_memory_to_use = JpegMemoryLimit();
    dst->mem->max_memory_to_use = JpegMemoryLimit();
    UseJpegMemorySource(src, data, size);
    jpeg_save_markers(src, JPEG_COM, 0xFFFF);
    for (int m = 0; m < 16; ++m) {
        jpeg_save_markers(src, JPEG_APP0 + m, 0xFFFF);
    }
    jpeg_read_header(src, TRUE);
    if (!EdgesAreWhole(src, t)) {
        return false;
    }
    jvirt_barray_ptr* out = RequestOutputArrays(src, t);
    jvirt_barray_ptr* in = jpeg_read_coefficients(src);
    jpeg_copy_critical_parameters(src, dst);
    AdjustOutputParameters(src, dst, t);

    UseJpegTargetDestination(dst, target);
    jpeg_write_coefficients(dst, out);
    CopySavedSegments(src, dst);
    TransformComponents(src, dst, in, out, t);
    jpeg_finish_compress(dst);
    jpeg_finish_decompress(src);
    return true;
}

} // namespace

bool CJpegLosslessOp::Apply(CImageObject*, CImageObject*) {
    return false;
}

bool CJpegLosslessOp::TransformFile(const char* destPath, const char* srcPath) {
    const ETransform t = TransformOf(operation, angle);
    if (t == kNone || destPath == nullptr || srcPath == nullptr) {
        return false;
    }
    // The new file is written beside the destination and moved over it in one
    // step once complete: the destination is never deleted or overwritten in
    // place, so a failure at any point leaves it as it was.
    CImageFileTarget target;
    {
        CMappedFile source;
        if (!source.Open(srcPath, kFileRead) || source.view == nullptr) {
            return false;
        }
        if (!target.Open(destPath)) {
            return false;
        }
        TransformJob job;
        if (!Transform(job, source.view, static_cast<size_t>(source.viewSize), t, &target)) {
            target.Abandon();
            return false;
        }
        // The source (possibly the destination itself) is closed here, before
        // the replace: an open mapping would keep the file from being replaced.
    }
    return target.Commit(nullptr);
}
