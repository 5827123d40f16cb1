// The archive's reading interface on small purpose-made archives.
#include <cerrno>
#include <functional>
#include <utility>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "platform/fs.h"
#include "platform/platform.h"

#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"
#include "zip/zip_platform.h"

namespace {

using ziptest::Fixture;

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CZipException& e) {
        return e.Cause();
    }
    return 0;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { ziptest::PinUtc(); }
    void TearDown() override { archive.Close(CZipArchive::CloseAbandon); }
    void OpenUnit(const char* name) {
        ASSERT_TRUE(archive.Open(Fixture(std::string("units/") + name)));
    }
    CZipArchive archive;
};

TEST_F(ZipArchiveTest, EmptyArchiveOpensAndCloses) {
    OpenUnit("empty.zip");
    EXPECT_EQ(archive.GetCount(), 0);
    EXPECT_EQ(archive.GetSystemCompatibility(), 0);
    CZipEntryHeader header;
    EXPECT_FALSE(archive.GetFileInfo(header, 0));
    archive.Close();
    EXPECT_TRUE(archive.IsClosed());
    archive.Close(); // closing again does nothing
}

TEST_F(ZipArchiveTest, StateRulesRefuseWithoutThrowing) {
    OpenUnit("basic.zip");
    EXPECT_FALSE(archive.Open(Fixture("units/basic.zip"))); // already open
    EXPECT_EQ(archive.GetArchivePath(), Fixture("units/basic.zip"));
    CZipEntryHeader header;
    for (int index : {-1, 6, 65536, 65536 + 2})
        EXPECT_FALSE(archive.GetFileInfo(header, index)) << index;
    CZipMemoryStream memory;
    const std::string dir = ziptest::Scratch("state_rules");
    EXPECT_FALSE(archive.ExtractFile(2, dir, true, nullptr, 0));
    EXPECT_FALSE(archive.ExtractToMemory(2, memory, 0));
    EXPECT_FALSE(archive.TestEntry(2, 0));
    EXPECT_FALSE(archive.Open(Fixture("units/basic.zip"), CZipArchive::Create));

    ASSERT_TRUE(archive.OpenEntry(2));
    EXPECT_FALSE(archive.OpenEntry(3)); // one entry at a time
    std::vector<uint8_t> buffer(100000);
    const uint32_t n = archive.ReadEntry(buffer.data(), static_cast<uint32_t>(buffer.size()));
    EXPECT_EQ(n, 6200u);
    EXPECT_EQ(archive.ReadEntry(buffer.data(), 10), 0u); // after the end
    EXPECT_EQ(archive.CloseEntry(), CZipArchive::kClosed);
    EXPECT_EQ(archive.CloseEntry(), CZipArchive::kNotOpen);

    ASSERT_TRUE(archive.OpenEntry(3));
    EXPECT_EQ(archive.ReadEntry(buffer.data(), 5), 5u);
    EXPECT_EQ(archive.CloseEntry(), CZipArchive::kIncomplete);
}

TEST_F(ZipArchiveTest, ListsNamesInProgramFormAndDataOrder) {
    OpenUnit("reversed_directory.zip");
    ASSERT_EQ(archive.GetCount(), 3);
    const char* expected[] = {"first.txt", "second.txt", "third.txt"};
    for (int i = 0; i < 3; ++i) {
        CZipEntryHeader h;
        ASSERT_TRUE(archive.GetFileInfo(h, i));
        EXPECT_EQ(h.GetFileName(), expected[i]);
    }
    archive.Close();

    OpenUnit("oem_name.zip");
    CZipEntryHeader dos, unix;
    ASSERT_TRUE(archive.GetFileInfo(dos, 0));
    ASSERT_TRUE(archive.GetFileInfo(unix, 1));
    EXPECT_EQ(dos.GetFileName(), "dir\\f\xE9.jpg");
    EXPECT_EQ(unix.GetFileName(), "unix\\f\x82.jpg");
    dos.SetFileName("changed"); // the copy is the caller's
    CZipEntryHeader again;
    archive.GetFileInfo(again, 0);
    EXPECT_EQ(again.GetFileName(), "dir\\f\xE9.jpg");
    EXPECT_EQ(archive.GetSystemCompatibility(), 0);
}

