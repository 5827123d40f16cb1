// Names of the files that acquisition writes: the output folder, the prefix,
// the sequence number padded with zeros, and the extension of the data.
//
// Names are joined piece by piece; only the number is formatted. The folder
// and the prefix are the user's text and may hold '%' ("C:\100% photos"), so
// they never go through a format.
#pragma once

#include <functional>
#include <string>

// Longest path the acquisition code writes to, in characters (MAX_PATH - 1).
constexpr size_t kMaxOutputPath = 259;
// Most digits the padding may ask for.
constexpr int kMaxOutputPadding = 10;

// The number in decimal, with leading zeros up to `padding` digits (none
// for 0 or less; at most kMaxOutputPadding). A negative number keeps its sign
// in front of the zeros.
std::string FormatSequenceNumber(int number, int padding);

// folder + "\" + prefix + number + extension. No separator is added when the
// folder is empty or already ends in one ("C:\").
std::string BuildOutputPath(const std::string& folder, const std::string& prefix, int number,
                            int padding, const std::string& extension);

// The first name, counting from *sequence, for which `exists` is false.
// *sequence ends one past the number used. Gives up (empty result, *sequence
// unchanged) when the names grow past kMaxOutputPath or after `maxTries`
// names in a row that exist.
std::string NextFreeOutputPath(const std::string& folder, const std::string& prefix, int padding,
                               const std::string& extension, int* sequence,
                               const std::function<bool(const std::string&)>& exists,
                               int maxTries = 100000);

// Where a command on several images writes one result, by the Save Images
// choice: 0 the file itself; 1 beside it as "<noun> <name>", then
// "<noun> (1) <name>", "<noun> (2) <name>" and so on while `exists`; 2 the
// output folder with the file's name. Empty for another mode, when the
// name grows past kMaxOutputPath, or after `maxTries` names that exist.
std::string BatchOutputPath(int saveMode, const std::string& file, const std::string& noun,
                            const std::string& outputFolder,
                            const std::function<bool(const std::string&)>& exists,
                            int maxTries = 100000);

// The folder as the Output dialog stores it: one trailing backslash removed,
// except after a drive root ("C:\" stays, since "C:" names the drive's
// current folder).
std::string StripTrailingBackslash(const std::string& folder);

// False when the prefix holds a character that a file name cannot hold
// (\ / : * ? " < > | or a control character). An empty prefix is allowed.
bool IsValidOutputPrefix(const std::string& prefix);

// Whether the save format (index 1..8 of the save-format table) has an
// options dialog: only JPEG and PNG do.
bool SaveFormatHasOptions(int formatIndex);
