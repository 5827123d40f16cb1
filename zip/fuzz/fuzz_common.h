// Shared driver of the archive fuzz targets: the input is an archive held in
// memory; every failure must come back as a CZipException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zip/zip_archive.h"

namespace zipfuzz {

// Copies the entries of a hostile archive into a new one, deletes one and
// renames another: the copies must refuse what does not read back.
inline void Modify(const uint8_t* data, size_t size) {
    CZipMemoryStream stream;
    stream.Attach(data, size);
    CZipArchive archive, copy;
    CZipMemoryStream copied;
    try {
        if (!archive.OpenFromMemory(stream, CZipArchive::OpenExisting))
            return;
        const int count = archive.GetCount() < 64 ? archive.GetCount() : 64;
        copy.OpenFromMemory(copied, CZipArchive::Create);
        std::vector<int> all;
        for (int i = 0; i < count; ++i)
            all.push_back(i);
        try {
            copy.CopyEntriesFrom(archive, all);
        } catch (const CZipException&) {
        }
        copy.Close(CZipArchive::CloseNormal, false);
        if (copy.OpenFromMemory(copied, CZipArchive::OpenReadOnly))
            copy.Close(CZipArchive::CloseNormal, false);
        if (count > 1)
            archive.RenameEntry(count - 1, "renamed.bin");
        archive.DeleteEntry(0);
        archive.Close(CZipArchive::CloseNormal, false);
    } catch (const CZipException&) {
        copy.Close(CZipArchive::CloseAbandon, false);
        archive.Close(CZipArchive::CloseAbandon, false);
    }
}

// Opens data as an archive, lists it and, with extract, tests and extracts
// every entry to memory (also with a password set). Returns the number of
// entries listed, or -1 when the archive did not open.
inline int Exercise(const uint8_t* data, size_t size, bool extract) {
    CZipMemoryStream stream;
    stream.Attach(data, size);
    CZipArchive archive;
    // Keep a fuzzed deflate stream from asking for gigabytes.
    CZipExtractLimits limits;
    limits.maxEntrySize = 8u << 20;
    limits.maxTotalSize = 32u << 20;
    limits.checkFreeSpace = false;
    archive.SetExtractLimits(limits);
    int count = -1;
    try {
        if (!archive.OpenFromMemory(stream, CZipArchive::OpenReadOnly))
            return -1;
        count = archive.GetCount();
        for (int i = 0; i < count; ++i) {
            CZipEntryHeader header;
            archive.GetFileInfo(header, i);
            (void)header.IsDirectory();
            (void)header.GetTime();
            archive.FindFile(header.GetFileName());
        }
        std::vector<int> found;
        archive.FindMatches("*a*[a-z]?", found, false);
        if (extract) {
            for (int pass = 0; pass < 2; ++pass) {
                if (pass == 1)
                    archive.SetPassword("secret");
                for (int i = 0; i < count; ++i) {
                    try {
                        CZipMemoryStream out;
                        archive.ExtractToMemory(i, out);
                        archive.TestEntry(i);
                    } catch (const CZipException&) {
                    }
                }
            }
        }
        archive.Close(CZipArchive::CloseNormal, false);
    } catch (const CZipException&) {
        archive.Close(CZipArchive::CloseAbandon, false);
    }
    if (extract && count > 0)
        Modify(data, size);
    return count;
}

} // namespace zipfuzz
