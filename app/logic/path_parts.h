// The folder and the name of a path that comes from outside the program (the
// command line, a hand-over, a dialog, a dropped file, a stored option).
// Windows takes '/' and '\' alike as separators, so these do too; the shell's
// path calls split only at '\', which is why such paths are normalised to
// that form where they enter.
#pragma once

#include <string>

namespace path_parts {

inline bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Every '/' turned into '\'; nothing else changes.
std::string Normalized(std::string path);
void NormalizeInPlace(char* path);

struct FolderAndName {
    std::string folder; // '\' separators; a root keeps its separator ("C:\")
    std::string name;   // the last part; empty when the path ends in a separator
};

// Split at the last separator of either kind. A bare name has an empty
// folder; "C:name" has the folder "C:".
FolderAndName Split(const std::string& path);

} // namespace path_parts
