#include "tools/logic/batch_rename.h"

#include <cstdio>

namespace batch_rename {

namespace {

// A folder holding this many names of a pattern is not worth searching on.
constexpr int kMaxSkips = 100000;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Paths name the same file when they differ only in letter case.
bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

size_t NameStart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

std::string NumberText(int number, int padding) {
    if (padding < 0)
        padding = 0;
    if (padding > kMaxPadding)
        padding = kMaxPadding;
    char text[32];
    std::snprintf(text, sizeof text, "%0*d", padding, number);
    return text;
}

std::string NewName(const Pattern& pattern, int number, const std::string& extension) {
    return pattern.prefix + NumberText(number, pattern.padding) + extension;
}

std::string Sample(const Pattern& pattern) {
    std::string sample;
    for (int n = 0; n < 3; ++n) {
        if (n > 0)
            sample += ", ";
        sample += NewName(pattern, pattern.first + n, ".ext");
    }
    return sample + "...";
}

bool IsValidPrefix(const std::string& prefix) {
    for (const char c : prefix) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32)
            return false;
        for (const char* bad = "\\/:*?\"<>|"; *bad; ++bad) {
            if (c == *bad)
                return false;
        }
    }
    return true;
}

std::string LowerExtension(const std::string& path) {
    const size_t start = NameStart(path);
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < start)
        return std::string();
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = Lower(c);
    return extension;
}

std::string FolderOf(const std::string& path) {
    const size_t start = NameStart(path);
    return start == 0 ? std::string() : path.substr(0, start - 1);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

std::string TemporaryPath(FileSystem& files, const std::string& folder,
                          const std::string& extension) {
    for (int n = 0; n < kMaxSkips; ++n) {
        const std::string path =
            Join(folder, "VelmorantixXPRenamed " + NumberText(n, 0) + extension);
        if (!files.Exists(path))
            return path;
    }
    return std::string();
}

Result Run(const std::vector<std::string>& paths, const std::string& listFolder,
           const Pattern& pattern, FileSystem& files) {
    Result result;
    // Where each position's file is now: its own path, or the temporary
    // name it was moved aside to.
    std::vector<std::string> current = paths;
    int k = pattern.first;
    for (size_t i = 0; i < current.size(); ++i) {
        const std::string source = current[i];
        const std::string folder = listFolder.empty() ? FolderOf(source) : listFolder;
        const std::string extension = LowerExtension(source);
        for (int skips = 0;; ++skips) {
            if (skips > kMaxSkips) {
                result.failed.push_back(source);
                break;
            }
            const int number = k + static_cast<int>(i);
            const std::string target = Join(folder, NewName(pattern, number, extension));
            if (SamePath(source, target))
                break;
            if (files.Exists(target)) {
                size_t owner = i + 1;
                while (owner < current.size() && !SamePath(current[owner], target))
                    ++owner;
                if (owner == current.size()) {
                    ++k; // a file that is not being renamed keeps its name
                    continue;
                }
                const std::string aside =
                    TemporaryPath(files, FolderOf(target), LowerExtension(target));
                if (aside.empty() || !files.MoveAside(current[owner], aside)) {
                    result.failed.push_back(source);
                    break;
                }
                current[owner] = aside;
            }
            if (files.Rename(source, target))
                ++result.renamed;
            else
                result.failed.push_back(source);
            break;
        }
    }
    return result;
}

} // namespace batch_rename
