#include "app/options.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const char kTestRoot[] = "Software\\VelmorantixTests\\Options";
const char kDefaultFolder[] = "C:\\Default\\Pictures";

// A default folder and a file system of the test's choosing.
class FakeHost : public IOptionsHost {
public:
    bool GetDefaultFolder(char* folder) override {
        std::strcpy(folder, kDefaultFolder);
        return true;
    }
    bool PathExists(const char* path) override { return existing.count(path) != 0; }
    std::set<std::string> existing = {kDefaultFolder, "C:\\Stored\\Home"};
};

struct Value {
    DWORD type;
    std::vector<uint8_t> bytes;
    bool operator==(const Value& o) const { return type == o.type && bytes == o.bytes; }
};
using Dump = std::map<std::string, Value>;

// A scratch key below HKCU, emptied for each test.
class OptionsKey : public ::testing::Test {
protected:
    void SetUp() override {
        path = std::string(kTestRoot) + "\\" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }
    void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()); }

    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    void SetDword(const char* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof value); }
    void SetText(const char* name, const std::string& text, DWORD type = REG_SZ) {
        SetRaw(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    Dump Read() {
        Dump dump;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return dump;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD nameSize = sizeof name;
            BYTE data[1024];
            DWORD dataSize = sizeof data;
            DWORD type = 0;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
                ERROR_SUCCESS)
                break;
            dump[name] = Value{type, std::vector<uint8_t>(data, data + dataSize)};
        }
        RegCloseKey(key);
        return dump;
    }

    CAppOptions Load() {
        CAppOptions options;
        CRegistryOptionStore store(path.c_str());
        EXPECT_TRUE(LoadAppOptions(&options, store, host));
        return options;
    }
    void Save(const CAppOptions& options) {
        CRegistryOptionStore store(path.c_str());
        EXPECT_TRUE(SaveAppOptions(options, store));
    }

    std::string path;
    FakeHost host;
};

