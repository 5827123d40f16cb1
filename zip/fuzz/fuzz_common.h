// Shared driver of the archive fuzz targets: the input is an archive held in
// memory; every failure must come back as a CZipException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zip/zip_archive.h"

namespace zipfuzz {

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
    return count;
}

} // namespace zipfuzz
