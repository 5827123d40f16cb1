// Times the program's batch Grayscale (renamed beside each file) and its
// Convert to PNG over every JPEG of a folder, each run through the real
// progress dialog and worker, one file after another:
//
//   batch_timer.exe <photo folder> <png folder>
//
// Prints "grayscale <seconds> <files written>" and "convert <seconds> <files
// written>"; the results are left for run.sh to check and remove.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_operations.h"
#include "app/application_state.h"
#include "tools/batch_process.h"
#include "tools/convert_dialogs.h"
#include "tools/logic/batch_plan.h"

namespace {

std::vector<std::string> Photos(const std::string& folder) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*.jpg").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return paths;
    do {
        if (std::string(data.cFileName).rfind("Grayscale ", 0) != 0)
            paths.push_back(folder + "\\" + data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return paths;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: batch_timer <photo folder> <png folder>\n");
        return 1;
    }
    g_applicationState.LoadOptions();
    const std::vector<std::string> photos = Photos(argv[1]);
    if (photos.empty()) {
        std::fprintf(stderr, "batch_timer: no JPEG in %s\n", argv[1]);
        return 1;
    }

    CBatchProcessDialog batch;
    batch.command = batch_plan::FindCommand(ID_IMAGE_MODE_GRAYSCALE);
    batch.operation = FixedCommandOperation(batch.command->id);
    batch.saveMode = 1;
    batch.paths = photos;
    auto start = std::chrono::steady_clock::now();
    batch.DoModal(nullptr);
    std::printf("grayscale %.3f %d\n", Seconds(start), batch.written);

    CConvertProgressDialog convert;
    convert.encoderType = 3; // PNG
    convert.outputFolder = argv[2];
    convert.paths = photos;
    start = std::chrono::steady_clock::now();
    convert.DoModal(nullptr);
    std::printf("convert %.3f %d\n", Seconds(start), convert.written);
    std::fflush(stdout);
    return batch.failures.empty() && convert.failures.empty() ? 0 : 2;
}
