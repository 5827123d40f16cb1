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

    CZipVolumeStorage() = default;
    virtual ~CZipVolumeStorage();
    CZipVolumeStorage(const CZipVolumeStorage&) = delete;
    CZipVolumeStorage& operator=(const CZipVolumeStorage&) = delete;

    // Opens an existing archive (modes 0 and 1). A non-zero volume size marks
    // a set of fixed-size volumes. Failures are thrown.
    void Open(const std::string& path, int mode, uint32_t volumeSize);
    // Uses a caller's stream, which stays open after Close.
    void OpenMemory(CZipMemoryStream& stream, int mode);
    // Closes and returns the archive file's path.
    std::string Close(bool abandon);

    // Reads length bytes. whole forbids continuing on the next volume; a
    // short read throws cause 101.
    uint32_t Read(void* data, uint32_t length, bool whole);
    void Seek(uint64_t position) {
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

private:
    void OpenVolumeFile(const std::string& path);

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
};
