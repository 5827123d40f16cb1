// Writing archives: new archives, entries added, replaced, renamed and
// deleted, spanned sets, and failures that must leave the archive as it was.
// Natively every result is also checked by unzip, 7z and Python's zipfile.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <cctype>
#include <map>
#include <random>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Model = std::map<std::string, Bytes>; // name in program form -> contents

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

Bytes Text(size_t n, uint32_t seed) {
    static const char kWords[] = "the quick brown fox jumps over the lazy dog ";
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(kWords[(i * 7 + seed) % (sizeof kWords - 1)]);
    return out;
}

Bytes FromString(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Names and contents as this code reads them back, folders with no content.
Model ReadBack(CZipArchive& archive) {
    Model out;
    for (int i = 0; i < archive.GetCount(); ++i) {
        CZipEntryHeader h;
        EXPECT_TRUE(archive.GetFileInfo(h, i));
        CZipMemoryStream memory;
        if (!h.IsDirectory()) {
            EXPECT_TRUE(archive.ExtractToMemory(i, memory)) << h.GetFileName();
        }
        out[h.GetFileName()] =
            Bytes(memory.Data(), memory.Data() + static_cast<size_t>(memory.GetLength()));
    }
    return out;
}

Model ReadBack(const std::string& path, const char* password = nullptr) {
    CZipArchive archive;
    EXPECT_TRUE(archive.Open(path, CZipArchive::OpenReadOnly));
    archive.SetPassword(password);
    Model out = ReadBack(archive);
    archive.Close();
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

// The archive passes unzip, 7z and zipfile (when they are there), and
// extracting it with unzip gives the model's files.
void ExpectToolsAccept(const std::string& path, const Model& model, const char* password,
                       const std::string& what) {
#ifndef _WIN32
    if (!HaveTools())
        return;
    const std::string pw = password != nullptr ? password : "";
    EXPECT_EQ(RunTool("unzip -tq " + (pw.empty() ? "" : "-P " + pw + " ") + "'" + path + "'"), 0)
        << what << ": unzip -t";
    EXPECT_EQ(RunTool("7z t " + (pw.empty() ? "" : "-p" + pw + " ") + "'" + path + "'"), 0)
        << what << ": 7z t";
    EXPECT_EQ(RunTool("zipinfo '" + path + "'"), 0) << what << ": zipinfo";
    if (pw.empty()) {
        EXPECT_EQ(RunTool("python3 -m zipfile -t '" + path + "'"), 0) << what << ": zipfile -t";
    }
    const std::string out = ziptest::Scratch("tools_out");
    ASSERT_EQ(RunTool("unzip -qo " + (pw.empty() ? "" : "-P " + pw + " ") + "'" + path + "' -d '" +
                      out + "'"),
              0)
        << what;
    for (const auto& [name, bytes] : model) {
        std::string rel = name;
        for (char& c : rel) {
            if (c == '\\')
                c = '/';
        }
        if (!rel.empty() && rel.back() == '/') {
            EXPECT_TRUE(fs::is_directory(out + "/" + rel)) << what << ": " << rel;
            continue;
        }
        EXPECT_EQ(ziptest::ReadAll(out + "/" + rel), bytes) << what << ": " << rel;
    }
#else
    (void)path, (void)model, (void)password, (void)what;
#endif
}

// A source tree on disk: text, random data, an empty file, nested and empty
// folders. Returns the model with folder names ending in '\\'.
Model MakeTree(const std::string& root) {
    const std::map<std::string, Bytes> files = {
        {"notes.txt", Text(20000, 1)},
        {"noise.bin", RandomBytes(70000, 2)},
        {"empty.txt", {}},
        {"tiny.txt", FromString("abc")},
        {"sub/deeper/leaf.txt", Text(3000, 3)},
        {"sub/photo.raw", RandomBytes(5000, 4)},
    };
    Model model;
    for (const auto& [rel, bytes] : files) {
        fs::create_directories(fs::path(root + "/" + rel).parent_path());
        ziptest::WriteAll(root + "/" + rel, bytes);
        std::string name = rel;
        for (char& c : name) {
            if (c == '/')
                c = '\\';
        }
        model[name] = bytes;
    }
    fs::create_directories(root + "/hollow");
    model["hollow\\"] = {};
    model["sub\\"] = {};
    model["sub\\deeper\\"] = {};
    return model;
}

class ZipWriteTest : public ::testing::Test {
protected:
    void SetUp() override { ziptest::PinUtc(); }
};

TEST_F(ZipWriteTest, NewArchivesOfATreeReadBackHereAndInOtherTools) {
    const std::string dir = ziptest::Scratch("write_tree");
    const Model model = MakeTree(dir + "/src");
    struct Case {
        const char* what;
        int level;
        const char* password;
    };
    const Case cases[] = {
        {"stored", 0, nullptr},
        {"default level", -1, nullptr},
        {"fastest", 1, nullptr},
        {"best", 9, nullptr},
        {"deflated with a password", 6, "secret"},
        {"stored with a password", 0, "secret"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/out.zip";
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::Create)) << c.what;
        ASSERT_TRUE(archive.SetPassword(c.password));
        archive.SetRootFolder((dir + "/src").c_str());
        for (const auto& [name, bytes] : model) {
            std::string source = dir + "/src/" + name;
            ASSERT_TRUE(archive.AddNewFile(source, c.level, false)) << c.what << ": " << name;
        }
        archive.Close();
        EXPECT_EQ(ReadBack(path, c.password), model) << c.what;
        ExpectToolsAccept(path, model, c.password, c.what);

        // Levels land in the headers; folders and empty files stay plain.
        CZipArchive check;
        ASSERT_TRUE(check.Open(path, CZipArchive::OpenReadOnly));
        for (int i = 0; i < check.GetCount(); ++i) {
            CZipEntryHeader h;
            ASSERT_TRUE(check.GetFileInfo(h, i));
            const bool plain = h.IsDirectory() || h.m_uncompressedSize == 0;
            EXPECT_EQ(h.IsEncrypted(), c.password != nullptr && !plain)
                << c.what << ": " << h.GetFileName();
            if (h.IsDirectory() || h.m_uncompressedSize < 5)
                EXPECT_EQ(h.m_method, 0) << c.what << ": " << h.GetFileName();
            else
                EXPECT_EQ(h.m_method, c.level == 0 ? 0 : 8) << c.what << ": " << h.GetFileName();
            if (h.IsDirectory()) {
                // Folders can be entered by whoever extracts them.
                EXPECT_EQ((h.m_externalAttributes >> 16) & 0111u, 0111u) << h.GetFileName();
            }
        }
        check.Close();
    }
}

TEST_F(ZipWriteTest, EntryRulesForNamesLevelsAndLimits) {
    CZipMemoryStream memory;
    CZipArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(memory, CZipArchive::Create));

    // An empty name is numbered; a folder is stored whatever the level and
    // its name ends with a separator.
    CZipEntryHeader unnamed;
    ASSERT_TRUE(archive.OpenNewEntry(unnamed, 6));
    ASSERT_TRUE(archive.WriteEntry("data", 4));
    ASSERT_TRUE(archive.CloseNewEntry());
    CZipEntryHeader folder;
    folder.SetFileName("pictures");
    folder.m_externalAttributes = ZipPlatformOps::kAttrDirectory;
    ASSERT_TRUE(archive.OpenNewEntry(folder, 9));
    ASSERT_TRUE(archive.CloseNewEntry());
    CZipEntryHeader h;
    ASSERT_TRUE(archive.GetFileInfo(h, 0));
    EXPECT_EQ(h.GetFileName(), "file0");
    ASSERT_TRUE(archive.GetFileInfo(h, 1));
    EXPECT_EQ(h.GetFileName(), "pictures\\");
    EXPECT_EQ(h.m_method, 0);

    // Names that would leave the folder they are extracted to are refused.
    for (const char* name : {"..\\up.txt", "a\\..\\..\\b.txt", "\\rooted.txt", "/rooted.txt",
                             "c:\\drive.txt", "con", "dir\\nul.txt", "a\\\\b", "trailing."}) {
        CZipEntryHeader bad;
        bad.SetFileName(name);
        EXPECT_FALSE(archive.OpenNewEntry(bad, 6)) << name;
        CZipMemoryStream source;
        source.Write("x", 1);
        EXPECT_FALSE(archive.AddNewFile(source, name)) << name;
    }
    EXPECT_EQ(archive.GetCount(), 2);

    // Compression that does not pay is undone: the entry is stored, once.
    const Bytes noise = RandomBytes(40000, 9);
    CZipMemoryStream source;
    source.Write(noise.data(), static_cast<uint32_t>(noise.size()));
    CZipAddRequest request;
    request.m_stream = &source;
    request.m_nameInArchive = "noise.bin";
    request.m_level = 9;
    request.m_options = CZipAddRequest::kCheckPays;
    ASSERT_TRUE(archive.AddFile(request));
    ASSERT_EQ(archive.GetCount(), 3);
    ASSERT_TRUE(archive.GetFileInfo(h, 2));
    EXPECT_EQ(h.m_method, 0);
    EXPECT_EQ(h.m_compressedSize, noise.size());
    archive.Close();

    // Reading it back from the stream gives what went in.
    ASSERT_TRUE(archive.OpenFromMemory(memory, CZipArchive::OpenReadOnly));
    const Model back = ReadBack(archive);
    EXPECT_EQ(back.at("file0"), FromString("data"));
    EXPECT_EQ(back.at("noise.bin"), noise);
    archive.Close();
    EXPECT_FALSE(memory.IsClosed());
}

