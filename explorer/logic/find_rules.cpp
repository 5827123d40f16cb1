#include "explorer/logic/find_rules.h"

#include <cstring>

namespace find_rules {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Narrows [begin, end) of text to its part without white space at either end.
void Trim(const std::string& text, size_t* begin, size_t* end) {
    while (*begin < *end && IsBlank(text[*begin]))
        ++*begin;
    while (*end > *begin && IsBlank(text[*end - 1]))
        --*end;
}

bool RangeMatches(const char* value, size_t length, const std::string& text, bool matchCase,
                  NoCaseEqualFn equalNoCase) {
    if (text.empty() || length == 0)
        return false;
    if (matchCase)
        return length == text.size() && std::memcmp(value, text.data(), length) == 0;
    return equalNoCase(value, length, text.data(), text.size());
}

// Calls use(begin, end) for every trimmed piece until an empty one or the
// end; stops early when use answers true, and answers that.
template <typename Use> bool ForEachPiece(const std::string& keywords, Use&& use) {
    size_t begin = 0;
    while (begin < keywords.size()) {
        size_t end = keywords.find(',', begin);
        if (end == std::string::npos)
            end = keywords.size();
        if (end == begin)
            return false; // an empty piece ends the list
        size_t first = begin, last = end;
        Trim(keywords, &first, &last);
        if (use(first, last))
            return true;
        begin = end + 1;
    }
    return false;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool AsciiEqualNoCase(const char* a, size_t lengthA, const char* b, size_t lengthB) {
    if (lengthA != lengthB)
        return false;
    for (size_t i = 0; i < lengthA; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

std::vector<std::string> KeywordPieces(const std::string& keywords) {
    std::vector<std::string> pieces;
    ForEachPiece(keywords, [&](size_t begin, size_t end) {
        pieces.push_back(keywords.substr(begin, end - begin));
        return false;
    });
    return pieces;
}

bool WholeValueMatches(const std::string& value, const std::string& text, bool matchCase,
                       NoCaseEqualFn equalNoCase) {
    return RangeMatches(value.data(), value.size(), text, matchCase, equalNoCase);
}

bool KeywordsMatch(const std::string& keywords, const std::string& text, bool matchCase,
                   NoCaseEqualFn equalNoCase) {
    // Most pieces differ from the text in length, which settles a comparison
    // with case at once.
    return ForEachPiece(keywords, [&](size_t begin, size_t end) {
        return RangeMatches(keywords.data() + begin, end - begin, text, matchCase, equalNoCase);
    });
}

bool CanStartSearch(const FindChoices& choices, bool lookInExists) {
    if (choices.text.empty() || !(choices.keyword || choices.artist || choices.name))
        return false;
    return !choices.name || lookInExists;
}

bool JoinPath(const std::string& folder, const std::string& name, size_t capacity,
              std::string* path) {
    std::string joined = folder;
    if (!joined.empty() && joined.back() != '\\')
        joined += '\\';
    joined += name;
    if (joined.size() + 1 > capacity)
        return false;
    *path = joined;
    return true;
}

bool NamePattern(const std::string& folder, const std::string& text, size_t capacity,
                 std::string* pattern) {
    return JoinPath(folder, "*" + text + "*", capacity, pattern);
}

int ShownCheckState(long long value) {
    return value >= 0 && value <= 2 ? static_cast<int>(value) : 0;
}

} // namespace find_rules
