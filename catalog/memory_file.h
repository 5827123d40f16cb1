// A file kept in memory, for tests and fuzzing of the database engine: it
// behaves like CWin32File (same open flags, short reads at the end, growth on
// write) and can be told to fail or shorten any read, write, flush or resize,
// so that every I/O error path of the page file can be driven on purpose.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/win32_file.h"

// The "disk" behind one path: survives closing and reopening the file.
struct CMemoryDisk {
    std::vector<uint8_t> bytes;
    bool exists = false;
    bool open = false;               // a file object has it open (not shared)
    uint64_t maxBytes = 64ull << 20; // writes past this fail, like a full disk
};

class CMemoryFile : public CWin32File {
public:
    enum EOp { kOpRead, kOpWrite, kOpFlush, kOpSetEnd };
    // Called before every operation with the file offset and byte count.
    // Returns how many bytes may be transferred (less than count: a short
    // transfer), or -1 to make the call fail. Flush and SetEnd fail on any
    // result below count.
    using FaultHook = std::function<int64_t(EOp op, uint64_t offset, uint32_t count)>;

    explicit CMemoryFile(std::shared_ptr<CMemoryDisk> disk);
    ~CMemoryFile() override;

    bool Open(const char* path, uint32_t flags) override;
    bool Close() override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() override;
    int64_t Read(void* buffer, uint32_t count) override;
    int64_t Write(const void* buffer, uint32_t count) override;
    bool Flush() override;
    bool SetEnd(int64_t position) override;
    // Positioned calls go through the same hook, once per call with the
    // whole byte count: a short result tears the transfer there.
    int64_t ReadAt(uint64_t offset, void* buffer, uint32_t count) override;
    int64_t WriteAt(uint64_t offset, const void* buffer, uint32_t count) override;
    int64_t ReadScatterAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count) override;
    bool WriteGatherAt(uint64_t offset, const void* const* pieces, uint32_t pieceBytes,
                       uint32_t count) override;

    void SetFaultHook(FaultHook hook) { m_hook = std::move(hook); }
    CMemoryDisk& Disk() { return *m_disk; }

private:
    int64_t Allowed(EOp op, uint32_t count);

    std::shared_ptr<CMemoryDisk> m_disk;
    FaultHook m_hook;
    int64_t m_pos = 0;
    bool m_open = false;
};
