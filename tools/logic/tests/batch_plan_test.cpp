// The rules of batch processing and Convert: the command table, what each
// file takes, the failure report, the Convert formats, names and replace
// answers.
#include "tools/logic/batch_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/codecs/jpeg_lossless_op.h"
#include "imaging/image_file_types.h"
#include "resources/resource.h"

namespace {

using namespace batch_plan;

TEST(BatchCommands, EachImageCommandHasItsVerbNounAndLosslessTurn) {
    struct Case {
        int id;
        const char* verb;
        const char* noun;
        int operation;
        int angle;
        Parameters parameters;
    } cases[] = {
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
        {ID_ROTATE_180, "Rotating", "Rotated", CJpegLosslessOp::kRotate, 180, Parameters::kNone},
        {ID_ROTATE_90CW, "Rotating", "Rotated", CJpegLosslessOp::kRotate, 90, Parameters::kNone},
        {ID_ROTATE_90CCW, "Rotating", "Rotated", CJpegLosslessOp::kRotate, 270, Parameters::kNone},
        {ID_ROTATE_ARBITRARY, "Rotating", "Rotated", 0, 0, Parameters::kRotateCanvas},
        {ID_FLIP_HORIZONTAL, "Flipping", "Flipped", CJpegLosslessOp::kFlipHorizontal, 0,
         Parameters::kNone},
        {ID_FLIP_VERTICAL, "Flipping", "Flipped", CJpegLosslessOp::kFlipVertical, 0,
         Parameters::kNone},
    };
    ASSERT_EQ(std::size(cases), Commands().size());
    for (const Case& c : cases) {
        const Command* command = FindCommand(c.id);
        ASSERT_NE(nullptr, command) << c.id;
        EXPECT_STREQ(c.verb, command->verb) << c.id;
        EXPECT_STREQ(c.noun, command->noun) << c.id;
        EXPECT_EQ(c.operation, command->losslessOperation) << c.id;
        EXPECT_EQ(c.angle, command->losslessAngle) << c.id;
        EXPECT_EQ(c.parameters, command->parameters) << c.id;
    }
    for (int other : {0, ID_FILE_CONVERT, ID_TOOLS_BATCH_RENAME, ID_EDIT_COPY})
        EXPECT_EQ(nullptr, FindCommand(other)) << other;
}

TEST(BatchSteps, MetafilesAreRefusedAndOnlyJpegTurnsAndFlipsAreLossless) {
    const Command& gray = *FindCommand(ID_IMAGE_MODE_GRAYSCALE);
    const Command& turn = *FindCommand(ID_ROTATE_90CW);
    const Command& flip = *FindCommand(ID_FLIP_VERTICAL);
    const Command& arbitrary = *FindCommand(ID_ROTATE_ARBITRARY);
    struct Case {
        int type;
        const Command& command;
        ItemStep step;
    } cases[] = {
        {kFileTypeEmf, gray, ItemStep::kUnsupported}, {kFileTypeWmf, turn, ItemStep::kUnsupported},
        {kFileTypeJpeg, turn, ItemStep::kLossless},   {kFileTypeJpeg, flip, ItemStep::kLossless},
        {kFileTypeJpeg, gray, ItemStep::kPixels},     {kFileTypeJpeg, arbitrary, ItemStep::kPixels},
        {kFileTypePng, turn, ItemStep::kPixels},      {kFileTypeBmp, flip, ItemStep::kPixels},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.step, StepFor(c.type, c.command)) << c.type << " " << c.command.id;
}

TEST(BatchAdjustments, OnlyAllZeroValuesChangeNothing) {
    EXPECT_TRUE(ChangesNothing({}));
    EXPECT_TRUE(ChangesNothing({0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(ChangesNothing({0, 0, 0, 0, -1, 0, 0, 0, 0}));
    EXPECT_FALSE(ChangesNothing({100}));
}

TEST(BatchReports, CountTheFailuresNameEachFileAndKeepPercentSignsLiteral) {
    EXPECT_EQ("", FailureReport({}, 3));
    EXPECT_EQ("1 of 1 image could not be processed:\r\nC:\\a.jpg: it could not be read",
              FailureReport({{"C:\\a.jpg", "it could not be read"}}, 1));
    const std::string percent =
        FailureReport({{"C:\\100% photos\\%s%n.jpg", "it could not be written"}}, 4);
    EXPECT_EQ("1 of 4 images could not be processed:\r\n"
              "C:\\100% photos\\%s%n.jpg: it could not be written",
              percent);
    std::vector<Failure> many(5, Failure{"x.png", "r"});
    EXPECT_EQ("5 of 9 images could not be processed:\r\nx.png: r\r\nx.png: r\r\n...",
              FailureReport(many, 9, 2));
}

TEST(ConvertFormatList, StoredEncoderTypesSelectTheirRowAndOthersSelectTiff) {
    const char* texts[] = {"BMP (Windows Bitmap)", "GIF (CompuServe GIF)",
                           "JPG (JPEG)",           "PNG (Portable Network Graphics)",
                           "PSD (Photoshop)",      "RAS (Sun Rasterfile)",
                           "TIF (TIFF)",           "WBMP (Wireless Bitmap)"};
    const int types[] = {1, 2, 6, 3, 4, 5, 7, 8};
    for (int row = 0; row < kConvertFormatCount; ++row) {
        EXPECT_STREQ(texts[row], ConvertFormats()[row].text);
        EXPECT_EQ(types[row], ConvertFormats()[row].encoderType);
    }
    struct Case {
        int stored;
        int row;
    } cases[] = {{6, 2}, {3, 3}, {1, 0}, {8, 7}, {7, 6}, {0, 6}, {9, 6}, {-1, 6}, {1154, 6}};
    for (const Case& c : cases)
        EXPECT_EQ(c.row, ConvertRowForStored(c.stored)) << c.stored;
}

TEST(ConvertNames, TheSourceNameTakesTheNewExtensionInTheOutputFolder) {
    struct Case {
        const char* folder;
        const char* source;
        const char* extension;
        const char* path;
    } cases[] = {
        {"C:\\out", "C:\\in\\a.png", ".jpg", "C:\\out\\a.jpg"},
        {"C:\\out\\", "C:\\in\\a.b.PNG", ".tif", "C:\\out\\a.b.tif"},
        {"C:\\", "C:\\in\\noext", ".bmp", "C:\\noext.bmp"},
        {"C:\\100% out", "C:\\in\\%s.png", ".gif", "C:\\100% out\\%s.gif"},
        {"C:\\out", "C:\\in\\.png", ".jpg", "C:\\out\\.jpg"},
        {"C:\\out", "C:\\in\\", ".jpg", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, ConvertOutputPath(c.folder, c.source, c.extension)) << c.source;
    const std::string longFolder = "C:\\" + std::string(248, 'f');
    EXPECT_EQ("", ConvertOutputPath(longFolder, "C:\\in\\abcdef.png", ".jpg"));
    EXPECT_EQ(259u, ConvertOutputPath(longFolder, "C:\\in\\abc.png", ".jpg").size());
}

TEST(ConvertReplaceQuestion, NamesTheFileAndTheAnswersWriteSkipOrStop) {
    EXPECT_EQ("The output folder already contains a file named 'a.jpg'.",
              ConfirmReplaceText("a.jpg"));
    EXPECT_EQ(511u, ConfirmReplaceText(std::string(600, 'n')).size());
    struct Case {
        int answer;
        ReplaceAction action;
        bool yesToAll;
    } cases[] = {
        {6, ReplaceAction::kWrite, false}, {1154, ReplaceAction::kWrite, true},
        {7, ReplaceAction::kSkip, false},  {2, ReplaceAction::kStop, false},
        {0, ReplaceAction::kStop, false},
    };
    for (const Case& c : cases) {
        bool yesToAll = false;
        EXPECT_EQ(c.action, ActOnReplaceAnswer(c.answer, &yesToAll)) << c.answer;
        EXPECT_EQ(c.yesToAll, yesToAll) << c.answer;
    }
}

} // namespace
