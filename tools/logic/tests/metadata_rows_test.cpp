// The Metadata list's rows: which EXIF values are listed, in which order,
// and the texts of codes, fractions and quotients, including the damaged
// record whose resolution has a zero denominator.
#include "tools/logic/metadata_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/exif_info.h"
#include "tools/logic/attributes_date.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

// A record that holds nothing the list shows on its own: no orientation, no
// resolution unit, sensing method "not given".
struct Record {
    CExifInfo* exif = new CExifInfo;
    Record() {
        exif->orientation = 0;
        exif->resolutionUnit = 0;
    }
    ~Record() { exif->Release(); }
    Rows Build() const {
        Rows rows;
        for (const MetadataRow& row : BuildMetadataRows(*exif))
            rows.emplace_back(row.tag, row.value);
        return rows;
    }
    // The value of the row named tag, or "<none>".
    std::string Value(const std::string& tag) const {
        for (const auto& row : Build())
            if (row.first == tag)
                return row.second;
        return "<none>";
    }
};

TEST(MetadataRows, MakeModelAndResolutionAloneListFiveRowsInOrder) {
    Record r;
    r.exif->SetMake("Acme");
    r.exif->SetModel("Snap 3");
    const Rows expected = {{"Make", "Acme"},
                           {"Model", "Snap 3"},
                           {"X Resolution", "72.0"},
                           {"Y Resolution", "72.0"},
                           {"Flash", "Did not fire"}};
    EXPECT_EQ(expected, r.Build());
}

TEST(MetadataRows, EveryTextIsListedInTheListsOrderNotTheRecords) {
    Record r;
    const std::pair<EExifText, const char*> texts[] = {{kExifSubSecTimeDigitized, "33"},
                                                       {kExifSubSecTimeOriginal, "22"},
                                                       {kExifSubSecTime, "11"},
                                                       {kExifDateTimeDigitized, "dig"},
                                                       {kExifDateTimeOriginal, "orig"},
                                                       {kExifDateTime, "now"},
                                                       {kExifModel, "model"},
                                                       {kExifSoftware, "soft"},
                                                       {kExifMake, "make"},
                                                       {kExifCopyright, "(c)"},
                                                       {kExifArtist, "artist"},
                                                       {kExifImageDescription, "desc"},
                                                       {kExifSpectralSensitivity, "never listed"}};
    for (const auto& text : texts)
        r.exif->SetText(text.first, text.second);
    const std::vector<std::string> order = {"Description",
                                            "Artist",
                                            "Copyright",
                                            "Make",
                                            "Software",
                                            "Model",
                                            "Date/Time",
                                            "Date/Time Original",
                                            "Date/Time Digitized",
                                            "Date/Time subseconds",
                                            "Date/Time original subseconds",
                                            "Date/Time digitized subseconds",
                                            "X Resolution",
                                            "Y Resolution",
                                            "Flash"};
    std::vector<std::string> tags;
    for (const auto& row : r.Build())
        tags.push_back(row.first);
    EXPECT_EQ(order, tags);
    EXPECT_EQ("desc", r.Value("Description"));
    EXPECT_EQ("33", r.Value("Date/Time digitized subseconds"));
}

TEST(MetadataRows, CodesAreNamedOrPrintedAsNumbersAndListedByTheirCondition) {
    struct Case {
        const char* tag;
        std::function<void(CExifInfo&)> set;
        const char* value; // "<none>": no row
    };
    const Case cases[] = {
        {"Color space", [](CExifInfo& e) { e.colorSpace = 65535; }, "Uncalibrated"},
        {"Color space", [](CExifInfo& e) { e.colorSpace = 1; }, "sRGB"},
        {"Color space", [](CExifInfo& e) { e.colorSpace = 2; }, "2"},
        {"Color space", [](CExifInfo& e) { e.colorSpace = 0; }, "<none>"},
        {"Compression", [](CExifInfo& e) { e.compression = 6; },
         "JPEG compression (thumbnails only)"},
        {"Compression", [](CExifInfo& e) { e.compression = 0; }, "<none>"},
        {"Resolution Unit", [](CExifInfo& e) { e.resolutionUnit = 3; }, "Centimeters"},
        {"Resolution Unit", [](CExifInfo& e) { e.resolutionUnit = 1; }, "<none>"},
        {"Orientation", [](CExifInfo& e) { e.orientation = 1; }, "Upper Left"},
        {"Orientation", [](CExifInfo& e) { e.orientation = 8; }, "Left Bottom"},
        {"Orientation", [](CExifInfo& e) { e.orientation = 0; }, "<none>"},
        {"Orientation", [](CExifInfo& e) { e.orientation = 9; }, "<none>"},
        {"Metering Mode", [](CExifInfo& e) { e.meteringMode = 5; }, "Pattern"},
        {"Metering Mode", [](CExifInfo& e) { e.meteringMode = 255; }, "255"},
        {"Light Source", [](CExifInfo& e) { e.lightSource = 21; }, "D65"},
        {"Light Source", [](CExifInfo& e) { e.lightSource = 4; }, "4"},
        {"Exposure Program", [](CExifInfo& e) { e.exposureProgram = 3; }, "Aperture priority"},
        {"Sensing Method", [](CExifInfo& e) { e.sensingMethod = 0; }, "0"},
        {"Sensing Method", [](CExifInfo& e) { e.sensingMethod = 2; }, "One-chip color area sensor"},
        {"Sensing Method", [](CExifInfo& e) { e.sensingMethod = 1; }, "<none>"},
        {"Flash", [](CExifInfo& e) { e.flash = 0x19; }, "Fired"},
        {"Flash", [](CExifInfo& e) { e.flash = 0x18; }, "Did not fire"},
    };
    for (const Case& c : cases) {
        Record r;
        c.set(*r.exif);
        EXPECT_EQ(c.value, r.Value(c.tag)) << c.tag << " -> " << c.value;
    }
}

