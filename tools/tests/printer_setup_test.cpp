// Printing before a printer exists, and on the 9x family: without a default
// printer the Add Printer wizard is started and waited for, no print dialog
// opens and nothing else happens; with one, the printer is found through the
// family's own default-printer call. The same program runs once more with
// Wine reporting a 9x version (VXP_EXPECT_9X), in a prefix of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>
#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/application_state.h"
#include "app/string_list.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/print_dialog.h"
#include "tools/tests/test_printer.h"
#include "tools/tool_services.h"

namespace {

using testsupport::DialogScript;

bool Expect9x() {
    const char* flag = std::getenv("VXP_EXPECT_9X");
    return flag && *flag == '1';
}

// Whether a process of the given name appears while `run` runs.
bool ProcessSeenDuring(const char* name, const std::function<void()>& run) {
    std::atomic<bool> stop{false}, seen{false};
    std::thread watcher([&] {
        while (!stop && !seen) {
            HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = ::Process32First(snapshot, &entry); more && !seen;
                 more = ::Process32Next(snapshot, &entry))
                if (lstrcmpiA(entry.szExeFile, name) == 0)
                    seen = true;
            ::CloseHandle(snapshot);
            ::Sleep(2);
        }
    });
    run();
    stop = true;
    watcher.join();
    return seen;
}

// The first name the enumeration of the 9x family gives for the default.
std::string EnumeratedDefault() {
    DWORD needed = 0, returned = 0;
    ::EnumPrintersA(PRINTER_ENUM_DEFAULT, NULL, 5, NULL, 0, &needed, &returned);
    if (needed == 0)
        return "";
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrintersA(PRINTER_ENUM_DEFAULT, NULL, 5, buffer.data(), needed, &needed,
                         &returned) ||
        returned == 0)
        return "";
    const char* name = reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data())->pPrinterName;
    return name ? name : "";
}

// The prefix keeps its printers between runs: the test printer goes again.
void RemoveTestPrinter() {
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (::OpenPrinterA(const_cast<char*>(testprinter::kName), &printer, &access)) {
        ::DeletePrinter(printer);
        ::ClosePrinter(printer);
    }
}

TEST(PrinterSetup, TheWindowsFamilyIsTheOneThisRunExpects) {
    EXPECT_EQ(Expect9x() ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT,
              g_applicationState.VersionInfo().dwPlatformId);
}

TEST(PrinterSetup, WithoutAPrinterTheWizardStartsAndNoDialogOpens) {
    RemoveTestPrinter();
    ASSERT_TRUE(ListPrinters().empty()) << "this prefix must start without printers";
    EXPECT_EQ("", DefaultPrinterName());
    bool installed = true;
    EXPECT_TRUE(ProcessSeenDuring("rundll32.exe",
                                  [&] { installed = EnsurePrinterInstalled(nullptr, true); }));
    EXPECT_FALSE(installed);

    // Printing files or a document then shows nothing and reports nothing.
    DialogScript script("Velmorantix XP Print", [](HWND d) { DialogScript::PressCancel(d); });
    CStringList files;
    files.InsertCopy("C:\\vxp_no_printer.bmp");
    EXPECT_FALSE(PrintFiles(nullptr, &g_applicationState, &files, true));
    CImageObject image("C:\\vxp_no_printer.bmp", nullptr);
    ASSERT_TRUE(image.Create(8, 8, 24, 0));
    EXPECT_EQ(IDCANCEL, PrintDocument(nullptr, &image));
    EXPECT_FALSE(script.scriptRan);
    EXPECT_TRUE(script.boxes.empty());
}

TEST(PrinterSetup, WithTheTestPrinterTheFamilysOwnCallFindsTheDefault) {
    std::string error;
    ASSERT_TRUE(testprinter::Install(&error)) << error;
    const std::vector<std::string> printers = ListPrinters();
    EXPECT_NE(std::find(printers.begin(), printers.end(), testprinter::kName), printers.end());
    // What the family's spooler call reports is what the program goes by.
    const std::string expected = Expect9x() ? EnumeratedDefault() : testprinter::kName;
    EXPECT_EQ(expected, DefaultPrinterName());
    if (!expected.empty()) {
        EXPECT_TRUE(EnsurePrinterInstalled(nullptr, true));
    } else {
        // The 9x enumeration knows no default here: the wizard path again.
        EXPECT_FALSE(EnsurePrinterInstalled(nullptr, true));
    }
    RemoveTestPrinter();
}

} // namespace
