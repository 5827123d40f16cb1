// What a WIA item's data format becomes on disk: the kind of data (an image
// file type 1..15, the memory bitmap 17, or a media or document kind 18..29)
// and the extension of the file it is stored in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A format identifier laid out as the system's GUID, so that the Windows
// side can copy one into the other.
struct WiaFormatId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(WiaFormatId) == 16, "a format id is a GUID");

// Kind numbers beyond the image file types.
constexpr int kWiaKindUnknown = 0;
constexpr int kWiaKindMemoryBitmap = 17; // a packed bitmap, saved in the output format

struct WiaFormatClass {
    int kind;              // as above; image file types keep their own number
    std::string extension; // with its dot; empty for an unknown format
};

// The published format identifiers this program tells apart, for the
// Windows side's check against the system's own definitions.
struct WiaNamedFormat {
    const char* name; // "JPEG", "WAV", ...
    WiaFormatId id;
};
size_t WiaNamedFormatCount();
const WiaNamedFormat& WiaNamedFormatAt(size_t index); // index < WiaNamedFormatCount()

// Classifies a format. A memory bitmap takes the extension of the output
// setting's save format (index 1..8 of the save-format table); an index
// outside that table counts as TIFF, the default output format.
WiaFormatClass ClassifyWiaFormat(const WiaFormatId& format, int outputFormatIndex);

// Whether a finished transfer holds the whole item. Devices that cannot say
// beforehand how much they will send announce a total of 0; any data then
// counts as whole.
bool IsWiaTransferComplete(int64_t announcedTotal, int64_t received);