TEST_F(ZipWriteTest, TheLastEntryAnArchiveCanCountIsTheLimit) {
    CZipMemoryStream memory(1 << 20);
    CZipArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(memory, CZipArchive::Create));
    for (uint32_t i = 0; i < CZipArchive::kMaxEntries; ++i) {
        CZipEntryHeader h;
        h.SetFileName(ZipStr::FormatText("e%u", i));
        ASSERT_TRUE(archive.OpenNewEntry(h, 0)) << i;
        ASSERT_TRUE(archive.CloseNewEntry()) << i;
    }
    CZipEntryHeader extra;
    extra.SetFileName("one too many");
    EXPECT_FALSE(archive.OpenNewEntry(extra, 0));
    CZipMemoryStream source;
    EXPECT_FALSE(archive.AddNewFile(source, "one too many"));
    archive.Close();
    ASSERT_TRUE(archive.OpenFromMemory(memory, CZipArchive::OpenReadOnly));
    EXPECT_EQ(archive.GetCount(), 65535);
    archive.Close();
}

// Add, delete, rename and replace in an archive on disk, checking after each
// step with this code and with the other tools.
TEST_F(ZipWriteTest, ModifyingAnArchiveKeepsItReadableEverywhere) {
    const std::string dir = ziptest::Scratch("write_modify");
    const std::string path = dir + "/m.zip";
    Model model;
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::Create));
        for (int i = 0; i < 10; ++i) {
            const std::string name = ZipStr::FormatText("item%d.txt", i);
            const Bytes bytes = i % 3 == 0 ? RandomBytes(3000 + i, i) : Text(5000 + 100 * i, i);
            CZipMemoryStream source;
            source.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            ASSERT_TRUE(archive.AddNewFile(source, name, 6)) << name;
            model[name] = bytes;
        }
        ASSERT_TRUE(archive.SetGlobalComment("ten entries"));
        archive.Close();
    }
    EXPECT_EQ(ReadBack(path), model);
    ExpectToolsAccept(path, model, nullptr, "ten added");

    struct Step {
        const char* what;
        std::function<bool(CZipArchive&)> apply;
        std::function<void(Model&)> expect;
    };
    const Bytes middle = Text(12345, 77), last = RandomBytes(2222, 78);
    const Step steps[] = {
        {"delete 0, 2 and 5",
         [](CZipArchive& a) {
             return a.DeleteEntries({5, 0, 2});
         },
         [](Model& m) {
             m.erase("item0.txt");
             m.erase("item2.txt");
             m.erase("item5.txt");
         }},
        {"rename to a longer name",
         [](CZipArchive& a) {
             return a.RenameEntry(a.FindFile("item3.txt"), "folder/longer3.txt");
         },
         [](Model& m) {
             m["folder\\longer3.txt"] = m["item3.txt"];
             m.erase("item3.txt");
         }},
        {"rename to a name of the same length",
         [](CZipArchive& a) { return a.RenameEntry(a.FindFile("item4.txt"), "itemX.txt"); },
         [](Model& m) {
             m["itemX.txt"] = m["item4.txt"];
             m.erase("item4.txt");
         }},
        {"replace the last entry",
         [&last](CZipArchive& a) {
             CZipMemoryStream s;
             s.Write(last.data(), static_cast<uint32_t>(last.size()));
             CZipAddRequest r;
             r.m_stream = &s;
             r.m_nameInArchive = "item9.txt";
             r.m_replaceIndex = a.GetCount() - 1;
             return a.AddFile(r);
         },
         [&last](Model& m) { m["item9.txt"] = last; }},
        {"replace a middle entry by name",
         [&middle](CZipArchive& a) {
             CZipMemoryStream s;
             s.Write(middle.data(), static_cast<uint32_t>(middle.size()));
             CZipAddRequest r;
             r.m_stream = &s;
             r.m_nameInArchive = "ITEM6.TXT";
             r.m_replaceIndex = -2;
             return a.AddFile(r);
         },
         [&middle](Model& m) {
             m.erase("item6.txt");
             m["ITEM6.TXT"] = middle;
         }},
        {"add one more",
         [](CZipArchive& a) {
             CZipMemoryStream s;
             s.Write("tail", 4);
             return a.AddNewFile(s, "tail.txt", 0);
         },
         [](Model& m) { m["tail.txt"] = FromString("tail"); }},
    };
    for (const Step& step : steps) {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::OpenExisting)) << step.what;
        ASSERT_TRUE(step.apply(archive)) << step.what;
        step.expect(model);
        EXPECT_EQ(ReadBack(archive), model) << step.what; // before closing, too
        archive.Close();
        EXPECT_EQ(ReadBack(path), model) << step.what;
        ExpectToolsAccept(path, model, nullptr, step.what);
        CZipArchive comment;
        ASSERT_TRUE(comment.Open(path, CZipArchive::OpenReadOnly));
        EXPECT_EQ(comment.GetGlobalComment(), "ten entries") << step.what;
        comment.Close();
    }
    // Nothing is left beside the archive.
    EXPECT_EQ(ziptest::ListTree(dir), std::vector<std::string>{"m.zip"});
}

