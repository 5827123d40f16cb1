// JPEG Options, PNG Options and Save Images in this process: their values
// round-trip through the stored options, Cancel changes nothing, refused
// entries keep the dialogs open, and Save As with JPEG options writes a file
// of the chosen quality and format.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/image_saving.h"
#include "imaging/codecs/codec_registry.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/save_file_dialog.h"
#include "tools/save_options_dialogs.h"
#include "tools/tests/option_values.h"

namespace {

using testsupport::DialogScript;

constexpr const char* kJpegValues[] = {"JPEGQuality", "JPEGOptimizeCoding", "JPEGBaseline",
                                       "JPEGPreserveMetadata"};

void SetJpegOptions(uint32_t quality, bool optimize, bool baseline, bool metadata) {
    CJpegSaveSettings& jpeg = g_applicationState.Options().jpeg;
    jpeg.quality = quality;
    jpeg.optimizeCoding = optimize;
    jpeg.baseline = baseline;
    jpeg.preserveMetadata = metadata;
}

std::vector<DWORD> StoredJpegValues() {
    std::vector<DWORD> stored;
    for (const char* name : kJpegValues)
        stored.push_back(option_values::Dword(name));
    return stored;
}

std::vector<uint32_t> JpegOptionsInMemory() {
    const CJpegSaveSettings& jpeg = g_applicationState.Options().jpeg;
    return {jpeg.quality, jpeg.optimizeCoding, jpeg.baseline, jpeg.preserveMetadata};
}

void MoveTrackbar(HWND dialog, int position) {
    HWND track = ::GetDlgItem(dialog, IDC_JPEG_QUALITY_TRACK);
    ::SendMessageA(track, TBM_SETPOS, TRUE, position);
    ::SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                   reinterpret_cast<LPARAM>(track));
}

TEST(JpegOptionsDialog, OkStoresTheFourOptionsAndTheyComeBackFromTheRegistry) {
    g_applicationState.LoadOptions(); // options are saved only once read
    SetJpegOptions(75, true, true, true);
    std::string shown;
    DialogScript script("JPEG Options", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "jpeg_options_dialog");
        MoveTrackbar(d, 40);
        shown = DialogScript::Text(d, IDC_JPEG_QUALITY);
        DialogScript::Click(d, IDC_JPEG_OPTIMIZE);
        DialogScript::Click(d, IDC_JPEG_PROGRESSIVE);
        DialogScript::Click(d, IDC_JPEG_METADATA);
        DialogScript::PressOk(d);
    });
    CJpegOptionsDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(shown, "40");
    EXPECT_EQ(JpegOptionsInMemory(), (std::vector<uint32_t>{40, 0, 0, 0}));

    g_applicationState.SaveOptions();
    EXPECT_EQ(StoredJpegValues(), (std::vector<DWORD>{40, 0, 0, 0}));
    SetJpegOptions(75, true, true, true);
    g_applicationState.LoadOptions();
    EXPECT_EQ(JpegOptionsInMemory(), (std::vector<uint32_t>{40, 0, 0, 0}));

    // The stored options are what the dialog opens with.
    std::vector<bool> opened;
    DialogScript again("JPEG Options", [&](HWND d) {
        opened = {DialogScript::Text(d, IDC_JPEG_QUALITY) == "40",
                  ::SendDlgItemMessageA(d, IDC_JPEG_QUALITY_TRACK, TBM_GETPOS, 0, 0) == 40,
                  DialogScript::IsChecked(d, IDC_JPEG_OPTIMIZE),
                  DialogScript::IsChecked(d, IDC_JPEG_PROGRESSIVE),
                  DialogScript::IsChecked(d, IDC_JPEG_METADATA)};
        DialogScript::PressCancel(d);
    });
    CJpegOptionsDialog reopened;
    ASSERT_EQ(reopened.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(opened, (std::vector<bool>{true, true, false, true, false}));
}

