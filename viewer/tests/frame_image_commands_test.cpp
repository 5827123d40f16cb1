// The image commands of a viewer in this process: rotations, flips and the
// tone commands change the pixels and leave an undo that gives them back
// byte for byte; an unmodified JPEG is turned in its file and undo turns the
// file back; crop cuts the selection; Save writes the edit and the " * "
// goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/frame_dialogs.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/image_object.h"
#include "imaging/operations/resize_op.h"
#include "imaging/operations/rotate_op.h"
#include "resources/resource.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

constexpr int kWidth = 6;
constexpr int kHeight = 4;

// Every pixel of the fixture has its own colour.
uint32_t Colour(int x, int y) {
    return 0x102030u + static_cast<uint32_t>(x) * 0x200000u + static_cast<uint32_t>(y) * 0x002000u;
}

bool Modified(HWND window) {
    return Title(window).find(" * ") != std::string::npos;
}

uint32_t Pixel(const CImageObject* image, int x, int y) {
    const uint8_t* p = image->bits + static_cast<size_t>(y) * image->stride + 3 * x;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
}

std::vector<uint8_t> Pixels(const CImageObject* image) {
    return std::vector<uint8_t>(image->bits,
                                image->bits + static_cast<size_t>(image->stride) * image->height);
}

// Pixel (x, y) of a 24-bit bottom-up BMP file's bytes.
uint32_t BmpPixel(const std::string& file, int x, int y) {
    int32_t width = 0, height = 0;
    uint32_t offset = 0;
    std::memcpy(&offset, file.data() + 10, 4);
    std::memcpy(&width, file.data() + 18, 4);
    std::memcpy(&height, file.data() + 22, 4);
    const int stride = (width * 3 + 3) & ~3;
    const auto* p =
        reinterpret_cast<const uint8_t*>(file.data()) + offset + (height - 1 - y) * stride + 3 * x;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
}

bool Enabled(CImageFrame* frame, int id) {
    frame->UpdateToolBar();
    const DWORD state = frame->UIGetState(id);
    return state != static_cast<DWORD>(-1) && (state & UPDUI_DISABLED) == 0;
}

// A JPEG of w x h written by the program's own writer: four quadrants of
// flat colour, so that a turn is seen in where the colours went.
void WriteJpeg(const std::string& path, int w, int h) {
    CImageObject image;
    ASSERT_TRUE(image.Create(w, h, 24, 0));
    const uint32_t quadrants[4] = {0xE02020u, 0x20E020u, 0x2020E0u, 0xE0E020u};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = quadrants[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)];
            uint8_t* p = image.bits + static_cast<size_t>(y) * image.stride + 3 * x;
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
        }
    }
    CJpegWriter writer;
    writer.m_quality = 95;
    ASSERT_TRUE(writer.Write(path.c_str(), &image));
}

class FrameImageCommandsTest : public ViewerFrameTest {
protected:
    void SetUp() override {
        ViewerFrameTest::SetUp();
        g_applicationState.Options().viewerShowToolbar = true;
    }

    // A viewer on `path`, the only file of its folder, once it is shown.
    CImageFrame* OpenViewerOn(const std::string& path) {
        CImageFrame* frame = StartViewerOn(path);
        if (!frame)
            return nullptr;
        HWND window = frame->m_hWnd;
        const std::string expected = path + " @ 100% (1 of 1)";
        EXPECT_TRUE(PumpUntil([&] {
            CImageObject* document = frame->GetDocument();
            return Title(window) == expected && document && document->complete;
        })) << Title(window);
        return frame;
    }

    // A fresh 24-bit fixture in a folder of its own.
    std::string MakeBmp(const char* folder) {
        CreateDirectoryA(folder, nullptr);
        const std::string path = std::string(folder) + "\\p.bmp";
        WriteBmp(path, kWidth, kHeight, 24, {}, Colour);
        return path;
    }

    void Send(CImageFrame* frame, WORD id) {
        SendMessageA(frame->m_hWnd, WM_COMMAND, id, 0);
        PumpFor(50);
    }
};

