// The WIA transfer dialog over in-process stand-in items: each item answers
// the banded-data request with a scripted series of header, data, status and
// termination messages, and aggregates the free-threaded marshaler, so the
// stream hands the worker's apartment the same object without a proxy.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlwapi.h>
#include <windows.h>
#include <wia.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acquire/logic/wia_formats.h"
#include "acquire/wia_transfer.h"
#include "app/options.h"
#include "acquire/tests/fake_wia_item.h"
#include "resources/resource.h"
#include "tests/support/dialog_script.h"

namespace {

using testsupport::DialogScript;
using testsupport::FakeItem;
using testsupport::ItemScript;

GUID Format(const char* name) {
    for (size_t i = 0; i < WiaNamedFormatCount(); ++i) {
        if (std::strcmp(WiaNamedFormatAt(i).name, name) == 0) {
            GUID id;
            std::memcpy(&id, &WiaNamedFormatAt(i).id, sizeof id);
            return id;
        }
    }
    ADD_FAILURE() << "no format " << name;
    return GUID{};
}

// A 2 x 2 24-bit device-independent bitmap as a camera sends it in memory:
// the info header, then bottom-up rows padded to four bytes.
std::string PackedBitmap() {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&info), sizeof info);
    const unsigned char rows[] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    bytes.append(reinterpret_cast<const char*>(rows), sizeof rows);
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int CountTemporaryFiles() {
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((std::string(folder) + "tvq*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return count;
}

std::string NewFolder(const char* name) {
    char base[MAX_PATH];
    ::GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + name + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    // Wine reuses process ids between runs: start from an empty folder.
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileA((folder + found.cFileName).c_str());
        while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    return folder;
}

// Message boxes of the worker thread, answered from the test's thread.
struct WorkerBoxes {
    static std::vector<testsupport::RecordedBox> seen;
    static int answer;
    static BOOL CALLBACK Collect(HWND child, LPARAM lParam) {
        char cls[32] = "", text[512] = "";
        ::GetClassNameA(child, cls, sizeof cls);
        ::GetWindowTextA(child, text, sizeof text);
        auto* box = reinterpret_cast<testsupport::RecordedBox*>(lParam);
        if (lstrcmpiA(cls, "Static") == 0 && std::strlen(text) > box->text.size())
            box->text = text;
        if (lstrcmpiA(cls, "Button") == 0 && std::strcmp(text, "Cancel") == 0)
            box->icon |= 0x80000000u; // marks the OK and Cancel pair
        return TRUE;
    }
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
        for (const char* caption : {"Velmorantix XP", "Failed!"}) {
            HWND box = ::FindWindowA("#32770", caption);
            if (!box || !::IsWindowVisible(box))
                continue;
            testsupport::RecordedBox record{caption, "", 0};
            ::EnumChildWindows(box, Collect, reinterpret_cast<LPARAM>(&record));
            seen.push_back(record);
            ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
    }
};
std::vector<testsupport::RecordedBox> WorkerBoxes::seen;
int WorkerBoxes::answer = IDOK;

struct TransferRun {
    INT_PTR result = 0;
    std::vector<std::string> written;
    std::vector<testsupport::RecordedBox> boxes;
    std::vector<int> transfers;
    std::vector<LONG> referencesLeft;
    std::string firstStatus;
};

TransferRun Transfer(const std::string& folder, std::vector<ItemScript> items, int boxAnswer = IDOK,
                     int padding = 3) {
    CAppOptions options;
    lstrcpyA(options.outputSettingFilenamePath, folder.c_str());
    lstrcpyA(options.outputSettingFilenamePrefix, "P");
    options.outputSettingPaddingZero = static_cast<uint32_t>(padding);
    options.outputSettingSequenceStartAt = 7;
    options.outputSettingEncoderType = 7;
    CTransferProgressDialog dialog(options);
    std::vector<FakeItem*> fakes;
    for (ItemScript& script : items) {
        auto* item = new FakeItem(script);
        fakes.push_back(item);
        IStream* stream = nullptr;
        EXPECT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(
                            IID_IWiaItem, static_cast<IWiaItem*>(item), &stream));
        dialog.streams.push_back(stream);
    }
    FakeItem::s_looked = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WorkerBoxes::seen.clear();
    WorkerBoxes::answer = boxAnswer;
    TransferRun run;
    DialogScript script("Transfering", [&](HWND d) {
        FakeItem::s_dialog = d;
        // The worker's first status text is a message sent to this thread:
        // let it in, so the dialog is looked at in the middle of a transfer.
        for (int i = 0; i < 50 && ::GetWindowTextLengthA(::GetDlgItem(d, IDC_TRANSFER_STATUS)) == 0;
             ++i) {
            MSG msg;
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            ::Sleep(20);
        }
        testsupport::MaybeScreenshot(d, "wia_transfer");
        ::SetEvent(FakeItem::s_looked);
    });
    const UINT_PTR poll = ::SetTimer(NULL, 0, 20, WorkerBoxes::Poll);
    struct Hook {
        static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
            const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (code == HC_ACTION && msg->message == WM_INITDIALOG)
                FakeItem::s_dialog = msg->hwnd;
            return ::CallNextHookEx(NULL, code, wParam, lParam);
        }
    };
    // Items press Cancel through the dialog, known before any data flows.
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, Hook::Proc, NULL, ::GetCurrentThreadId());
    run.result = dialog.DoModal(NULL);
    ::UnhookWindowsHookEx(hook);
    ::KillTimer(NULL, poll);
    ::CloseHandle(FakeItem::s_looked);
    FakeItem::s_looked = NULL;
    run.written = dialog.written;
    run.boxes = WorkerBoxes::seen;
    for (FakeItem* item : fakes) {
        run.transfers.push_back(item->transfers);
        run.referencesLeft.push_back(item->References());
        item->Release();
    }
    return run;
}

