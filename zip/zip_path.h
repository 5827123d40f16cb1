// Paths as the zip code handles them (ANSI text, '\\' or '/' between
// components, an optional drive and long-path prefix), and the small string
// helpers that go with them.
#pragma once

#include <string>

// A path split into prefix, drive, folder, title and extension.
class CZipPathParts {
public:
    CZipPathParts() = default;
    explicit CZipPathParts(const std::string& path) { SetFullPath(path); }
    virtual ~CZipPathParts() = default;

    void SetFullPath(const std::string& path);
    std::string GetFileName() const;
    std::string GetFilePath() const;
    std::string GetFullPath() const;
    std::string GetNoDrive() const;
    const std::string& GetDrive() const { return m_drive; }
    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetTitle() const { return m_title; }
    const std::string& GetExtension() const { return m_extension; }
    const std::string& GetPrefix() const { return m_prefix; }
    void SetExtension(const std::string& extension);

private:
    std::string m_folder;
    std::string m_title;
    std::string m_extension;
    std::string m_drive;
    std::string m_prefix;
    bool m_rooted = false; // the folder began with a separator and there is no prefix
};

// String helpers shared by the zip code.
namespace ZipStr {
inline bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
void RemoveTrailingSeparators(std::string& text);
void RemoveLeadingSeparators(std::string& text);
void AppendSeparator(std::string& text);
void TrimLeft(std::string& text, char c);
void TrimRight(std::string& text, char c);
// Removes a folder prefix (compared with the given function) and the
// separators after it; false when the path does not start with it.
bool RemovePathBeginning(const std::string& beginning, std::string& path,
                         int (*compare)(const char*, const char*));
std::string FormatText(const char* format, ...);
} // namespace ZipStr
