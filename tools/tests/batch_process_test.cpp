// Batch processing and Convert run in-process over real files that the
// tests write with the program's own encoders: the names each save mode
// gives, lossless JPEG turns beside pixel turns of other types, refused
// metafiles, failed decodes and unwritable targets collected in one report,
// Cancel after the file under way, the replace questions, and the Convert
// dialog's stored choices.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_operations.h"
#include "app/application_state.h"
#include "app/options.h"
#include "app/tests/temp_folder.h"
#include "imaging/codecs/jpeg_reader.h"
#include "imaging/codecs/jpeg_writer.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/image_object.h"
#include "imaging/operations/rotate_op.h"
#include "resources/resource.h"
#include "tests/support/dialog_script.h"
#include "tools/batch_process.h"
#include "tools/convert_dialogs.h"

namespace {

using testsupport::DialogScript;

struct Rgb {
    uint8_t r, g, b;
};

using Colour = std::function<Rgb(int, int)>;

Rgb Pattern(int x, int y) {
    return {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 13),
            static_cast<uint8_t>((x + y) * 5)};
}

CImageObject* MakeImage(int width, int height, const Colour& colour) {
    auto* image = new CImageObject();
    EXPECT_TRUE(image->Create(width, height, 24, 0));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->GetRow(y, true);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    image->notLoaded = false;
    return image;
}

void WriteJpeg(const std::string& path, int width, int height, bool progressive = false) {
    CImageObject* image = MakeImage(width, height, Pattern);
    CJpegWriter writer;
    writer.m_quality = 90;
    writer.m_baseline = !progressive;
    EXPECT_TRUE(writer.Write(path.c_str(), image)) << path;
    image->Release();
}

void WritePng(const std::string& path, int width, int height) {
    CImageObject* image = MakeImage(width, height, Pattern);
    CPngWriter writer;
    EXPECT_TRUE(writer.Write(path.c_str(), image)) << path;
    image->Release();
}

// A metafile of one rectangle, made by GDI.
void WriteEmf(const std::string& path) {
    HDC dc = ::CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    ::Rectangle(dc, 0, 0, 20, 20);
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc));
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Decoded pixels (BGR, rows top first), with the size; empty when unreadable.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;
    Rgb At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {bgr[i + 2], bgr[i + 1], bgr[i]};
    }
};

Pixels FromImage(CImageObject* image) {
    Pixels p;
    p.width = image->width;
    p.height = image->height;
    for (int y = 0; y < image->height; ++y) {
        const uint8_t* row = image->GetRow(y, true);
        if (image->bitsPerPixel == 24) {
            p.bgr.insert(p.bgr.end(), row, row + 3 * image->width);
        } else {
            for (int x = 0; x < image->width; ++x) {
                const uint8_t* at = image->bitsPerPixel == 32 ? row + 4 * x : nullptr;
                if (at) {
                    p.bgr.insert(p.bgr.end(), at, at + 3);
                } else {
                    const PaletteEntry e = image->palette[row[x]];
                    p.bgr.push_back(e.blue);
                    p.bgr.push_back(e.green);
                    p.bgr.push_back(e.red);
                }
            }
        }
    }
    return p;
}

Pixels Decode(const std::string& path) {
    std::unique_ptr<CImageReader> reader;
    if (Content(path).compare(0, 2, "\xFF\xD8") == 0)
        reader = std::make_unique<CJpegReader>();
    else
        reader = std::make_unique<CPngReader>();
    CImageObject* image = new CImageObject();
    Pixels p;
    if (reader->Read(path.c_str(), image))
        p = FromImage(image);
    image->Release();
    return p;
}