TEST_F(ZipWriteTest, EntriesAddedWhileOpenAreFoundByNameInAnyCase) {
    const std::string path = ziptest::Scratch("write_find") + "/f.zip";
    CZipArchive archive;
    ASSERT_TRUE(archive.Open(path, CZipArchive::Create));
    // Out of order and in mixed case, so each one lands inside the index.
    const char* const names[] = {"Mid.txt", "alpha.txt", "Zulu.txt", "beta.txt", "MIDDLE.txt"};
    for (const char* name : names) {
        CZipMemoryStream s;
        s.Write(name, 3);
        ASSERT_TRUE(archive.AddNewFile(s, name, 0)) << name;
        EXPECT_EQ(archive.FindFile(name), archive.GetCount() - 1) << name;
    }
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
        std::string upper = names[i];
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(archive.FindFile(upper), i) << upper;
    }
    EXPECT_EQ(archive.FindFile("gamma.txt"), -1);
    archive.Close();
}

TEST_F(ZipWriteTest, RefusalsChangeNothing) {
    const std::string dir = ziptest::Scratch("write_refusals");
    const std::string path = dir + "/r.zip";
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::Create));
        CZipMemoryStream s;
        s.Write("hello", 5);
        ASSERT_TRUE(archive.AddNewFile(s, "a.txt"));
        archive.Close();
    }
    const Bytes before = ziptest::ReadAll(path);
    CZipArchive archive;
    ASSERT_TRUE(archive.Open(path, CZipArchive::OpenReadOnly));
    CZipMemoryStream s;
    s.Write("x", 1);
    EXPECT_FALSE(archive.AddNewFile(s, "b.txt"));
    EXPECT_FALSE(archive.DeleteEntry(0));
    EXPECT_FALSE(archive.RenameEntry(0, "c.txt"));
    EXPECT_FALSE(archive.SetGlobalComment("no"));
    archive.Close();
    ASSERT_TRUE(archive.Open(path, CZipArchive::OpenExisting));
    EXPECT_FALSE(archive.DeleteEntry(1));
    EXPECT_FALSE(archive.DeleteEntries({}));
    EXPECT_FALSE(archive.RenameEntry(0, "..\\escape.txt"));
    CZipAddRequest r;
    r.m_stream = &s;
    r.m_nameInArchive = "b.txt";
    r.m_replaceIndex = 7;
    EXPECT_FALSE(archive.AddFile(r));
    ASSERT_TRUE(archive.OpenEntry(0));
    EXPECT_FALSE(archive.AddNewFile(s, "b.txt")); // an entry is open
    archive.CloseEntry();
    EXPECT_TRUE(archive.RenameEntry(0, "a.txt")); // the same name: nothing to do
    archive.Close();
    EXPECT_EQ(ziptest::ReadAll(path), before);
}