TEST_F(ZipArchiveTest, CountsAndLookups) {
    OpenUnit("basic.zip");
    EXPECT_EQ(archive.CountFileEntries(), 4);
    EXPECT_EQ(archive.CountDirectoryEntries(), 2);
    archive.Close();

    OpenUnit("case_names.zip");
    EXPECT_EQ(archive.FindFile("photo.jpg"), 0);     // default: case-insensitive
    EXPECT_EQ(archive.FindFile("PHOTO.jpg", 1), -1); // linear, case-sensitive
    EXPECT_EQ(archive.FindFile("Photo.JPG", 1), 0);
    EXPECT_EQ(archive.FindFile("ALBUM\\PHOTO.JPG", 2), 1);
    EXPECT_EQ(archive.FindFile("other.png", 0, true), 2); // by file name only
    EXPECT_EQ(archive.FindFile("missing.png"), -1);
    std::vector<int> found;
    archive.FindEntries({"album\\other.png", "nope", "photo.jpg"}, found);
    EXPECT_EQ(found, (std::vector<int>{2, 0}));
    found.clear();
    archive.FindMatches("*.jpg", found, false);
    EXPECT_EQ(found, (std::vector<int>{0, 1}));
    found.clear();
    archive.FindMatches("album\\\\*", found, true); // "\\" is an escaped separator
    EXPECT_EQ(found, (std::vector<int>{1, 2}));
    archive.SetCaseSensitivity(true);
    EXPECT_EQ(archive.FindFile("photo.jpg"), -1);
    EXPECT_EQ(archive.FindFile("album\\photo.jpg"), 1);
    EXPECT_EQ(archive.FindFile("PHOTO.JPG", 2), 0);
}

TEST_F(ZipArchiveTest, ExtractsFilesFoldersAndEmptyFilesWithTheirTimes) {
    OpenUnit("basic.zip");
    const std::string dir = ziptest::Scratch("extract_basic");
    for (int i = 0; i < archive.GetCount(); ++i)
        ASSERT_TRUE(archive.ExtractFile(i, dir)) << i;
    EXPECT_EQ(ziptest::ListTree(dir),
              (std::vector<std::string>{"docs/", "docs/Readme.TXT", "docs/deep/",
                                        "docs/deep/photo.jpg", "empty.bin", "top.bmp"}));
    EXPECT_EQ(ziptest::ReadAll(dir + "/empty.bin").size(), 0u);
    CZipEntryHeader h;
    archive.GetFileInfo(h, 4);
    time_t t = 0;
    ASSERT_TRUE(ZipPlatformOps::GetFileModTime(dir + "/empty.bin", &t));
    EXPECT_EQ(t, h.GetTime());
    uint32_t attributes = 0;
    ASSERT_TRUE(ZipPlatformOps::GetFileAttributes(dir + "/empty.bin", &attributes));
    EXPECT_TRUE(attributes & ZipPlatformOps::kAttrReadOnly);
    ZipPlatformOps::SetFileAttributes(dir + "/empty.bin", 0);

    // Without paths the folders are dropped; extracting again replaces.
    const std::string flat = ziptest::Scratch("extract_flat");
    ASSERT_TRUE(archive.ExtractFile(2, flat, false));
    ASSERT_TRUE(archive.ExtractFile(2, flat, false));
    ASSERT_TRUE(archive.ExtractFile(3, flat, false, "renamed.txt"));
    EXPECT_EQ(ziptest::ListTree(flat), (std::vector<std::string>{"photo.jpg", "renamed.txt"}));
    EXPECT_EQ(ziptest::ReadAll(flat + "/photo.jpg"),
              ziptest::ReadAll(dir + "/docs/deep/photo.jpg"));

    const std::string rooted = ziptest::Scratch("extract_root");
    archive.SetRootFolder("DOCS\\");
    EXPECT_EQ(archive.GetRootFolder(), "DOCS");
    ASSERT_TRUE(archive.ExtractFile(2, rooted, false));
    ASSERT_TRUE(archive.ExtractFileByName("top.bmp", rooted, false));
    EXPECT_FALSE(archive.ExtractFileByName("docs\\", rooted, false)); // folders are skipped
    EXPECT_EQ(ziptest::ListTree(rooted),
              (std::vector<std::string>{"deep/", "deep/photo.jpg", "top.bmp"}));
}

