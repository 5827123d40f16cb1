// Behaviour shared by the operations through their base: progress reports,
// cancelling from another thread, and writing in place into a destination
// whose bitmap must survive.
#include <thread>
#include <vector>

#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/tone_operations.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

using Call = ProgressLog::Call;

class Progress : public testing::Test {
protected:
    void SetUp() override { ProgressLog::Current() = &log; }
    void TearDown() override { ProgressLog::Current() = nullptr; }
    ProgressLog log;
};

TEST_F(Progress, RowsInBlocksOfHundredThenRemainder) {
    ImagePtr src = MakeImage(3, 250, 24);
    CBrightnessContrastOp op;
    op.brightness = 20;
    op.progress = &ProgressLog::Record;
    op.userValue = 0xBEEF;
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    EXPECT_EQ(log.calls,
              (std::vector<Call>{{0xBEEF, 0, 100}, {0xBEEF, 100, 100}, {0xBEEF, 200, 50}}));
}

TEST_F(Progress, ExactBlocksHaveNoRemainderCall) {
    ImagePtr src = MakeImage(2, 200, 32);
    CPosterizeOp op;
    op.progress = &ProgressLog::Record;
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    EXPECT_EQ(log.calls, (std::vector<Call>{{0, 0, 100}, {0, 100, 100}}));
}

TEST_F(Progress, PaletteImageAndNeutralShortcutReportOnce) {
    ImagePtr indexed = MakeImage(4, 130, 8, 16);
    ImagePtr rgb = MakeImage(4, 130, 24);
    struct Case {
        const char* name;
        CImageOperation* op;
        CImageObject* src;
    };
    CHueSaturationOp hue;
    hue.hue[0] = 30;
    CBrightnessContrastOp neutral;
    CColorBalanceOp neutralBalance;
    const Case cases[] = {
        {"8 bpp", &hue, indexed.get()},
        {"neutral", &neutral, rgb.get()},
        {"neutral balance", &neutralBalance, rgb.get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.calls.clear();
        c.op->progress = &ProgressLog::Record;
        c.op->userValue = 7;
        CImageObject dest;
        ASSERT_TRUE(c.op->Apply(&dest, c.src));
        EXPECT_EQ(log.calls, (std::vector<Call>{{7, 0, 130}}));
    }
}

// The invert reports the destination image in place of the user value.
TEST_F(Progress, InvertReportsTheDestination) {
    ImagePtr src = MakeImage(2, 120, 24);
    CInvertOp op;
    op.progress = &ProgressLog::Record;
    op.userValue = 99;
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    const uintptr_t d = reinterpret_cast<uintptr_t>(&dest);
    EXPECT_EQ(log.calls, (std::vector<Call>{{d, 0, 100}, {d, 100, 20}}));
}

// The first progress report hands the cancel over to another thread, as a
// dialog would; the run stops after the row in progress.
CImageOperation* g_toCancel = nullptr;
int g_rowsAtCancel = -1;
void CancelFromAnotherThread(uintptr_t, int first, int count) {
    if (g_rowsAtCancel >= 0)
        return;
    g_rowsAtCancel = first + count;
    std::thread([] { g_toCancel->cancel = true; }).join();
}

TEST(Cancel, StopsBetweenRowsAndLeavesDestinationIncomplete) {
    ImagePtr src = MakeImage(2, 300, 24);
    for (int y = 0; y < 300; ++y)
        SetBgr(src.get(), 0, y, 10, 10, 10);
    CColorBalanceOp balance;
    balance.values[0][1] = 50;
    CHueSaturationOp hue;
    hue.saturation[0] = 40;
    CImageOperation* ops[] = {&balance, &hue};
    for (CImageOperation* op : ops) {
        g_toCancel = op;
        g_rowsAtCancel = -1;
        op->progress = &CancelFromAnotherThread;
        CImageObject dest;
        EXPECT_FALSE(op->Apply(&dest, src.get()));
        EXPECT_EQ(g_rowsAtCancel, 100);
        EXPECT_FALSE(dest.complete);
        EXPECT_NE(dest.rowsDecoded.load(), 300);
        EXPECT_EQ(GetBgr(&dest, 0, 250), (Bgr{0, 0, 0})); // never reached
        // Cleared again, the same object runs to the end.
        op->cancel = false;
        op->progress = nullptr;
        EXPECT_TRUE(op->Apply(&dest, src.get()));
        EXPECT_TRUE(dest.complete);
    }
}

TEST(Cancel, SetBeforeApplyWritesNothingForHueSaturation) {
    ImagePtr src = MakeImage(3, 2, 24);
    CHueSaturationOp op;
    op.hue[0] = 10;
    op.cancel = true;
    ImagePtr dest = MakeBusyDestination();
    const ImageSnapshot before(dest.get());
    EXPECT_FALSE(op.Apply(dest.get(), src.get()));
    before.ExpectSame(dest.get());
}

// Writing in place keeps the destination's bitmap and gives the same
// result as a fresh destination.
TEST(InPlace, KeepsBitmapAndMatchesFreshResult) {
    ImagePtr rgb = MakeImage(5, 4, 24);
    ImagePtr indexed = MakeImage(5, 4, 8, 32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            SetBgr(rgb.get(), x, y, 40 * x, 60 * y, 200 - 30 * x);
            PixelAt(indexed.get(), x, y)[0] = static_cast<uint8_t>(x * 5 + y);
        }
    }
    for (int i = 0; i < 32; ++i)
        indexed->SetPaletteEntry(i, static_cast<uint8_t>(8 * i), 100,
                                 static_cast<uint8_t>(255 - 8 * i), 0);

    CBrightnessContrastOp bc;
    bc.contrast = 60;
    CHueSaturationOp neutral;
    CInvertOp invert;
    CEqualizeOp equalize;
    CImageOperation* ops[] = {&bc, &neutral, &invert, &equalize};
    CImageObject* sources[] = {rgb.get(), indexed.get()};
    for (CImageOperation* op : ops) {
        for (CImageObject* src : sources) {
            SCOPED_TRACE(testing::Message() << typeid(*op).name() << " " << src->bitsPerPixel);
            op->createDestination = true;
            CImageObject fresh;
            ASSERT_TRUE(op->Apply(&fresh, src));

            ImagePtr target = MakeImage(5, 4, src->bitsPerPixel, src->paletteCount);
            const uint8_t* bitsBefore = target->bits;
            const plat::BitmapHandle bitmapBefore = target->bitmap;
            op->createDestination = false;
            ASSERT_TRUE(op->Apply(target.get(), src));
            EXPECT_EQ(target->bits, bitsBefore);
            EXPECT_EQ(target->bitmap, bitmapBefore);
            EXPECT_EQ(0,
                      std::memcmp(target->bits, fresh.bits, static_cast<size_t>(fresh.stride) * 4));
            EXPECT_EQ(ImageSnapshot(target.get()).palette == ImageSnapshot(&fresh).palette, true);
            EXPECT_TRUE(target->complete);
        }
    }
}

