#include "app/logic/archive_key.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ArchiveKey, SplitsAtTheFirstBar) {
    struct Case {
        const char* key;
        const char* archive;
        const char* inner;
    } cases[] = {
        {"C:\\a\\pics.zip", "C:\\a\\pics.zip", ""}, // no bar: the root
        {"C:\\a\\pics.zip|", "C:\\a\\pics.zip", ""},
        {"C:\\a\\pics.zip|sub\\", "C:\\a\\pics.zip", "sub\\"},
        {"C:\\a\\pics.zip|sub", "C:\\a\\pics.zip", "sub\\"},
        {"C:\\a\\pics.zip|x|y\\", "C:\\a\\pics.zip", "x|y\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        std::string archive, inner;
        ASSERT_TRUE(SplitArchiveKey(c.key, &archive, &inner));
        EXPECT_EQ(c.archive, archive);
        EXPECT_EQ(c.inner, inner);
    }
}

TEST(ArchiveKey, RefusesKeysWithoutAnArchiveOrTooLong) {
    std::string archive, inner;
    EXPECT_FALSE(SplitArchiveKey(nullptr, &archive, &inner));
    EXPECT_FALSE(SplitArchiveKey("", &archive, &inner));
    EXPECT_FALSE(SplitArchiveKey("|sub\\", &archive, &inner));
    const std::string longInner = "C:\\p.zip|" + std::string(kMaxArchiveInnerPath, 'x');
    EXPECT_FALSE(SplitArchiveKey(longInner.c_str(), &archive, &inner)); // with its backslash
    const std::string fits = "C:\\p.zip|" + std::string(kMaxArchiveInnerPath - 1, 'x');
    EXPECT_TRUE(SplitArchiveKey(fits.c_str(), &archive, &inner));
    EXPECT_EQ(kMaxArchiveInnerPath, inner.size());
}

TEST(ArchiveKey, ItemPathJoinsArchiveFolderAndName) {
    EXPECT_EQ("C:\\a\\pics.zip\\sub\\x.jpg", ArchiveItemPath("C:\\a\\pics.zip", "sub\\", "x.jpg"));
    EXPECT_EQ("C:\\a\\pics.zip\\x.jpg", ArchiveItemPath("C:\\a\\pics.zip", "", "x.jpg"));
}

} // namespace

namespace {

TEST(ArchiveKey, ItemPathsSplitIntoArchiveAndInnerPath) {
    struct Case {
        const char* path;
        const char* archive;
        const char* inner;
    } cases[] = {
        {"C:\\a\\pics.zip|sub\\b.jpg", "C:\\a\\pics.zip", "sub\\b.jpg"},
        {"C:\\a\\pics.zip|b.jpg|c", "C:\\a\\pics.zip", "b.jpg|c"},
        {"C:\\plain\\b.jpg", "C:\\plain\\b.jpg", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        char archive[260] = "x", inner[260] = "x";
        SplitArchivePath(c.path, archive, inner, sizeof archive);
        EXPECT_STREQ(c.archive, archive);
        EXPECT_STREQ(c.inner, inner);
        char only[260] = "x";
        SplitArchivePath(c.path, only, nullptr, sizeof only);
        EXPECT_STREQ(c.archive, only);
    }
    char small[8], inner[8];
    SplitArchivePath("C:\\long-archive.zip|inner-part", small, inner, sizeof small);
    EXPECT_STREQ("C:\\long", small); // cut to fit
    EXPECT_STREQ("inner-p", inner);
}

} // namespace
