// The adjustment dialogs: previews reach the working image and Cancel takes
// them all back byte for byte, OK keeps the preview equal to the operation
// applied directly, the Preview box decides what OK does, the range messages
// of every value edit, the tone ranges' memory, and Indexed Color's range.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tests/support/poll_until.h"
#include "tools/adjustment_dialogs.h"

namespace {

using testsupport::DialogScript;

// A square 24-bit gradient (16 x 16 unless asked) and the working copy a
// view would show.
struct Images {
    CImageObject* source = new CImageObject("C:\\pic.bmp", nullptr);
    CImageObject* working = nullptr;
    explicit Images(int side = 16) {
        source->Create(side, side, 24, 0);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side * 3; ++x)
                source->bits[static_cast<size_t>(y) * source->stride + x] =
                    static_cast<uint8_t>(x * 5 + y * 7);
        source->notLoaded = false;
        working = new CImageObject(*source);
    }
    ~Images() {
        source->Release();
        working->Release();
    }
    size_t Bytes() const { return static_cast<size_t>(source->stride) * source->height; }
    bool Same() const { return std::memcmp(source->bits, working->bits, Bytes()) == 0; }
};

void InitControls() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&init);
}

template <class D> void Attach(D& dialog, Images& images, bool restore) {
    dialog.source = images.source;
    dialog.working = images.working;
    dialog.restore = restore;
}

TEST(BrightnessContrastDialog, CancelAfterPreviewsLeavesTheWorkingImageAsTheSource) {
    InitControls();
    g_applicationState.Options().brightnessContrastDialogPreview = true;
    Images images;
    CBrightnessContrastDialog dialog;
    Attach(dialog, images, false);
    bool previewed = false;
    DialogScript script("Brightness/Contrast", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "brightness_contrast_dialog");
        for (const char* value : {"10", "-40", "60", "25"})
            DialogScript::SetText(d, IDC_ADJUST_VALUE, value);
        previewed = testsupport::PollUntil([&] { return !images.Same(); });
        DialogScript::PressCancel(d);
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(previewed);
    EXPECT_TRUE(images.Same());
    EXPECT_FALSE(images.working->modified);
    EXPECT_FALSE(dialog.previewKept);
    EXPECT_TRUE(g_applicationState.Options().brightnessContrastDialogPreview);
}

TEST(BrightnessContrastDialog, OkKeepsThePreviewOrLeavesTheWorkingImageByThePreviewBox) {
    InitControls();
    struct Case {
        const char* name;
        bool restore;
        bool previewBox;
        bool kept;
        bool workingChanged;
    } cases[] = {
        {"kept preview", false, true, true, true},
        {"restored preview", true, true, false, false},
        {"no preview", false, false, false, false},
    };
    for (const Case& c : cases) {
        g_applicationState.Options().brightnessContrastDialogPreview = true;
        Images images;
        CBrightnessContrastDialog dialog;
        Attach(dialog, images, c.restore);
        DialogScript script("Brightness/Contrast", [&](HWND d) {
            if (!c.previewBox)
                DialogScript::Click(d, IDC_ADJUST_PREVIEW);
            DialogScript::SetText(d, IDC_ADJUST_VALUE, "50");
            DialogScript::PressOk(d);
        });
        ASSERT_EQ(dialog.DoModal(nullptr), IDOK) << c.name;
        EXPECT_EQ(dialog.previewKept, c.kept) << c.name;
        EXPECT_EQ(images.working->modified, c.kept) << c.name;
        EXPECT_EQ(!images.Same(), c.workingChanged) << c.name;
        EXPECT_EQ(g_applicationState.Options().brightnessContrastDialogPreview, c.previewBox)
            << c.name;

        // What OK answers equals the operation applied directly.
        CBrightnessContrastOp direct;
        direct.brightness = 50;
        CImageObject expected;
        ASSERT_TRUE(direct.Apply(&expected, images.source));
        std::unique_ptr<CImageOperation> asked = dialog.MakeOperation();
        CImageObject answered;
        ASSERT_TRUE(asked->Apply(&answered, images.source));
        EXPECT_EQ(std::memcmp(answered.bits, expected.bits, images.Bytes()), 0) << c.name;
        if (c.kept)
            EXPECT_EQ(std::memcmp(images.working->bits, expected.bits, images.Bytes()), 0);
    }
}