TEST_F(ZipArchiveTest, ExtractedPathFor) {
    OpenUnit("basic.zip");
    struct Case {
        const char* name;
        const char* folder;
        bool keepPath;
        const char* newName;
        const char* path;
    } cases[] = {
        {"a\\b\\c.jpg", "C:\\out\\\\", true, nullptr, "C:\\out\\a\\b\\c.jpg"},
        {"a\\b\\c.jpg", "C:\\out", false, nullptr, "C:\\out\\c.jpg"},
        {"a\\b\\", "out/", true, nullptr, "out\\a\\b"},
        {"C:\\x.jpg", "out", true, nullptr, "out\\x.jpg"},
        {"\\abs.jpg", "out", true, nullptr, "out\\abs.jpg"},
        {"a\\c.jpg", "out", true, "new.jpg", "out\\new.jpg"},
        {"", "out", true, nullptr, "out"},
        {"c.jpg", "", true, nullptr, "c.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(archive.ExtractedPathFor(c.name, c.folder, c.keepPath, c.newName), c.path)
            << c.name;
}

TEST_F(ZipArchiveTest, DamageIsReportedAndLeavesNoFile) {
    const std::string dir = ziptest::Scratch("damage");
    OpenUnit("bad_crc.zip");
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(0, dir); }), CZipException::kBadCrc);
    EXPECT_TRUE(ziptest::ListFiles(dir).empty());
    // The archive stays usable after the failure.
    archive.SetIgnoreCrc(true);
    EXPECT_TRUE(archive.ExtractFile(0, dir));
    EXPECT_EQ(ziptest::ListTree(dir), std::vector<std::string>{"bad.txt"});
    archive.Close();

    const std::string shortDir = ziptest::Scratch("damage_short");
    OpenUnit("short_stream.zip");
    EXPECT_FALSE(archive.ExtractFile(0, shortDir));
    EXPECT_TRUE(ziptest::ListFiles(shortDir).empty());
    CZipMemoryStream memory;
    memory.Write("keep", 4);
    EXPECT_FALSE(archive.ExtractToMemory(0, memory));
    EXPECT_EQ(memory.GetLength(), 4u); // what it held before, nothing more
    EXPECT_FALSE(archive.TestEntry(0));
    archive.Close();

    OpenUnit("folder_with_data.zip");
    EXPECT_EQ(CauseOf([&] { archive.TestEntry(0); }), CZipException::kDirWithSize);
}

TEST_F(ZipArchiveTest, AFailedOutputFileGivesTheSystemsReason) {
    // Operating-system errors keep their own cause; a read-only disk is not
    // a denied permission.
    struct Case {
        uint32_t systemError;
        int cause;
        const char* text;
    };
    const Case cases[] = {
        {plat::kErrorAccessDenied, EACCES, "Permission denied"},
        {plat::kErrorWriteProtect, EROFS, "Read-only file system"},
        {plat::kErrorDiskFull, ENOSPC, "No space left on device"},
        {plat::kErrorTooManyOpenFiles, EMFILE, "Too many open files"},
        {plat::kErrorPathNotFound, ENOENT, "No such file or directory"},
    };
    for (const Case& c : cases) {
        const int cause = ZipPlatformOps::ErrnoFromSystemError(c.systemError);
        EXPECT_EQ(cause, c.cause) << c.systemError;
        EXPECT_EQ(CZipException(cause, "").GetErrorDescription(false), c.text) << c.systemError;
    }
#ifndef _WIN32
    // The extraction's temporary file reports what stopped it: here no file
    // handle is left for it.
    OpenUnit("basic.zip");
    const int index = archive.FindFile("top.bmp");
    ASSERT_GE(index, 0);
    const std::string dir = ziptest::Scratch("no_handles");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowest = dup(0);
    ASSERT_GE(lowest, 0);
    close(lowest);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const int cause = CauseOf([&] { archive.ExtractFile(index, dir); });
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(cause, EMFILE);
    EXPECT_TRUE(ziptest::ListFiles(dir).empty());
    EXPECT_TRUE(archive.ExtractFile(index, dir));
#endif
}

