#include "app/options.h"

#include "app/logic/path_parts.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#endif

const char kOptionsKeyPath[] = "Software\\Velmorantix\\Velmorantix XP";

namespace {

enum class EKind { kBool, kNumber, kText };

enum class ERule {
    kAny,             // numbers: any stored value
    kClamp,           // below low -> lowValue, above high -> highValue
    kRangeOrDefault,  // low..high accepted, anything else keeps the default
    kNonZeroIsOne,    // any value other than 0 becomes 1
    kExistingFolder,  // texts: taken only when the path exists
    kHomeFolderFirst, // texts: default is the home folder just determined
};

struct OptionRow {
    const char* name;
    EKind kind;
    size_t offset;
    uint32_t defaultValue;   // numbers and booleans
    const char* defaultText; // texts with a fixed default
    ERule rule;
    uint32_t low, lowValue, high, highValue;
    bool loadOnly;
};

#define VXP_FIELD(f) offsetof(CAppOptions, f)
#define VXP_BOOL(n, f, d)                                                                          \
    { n, EKind::kBool, VXP_FIELD(f), d, nullptr, ERule::kAny, 0, 0, 0, 0, false }
#define VXP_BOOL_LOAD(n, f, d)                                                                     \
    { n, EKind::kBool, VXP_FIELD(f), d, nullptr, ERule::kAny, 0, 0, 0, 0, true }
#define VXP_NUM(n, f, d)                                                                           \
    { n, EKind::kNumber, VXP_FIELD(f), d, nullptr, ERule::kAny, 0, 0, 0, 0, false }
#define VXP_CLAMP(n, f, d, lo, loV, hi, hiV)                                                       \
    { n, EKind::kNumber, VXP_FIELD(f), d, nullptr, ERule::kClamp, lo, loV, hi, hiV, false }
#define VXP_TEXT(n, f, t, r)                                                                       \
    { n, EKind::kText, VXP_FIELD(f), 0, t, r, 0, 0, 0, 0, false }

// Every value in the order in which it is read (and written). Clamps are
// applied as unsigned numbers.
const OptionRow kOptionRows[] = {
    VXP_BOOL("TrayIcon", trayIcon, 1),
    VXP_CLAMP("SortBy", sortBy, 1, 2, 1, 4, 4),
    VXP_CLAMP("SortOrder", sortOrder, 1, 2, 1, 2, 2),
    VXP_BOOL_LOAD("Halftone", halftone, 1),
    VXP_TEXT("ExplorerHomeFolder", explorerHomeFolder, nullptr, ERule::kExistingFolder),
    VXP_TEXT("ExplorerMyCollectionsFolder", explorerMyCollectionsFolder, nullptr,
             ERule::kExistingFolder),
    VXP_BOOL_LOAD("ShowWelcome", showWelcome, 0),
    VXP_BOOL("ExplorerConfirmDeletion", explorerConfirmDeletion, 1),
    VXP_BOOL("ExplorerHotTrack", explorerHotTrack, 0),
    VXP_BOOL("ExplorerSaveConfirmation", explorerSaveConfirmation, 1),
    VXP_BOOL_LOAD("ExplorerPreload", explorerPreload, 1),
    VXP_BOOL_LOAD("ExplorerCacheBehind", explorerCacheBehind, 0),
    VXP_BOOL("ExplorerBatchProcessedSaveConfirmation", explorerBatchProcessedSaveConfirmation, 1),
    VXP_BOOL("ExplorerDetectNewDevice", explorerDetectNewDevice, 1),
    VXP_NUM("ExplorerNewDeviceActionDlgDefAction", explorerNewDeviceActionDlgDefAction, 0),
    VXP_BOOL("ExplorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded",
             explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded, 1),
    VXP_BOOL("ExplorerNewDeviceActionDlgDefPictureOnly", explorerNewDeviceActionDlgDefPictureOnly,
             0),
    VXP_BOOL("ExplorerFindDlgDefKeyword", explorerFindDlgDefKeyword, 0),
    VXP_BOOL("ExplorerFindDlgDefAuthor", explorerFindDlgDefAuthor, 0),
    VXP_BOOL("ExplorerFindDlgDefMatchCase", explorerFindDlgDefMatchCase, 0),
    VXP_BOOL("ExplorerFindDlgDefName", explorerFindDlgDefName, 0),
    VXP_BOOL("ExplorerFindDlgDefLookInSubfolders", explorerFindDlgDefLookInSubfolders, 0),
    VXP_BOOL("ExplorerThumbnailCache", explorerThumbnailCache, 1),
    VXP_NUM("ExplorerThumbnailBackgroundColor", explorerThumbnailBackgroundColor, 14403765),
    VXP_NUM("ExplorerPreviewBackgroundColor", explorerPreviewBackgroundColor, 12623485),
    VXP_CLAMP("ExplorerThumbnailWidth", explorerThumbnailWidth, 100, 51, 50, 199, 200),
    VXP_CLAMP("ExplorerThumbnailHeight", explorerThumbnailHeight, 100, 51, 50, 199, 200),
    VXP_CLAMP("ExplorerThumbnailXSpace", explorerThumbnailXSpace, 10, 0, 0, 99, 100),
    VXP_CLAMP("ExplorerThumbnailYSpace", explorerThumbnailYSpace, 20, 0, 0, 99, 100),
    VXP_NUM("ViewerLeft", viewerLeft, 0),
    VXP_NUM("ViewerTop", viewerTop, 0),
    VXP_NUM("ViewerRight", viewerRight, 0),
    VXP_NUM("ViewerBottom", viewerBottom, 0),
    VXP_BOOL("ViewerMaximized", viewerMaximized, 0),
    VXP_CLAMP("ViewerMouseWheel", viewerMouseWheel, 0, 0, 0, 2, 2),
    {"ViewerMouseLDblClk", EKind::kNumber, VXP_FIELD(viewerMouseLDblClk), 0, nullptr,
     ERule::kNonZeroIsOne, 0, 0, 0, 0, false},
    VXP_NUM("ViewerZoomType", viewerZoomType, 2),
    VXP_BOOL("ViewerShowToolbar", viewerShowToolbar, 1),
    VXP_BOOL("ViewerResizeFitImage", viewerResizeFitImage, 0),
    VXP_BOOL("ViewerConfirmDeletion", viewerConfirmDeletion, 1),
    VXP_BOOL("ViewerSaveConfirmation", viewerSaveConfirmation, 1),
    VXP_BOOL("ViewerRepeat", viewerRepeat, 1),
    VXP_NUM("ViewerBackgroundClr", viewerBackgroundClr, 12623485),
    VXP_BOOL("ViewerFullscreen", viewerFullscreen, 0),
    VXP_BOOL("ViewerFullscreenShowMenu", viewerFullscreenShowMenu, 0),
    VXP_BOOL("ViewerCloseReturnExplorer", viewerCloseReturnExplorer, 1),
    VXP_BOOL_LOAD("ViewerPreload", viewerPreload, 1),
    VXP_BOOL_LOAD("ViewerCacheBehind", viewerCacheBehind, 0),
    {"OutuptSettingEncoderType", EKind::kNumber, VXP_FIELD(outputSettingEncoderType), 7, nullptr,
     ERule::kRangeOrDefault, 1, 0, 8, 0, false},
    VXP_TEXT("OutuptSettingFilenamePath", outputSettingFilenamePath, nullptr,
             ERule::kHomeFolderFirst),
    VXP_TEXT("OutuptSettingFilenamePrefix", outputSettingFilenamePrefix, "PHOTO", ERule::kAny),
    VXP_NUM("OutuptSettingSequenceStartAt", outputSettingSequenceStartAt, 1),
    VXP_NUM("OutuptSettingPaddingZero", outputSettingPaddingZero, 0),
    VXP_NUM("SlideShowSequence", slideShowSequence, 0),
    VXP_BOOL("SlideShowRepeat", slideShowRepeat, 1),
    VXP_CLAMP("SlideShowDelay", slideShowDelay, 5000, 101, 100, 999999, 1000000),
    VXP_BOOL("SlideShowFullscreen", slideShowFullscreen, 1),
    VXP_BOOL("SlideShowCaption", slideShowCaption, 0),
    VXP_NUM("SlideShowPlay", slideShowPlay, 0),
    VXP_BOOL("BrightnessContrastDialogPreview", brightnessContrastDialogPreview, 1),
    VXP_BOOL("ColorBalanceDialogPreview", colorBalanceDialogPreview, 1),
    VXP_BOOL("HueSaturationDialogPreview", hueSaturationDialogPreview, 1),
    VXP_BOOL("PosterizeDialogPreview", posterizeDialogPreview, 1),
    VXP_NUM("JPEGQuality", jpeg.quality, 75),
    VXP_BOOL("JPEGOptimizeCoding", jpeg.optimizeCoding, 1),
    VXP_BOOL("JPEGBaseline", jpeg.baseline, 1),
    VXP_BOOL("JPEGPreserveMetadata", jpeg.preserveMetadata, 1),
    VXP_BOOL("PNGInterlace", pngInterlace, 0),
    VXP_BOOL("MarqueeDimensions", marqueeDimensions, 0),
    VXP_NUM("MarqueeWidth", marqueeWidth, 0),
    VXP_NUM("MarqueeHeight", marqueeHeight, 0),
    VXP_BOOL("FolderPreviewActivate", folderPreviewActivate, 1),
    VXP_BOOL("FolderPreviewCtrlActivate", folderPreviewCtrlActivate, 1),
    VXP_NUM("FolderPreviewHoverTime", folderPreviewHoverTime, 25),
    VXP_NUM("FolderPreviewThumbnails", folderPreviewThumbnails, 4),
    VXP_NUM("FolderPreviewThumbnailColor", folderPreviewThumbnailColor, 14811135),
    VXP_NUM("FolderPreviewFrameColor", folderPreviewFrameColor, 14811135),
};

#undef VXP_FIELD
#undef VXP_BOOL
#undef VXP_BOOL_LOAD
#undef VXP_NUM
#undef VXP_CLAMP
#undef VXP_TEXT

constexpr uint32_t kSlideShowCaptionColor = 255; // red

// Field access through the row's offset; signed fields (the viewer rectangle)
// share the unsigned representation.
bool& BoolField(CAppOptions* o, const OptionRow& row) {
    return *reinterpret_cast<bool*>(reinterpret_cast<char*>(o) + row.offset);
}
uint32_t* NumberField(CAppOptions* o, const OptionRow& row) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(o) + row.offset);
}
char* TextField(CAppOptions* o, const OptionRow& row) {
    return reinterpret_cast<char*>(o) + row.offset;
}
bool BoolValue(const CAppOptions& o, const OptionRow& row) {
    return *reinterpret_cast<const bool*>(reinterpret_cast<const char*>(&o) + row.offset);
}
uint32_t NumberValue(const CAppOptions& o, const OptionRow& row) {
    return *reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(&o) + row.offset);
}
const char* TextField(const CAppOptions& o, const OptionRow& row) {
    return reinterpret_cast<const char*>(&o) + row.offset;
}

