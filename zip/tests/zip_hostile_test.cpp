// Hostile archives: each gives its cause or stays inside the target folder,
// nothing is written elsewhere, and every case ends quickly.
#include <chrono>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"

namespace {

using ziptest::Fixture;

struct HostileCase {
    const char* file;
    int openCause;     // cause when opening, 0 when it opens
    int extractCause;  // cause of extracting entry 0, 0 when it succeeds
    const char* lands; // with success: the one path written below the target
};

const HostileCase kCases[] = {
    {"name_dotdot.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_backslash_dotdot.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_stream.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_device.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_device_folder.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_reserved_char.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_too_long.zip", 0, CZipException::kPlatformNotSupported, nullptr},
    {"name_absolute.zip", 0, 0, "abs.jpg"},
    {"name_drive.zip", 0, 0, "x.jpg"},
    {"name_drive_colon.zip", 0, 0, "y.jpg"},
    {"name_unc.zip", 0, 0, "server/share/unc.jpg"},
    {"name_trailing_dot.zip", 0, 0, "photo.jpg"},
    {"stored_short.zip", 0, CZipException::kBadZipFile, nullptr},
    {"stored_long.zip", 0, CZipException::kBadZipFile, nullptr},
    {"deflate_corrupt.zip", 0, CZipException::kZlibDataError, nullptr},
    {"crc_flip.zip", 0, CZipException::kBadCrc, nullptr},
    {"descriptor_mismatch.zip", 0, CZipException::kBadZipFile, nullptr},
    {"encrypted_short.zip", 0, CZipException::kBadZipFile, nullptr},
    {"method_deflate64.zip", 0, CZipException::kBadZipFile, nullptr},
    {"method_bzip2.zip", 0, CZipException::kBadZipFile, nullptr},
    {"method_aes.zip", 0, CZipException::kBadZipFile, nullptr},
    {"duplicate_offsets.zip", CZipException::kBadZipFile, 0, nullptr},
    {"count_too_high.zip", CZipException::kBadZipFile, 0, nullptr},
    {"count_zero_with_size.zip", CZipException::kBadZipFile, 0, nullptr},
    {"tiny.zip", CZipException::kCdirNotFound, 0, nullptr},
    {"bomb_overlap.zip", CZipException::kBadZipFile, 0, nullptr},
};

TEST(ZipHostile, EachArchiveGivesItsCauseAndStaysInside) {
    for (const HostileCase& c : kCases) {
        // The sandbox holds only the target folder: anything else in it
        // afterwards was written outside the target.
        const std::string sandbox = ziptest::Scratch(std::string("hostile/") + c.file);
        const std::string target = sandbox + "/a/b/target";
        const auto start = std::chrono::steady_clock::now();
        CZipArchive archive;
        int openCause = 0, extractCause = 0;
        bool extracted = false;
        try {
            archive.Open(Fixture(std::string("hostile/") + c.file));
        } catch (const CZipException& e) {
            openCause = e.Cause();
        }
        if (openCause == 0) {
            try {
                extracted = archive.ExtractFile(0, target, true);
            } catch (const CZipException& e) {
                extractCause = e.Cause();
            }
            // Testing and extracting to memory agree with extracting to disk.
            CZipMemoryStream memory;
            int memoryCause = 0;
            try {
                archive.ExtractToMemory(0, memory);
            } catch (const CZipException& e) {
                memoryCause = e.Cause();
            }
            if (extractCause != CZipException::kPlatformNotSupported) {
                EXPECT_EQ(memoryCause, extractCause) << c.file;
            }
        }
        archive.Close(CZipArchive::CloseAbandon);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.file;
        EXPECT_EQ(openCause, c.openCause) << c.file;
        EXPECT_EQ(extractCause, c.extractCause) << c.file;
        std::vector<std::string> expected;
        if (c.lands != nullptr) {
            EXPECT_TRUE(extracted) << c.file;
            expected.push_back(std::string("a/b/target/") + c.lands);
        }
        EXPECT_EQ(ziptest::ListFiles(sandbox), expected) << c.file;
    }
}

TEST(ZipHostile, NestedBombLayersExtractButLeavesAreRefused) {
    const std::string target = ziptest::Scratch("hostile/nested");
    CZipArchive outer;
    ASSERT_TRUE(outer.Open(Fixture("hostile/bomb_nested.zip")));
    ASSERT_EQ(outer.GetCount(), 4);
    for (int i = 0; i < outer.GetCount(); ++i) {
        CZipMemoryStream layer;
        ASSERT_TRUE(outer.ExtractToMemory(i, layer));
        ASSERT_TRUE(outer.ExtractFile(i, target));
        CZipArchive inner;
        ASSERT_TRUE(inner.OpenFromMemory(layer));
        int cause = 0;
        try {
            inner.ExtractFile(0, target);
        } catch (const CZipException& e) {
            cause = e.Cause();
        }
        EXPECT_EQ(cause, CZipException::kErrnoFileTooLarge);
        inner.Close(CZipArchive::CloseAbandon);
    }
    outer.Close();
    EXPECT_EQ(ziptest::ListFiles(target).size(), 4u); // the layers, no leaf
}

} // namespace
