// The thumbnail list's own figures under Wine, in a window of the probe with
// the real list control and its worker, and a thumbnail database of its own:
//
//   thumbnail_list_probe cache  DBFOLDER FOLDER [WARM_RUNS]
//       From showing a folder with an empty cache until every thumbnail is
//       in the database (the worker idle, its writes flushed); then the same
//       folder shown again, WARM_RUNS times, until every thumbnail of the
//       first screen is painted.
//   thumbnail_list_probe scroll DBFOLDER FOLDER
//       From showing a large folder until its names are painted (thumbnails
//       pending); then, while the worker makes them, the list is scrolled a
//       page at a time to the end and back, and jumped to the end and back,
//       and the longest gap between two messages the user-interface thread
//       took from its queue is kept.
//   thumbnail_list_probe memory DBFOLDER FOLDER
//       The process's working set before the worker starts and its peak
//       after it made the folder's thumbnails (without the cache, so that
//       every one is decoded), beside the size of one full frame of the
//       folder's first picture.
//
// Prints "key value" lines that run.sh gathers. Exit code 0 when every step
// finished within its ceiling.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/image_cache.h"
#include "explorer/tests/thumbnail_host.h"
#include "imaging/image_object.h"

namespace {

constexpr double kCeilingMs = 600000;

double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Serves the user-interface thread's messages (the worker's list updates
// among them) until done() holds or the ceiling passes.
bool PumpUntil(const std::function<bool()>& done, double ceilingMs = kCeilingMs) {
    const double end = NowMs() + ceilingMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (NowMs() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
}

struct Probe {
    thumbtest::CThumbnailHostFrame host;
    CImageListViewCtrl& List() { return host.list; }

    bool Idle() {
        return List().AllDone() && WaitForSingleObject(List().IdleEvent(), 0) == WAIT_OBJECT_0;
    }
    bool EveryItemDone() {
        for (int i = 0; i < List().ItemCount(); ++i)
            if (!List().IsItemDone(i))
                return false;
        return true;
    }
    // The items whose tiles lie at least partly in the client area.
    std::vector<int> VisibleItems() {
        RECT client;
        ::GetClientRect(List().m_hWnd, &client);
        std::vector<int> visible;
        for (int i = 0; i < List().ItemCount(); ++i) {
            RECT r{};
            r.left = LVIR_ICON;
            ::SendMessageA(List().m_hWnd, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
            RECT both;
            if (IntersectRect(&both, &r, &client))
                visible.push_back(i);
        }
        return visible;
    }
};

bool OpenDatabases(const std::string& folder, bool cache) {
    CAppOptions& o = g_applicationState.Options();
    o.explorerThumbnailWidth = o.explorerThumbnailHeight = 100;
    o.explorerThumbnailXSpace = 10;
    o.explorerThumbnailYSpace = 20;
    o.explorerThumbnailCache = cache;
    o.sortBy = kSortByName;
    o.sortOrder = kSortAscending;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string main = folder + "\\VelmorantixXP.tdb";
    const std::string thumbs = folder + "\\Thumbnail.tdb";
    DeleteFileA(main.c_str());
    DeleteFileA(thumbs.c_str());
    CProgramDatabases& dbs = g_applicationState.Databases();
    if (!dbs.OpenMainDatabase(main) || !dbs.LoadThumbnailDatabase(true, thumbs))
        return false;
    dbs.lockPath = folder + "\\Thumbnail.lock";
    g_applicationState.LoadFolderSymbols();
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int RunCache(Probe& p, const char* folder, int warmRuns) {
    const double start = NowMs();
    if (!p.host.ShowFolder(folder, kListViewThumbnails))
        return 1;
    const int items = p.List().ItemCount();
    if (!PumpUntil([&] { return p.Idle() && p.EveryItemDone(); }))
        return 1;
    const double cold = NowMs() - start;
    std::printf("items %d\ncold_ms %.1f\ncold_decoded %ld\n", items, cold, p.List().DecodeCount());

    std::vector<double> warm, populated;
    size_t visibleCount = 0;
    for (int run = 0; run < warmRuns; ++run) {
        // Another folder in between, as a user comes back to this one.
        p.List().SetItemSource(nullptr);
        PumpUntil([] { return false; }, 50);
        const long decodedBefore = p.List().DecodeCount();
        // As the explorer shows a folder selected in its tree.
        const double at = NowMs();
        CFileItemList* items = g_applicationState.GetFileItemList(kListFolder, folder);
        if (!items)
            return 1;
        p.List().SetItemSource(items);
        populated.push_back(NowMs() - at);
        const std::vector<int> visible = p.VisibleItems();
        visibleCount = visible.size();
        if (!PumpUntil([&] {
                for (int i : visible)
                    if (!p.List().IsItemDone(i))
                        return false;
                return true;
            }))
            return 1;
        ::UpdateWindow(p.List().m_hWnd);
        warm.push_back(NowMs() - at);
        PumpUntil([&] { return p.Idle(); });
        if (p.List().DecodeCount() != decodedBefore)
            std::printf("warm_run %d decoded %ld (expected none)\n", run,
                        p.List().DecodeCount() - decodedBefore);
    }
    std::printf("warm_visible %zu\nwarm_ms", visibleCount);
    for (double w : warm)
        std::printf(" %.1f", w);
    std::printf("\nwarm_populated_ms");
    for (double w : populated)
        std::printf(" %.1f", w);
    std::printf("\nwarm_median_ms %.1f\nwarm_max_ms %.1f\n", Median(warm),
                warm.empty() ? 0 : *std::max_element(warm.begin(), warm.end()));
    return 0;
}

// The longest time between two messages the thread took from its queue while
// scroll requests are posted one after the other, each painted before the
// next is posted, until the view's origin stops moving.
struct ScrollGaps {
    double longest = 0;
    UINT before = 0; // the message dispatched just before the longest gap
    int steps = 0;
};

bool Scroll(Probe& p, WPARAM request, bool untilStill, ScrollGaps* gaps) {
    HWND list = p.List().m_hWnd;
    auto origin = [&] {
        POINT o{};
        ::SendMessageA(list, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&o));
        return o.y;
    };
    int last = origin();
    int still = 0;
    UINT lastMessage = 0;
    double previous = NowMs();
    const double end = previous + kCeilingMs;
    ::PostMessageA(list, WM_VSCROLL, request, 0);
    for (;;) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Nothing queued: the thread waits, it is not blocked.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            previous = NowMs();
            if (previous > end)
                return false;
            continue;
        }
        const double now = NowMs();
        if (now - previous > gaps->longest) {
            gaps->longest = now - previous;
            gaps->before = lastMessage;
        }
        previous = now;
        lastMessage = msg.message;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.hwnd == list && msg.message == WM_VSCROLL) {
            ::UpdateWindow(list);
            ++gaps->steps;
            const int y = origin();
            still = y == last ? still + 1 : 0;
            last = y;
            if (!untilStill || still >= 2)
                return true;
            ::PostMessageA(list, WM_VSCROLL, request, 0);
        }
    }
}

