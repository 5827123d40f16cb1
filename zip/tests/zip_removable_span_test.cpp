// Spanned sets on removable disks, written and read through a disk changer
// made of folders: the folder "drive" is the disk in the drive, the others
// ("disk1", "disk2", ...) wait on the shelf. The changer answers the storage's
// disk-change requests and stands in for the drive's type, free space and
// label. Natively the sets are also checked by 7z, and their entries joined
// into one plain archive by unzip, 7z and Python's zipfile.
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>

#include "platform/fs.h"
#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"
#include "zip/zip_path.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Model = std::map<std::string, Bytes>;

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CZipException& e) {
        return e.Cause();
    }
    return 0;
}

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

Bytes Text(size_t n) {
    static const char kWords[] = "a spanned set keeps one file on every disk ";
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(kWords[i % (sizeof kWords - 1)]);
    return out;
}

#ifndef _WIN32
bool HaveTools() {
    return std::system("unzip -v > /dev/null 2>&1") == 0 &&
           std::system("7z > /dev/null 2>&1") == 0 &&
           std::system("python3 -c 'import zipfile' > /dev/null 2>&1") == 0;
}

int RunTool(const std::string& command) {
    const int rc = std::system((command + " > /dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}
#endif

// One request of the storage, as the changer saw it.
struct Request {
    int code;
    int disk;
    bool operator==(const Request& o) const { return code == o.code && disk == o.disk; }
};
std::ostream& operator<<(std::ostream& os, const Request& r) {
    return os << "{" << r.code << ", disk " << r.disk << "}";
}

class FolderDiskChanger : public plat::RemovableDrives, public CZipSpanCallback {
public:
    // Which shelf disk to put in for a request: its number, 0 for none (the
    // drive stays empty), -1 to refuse. By default disk n for disk number n.
    using Choice = std::function<int(int code, int diskNumber)>;

    FolderDiskChanger(const std::string& root, uint64_t capacity)
        : m_root(root), m_capacity(capacity) {
        m_previous = plat::SetDrives(this);
    }
    ~FolderDiskChanger() override { plat::SetDrives(m_previous); }

    std::string ArchivePath() const { return m_root + "/drive/set.zip"; }
    std::string Shelf(int disk) const { return m_root + "/disk" + std::to_string(disk); }
    // Where a disk's files are now: in the drive or on the shelf.
    std::string DiskFolder(int disk) const {
        return disk == m_inDrive ? m_root + "/drive" : Shelf(disk);
    }

    void Insert(int disk) {
        if (m_inDrive == disk)
            return;
        if (m_inDrive != 0)
            fs::rename(m_root + "/drive", Shelf(m_inDrive));
        m_inDrive = disk;
        if (disk == 0)
            return;
        fs::create_directories(Shelf(disk));
        fs::rename(Shelf(disk), m_root + "/drive");
    }

    bool OnDiskChange(int code) override {
        m_requests.push_back({code, m_diskNumber});
        if (m_volumePath != ArchivePath())
            m_wrongPaths = true;
        const int disk = m_choose ? m_choose(code, m_diskNumber) : m_diskNumber;
        if (disk < 0)
            return false;
        Insert(disk);
        return true;
    }

    bool IsRemovable(const char*) override { return m_removable; }
    bool FreeSpace(const char*, uint64_t* bytes) override {
        if (m_inDrive == 0)
            return false;
        uint64_t used = 0;
        for (const auto& e : fs::directory_iterator(m_root + "/drive"))
            used += e.is_regular_file() ? e.file_size() : 0;
        *bytes = used >= m_capacity ? 0 : m_capacity - used;
        return true;
    }
    bool SetLabel(const char*, const char* label) override {
        if (m_inDrive == 0 || m_failLabels > 0) {
            --m_failLabels;
            return false;
        }
        m_labels[m_inDrive] = label;
        return true;
    }
    bool GetLabel(const char*, std::string* label) override {
        auto it = m_labels.find(m_inDrive);
        if (it == m_labels.end())
            return false;
        *label = it->second;
        return true;
    }

    std::string m_root;
    uint64_t m_capacity;
    int m_inDrive = 0;
    bool m_removable = true;
    int m_failLabels = 0;
    bool m_wrongPaths = false;
    Choice m_choose;
    std::vector<Request> m_requests;
    std::map<int, std::string> m_labels;

private:
    plat::RemovableDrives* m_previous = nullptr;
};

Model ReadBack(CZipArchive& archive) {
    Model out;
    for (int i = 0; i < archive.GetCount(); ++i) {
        CZipEntryHeader h;
        EXPECT_TRUE(archive.GetFileInfo(h, i));
        CZipMemoryStream memory;
        EXPECT_TRUE(archive.ExtractToMemory(i, memory)) << h.GetFileName();
        out[h.GetFileName()] =
            Bytes(memory.Data(), memory.Data() + static_cast<size_t>(memory.GetLength()));
    }
    return out;
}

void Add(CZipArchive& archive, const std::string& name, const Bytes& bytes, Model* model) {
    CZipMemoryStream s;
    s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(archive.AddNewFile(s, name, 6));
    (*model)[name] = bytes;
}

// The set's file on a disk that waits on the shelf.
std::string Shelf(const std::string& root, int disk) {
    return root + "/disk" + std::to_string(disk) + "/set.zip";
}

TEST(RemovableDiskSpan, ASetWrittenOverThreeDisksReadsBackDiskByDisk) {
    const std::string root = ziptest::Scratch("removable_three");
    const uint64_t capacity = 48 * 1024;
    FolderDiskChanger changer(root, capacity);
    Model model;
    {
        CZipArchive archive;
        archive.SetSpanCallback(&changer);
        ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::CreateSpan, 0));
        Add(archive, "random.bin", RandomBytes(90000, 3), &model);
        Add(archive, "words.txt", Text(30000), &model);
        Add(archive, "more.bin", RandomBytes(9000, 4), &model);
        archive.Close();
    }
    EXPECT_FALSE(changer.m_wrongPaths);
    // The first disk is asked for with the 4 bytes of the spanning signature,
    // each next one with the bytes that must fit on it (at least one).
    ASSERT_EQ(changer.m_requests.size(), 3u);
    EXPECT_EQ(changer.m_requests[0], (Request{4, 1}));
    for (size_t i = 1; i < changer.m_requests.size(); ++i) {
        EXPECT_GE(changer.m_requests[i].code, 1) << i;
        EXPECT_EQ(changer.m_requests[i].disk, int(i) + 1);
    }
    EXPECT_EQ(changer.m_labels, (std::map<int, std::string>{
                                    {1, "pkback# 001"}, {2, "pkback# 002"}, {3, "pkback# 003"}}));
    // The same file name on every disk, none fuller than the disk.
    for (int disk = 1; disk <= 3; ++disk) {
        EXPECT_EQ(ziptest::ListTree(changer.DiskFolder(disk)), std::vector<std::string>{"set.zip"});
        EXPECT_LE(fs::file_size(changer.DiskFolder(disk) + "/set.zip"), capacity) << disk;
    }
    const Bytes first = ziptest::ReadAll(changer.DiskFolder(1) + "/set.zip");
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 4), (Bytes{0x50, 0x4B, 0x07, 0x08}));

    // Read from the last disk, which holds the directory; every other disk is
    // asked for by number with code -1.
    changer.m_requests.clear();
    {
        CZipArchive archive;
        archive.SetSpanCallback(&changer);
        ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::OpenReadOnly));
        EXPECT_EQ(ReadBack(archive), model);
        archive.Close();
    }
    ASSERT_FALSE(changer.m_requests.empty());
    for (const Request& r : changer.m_requests) {
        EXPECT_EQ(r.code, -1);
        EXPECT_TRUE(r.disk >= 1 && r.disk <= 3) << r;
    }
    EXPECT_EQ(changer.m_requests.front().disk, 1);

    // Without a changer the set cannot be read.
    {
        CZipArchive archive;
        changer.Insert(3);
        EXPECT_EQ(CauseOf([&] { archive.Open(changer.ArchivePath(), CZipArchive::OpenReadOnly); }),
                  CZipException::kNoCallback);
        EXPECT_TRUE(archive.IsClosed());
    }

    // The disks' files joined: as a split set for 7z, and their entries
    // into one plain archive for every tool.
    changer.Insert(0);
    const std::string joined = ziptest::Scratch("removable_three_joined");
    for (int disk = 1; disk <= 2; ++disk)
        fs::copy_file(Shelf(root, disk), joined + ZipStr::FormatText("/set.z%02d", disk));
    fs::copy_file(Shelf(root, 3), joined + "/set.zip");
    changer.Insert(3);
    {
        CZipArchive source, plain;
        source.SetSpanCallback(&changer);
        ASSERT_TRUE(source.Open(changer.ArchivePath(), CZipArchive::OpenReadOnly));
        ASSERT_TRUE(plain.Open(joined + "/plain.zip", CZipArchive::Create));
        // A spanned source is copied by what its entries hold.
        for (const auto& [name, bytes] : ReadBack(source)) {
            CZipMemoryStream s;
            s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            ASSERT_TRUE(plain.AddNewFile(s, name, 6));
        }
        plain.Close();
        source.Close();
        CZipArchive check;
        ASSERT_TRUE(check.Open(joined + "/plain.zip", CZipArchive::OpenReadOnly));
        EXPECT_EQ(ReadBack(check), model);
        check.Close();
    }
