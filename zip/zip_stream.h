// The byte streams under an archive: one abstract interface, a disk file and
// a growing memory block. Every failure is thrown as CZipException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform_types.h"

// Open flags of CZipDiskFile. A type of its own so that they cannot be mixed
// with the platform's CreateFile-style flags, which reuse the same bits.
enum class ZipOpenFlags : uint32_t {
    kRead = 0x01,
    kWrite = 0x02,
    kReadWrite = 0x03,
    kShareDenyReadWrite = 0x00,
    kShareDenyWrite = 0x04,
    kShareDenyRead = 0x08,
    kShareDenyNone = 0x10,
    kCreate = 0x20,
    kNoTruncate = 0x40,
    // Beyond the open modes of the format's tools: create, failing when the
    // file exists (a fresh file claimed in one step).
    kCreateNew = 0x80,
};
constexpr ZipOpenFlags operator|(ZipOpenFlags a, ZipOpenFlags b) {
    return static_cast<ZipOpenFlags>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool ZipHasFlag(ZipOpenFlags flags, ZipOpenFlags bit) {
    return (static_cast<uint32_t>(flags) & static_cast<uint32_t>(bit)) != 0;
}
constexpr ZipOpenFlags ZipShareField(ZipOpenFlags flags) {
    return static_cast<ZipOpenFlags>(static_cast<uint32_t>(flags) & 0x1Cu);
}

class CZipStream {
public:
    enum SeekOrigin : int { kBegin = 0, kCurrent = 1, kEnd = 2 };

    virtual ~CZipStream() = default;
    virtual bool Open(const char* path, ZipOpenFlags flags, bool throwOnError) { return true; }
    virtual void Close() = 0;
    virtual void Flush() = 0;
    virtual uint64_t GetPosition() = 0;
    virtual uint64_t Seek(int64_t offset, int origin) = 0;
    virtual uint64_t GetLength() = 0;
    virtual void SetLength(uint64_t length) = 0;
    virtual void SeekToBegin() { Seek(0, kBegin); }
    virtual uint64_t SeekToEnd() { return Seek(0, kEnd); }
    virtual std::string GetFilePath() const = 0;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual void Write(const void* buffer, uint32_t count) = 0;
    virtual bool IsClosed() const = 0;
};

// A file of the operating system. Errors carry the C runtime errno value of
// the failure and the file's path.
class CZipDiskFile : public CZipStream {
public:
    CZipDiskFile() = default;
    ~CZipDiskFile() override;
    CZipDiskFile(const CZipDiskFile&) = delete;
    CZipDiskFile& operator=(const CZipDiskFile&) = delete;

    bool Open(const char* path, ZipOpenFlags flags, bool throwOnError) override;
    void Close() override;
    void Flush() override;
    uint64_t GetPosition() override;
    uint64_t Seek(int64_t offset, int origin) override;
    uint64_t GetLength() override;
    void SetLength(uint64_t length) override;
    std::string GetFilePath() const override { return m_path; }
    uint32_t Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    bool IsClosed() const override { return m_handle == plat::kInvalidFile; }

    // The operating-system handle, for file mapping; throws when closed.
    plat::FileHandle OsHandle() const;
    // Exchanges the open files of two objects, so that a file can be opened
    // beside this one and take its place only once it is open.
    void Swap(CZipDiskFile& other) noexcept;

private:
    [[noreturn]] void ThrowLast() const;

    plat::FileHandle m_handle = plat::kInvalidFile;
    std::string m_path;
};

// A growing block of memory. The position may pass the size; bytes between
// the old size and a later write are zero.
class CZipMemoryStream : public CZipStream {
public:
    explicit CZipMemoryStream(uint32_t growthStep = 1024) : m_growthStep(growthStep) {}
    ~CZipMemoryStream() override { Close(); }
    CZipMemoryStream(const CZipMemoryStream&) = delete;
    CZipMemoryStream& operator=(const CZipMemoryStream&) = delete;

    // Uses a caller's block without copying. The stream does not own it and
    // never writes into it: the first write that changes data copies it.
    void Attach(const void* data, size_t size);

    void Close() override;
    void Flush() override {}
    uint64_t GetPosition() override { return m_position; }
    uint64_t Seek(int64_t offset, int origin) override;
    uint64_t GetLength() override { return m_size; }
    void SetLength(uint64_t length) override;
    std::string GetFilePath() const override { return std::string(); }
    uint32_t Read(void* buffer, uint32_t count) override;
    void Write(const void* buffer, uint32_t count) override;
    bool IsClosed() const override { return m_data == nullptr; }

    const uint8_t* Data() const { return m_data; }
    size_t Capacity() const { return m_capacity; }
    void SetGrowthStep(uint32_t step) { m_growthStep = step; }

    // Largest size the stream grows to; beyond it writes throw cause 505.
    static constexpr uint64_t kMaxSize = sizeof(size_t) > 4 ? 0xFFFFFFFFull : 0x7FFFFFFFull;

private:
    void Grow(uint64_t needed);

    uint32_t m_growthStep;
    uint64_t m_position = 0;
    size_t m_capacity = 0;
    size_t m_size = 0;
    uint8_t* m_data = nullptr;
    bool m_owns = true;
};
