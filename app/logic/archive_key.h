// Keys of the item lists that show one folder inside a zip archive.
//
// Such a key is the archive's path, a "|" and the folder inside the archive
// ("" for its root, otherwise ending in a backslash). Only the first "|"
// splits; a key without one names the archive's root.
#pragma once

#include <string>

// Longest inner folder a key may carry, in characters.
constexpr size_t kMaxArchiveInnerPath = 259;

// Splits a key at its first "|". A non-empty inner folder gets a trailing
// backslash when it has none. False for a null or empty key, an empty
// archive path, or an inner folder longer than kMaxArchiveInnerPath.
bool SplitArchiveKey(const char* key, std::string* archivePath, std::string* innerPath);

// The path that names an item inside its archive: archive path, a
// backslash, the inner folder, the item's name. It is not a file on disk;
// it serves for names and comparisons.
std::string ArchiveItemPath(const std::string& archivePath, const std::string& innerPath,
                            const char* name);

// Splits an item path inside an archive ("archive|inner path") into the
// archive's path and the path inside it, each into a buffer of `size`
// characters: the archive buffer gets the text up to the first "|", the
// inner buffer (when given) what follows it, or "" when there is no bar.
// Texts are cut to fit their buffers.
void SplitArchivePath(const char* path, char* archive, char* inner, size_t size);
