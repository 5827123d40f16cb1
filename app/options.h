// The user's settings of the main program and their storage as values under
// one registry key of the current user.
//
// Key: HKCU "Software\Velmorantix\Velmorantix XP", opened (created when
// missing) with KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE and closed
// after each load or save. Numbers, colours (COLORREF) and booleans are
// REG_DWORD of 4 bytes, a boolean as 0 or 1; the two folders, the output
// path and the file-name prefix are REG_SZ with their terminating zero. The
// value names keep their stored spelling ("Outupt..."). Six values are read
// but never written by the save: Halftone, ShowWelcome, ExplorerPreload,
// ExplorerCacheBehind, ViewerPreload, ViewerCacheBehind; the save writes the
// other 71 (67 REG_DWORD, 4 REG_SZ).
//
// Reading: every option first gets its default, so a key that cannot be
// opened, a missing value, a value of another type or size, or an unreadable
// one all leave the default. A boolean is true only when the stored number is
// exactly 1; the clamps are in the table in options.cpp. A text is cut at 259
// bytes and always terminated. A stored folder is taken only when it exists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kOptionTextSize = 260; // texts hold at most 259 bytes
extern const char kOptionsKeyPath[];    // "Software\\Velmorantix\\Velmorantix XP"

// The JPEG save settings record; its own initialisation is quality 75 with
// the three flags set.
struct CJpegSaveSettings {
    uint32_t quality = 75;
    bool optimizeCoding = true;
    bool baseline = true;
    bool preserveMetadata = true;
};

// The options block, in memory order. Zero until SetDefaultOptions or
// LoadAppOptions fills it. The field comments give the registry value names
// where they differ from the field name.
struct CAppOptions {
    bool trayIcon = false;
    bool halftone = false;  // load only
    uint32_t sortBy = 0;    // 1 name, 2 size, 3 type, 4 modified date
    uint32_t sortOrder = 0; // 1 ascending, 2 descending
    bool brightnessContrastDialogPreview = false;
    bool colorBalanceDialogPreview = false;
    bool hueSaturationDialogPreview = false;
    bool posterizeDialogPreview = false;
    int32_t viewerLeft = 0;
    int32_t viewerTop = 0;
    int32_t viewerRight = 0;
    int32_t viewerBottom = 0;
    bool viewerMaximized = false;
    uint32_t viewerZoomType = 0;
    bool viewerShowToolbar = false;
    bool viewerResizeFitImage = false;
    bool viewerFullscreen = false;
    bool viewerFullscreenShowMenu = false;
    bool viewerCloseReturnExplorer = false;
    bool viewerConfirmDeletion = false;
    bool viewerSaveConfirmation = false;
    bool viewerRepeat = false;
    bool viewerPreload = false;     // load only
    bool viewerCacheBehind = false; // load only
    uint32_t viewerMouseWheel = 0;
    uint32_t viewerMouseLDblClk = 0;
    uint32_t viewerBackgroundClr = 0;
    bool slideShowFullscreen = false;
    bool slideShowCaption = false;
    uint32_t slideShowSequence = 0;
    bool slideShowRepeat = false;
    uint32_t slideShowDelay = 0; // milliseconds
    uint32_t slideShowPlay = 0;
    uint32_t slideShowCaptionColor = 0; // not stored; 255 after each load
    char explorerHomeFolder[kOptionTextSize] = {};
    char explorerMyCollectionsFolder[kOptionTextSize] = {};
    uint32_t explorerThumbnailWidth = 0;
    uint32_t explorerThumbnailHeight = 0;
    uint32_t explorerThumbnailXSpace = 0;
    uint32_t explorerThumbnailYSpace = 0;
    bool showWelcome = false; // load only
    bool explorerConfirmDeletion = false;
    bool explorerSaveConfirmation = false;
    bool explorerPreload = false;     // load only
    bool explorerCacheBehind = false; // load only
    bool explorerBatchProcessedSaveConfirmation = false;
    bool explorerHotTrack = false;
    bool explorerDetectNewDevice = false;
    uint32_t explorerNewDeviceActionDlgDefAction = 0;
    bool explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded = false;
    bool explorerNewDeviceActionDlgDefPictureOnly = false;
    bool explorerFindDlgDefKeyword = false;
    bool explorerFindDlgDefAuthor = false;
    bool explorerFindDlgDefMatchCase = false;
    bool explorerFindDlgDefName = false;
    bool explorerFindDlgDefLookInSubfolders = false;
    bool explorerThumbnailCache = false;
    uint32_t explorerThumbnailBackgroundColor = 0;
    uint32_t explorerPreviewBackgroundColor = 0;
    bool folderPreviewActivate = false;
    bool folderPreviewCtrlActivate = false;
    uint32_t folderPreviewThumbnailColor = 0;
    uint32_t folderPreviewFrameColor = 0;
    uint32_t folderPreviewHoverTime = 0;
    uint32_t folderPreviewThumbnails = 0;
    uint32_t outputSettingEncoderType = 0;                  // OutuptSettingEncoderType
    char outputSettingFilenamePrefix[kOptionTextSize] = {}; // OutuptSettingFilenamePrefix
    char outputSettingFilenamePath[kOptionTextSize] = {};   // OutuptSettingFilenamePath
    uint32_t outputSettingSequenceStartAt = 0;              // OutuptSettingSequenceStartAt
    uint32_t outputSettingPaddingZero = 0;                  // OutuptSettingPaddingZero
    CJpegSaveSettings jpeg; // JPEGQuality, JPEGOptimizeCoding, JPEGBaseline, JPEGPreserveMetadata
    bool pngInterlace = false; // PNGInterlace
    bool marqueeDimensions = false;
    uint32_t marqueeWidth = 0;
    uint32_t marqueeHeight = 0;
};