#ifndef _WIN32
    if (HaveTools()) {
        EXPECT_EQ(RunTool("7z t '" + joined + "/set.zip'"), 0);
        const std::string plain = joined + "/plain.zip";
        EXPECT_EQ(RunTool("unzip -tq '" + plain + "'"), 0);
        EXPECT_EQ(RunTool("7z t '" + plain + "'"), 0);
        EXPECT_EQ(RunTool("python3 -m zipfile -t '" + plain + "'"), 0);
    }
#endif
}

TEST(RemovableDiskSpan, ASetThatFitsOneDiskBecomesAPlainArchive) {
    const std::string root = ziptest::Scratch("removable_one");
    FolderDiskChanger changer(root, 1 << 20);
    Model model;
    {
        CZipArchive archive;
        archive.SetSpanCallback(&changer);
        ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::CreateSpan, 0));
        Add(archive, "a.txt", Text(5000), &model);
        Add(archive, "b.bin", RandomBytes(3000, 9), &model);
        archive.Close();
    }
    EXPECT_EQ(changer.m_requests, (std::vector<Request>{{4, 1}}));
    EXPECT_EQ(changer.m_labels, (std::map<int, std::string>{{1, "pkback# 001"}}));
    const Bytes bytes = ziptest::ReadAll(changer.ArchivePath());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x50, 0x4B, 0x03, 0x04}));
    {
        // A plain archive: no disk is asked for, none is needed.
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::OpenReadOnly));
        EXPECT_EQ(ReadBack(archive), model);
        archive.Close();
    }
