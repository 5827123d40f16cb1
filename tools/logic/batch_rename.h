// Batch rename: the names made from a prefix, a running number and each
// file's own extension, the sample the dialog shows, and the run that
// renames a selection in sequence over whatever file system it is given.
//
// Names are built by concatenation and only the number is formatted, so a
// '%' in the prefix or in a folder's name ("C:\100% photos") stays literal.
#pragma once

#include <string>
#include <vector>

namespace batch_rename {

constexpr int kMaxPrefixBox = 200; // characters the prefix box takes
constexpr int kMaxPrefix = 259;    // characters kept from the registry
constexpr int kMaxStartAt = 16959; // the "Start at" spin's top
constexpr int kMaxPadding = 10;    // the "Padding zero" spin's top

// What the Batch Rename Files dialog asks: the names are prefix, number
// (first, first + 1, ...; at least `padding` digits, zero-filled) and the
// file's extension.
struct Pattern {
    std::string prefix = "PHOTO";
    int first = 1;
    int padding = 0;
};

// The number in decimal with at least `padding` digits (0: no padding).
std::string NumberText(int number, int padding);

// prefix + number + extension (the extension with its dot, or empty).
std::string NewName(const Pattern& pattern, int number, const std::string& extension);

// The first three names with ".ext", joined by ", " and followed by "...".
std::string Sample(const Pattern& pattern);

// False for characters that no file name may hold (\ / : * ? " < > | and
// control characters). An empty prefix is valid: the names are the numbers.
bool IsValidPrefix(const std::string& prefix);

// The path's extension with its dot, in lower case; empty when it has none.
std::string LowerExtension(const std::string& path);

// The folder part of a path (without the final backslash) and a join that
// adds one backslash.
std::string FolderOf(const std::string& path);
std::string Join(const std::string& folder, const std::string& name);

// "VelmorantixXPRenamed <n><extension>" in `folder`, with the lowest n whose
// name is free: where a file that is itself to be renamed waits meanwhile.
class FileSystem;
std::string TemporaryPath(FileSystem& files, const std::string& folder,
                          const std::string& extension);

// The file system the run works on. The program's is the disk (through the
// application's rename, which also tells the lists); tests give a table.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Moves a file of the selection out of the way of an earlier one.
    virtual bool MoveAside(const std::string& from, const std::string& to) = 0;
    // Renames a selected file to its new name and announces it.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
};

struct Result {
    int renamed = 0;
    // The selection's paths that kept (or, moved aside, lost) their name
    // because a move or rename failed; none of them is ever overwritten.
    std::vector<std::string> failed;
};

// Renames `paths` (the selection in list order) in sequence. `listFolder` is
// the folder list's folder (every target lies there), or empty to keep each
// file in its own folder. A target that exists and belongs to a later file of
// the selection moves that file aside first; one that belongs to a file not
// being renamed is skipped, and the next number is tried. A target is never
// written over.
Result Run(const std::vector<std::string>& paths, const std::string& listFolder,
           const Pattern& pattern, FileSystem& files);

} // namespace batch_rename
