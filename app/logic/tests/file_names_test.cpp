#include "app/logic/file_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

FileExistsFn ExistsIn(std::set<std::string> names) {
    return [names](const std::string& path) { return names.count(path) != 0; };
}

TEST(FileNames, UniqueTargetNamesCountUpInTheTargetFolder) {
    struct Case {
        const char* source;
        const char* target;
        std::set<std::string> taken;
        const char* expected;
    } cases[] = {
        {"C:\\src\\photo.jpg", "D:\\out\\photo.jpg", {}, "D:\\out\\photo_1.jpg"},
        {"C:\\src\\photo.jpg",
         "D:\\out\\photo.jpg",
         {"D:\\out\\photo_1.jpg", "D:\\out\\photo_2.jpg"},
         "D:\\out\\photo_3.jpg"},
        {"C:\\src\\a.b.png", "D:\\a.b.png", {}, "D:\\a.b_1.png"}, // only the last dot
        {"C:\\src\\noext", "D:\\out\\noext", {}, "D:\\out\\noext_1"},
        {"C:\\src\\.hidden", "D:\\out\\.hidden", {}, "D:\\out\\.hidden_1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(c.expected, MakeUniqueTargetName(c.source, c.target, ExistsIn(c.taken)));
    }
}

TEST(FileNames, UniqueTargetNamesGiveUpWhenNothingFits) {
    const auto always = [](const std::string&) { return true; };
    EXPECT_EQ("", MakeUniqueTargetName("C:\\a.jpg", "D:\\a.jpg", always, 50));
    const std::string longFolder = "D:\\" + std::string(250, 'f');
    EXPECT_EQ("",
              MakeUniqueTargetName("C:\\abcdef.jpg", longFolder + "\\abcdef.jpg", ExistsIn({})));
}

TEST(FileNames, DuplicatesAreCopiesCountedFromTwo) {
    EXPECT_EQ("Copy of a.jpg", DuplicateCandidateName("a.jpg", 1));
    EXPECT_EQ("Copy (2) of a.jpg", DuplicateCandidateName("a.jpg", 2));
    EXPECT_EQ("Copy (7) of a.jpg", DuplicateCandidateName("a.jpg", 7));
    EXPECT_EQ("C:\\p\\Copy (3) of a.jpg",
              MakeDuplicatePath("C:\\p", "a.jpg",
                                ExistsIn({"C:\\p\\Copy of a.jpg", "C:\\p\\Copy (2) of a.jpg"})));
    EXPECT_EQ("C:\\Copy of a.jpg", MakeDuplicatePath("C:\\", "a.jpg", ExistsIn({})));
}

TEST(FileNames, ReplaceRenameIsAFileNameInTheTargetFolderWithTheSourceExtension) {
    struct Case {
        const char* typed;
        ERenameCheck check;
        const char* path;
    } cases[] = {
        {"holiday", ERenameCheck::kOk, "D:\\out\\holiday.jpg"},
        {"holiday.png", ERenameCheck::kOk, "D:\\out\\holiday.jpg"}, // the source's extension
        {"  holiday. ", ERenameCheck::kOk, "D:\\out\\holiday.jpg"},
        {"photo_1.jpg", ERenameCheck::kOk, "D:\\out\\photo_1.jpg"},
        {"100% sure", ERenameCheck::kOk, "D:\\out\\100% sure.jpg"},
        {"", ERenameCheck::kEmpty, ""},
        {" .. ", ERenameCheck::kEmpty, ""},
        {".png", ERenameCheck::kEmpty, ""},
        {"..\\up", ERenameCheck::kInvalid, ""},
        {"sub\\x", ERenameCheck::kInvalid, ""},
        {"C:\\x", ERenameCheck::kInvalid, ""},
        {"a/b", ERenameCheck::kInvalid, ""},
        {"what?", ERenameCheck::kInvalid, ""},
        {"a|b", ERenameCheck::kInvalid, ""},
        {"con", ERenameCheck::kInvalid, ""},
        {"LPT1.txt", ERenameCheck::kInvalid, ""},
        {"tab\there", ERenameCheck::kInvalid, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string path = "untouched";
        EXPECT_EQ(c.check,
                  ResolveReplaceRename("D:\\out\\photo.jpg", "C:\\in\\photo.jpg", c.typed, &path));
        EXPECT_EQ(c.check == ERenameCheck::kOk ? c.path : "untouched", path);
    }
    std::string path;
    EXPECT_EQ(ERenameCheck::kInvalid,
              ResolveReplaceRename("D:\\" + std::string(250, 'f') + "\\p.jpg", "C:\\p.jpg",
                                   "longer-name", &path));
}

TEST(FileNames, PathPartsSplitAtTheLastSeparator) {
    EXPECT_EQ("C:\\a", FolderOf("C:\\a\\b.jpg"));
    EXPECT_EQ("C:\\", FolderOf("C:\\b.jpg"));
    EXPECT_EQ("", FolderOf("b.jpg"));
    EXPECT_EQ("b.jpg", NameOf("C:\\a\\b.jpg"));
    EXPECT_EQ(".jpg", ExtensionOf("b.jpg"));
    EXPECT_EQ("", ExtensionOf(".profile"));
    EXPECT_EQ("C:\\x", JoinFolder("C:\\", "x"));
    EXPECT_EQ("C:\\a\\x", JoinFolder("C:\\a", "x"));
}

} // namespace