// The quantisation segments of a JPEG file, in file order.
std::string QuantTables(const std::string& bytes) {
    std::string tables;
    for (size_t i = 2; i + 4 <= bytes.size();) {
        if (static_cast<uint8_t>(bytes[i]) != 0xFF)
            break;
        const uint8_t marker = static_cast<uint8_t>(bytes[i + 1]);
        const size_t length =
            (static_cast<uint8_t>(bytes[i + 2]) << 8) | static_cast<uint8_t>(bytes[i + 3]);
        if (marker == 0xDB)
            tables += bytes.substr(i + 4, length - 2);
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    return tables;
}

// The tables with each 8x8 table transposed (they are stored in zigzag
// order, one precision byte before each).
std::string Transposed(const std::string& tables) {
    static const int kNatural[64] = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    std::string out = tables;
    for (size_t at = 0; at + 65 <= tables.size(); at += 65) {
        uint8_t natural[64];
        for (int k = 0; k < 64; ++k)
            natural[kNatural[k]] = static_cast<uint8_t>(tables[at + 1 + k]);
        for (int k = 0; k < 64; ++k) {
            const int n = kNatural[k];
            out[at + 1 + k] = static_cast<char>(natural[(n % 8) * 8 + n / 8]);
        }
    }
    return out;
}

uint64_t WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

struct BatchRun {
    INT_PTR result = 0;
    std::vector<testsupport::RecordedBox> boxes;
    std::vector<batch_plan::Failure> failures;
    int written = 0;
};

// Runs the batch of `id` over the files, answering every message box with
// `answer`; the observer runs on the worker after each file.
BatchRun RunBatch(int id, int saveMode, const std::vector<std::string>& paths,
                  const std::string& folder = "", int answer = IDOK,
                  WorkerItemObserver observer = nullptr) {
    const batch_plan::Command* command = batch_plan::FindCommand(id);
    CBatchProcessDialog dialog;
    dialog.command = command;
    dialog.operation = FixedCommandOperation(command->id);
    dialog.saveMode = saveMode;
    dialog.outputFolder = folder;
    dialog.paths = paths;
    SetWorkerItemObserver(observer);
    DialogScript script("Velmorantix XP", [](HWND) {});
    script.boxAnswer = answer;
    BatchRun run;
    run.result = dialog.DoModal(nullptr);
    SetWorkerItemObserver(nullptr);
    run.boxes = script.boxes;
    run.failures = dialog.failures;
    run.written = dialog.written;
    return run;
}

bool IsGray(const Pixels& p) {
    for (size_t i = 0; i + 2 < p.bgr.size(); i += 3)
        if (p.bgr[i] != p.bgr[i + 1] || p.bgr[i + 1] != p.bgr[i + 2])
            return false;
    return !p.bgr.empty();
}

TEST(BatchSaveModes, RenamedResultsGoBesideTheFilesAndCountUpWhileTheNameIsTaken) {
    CTestFolder folder("batch_names");
    const std::string photo = folder.File("photo.jpg");
    const std::string percent = folder.File("100% %s.png");
    WriteJpeg(photo, 32, 16);
    WritePng(percent, 8, 6);
    const std::vector<std::string> both = {photo, percent};
    struct Case {
        const char* jpeg;
        const char* png;
    } cases[] = {
        {"Grayscale photo.jpg", "Grayscale 100% %s.png"},
        {"Grayscale (1) photo.jpg", "Grayscale (1) 100% %s.png"},
        {"Grayscale (2) photo.jpg", "Grayscale (2) 100% %s.png"},
    };
    for (const Case& c : cases) {
        const BatchRun run = RunBatch(ID_IMAGE_MODE_GRAYSCALE, 1, both);
        EXPECT_EQ(IDOK, run.result);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_EQ(2, run.written);
        for (const char* name : {c.jpeg, c.png}) {
            const Pixels out = Decode(folder.File(name));
            EXPECT_TRUE(IsGray(out)) << name;
            EXPECT_EQ(out.width, std::string(name).find(".png") != std::string::npos ? 8 : 32)
                << name;
        }
    }
    // The sources themselves are untouched.
    EXPECT_FALSE(IsGray(Decode(photo)));
}

TEST(BatchTurns, JpegFilesTurnWithoutReencodingAndOtherTypesTurnTheirPixels) {
    CTestFolder folder("batch_turns");
    const std::string photo = folder.File("photo.jpg");
    const std::string png = folder.File("a.png");
    WriteJpeg(photo, 32, 16);
    WritePng(png, 8, 6);
    const std::string jpegBefore = Content(photo);
    const Pixels photoBefore = Decode(photo);
    const Pixels pngBefore = Decode(png);
    CImageObject* expected = new CImageObject();
    {
        CPngReader reader;
        ASSERT_TRUE(reader.Read(png.c_str(), expected));
    }
    CRotateOp rotate;
    rotate.angle = 90.0;
    CImageObject* turned = new CImageObject(png.c_str(), nullptr);
    ASSERT_TRUE(rotate.Apply(turned, expected));
    const Pixels pngExpected = FromImage(turned);
    turned->Release();
    expected->Release();

    const BatchRun run = RunBatch(ID_ROTATE_90CW, 0, {photo, png});
    EXPECT_EQ(IDOK, run.result);
    EXPECT_TRUE(run.failures.empty());

    const Pixels photoAfter = Decode(photo);
    ASSERT_EQ(16, photoAfter.width);
    ASSERT_EQ(32, photoAfter.height);
    // The decoder's inverse transform rounds rows before columns, so turned
    // blocks decode within a few levels of the turned pixels, not always
    // exactly; a re-encoding would keep the tables as they were, while the
    // lossless turn transposes them with the blocks.
    int worst = 0;
    for (int y = 0; y < photoAfter.height; ++y)
        for (int x = 0; x < photoAfter.width; ++x) {
            // Clockwise: the new (x, y) is the old (y, height - 1 - x).
            const Rgb a = photoAfter.At(x, y), b = photoBefore.At(y, photoBefore.height - 1 - x);
            worst =
                std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        }
    EXPECT_LE(worst, 4);
    EXPECT_EQ(Transposed(QuantTables(jpegBefore)), QuantTables(Content(photo)));
    EXPECT_FALSE(QuantTables(jpegBefore).empty());

    const Pixels pngAfter = Decode(png);
    EXPECT_EQ(pngExpected.width, pngAfter.width);
    EXPECT_EQ(pngExpected.height, pngAfter.height);
    EXPECT_EQ(pngExpected.bgr, pngAfter.bgr);
    EXPECT_NE(pngBefore.bgr, pngAfter.bgr);
}

TEST(BatchFailures, MetafilesAreRefusedOnceAndUnreadableOrUnwritableFilesAreReportedTogether) {
    CTestFolder folder("batch_failures");
    const std::string good = folder.File("good.png");
    const std::string emf = folder.File("b.emf");
    const std::string corrupt = folder.File("corrupt.jpg");
    const std::string locked = folder.File("locked.png");
    const std::string late = folder.File("late.png");
    WritePng(good, 8, 6);
    WriteEmf(emf);
    // A JPEG whose header lies: its decoder fails before the picture exists.
    WriteBytes(corrupt, std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF", 11) +
                            std::string(64, '\x5A'));
    WritePng(locked, 8, 6);
    WritePng(late, 8, 6);
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string lockedBefore = Content(locked);

    const BatchRun run = RunBatch(ID_ADJUST_INVERT, 0, {good, emf, corrupt, locked, late});
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(IDOK, run.result);
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("Image type is not supported", run.boxes[0].text);
    EXPECT_EQ("Failed!", run.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), run.boxes[0].icon);
    const std::string& report = run.boxes[1].text;
    EXPECT_NE(std::string::npos, report.find("2 of 5 images could not be processed")) << report;
    EXPECT_NE(std::string::npos, report.find(corrupt)) << report;
    EXPECT_NE(std::string::npos, report.find(locked)) << report;
    ASSERT_EQ(2u, run.failures.size());
    EXPECT_EQ(corrupt, run.failures[0].path);
    EXPECT_EQ(locked, run.failures[1].path);
    EXPECT_EQ(2, run.written);

    // The files after the failures were still done; the read-only file is as
    // it was, and no temporary file is left behind.
    const Pixels inverted = Decode(late);
    ASSERT_EQ(8, inverted.width);
    EXPECT_EQ(255 - Pattern(3, 2).r, inverted.At(3, 2).r);
    EXPECT_EQ(lockedBefore, Content(locked));
    EXPECT_EQ(5u, FolderNames(folder.Path()).size());
}

