#include <cstring>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_exception.h"
#include "zip/zip_header.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"
#include "zip/zip_wildcard.h"

namespace {

struct SplitCase {
    const char* path;
    const char* prefix;
    const char* drive;
    const char* folder;
    const char* title;
    const char* extension;
    const char* filePath;
    const char* noDrive;
};

TEST(ZipPathParts, SplitsLikeTheRuntimeWithTheUncPrefix) {
    const SplitCase cases[] = {
        {"\\\\?\\unc\\server\\share\\a.zip", "\\\\?\\unc\\", "", "server\\share", "a", "zip",
         "\\\\?\\unc\\server\\share", "server\\share\\a.zip"},
        {"\\\\?\\UNC\\s\\a.zip", "\\\\?\\UNC\\", "", "s", "a", "zip", "\\\\?\\UNC\\s", "s\\a.zip"},
        {"\\\\server\\share\\a.zip", "\\\\", "", "server\\share", "a", "zip", "\\\\server\\share",
         "server\\share\\a.zip"},
        {"\\\\?x\\a.zip", "", "", "?x", "a", "zip", "\\?x", "?x\\a.zip"},
        {"\\\\?\\C:\\d\\a.zip", "\\\\?\\", "C:", "d", "a", "zip", "\\\\?\\C:\\d", "d\\a.zip"},
        {"C:\\dir\\sub\\a.tar.gz", "", "C:", "dir\\sub", "a.tar", "gz", "C:\\dir\\sub",
         "dir\\sub\\a.tar.gz"},
        {"C:a.jpg", "", "C:", "", "a", "jpg", "C:", "a.jpg"},
        {"C:\\a.jpg", "", "C:", "", "a", "jpg", "C:\\", "a.jpg"},
        {"/abs/dir/p.jpg", "", "", "abs/dir", "p", "jpg", "\\abs/dir", "abs/dir\\p.jpg"},
        {"a\\b\\", "", "", "a\\b", "", "", "a\\b", "a\\b"},
        {"name", "", "", "", "name", "", "", "name"},
        {".jpg", "", "", "", "", "jpg", "", ".jpg"},
        {"x:y.jpg", "", "x:", "", "y", "jpg", "x:", "y.jpg"},
        {"", "", "", "", "", "", "", ""},
    };
    for (const SplitCase& c : cases) {
        const CZipPathParts p(c.path);
        EXPECT_EQ(p.GetPrefix(), c.prefix) << c.path;
        EXPECT_EQ(p.GetDrive(), c.drive) << c.path;
        EXPECT_EQ(p.GetFolder(), c.folder) << c.path;
        EXPECT_EQ(p.GetTitle(), c.title) << c.path;
        EXPECT_EQ(p.GetExtension(), c.extension) << c.path;
        EXPECT_EQ(p.GetFilePath(), c.filePath) << c.path;
        EXPECT_EQ(p.GetNoDrive(), c.noDrive) << c.path;
    }
    CZipPathParts p("C:\\dir\\a.zip");
    EXPECT_EQ(p.GetFullPath(), "C:\\dir\\a.zip");
    p.SetExtension("..002");
    EXPECT_EQ(p.GetFullPath(), "C:\\dir\\a.002");
    EXPECT_EQ(CZipPathParts("a.zip").GetFullPath(), "a.zip");
}

TEST(ZipPathParts, RemovesAFolderPrefixOnlyAtASeparator) {
    struct Case {
        const char* root;
        const char* path;
        bool removed;
        const char* rest;
    } cases[] = {
        {"photos", "photos\\2020\\a.jpg", true, "2020\\a.jpg"},
        {"Photos\\", "photos\\\\a.jpg", true, "a.jpg"},
        {"photos", "photos", true, ""},
        {"photos", "photoshop\\a.jpg", false, "photoshop\\a.jpg"},
        {"", "a.jpg", false, "a.jpg"},
        {"long\\root\\folder", "long", false, "long"},
    };
    const ZipCompareFunction noCase = GetCompareFunction(false, false);
    for (const Case& c : cases) {
        std::string path = c.path;
        EXPECT_EQ(ZipStr::RemovePathBeginning(c.root, path, noCase), c.removed) << c.path;
        EXPECT_EQ(path, c.rest) << c.path;
    }
    EXPECT_EQ(ZipStr::FormatText("file%i", 7), "file7");
    EXPECT_EQ(ZipStr::FormatText("%s", std::string(3000, 'q').c_str()).size(), 3000u);
}

TEST(ZipPlatformOps, ConvertsAttributesBetweenSystems) {
    using namespace ZipPlatformOps;
    struct Case {
        uint32_t in;
        int from;
        int to;
        uint32_t out;
    } cases[] = {
        {0100444u << 16, kSystemUnix, kSystemDos, 0x21}, // read-only file
        {0100644u << 16, kSystemUnix, kSystemDos, 0x20},
        {0100755u << 16, kSystemUnix, kSystemDos, 0x00},
        {(040755u << 16) | 0x10, kSystemUnix, kSystemDos, 0x10},
        {0100244u << 16, kSystemUnix, kSystemDos, 0x22}, // no owner read: hidden
        {0140755u << 16, kSystemUnix, kSystemDos, 0x00}, // a socket is no folder
        {0x21, kSystemUnix, kSystemDos, 0x21},           // no mode: DOS bits as stored
        {0x01, kSystemDos, kSystemUnix, (0100444u << 16)},
        {0x20, kSystemDos, kSystemUnix, (0100664u << 16)},
        {0x10, kSystemDos, kSystemUnix, (040775u << 16) | 0x10}, // folders can be entered
        {0x11, kSystemDos, kSystemUnix, (040555u << 16) | 0x10},
        {0x02, kSystemDos, kSystemUnix, (0100220u << 16)},
        {0x37, kSystemMac, kSystemDos, 0x11},
        {0x37, kSystemNtfs, kSystemDos, 0x37},
        {0x37, kSystemOs2, kSystemNtfs, 0x37},
        {0x1234, 19, kSystemDos, 0x1234}, // beyond the table: unchanged
        {0x1234, kSystemUnix, kSystemUnix, 0x1234},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertAttributes(c.in, c.from, c.to), c.out)
            << std::oct << c.in << " " << c.from;
    try {
        ConvertAttributes(0x20, 1, kSystemDos);
        FAIL() << "no converter for system 1";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.Cause(), CZipException::kPlatformNotSupported);
    }
    for (int code = 0; code <= 11; ++code)
        EXPECT_EQ(IsSystemHandled(code),
                  code == 0 || code == 3 || code == 6 || code == 7 || code == 10)
            << code;
}

