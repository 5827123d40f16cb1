// Flips and rotates a JPEG file on disk without decoding it to pixels: the
// quantised DCT coefficient blocks are rearranged and written to a new file
// that replaces the destination only when it is complete. The viewer and the
// batch tool try this first for unmodified JPEG files and fall back to the
// pixel operation when it returns false.
#pragma once

#include <cstdint>

#include "imaging/operations/image_operation.h"

class CImageObject;

class CJpegLosslessOp : public CImageOperation {
public:
    enum : int32_t {
        kFlipHorizontal = 1,
        kFlipVertical = 2,
        kRotate = 3, // by angle: 90 (clockwise), 180 or 270
    };

    // There is no lossless form of a pixel operation: always false.
    bool Apply(CImageObject* dest, CImageObject* src) override;

    // Writes the transformed srcPath over destPath (the two may name the same
    // file). False, with destPath untouched and no temporary file left, when
    // the operation is not one of the five, the source is not a JPEG the
    // library reads, a dimension that the transform mirrors is not a whole
    // number of iMCUs (the edge blocks could not be moved exactly; this
    // includes images smaller than one iMCU), or the file cannot be replaced.
    virtual bool TransformFile(const char* destPath, const char* srcPath);

    int32_t operation = 0; // kFlipHorizontal, kFlipVertical or kRotate
    int32_t angle = 0;     // for kRotate
};