TEST_F(ZipArchiveTest, PasswordsAreCheckedBeforeAnythingIsWritten) {
    for (const char* name : {"encrypted_crc.zip", "encrypted_time.zip"}) {
        const std::string dir = ziptest::Scratch("password");
        OpenUnit(name);
        EXPECT_EQ(CauseOf([&] { archive.ExtractFile(0, dir); }), CZipException::kBadPassword);
        EXPECT_TRUE(archive.SetPassword("wrong"));
        EXPECT_EQ(CauseOf([&] { archive.ExtractFile(0, dir); }), CZipException::kBadPassword);
        EXPECT_TRUE(ziptest::ListFiles(dir).empty()) << name;
        EXPECT_TRUE(archive.SetPassword("secret"));
        EXPECT_TRUE(archive.ExtractFile(0, dir)) << name;
        CZipMemoryStream memory;
        EXPECT_TRUE(archive.ExtractToMemory(0, memory));
        EXPECT_EQ(memory.GetLength(), 6200u);
        archive.Close();
        // Every open clears the password.
        OpenUnit(name);
        EXPECT_EQ(archive.GetPassword(), "");
        archive.Close();
    }
}

class Recorder : public CZipActionCallback {
public:
    bool Advance(uint32_t count) override {
        advanced += count;
        return advanced < stopAfter;
    }
    void Begin(const char*, const char* target) override {
        ++begun;
        lastTarget = target ? target : "";
    }
    void SetTotal(uint64_t value) override { total = value; }
    void End() override { ++ended; }
    uint64_t advanced = 0, stopAfter = UINT64_MAX, total = 0;
    int begun = 0, ended = 0;
    std::string lastTarget;
};

TEST_F(ZipArchiveTest, CallbacksReportAndAbort) {
    OpenUnit("basic.zip");
    Recorder recorder;
    archive.SetProgressCallback(&recorder, CZipArchive::cbExtract | CZipArchive::cbTest);
    const std::string dir = ziptest::Scratch("callbacks");
    ASSERT_TRUE(archive.ExtractFile(2, dir, true, nullptr, 1000));
    EXPECT_EQ(recorder.begun, 1);
    EXPECT_EQ(recorder.ended, 1);
    EXPECT_EQ(recorder.total, 6200u);
    EXPECT_EQ(recorder.advanced, 6200u);
    EXPECT_EQ(recorder.m_type, CZipArchive::cbExtract);

    // Stopped in the middle: 105, and no partial file.
    const std::string aborted = ziptest::Scratch("callbacks_abort");
    recorder.advanced = 0;
    recorder.stopAfter = 2000;
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(2, aborted, true, nullptr, 1000); }),
              CZipException::kAbortedAction);
    EXPECT_TRUE(ziptest::ListFiles(aborted).empty());
    // Stopped at the very end: 106 ("safely"), still no file.
    recorder.advanced = 0;
    recorder.stopAfter = 6200;
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(2, aborted, true, nullptr, 1000); }),
              CZipException::kAbortedSafely);
    EXPECT_TRUE(ziptest::ListFiles(aborted).empty());
    recorder.advanced = 0;
    recorder.stopAfter = 100;
    EXPECT_EQ(CauseOf([&] { archive.TestEntry(2, 1000); }), CZipException::kAbortedAction);
    EXPECT_EQ(recorder.m_type, CZipArchive::cbTest);

    archive.SetProgressCallback(nullptr, CZipArchive::cbExtract);
    EXPECT_TRUE(archive.ExtractFile(2, aborted));
}

TEST_F(ZipArchiveTest, LimitsBoundWhatExtractionWrites) {
    OpenUnit("basic.zip");
    const std::string dir = ziptest::Scratch("limits");
    CZipExtractLimits limits;
    limits.maxEntrySize = 6199;
    archive.SetExtractLimits(limits);
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(2, dir); }), CZipException::kErrnoFileTooLarge);
    CZipMemoryStream memory;
    EXPECT_EQ(CauseOf([&] { archive.ExtractToMemory(2, memory); }),
              CZipException::kErrnoFileTooLarge);
    limits.maxEntrySize = 1u << 20;
    limits.maxTotalSize = 9000; // one photo fits, the second does not
    archive.SetExtractLimits(limits);
    EXPECT_TRUE(archive.ExtractFile(2, dir));
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(5, dir); }), CZipException::kErrnoNoSpace);
    EXPECT_EQ(ziptest::ListTree(dir),
              (std::vector<std::string>{"docs/", "docs/deep/", "docs/deep/photo.jpg"}));
    archive.Close();
    // Reopening starts a new total.
    OpenUnit("basic.zip");
    archive.SetExtractLimits(limits);
    EXPECT_TRUE(archive.ExtractFile(5, dir));
}

