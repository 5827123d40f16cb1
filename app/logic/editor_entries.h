// The stored form of one external editor: "title|path" in one registry text.
#pragma once

#include <string>

namespace editor_entries {

struct Entry {
    std::string title;
    std::string path;
};

// Splits at the first "|": a title cannot hold a bar, a path may. A text
// without a bar is a path alone, titled by its file name without extension.
Entry Parse(const std::string& text);
// "title|path".
std::string Format(const Entry& entry);
// The command line an editor gets after its program name: empty without a
// file, else a blank and the file, quoted when it holds a blank.
std::string CommandLineFor(const char* file);

} // namespace editor_entries
