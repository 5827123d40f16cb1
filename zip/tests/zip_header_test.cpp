#include <cstring>
#include <functional>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_header.h"
#include "zip/zip_platform.h"

namespace {

class ZipHeaderTime : public ::testing::Test {
protected:
    void SetUp() override { ziptest::PinUtc(); }
};

time_t Utc(int year, int month, int day, int hour, int minute, int second) {
    struct tm t;
    std::memset(&t, 0, sizeof t);
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = 0;
    return std::mktime(&t); // local time is UTC in these tests
}

TEST_F(ZipHeaderTime, DosFieldsConvertBothWays) {
    struct Case {
        time_t time;
        uint16_t date;
        uint16_t dosTime;
    } cases[] = {
        {Utc(2024, 6, 15, 13, 45, 30), 0x58CF, 0x6DAF},
        {Utc(1980, 1, 1, 0, 0, 0), 0x0021, 0x0000},
        {Utc(2107, 12, 31, 23, 59, 58), 0xFF9F, 0xBF7D},
    };
    for (const Case& c : cases) {
        CZipEntryHeader h;
        h.SetTime(c.time);
        EXPECT_EQ(h.m_modDate, c.date);
        EXPECT_EQ(h.m_modTime, c.dosTime);
        EXPECT_EQ(h.GetTime(), c.time);
    }
    CZipEntryHeader odd;
    odd.SetTime(Utc(2020, 1, 1, 0, 0, 31)); // odd seconds go down to the 2-second step
    EXPECT_EQ(odd.m_modTime & 0x1F, 15);
}

TEST_F(ZipHeaderTime, YearsOutsideTheFieldAreClampedNotWrapped) {
    CZipEntryHeader early;
    early.SetTime(Utc(1979, 5, 6, 7, 8, 10));
    EXPECT_EQ(early.m_modDate >> 9, 0);
    EXPECT_EQ(early.m_modDate & 0x1F, 6);
    EXPECT_EQ((early.m_modDate >> 5) & 0x0F, 5);
    if (sizeof(time_t) > 4) {
        CZipEntryHeader late;
        late.SetTime(Utc(2150, 1, 1, 0, 0, 0));
        EXPECT_EQ(late.m_modDate >> 9, 0x7F); // 2107, not 2022
    }
    CZipEntryHeader zeroDate; // month and day 0: normalised, no crash
    zeroDate.m_modDate = 0;
    (void)zeroDate.GetTime();
}

struct LocalCase {
    const char* what;
    uint16_t centralFlags;
    std::function<void(uint8_t*)> change;
    bool valid;
};

TEST(ZipHeader, CheckLocalComparesWithTheCentralRecord) {
    const LocalCase cases[] = {
        {"identical", 0, [](uint8_t*) {}, true},
        {"descriptor with zero fields", 8, [](uint8_t* p) { std::memset(p + 14, 0, 12); }, true},
        {"zero fields without descriptor", 0, [](uint8_t* p) { std::memset(p + 14, 0, 12); },
         false},
        {"signature", 0, [](uint8_t* p) { p[0] = 'Q'; }, false},
        {"low flag bits", 0, [](uint8_t* p) { p[6] = 1; }, false},
        {"high flag bits only", 0, [](uint8_t* p) { p[7] = 0x08; }, true},
        {"method", 0, [](uint8_t* p) { p[8] = 9; }, false},
        {"name length", 0, [](uint8_t* p) { p[26] = 4; }, false},
        {"crc", 0, [](uint8_t* p) { p[14] ^= 1; }, false},
    };
    for (const LocalCase& c : cases) {
        CZipEntryHeader h;
        h.SetFileName("abc.jpg");
        h.m_flags = c.centralFlags;
        h.m_method = 8;
        h.m_crc32 = 0x11223344;
        h.m_compressedSize = 10;
        h.m_uncompressedSize = 20;
        uint8_t local[30] = {};
        ZipPut32(local, CZipEntryHeader::kLocalSignature);
        ZipPut16(local + 6, c.centralFlags);
        ZipPut16(local + 8, 8);
        h.GetCrcAndSizes(local + 14);
        ZipPut16(local + 26, 7);
        ZipPut16(local + 28, 5);
        c.change(local);
        uint16_t extra = 0;
        EXPECT_EQ(h.CheckLocalBytes(local, &extra), c.valid) << c.what;
        if (c.valid) {
            EXPECT_EQ(extra, 5) << c.what;
        }
    }
}

TEST(ZipHeader, PrepareDataSetsMethodFlagsAndVersions) {
    struct Case {
        int level;
        bool descriptor;
        bool encrypted;
        uint16_t method;
        uint16_t flags;
        uint32_t compressed;
    } cases[] = {
        {0, false, false, 0, 0, 0}, {1, false, false, 8, 6, 0},  {2, false, false, 8, 4, 0},
        {6, false, false, 8, 0, 0}, {8, false, false, 8, 2, 0},  {9, false, false, 8, 2, 0},
        {6, true, false, 8, 8, 0},  {9, false, true, 8, 11, 12}, {0, false, true, 0, 9, 12},
    };
    for (const Case& c : cases) {
        CZipEntryHeader h;
        h.SetFileName("photo.jpg");
        h.SetSystemCompatibility(ZipPlatformOps::kSystemUnix);
        h.m_crc32 = 5;
        EXPECT_TRUE(h.PrepareData(c.level, c.descriptor, c.encrypted));
        EXPECT_EQ(h.m_method, c.method) << c.level;
        EXPECT_EQ(h.m_flags, c.flags) << c.level;
        EXPECT_EQ(h.m_compressedSize, c.compressed);
        EXPECT_EQ(h.m_crc32, 0u);
        EXPECT_EQ(h.m_versionNeeded, 20);
        EXPECT_EQ(h.m_versionMadeBy, (3 << 8) | 20);
        EXPECT_EQ(h.m_signature, CZipEntryHeader::kCentralSignature);
    }
    CZipEntryHeader folder;
    folder.SetFileName("album/");
    EXPECT_TRUE(folder.PrepareData(6, false, false));
    EXPECT_EQ(folder.m_versionNeeded, 10);
    CZipEntryHeader unknownMethod;
    unknownMethod.m_method = 12;
    EXPECT_TRUE(unknownMethod.PrepareData(6, false, false));
    EXPECT_EQ(unknownMethod.m_method, 8);
    CZipEntryHeader longName;
    longName.SetFileName(std::string(65536, 'n'));
    EXPECT_FALSE(longName.PrepareData(6, false, false));
    EXPECT_EQ(longName.GetSize(true), 30u + 65536u);
}

TEST(ZipHeader, SystemAttributesFollowTheMadeBySystem) {
    struct Case {
        int system;
        const char* name;
        uint32_t external;
        uint32_t attributes;
    } cases[] = {
        {19, "dir/", 0x1234, ZipPlatformOps::kDefaultDirAttributes},
        {19, "file.jpg", 0x1234, ZipPlatformOps::kDefaultFileAttributes},
        {0, "dir/", 0, ZipPlatformOps::kDefaultDirAttributes},
        {0, "file.jpg", 0x21, 0x21},
        {3, "file.jpg", 0100444u << 16, 0x21},
        {3, "dir\\", (040755u << 16) | 0x10, 0x10},
    };
    for (const Case& c : cases) {
        CZipEntryHeader h;
        h.SetSystemCompatibility(c.system);
        h.SetFileName(c.name);
        h.m_externalAttributes = c.external;
        EXPECT_EQ(h.GetSystemAttributes(), c.attributes) << c.name << " " << c.system;
        EXPECT_EQ(h.IsDirectory(), (c.attributes & 0x10) != 0) << c.name;
    }
    CZipEntryHeader unix;
    unix.SetSystemCompatibility(ZipPlatformOps::kSystemUnix);
    unix.SetSystemAttributes(0x01);
    EXPECT_EQ(unix.m_externalAttributes, 0100444u << 16);
}

} // namespace