void CopyText(char* field, const char* text) {
    std::strncpy(field, text, kOptionTextSize - 1);
    field[kOptionTextSize - 1] = '\0';
}

uint32_t ApplyRule(const OptionRow& row, uint32_t stored, uint32_t current) {
    switch (row.rule) {
    case ERule::kClamp:
        if (stored < row.low)
            return row.lowValue;
        if (stored > row.high)
            return row.highValue;
        return stored;
    case ERule::kRangeOrDefault:
        return stored >= row.low && stored <= row.high ? stored : current;
    case ERule::kNonZeroIsOne:
        return stored != 0 ? 1 : 0;
    default:
        return stored;
    }
}

void ReadRow(CAppOptions* o, const OptionRow& row, IOptionStore& store, IOptionsHost& host) {
    if (row.kind == EKind::kBool) {
        uint32_t stored = 0;
        if (store.ReadNumber(row.name, &stored))
            BoolField(o, row) = stored == 1;
        return;
    }
    if (row.kind == EKind::kNumber) {
        uint32_t stored = 0;
        uint32_t* field = NumberField(o, row);
        if (store.ReadNumber(row.name, &stored))
            *field = ApplyRule(row, stored, *field);
        return;
    }
    char* field = TextField(o, row);
    if (row.rule == ERule::kHomeFolderFirst)
        CopyText(field, o->explorerHomeFolder);
    char stored[kOptionTextSize] = {};
    if (!store.ReadText(row.name, stored, sizeof stored))
        return;
    stored[kOptionTextSize - 1] = '\0';
    // Folders typed into the key by hand may use either separator.
    if (row.rule == ERule::kExistingFolder || row.rule == ERule::kHomeFolderFirst)
        path_parts::NormalizeInPlace(stored);
    if (row.rule == ERule::kExistingFolder && (stored[0] == '\0' || !host.PathExists(stored)))
        return;
    CopyText(field, stored);
}

} // namespace

