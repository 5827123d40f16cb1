#include "viewer/logic/edit_commands.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

namespace {

using viewer::LosslessTurn;

TEST(EditCommands, RotationsAndFlipsTurnAJpegAndTheirInverseTurnsItBack) {
    struct Case {
        int command;
        LosslessTurn turn, inverse;
    };
    const Case cases[] = {
        {ID_ROTATE_90CW, {3, 90}, {3, 270}},   {ID_ROTATE_90CCW, {3, 270}, {3, 90}},
        {ID_ROTATE_180, {3, 180}, {3, 180}},   {ID_FLIP_HORIZONTAL, {1, 0}, {1, 0}},
        {ID_FLIP_VERTICAL, {2, 0}, {2, 0}},    {ID_ADJUST_INVERT, {0, 0}, {0, 0}},
        {ID_ROTATE_ARBITRARY, {0, 0}, {0, 0}}, // an arbitrary angle has no lossless form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const LosslessTurn turn = viewer::LosslessTurnFor(c.command);
        EXPECT_EQ(turn.operation, c.turn.operation);
        EXPECT_EQ(turn.angle, c.turn.angle);
        const LosslessTurn inverse = viewer::InverseTurn(turn);
        EXPECT_EQ(inverse.operation, c.inverse.operation);
        EXPECT_EQ(inverse.angle, c.inverse.angle);
        // Undo carries the turn back unchanged; a pixel edit carries none.
        const LosslessTurn back = viewer::DecodeUndoTurn(viewer::EncodeUndoTurn(inverse));
        EXPECT_EQ(back.operation, c.inverse.operation);
        EXPECT_EQ(back.angle, c.inverse.angle);
    }
}

TEST(EditCommands, UndoValuesThatAreNoTurnDecodeToNone) {
    for (int value : {viewer::kUndoPixels, 0, 3045, 1090, 4090, 999, -3090})
        EXPECT_EQ(viewer::DecodeUndoTurn(value).operation, 0) << value;
}

TEST(EditCommands, ModesAndAdjustmentsKeepTheViewGeometryCommandsDoNot) {
    for (int id :
         {ID_IMAGE_MODE_GRAYSCALE, ID_ADJUST_INVERT, ID_ADJUST_EQUALIZE, ID_ADJUST_DESATURATE,
          ID_ADJUST_BRIGHTNESS_CONTRAST, ID_IMAGE_MODE_INDEXED, ID_IMAGE_MODE_BITMAP})
        EXPECT_TRUE(viewer::KeepsViewAfter(id)) << id;
    for (int id : {ID_IMAGE_SIZE, ID_ROTATE_90CW, ID_ROTATE_ARBITRARY, ID_FLIP_VERTICAL})
        EXPECT_FALSE(viewer::KeepsViewAfter(id)) << id;
    EXPECT_TRUE(viewer::IsToneAdjustment(ID_ADJUST_POSTERIZE));
    EXPECT_FALSE(viewer::IsToneAdjustment(ID_ADJUST_INVERT));
}

TEST(EditCommands, TheCropBoxIsTheSelectionInsideTheImageAndNeverTheWholeImage) {
    struct Case {
        int left, top, right, bottom;
        int x, y, width, height;
    };
    const Case cases[] = {
        {10, 20, 50, 60, 10, 20, 40, 40},   // inside
        {50, 60, 10, 20, 10, 20, 40, 40},   // corners the other way round
        {-10, -5, 30, 40, 0, 0, 30, 40},    // cut at the top-left edge
        {80, 70, 150, 130, 80, 70, 20, 30}, // cut at the bottom-right edge
        {0, 0, 100, 100, 0, 0, 0, 0},       // the whole image: nothing to cut
        {-5, -5, 200, 200, 0, 0, 0, 0},     // larger than the image
        {120, 10, 150, 50, 0, 0, 0, 0},     // outside
        {30, 30, 30, 60, 0, 0, 0, 0},       // no width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.left << "," << c.top << "," << c.right << "," << c.bottom);
        const viewer::CropBox box = viewer::CropBoxFor(c.left, c.top, c.right, c.bottom, 100, 100);
        EXPECT_EQ(box.x, c.x);
        EXPECT_EQ(box.y, c.y);
        EXPECT_EQ(box.width, c.width);
        EXPECT_EQ(box.height, c.height);
    }
}

} // namespace
