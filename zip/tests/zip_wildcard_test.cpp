#include <chrono>
#include <clocale>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_wildcard.h"

namespace {

struct MatchCase {
    const char* pattern;
    const char* text;
    int result;
};

TEST(ZipWildcard, MatchResults) {
    std::setlocale(LC_ALL, "C");
    const MatchCase cases[] = {
        {"*.jpg", "a.jpg", 1},
        {"*.jpg", ".jpg", 1},
        {"*.jpg", "a.jpeg", 6},
        {"*.jpg", "a.jp", 3},
        {"*.jpg", "a.b.jpg", 1}, // a star retries after a later mismatch
        {"a?c", "ac", 3},
        {"a?c", "abcd", 2},
        {"a?c", "abc", 1},
        {"[!a-c]x", "dx", 1},
        {"[!a-c]x", "bx", 4},
        {"[^a-c]x", "bx", 4},
        {"[c-a]", "b", 1},
        {"[abc]", "d", 4},
        {"[\\]]", "]", 1},
        {"[a-\\z]", "q", 1},
        {"a\\*", "a*", 1},
        {"a\\*", "ab", 6},
        {"*", "", 1},
        {"", "", 1},
        {"", "x", 2},
        {"x", "y", 6},
        {"**a", "bba", 1},
        {"*a*b*c", "xaxbxc", 1},
        {"*a*b*c", "xaxbx", 3},
        {"[]", "a", 6},
        {"[a", "a", 6},
        {"photo[1].jpg", "photo1.jpg", 1},
    };
    for (const MatchCase& c : cases) {
        const CWildcard w(c.pattern, true);
        int result = 0;
        EXPECT_EQ(w.IsMatch(c.text, &result), c.result == 1) << c.pattern << " / " << c.text;
        EXPECT_EQ(result, c.result) << c.pattern << " / " << c.text;
    }
    const CWildcard noCase("*.JPG", false);
    EXPECT_TRUE(noCase.IsMatch("photo.jpg"));
    const CWildcard withCase("*.JPG", true);
    EXPECT_FALSE(withCase.IsMatch("photo.jpg"));
}

TEST(ZipWildcard, PatternValidity) {
    const std::pair<const char*, int> cases[] = {
        {"*.jpg", 0}, {"[a-c]?", 0}, {"a\\*", 0},   {"[\\]]", 0}, {"", 0},
        {"[]", -4},   {"[a", -3},    {"[a-c", -3},  {"a\\", -1},  {"[\\", -1},
        {"[a-]", -2}, {"[a-", -2},   {"[a-\\", -1},
    };
    for (const auto& c : cases) {
        int error = 99;
        EXPECT_EQ(CWildcard::IsPatternValid(c.first, &error), c.second == 0) << c.first;
        EXPECT_EQ(error, c.second) << c.first;
    }
    EXPECT_FALSE(CWildcard::IsPattern("photo.jpg"));
    EXPECT_TRUE(CWildcard::IsPattern("photo[1].jpg"));
    EXPECT_TRUE(CWildcard::IsPattern("a\\b"));
    EXPECT_TRUE(CWildcard::IsPattern("*"));
}

TEST(ZipWildcard, ManyStarsStayFast) {
    const std::string text(20000, 'a');
    const CWildcard w("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", true);
    const auto start = std::chrono::steady_clock::now();
    int result = 0;
    EXPECT_FALSE(w.IsMatch(text, &result));
    EXPECT_EQ(result, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ZipWildcard, CompareFunctions) {
    std::setlocale(LC_ALL, "C");
    struct Case {
        bool caseSensitive;
        bool collate;
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {true, false, "A.jpg", "a.jpg", -1}, {false, false, "A.jpg", "a.jpg", 0},
        {true, true, "A.jpg", "a.jpg", -1},  {false, true, "A.jpg", "a.jpg", 0},
        {false, false, "b", "A", 1},         {true, false, "b", "A", 1},
    };
    for (const Case& c : cases) {
        const int r = GetCompareFunction(c.caseSensitive, c.collate)(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " " << c.b;
    }
}

} // namespace