class WiaTransfer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(WiaTransfer, EachKindOfItemLandsUnderTheNextNumberAndAFailedOneUsesNone) {
    const std::string folder = NewFolder("wia-kinds-");
    const int temporaryBefore = CountTemporaryFiles();
    const std::string jpeg = "\xFF\xD8\xFF\xE0 not really a picture, moved as it came \xFF\xD9";
    const std::string wav = "RIFF\x24\0\0\0WAVEfmt some sound bytes";
    const std::string other = "bytes of a format nobody knows";
    std::vector<ItemScript> items(7);
    items[0].format = Format("JPEG");
    items[0].bytes = jpeg;
    items[0].waitForLook = true; // held until the dialog has been looked at
    items[1].format = Format("MEMORYBMP");
    items[1].bytes = PackedBitmap();
    items[2].format = Format("WAV");
    items[2].bytes = wav;
    items[3].format = GUID{0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    items[3].bytes = other;
    items[4].format = Format("JPEG");
    items[4].bytes = jpeg;
    items[4].announced = static_cast<LONG>(jpeg.size() + 100); // the rest never comes
    items[5].format = Format("JPEG");
    items[5].result = E_FAIL;
    // A device that cannot say beforehand how much it sends announces 0.
    items[6].format = Format("JPEG");
    items[6].bytes = jpeg;
    items[6].announced = 0;
    const TransferRun run = Transfer(folder, items);

    EXPECT_EQ(IDOK, run.result);
    const std::vector<std::string> expected = {folder + "P007.jpg", folder + "P008.tif",
                                               folder + "P009.wav", folder + "P010",
                                               folder + "P012.jpg"};
    EXPECT_EQ(expected, run.written);
    EXPECT_EQ(jpeg, ReadFile(folder + "P007.jpg"));
    EXPECT_EQ(wav, ReadFile(folder + "P009.wav"));
    EXPECT_EQ(other, ReadFile(folder + "P010"));
    EXPECT_EQ(jpeg, ReadFile(folder + "P012.jpg"));
    const std::string tiff = ReadFile(folder + "P008.tif");
    ASSERT_GE(tiff.size(), 4u);
    EXPECT_TRUE(tiff.compare(0, 4, "II*\0", 4) == 0 || tiff.compare(0, 4, "MM\0*", 4) == 0);
    // The incomplete item took P011 and wrote nothing there.
    EXPECT_FALSE(::PathFileExistsA((folder + "P011.jpg").c_str()));
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("The item did not arrive whole and was not saved.", run.boxes[0].text);
    EXPECT_EQ("Velmorantix XP", run.boxes[1].caption);
    EXPECT_EQ("Transfer item failed.", run.boxes[1].text);
    EXPECT_NE(0u, run.boxes[1].icon & 0x80000000u) << "the failure box offers OK and Cancel";
    EXPECT_EQ(temporaryBefore, CountTemporaryFiles());
    for (LONG left : run.referencesLeft)
        EXPECT_EQ(1, left) << "every marshalled reference was given back";
}

TEST_F(WiaTransfer, StopsAndCancelsWhereTheUserSaysSo) {
    struct Case {
        const char* name;
        bool cancelInFirst; // the user presses Cancel while item 1 arrives
        bool firstFails;    // item 1 fails, and the failure box is answered
        int boxAnswer;
        INT_PTR result;
        std::vector<int> transfers;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"cancel lets the present item finish",
         true,
         false,
         IDOK,
         IDCANCEL,
         {1, 0, 0},
         {"P007.jpg"}},
        {"Cancel in the failure box ends the run", false, true, IDCANCEL, IDOK, {1, 0, 0}, {}},
        {"OK in the failure box goes on",
         false,
         true,
         IDOK,
         IDOK,
         {1, 1, 1},
         {"P007.jpg", "P008.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = NewFolder((std::string("wia-stop-") + c.name[0]).c_str());
        const int temporaryBefore = CountTemporaryFiles();
        std::vector<ItemScript> items(3);
        for (ItemScript& item : items) {
            item.format = Format("JPEG");
            item.bytes = "some picture bytes, long enough for a few bands";
        }
        items[0].pressCancel = c.cancelInFirst;
        if (c.firstFails)
            items[0].result = E_FAIL;
        const TransferRun run = Transfer(folder, items, c.boxAnswer);
        EXPECT_EQ(c.result, run.result);
        EXPECT_EQ(c.transfers, run.transfers);
        std::vector<std::string> expected;
        for (const std::string& name : c.written)
            expected.push_back(folder + name);
        EXPECT_EQ(expected, run.written);
        EXPECT_EQ(temporaryBefore, CountTemporaryFiles());
        for (LONG left : run.referencesLeft)
            EXPECT_EQ(1, left);
    }
}

TEST_F(WiaTransfer, NamesTakeTheFirstFreeNumberAndKeepAPercentInTheFolder) {
    // A '%' in the folder or the prefix is text, never a format.
    const std::string folder = NewFolder("wia 100% photos-");
    std::ofstream(folder + "P007.jpg") << "already here";
    std::vector<ItemScript> items(1);
    items[0].format = Format("JPEG");
    items[0].bytes = "picture";
    items[0].waitForLook = true;
    const TransferRun run = Transfer(folder, items, IDOK, 0);
    // Padding 0 writes the plain number; P7 is free although P007 exists.
    EXPECT_EQ(std::vector<std::string>{folder + "P7.jpg"}, run.written);
    std::ofstream(folder + "P7.jpg", std::ios::app);
    const TransferRun again = Transfer(folder, items, IDOK, 3);
    EXPECT_EQ(std::vector<std::string>{folder + "P008.jpg"}, again.written);
}

} // namespace
