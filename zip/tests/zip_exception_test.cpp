#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "zip/tests/zip_test_util.h"
#include "zip/zip_exception.h"

namespace {

struct CauseCase {
    int cause;
    const char* text;
};

TEST(ZipException, EveryCauseHasItsFixedText) {
    const CauseCase cases[] = {
        {1, "Not super-user"},
        {2, "No such file or directory"},
        {4, "Interrupted system call"},
        {5, "I/O error"},
        {6, "No such device or address"},
        {9, "Bad file number"},
        {12, "Not enough space"},
        {13, "Permission denied"},
        {14, "Bad address"},
        {17, "File exists"},
        {18, "Cross-device link"},
        {19, "No such device"},
        {20, "Not a directory"},
        {21, "Is a directory"},
        {22, "Invalid argument"},
        {23, "File table overflow"},
        {24, "Too many open files"},
        {27, "File too large"},
        {28, "No space left on device"},
        {29, "Illegal seek"},
        {30, "Read-only file system"},
        {101, "Damaged or not a zip file"},
        {102, "Crc mismatched"},
        {103, "No disk-spanning callback functor set"},
        {104, "Disk change aborted"},
        {105, "Action aborted"},
        {106, "Action aborted safely"},
        {107, "The device selected for the disk spanning archive is non removable"},
        {108, "Limit of the maximum volumes reached (999)"},
        {109, "The filename of the file being added to the archive is too long"},
        {110, "Incorrect password set for the file being decrypted"},
        {111, "During testing found the directory with the size greater than 0"},
        {112, "Internal error"},
        {115, "Cannot create the file for the specified platform"},
        {116, "The central directory was not found in the archive (or you were trying to open "
              "not the last disk of a multi-disk archive)"},
        {500, "Zlib Library error (end of stream)"},
        {503, "Zlib library error (stream error)"},
        {504, "Zlib library error (data error)"},
        {505, "Not enough memory"},
        {506, "Zlib library error (buffer error)"},
        {507, "Zlib library error (version error)"},
    };
    for (const CauseCase& c : cases) {
        const CZipException e(c.cause, "a.zip");
        EXPECT_EQ(e.GetErrorDescription(), c.text) << "cause " << c.cause;
        EXPECT_EQ(e.Cause(), c.cause);
        EXPECT_EQ(e.FileName(), "a.zip");
    }
}

TEST(ZipException, CausesWithoutTextTakeTheSystemTextOrUnknown) {
    plat::SetLastErrorCode(0);
    errno = 0;
    for (int cause : {100, 501, 999}) {
        const CZipException e(cause, "");
        EXPECT_EQ(e.GetErrorDescription(false), "Unknown error") << cause;
        EXPECT_EQ(e.GetErrorDescription(true), "Unknown error") << cause;
    }
    // The system's text is taken when the operating system reported an error.
    plat::SetLastErrorCode(plat::kErrorFileNotFound);
    const CZipException withSystem(999, "");
    EXPECT_FALSE(withSystem.GetErrorDescription(true).empty());
    EXPECT_NE(withSystem.GetErrorDescription(true), "Unknown error");
    plat::SetLastErrorCode(0);
}

TEST(ZipException, RemoveAndRenameCarryTheErrorOfTheMomentOfFailure) {
    plat::SetLastErrorCode(0);
    errno = 0;
    const CZipException removing(CZipException::kNotRemoved, "x");
    errno = ENOENT;
    const CZipException renaming(CZipException::kNotRenamed, "x");
    errno = EACCES; // later errors do not change either text
    EXPECT_EQ(removing.GetErrorDescription(), "Error while removing a file (Unknown error)");
    EXPECT_EQ(renaming.GetErrorDescription(),
              "Error while renaming a file (No such file or directory)");
    errno = 0;
}

TEST(ZipException, GetErrorMessageCopiesAtMostSizeMinusOne) {
    const CZipException e(CZipException::kBadZipFile, "");
    char buffer[16];
    EXPECT_TRUE(e.GetErrorMessage(buffer, 5));
    EXPECT_STREQ(buffer, "Dama");
    EXPECT_TRUE(e.GetErrorMessage(buffer, 1));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));
    EXPECT_NE(std::strstr(e.what(), "Damaged"), nullptr);
}

TEST(ZipException, ZlibResultsMapToCauses) {
    const int cases[][2] = {{1, 500},  {2, 501},  {-1, 502}, {-2, 503}, {-3, 504}, {-4, 505},
                            {-5, 506}, {-6, 507}, {-7, 100}, {3, 100},  {0, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(CZipException::ZlibToCause(c[0]), c[1]) << c[0];
}

} // namespace