TEST(AdjustmentDialogs, RefuseValuesOutOfRangeWithTheirMessage) {
    InitControls();
    struct Case {
        const char* caption;
        int edit;
        const char* text;
        const char* message; // null: accepted
    } cases[] = {
        {"Color Balance", IDC_ADJUST_VALUE, "101", "Value must be between -100 and 100"},
        {"Hue/Saturation", IDC_ADJUST_VALUE, "181", "Value must be between -180 and 180"},
        {"Hue/Saturation", IDC_HUE_LIGHTNESS_EDIT, "-101", "Value must be between -100 and 100"},
        {"Brightness/Contrast", IDC_ADJUST_VALUE, "101", "Brightness must be between -100 and 100"},
        {"Brightness/Contrast", IDC_CONTRAST_EDIT, "-101", "Contrast must be between -100 and 100"},
        {"Posterize", IDC_ADJUST_VALUE, "256", "Value must be between 2 and 255"},
        {"Posterize", IDC_ADJUST_VALUE, "255", nullptr},
        {"Indexed Color", IDC_INDEXED_COLORS, "1", "Value must be between 2 and 256"},
        {"Indexed Color", IDC_INDEXED_COLORS, "256", nullptr},
    };
    for (const Case& c : cases) {
        g_applicationState.Options().colorBalanceDialogPreview = false;
        g_applicationState.Options().hueSaturationDialogPreview = false;
        g_applicationState.Options().brightnessContrastDialogPreview = false;
        g_applicationState.Options().posterizeDialogPreview = false;
        Images images;
        bool stillOpen = false;
        HWND focus = NULL, edit = NULL;
        DialogScript script(c.caption, [&](HWND d) {
            DialogScript::SetText(d, c.edit, c.text);
            DialogScript::PressOk(d);
            stillOpen = ::IsWindow(d) && ::IsWindowVisible(d);
            focus = ::GetFocus();
            edit = ::GetDlgItem(d, c.edit);
            if (stillOpen)
                DialogScript::PressCancel(d);
        });
        INT_PTR result = 0;
        const std::string caption = c.caption;
        if (caption == "Color Balance") {
            CColorBalanceDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else if (caption == "Hue/Saturation") {
            CHueSaturationDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else if (caption == "Brightness/Contrast") {
            CBrightnessContrastDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else if (caption == "Posterize") {
            CPosterizeDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
            if (result == IDOK)
                EXPECT_EQ(dialog.values[0][0], 255);
        } else {
            CIndexedColorDialog dialog;
            result = dialog.DoModal(nullptr);
            if (result == IDOK)
                EXPECT_EQ(dialog.colorCount, 256);
        }
        const std::string label = caption + " " + c.text;
        if (c.message) {
            EXPECT_EQ(result, IDCANCEL) << label;
            EXPECT_TRUE(stillOpen) << label;
            EXPECT_EQ(focus, edit) << label;
            bool shown = false;
            for (const testsupport::RecordedBox& box : script.boxes)
                shown |=
                    box.caption == "Failed!" && box.text == c.message && box.icon == MB_ICONERROR;
            EXPECT_TRUE(shown) << label;
        } else {
            EXPECT_EQ(result, IDOK) << label;
            EXPECT_TRUE(script.boxes.empty()) << label;
        }
        EXPECT_TRUE(images.Same()) << label;
    }
}

TEST(ColorBalanceDialog, EachToneRangeKeepsItsOwnValues) {
    InitControls();
    g_applicationState.Options().colorBalanceDialogPreview = false;
    Images images;
    CColorBalanceDialog dialog;
    Attach(dialog, images, true);
    std::string midtones, highlights, shadowsAgain;
    DialogScript script("Color Balance", [&](HWND d) {
        midtones = DialogScript::Text(d, IDC_ADJUST_VALUE);
        DialogScript::Click(d, IDC_BALANCE_SHADOWS);
        DialogScript::SetText(d, IDC_ADJUST_VALUE, "10");
        DialogScript::Click(d, IDC_BALANCE_HIGHLIGHTS);
        highlights = DialogScript::Text(d, IDC_ADJUST_VALUE);
        DialogScript::SetText(d, IDC_BALANCE_YELLOW_BLUE, "-20");
        DialogScript::Click(d, IDC_BALANCE_SHADOWS);
        shadowsAgain = DialogScript::Text(d, IDC_ADJUST_VALUE);
        DialogScript::Click(d, IDC_BALANCE_LUMINOSITY);
        DialogScript::PressOk(d);
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(midtones, "0");
    EXPECT_EQ(highlights, "0");
    EXPECT_EQ(shadowsAgain, "10");
    EXPECT_EQ(dialog.values[CColorBalanceOp::kShadows][CColorBalanceOp::kCyanRed], 10);
    EXPECT_EQ(dialog.values[CColorBalanceOp::kHighlights][CColorBalanceOp::kYellowBlue], -20);
    EXPECT_FALSE(dialog.preserveLuminosity);
    std::unique_ptr<CImageOperation> op = dialog.MakeOperation();
    auto* balance = static_cast<CColorBalanceOp*>(op.get());
    EXPECT_DOUBLE_EQ(balance->values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kShadows], 10.0);
    EXPECT_DOUBLE_EQ(balance->values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kHighlights],
                     -20.0);
    EXPECT_FALSE(balance->preserveLuminosity);
}

// Many value changes on a large image, the Preview box switched off while
// an apply runs, then Cancel: the dialog must wait for the preview thread
// before it copies the source back, so nothing of a late apply survives.
TEST(AdjustmentDialogs, ManyPreviewsOnALargeImageThenPreviewOffAndCancelLeaveTheSource) {
    InitControls();
    struct Case {
        const char* caption;
        int low, high; // of the value edit
    } cases[] = {
        {"Brightness/Contrast", -100, 100},
        {"Color Balance", -100, 100},
        {"Hue/Saturation", -180, 180},
        {"Posterize", 2, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        CAppOptions& options = g_applicationState.Options();
        options.brightnessContrastDialogPreview = options.colorBalanceDialogPreview = true;
        options.hueSaturationDialogPreview = options.posterizeDialogPreview = true;
        Images images(2000);
        bool previewed = false;
        DialogScript script(
            c.caption,
            [&](HWND d) {
                for (int i = 0; i < 50; ++i) {
                    const int value = c.low + (i * 37) % (c.high - c.low + 1);
                    DialogScript::SetText(d, IDC_ADJUST_VALUE, std::to_string(value).c_str());
                    if (i == 10)
                        previewed = testsupport::PollUntil([&] { return !images.Same(); });
                }
                DialogScript::Click(d, IDC_ADJUST_PREVIEW);
                DialogScript::PressCancel(d);
            },
            120000);
        INT_PTR result = 0;
        const std::string caption = c.caption;
        if (caption == "Color Balance") {
            CColorBalanceDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else if (caption == "Hue/Saturation") {
            CHueSaturationDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else if (caption == "Brightness/Contrast") {
            CBrightnessContrastDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        } else {
            CPosterizeDialog dialog;
            Attach(dialog, images, true);
            result = dialog.DoModal(nullptr);
        }
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_FALSE(script.hitCeiling);
        EXPECT_TRUE(previewed);
        EXPECT_TRUE(images.Same());
        EXPECT_FALSE(images.working->modified);
    }
}

} // namespace
