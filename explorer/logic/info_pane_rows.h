// What the information pane shows for one image: the rows present, their
// order and value texts, the header's position text, the status band's
// selection count and the pane's row geometry. The texts that depend on the
// user's locale (dates, times, byte sizes) come from formatters the window
// passes in, so the rules here run anywhere.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The facts the pane keeps of an image, so that painting needs no image.
struct InfoPaneFacts {
    std::string fileName; // the file-name part of the path
    std::string artist;   // from the attributes record; empty without one
    std::string keywords;
    std::string description;
    uint16_t year = 0; // date taken; year 0 = none
    uint8_t month = 0;
    uint8_t day = 0;
    uint64_t fileTime = 0; // last write of the file, 100 ns since 1601; 0 = none
    int32_t width = 0;     // full size as stored in the file
    int32_t height = 0;
    uint32_t fileSize = 0; // 0 = the image has no file size
    int32_t bitsPerPixel = 0;
    int32_t pages = 1;    // further pages kept by the image, plus one
    std::string typeName; // of the path's image type
};

enum EInfoRow : int {
    kInfoRowFileName,
    kInfoRowArtist,
    kInfoRowDimensions,
    kInfoRowFileSize,
    kInfoRowColors,
    kInfoRowPages,
    kInfoRowType,
    kInfoRowTaken,
    kInfoRowModified,
    kInfoRowKeywords,
    kInfoRowDescription, // the label's row; the text wraps below it
};

struct InfoRow {
    EInfoRow kind;
    std::string value;
};

struct InfoPaneFormatters {
    std::function<std::string(uint16_t year, uint8_t month, uint8_t day)> date;
    std::function<std::string(uint64_t fileTime)> fileTime;
    std::function<std::string(uint32_t bytes)> byteSize;
};

// The rows present for the facts, in drawing order; each takes the next
// slot. A formatter left empty yields an empty value.
std::vector<InfoRow> BuildInfoRows(const InfoPaneFacts& facts,
                                   const InfoPaneFormatters& formatters);

// The position kept for the header: 0..count-1 (0 when the count is 0).
int ClampInfoIndex(int index, int count);

// The header text: the first two "%d" of `format` replaced by the 1-based
// position and the count, every other character copied as it is (the
// format comes from the string table but is never handed to printf).
std::string FormatInfoHeader(const std::string& format, int index, int count);

// The status band's text for a selection of `selected` items: "%d object
// selected" (format from the caller, as above) for two or more, else empty.
std::string SelectionCountText(const std::string& format, int selected);

// Row geometry, in client pixels from the pane's top.
constexpr int kInfoHeaderHeight = 16; // the header band; its rule is the next pixel line
constexpr int kInfoRowTop = 21;
constexpr int kInfoRowPitch = 18;
constexpr int kInfoRowHeight = 15;
constexpr int kInfoLabelLeft = 3;
constexpr int kInfoValueLeft = 78;
constexpr int kInfoStatusHeight = 16;

inline int InfoRowTop(int slot) {
    return kInfoRowTop + kInfoRowPitch * slot;
}
