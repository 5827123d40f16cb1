#include "zip/zip_path.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const char kUncPrefix[] = "\\\\?\\unc\\";

} // namespace

void CZipPathParts::SetFullPath(const std::string& fullPath) {
    m_prefix.clear();
    m_drive.clear();
    m_folder.clear();
    m_title.clear();
    m_extension.clear();
    m_rooted = false;

    // The prefix counts only when exactly 2, 4 or all 8 of its characters match.
    size_t matching = 0;
    const size_t limit = fullPath.size() < 8 ? fullPath.size() : 8;
    while (matching < limit &&
           std::tolower(static_cast<unsigned char>(fullPath[matching])) == kUncPrefix[matching])
        ++matching;
    std::string path = fullPath;
    if (matching == 2 || matching == 4 || matching == 8) {
        m_prefix = fullPath.substr(0, matching);
        path = fullPath.substr(matching);
    }

    // The runtime's splitter: a drive only as "X:" at the start, the folder up
    // to the last separator, the extension from the last dot of the rest.
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        m_drive = path.substr(0, 2);
        start = 2;
    }
    size_t lastSep = std::string::npos;
    for (size_t i = start; i < path.size(); ++i) {
        if (ZipStr::IsSeparator(path[i]))
            lastSep = i;
    }
    std::string name;
    if (lastSep == std::string::npos) {
        name = path.substr(start);
    } else {
        m_folder = path.substr(start, lastSep + 1 - start);
        name = path.substr(lastSep + 1);
    }
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        m_title = name;
    } else {
        m_title = name.substr(0, dot);
        m_extension = name.substr(dot);
    }
    m_rooted = m_prefix.empty() && !m_folder.empty() && ZipStr::IsSeparator(m_folder[0]);
    ZipStr::RemoveLeadingSeparators(m_folder);
    ZipStr::RemoveTrailingSeparators(m_folder);
    ZipStr::TrimLeft(m_extension, '.');
}

std::string CZipPathParts::GetFileName() const {
    return m_extension.empty() ? m_title : m_title + "." + m_extension;
}

std::string CZipPathParts::GetFilePath() const {
    std::string out = m_prefix + m_drive;
    // A rooted path keeps its root, so that "\a\b" and "C:\b" do not turn
    // into paths relative to the current folder.
    if (m_rooted)
        out += '\\';
    else if (!m_drive.empty() && !m_folder.empty())
        out += '\\';
    return out + m_folder;
}

std::string CZipPathParts::GetFullPath() const {
    std::string out = GetFilePath();
    const std::string name = GetFileName();
    if (!name.empty()) {
        if (!out.empty() && !ZipStr::IsSeparator(out.back()))
            out += '\\';
        out += name;
    }
    return out;
}

std::string CZipPathParts::GetNoDrive() const {
    std::string out = m_folder;
    const std::string name = GetFileName();
    if (!out.empty() && !name.empty())
        out += '\\';
    return out + name;
}

void CZipPathParts::SetExtension(const std::string& extension) {
    m_extension = extension;
    ZipStr::TrimLeft(m_extension, '.');
}

namespace ZipStr {

void RemoveTrailingSeparators(std::string& text) {
    while (!text.empty() && IsSeparator(text.back()))
        text.pop_back();
}

void RemoveLeadingSeparators(std::string& text) {
    size_t n = 0;
    while (n < text.size() && IsSeparator(text[n]))
        ++n;
    text.erase(0, n);
}

void AppendSeparator(std::string& text) {
    RemoveTrailingSeparators(text);
    text += '\\';
}

void TrimLeft(std::string& text, char c) {
    size_t n = 0;
    while (n < text.size() && text[n] == c)
        ++n;
    text.erase(0, n);
}

void TrimRight(std::string& text, char c) {
    while (!text.empty() && text.back() == c)
        text.pop_back();
}

bool RemovePathBeginning(const std::string& beginning, std::string& path,
                         int (*compare)(const char*, const char*)) {
    std::string prefix = beginning;
    RemoveTrailingSeparators(prefix);
    if (prefix.empty() || prefix.size() > path.size())
        return false;
    if (compare(path.substr(0, prefix.size()).c_str(), prefix.c_str()) != 0)
        return false;
    if (path.size() == prefix.size()) {
        path.clear();
        return true;
    }
    if (!IsSeparator(path[prefix.size()]))
        return false;
    path.erase(0, prefix.size());
    RemoveLeadingSeparators(path);
    return true;
}

std::string FormatText(const char* format, ...) {
    std::vector<char> buffer(1024);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() + 1024 > static_cast<size_t>(n) + 1
                          ? buffer.size() + 1024
                          : static_cast<size_t>(n) + 1);
    }
}

} // namespace ZipStr
