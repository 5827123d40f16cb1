// Times what a user waits for when the program is started on a folder whose
// thumbnails are all cached: from CreateProcess until the explorer shows the
// first screen of thumbnails and the first image in the preview, beside the
// same start on that first image alone, until the viewer shows it. Both are
// observed from outside, on the screen: a tile or a picture counts as shown
// when the middle of it has the colour of the patch that every bench image
// carries in its middle.
//
//   explorer_start_probe APP FOLDER FIRST_IMAGE ITEMS RUNS
//
// A warm-up start on the folder first waits until every item has its
// thumbnail and the worker has gone idle (the cache is on disk), then each run
// starts the explorer and then the viewer, one after the other, so that both
// see the machine in the same state. Prints one line per run and the medians
// with their ratio. Exit code 0 when every run was timed.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kTimeoutMs = 60000;
constexpr COLORREF kPatch = RGB(230, 30, 200); // in the middle of every bench image

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Search {
    const char* className;
    DWORD processId;
    int id; // of a child; 0 for a top-level window
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char name[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId || !IsWindowVisible(hwnd))
        return TRUE;
    if (s->id ? GetDlgCtrlID(hwnd) != s->id
              : !GetClassNameA(hwnd, name, sizeof name) || lstrcmpA(name, s->className) != 0)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND TopLevel(const char* className, DWORD pid) {
    Search s{className, pid, 0, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND Child(HWND frame, int id, DWORD pid) {
    Search s{nullptr, pid, id, nullptr};
    EnumChildWindows(frame, Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool Near(COLORREF c, COLORREF want) {
    return std::abs(GetRValue(c) - GetRValue(want)) < 40 &&
           std::abs(GetGValue(c) - GetGValue(want)) < 40 &&
           std::abs(GetBValue(c) - GetBValue(want)) < 40;
}

// The screen, read back once per look into a buffer of its pixels.
class ScreenShot {
public:
    ScreenShot() {
        m_width = GetSystemMetrics(SM_CXSCREEN);
        m_height = GetSystemMetrics(SM_CYSCREEN);
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<const uint8_t*>(bits);
        SelectObject(m_dc, m_bitmap);
        ReleaseDC(nullptr, screen);
    }
    ~ScreenShot() {
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    void Take(const RECT& area) {
        HDC screen = GetDC(nullptr);
        BitBlt(m_dc, area.left, area.top, area.right - area.left, area.bottom - area.top, screen,
               area.left, area.top, SRCCOPY);
        GdiFlush();
        ReleaseDC(nullptr, screen);
    }
    COLORREF At(POINT p) const {
        if (p.x < 0 || p.y < 0 || p.x >= m_width || p.y >= m_height)
            return 0;
        const uint8_t* q = m_bits + (size_t(p.y) * m_width + p.x) * 4;
        return RGB(q[2], q[1], q[0]);
    }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    const uint8_t* m_bits;
};

POINT Middle(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The list's items as the program's list view has them: their image
// indexes (0 is the blank tile) and the screen middles of their tiles, for
// the items whose tile lies within the list's client area.
struct Tile {
    int image;
    POINT middle;
};

class RemoteList {
public:
    RemoteList(HWND list, HANDLE process) : m_list(list), m_process(process) {
        m_remote = VirtualAllocEx(process, nullptr, 256, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList() { VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE); }
    int Count() const { return int(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }
    int Image(int i) const {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        item.iImage = -1;
        WriteProcessMemory(m_process, m_remote, &item, sizeof item, nullptr);
        SendMessageA(m_list, LVM_GETITEMA, 0, LPARAM(m_remote));
        ReadProcessMemory(m_process, m_remote, &item, sizeof item, nullptr);
        return item.iImage;
    }
    // False when item `i`'s tile is not wholly within the client area.
    bool Visible(int i, Tile* tile) const {
        RECT r{LVIR_ICON, 0, 0, 0};
        WriteProcessMemory(m_process, m_remote, &r, sizeof r, nullptr);
        if (!SendMessageA(m_list, LVM_GETITEMRECT, WPARAM(i), LPARAM(m_remote)) ||
            !ReadProcessMemory(m_process, m_remote, &r, sizeof r, nullptr))
            return false;
        RECT client;
        GetClientRect(m_list, &client);
        if (r.right > client.right || r.bottom > client.bottom || r.left < 0 || r.top < 0)
            return false;
        tile->image = Image(i);
        tile->middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(m_list, &tile->middle);
        return true;
    }

private:
    HWND m_list;
    HANDLE m_process;
    void* m_remote;
};

bool Start(const std::string& app, const std::string& argument, PROCESS_INFORMATION* pi) {
    std::string line = "\"" + app + "\" \"" + argument + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          pi) != FALSE;
}

void End(PROCESS_INFORMATION& pi, HWND frame) {
    if (frame)
        PostMessageA(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// Starts the explorer on `folder` and gives the milliseconds until its first
// screen of thumbnails and the preview are shown (-1 on a time-out). With
// `everyItem` it waits instead until every item has its thumbnail and the
// worker has let go of the cache (the warm-up).
// The moments of a start, in milliseconds after CreateProcess (-1: not seen):
// the frame visible, the list holding every item, the preview showing the
// first image.
struct Phases {
    double frame = -1, items = -1, preview = -1;
};

double TimeExplorer(const std::string& app, const std::string& folder, int items, bool everyItem,
                    const std::string& lockFile, Phases* phases) {
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!Start(app, folder, &pi))
        return -1;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 pi.dwProcessId);
    ScreenShot screen;
    double shown = -1;
    HWND frame = nullptr;
    std::string state = "no explorer";
    while (NowMs() - start < kTimeoutMs * (everyItem ? 3 : 1)) {
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
        frame = frame ? frame : TopLevel("MainFrame", pi.dwProcessId);
        if (frame && phases->frame < 0) {
            phases->frame = NowMs() - start;
            // Screen pixels are shared: the frame is kept above the others.
            SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        HWND list = frame ? Child(frame, 10002, pi.dwProcessId) : nullptr;
        HWND preview = frame ? Child(frame, 10003, pi.dwProcessId) : nullptr;
        if (!list || !preview)
            continue;
        RemoteList remote(list, process);
        if (remote.Count() != items) {
            state = "items " + std::to_string(remote.Count());
            continue;
        }
        if (phases->items < 0)
            phases->items = NowMs() - start;
        RECT area;
        GetWindowRect(frame, &area);
        screen.Take(area);
        const COLORREF previewColour = screen.At(Middle(preview));
        bool ready = Near(previewColour, kPatch);
        if (ready && phases->preview < 0)
            phases->preview = NowMs() - start;
        char text[160];
        std::snprintf(text, sizeof text, "preview 0x%06lx",
                      static_cast<unsigned long>(previewColour));
        state = text;
        int visible = 0;
        // Items are laid out in order: the first screen ends at the first
        // item outside the client area.
        for (int i = 0; ready && i < items; ++i) {
            Tile tile;
            if (!remote.Visible(i, &tile))
                break;
            ++visible;
            ready = tile.image > 0 && Near(screen.At(tile.middle), kPatch);
            if (!ready) {
                std::snprintf(text, sizeof text, "; tile %d image %d colour 0x%06lx", i, tile.image,
                              static_cast<unsigned long>(screen.At(tile.middle)));
                state += text;
            }
        }
        // The warm-up waits for every thumbnail and for the worker to go
        // idle, which it does by flushing the cache and deleting its lock file.
        for (int i = 0; ready && everyItem && i < items; ++i)
            if (!(ready = remote.Image(i) > 0))
                state += "; item " + std::to_string(i) + " has no thumbnail";
        ready = ready &&
                (!everyItem || GetFileAttributesA(lockFile.c_str()) == INVALID_FILE_ATTRIBUTES);
        if (ready && visible > 0) {
            shown = NowMs() - start;
            break;
        }
    }
    if (shown < 0)
        std::fprintf(stderr, "the explorer was not ready: %s\n", state.c_str());
    CloseHandle(process);
    End(pi, frame);
    return shown;
}

// Starts the program on one image and gives the milliseconds until the
// viewer shows it (-1 on a time-out).
double TimeViewer(const std::string& app, const std::string& image) {
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!Start(app, image, &pi))
        return -1;
    ScreenShot screen;
    double shown = -1;
    HWND frame = nullptr;
    while (NowMs() - start < kTimeoutMs) {
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
            break;
        frame = frame ? frame : TopLevel("ImageFrame", pi.dwProcessId);
        if (!frame)
            continue;
        RECT client;
        GetClientRect(frame, &client);
        MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&client), 2);
        screen.Take(client);
        const POINT middle{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        if (Near(screen.At(middle), kPatch)) {
            shown = NowMs() - start;
            break;
        }
    }
    if (shown < 0)
        std::fprintf(stderr, "the viewer did not show the image%s\n", frame ? "" : ": no viewer");
    End(pi, frame);
    return shown;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: explorer_start_probe APP FOLDER FIRST_IMAGE ITEMS RUNS\n");
        return 2;
    }
    const std::string app = argv[1], folder = argv[2], first = argv[3];
    const int items = std::atoi(argv[4]);
    const int runs = std::max(1, std::atoi(argv[5]));
    char data[MAX_PATH];
    GetEnvironmentVariableA("APPDATA", data, MAX_PATH);
    const std::string lockFile =
        std::string(data) + "\\Velmorantix\\Velmorantix XP\\Thumbnail.lock";

    Phases ignored;
    const double warm = TimeExplorer(app, folder, items, true, lockFile, &ignored);
    std::printf("warm-up: every thumbnail made and cached after %.1f ms\n", warm);
    if (warm < 0)
        return 1;
    TimeViewer(app, first); // the viewer's own first start, not counted
    std::vector<double> explorer, viewer;
    for (int run = 0; run < runs; ++run) {
        Phases phases;
        const double e = TimeExplorer(app, folder, items, false, lockFile, &phases);
        const double v = TimeViewer(app, first);
        std::printf("run %d explorer_ms=%.1f viewer_ms=%.1f (explorer: frame %.1f, %d items "
                    "%.1f, preview %.1f)\n",
                    run + 1, e, v, phases.frame, items, phases.items, phases.preview);
        if (e >= 0)
            explorer.push_back(e);
        if (v >= 0)
            viewer.push_back(v);
    }
    const double e = Median(explorer), v = Median(viewer);
    std::printf("median explorer_ms=%.1f viewer_ms=%.1f ratio=%.2f\n", e, v, v > 0 ? e / v : -1);
    return int(explorer.size()) == runs && int(viewer.size()) == runs ? 0 : 1;
}