void CancelAfterFirst(HWND dialog, int finished) {
    if (finished != 1)
        return;
    // Shown once the modal loop first goes idle.
    for (int i = 0; i < 200 && !::IsWindowVisible(dialog); ++i)
        ::Sleep(10);
    testsupport::MaybeScreenshot(dialog, "batch_progress");
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_TRANSFER_CANCEL, BN_CLICKED), 0);
}

TEST(BatchCancel, CancelStopsAfterTheFileUnderWayAndLeavesTheRestUntouched) {
    CTestFolder folder("batch_cancel");
    std::vector<std::string> paths;
    std::vector<uint64_t> times;
    for (const char* name : {"1.png", "2.png", "3.png", "4.jpg"}) {
        const std::string path = folder.File(name);
        if (std::strstr(name, ".jpg"))
            WriteJpeg(path, 32, 16);
        else
            WritePng(path, 8, 6);
        paths.push_back(path);
    }
    for (const std::string& path : paths) {
        // An old time, so that a rewrite shows.
        HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        FILETIME old = {0x10000000, 0x01C00000};
        ::SetFileTime(file, nullptr, nullptr, &old);
        ::CloseHandle(file);
        times.push_back(WriteTime(path));
    }
    const BatchRun run = RunBatch(ID_FLIP_VERTICAL, 0, paths, "", IDOK, CancelAfterFirst);
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_EQ(1, run.written);
    EXPECT_NE(times[0], WriteTime(paths[0]));
    for (size_t i = 1; i < paths.size(); ++i)
        EXPECT_EQ(times[i], WriteTime(paths[i])) << paths[i];
    EXPECT_EQ(4u, FolderNames(folder.Path()).size());
}

