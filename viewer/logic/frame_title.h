// The viewer frame's pure decisions: its window title, where an index lands
// in its item list, which step a navigation command takes, and when the
// stepping commands are enabled. No windows here, so the rules are tested
// natively.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace viewer {

// Shortens a path to at most `maxChars` characters (the frame passes the
// shell's path compaction; tests pass their own).
using PathCompactor = std::function<std::string(const std::string& path, int maxChars)>;

// Paths in the title are compacted to this many characters.
constexpr int kTitlePathChars = 30;

struct TitleState {
    bool hasList = false;     // the frame holds an item list
    int itemCount = 0;        // its items
    int index = -1;           // current index in it
    bool hasDocument = false; // an image is shown
    std::string path;         // the list's path of the current item, or the document's own path
    bool modified = false;    // the document was edited
    bool headerReady = false; // its size is known, so the zoom means something
    double zoom = 1.0;        // the view's zoom
    int frameIndex = 0;       // page or animation frame shown (0 = the image itself)
    int frameCount = 0;       // extra frames of the document (pages = frameCount + 1)
};

// The text of the frame's title:
//   with a list and a document: "<path> @ <zoom>% (<index+1> of <n>)" plus
//     " [Page <p> of <pages>]" for a document with frames;
//   with a document and no list (the folder is still being listed):
//     "<path> @ <zoom>%" plus " [Page ...]";
//   with no list, or an empty one, and no document: "No Image";
//   a list with items but no document keeps the product name.
// The path is compacted, followed by " * " when the document is modified, and
// stands alone until the document's header is ready.
std::string FormatFrameTitle(const TitleState& state, const PathCompactor& compact);

// The message shown when the file at `path` cannot be opened:
// "Cannot open the image file <path>." When the file claims a size of more
// than `pixelLimit` pixels (the decode refused it for that), the reason
// follows: " The image is too large: <w> x <h> pixels, more than the
// <limit> pixels (<limit / 2^20> megapixels) an image may have."
std::string FormatUnreadableMessage(const std::string& path, int64_t width, int64_t height,
                                    uint64_t pixelLimit);

// The product name a viewer starts with.
extern const char* const kProductTitle;

// Where `index` lands in a list of `count` items: -1 for an empty list;
// with wrap-around, one past the end becomes the first and -1 the last;
// then clamped into [0, count - 1].
int NormalizeIndex(int index, int count, bool wrap);

// Navigation commands of the viewer.
enum class NavCommand { Previous, Next, First, Last };

struct NavStep {
    int index;     // the index asked for, before NormalizeIndex
    bool backward; // the stepping direction the command sets
};

NavStep NavigationTarget(NavCommand command, int index, int count);

// Whether a navigation command is enabled for a document shown at `index`
// of `count` items (the update rules; without a document or list all are off).
bool IsNavigationEnabled(NavCommand command, bool hasDocument, bool hasList, int index, int count,
                         bool wrap);

} // namespace viewer
