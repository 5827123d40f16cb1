// The TWAIN session against a stand-in source manager (built beside this
// program) that keeps the states of the standard, refuses what a state does
// not allow, and logs every triplet: the identity the program announces, the
// order of the triplets for each way an acquisition goes, and the files the
// images become.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "acquire/acquired_image.h"
#include "acquire/twain_session.h"
#include "app/options.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"

namespace {

constexpr const char* kStandIn = "stand_in_dsm.dll";

using ScriptFn = void(WINAPI*)(const char*);
using LogFn = const char*(WINAPI*)();

class StandInManager {
public:
    StandInManager() {
        m_module = ::LoadLibraryA(kStandIn);
        if (m_module) {
            m_script = reinterpret_cast<ScriptFn>(
                reinterpret_cast<void*>(::GetProcAddress(m_module, "StandInScript")));
            m_log = reinterpret_cast<LogFn>(
                reinterpret_cast<void*>(::GetProcAddress(m_module, "StandInLog")));
        }
    }
    ~StandInManager() {
        if (m_module)
            ::FreeLibrary(m_module);
    }
    bool Loaded() const { return m_script && m_log; }
    void Script(const char* script) { m_script(script); }
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::stringstream text(m_log());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

private:
    HMODULE m_module = nullptr;
    ScriptFn m_script = nullptr;
    LogFn m_log = nullptr;
};

// Hands every queued message to the session, as the explorer's message
// filter does, until the queue has stayed empty for a moment (ceiling 5 s).
void Pump(CTwainSession& session) {
    const DWORD start = ::GetTickCount();
    DWORD quietSince = start;
    while (::GetTickCount() - start < 5000 && ::GetTickCount() - quietSince < 150) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            session.ProcessEvent(&msg);
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            quietSince = ::GetTickCount();
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
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

// The colour the stand-in gives every pixel of its image n, as "b,g,r", or
// what a written file holds, read back; "unreadable" when it cannot be read.
std::string ImageColour(int n) {
    return std::to_string(n * 10) + "," + std::to_string(n * 20) + "," + std::to_string(n * 30);
}
std::string FileColour(const std::string& path) {
    auto* image = new CImageObject;
    CBmpReader reader;
    std::string colour = "unreadable";
    if (reader.Read(path.c_str(), image) && image->bitsPerPixel == 24) {
        const uint8_t* first = image->GetRow(0, true);
        colour = std::to_string(first[0]) + "," + std::to_string(first[1]) + "," +
                 std::to_string(first[2]);
        // Every pixel alike, or the colour does not count.
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x)
                if (std::memcmp(image->GetRow(y, true) + x * 3, first, 3) != 0)
                    colour = "mixed";
    }
    image->Release();
    return colour;
}

const std::vector<std::string> kOpening = {
    "app \"Velmorantix XP\" \"Velmorantix XP\" \"Velmorantix\" version 5.5 \"5.5\" language 13 "
    "country 1 protocol 1.9 groups 3",
    "DG_CONTROL/DAT_PARENT/MSG_OPENDSM -> TWRC_SUCCESS",
    "DG_CONTROL/DAT_IDENTITY/MSG_GETDEFAULT -> TWRC_SUCCESS",
    "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS -> TWRC_SUCCESS",
    "ShowUI 1 parent the manager's",
    "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS -> TWRC_SUCCESS",
    "DG_CONTROL/DAT_EVENT/MSG_PROCESSEVENT -> TWRC_DSEVENT MSG_XFERREADY",
};
const std::string kInfo = "DG_IMAGE/DAT_IMAGEINFO/MSG_GET -> TWRC_SUCCESS";
const std::string kInfoFails = "DG_IMAGE/DAT_IMAGEINFO/MSG_GET -> TWRC_FAILURE";
const std::string kDone = "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET -> TWRC_XFERDONE";
const std::string kCancelled = "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET -> TWRC_CANCEL";
const std::string kFailed = "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET -> TWRC_FAILURE";
const std::string kEnd = "DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER -> TWRC_SUCCESS";
const std::string kReset = "DG_CONTROL/DAT_PENDINGXFERS/MSG_RESET -> TWRC_SUCCESS";
const std::vector<std::string> kClosing = {
    "DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS -> TWRC_SUCCESS",
    "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS -> TWRC_SUCCESS",
    "DG_CONTROL/DAT_PARENT/MSG_CLOSEDSM -> TWRC_SUCCESS",
};

std::vector<std::string> Joined(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class TwainSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Loaded()) << kStandIn << " is missing beside the test";
        CTwainSession::SetSourceManagerLibrary(kStandIn);
        m_window = ::CreateWindowExA(0, "STATIC", "twain test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(m_window);
        CTwainSession::SetSourceManagerLibrary("TWAIN_32.DLL");
    }
    StandInManager m_manager;
    HWND m_window = nullptr;
};