void SetDefaultOptions(CAppOptions* options, IOptionsHost& host) {
    *options = CAppOptions();
    char folder[kOptionTextSize] = {};
    if (!host.GetDefaultFolder(folder))
        folder[0] = '\0';
    folder[kOptionTextSize - 1] = '\0';
    for (const OptionRow& row : kOptionRows) {
        switch (row.kind) {
        case EKind::kBool:
            BoolField(options, row) = row.defaultValue != 0;
            break;
        case EKind::kNumber:
            *NumberField(options, row) = row.defaultValue;
            break;
        case EKind::kText:
            CopyText(TextField(options, row), row.defaultText ? row.defaultText : folder);
            break;
        }
    }
    options->slideShowCaptionColor = kSlideShowCaptionColor;
}

bool LoadAppOptions(CAppOptions* options, IOptionStore& store, IOptionsHost& host) {
    SetDefaultOptions(options, host);
    if (!store.Open())
        return false;
    for (const OptionRow& row : kOptionRows)
        ReadRow(options, row, store, host);
    store.Close();
    return true;
}

bool SaveAppOptions(const CAppOptions& options, IOptionStore& store) {
    if (!store.Open())
        return false;
    bool ok = true;
    for (const OptionRow& row : kOptionRows) {
        if (row.loadOnly)
            continue;
        switch (row.kind) {
        case EKind::kBool:
            ok = store.WriteNumber(row.name, BoolValue(options, row) ? 1 : 0) && ok;
            break;
        case EKind::kNumber:
            ok = store.WriteNumber(row.name, NumberValue(options, row)) && ok;
            break;
        case EKind::kText: {
            // A text is written only up to its buffer, terminated or not.
            char text[kOptionTextSize];
            std::memcpy(text, TextField(options, row), kOptionTextSize);
            text[kOptionTextSize - 1] = '\0';
            ok = store.WriteText(row.name, text) && ok;
            break;
        }
        }
    }
    store.Close();
    return ok;
}

