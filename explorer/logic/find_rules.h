// Rules of the Find dialog that need no window: how a search text meets the
// keywords and the artist the user attached to an image, when the dialog
// lets a search start, and the wildcard pattern of a file-name search.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace find_rules {

// Compares two whole texts without regard to case. The dialog passes the
// system's multibyte-aware comparison; the native tests and callers without
// a locale use ASCII folding.
// A plain function over byte ranges, so that matching a catalogue of many
// records makes no copies.
using NoCaseEqualFn = bool (*)(const char* a, size_t lengthA, const char* b, size_t lengthB);
bool AsciiEqualNoCase(const char* a, size_t lengthA, const char* b, size_t lengthB);

// The pieces of a keywords text, split at commas and trimmed of white space
// at both ends. An empty piece (a leading comma, two commas in a row or a
// trailing one) ends the split: "cat,,dog" gives only "cat". A piece of
// blanks alone is kept as an empty string, which matches no search text.
std::vector<std::string> KeywordPieces(const std::string& keywords);

// Whether value equals text as a whole: byte for byte with matchCase, else
// as equalNoCase judges. An empty text matches nothing.
bool WholeValueMatches(const std::string& value, const std::string& text, bool matchCase,
                       NoCaseEqualFn equalNoCase = AsciiEqualNoCase);

// Whether one of the keyword pieces equals text as a whole; "dog, cat"
// matches "cat" but "cats" and "wildcat" do not.
bool KeywordsMatch(const std::string& keywords, const std::string& text, bool matchCase,
                   NoCaseEqualFn equalNoCase = AsciiEqualNoCase);

// The dialog's choices as it reads them back from its controls.
struct FindChoices {
    std::string text;
    bool keyword = false;
    bool artist = false;
    bool name = false;
    bool matchCase = false;
    bool subfolders = false;
    std::string lookIn;
};

// Find may start when there is a search text, at least one of Keyword(s),
// Artist and Name is chosen, and a name search has a look-in folder that
// exists (as lookInExists says).
bool CanStartSearch(const FindChoices& choices, bool lookInExists);

// The wildcard "<folder>\*<text>*" of a file-name search ("*<text>*" alone
// for an empty folder; no second backslash after a folder that ends in one).
// False, with pattern untouched, when it would not fit in capacity bytes with
// its terminating zero, so that no path is ever cut short into another one.
bool NamePattern(const std::string& folder, const std::string& text, size_t capacity,
                 std::string* pattern);

// "<folder>\<name>" for the entries of a walk, bounded the same way.
bool JoinPath(const std::string& folder, const std::string& name, size_t capacity,
              std::string* path);

// A check state read from the options or a control: 0, 1 or 2 stay, any
// other value shows as 0.
int ShownCheckState(long long value);

} // namespace find_rules