// Copying entries between archives keeps their compressed data; the index
// list refers to the source.
TEST_F(ZipWriteTest, EntriesCopyBetweenArchives) {
    CZipMemoryStream sourceMemory, targetMemory;
    CZipArchive source, target;
    ASSERT_TRUE(source.OpenFromMemory(sourceMemory, CZipArchive::Create));
    ASSERT_TRUE(source.SetPassword("secret"));
    Model model;
    for (int i = 0; i < 4; ++i) {
        const std::string name = ZipStr::FormatText("c%d.txt", i);
        const Bytes bytes = Text(1000 + i, i);
        CZipMemoryStream s;
        s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
        ASSERT_TRUE(source.AddNewFile(s, name));
        if (i != 1)
            model[name] = bytes;
    }
    source.Close();
    ASSERT_TRUE(source.OpenFromMemory(sourceMemory, CZipArchive::OpenReadOnly));
    ASSERT_TRUE(target.OpenFromMemory(targetMemory, CZipArchive::Create));
    ASSERT_TRUE(target.CopyEntriesFrom(source, {3, 0, 2, 17}));
    EXPECT_EQ(target.GetCount(), 3);
    target.Close();
    source.Close();
    ASSERT_TRUE(target.OpenFromMemory(targetMemory, CZipArchive::OpenReadOnly));
    target.SetPassword("secret");
    EXPECT_EQ(ReadBack(target), model);
    target.Close();
}

