#include "tools/logic/metadata_rows.h"

#include <cinttypes>
#include <cstdio>

#include "imaging/exif_info.h"

namespace {

struct CodeName {
    uint16_t code;
    const char* name;
};

template <size_t N> std::string CodeText(uint16_t code, const CodeName (&names)[N]) {
    for (const CodeName& entry : names)
        if (entry.code == code)
            return entry.name;
    return std::to_string(code);
}

bool Present(const ExifRational& value) {
    return value.numerator != 0 && value.denominator != 0;
}

// Numerator and denominator as the signed numbers the camera wrote.
std::string SignedFraction(const ExifRational& value, const char* suffix = "") {
    char text[64];
    std::snprintf(text, sizeof text, "%" PRId32 "/%" PRId32 "%s",
                  static_cast<int32_t>(value.numerator), static_cast<int32_t>(value.denominator),
                  suffix);
    return text;
}

// The quotient of the unsigned numbers with one decimal. A zero denominator
// (which a damaged record can carry) prints the fraction instead of a
// division by zero.
std::string Quotient(const ExifRational& value, const char* suffix = "") {
    char text[64];
    if (value.denominator == 0)
        std::snprintf(text, sizeof text, "%" PRIu32 "/0%s", value.numerator, suffix);
    else
        std::snprintf(text, sizeof text, "%0.1f%s",
                      static_cast<double>(value.numerator) / value.denominator, suffix);
    return text;
}

const CodeName kColorSpaces[] = {{1, "sRGB"}, {65535, "Uncalibrated"}};
const CodeName kCompressions[] = {{1, "Uncompressed"}, {6, "JPEG compression (thumbnails only)"}};
const CodeName kResolutionUnits[] = {{2, "Inches"}, {3, "Centimeters"}};
const CodeName kOrientations[] = {{1, "Upper Left"},   {2, "Upper Right"}, {3, "Bottom Right"},
                                  {4, "Bottom Left"},  {5, "Left Upper"},  {6, "Right Upper"},
                                  {7, "Right Bottom"}, {8, "Left Bottom"}};
const CodeName kMeteringModes[] = {{1, "Average"}, {2, "Center Weighted Average"},
                                   {3, "Spot"},    {4, "Multi-spot"},
                                   {5, "Pattern"}, {6, "Partial"}};
const CodeName kLightSources[] = {{1, "Daylight"},
                                  {2, "Fluorescent"},
                                  {3, "Tungsten"},
                                  {17, "Standard light A"},
                                  {18, "Standard light B"},
                                  {19, "Standard light C"},
                                  {20, "D55"},
                                  {21, "D65"},
                                  {22, "D75"}};
const CodeName kExposurePrograms[] = {
    {1, "Manual"},           {2, "Normal program"},   {3, "Aperture priority"},
    {4, "Shutter priority"}, {5, "Creative program"}, {6, "Action program"},
    {7, "Portrait mode"},    {8, "Landscape mode"}};
const CodeName kSensingMethods[] = {{2, "One-chip color area sensor"},
                                    {3, "Two-chip color area sensor"},
                                    {4, "Three-chip color area sensor"},
                                    {5, "Color sequential area sensor"},
                                    {7, "Trilinear sensor"},
                                    {8, "Color sequential linear sensor"}};

} // namespace

std::vector<MetadataRow> BuildMetadataRows(const CExifInfo& exif) {
    std::vector<MetadataRow> rows;
    auto add = [&rows](const char* tag, std::string value) {
        rows.push_back({tag, std::move(value)});
    };
    const struct {
        const char* tag;
        EExifText which;
    } texts[] = {{"Description", kExifImageDescription},
                 {"Artist", kExifArtist},
                 {"Copyright", kExifCopyright},
                 {"Make", kExifMake},
                 {"Software", kExifSoftware},
                 {"Model", kExifModel},
                 {"Date/Time", kExifDateTime},
                 {"Date/Time Original", kExifDateTimeOriginal},
                 {"Date/Time Digitized", kExifDateTimeDigitized},
                 {"Date/Time subseconds", kExifSubSecTime},
                 {"Date/Time original subseconds", kExifSubSecTimeOriginal},
                 {"Date/Time digitized subseconds", kExifSubSecTimeDigitized}};
    for (const auto& text : texts)
        if (exif.HasText(text.which))
            add(text.tag, exif.GetText(text.which));

    if (exif.colorSpace != 0)
        add("Color space", CodeText(exif.colorSpace, kColorSpaces));
    if (exif.compression != 0)
        add("Compression", CodeText(exif.compression, kCompressions));
    add("X Resolution", Quotient(exif.xResolution));
    add("Y Resolution", Quotient(exif.yResolution));
    if (exif.resolutionUnit == 2 || exif.resolutionUnit == 3)
        add("Resolution Unit", CodeText(exif.resolutionUnit, kResolutionUnits));
    if (exif.orientation >= 1 && exif.orientation <= 8)
        add("Orientation", CodeText(exif.orientation, kOrientations));
    if (Present(exif.exposureTime))
        add("Exposure Time", SignedFraction(exif.exposureTime, " sec"));
    if (Present(exif.shutterSpeed))
        add("Shutter Speed", SignedFraction(exif.shutterSpeed));
    if (Present(exif.aperture))
        add("Aperture", SignedFraction(exif.aperture));
    if (Present(exif.brightness))
        add("Brightness", SignedFraction(exif.brightness));
    if (Present(exif.exposureBias))
        add("Exposure Bias", SignedFraction(exif.exposureBias));
    if (Present(exif.maxAperture))
        add("Max Aperture", Quotient(exif.maxAperture));
    if (Present(exif.subjectDistance))
        add("Subject Distance", SignedFraction(exif.subjectDistance));
    if (exif.meteringMode != 0)
        add("Metering Mode", CodeText(exif.meteringMode, kMeteringModes));
    if (exif.lightSource != 0)
        add("Light Source", CodeText(exif.lightSource, kLightSources));
    add("Flash", (exif.flash & 1) ? "Fired" : "Did not fire");
    if (Present(exif.focalLength))
        add("Focal Length", Quotient(exif.focalLength, " mm"));
    if (Present(exif.fNumber))
        add("F-Stop", Quotient(exif.fNumber));
    if (exif.exposureProgram != 0)
        add("Exposure Program", CodeText(exif.exposureProgram, kExposurePrograms));
    if (Present(exif.flashEnergy))
        add("Flash Energy", SignedFraction(exif.flashEnergy));
    if (Present(exif.exposureIndex))
        add("Exposure Index", SignedFraction(exif.exposureIndex));
    if (exif.sensingMethod != 1)
        add("Sensing Method", CodeText(exif.sensingMethod, kSensingMethods));
    return rows;
}
