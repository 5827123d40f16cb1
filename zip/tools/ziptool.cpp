// A small command-line front end to the archive code, for testing and
// comparing with other tools; not part of the product.
//
//   ziptool l archive                  list entries (size, packed, date, time, name)
//   ziptool t [-p pw] archive          test every entry
//   ziptool x [-p pw] [-j] archive dir extract every entry (-j: drop folders)
//   ziptool ... -v N                   fixed-size spanned set (any non-zero N)
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "zip/zip_archive.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: ziptool l|t|x [-p password] [-j] [-v size] archive [folder]\n");
    return 2;
}

void PrintEntry(const CZipEntryHeader& h) {
    const unsigned date = h.m_modDate, time = h.m_modTime;
    std::printf("%10u %10u %04u-%02u-%02u %02u:%02u:%02u %c %s\n", h.m_uncompressedSize,
                h.m_compressedSize, 1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F, time >> 11,
                (time >> 5) & 0x3F, (time & 0x1F) * 2, h.IsEncrypted() ? '*' : ' ',
                h.GetFileName().c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    std::string password, archivePath, folder;
    bool keepPath = true;
    uint32_t volumeSize = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-p" && i + 1 < argc)
            password = argv[++i];
        else if (arg == "-j")
            keepPath = false;
        else if (arg == "-v" && i + 1 < argc)
            volumeSize = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (archivePath.empty())
            archivePath = arg;
        else if (folder.empty())
            folder = arg;
        else
            return Usage();
    }
    if (archivePath.empty() || (command == "x" && folder.empty()))
        return Usage();
    if (command != "l" && command != "t" && command != "x")
        return Usage();

    CZipArchive archive;
    int failures = 0;
    try {
        archive.Open(archivePath, CZipArchive::OpenReadOnly, volumeSize);
        if (!password.empty() && !archive.SetPassword(password.c_str())) {
            std::fprintf(stderr, "ziptool: the password must be ASCII\n");
            return 2;
        }
        const int count = archive.GetCount();
        for (int i = 0; i < count; ++i) {
            CZipEntryHeader header;
            archive.GetFileInfo(header, i);
            try {
                bool ok = true;
                if (command == "l")
                    PrintEntry(header);
                else if (command == "t")
                    ok = archive.TestEntry(i);
                else
                    ok = archive.ExtractFile(i, folder, keepPath);
                if (!ok) {
                    ++failures;
                    std::fprintf(stderr, "ziptool: %s: incomplete\n", header.GetFileName().c_str());
                }
            } catch (const CZipException& e) {
                ++failures;
                std::fprintf(stderr, "ziptool: %s: %s (%d)\n", header.GetFileName().c_str(),
                             e.GetErrorDescription().c_str(), e.Cause());
            }
        }
        if (command == "l")
            std::printf("%d entries\n", count);
        archive.Close(CZipArchive::CloseNormal, false);
    } catch (const CZipException& e) {
        std::fprintf(stderr, "ziptool: %s: %s (%d)\n", archivePath.c_str(),
                     e.GetErrorDescription().c_str(), e.Cause());
        archive.Close(CZipArchive::CloseAbandon, false);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
