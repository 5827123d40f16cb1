#include "app/help_launcher.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "app/app_globals.h"
#include "app/logic/help_pages.h"

namespace help_pages {

namespace {

// The help viewer's topic command.
constexpr UINT kDisplayTopic = 0; // HH_DISPLAY_TOPIC

// MinGW ships no import library for the help control, and a machine may
// lack it: it is looked up when help is first asked for and kept loaded, as
// its viewer window lives in it.
HtmlHelpFunction LoadHelpControl() {
    static HMODULE control = LoadLibraryA("hhctrl.ocx");
    if (!control)
        return nullptr;
    return reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpA")));
}

HtmlHelpLoader g_loader = nullptr;

void ReportFailure(const char* format, const std::string& what) {
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, format, what.c_str());
    ShowMessageBox(text, "Failed!", MB_OK | MB_ICONERROR);
}

} // namespace

void SetHtmlHelpLoader(HtmlHelpLoader loader) {
    g_loader = loader;
}

bool ShowHelpContents() {
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        module[0] = '\0';
    const std::string path = HelpFilePath(module);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ReportFailure("Cannot find the help file %s", path);
        return false;
    }
    HtmlHelpFunction htmlHelp = g_loader ? g_loader() : LoadHelpControl();
    if (!htmlHelp) {
        ReportFailure("Cannot show the help file %s: the help control hhctrl.ocx is missing", path);
        return false;
    }
    if (!htmlHelp(GetDesktopWindow(), path.c_str(), kDisplayTopic, 0)) {
        ReportFailure("Cannot open the help file %s", path);
        return false;
    }
    return true;
}

bool OpenWebPage(int command) {
    const char* address = WebPageAddress(command);
    if (!address)
        return false;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetActiveWindow();
    info.lpVerb = "open";
    info.lpFile = address;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        ReportFailure("Cannot open the web page %s", address);
        return false;
    }
    return true;
}

} // namespace help_pages