// Where the option values live. Reads succeed only for a value of the right
// type; a failed read leaves the caller's default.
class IOptionStore {
public:
    virtual ~IOptionStore() = default;
    // Opens the key, creating it when missing.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // True only for a REG_DWORD of exactly 4 bytes.
    virtual bool ReadNumber(const char* name, uint32_t* value) = 0;
    // True only for a REG_SZ; the text is cut at size - 1 bytes and
    // terminated.
    virtual bool ReadText(const char* name, char* text, size_t size) = 0;
    virtual bool WriteNumber(const char* name, uint32_t value) = 0;
    virtual bool WriteText(const char* name, const char* text) = 0;
};

// The registry key of the current user (kOptionsKeyPath, or another path
// below HKCU for tests).
class CRegistryOptionStore : public IOptionStore {
public:
    explicit CRegistryOptionStore(const char* keyPath = kOptionsKeyPath);
    ~CRegistryOptionStore() override;
    bool Open() override;
    void Close() override;
    bool ReadNumber(const char* name, uint32_t* value) override;
    bool ReadText(const char* name, char* text, size_t size) override;
    bool WriteNumber(const char* name, uint32_t value) override;
    bool WriteText(const char* name, const char* text) override;

private:
    std::string m_keyPath;
    uintptr_t m_key = 0; // HKEY
};

// The system services the load needs.
class IOptionsHost {
public:
    virtual ~IOptionsHost() = default;
    // The default folder of ExplorerHomeFolder and ExplorerMyCollectionsFolder
    // into a buffer of kOptionTextSize; false leaves it empty.
    virtual bool GetDefaultFolder(char* folder) = 0;
    virtual bool PathExists(const char* path) = 0;
};

// The user's My Pictures folder, else My Documents (both created when
// missing), through SHGetFolderPathA; PathFileExistsA.
class CShellOptionsHost : public IOptionsHost {
public:
    bool GetDefaultFolder(char* folder) override;
    bool PathExists(const char* path) override;
};

// Gives every option its default (the folders from the host).
void SetDefaultOptions(CAppOptions* options, IOptionsHost& host);
// Sets the defaults, then reads every value from the store. Returns whether
// the store could be opened; the options hold their defaults when not.
bool LoadAppOptions(CAppOptions* options, IOptionStore& store, IOptionsHost& host);
// Writes every saved option (not the load-only ones). False when the store
// cannot be opened or a write failed; the remaining values are still written.
bool SaveAppOptions(const CAppOptions& options, IOptionStore& store);
