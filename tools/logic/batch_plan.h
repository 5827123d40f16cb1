// The rules of the commands that run over several selected images: which
// image commands run as a batch and with which texts, what each file takes
// (refused, turned losslessly, or decoded and transformed), the formats and
// names of Convert, its replace question, and the report of the files that
// could not be done.
//
// Texts that hold a user's file or folder name are joined piece by piece:
// a '%' in a name stays literal and never reaches a format.
#pragma once

#include <string>
#include <vector>

namespace batch_plan {

// What a command asks before the files are done.
enum class Parameters { kNone, kImageSize, kAdjustment, kIndexedColor, kRotateCanvas };

struct Command {
    int id;
    const char* verb;      // the progress dialog's title and status
    const char* noun;      // what a renamed result is called ("Grayscale photo.jpg")
    int losslessOperation; // the JPEG file transform; 0 when there is none
    int losslessAngle;     // its angle when it turns
    Parameters parameters;
};

// The commands that run as a batch, in menu order.
const std::vector<Command>& Commands();
// The command of `id`, or null when the id does not run as a batch.
const Command* FindCommand(int id);

// What a batch does with one file.
enum class ItemStep {
    kUnsupported, // a metafile: refused with "Image type is not supported"
    kLossless,    // a JPEG file transformed without decoding (pixels when that fails)
    kPixels,      // decoded, transformed and written
};
ItemStep StepFor(int fileType, const Command& command);

// An adjustment whose values are all 0 changes nothing: the batch ends
// without touching a file.
bool ChangesNothing(const std::vector<int>& values);

// A file that could not be done, and why.
struct Failure {
    std::string path;
    std::string reason;
};
// The message that ends a run with failures: how many of `total` files
// failed, then one line per file (at most `maxLines`, then "..."). Empty
// when nothing failed.
std::string FailureReport(const std::vector<Failure>& failures, int total, size_t maxLines = 12);

// --- Convert ---

struct ConvertFormat {
    int encoderType; // the save-format index (1..8)
    const char* text;
};
constexpr int kConvertFormatCount = 8;
// The Format list in its order.
const ConvertFormat* ConvertFormats();
// The row shown for a stored encoder type; a value outside 1..8 (or none)
// gives the default, TIFF.
int ConvertRowForStored(int storedEncoderType);
constexpr int kDefaultConvertEncoderType = 7;

// The output of a source file: the output folder joined with the source's
// file name whose extension is replaced by `extension` (".jpg"). Empty when
// the result is longer than a path may be (259 characters) or the source
// has no name.
std::string ConvertOutputPath(const std::string& folder, const std::string& sourcePath,
                              const std::string& extension);

// The Confirm File Replace question for a file name, cut to 511 characters.
std::string ConfirmReplaceText(const std::string& name);

// The answers of Confirm File Replace (its button ids) and what the run
// does next: write the file, skip it, or stop.
enum class ReplaceAnswer { kYes = 6, kNo = 7, kCancel = 2, kYesToAll = 1154 };
enum class ReplaceAction { kWrite, kSkip, kStop };
// `yesToAll` comes in as what the run has answered so far and goes out
// set after Yes to All.
ReplaceAction ActOnReplaceAnswer(int answer, bool* yesToAll);

} // namespace batch_plan
