// Image Size in this process: what each kind and constrain mode enables,
// proportions kept while typing, the resize each answer asks for, and
// entries that are refused with a message instead of reaching the resize.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "imaging/operations/resize_op.h"
#include "tests/support/dialog_script.h"
#include "tools/image_size_dialog.h"

namespace {

using testsupport::DialogScript;
using namespace tools_logic;

constexpr int kSizeControls[] = {IDC_SIZE_PERCENT,   IDC_SIZE_WIDTH, IDC_SIZE_HEIGHT,
                                 IDC_SIZE_CONSTRAIN, IDC_SIZE_FIT,   IDC_SIZE_FIT_MODE};

TEST(ImageSizeDialog, EachKindAndConstrainModeEnablesItsControls) {
    struct Case {
        int kind, constrain;
        bool enabled[6]; // percent, width, height, constrain, fit, fit mode
    } cases[] = {
        {kSizeByPercent, kConstrainNone, {true, false, false, false, false, false}},
        {kSizeByPercent, kConstrainProportions, {true, false, false, false, false, false}},
        {kSizeByPercent, kConstrainFit, {true, false, false, false, false, false}},
        {kSizeByDimensions, kConstrainNone, {false, true, true, true, true, false}},
        {kSizeByDimensions, kConstrainProportions, {false, true, true, true, false, false}},
        {kSizeByDimensions, kConstrainFit, {false, true, true, false, true, true}},
    };
    for (const Case& c : cases) {
        CImageSizeDialog dialog(480, 640);
        dialog.kind = c.kind;
        dialog.constrainMode = c.constrain;
        bool enabled[6] = {};
        DialogScript script("Image Size", [&](HWND d) {
            for (int i = 0; i < 6; ++i)
                enabled[i] = DialogScript::IsEnabled(d, kSizeControls[i]);
            DialogScript::PressCancel(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(enabled[i], c.enabled[i]) << "kind " << c.kind << " constrain " << c.constrain
                                                << " control " << kSizeControls[i];
    }

    // The same rules followed through clicks, as a user goes.
    CImageSizeDialog dialog(480, 640);
    bool afterDimensions = false, afterConstrain = false, afterUntick = false, afterFit = false,
         afterPercent = false;
    DialogScript script("Image Size", [&](HWND d) {
        DialogScript::Click(d, IDC_SIZE_DIMENSIONS);
        afterDimensions = DialogScript::IsEnabled(d, IDC_SIZE_WIDTH) &&
                          !DialogScript::IsEnabled(d, IDC_SIZE_PERCENT) &&
                          !DialogScript::IsChecked(d, IDC_SIZE_PERCENTAGE);
        DialogScript::Click(d, IDC_SIZE_CONSTRAIN);
        afterConstrain = !DialogScript::IsEnabled(d, IDC_SIZE_FIT);
        DialogScript::Click(d, IDC_SIZE_CONSTRAIN);
        afterUntick = DialogScript::IsEnabled(d, IDC_SIZE_FIT) &&
                      !DialogScript::IsEnabled(d, IDC_SIZE_FIT_MODE);
        DialogScript::Click(d, IDC_SIZE_FIT);
        afterFit = !DialogScript::IsEnabled(d, IDC_SIZE_CONSTRAIN) &&
                   DialogScript::IsEnabled(d, IDC_SIZE_FIT_MODE);
        DialogScript::Click(d, IDC_SIZE_PERCENTAGE);
        afterPercent = DialogScript::IsEnabled(d, IDC_SIZE_PERCENT) &&
                       !DialogScript::IsEnabled(d, IDC_SIZE_FIT_MODE) &&
                       !DialogScript::IsChecked(d, IDC_SIZE_DIMENSIONS);
        DialogScript::PressCancel(d);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(afterDimensions);
    EXPECT_TRUE(afterConstrain);
    EXPECT_TRUE(afterUntick);
    EXPECT_TRUE(afterFit);
    EXPECT_TRUE(afterPercent);
}

TEST(ImageSizeDialog, ConstrainedProportionsFollowTheTypedSideTruncated) {
    CImageSizeDialog dialog(480, 640);
    std::string shownAtOpening, heightAfterTick, heightAfterWidth, widthAfterHeight;
    DialogScript script("Image Size", [&](HWND d) {
        shownAtOpening = DialogScript::Text(d, IDC_SIZE_WIDTH) + "x" +
                         DialogScript::Text(d, IDC_SIZE_HEIGHT) + " " +
                         DialogScript::Text(d, IDC_SIZE_PERCENT) + "%";
        DialogScript::Click(d, IDC_SIZE_DIMENSIONS);
        testsupport::MaybeScreenshot(d, "image_size_dialog");
        DialogScript::SetText(d, IDC_SIZE_WIDTH, "1280");
        DialogScript::Click(d, IDC_SIZE_CONSTRAIN);
        heightAfterTick = DialogScript::Text(d, IDC_SIZE_HEIGHT);
        DialogScript::SetText(d, IDC_SIZE_WIDTH, "320");
        heightAfterWidth = DialogScript::Text(d, IDC_SIZE_HEIGHT);
        DialogScript::SetText(d, IDC_SIZE_HEIGHT, "100");
        widthAfterHeight = DialogScript::Text(d, IDC_SIZE_WIDTH);
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(shownAtOpening, "640x480 100%");
    EXPECT_EQ(heightAfterTick, "960");
    EXPECT_EQ(heightAfterWidth, "240");
    EXPECT_EQ(widthAfterHeight, "133");
    EXPECT_EQ(dialog.width, 133);
    EXPECT_EQ(dialog.height, 100);
    EXPECT_EQ(dialog.Request().mode, CImageSizeOp::kExactSize);
}

TEST(ImageSizeDialog, EachAnswerAsksForItsResize) {
    struct Case {
        const char* what;
        bool dimensions;
        int box; // 0 none, IDC_SIZE_CONSTRAIN or IDC_SIZE_FIT to tick
        int fitSelection;
        int mode;
    } cases[] = {
        {"percentage", false, 0, 0, CImageSizeOp::kPercent},
        {"dimensions", true, 0, 0, CImageSizeOp::kExactSize},
        {"constrained", true, IDC_SIZE_CONSTRAIN, 0, CImageSizeOp::kExactSize},
        {"fit, shrink or enlarge", true, IDC_SIZE_FIT, 0, CImageSizeOp::kFitBox},
        {"fit, shrink only", true, IDC_SIZE_FIT, 1, CImageSizeOp::kShrinkToBox},
        {"fit, enlarge only", true, IDC_SIZE_FIT, 2, CImageSizeOp::kEnlargeToBox},
    };
    for (const Case& c : cases) {
        CImageSizeDialog dialog(480, 640);
        DialogScript script("Image Size", [&](HWND d) {
            DialogScript::SetText(d, IDC_SIZE_PERCENT, "50");
            if (c.dimensions)
                DialogScript::Click(d, IDC_SIZE_DIMENSIONS);
            if (c.box)
                DialogScript::Click(d, c.box);
            ::SendDlgItemMessageA(d, IDC_SIZE_FIT_MODE, CB_SETCURSEL, c.fitSelection, 0);
            DialogScript::SetText(d, IDC_SIZE_WIDTH, "320");
            DialogScript::SetText(d, IDC_SIZE_HEIGHT, "200");
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDOK) << c.what;
        EXPECT_TRUE(script.boxes.empty()) << c.what;
        auto op = dialog.MakeOperation();
        auto* resize = dynamic_cast<CImageSizeOp*>(op.get());
        ASSERT_NE(resize, nullptr);
        EXPECT_EQ(resize->mode, c.mode) << c.what;
        EXPECT_EQ(resize->percent, 50) << c.what;
        if (c.dimensions) {
            // Constrained, the typed height sets the width: 200 / 480 x 640.
            EXPECT_EQ(resize->width, c.box == IDC_SIZE_CONSTRAIN ? 266 : 320) << c.what;
            EXPECT_EQ(resize->height, 200) << c.what;
        }
    }
}

TEST(ImageSizeDialog, BadEntriesKeepTheDialogOpenWithTheirMessage) {
    struct Case {
        const char* what;
        int imageWidth, imageHeight;
        bool dimensions;
        int edit;
        const char* text;
        const char* message; // null: a beep and no message
    } cases[] = {
        {"percent 0", 640, 480, false, IDC_SIZE_PERCENT, "0",
         "Percent must be between 1 and 10000"},
        {"percent past the limit", 640, 480, false, IDC_SIZE_PERCENT, "10001",
         "Percent must be between 1 and 10000"},
        {"empty percent", 640, 480, false, IDC_SIZE_PERCENT, "", nullptr},
        {"negative width", 640, 480, true, IDC_SIZE_WIDTH, "-4",
         "Width must be between 1 and 65535"},
        {"height past the limit", 640, 480, true, IDC_SIZE_HEIGHT, "70000",
         "Height must be between 1 and 65535"},
        {"a number past 32 bits", 640, 480, true, IDC_SIZE_WIDTH, "99999999999", nullptr},
        {"a huge image by percent", 20000, 15000, false, IDC_SIZE_PERCENT, "10000",
         "The new size (2000000 x 1500000 pixels) is too large for an image"},
        {"a huge image by dimensions", 640, 480, true, IDC_SIZE_WIDTH, "65535",
         "The new size (65535 x 65535 pixels) is too large for an image"},
    };
    for (const Case& c : cases) {
        CImageSizeDialog dialog(c.imageHeight, c.imageWidth);
        bool stillOpen = false;
        int focus = 0;
        DialogScript script("Image Size", [&](HWND d) {
            if (c.dimensions) {
                DialogScript::Click(d, IDC_SIZE_DIMENSIONS);
                DialogScript::SetText(d, IDC_SIZE_HEIGHT, "65535");
            }
            DialogScript::SetText(d, c.edit, c.text);
            DialogScript::PressOk(d);
            stillOpen = ::IsWindow(d) && ::IsWindowVisible(d);
            focus = ::GetDlgCtrlID(::GetFocus());
            DialogScript::PressCancel(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL) << c.what;
        EXPECT_TRUE(stillOpen) << c.what;
        EXPECT_EQ(focus, c.edit) << c.what;
        // Nothing of the refused answer is taken.
        EXPECT_EQ(dialog.percent, 100) << c.what;
        if (!c.message) {
            EXPECT_TRUE(script.boxes.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(script.boxes.size(), 1u) << c.what;
        EXPECT_EQ(script.boxes[0].caption, "Failed!");
        EXPECT_EQ(script.boxes[0].text, c.message) << c.what;
        EXPECT_EQ(script.boxes[0].icon, static_cast<UINT>(MB_ICONERROR)) << c.what;
    }
}

} // namespace
