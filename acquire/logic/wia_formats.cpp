#include "acquire/logic/wia_formats.h"

#include <cstring>

#include "imaging/image_file_types.h"

namespace {

// The image formats share one series of identifiers that differ only in
// their first field.
constexpr WiaFormatId ImageSeries(uint32_t first) {
    return {first, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
}

struct Row {
    WiaNamedFormat format;
    int kind;
    const char* extension; // null: the image type's own extension
};

const Row kRows[] = {
    {{"BMP", ImageSeries(0xb96b3cab)}, kFileTypeBmp, nullptr},
    {{"EMF", ImageSeries(0xb96b3cac)}, kFileTypeEmf, nullptr},
    {{"GIF", ImageSeries(0xb96b3cb0)}, kFileTypeGif, nullptr},
    {{"ICO", ImageSeries(0xb96b3cb5)}, kFileTypeIco, nullptr},
    {{"JPEG", ImageSeries(0xb96b3cae)}, kFileTypeJpeg, nullptr},
    {{"JPEG2K", {0x344ee2b2, 0x39db, 0x4dde, {0x81, 0x73, 0xc4, 0xb7, 0x5f, 0x8f, 0x1e, 0x49}}},
     kFileTypeJpeg,
     nullptr},
    {{"PHOTOCD", ImageSeries(0xb96b3cb3)}, kFileTypePcd, nullptr},
    {{"TIFF", ImageSeries(0xb96b3cb1)}, kFileTypeTiff, nullptr},
    {{"WMF", ImageSeries(0xb96b3cad)}, kFileTypeWmf, nullptr},
    {{"MEMORYBMP", ImageSeries(0xb96b3caa)}, kWiaKindMemoryBitmap, nullptr},
    {{"AVI", {0x32f8ca14, 0x087c, 0x4908, {0xb7, 0xc4, 0x67, 0x57, 0xfe, 0x7e, 0x90, 0xab}}},
     18,
     ".avi"},
    {{"MPG", {0xecd757e4, 0xd2ec, 0x4f57, {0x95, 0x5d, 0xbc, 0xf8, 0xa9, 0x7c, 0x4e, 0x52}}},
     19,
     ".mpg"},
    {{"HTML", {0xc99a4e62, 0x99de, 0x4a94, {0xac, 0xca, 0x71, 0x95, 0x6a, 0xc2, 0x97, 0x7d}}},
     20,
     ".htm"},
    {{"XML", {0xb9171457, 0xdac8, 0x4884, {0xb3, 0x93, 0x15, 0xb4, 0x71, 0xd5, 0xf0, 0x7e}}},
     21,
     ".xml"},
    {{"RTF", {0x573dd6a3, 0x4834, 0x432d, {0xa9, 0xb5, 0xe1, 0x98, 0xdd, 0x9e, 0x89, 0x0d}}},
     22,
     ".rtf"},
    {{"ASF", {0x8d948ee9, 0xd0aa, 0x4a12, {0x9d, 0x9a, 0x9c, 0xc5, 0xde, 0x36, 0x19, 0x9b}}},
     23,
     ".asf"},
    {{"TXT", {0xfafd4d82, 0x723f, 0x421f, {0x93, 0x18, 0x30, 0x50, 0x1a, 0xc4, 0x4b, 0x59}}},
     24,
     ".txt"},
    {{"WAV", {0xf818e146, 0x07af, 0x40ff, {0xae, 0x55, 0xbe, 0x8f, 0x2c, 0x06, 0x5d, 0xbe}}},
     26,
     ".wav"},
    {{"MP3", {0x0fbc71fb, 0x43bf, 0x49f2, {0x91, 0x90, 0xe6, 0xfe, 0xcf, 0xf3, 0x7e, 0x54}}},
     27,
     ".mp3"},
    {{"AIFF", {0x66e2bf4f, 0xb6fc, 0x443f, {0x94, 0xc8, 0x2f, 0x33, 0xc8, 0xa6, 0x5a, 0xaf}}},
     28,
     ".aiff"},
    {{"WMA", {0xd61d6413, 0x8bc2, 0x438f, {0x93, 0xad, 0x21, 0xbd, 0x48, 0x4d, 0xb6, 0xa1}}},
     29,
     ".WMA"},
};

bool SameId(const WiaFormatId& a, const WiaFormatId& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof(a.data4)) == 0;
}

} // namespace

size_t WiaNamedFormatCount() {
    return sizeof(kRows) / sizeof(kRows[0]);
}

const WiaNamedFormat& WiaNamedFormatAt(size_t index) {
    return kRows[index].format;
}

WiaFormatClass ClassifyWiaFormat(const WiaFormatId& format, int outputFormatIndex) {
    for (const Row& row : kRows) {
        if (!SameId(row.format.id, format))
            continue;
        if (row.extension != nullptr)
            return {row.kind, row.extension};
        int type = row.kind;
        if (row.kind == kWiaKindMemoryBitmap) {
            type = FileTypeFromSaveFormatIndex(outputFormatIndex);
            if (type == kFileTypeUnknown)
                type = kFileTypeTiff;
        }
        return {row.kind, GetImageFileTypeExtension(type)};
    }
    return {kWiaKindUnknown, std::string()};
}

bool IsWiaTransferComplete(int64_t announcedTotal, int64_t received) {
    if (announcedTotal == 0)
        return received > 0;
    return received == announcedTotal;
}