// Fixed-size spanned sets: volumes "name.000", "name.001", ... and the last
// one "name.zip". 7z reads them once renamed to its ".z01"... convention.
TEST_F(ZipWriteTest, SpannedSetsSplitAcrossVolumesOrCollapseIntoOne) {
    const std::string dir = ziptest::Scratch("write_span");
    const uint32_t volume = 64 * 1024;
    const Bytes big = RandomBytes(200000, 5), text = Text(30000, 6);
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(dir + "/big.zip", CZipArchive::CreateSpan, volume));
        CZipMemoryStream a, b;
        a.Write(big.data(), static_cast<uint32_t>(big.size()));
        b.Write(text.data(), static_cast<uint32_t>(text.size()));
        ASSERT_TRUE(archive.AddNewFile(a, "random.bin", 6));
        ASSERT_TRUE(archive.AddNewFile(b, "words.txt", 6));
        // A span only grows.
        EXPECT_FALSE(archive.DeleteEntry(0));
        EXPECT_FALSE(archive.OpenEntry(0));
        archive.Close();
    }
    const std::vector<std::string> volumes = {"big.000", "big.001", "big.002", "big.zip"};
    EXPECT_EQ(ziptest::ListTree(dir), volumes);
    for (const std::string& v : volumes)
        EXPECT_LE(fs::file_size(dir + "/" + v), volume) << v;
    const Bytes first = ziptest::ReadAll(dir + "/big.000");
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 4), (Bytes{0x50, 0x4B, 0x07, 0x08}));
    const Model expected = {{"random.bin", big}, {"words.txt", text}};
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(dir + "/big.zip", CZipArchive::OpenReadOnly, 1));
        EXPECT_EQ(ReadBack(archive), expected);
        archive.Close();
    }
