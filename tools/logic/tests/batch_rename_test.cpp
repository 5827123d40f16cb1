// Batch rename: the sample the dialog shows, names made by concatenation
// (a '%' anywhere stays literal), and the run over a table of files: moving a
// selected file out of the way, skipping a number that belongs to another
// file, lower-case extensions, and never writing over a file.
#include "tools/logic/batch_rename.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace batch_rename;

TEST(BatchRenameSample, ShowsTheFirstThreeNamesWithTheirPadding) {
    struct Case {
        const char* prefix;
        int first;
        int padding;
        const char* sample;
    } cases[] = {
        {"PHOTO", 1, 3, "PHOTO001.ext, PHOTO002.ext, PHOTO003.ext..."},
        {"PHOTO", 7, 0, "PHOTO7.ext, PHOTO8.ext, PHOTO9.ext..."},
        {"PHOTO", 99, 2, "PHOTO99.ext, PHOTO100.ext, PHOTO101.ext..."},
        {"50%", 1, 0, "50%1.ext, 50%2.ext, 50%3.ext..."},
        {"%s%n%d", 0, 1, "%s%n%d0.ext, %s%n%d1.ext, %s%n%d2.ext..."},
        {"", 16959, 10, "0000016959.ext, 0000016960.ext, 0000016961.ext..."},
    };
    for (const Case& c : cases) {
        const Pattern pattern{c.prefix, c.first, c.padding};
        EXPECT_EQ(Sample(pattern), c.sample) << c.prefix << ' ' << c.first << ' ' << c.padding;
    }
}

TEST(BatchRenameNames, RefusePrefixesNoFileNameMayHold) {
    for (const char* good : {"PHOTO", "", "50% off", "a.b", "Holiday 2024 - "})
        EXPECT_TRUE(IsValidPrefix(good)) << good;
    for (const char* bad : {"a\\b", "a/b", "c:", "*", "why?", "\"q\"", "<", ">", "a|b", "tab\t"})
        EXPECT_FALSE(IsValidPrefix(bad)) << bad;
}

TEST(BatchRenameNames, TakeTheExtensionInLowerCaseFromTheFileNameOnly) {
    struct Case {
        const char* path;
        const char* extension;
        const char* folder;
    } cases[] = {
        {"C:\\p\\A.JPG", ".jpg", "C:\\p"},
        {"C:\\p\\a.tar.GZ", ".gz", "C:\\p"},
        {"C:\\p.d\\noext", "", "C:\\p.d"},
        {"plain.Png", ".png", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LowerExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
    }
    EXPECT_EQ(Join("C:\\", "x.jpg"), "C:\\x.jpg");
    EXPECT_EQ(Join("C:\\100% photos", "x.jpg"), "C:\\100% photos\\x.jpg");
}

// A folder as a table of names (compared without regard to case, as the
// disk does), recording every step the run takes.
class TableFiles : public FileSystem {
public:
    explicit TableFiles(std::vector<std::string> paths) {
        for (const std::string& p : paths)
            m_files[Key(p)] = p;
    }
    bool Exists(const std::string& path) override { return m_files.count(Key(path)) != 0; }
    bool MoveAside(const std::string& from, const std::string& to) override {
        return Move("aside " + from + " -> " + to, from, to);
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return Move("rename " + from + " -> " + to, from, to);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : m_files)
            names.push_back(entry.second);
        return names;
    }
    std::vector<std::string> steps;
    std::string refuse; // a source whose moves fail

private:
    static std::string Key(std::string path) {
        for (char& c : path)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return path;
    }
    bool Move(const std::string& step, const std::string& from, const std::string& to) {
        steps.push_back(step);
        // A move onto an existing file would lose it: the run must never ask.
        EXPECT_FALSE(Exists(to)) << step;
        if (from == refuse || !Exists(from) || Exists(to))
            return false;
        m_files.erase(Key(from));
        m_files[Key(to)] = to;
        return true;
    }
    std::map<std::string, std::string> m_files;
};

