// Print and E-mail of a viewer through a scripted output: a single page is
// printed as its file, a multi-page document asks first (OK prints every
// page of the document, Cancel the file), E-mail hands over the file, and
// without an output both commands stay disabled.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/frame_output.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "ui/update_ui.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

constexpr char kPagesQuestion[] =
    "The image you've selected contains more then one pages.  Would you like to switch to single "
    "image printing mode?  Switching to single image printing mode enable you to print all pages "
    "in a file.";

// Records what the frames ask of printing and e-mailing.
class RecordingOutput : public IFrameOutput {
public:
    RecordingOutput() { SetFrameOutput(this); }
    ~RecordingOutput() override { SetFrameOutput(nullptr); }
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;

    void PrintDocument(HWND, CImageObject* document) override { printedDocument = document; }
    void PrintFiles(HWND, const std::vector<std::string>& files) override { printedFiles = files; }
    bool StartEmail(const std::vector<std::string>& files) override {
        mailed = files;
        return true;
    }

    CImageObject* printedDocument = nullptr;
    std::vector<std::string> printedFiles, mailed;
};

class FrameOutputTest : public ViewerFrameTest {
protected:
    CImageFrame* OpenViewerOn(const std::string& path) {
        CImageFrame* frame = StartViewerOn(path);
        if (frame)
            EXPECT_TRUE(PumpUntil([&] {
                CImageObject* document = frame->GetDocument();
                return document && document->complete && frame->GetItemList();
            }));
        return frame;
    }
    static std::string SinglePage() {
        CreateDirectoryA("C:\\vxpoutput_single", nullptr);
        const std::string path = "C:\\vxpoutput_single\\one.bmp";
        WriteBmp(path, 32, 24, 24, {}, [](int x, int y) { return uint32_t(x * 8 + y); });
        return path;
    }
    static std::string ThreePages() {
        CreateDirectoryA("C:\\vxpoutput_pages", nullptr);
        const std::string path = "C:\\vxpoutput_pages\\pages3.tif";
        EXPECT_TRUE(CopyFileA(VXP_TEST_DATA_DIR "/viewer/pages3.tif", path.c_str(), FALSE));
        return path;
    }
};

TEST_F(FrameOutputTest, PrintTakesTheFileOrAfterTheQuestionEveryPageOfTheDocument) {
    struct Case {
        const char* name;
        bool pages;
        WORD answer;
        bool asked;
        bool document; // every page of the shown document, else its file
    };
    const Case cases[] = {
        {"a single page prints its file without a question", false, IDOK, false, false},
        {"OK to the question prints the document's pages", true, IDOK, true, true},
        {"Cancel to the question prints the file", true, IDCANCEL, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.pages ? ThreePages() : SinglePage();
        CImageFrame* frame = OpenViewerOn(path);
        ASSERT_NE(frame, nullptr);
        RecordingOutput output;
        std::vector<std::string> seen;
        {
            BoxAnswerer answer("Velmorantix XP", c.answer);
            SendMessageA(frame->m_hWnd, WM_COMMAND, ID_FILE_PRINT, 0);
            PumpFor(100);
            seen = answer.Texts();
        }
        EXPECT_EQ(c.asked ? std::vector<std::string>{kPagesQuestion} : std::vector<std::string>{},
                  seen);
        if (c.document) {
            EXPECT_EQ(frame->GetDocument(), output.printedDocument);
            EXPECT_TRUE(output.printedFiles.empty());
        } else {
            EXPECT_EQ(nullptr, output.printedDocument);
            EXPECT_EQ(std::vector<std::string>{path}, output.printedFiles);
        }
        DestroyWindow(frame->m_hWnd);
        PumpFor(50);
    }
}

TEST_F(FrameOutputTest, EmailHandsOverTheShownFileAndBothNeedAnOutput) {
    const std::string path = SinglePage();
    CImageFrame* frame = OpenViewerOn(path);
    ASSERT_NE(frame, nullptr);
    frame->UpdateToolBar();
    EXPECT_NE(0u, frame->UIGetState(ID_FILE_PRINT) & UPDUI_DISABLED);
    EXPECT_NE(0u, frame->UIGetState(ID_FILE_EMAIL) & UPDUI_DISABLED);

    RecordingOutput output;
    frame->UpdateToolBar();
    EXPECT_EQ(0u, frame->UIGetState(ID_FILE_PRINT) & UPDUI_DISABLED);
    EXPECT_EQ(0u, frame->UIGetState(ID_FILE_EMAIL) & UPDUI_DISABLED);
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_FILE_EMAIL, 0);
    EXPECT_EQ(std::vector<std::string>{path}, output.mailed);
}

} // namespace