TEST(JpegOptionsDialog, CancelKeepsTheOptionsButRestoreDefaultsTakesEffectAtOnce) {
    struct Case {
        const char* what;
        bool restore;
        std::vector<uint32_t> after;
    } cases[] = {
        {"edits then Cancel", false, {30, 0, 0, 1}},
        {"Restore Defaults then Cancel", true, {75, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SetJpegOptions(30, false, false, true);
        std::string shownAfterRestore;
        DialogScript script("JPEG Options", [&](HWND d) {
            MoveTrackbar(d, 90);
            DialogScript::Click(d, IDC_JPEG_OPTIMIZE);
            if (c.restore) {
                DialogScript::Click(d, IDC_JPEG_DEFAULTS);
                shownAfterRestore = DialogScript::Text(d, IDC_JPEG_QUALITY) +
                                    (DialogScript::IsChecked(d, IDC_JPEG_BASELINE) ? " B" : " P");
            }
            DialogScript::PressCancel(d);
        });
        CJpegOptionsDialog dialog;
        ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL) << c.what;
        EXPECT_EQ(JpegOptionsInMemory(), c.after) << c.what;
        if (c.restore) {
            EXPECT_EQ(shownAfterRestore, "75 B");
        }
    }
}

TEST(JpegOptionsDialog, AQualityOutsideItsRangeIsRefusedWithItsMessage) {
    struct Case {
        const char* text;
        const char* message; // null: a beep only
    } cases[] = {{"101", "JPEG Quality must be between 0 and 100"},
                 {"-1", "JPEG Quality must be between 0 and 100"},
                 {"", nullptr},
                 {"abc", nullptr}};
    for (const Case& c : cases) {
        SetJpegOptions(60, true, true, true);
        bool stillOpen = false;
        int focus = 0;
        DialogScript script("JPEG Options", [&](HWND d) {
            DialogScript::SetText(d, IDC_JPEG_QUALITY, c.text);
            DialogScript::PressOk(d);
            stillOpen = ::IsWindowVisible(d) != FALSE;
            focus = ::GetDlgCtrlID(::GetFocus());
            DialogScript::PressCancel(d);
        });
        CJpegOptionsDialog dialog;
        ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL) << c.text;
        EXPECT_TRUE(stillOpen) << c.text;
        EXPECT_EQ(focus, IDC_JPEG_QUALITY) << c.text;
        EXPECT_EQ(g_applicationState.Options().jpeg.quality, 60u) << c.text;
        ASSERT_EQ(script.boxes.size(), c.message ? 1u : 0u) << c.text;
        if (c.message) {
            EXPECT_EQ(script.boxes[0].caption, "Failed!");
            EXPECT_EQ(script.boxes[0].text, c.message);
            EXPECT_EQ(script.boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
        }
    }
}

TEST(PngOptionsDialog, TheInterlaceChoiceRoundTripsAndCancelKeepsIt) {
    struct Case {
        bool before;
        int click;
        bool ok;
        bool after;
    } cases[] = {{false, IDC_PNG_INTERLACED, true, true},
                 {true, IDC_PNG_NONE, true, false},
                 {false, IDC_PNG_INTERLACED, false, false}};
    g_applicationState.LoadOptions(); // options are saved only once read
    for (const Case& c : cases) {
        g_applicationState.Options().pngInterlace = c.before;
        bool openedChecked = false;
        DialogScript script("PNG Options", [&](HWND d) {
            testsupport::MaybeScreenshot(d, "png_options_dialog");
            openedChecked =
                DialogScript::IsChecked(d, c.before ? IDC_PNG_INTERLACED : IDC_PNG_NONE);
            DialogScript::Click(d, c.click);
            c.ok ? DialogScript::PressOk(d) : DialogScript::PressCancel(d);
        });
        CPngOptionsDialog dialog;
        EXPECT_EQ(dialog.DoModal(nullptr), c.ok ? IDOK : IDCANCEL);
        EXPECT_TRUE(openedChecked);
        EXPECT_EQ(g_applicationState.Options().pngInterlace, c.after);
        g_applicationState.SaveOptions();
        EXPECT_EQ(option_values::Dword("PNGInterlace"), c.after ? 1u : 0u);
        g_applicationState.Options().pngInterlace = !c.after;
        g_applicationState.LoadOptions();
        EXPECT_EQ(g_applicationState.Options().pngInterlace, c.after);
    }
}

constexpr const char* kSaveImagesValues[] = {"SaveImagesSelection", "SaveImagesPath"};

std::string StoredText(const char* name) {
    char text[MAX_PATH] = "<missing>";
    DWORD size = sizeof text;
    ::RegGetValueA(HKEY_CURRENT_USER, option_values::kKey, name, RRF_RT_REG_SZ, NULL, text, &size);
    return text;
}

TEST(SaveImagesDialog, AlwaysReplaceSelectsTheFirstChoiceAndDisablesTheOthers) {
    option_values::Clear(kSaveImagesValues);
    std::vector<bool> atOpening, afterFolder, afterAlways;
    auto controls = [](HWND d) {
        std::vector<bool> state;
        for (int id : {IDC_SAVE_IMAGES_RENAME, IDC_SAVE_IMAGES_FOLDER, IDC_SAVE_IMAGES_LOCATION,
                       IDC_SAVE_IMAGES_BROWSE, IDC_SAVE_IMAGES_USE_CURRENT})
            state.push_back(DialogScript::IsEnabled(d, id));
        return state;
    };
    bool firstChecked = false, iconShown = false;
    DialogScript script("Save Images", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "save_images_dialog");
        iconShown = ::SendDlgItemMessageA(d, IDC_SAVE_IMAGES_ICON, STM_GETICON, 0, 0) != 0;
        atOpening = controls(d);
        DialogScript::Click(d, IDC_SAVE_IMAGES_FOLDER);
        afterFolder = controls(d);
        DialogScript::Click(d, IDC_SAVE_IMAGES_ALWAYS_REPLACE);
        afterAlways = controls(d);
        firstChecked = DialogScript::IsChecked(d, IDC_SAVE_IMAGES_REPLACE) &&
                       !DialogScript::IsChecked(d, IDC_SAVE_IMAGES_FOLDER);
        DialogScript::PressCancel(d);
    });
    CSaveImagesDialog dialog;
    ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(iconShown);
    EXPECT_EQ(atOpening, (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(afterFolder, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(afterAlways, (std::vector<bool>{false, false, false, false, false}));
    EXPECT_TRUE(firstChecked);
    // Cancel stores nothing.
    EXPECT_EQ(option_values::Dword("SaveImagesSelection"), 0xDEADBEEFu);
    EXPECT_EQ(StoredText("SaveImagesPath"), "<missing>");
}

TEST(SaveImagesDialog, AMissingFolderIsRefusedAndTheChoiceAndFolderSurviveAReopening) {
    option_values::Clear(kSaveImagesValues);
    ::CreateDirectoryA("C:\\vxpsaveimages_out", nullptr);
    struct Case {
        const char* folder;
        const char* message;
    } refused[] = {{"", "Path does not exists!"},
                   {"C:\\vxpsaveimages_missing\\deeper", "Path does not exists!"}};
    for (const Case& c : refused) {
        bool stillOpen = false;
        DialogScript script("Save Images", [&](HWND d) {
            DialogScript::Click(d, IDC_SAVE_IMAGES_FOLDER);
            DialogScript::SetText(d, IDC_SAVE_IMAGES_LOCATION, c.folder);
            DialogScript::PressOk(d);
            stillOpen = ::IsWindowVisible(d) != FALSE;
            DialogScript::PressCancel(d);
        });
        CSaveImagesDialog dialog;
        ASSERT_EQ(dialog.DoModal(nullptr), IDCANCEL) << c.folder;
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(script.boxes.size(), 1u) << c.folder;
        EXPECT_EQ(script.boxes[0].caption, "Velmorantix XP");
        EXPECT_EQ(script.boxes[0].text, c.message);
        EXPECT_EQ(script.boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    }
    EXPECT_EQ(option_values::Dword("SaveImagesSelection"), 0xDEADBEEFu);

    // Use Current fills the folder; OK stores it without its backslash.
    DialogScript accept("Save Images", [&](HWND d) {
        DialogScript::Click(d, IDC_SAVE_IMAGES_FOLDER);
        DialogScript::Click(d, IDC_SAVE_IMAGES_USE_CURRENT);
        DialogScript::PressOk(d);
    });
    CSaveImagesDialog dialog;
    dialog.currentFolder = "C:\\vxpsaveimages_out\\";
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_TRUE(accept.boxes.empty());
    EXPECT_EQ(dialog.selection, tools_logic::kSaveToFolder);
    EXPECT_EQ(dialog.folder, "C:\\vxpsaveimages_out");
    EXPECT_FALSE(dialog.alwaysReplace);
    EXPECT_EQ(option_values::Dword("SaveImagesSelection"), 2u);
    EXPECT_EQ(StoredText("SaveImagesPath"), "C:\\vxpsaveimages_out");

    // Reopened: the choice and the folder come back, "always replace" not.
    bool folderChecked = false, alwaysChecked = true;
    std::string folder;
    DialogScript reopen("Save Images", [&](HWND d) {
        folderChecked = DialogScript::IsChecked(d, IDC_SAVE_IMAGES_FOLDER);
        folder = DialogScript::Text(d, IDC_SAVE_IMAGES_LOCATION);
        DialogScript::Click(d, IDC_SAVE_IMAGES_ALWAYS_REPLACE);
        DialogScript::PressOk(d);
    });
    CSaveImagesDialog second;
    ASSERT_EQ(second.DoModal(nullptr), IDOK);
    EXPECT_TRUE(folderChecked);
    EXPECT_EQ(folder, "C:\\vxpsaveimages_out");
    EXPECT_TRUE(second.alwaysReplace);
    EXPECT_EQ(second.selection, tools_logic::kSaveReplace);
    DialogScript third("Save Images", [&](HWND d) {
        alwaysChecked = DialogScript::IsChecked(d, IDC_SAVE_IMAGES_ALWAYS_REPLACE);
        DialogScript::PressCancel(d);
    });
    CSaveImagesDialog reopened;
    ASSERT_EQ(reopened.DoModal(nullptr), IDCANCEL);
    EXPECT_FALSE(alwaysChecked);
}

// Answers this process's Save As dialog from a thread of its own with a file
// name (Cancel when the name is empty), as a user would type it.
class SaveAsAnswer {
public:
    explicit SaveAsAnswer(std::string fileName) : m_fileName(std::move(fileName)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~SaveAsAnswer() {
        m_stop = true;
        m_thread.join();
    }
    SaveAsAnswer(const SaveAsAnswer&) = delete;
    SaveAsAnswer& operator=(const SaveAsAnswer&) = delete;
    std::atomic<bool> answered{false};

private:
    void Run() {
        for (DWORD start = ::GetTickCount(); !m_stop && ::GetTickCount() - start < 20000;) {
            HWND box = ::FindWindowA("#32770", "Save As");
            DWORD process = 0;
            if (box)
                ::GetWindowThreadProcessId(box, &process);
            if (box && process == ::GetCurrentProcessId() && ::IsWindowVisible(box) && !answered) {
                answered = true;
                if (m_fileName.empty()) {
                    ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                } else {
                    if (!::SetDlgItemTextA(box, 0x480, m_fileName.c_str()))
                        ::SetDlgItemTextA(box, 0x47C, m_fileName.c_str());
                    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                }
            }
            ::Sleep(30);
        }
    }
    std::string m_fileName;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first quantisation value (the DC step of the first table) and the
// start-of-frame marker of a JPEG file; 0 for either when not found.
struct JpegTables {
    int dcStep = 0;
    int frameMarker = 0;
};
JpegTables ReadJpegTables(const std::string& file) {
    JpegTables tables;
    size_t at = 2;
    while (at + 4 <= file.size() && static_cast<uint8_t>(file[at]) == 0xFF) {
        const int marker = static_cast<uint8_t>(file[at + 1]);
        const size_t length =
            (static_cast<uint8_t>(file[at + 2]) << 8) | static_cast<uint8_t>(file[at + 3]);
        if (marker == 0xDB && tables.dcStep == 0 && at + 5 < file.size())
            tables.dcStep = static_cast<uint8_t>(file[at + 5]);
        if ((marker == 0xC0 || marker == 0xC1 || marker == 0xC2) && tables.frameMarker == 0)
            tables.frameMarker = marker;
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    return tables;
}

class SaveAsWithOptionsTest : public testing::Test {
protected:
    void SetUp() override {
        // The program's own chain: its file dialog, then the options.
        image_saving::SetSaveOptionsAsker(AskImageSaveOptions);
        image_saving::SetSaveFileAsker(AskSaveFilePath);
        ::CreateDirectoryA(kFolder, nullptr);
        ::DeleteFileA(kTarget);
        SetJpegOptions(75, true, true, true);
        ASSERT_TRUE(m_image.Create(48, 32, 24, 0));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48 * 3; ++x)
                m_image.bits[y * m_image.stride + x] = static_cast<uint8_t>(x * 5 + y * 7);
        lstrcpynA(m_image.path, kSource, MAX_PATH);
        m_image.SetModified();
    }
    void TearDown() override {
        image_saving::SetSaveOptionsAsker(nullptr);
        image_saving::SetSaveFileAsker(nullptr);
    }

    static constexpr char kFolder[] = "C:\\vxpsaveas_options";
    static constexpr char kSource[] = "C:\\vxpsaveas_options\\photo.bmp";
    static constexpr char kTarget[] = "C:\\vxpsaveas_options\\photo.jpg";
    CImageObject m_image;
};

TEST_F(SaveAsWithOptionsTest, TheChosenQualityAndFormatReachTheFile) {
    SaveAsAnswer answer(kTarget);
    DialogScript script("JPEG Options", [&](HWND d) {
        MoveTrackbar(d, 40);
        DialogScript::Click(d, IDC_JPEG_PROGRESSIVE);
        DialogScript::PressOk(d);
    });
    char chosen[MAX_PATH] = {};
    ASSERT_TRUE(image_saving::SaveImageAs(&m_image, chosen));
    EXPECT_TRUE(answer.answered);
    EXPECT_TRUE(script.scriptRan);
    EXPECT_STREQ(chosen, kTarget);
    const JpegTables tables = ReadJpegTables(ReadFileBytes(kTarget));
    // Quality 40 scales the first luminance step of ITU-T T.81 Annex K (16) by 5000 / 40 %.
    EXPECT_EQ(tables.dcStep, (16 * 125 + 50) / 100);
    EXPECT_EQ(tables.frameMarker, 0xC2); // progressive
    auto reader = NewImageReader(kFileTypeJpeg);
    ASSERT_NE(reader, nullptr);
    CImageObject back(kTarget, nullptr);
    ASSERT_TRUE(reader->Read(kTarget, &back));
    EXPECT_EQ(back.width, 48);
    EXPECT_EQ(back.height, 32);
}

TEST_F(SaveAsWithOptionsTest, CancelInTheOptionsOrTheFileDialogWritesNothingAndKeepsTheOptions) {
    for (const char* name : {kTarget, ""}) {
        SaveAsAnswer answer(name);
        DialogScript script("JPEG Options", [&](HWND d) {
            MoveTrackbar(d, 10);
            DialogScript::PressCancel(d);
        });
        EXPECT_FALSE(image_saving::SaveImageAs(&m_image, nullptr)) << name;
        EXPECT_TRUE(answer.answered) << name;
        // The options are asked only once a file name was given.
        EXPECT_EQ(script.scriptRan, name[0] != '\0') << name;
        EXPECT_EQ(::GetFileAttributesA(kTarget), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(JpegOptionsInMemory(), (std::vector<uint32_t>{75, 1, 1, 1})) << name;
    }
}

// The name field of the file dialog: the edit of the old layout, or the
// combo box of the explorer layout.
std::string FileNameText(HWND dialog) {
    char text[MAX_PATH] = {};
    if (!::GetDlgItemTextA(dialog, edt1, text, sizeof text))
        ::GetDlgItemTextA(dialog, cmb13, text, sizeof text);
    return text;
}

// Picks a file type as a click in the list does: the selection, then both
// notices the list sends for it (the dialog may act on either).
void ChooseFilter(HWND dialog, int index) {
    HWND types = ::GetDlgItem(dialog, cmb1);
    ::SendMessageA(types, CB_SETCURSEL, index - 1, 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
}

TEST(SaveFileDialog, ChoosingAFileTypeGivesTheNameItsExtension) {
    static const char kFilters[] = "BMP (*.BMP)\0*.bmp\0"
                                   "GIF (*.GIF)\0*.gif\0"
                                   "PNG (*.PNG)\0*.png\0"
                                   "Photoshop (*.PSD)\0*.psd\0"
                                   "Sun Rasterfile (*.RAS)\0*.ras\0"
                                   "TIFF (*.TIF;*.TIFF)\0*.tif;*.tiff\0"
                                   "JPEG (*.JPG;*.JPEG;*.JPE)\0*.jpg;*.jpeg;*.jpe\0"
                                   "Wireless Bitmap (*.WBMP;*.WBM)\0*.wbmp;*.wbm\0";
    ::CreateDirectoryA("C:\\vxpsavefile", nullptr);
    std::string asTiff, asJpeg, asWbmp;
    DialogScript script("Save As", [&](HWND d) {
        testsupport::MaybeScreenshot(d, "save_file_dialog");
        ::SetDlgItemTextA(d, edt1, "photo.jpg");
        ::SetDlgItemTextA(d, cmb13, "photo.jpg");
        ChooseFilter(d, 6);
        asTiff = FileNameText(d);
        ChooseFilter(d, 7);
        asJpeg = FileNameText(d);
        ChooseFilter(d, 8);
        asWbmp = FileNameText(d);
        DialogScript::PressOk(d);
    });
    // A refused name would otherwise wait for an answer.
    script.boxCaptions.push_back("Invalid character(s) in path");
    CSaveFileDialog dialog("BMP", "photo", kFilters, "C:\\vxpsavefile");
    dialog.filterIndex = 7;
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(script.boxes.size(), 0u);
    EXPECT_EQ(asTiff, "photo.tif");
    EXPECT_EQ(asJpeg, "photo.jpg");
    EXPECT_EQ(asWbmp, "photo.wbmp");
    EXPECT_STREQ(dialog.path, "C:\\vxpsavefile\\photo.wbmp");
    EXPECT_EQ(dialog.filterIndex, 8);
}

} // namespace
