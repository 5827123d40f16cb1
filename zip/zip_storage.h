// The byte store under an archive: the archive file, a caller's memory
// stream, or a set of spanned volumes read one after another.
//
// Spanned sets come in two kinds. Removable-disk sets keep a file of the same
// name on every disk (labelled "pkback# %.3d"); fixed-size sets keep their
// volumes in one folder, named after the archive with the extension replaced
// by the three-digit volume number (".000", ".001", ...), except the last,
// which keeps the "zip" extension and holds the central directory. The first
// volume of a set starts with the spanning signature 50 4B 07 08.
#pragma once

#include <cstdint>
#include <string>

#include "zip/zip_buffer.h"
#include "zip/zip_stream.h"

// Asked to bring the disk of a removable-disk set into the drive.
class CZipSpanCallback {
public:
    virtual ~CZipSpanCallback() = default;
    // code: bytes needed on a new disk, or -1 insert the disk to read, -2 a
    // file of that name exists, -3 the label could not be set, -4 the file
    // could not be created. True to go on.
    virtual bool OnDiskChange(int code) = 0;

    std::string m_volumePath;
    int m_diskNumber = 0;
};

class CZipVolumeStorage {
public:
    enum SpanMode : int {
        kNoSpan = 0,
        kRemovableSpan = 1,
        kFixedSpan = 2,
        kDetectSpan = 3,
        kDetectFixedSpan = 4,
    };
    enum OpenMode : int { kOpenExisting = 0, kOpenReadOnly = 1, kCreate = 2, kCreateSpan = 3 };
    static constexpr uint32_t kSpanSignature = 0x08074B50u;
    static constexpr int kMaxVolumes = 999;
    // Times one new disk is asked for before the set is given up: a callback
    // that answers "go on" without a usable disk in the drive (the file is
    // there, the label cannot be set, every disk is too small) would
    // otherwise be asked for ever.
    static constexpr int kMaxDiskRequests = 64;

    CZipVolumeStorage() = default;
    virtual ~CZipVolumeStorage();
    CZipVolumeStorage(const CZipVolumeStorage&) = delete;
    CZipVolumeStorage& operator=(const CZipVolumeStorage&) = delete;

    // Opens an existing archive (modes 0 and 1; a non-zero volume size marks
    // a set of fixed-size volumes), creates one (mode 2), or starts a spanned
    // set (mode 3: fixed-size volumes of volumeSize bytes, or removable disks
    // when it is 0). Failures are thrown.
    void Open(const std::string& path, int mode, uint32_t volumeSize);
    // Uses a caller's stream, which stays open after Close; mode 2 empties it.
    void OpenMemory(CZipMemoryStream& stream, int mode);
    // Closes and returns the archive file's path. Without abandon the pending
    // bytes are written and a fixed-size set being created gets its last
    // volume's final name.
    std::string Close(bool abandon);

    // Appends through the write buffer. whole keeps the block on one volume.
    // Returns where the block's first byte lands within its volume.
    uint64_t Write(const void* data, uint32_t length, bool whole);
    // Where the last written block began within its volume.
    uint64_t LastWritePosition() const { return m_lastWritePosition; }
    // Moves to a new volume unless the current one has room for minimum
    // bytes (or is an empty fixed-size volume, which then grows to hold them).
    void Reserve(uint32_t minimum);
    // Writes the pending bytes.
    void Flush();
    // Room left on the current volume (0 at the least).
    uint32_t FreeSpace() const;
    uint32_t Pending() const { return m_pending; }
    // Bytes of the current volume or file, pending ones included.
    uint64_t WritePosition();
    // Cuts the file to length; pending bytes past it are dropped unwritten.
    void Truncate(uint64_t length);
    // Moves on to a new volume that must hold `needed` bytes; throws 104 or
    // 108, or the file error.
    void NextVolume(uint32_t needed);
    // Ends the creation of a spanned set once its directory is written and
    // opens the result again: read-only when it stayed spanned.
    void FinishSpan();
    // A set being created that turned into one ordinary archive: the
    // directory writer removed the spanning bytes, the rest is a plain file.
    void BecomeSingleVolume() { m_spanMode = kNoSpan; }

    // Reads length bytes. whole forbids continuing on the next volume; a
    // short read throws cause 101.
    uint32_t Read(void* data, uint32_t length, bool whole);
    void Seek(uint64_t position) {
        Flush();
        m_file->Seek(static_cast<int64_t>(position), CZipStream::kBegin);
    }
    uint64_t GetPosition() { return m_file->GetPosition(); }
    uint64_t GetLength() { return m_file->GetLength(); }

    // Makes the volume current. When its file cannot be opened the error is
    // thrown and the storage stays on the volume it was on.
    void ChangeVolume(int number);
    // Takes the volume number of the end record and settles the span mode.
    void SetThisVolume(int number);

    bool IsClosed() const { return m_currentVolume == -1; }
    bool IsFileClosed() const { return m_file == nullptr || m_file->IsClosed(); }
    bool IsSpanned() const { return m_spanMode == kRemovableSpan || m_spanMode == kFixedSpan; }
    // A spanned archive that was opened, not one being created.
    bool IsExistingSpan() const { return IsSpanned() && !m_creatingSpan; }
    bool IsCreatingSpan() const { return m_creatingSpan; }
    bool IsReadOnly() const { return m_readOnly; }
    bool IsInMemory() const { return m_inMemory; }
    int GetSpanMode() const { return m_spanMode; }
    int GetCurrentVolume() const { return m_currentVolume; }
    uint32_t GetLastVolume() const { return m_lastVolume; }
    std::string GetFilePath() const { return m_file ? m_file->GetFilePath() : std::string(); }
    CZipStream* File() { return m_file; }

    void SetSpanCallback(CZipSpanCallback* callback) { m_callback = callback; }
    // Path of a fixed-size volume: the archive's path with the extension
    // "%.3d" of the number, or "zip" for the last one.
    std::string VolumeName(int number, bool last) const;

    static constexpr uint32_t kWriteBufferSize = 65536;

private:
    void OpenVolumeFile(const std::string& path);
    void CreateVolumeFile(const std::string& path);
    // dropUnused: the disk in the drive got nothing and keeps no file.
    void NextRemovableDisk(uint32_t needed, bool dropUnused);
    // The set's last volume takes the archive's own name; returns it.
    std::string RenameLastVolume();

    CZipDiskFile m_ownFile;
    CZipStream* m_file = nullptr;
    int m_spanMode = kNoSpan;
    CZipSpanCallback* m_callback = nullptr;
    uint32_t m_lastVolume = 0;
    int m_currentVolume = -1;
    bool m_creatingSpan = false;
    bool m_inMemory = false;
    bool m_readOnly = false;
    std::string m_archivePath;
    CZipByteBuffer m_writeBuffer;
    uint32_t m_pending = 0;
    uint32_t m_volumeSize = 0;    // fixed-size sets being created
    uint64_t m_capacity = 0;      // room of the current volume
    uint64_t m_bytesOnVolume = 0; // written to the current volume
    uint64_t m_lastWritePosition = 0;
    int m_diskRequests = 0; // asked for the current new disk so far
};