int RunScroll(Probe& p, const char* folder) {
    p.List().SetViewMode(kListViewThumbnails);
    p.List().UpdateIconSpacing();
    const double start = NowMs();
    CFileItemList* source = g_applicationState.GetFileItemList(kListFolder, folder);
    if (!source)
        return 1;
    const double listed = NowMs() - start;
    p.List().SetItemSource(source);
    const double populated = NowMs() - start;
    ::UpdateWindow(p.List().m_hWnd);
    const double filled = NowMs() - start;
    std::printf("fill_listed_ms %.1f\nfill_populated_ms %.1f\n", listed, populated);
    const int items = p.List().ItemCount();
    int done = 0;
    for (int i = 0; i < items; ++i)
        done += p.List().IsItemDone(i);
    std::printf("items %d\nfill_ms %.1f\nfill_done_items %d\n", items, filled, done);

    ScrollGaps pages, jumps;
    const double scrollStart = NowMs();
    if (!Scroll(p, SB_PAGEDOWN, true, &pages) || !Scroll(p, SB_PAGEUP, true, &pages))
        return 1;
    const double scrollMs = NowMs() - scrollStart;
    if (!Scroll(p, SB_BOTTOM, false, &jumps) || !Scroll(p, SB_TOP, false, &jumps) ||
        !Scroll(p, SB_BOTTOM, false, &jumps) || !Scroll(p, SB_TOP, false, &jumps))
        return 1;
    done = 0;
    for (int i = 0; i < items; ++i)
        done += p.List().IsItemDone(i);
    std::printf("scroll_pages %d\nscroll_ms %.1f\nscroll_longest_gap_ms %.1f\n", pages.steps,
                scrollMs, pages.longest);
    std::printf("scroll_longest_gap_after_message 0x%x\n", pages.before);
    std::printf("jump_longest_gap_ms %.1f\njump_longest_gap_after_message 0x%x\n", jumps.longest,
                jumps.before);
    std::printf("scroll_done_items %d\n", done);
    // The worker goes on with what is left; the window closes without waiting
    // for it (the stop request ends it at its next item).
    return 0;
}

