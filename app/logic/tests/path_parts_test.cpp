#include "app/logic/path_parts.h"

#include <gtest/gtest.h>

namespace {

TEST(PathParts, EitherSeparatorGivesTheSameFolderAndName) {
    struct Case {
        const char *path, *folder, *name;
    } cases[] = {
        {"C:\\a\\b.jpg", "C:\\a", "b.jpg"},
        {"C:/a/b.jpg", "C:\\a", "b.jpg"},
        {"C:\\a/b.jpg", "C:\\a", "b.jpg"},
        {"C:/a\\b.jpg", "C:\\a", "b.jpg"},
        {"Z:/work/run/pictures/garden.jpg", "Z:\\work\\run\\pictures", "garden.jpg"},
        {"\\\\server\\share\\b.jpg", "\\\\server\\share", "b.jpg"},
        {"//server/share/b.jpg", "\\\\server\\share", "b.jpg"},
        {"a\\b.jpg", "a", "b.jpg"},
        {"a/b.jpg", "a", "b.jpg"},
        {".\\a/b.jpg", ".\\a", "b.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const path_parts::FolderAndName parts = path_parts::Split(c.path);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.name, c.name);
    }
}

TEST(PathParts, RootsBareNamesAndTrailingSeparatorsKeepTheirMeaning) {
    struct Case {
        const char *path, *folder, *name;
    } cases[] = {
        {"C:\\b.jpg", "C:\\", "b.jpg"}, {"C:/b.jpg", "C:\\", "b.jpg"},
        {"/b.jpg", "\\", "b.jpg"},      {"C:b.jpg", "C:", "b.jpg"},
        {"b.jpg", "", "b.jpg"},         {"C:\\a\\", "C:\\a", ""},
        {"C:/a/", "C:\\a", ""},         {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const path_parts::FolderAndName parts = path_parts::Split(c.path);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.name, c.name);
    }
}

TEST(PathParts, NormalizingTurnsOnlyForwardSlashes) {
    char text[] = "Z:/a b/c\\d.jpg";
    path_parts::NormalizeInPlace(text);
    EXPECT_STREQ(text, "Z:\\a b\\c\\d.jpg");
    EXPECT_EQ(path_parts::Normalized("//srv/s/x"), "\\\\srv\\s\\x");
    path_parts::NormalizeInPlace(nullptr); // no path, nothing to do
}

} // namespace