#ifndef _WIN32
    if (HaveTools()) {
        EXPECT_EQ(RunTool("unzip -tq '" + changer.ArchivePath() + "'"), 0);
        EXPECT_EQ(RunTool("7z t '" + changer.ArchivePath() + "'"), 0);
        EXPECT_EQ(RunTool("python3 -m zipfile -t '" + changer.ArchivePath() + "'"), 0);
    }
#endif
}

// What the storage does when the first disk is not what it needs.
struct FirstDiskCase {
    const char* what;
    std::function<void(FolderDiskChanger&)> prepare;
    int cause;                     // of the open; 0: it succeeds
    std::vector<Request> requests; // as the changer saw them
    bool bounded = false;          // asked again and again, up to the limit
};

TEST(RemovableDiskSpan, EveryUnusableDiskIsAskedForAgainOrEndsTheSetWithAClearError) {
    const std::vector<FirstDiskCase> cases = {
        {"a refused disk change ends the set",
         [](FolderDiskChanger& c) { c.m_choose = [](int, int) { return -1; }; },
         CZipException::kAbortedDiskChange,
         {{4, 1}}},
        {"a disk that already holds the file is asked for again",
         [](FolderDiskChanger& c) {
             fs::create_directories(c.Shelf(7));
             ziptest::WriteAll(c.Shelf(7) + "/set.zip", Bytes{1, 2, 3});
             int calls = 0;
             c.m_choose = [calls](int, int) mutable { return ++calls == 1 ? 7 : 1; };
         },
         0,
         {{4, 1}, {-2, 1}}},
        {"a label that cannot be set is asked for again",
         [](FolderDiskChanger& c) { c.m_failLabels = 1; },
         0,
         {{4, 1}, {-3, 1}}},
        {"a file that cannot be created is asked for again",
         [](FolderDiskChanger& c) {
             // A disk in the drive whose folder is gone: the label is set,
             // the file cannot be made.
             int calls = 0;
             c.m_choose = [&c, calls](int, int) mutable {
                 if (++calls == 1) {
                     c.Insert(5);
                     fs::remove_all(c.m_root + "/drive");
                     return 5;
                 }
                 fs::create_directories(c.m_root + "/drive");
                 return 5;
             };
         },
         0,
         {{4, 1}, {-4, 1}}},
        {"a changer that always goes on without a new disk is given up",
         [](FolderDiskChanger& c) {
             fs::create_directories(c.Shelf(1));
             ziptest::WriteAll(c.Shelf(1) + "/set.zip", Bytes{9});
         },
         CZipException::kAbortedDiskChange,
         {},
         true},
        {"a drive that is not removable is refused before any disk is asked for",
         [](FolderDiskChanger& c) { c.m_removable = false; },
         CZipException::kNonRemovable,
         {}},
    };
    int n = 0;
    for (const FirstDiskCase& k : cases) {
        SCOPED_TRACE(k.what);
        const std::string root = ziptest::Scratch("removable_refusals" + std::to_string(n++));
        FolderDiskChanger changer(root, 1 << 20);
        k.prepare(changer);
        CZipArchive archive;
        archive.SetSpanCallback(&changer);
        const int cause =
            CauseOf([&] { archive.Open(changer.ArchivePath(), CZipArchive::CreateSpan, 0); });
        EXPECT_EQ(cause, k.cause);
        if (k.bounded) {
            ASSERT_EQ(changer.m_requests.size(), size_t(CZipVolumeStorage::kMaxDiskRequests));
            EXPECT_EQ(changer.m_requests[0], (Request{4, 1}));
            for (size_t i = 1; i < changer.m_requests.size(); ++i)
                EXPECT_EQ(changer.m_requests[i], (Request{-2, 1})) << i;
            // The file of that name that was on the disk is left alone.
            EXPECT_EQ(ziptest::ReadAll(changer.ArchivePath()), Bytes{9});
        } else {
            EXPECT_EQ(changer.m_requests, k.requests);
        }
        if (cause == 0) {
            Model model;
            Add(archive, "x.txt", Text(100), &model);
            archive.Close();
            CZipArchive back;
            ASSERT_TRUE(back.Open(changer.ArchivePath(), CZipArchive::OpenReadOnly));
            EXPECT_EQ(ReadBack(back), model);
            back.Close();
        } else {
            EXPECT_TRUE(archive.IsClosed());
        }
    }
}