int RunMemory(Probe& p, const char* folder) {
    std::string first = std::string(folder) + "\\*.jpg";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(first.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(search);
    CImageObject* info = ReadImageInfo((std::string(folder) + "\\" + found.cFileName).c_str());
    if (!info)
        return 1;
    const double frame = double(info->fullWidth) * info->fullHeight * 3;
    std::printf("picture %dx%d\nframe_bytes %.0f\n", info->fullWidth, info->fullHeight, frame);
    info->Release();

    PROCESS_MEMORY_COUNTERS before{};
    before.cb = sizeof before;
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    if (!p.host.ShowFolder(folder, kListViewThumbnails))
        return 1;
    if (!PumpUntil([&] { return p.Idle() && p.EveryItemDone(); }))
        return 1;
    PROCESS_MEMORY_COUNTERS after{};
    after.cb = sizeof after;
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    const double delta = double(after.PeakWorkingSetSize) - double(before.WorkingSetSize);
    std::printf("items %d\ndecoded %ld\nworking_set_before %.0f\npeak_before %.0f\n"
                "peak_after %.0f\npeak_delta_bytes %.0f\npeak_delta_per_frame %.3f\n",
                p.List().ItemCount(), p.List().DecodeCount(), double(before.WorkingSetSize),
                double(before.PeakWorkingSetSize), double(after.PeakWorkingSetSize), delta,
                delta / frame);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: thumbnail_list_probe cache|scroll|memory DBFOLDER FOLDER "
                             "[WARM_RUNS]\n");
        return 2;
    }
    const std::string mode = argv[1];
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    LoadShFolder();
    if (!OpenDatabases(argv[2], mode != "memory")) {
        std::fprintf(stderr, "thumbnail_list_probe: cannot open the databases in %s\n", argv[2]);
        return 1;
    }
    int rc = 2;
    {
        Probe p;
        if (!p.host.CreateHost(40, 30, 900, 640))
            return 1;
        ::UpdateWindow(p.host.m_hWnd);
        PumpUntil([] { return false; }, 200);
        if (mode == "cache")
            rc = RunCache(p, argv[3], argc > 4 ? std::atoi(argv[4]) : 5);
        else if (mode == "scroll")
            rc = RunScroll(p, argv[3]);
        else if (mode == "memory")
            rc = RunMemory(p, argv[3]);
        if (rc != 0)
            std::printf("failed %s\n", mode.c_str());
        std::fflush(stdout);
        if (p.host.IsWindow())
            p.host.DestroyWindow();
    }
    g_applicationState.ReleaseFileItemList(nullptr);
    CProgramDatabases& dbs = g_applicationState.Databases();
    dbs.CloseThumbnailDatabase();
    dbs.CloseMainDatabase();
    OleUninitialize();
    return rc;
}