TEST(BatchReplaceQuestion, AnExistingOutputIsReplacedOnlyAfterTheQuestionOnBothPaths) {
    CTestFolder in("batch_replace_in");
    CTestFolder out("batch_replace_out");
    const std::string photo = in.File("photo.jpg");
    const std::string png = in.File("a.png");
    WriteJpeg(photo, 32, 16);
    WritePng(png, 8, 6);
    WriteBytes(out.File("photo.jpg"), "old jpeg");
    WriteBytes(out.File("a.png"), "old png");
    struct Case {
        int answer;
        bool replaced;
    } cases[] = {{IDCANCEL, false}, {IDOK, true}};
    for (const Case& c : cases) {
        const BatchRun run = RunBatch(ID_ROTATE_180, 2, {photo, png}, out.Path(), c.answer);
        EXPECT_EQ(IDOK, run.result);
        ASSERT_EQ(2u, run.boxes.size()) << c.answer;
        for (const auto& box : run.boxes) {
            EXPECT_EQ(0u, box.text.find("File ")) << box.text;
            EXPECT_NE(std::string::npos,
                      box.text.find("already exists. Do you want to replace it?"));
        }
        EXPECT_EQ(c.replaced, Content(out.File("photo.jpg")) != "old jpeg") << c.answer;
        EXPECT_EQ(c.replaced, Content(out.File("a.png")) != "old png") << c.answer;
        EXPECT_TRUE(run.failures.empty());
    }
    // The PNG turned by half a turn keeps its size.
    EXPECT_EQ(8, Decode(out.File("a.png")).width);
}

TEST(BatchDecodes, ALargeProgressiveJpegIsTransformedOnlyWhenWhollyDecoded) {
    CTestFolder folder("batch_progressive");
    const std::string big = folder.File("big.jpg");
    const std::string other = folder.File("other.png");
    WriteJpeg(big, 1600, 1200, true);
    WritePng(other, 8, 6);
    const Pixels before = Decode(big);
    ASSERT_EQ(1200, before.height);
    const BatchRun run = RunBatch(ID_ADJUST_INVERT, 1, {big, other});
    EXPECT_TRUE(run.failures.empty());
    const Pixels after = Decode(folder.File("Invert big.jpg"));
    ASSERT_EQ(1600, after.width);
    ASSERT_EQ(1200, after.height);
    // The last rows, which a half-decoded picture would lack, are inverted
    // too (within the JPEG's own loss).
    int worst = 0;
    for (int y = 1190; y < 1200; ++y)
        for (int x = 0; x < 1600; x += 37) {
            const Rgb a = after.At(x, y), b = before.At(x, y);
            worst = std::max(worst, std::abs(a.g - (255 - b.g)));
        }
    EXPECT_LE(worst, 24);
}

struct ConvertRun {
    INT_PTR result = 0;
    std::vector<testsupport::RecordedBox> questions;
    std::vector<batch_plan::Failure> failures;
    int written = 0;
};

ConvertRun RunConvert(int encoderType, const std::string& folder,
                      const std::vector<std::string>& paths, int answer) {
    CConvertProgressDialog dialog;
    dialog.encoderType = encoderType;
    dialog.outputFolder = folder;
    dialog.paths = paths;
    DialogScript script("Converting", [](HWND) {});
    script.boxCaptions.push_back("Confirm File Replace");
    script.boxAnswer = answer;
    ConvertRun run;
    run.result = dialog.DoModal(nullptr);
    for (const auto& box : script.boxes)
        if (box.caption == "Confirm File Replace")
            run.questions.push_back(box);
    run.failures = dialog.failures;
    run.written = dialog.written;
    return run;
}

