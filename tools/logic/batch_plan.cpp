#include "tools/logic/batch_plan.h"

#include <cstddef>

#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/image_file_types.h"
#include "resources/resource.h"

namespace batch_plan {

namespace {

constexpr int kFlipH = CJpegLosslessOp::kFlipHorizontal;
constexpr int kFlipV = CJpegLosslessOp::kFlipVertical;
constexpr int kTurn = CJpegLosslessOp::kRotate;

constexpr size_t kMaxPath = 259;

const ConvertFormat kFormats[kConvertFormatCount] = {
    {1, "BMP (Windows Bitmap)"}, {2, "GIF (CompuServe GIF)"},
    {6, "JPG (JPEG)"},           {3, "PNG (Portable Network Graphics)"},
    {4, "PSD (Photoshop)"},      {5, "RAS (Sun Rasterfile)"},
    {7, "TIF (TIFF)"},           {8, "WBMP (Wireless Bitmap)"},
};

} // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {ID_IMAGE_MODE_GRAYSCALE, "Converting", "Grayscale", 0, 0, Parameters::kNone},
        {ID_IMAGE_SIZE, "Resizing", "Resized", 0, 0, Parameters::kImageSize},
        {ID_ADJUST_BRIGHTNESS_CONTRAST, "Converting", "Brightness Contrast", 0, 0,
         Parameters::kAdjustment},
        {ID_ADJUST_COLOR_BALANCE, "Converting", "Color Balance", 0, 0, Parameters::kAdjustment},
        {ID_ADJUST_HUE_SATURATION, "Converting", "Hue Saturation", 0, 0, Parameters::kAdjustment},
        {ID_ADJUST_DESATURATE, "Converting", "Desaturate", 0, 0, Parameters::kNone},
        {ID_ADJUST_POSTERIZE, "Converting", "Posterize", 0, 0, Parameters::kAdjustment},
        {ID_ADJUST_INVERT, "Converting", "Invert", 0, 0, Parameters::kNone},
        {ID_ADJUST_EQUALIZE, "Converting", "Equalize", 0, 0, Parameters::kNone},
        {ID_IMAGE_MODE_INDEXED, "Converting", "Indexed Color", 0, 0, Parameters::kIndexedColor},
        {ID_IMAGE_MODE_RGB, "Converting", "RGB", 0, 0, Parameters::kNone},
        {ID_IMAGE_MODE_BITMAP, "Converting", "Bitmap", 0, 0, Parameters::kNone},
        {ID_ROTATE_180, "Rotating", "Rotated", kTurn, 180, Parameters::kNone},
        {ID_ROTATE_90CW, "Rotating", "Rotated", kTurn, 90, Parameters::kNone},
        {ID_ROTATE_90CCW, "Rotating", "Rotated", kTurn, 270, Parameters::kNone},
        {ID_ROTATE_ARBITRARY, "Rotating", "Rotated", 0, 0, Parameters::kRotateCanvas},
        {ID_FLIP_HORIZONTAL, "Flipping", "Flipped", kFlipH, 0, Parameters::kNone},
        {ID_FLIP_VERTICAL, "Flipping", "Flipped", kFlipV, 0, Parameters::kNone},
    };
    return commands;
}

const Command* FindCommand(int id) {
    for (const Command& command : Commands())
        if (command.id == id)
            return &command;
    return nullptr;
}

ItemStep StepFor(int fileType, const Command& command) {
    if (IsVectorImageFileType(fileType))
        return ItemStep::kUnsupported;
    if (fileType == kFileTypeJpeg && command.losslessOperation != 0)
        return ItemStep::kLossless;
    return ItemStep::kPixels;
}

bool ChangesNothing(const std::vector<int>& values) {
    for (int value : values)
        if (value != 0)
            return false;
    return true;
}

std::string FailureReport(const std::vector<Failure>& failures, int total, size_t maxLines) {
    if (failures.empty())
        return std::string();
    std::string text = std::to_string(failures.size()) + " of " + std::to_string(total) +
                       (total == 1 ? " image" : " images") + " could not be processed:";
    size_t shown = 0;
    for (const Failure& failure : failures) {
        if (shown == maxLines) {
            text += "\r\n...";
            break;
        }
        text += "\r\n" + failure.path + ": " + failure.reason;
        ++shown;
    }
    return text;
}

const ConvertFormat* ConvertFormats() {
    return kFormats;
}

int ConvertRowForStored(int stored) {
    const int wanted =
        stored >= 1 && stored <= kConvertFormatCount ? stored : kDefaultConvertEncoderType;
    for (int row = 0; row < kConvertFormatCount; ++row)
        if (kFormats[row].encoderType == wanted)
            return row;
    return 0;
}

std::string ConvertOutputPath(const std::string& folder, const std::string& sourcePath,
                              const std::string& extension) {
    const size_t slash = sourcePath.find_last_of("\\/");
    std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    if (name.empty())
        return std::string();
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += name + extension;
    return path.size() > kMaxPath ? std::string() : path;
}

std::string ConfirmReplaceText(const std::string& name) {
    std::string text = "The output folder already contains a file named '" + name + "'.";
    if (text.size() > 511)
        text.resize(511);
    return text;
}

ReplaceAction ActOnReplaceAnswer(int answer, bool* yesToAll) {
    switch (static_cast<ReplaceAnswer>(answer)) {
    case ReplaceAnswer::kYes:
        return ReplaceAction::kWrite;
    case ReplaceAnswer::kYesToAll:
        if (yesToAll)
            *yesToAll = true;
        return ReplaceAction::kWrite;
    case ReplaceAnswer::kNo:
        return ReplaceAction::kSkip;
    default:
        return ReplaceAction::kStop;
    }
}

} // namespace batch_plan
