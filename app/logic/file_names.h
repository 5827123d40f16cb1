// Naming rules of the file operations: the free name proposed for a copy
// that meets an existing file, the names a duplicate is given, and what the
// Replace Confirmation dialog makes of the new name the user typed.
//
// Paths use '\' separators. Whether a name is taken is asked of an injected
// callback, so the rules run without a file system.
#pragma once

#include <functional>
#include <string>

// Longest path these rules produce, in characters (MAX_PATH - 1).
constexpr size_t kMaxFileOpPath = 259;

using FileExistsFn = std::function<bool(const std::string& path)>;

// In the target's folder, "<folder>\<source stem>_<n><source extension>"
// for n = 1, 2, 3, ...: the first that does not exist. Empty when the names
// outgrow kMaxFileOpPath or `maxTries` of them exist.
std::string MakeUniqueTargetName(const std::string& source, const std::string& target,
                                 const FileExistsFn& exists, int maxTries = 100000);

// The n-th name tried for a duplicate of `name`: "Copy of <name>" for n = 1,
// "Copy (<n>) of <name>" from 2 on.
std::string DuplicateCandidateName(const std::string& name, int n);
// The first duplicate name in `folder` that does not exist, as a full path;
// empty when none fits or `maxTries` exist.
std::string MakeDuplicatePath(const std::string& folder, const std::string& name,
                              const FileExistsFn& exists, int maxTries = 10000);

enum class ERenameCheck {
    kOk,      // *newPath holds the full path
    kEmpty,   // nothing but blanks and dots was typed
    kInvalid, // a separator, a reserved character or device name, or too long
};

// The Rename answer of the Replace Confirmation dialog: the typed name is a
// file name in the target's folder, and the source's extension replaces any
// extension typed ("holiday" on photo.jpg gives "<target folder>\holiday.jpg").
// A name that tries to leave the folder ("..\x", "C:\x", "sub\x") is refused.
ERenameCheck ResolveReplaceRename(const std::string& target, const std::string& source,
                                  const std::string& typed, std::string* newPath);

// The folder part of a path (without its last separator; "C:\" keeps it) and
// the name part; the extension of a name, with its dot ("" when none).
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
std::string ExtensionOf(const std::string& name);
// folder + "\" + name, no separator doubled.
std::string JoinFolder(const std::string& folder, const std::string& name);