Value Dword(uint32_t v) {
    return Value{REG_DWORD, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}
Value Text(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return Value{REG_SZ, bytes};
}

// Every saved value with its default, as the first save of a fresh key writes it.
Dump SavedDefaults() {
    Dump d;
    const std::pair<const char*, uint32_t> numbers[] = {
        {"TrayIcon", 1},
        {"SortBy", 1},
        {"SortOrder", 1},
        {"ExplorerConfirmDeletion", 1},
        {"ExplorerHotTrack", 0},
        {"ExplorerSaveConfirmation", 1},
        {"ExplorerBatchProcessedSaveConfirmation", 1},
        {"ExplorerDetectNewDevice", 1},
        {"ExplorerNewDeviceActionDlgDefAction", 0},
        {"ExplorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded", 1},
        {"ExplorerNewDeviceActionDlgDefPictureOnly", 0},
        {"ExplorerFindDlgDefKeyword", 0},
        {"ExplorerFindDlgDefAuthor", 0},
        {"ExplorerFindDlgDefMatchCase", 0},
        {"ExplorerFindDlgDefName", 0},
        {"ExplorerFindDlgDefLookInSubfolders", 0},
        {"ExplorerThumbnailCache", 1},
        {"ExplorerThumbnailBackgroundColor", 0xDBC8B5},
        {"ExplorerPreviewBackgroundColor", 0xC09E7D},
        {"ExplorerThumbnailWidth", 100},
        {"ExplorerThumbnailHeight", 100},
        {"ExplorerThumbnailXSpace", 10},
        {"ExplorerThumbnailYSpace", 20},
        {"ViewerLeft", 0},
        {"ViewerTop", 0},
        {"ViewerRight", 0},
        {"ViewerBottom", 0},
        {"ViewerMaximized", 0},
        {"ViewerMouseWheel", 0},
        {"ViewerMouseLDblClk", 0},
        {"ViewerZoomType", 2},
        {"ViewerShowToolbar", 1},
        {"ViewerResizeFitImage", 0},
        {"ViewerConfirmDeletion", 1},
        {"ViewerSaveConfirmation", 1},
        {"ViewerRepeat", 1},
        {"ViewerBackgroundClr", 0xC09E7D},
        {"ViewerFullscreen", 0},
        {"ViewerFullscreenShowMenu", 0},
        {"ViewerCloseReturnExplorer", 1},
        {"OutuptSettingEncoderType", 7},
        {"OutuptSettingSequenceStartAt", 1},
        {"OutuptSettingPaddingZero", 0},
        {"SlideShowSequence", 0},
        {"SlideShowRepeat", 1},
        {"SlideShowDelay", 5000},
        {"SlideShowFullscreen", 1},
        {"SlideShowCaption", 0},
        {"SlideShowPlay", 0},
        {"BrightnessContrastDialogPreview", 1},
        {"ColorBalanceDialogPreview", 1},
        {"HueSaturationDialogPreview", 1},
        {"PosterizeDialogPreview", 1},
        {"JPEGQuality", 75},
        {"JPEGOptimizeCoding", 1},
        {"JPEGBaseline", 1},
        {"JPEGPreserveMetadata", 1},
        {"PNGInterlace", 0},
        {"MarqueeDimensions", 0},
        {"MarqueeWidth", 0},
        {"MarqueeHeight", 0},
        {"FolderPreviewActivate", 1},
        {"FolderPreviewCtrlActivate", 1},
        {"FolderPreviewHoverTime", 25},
        {"FolderPreviewThumbnails", 4},
        {"FolderPreviewThumbnailColor", 0xE1FFFF},
        {"FolderPreviewFrameColor", 0xE1FFFF},
    };
    for (const auto& n : numbers)
        d[n.first] = Dword(n.second);
    d["ExplorerHomeFolder"] = Text(kDefaultFolder);
    d["ExplorerMyCollectionsFolder"] = Text(kDefaultFolder);
    d["OutuptSettingFilenamePath"] = Text(kDefaultFolder);
    d["OutuptSettingFilenamePrefix"] = Text("PHOTO");
    return d;
}

TEST_F(OptionsKey, FreshKeyGivesDefaultsAndTheFirstSaveWritesThem) {
    const CAppOptions options = Load();
    EXPECT_TRUE(options.trayIcon);
    EXPECT_TRUE(options.halftone);
    EXPECT_FALSE(options.showWelcome);
    EXPECT_TRUE(options.explorerPreload);
    EXPECT_FALSE(options.explorerCacheBehind);
    EXPECT_TRUE(options.viewerPreload);
    EXPECT_FALSE(options.viewerCacheBehind);
    EXPECT_EQ(255u, options.slideShowCaptionColor);
    EXPECT_EQ(75u, options.jpeg.quality);
    EXPECT_STREQ(kDefaultFolder, options.explorerHomeFolder);

    Save(options);
    const Dump saved = Read();
    const Dump expected = SavedDefaults();
    EXPECT_EQ(71u, expected.size()); // the oracle itself lists every saved value
    for (const auto& e : expected) {
        auto found = saved.find(e.first);
        ASSERT_NE(saved.end(), found) << e.first;
        EXPECT_TRUE(found->second == e.second) << e.first;
    }
    EXPECT_EQ(expected.size(), saved.size()); // the load-only values are never written
    for (const char* loadOnly : {"Halftone", "ShowWelcome", "ExplorerPreload",
                                 "ExplorerCacheBehind", "ViewerPreload", "ViewerCacheBehind"})
        EXPECT_EQ(0u, saved.count(loadOnly)) << loadOnly;
}

TEST_F(OptionsKey, StoredNumbersAreClampedAsTheyLoad) {
    struct Case {
        const char* name;
        uint32_t stored;
        uint32_t loaded;
    };
    const Case cases[] = {
        {"ExplorerThumbnailWidth", 10, 50},
        {"ExplorerThumbnailWidth", 50, 50},
        {"ExplorerThumbnailWidth", 51, 51},
        {"ExplorerThumbnailWidth", 500, 200},
        {"ExplorerThumbnailHeight", 199, 199},
        {"ExplorerThumbnailHeight", 200, 200},
        {"ExplorerThumbnailXSpace", 0xFFFFFFFFu, 100},
        {"ExplorerThumbnailYSpace", 99, 99},
        {"SlideShowDelay", 50, 100},
        {"SlideShowDelay", 101, 101},
        {"SlideShowDelay", 2000000, 1000000},
        {"OutuptSettingEncoderType", 0, 7},
        {"OutuptSettingEncoderType", 9, 7},
        {"OutuptSettingEncoderType", 3, 3},
        {"SortBy", 0, 1},
        {"SortBy", 9, 4},
        {"SortBy", 3, 3},
        {"SortOrder", 5, 2},
        {"ViewerMouseWheel", 7, 2},
        {"ViewerMouseLDblClk", 5, 1},
        {"TrayIcon", 2, 0}, // a boolean is true only for exactly 1
        {"ViewerRepeat", 0xFFFFFFFFu, 0},
        {"ExplorerHotTrack", 1, 1},
        {"ViewerLeft", 0xFFFFFF9Cu, 0xFFFFFF9Cu}, // -100: the rectangle is signed
        {"JPEGQuality", 1000, 1000},
    };
    for (const Case& c : cases) {
        SetDword(c.name, c.stored);
        Save(Load());
        const Dump saved = Read();
        ASSERT_EQ(1u, saved.count(c.name)) << c.name;
        EXPECT_TRUE(saved.at(c.name) == Dword(c.loaded)) << c.name << " stored " << c.stored;
    }
    SetDword("ViewerLeft", static_cast<DWORD>(-100));
    EXPECT_EQ(-100, Load().viewerLeft);
}

TEST_F(OptionsKey, ValuesOfTheWrongTypeKeepTheDefault) {
    const uint32_t three = 3;
    const uint16_t shortOne = 1;
    SetText("TrayIcon", "0");                                     // text for a boolean
    SetRaw("SortBy", REG_BINARY, &three, sizeof three);           // binary for a number
    SetRaw("JPEGQuality", REG_DWORD, &shortOne, sizeof shortOne); // a DWORD of 2 bytes
    SetText("ExplorerHomeFolder", "C:\\Stored\\Home", REG_EXPAND_SZ);
    SetDword("OutuptSettingFilenamePrefix", 5);
    SetText("ExplorerMyCollectionsFolder", "C:\\Deleted\\Folder"); // no longer exists
    const CAppOptions options = Load();
    EXPECT_TRUE(options.trayIcon);
    EXPECT_EQ(1u, options.sortBy);
    EXPECT_EQ(75u, options.jpeg.quality);
    EXPECT_STREQ(kDefaultFolder, options.explorerHomeFolder);
    EXPECT_STREQ(kDefaultFolder, options.explorerMyCollectionsFolder);
    EXPECT_STREQ("PHOTO", options.outputSettingFilenamePrefix);

    Save(options); // replaced by values of the right type
    const Dump saved = Read();
    EXPECT_TRUE(saved.at("ExplorerHomeFolder") == Text(kDefaultFolder));
    EXPECT_TRUE(saved.at("TrayIcon") == Dword(1));
    EXPECT_TRUE(saved.at("OutuptSettingFilenamePrefix") == Text("PHOTO"));
}

TEST_F(OptionsKey, TextsAreCutAndTerminated) {
    SetText("OutuptSettingFilenamePrefix", std::string(300, 'x'));
    const char unterminated[] = {'I', 'M', 'G'};
    SetRaw("OutuptSettingFilenamePath", REG_SZ, unterminated, sizeof unterminated);
    SetText("ExplorerHomeFolder", "C:\\Stored\\Home");
    CAppOptions options = Load();
    EXPECT_EQ(std::string(259, 'x'), options.outputSettingFilenamePrefix);
    EXPECT_STREQ("IMG", options.outputSettingFilenamePath);
    EXPECT_STREQ("C:\\Stored\\Home", options.explorerHomeFolder);

    // Without a stored output path, it follows the home folder just read.
    SHDeleteValueA(HKEY_CURRENT_USER, path.c_str(), "OutuptSettingFilenamePath");
    options = Load();
    EXPECT_STREQ("C:\\Stored\\Home", options.outputSettingFilenamePath);

    // A field that lost its terminator in memory is still saved bounded.
    std::memset(options.outputSettingFilenamePrefix, 'y', kOptionTextSize);
    Save(options);
    EXPECT_TRUE(Read().at("OutuptSettingFilenamePrefix") == Text(std::string(259, 'y')));
}

TEST_F(OptionsKey, SaveThenLoadRoundTrips) {
    CAppOptions options = Load();
    options.trayIcon = false;
    options.sortBy = 3;
    options.viewerLeft = -20;
    options.viewerBottom = 700;
    options.viewerMouseLDblClk = 1;
    options.slideShowDelay = 2500;
    options.viewerBackgroundClr = 0x123456;
    options.explorerThumbnailWidth = 150;
    options.jpeg.preserveMetadata = false;
    options.pngInterlace = true;
    options.marqueeHeight = 480;
    std::strcpy(options.explorerHomeFolder, "C:\\Stored\\Home");
    std::strcpy(options.outputSettingFilenamePrefix, "Trip ");
    Save(options);
    const Dump first = Read();

    const CAppOptions loaded = Load();
    EXPECT_FALSE(loaded.trayIcon);
    EXPECT_EQ(3u, loaded.sortBy);
    EXPECT_EQ(-20, loaded.viewerLeft);
    EXPECT_EQ(700, loaded.viewerBottom);
    EXPECT_EQ(1u, loaded.viewerMouseLDblClk);
    EXPECT_EQ(2500u, loaded.slideShowDelay);
    EXPECT_EQ(0x123456u, loaded.viewerBackgroundClr);
    EXPECT_EQ(150u, loaded.explorerThumbnailWidth);
    EXPECT_FALSE(loaded.jpeg.preserveMetadata);
    EXPECT_TRUE(loaded.pngInterlace);
    EXPECT_EQ(480u, loaded.marqueeHeight);
    EXPECT_STREQ("C:\\Stored\\Home", loaded.explorerHomeFolder);
    EXPECT_STREQ("Trip ", loaded.outputSettingFilenamePrefix);

    Save(loaded);
    EXPECT_TRUE(first == Read());
}

// A store that cannot be opened: the load keeps the defaults, never zeros.
class ClosedStore : public IOptionStore {
public:
    bool Open() override { return false; }
    void Close() override {}
    bool ReadNumber(const char*, uint32_t*) override { return false; }
    bool ReadText(const char*, char*, size_t) override { return false; }
    bool WriteNumber(const char*, uint32_t) override { return false; }
    bool WriteText(const char*, const char*) override { return false; }
};

TEST(Options, UnopenableKeyLeavesDefaults) {
    FakeHost host;
    ClosedStore store;
    CAppOptions options;
    EXPECT_FALSE(LoadAppOptions(&options, store, host));
    EXPECT_EQ(100u, options.explorerThumbnailWidth);
    EXPECT_EQ(5000u, options.slideShowDelay);
    EXPECT_EQ(1u, options.sortBy);
    EXPECT_TRUE(options.trayIcon);
    EXPECT_STREQ(kDefaultFolder, options.outputSettingFilenamePath);
    EXPECT_STREQ("PHOTO", options.outputSettingFilenamePrefix);
    EXPECT_FALSE(SaveAppOptions(options, store));
}

TEST(Options, ShellHostGivesAnExistingDefaultFolder) {
    CShellOptionsHost host;
    char folder[kOptionTextSize] = {};
    ASSERT_TRUE(host.GetDefaultFolder(folder));
    EXPECT_NE('\0', folder[0]);
    EXPECT_TRUE(host.PathExists(folder));
    EXPECT_FALSE(host.PathExists(""));
    EXPECT_FALSE(host.PathExists("C:\\no such folder\\at all"));
}

} // namespace
