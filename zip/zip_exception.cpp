#include "zip/zip_exception.h"

#include <cerrno>
#include <cstring>

#include "platform/fs.h"
#include "platform/platform.h"

namespace {

struct CauseText {
    int cause;
    const char* text;
};

// Fixed texts; the errno rows use the C runtime's wording of the target
// platform so that messages read the same everywhere.
const CauseText kCauseTexts[] = {
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
    {116, "The central directory was not found in the archive (or you were trying to open not "
          "the last disk of a multi-disk archive)"},
    {500, "Zlib Library error (end of stream)"},
    {503, "Zlib library error (stream error)"},
    {504, "Zlib library error (data error)"},
    {505, "Not enough memory"},
    {506, "Zlib library error (buffer error)"},
    {507, "Zlib library error (version error)"},
};

const char* FindText(int cause) {
    for (const CauseText& row : kCauseTexts) {
        if (row.cause == cause)
            return row.text;
    }
    return nullptr;
}

// errno description from the table above; 0 counts as 100, which has no row.
std::string ErrnoText(int number) {
    if (number == 0)
        number = CZipException::kGeneric;
    if (number >= 1 && number <= 30) {
        if (const char* text = FindText(number))
            return text;
    }
    return "Unknown error";
}

} // namespace

CZipException::CZipException(int cause, std::string fileName)
    : m_cause(cause), m_fileName(std::move(fileName)), m_systemError(plat::LastError()),
      m_errno(errno) {}

std::string CZipException::SystemErrorText(bool useSystem) const {
    if (!useSystem)
        return "Unknown error";
    if (m_systemError != 0) {
        std::string text;
        if (plat::FsSystemErrorText(m_systemError, &text) && !text.empty())
            return text;
    }
    return ErrnoText(m_errno);
}

std::string CZipException::GetErrorDescription(bool useSystem) const {
    switch (m_cause) {
    case kNotRemoved:
        return "Error while removing a file (" + SystemErrorText(useSystem) + ")";
    case kNotRenamed:
        return "Error while renaming a file (" + SystemErrorText(useSystem) + ")";
    case kZlibErrno:
        return m_errno == kZlibErrno ? ErrnoText(kGeneric) : ErrnoText(m_errno);
    default:
        break;
    }
    if (const char* text = FindText(m_cause))
        return text;
    return SystemErrorText(useSystem);
}

bool CZipException::GetErrorMessage(char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0)
        return false;
    const std::string text = GetErrorDescription();
    if (text.empty())
        return false;
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return true;
}

const char* CZipException::what() const noexcept {
    try {
        if (m_what.empty()) {
            m_what = GetErrorDescription();
            if (!m_fileName.empty())
                m_what += " [" + m_fileName + "]";
        }
        return m_what.c_str();
    } catch (...) {
        return "zip error";
    }
}

void CZipException::ThrowError(int cause, const std::string& fileName) {
    throw CZipException(cause, fileName);
}

int CZipException::ZlibToCause(int zlibResult) {
    switch (zlibResult) {
    case 1:
        return kZlibStreamEnd;
    case 2:
        return kZlibNeedDict;
    default:
        if (zlibResult <= -1 && zlibResult >= -6)
            return kZlibErrno - 1 - zlibResult;
        return kGeneric;
    }
}
