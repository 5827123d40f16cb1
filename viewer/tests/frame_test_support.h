// Helpers of the in-process viewer frame tests: bitmaps written by the
// tests, a message pump that frees frames the way the program's loop does,
// and an answerer for this process's message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_module.h"
#include "app/frame_dialogs.h"
#include "app/application_state.h"
#include "app/tests/frame_host_stub.h"
#include "viewer/image_frame.h"
#include "viewer/viewer_windows.h"

namespace frame_test {

// The program's frame management and image windows as far as viewer frames
// need them: a closed viewer leaves the list and its window goes, and decode
// progress reaches the viewers' canvases. Registered for a test's lifetime.
class ViewerTestHost : public CFrameHostStub, public IImageWindows {
public:
    ViewerTestHost() { g_applicationState.SetWindowHosts(this, this, nullptr); }
    ~ViewerTestHost() override { g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr); }
    ViewerTestHost(const ViewerTestHost&) = delete;
    ViewerTestHost& operator=(const ViewerTestHost&) = delete;

    void OnViewerDestroyed(CImageFrame* viewer) override {
        g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
            for (auto it = viewers.begin(); it != viewers.end(); ++it) {
                if (*it == viewer) {
                    viewers.erase(it);
                    break;
                }
            }
        });
        if (viewer->m_hWnd)
            DestroyWindow(viewer->m_hWnd);
    }
    void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first,
                            int32_t count) override {
        NotifyViewerCanvases(image, event, first, count);
    }
    void RedrawImageViewRows(CImageView* view, int first, int count) override {
        RedrawViewerViewRows(view, first, count);
    }
};

// Item-list changes reach every viewer, as the program delivers them.
class ViewerListWindows : public IItemListWindows {
public:
    void SendItemListChange(CFileItemList* list, int code, const char* item, const char*) override {
        std::vector<HWND> windows;
        g_applicationState.ForEachViewer(
            [&](CImageFrame* viewer) { windows.push_back(viewer->m_hWnd); });
        for (HWND window : windows)
            CImageFrame::SendItemListChange(window, list, item, code);
    }
};

// A BMP with 8-bit (palette of `colours`) or 24-bit pixels; pixel(x, y) is a
// palette index or a 0xRRGGBB value, y from the top.
inline void WriteBmp(const std::string& path, int width, int height, int bits,
                     const std::vector<uint32_t>& colours,
                     const std::function<uint32_t(int, int)>& pixel) {
    const int stride = ((width * bits / 8) + 3) & ~3;
    const uint32_t paletteBytes = bits == 8 ? 4u * static_cast<uint32_t>(colours.size()) : 0u;
    const uint32_t offset = 54 + paletteBytes;
    std::vector<uint8_t> file(offset + static_cast<size_t>(stride) * height, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = static_cast<uint8_t>(bits);
    if (bits == 8)
        put32(46, static_cast<uint32_t>(colours.size()));
    for (size_t i = 0; i < colours.size() && bits == 8; ++i)
        put32(54 + 4 * i, colours[i]);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &file[offset + static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            if (bits == 8) {
                row[x] = static_cast<uint8_t>(v);
            } else {
                row[3 * x] = static_cast<uint8_t>(v);
                row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
            }
        }
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
}

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

// Dispatches this thread's messages; frees frames the way the program's
// loop does, and lets a WM_QUIT of the last viewer pass.
inline void PumpFor(int ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kFreeFrameMessage && msg.hwnd == nullptr) {
                delete reinterpret_cast<CImageFrame*>(msg.wParam);
                continue;
            }
            if (msg.message == WM_QUIT)
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

template <typename Pred> bool PumpUntil(Pred pred, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (pred())
            return true;
        PumpFor(20);
    }
    return pred();
}

// A message box of this process (other test programs share the desktop).
// FindWindowEx reads captions without sending messages, so this thread never
// waits for the test's own thread.
inline HWND FindOwnBox(const char* caption) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", caption)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process == GetCurrentProcessId())
            return box;
    }
    return nullptr;
}

// Answers the message boxes with caption `caption` that appear while it
// lives, and keeps their texts.
// The frames' dialogs as a test registers them for its lifetime: every
// dialog a case does not answer is cancelled.
class RegisteredFrameDialogs : public IFrameDialogs {
public:
    RegisteredFrameDialogs() { SetFrameDialogs(this); }
    ~RegisteredFrameDialogs() override { SetFrameDialogs(nullptr); }
    RegisteredFrameDialogs(const RegisteredFrameDialogs&) = delete;
    RegisteredFrameDialogs& operator=(const RegisteredFrameDialogs&) = delete;

    bool AskRotateCanvas(HWND, double&) override { return false; }
    void ShowAbout(HWND) override {}
    bool AskArrangeViewers(HWND, char&, int&) override { return false; }
};

class BoxAnswerer {
public:
    explicit BoxAnswerer(const char* caption, WORD button = IDOK)
        : m_caption(caption), m_button(button) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                HWND box = FindOwnBox(m_caption);
                if (box && box != m_lastBox) {
                    m_lastBox = box;
                    char text[512] = {};
                    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                    m_texts.push_back(text);
                }
                if (box)
                    PostMessageA(box, WM_COMMAND, m_button, 0);
                Sleep(20);
            }
        });
    }
    ~BoxAnswerer() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<std::string> Texts() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_texts;
    }

private:
    const char* m_caption;
    WORD m_button;
    std::atomic<bool> m_stop{false};
    std::vector<std::string> m_texts;
    HWND m_lastBox = nullptr;
    std::thread m_thread;
};

inline std::string Title(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Viewers at actual size on a folder sorted by name, without caching or
// preloading, destroyed after each case.
class ViewerFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        CAppOptions& o = g_applicationState.Options();
        o.viewerZoomType = 0;
        o.viewerResizeFitImage = false;
        o.viewerSaveConfirmation = true;
        o.viewerCacheBehind = false;
        o.viewerPreload = false;
        o.sortOrder = 1;
        o.sortBy = 1;
    }

    void TearDown() override {
        for (auto& entry : m_windows) {
            if (IsWindow(entry.second))
                DestroyWindow(entry.second);
        }
        PumpFor(100);
        g_applicationState.WithViewerList(
            [](std::vector<CImageFrame*>& viewers) { viewers.clear(); });
    }

    // A shown 600x400 viewer that has started loading `path`'s folder; the
    // case waits for what it needs of it. Null when the window did not come.
    CImageFrame* StartViewerOn(const std::string& path) {
        auto* frame = new CImageFrame;
        HWND window = frame->CreateViewer();
        EXPECT_NE(window, nullptr);
        if (!window) {
            delete frame;
            return nullptr;
        }
        g_applicationState.AddViewer(frame);
        m_windows[frame] = window;
        MoveWindow(window, 50, 50, 600, 400, TRUE);
        ShowWindow(window, SW_SHOW);
        frame->LoadFolderList(path.c_str());
        return frame;
    }

    ViewerTestHost m_host;
    std::map<CImageFrame*, HWND> m_windows;
};

} // namespace frame_test