// A volume of a fixed size that the files below one folder fill, counting
// how often its free space is asked for.
class FillingVolume : public plat::RemovableDrives {
public:
    FillingVolume(std::string folder, uint64_t size) : m_folder(std::move(folder)), m_size(size) {
        m_previous = plat::SetDrives(this);
    }
    ~FillingVolume() override { plat::SetDrives(m_previous); }
    bool FreeSpace(const char*, uint64_t* bytes) override {
        ++asked;
        uint64_t used = 0;
        for (const std::string& file : ziptest::ListFiles(m_folder))
            used += ziptest::ReadAll(m_folder + "/" + file).size();
        *bytes = used < m_size ? m_size - used : 0;
        return true;
    }
    int asked = 0;

private:
    std::string m_folder;
    uint64_t m_size;
    plat::RemovableDrives* m_previous = nullptr;
};

TEST_F(ZipArchiveTest, FreeSpaceIsAskedAgainBeforeAnEntryCouldNotFit) {
    OpenUnit("basic.zip");
    const std::string dir = ziptest::Scratch("free_space");
    FillingVolume volume(dir, 10000);
    CZipExtractLimits limits;
    limits.freeSpaceReuseMs = 3600 * 1000; // however slow the machine
    archive.SetExtractLimits(limits);
    ASSERT_TRUE(archive.ExtractFile(3, dir, false)); // 90 bytes: the volume is asked
    EXPECT_EQ(volume.asked, 1);
    ASSERT_TRUE(archive.ExtractFile(2, dir, false)); // 6,200 more fit what it said
    EXPECT_EQ(volume.asked, 1);
    // Another 6,200 would not fit what is left of that answer: the volume
    // is asked again and its word refuses the entry before it is written.
    EXPECT_EQ(CauseOf([&] { archive.ExtractFile(5, dir, false); }), CZipException::kErrnoNoSpace);
    EXPECT_EQ(volume.asked, 2);
    EXPECT_EQ(ziptest::ListTree(dir), (std::vector<std::string>{"Readme.TXT", "photo.jpg"}));
    // Another folder is asked about on its own.
    ASSERT_TRUE(archive.ExtractFile(3, dir + "/other", false));
    EXPECT_EQ(volume.asked, 3);
}

TEST_F(ZipArchiveTest, MemoryArchivesReadLikeFilesAndStayOpen) {
    const std::vector<uint8_t> bytes = ziptest::ReadAll(Fixture("units/basic.zip"));
    CZipMemoryStream stream;
    stream.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(archive.OpenFromMemory(stream));
    EXPECT_EQ(archive.GetCount(), 6);
    EXPECT_EQ(archive.GetArchivePath(), "");
    CZipMemoryStream out;
    ASSERT_TRUE(archive.ExtractToMemory(2, out));
    ASSERT_TRUE(archive.ExtractToMemory(5, out)); // appended
    EXPECT_EQ(out.GetLength(), 12400u);
    EXPECT_FALSE(archive.ExtractToMemory(0, out)); // a folder
    EXPECT_TRUE(archive.TestEntry(0));
    archive.Close();
    EXPECT_FALSE(stream.IsClosed());
    EXPECT_EQ(stream.GetLength(), bytes.size());
}

TEST_F(ZipArchiveTest, ClosingCanStampTheArchiveWithItsNewestEntry) {
    const std::string dir = ziptest::Scratch("timestamp");
    const std::string copy = dir + "/copy.zip";
    ziptest::WriteAll(copy, ziptest::ReadAll(Fixture("units/basic.zip")));
    ASSERT_TRUE(archive.Open(copy, CZipArchive::OpenExisting));
    CZipEntryHeader h;
    archive.GetFileInfo(h, 0);
    const time_t expected = h.GetTime();
    archive.Close(CZipArchive::CloseNormal, true);
    time_t t = 0;
    ASSERT_TRUE(ZipPlatformOps::GetFileModTime(copy, &t));
    EXPECT_EQ(t, expected);
    EXPECT_EQ(ziptest::ReadAll(copy), ziptest::ReadAll(Fixture("units/basic.zip")));
}

TEST_F(ZipArchiveTest, OpenFailuresCarryTheirCause) {
    EXPECT_EQ(CauseOf([&] { archive.Open(Fixture("units/missing.zip")); }), ENOENT);
    EXPECT_TRUE(archive.IsClosed());
    CZipMemoryStream empty;
    EXPECT_EQ(CauseOf([&] { archive.OpenFromMemory(empty); }), CZipException::kCdirNotFound);
    archive.Close(CZipArchive::CloseAbandon);
}

} // namespace
