// Shell-style pattern matching of entry names ("*", "?", "[...]" classes
// with "!" or "^" negation and ranges, "\" escapes) and the four name
// comparison functions of the archive.
#pragma once

#include <string>

class CWildcard {
public:
    // Results of pattern validation.
    enum Pattern : int {
        kPatternValid = 0,
        kPatternEscape = -1, // an escaping backslash at the end
        kPatternRange = -2,  // a range whose end is missing
        kPatternClose = -3,  // a class that is never closed
        kPatternEmpty = -4,  // "[" followed at once by "]"
    };
    // Results of matching. Only kMatchValid counts as a match.
    enum Match : int {
        kMatchValid = 1,   // the whole text matches
        kMatchEnd = 2,     // the pattern ended while text remains
        kMatchAbort = 3,   // the text ended while pattern remains
        kMatchRange = 4,   // a character is not in a class (or is in a negated one)
        kMatchLiteral = 6, // a literal character differs, or the pattern is malformed
    };

    CWildcard() = default;
    CWildcard(const std::string& pattern, bool caseSensitive) {
        SetPattern(pattern, caseSensitive);
    }

    void SetPattern(const std::string& pattern, bool caseSensitive);
    bool IsMatch(const std::string& text, int* result = nullptr) const;

    static bool IsPatternValid(const std::string& pattern, int* error = nullptr);
    static bool IsPattern(const std::string& text);

private:
    std::string m_pattern;
    bool m_caseSensitive = false;
};

using ZipCompareFunction = int (*)(const char*, const char*);

// Byte or collating comparison, each optionally on lower-cased copies.
ZipCompareFunction GetCompareFunction(bool caseSensitive, bool collate);
