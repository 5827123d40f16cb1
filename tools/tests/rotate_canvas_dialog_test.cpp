// Rotate Canvas: the angle text it accepts, the direction's sign, and OK
// with text that is no number keeping the dialog open.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/dialog_script.h"
#include "tools/rotate_canvas_dialog.h"

namespace {

using testsupport::DialogScript;

TEST(RotateCanvasDialog, AnAngleIsOneDecimalNumberBetweenBlanks) {
    struct Case {
        const char* text;
        bool accepted;
        double angle;
    };
    const Case cases[] = {
        {" 45.5\t", true, 45.5}, {"0", true, 0.0},    {"-30", true, -30.0}, {"+1e2", true, 100.0},
        {".5", true, 0.5},       {"45deg", false, 0}, {"", false, 0},       {" \t ", false, 0},
        {"abc", false, 0},       {"inf", false, 0},   {"nan", false, 0},    {"0x10", false, 0},
        {"1 2", false, 0},       {"1e999", false, 0},
    };
    for (const Case& c : cases) {
        double angle = -1.0;
        EXPECT_EQ(ParseRotateAngle(c.text, &angle), c.accepted) << '"' << c.text << '"';
        if (c.accepted)
            EXPECT_DOUBLE_EQ(angle, c.angle) << '"' << c.text << '"';
    }
}

TEST(RotateCanvasDialog, OkReadsTheAngleAndCounterClockwiseNegatesIt) {
    struct Case {
        const char* text;
        bool ccw;
        double clockwise;
    };
    const Case cases[] = {{" 45.5\t", false, 45.5}, {"30", true, -30.0}, {"0", true, 0.0}};
    for (const Case& c : cases) {
        CRotateCanvasDialog dialog;
        dialog.angle = 12.25;
        std::string shown;
        DialogScript script("Rotate Canvas", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "rotate_canvas_dialog");
            shown = DialogScript::Text(d, IDC_ROTATE_ANGLE);
            DialogScript::SetText(d, IDC_ROTATE_ANGLE, c.text);
            if (c.ccw)
                DialogScript::Click(d, IDC_ROTATE_CCW);
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDOK) << c.text;
        EXPECT_EQ(shown, "12.25");
        EXPECT_DOUBLE_EQ(dialog.ClockwiseAngle(), c.clockwise) << c.text;
    }
}

TEST(RotateCanvasDialog, TextThatIsNoNumberKeepsTheDialogOpen) {
    CRotateCanvasDialog dialog;
    bool stillOpen = false;
    DialogScript script("Rotate Canvas", [&](HWND d) {
        DialogScript::SetText(d, IDC_ROTATE_ANGLE, "45deg");
        DialogScript::PressOk(d);
        stillOpen = ::IsWindow(d) && ::IsWindowVisible(d);
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_DOUBLE_EQ(dialog.angle, 0.0);
}

} // namespace