TEST(ConvertRuns, AnExistingOutputIsAskedAboutOnceAndTheAnswerDecides) {
    CTestFolder in("convert_in");
    CTestFolder out("convert_out");
    const std::string a = in.File("a.png"), b = in.File("b.png"), c = in.File("c.png");
    WritePng(a, 8, 6);
    WritePng(b, 8, 6);
    WritePng(c, 8, 6);
    struct Case {
        int answer;
        bool aReplaced;
        int written;
    } cases[] = {
        {IDNO, false, 2},
        {IDC_CONFIRM_REPLACE_YES_TO_ALL, true, 3},
        {IDCANCEL, false, 0},
    };
    for (const Case& k : cases) {
        WriteBytes(out.File("a.jpg"), "old");
        ::DeleteFileA(out.File("b.jpg").c_str());
        ::DeleteFileA(out.File("c.jpg").c_str());
        const ConvertRun run = RunConvert(6, out.Path(), {a, b, c}, k.answer);
        ASSERT_EQ(1u, run.questions.size()) << k.answer;
        EXPECT_NE(
            std::string::npos,
            run.questions[0].text.find("The output folder already contains a file named 'a.jpg'."))
            << run.questions[0].text;
        EXPECT_EQ(k.aReplaced, Content(out.File("a.jpg")).compare(0, 2, "\xFF\xD8") == 0);
        EXPECT_EQ(k.written, run.written) << k.answer;
        EXPECT_EQ(k.answer != IDCANCEL, ::PathFileExistsA(out.File("b.jpg").c_str()) != FALSE);
        if (k.answer != IDCANCEL) {
            const Pixels p = Decode(out.File("c.jpg"));
            EXPECT_EQ(8, p.width);
            EXPECT_EQ(6, p.height);
        }
    }
}

TEST(ConvertRuns, EachFormatWritesItsOwnFileTypeAndFailuresAreReported) {
    CTestFolder in("convert_types_in");
    CTestFolder out("convert_types_out");
    const std::string a = in.File("a.png");
    const std::string corrupt = in.File("corrupt.jpg");
    WritePng(a, 8, 6);
    WriteBytes(corrupt, std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF", 11));
    struct Case {
        int encoderType;
        const char* name;
        std::string magic;
    } cases[] = {
        {1, "a.bmp", "BM"},       {2, "a.gif", "GIF8"}, {3, "a.png", "\x89PNG"},
        {6, "a.jpg", "\xFF\xD8"}, {7, "a.tif", "II*"},
    };
    for (const Case& c : cases) {
        CConvertProgressDialog dialog;
        dialog.encoderType = c.encoderType;
        dialog.outputFolder = out.Path();
        dialog.paths = {a, corrupt};
        DialogScript script("Converting", [](HWND) {});
        EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
        const std::string bytes = Content(out.File(c.name));
        EXPECT_EQ(0u, bytes.find(c.magic)) << c.name;
        ASSERT_EQ(1u, dialog.failures.size()) << c.name;
        EXPECT_EQ(corrupt, dialog.failures[0].path);
        ASSERT_EQ(1u, script.boxes.size());
        EXPECT_NE(std::string::npos, script.boxes[0].text.find("1 of 2 images could not be"));
    }
}

void SetStoredConvertValues(const DWORD* type, const char* typeText, const char* path) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr);
    ::RegDeleteValueA(key, "ConvertEncoderType");
    if (type)
        ::RegSetValueExA(key, "ConvertEncoderType", 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(type), sizeof(*type));
    if (typeText)
        ::RegSetValueExA(key, "ConvertEncoderType", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(typeText), lstrlenA(typeText) + 1);
    if (path)
        ::RegSetValueExA(key, "ConvertPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                         lstrlenA(path) + 1);
    ::RegCloseKey(key);
}

std::string StoredConvertPath() {
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    ::RegGetValueA(HKEY_CURRENT_USER, kOptionsKeyPath, "ConvertPath", RRF_RT_REG_SZ, nullptr, text,
                   &size);
    return text;
}