#ifndef _WIN32
    if (HaveTools()) {
        const std::string renamed = ziptest::Scratch("write_span_7z");
        for (size_t i = 0; i + 1 < volumes.size(); ++i)
            fs::copy_file(dir + "/" + volumes[i],
                          renamed + ZipStr::FormatText("/big.z%02d", int(i) + 1));
        fs::copy_file(dir + "/big.zip", renamed + "/big.zip");
        EXPECT_EQ(RunTool("7z t '" + renamed + "/big.zip'"), 0);
    }
#endif

    // A set that fits its first volume is one plain archive.
    const std::string small = ziptest::Scratch("write_span_small");
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(small + "/small.zip", CZipArchive::CreateSpan, volume));
        ASSERT_TRUE(archive.SetPassword("secret"));
        CZipMemoryStream a;
        a.Write(text.data(), static_cast<uint32_t>(text.size()));
        ASSERT_TRUE(archive.AddNewFile(a, "words.txt", 6));
        ASSERT_TRUE(archive.SetPassword(nullptr));
        CZipMemoryStream b;
        b.Write("plain", 5);
        ASSERT_TRUE(archive.AddNewFile(b, "plain.txt", 0));
        archive.Close();
    }
    EXPECT_EQ(ziptest::ListTree(small), std::vector<std::string>{"small.zip"});
    const Bytes plain = ziptest::ReadAll(small + "/small.zip");
    ASSERT_GE(plain.size(), 4u);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 4), (Bytes{0x50, 0x4B, 0x03, 0x04}));
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(small + "/small.zip", CZipArchive::OpenExisting));
        archive.SetPassword("secret");
        CZipEntryHeader h;
        ASSERT_TRUE(archive.GetFileInfo(h, 1));
        EXPECT_FALSE(h.HasDescriptor()); // only the encrypted entry keeps one
        EXPECT_EQ(ReadBack(archive),
                  (Model{{"words.txt", text}, {"plain.txt", FromString("plain")}}));
        archive.Close();
    }
#ifndef _WIN32
    if (HaveTools()) {
        EXPECT_EQ(RunTool("unzip -tq -P secret '" + small + "/small.zip'"), 0);
        EXPECT_EQ(RunTool("7z t -psecret '" + small + "/small.zip'"), 0);
    }
#endif
}

TEST_F(ZipWriteTest, ASpanStopsAtItsThousandthVolume) {
    const std::string dir = ziptest::Scratch("write_span_limit");
    CZipArchive archive;
    ASSERT_TRUE(archive.Open(dir + "/many.zip", CZipArchive::CreateSpan, 100));
    const Bytes data = RandomBytes(120000, 8);
    CZipMemoryStream s;
    s.Write(data.data(), static_cast<uint32_t>(data.size()));
    EXPECT_EQ(CauseOf([&] { archive.AddNewFile(s, "big.bin", 0); }),
              CZipException::kTooManyVolumes);
    archive.Close(CZipArchive::CloseAbandon);
    EXPECT_TRUE(fs::exists(dir + "/many.998"));
    EXPECT_FALSE(fs::exists(dir + "/many.999"));
}

class AlwaysYes : public CZipSpanCallback {
public:
    bool OnDiskChange(int) override { return true; }
};

