// Finding and reading the central directory.
#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"

namespace {

using ziptest::Fixture;

TEST(ZipDirectory, FindsTheEndRecordWhereverItMayBe) {
    struct Case {
        const char* file;
        int entries;
        const char* firstName;
        uint32_t commentLength;
    } cases[] = {
        {"interop/zip_comment.zip", 7, "emptydir\\", 65535}, // record 65557 bytes before the end
        {"units/straddle.zip", 1, "s.txt", 32748},           // across a search-block boundary
        {"units/fake_signature_comment.zip", 1, "real.txt", 35},
        {"units/prefixed.zip", 1, "p.txt", 0},
        {"interop/zip_adjusted.zip", 7, "emptydir\\", 0},
        {"interop/zip_prefixed.zip", 7, "emptydir\\", 0},
        {"interop/many.zip", 65535, "m\\00000", 0},
    };
    for (const Case& c : cases) {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(Fixture(c.file))) << c.file;
        EXPECT_EQ(archive.GetCount(), c.entries) << c.file;
        EXPECT_EQ(archive.GetGlobalComment().size(), c.commentLength) << c.file;
        CZipEntryHeader h;
        ASSERT_TRUE(archive.GetFileInfo(h, 0));
        EXPECT_EQ(h.GetFileName(), c.firstName) << c.file;
        EXPECT_TRUE(archive.TestEntry(archive.GetCount() - 1)) << c.file;
        archive.Close();
    }
}

TEST(ZipDirectory, DamagedDirectoriesAreRefused) {
    struct Case {
        const char* file;
        int cause;
    } cases[] = {
        {"hostile/tiny.zip", CZipException::kCdirNotFound},
        {"src/photo1.jpg", CZipException::kCdirNotFound},
        {"hostile/duplicate_offsets.zip", CZipException::kBadZipFile},
        {"hostile/count_too_high.zip", CZipException::kBadZipFile},
        {"hostile/count_zero_with_size.zip", CZipException::kBadZipFile},
        {"hostile/size_zero_with_count.zip", CZipException::kBadZipFile},
        {"hostile/bomb_overlap.zip", CZipException::kBadZipFile},
    };
    for (const Case& c : cases) {
        CZipArchive archive;
        int cause = 0;
        try {
            archive.Open(Fixture(c.file));
        } catch (const CZipException& e) {
            cause = e.Cause();
            EXPECT_EQ(e.FileName(), Fixture(c.file));
        }
        EXPECT_EQ(cause, c.cause) << c.file;
        archive.Close(CZipArchive::CloseAbandon);
        EXPECT_TRUE(archive.IsClosed());
    }
}

} // namespace
