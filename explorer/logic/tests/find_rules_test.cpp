// The Find dialog's rules: whole-keyword and artist matching, when a search
// may start, and the bounded name pattern.
#include "explorer/logic/find_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace find_rules;
using Strings = std::vector<std::string>;

TEST(KeywordMatching, AKeywordMatchesOnlyAWholePieceBeforeTheFirstEmptyOne) {
    struct Case {
        const char* keywords;
        const char* text;
        bool matchCase;
        bool matches;
    } cases[] = {
        {"dog, cat", "cat", false, true},
        {"dog, cat", "dog", false, true},
        {"cats", "cat", false, false},
        {"wildcat", "cat", false, false},
        {"dog, cat", "Cat", false, true},
        {"dog, cat", "Cat", true, false},
        {"dog, Cat", "Cat", true, true},
        {"cat,,dog", "dog", false, false}, // the empty piece ends the list
        {"cat,,dog", "cat", false, true},
        {",cat", "cat", false, false},
        {"cat,", "cat", false, true},
        {"  cat \t", "cat", false, true},
        {"dog, ,cat", "cat", false, true}, // a blank piece is not an empty one
        {"dog cat", "cat", false, false},
        {"", "cat", false, false},
        {"cat", "", false, false},
        {"black cat, dog", "black cat", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, KeywordsMatch(c.keywords, c.text, c.matchCase))
            << '"' << c.keywords << "\" / \"" << c.text << "\" case " << c.matchCase;
}

TEST(KeywordMatching, PiecesAreTrimmedAndStopAtAnEmptyOne) {
    struct Case {
        const char* keywords;
        Strings pieces;
    } cases[] = {
        {"dog, cat", {"dog", "cat"}},  {"cat,,dog", {"cat"}},      {",dog", {}},
        {"a , b ,c", {"a", "b", "c"}}, {"a,  ,b", {"a", "", "b"}}, {"a,", {"a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pieces, KeywordPieces(c.keywords)) << c.keywords;
}

TEST(ArtistMatching, TheArtistIsComparedWholeWithOrWithoutCase) {
    struct Case {
        const char* artist;
        const char* text;
        bool matchCase;
        bool matches;
    } cases[] = {
        {"Ann Lee", "ann lee", false, true}, {"Ann Lee", "ann lee", true, false},
        {"Ann Lee", "Ann", false, false},    {"Ann", "Ann Lee", false, false},
        {"", "Ann", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, WholeValueMatches(c.artist, c.text, c.matchCase)) << c.artist;
}

TEST(KeywordMatching, TheCallersComparisonDecidesWithoutCase) {
    // The dialog hands in the system's comparison, which knows letters
    // beyond ASCII; the rule must use it rather than its own folding.
    const NoCaseEqualFn always = [](const char*, size_t, const char*, size_t) { return true; };
    EXPECT_TRUE(KeywordsMatch("\xC4pfel", "\xE4pfel", false, always));
    EXPECT_FALSE(KeywordsMatch("\xC4pfel", "\xE4pfel", true, always));
}

TEST(FindButton, ASearchNeedsATextAFieldAndForNamesAnExistingFolder) {
    struct Case {
        const char* name;
        FindChoices choices;
        bool folderExists;
        bool enabled;
    } cases[] = {
        {"no text", {"", true, false, false, false, false, ""}, false, false},
        {"no field", {"cat", false, false, false, false, false, ""}, false, false},
        {"keyword", {"cat", true, false, false, false, false, ""}, false, true},
        {"artist", {"cat", false, true, false, false, false, ""}, false, true},
        {"name, folder missing", {"cat", true, false, true, false, false, "C:\\x"}, false, false},
        {"name, folder there", {"cat", false, false, true, false, false, "C:\\x"}, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.enabled, CanStartSearch(c.choices, c.folderExists)) << c.name;
}

TEST(NamePattern, TheWildcardJoinsTheFolderAndNeverOutgrowsItsBuffer) {
    const std::string longFolder = "C:\\" + std::string(250, 'f');
    struct Case {
        std::string folder;
        std::string text;
        size_t capacity;
        bool fits;
        std::string pattern;
    } cases[] = {
        {"C:\\pics", "sun", 260, true, "C:\\pics\\*sun*"},
        {"C:\\", "sun", 260, true, "C:\\*sun*"},
        {"", "sun", 260, true, "*sun*"},
        {"C:\\pics", "%s%n", 260, true, "C:\\pics\\*%s%n*"},    // text is never a format
        {longFolder, "sun", 260, true, longFolder + "\\*sun*"}, // 259 characters
        {longFolder, "suns", 260, false, ""},                   // one too many
        {"C:\\pics", std::string(300, 'x'), 260, false, ""},
    };
    for (const Case& c : cases) {
        std::string pattern;
        EXPECT_EQ(c.fits, NamePattern(c.folder, c.text, c.capacity, &pattern)) << c.folder;
        EXPECT_EQ(c.pattern, pattern) << c.folder;
        EXPECT_LT(pattern.size(), c.capacity);
    }
}

TEST(CheckStates, StoredStatesOutsideZeroToTwoShowAsUnchecked) {
    struct Case {
        long long stored;
        int shown;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}, {0xFFFFFFFFll, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, ShownCheckState(c.stored)) << c.stored;
}

} // namespace
