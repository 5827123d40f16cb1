#include "app/command_operations.h"

#include "imaging/operations/flip_op.h"
#include "imaging/operations/mode_conversions.h"
#include "imaging/operations/rotate_op.h"
#include "imaging/operations/tone_operations.h"
#include "resources/resource.h"

std::unique_ptr<CImageOperation> FixedCommandOperation(int id) {
    switch (id) {
    case ID_IMAGE_MODE_GRAYSCALE:
        return std::make_unique<CGrayscaleModeOp>();
    case ID_IMAGE_MODE_RGB:
        return std::make_unique<CRgbModeOp>();
    case ID_IMAGE_MODE_BITMAP:
        return std::make_unique<CBitmapModeOp>();
    case ID_ADJUST_DESATURATE:
        return std::make_unique<CDesaturateOp>();
    case ID_ADJUST_INVERT:
        return std::make_unique<CInvertOp>();
    case ID_ADJUST_EQUALIZE:
        return std::make_unique<CEqualizeOp>();
    case ID_ROTATE_180:
    case ID_ROTATE_90CW:
    case ID_ROTATE_90CCW: {
        auto rotate = std::make_unique<CRotateOp>();
        rotate->angle = id == ID_ROTATE_180 ? 180.0 : id == ID_ROTATE_90CW ? 90.0 : 270.0;
        return rotate;
    }
    case ID_FLIP_HORIZONTAL:
    case ID_FLIP_VERTICAL: {
        auto flip = std::make_unique<CFlipOp>();
        flip->direction = id == ID_FLIP_HORIZONTAL ? CFlipOp::kHorizontal : CFlipOp::kVertical;
        return flip;
    }
    default:
        return nullptr;
    }
}
