// A PostScript test printer in the test's Wine prefix: Wine's own PostScript
// driver with a minimal Letter PPD (300 dpi, quarter-inch unprintable
// edges), a printer "TestPrinter" on LPT1: made the default, and LPT1:
// mapped to a file, so that every job's PostScript lands in that file.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <string>

namespace testprinter {

constexpr char kName[] = "TestPrinter";
constexpr char kDriver[] = "Wine PostScript Driver";

inline const char* LetterPpd() {
    return "*PPD-Adobe: \"4.3\"\n"
           "*FormatVersion: \"4.3\"\n"
           "*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"TESTPRN.PPD\"\n"
           "*Manufacturer: \"Test\"\n"
           "*Product: \"(Test Printer)\"\n"
           "*ModelName: \"Test Printer\"\n"
           "*ShortNickName: \"Test Printer\"\n"
           "*NickName: \"Test Printer\"\n"
           "*PSVersion: \"(3010.000) 0\"\n"
           "*LanguageLevel: \"3\"\n"
           "*ColorDevice: True\n"
           "*DefaultColorSpace: RGB\n"
           "*FileSystem: False\n"
           "*Throughput: \"1\"\n"
           "*TTRasterizer: Type42\n"
           "*DefaultResolution: 300dpi\n"
           "*OpenUI *PageSize/Media Size: PickOne\n"
           "*OrderDependency: 10 AnySetup *PageSize\n"
           "*DefaultPageSize: Letter\n"
           "*PageSize Letter/US Letter: \"<</PageSize[612 792]/ImagingBBox null>>setpagedevice\"\n"
           "*CloseUI: *PageSize\n"
           "*OpenUI *PageRegion: PickOne\n"
           "*OrderDependency: 10 AnySetup *PageRegion\n"
           "*DefaultPageRegion: Letter\n"
           "*PageRegion Letter/US Letter: \"<</PageSize[612 792]/ImagingBBox "
           "null>>setpagedevice\"\n"
           "*CloseUI: *PageRegion\n"
           "*DefaultImageableArea: Letter\n"
           "*ImageableArea Letter/US Letter: \"18 18 594 774\"\n"
           "*DefaultPaperDimension: Letter\n"
           "*PaperDimension Letter/US Letter: \"612 792\"\n"
           "*DefaultFont: Courier\n"
           "*Font Courier: Standard \"(002.004S)\" Standard ROM\n";
}

// Installs the driver and the printer (once per prefix) and makes it the
// default; false with the step that failed in *error.
inline bool Install(std::string* error) {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    const std::string ppd = std::string(temp) + "vxp_testprn.ppd";
    if (FILE* f = std::fopen(ppd.c_str(), "wb")) {
        std::fputs(LetterPpd(), f);
        std::fclose(f);
    } else {
        *error = "cannot write the PPD";
        return false;
    }
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(ppd.c_str());
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDefaultDataType = const_cast<char*>("RAW");
    if (!::AddPrinterDriverExA(NULL, 3, reinterpret_cast<BYTE*>(&driver),
                               APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        *error = "AddPrinterDriverExA failed: " + std::to_string(::GetLastError());
        return false;
    }
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(kName);
    info.pPortName = const_cast<char*>("LPT1:");
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = ::AddPrinterA(NULL, 2, reinterpret_cast<BYTE*>(&info));
    if (printer) {
        ::ClosePrinter(printer);
    } else if (::GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        *error = "AddPrinterA failed: " + std::to_string(::GetLastError());
        return false;
    }
    if (!::SetDefaultPrinterA(kName)) {
        *error = "SetDefaultPrinterA failed: " + std::to_string(::GetLastError());
        return false;
    }
    return true;
}

// Sends LPT1:'s jobs to a Unix file.
inline bool MapSpoolerTo(const std::string& unixPath) {
    HKEY key = NULL;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, NULL, 0,
                          KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    const bool ok =
        ::RegSetValueExA(key, "LPT1:", 0, REG_SZ, reinterpret_cast<const BYTE*>(unixPath.c_str()),
                         static_cast<DWORD>(unixPath.size() + 1)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

// The Windows path of a Unix path, through the drive that maps the root.
inline std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

} // namespace testprinter
