// The one error type of the zip code: a cause number and, where there is one,
// the path of the file involved. Causes 1-30 are C runtime errno values,
// 100-116 the archive's own causes, 500-507 mapped zlib results.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

class CZipException : public std::exception {
public:
    enum Cause : int {
        kNone = 0,
        kGeneric = 100,
        kBadZipFile = 101,
        kBadCrc = 102,
        kNoCallback = 103,
        kAbortedDiskChange = 104,
        kAbortedAction = 105,
        kAbortedSafely = 106,
        kNonRemovable = 107,
        kTooManyVolumes = 108,
        kTooLongFileName = 109,
        kBadPassword = 110,
        kDirWithSize = 111,
        kInternalError = 112,
        kNotRemoved = 113,
        kNotRenamed = 114,
        kPlatformNotSupported = 115,
        kCdirNotFound = 116,
        kZlibStreamEnd = 500,
        kZlibNeedDict = 501,
        kZlibErrno = 502,
        kZlibStreamError = 503,
        kZlibDataError = 504,
        kZlibMemError = 505,
        kZlibBufError = 506,
        kZlibVersionError = 507,
        // errno values that the archive raises itself.
        kErrnoFileTooLarge = 27, // an entry larger than the extraction limit
        kErrnoNoSpace = 28,      // an entry larger than the free space or the per-archive cap
    };

    // Captures the operating system's last error and errno at the moment of
    // the failure, so that later calls cannot change the text.
    CZipException(int cause, std::string fileName);

    int Cause() const { return m_cause; }
    const std::string& FileName() const { return m_fileName; }

    // The fixed English text of the cause; causes without a row take the
    // system's error text, or "Unknown error" when useSystem is false.
    std::string GetErrorDescription(bool useSystem = true) const;

    // Copies at most size - 1 characters and a terminator; false when the
    // buffer is missing, size is 0 or the text is empty.
    bool GetErrorMessage(char* buffer, size_t size) const;

    const char* what() const noexcept override;

    [[noreturn]] static void ThrowError(int cause, const std::string& fileName = std::string());

    // zlib result to cause: 1 -> 500, 2 -> 501, -1..-6 -> 502..507, else 100.
    static int ZlibToCause(int zlibResult);

private:
    std::string SystemErrorText(bool useSystem) const;

    int m_cause;
    std::string m_fileName;
    uint32_t m_systemError; // operating-system last error when thrown
    int m_errno;            // C runtime errno when thrown
    mutable std::string m_what;
};
