// A small command-line front end to the archive code, for testing and
// comparing with other tools; not part of the product.
//
//   ziptool l archive                  list entries (size, packed, date, time, name)
//   ziptool t [-p pw] archive          test every entry
//   ziptool x [-p pw] [-j] archive dir extract every entry (-j: drop folders)
//   ziptool a [-p pw] [-l level] [-v N] archive file...
//                                      add files (a new archive when missing; -v N
//                                      creates a set of N-byte volumes)
//   ziptool d archive name...          delete entries
//   ziptool r archive name newname     rename an entry
//   ziptool c archive comment          set the archive comment
//   ziptool ... -v N                   fixed-size spanned set (any non-zero N)
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <vector>

#include "zip/zip_archive.h"
#include "zip/zip_platform.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: ziptool l|t|x [-p password] [-j] [-v size] archive [folder]\n"
                         "       ziptool a [-p password] [-l level] [-v size] archive file...\n"
                         "       ziptool d archive name... | r archive name newname | "
                         "c archive comment\n");
    return 2;
}

// The writing commands: a, d, r and c.
int Modify(const std::string& command, const std::string& archivePath,
           const std::vector<std::string>& args, const std::string& password, int level,
           uint32_t volumeSize) {
    CZipArchive archive;
    try {
        const bool exists = ZipPlatformOps::FileExists(archivePath) == 1;
        if (command == "a" && volumeSize != 0)
            archive.Open(archivePath, CZipArchive::CreateSpan, volumeSize);
        else if (command == "a" && !exists)
            archive.Open(archivePath, CZipArchive::Create);
        else
            archive.Open(archivePath, CZipArchive::OpenExisting);
        if (!password.empty() && !archive.SetPassword(password.c_str())) {
            std::fprintf(stderr, "ziptool: the password must be ASCII\n");
            return 2;
        }
        bool ok = true;
        if (command == "a") {
            for (const std::string& file : args) {
                CZipAddRequest request;
                request.m_sourcePath = file;
                request.m_keepPath = false;
                request.m_level = level;
                request.m_options |= CZipAddRequest::kCheckPays;
                request.m_replaceIndex = volumeSize != 0 ? -1 : -2;
                if (!archive.AddFile(request)) {
                    std::fprintf(stderr, "ziptool: %s: not added\n", file.c_str());
                    ok = false;
                }
            }
        } else if (command == "d") {
            std::vector<int> indexes;
            archive.FindEntries(args, indexes);
            ok = indexes.size() == args.size() && archive.DeleteEntries(indexes);
        } else if (command == "r") {
            ok = args.size() == 2 && archive.RenameEntry(archive.FindFile(args[0]), args[1]);
        } else {
            ok = args.size() == 1 && archive.SetGlobalComment(args[0]);
        }
        archive.Close();
        if (!ok)
            std::fprintf(stderr, "ziptool: %s: refused\n", command.c_str());
        return ok ? 0 : 1;
    } catch (const CZipException& e) {
        std::fprintf(stderr, "ziptool: %s: %s (%d)\n", archivePath.c_str(),
                     e.GetErrorDescription().c_str(), e.Cause());
        archive.Close(CZipArchive::CloseAbandon, false);
        return 1;
    }
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
    std::vector<std::string> rest;
    bool keepPath = true;
    int level = -1;
    uint32_t volumeSize = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-p" && i + 1 < argc)
            password = argv[++i];
        else if (arg == "-j")
            keepPath = false;
        else if (arg == "-l" && i + 1 < argc)
            level = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else if (arg == "-v" && i + 1 < argc)
            volumeSize = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (archivePath.empty())
            archivePath = arg;
        else
            rest.push_back(arg);
    }
    if (archivePath.empty())
        return Usage();
    if (command == "a" || command == "d" || command == "r" || command == "c") {
        if (rest.empty())
            return Usage();
        return Modify(command, archivePath, rest, password, level, volumeSize);
    }
    if (rest.size() > 1)
        return Usage();
    if (!rest.empty())
        folder = rest[0];
    if (command == "x" && folder.empty())
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