TEST_F(ZipWriteTest, RemovableDiskSetsNeedACallbackAndARemovableDrive) {
    const std::string dir = ziptest::Scratch("write_span_removable");
    CZipArchive archive;
    EXPECT_EQ(CauseOf([&] { archive.Open(dir + "/r.zip", CZipArchive::CreateSpan, 0); }),
              CZipException::kNoCallback);
    AlwaysYes yes;
    archive.SetSpanCallback(&yes);
    EXPECT_EQ(CauseOf([&] { archive.Open(dir + "/r.zip", CZipArchive::CreateSpan, 0); }),
              CZipException::kNonRemovable);
    EXPECT_TRUE(archive.IsClosed());
    EXPECT_TRUE(ziptest::ListTree(dir).empty());
}

// Writing that fails half-way, by a callback or a full disk, leaves the
// archive byte for byte as it was.
class CancelAfter : public CZipActionCallback {
public:
    explicit CancelAfter(uint32_t bytes) : m_left(bytes) {}
    bool Advance(uint32_t count) override {
        if (count >= m_left)
            return false;
        m_left -= count;
        return true;
    }

private:
    uint32_t m_left;
};

TEST_F(ZipWriteTest, FailuresHalfWayLeaveTheArchiveAsItWas) {
    const std::string dir = ziptest::Scratch("write_failures");
    const std::string path = dir + "/f.zip";
    const Bytes big = RandomBytes(300000, 11);
    ziptest::WriteAll(dir + "/big.bin", big);
    Model model;
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::Create));
        for (int i = 0; i < 3; ++i) {
            const std::string name = ZipStr::FormatText("k%d.txt", i);
            const Bytes bytes = Text(4000, i);
            CZipMemoryStream s;
            s.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            ASSERT_TRUE(archive.AddNewFile(s, name));
            model[name] = bytes;
        }
        ASSERT_TRUE(archive.SetGlobalComment("keep me"));
        archive.Close();
    }
    const Bytes before = ziptest::ReadAll(path);

    // A callback that stops an addition half-way.
    {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::OpenExisting));
        CancelAfter cancel(100000);
        archive.SetProgressCallback(&cancel, CZipArchive::cbAdd);
        EXPECT_EQ(CauseOf([&] { archive.AddNewFile(dir + "/big.bin", "big.bin", 0, 0, 65536); }),
                  CZipException::kAbortedSafely);
        EXPECT_EQ(archive.GetCount(), 3);
        EXPECT_EQ(ReadBack(archive), model);
        archive.Close();
        EXPECT_EQ(ziptest::ReadAll(path), before);
    }
#ifndef _WIN32
    // A full disk, as the file system reports it to a process over its
    // file-size limit: an addition, a replacement and a deletion fail with
    // the system's error and change nothing.
    struct Case {
        const char* what;
        std::function<void(CZipArchive&)> apply;
    };
    const Case cases[] = {
        {"add", [&](CZipArchive& a) { a.AddNewFile(dir + "/big.bin", "big.bin", 0); }},
        {"replace",
         [&](CZipArchive& a) {
             CZipAddRequest r;
             r.m_sourcePath = dir + "/big.bin";
             r.m_nameInArchive = "k1.txt";
             r.m_level = 0;
             r.m_replaceIndex = 1;
             a.SetTempFolder(dir + "/tmp", true);
             a.AddFile(r);
         }},
        {"delete", [&](CZipArchive& a) { a.DeleteEntry(0); }},
    };
    fs::create_directories(dir + "/tmp");
    signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        CZipArchive archive;
        ASSERT_TRUE(archive.Open(path, CZipArchive::OpenExisting)) << c.what;
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit tight = saved;
        // Room for the archive itself, not for a second copy beside it.
        tight.rlim_cur =
            static_cast<rlim_t>(c.what[0] == 'd' ? before.size() / 2 : before.size() + 20000);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const int cause = CauseOf([&] { c.apply(archive); });
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
        EXPECT_NE(cause, 0) << c.what;
        EXPECT_EQ(ReadBack(archive), model) << c.what;
        archive.Close();
        EXPECT_EQ(ziptest::ReadAll(path), before) << c.what;
        EXPECT_EQ(ziptest::ListTree(dir), (std::vector<std::string>{"big.bin", "f.zip", "tmp/"}))
            << c.what;
    }
    signal(SIGXFSZ, SIG_DFL);
#endif
}

} // namespace
