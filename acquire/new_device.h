// What a newly attached drive holds for the New device detected dialog: the
// first folder with a picture, and the files a download takes from it.
#pragma once

#include <string>
#include <vector>

// Whether `folder` or one of its sub-folders holds an image file (by its
// name). The entries matching `pattern` are tested in enumeration order; the
// first image makes this folder the found one, else the sub-folders are
// searched the same way, depth first. `found` receives the folder that
// directly holds the first image, without a trailing backslash.
bool FindImageFolder(const std::string& folder, const char* pattern, std::string* found);

// The files (not folders) of `folder` as full paths, only image files when
// `picturesOnly`.
std::vector<std::string> FilesToDownload(const std::string& folder, bool picturesOnly);