TEST(RemovableDiskSpan, ChangesRefusedHalfWayOrWhileReadingEndWithCode104) {
    const std::string root = ziptest::Scratch("removable_halfway");
    FolderDiskChanger changer(root, 20000);
    changer.m_choose = [](int code, int disk) { return disk <= 1 ? disk : -1; };
    Model model;
    {
        CZipArchive archive;
        archive.SetSpanCallback(&changer);
        ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::CreateSpan, 0));
        const Bytes big = RandomBytes(50000, 5);
        CZipMemoryStream s;
        s.Write(big.data(), static_cast<uint32_t>(big.size()));
        EXPECT_EQ(CauseOf([&] { archive.AddNewFile(s, "big.bin", 0); }),
                  CZipException::kAbortedDiskChange);
        archive.Close(CZipArchive::CloseAbandon);
    }
    EXPECT_EQ(changer.m_requests.back().disk, 2);

    // A complete set whose reader refuses to change disks.
    const std::string root2 = ziptest::Scratch("removable_read_refused");
    FolderDiskChanger writer(root2, 20000);
    {
        CZipArchive archive;
        archive.SetSpanCallback(&writer);
        ASSERT_TRUE(archive.Open(writer.ArchivePath(), CZipArchive::CreateSpan, 0));
        Add(archive, "big.bin", RandomBytes(30000, 6), &model);
        archive.Close();
    }
    ASSERT_GE(writer.m_requests.size(), 2u);
    // The reader's answer when the first disk is asked for, and the error.
    struct ReaderCase {
        const char* what;
        int disk; // -1 refuses, 0 leaves the drive empty, 1 brings the disk asked for
        int cause;
    };
    const ReaderCase readers[] = {
        {"the change is refused", -1, CZipException::kAbortedDiskChange},
        {"the drive is left empty", 0, ENOENT},
        {"the right disk comes", 1, 0},
    };
    for (const ReaderCase& r : readers) {
        SCOPED_TRACE(r.what);
        writer.Insert(2);
        writer.m_choose = [&r](int, int asked) { return r.disk > 0 ? asked : r.disk; };
        CZipArchive archive;
        archive.SetSpanCallback(&writer);
        // The directory is on the last disk; the entry starts on the first.
        ASSERT_TRUE(archive.Open(writer.ArchivePath(), CZipArchive::OpenReadOnly));
        CZipMemoryStream out;
        EXPECT_EQ(CauseOf([&] { archive.ExtractToMemory(0, out); }), r.cause);
        archive.Close(CZipArchive::CloseAbandon);
        if (r.cause == 0) {
            EXPECT_EQ(Bytes(out.Data(), out.Data() + static_cast<size_t>(out.GetLength())),
                      model["big.bin"]);
        }
    }
}

TEST(RemovableDiskSpan, TheThousandthDiskIsRefusedWithCode108) {
    const std::string root = ziptest::Scratch("removable_limit");
    FolderDiskChanger changer(root, 100);
    CZipArchive archive;
    archive.SetSpanCallback(&changer);
    ASSERT_TRUE(archive.Open(changer.ArchivePath(), CZipArchive::CreateSpan, 0));
    const Bytes data = RandomBytes(120000, 8);
    CZipMemoryStream s;
    s.Write(data.data(), static_cast<uint32_t>(data.size()));
    EXPECT_EQ(CauseOf([&] { archive.AddNewFile(s, "big.bin", 0); }),
              CZipException::kTooManyVolumes);
    archive.Close(CZipArchive::CloseAbandon);
    EXPECT_EQ(changer.m_requests.back().disk, 999);
    EXPECT_EQ(changer.m_labels[999], "pkback# 999");
}

} // namespace
