// The desktop wallpaper from an image: a bitmap copy sized for the screen in
// the Windows folder, handed to the Active Desktop object, or to the system
// settings where that object does nothing.
#include <windows.h>
// The Active Desktop declarations follow the internet headers only.
#include <wininet.h>
#include <shlobj.h>

#include "app/desktop_wallpaper.h"

#include "app/application_state.h"
#include "app/image_cache.h"
#include "app/logic/wallpaper_size.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"

namespace {

constexpr char kQuestion[] =
    "Are you sure you would like to set the current image as desktop wallpaper?";

// The Active Desktop object takes the wallpaper when the system has one that
// works; false when it cannot be made or refuses any step.
bool SetThroughActiveDesktop(const char* bitmap, int style) {
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IActiveDesktop* desktop = nullptr;
    bool applied = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IActiveDesktop, reinterpret_cast<void**>(&desktop))) &&
        desktop) {
        WCHAR wide[520] = {};
        if (::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bitmap, -1, wide, 520) > 0) {
            WALLPAPEROPT options = {sizeof(WALLPAPEROPT), static_cast<DWORD>(style)};
            applied = SUCCEEDED(desktop->SetWallpaper(wide, 0)) &&
                      SUCCEEDED(desktop->SetWallpaperOptions(&options, 0)) &&
                      SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
        }
        desktop->Release();
    }
    if (SUCCEEDED(started))
        ::CoUninitialize();
    return applied;
}

// The system's own wallpaper settings: the style values the desktop reads,
// then the bitmap, saved and announced to every window.
bool SetThroughSystemSettings(const char* bitmap, int style) {
    const char* wallpaperStyle = style == wallpaper::kStretch ? "2" : "0";
    const char* tile = style == wallpaper::kTile ? "1" : "0";
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExA(key, "WallpaperStyle", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(wallpaperStyle), 2);
        ::RegSetValueExA(key, "TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(tile), 2);
        ::RegCloseKey(key);
    }
    return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(bitmap),
                                   SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != FALSE;
}

// The image to write: a synchronous decode at the copy's size, or the cached
// image decoded for the screen, waited for. One reference, or null.
CImageObject* ImageForWallpaper(const char* path, const wallpaper::Copy& copy, int screenW,
                                int screenH) {
    if (copy.width > 0 && copy.height > 0)
        return LoadImageScaled(path, copy.width, copy.height);
    CImageObject* image = g_applicationState.OpenImage(path, screenW, screenH, 0);
    if (image && image->decodeThread)
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(image->decodeThread), INFINITE);
    return image;
}

} // namespace

std::string WallpaperBitmapPath() {
    char folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, 0, folder)))
        return "";
    char user[100] = {};
    DWORD length = sizeof user;
    if (!::GetUserNameA(user, &length))
        user[0] = '\0';
    std::string path = folder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + user + "'s Wallpaper - Velmorantix XP.bmp";
}

void CApplicationState::SetDesktopWallpaper(const char* path, int style) {
    if (!path || ::MessageBoxA(::GetFocus(), kQuestion, "Confirmation",
                               MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    CImageObject* info = ReadImageInfo(path);
    if (!info)
        return;
    const int width = info->fullWidth, height = info->fullHeight;
    info->Release();
    HDC screen = ::GetDC(nullptr);
    const int screenW = ::GetDeviceCaps(screen, HORZRES);
    const int screenH = ::GetDeviceCaps(screen, VERTRES);
    ::ReleaseDC(nullptr, screen);
    if (style != wallpaper::kCenter && style != wallpaper::kTile && style != wallpaper::kStretch) {
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""),
                                SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
        return;
    }
    const wallpaper::Copy copy = wallpaper::CopyFor(style, width, height, screenW, screenH);
    const std::string bitmap = WallpaperBitmapPath();
    if (bitmap.empty())
        return;
    CImageObject* image = ImageForWallpaper(path, copy, screenW, screenH);
    if (!image)
        return;
    CBmpWriter writer;
    const bool written = image->bits != nullptr && writer.Write(bitmap.c_str(), image);
    if (copy.width > 0 && copy.height > 0)
        image->Release();
    else
        ReleaseImage(image);
    // A bitmap that could not be written would leave a stale or missing file
    // as the wallpaper.
    if (!written)
        return;
    if (!SetThroughActiveDesktop(bitmap.c_str(), copy.style))
        SetThroughSystemSettings(bitmap.c_str(), copy.style);
}
