#include "zip/zip_wildcard.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

inline unsigned char LowerByte(char c) {
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Lower(const char* text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(LowerByte(c));
    return out;
}

// Lower-cased copy into a caller's buffer; names too long for it go to the
// heap. Entry names are far shorter than the buffer, so the sort of a large
// directory compares without allocating.
class CLowered {
public:
    explicit CLowered(const char* text) {
        const size_t n = std::strlen(text);
        char* out = m_small;
        if (n >= sizeof m_small) {
            m_large.resize(n + 1);
            out = &m_large[0];
        }
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<char>(LowerByte(text[i]));
        out[n] = '\0';
        m_text = out;
    }
    const char* c_str() const { return m_text; }

private:
    char m_small[512];
    std::string m_large;
    const char* m_text;
};

int CollateCase(const char* a, const char* b) {
    return std::strcoll(a, b);
}
int CollateNoCase(const char* a, const char* b) {
    return std::strcoll(CLowered(a).c_str(), CLowered(b).c_str());
}
int ByteCase(const char* a, const char* b) {
    return std::strcmp(a, b);
}
// The byte order of lower-cased copies, taken one character at a time.
int ByteNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char ca = LowerByte(*a), cb = LowerByte(*b);
        if (ca != cb || ca == 0)
            return ca < cb ? -1 : (ca > cb ? 1 : 0);
    }
}

// Matches one class starting after "[" at p[i]. Returns kMatchValid when the
// character is accepted, kMatchRange when it is not, kMatchLiteral for a
// malformed class; *next receives the index after the closing "]".
int MatchClass(const std::string& p, size_t i, char c, size_t* next) {
    bool negate = false;
    if (i < p.size() && (p[i] == '!' || p[i] == '^')) {
        negate = true;
        ++i;
    }
    if (i >= p.size() || p[i] == ']')
        return CWildcard::kMatchLiteral;
    bool found = false;
    while (i < p.size() && p[i] != ']') {
        char low = p[i];
        if (low == '\\') {
            if (++i >= p.size())
                return CWildcard::kMatchLiteral;
            low = p[i];
        }
        ++i;
        if (i >= p.size())
            return CWildcard::kMatchLiteral;
        if (p[i] == '-') {
            ++i;
            if (i >= p.size() || p[i] == ']')
                return CWildcard::kMatchLiteral;
            char high = p[i];
            if (high == '\\') {
                if (++i >= p.size())
                    return CWildcard::kMatchLiteral;
                high = p[i];
            }
            ++i;
            // Bounds in either order, compared as signed 8-bit characters.
            const signed char sc = static_cast<signed char>(c);
            const signed char a = static_cast<signed char>(low);
            const signed char b = static_cast<signed char>(high);
            if ((sc >= a && sc <= b) || (sc >= b && sc <= a))
                found = true;
        } else if (c == low) {
            found = true;
        }
    }
    if (i >= p.size())
        return CWildcard::kMatchLiteral;
    *next = i + 1;
    return found != negate ? CWildcard::kMatchValid : CWildcard::kMatchRange;
}

// Iterative matcher: on a mismatch it goes back to the last star and lets it
// take one more character. Each star therefore costs at most one pass over
// the text, never the exponential walk of a recursive matcher.
int MatchPattern(const std::string& p, const std::string& t) {
    size_t pi = 0, ti = 0;
    size_t starP = std::string::npos, starT = 0;
    int lastFailure = 0;
    for (;;) {
        if (pi < p.size() && p[pi] == '*') {
            while (pi < p.size() && p[pi] == '*')
                ++pi;
            starP = pi;
            starT = ti;
            lastFailure = 0;
            continue;
        }
        if (ti == t.size()) {
            size_t rest = pi;
            while (rest < p.size() && p[rest] == '*')
                ++rest;
            if (rest == p.size())
                return CWildcard::kMatchValid;
            // A star that has already given up all the text reports how its
            // last attempt failed; running out of text inside an attempt is
            // final, since a later start only leaves less text.
            if (starP != std::string::npos && pi == starP && lastFailure != 0)
                return lastFailure;
            return CWildcard::kMatchAbort;
        }
        int failure = 0;
        if (pi == p.size()) {
            failure = CWildcard::kMatchEnd;
        } else {
            const char pc = p[pi];
            const char tc = t[ti];
            if (pc == '?') {
                ++pi;
                ++ti;
                continue;
            }
            if (pc == '[') {
                size_t next = 0;
                const int r = MatchClass(p, pi + 1, tc, &next);
                if (r == CWildcard::kMatchLiteral)
                    return r; // malformed pattern: final
                if (r == CWildcard::kMatchValid) {
                    pi = next;
                    ++ti;
                    continue;
                }
                failure = r;
            } else {
                size_t width = 1;
                char literal = pc;
                if (pc == '\\') {
                    if (pi + 1 >= p.size())
                        return CWildcard::kMatchLiteral;
                    literal = p[pi + 1];
                    width = 2;
                }
                if (literal == tc) {
                    pi += width;
                    ++ti;
                    continue;
                }
                failure = CWildcard::kMatchLiteral;
            }
        }
        if (starP == std::string::npos)
            return failure;
        // Only an attempt that got past its first literal counts as one: a
        // start whose first character differs is not tried at all.
        if (pi != starP || p[starP] == '[')
            lastFailure = failure;
        pi = starP;
        ti = ++starT;
    }
}

} // namespace

void CWildcard::SetPattern(const std::string& pattern, bool caseSensitive) {
    m_caseSensitive = caseSensitive;
    m_pattern = caseSensitive ? pattern : Lower(pattern.c_str());
}

bool CWildcard::IsMatch(const std::string& text, int* result) const {
    const int r = MatchPattern(m_pattern, m_caseSensitive ? text : Lower(text.c_str()));
    if (result != nullptr)
        *result = r;
    return r == kMatchValid;
}

bool CWildcard::IsPatternValid(const std::string& p, int* error) {
    int result = kPatternValid;
    size_t i = 0;
    while (i < p.size() && result == kPatternValid) {
        if (p[i] == '[') {
            ++i;
            if (i < p.size() && p[i] == ']') {
                result = kPatternEmpty;
                break;
            }
            if (i >= p.size()) {
                result = kPatternClose;
                break;
            }
            while (result == kPatternValid && p[i] != ']') {
                if (p[i] == '\\') {
                    if (++i >= p.size()) {
                        result = kPatternEscape;
                        break;
                    }
                }
                ++i;
                if (i >= p.size()) {
                    result = kPatternClose;
                    break;
                }
                if (p[i] == '-') {
                    ++i;
                    if (i >= p.size() || p[i] == ']') {
                        result = kPatternRange;
                        break;
                    }
                    if (p[i] == '\\') {
                        if (++i >= p.size()) {
                            result = kPatternEscape;
                            break;
                        }
                    }
                    ++i;
                    if (i >= p.size()) {
                        result = kPatternClose;
                        break;
                    }
                }
            }
            ++i; // past "]"
        } else if (p[i] == '\\') {
            if (i + 1 >= p.size()) {
                result = kPatternEscape;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    if (error != nullptr)
        *error = result;
    return result == kPatternValid;
}

bool CWildcard::IsPattern(const std::string& text) {
    return text.find_first_of("*?[\\") != std::string::npos;
}

ZipCompareFunction GetCompareFunction(bool caseSensitive, bool collate) {
    if (collate)
        return caseSensitive ? CollateCase : CollateNoCase;
    return caseSensitive ? ByteCase : ByteNoCase;
}
