#include "explorer/logic/find_rules.h"

namespace find_rules {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool AsciiEqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

std::vector<std::string> KeywordPieces(const std::string& keywords) {
    std::vector<std::string> pieces;
    size_t begin = 0;
    while (begin < keywords.size()) {
        size_t end = keywords.find(',', begin);
        if (end == std::string::npos)
            end = keywords.size();
        if (end == begin)
            break; // an empty piece ends the list
        pieces.push_back(Trimmed(keywords, begin, end));
        begin = end + 1;
    }
    return pieces;
}

bool WholeValueMatches(const std::string& value, const std::string& text, bool matchCase,
                       const NoCaseEqualFn& equalNoCase) {
    if (text.empty() || value.empty())
        return false;
    return matchCase ? value == text : equalNoCase(value, text);
}

bool KeywordsMatch(const std::string& keywords, const std::string& text, bool matchCase,
                   const NoCaseEqualFn& equalNoCase) {
    for (const std::string& piece : KeywordPieces(keywords))
        if (WholeValueMatches(piece, text, matchCase, equalNoCase))
            return true;
    return false;
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
