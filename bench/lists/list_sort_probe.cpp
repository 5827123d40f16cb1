// Times a folder list the way the explorer gets one: the first fill (the
// folder read and sorted by name through the sort database), then a fill
// sorted by each key in turn, best of the runs.
//
//   list_sort_probe FOLDER [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/application_state.h"
#include "app/file_item_list.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: list_sort_probe FOLDER [runs]\n");
        return 2;
    }
    const char* folder = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    g_applicationState.Options().sortBy = kSortByName;
    g_applicationState.Options().sortOrder = kSortAscending;

    double first = 1e30;
    int count = 0;
    for (int run = 0; run < runs; ++run) {
        const double start = Now();
        CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, folder);
        const double seconds = Now() - start;
        if (!list) {
            std::fprintf(stderr, "list_sort_probe: no list of %s\n", folder);
            return 1;
        }
        count = list->GetItemCount();
        first = std::min(first, seconds);
        g_applicationState.ReleaseFileItemList(list);
        g_applicationState.ReleaseFileItemList(nullptr); // not kept: the next run reads again
    }
    std::printf("%d items\n", count);
    std::printf("first fill, by name   %8.3f s\n", first);

    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, folder);
    if (!list)
        return 1;
    const struct {
        int key;
        const char* name;
    } keys[] = {
        {kSortByName, "name"}, {kSortBySize, "size"}, {kSortByType, "type"}, {kSortByDate, "date"}};
    for (const auto& k : keys) {
        for (int order : {static_cast<int>(kSortAscending), 0}) {
            double best = 1e30;
            for (int run = 0; run < runs; ++run) {
                list->sortBy = k.key;
                list->sortOrder = order;
                const double start = Now();
                if (!g_applicationState.FillFileItemList(list)) {
                    std::fprintf(stderr, "list_sort_probe: sorting by %s failed\n", k.name);
                    return 1;
                }
                best = std::min(best, Now() - start);
            }
            std::printf("re-sort by %-4s %-4s  %8.3f s\n", k.name,
                        order == kSortAscending ? "up" : "down", best);
        }
    }
    g_applicationState.ReleaseFileItemList(list);
    return 0;
}
