#include "app/logic/editor_entries.h"

#include <gtest/gtest.h>

namespace {

using editor_entries::CommandLineFor;
using editor_entries::Format;
using editor_entries::Parse;

TEST(EditorEntries, AStoredTextSplitsAtItsFirstBar) {
    struct Case {
        const char *text, *title, *path;
    } cases[] = {
        {"Paint|C:\\Tools\\paint.exe", "Paint", "C:\\Tools\\paint.exe"},
        {"My Paint|C:\\Program Files\\p a i n t.exe", "My Paint",
         "C:\\Program Files\\p a i n t.exe"},
        {"a|b|c", "a", "b|c"},
        {"|C:\\x.exe", "", "C:\\x.exe"},
        {"Title|", "Title", ""},
        {"C:\\Tools\\Photo Fixer.exe", "Photo Fixer", "C:\\Tools\\Photo Fixer.exe"},
        {"fixer", "fixer", "fixer"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const editor_entries::Entry entry = Parse(c.text);
        EXPECT_EQ(c.title, entry.title);
        EXPECT_EQ(c.path, entry.path);
    }
}

TEST(EditorEntries, FormatWritesWhatParseReadsBack) {
    const editor_entries::Entry entry{"Echo", "C:\\t\\echo.exe"};
    EXPECT_EQ("Echo|C:\\t\\echo.exe", Format(entry));
    const editor_entries::Entry back = Parse(Format(entry));
    EXPECT_EQ(entry.title, back.title);
    EXPECT_EQ(entry.path, back.path);
}

TEST(EditorEntries, TheFileFollowsABlankAndIsQuotedOnlyWhenItHoldsOne) {
    struct Case {
        const char *file, *line;
    } cases[] = {
        {"C:\\t\\my pic.bmp", " \"C:\\t\\my pic.bmp\""},
        {"C:\\t\\pic.bmp", " C:\\t\\pic.bmp"},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(none)");
        EXPECT_EQ(c.line, CommandLineFor(c.file));
    }
}

} // namespace