TEST(ZipPlatformOps, NamesOfDosArchivesChangeCodePageAndSeparators) {
    CZipEntryHeader dos;
    dos.SetSystemCompatibility(ZipPlatformOps::kSystemDos);
    dos.SetFileName("dir/f\x82.jpg");
    ZipPlatformOps::ConvertName(dos, true);
    EXPECT_EQ(dos.GetFileName(), "dir\\f\xE9.jpg");
    ZipPlatformOps::ConvertName(dos, false);
    EXPECT_EQ(dos.GetFileName(), "dir/f\x82.jpg");

    CZipEntryHeader unix;
    unix.SetSystemCompatibility(ZipPlatformOps::kSystemUnix);
    unix.SetFileName("dir/f\x82.jpg");
    ZipPlatformOps::ConvertName(unix, true);
    EXPECT_EQ(unix.GetFileName(), "dir\\f\x82.jpg");
    ZipPlatformOps::ConvertName(unix, false);
    EXPECT_EQ(unix.GetFileName(), "dir/f\x82.jpg");
}

TEST(ZipPlatformOps, ForceDirectoryCreatesEveryMissingLevel) {
    const std::string dir = ziptest::Scratch("force_directory");
    EXPECT_TRUE(ZipPlatformOps::ForceDirectory(dir + "\\one\\two\\three\\"));
    EXPECT_TRUE(ZipPlatformOps::IsDirectory(dir + "/one/two/three"));
    EXPECT_EQ(ZipPlatformOps::FileExists(dir + "/one"), -1);
    EXPECT_TRUE(ZipPlatformOps::ForceDirectory(dir + "/one/two")); // already there

    ziptest::WriteAll(dir + "/blocker", {1, 2, 3});
    EXPECT_EQ(ZipPlatformOps::FileExists(dir + "/blocker"), 1);
    EXPECT_FALSE(ZipPlatformOps::ForceDirectory(dir + "/blocker/inside"));
    EXPECT_EQ(ZipPlatformOps::FileExists(dir + "/missing"), 0);
    uint32_t size = 0;
    EXPECT_TRUE(ZipPlatformOps::GetFileSize(dir + "/blocker", &size));
    EXPECT_EQ(size, 3u);
}

TEST(ZipPlatformOps, TemporaryFilesNeedTheSpaceAskedFor) {
    const std::string dir = ziptest::Scratch("temporary");
    const std::string name = ZipPlatformOps::GetTemporaryFileName(dir, 1);
    ASSERT_FALSE(name.empty());
    EXPECT_NE(name.find("ZAR"), std::string::npos);
    EXPECT_EQ(ZipPlatformOps::FileExists(name), 1);
    EXPECT_EQ(ZipPlatformOps::GetTemporaryFileName(dir, UINT64_MAX), "");
    EXPECT_GT(ZipPlatformOps::GetDeviceFreeSpace(dir + "/not/yet/there"), 0u);
}

TEST(ZipPlatformOps, TimesAttributesRemoveAndRename) {
    const std::string dir = ziptest::Scratch("times");
    const std::string a = dir + "/a.txt", b = dir + "/b.txt";
    ziptest::WriteAll(a, {1});
    ziptest::WriteAll(b, {2});
    EXPECT_TRUE(ZipPlatformOps::SetFileModTime(a, 1600000000));
    time_t t = 0;
    EXPECT_TRUE(ZipPlatformOps::GetFileModTime(a, &t));
    EXPECT_EQ(t, 1600000000);
    EXPECT_TRUE(ZipPlatformOps::SetFileAttributes(a, ZipPlatformOps::kAttrReadOnly));
    uint32_t attributes = 0;
    EXPECT_TRUE(ZipPlatformOps::GetFileAttributes(a, &attributes));
    EXPECT_TRUE(attributes & ZipPlatformOps::kAttrReadOnly);
    EXPECT_TRUE(ZipPlatformOps::SetFileAttributes(a, 0));

    // Renaming never replaces an existing file; replacing does.
    EXPECT_FALSE(ZipPlatformOps::RenameFile(a, b, false));
    try {
        ZipPlatformOps::RenameFile(a, b, true);
        FAIL();
    } catch (const CZipException& e) {
        EXPECT_EQ(e.Cause(), CZipException::kNotRenamed);
        EXPECT_EQ(e.FileName(), a);
    }
    EXPECT_TRUE(ZipPlatformOps::ReplaceFile(a, b));
    EXPECT_EQ(ziptest::ReadAll(b), std::vector<uint8_t>{1});
    EXPECT_TRUE(ZipPlatformOps::RemoveFile(b, false));
    try {
        ZipPlatformOps::RemoveFile(b, true);
        FAIL();
    } catch (const CZipException& e) {
        EXPECT_EQ(e.Cause(), CZipException::kNotRemoved);
    }
}

} // namespace