TEST(MetadataRows, RationalsPrintAsFractionsOrQuotientsAndNeedBothHalves) {
    struct Case {
        const char* tag;
        ExifRational CExifInfo::*field;
        ExifRational value;
        const char* text; // "<none>": no row
    };
    const Case cases[] = {
        {"Exposure Time", &CExifInfo::exposureTime, {1, 250}, "1/250 sec"},
        {"Exposure Time", &CExifInfo::exposureTime, {1, 0}, "<none>"},
        {"Exposure Time", &CExifInfo::exposureTime, {0, 250}, "<none>"},
        // Signed values as the camera wrote them.
        {"Exposure Bias", &CExifInfo::exposureBias, {0xFFFFFFFDu, 3}, "-3/3"},
        {"Brightness", &CExifInfo::brightness, {0xFFFFFF9Cu, 100}, "-100/100"},
        {"Shutter Speed", &CExifInfo::shutterSpeed, {8, 1}, "8/1"},
        {"Aperture", &CExifInfo::aperture, {28, 10}, "28/10"},
        {"Subject Distance", &CExifInfo::subjectDistance, {3, 2}, "3/2"},
        {"Flash Energy", &CExifInfo::flashEnergy, {5, 1}, "5/1"},
        {"Exposure Index", &CExifInfo::exposureIndex, {100, 1}, "100/1"},
        {"Max Aperture", &CExifInfo::maxAperture, {35, 10}, "3.5"},
        {"Focal Length", &CExifInfo::focalLength, {50, 1}, "50.0 mm"},
        {"Focal Length", &CExifInfo::focalLength, {50, 0}, "<none>"},
        {"F-Stop", &CExifInfo::fNumber, {28, 10}, "2.8"},
        // Quotients of unsigned halves.
        {"F-Stop", &CExifInfo::fNumber, {0xFFFFFFFFu, 0xFFFFFFFFu}, "1.0"},
        {"X Resolution", &CExifInfo::xResolution, {300, 1}, "300.0"},
        {"Y Resolution", &CExifInfo::yResolution, {254, 10}, "25.4"},
        // Always listed; a zero denominator shows the fraction, never inf or nan.
        {"X Resolution", &CExifInfo::xResolution, {72, 0}, "72/0"},
        {"Y Resolution", &CExifInfo::yResolution, {0, 0}, "0/0"},
    };
    for (const Case& c : cases) {
        Record r;
        (*r.exif).*c.field = c.value;
        EXPECT_EQ(c.text, r.Value(c.tag))
            << c.tag << " " << c.value.numerator << "/" << c.value.denominator;
    }
}

TEST(AttributesDate, YearMonthAndDayShareOneValueFromTheLowestByteUp) {
    struct Case {
        uint32_t value;
        uint16_t year;
        uint8_t month, day;
    };
    const Case cases[] = {{0, 0, 0, 0},
                          {0x0B0607D9u, 2009, 6, 11},
                          {0x1F0C270Fu, 9999, 12, 31},
                          {0x01010000u, 0, 1, 1}};
    for (const Case& c : cases) {
        const AttributesDate date = UnpackAttributesDate(c.value);
        EXPECT_EQ(c.year, date.year) << std::hex << c.value;
        EXPECT_EQ(c.month, date.month) << std::hex << c.value;
        EXPECT_EQ(c.day, date.day) << std::hex << c.value;
        EXPECT_EQ(c.value, PackAttributesDate(date));
    }
    EXPECT_EQ(0x0B060000u, ClearAttributesYear(0x0B0607D9u));
    EXPECT_EQ(0, UnpackAttributesDate(ClearAttributesYear(0x0B0607D9u)).year);
}

} // namespace