TEST(ConvertDialog, TheStoredFormatSelectsItsRowAndOnlyJpegAndPngHaveOptions) {
    CTestFolder folder("convert_dialog");
    const DWORD six = 6, zero = 0, nine = 9;
    struct Case {
        const DWORD* type;
        const char* text;
        int row;
    } cases[] = {{&six, nullptr, 2},
                 {&zero, nullptr, 6},
                 {&nine, nullptr, 6},
                 {nullptr, "6", 6},
                 {nullptr, nullptr, 6}};
    for (const Case& c : cases) {
        SetStoredConvertValues(c.type, c.text, folder.Path().c_str());
        CConvertDialog dialog;
        int row = -1;
        std::vector<bool> options;
        std::string location;
        DialogScript script("Convert", [&](HWND h) {
            HWND list = ::GetDlgItem(h, IDC_CONVERT_FORMAT);
            row = static_cast<int>(::SendMessageA(list, CB_GETCURSEL, 0, 0));
            location = DialogScript::Text(h, IDC_CONVERT_LOCATION);
            for (int r = 0; r < batch_plan::kConvertFormatCount; ++r) {
                ::SendMessageA(list, CB_SETCURSEL, r, 0);
                ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_CONVERT_FORMAT, CBN_SELCHANGE),
                               (LPARAM)list);
                options.push_back(DialogScript::IsEnabled(h, IDC_CONVERT_OPTIONS));
            }
            testsupport::MaybeScreenshot(h, "convert");
            DialogScript::PressCancel(h);
        });
        EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
        EXPECT_EQ(c.row, row);
        EXPECT_EQ(folder.Path(), location);
        EXPECT_EQ((std::vector<bool>{false, false, true, true, false, false, false, false}),
                  options);
    }
}

TEST(ConvertDialog, OkStoresTheFolderWithoutItsBackslashAndRefusesAMissingOne) {
    CTestFolder folder("convert_ok");
    SetStoredConvertValues(nullptr, nullptr, "C:\\");
    CConvertDialog dialog;
    dialog.currentFolder = folder.Path();
    bool stayedOpen = false;
    DialogScript script("Convert", [&](HWND h) {
        DialogScript::SetText(h, IDC_CONVERT_LOCATION, (folder.Path() + "\\missing").c_str());
        DialogScript::PressOk(h);
        stayedOpen = ::IsWindowVisible(h) != FALSE;
        DialogScript::Click(h, IDC_CONVERT_USE_CURRENT);
        DialogScript::SetText(h, IDC_CONVERT_LOCATION,
                              (DialogScript::Text(h, IDC_CONVERT_LOCATION) + "\\").c_str());
        HWND list = ::GetDlgItem(h, IDC_CONVERT_FORMAT);
        ::SendMessageA(list, CB_SETCURSEL, 3, 0);
        ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_CONVERT_FORMAT, CBN_SELCHANGE), (LPARAM)list);
        DialogScript::PressOk(h);
    });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(1u, script.boxes.size());
    EXPECT_EQ("Path does not exists!", script.boxes[0].text);
    EXPECT_EQ("Velmorantix XP", script.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), script.boxes[0].icon);
    EXPECT_EQ(folder.Path(), dialog.outputFolder);
    EXPECT_EQ(folder.Path(), StoredConvertPath());
    EXPECT_EQ(3, dialog.encoderType);
    DWORD stored = 0, size = sizeof stored;
    ::RegGetValueA(HKEY_CURRENT_USER, kOptionsKeyPath, "ConvertEncoderType", RRF_RT_REG_DWORD,
                   nullptr, &stored, &size);
    EXPECT_EQ(3u, stored);
}

TEST(ConfirmFileReplace, TheQuestionNamesTheFileAndEachButtonIsItsAnswer) {
    for (int button : {IDYES, IDC_CONFIRM_REPLACE_YES_TO_ALL, IDNO, IDCANCEL}) {
        CConfirmFileReplaceDialog dialog;
        dialog.fileName = "100% a.jpg";
        std::string text;
        DialogScript script("Confirm File Replace", [&](HWND h) {
            text = DialogScript::Text(h, IDC_CONFIRM_REPLACE_TEXT);
            testsupport::MaybeScreenshot(h, "confirm_file_replace");
            DialogScript::Click(h, button);
        });
        EXPECT_EQ(button, dialog.DoModal(nullptr));
        EXPECT_EQ("The output folder already contains a file named '100% a.jpg'.", text);
    }
}

} // namespace
