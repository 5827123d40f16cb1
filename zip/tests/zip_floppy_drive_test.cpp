// Removable-disk spanning on a real drive of the system. The test's own Wine
// prefix has a floppy drive A: over a folder of the build tree (made by
// floppy_prefix.sh); the zip code sees its type, free space and label through
// the system's own calls. Natively there are no drives and nothing runs.
#include <functional>

#include "platform/fs.h"
#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"
#include "zip/zip_platform.h"

namespace {

#ifdef _WIN32

using Bytes = std::vector<uint8_t>;

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CZipException& e) {
        return e.Cause();
    }
    return 0;
}

// Says "go on" to every request, as if the right disk were always there.
class AlwaysInserted : public CZipSpanCallback {
public:
    bool OnDiskChange(int code) override {
        codes.push_back(code);
        return true;
    }
    std::vector<int> codes;
};

Bytes Pattern(size_t n) {
    Bytes out(n);
    uint32_t x = 12345;
    for (uint8_t& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return out;
}

void AddBytes(CZipArchive& archive, const std::string& name, const Bytes& bytes) {
    CZipMemoryStream s;
    s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(archive.AddNewFile(s, name, 0));
}

void RemoveFromFloppy(const char* name) {
    ZipPlatformOps::RemoveFile(std::string("A:\\") + name, false);
}

// The label of the disk in A:. Wine takes the label of a drive that has no
// device into the file ".windows-label" in its root and does not report it
// back through the volume information of a floppy drive, so the file is read
// when the system gives no label.
std::string LabelOfFloppy() {
    std::string label;
    if (plat::Drives().GetLabel("A:\\", &label) && !label.empty())
        return label;
    const std::vector<uint8_t> bytes = ziptest::ReadAll("A:\\.windows-label");
    label.assign(bytes.begin(), bytes.end());
    while (!label.empty() && (label.back() == '\n' || label.back() == '\r'))
        label.pop_back();
    return label;
}

TEST(FloppyDrive, OnlyTheFloppyDriveIsRemovable) {
    struct Case {
        const char* path;
        bool removable;
    };
    const Case cases[] = {
        {"A:\\set.zip", true},
        {"A:\\", true},
        {"C:\\windows\\set.zip", false},
        {"Z:\\tmp\\set.zip", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZipPlatformOps::IsDriveRemovable(c.path), c.removable) << c.path;
    // The disk in it reports the free space of the folder behind it.
    uint64_t free = 0;
    EXPECT_TRUE(ZipPlatformOps::GetDeviceFreeSpace64("A:\\set.zip", &free));
    EXPECT_GT(free, 0u);
}

TEST(FloppyDrive, ARemovableSetOnAFixedDriveIsRefusedWith107) {
    AlwaysInserted yes;
    CZipArchive archive;
    archive.SetSpanCallback(&yes);
    const std::string path = ziptest::Scratch("floppy_fixed") + "/set.zip";
    EXPECT_EQ(CauseOf([&] { archive.Open(path, CZipArchive::CreateSpan, 0); }),
              CZipException::kNonRemovable);
    EXPECT_TRUE(yes.codes.empty());
    EXPECT_TRUE(archive.IsClosed());
    EXPECT_EQ(ZipPlatformOps::FileExists(path), 0);
}

TEST(FloppyDrive, ASpannedSetOnTheFloppyOpensOnlyWithADiskChanger) {
    // A set of fixed-size volumes written to the floppy reads back as a set
    // of disks there, and nobody changes them: code 103, the archive closed
    // and its file free again.
    RemoveFromFloppy("split.zip");
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open("A:\\split.zip", CZipArchive::CreateSpan, 65536));
        AddBytes(archive, "data.bin", Pattern(150000));
        archive.Close();
    }
    ASSERT_EQ(ZipPlatformOps::FileExists("A:\\split.000"), 1);
    CZipArchive archive;
    EXPECT_EQ(CauseOf([&] { archive.Open("A:\\split.zip", CZipArchive::OpenReadOnly); }),
              CZipException::kNoCallback);
    EXPECT_TRUE(archive.IsClosed());
    EXPECT_TRUE(ZipPlatformOps::RemoveFile("A:\\split.zip", false));
    for (const char* v : {"split.000", "split.001"})
        RemoveFromFloppy(v);
}

TEST(FloppyDrive, ASetThatFitsTheDiskInTheDriveIsOnePlainLabelledArchive) {
    RemoveFromFloppy("one.zip");
    RemoveFromFloppy(".windows-label");
    AlwaysInserted yes;
    const Bytes data = Pattern(20000);
    {
        CZipArchive archive;
        archive.SetSpanCallback(&yes);
        ASSERT_TRUE(archive.Open("A:\\one.zip", CZipArchive::CreateSpan, 0));
        AddBytes(archive, "data.bin", data);
        archive.Close();
    }
    EXPECT_EQ(yes.codes, std::vector<int>{4});
    EXPECT_EQ(LabelOfFloppy(), "pkback# 001");
    const std::vector<uint8_t> bytes = ziptest::ReadAll("A:\\one.zip");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x50, 0x4B, 0x03, 0x04}));
    CZipArchive back;
    ASSERT_TRUE(back.Open("A:\\one.zip", CZipArchive::OpenReadOnly));
    CZipMemoryStream out;
    ASSERT_TRUE(back.ExtractToMemory(0, out));
    EXPECT_EQ(Bytes(out.Data(), out.Data() + static_cast<size_t>(out.GetLength())), data);
    back.Close();
    RemoveFromFloppy("one.zip");
}

#else

TEST(FloppyDrive, NeedsTheDrivesOfWine) {
    GTEST_SKIP() << "no drive letters natively";
}

#endif

} // namespace
