// The external editors: up to ten programs the frames hand images to. The
// list is stored under the options key's "Editors" subkey, one text per
// editor named by its position ("0" to "9"), holding "title|path".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CEditorRecord {
    std::string path;
    std::string title;
};

// Appends the stored editors, in order, up to the first position that is
// missing, unreadable or not a text.
void LoadEditorList(std::vector<CEditorRecord>& list);
// Stores the list in its order and removes the values a longer list left
// behind. False when the key cannot be opened or a value cannot be written.
bool SaveEditorList(const std::vector<CEditorRecord>& list);
// Starts the editor on the file (or on nothing), the file quoted when it
// holds a blank. A program that cannot start is reported; false then.
bool LaunchEditor(const char* program, const char* file);