TEST_F(FrameImageCommandsTest, EditsChangeThePixelsAndUndoGivesThemBackByteForByte) {
    const std::string path = MakeBmp("C:\\vxpedit_pixels");
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    const std::vector<uint8_t> original = Pixels(frame->GetDocument());
    const double zoom = frame->GetView().GetCurrentZoom();
    struct Case {
        WORD command;
        int width, height;
        // The source pixel that lands on (x, y).
        std::function<uint32_t(int x, int y)> expected;
    };
    const int w = kWidth, h = kHeight;
    const Case cases[] = {
        {ID_ROTATE_90CW, h, w, [&](int x, int y) { return Colour(y, h - 1 - x); }},
        {ID_ROTATE_90CCW, h, w, [&](int x, int y) { return Colour(w - 1 - y, x); }},
        {ID_ROTATE_180, w, h, [&](int x, int y) { return Colour(w - 1 - x, h - 1 - y); }},
        {ID_FLIP_HORIZONTAL, w, h, [&](int x, int y) { return Colour(w - 1 - x, y); }},
        {ID_FLIP_VERTICAL, w, h, [&](int x, int y) { return Colour(x, h - 1 - y); }},
        {ID_ADJUST_INVERT, w, h, [&](int x, int y) { return Colour(x, y) ^ 0xFFFFFFu; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(Enabled(frame, c.command));
        EXPECT_FALSE(Enabled(frame, ID_EDIT_UNDO));
        Send(frame, c.command);
        CImageObject* edited = frame->GetDocument();
        ASSERT_EQ(edited->width, c.width);
        ASSERT_EQ(edited->height, c.height);
        EXPECT_TRUE(edited->modified);
        EXPECT_TRUE(Modified(frame->m_hWnd)) << Title(frame->m_hWnd);
        EXPECT_TRUE(Enabled(frame, ID_FILE_SAVE));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(Pixel(edited, x, y), c.expected(x, y)) << x << "," << y;

        ASSERT_TRUE(Enabled(frame, ID_EDIT_UNDO));
        Send(frame, ID_EDIT_UNDO);
        CImageObject* back = frame->GetDocument();
        EXPECT_FALSE(back->modified);
        EXPECT_FALSE(Modified(frame->m_hWnd)) << Title(frame->m_hWnd);
        EXPECT_EQ(Pixels(back), original);
        EXPECT_DOUBLE_EQ(frame->GetView().GetCurrentZoom(), zoom);
        // One level only.
        EXPECT_FALSE(Enabled(frame, ID_EDIT_UNDO));
    }
}

TEST_F(FrameImageCommandsTest, SaveWritesTheEditAndTheMarkGoes) {
    const std::string path = MakeBmp("C:\\vxpedit_save");
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(Enabled(frame, ID_FILE_SAVE));
    Send(frame, ID_ADJUST_INVERT);
    ASSERT_TRUE(Modified(frame->m_hWnd));
    Send(frame, ID_FILE_SAVE);
    EXPECT_TRUE(PumpUntil([&] { return !Modified(frame->m_hWnd); })) << Title(frame->m_hWnd);
    EXPECT_FALSE(Enabled(frame, ID_FILE_SAVE));
    EXPECT_FALSE(Enabled(frame, ID_EDIT_UNDO)); // no undo past a save
    const std::string file = ReadFileBytes(path);
    ASSERT_GT(file.size(), 54u);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(BmpPixel(file, x, y), Colour(x, y) ^ 0xFFFFFFu) << x << "," << y;
    // Nothing is left beside the file.
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("C:\\vxpedit_save\\*", &found);
    int files = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(files, 1);
}

TEST_F(FrameImageCommandsTest, CropCutsTheSelectionAndNothingWhenItCoversTheImage) {
    const std::string path = MakeBmp("C:\\vxpedit_crop");
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(Enabled(frame, ID_IMAGE_CROP)); // no selection
    CImageObject* before = frame->GetDocument();

    RECT whole = {0, 0, kWidth, kHeight};
    frame->GetView().GetCanvas().StoreSelection(whole, true);
    ASSERT_TRUE(Enabled(frame, ID_IMAGE_CROP));
    Send(frame, ID_IMAGE_CROP);
    EXPECT_EQ(frame->GetDocument(), before);
    EXPECT_FALSE(Enabled(frame, ID_EDIT_UNDO));

    RECT part = {1, 1, 4, 3};
    frame->GetView().GetCanvas().StoreSelection(part, true);
    Send(frame, ID_IMAGE_CROP);
    CImageObject* cut = frame->GetDocument();
    ASSERT_EQ(cut->width, 3);
    ASSERT_EQ(cut->height, 2);
    EXPECT_TRUE(Modified(frame->m_hWnd));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(cut, x, y), Colour(x + 1, y + 1)) << x << "," << y;
    Send(frame, ID_EDIT_UNDO);
    EXPECT_EQ(frame->GetDocument()->width, kWidth);
    EXPECT_FALSE(Modified(frame->m_hWnd));
}

TEST_F(FrameImageCommandsTest, AnUnmodifiedJpegIsTurnedInItsFileAndUndoTurnsTheFileBack) {
    CreateDirectoryA("C:\\vxpedit_jpeg", nullptr);
    const std::string path = "C:\\vxpedit_jpeg\\q.jpg";
    WriteJpeg(path, 32, 16); // whole blocks in both directions
    const std::string original = ReadFileBytes(path);
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    const std::vector<uint8_t> decoded = Pixels(frame->GetDocument());

    Send(frame, ID_ROTATE_90CW);
    ASSERT_TRUE(PumpUntil([&] {
        CImageObject* document = frame->GetDocument();
        return document && document->complete && document->width == 16;
    }));
    CImageObject* turned = frame->GetDocument();
    EXPECT_EQ(turned->height, 32);
    EXPECT_FALSE(turned->modified);
    EXPECT_FALSE(Modified(frame->m_hWnd)) << Title(frame->m_hWnd);
    EXPECT_NE(ReadFileBytes(path), original);
    // The top-left quadrant (red) is now at the top right.
    EXPECT_GT(Pixel(turned, 12, 4) >> 16, 0xC0u);
    EXPECT_LT(Pixel(turned, 3, 4) >> 16, 0x40u);
    ASSERT_TRUE(Enabled(frame, ID_EDIT_UNDO));

    Send(frame, ID_EDIT_UNDO);
    ASSERT_TRUE(PumpUntil([&] {
        CImageObject* document = frame->GetDocument();
        return document && document->complete && document->width == 32;
    }));
    EXPECT_FALSE(frame->GetDocument()->modified);
    EXPECT_FALSE(Modified(frame->m_hWnd));
    // The file holds the very blocks it held: its picture is the original's.
    EXPECT_EQ(Pixels(frame->GetDocument()), decoded);
    EXPECT_FALSE(Enabled(frame, ID_EDIT_UNDO));
}

TEST_F(FrameImageCommandsTest, AJpegOfPartBlocksIsTurnedInItsPixelsAndTheFileStays) {
    CreateDirectoryA("C:\\vxpedit_jpegpart", nullptr);
    const std::string path = "C:\\vxpedit_jpegpart\\r.jpg";
    WriteJpeg(path, 20, 12);
    const std::string original = ReadFileBytes(path);
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    Send(frame, ID_ROTATE_90CW);
    CImageObject* turned = frame->GetDocument();
    EXPECT_EQ(turned->width, 12);
    EXPECT_EQ(turned->height, 20);
    EXPECT_TRUE(turned->modified);
    EXPECT_TRUE(Modified(frame->m_hWnd)) << Title(frame->m_hWnd);
    EXPECT_EQ(ReadFileBytes(path), original);
}

// Rotate Canvas and Image Size answered by the test: OK with an angle or a
// new size, or Cancel.
class ScriptedDialogs : public RegisteredFrameDialogs {
public:
    bool AskRotateCanvas(HWND, double& clockwiseAngle) override {
        ++asked;
        clockwiseAngle = angle;
        return ok;
    }
    std::unique_ptr<CImageOperation> AskImageOperation(HWND, int command, int width,
                                                       int height) override {
        askedSize = {command, width, height};
        if (!ok)
            return nullptr;
        auto op = std::make_unique<CImageSizeOp>();
        op->mode = CImageSizeOp::kExactSize;
        op->width = newWidth;
        op->height = newHeight;
        return op;
    }

    bool ok = true;
    double angle = 0.0;
    int asked = 0;
    int newWidth = 0, newHeight = 0;
    std::vector<int> askedSize;
};

TEST_F(FrameImageCommandsTest, RotateArbitraryTurnsByTheAngleItIsGivenAndNothingOnZeroOrCancel) {
    const std::string path = MakeBmp("C:\\vxpedit_arbitrary");
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(Enabled(frame, ID_ROTATE_ARBITRARY)); // no dialog to ask
    ScriptedDialogs dialogs;
    ASSERT_TRUE(Enabled(frame, ID_ROTATE_ARBITRARY));
    CImageObject* before = frame->GetDocument();
    // What the rotation of the file's pixels by -30 degrees gives.
    CImageObject expected;
    {
        CRotateOp rotate;
        rotate.angle = -30.0;
        ASSERT_TRUE(rotate.Apply(&expected, before));
    }
    struct Case {
        bool ok;
        double angle;
        bool turns;
    };
    const Case cases[] = {{false, -30.0, false}, {true, 0.0, false}, {true, -30.0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ok << " " << c.angle);
        dialogs.ok = c.ok;
        dialogs.angle = c.angle;
        Send(frame, ID_ROTATE_ARBITRARY);
        if (!c.turns) {
            EXPECT_EQ(frame->GetDocument(), before);
            continue;
        }
        CImageObject* turned = frame->GetDocument();
        ASSERT_EQ(turned->width, expected.width);
        ASSERT_EQ(turned->height, expected.height);
        EXPECT_EQ(Pixels(turned), Pixels(&expected));
        EXPECT_TRUE(Modified(frame->m_hWnd));
    }
    EXPECT_EQ(dialogs.asked, 3);
}

TEST_F(FrameImageCommandsTest, ImageSizeResizesToTheAnswerAndUndoGivesTheImageBack) {
    const std::string path = MakeBmp("C:\\vxpedit_imagesize");
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(Enabled(frame, ID_IMAGE_SIZE)); // no dialog to ask
    ScriptedDialogs dialogs;
    ASSERT_TRUE(Enabled(frame, ID_IMAGE_SIZE));
    CImageObject* before = frame->GetDocument();
    const std::vector<uint8_t> original = Pixels(before);

    dialogs.ok = false;
    Send(frame, ID_IMAGE_SIZE);
    EXPECT_EQ(dialogs.askedSize, (std::vector<int>{ID_IMAGE_SIZE, kWidth, kHeight}));
    EXPECT_EQ(frame->GetDocument(), before);
    EXPECT_FALSE(Modified(frame->m_hWnd));
    EXPECT_FALSE(frame->GetView().HasUndoImage());

    dialogs.ok = true;
    dialogs.newWidth = 3;
    dialogs.newHeight = 2;
    Send(frame, ID_IMAGE_SIZE);
    CImageObject* resized = frame->GetDocument();
    ASSERT_EQ(resized->width, 3);
    ASSERT_EQ(resized->height, 2);
    EXPECT_TRUE(resized->modified);
    EXPECT_TRUE(Modified(frame->m_hWnd)) << Title(frame->m_hWnd);
    // Each target pixel averages a 2 x 2 block of the fixture.
    const uint32_t expected = 0x102030u + 0x100000u + 0x001000u;
    EXPECT_EQ(Pixel(resized, 0, 0), expected);

    Send(frame, ID_EDIT_UNDO);
    CImageObject* undone = frame->GetDocument();
    ASSERT_EQ(undone->width, kWidth);
    ASSERT_EQ(undone->height, kHeight);
    EXPECT_EQ(Pixels(undone), original);
    EXPECT_FALSE(frame->GetView().HasUndoImage());
}

} // namespace
