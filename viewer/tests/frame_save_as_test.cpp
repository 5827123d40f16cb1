// Save As from a viewer in this process, through the real file dialog: one
// page of a three-page TIFF on request, the JPEG settings reaching the file,
// and a type without a writer saying so before the dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/image_saving.h"
#include "imaging/codecs/codec_registry.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

// Answers this process's dialogs while it lives: message boxes by their
// caption with a button, the Save As dialog with a file name (or Cancel
// when the name is empty). Keeps "caption: text" of every box it saw.
class DialogAnswerer {
public:
    DialogAnswerer(std::map<std::string, WORD> buttons, std::string fileName)
        : m_buttons(std::move(buttons)), m_fileName(std::move(fileName)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~DialogAnswerer() { Stop(); }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<std::string> Seen() {
        Stop();
        return m_seen;
    }

private:
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    void Run() {
        std::vector<HWND> answered;
        while (!m_stop) {
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
                DWORD process = 0;
                GetWindowThreadProcessId(box, &process);
                if (process != GetCurrentProcessId() || !IsWindowVisible(box))
                    continue;
                if (std::find(answered.begin(), answered.end(), box) != answered.end())
                    continue;
                char caption[128] = {};
                GetWindowTextA(box, caption, sizeof caption);
                if (std::string(caption) == "Save As") {
                    answered.push_back(box);
                    m_seen.push_back("Save As");
                    if (m_fileName.empty()) {
                        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                    } else {
                        // The name field: the edit of the old layout, or the
                        // combo box of the explorer layout.
                        if (!SetDlgItemTextA(box, 0x480, m_fileName.c_str()))
                            SetDlgItemTextA(box, 0x47C, m_fileName.c_str());
                        PostMessageA(box, WM_COMMAND, IDOK, 0);
                    }
                    continue;
                }
                auto button = m_buttons.find(caption);
                if (button == m_buttons.end())
                    continue;
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                answered.push_back(box);
                m_seen.push_back(std::string(caption) + ": " + text);
                PostMessageA(box, WM_COMMAND, button->second, 0);
            }
            Sleep(30);
        }
    }

    std::map<std::string, WORD> m_buttons;
    std::string m_fileName;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> m_seen;
    std::thread m_thread;
};

// Reads a file through the program's own readers, fully, on this thread.
CImageObject* ReadBack(const std::string& path) {
    auto reader = NewImageReader(DetectImageFileType(path.c_str()));
    if (!reader)
        return nullptr;
    auto* image = new CImageObject(path.c_str(), nullptr);
    if (!reader->Read(path.c_str(), image)) {
        image->Release();
        return nullptr;
    }
    return image;
}

class FrameSaveAsTest : public ViewerFrameTest {
protected:
    CImageFrame* OpenViewerOn(const std::string& path) {
        CImageFrame* frame = StartViewerOn(path);
        if (!frame)
            return nullptr;
        HWND window = frame->m_hWnd;
        EXPECT_TRUE(PumpUntil([&] {
            CImageObject* document = frame->GetDocument();
            return document && document->complete && frame->GetItemList() &&
                   Title(window).find("(1 of") != std::string::npos;
        })) << Title(window);
        return frame;
    }
};

TEST_F(FrameSaveAsTest, YesSavesOnlyTheShownPageOfAThreePageTiff) {
    CreateDirectoryA("C:\\vxpsaveas_pages", nullptr);
    const std::string source = "C:\\vxpsaveas_pages\\pages3.tif";
    const std::string target = "C:\\vxpsaveas_pages\\page2.tif";
    DeleteFileA(target.c_str()); // no overwrite question from an earlier run
    ASSERT_TRUE(CopyFileA(VXP_TEST_DATA_DIR "/viewer/pages3.tif", source.c_str(), FALSE));
    CImageFrame* frame = OpenViewerOn(source);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->GetDocument()->FrameCount(), 2);
    frame->GetView().SetFrame(1);

    std::vector<std::string> seen;
    {
        DialogAnswerer answer({{"Velmorantix XP", IDYES}}, target);
        SendMessageA(frame->m_hWnd, WM_COMMAND, ID_FILE_SAVE_AS, 0);
        PumpFor(100);
        seen = answer.Seen();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Velmorantix XP: The image you've selected contains more then one pages.  "
                       "Do you want to save only the selected page?");
    EXPECT_EQ(seen[1], "Save As");
    CImageObject* written = ReadBack(target);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->FrameCount(), 0);
    CImageObject* page = frame->GetDocument()->GetFrame(1);
    ASSERT_EQ(written->width, page->width);
    ASSERT_EQ(written->height, page->height);
    ASSERT_EQ(written->bitsPerPixel, page->bitsPerPixel);
    for (int y = 0; y < page->height; ++y)
        ASSERT_EQ(0, memcmp(written->GetRow(y, true), page->GetRow(y, true),
                            static_cast<size_t>(page->width) * page->bitsPerPixel / 8))
            << "row " << y;
    written->Release();
}

TEST_F(FrameSaveAsTest, TheJpegSettingsReachTheFile) {
    CreateDirectoryA("C:\\vxpsaveas_jpeg", nullptr);
    const std::string source = "C:\\vxpsaveas_jpeg\\s.bmp";
    const std::string target = "C:\\vxpsaveas_jpeg\\s.jpg";
    DeleteFileA(target.c_str());
    WriteBmp(source, 64, 48, 24, {}, [](int x, int y) {
        return static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 5) << 8 | 0x40u;
    });
    CImageFrame* frame = OpenViewerOn(source);
    ASSERT_NE(frame, nullptr);
    CAppOptions& o = g_applicationState.Options();
    const CJpegSaveSettings kept = o.jpeg;
    o.jpeg.quality = 40;
    o.jpeg.baseline = false; // progressive

    {
        DialogAnswerer answer({}, target);
        SendMessageA(frame->m_hWnd, WM_COMMAND, ID_FILE_SAVE_AS, 0);
        PumpFor(100);
        EXPECT_EQ(answer.Seen(), std::vector<std::string>{"Save As"});
    }
    o.jpeg = kept;
    const std::string bytes = ReadFileBytes(target);
    ASSERT_GT(bytes.size(), 4u);
    // A progressive frame, and the first luminance step of quality 40:
    // 16 scaled by 5000 / 40 percent.
    EXPECT_NE(bytes.find("\xFF\xC2"), std::string::npos);
    EXPECT_EQ(bytes.find("\xFF\xC0"), std::string::npos);
    const size_t dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<uint8_t>(bytes[dqt + 5]), 20);
    // The document was not edited: it stays as it was, unmarked.
    EXPECT_FALSE(frame->GetDocument()->modified);
}

TEST_F(FrameSaveAsTest, AMetafileHasNoEncoderAndGoesToSaveAs) {
    CImageObject image("C:\\vxpsaveas_none\\v.emf", nullptr);
    ASSERT_TRUE(image.Create(4, 4, 24, 0));
    std::vector<std::string> seen;
    {
        DialogAnswerer answer({{"Failed!", IDOK}}, "");
        EXPECT_FALSE(image_saving::SaveImage(&image, true, false, nullptr));
        seen = answer.Seen();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Failed!: No encoder is supported for this image type");
    EXPECT_EQ(seen[1], "Save As");
}

} // namespace