TEST(BatchRenameRun, MovesSelectedFilesAsideSkipsOthersNamesAndLowersExtensions) {
    struct Case {
        const char* what;
        std::vector<std::string> folder;
        std::vector<std::string> selection;
        const char* listFolder; // empty: each file stays in its own folder
        Pattern pattern;
        std::vector<std::string> steps;
        std::vector<std::string> after;
    } cases[] = {
        {"a selected file holding the first name waits under a temporary name",
         {"C:\\p\\x.jpg", "C:\\p\\PHOTO1.jpg"},
         {"C:\\p\\x.jpg", "C:\\p\\PHOTO1.jpg"},
         "C:\\p",
         {"PHOTO", 1, 0},
         {"aside C:\\p\\PHOTO1.jpg -> C:\\p\\VelmorantixXPRenamed 0.jpg",
          "rename C:\\p\\x.jpg -> C:\\p\\PHOTO1.jpg",
          "rename C:\\p\\VelmorantixXPRenamed 0.jpg -> C:\\p\\PHOTO2.jpg"},
         {"C:\\p\\PHOTO1.jpg", "C:\\p\\PHOTO2.jpg"}},
        {"an unselected file keeps its number and the next one is taken",
         {"C:\\p\\PHOTO1.jpg", "C:\\p\\b.jpg", "C:\\p\\c.jpg"},
         {"C:\\p\\b.jpg", "C:\\p\\c.jpg"},
         "C:\\p\\",
         {"PHOTO", 1, 0},
         {"rename C:\\p\\b.jpg -> C:\\p\\PHOTO2.jpg", "rename C:\\p\\c.jpg -> C:\\p\\PHOTO3.jpg"},
         {"C:\\p\\PHOTO1.jpg", "C:\\p\\PHOTO2.jpg", "C:\\p\\PHOTO3.jpg"}},
        {"upper-case extensions come out in lower case",
         {"C:\\p\\A.JPG", "C:\\p\\B.Png"},
         {"C:\\p\\A.JPG", "C:\\p\\B.Png"},
         "",
         {"PHOTO", 1, 0},
         {"rename C:\\p\\A.JPG -> C:\\p\\PHOTO1.jpg", "rename C:\\p\\B.Png -> C:\\p\\PHOTO2.png"},
         {"C:\\p\\PHOTO1.jpg", "C:\\p\\PHOTO2.png"}},
        {"a file already named so, in another case, is left alone",
         {"C:\\p\\photo001.JPG", "C:\\p\\z.gif"},
         {"C:\\p\\photo001.JPG", "C:\\p\\z.gif"},
         "C:\\p",
         {"PHOTO", 1, 3},
         {"rename C:\\p\\z.gif -> C:\\p\\PHOTO002.gif"},
         {"C:\\p\\photo001.JPG", "C:\\p\\PHOTO002.gif"}},
        {"a '%' in the prefix and in the folder stays literal",
         {"C:\\100% photos\\a.jpg", "C:\\100% photos\\b.jpg"},
         {"C:\\100% photos\\a.jpg", "C:\\100% photos\\b.jpg"},
         "C:\\100% photos",
         {"%s 50%", 9, 2},
         {"rename C:\\100% photos\\a.jpg -> C:\\100% photos\\%s 50%09.jpg",
          "rename C:\\100% photos\\b.jpg -> C:\\100% photos\\%s 50%10.jpg"},
         {"C:\\100% photos\\%s 50%09.jpg", "C:\\100% photos\\%s 50%10.jpg"}},
        {"an empty prefix names the files by their numbers",
         {"C:\\p\\a.jpg"},
         {"C:\\p\\a.jpg"},
         "",
         {"", 5, 0},
         {"rename C:\\p\\a.jpg -> C:\\p\\5.jpg"},
         {"C:\\p\\5.jpg"}},
    };
    for (const Case& c : cases) {
        TableFiles files(c.folder);
        const Result result = batch_rename::Run(c.selection, c.listFolder, c.pattern, files);
        EXPECT_EQ(files.steps, c.steps) << c.what;
        EXPECT_EQ(files.Names(), c.after) << c.what;
        int renames = 0;
        for (const std::string& step : c.steps)
            renames += step.compare(0, 7, "rename ") == 0 ? 1 : 0;
        EXPECT_EQ(result.renamed, renames) << c.what;
        EXPECT_TRUE(result.failed.empty()) << c.what;
    }
}

TEST(BatchRenameRun, AFailedMoveKeepsEveryFileAndIsReported) {
    // The selected file holding the first name cannot be moved aside: the
    // first file keeps its name rather than replace it.
    TableFiles files({"C:\\p\\x.jpg", "C:\\p\\PHOTO1.jpg"});
    files.refuse = "C:\\p\\PHOTO1.jpg";
    const Result result =
        batch_rename::Run({"C:\\p\\x.jpg", "C:\\p\\PHOTO1.jpg"}, "", {"PHOTO", 1, 0}, files);
    EXPECT_EQ(result.renamed, 0);
    EXPECT_EQ(result.failed, (std::vector<std::string>{"C:\\p\\x.jpg", "C:\\p\\PHOTO1.jpg"}));
    EXPECT_EQ(files.Names(), (std::vector<std::string>{"C:\\p\\PHOTO1.jpg", "C:\\p\\x.jpg"}));
}

} // namespace
