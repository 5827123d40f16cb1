#include "acquire/logic/wia_formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const WiaFormatId& Named(const char* name) {
    for (size_t i = 0; i < WiaNamedFormatCount(); ++i)
        if (std::strcmp(WiaNamedFormatAt(i).name, name) == 0)
            return WiaNamedFormatAt(i).id;
    static WiaFormatId none{};
    ADD_FAILURE() << "no format " << name;
    return none;
}

TEST(WiaFormats, EveryKnownFormatHasItsKindAndExtension) {
    struct Case {
        const char* name;
        int kind;
        const char* extension;
    } cases[] = {
        {"BMP", 1, ".bmp"},  {"EMF", 2, ".emf"},    {"GIF", 3, ".gif"},     {"ICO", 5, ".ico"},
        {"JPEG", 6, ".jpg"}, {"JPEG2K", 6, ".jpg"}, {"PHOTOCD", 7, ".pcd"}, {"TIFF", 13, ".tif"},
        {"WMF", 15, ".wmf"}, {"AVI", 18, ".avi"},   {"MPG", 19, ".mpg"},    {"HTML", 20, ".htm"},
        {"XML", 21, ".xml"}, {"RTF", 22, ".rtf"},   {"ASF", 23, ".asf"},    {"TXT", 24, ".txt"},
        {"WAV", 26, ".wav"}, {"MP3", 27, ".mp3"},   {"AIFF", 28, ".aiff"},  {"WMA", 29, ".WMA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WiaFormatClass got = ClassifyWiaFormat(Named(c.name), 7);
        EXPECT_EQ(c.kind, got.kind);
        EXPECT_EQ(c.extension, got.extension);
    }
}

TEST(WiaFormats, MemoryBitmapsTakeTheOutputFormatsExtensionByItsTableIndex) {
    struct Case {
        int outputIndex;
        const char* extension;
    } cases[] = {
        {7, ".tif"}, // the default index is TIFF, not the seventh file type
        {6, ".jpg"},  {1, ".bmp"}, {3, ".png"},
        {8, ".wbmp"}, {0, ".tif"}, {99, ".tif"}, // outside the table: the default
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outputIndex);
        WiaFormatClass got = ClassifyWiaFormat(Named("MEMORYBMP"), c.outputIndex);
        EXPECT_EQ(kWiaKindMemoryBitmap, got.kind);
        EXPECT_EQ(c.extension, got.extension);
    }
}

TEST(WiaFormats, AnUnknownFormatHasNoKindAndNoExtension) {
    WiaFormatId undefined = Named("BMP");
    undefined.data1 = 0xb96b3ca9; // the series' "undefined" member
    WiaFormatClass got = ClassifyWiaFormat(undefined, 7);
    EXPECT_EQ(kWiaKindUnknown, got.kind);
    EXPECT_EQ("", got.extension);
}

TEST(WiaFormats, TransfersAreWholeWhenTheSizesAgreeOrNoTotalWasAnnounced) {
    struct Case {
        int64_t total;
        int64_t received;
        bool whole;
    } cases[] = {
        {100, 100, true},  {100, 99, false},
        {100, 101, false}, {0, 5000, true}, // the device could not say beforehand
        {0, 0, false},                      // nothing arrived at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.whole, IsWiaTransferComplete(c.total, c.received))
            << c.total << "/" << c.received;
}

} // namespace