#ifdef _WIN32

namespace {
constexpr REGSAM kOptionsKeyAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE; // 0x2001F
// Texts longer than this are damage, not settings: they keep the default
// rather than make the read allocate without bound.
constexpr DWORD kMaxStoredText = 64 * 1024;

HKEY AsKey(uintptr_t key) {
    return reinterpret_cast<HKEY>(key);
}
} // namespace

CRegistryOptionStore::CRegistryOptionStore(const char* keyPath)
    : m_keyPath(keyPath ? keyPath : kOptionsKeyPath) {}

CRegistryOptionStore::~CRegistryOptionStore() {
    Close();
}

bool CRegistryOptionStore::Open() {
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kOptionsKeyAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    m_key = reinterpret_cast<uintptr_t>(key);
    return true;
}

void CRegistryOptionStore::Close() {
    if (m_key) {
        RegCloseKey(AsKey(m_key));
        m_key = 0;
    }
}

bool CRegistryOptionStore::ReadNumber(const char* name, uint32_t* value) {
    if (!m_key)
        return false;
    DWORD type = 0;
    DWORD stored = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(AsKey(m_key), name, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof stored)
        return false;
    *value = stored;
    return true;
}

bool CRegistryOptionStore::ReadText(const char* name, char* text, size_t size) {
    if (!m_key || !text || size == 0)
        return false;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExA(AsKey(m_key), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ || bytes > kMaxStoredText)
        return false;
    std::vector<char> stored(static_cast<size_t>(bytes) + 1, '\0');
    DWORD read = bytes;
    if (RegQueryValueExA(AsKey(m_key), name, nullptr, &type, reinterpret_cast<BYTE*>(stored.data()),
                         &read) != ERROR_SUCCESS ||
        type != REG_SZ || read > bytes)
        return false;
    stored[read] = '\0'; // a value stored without its terminator still ends here
    const size_t length = std::strlen(stored.data());
    const size_t kept = length < size - 1 ? length : size - 1;
    std::memcpy(text, stored.data(), kept);
    text[kept] = '\0';
    return true;
}

bool CRegistryOptionStore::WriteNumber(const char* name, uint32_t value) {
    const DWORD stored = value;
    return m_key &&
           RegSetValueExA(AsKey(m_key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                          sizeof stored) == ERROR_SUCCESS;
}

bool CRegistryOptionStore::WriteText(const char* name, const char* text) {
    if (!m_key || !text)
        return false;
    const size_t length = std::strlen(text);
    if (length >= kMaxStoredText)
        return false;
    return RegSetValueExA(AsKey(m_key), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(length + 1)) == ERROR_SUCCESS;
}

bool CShellOptionsHost::GetDefaultFolder(char* folder) {
    folder[0] = '\0';
    const int kMyPicturesCreate = CSIDL_MYPICTURES | CSIDL_FLAG_CREATE; // 0x8027
    const int kMyDocumentsCreate = CSIDL_PERSONAL | CSIDL_FLAG_CREATE;  // 0x8005
    if (SUCCEEDED(SHGetFolderPathA(nullptr, kMyPicturesCreate, nullptr, 0, folder)))
        return true;
    folder[0] = '\0';
    if (SUCCEEDED(SHGetFolderPathA(nullptr, kMyDocumentsCreate, nullptr, 0, folder)))
        return true;
    folder[0] = '\0';
    return false;
}

bool CShellOptionsHost::PathExists(const char* path) {
    return path && path[0] && PathFileExistsA(path) != FALSE;
}

#endif // _WIN32