TEST(InPlace, MismatchedDestinationIsRefusedUntouched) {
    ImagePtr src = MakeImage(3, 2, 8, 16);
    struct Case {
        const char* name;
        int width, height, depth, colours;
    } cases[] = {
        {"wider", 4, 2, 8, 16},
        {"taller", 3, 3, 8, 16},
        {"other depth", 3, 2, 24, 0},
        {"other palette size", 3, 2, 8, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr dest = MakeImage(c.width, c.height, c.depth, c.colours);
        const ImageSnapshot before(dest.get());
        CPosterizeOp op;
        op.createDestination = false;
        EXPECT_FALSE(op.Apply(dest.get(), src.get()));
        before.ExpectSame(dest.get());
    }
    // An empty destination has no bitmap to write into.
    CImageObject empty;
    CInvertOp invert;
    invert.createDestination = false;
    EXPECT_FALSE(invert.Apply(&empty, src.get()));
    EXPECT_EQ(empty.bits, nullptr);
}

TEST(Pairs, NullOrSameImageIsRefused) {
    ImagePtr img = MakeImage(3, 2, 24);
    SetBgr(img.get(), 1, 1, 1, 2, 3);
    const ImageSnapshot before(img.get());
    CBrightnessContrastOp bc;
    bc.brightness = 30;
    CDesaturateOp desaturate;
    CImageOperation* ops[] = {&bc, &desaturate};
    for (CImageOperation* op : ops) {
        EXPECT_FALSE(op->Apply(img.get(), img.get()));
        EXPECT_FALSE(op->Apply(nullptr, img.get()));
        CImageObject dest;
        EXPECT_FALSE(op->Apply(&dest, nullptr));
        CImageObject emptySource;
        EXPECT_FALSE(op->Apply(&dest, &emptySource));
    }
    before.ExpectSame(img.get());
}

} // namespace
