// The attributes the user gives one image or folder (artist, description,
// keywords, a date), and the keys under which the main database's index
// "ImageProperties" stores them.
//
// Value layout, every string a 4-byte little-endian length followed by that
// many bytes without terminator:
//   artist (string), description (string), keywords (string, comma
//   separated), date (u32, 0 for none)
//
// Keys: "#<folder id>#<file name>" for a file, "#<folder id>#" for a folder,
// the folder id coming from the index "FolderSymbol". The thumbnail index
// uses the same keys.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CByteStream;

class CImageAttributes {
public:
    // Reads a value from the stream's position; false (and the texts
    // emptied) when it is cut short or a length runs past the end.
    bool Load(CByteStream* stream);
    // Appends the value at the stream's position.
    bool Store(CByteStream* stream) const;
    void Clear();

    std::string path; // the file or folder the record belongs to (not stored)
    std::string artist;
    std::string description;
    std::string keywords;
    uint32_t date = 0;
};

// "#<id>#" and "#<id>#<name>".
std::string FolderAttributesKey(int32_t id);
std::string FileAttributesKey(int32_t id, const std::string& name);
// Splits a key made by the two above; false for anything else.
bool ParseAttributesKey(const std::string& key, int32_t* id, std::string* name);

// Whether `path` is `root` or lies below it: `root` equals the start of
// `path` (as `equalNoCase` judges the first root.size() bytes) and is
// followed by the end of `path` or a backslash. "C:\a" covers "C:\a\x" but
// not "C:\ab".
using PrefixEqualFn = std::function<bool(const char* a, const char* b, size_t length)>;
bool PathIsAtOrBelow(const std::string& root, const std::string& path,
                     const PrefixEqualFn& equalNoCase);