TEST_F(TwainSession, EachWayAnAcquisitionGoesFollowsTheProtocol) {
    struct Case {
        const char* script;
        std::vector<std::string> colours; // of the images the handler received
        std::vector<std::string> transfers;
    };
    const Case cases[] = {
        {"done,done,done",
         {ImageColour(1), ImageColour(2), ImageColour(3)},
         {kInfo, kDone, kEnd, kInfo, kDone, kEnd, kInfo, kDone, kEnd}},
        {"done,cancel,done",
         {ImageColour(1), ImageColour(3)},
         {kInfo, kDone, kEnd, kInfo, kCancelled, kEnd, kInfo, kDone, kEnd}},
        {"done,fail,done", {ImageColour(1)}, {kInfo, kDone, kEnd, kInfo, kFailed, kReset}},
        // Information that cannot be read ends the loop instead of asking
        // again forever.
        {"noinfo,done", {}, {kInfoFails, kReset}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        m_manager.Script(c.script);
        std::vector<std::string> received;
        {
            CTwainSession session(m_window, [&](HGLOBAL dib, const TW_IMAGEINFO& info) {
                EXPECT_GT(::GlobalSize(dib), 0u);
                EXPECT_EQ(3, info.ImageWidth);
                const auto* bytes = static_cast<const uint8_t*>(::GlobalLock(dib));
                const uint8_t* pixel = bytes + sizeof(BITMAPINFOHEADER);
                received.push_back(std::to_string(pixel[0]) + "," + std::to_string(pixel[1]) + "," +
                                   std::to_string(pixel[2]));
                ::GlobalUnlock(dib);
            });
            ASSERT_TRUE(session.IsManagerOpen());
            EXPECT_TRUE(session.Acquire());
            Pump(session);
            EXPECT_TRUE(session.IsSourceEnabled()) << "the source stays up until it asks to close";
        }
        EXPECT_EQ(c.colours, received);
        EXPECT_EQ(Joined({kOpening, c.transfers, kClosing}), m_manager.Log());
    }
}

TEST_F(TwainSession, ASourceThatAsksToCloseIsClosedAndOpensAgainOnTheNextAcquire) {
    m_manager.Script("done,closereq");
    int images = 0;
    CTwainSession session(m_window, [&](HGLOBAL, const TW_IMAGEINFO&) { ++images; });
    ASSERT_TRUE(session.Acquire());
    Pump(session);
    EXPECT_EQ(1, images);
    EXPECT_FALSE(session.IsSourceEnabled());
    EXPECT_FALSE(session.IsSourceOpen());
    EXPECT_TRUE(session.IsManagerOpen());
    const std::vector<std::string> first =
        Joined({kOpening,
                {kInfo, kDone, kEnd,
                 "DG_CONTROL/DAT_EVENT/MSG_PROCESSEVENT -> TWRC_DSEVENT MSG_CLOSEDSREQ",
                 kClosing[0], kClosing[1]}});
    EXPECT_EQ(first, m_manager.Log());

    ASSERT_TRUE(session.Acquire());
    Pump(session);
    EXPECT_EQ(2, images);
    const std::vector<std::string> log = m_manager.Log();
    ASSERT_GT(log.size(), first.size());
    // The selected source is opened again without asking for the default.
    EXPECT_EQ("DG_CONTROL/DAT_IDENTITY/MSG_OPENDS -> TWRC_SUCCESS", log[first.size()]);
    for (const std::string& line : log)
        EXPECT_EQ(std::string::npos, line.find("SEQERROR")) << "out of sequence";
}

TEST_F(TwainSession, SelectSourceTakesTheManagersChoiceAndAcquireOpensIt) {
    m_manager.Script("done");
    CTwainSession session(m_window, [](HGLOBAL, const TW_IMAGEINFO&) {});
    EXPECT_TRUE(session.SelectSource());
    EXPECT_STREQ("Stand-in Scanner", session.SourceIdentity().ProductName);
    EXPECT_TRUE(session.Acquire());
    const std::vector<std::string> log = m_manager.Log();
    const std::vector<std::string> expected = {
        kOpening[0],
        kOpening[1],
        "DG_CONTROL/DAT_IDENTITY/MSG_GETDEFAULT -> TWRC_SUCCESS",
        "DG_CONTROL/DAT_IDENTITY/MSG_USERSELECT -> TWRC_SUCCESS",
        "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS -> TWRC_SUCCESS",
        kOpening[4],
        kOpening[5],
    };
    EXPECT_EQ(expected, log);
}

TEST_F(TwainSession, WithoutASourceManagerEveryOperationDoesNothing) {
    CTwainSession::SetSourceManagerLibrary("no_such_source_manager.dll");
    CTwainSession session(m_window, [](HGLOBAL, const TW_IMAGEINFO&) { FAIL(); });
    EXPECT_FALSE(session.IsLoaded());
    EXPECT_FALSE(session.SelectSource());
    EXPECT_FALSE(session.OpenSource());
    EXPECT_FALSE(session.Acquire());
    MSG msg{};
    EXPECT_FALSE(session.ProcessEvent(&msg));
    EXPECT_FALSE(session.DisableSource());
    EXPECT_FALSE(session.CloseSource());
    EXPECT_FALSE(session.CloseSourceManager());
}

TEST_F(TwainSession, AcquiredImagesAreWrittenUnderTheOutputNamesWithTheirPixels) {
    struct Case {
        const char* name;
        uint32_t padding;
        std::vector<std::string> present; // files already in the folder
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"no padding", 0, {}, {"PHOTO1.bmp", "PHOTO2.bmp"}},
        {"a taken number is skipped", 0, {"PHOTO1.bmp"}, {"PHOTO2.bmp", "PHOTO3.bmp"}},
        {"padding 3", 3, {}, {"PHOTO001.bmp", "PHOTO002.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A '%' in the folder is text, never a format.
        const std::string folder = NewFolder((std::string("twain 100% ") + c.name + "-").c_str());
        for (const std::string& name : c.present) {
            HANDLE file = ::CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr);
            ::CloseHandle(file);
        }
        CAppOptions options;
        lstrcpyA(options.outputSettingFilenamePath, folder.c_str());
        lstrcpyA(options.outputSettingFilenamePrefix, "PHOTO");
        options.outputSettingPaddingZero = c.padding;
        options.outputSettingSequenceStartAt = 1;
        options.outputSettingEncoderType = 1; // BMP
        m_manager.Script("done,cancel,done");
        std::vector<std::string> written;
        {
            CTwainSession session(m_window, [&](HGLOBAL dib, const TW_IMAGEINFO&) {
                written.push_back(SaveAcquiredBitmap(dib, options, nullptr));
            });
            session.Acquire();
            Pump(session);
        }
        std::vector<std::string> expected;
        for (const std::string& name : c.written)
            expected.push_back(folder + name);
        ASSERT_EQ(expected, written);
        // The cancelled second image took no number: the first and the third
        // are in the files.
        EXPECT_EQ(ImageColour(1), FileColour(written[0]));
        EXPECT_EQ(ImageColour(3), FileColour(written[1]));
    }
}

} // namespace
